// The text control of the skin toolkit and the base of the button: a text drawn with a lazily
// created GDI font, on one line (shortened with "..." when it does not fit) or on several,
// optionally sizing its own width to the text, optionally behaving as a link whose colour and
// underline change under the pointer.
#pragma once

#include "skin/control.h"

#include <string>

class CKXLabel : public CKXBaseControl {
public:
  CKXLabel();
  ~CKXLabel() override;

  bool OnMouseMove(WPARAM flags, const POINT* point) override;  // 3
  void OnPaint(HDC hdc) override;                                // 6

  virtual void SetText(const std::wstring& text, bool redraw);                    // 18
  virtual void SetFontSize(int size, int height, bool redraw);                    // 19
  virtual void SetFontName(const std::wstring& faceName, bool redraw);            // 20
  virtual void SetLinkUnderline(DWORD normal, DWORD hover, bool redraw);          // 21
  virtual void SetUnderline(DWORD underline, bool redraw);                        // 22
  virtual std::wstring GetText() const;                                           // 23
  virtual void SetLinkColors(COLORREF normal, COLORREF hover, COLORREF checked, bool redraw);  // 24
  virtual void SetLinkColor(COLORREF normal, COLORREF hover, bool redraw);        // 25
  virtual void SetTextColor(COLORREF color, bool redraw);                         // 26
  virtual void SetDisabledTextColor(COLORREF color);                              // 27
  virtual void SetBkColor(COLORREF color, bool opaque);                           // 28
  virtual void SetFont(HFONT font);                                               // 29 (adopts it)
  virtual void SetTextFormat(UINT format);                                        // 30
  virtual void SetAutoWidth(bool on, int maxWidth);                               // 31
  virtual int GetTextWidth();                                                     // 32
  virtual void SetBold(bool bold, bool redraw);                                   // 33
  virtual void SetEllipsisTail(int count);                                        // 34

  // Creates the font again from the font fields when one of them changed since its last use.
  void PrepareFont();

  std::wstring m_text;
  int m_fontHeight = 12;
  std::wstring m_faceName = L"宋体";
  DWORD m_underline = 0;
  COLORREF m_textColor = 0;
  COLORREF m_bkColor = 0;
  bool m_opaqueBk = false;
  HFONT m_font = nullptr;  // owned
  bool m_fontDirty = false;
  UINT m_format = DT_LEFT | DT_TOP;
  bool m_autoWidth = true;
  int m_maxWidth = 0;   // 0: no cap
  int m_textWidth = -1; // cached GetTextWidth; -1: unknown
  int m_fontWeight = 0;
  int m_ellipsisTail = 0;  // used by the button's shortening
  bool m_multiLine = false;
  int m_lineSpacing = 10;
  bool m_linkMode = false;
  bool m_checkedColorMode = false;
  bool m_linkHovered = false;
  DWORD m_hoverUnderline = 0;
  DWORD m_normalUnderline = 0;
  COLORREF m_checkedColor = 0;
  COLORREF m_hoverColor = 0;
  COLORREF m_normalColor = 0;
  COLORREF m_disabledColor = 0xAAAAAA;

protected:
  // Saves the DC and sets it up for the text: background, colour (the disabled one when
  // disabled) and font. Returns the saved state for EndText.
  int BeginText(HDC hdc, bool opaqueBackground);
  void EndText(HDC hdc, int saved);
  // The text rectangle shrunk (or grown) vertically around its middle to one line of height h.
  static RECT CenterLine(RECT rect, int h);

private:
  void WidenForNewText();
  void PaintSingleLine(HDC hdc);
  void PaintMultiLine(HDC hdc);
};

// The font height SetFontSize gives: an explicit positive height wins; otherwise the size,
// five less for "微软雅黑", whose glyphs run larger than the others' at the same size.
int FontHeightFor(const std::wstring& faceName, int size, int height);

// Room a label with automatic width takes while a new text waits for its first paint.
constexpr int AUTO_WIDTH_ROOM = 800;
