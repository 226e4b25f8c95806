#include "forms/form_game.h"

#include "forms/form_view.h"

#include "forms/form_login.h"
#include "forms/portal_links.h"
#include "platform/handles.h"
#include "resource.h"
#include "shell/global_module.h"
#include "shell/messages.h"
#include "shell/settings.h"
#include "shell/sysutil.h"
#include "skin/drawing.h"

#include <process.h>

namespace {

constexpr UINT TRAY_ICON_ID = 156;
constexpr const wchar_t* RUN_KEY = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const wchar_t* RUN_VALUE = L"Gravemere";


// A menu resource's first popup, detached from its bar.
UniqueMenu LoadPopup(int id) {
  UniqueMenu bar(::LoadMenuW(g_GlobalModule.m_hInstance, MAKEINTRESOURCEW(id)));
  if (!bar) return {};
  HMENU popup = ::GetSubMenu(bar.Get(), 0);
  if (!popup) return {};
  ::RemoveMenu(bar.Get(), 0, MF_BYPOSITION);
  return UniqueMenu(popup);
}

unsigned __stdcall CleanThreadProc(void* form) {
  if (form) {
    ClearUrlCache();
    ::PostMessageW(static_cast<CFormGame*>(form)->GetHwnd(), WM_KX_CLEAN_DONE, 0, 0);
  }
  return 0;
}

}  // namespace

CFormGame::CFormGame() {
#if defined(__i386__)
  static_assert(sizeof(NOTIFYICONDATAW) == 956, "the 32-bit notify-icon record is 956 bytes");
#endif
  m_nid.cbSize = sizeof(m_nid);
}

CFormGame::~CFormGame() {
  RemoveTrayIcon();  // no icon outlives its window
  // A cleaning thread still running only touches the cache and posts to a dead window.
  if (m_hCleanThread) ::CloseHandle(m_hCleanThread);
}

bool CFormGame::CreateForm(const std::wstring& startUrl) {
  CGlobalModule& app = g_GlobalModule;
  Create(app.m_szWindowClass, app.m_szTitle, app.m_hInstance, nullptr);
  KeepStyleBits(m_hWnd, static_cast<LONG>(0xFF3AFFFF), WS_SYSMENU | WS_MINIMIZEBOX);

  m_imgTitleBar.m_hasAlpha = LoadSkinImage(app.m_hInstance, m_imgTitleBar.m_image, 219);
  m_imgTitleBar.m_transparent = true;
  AddControl(&m_imgTitleBar);
  struct {
    CKXButton* button;
    int normal, hover;
  } buttons[] = {{&m_btnMinimize, 207, 208}, {&m_btnClose, 186, 187},   {&m_btnMaximize, 205, 206},
                 {&m_btnTray, 184, 185},     {&m_btnSettings, 217, 218}, {&m_btnForum, 202, 203},
                 {&m_btnHomepage, 211, 212}, {&m_btnScanPay, 213, 214},  {&m_btnService, 215, 216}};
  for (auto& b : buttons) {
    SetUpButton(*b.button, b.normal, b.hover, {0, 0, 0, 0});
    AddControl(b.button);
  }
  LoadSkinImage(app.m_hInstance, m_btnMaximize.m_imgCheckedNormal, 209);
  LoadSkinImage(app.m_hInstance, m_btnMaximize.m_imgCheckedHover, 210);
  LoadSkinImage(app.m_hInstance, m_btnMaximize.m_imgCheckedPressed, 210);
  if (m_btnMaximize.m_checked) {
    m_btnMaximize.m_checked = false;
    m_btnMaximize.SetState(4, true);
  }
  m_imgIcon.m_hasAlpha = LoadSkinImage(app.m_hInstance, m_imgIcon.m_image, 204);
  AddControl(&m_imgIcon);
  m_lblTitle.m_hostWnd = m_hWnd;
  m_lblTitle.SetText(L"Gravemere", false);
  m_lblTitle.SetTextColor(0x00FFFF, false);
  // Long page titles are shortened to the 300 pixels the title bar gives them.
  m_lblTitle.SetAutoWidth(true, 300);
  AddControl(&m_lblTitle);

  OpenFormView(m_view, m_hWnd, {308, 170, 910, 547}, this, &CFormGame::OnWebNotify, startUrl);
  return true;
}

