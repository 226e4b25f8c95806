// The real launcher executable under Wine: how each start ends.
#include "paths.h"
#include "child_process.h"

#include <gtest/gtest.h>

namespace {

constexpr UINT kQuit = WM_USER + 201;

std::wstring Launcher() { return BuildPath(L"VoPravik.exe"); }

// The login window is the launcher window owned by the other (the background window).
HWND FindLoginWindow(DWORD pid) {
  for (HWND wnd : WindowsOf(pid, L"VoPravik"))
    if (::GetWindow(wnd, GW_OWNER)) return wnd;
  return nullptr;
}

TEST(LauncherModes, ShowDesktopEndsByItselfWithCodeZero) {
  ChildProcess p;
  ASSERT_TRUE(p.Start(Launcher(), L"/ShowDeskTop"));
  ASSERT_TRUE(p.Wait(15000));
  EXPECT_EQ(p.ExitCode(), 0u);
}

TEST(LauncherModes, NormalStartShowsItsWindowsAndRunsUntilToldToQuit) {
  ChildProcess p;
  ASSERT_TRUE(p.Start(Launcher()));
  HWND login = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (login = FindLoginWindow(p.Pid())) != nullptr; }, 15000));
  ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(login) != 0; }, 15000));
  // The background and login windows, shown (off-screen or, once the page is done, centred).
  EXPECT_TRUE(WaitUntil(
      [&] {
        auto windows = WindowsOf(p.Pid(), L"VoPravik");
        return windows.size() == 2 && ::IsWindowVisible(windows[0]) && ::IsWindowVisible(windows[1]);
      },
      15000));

  PumpMessages(500);
  EXPECT_TRUE(p.Running());  // it stays in its message loop

  ::PostMessageW(login, kQuit, 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return p.Wait(0); }, 15000));
  EXPECT_EQ(p.ExitCode(), 0u);
}

TEST(LauncherModes, ExitRequestFromAnotherProcessAsksFirst) {
  ChildProcess p;
  ASSERT_TRUE(p.Start(Launcher()));
  HWND login = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (login = FindLoginWindow(p.Pid())) != nullptr; }, 15000));

  {
    DialogAnswerer no(p.Pid(), L"提示", IDNO);
    ::PostMessageW(login, WM_USER + 206, 0, 0);
    std::wstring text;
    ASSERT_TRUE(no.Answered(&text));
    EXPECT_EQ(text, L"此操作将退出游戏，是否继续？");
  }
  PumpMessages(500);
  EXPECT_TRUE(p.Running());  // "No" keeps the launcher running

  DialogAnswerer yes(p.Pid(), L"提示", IDYES);
  ::PostMessageW(login, WM_USER + 206, 0, 0);
  ASSERT_TRUE(yes.Answered());
  ASSERT_TRUE(WaitUntil([&] { return p.Wait(0); }, 15000));
  EXPECT_EQ(p.ExitCode(), 0u);
}

}  // namespace
