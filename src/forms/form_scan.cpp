#include "forms/form_scan.h"

#include "shell/global_module.h"
#include "shell/messages.h"

RECT PlaceInWorkArea(RECT rect, int dx, int dy, const RECT& workArea) {
  ::OffsetRect(&rect, dx, dy);
  if (rect.right > workArea.right) ::OffsetRect(&rect, workArea.right - rect.right, 0);
  if (rect.bottom > workArea.bottom) ::OffsetRect(&rect, 0, workArea.bottom - rect.bottom);
  if (rect.top < 0) ::OffsetRect(&rect, 0, -rect.top);
  return rect;
}

bool CFormScan::CreateForm() {
  CGlobalModule& app = g_GlobalModule;
  Create(app.m_szWindowClass, app.m_szTitle, app.m_hInstance, nullptr);
  KeepStyleBits(m_hWnd, static_cast<LONG>(0xFF3AFFFF), WS_SYSMENU | WS_MINIMIZEBOX);
  m_roundCorners = true;
  UpdateRegion();
  return true;
}

bool CFormScan::ShowAt(int dx, int dy) {
  if (!m_hWnd) return false;
  RECT at = PlaceInWorkArea(m_rect, dx, dy, GetWorkArea());
  ::SetWindowPos(m_hWnd, nullptr, at.left, at.top, at.right - at.left, at.bottom - at.top,
                 SWP_SHOWWINDOW);
  ::ShowWindow(m_hWnd, SW_SHOWNORMAL);
  ::UpdateWindow(m_hWnd);
  return true;
}

LRESULT CFormScan::WindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (CKXForm::WindowProc(wnd, msg, wParam, lParam) == 0) return 0;
  if (msg == WM_KX_CLOSE_SCAN) {
    Close();
    return 0;
  }
  return ::DefWindowProcW(wnd, msg, wParam, lParam);
}
