// The login and game windows in this process, against the stand-in browser engine and a portal
// served by the test: the normal start, the network-error state and its retry, names taken
// from URLs, entering the game and coming back. The tests run in order, as one session.
#include "browser/web_notify.h"
#include "build_config.h"
#include "forms/portal_links.h"
#include "shell/global_module.h"
#include "shell/messages.h"
#include "shell/settings.h"

#include "http_server.h"
#include "child_process.h"
#include "screenshot.h"
#include "standin_client.h"

#include <gtest/gtest.h>

#include <atomic>

namespace {

std::atomic<bool> g_portalDown{false};
std::atomic<int> g_loginPageLoads{0};
std::atomic<int> g_gamePageLoads{0};

const char kLoginPage[] =
    "<html><head><title>Login</title></head><body><h1>Gravemere login</h1>"
    "<a href=\"/trun/wd/play.html?wd_entergame=1\">enter</a></body></html>";

HttpResponse Portal(const HttpRequest& r) {
  HttpResponse res;
  if (g_portalDown) {
    res.status = 503;
    res.body = "down";
    return res;
  }
  if (r.target.rfind("/trun/wd/index.html", 0) == 0) {
    ++g_loginPageLoads;
    res.body = kLoginPage;
  } else if (r.target.rfind("/trun/wd/play.html", 0) == 0) {
    ++g_gamePageLoads;
    res.body = "<html><head><title>Gravemere game</title></head><body>playing</body></html>";
  } else if (r.target.rfind("/withframe.html", 0) == 0) {
    res.body = "<html><head><title>F</title></head><body>"
               "<iframe src=\"/frame.html?wd_username=bob\"></iframe></body></html>";
  } else {
    res.body = "<html><head><title>Page</title></head><body>page</body></html>";
  }
  return res;
}

class Forms : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    s_portal = new TestHttpServer(18080);
    s_portal->SetHandler(Portal);
    ASSERT_TRUE(s_portal->Start());
    s_download = new TestHttpServer(18082);  // the version file: nothing newer
    HttpResponse ini;
    ini.contentType = "text/plain";
    ini.body = "[version]\r\ncurrentversion=3.0.0.0\r\n";
    s_download->SetResponse(ini);
    s_download->Start();

