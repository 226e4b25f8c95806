#include "skin/picture.h"

#include "skin/picture_plan.h"

CKXImage::CKXImage() { m_typeName = L"CKXImage"; }

int CKXImage::GetImageWidth() const { return m_image.IsNull() ? 0 : m_image.GetWidth(); }

int CKXImage::GetImageHeight() const { return m_image.IsNull() ? 0 : m_image.GetHeight(); }

std::vector<PictureBlit> CKXImage::PicturePlan() const {
  if (m_image.IsNull()) return {};
  const int iw = GetImageWidth(), ih = GetImageHeight();
  if (m_transparent)
    return PlanBlendedPicture(m_rect, iw, ih, m_margins, m_hasAlpha, m_stretch ? PLACE_FILL : PLACE_NATURAL, 255);
  return PlanOpaquePicture(m_rect, iw, ih, m_margins, m_stretch);  // opaque mode never fills
}

void CKXImage::OnPaint(HDC hdc) {
  // A disabled picture is drawn all the same.
  if (!m_visible) return;
  PaintPicturePlan(hdc, m_image, PicturePlan());
}
