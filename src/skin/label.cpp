#include "skin/label.h"

#include "platform/handles.h"
#include "skin/text_fit.h"

int FontHeightFor(const std::wstring& faceName, int size, int height) {
  if (height > 0) return height;
  return faceName == L"微软雅黑" ? size - 5 : size;
}

CKXLabel::CKXLabel() { m_typeName = L"CKXLabel"; }

CKXLabel::~CKXLabel() {
  if (m_font) ::DeleteObject(m_font);
}

void CKXLabel::PrepareFont() {
  if (!m_fontDirty) return;
  if (m_font) ::DeleteObject(m_font);
  m_font = ::CreateFontW(m_fontHeight, 0, 0, 0, m_fontWeight, FALSE, m_underline, FALSE, ANSI_CHARSET,
                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_SWISS,
                         m_faceName.c_str());
  m_fontDirty = false;
}

int CKXLabel::BeginText(HDC hdc, bool opaqueBackground) {
  const int saved = ::SaveDC(hdc);
  if (opaqueBackground) {
    ::SetBkColor(hdc, m_bkColor);
    ::SetBkMode(hdc, OPAQUE);
  } else {
    ::SetBkMode(hdc, TRANSPARENT);
  }
  ::SetTextColor(hdc, m_enabled ? m_textColor : m_disabledColor);
  PrepareFont();
  // Without a font of its own the label writes with the DC's current one.
  if (m_font) ::SelectObject(hdc, m_font);
  return saved;
}

void CKXLabel::EndText(HDC hdc, int saved) {
  // Brings back the font, colours and background mode as they were.
  ::RestoreDC(hdc, saved);
}

RECT CKXLabel::CenterLine(RECT rect, int h) {
  ::InflateRect(&rect, 0, -((rect.bottom - rect.top - h) / 2));
  return rect;
}

void CKXLabel::OnPaint(HDC hdc) {
  if (!m_visible) return;
  const int saved = BeginText(hdc, m_opaqueBk);
  if (m_multiLine)
    PaintMultiLine(hdc);
  else
    PaintSingleLine(hdc);
  EndText(hdc, saved);
}

void CKXLabel::PaintSingleLine(HDC hdc) {
  const RECT box = MeasureText(hdc, m_text, m_rect, m_format);
  if (m_autoWidth) {
    const LONG w = box.right - m_rect.left;
    m_rect.right = m_rect.left + ((m_maxWidth > 0 && w > m_maxWidth) ? m_maxWidth : w);
  }
  if (m_text.empty()) return;
  std::wstring shown = m_text;
  if (box.right > m_rect.right)
    shown = ShortenWithEllipsis(m_text, 0, m_rect.right, GdiTextMeasure(hdc, m_rect, m_format));
  RECT line = CenterLine(m_rect, box.bottom - box.top);
  ::DrawTextW(hdc, shown.c_str(), static_cast<int>(shown.size()), &line, m_format);
}

void CKXLabel::PaintMultiLine(HDC hdc) {
  if (m_text.empty()) return;
  const RECT box = MeasureText(hdc, m_text, m_rect, m_format);
  const int h = box.bottom - box.top;
  const int capacity = LineCapacity(m_rect.bottom - m_rect.top, h, m_lineSpacing);
  RECT line{m_rect.left, m_rect.top, m_rect.right, m_rect.top + h};
  for (const std::wstring& text :
       BreakIntoLines(m_text, capacity, m_rect.right, GdiTextMeasure(hdc, m_rect, m_format))) {
    RECT drawn = line;
    ::DrawTextW(hdc, text.c_str(), static_cast<int>(text.size()), &drawn, m_format);
    ::OffsetRect(&line, 0, h + m_lineSpacing);
  }
}

int CKXLabel::GetTextWidth() {
  if (m_textWidth >= 0) return m_textWidth;
  // Before the label has a host window this measures with the screen's DC.
  WindowDC dc(m_hostWnd);
  if (!dc) return 0;
  const int saved = BeginText(dc.Get(), false);
  const RECT box = MeasureText(dc.Get(), m_text, m_rect, m_format);
  EndText(dc.Get(), saved);
  int width = box.right - box.left;
  if (m_maxWidth != 0 && m_maxWidth < width) width = m_maxWidth;
  m_textWidth = width;
  return width;
}

