#include "forms/form_qqlogin.h"

#include "shell/global_module.h"
#include "shell/messages.h"

bool CFormQQLogin::CreateForm(const std::wstring& startUrl) {
  CGlobalModule& app = g_GlobalModule;
  Create(app.m_szWindowClass, app.m_szTitle, app.m_hInstance, nullptr);
  KeepStyleBits(m_hWnd, static_cast<LONG>(0xFF3AFFFF), WS_SYSMENU | WS_MINIMIZEBOX | 0x8);
  m_startUrl = startUrl;
  return true;
}

bool CFormQQLogin::CenterAndShow() {
  if (!m_hWnd) return false;
  POINT at = CenterOnWorkArea(GetWorkArea(), m_rect.right, m_rect.bottom);
  ::SetWindowPos(m_hWnd, nullptr, at.x, at.y, m_rect.right, m_rect.bottom, SWP_SHOWWINDOW);
  ::ShowWindow(m_hWnd, SW_SHOWNORMAL);
  ::UpdateWindow(m_hWnd);
  return true;
}

LRESULT CFormQQLogin::WindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (CKXForm::WindowProc(wnd, msg, wParam, lParam) == 0) return 0;
  if (msg == WM_KX_CLOSE_QQLOGIN) {
    Close();
    return 0;
  }
  return ::DefWindowProcW(wnd, msg, wParam, lParam);
}

LRESULT CFormQQLogin::PreTranslateMessage(MSG*) { return 0; }
