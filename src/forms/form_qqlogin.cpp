#include "forms/form_qqlogin.h"

#include "forms/form_view.h"

#include "build_config.h"
#include "forms/form_login.h"
#include "shell/global_module.h"
#include "shell/messages.h"
#include "shell/settings.h"
#include "skin/drawing.h"

std::wstring AccountLoginContinuation() { return std::wstring(ACCOUNT_HOST) + L"/login?go"; }

namespace {
void SetUpPicture(CKXImage& picture, int id, const RECT& rect) {
  picture.m_hasAlpha = LoadSkinImage(g_GlobalModule.m_hInstance, picture.m_image, id);
  picture.m_transparent = true;
  picture.m_stretch = true;
  picture.SetRect(rect);
}
}  // namespace

bool CFormQQLogin::CreateForm(const std::wstring& startUrl) {
  CGlobalModule& app = g_GlobalModule;
  m_startUrl = startUrl;
  Create(app.m_szWindowClass, app.m_szTitle, app.m_hInstance, nullptr);
  KeepStyleBits(m_hWnd, static_cast<LONG>(0xFF3AFFFF), WS_SYSMENU | WS_MINIMIZEBOX | 0x8);

  SetUpPicture(m_imgTitleBar, 221, {});
  AddControl(&m_imgTitleBar);
  SetUpPicture(m_imgLeftEdge, 222, {0, 27, 3, 420});
  AddControl(&m_imgLeftEdge);
  SetUpPicture(m_imgRightEdge, 222, {697, 27, 880, 420});
  AddControl(&m_imgRightEdge);
  SetUpPicture(m_imgBottomEdge, 223, {0, 416, 880, 420});
  AddControl(&m_imgBottomEdge);
  SetUpButton(m_btnClose, 224, 225, {});
  AddControl(&m_btnClose);
  m_lblTitle.m_hostWnd = m_hWnd;
  m_lblTitle.SetText(L"账号安全登录", false);
  m_lblTitle.SetTextColor(0x00FFFF, false);
  AddControl(&m_lblTitle);

  OpenFormView(m_view, m_hWnd, {308, 170, 910, 547}, this, &CFormQQLogin::OnWebNotify, startUrl);
  return true;
}

void CFormQQLogin::Layout() {
  RECT client{};
  ::GetClientRect(m_hWnd, &client);
  const LONG W = client.right;
  const LONG bar = m_imgTitleBar.GetImageHeight();
  m_imgTitleBar.SetRect({0, 0, W, bar});
  const LONG w = m_btnClose.GetImageWidth(), h = m_btnClose.GetImageHeight();
  m_btnClose.SetRect({W - w, 0, W, h});
  m_lblTitle.SetRect({5, 2, 205, 22});
  ::SetWindowPos(m_view.m_hWnd, nullptr, 3, bar, W - 6, client.bottom - bar - 4, SWP_SHOWWINDOW);
}

bool CFormQQLogin::CenterAndShow() {
  if (!m_hWnd) return false;
  POINT at = CenterOnWorkArea(GetWorkArea(), m_rect.right, m_rect.bottom);
  ::SetWindowPos(m_hWnd, nullptr, at.x, at.y, m_rect.right, m_rect.bottom, SWP_SHOWWINDOW);
  Layout();
  ::ShowWindow(m_hWnd, SW_SHOWNORMAL);
  ::UpdateWindow(m_hWnd);
  return true;
}

bool CFormQQLogin::OnLButtonDown(WPARAM flags, const POINT* point) {
  CKXBaseControl* target = ControlFromPoint(point);
  if (!target) return false;
  if (target == &m_imgTitleBar || target == &m_lblTitle) {
    StartWindowDrag(m_hWnd);
    return true;
  }
  return target->OnLButtonDown(flags, point);
}

bool CFormQQLogin::OnLButtonUp(WPARAM flags, const POINT* point) {
  CKXBaseControl* target = ControlFromPoint(point);
  if (!target) return false;
  target->OnLButtonUp(flags, point);
  if (target != &m_btnClose) return false;
  Close();
  return true;
}

void CFormQQLogin::OnWebNotify(UINT code, WPARAM, LPARAM) {
  if (code == WEBNOTIFY_BEFORE_NAVIGATE) {
    const std::wstring url = m_view.GetCurrentUrl();
    if (url.find(AccountLoginContinuation()) != std::wstring::npos) {
      // The login page carries the login on; this window has done its part.
      g_GlobalModule.m_formLogin.m_view.Navigate(url, "");
      Close();
    }
    if (url.find(L"wd_returnlogin=1") != std::wstring::npos) Close();
  } else if (code == WEBNOTIFY_NAVIGATION_BLOCKED) {
    OpenUrl(m_view.GetCurrentUrl());
  }
}

LRESULT CFormQQLogin::WindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (CKXForm::WindowProc(wnd, msg, wParam, lParam) == 0) return 0;
  if (msg == WM_KX_CLOSE_QQLOGIN) {
    Close();
    return 0;
  }
  return ::DefWindowProcW(wnd, msg, wParam, lParam);
}

LRESULT CFormQQLogin::PreTranslateMessage(MSG* msg) {
  if (msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST && IsBrowserKey(*msg))
    return m_view.PreTranslateMessage(msg);
  return 0;
}
