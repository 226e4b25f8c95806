// The picture control: one skin picture drawn into its rectangle, split by nine-grid margins,
// filling it, at natural size, or copied opaquely. Forms use it for backgrounds, title bars and
// frame edges, and as the surface by which a borderless window is dragged.
#pragma once

#include "platform/image.h"
#include "skin/control.h"
#include "skin/picture_plan.h"

#include <vector>

class CKXImage : public CKXBaseControl {
public:
  CKXImage();

  void OnPaint(HDC hdc) override;  // 6

  virtual int GetImageWidth() const;   // 18
  virtual int GetImageHeight() const;  // 19

  // The blits OnPaint makes for the picture as it is configured now (none without a picture).
  std::vector<PictureBlit> PicturePlan() const;

  bool m_hasAlpha = false;    // alpha-blend (true) or key out (false) in transparent mode
  CImage m_image;             // owned
  bool m_transparent = true;  // transparent mode; opaque mode copies or stretches
  RECT m_margins{};           // nine-grid margins: left, top, right, bottom
  bool m_stretch = true;      // transparent: fill when unsplit; opaque: the split may be used
};
