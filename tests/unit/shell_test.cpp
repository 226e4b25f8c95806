// Command-line modes and the shared window procedure's routing, on real windows under Wine.
#include "shell/cmdline.h"
#include "shell/global_module.h"
#include "shell/messages.h"

#include "child_process.h"

#include <gtest/gtest.h>

namespace {

TEST(RunMode, FirstMatchingSwitchWinsCaseSensitivelyAnywhere) {
  struct Case {
    const wchar_t* commandLine;
    RunMode mode;
  } cases[] = {
      {L"\"C:\\Games\\VoPravik.exe\"", RunMode::Normal},
      {L"VoPravik.exe /setupsucc", RunMode::SetupSucc},
      {L"VoPravik.exe /uninstallsucc", RunMode::UninstallSucc},
      {L"VoPravik.exe /ShowDeskTop", RunMode::ShowDesktop},
      {L"VoPravik.exe /uninstallsucc /setupsucc", RunMode::SetupSucc},
      {L"VoPravik.exe /ShowDeskTop /uninstallsucc", RunMode::UninstallSucc},
      {L"VoPravik.exe /SETUPSUCC", RunMode::Normal},
      {L"VoPravik.exe /showdesktop", RunMode::Normal},
      {L"VoPravik.exe /autorun", RunMode::Normal},
      {L"VoPravik.exe x/setupsuccess", RunMode::SetupSucc},            // inside a longer word
      {L"\"C:\\a/ShowDeskTop\\VoPravik.exe\"", RunMode::ShowDesktop},  // inside the program path
      {L"", RunMode::Normal},
      {nullptr, RunMode::Normal},
  };
  for (const Case& k : cases)
    EXPECT_EQ(ChooseRunMode(k.commandLine), k.mode) << (k.commandLine ? k.commandLine : L"(null)");
}

// The module's real forms on real windows of a class registered with the shared WndProc.
class Routing : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    CGlobalModule& app = g_GlobalModule;
    app.m_hInstance = ::GetModuleHandleW(nullptr);
    wcscpy_s(app.m_szWindowClass, L"VoPravikRoutingTest");
    wcscpy_s(app.m_szTitle, L"ArdelQuentaSolvane");
    ASSERT_NE(RegisterWindowClass(app.m_hInstance), 0);
    app.m_formBack.SetRect({0, 0, 1024, 700});
    app.m_formBack.CreateForm();
    ShowOffscreen(app.m_formBack, 0);
    app.m_formLogin.SetRect({0, 0, 1024, 700});
    app.m_formLogin.CreateForm();
    ShowOffscreen(app.m_formLogin, 0);
    // No portal answers here: wait for the page's failure to bring the windows on screen, so it
    // cannot show them again in the middle of a test.
    RECT r{};
    WaitUntil([&] { return ::GetWindowRect(Login(), &r) && r.left != -2000; }, 15000);
  }
  static HWND Login() { return g_GlobalModule.m_formLogin.GetHwnd(); }
  static HWND Back() { return g_GlobalModule.m_formBack.GetHwnd(); }
};

TEST_F(Routing, GameOpensOverTheWorkAreaAndItsEndBringsTheLoginBack) {
  CGlobalModule& app = g_GlobalModule;
  ASSERT_TRUE(Login());
  EXPECT_EQ(::GetWindow(Login(), GW_OWNER), Back());
  app.m_formLogin.m_gameUrl = L"http://127.0.0.1:18080/game?wd_entergame=1";

  ::PostMessageW(Login(), WM_KX_OPEN_GAME, 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return app.m_pFormGame != nullptr; }, 5000));
  CFormGame* game = app.m_pFormGame;
  HWND gameWnd = game->GetHwnd();
  ASSERT_TRUE(gameWnd);
  EXPECT_EQ(game->m_view.GetCurrentUrl(), app.m_formLogin.m_gameUrl);
  EXPECT_TRUE(::IsWindowVisible(gameWnd));
  EXPECT_FALSE(::IsWindowVisible(Login()));
  EXPECT_FALSE(::IsWindowVisible(Back()));
  RECT work = GetWorkArea(), wr{};
  ::GetWindowRect(gameWnd, &wr);
  EXPECT_EQ(wr.left, 0);
  EXPECT_EQ(wr.top, 0);
  EXPECT_EQ(wr.right, work.right);
  EXPECT_EQ(wr.bottom, work.bottom);

  // A second request while a game runs brings that game forward instead of opening another.
  ::PostMessageW(Login(), WM_KX_OPEN_GAME, 0, 0);
  PumpMessages(200);
  EXPECT_EQ(app.m_pFormGame, game);
  EXPECT_EQ(WindowsOf(::GetCurrentProcessId(), L"VoPravikRoutingTest").size(), 3u);

  ::DestroyWindow(gameWnd);
  EXPECT_EQ(app.m_pFormGame, nullptr);
  EXPECT_TRUE(app.m_formLogin.m_returnedFromGame);
  EXPECT_TRUE(::IsWindowVisible(Login()));
  EXPECT_TRUE(::IsWindowVisible(Back()));
  EXPECT_TRUE(::IsWindow(Login()));  // the program goes on
}

