// The skinned push button: a label that draws one of eight state pictures behind its text,
// follows the pointer through hover, pressed and released looks, can show a checked picture set,
// and shortens its text with "..." while keeping a chosen number of trailing characters. Clicks
// are detected by the form, not reported by the button.
#pragma once

#include "platform/image.h"
#include "skin/label.h"
#include "skin/picture_plan.h"
#include "skin/text_fit.h"

#include <vector>

// Pointer states; BUTTON_REFRESH is never stored: it re-chooses the picture for the stored
// state (after m_checked was written) and repaints.
enum : int {
  BUTTON_NORMAL = 0,
  BUTTON_HOVER = 1,
  BUTTON_PRESSED = 2,
  BUTTON_RELEASED = 3,  // released over the button: looks like hover
  BUTTON_REFRESH = 4,
};

class CKXButton : public CKXLabel {
public:
  CKXButton();

  bool OnLButtonDown(WPARAM flags, const POINT* point) override;  // 1
  bool OnLButtonUp(WPARAM flags, const POINT* point) override;    // 2
  bool OnMouseMove(WPARAM flags, const POINT* point) override;    // 3
  void OnPaint(HDC hdc) override;                                 // 6
  void SetEnabled(bool enabled, bool redraw) override;            // 15

  virtual int GetImageWidth() const;             // 35
  virtual int GetImageHeight() const;            // 36
  virtual void SetState(int state, bool redraw); // 37

  // Loads the normal, hover and pressed pictures (PNG resources, or bitmaps) from the instance,
  // the module's own when none is given, and shows the normal one.
  void SetImages(UINT normalId, UINT hoverId, UINT pressedId, HINSTANCE instance = nullptr);

  // The blits OnPaint makes for the current picture (none without one).
  std::vector<PictureBlit> PicturePlan() const;
  // The text OnPaint draws into a text box whose right edge is `right`, measured by `measure`.
  std::wstring FittedText(int right, const TextMeasure& measure) const;

  int m_state = BUTTON_NORMAL;
  bool m_stretch = true;   // split and place the picture; when false copy it at natural size
  bool m_fill = true;      // unsplit placement: fill (true) or natural size (false)
  bool m_checked = false;  // written by the forms, then SetState(BUTTON_REFRESH, true)
  bool m_hasAlpha = false; // the normal picture came from a PNG: alpha-blend every picture
  RECT m_margins{};        // nine-grid margins
  RECT m_textInsets{};     // text box insets from m_rect
  const CImage* m_imgCurrent = nullptr;  // one of the pictures below; never owns
  CImage m_imgNormal;
  CImage m_imgHover;
  CImage m_imgPressed;
  CImage m_imgDisabled;
  CImage m_imgCheckedNormal;
  CImage m_imgCheckedHover;
  CImage m_imgCheckedPressed;
  CImage m_imgCheckedDisabled;

private:
  void ChooseDisabledPicture();
  void PaintText(HDC hdc);
};
