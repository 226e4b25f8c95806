#include "canvas.h"

TestCanvas::TestCanvas(int width, int height) : m_width(width), m_height(height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down: row 0 first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  m_bitmap.Reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  m_dc.Reset(::CreateCompatibleDC(nullptr));
  if (!m_bitmap || !m_dc) return;
  m_bits = static_cast<uint32_t*>(bits);
  m_oldBitmap = ::SelectObject(m_dc.Get(), m_bitmap.Get());
}

TestCanvas::~TestCanvas() {
  if (m_oldBitmap) ::SelectObject(m_dc.Get(), m_oldBitmap);
}

void TestCanvas::Fill(COLORREF color) {
  const uint32_t raw = (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color);
  ::GdiFlush();
  for (int i = 0; i < m_width * m_height; ++i) m_bits[i] = raw;
}

uint32_t TestCanvas::Raw(int x, int y) const {
  ::GdiFlush();
  return m_bits[y * m_width + x];
}

COLORREF TestCanvas::Pixel(int x, int y) const {
  const uint32_t raw = Raw(x, y);
  return RGB((raw >> 16) & 0xFF, (raw >> 8) & 0xFF, raw & 0xFF);
}

int TestCanvas::CountDifferent(const RECT& area, COLORREF color) const {
  int count = 0;
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x)
      if (Pixel(x, y) != color) ++count;
  return count;
}

bool TestCanvas::RowDiffers(int y, int x0, int x1, COLORREF color) const {
  for (int x = x0; x < x1; ++x)
    if (Pixel(x, y) != color) return true;
  return false;
}

bool TestCanvas::Contains(COLORREF color) const {
  for (int y = 0; y < m_height; ++y)
    for (int x = 0; x < m_width; ++x)
      if (Pixel(x, y) == color) return true;
  return false;
}