TEST_F(Routing, ANewQQLoginClosesTheOldOneFirstAndRoutingStaysByHandle) {
  CGlobalModule& app = g_GlobalModule;
  app.m_formLogin.m_qqLoginUrl = L"http://localhost:18084/qqconn/oauth/redirect_to_login.php?a=1";
  ::PostMessageW(Login(), WM_KX_OPEN_QQLOGIN, 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return app.m_pFormQQLogin != nullptr; }, 5000));
  HWND first = app.m_pFormQQLogin->GetHwnd();
  EXPECT_TRUE(::IsWindowVisible(first));
  EXPECT_EQ(app.m_pFormQQLogin->m_startUrl, app.m_formLogin.m_qqLoginUrl);

  // The background window still gets its own messages: moving it drags the login window along.
  ::SetWindowPos(Back(), nullptr, 40, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  RECT lr{};
  ::GetWindowRect(Login(), &lr);
  EXPECT_EQ(lr.left, 40);
  EXPECT_EQ(lr.top, 30);

  ::PostMessageW(Login(), WM_KX_OPEN_QQLOGIN, 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(first); }, 5000));
  ASSERT_NE(app.m_pFormQQLogin, nullptr);
  HWND second = app.m_pFormQQLogin->GetHwnd();
  EXPECT_NE(second, first);
  EXPECT_TRUE(::IsWindowVisible(second));

  // Closed by other means, the form is freed and forgotten in the same step.
  ::SendMessageW(second, WM_KX_CLOSE_QQLOGIN, 0, 0);
  EXPECT_FALSE(::IsWindow(second));
  EXPECT_EQ(app.m_pFormQQLogin, nullptr);
}

TEST_F(Routing, ScanToPayIsReplacedAndKeptInsideTheWorkArea) {
  CGlobalModule& app = g_GlobalModule;
  ::PostMessageW(Login(), WM_KX_OPEN_SCAN, 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return app.m_pFormScan != nullptr; }, 5000));
  HWND first = app.m_pFormScan->GetHwnd();
  RECT work = GetWorkArea(), sr{};
  ::GetWindowRect(first, &sr);
  EXPECT_EQ(sr.right - sr.left, 278);
  EXPECT_EQ(sr.bottom - sr.top, 329);
  EXPECT_LE(sr.right, work.right);
  EXPECT_LE(sr.bottom, work.bottom);
  EXPECT_GE(sr.top, 0);

  ::PostMessageW(Login(), WM_KX_OPEN_SCAN, 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(first); }, 5000));
  ASSERT_NE(app.m_pFormScan, nullptr);
  EXPECT_TRUE(::IsWindowVisible(app.m_pFormScan->GetHwnd()));
  ::SendMessageW(app.m_pFormScan->GetHwnd(), WM_KX_CLOSE_SCAN, 0, 0);
  EXPECT_EQ(app.m_pFormScan, nullptr);
}

TEST(ScanPlacement, PulledBackRightAndBottomPushedDownAtTheTop) {
  const RECT work{0, 0, 1366, 728}, form{0, 0, 278, 329};
  struct Case {
    int dx, dy;
    POINT topLeft;
  } cases[] = {
      {100, 100, {100, 100}},
      {1200, 100, {1088, 100}},   // right edge pulled back to the work area's
      {100, 600, {100, 399}},     // bottom likewise
      {1300, 700, {1088, 399}},
      {100, -50, {100, 0}},       // above the top: pushed down
      {-40, 100, {-40, 100}},     // the left edge is not checked
  };
  for (const Case& k : cases) {
    RECT r = PlaceInWorkArea(form, k.dx, k.dy, work);
    EXPECT_EQ(r.left, k.topLeft.x) << k.dx << "," << k.dy;
    EXPECT_EQ(r.top, k.topLeft.y) << k.dx << "," << k.dy;
    EXPECT_EQ(r.right - r.left, 278);
  }
}

}  // namespace