bool CFormGame::ConfirmExit() {
  return ::MessageBoxW(m_hWnd, L"正在游戏中，确认退出？", L"提示", MB_YESNO | MB_DEFBUTTON2) == IDYES;
}

void CFormGame::Layout() {
  RECT client{};
  ::GetClientRect(m_hWnd, &client);
  const LONG W = client.right;
  const LONG barHeight = m_imgTitleBar.GetImageHeight();
  m_imgTitleBar.SetRect({0, 0, W, barHeight});

  LONG x = W;
  for (CKXButton* b : {&m_btnClose, &m_btnMaximize, &m_btnMinimize, &m_btnTray}) {
    const LONG w = b->GetImageWidth(), h = b->GetImageHeight();
    x -= w;
    b->SetRect({x, 1, x + w, 1 + h});
  }
  x -= 20;
  {
    const LONG w = m_btnSettings.GetImageWidth(), h = m_btnSettings.GetImageHeight();
    x -= w;
    m_btnSettings.SetRect({x, 5, x + w, 5 + h});
  }
  for (CKXButton* b : {&m_btnService, &m_btnForum, &m_btnHomepage, &m_btnScanPay}) {
    const LONG w = b->GetImageWidth(), h = b->GetImageHeight();
    x -= 5 + w;
    b->SetRect({x, 5, x + w, 5 + h});
  }
  const LONG iconRight = 5 + m_imgIcon.GetImageWidth();
  m_imgIcon.SetRect({5, 2, iconRight, m_imgIcon.GetImageHeight()});
  m_lblTitle.SetRect({iconRight + 10, 5, iconRight + 10 + 300, 25});
  ::SetWindowPos(m_view.m_hWnd, nullptr, 0, barHeight, W, client.bottom - barHeight, SWP_SHOWWINDOW);
  ::UpdateWindow(m_hWnd);
}

bool CFormGame::FillWorkArea() {
  if (!m_hWnd) return false;
  RECT work = GetWorkArea();
  ::SetWindowPos(m_hWnd, nullptr, 0, 0, work.right, work.bottom, SWP_SHOWWINDOW);
  Layout();
  ::ShowWindow(m_hWnd, SW_SHOWNORMAL);
  ::UpdateWindow(m_hWnd);
  m_filled = true;
  return true;
}

bool CFormGame::RestoreSize() {
  if (!m_hWnd) return false;
  POINT at = CenterOnWorkArea(GetWorkArea(), m_rect.right, m_rect.bottom);
  ::SetWindowPos(m_hWnd, nullptr, at.x, at.y, m_rect.right, m_rect.bottom, SWP_SHOWWINDOW);
  Layout();
  ::ShowWindow(m_hWnd, SW_SHOWNORMAL);
  ::UpdateWindow(m_hWnd);
  m_filled = false;
  return true;
}

void CFormGame::OnActivate() { Layout(); }

bool CFormGame::OnLButtonDown(WPARAM flags, const POINT* point) {
  CKXBaseControl* target = ControlFromPoint(point);
  if (!target) return false;
  if (target == &m_imgTitleBar || target == &m_lblTitle) {
    if (!m_filled) StartWindowDrag(m_hWnd);  // a filled window stays put
    return true;
  }
  return target->OnLButtonDown(flags, point);
}

bool CFormGame::OnLButtonDblClk(WPARAM, const POINT* point) {
  CKXBaseControl* target = ControlFromPoint(point);
  if (target != &m_imgTitleBar && target != &m_lblTitle) return false;
  if (m_filled)
    RestoreSize();
  else
    FillWorkArea();
  return true;
}

