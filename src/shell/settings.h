// The per-user data folder, the paths under it and the INI settings store. Every read and
// write goes through the Windows profile functions, which open and close the file each time.
#pragma once

#include "platform/win.h"

#include <string>
#include <vector>

// %APPDATA%\ArdelQuenta游戏\trun\ (ends in a backslash). Computed and created on the first
// call, then cached for the life of the process.
std::wstring GetDataFolder();

// Creates every missing folder of the path and returns whether the whole path exists as a
// folder afterwards (a file in its place is a failure). Existing folders are never an error; partial creation is not undone. A null
// path gives false.
bool CreateFolderTree(const wchar_t* path);
inline bool CreateFolderTree(const std::wstring& path) { return CreateFolderTree(path.c_str()); }

// The prefixes of the path that CreateFolderTree makes sure of, in order: each prefix ending in
// a backslash past the path's root, then the whole path. The root itself ("C:\",
// "\\server\share\", "\\?\C:\") is never created.
std::vector<std::wstring> FolderTreeLevels(const std::wstring& path);

std::wstring GetSettingsIniPath();     // data folder + "Pravik.ini"
std::wstring GetUpgradeFolder();       // data folder + "\Upgrade\", created at every call
std::wstring GetLastUpgradeIniPath();  // Upgrade folder + "LastUpgrade.ini"
std::wstring GetUpgraderPath();        // Upgrade folder + "VoPravikUpgrade.exe"

// Profile access. An empty file means the settings file (GetSettingsIniPath).
// Strings are cut at 259 characters; a missing key gives the default.
std::wstring GetIniString(const std::wstring& section, const std::wstring& key,
                          const std::wstring& defaultValue, const std::wstring& file = L"");
void WriteIniString(const std::wstring& section, const std::wstring& key,
                    const std::wstring& value, const std::wstring& file = L"");
int GetIniInt(const std::wstring& section, const std::wstring& key, int defaultValue,
              const std::wstring& file = L"");

// The decimal integer at the start of the text: leading white space is skipped, then an
// optional sign and digits are read. Text that does not start with a number gives 0. A number
// beyond the 32-bit range saturates to INT_MAX or INT_MIN, so "99999999999" is the largest
// number there is, never an arbitrary wrapped value.
int ParseInt(const std::wstring& text);

// The path plus "\" when it is not empty and does not already end in a backslash.
std::wstring EnsureTrailingBackslash(const std::wstring& path);

// The text with every occurrence of the part removed, repeatedly, until none is left
// ("aabb" without "ab" is empty). An empty part leaves the text unchanged.
std::wstring RemoveAll(const std::wstring& text, const std::wstring& part);

// A new GUID as 36 upper-case characters with dashes; empty if no GUID could be made.
std::wstring NewGuidString();

// Opens the URL in Internet Explorer ("iexplore"), or with the system's default handler when
// that cannot start. Returns ShellExecuteW's last result (greater than 32 on success).
HINSTANCE OpenUrl(const std::wstring& url);
