#include "skin/drawing.h"

#include "platform/com_ptr.h"
#include "platform/handles.h"

#include <cstring>

bool LoadPngResource(HINSTANCE instance, UINT id, CImage& image) {
  HRSRC found = ::FindResourceW(instance, MAKEINTRESOURCEW(id), L"PNG");
  if (!found) return false;
  HGLOBAL resource = ::LoadResource(instance, found);
  if (!resource) return false;
  const void* bytes = ::LockResource(resource);
  const DWORD size = ::SizeofResource(instance, found);
  if (!bytes) return false;

  // The stream owns a movable copy of the bytes and frees it when released.
  UniqueGlobal block(::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size));
  if (!block) return false;
  if (size > 0) {
    void* target = ::GlobalLock(block.Get());
    if (!target) return false;
    std::memcpy(target, bytes, size);
    ::GlobalUnlock(block.Get());
  }
  ComPtr<IStream> stream;
  if (FAILED(::CreateStreamOnHGlobal(block.Get(), TRUE, stream.Put())) || !stream) return false;
  block.Release();

  image.Load(stream.Get());  // a picture that fails to decode stays null and is never drawn
  return true;
}

bool LoadSkinImage(HINSTANCE instance, CImage& image, UINT id) {
  if (::FindResourceW(instance, MAKEINTRESOURCEW(id), L"PNG")) {
    if (!LoadPngResource(instance, id, image)) return false;
    PremultiplyAlpha(image);
    return true;
  }
  if (!::FindResourceW(instance, MAKEINTRESOURCEW(id), RT_BITMAP)) return false;
  auto bitmap =
      static_cast<HBITMAP>(::LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (bitmap) image.Attach(bitmap);
  return false;
}

namespace {

// v * a / 255 for each colour byte, with `bias` added before the division (0 truncates, 127
// rounds to the nearest).
bool Premultiply(CImage& image, unsigned bias) {
  if (image.GetBPP() != 32 || !image.GetBits()) return false;
  for (int y = 0; y < image.GetHeight(); ++y) {
    BYTE* p = image.GetPixelAddress(0, y);
    for (int x = 0; x < image.GetWidth(); ++x, p += 4) {
      const unsigned a = p[3];
      p[0] = static_cast<BYTE>((p[0] * a + bias) / 255);
      p[1] = static_cast<BYTE>((p[1] * a + bias) / 255);
      p[2] = static_cast<BYTE>((p[2] * a + bias) / 255);
    }
  }
  return true;
}

}  // namespace

bool PremultiplyAlpha(CImage& image) { return Premultiply(image, 0); }

bool PremultiplyAlphaRounded(CImage& image) { return Premultiply(image, 127); }

// A negative margin would give pieces of negative size, which GDI draws mirrored: no split then.
bool HorizontalSplitApplies(const RECT& dest, int imageWidth, const RECT& margins) {
  const int sum = margins.left + margins.right;
  return margins.left >= 0 && margins.right >= 0 && sum > 0 && sum < imageWidth && sum < dest.right - dest.left;
}

bool VerticalSplitApplies(const RECT& dest, int imageHeight, const RECT& margins) {
  const int sum = margins.top + margins.bottom;
  return margins.top >= 0 && margins.bottom >= 0 && sum > 0 && sum < imageHeight && sum < dest.bottom - dest.top;
}

bool NineGridSplitApplies(const RECT& dest, int imageWidth, int imageHeight, const RECT& margins) {
  return HorizontalSplitApplies(dest, imageWidth, margins) || VerticalSplitApplies(dest, imageHeight, margins);
}

std::vector<BlitPiece> NineGridPieces(const RECT& dest, int iw, int ih, const RECT& margins) {
  const bool horizontal = HorizontalSplitApplies(dest, iw, margins);
  const bool vertical = VerticalSplitApplies(dest, ih, margins);
  const int L = dest.left, T = dest.top, R = dest.right, B = dest.bottom;
  const int ml = margins.left, mt = margins.top, mr = margins.right, mb = margins.bottom;
  const int hsum = ml + mr, vsum = mt + mb;
  const int midW = (R - L) - hsum, midH = (B - T) - vsum;

  if (horizontal && vertical) {
    return {
        {{L, T, ml, mt}, {0, 0, ml, mt}},
        {{L + ml, T, midW, mt}, {ml, 0, iw - hsum, mt}},
        {{R - mr, T, mr, mt}, {iw - mr, 0, mr, mt}},
        {{L, T + mt, ml, midH}, {0, mt, ml, ih - vsum}},
        {{L + ml, T + mt, midW, midH}, {ml, mt, iw - hsum, ih - vsum}},
        {{R - mr, T + mt, mr, midH}, {iw - mr, mt, mr, ih - vsum}},
        {{L, B - mb, ml, mb}, {0, ih - mb, ml, mb}},
        {{L + ml, B - mb, midW, mb}, {ml, ih - mb, iw - hsum, mb}},
        {{R - mr, B - mb, mr, mb}, {iw - mr, ih - mb, mr, mb}},
    };
  }
  if (horizontal) {
    return {
        {{L, T, ml, B - T}, {0, 0, ml, ih}},
        {{L + ml, T, midW, B - T}, {ml, 0, iw - hsum, ih}},
        {{R - mr, T, mr, B - T}, {iw - mr, 0, mr, ih}},
    };
  }
  if (vertical) {
    return {
        {{L, T, R - L, mt}, {0, 0, iw, mt}},
        {{L, T + mt, R - L, midH}, {0, mt, iw, ih - vsum}},
        {{L, B - mb, R - L, mb}, {0, ih - mb, iw, mb}},
    };
  }
  return {};
}

BlitPiece UnsplitPiece(const RECT& dest, int iw, int ih, UnsplitPlacement placement) {
  const BlitRect whole{0, 0, iw, ih};
  const int height = dest.bottom - dest.top;
  if (placement == PLACE_FILL) return {{dest.left, dest.top, dest.right - dest.left, height}, whole};
  const int y = height > ih ? dest.top + (height - ih) / 2 : dest.top;
  return {{dest.left, y, iw, ih}, whole};
}

bool DrawAlpha(HDC dc, const CImage& image, const BlitPiece& p, BYTE constantAlpha) {
  return image.AlphaBlend(dc, p.dest.x, p.dest.y, p.dest.width, p.dest.height, p.src.x, p.src.y, p.src.width,
                          p.src.height, constantAlpha, AC_SRC_OVER);
}

bool DrawKeyed(HDC dc, const CImage& image, const BlitPiece& p) {
  return image.TransparentBlt(dc, p.dest.x, p.dest.y, p.dest.width, p.dest.height, p.src.x, p.src.y, p.src.width,
                              p.src.height, SKIN_KEY_COLOR);
}

bool DrawOpaqueStretch(HDC dc, const CImage& image, const BlitPiece& p) {
  return image.StretchBlt(dc, p.dest.x, p.dest.y, p.dest.width, p.dest.height, p.src.x, p.src.y, p.src.width,
                          p.src.height, SRCCOPY);
}

bool DrawOpaqueCopy(HDC dc, const CImage& image, int x, int y) { return image.BitBlt(dc, x, y, SRCCOPY); }

bool DrawPiece(HDC dc, const CImage& image, const BlitPiece& piece, DrawPrimitive primitive, BYTE constantAlpha) {
  switch (primitive) {
    case DRAW_ALPHA:
      return DrawAlpha(dc, image, piece, constantAlpha);
    case DRAW_KEYED:
      return DrawKeyed(dc, image, piece);
    case DRAW_OPAQUE_STRETCH:
      return DrawOpaqueStretch(dc, image, piece);
  }
  return false;
}

bool DrawNineGrid(HDC dc, const CImage& image, const RECT& dest, const RECT& margins, DrawPrimitive primitive,
                  BYTE constantAlpha) {
  if (image.IsNull()) return false;
  const std::vector<BlitPiece> pieces = NineGridPieces(dest, image.GetWidth(), image.GetHeight(), margins);
  if (pieces.empty()) return false;
  for (const BlitPiece& piece : pieces) DrawPiece(dc, image, piece, primitive, constantAlpha);
  return true;
}
