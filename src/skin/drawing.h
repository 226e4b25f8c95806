// Skin pictures: loading a PNG resource into an image, preparing it for per-pixel alpha, the
// drawing primitives of the picture control and the button, and the two placement rules they
// share (the nine-grid split and the unsplit placement). The placements are pure geometry that
// returns the blits to make; the painters feed those to a primitive.
#pragma once

#include "platform/image.h"
#include "platform/win.h"

#include <vector>

// Pixels of exactly this colour are left out by the keyed primitive; the login window keys it
// out as well, and picture 183 is made of nothing else.
constexpr COLORREF SKIN_KEY_COLOR = 0x00FF80FF;  // RGB(255, 128, 255)

// Loads the "PNG" resource id into image, premultiplied, and returns true: the picture is to be
// alpha-blended (even when decoding failed and the image is null). Without such a resource a
// bitmap resource of that id is attached instead and the result is false; with neither, false
// and the image is left as it was.
bool LoadSkinImage(HINSTANCE instance, CImage& image, UINT id);

// Decodes the "PNG" resource id into image as it is stored (not premultiplied). False when there
// is no such resource or it cannot be read; true otherwise, even when decoding failed and the
// image is null.
bool LoadPngResource(HINSTANCE instance, UINT id, CImage& image);

// Multiplies the colour bytes of every pixel of a 32-bit image by its alpha (truncating).
// Images of any other depth are left alone and give false.
bool PremultiplyAlpha(CImage& image);
// The same, rounding to the nearest value: (v * a + 127) / 255. The background window's
// picture is prepared this way.
bool PremultiplyAlphaRounded(CImage& image);

// x, y, width, height
struct BlitRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool operator==(const BlitRect&) const = default;
};

// One blit: where it lands and which pixels of the picture it takes.
struct BlitPiece {
  BlitRect dest;
  BlitRect src;
  bool operator==(const BlitPiece&) const = default;
};

enum DrawPrimitive {
  DRAW_ALPHA,          // AlphaBlend with a constant alpha (and the picture's own alpha)
  DRAW_KEYED,          // TransparentBlt leaving out SKIN_KEY_COLOR
  DRAW_OPAQUE_STRETCH  // StretchBlt, SRCCOPY
};

enum UnsplitPlacement {
  PLACE_FILL,    // stretched over the whole rectangle
  PLACE_NATURAL  // natural size, left-aligned, centred vertically when it is lower than the rectangle
};

// Whether the margins split the picture (left + right, top + bottom) for this destination:
// a sum splits when it is positive and smaller than both the picture and the destination, and
// neither of its margins is negative.
bool HorizontalSplitApplies(const RECT& dest, int imageWidth, const RECT& margins);
bool VerticalSplitApplies(const RECT& dest, int imageHeight, const RECT& margins);
bool NineGridSplitApplies(const RECT& dest, int imageWidth, int imageHeight, const RECT& margins);

// The pieces of the split, in drawing order: nine with both splits, three columns or three rows
// with one, none when no split applies.
std::vector<BlitPiece> NineGridPieces(const RECT& dest, int imageWidth, int imageHeight, const RECT& margins);

// The whole picture placed into the rectangle without a split.
BlitPiece UnsplitPiece(const RECT& dest, int imageWidth, int imageHeight, UnsplitPlacement placement);

// The primitives; a null image draws nothing and gives false.
bool DrawAlpha(HDC dc, const CImage& image, const BlitPiece& piece, BYTE constantAlpha);
bool DrawKeyed(HDC dc, const CImage& image, const BlitPiece& piece);
bool DrawOpaqueStretch(HDC dc, const CImage& image, const BlitPiece& piece);
// Natural size from the picture's origin, SRCCOPY.
bool DrawOpaqueCopy(HDC dc, const CImage& image, int x, int y);
bool DrawPiece(HDC dc, const CImage& image, const BlitPiece& piece, DrawPrimitive primitive, BYTE constantAlpha = 255);

// Draws the picture split by the margins into dest. Returns false, drawing nothing, when no
// split applies (the caller then uses its unsplit rule) or the image is null.
bool DrawNineGrid(HDC dc, const CImage& image, const RECT& dest, const RECT& margins, DrawPrimitive primitive,
                  BYTE constantAlpha = 255);