void CFormGame::CloseScanForm() {
  CFormScan* scan = g_GlobalModule.m_pFormScan;
  if (scan && scan->GetHwnd()) ::PostMessageW(scan->GetHwnd(), WM_KX_CLOSE_SCAN, 0, 0);
}

bool CFormGame::OnLButtonUp(WPARAM flags, const POINT* point) {
  CKXBaseControl* target = ControlFromPoint(point);
  if (!target) return false;
  target->OnLButtonUp(flags, point);
  CGlobalModule& app = g_GlobalModule;
  if (target == &m_btnMinimize) {
    ::ShowWindow(m_hWnd, SW_MINIMIZE);
  } else if (target == &m_btnMaximize) {
    // The glyph shows the next action: single frame after restoring, restore after filling.
    if (m_btnMaximize.m_checked != m_filled) {
      m_btnMaximize.m_checked = m_filled;
      m_btnMaximize.SetState(4, true);
    }
    if (m_filled)
      RestoreSize();
    else
      FillWorkArea();
  } else if (target == &m_btnClose) {
    if (!ConfirmExit()) return false;
    CloseScanForm();
    Close();
  } else if (target == &m_btnService) {
    OpenUrl(PortalRedirectLink(SERVICE_LINK, app.m_strServerId, app.m_strUserName));
  } else if (target == &m_btnScanPay) {
    ::PostMessageW(m_hWnd, WM_KX_OPEN_SCAN, 0, 0);
  } else if (target == &m_btnHomepage || target == &m_btnForum) {
    OpenUrl(PortalUrl(GAME_PAGE));
  } else if (target == &m_btnSettings) {
    return ShowSettingsMenu();
  } else if (target == &m_btnTray) {
    HideToTray();
    return false;
  } else {
    return false;
  }
  return true;
}

void CFormGame::OnWebNotify(UINT code, WPARAM, LPARAM lParam) {
  switch (code) {
    case WEBNOTIFY_BEFORE_NAVIGATE:
      // The game page sends the player back to the login page; no question asked.
      if (m_view.GetCurrentUrl().find(L"wd_returnlogin=1") != std::wstring::npos) Close();
      break;
    case WEBNOTIFY_TITLE_CHANGE: {
      const wchar_t* title = reinterpret_cast<const wchar_t*>(lParam);
      m_lblTitle.SetText(title ? title : L"", true);
      break;
    }
    case WEBNOTIFY_NAVIGATION_BLOCKED:
      OpenUrl(m_view.GetCurrentUrl());
      break;
    default:
      break;
  }
}

LRESULT CFormGame::WindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_CLOSE) {  // Alt+F4 and the system menu
    if (AskExit(m_hWnd)) {
      CloseScanForm();
      Close();
    }
    return 0;
  }
  if (CKXForm::WindowProc(wnd, msg, wParam, lParam) == 0) return 0;
  switch (msg) {
    case WM_KX_TRAY_NOTIFY:
      OnTrayNotify(lParam);
      return 0;
    case WM_KX_CLEAN_DONE:
      if (m_hCleanThread) {
        ::WaitForSingleObject(m_hCleanThread, 5000);
        ::CloseHandle(m_hCleanThread);
        m_hCleanThread = nullptr;
      }
      ::MessageBoxW(m_hWnd, L"缓存清理完毕！", L"提示", MB_OK);
      return 0;
    default:
      return ::DefWindowProcW(wnd, msg, wParam, lParam);
  }
}

LRESULT CFormGame::PreTranslateMessage(MSG* msg) {
  const UINT m = msg->message;
  if ((m >= WM_KEYFIRST && m <= WM_KEYLAST) || (m >= WM_MOUSEFIRST && m <= 0x20E))
    return m_view.PreTranslateMessage(msg);
  return 0;
}

