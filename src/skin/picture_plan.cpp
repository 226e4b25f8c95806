#include "skin/picture_plan.h"

std::vector<PictureBlit> PlanBlendedPicture(const RECT& rect, int imageWidth, int imageHeight,
                                            const RECT& margins, bool hasAlpha,
                                            UnsplitPlacement placement, BYTE unsplitAlpha) {
  const PictureOp op = hasAlpha ? PictureOp::Alpha : PictureOp::Keyed;
  std::vector<PictureBlit> plan;
  for (const BlitPiece& piece : NineGridPieces(rect, imageWidth, imageHeight, margins))
    plan.push_back({op, piece, 255});
  if (plan.empty())
    plan.push_back({op, UnsplitPiece(rect, imageWidth, imageHeight, placement), unsplitAlpha});
  return plan;
}

std::vector<PictureBlit> PlanOpaquePicture(const RECT& rect, int imageWidth, int imageHeight,
                                           const RECT& margins, bool allowSplit) {
  std::vector<PictureBlit> plan;
  if (allowSplit)
    for (const BlitPiece& piece : NineGridPieces(rect, imageWidth, imageHeight, margins))
      plan.push_back({PictureOp::OpaqueStretch, piece, 255});
  if (plan.empty()) {
    const BlitRect whole{0, 0, imageWidth, imageHeight};
    plan.push_back({PictureOp::OpaqueCopy, {{rect.left, rect.top, imageWidth, imageHeight}, whole}, 255});
  }
  return plan;
}

void PaintPicturePlan(HDC dc, const CImage& image, const std::vector<PictureBlit>& plan) {
  if (image.IsNull()) return;
  for (const PictureBlit& blit : plan) {
    switch (blit.op) {
      case PictureOp::Alpha:
        DrawAlpha(dc, image, blit.piece, blit.alpha);
        break;
      case PictureOp::Keyed:
        DrawKeyed(dc, image, blit.piece);
        break;
      case PictureOp::OpaqueStretch:
        DrawOpaqueStretch(dc, image, blit.piece);
        break;
      case PictureOp::OpaqueCopy:
        DrawOpaqueCopy(dc, image, blit.piece.dest.x, blit.piece.dest.y);
        break;
    }
  }
}
