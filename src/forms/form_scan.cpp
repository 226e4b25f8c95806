#include "forms/form_scan.h"

#include "forms/form_view.h"

#include "forms/portal_links.h"
#include "shell/global_module.h"
#include "shell/messages.h"
#include "shell/settings.h"
#include "skin/drawing.h"

RECT PlaceInWorkArea(RECT rect, int dx, int dy, const RECT& workArea) {
  ::OffsetRect(&rect, dx, dy);
  if (rect.right > workArea.right) ::OffsetRect(&rect, workArea.right - rect.right, 0);
  if (rect.bottom > workArea.bottom) ::OffsetRect(&rect, 0, workArea.bottom - rect.bottom);
  if (rect.top < 0) ::OffsetRect(&rect, 0, -rect.top);
  return rect;
}

std::wstring QrPayUrl(const std::wstring& serverId, const std::wstring& userName) {
  return PortalUrl(L"/pay/wd-qrcode.html?gid=1086&sid=" + serverId + L"&uid=" + userName);
}

bool CFormScan::CreateForm() {
  CGlobalModule& app = g_GlobalModule;
  Create(app.m_szWindowClass, app.m_szTitle, app.m_hInstance, nullptr);
  KeepStyleBits(m_hWnd, static_cast<LONG>(0xFF3AFFFF), WS_SYSMENU | WS_MINIMIZEBOX);
  m_roundCorners = true;
  UpdateRegion();

  m_imgBackground.m_hasAlpha = LoadSkinImage(app.m_hInstance, m_imgBackground.m_image, 228);
  m_imgBackground.m_transparent = true;
  m_imgBackground.m_stretch = true;
  m_imgBackground.SetRect({-10, 0, 400, 280});
  AddControl(&m_imgBackground);
  m_lblCaption.SetText(L"扫码充值", true);
  m_lblCaption.SetRect({15, 0, 150, 30});
  m_lblCaption.SetBold(true, true);
  AddControl(&m_lblCaption);
  m_btnClose.SetImages(229, 230, 231);
  m_btnClose.SetRect({245, 0, 275, 30});
  m_btnClose.m_stretch = true;
  AddControl(&m_btnClose);

  OpenFormView(m_view, m_hWnd, {308, 170, 910, 547}, this, &CFormScan::OnWebNotify, QrPayUrl(app.GetServerId(), app.GetGameUserName()));
  return true;
}

bool CFormScan::ShowAt(int dx, int dy) {
  if (!m_hWnd) return false;
  RECT at = PlaceInWorkArea(m_rect, dx, dy, GetWorkArea());
  ::SetWindowPos(m_hWnd, nullptr, at.left, at.top, at.right - at.left, at.bottom - at.top, SWP_SHOWWINDOW);
  ::SetWindowPos(m_view.m_hWnd, nullptr, 2, 31, 274, 296, SWP_SHOWWINDOW);
  ::ShowWindow(m_hWnd, SW_SHOWNORMAL);
  ::UpdateWindow(m_hWnd);
  return true;
}

bool CFormScan::OnLButtonDown(WPARAM flags, const POINT* point) {
  CKXBaseControl* target = ControlFromPoint(point);
  if (!target) return false;
  if (target == &m_imgBackground || target == &m_lblCaption) {
    StartWindowDrag(m_hWnd);
    return true;
  }
  return target->OnLButtonDown(flags, point);
}

bool CFormScan::OnLButtonUp(WPARAM flags, const POINT* point) {
  CKXBaseControl* target = ControlFromPoint(point);
  if (!target) return false;
  if (target == &m_btnClose) {
    Close();
    return true;
  }
  return target->OnLButtonUp(flags, point);
}

void CFormScan::OnWebNotify(UINT code, WPARAM, LPARAM) {
  if (code == WEBNOTIFY_NAVIGATION_BLOCKED) OpenUrl(m_view.GetCurrentUrl());
}

LRESULT CFormScan::WindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (CKXForm::WindowProc(wnd, msg, wParam, lParam) == 0) return 0;
  if (msg == WM_KX_CLOSE_SCAN) {
    Close();
    return 0;
  }
  return ::DefWindowProcW(wnd, msg, wParam, lParam);
}
