#include "forms/form_game.h"

#include "forms/form_login.h"
#include "shell/global_module.h"
#include "shell/messages.h"

bool CFormGame::CreateForm(const std::wstring& startUrl) {
  CGlobalModule& app = g_GlobalModule;
  Create(app.m_szWindowClass, app.m_szTitle, app.m_hInstance, nullptr);
  KeepStyleBits(m_hWnd, static_cast<LONG>(0xFF3AFFFF), WS_SYSMENU | WS_MINIMIZEBOX);
  m_startUrl = startUrl;
  return true;
}

bool CFormGame::ConfirmExit() {
  return ::MessageBoxW(m_hWnd, L"正在游戏中，确认退出？", L"提示", MB_YESNO | MB_DEFBUTTON2) == IDYES;
}

bool CFormGame::FillWorkArea() {
  if (!m_hWnd) return false;
  RECT work = GetWorkArea();
  ::SetWindowPos(m_hWnd, nullptr, 0, 0, work.right, work.bottom, SWP_SHOWWINDOW);
  ::ShowWindow(m_hWnd, SW_SHOWNORMAL);
  ::UpdateWindow(m_hWnd);
  m_filled = true;
  return true;
}

bool CFormGame::RestoreSize() {
  if (!m_hWnd) return false;
  POINT at = CenterOnWorkArea(GetWorkArea(), m_rect.right, m_rect.bottom);
  ::SetWindowPos(m_hWnd, nullptr, at.x, at.y, m_rect.right, m_rect.bottom, SWP_SHOWWINDOW);
  ::ShowWindow(m_hWnd, SW_SHOWNORMAL);
  ::UpdateWindow(m_hWnd);
  m_filled = false;
  return true;
}

LRESULT CFormGame::WindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_CLOSE) {
    if (AskExit(m_hWnd)) {
      CFormScan* scan = g_GlobalModule.m_pFormScan;
      if (scan && scan->GetHwnd()) ::PostMessageW(scan->GetHwnd(), WM_KX_CLOSE_SCAN, 0, 0);
      Close();
    }
    return 0;
  }
  if (CKXForm::WindowProc(wnd, msg, wParam, lParam) == 0) return 0;
  return ::DefWindowProcW(wnd, msg, wParam, lParam);
}

LRESULT CFormGame::PreTranslateMessage(MSG*) { return 0; }
