// How the picture control and the button lay a picture into their rectangle: which blits, with
// which primitive and constant alpha. Planned as plain values so the rules can be checked
// exactly; PaintPicturePlan then performs them through GDI.
#pragma once

#include "platform/image.h"
#include "skin/drawing.h"

#include <vector>

enum class PictureOp {
  Alpha,          // AlphaBlend with the blit's constant alpha
  Keyed,          // TransparentBlt leaving out the key colour
  OpaqueStretch,  // StretchBlt, SRCCOPY
  OpaqueCopy      // BitBlt at natural size from the picture's origin
};

struct PictureBlit {
  PictureOp op = PictureOp::Alpha;
  BlitPiece piece;
  BYTE alpha = 255;  // for PictureOp::Alpha
  bool operator==(const PictureBlit&) const = default;
};

// Blended drawing: the nine-grid pieces at constant alpha 255 when the margins split the
// picture, else the whole picture placed as asked at constant alpha unsplitAlpha. Alpha
// blending when hasAlpha, the key colour otherwise.
std::vector<PictureBlit> PlanBlendedPicture(const RECT& rect, int imageWidth, int imageHeight,
                                            const RECT& margins, bool hasAlpha,
                                            UnsplitPlacement placement, BYTE unsplitAlpha);

// Opaque drawing: the nine-grid pieces stretched when splitting is allowed and the margins
// split the picture, else one copy at natural size at the rectangle's top-left corner.
std::vector<PictureBlit> PlanOpaquePicture(const RECT& rect, int imageWidth, int imageHeight,
                                           const RECT& margins, bool allowSplit);

void PaintPicturePlan(HDC dc, const CImage& image, const std::vector<PictureBlit>& plan);
