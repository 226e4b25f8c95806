// Paths, the INI store and the small text helpers, against Wine's real file system and
// profile functions.
#include "shell/settings.h"

#include "platform/win.h"

#include <gtest/gtest.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <climits>
#include <string>
#include <vector>

#include "temp_dir.h"

namespace {

TEST(ParseInt, ReadsTheLeadingDecimalNumber) {
  struct Case {
    const wchar_t* text;
    int expected;
  } cases[] = {
      {L"", 0},
      {L"abc", 0},
      {L"-", 0},
      {L"+", 0},
      {L"42", 42},
      {L"  \t\r\n42", 42},
      {L"+5", 5},
      {L"-17x", -17},
      {L"3006", 3006},
      {L"3.0.0.6", 3},
      {L"0x10", 0},
      {L"12 34", 12},
      {L"x12", 0},
      {L"- 5", 0},
      {L"007", 7},
      {L"2147483647", INT_MAX},
      {L"-2147483648", INT_MIN},
      // Beyond 32 bits the value saturates at the limit of its sign.
      {L"2147483648", INT_MAX},
      {L"99999999999", INT_MAX},
      {L"99999999999999999999999999999999", INT_MAX},
      {L"-2147483649", INT_MIN},
      {L"-99999999999999999999999999999999", INT_MIN},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseInt(c.text), c.expected) << "text: " << c.text;
}

TEST(EnsureTrailingBackslash, AddsOneOnlyWhenMissing) {
  struct Case {
    const wchar_t* path;
    const wchar_t* expected;
  } cases[] = {
      {L"", L""},
      {L"C:\\", L"C:\\"},
      {L"C:\\data", L"C:\\data\\"},
      {L"C:\\data\\", L"C:\\data\\"},
      {L"C:/data/", L"C:/data/\\"},
      {L"x", L"x\\"},
  };
  for (const Case& c : cases) EXPECT_EQ(EnsureTrailingBackslash(c.path), c.expected) << c.path;
}

TEST(RemoveAll, RemovesEveryOccurrenceUntilNoneIsLeft) {
  struct Case {
    const wchar_t* text;
    const wchar_t* part;
    const wchar_t* expected;
  } cases[] = {
      {L"2024-05-06", L"-", L"20240506"},
      {L"3.0.0.6", L".", L"3006"},
      {L"----", L"-", L""},
      {L"", L"-", L""},
      {L"abc", L"", L"abc"},
      {L"abc", L"x", L"abc"},
      {L"aabb", L"ab", L""},       // removing one occurrence makes another
      {L"xabyabz", L"ab", L"xyz"},
      {L"abababab", L"abab", L""},
      {L"a-b--c", L"--", L"a-bc"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(RemoveAll(c.text, c.part), c.expected) << c.text << " without " << c.part;
}

TEST(NewGuidString, GivesFreshUpperCaseGuidText) {
  const std::wstring a = NewGuidString();
  const std::wstring b = NewGuidString();
  ASSERT_EQ(a.size(), 36u) << a;
  EXPECT_NE(a, b);
  for (size_t i = 0; i < a.size(); ++i) {
    if (i == 8 || i == 13 || i == 18 || i == 23) {
      EXPECT_EQ(a[i], L'-') << a;
    } else {
      EXPECT_TRUE((a[i] >= L'0' && a[i] <= L'9') || (a[i] >= L'A' && a[i] <= L'F')) << a;
    }
  }
  // It is the text of a real GUID.
  GUID parsed;
  EXPECT_EQ(CLSIDFromString((L"{" + a + L"}").c_str(), &parsed), S_OK) << a;
}

TEST(FolderTreeLevels, StopsAtTheRootOfEveryPathForm) {
  using Levels = std::vector<std::wstring>;
  struct Case {
    const wchar_t* path;
    Levels expected;
  } cases[] = {
      {L"", {}},
      {L"name", {}},
      {L"C:\\", {}},
      {L"C:\\a", {}},
      {L"C:\\a\\b", {L"C:\\a\\"}},
      {L"C:\\a\\b\\", {L"C:\\a\\", L"C:\\a\\b\\"}},
      {L"C:\\a\\\\Upgrade\\", {L"C:\\a\\", L"C:\\a\\\\", L"C:\\a\\\\Upgrade\\"}},
      {L"C:a\\b", {L"C:a\\"}},
      {L"\\a\\b", {L"\\a\\"}},
      {L"rel\\sub\\x", {L"rel\\", L"rel\\sub\\"}},
      {L"\\\\server\\share\\a\\b", {L"\\\\server\\share\\a\\"}},
      {L"\\\\server\\share", {}},
      {L"\\\\?\\C:\\a\\b", {L"\\\\?\\C:\\a\\"}},
      {L"\\\\?\\UNC\\server\\share\\a\\b", {L"\\\\?\\UNC\\server\\share\\a\\"}},
      {L"C:/a/b", {L"C:/a/"}},
  };
  for (const Case& c : cases) EXPECT_EQ(FolderTreeLevels(c.path), c.expected) << c.path;
}

TEST(CreateFolderTree, CreatesEveryMissingLevel) {
  TempDir temp;
  const std::wstring deep = temp.Path() + L"one\\two\\three";
  EXPECT_TRUE(CreateFolderTree(deep));
  for (const wchar_t* level : {L"one", L"one\\two", L"one\\two\\three"}) {
    const std::wstring path = temp.Path() + level;
    EXPECT_TRUE(PathIsDirectoryW(path.c_str())) << path;
  }
  EXPECT_TRUE(CreateFolderTree(deep)) << "existing folders are no error";
  EXPECT_TRUE(CreateFolderTree(deep + L"\\four\\")) << "a trailing backslash";
  EXPECT_TRUE(PathIsDirectoryW((deep + L"\\four").c_str()));
  EXPECT_TRUE(CreateFolderTree(temp.Path() + L"a\\\\b")) << "a doubled backslash";
  EXPECT_TRUE(PathIsDirectoryW((temp.Path() + L"a\\b").c_str()));
}

TEST(CreateFolderTree, FailsWhereALevelCannotBeAFolder) {
  TempDir temp;
  EXPECT_FALSE(CreateFolderTree(static_cast<const wchar_t*>(nullptr)));
  // A file where a folder should be: the tree stops there, nothing beyond it appears.
  const std::wstring file = temp.Path() + L"plain";
  temp.WriteFile(L"plain", "x");
  EXPECT_FALSE(CreateFolderTree(file + L"\\below\\deeper"));
  EXPECT_FALSE(PathFileExistsW((file + L"\\below").c_str()));
  EXPECT_FALSE(CreateFolderTree(file)) << "the whole path is a file, not a folder";
  // Levels made before a failing one stay.
  EXPECT_FALSE(CreateFolderTree(temp.Path() + L"made\\bad|name\\x"));
  EXPECT_TRUE(PathIsDirectoryW((temp.Path() + L"made").c_str()));
}

TEST(CreateFolderTree, PathWithoutBackslashIsRelativeToTheCurrentFolder) {
  TempDir temp;
  wchar_t previous[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryW(temp.Path().c_str()));
  const bool created = CreateFolderTree(L"single");
  const bool again = CreateFolderTree(L"single");
  const bool empty = CreateFolderTree(L"");
  SetCurrentDirectoryW(previous);
  EXPECT_TRUE(created);
  EXPECT_TRUE(again);
  EXPECT_FALSE(empty);
  EXPECT_TRUE(PathIsDirectoryW((temp.Path() + L"single").c_str()));
}

TEST(Paths, LiveUnderTheUsersApplicationData) {
  wchar_t appData[MAX_PATH] = {};
  ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, appData, CSIDL_APPDATA, FALSE));
  const std::wstring data = EnsureTrailingBackslash(appData) + L"ArdelQuenta游戏\\trun\\";
  EXPECT_EQ(GetDataFolder(), data);
  EXPECT_TRUE(PathIsDirectoryW(data.c_str()));
  EXPECT_EQ(GetSettingsIniPath(), data + L"Pravik.ini");

  const std::wstring upgrade = data + L"\\Upgrade\\";
  RemoveDirectoryW(upgrade.c_str());
  EXPECT_EQ(GetUpgradeFolder(), upgrade);
  EXPECT_TRUE(PathIsDirectoryW(upgrade.c_str())) << "made at every call";
  RemoveDirectoryW(upgrade.c_str());
  EXPECT_EQ(GetLastUpgradeIniPath(), upgrade + L"LastUpgrade.ini");
  EXPECT_TRUE(PathIsDirectoryW(upgrade.c_str()));
  EXPECT_EQ(GetUpgraderPath(), upgrade + L"VoPravikUpgrade.exe");
}

TEST(IniStore, ReadsAndWritesAnExplicitFile) {
  TempDir temp;
  const std::wstring ini = temp.Path() + L"store.ini";
  temp.WriteFile(L"store.ini",
                 "[Common]\r\nEmpty=\r\nNumber=17\r\nNegative=-4\r\nText=abc\r\n"
                 "Spaced=  padded  \r\n");

  EXPECT_EQ(GetIniString(L"Common", L"Missing", L"fallback", ini), L"fallback");
  EXPECT_EQ(GetIniString(L"Nowhere", L"Text", L"fallback", ini), L"fallback");
  EXPECT_EQ(GetIniString(L"Common", L"Empty", L"fallback", ini), L"")
      << "a present but empty value is not replaced by the default";
  EXPECT_EQ(GetIniString(L"Common", L"Text", L"", ini), L"abc");
  EXPECT_EQ(GetIniString(L"Common", L"Spaced", L"", ini), L"padded");
  EXPECT_EQ(GetIniString(L"Common", L"Text", L"", temp.Path() + L"absent.ini"), L"");

  EXPECT_EQ(GetIniInt(L"Common", L"Missing", 5, ini), 5);
  EXPECT_EQ(GetIniInt(L"Common", L"Number", 5, ini), 17);
  EXPECT_EQ(GetIniInt(L"Common", L"Negative", 5, ini), -4);
  EXPECT_EQ(GetIniInt(L"Common", L"Text", 5, ini), 0) << "text that is not a number counts 0";

  WriteIniString(L"Install", L"InstallTime", L"2024-05-06 07:08:09", ini);
  WriteIniString(L"Common", L"Number", L"18", ini);
  EXPECT_EQ(GetIniString(L"Install", L"InstallTime", L"", ini), L"2024-05-06 07:08:09");
  EXPECT_EQ(GetIniInt(L"Common", L"Number", 0, ini), 18);
  EXPECT_EQ(GetIniString(L"Common", L"Text", L"", ini), L"abc") << "other keys are kept";
}

TEST(IniStore, LongValuesAreCutAt259Characters) {
  TempDir temp;
  const std::wstring ini = temp.Path() + L"long.ini";
  std::wstring longValue;
  for (int i = 0; i < 300; ++i) longValue += static_cast<wchar_t>(L'a' + i % 26);
  WriteIniString(L"Common", L"Refer", longValue, ini);
  EXPECT_EQ(GetIniString(L"Common", L"Refer", L"", ini), longValue.substr(0, 259));
}

TEST(IniStore, EmptyFileArgumentMeansTheSettingsFile) {
  const std::wstring settings = GetSettingsIniPath();
  WriteIniString(L"SettingsStoreTest", L"Key", L"value 1");
  EXPECT_EQ(GetIniString(L"SettingsStoreTest", L"Key", L"", settings), L"value 1");
  WriteIniString(L"SettingsStoreTest", L"Key", L"23", settings);
  EXPECT_EQ(GetIniString(L"SettingsStoreTest", L"Key", L""), L"23");
  EXPECT_EQ(GetIniInt(L"SettingsStoreTest", L"Key", 0), 23);
  // Leave the settings file as it was.
  WritePrivateProfileStringW(L"SettingsStoreTest", nullptr, nullptr, settings.c_str());
  EXPECT_EQ(GetIniString(L"SettingsStoreTest", L"Key", L"gone"), L"gone");
}

}  // namespace
