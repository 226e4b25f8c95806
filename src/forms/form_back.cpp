#include "forms/form_back.h"

#include "platform/handles.h"
#include "shell/global_module.h"
#include "skin/drawing.h"

bool CFormBack::OnLButtonDown(WPARAM, const POINT*) {
  ::SendMessageW(m_hWnd, WM_SYSCOMMAND, SC_MOVE | HTCAPTION, 0);
  return true;
}

void CFormBack::OnMove() {
  POINT origin{0, 0};
  ::ClientToScreen(m_hWnd, &origin);
  ::SetWindowPos(g_GlobalModule.m_formLogin.GetHwnd(), nullptr, origin.x, origin.y, 0, 0,
                 SWP_NOSIZE | SWP_NOACTIVATE);
}

LRESULT CFormBack::WindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (CKXForm::WindowProc(wnd, msg, wParam, lParam) == 0) return 0;
  return ::DefWindowProcW(wnd, msg, wParam, lParam);
}

bool CFormBack::CreateForm() {
  CGlobalModule& app = g_GlobalModule;
  Create(app.m_szWindowClass, app.m_szTitle, app.m_hInstance, nullptr);
  KeepStyleBits(m_hWnd, 0x7F30FF7F, WS_SYSMENU | WS_MINIMIZEBOX);
  ChangeExStyle(m_hWnd, WS_EX_DLGMODALFRAME | WS_EX_TOOLWINDOW | WS_EX_WINDOWEDGE,
             WS_EX_LAYERED | (app.m_nTopMost == 1 ? WS_EX_TOPMOST : 0));
  PaintLayered();
  return true;
}

bool DrawLayerPicture(HDC dc, HINSTANCE instance, UINT id) {
  CImage picture;
  if (!LoadPngResource(instance, id, picture) || picture.IsNull()) return false;
  PremultiplyAlphaRounded(picture);
  const int w = picture.GetWidth(), h = picture.GetHeight();
  if (picture.HasAlphaChannel()) return picture.AlphaBlend(dc, 0, 0, w, h, 0, 0, w, h, 255, AC_SRC_OVER);
  return picture.StretchBlt(dc, 0, 0, w, h, 0, 0, w, h, SRCCOPY);
}

HBITMAP CreateLayerBitmap(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  return ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
}

void CFormBack::PaintLayered(bool keepPosition) {
  const SIZE size{m_rect.right - m_rect.left, m_rect.bottom - m_rect.top};
  WindowDC windowDC(m_hWnd);
  UniqueMemDC memDC(::CreateCompatibleDC(windowDC.Get()));
  // A 32-bit DIB rather than a bitmap compatible with the screen: per-pixel alpha needs the
  // alpha byte whatever the display's depth, and a new DIB starts out transparent.
  UniqueGdiObject bitmap(CreateLayerBitmap(size.cx, size.cy));
  if (!memDC || !bitmap) return;
  SelectObjectScope select(memDC.Get(), bitmap.Get());
  DrawLayerPicture(memDC.Get(), g_GlobalModule.m_hInstance, BACKGROUND_PICTURE_ID);
  POINT dst{0, 0}, src{0, 0};
  if (keepPosition) {
    RECT wr{};
    ::GetWindowRect(m_hWnd, &wr);
    dst = {wr.left, wr.top};
  }
  SIZE layer = size;
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  ::UpdateLayeredWindow(m_hWnd, windowDC.Get(), &dst, &layer, memDC.Get(), &src, 0, &blend, ULW_ALPHA);
}

void ShowOffscreen(CKXForm& form, int topMost) {
  HWND wnd = form.GetHwnd();
  ChangeExStyle(wnd, WS_EX_APPWINDOW, WS_EX_TOOLWINDOW);
  ::SetWindowPos(wnd, topMost == 1 ? HWND_TOPMOST : HWND_TOP, -2000, -2000, 0, 0,
                 SWP_SHOWWINDOW | SWP_NOSIZE);
  ::ShowWindow(wnd, SW_SHOWNORMAL);
  ::UpdateWindow(wnd);
}

void ShowOnWorkArea(CKXForm& form, int topMost, bool keepPosition) {
  HWND wnd = form.GetHwnd();
  ChangeExStyle(wnd, WS_EX_TOOLWINDOW, WS_EX_APPWINDOW | (topMost == 1 ? WS_EX_TOPMOST : 0));
  RECT client{};
  ::GetClientRect(wnd, &client);
  POINT at = CenterOnWorkArea(GetWorkArea(), client.right - client.left, client.bottom - client.top);
  UINT flags = SWP_SHOWWINDOW | SWP_NOREDRAW | SWP_NOSIZE | (keepPosition ? SWP_NOMOVE : 0);
  ::SetWindowPos(wnd, topMost == 1 ? HWND_TOPMOST : HWND_TOP, at.x, at.y, 0, 0, flags);
  ::ShowWindow(wnd, SW_SHOWNORMAL);
}
