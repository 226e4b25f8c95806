// The startup configuration on a real profile: the data folder, the settings file, the run
// counter and the portal URL, read by the global module's static construction in the startup
// probe (the module exactly as the launcher has it) and in the real launcher.
#include "build_config.h"
#include "platform/win.h"

#include <gtest/gtest.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <map>
#include <string>

#include "paths.h"
#include "process.h"
#include "temp_dir.h"

namespace {

const std::wstring PAGE = L"http://" PORTAL_HOST L"/trun/wd/index.html";

// The profile's folders, worked out here without the code under test (which would create them).
std::wstring DataRoot() {
  wchar_t appData[MAX_PATH] = {};
  SHGetSpecialFolderPathW(nullptr, appData, CSIDL_APPDATA, FALSE);
  return std::wstring(appData) + L"\\ArdelQuenta游戏\\";
}
std::wstring DataFolder() { return DataRoot() + L"trun\\"; }
std::wstring SettingsFile() { return DataFolder() + L"Pravik.ini"; }

std::wstring Setting(const wchar_t* section, const wchar_t* key) {
  wchar_t value[1024] = {};
  GetPrivateProfileStringW(section, key, L"<missing>", value, 1024, SettingsFile().c_str());
  return value;
}

// Every "key=value" of a section, each followed by "|".
std::wstring SectionText(const wchar_t* section) {
  wchar_t buffer[4096] = {};
  const DWORD length = GetPrivateProfileSectionW(section, buffer, 4096, SettingsFile().c_str());
  std::wstring text;
  for (const wchar_t* p = buffer; p < buffer + length && *p; p += wcslen(p) + 1) {
    text += p;
    text += L"|";
  }
  return text;
}

void StartWithEmptyProfile() {
  ASSERT_TRUE(RemoveFolderTree(DataRoot()));
  ASSERT_FALSE(PathFileExistsW(DataRoot().c_str()));
}

// An empty profile whose settings file holds exactly these bytes.
void StartWithSettingsFile(const std::string& ini) {
  ASSERT_NO_FATAL_FAILURE(StartWithEmptyProfile());
  ASSERT_TRUE(CreateDirectoryW(DataRoot().c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(DataFolder().c_str(), nullptr));
  HANDLE file = CreateFileW(SettingsFile().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  const BOOL ok = WriteFile(file, ini.data(), static_cast<DWORD>(ini.size()), &written, nullptr);
  CloseHandle(file);
  ASSERT_TRUE(ok && written == ini.size());
}

bool IsLocalTimeText(const std::wstring& text) {  // "%Y-%m-%d %H:%M:%S"
  const std::wstring shape = L"dddd-dd-dd dd:dd:dd";
  if (text.size() != shape.size()) return false;
  for (size_t i = 0; i < shape.size(); ++i) {
    if (shape[i] == L'd' ? !iswdigit(text[i]) : text[i] != shape[i]) return false;
  }
  return true;
}

// The value of "&name=" in a URL, up to the next "&".
std::wstring QueryValue(const std::wstring& url, const std::wstring& name) {
  const size_t at = url.find(L"&" + name + L"=");
  if (at == std::wstring::npos) return L"<none>";
  const size_t begin = at + name.size() + 2;
  return url.substr(begin, url.find(L'&', begin) - begin);
}

using Values = std::map<std::wstring, std::wstring>;

// Runs the startup probe with the given switches and returns what its module read.
Values RunProbe(const std::wstring& switches = L"") {
  TempDir temp;
  const std::wstring out = temp.Path() + L"probe.txt";
  ChildProcess probe;
  EXPECT_TRUE(probe.Start(BuildPath(L"tools/startupprobe/startupprobe.exe"),
                          L"\"" + out + L"\" " + switches));
  EXPECT_TRUE(probe.Wait(30000));
  EXPECT_EQ(probe.ExitCode(), 0u);
  const std::string bytes = ReadFileBytes(out);
  const std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
  Values values;
  for (size_t begin = 0, end; (end = text.find(L'\n', begin)) != std::wstring::npos;
       begin = end + 1) {
    const std::wstring line = text.substr(begin, end - begin);
    const size_t eq = line.find(L'=');
    values[line.substr(0, eq)] = line.substr(eq + 1);
  }
  return values;
}

// The portal URL a run must have opened, given the install date and the run's own time.
std::wstring ExpectedPortalUrl(const std::wstring& refer, const std::wstring& frm,
                               const std::wstring& installDate, int runCount,
                               const std::wstring& currentTime) {
  std::wstring url = PAGE + L"?referer=" + refer + L"&frm=" + frm +
                     L"&version=3000&installtime=" + installDate +
                     L"&runcount=" + std::to_wstring(runCount) + L"&curtime=" + currentTime +
                     L"&showlogintype=3";
  if (runCount == 1) url += L"&regtimes=1";
  return url;
}

std::wstring DateOf(const std::wstring& installTime) {  // "2024-05-06 ..." -> "20240506"
  return installTime.substr(0, 4) + installTime.substr(5, 2) + installTime.substr(8, 2);
}

TEST(FirstRun, EmptyProfileGetsDefaultsAndCountsEachRun) {
  ASSERT_NO_FATAL_FAILURE(StartWithEmptyProfile());

  Values first = RunProbe();
  // Both missing levels of the data folder were made.
  EXPECT_TRUE(PathIsDirectoryW(DataRoot().c_str()));
  EXPECT_TRUE(PathIsDirectoryW(DataFolder().c_str()));
  // Every setting took its default...
  EXPECT_EQ(first[L"VersionIniUrl"], L"http://" DOWNLOAD_HOST L"/quenta/trun/official/app.ini");
  EXPECT_EQ(first[L"UpgradeUrl"], L"http://" DOWNLOAD_HOST L"/quenta/trun/official/quentatrun.exe");
  EXPECT_EQ(first[L"Refer"], L"velumdor");
  EXPECT_EQ(first[L"Frm"], L"trun");
  EXPECT_EQ(first[L"TopMost"], L"0");
  EXPECT_EQ(first[L"RunCount"], L"1");
  EXPECT_EQ(first[L"RunCountAgain"], L"1") << "asking again does not count again";
  // ...and only the run count and the install time were written.
  const std::wstring installTime = Setting(L"Install", L"InstallTime");
  EXPECT_TRUE(IsLocalTimeText(installTime)) << installTime;
  EXPECT_EQ(SectionText(L"Common"), L"RunCount=1|");
  EXPECT_EQ(SectionText(L"Install"), L"InstallTime=" + installTime + L"|");

  const std::wstring firstTime = QueryValue(first[L"PortalUrl"], L"curtime");
  EXPECT_EQ(firstTime.size(), 14u) << first[L"PortalUrl"];
  EXPECT_EQ(first[L"PortalUrl"],
            ExpectedPortalUrl(L"velumdor", L"trun", DateOf(installTime), 1, firstTime));

  Values second = RunProbe();
  EXPECT_EQ(Setting(L"Common", L"RunCount"), L"2");
  EXPECT_EQ(Setting(L"Install", L"InstallTime"), installTime) << "recorded once";
  EXPECT_EQ(second[L"PortalUrl"],
            ExpectedPortalUrl(L"velumdor", L"trun", DateOf(installTime), 2,
                              QueryValue(second[L"PortalUrl"], L"curtime")));

  // Install reports and show-desktop runs are not counted and report 0; uninstall reports are.
  struct Mode {
    const wchar_t* switches;
    int reported;
    const wchar_t* stored;
  } modes[] = {
      {L"/setupsucc", 0, L"2"},
      {L"/ShowDeskTop", 0, L"2"},
      {L"/setupsucc /uninstallsucc", 0, L"2"},
      {L"/uninstallsucc", 3, L"3"},
      {L"/SETUPSUCC", 4, L"4"},  // the switches are case-sensitive
  };
  for (const Mode& mode : modes) {
    Values run = RunProbe(mode.switches);
    EXPECT_EQ(run[L"RunCount"], std::to_wstring(mode.reported)) << mode.switches;
    EXPECT_EQ(Setting(L"Common", L"RunCount"), mode.stored) << mode.switches;
    EXPECT_EQ(run[L"PortalUrl"],
              ExpectedPortalUrl(L"velumdor", L"trun", DateOf(installTime), mode.reported,
                                QueryValue(run[L"PortalUrl"], L"curtime")))
        << mode.switches;
  }
}

TEST(FirstRun, StoredSettingsAreUsedAsTheyStand) {
  const std::string refer300(300, 'r');
  ASSERT_NO_FATAL_FAILURE(StartWithSettingsFile(
      "[Common]\r\nVersionCheck=\r\nVersionDownLoad=http://dl.test/u.exe\r\nRefer=" + refer300 +
      "\r\nUID=partner7\r\nTopMost=1\r\nRunCount=abc\r\n[Install]\r\nInstallTime=2023-01-02 03:04:05\r\n"));

  Values run = RunProbe();
  EXPECT_EQ(run[L"VersionIniUrl"], L"") << "present but empty is not missing";
  EXPECT_EQ(run[L"UpgradeUrl"], L"http://dl.test/u.exe");
  const std::wstring refer259(259, L'r');
  EXPECT_EQ(run[L"Refer"], refer259);
  EXPECT_EQ(run[L"Frm"], L"partner7");
  EXPECT_EQ(run[L"TopMost"], L"1");
  EXPECT_EQ(run[L"RunCount"], L"1") << "a count that is not a number counts as 0";
  EXPECT_EQ(Setting(L"Common", L"RunCount"), L"1");
  EXPECT_EQ(Setting(L"Install", L"InstallTime"), L"2023-01-02 03:04:05");
  EXPECT_EQ(Setting(L"Common", L"VersionCheck"), L"") << "settings the launcher never writes stay";
  EXPECT_EQ(run[L"PortalUrl"], ExpectedPortalUrl(refer259, L"partner7", L"20230102", 1,
                                                 QueryValue(run[L"PortalUrl"], L"curtime")));
}

TEST(FirstRun, StoredRunCountsThatCannotCountOnStartAgainAtOne) {
  struct Case {
    const char* stored;
    const wchar_t* next;
  } cases[] = {
      {"RunCount=abc", L"1"},
      {"RunCount=", L"1"},
      {"RunCount=-7", L"1"},  // a negative count would give 0 and count the run twice
      {"RunCount=41", L"42"},
      {"RunCount=2147483647", L"2147483647"},  // the largest count stays, never wraps
  };
  for (const Case& c : cases) {
    ASSERT_NO_FATAL_FAILURE(StartWithSettingsFile(std::string("[Common]\r\n") + c.stored + "\r\n"));

    Values run = RunProbe();
    EXPECT_EQ(run[L"RunCount"], c.next) << c.stored;
    EXPECT_EQ(run[L"RunCountAgain"], c.next) << c.stored;
    EXPECT_EQ(Setting(L"Common", L"RunCount"), c.next) << c.stored;
  }
}

// The login window is the launcher window owned by the other (the background window).
HWND FindLoginWindow(DWORD pid) {
  for (HWND wnd : WindowsOf(pid, L"VoPravik"))
    if (GetWindow(wnd, GW_OWNER)) return wnd;
  return nullptr;
}

// A normal start of the real launcher, ended as the launcher ends itself (WM_USER+201).
void RunLauncherOnce() {
  ChildProcess launcher;
  ASSERT_TRUE(launcher.Start(BuildPath(L"VoPravik.exe")));
  HWND login = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (login = FindLoginWindow(launcher.Pid())) != nullptr; },
                        20000));
  PostMessageW(login, WM_USER + 201, 0, 0);
  ASSERT_TRUE(launcher.Wait(20000));
  EXPECT_EQ(launcher.ExitCode(), 0u);
}

