#include "shell/global_module.h"

#include "net/downloader.h"
#include "shell/cmdline.h"
#include "shell/messages.h"
#include "shell/startup_config.h"

#include <new>
#include <ole2.h>

// Constructed before wWinMain: the configuration is read during static construction.
CGlobalModule g_GlobalModule;
CAppModule g_appModule;

CGlobalModule::CGlobalModule() {
  ReadStartupConfig();
  // Its worker threads start with the first request.
  m_pDownloader = new (std::nothrow) HTTPDownloader();
}

CGlobalModule::~CGlobalModule() {
  if (m_pDownloader) {
    m_pDownloader->Stop();
    delete m_pDownloader;
    m_pDownloader = nullptr;
  }
  ReapClosedForms();
}

void CGlobalModule::CreateHidden(CKXForm& form) {
  form.Create(m_szWindowClass, m_szTitle, m_hInstance, nullptr);
  HWND wnd = form.GetHwnd();
  KeepStyleBits(wnd, ~static_cast<LONG>(WS_POPUP | WS_CAPTION | WS_THICKFRAME | WS_MAXIMIZEBOX | 0x80),
                WS_SYSMENU | WS_MINIMIZEBOX);
  ChangeExStyle(wnd, WS_EX_APPWINDOW | WS_EX_WINDOWEDGE | WS_EX_DLGMODALFRAME, WS_EX_TOOLWINDOW);
}

int CGlobalModule::Run() {
  HWND login = nullptr;
  switch (ChooseRunMode(::GetCommandLineW())) {
    case RunMode::SetupSucc:
    case RunMode::UninstallSucc: {
      CreateHidden(m_formLogin);
      login = m_formLogin.GetHwnd();
      if (!login) return 0;  // no window, so no report could end the run
      if (IsSetupSucc())
        m_statReporter.SendInstallReport();
      else
        m_statReporter.SendUninstallReport();
      // Without a running downloader no report can finish and post the end: end now.
      if (!m_pDownloader || !m_pDownloader->IsStarted()) ::PostMessageW(login, WM_KX_QUIT, 0, 0);
      break;
    }
    case RunMode::ShowDesktop:
      CreateHidden(m_formLogin);
      login = m_formLogin.GetHwnd();
      ShowDesktop();
      if (!login) return 0;
      ::PostMessageW(login, WM_KX_QUIT, 0, 0);
      break;
    case RunMode::Normal:
      m_formBack.SetRect({0, 0, 1024, 700});
      m_formBack.CreateForm();
      ShowOffscreen(m_formBack, m_nTopMost);
      m_formLogin.SetRect({0, 0, 1024, 700});
      m_formLogin.CreateForm();
      ShowOffscreen(m_formLogin, m_nTopMost);
      if (!m_formLogin.GetHwnd()) return 1;  // nothing could be shown; don't linger invisibly
      LaunchIconAnimate();
      break;
  }

  CMessageLoop loop;
  g_appModule.AddMessageLoop(&loop);
  loop.AddMessageFilter(this);
  int result = loop.Run();
  loop.RemoveMessageFilter(this);
  g_appModule.RemoveMessageLoop();
  return result;
}

BOOL CGlobalModule::PreTranslateMessage(MSG* msg) {
  // Only the main loop calls this, so no form code is on the stack: closed forms can go.
  ReapClosedForms();
  HWND foreground = ::GetForegroundWindow();
  if (m_pFormQQLogin && m_pFormQQLogin->GetHwnd() == foreground &&
      m_pFormQQLogin->PreTranslateMessage(msg))
    return TRUE;
  HWND login = m_formLogin.GetHwnd();
  if (login && ::IsWindowVisible(login) && login == foreground && m_formLogin.PreTranslateMessage(msg))
    return TRUE;
  if (m_pFormGame && m_pFormGame->GetHwnd() == foreground && m_pFormGame->PreTranslateMessage(msg))
    return TRUE;
  return FALSE;
}

void CGlobalModule::Retire(CKXForm* form) {
  if (!form) return;
  m_closedForms.push_back(form);
  // Make sure the main loop comes round to free it soon.
  if (HWND login = m_formLogin.GetHwnd(); login && ::IsWindow(login))
    ::PostMessageW(login, WM_NULL, 0, 0);
}

void CGlobalModule::ReapClosedForms() {
  while (!m_closedForms.empty()) {
    CKXForm* form = m_closedForms.back();
    m_closedForms.pop_back();
    delete form;
  }
}

void CGlobalModule::ReleaseWindows() {
  // The views must let go of their controls while COM is still initialised.
  CKXForm* dynamic[] = {m_pFormGame, m_pFormQQLogin, m_pFormScan};
  m_pFormGame = nullptr;
  m_pFormQQLogin = nullptr;
  m_pFormScan = nullptr;
  for (CKXForm* form : dynamic) {
    if (!form) continue;
    if (form->GetHwnd() && ::IsWindow(form->GetHwnd())) ::DestroyWindow(form->GetHwnd());
    delete form;
  }
  for (CKXForm* form : {static_cast<CKXForm*>(&m_formLogin), static_cast<CKXForm*>(&m_formBack)})
    if (form->GetHwnd() && ::IsWindow(form->GetHwnd())) ::DestroyWindow(form->GetHwnd());
  ReapClosedForms();
}

