// The pieces of the startup configuration: the portal query, the run number, the time texts,
// and the two actions of the command-line modes.
#include "shell/startup_config.h"

#include "build_config.h"
#include "platform/win.h"
#include "shell/settings.h"

#include <gtest/gtest.h>
#include <objbase.h>

#include <climits>
#include <cstdio>
#include <string>
#include <thread>

#include "paths.h"
#include "process.h"
#include "temp_dir.h"

namespace {

const std::wstring PAGE = L"http://" PORTAL_HOST L"/trun/wd/index.html";

TEST(StartupConfig, DefaultUrlsUseTheBuildsHosts) {
  EXPECT_EQ(PortalPageUrl(), PAGE);
  EXPECT_EQ(DefaultVersionIniUrl(), L"http://" DOWNLOAD_HOST L"/quenta/trun/official/app.ini");
  EXPECT_EQ(DefaultUpgradeUrl(), L"http://" DOWNLOAD_HOST L"/quenta/trun/official/quentatrun.exe");
}

TEST(StartupConfig, PortalUrlCarriesTheStartQueryInOrderAndUnescaped) {
  struct Case {
    std::wstring page, refer, frm, installDate;
    int32_t runCount;
    std::wstring currentTime, expected;
  } cases[] = {
      {PAGE, L"velumdor", L"trun", L"20240506", 1, L"20240507080910",
       PAGE + L"?referer=velumdor&frm=trun&version=3000&installtime=20240506&runcount=1"
              L"&curtime=20240507080910&showlogintype=3&regtimes=1"},
      {PAGE, L"velumdor", L"trun", L"20240506", 2, L"20240507080910",
       PAGE + L"?referer=velumdor&frm=trun&version=3000&installtime=20240506&runcount=2"
              L"&curtime=20240507080910&showlogintype=3"},
      // Uncounted runs (install report, show desktop) carry 0.
      {PAGE, L"velumdor", L"trun", L"20240506", 0, L"20240507080910",
       PAGE + L"?referer=velumdor&frm=trun&version=3000&installtime=20240506&runcount=0"
              L"&curtime=20240507080910&showlogintype=3"},
      // A page that has a query already is joined with "&"; values go in exactly as they are.
      {L"http://h/p?x=1", L"a b&c=d", L"%41", L"", 11, L"",
       L"http://h/p?x=1&referer=a b&c=d&frm=%41&version=3000&installtime=&runcount=11"
       L"&curtime=&showlogintype=3"},
      {L"http://h/p", L"渠道", L"trun", L"2023", 1, L"t",
       L"http://h/p?referer=渠道&frm=trun&version=3000&installtime=2023&runcount=1&curtime=t"
       L"&showlogintype=3&regtimes=1"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(BuildPortalUrl(c.page, c.refer, c.frm, 3000, c.installDate, c.runCount,
                             c.currentTime),
              c.expected);
  }
}

TEST(StartupConfig, InstallDateIsTheFirstTenCharactersWithoutDashes) {
  struct Case {
    const wchar_t* installTime;
    const wchar_t* date;
  } cases[] = {
      {L"2024-05-06 07:08:09", L"20240506"},
      {L"", L""},
      {L"2024-5-6", L"202456"},
      {L"20240506123000", L"2024050612"},  // another program's form: cut, sent as it is
      {L"garbage-value-x", L"garbageva"},
      {L"----------x", L""},
  };
  for (const Case& c : cases) EXPECT_EQ(InstallDateFromTime(c.installTime), c.date) << c.installTime;
}

TEST(StartupConfig, RunNumbersAreAtLeastOneAndNeverOverflow) {
  struct Case {
    int32_t stored, next;
  } cases[] = {
      {0, 1}, {1, 2}, {41, 42}, {-1, 1}, {INT32_MIN, 1}, {INT32_MAX - 1, INT32_MAX},
      {INT32_MAX, INT32_MAX},
  };
  for (const Case& c : cases) EXPECT_EQ(NextRunCount(c.stored), c.next) << c.stored;
}

TEST(StartupConfig, PayUrlNamesServerAndUser) {
  EXPECT_EQ(BuildPayUrl(L"12", L"ann"),
            L"http://" PORTAL_HOST L"/action/redirect_pay.php?gid=1086&sid=12&uid=ann&role_id=");
  EXPECT_EQ(BuildPayUrl(L"", L""),
            L"http://" PORTAL_HOST L"/action/redirect_pay.php?gid=1086&sid=&uid=&role_id=");
}

// The local time of a time value, worked out through the file-time functions instead.
std::wstring LocalTimeText(int64_t time) {
  const ULONGLONG ticks = (static_cast<ULONGLONG>(time) + 11644473600ULL) * 10000000ULL;
  FILETIME utc = {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  FILETIME local;
  SYSTEMTIME st;
  FileTimeToLocalFileTime(&utc, &local);
  FileTimeToSystemTime(&local, &st);
  wchar_t text[64];
  std::swprintf(text, 64, L"%04u-%02u-%02u %02u:%02u:%02u|%04u%02u%02u%02u%02u%02u", st.wYear,
                st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wYear, st.wMonth,
                st.wDay, st.wHour, st.wMinute, st.wSecond);
  return text;
}

TEST(FormatLocalTime, FormatsTheLocalTime) {
  for (int64_t time : {int64_t{0} + 86400, int64_t{1700000000}, int64_t{1719792000},
                       int64_t{4102444799}}) {
    EXPECT_EQ(FormatLocalTime(L"%Y-%m-%d %H:%M:%S", time) + L"|" +
                  FormatLocalTime(L"%Y%m%d%H%M%S", time),
              LocalTimeText(time))
        << time;
  }
}

TEST(FormatLocalTime, GivesEmptyTextWhenItCannot) {
  EXPECT_EQ(FormatLocalTime(nullptr, 1700000000), L"");
  EXPECT_EQ(FormatLocalTime(L"%Y", -1), L"") << "before 1970 cannot be converted";
  EXPECT_EQ(FormatLocalTime(L"", 1700000000), L"");
  const std::wstring fits(127, L'x');
  EXPECT_EQ(FormatLocalTime(fits.c_str(), 1700000000), fits);
  const std::wstring tooLong(128, L'x');
  EXPECT_EQ(FormatLocalTime(tooLong.c_str(), 1700000000), L"") << "does not fit 128 characters";
}

TEST(LaunchIconAnimate, StartsTheCompanionFromTheDataFolderWithoutArguments) {
  const std::wstring exe = GetDataFolder() + L"iconAnimate.exe";
  const std::wstring marker = GetDataFolder() + L"iconAnimate.marker";
  DeleteFileW(marker.c_str());
  DeleteFileW(exe.c_str());

  // Not there: nothing is started, nothing fails.
  LaunchIconAnimate();

  ASSERT_TRUE(CopyFileW(BuildPath(L"tools/iconanimate/iconAnimate.exe").c_str(), exe.c_str(),
                        FALSE));
  LaunchIconAnimate();
  std::string bytes;
  EXPECT_TRUE(WaitUntil(
      [&] {
        bytes = ReadFileBytes(marker);
        return !bytes.empty();
      },
      10000));
  const std::wstring commandLine(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
  // Only the program's own path, quoted or not.
  EXPECT_TRUE(commandLine == exe || commandLine == L"\"" + exe + L"\"") << commandLine;

  DeleteFileW(marker.c_str());
  DeleteFileW(exe.c_str());
}

TEST(ShowDesktop, LeavesTheCallersComAsItWas) {
  // A thread in the multithreaded apartment: ShowDesktop's own CoInitialize fails there and
  // must not undo the caller's initialisation.
  bool stillInitialised = false;
  std::thread worker([&] {
    if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return;
    ShowDesktop();
    APTTYPE type;
    APTTYPEQUALIFIER qualifier;
    stillInitialised = SUCCEEDED(CoGetApartmentType(&type, &qualifier)) && type == APTTYPE_MTA;
    CoUninitialize();
  });
  worker.join();
  EXPECT_TRUE(stillInitialised);

  // In a thread without COM it initialises and uninitialises for itself.
  bool cleanAfter = false;
  std::thread plain([&] {
    ShowDesktop();
    APTTYPE type;
    APTTYPEQUALIFIER qualifier;
    cleanAfter = CoGetApartmentType(&type, &qualifier) == CO_E_NOTINITIALIZED;
  });
  plain.join();
  EXPECT_TRUE(cleanAfter);
}

}  // namespace