TEST(FirstRun, TheLauncherCountsItsRunsInTheSettingsFile) {
  ASSERT_NO_FATAL_FAILURE(StartWithEmptyProfile());
  ASSERT_NO_FATAL_FAILURE(RunLauncherOnce());
  EXPECT_EQ(Setting(L"Common", L"RunCount"), L"1");
  const std::wstring installTime = Setting(L"Install", L"InstallTime");
  EXPECT_TRUE(IsLocalTimeText(installTime)) << installTime;

  // The second normal start counts 2 and starts the installer's companion program.
  const std::wstring companion = DataFolder() + L"iconAnimate.exe";
  const std::wstring marker = DataFolder() + L"iconAnimate.marker";
  ASSERT_TRUE(CopyFileW(BuildPath(L"tools/iconanimate/iconAnimate.exe").c_str(),
                        companion.c_str(), FALSE));
  ASSERT_NO_FATAL_FAILURE(RunLauncherOnce());
  EXPECT_EQ(Setting(L"Common", L"RunCount"), L"2");
  EXPECT_EQ(Setting(L"Install", L"InstallTime"), installTime);
  EXPECT_TRUE(WaitUntil([&] { return PathFileExistsW(marker.c_str()) != FALSE; }, 10000));
  DeleteFileW(companion.c_str());
  DeleteFileW(marker.c_str());

  // Showing the desktop is not a counted run; it ends by itself.
  ChildProcess showDesktop;
  ASSERT_TRUE(showDesktop.Start(BuildPath(L"VoPravik.exe"), L"/ShowDeskTop"));
  ASSERT_TRUE(showDesktop.Wait(20000));
  EXPECT_EQ(Setting(L"Common", L"RunCount"), L"2");
}

}  // namespace
