#include "forms/form_login.h"

#include "forms/form_view.h"

#include "build_config.h"
#include "forms/form_back.h"
#include "forms/portal_links.h"
#include "shell/global_module.h"
#include "shell/messages.h"
#include "shell/settings.h"
#include "shell/sysutil.h"
#include "skin/drawing.h"

bool AskExit(HWND owner) {
  return ::MessageBoxW(owner, L"此操作将退出游戏，是否继续？", L"提示",
                       MB_YESNO | MB_DEFBUTTON2) != IDNO;
}

void SetUpButton(CKXButton& button, int normalId, int hoverId, const RECT& rect) {
  button.SetImages(normalId, hoverId, hoverId);
  button.SetRect(rect);
  button.m_cursor = ::LoadCursorW(nullptr, IDC_HAND);
  button.m_stretch = true;
}

std::wstring QQLoginRedirectAddress() {
  return std::wstring(QQ_REDIRECT_HOST) + L"/qqconn/oauth/redirect_to_login.php";
}

bool CFormLogin::CreateForm() {
  CGlobalModule& app = g_GlobalModule;
  Create(app.m_szWindowClass, app.m_szTitle, app.m_hInstance, app.m_formBack.GetHwnd());
  KeepStyleBits(m_hWnd, 0x7F30FF7F, WS_SYSMENU | WS_MINIMIZEBOX);
  ChangeExStyle(m_hWnd, WS_EX_DLGMODALFRAME | WS_EX_TOOLWINDOW | WS_EX_WINDOWEDGE,
                WS_EX_LAYERED | (app.m_nTopMost == 1 ? WS_EX_TOPMOST : 0));
  // Every key-coloured pixel is invisible and lets the mouse through to the background
  // window, whose artwork thus shows everywhere but over the buttons, label and page.
  ::SetLayeredWindowAttributes(m_hWnd, RGB(255, 128, 255), 0, LWA_COLORKEY);

  m_imgBackground.m_hasAlpha = LoadSkinImage(app.m_hInstance, m_imgBackground.m_image, 183);
  m_imgBackground.m_transparent = false;
  m_imgBackground.m_stretch = true;
  m_imgBackground.m_margins = {5, 5, 5, 5};
  m_imgBackground.SetRect({0, 0, 1024, 700});
  AddControl(&m_imgBackground);

  SetUpButton(m_btnMinimize, 192, 193, {889, 91, 912, 114});
  AddControl(&m_btnMinimize);
  SetUpButton(m_btnClose, 188, 189, {910, 104, 939, 133});
  AddControl(&m_btnClose);
  SetUpButton(m_btnHomepage, 194, 195, {307, 120, 407, 149});
  AddControl(&m_btnHomepage);
  SetUpButton(m_btnRecharge, 198, 199, {426, 122, 526, 151});
  AddControl(&m_btnRecharge);
  SetUpButton(m_btnService, 200, 201, {680, 121, 780, 150});
  AddControl(&m_btnService);
  SetUpButton(m_btnForum, 190, 191, {796, 124, 896, 153});
  AddControl(&m_btnForum);

  OpenFormView(m_view, m_hWnd, {-100, -100, -50, -50}, this, &CFormLogin::OnWebNotify, app.m_strPortalUrl);
  m_view.FocusDocument();

  m_lblNetError.m_hostWnd = m_hWnd;
  m_lblNetError.SetRect({453, 345, 773, 371});
  m_lblNetError.SetTextColor(0x00FFFF, false);
  m_lblNetError.SetUnderline(1, false);
  m_lblNetError.SetFontSize(26, 0, false);
  m_lblNetError.m_cursor = ::LoadCursorW(nullptr, IDC_HAND);
  AddControl(&m_lblNetError);
  return true;
}

