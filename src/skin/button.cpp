#include "skin/button.h"

#include "shell/global_module.h"
#include "skin/drawing.h"
#include "skin/text_fit.h"

CKXButton::CKXButton() {
  m_typeName = L"CKXButton";
  m_autoWidth = false;
  m_format = DT_CENTER;
}

void CKXButton::SetImages(UINT normalId, UINT hoverId, UINT pressedId, HINSTANCE instance) {
  HINSTANCE module = instance ? instance : g_GlobalModule.m_hInstance;
  m_hasAlpha = LoadSkinImage(module, m_imgNormal, normalId);
  LoadSkinImage(module, m_imgHover, hoverId);
  LoadSkinImage(module, m_imgPressed, pressedId);
  m_imgCurrent = &m_imgNormal;
}

int CKXButton::GetImageWidth() const {
  if (m_imgCurrent && !m_imgCurrent->IsNull()) return m_imgCurrent->GetWidth();
  return m_imgNormal.IsNull() ? 0 : m_imgNormal.GetWidth();
}

int CKXButton::GetImageHeight() const {
  if (m_imgCurrent && !m_imgCurrent->IsNull()) return m_imgCurrent->GetHeight();
  return m_imgNormal.IsNull() ? 0 : m_imgNormal.GetHeight();
}

bool CKXButton::OnLButtonDown(WPARAM, const POINT*) {
  ::SetCursor(m_cursor);
  SetState(BUTTON_PRESSED, true);
  return false;
}

bool CKXButton::OnLButtonUp(WPARAM, const POINT*) {
  ::SetCursor(m_cursor);
  SetState(BUTTON_RELEASED, true);
  return false;
}

bool CKXButton::OnMouseMove(WPARAM flags, const POINT* point) {
  CKXLabel::OnMouseMove(flags, point);
  SetState(HitTest(point) ? BUTTON_HOVER : BUTTON_NORMAL, true);
  return false;
}

void CKXButton::SetState(int state, bool redraw) {
  if (state == m_state) return;
  const bool refresh = state == BUTTON_REFRESH;
  if (!refresh) m_state = state;

  bool changed = false;
  auto choose = [&](const CImage& picture) {
    if (picture.IsNull()) return;
    m_imgCurrent = &picture;
    changed = true;
  };

  if (!m_enabled) {
    // A disabled button keeps its disabled look whatever the pointer does; only a refresh
    // (the checked flag may have changed) chooses its disabled picture again.
    if (refresh) {
      ChooseDisabledPicture();
      if (m_visible && redraw) Invalidate();
    }
    return;
  }

  const int s = m_state;
  const bool hoverLook = s == BUTTON_HOVER || s == BUTTON_RELEASED;
  if (m_checked) {
    if (hoverLook || s == BUTTON_PRESSED) {
      if (m_checkedColorMode)
        SetTextColor(m_checkedColor, true);
      else if (m_linkMode)
        SetTextColor(m_hoverColor, true);
      const CImage& picture = hoverLook ? m_imgCheckedHover : m_imgCheckedPressed;
      choose(picture);
      if (picture.IsNull() && refresh) choose(m_imgCheckedNormal);
    } else {
      if (m_checkedColorMode)
        SetTextColor(m_checkedColor, true);
      else if (m_linkMode)
        SetTextColor(m_normalColor, true);
      choose(m_imgCheckedNormal);
    }
  }
  // The unchecked rules, also for a checked button that found no checked picture.
  if (!changed) {
    if (hoverLook || s == BUTTON_PRESSED) {
      if (m_linkMode) SetTextColor(m_hoverColor, true);
      const CImage& picture = hoverLook ? m_imgHover : m_imgPressed;
      choose(picture);
      if (picture.IsNull() && refresh) choose(m_imgNormal);
    } else {
      if (m_linkMode) SetTextColor(m_normalColor, true);
      choose(m_imgNormal);
    }
  }
  if (m_visible && m_enabled && redraw && (changed || refresh)) Invalidate();
}

void CKXButton::ChooseDisabledPicture() {
  m_imgCurrent = &m_imgNormal;
  const CImage& disabled = m_checked ? m_imgCheckedDisabled : m_imgDisabled;
  if (!disabled.IsNull())
    m_imgCurrent = &disabled;
  else if (m_checked && !m_imgCheckedNormal.IsNull())
    m_imgCurrent = &m_imgCheckedNormal;
}

void CKXButton::SetEnabled(bool enabled, bool redraw) {
  // The picture is chosen again even when the flag does not change.
  if (enabled) {
    if (m_checked && !m_imgCheckedNormal.IsNull())
      m_imgCurrent = &m_imgCheckedNormal;
    else if (!m_imgNormal.IsNull())
      m_imgCurrent = &m_imgNormal;
  } else {
    ChooseDisabledPicture();
  }
  if (enabled == m_enabled) return;
  m_enabled = enabled;
  if (redraw) Invalidate();
}

std::vector<PictureBlit> CKXButton::PicturePlan() const {
  if (!m_imgCurrent || m_imgCurrent->IsNull()) return {};
  const int iw = GetImageWidth(), ih = GetImageHeight();
  if (!m_stretch) return PlanOpaquePicture(m_rect, iw, ih, m_margins, false);
  // An unsplit button picture is blended at 254, not 255.
  return PlanBlendedPicture(m_rect, iw, ih, m_margins, m_hasAlpha, m_fill ? PLACE_FILL : PLACE_NATURAL, 254);
}

std::wstring CKXButton::FittedText(int right, const TextMeasure& measure) const {
  if (measure(m_text) <= right) return m_text;
  return ShortenWithEllipsis(m_text, m_ellipsisTail, right, measure);
}

void CKXButton::OnPaint(HDC hdc) {
  // A disabled button is drawn, in its disabled picture and colour.
  if (!m_visible) return;
  if (m_imgCurrent) PaintPicturePlan(hdc, *m_imgCurrent, PicturePlan());
  if (!m_text.empty()) PaintText(hdc);
}

void CKXButton::PaintText(HDC hdc) {
  const RECT box{m_rect.left + m_textInsets.left, m_rect.top + m_textInsets.top,
                 m_rect.right - m_textInsets.right, m_rect.bottom - m_textInsets.bottom};
  const int saved = BeginText(hdc, false);
  const std::wstring shown = FittedText(box.right, GdiTextMeasure(hdc, box, m_format));
  const RECT measured = MeasureText(hdc, shown, box, m_format);
  RECT line = CenterLine(box, measured.bottom - measured.top);
  ::DrawTextW(hdc, shown.c_str(), static_cast<int>(shown.size()), &line, m_format);
  EndText(hdc, saved);
}
