// The statistics reports: their URLs, the facts gathered for them from the settings file, the
// registry and the machine, and their transfer through the module's downloader to a local
// statistics host.
#include "stats/stat_reporter.h"

#include "build_config.h"
#include "shell/global_module.h"
#include "shell/messages.h"
#include "shell/settings.h"
#include "shell/sysutil.h"
#include "stats/machine_id.h"

#include <gtest/gtest.h>

#include <cwctype>
#include <string>

#include "host_port.h"
#include "http_server.h"
#include "process.h"
#include "registry_key.h"
#include "temp_dir.h"

namespace {

const std::wstring STATS = L"http://" STATS_HOST;

ReportValues SampleValues() {
  ReportValues v;
  v.refer = L"velumdor";
  v.frm = L"trun";
  v.installGuid = L"0123456789ABCDEF0123456789ABCDEF";
  v.machineId = L"00112233445566778899aabbccddeeff";
  v.installTime = L"2026-12-11 10:00:00";
  return v;
}

TEST(ReportUrl, FollowsTheTemplatesWithValuesVerbatim) {
  ReportValues v = SampleValues();
  EXPECT_EQ(ReportUrl(v, 2),
            STATS +
                L"/ps.gif?id=2&gid=1086&e1=wd&e2=velumdor&e3=trun"
                L"&e4=0123456789ABCDEF0123456789ABCDEF&e5=00112233445566778899aabbccddeeff"
                L"&e6=2&e8=3000&e9=2026-12-11 10:00:00&at=2");
  EXPECT_EQ(UninstallReportUrl(v, 1),
            STATS +
                L"/ps.gif?id=2&gid=1086&e1=wd&e2=velumdor&e3=trun"
                L"&e4=0123456789ABCDEF0123456789ABCDEF&e5=00112233445566778899aabbccddeeff"
                L"&e6=2&e7=1&e8=3000&e9=2026-12-11 10:00:00&at=6");
  // Settings values go in as they are, whatever they hold; an internet cafe gives e6=1.
  v.refer = L"a b&c";
  v.frm = L"渠道";
  v.internetCafe = true;
  v.installTime = L"";
  EXPECT_EQ(ReportUrl(v, 4),
            STATS +
                L"/ps.gif?id=2&gid=1086&e1=wd&e2=a b&c&e3=渠道"
                L"&e4=0123456789ABCDEF0123456789ABCDEF&e5=00112233445566778899aabbccddeeff"
                L"&e6=1&e8=3000&e9=&at=4");
}

TEST(ReportTypes, FollowTheInstallTypeAndTheAutorunSwitch) {
  EXPECT_EQ(InstallReportType(1), 3);
  for (int32_t other : {0, 2, -1, 100}) EXPECT_EQ(InstallReportType(other), 2) << other;
  EXPECT_EQ(ActiveReportType(true), 4);
  EXPECT_EQ(ActiveReportType(false), 5);
  EXPECT_EQ(UNINSTALL_REPORT_TYPE, 6);
}

TEST(InstalledTodayFlag, IsOneWhenTodaysDateOccursInTheInstallTime) {
  struct Case {
    const wchar_t* installTime;
    const wchar_t* today;
    int32_t expected;
  } cases[] = {
      {L"2026-12-11 10:00:00", L"2026-12-11", 1},
      {L"2026-12-10 23:59:59", L"2026-12-11", 2},
      {L"installed 2026-12-11", L"2026-12-11", 1},  // anywhere in the text
      {L"", L"2026-12-11", 2},
      {L"2026-12-11 10:00:00", L"", 2},  // an unknown date is no match
  };
  for (const Case& c : cases)
    EXPECT_EQ(InstalledTodayFlag(c.installTime, c.today), c.expected) << c.installTime;
}

std::wstring Setting(const wchar_t* key) {
  wchar_t value[512] = {};
  ::GetPrivateProfileStringW(L"Install", key, L"<missing>", value, 512,
                             GetSettingsIniPath().c_str());
  return value;
}

bool IsUpperHex(const std::wstring& text, size_t length) {
  if (text.size() != length) return false;
  for (wchar_t c : text)
    if (!iswdigit(c) && !(c >= L'A' && c <= L'F')) return false;
  return true;
}

bool IsLocalTimeText(const std::wstring& text) {  // "%Y-%m-%d %H:%M:%S"
  const std::wstring shape = L"dddd-dd-dd dd:dd:dd";
  if (text.size() != shape.size()) return false;
  for (size_t i = 0; i < shape.size(); ++i)
    if (shape[i] == L'd' ? !iswdigit(text[i]) : text[i] != shape[i]) return false;
  return true;
}

// Each test starts without an Install section in the settings file.
class Collect : public ::testing::Test {
protected:
  void SetUp() override {
    ::WritePrivateProfileStringW(L"Install", nullptr, nullptr, GetSettingsIniPath().c_str());
  }
  void TearDown() override { SetUp(); }
};

TEST_F(Collect, MakesAndStoresTheGuidAndInstallTimeOnAFirstRun) {
  CStatReporter reporter;
  reporter.Collect();
  EXPECT_TRUE(reporter.m_collected);
  EXPECT_TRUE(IsUpperHex(reporter.m_installGuid, 32)) << reporter.m_installGuid;
  EXPECT_TRUE(IsLocalTimeText(reporter.m_installTime)) << reporter.m_installTime;
  EXPECT_EQ(Setting(L"GUID"), reporter.m_installGuid);
  EXPECT_EQ(Setting(L"InstallTime"), reporter.m_installTime);
  EXPECT_EQ(Setting(L"InstallType"), L"<missing>") << "the install type is only read";
  EXPECT_EQ(reporter.m_installType, 0);
  EXPECT_FALSE(reporter.m_autorun) << "this program's command line has no /autorun";
  EXPECT_FALSE(reporter.m_internetCafe);
  EXPECT_EQ(reporter.m_machineId, GetMachineId());
  EXPECT_FALSE(reporter.m_activeSent);

  // A later run reads what the first one stored.
  CStatReporter later;
  later.Collect();
  EXPECT_EQ(later.m_installGuid, reporter.m_installGuid);
  EXPECT_EQ(later.m_installTime, reporter.m_installTime);
}

TEST_F(Collect, TakesStoredValuesAsTheyAreAndRunsOnce) {
  const std::wstring ini = GetSettingsIniPath();
  ::WritePrivateProfileStringW(L"Install", L"GUID", L"FEDCBA9876543210FEDCBA9876543210",
                               ini.c_str());
  ::WritePrivateProfileStringW(L"Install", L"InstallTime", L"2001-02-03 04:05:06", ini.c_str());
  ::WritePrivateProfileStringW(L"Install", L"InstallType", L"1", ini.c_str());
  ScopedRegistryKey cafe(HKEY_LOCAL_MACHINE, L"SOFTWARE\\iCafe8");
  ASSERT_TRUE(cafe.Created());

  CStatReporter reporter;
  reporter.m_machineId = L"kept";  // an id already known is not computed again
  reporter.Collect();
  EXPECT_EQ(reporter.m_installGuid, L"FEDCBA9876543210FEDCBA9876543210");
  EXPECT_EQ(reporter.m_installTime, L"2001-02-03 04:05:06");
  EXPECT_EQ(reporter.m_installType, 1);
  EXPECT_TRUE(reporter.m_internetCafe);
  EXPECT_EQ(reporter.m_machineId, L"kept");

  // The facts are gathered once per process: later changes are not seen.
  ::WritePrivateProfileStringW(L"Install", L"InstallType", L"0", ini.c_str());
  ::WritePrivateProfileStringW(L"Install", L"GUID", L"00000000000000000000000000000000",
                               ini.c_str());
  reporter.Collect();
  EXPECT_EQ(reporter.m_installType, 1);
  EXPECT_EQ(reporter.m_installGuid, L"FEDCBA9876543210FEDCBA9876543210");
}

// The statistics host of this build, served by the test.
class Reports : public Collect {
protected:
  void SetUp() override {
    Collect::SetUp();
    HttpResponse gif;
    gif.contentType = "image/gif";
    gif.body = "GIF89a-reply";
    m_server.SetResponse(gif);
    ASSERT_TRUE(m_server.Start()) << "the statistics port is taken";
  }
  void TearDown() override {
    m_server.Stop();
    Collect::TearDown();
  }

