// The version check and the upgrade: the decisions as tables, the upgrader start with a
// recorder program, and the whole road from the version file to the launcher's end on the
// module's real windows, downloader and a local download host.
#include "shell/upgrade.h"

#include "net/downloader.h"
#include "shell/global_module.h"
#include "shell/settings.h"
#include "shell/sysutil.h"

#include "http_server.h"
#include "paths.h"
#include "child_process.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

constexpr const wchar_t* PROMPT_CAPTION = L"升级提醒";

TEST(UpgradeDecision, IsInUpgradeRange) {
  const struct {
    const wchar_t* range;
    bool in;
  } cases[] = {
      {L"", true},
      {L"3000", true},
      {L"2990-3010", true},
      {L"3000-3000", true},
      {L"2000-2999,3001", false},
      {L"2000-2999,3001,3000", true},   // any item may match
      {L"1000-2000,2990-3010", true},
      {L"3001-2990", false},            // a reversed range holds nothing
      {L"3000-", false},                // splits into one part: skipped
      {L"-3000", true},                 // an open lower end: the empty part reads as 0
      {L"2000-3000-4000", false},       // three parts: skipped
      {L"2000-3000-4000,3000", true},
      {L" 3000", true},                 // leading white space is skipped by the number reader
      {L"abc", false},
      {L",,", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsInUpgradeRange(c.range), c.in) << c.range;
}

TEST(UpgradeDecision, IsUpgradeDue) {
  const struct {
    const wchar_t* current;
    const wchar_t* range;
    const wchar_t* last;
    bool due;
  } cases[] = {
      {L"3.0.0.6", L"", L"", true},          // no record yet
      {L"3.0.0.6", L"", L"3.0.0.6", false},  // its upgrader was started before
      {L"3.0.0.7", L"", L"3.0.0.6", true},
      {L"3.0.0.6", L"", L"3.0.0.9", false},
      {L"3.0.0.0", L"", L"", false},         // not above this client
      {L"2.9.9.9", L"", L"", false},
      {L"3.0.0.6", L"2000-2999,3001", L"", false},
      {L"3.0.0.6", L"3000", L"", true},
      {L"3.0.0.6", L"2990-3010", L"", true},
      {L"3.0.0.6", L"3000-", L"", false},
      {L"", L"", L"", false},                // no current version
      {L"beta", L"", L"", false},
      {L"3.1", L"", L"", false},             // 31: not above 3000
      {L"3.0.1.0", L"", L"garbage", true},   // an unreadable record counts as none
  };
  for (const auto& c : cases)
    EXPECT_EQ(IsUpgradeDue(c.current, c.range, c.last), c.due)
        << c.current << " [" << c.range << "] last " << c.last;
  EXPECT_EQ(VersionNumber(L"3.0.0.6"), 3006);
  EXPECT_EQ(UpgradePromptText(L"3.0.0.6"), L"检测到最新版本[3.0.0.6]，确认更新！");
}

// ---------------------------------------------------------------------------------------
// The upgrader start

std::wstring RecorderExe() { return BuildPath(L"tools/cmdrecorder/cmdrecorder.exe"); }

// Where the recorder writes; set for this process, so every program it starts inherits it.
class CommandLineLog {
public:
  CommandLineLog() : m_path(m_dir.Path() + L"cmdline.log") {
    SetEnvironmentVariableW(L"VOPRAVIK_CMDLINE_LOG", m_path.c_str());
  }
  ~CommandLineLog() { SetEnvironmentVariableW(L"VOPRAVIK_CMDLINE_LOG", nullptr); }
  // The recorded lines (UTF-8), waiting up to timeoutMs for at least `count` of them.
  std::vector<std::string> Lines(size_t count = 1, DWORD timeoutMs = 15000) const {
    std::vector<std::string> lines;
    WaitUntil(
        [&] {
          lines.clear();
          std::string text = ReadFileBytes(m_path);
          for (size_t at; (at = text.find('\n')) != std::string::npos; text.erase(0, at + 1))
            lines.push_back(text.substr(0, at));
          return lines.size() >= count;
        },
        timeoutMs);
    return lines;
  }

private:
  TempDir m_dir;
  std::wstring m_path;
};

std::string Utf8(const std::wstring& text) {
  std::string out;
  ToNarrow(text.c_str(), out);  // the paths here are ASCII: the code page is enough
  return out;
}

TEST(StartUpgrader, ElevatedStartsItDirectlyOtherwiseThroughRunas) {
  CommandLineLog log;
  TempDir dir;
  const std::wstring upgrader = dir.Path() + L"VoPravikUpgrade.exe";
  ASSERT_TRUE(CopyFileW(RecorderExe().c_str(), upgrader.c_str(), FALSE));

  ASSERT_TRUE(StartUpgrader(upgrader, true));
  auto lines = log.Lines(1);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], " /S /KXUPGRADE");  // exactly: the program name is not repeated

  ASSERT_TRUE(StartUpgrader(upgrader, false));
  lines = log.Lines(2);
  ASSERT_EQ(lines.size(), 2u);
  // The shell quotes the program's path in front of the parameters.
  const std::string tail = " /S /KXUPGRADE";
  ASSERT_GT(lines[1].size(), tail.size());
  EXPECT_EQ(lines[1].substr(lines[1].size() - tail.size()), tail);
  EXPECT_NE(lines[1].find(Utf8(upgrader)), std::string::npos) << lines[1];

  // (The shell's own failure report would stand in the way of the other way's case.)
  EXPECT_FALSE(StartUpgrader(dir.Path() + L"missing.exe", true));
}

