// A memory DC over a 32-bit top-down DIB section, for tests that paint and read pixels back.
#pragma once

#include "platform/handles.h"

#include <cstdint>

class TestCanvas {
public:
  TestCanvas(int width, int height);
  ~TestCanvas();
  TestCanvas(const TestCanvas&) = delete;
  TestCanvas& operator=(const TestCanvas&) = delete;

  HDC DC() const { return m_dc.Get(); }
  int Width() const { return m_width; }
  int Height() const { return m_height; }
  explicit operator bool() const { return m_bits != nullptr; }

  // Sets every pixel to the colour (alpha byte 0).
  void Fill(COLORREF color);
  // The pixel as a COLORREF (red low), ignoring the alpha byte.
  COLORREF Pixel(int x, int y) const;
  // The raw blue, green, red, alpha bytes.
  uint32_t Raw(int x, int y) const;
  // Counts the pixels of the rectangle that differ from the colour.
  int CountDifferent(const RECT& area, COLORREF color) const;
  // Whether some pixel has exactly this colour.
  bool Contains(COLORREF color) const;
  // Whether some pixel of the row (between x0 and x1) differs from the colour.
  bool RowDiffers(int y, int x0, int x1, COLORREF color) const;

private:
  int m_width;
  int m_height;
  uint32_t* m_bits = nullptr;
  UniqueMemDC m_dc;
  UniqueGdiObject m_bitmap;
  HGDIOBJ m_oldBitmap = nullptr;
};