    CGlobalModule& app = g_GlobalModule;
    app.m_hInstance = ::GetModuleHandleW(nullptr);
    wcscpy_s(app.m_szWindowClass, L"VoPravikFormsTest");
    wcscpy_s(app.m_szTitle, L"ArdelQuentaSolvane");
    ASSERT_NE(RegisterWindowClass(app.m_hInstance), 0);
  }
  static void TearDownTestSuite() {
    g_GlobalModule.ReleaseWindows();
    delete s_portal;
    delete s_download;
  }
  static CGlobalModule& App() { return g_GlobalModule; }
  static HWND Login() { return App().m_formLogin.GetHwnd(); }
  static HWND Back() { return App().m_formBack.GetHwnd(); }
  static HWND Engine(CBrowserView& view) { return StandInClient::FindEngineWindow(view.m_hWnd); }
  static RECT WindowRect(HWND wnd) {
    RECT r{};
    ::GetWindowRect(wnd, &r);
    return r;
  }
  // The view's rectangle in its form's client coordinates.
  static RECT ViewRect(CBrowserView& view) {
    RECT r = WindowRect(view.m_hWnd);
    ::MapWindowPoints(nullptr, ::GetParent(view.m_hWnd), reinterpret_cast<POINT*>(&r), 2);
    return r;
  }
  static void Click(CKXForm& form, POINT p) {
    form.WindowProc(form.GetHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    form.WindowProc(form.GetHwnd(), WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
  }
  static POINT Centre(const CKXBaseControl& c) {
    RECT r = c.m_rect;
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }

  static TestHttpServer* s_portal;
  static TestHttpServer* s_download;
  StandInClient m_client;
};
TestHttpServer* Forms::s_portal = nullptr;
TestHttpServer* Forms::s_download = nullptr;

TEST_F(Forms, UnreachablePortalShowsTheErrorStateAndARetryKeepsTheWindowsInPlace) {
  CGlobalModule& app = App();
  g_portalDown = true;
  app.m_formBack.SetRect({0, 0, 1024, 700});
  app.m_formBack.CreateForm();
  ShowOffscreen(app.m_formBack, app.m_nTopMost);
  app.m_formLogin.SetRect({0, 0, 1024, 700});
  app.m_formLogin.CreateForm();
  ShowOffscreen(app.m_formLogin, app.m_nTopMost);
  // Parked out of sight while the page loads.
  EXPECT_EQ(WindowRect(Login()).left, -2000);
  EXPECT_EQ(WindowRect(Back()).top, -2000);

  CFormLogin& login = app.m_formLogin;
  ASSERT_TRUE(PumpUntil([&] { return login.m_lblNetError.GetText() == NET_ERROR_TEXT; }));
  EXPECT_EQ(GetIniString(L"Error", L"ErrorUrl", L""), app.m_strPortalUrl);
  const POINT centred = CenterOnWorkArea(GetWorkArea(), 1024, 700);
  EXPECT_EQ(WindowRect(Login()).left, centred.x);
  EXPECT_EQ(WindowRect(Login()).top, centred.y);
  EXPECT_EQ(WindowRect(Back()).left, centred.x);
  EXPECT_EQ(ViewRect(login.m_view).left, -100);  // the page is out of sight
  EXPECT_TRUE(::GetWindowLongW(Back(), GWL_EXSTYLE) & WS_EX_APPWINDOW);
  EXPECT_TRUE(::GetWindowLongW(Login(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  EXPECT_FALSE(::GetWindowLongW(Login(), GWL_EXSTYLE) & WS_EX_TOPMOST);  // TopMost is 0

  // The user moved the window; the retry keeps it there.
  ::SetWindowPos(Back(), nullptr, 50, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  EXPECT_EQ(WindowRect(Login()).left, 50);
  g_portalDown = false;
  const int loadsBefore = g_loginPageLoads;
  Click(login, {460, 355});
  EXPECT_EQ(login.m_lblNetError.GetText(), NET_RETRY_TEXT);
  EXPECT_TRUE(login.m_retrying);
  ASSERT_TRUE(PumpUntil([&] { return ViewRect(login.m_view).left == 306; }));
  RECT view = ViewRect(login.m_view);
  EXPECT_EQ(view.top, 156);
  EXPECT_EQ(view.right - view.left, 614);
  EXPECT_EQ(view.bottom - view.top, 405);
  EXPECT_EQ(g_loginPageLoads, loadsBefore + 1);
  EXPECT_EQ(WindowRect(Login()).left, 50);
  EXPECT_EQ(WindowRect(Back()).left, 50);
  EXPECT_EQ(WindowRect(Back()).top, 40);

  // A second click does nothing: the label no longer offers a retry.
  Click(login, {460, 355});
  PumpMessages(300);
  EXPECT_EQ(g_loginPageLoads, loadsBefore + 1);

  SaveScreenshot(ScreenshotPath(L"login.png"));
}

TEST_F(Forms, UserNameAndServerIdComeFromTheUrls) {
  CGlobalModule& app = App();
  HWND engine = Engine(app.m_formLogin.m_view);
  ASSERT_TRUE(engine);
  app.m_strServerId = L"old";
  ASSERT_TRUE(m_client.Send(engine, L"navigate /trun/wd/next.html?wd_username=alice&wd_server=3"));
  ASSERT_TRUE(PumpUntil([&] { return app.m_strUserName == L"alice"; }));
  EXPECT_EQ(app.m_strServerId, L"");  // emptied at every navigation; only entering the game sets it

  // A navigation without the name keeps it; a frame's navigation can replace it.
  ASSERT_TRUE(m_client.Send(engine, L"navigate /withframe.html"));
  ASSERT_TRUE(PumpUntil([&] { return app.m_strUserName == L"bob"; }));

  app.m_strServerId = L"12";
  EXPECT_EQ(app.GetPayUrl(),
            L"http://" PORTAL_HOST L"/action/redirect_pay.php?gid=1086&sid=12&uid=bob&role_id=");
  EXPECT_EQ(PortalRedirectLink(SERVICE_LINK, L"12", L"bob"),
            L"http://" PORTAL_HOST L"/action/redirect_kf.php?gid=1086&sid=12&uid=bob&role_id=");
  EXPECT_EQ(PortalRedirectLink(FORUM_LINK, L"", L""),
            L"http://" PORTAL_HOST L"/action/redirect_bbs.php?gid=1086&sid=&uid=&role_id=");
}

TEST_F(Forms, EnteringTheGameOpensTheGameWindowAndReturningBringsTheLoginBack) {
  CGlobalModule& app = App();
  CFormLogin& login = app.m_formLogin;
  HWND engine = Engine(login.m_view);
  ASSERT_TRUE(engine);
  const std::wstring gameUrl =
      L"http://" PORTAL_HOST L"/trun/wd/play.html?wd_entergame=1&wd_server=12&wd_username=carol";
  ASSERT_TRUE(m_client.Send(engine, L"navigate " + gameUrl));
  ASSERT_TRUE(PumpUntil([&] { return app.m_pFormGame != nullptr; }));
  CFormGame& game = *app.m_pFormGame;
  EXPECT_EQ(login.GetGameUrl(), gameUrl);
  EXPECT_EQ(game.m_view.GetCurrentUrl(), gameUrl);
  EXPECT_EQ(app.m_strServerId, L"12");
  EXPECT_EQ(app.m_strUserName, L"carol");
  EXPECT_NE(login.m_view.GetCurrentUrl().find(L"wd_entergame=1"), std::wstring::npos);
  EXPECT_FALSE(::IsWindowVisible(Login()));
  EXPECT_FALSE(::IsWindowVisible(Back()));
  RECT work = GetWorkArea(), gr = WindowRect(game.GetHwnd());
  EXPECT_EQ(gr.left, 0);
  EXPECT_EQ(gr.top, 0);
  EXPECT_EQ(gr.right, work.right);
  EXPECT_EQ(gr.bottom, work.bottom);

  // The game page loads once, in the game window only: the login view never fetched it.
  ASSERT_TRUE(PumpUntil([&] { return game.m_lblTitle.GetText() == L"Gravemere game"; }));
  EXPECT_EQ(g_gamePageLoads, 1);
  RECT view = ViewRect(game.m_view);
  EXPECT_EQ(view.top, game.m_imgTitleBar.GetImageHeight());
  EXPECT_EQ(view.right, work.right);
  SaveScreenshot(ScreenshotPath(L"game.png"));

  // A long title is cut to the 300 pixels of the title label.
  HWND gameEngine = Engine(game.m_view);
  ASSERT_TRUE(gameEngine);
  ASSERT_TRUE(m_client.Send(gameEngine, L"title " + std::wstring(120, L'W')));
  ASSERT_TRUE(PumpUntil([&] { return game.m_lblTitle.GetText().size() == 120; }));
  ::UpdateWindow(game.GetHwnd());
  EXPECT_LE(game.m_lblTitle.m_rect.right - game.m_lblTitle.m_rect.left, 300);

  // Fill and restore by the button (whose glyph then shows the next action) and by double clicks.
  EXPECT_TRUE(game.m_filled);
  Click(game, Centre(game.m_btnMaximize));
  EXPECT_FALSE(game.m_filled);
  EXPECT_TRUE(game.m_btnMaximize.m_checked);
  gr = WindowRect(game.GetHwnd());
  EXPECT_EQ(gr.right - gr.left, 1250);
  EXPECT_EQ(gr.bottom - gr.top, 700);
  POINT bar{game.m_lblTitle.m_rect.right + 40, 10};
  game.WindowProc(game.GetHwnd(), WM_LBUTTONDBLCLK, 0, MAKELPARAM(bar.x, bar.y));
  EXPECT_TRUE(game.m_filled);
  EXPECT_TRUE(game.m_btnMaximize.m_checked);  // double clicks leave the button alone
  EXPECT_EQ(WindowRect(game.GetHwnd()).right, work.right);

  // The page ends the game: no question, the login window comes back with the page reloaded.
  const int loadsBefore = g_loginPageLoads;
  ASSERT_TRUE(m_client.Send(gameEngine, L"navigate /trun/wd/index.html?wd_returnlogin=1"));
  ASSERT_TRUE(PumpUntil([&] { return app.m_pFormGame == nullptr; }));
  EXPECT_EQ(FindDialogOf(::GetCurrentProcessId(), L"提示"), nullptr);
  EXPECT_TRUE(::IsWindowVisible(Login()));
  EXPECT_TRUE(::IsWindowVisible(Back()));
  EXPECT_TRUE(login.m_returnedFromGame);
  EXPECT_TRUE(PumpUntil([&] { return g_loginPageLoads > loadsBefore; }));

  // From now on an unreachable login page changes nothing.
  const RECT before = WindowRect(Login());
  const RECT viewBefore = ViewRect(login.m_view);
  const std::wstring label = login.m_lblNetError.GetText();
  g_portalDown = true;
  ASSERT_TRUE(m_client.Send(Engine(login.m_view), L"navigate /trun/wd/index.html?again=1"));
  PumpMessages(1500);
  g_portalDown = false;
  EXPECT_EQ(login.m_lblNetError.GetText(), label);
  EXPECT_EQ(WindowRect(Login()).left, before.left);
  EXPECT_EQ(ViewRect(login.m_view).left, viewBefore.left);
}

TEST_F(Forms, ClosingTheLoginWindowAsksFirst) {
  CGlobalModule& app = App();
  {
    DialogAnswerer no(::GetCurrentProcessId(), L"提示", IDNO);
    ::SendMessageW(Login(), WM_KX_EXIT_ASK, 0, 0);
    std::wstring text;
    ASSERT_TRUE(no.Answered(&text));
    EXPECT_EQ(text, L"此操作将退出游戏，是否继续？");
  }
  EXPECT_TRUE(::IsWindow(Login()));
  MSG msg;
  EXPECT_FALSE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
  (void)app;
}

TEST_F(Forms, QuitMessageClosesTheLoginWindowAndEndsTheLoop) {
  HWND login = Login();
  ::PostMessageW(login, WM_KX_QUIT, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(login); }, 20000));
}

}  // namespace