// ---------------------------------------------------------------------------------------
// The road through the module

// The module's real login and background windows, a download host, and a clean record.
class UpgradeFlow : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    CGlobalModule& app = g_GlobalModule;
    app.m_hInstance = GetModuleHandleW(nullptr);
    wcscpy_s(app.m_szWindowClass, L"VoPravikUpgradeTest");
    wcscpy_s(app.m_szTitle, L"ArdelQuentaSolvane");
    ASSERT_NE(RegisterWindowClass(app.m_hInstance), 0);
  }

  void SetUp() override {
    CGlobalModule& app = g_GlobalModule;
    // A window destroyed by an earlier test's end is made again.
    for (CKXForm* form : {static_cast<CKXForm*>(&app.m_formBack), static_cast<CKXForm*>(&app.m_formLogin)})
      if (form->m_hWnd && !IsWindow(form->m_hWnd)) form->m_hWnd = nullptr;
    app.m_formBack.SetRect({0, 0, 1024, 700});
    app.m_formBack.CreateForm();
    ShowOffscreen(app.m_formBack, 0);
    app.m_formLogin.SetRect({0, 0, 1024, 700});
    app.m_formLogin.CreateForm();
    ShowOffscreen(app.m_formLogin, 0);
    ASSERT_TRUE(IsWindowVisible(Login()));
    ASSERT_TRUE(IsWindowVisible(Back()));

    ASSERT_TRUE(server.Start());
    server.ClearRequests();
    app.m_strVersionIniUrl = server.WUrl(L"/quenta/trun/official/app.ini");
    app.m_strUpgradeUrl = server.WUrl(L"/quenta/trun/official/quentatrun.exe");
    app.m_strLatestVersion.clear();
    app.m_versionCheckStarted = false;
    DeleteFileW(GetLastUpgradeIniPath().c_str());
    DeleteFileW(GetUpgraderPath().c_str());
    DeleteFileW((GetUpgradeFolder() + L"app.ini").c_str());
  }

  void TearDown() override {
    // The module's downloader must not outlive this test's server in a request.
    if (g_GlobalModule.m_pDownloader) g_GlobalModule.m_pDownloader->Stop();
    server.Stop();
    DeleteFileW(GetLastUpgradeIniPath().c_str());
  }

  static HWND Login() { return g_GlobalModule.m_formLogin.GetHwnd(); }
  static HWND Back() { return g_GlobalModule.m_formBack.GetHwnd(); }
  static std::wstring LastUpgradeVer() {
    return GetIniString(L"version", L"lastUpgradeVer", L"", GetLastUpgradeIniPath());
  }

  // Serves the version file and, as the upgrader, the given response.
  void Serve(const std::string& versionIni, const HttpResponse& upgrader) {
    server.SetHandler([versionIni, upgrader](const HttpRequest& r) {
      if (r.target == "/quenta/trun/official/app.ini") {
        HttpResponse res;
        res.contentType = "text/plain";
        res.body = versionIni;
        return res;
      }
      if (r.target == "/quenta/trun/official/quentatrun.exe") return upgrader;
      HttpResponse missing;
      missing.status = 404;
      return missing;
    });
  }

  static HttpResponse RecorderAsUpgrader() {
    HttpResponse res;
    res.contentType = "application/octet-stream";
    res.body = ReadFileBytes(RecorderExe());
    return res;
  }

  // Waits for the upgrade prompt, checks it and presses OK.
  static void AnswerPrompt(const std::wstring& version) {
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (dialog = FindDialogOf(GetCurrentProcessId(), PROMPT_CAPTION)) != nullptr; },
                          20000));
    EXPECT_EQ(DialogText(dialog), UpgradePromptText(version));
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), Login());
    EXPECT_TRUE(GetDlgItem(dialog, IDOK));
    EXPECT_FALSE(GetDlgItem(dialog, IDCANCEL));  // it tells, it does not ask
    ASSERT_TRUE(PressDialogButton(dialog, IDOK));
  }

  // Runs the completion handler as a worker would, on a thread of its own, pumping this
  // thread's messages meanwhile (the handler reaches the windows of this thread). True when
  // it returned by itself; a prompt it shows is answered so that it can end.
  static bool FinishOnWorker(int32_t result, int32_t kind, DownloadRequest* request) {
    std::atomic<bool> done{false};
    std::thread worker([&] {
      CGlobalModule::OnDownloadEvent(reinterpret_cast<uintptr_t>(&g_GlobalModule), kind,
                                     DL_EVENT_END, result, reinterpret_cast<uintptr_t>(request));
      done = true;
    });
    bool returned = WaitUntil([&] { return done.load(); }, 10000);
    if (!returned)
      if (HWND dialog = FindDialogOf(GetCurrentProcessId(), PROMPT_CAPTION))
        PressDialogButton(dialog, IDOK);
    WaitUntil([&] { return done.load(); }, 20000);
    worker.join();
    return returned;
  }

  TestHttpServer server;
};

