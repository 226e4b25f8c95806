// The background layer window: its picture rendered into the layer premultiplied with rounding,
// and the layered, frameless window that shows it.
#include "forms/form_back.h"

#include "canvas.h"
#include "shell/global_module.h"
#include "skin/drawing.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace {

HINSTANCE Module() { return ::GetModuleHandleW(nullptr); }

// The blue, green, red and alpha bytes of a pixel.
struct Bgra {
  BYTE b, g, r, a;
};
Bgra PixelOf(const CImage& image, int x, int y) {
  const BYTE* p = image.GetPixelAddress(x, y);
  return {p[0], p[1], p[2], p[3]};
}
Bgra PixelOf(const TestCanvas& canvas, int x, int y) {
  const uint32_t raw = canvas.Raw(x, y);
  return {BYTE(raw), BYTE(raw >> 8), BYTE(raw >> 16), BYTE(raw >> 24)};
}

BYTE Rounded(BYTE v, BYTE a) { return static_cast<BYTE>((v * a + 127) / 255); }

TEST(LayerPicture, BackgroundPictureLandsPremultipliedWithRounding) {
  CImage raw;
  ASSERT_TRUE(LoadPngResource(Module(), BACKGROUND_PICTURE_ID, raw));
  ASSERT_EQ(raw.GetWidth(), 1024);
  ASSERT_EQ(raw.GetHeight(), 700);
  ASSERT_TRUE(raw.HasAlphaChannel());

  TestCanvas layer(1024, 700);  // a new DIB: transparent black
  ASSERT_TRUE(layer);
  ASSERT_TRUE(DrawLayerPicture(layer.DC(), Module(), BACKGROUND_PICTURE_ID));
  int mismatches = 0, roundingMatters = 0, translucent = 0;
  for (int y = 0; y < 700; ++y)
    for (int x = 0; x < 1024; ++x) {
      const Bgra in = PixelOf(raw, x, y), out = PixelOf(layer, x, y);
      const Bgra expect{Rounded(in.b, in.a), Rounded(in.g, in.a), Rounded(in.r, in.a), in.a};
      if (std::memcmp(&out, &expect, sizeof(Bgra)) != 0 && mismatches++ < 5)
        ADD_FAILURE() << "pixel " << x << "," << y << " differs";
      if (in.a != 0 && in.a != 255) ++translucent;
      if (expect.b != in.b * in.a / 255 || expect.g != in.g * in.a / 255 || expect.r != in.r * in.a / 255)
        ++roundingMatters;
    }
  EXPECT_EQ(mismatches, 0);
  EXPECT_GT(translucent, 0);      // the soft edges are there...
  EXPECT_GT(roundingMatters, 0);  // ...and tell rounding from truncating

  TestCanvas untouched(20, 20);
  ASSERT_TRUE(untouched);
  EXPECT_FALSE(DrawLayerPicture(untouched.DC(), Module(), 9999));
  EXPECT_EQ(untouched.CountDifferent({0, 0, 20, 20}, RGB(0, 0, 0)), 0);
}

TEST(BackgroundWindow, LayeredFramelessAndShowingItsPicture) {
  CGlobalModule& app = g_GlobalModule;
  app.m_hInstance = Module();
  wcscpy_s(app.m_szWindowClass, L"VoPravikBackTest");
  ASSERT_NE(RegisterWindowClass(app.m_hInstance), 0);
  CFormBack& back = app.m_formBack;
  back.SetRect({0, 0, 1024, 700});
  ASSERT_TRUE(back.CreateForm());
  HWND wnd = back.GetHwnd();
  ASSERT_TRUE(wnd);
  const LONG style = ::GetWindowLongW(wnd, GWL_STYLE), ex = ::GetWindowLongW(wnd, GWL_EXSTYLE);
  EXPECT_EQ(style & (WS_POPUP | WS_BORDER | WS_DLGFRAME | WS_THICKFRAME), 0);
  EXPECT_EQ(style & (WS_SYSMENU | WS_MINIMIZEBOX), WS_SYSMENU | WS_MINIMIZEBOX);
  EXPECT_TRUE(ex & WS_EX_LAYERED);
  EXPECT_FALSE(ex & (WS_EX_TOOLWINDOW | WS_EX_TOPMOST));

  // Brought onto the screen, an opaque pixel of the artwork shows as it is.
  ShowOnWorkArea(back, 0, false);
  CImage raw;
  ASSERT_TRUE(LoadPngResource(Module(), BACKGROUND_PICTURE_ID, raw));
  POINT opaque{-1, -1};
  for (int y = 350; y < 700 && opaque.x < 0; ++y)
    for (int x = 512; x < 1024 && opaque.x < 0; ++x)
      if (PixelOf(raw, x, y).a == 255) opaque = {x, y};
  ASSERT_GE(opaque.x, 0);
  POINT origin{0, 0};
  ::ClientToScreen(wnd, &origin);
  const Bgra want = PixelOf(raw, opaque.x, opaque.y);
  COLORREF seen = CLR_INVALID;
  for (int i = 0; i < 50; ++i) {  // the window reaches the screen asynchronously
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    HDC screen = ::GetDC(nullptr);
    seen = ::GetPixel(screen, origin.x + opaque.x, origin.y + opaque.y);
    ::ReleaseDC(nullptr, screen);
    if (seen == RGB(want.r, want.g, want.b)) break;
    ::Sleep(20);
  }
  EXPECT_EQ(seen, RGB(want.r, want.g, want.b));
  ::DestroyWindow(wnd);
}

}  // namespace
