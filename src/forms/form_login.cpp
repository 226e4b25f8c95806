#include "forms/form_login.h"

#include "shell/global_module.h"
#include "shell/messages.h"

bool AskExit(HWND owner) {
  return ::MessageBoxW(owner, L"此操作将退出游戏，是否继续？", L"提示",
                       MB_YESNO | MB_DEFBUTTON2) != IDNO;
}

bool CFormLogin::CreateForm() {
  CGlobalModule& app = g_GlobalModule;
  Create(app.m_szWindowClass, app.m_szTitle, app.m_hInstance, app.m_formBack.GetHwnd());
  KeepStyleBits(m_hWnd, 0x7F30FF7F, WS_SYSMENU | WS_MINIMIZEBOX);
  ChangeExStyle(m_hWnd, WS_EX_DLGMODALFRAME | WS_EX_TOOLWINDOW | WS_EX_WINDOWEDGE,
                WS_EX_LAYERED | (app.m_nTopMost == 1 ? WS_EX_TOPMOST : 0));
  // Every key-coloured pixel is invisible and lets the mouse through to the background window.
  ::SetLayeredWindowAttributes(m_hWnd, RGB(255, 128, 255), 0, LWA_COLORKEY);
  return true;
}

void CFormLogin::ReloadLoginPage() { m_returnedFromGame = true; }

LRESULT CFormLogin::WindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (CKXForm::WindowProc(wnd, msg, wParam, lParam) == 0) return 0;
  switch (msg) {
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
    case WM_KX_QUIT:
      Close();
      return 0;
    case WM_KX_EXIT_ASK:
      if (AskExit(m_hWnd)) {
        ::PostQuitMessage(0);
        Close();
      }
      return 0;
    default:
      return ::DefWindowProcW(wnd, msg, wParam, lParam);
  }
}

LRESULT CFormLogin::PreTranslateMessage(MSG* msg) {
  if (msg->message == WM_LBUTTONDOWN || msg->message == WM_RBUTTONDOWN) {
    // Keep the background window exactly under this one.
    POINT origin{0, 0};
    ::ClientToScreen(m_hWnd, &origin);
    ::SetWindowPos(g_GlobalModule.m_formBack.GetHwnd(), HWND_TOP, origin.x, origin.y, 0, 0,
                   SWP_NOSIZE);
  }
  return 0;
}