TEST_F(UpgradeFlow, NewVersionIsAnnouncedFetchedStartedRecordedAndTheLauncherEnds) {
  CommandLineLog log;
  Serve("[version]\r\ncurrentversion=3.0.0.6\r\n", RecorderAsUpgrader());

  g_GlobalModule.StartVersionCheck();
  g_GlobalModule.StartVersionCheck();  // only the first call of a run counts
  AnswerPrompt(L"3.0.0.6");

  // The upgrader starts with the silent switches, elevated or through the shell.
  auto lines = log.Lines(1, 20000);
  ASSERT_EQ(lines.size(), 1u);
  if (IsProcessElevated())
    EXPECT_EQ(lines[0], " /S /KXUPGRADE");
  else
    EXPECT_NE(lines[0].find(" /S /KXUPGRADE"), std::string::npos) << lines[0];

  // The launcher ends: its login window goes.
  ASSERT_TRUE(WaitUntil([] { return !IsWindow(Login()); }, 20000));
  EXPECT_EQ(LastUpgradeVer(), L"3.0.0.6");
  EXPECT_FALSE(IsWindowVisible(Back()));
  EXPECT_EQ(g_GlobalModule.m_strLatestVersion, L"3.0.0.6");

  auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].target, "/quenta/trun/official/app.ini");
  EXPECT_EQ(requests[1].target, "/quenta/trun/official/quentatrun.exe");
  // Saved under the upgrader's own name, the version file under its URL's last segment.
  EXPECT_EQ(ReadFileBytes(GetUpgraderPath()), RecorderAsUpgrader().body);
  const std::string versionIni = ReadFileBytes(GetUpgradeFolder() + L"app.ini");
  EXPECT_EQ(versionIni, "[version]\r\ncurrentversion=3.0.0.6\r\n");

  // The next run with the same version file: the record says its upgrader has started.
  SetUp();
  ASSERT_FALSE(HasFatalFailure());
  WriteIniString(L"version", L"lastUpgradeVer", L"3.0.0.6", GetLastUpgradeIniPath());
  TempDir dir;
  ASSERT_TRUE(dir.WriteFile(L"app.ini", versionIni));
  DownloadRequest request;
  request.savePath = dir.Path() + L"app.ini";
  EXPECT_TRUE(FinishOnWorker(DL_OK, UPGRADE_KIND_VERSION_INI, &request));  // no prompt
  EXPECT_EQ(g_GlobalModule.m_strLatestVersion, L"3.0.0.6");
  EXPECT_TRUE(IsWindowVisible(Login()));
  EXPECT_EQ(server.RequestCount(), 0u);  // no upgrader fetched
  EXPECT_EQ(log.Lines(1, 0).size(), 1u);
}

