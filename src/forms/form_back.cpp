#include "forms/form_back.h"

#include "platform/handles.h"
#include "shell/global_module.h"

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

void CFormBack::PaintLayered() {
  const SIZE size{m_rect.right - m_rect.left, m_rect.bottom - m_rect.top};
  WindowDC windowDC(m_hWnd);
  UniqueMemDC memDC(::CreateCompatibleDC(windowDC.Get()));
  UniqueGdiObject bitmap(::CreateCompatibleBitmap(windowDC.Get(), size.cx, size.cy));
  {
    SelectObjectScope select(memDC.Get(), bitmap.Get());
    POINT dst{0, 0}, src{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ::UpdateLayeredWindow(m_hWnd, windowDC.Get(), &dst, const_cast<SIZE*>(&size), memDC.Get(), &src,
                          0, &blend, ULW_ALPHA);
  }
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