void CGlobalModule::OpenGame() {
  if (m_pFormGame) {
    // One game at a time: the running one comes to the front instead of a second.
    m_pFormGame->BringToFront();
    return;
  }
  auto* game = new (std::nothrow) CFormGame();
  if (!game) return;
  m_pFormGame = game;
  game->SetRect({0, 0, 1250, 700});
  game->CreateForm(m_formLogin.GetGameUrl());
  if (!game->GetHwnd()) {  // the login window stays, rather than hiding everything
    m_pFormGame = nullptr;
    delete game;
    return;
  }
  game->FillWorkArea();
  ::ShowWindow(m_formLogin.GetHwnd(), SW_HIDE);
  ::ShowWindow(m_formBack.GetHwnd(), SW_HIDE);
}

void CGlobalModule::OpenQQLogin() {
  if (m_pFormQQLogin) ::SendMessageW(m_pFormQQLogin->GetHwnd(), WM_KX_CLOSE_QQLOGIN, 0, 0);
  auto* qq = new (std::nothrow) CFormQQLogin();
  if (!qq) return;
  m_pFormQQLogin = qq;
  qq->SetRect({0, 0, 880, 420});
  qq->CreateForm(m_formLogin.GetQQLoginUrl());
  qq->CenterAndShow();
}

void CGlobalModule::OpenScan() {
  if (m_pFormScan) {
    ::SendMessageW(m_pFormScan->GetHwnd(), WM_KX_CLOSE_SCAN, 0, 0);
    m_pFormScan = nullptr;
  }
  auto* scan = new (std::nothrow) CFormScan();
  if (!scan) return;
  m_pFormScan = scan;
  scan->SetRect({0, 0, 278, 329});
  scan->CreateForm();
  POINT cursor{};
  ::GetCursorPos(&cursor);
  ::ClientToScreen(scan->GetHwnd(), &cursor);
  scan->ShowAt(cursor.x, cursor.y - 260);
}

void CGlobalModule::ReturnToLogin() {
  Retire(m_pFormGame);
  m_pFormGame = nullptr;
  m_formLogin.ReloadLoginPage();
  HWND back = m_formBack.GetHwnd();
  ::SetWindowPos(back, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW);
  ::ShowWindow(back, SW_SHOWNA);
  HWND login = m_formLogin.GetHwnd();
  ::ShowWindow(login, SW_SHOWNA);
  ::SetForegroundWindow(login);
  m_formLogin.RedrawControls(false);
}

LRESULT CGlobalModule::HandleMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_KX_OPEN_GAME:
      OpenGame();
      return 0;
    case WM_KX_OPEN_QQLOGIN:
      OpenQQLogin();
      break;  // and on to the window it was posted to
    case WM_KX_OPEN_SCAN:
      OpenScan();
      break;
    default:
      break;
  }

  // Routing by window handle. The QQ login and scan-to-pay forms are freed once their
  // windows are gone, their pointers cleared in the same step.
  if (m_pFormQQLogin && wnd == m_pFormQQLogin->GetHwnd()) {
    CFormQQLogin* qq = m_pFormQQLogin;
    LRESULT r = qq->WindowProc(wnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY && m_pFormQQLogin == qq) {
      m_pFormQQLogin = nullptr;
      Retire(qq);
    }
    return r;
  }
  if (m_pFormScan && wnd == m_pFormScan->GetHwnd()) {
    CFormScan* scan = m_pFormScan;
    LRESULT r = scan->WindowProc(wnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY && m_pFormScan == scan) {
      m_pFormScan = nullptr;
      Retire(scan);
    }
    return r;
  }
  if (wnd == m_formLogin.GetHwnd()) return m_formLogin.WindowProc(wnd, msg, wParam, lParam);
  if (wnd == m_formBack.GetHwnd()) return m_formBack.WindowProc(wnd, msg, wParam, lParam);
  if (m_pFormGame && wnd == m_pFormGame->GetHwnd()) {
    if (msg == WM_DESTROY) {
      ReturnToLogin();
      return 0;
    }
    return m_pFormGame->WindowProc(wnd, msg, wParam, lParam);
  }
  return ::DefWindowProcW(wnd, msg, wParam, lParam);
}

ATOM RegisterWindowClass(HINSTANCE instance) {
  WNDCLASSEXW wc{};
#if defined(__i386__)
  static_assert(sizeof(WNDCLASSEXW) == 48, "the 32-bit class record is 48 bytes");
#endif
  wc.cbSize = sizeof(wc);
  wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
  wc.lpfnWndProc = WndProc;
  wc.hInstance = instance;
  wc.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(151));
  wc.hIconSm = wc.hIcon;
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
  wc.lpszClassName = g_GlobalModule.m_szWindowClass;
  return ::RegisterClassExW(&wc);
}

LRESULT CALLBACK WndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return g_GlobalModule.HandleMessage(wnd, msg, wParam, lParam);
}

int LauncherMain(HINSTANCE instance) {
  ::CoInitialize(nullptr);
  ::OleInitialize(nullptr);
  g_appModule.Init(instance);
  CGlobalModule& app = g_GlobalModule;
  app.m_hInstance = instance;
  ::LoadStringW(instance, 103, app.m_szTitle, 100);
  ::LoadStringW(instance, 109, app.m_szWindowClass, 100);
  RegisterWindowClass(instance);
  int result = app.Run();
  app.ReleaseWindows();
  g_appModule.Term();
  ::OleUninitialize();
  ::CoUninitialize();
  return result;
}