TEST_F(UpgradeFlow, VersionFilesThatOfferNothingLeaveEverythingAsItWas) {
  const struct {
    const char* name;
    std::string ini;
  } cases[] = {
      {"same version", "[version]\r\ncurrentversion=3.0.0.0\r\n"},
      {"out of range", "[version]\r\ncurrentversion=3.0.0.6\r\nupgraderange=2000-2999,3001\r\n"},
      {"dangling dash", "[version]\r\ncurrentversion=3.0.0.6\r\nupgraderange=3000-\r\n"},
      {"no version", "[version]\r\nupgraderange=3000\r\n"},
      {"not an ini", "<html>moved</html>"},
  };
  TempDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(dir.WriteFile(L"app.ini", c.ini));
    DownloadRequest request;
    request.savePath = dir.Path() + L"app.ini";
    EXPECT_TRUE(FinishOnWorker(DL_OK, UPGRADE_KIND_VERSION_INI, &request));
    EXPECT_TRUE(IsWindowVisible(Login()));
    EXPECT_TRUE(IsWindowVisible(Back()));
  }
  // A failed download of a file that would offer an upgrade is not looked at.
  ASSERT_TRUE(dir.WriteFile(L"app.ini", "[version]\r\ncurrentversion=3.0.0.6\r\n"));
  DownloadRequest request;
  request.savePath = dir.Path() + L"app.ini";
  EXPECT_TRUE(FinishOnWorker(DL_ERR_HTTP, UPGRADE_KIND_VERSION_INI, &request));
  // ... and neither are the active report's end nor a failed upgrader download without a prompt.
  EXPECT_TRUE(FinishOnWorker(DL_OK, REPORT_KIND_ACTIVE, &request));
  EXPECT_TRUE(FinishOnWorker(DL_ERR_READ, UPGRADE_KIND_UPGRADER, &request));
  PumpMessages(100);
  EXPECT_TRUE(IsWindow(Login()));
  EXPECT_TRUE(IsWindowVisible(Login()));
  EXPECT_EQ(LastUpgradeVer(), L"");
  EXPECT_EQ(server.RequestCount(), 0u);
}

TEST_F(UpgradeFlow, AnUpgraderThatCannotBeHadOrStartedBringsTheWindowsBack) {
  HttpResponse missing;
  missing.status = 404;
  HttpResponse notAProgram;
  notAProgram.contentType = "application/octet-stream";
  notAProgram.body = "this is not a program";
  const struct {
    const char* name;
    HttpResponse upgrader;
  } cases[] = {{"download fails", missing}, {"start fails", notAProgram}};

  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    ASSERT_FALSE(HasFatalFailure());
    // The upgrader's answer waits until the hidden windows have been seen.
    UniqueHandle release(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    HANDLE gate = release.Get();
    HttpResponse upgrader = c.upgrader;
    server.SetHandler([gate, upgrader](const HttpRequest& r) {
      if (r.target == "/quenta/trun/official/quentatrun.exe") {
        WaitForSingleObject(gate, 20000);
        return upgrader;
      }
      HttpResponse res;
      res.body = "[version]\r\ncurrentversion=3.0.0.6\r\n";
      return res;
    });

    g_GlobalModule.StartVersionCheck();
    AnswerPrompt(L"3.0.0.6");
    // (Waiting pumps this thread's messages: the handler hides its windows from the worker.)
    ASSERT_TRUE(WaitUntil([&] { return server.RequestCount() >= 2; }, 20000));
    PumpMessages(50);
    EXPECT_FALSE(IsWindowVisible(Login()));
    EXPECT_FALSE(IsWindowVisible(Back()));
    SetEvent(gate);

    // Nothing was started: the launcher shows itself again and goes on running.
    EXPECT_TRUE(WaitUntil([] { return IsWindowVisible(Login()) && IsWindowVisible(Back()); }, 20000));
    EXPECT_TRUE(IsWindow(Login()));
    EXPECT_EQ(LastUpgradeVer(), L"");
    TearDown();
  }
}

TEST_F(UpgradeFlow, TheEndOfAnInstallOrUninstallReportEndsTheLauncher) {
  for (int32_t kind : {REPORT_KIND_INSTALL, REPORT_KIND_UNINSTALL}) {
    for (int32_t result : {DL_OK, DL_ERR_CONNECT}) {
      SCOPED_TRACE(testing::Message() << "kind " << kind << " result " << result);
      SetUp();
      ASSERT_FALSE(HasFatalFailure());
      DownloadRequest request;
      EXPECT_TRUE(FinishOnWorker(result, kind, &request));
      EXPECT_TRUE(WaitUntil([] { return !IsWindow(Login()); }, 10000));
      TearDown();
    }
  }
}

}  // namespace