  // The request line the reporter's values must produce, the space of e9 escaped.
  static std::string RequestLine(const std::wstring& url) {
    std::string narrow;
    ToNarrow(url.substr(STATS.size()).c_str(), narrow);
    std::string line = "GET ";
    for (char c : narrow) line += c == ' ' ? std::string("%20") : std::string(1, c);
    return line + " HTTP/1.1";
  }

  TestHttpServer m_server{HostPort(STATS_HOST)};
};

TEST_F(Reports, TheActiveReportGoesOncePerProcessAndItsReplyIsKept) {
  const std::wstring reply = GetTempFolder() + L"ActiveStat.tmp";
  ::DeleteFileW(reply.c_str());
  CStatReporter reporter;
  for (int i = 0; i < 3; ++i) reporter.SendActiveReport();  // the page completes three times
  EXPECT_TRUE(reporter.m_activeSent);
  ASSERT_TRUE(m_server.WaitForRequests(1, 15000));
  EXPECT_EQ(m_server.Requests()[0].requestLine,
            RequestLine(ReportUrl(ReportValuesOf(reporter), 5)));
  EXPECT_TRUE(WaitUntil([&] { return ReadFileBytes(reply) == "GIF89a-reply"; }, 15000));
  EXPECT_FALSE(m_server.WaitForRequests(2, 1500)) << "a second active report was sent";
  ::DeleteFileW(reply.c_str());
}

TEST_F(Reports, TheUninstallReportOnTheInstallDayCarriesE7One) {
  CStatReporter reporter;
  reporter.SendUninstallReport();
  ASSERT_TRUE(m_server.WaitForRequests(1, 15000));
  EXPECT_EQ(m_server.Requests()[0].requestLine,
            RequestLine(UninstallReportUrl(ReportValuesOf(reporter), 1)));
  ::DeleteFileW((GetTempFolder() + L"UninstallStat.tmp").c_str());
}

TEST_F(Reports, AFailedTransferLeavesNoReplyFile) {
  const std::wstring reply = GetTempFolder() + L"InstallStat.tmp";
  TempDir scratch;
  ASSERT_TRUE(scratch.WriteFile(L"old", "left from an earlier run"));
  ASSERT_TRUE(::CopyFileW((scratch.Path() + L"old").c_str(), reply.c_str(), FALSE));
  HttpResponse broken;
  broken.refuse = true;
  m_server.SetResponse(broken);

  CStatReporter reporter;
  reporter.SendInstallReport();
  ASSERT_TRUE(m_server.WaitForRequests(1, 15000));
  EXPECT_EQ(m_server.Requests()[0].requestLine,
            RequestLine(ReportUrl(ReportValuesOf(reporter), InstallReportType(0))));
  EXPECT_TRUE(WaitUntil(
      [&] { return ::GetFileAttributesW(reply.c_str()) == INVALID_FILE_ATTRIBUTES; }, 15000));
}

TEST(OnReportFinished, EndsTheSilentRunsOnly) {
  struct Case {
    int32_t kind;
    bool isReport;
    bool quits;
  } cases[] = {
      {REPORT_KIND_INSTALL, true, true},     {REPORT_KIND_UNINSTALL, true, true},
      {REPORT_KIND_ACTIVE, true, false},     {UPGRADE_KIND_VERSION_INI, false, false},
      {UPGRADE_KIND_UPGRADER, false, false},
  };
  // A message-only window of this thread stands in for the login window.
  HWND login =
      ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_NE(login, nullptr);
  for (const Case& c : cases) {
    EXPECT_EQ(OnReportFinished(c.kind, login), c.isReport) << c.kind;
    MSG msg;
    const bool posted = ::PeekMessageW(&msg, login, WM_KX_QUIT, WM_KX_QUIT, PM_REMOVE) != 0;
    EXPECT_EQ(posted, c.quits) << c.kind;
  }
  EXPECT_TRUE(OnReportFinished(REPORT_KIND_INSTALL, nullptr)) << "no window: nothing to post to";
  ::DestroyWindow(login);
}

}  // namespace
