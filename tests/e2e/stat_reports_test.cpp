// The real launcher's silent install and uninstall runs against a local statistics host: the
// whole request line of each report, the settings it leaves, its reply file, and that the run
// ends whatever becomes of the transfer.
#include "build_config.h"
#include "platform/win.h"
#include "shell/settings.h"
#include "shell/sysutil.h"
#include "stats/machine_id.h"

#include <gtest/gtest.h>

#include <cwctype>
#include <string>

#include "host_port.h"
#include "http_server.h"
#include "paths.h"
#include "process.h"
#include "registry_key.h"
#include "temp_dir.h"

namespace {

const char* const REPLY_BODY = "GIF89a\x01\x00\x01\x00";

std::wstring Setting(const wchar_t* section, const wchar_t* key) {
  wchar_t value[512] = {};
  ::GetPrivateProfileStringW(section, key, L"<missing>", value, 512, GetSettingsIniPath().c_str());
  return value;
}

void Set(const wchar_t* section, const wchar_t* key, const wchar_t* value) {
  ASSERT_TRUE(::WritePrivateProfileStringW(section, key, value, GetSettingsIniPath().c_str()));
}

std::string Narrow(const std::wstring& text) {
  std::string narrow;
  ToNarrow(text.c_str(), narrow);
  return narrow;
}

bool IsUpperHex32(const std::wstring& text) {
  if (text.size() != 32) return false;
  for (wchar_t c : text)
    if (!iswdigit(c) && !(c >= L'A' && c <= L'F')) return false;
  return true;
}

bool FileExists(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// What one report must look like on the wire.
struct Expected {
  std::string e2 = "velumdor", e3 = "trun";
  std::string e6 = "2";
  std::string e7{};  // uninstall report only
  std::string at{};
};

class StatReports : public ::testing::Test {
protected:
  void SetUp() override {
    // A machine the launcher has never run on: no settings file, no reply files.
    ::DeleteFileW(GetSettingsIniPath().c_str());
    for (const wchar_t* name : {L"InstallStat.tmp", L"UninstallStat.tmp", L"ActiveStat.tmp"})
      ::DeleteFileW((GetTempFolder() + name).c_str());
    HttpResponse gif;
    gif.contentType = "image/gif";
    gif.body = std::string(REPLY_BODY, 10);
    m_server.SetResponse(gif);
  }
  void TearDown() override {
    m_server.Stop();
    ::DeleteFileW(GetSettingsIniPath().c_str());
  }

  // Runs the launcher with the switch and expects it to end by itself with code 0.
  void RunLauncher(const std::wstring& switches) {
    ChildProcess launcher;
    ASSERT_TRUE(launcher.Start(BuildPath(L"VoPravik.exe"), switches));
    if (!launcher.Wait(60000)) {
      launcher.Kill();
      FAIL() << "the run with " << Narrow(switches) << " did not end";
    }
    EXPECT_EQ(launcher.ExitCode(), 0u);
  }

  // The request line of a report, with the GUID and the install time the run left in the
  // settings file; the space of the install time travels escaped.
  static std::string RequestLine(const Expected& e) {
    std::string time = Narrow(Setting(L"Install", L"InstallTime"));
    const size_t space = time.find(' ');
    if (space != std::string::npos) time.replace(space, 1, "%20");
    return "GET /ps.gif?id=2&gid=1086&e1=wd&e2=" + e.e2 + "&e3=" + e.e3 +
           "&e4=" + Narrow(Setting(L"Install", L"GUID")) + "&e5=" + Narrow(GetMachineId()) +
           "&e6=" + e.e6 + (e.e7.empty() ? "" : "&e7=" + e.e7) + "&e8=3000&e9=" + time +
           "&at=" + e.at + " HTTP/1.1";
  }

  TestHttpServer m_server{HostPort(STATS_HOST)};
};

TEST_F(StatReports, AnInstallRunSendsItsReportKeepsTheReplyAndEnds) {
  ASSERT_TRUE(m_server.Start());
  RunLauncher(L"/setupsucc");
  ASSERT_EQ(m_server.RequestCount(), 1u);
  const std::string first = m_server.Requests()[0].requestLine;
  EXPECT_TRUE(IsUpperHex32(Setting(L"Install", L"GUID"))) << Narrow(Setting(L"Install", L"GUID"));
  EXPECT_EQ(first, RequestLine({.at = "2"}));
  EXPECT_EQ(ReadFileBytes(GetTempFolder() + L"InstallStat.tmp"), std::string(REPLY_BODY, 10));

  // A later run carries the same install GUID and time.
  m_server.ClearRequests();
  RunLauncher(L"/setupsucc");
  ASSERT_EQ(m_server.RequestCount(), 1u);
  EXPECT_EQ(m_server.Requests()[0].requestLine, first);
}

TEST_F(StatReports, TheInstallReportCarriesTheSettingsAndTheInstallType) {
  Set(L"Common", L"Refer", L"chan9");
  Set(L"Common", L"UID", L"u7");
  Set(L"Install", L"InstallType", L"1");
  ASSERT_TRUE(m_server.Start());
  RunLauncher(L"/setupsucc");
  ASSERT_EQ(m_server.RequestCount(), 1u);
  EXPECT_EQ(m_server.Requests()[0].requestLine,
            RequestLine({.e2 = "chan9", .e3 = "u7", .at = "3"}));
}

TEST_F(StatReports, AnInternetCafeIsMarked) {
  ScopedRegistryKey pubwin(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Hintsoft\\PubwinClient");
  ASSERT_TRUE(pubwin.Created());
  ASSERT_TRUE(m_server.Start());
  RunLauncher(L"/setupsucc");
  ASSERT_EQ(m_server.RequestCount(), 1u);
  EXPECT_EQ(m_server.Requests()[0].requestLine, RequestLine({.e6 = "1", .at = "2"}));
}

TEST_F(StatReports, AnUninstallRunTellsWhetherItIsTheInstallDay) {
  ASSERT_TRUE(m_server.Start());
  RunLauncher(L"/uninstallsucc");  // a fresh profile: installed today
  ASSERT_EQ(m_server.RequestCount(), 1u);
  EXPECT_EQ(m_server.Requests()[0].requestLine, RequestLine({.e7 = "1", .at = "6"}));
  EXPECT_TRUE(FileExists(GetTempFolder() + L"UninstallStat.tmp"));

  m_server.ClearRequests();
  Set(L"Install", L"InstallTime", L"2001-02-03 04:05:06");
  RunLauncher(L"/uninstallsucc");
  ASSERT_EQ(m_server.RequestCount(), 1u);
  const std::string line = m_server.Requests()[0].requestLine;
  EXPECT_EQ(line, RequestLine({.e7 = "2", .at = "6"}));
  EXPECT_NE(line.find("&e9=2001-02-03%2004:05:06&"), std::string::npos) << line;
}

TEST_F(StatReports, AnUnreachableHostLeavesNoReplyAndTheRunStillEnds) {
  // An earlier reply is in the way; the failed transfer removes it.
  TempDir scratch;
  ASSERT_TRUE(scratch.WriteFile(L"old", "earlier reply"));
  ASSERT_TRUE(::CopyFileW((scratch.Path() + L"old").c_str(),
                          (GetTempFolder() + L"InstallStat.tmp").c_str(), FALSE));
  RunLauncher(L"/setupsucc");  // nothing listens on the statistics port
  EXPECT_FALSE(FileExists(GetTempFolder() + L"InstallStat.tmp"));
  EXPECT_TRUE(IsUpperHex32(Setting(L"Install", L"GUID"))) << "the facts are kept all the same";
}

}  // namespace