bool CKXLabel::OnMouseMove(WPARAM flags, const POINT* point) {
  CKXBaseControl::OnMouseMove(flags, point);
  if (!m_linkMode) return false;
  const bool over = HitTest(point);
  if (over == m_linkHovered) return false;
  m_linkHovered = over;
  const DWORD underline = over ? m_hoverUnderline : m_normalUnderline;
  const COLORREF color = over ? m_hoverColor : m_normalColor;
  const bool underlineChanged = underline != m_underline;
  const bool colorChanged = color != m_textColor;
  SetUnderline(underline, false);
  SetTextColor(color, true);
  // The colour setter repaints only for a new colour; a new underline alone must show too.
  if (underlineChanged && !colorChanged) Invalidate();
  return false;
}

void CKXLabel::WidenForNewText() {
  if (m_autoWidth) m_rect.right = m_rect.left + AUTO_WIDTH_ROOM;
}

void CKXLabel::SetText(const std::wstring& text, bool redraw) {
  WidenForNewText();
  m_text = text;
  m_fontDirty = true;
  m_textWidth = -1;
  if (redraw) Invalidate();
}

void CKXLabel::SetFontSize(int size, int height, bool redraw) {
  WidenForNewText();
  m_fontHeight = FontHeightFor(m_faceName, size, height);
  m_fontDirty = true;
  if (redraw) Invalidate();
}

void CKXLabel::SetFontName(const std::wstring& faceName, bool redraw) {
  WidenForNewText();
  m_faceName = faceName;
  m_fontDirty = true;
  if (redraw) Invalidate();
}

void CKXLabel::SetLinkUnderline(DWORD normal, DWORD hover, bool redraw) {
  m_linkMode = true;
  m_normalUnderline = normal;
  m_hoverUnderline = hover;
  m_underline = normal;
  if (redraw) Invalidate();
}

void CKXLabel::SetUnderline(DWORD underline, bool redraw) {
  m_underline = underline;
  m_fontDirty = true;
  if (redraw) Invalidate();
}

std::wstring CKXLabel::GetText() const { return m_text; }

void CKXLabel::SetLinkColors(COLORREF normal, COLORREF hover, COLORREF checked, bool redraw) {
  m_checkedColorMode = true;
  m_checkedColor = checked;
  SetLinkColor(normal, hover, redraw);
}

void CKXLabel::SetLinkColor(COLORREF normal, COLORREF hover, bool redraw) {
  m_linkMode = true;
  m_normalColor = normal;
  m_hoverColor = hover;
  m_textColor = normal;
  if (redraw) Invalidate();
}

void CKXLabel::SetTextColor(COLORREF color, bool redraw) {
  if (color == m_textColor) return;
  m_textColor = color;
  m_fontDirty = true;
  if (redraw) Invalidate();
}

void CKXLabel::SetDisabledTextColor(COLORREF color) { m_disabledColor = color; }

void CKXLabel::SetBkColor(COLORREF color, bool opaque) {
  // A change of the opaque flag alone counts as a change too: otherwise a black opaque
  // background could never be asked for, black being the starting colour.
  if (color == m_bkColor && opaque == m_opaqueBk) return;
  m_bkColor = color;
  m_opaqueBk = opaque;
  Invalidate();
}

void CKXLabel::SetFont(HFONT font) {
  if (font == m_font) return;  // adopting its own font again must not delete it
  if (m_font) ::DeleteObject(m_font);
  m_font = font;
}

void CKXLabel::SetTextFormat(UINT format) {
  m_format = format;
  if (format != 0) m_autoWidth = false;
}

void CKXLabel::SetAutoWidth(bool on, int maxWidth) {
  m_autoWidth = on;
  m_maxWidth = maxWidth;
}

void CKXLabel::SetBold(bool bold, bool redraw) {
  const int weight = bold ? FW_BOLD : 0;
  if (weight == m_fontWeight) return;
  m_fontWeight = weight;
  m_fontDirty = true;
  if (redraw) Invalidate();
}

void CKXLabel::SetEllipsisTail(int count) { m_ellipsisTail = count; }