bool CFormGame::ShowSettingsMenu() {
  UniqueMenu popup = LoadPopup(IDM_SETTINGS);
  if (!popup) return false;
  RECT button = m_btnSettings.GetRect();
  POINT anchor{button.left, button.bottom};
  ::ClientToScreen(m_hWnd, &anchor);
  const bool autorun = IsAutorunSet();
  ::CheckMenuItem(popup.Get(), ID_SETTINGS_AUTORUN, MF_BYCOMMAND | (autorun ? MF_CHECKED : MF_UNCHECKED));
  const UINT command = ::TrackPopupMenu(popup.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, anchor.x,
                                        anchor.y, 0, m_hWnd, nullptr);
  switch (command) {
    case ID_SETTINGS_REFRESH:
      m_view.Refresh();
      return true;
    case ID_SETTINGS_AUTORUN:
      SetAutorun(!autorun);
      return true;
    case ID_SETTINGS_CLEAN_CACHE:
      StartCacheClean();
      return true;
    default:
      return false;
  }
}

void CFormGame::HideToTray() {
  AddTrayIcon(::LoadIconW(g_GlobalModule.m_hInstance, MAKEINTRESOURCEW(IDI_APP)));
  ::ShowWindow(m_hWnd, SW_HIDE);
  CloseScanForm();
}

bool CFormGame::AddTrayIcon(HICON icon) {
  m_nid.hWnd = m_hWnd;
  m_nid.uID = TRAY_ICON_ID;
  m_nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  m_nid.uCallbackMessage = WM_KX_TRAY_NOTIFY;
  m_nid.hIcon = icon;
  wcscpy_s(m_nid.szTip, L"Gravemere");
  m_trayIconAdded = ::Shell_NotifyIconW(NIM_ADD, &m_nid) != FALSE;
  return m_trayIconAdded;
}

bool CFormGame::RemoveTrayIcon() {
  if (!m_trayIconAdded) return false;
  m_nid.uFlags = 0;
  return ::Shell_NotifyIconW(NIM_DELETE, &m_nid) != FALSE;
}

void CFormGame::OnTrayNotify(LPARAM mouseMessage) {
  switch (mouseMessage) {
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
      ::ShowWindow(m_hWnd, SW_SHOW);
      RemoveTrayIcon();
      break;
    case WM_RBUTTONUP:
      ShowTrayMenu();
      break;
    default:
      break;
  }
}

bool CFormGame::ShowTrayMenu() {
  UniqueMenu popup = LoadPopup(IDM_TRAY);
  if (!popup) return false;
  POINT at{};
  ::GetCursorPos(&at);
  const UINT command =
      ::TrackPopupMenu(popup.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, m_hWnd, nullptr);
  if (command == ID_TRAY_OPEN) {
    ::ShowWindow(m_hWnd, SW_SHOWNORMAL);
    RemoveTrayIcon();
    return true;
  }
  if (command == ID_TRAY_EXIT) {
    if (!AskExit(m_hWnd)) return false;
    RemoveTrayIcon();
    CloseScanForm();
    Close();
    return true;
  }
  return false;
}

void CFormGame::StartCacheClean() {
  if (m_hCleanThread) return;  // one cleaning at a time
  m_hCleanThread = reinterpret_cast<HANDLE>(::_beginthreadex(nullptr, 0, CleanThreadProc, this, 0, nullptr));
}

std::wstring AutorunCommand(const std::wstring& exePath) { return L"\"" + exePath + L"\" /autorun"; }

bool IsAutorunSet() {
  UniqueRegKey key;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, RUN_KEY, 0, KEY_ALL_ACCESS, key.Put()) != ERROR_SUCCESS) return false;
  return ::RegQueryValueExW(key.Get(), RUN_VALUE, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool SetAutorun(bool enable) {
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  UniqueRegKey key;
  if (::RegCreateKeyW(HKEY_CURRENT_USER, RUN_KEY, key.Put()) != ERROR_SUCCESS) return false;
  if (!enable) return ::RegDeleteValueW(key.Get(), RUN_VALUE) == ERROR_SUCCESS;
  const std::wstring data = AutorunCommand(path);
  return ::RegSetValueExW(key.Get(), RUN_VALUE, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                          static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}