void CFormLogin::ShowState(bool error) {
  const int topMost = g_GlobalModule.m_nTopMost;
  ChangeExStyle(m_hWnd, WS_EX_APPWINDOW, WS_EX_TOOLWINDOW | (topMost == 1 ? WS_EX_TOPMOST : 0));
  RECT work = GetWorkArea(), client{};
  ::GetClientRect(m_hWnd, &client);
  if (error) {
    ::MoveWindow(m_view.m_hWnd, -100, -100, 50, 50, FALSE);
    m_lblNetError.SetText(NET_ERROR_TEXT, true);
    m_lblNetError.m_cursor = ::LoadCursorW(nullptr, IDC_HAND);
  } else {
    ::MoveWindow(m_view.m_hWnd, 306, 156, 614, 405, FALSE);
  }
  HWND after = topMost == 1 ? HWND_TOPMOST : HWND_TOP;
  if (!m_retrying) {
    ::ShowWindow(m_hWnd, SW_HIDE);
    POINT at = CenterOnWorkArea(work, client.right - client.left, client.bottom - client.top);
    ::SetWindowPos(m_hWnd, after, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOREDRAW | SWP_SHOWWINDOW);
  } else {
    // A retry keeps the windows where the user left them.
    ::SetWindowPos(m_hWnd, after, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOREDRAW | SWP_SHOWWINDOW);
  }
  ::ShowWindow(m_hWnd, SW_SHOWNORMAL);
  // The window was hidden and shown again without redrawing; a system that drops a hidden
  // layered window's pixels would otherwise show it empty.
  ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void CFormLogin::TakeUserName(const std::wstring& url) {
  std::wstring value = GetUrlParam(L"wd_username", url);
  if (!value.empty()) g_GlobalModule.m_strUserName = value;
}

void CFormLogin::TakeServerId(const std::wstring& url) {
  std::wstring value = GetUrlParam(L"wd_server", url);
  if (!value.empty()) g_GlobalModule.m_strServerId = value;
}

void CFormLogin::ReloadLoginPage() {
  m_returnedFromGame = true;
  m_view.Navigate(g_GlobalModule.m_strPortalUrl, "");
}

void CFormLogin::OnWebNotify(UINT code, WPARAM, LPARAM) {
  CGlobalModule& app = g_GlobalModule;
  switch (code) {
    case WEBNOTIFY_DOCUMENT_COMPLETE:
      app.m_statReporter.SendActiveReport();  // at most one per run
      if (!app.IsActiveCountOne()) app.SetActiveCountOne();
      break;
    case WEBNOTIFY_NAVIGATE_ERROR:
      if (m_returnedFromGame) break;
      WriteIniString(L"Error", L"ErrorUrl", m_view.GetCurrentUrl());
      ShowState(true);
      ShowOnWorkArea(app.m_formBack, app.m_nTopMost, m_retrying);
      app.m_formBack.PaintLayered(true);  // its pixels again, now that it is on screen
      break;
    case WEBNOTIFY_BEFORE_NAVIGATE:
      m_lastUrl = m_view.GetCurrentUrl();
      TakeUserName(m_lastUrl);
      app.m_strServerId.clear();
      if (m_lastUrl.find(L"wd_entergame=1") != std::wstring::npos) {
        TakeServerId(m_lastUrl);
        m_view.m_blockNavigation = true;  // the game URL never loads in the login view
        m_gameUrl = m_lastUrl;
        ::PostMessageW(m_hWnd, WM_KX_OPEN_GAME, 0, 0);
      }
      break;
    case WEBNOTIFY_NAVIGATE_COMPLETE:
      if (m_returnedFromGame) break;
      ShowState(false);
      ShowOnWorkArea(app.m_formBack, app.m_nTopMost, m_retrying);
      app.m_formBack.PaintLayered(true);  // its pixels again, now that it is on screen
      app.StartVersionCheck();
      break;
    case WEBNOTIFY_NAVIGATION_BLOCKED: {
      std::wstring url = m_view.GetCurrentUrl();
      if (url.find(QQLoginRedirectAddress()) != std::wstring::npos) {
        m_view.m_blockNavigation = true;
        m_qqLoginUrl = url;
        ::PostMessageW(m_hWnd, WM_KX_OPEN_QQLOGIN, 0, 0);
      } else {
        OpenUrl(url);
      }
      break;
    }
    default:
      break;
  }
}

bool CFormLogin::OnLButtonDown(WPARAM flags, const POINT* point) {
  CKXBaseControl* target = ControlFromPoint(point);
  if (!target) return false;
  if (target == &m_imgBackground) {
    StartWindowDrag(m_hWnd);
    return true;
  }
  return target->OnLButtonDown(flags, point);
}

bool CFormLogin::OnLButtonUp(WPARAM flags, const POINT* point) {
  CKXBaseControl* target = ControlFromPoint(point);
  if (!target) return false;
  target->OnLButtonUp(flags, point);
  CGlobalModule& app = g_GlobalModule;
  if (target == &m_btnMinimize) {
    // The login window is owned by the background window and goes with it.
    ::ShowWindow(app.m_formBack.GetHwnd(), SW_MINIMIZE);
  } else if (target == &m_btnClose) {
    if (!AskExit(m_hWnd)) return false;
    Close();
  } else if (target == &m_lblNetError) {
    if (m_lblNetError.GetText().find(L"异常") != std::wstring::npos) {
      m_retrying = true;
      m_view.Navigate(app.m_strPortalUrl, "");
      m_lblNetError.SetText(NET_RETRY_TEXT, true);
      m_lblNetError.m_cursor = ::LoadCursorW(nullptr, IDC_ARROW);
    }
  } else if (target == &m_btnService) {
    OpenUrl(PortalRedirectLink(SERVICE_LINK, app.m_strServerId, app.m_strUserName));
  } else if (target == &m_btnRecharge) {
    OpenUrl(app.GetPayUrl());
  } else if (target == &m_btnHomepage) {
    OpenUrl(PortalUrl(GAME_PAGE));
  } else if (target == &m_btnForum) {
    OpenUrl(PortalRedirectLink(FORUM_LINK, app.m_strServerId, app.m_strUserName));
  } else {
    return false;
  }
  return true;
}

LRESULT CFormLogin::WindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (CKXForm::WindowProc(wnd, msg, wParam, lParam) == 0) return 0;
  switch (msg) {
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY:
      // Once more, after the children are gone: a hosted control's teardown may run a message
      // pump of its own that takes the first quit message off the queue.
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

// The keys the page's own editing and form handling need from the control.
bool IsBrowserKey(const MSG& msg) {
  if (msg.message == WM_KEYUP) return true;
  switch (msg.wParam) {
    case 'C':
    case 'V':
    case 'X':
    case 'Z':
      return ::GetKeyState(VK_CONTROL) < 0;
    case VK_TAB:
    case VK_RETURN:
    case VK_DELETE:
      return true;
    default:
      return false;
  }
}

LRESULT CFormLogin::PreTranslateMessage(MSG* msg) {
  if (msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST)
    return IsBrowserKey(*msg) ? m_view.PreTranslateMessage(msg) : 0;
  if (msg->message == WM_LBUTTONDOWN || msg->message == WM_RBUTTONDOWN) {
    // Keep the background window exactly under this one.
    POINT origin{0, 0};
    ::ClientToScreen(m_hWnd, &origin);
    ::SetWindowPos(g_GlobalModule.m_formBack.GetHwnd(), HWND_TOP, origin.x, origin.y, 0, 0, SWP_NOSIZE);
  }
  return 0;
}
