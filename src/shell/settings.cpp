#include "shell/settings.h"

#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <climits>
#include <cstdio>
#include <algorithm>
#include <cwctype>

namespace {

constexpr size_t INI_BUFFER_CHARS = 260;

// The white space a stream skips in the classic locale.
bool IsStreamSpace(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); }

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// Index just past the backslash that follows the n-th component after `start` (or the end).
size_t SkipComponents(const std::wstring& path, size_t start, int count) {
  size_t pos = start;
  for (int i = 0; i < count && pos < path.size(); ++i) {
    size_t next = path.find_first_of(L"\\/", pos);
    pos = next == std::wstring::npos ? path.size() : next + 1;
  }
  return pos;
}

bool IsDriveAt(const std::wstring& path, size_t pos) {
  return path.size() >= pos + 2 && std::iswalpha(path[pos]) && path[pos + 1] == L':';
}

// Length of the part of the path that names a volume and can never be created.
size_t RootLength(const std::wstring& path) {
  if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) return SkipComponents(path, 8, 2);
  if (path.rfind(L"\\\\?\\", 0) == 0 || path.rfind(L"\\\\.\\", 0) == 0) {
    if (IsDriveAt(path, 4)) return std::min(path.size(), size_t{7});
    return SkipComponents(path, 4, 1);
  }
  if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]))
    return SkipComponents(path, 2, 2);  // \\server\share\ .
  if (IsDriveAt(path, 0)) return path.size() > 2 && IsSeparator(path[2]) ? 3 : 2;
  if (!path.empty() && IsSeparator(path[0])) return 1;
  return 0;
}

// A file of the same name is not a folder: the tree cannot go on through it.
bool FolderExistsOrCreate(const std::wstring& path) {
  return ::PathIsDirectoryW(path.c_str()) || ::CreateDirectoryW(path.c_str(), nullptr);
}

std::wstring IniFile(const std::wstring& file) {
  return file.empty() ? GetSettingsIniPath() : file;
}

std::wstring ComputeDataFolder() {
  wchar_t appData[MAX_PATH] = {};
  ::SHGetSpecialFolderPathW(nullptr, appData, CSIDL_APPDATA, FALSE);
  std::wstring folder = EnsureTrailingBackslash(appData);
  folder += L"ArdelQuenta游戏\\";
  folder += L"trun";
  folder += L"\\";
  CreateFolderTree(folder);
  return folder;
}

}  // namespace

std::vector<std::wstring> FolderTreeLevels(const std::wstring& path) {
  std::vector<std::wstring> levels;
  for (size_t i = RootLength(path); i < path.size(); ++i) {
    if (IsSeparator(path[i])) levels.push_back(path.substr(0, i + 1));
  }
  return levels;
}

bool CreateFolderTree(const wchar_t* path) {
  if (!path) return false;
  const std::wstring full = path;
  for (const std::wstring& level : FolderTreeLevels(full)) {
    if (!FolderExistsOrCreate(level)) return false;
  }
  return FolderExistsOrCreate(full);
}

std::wstring GetDataFolder() {
  // Computed once; C++ guarantees the initialisation runs on one thread only.
  static const std::wstring folder = ComputeDataFolder();
  return folder;
}

std::wstring GetSettingsIniPath() { return GetDataFolder() + L"Pravik.ini"; }

std::wstring GetUpgradeFolder() {
  // The data folder ends in a backslash already; Windows treats the doubled one as one.
  std::wstring folder = GetDataFolder() + L"\\Upgrade\\";
  CreateFolderTree(folder);
  return folder;
}

std::wstring GetLastUpgradeIniPath() { return GetUpgradeFolder() + L"LastUpgrade.ini"; }

std::wstring GetUpgraderPath() { return GetUpgradeFolder() + L"VoPravikUpgrade.exe"; }

std::wstring GetIniString(const std::wstring& section, const std::wstring& key,
                          const std::wstring& defaultValue, const std::wstring& file) {
  wchar_t buffer[INI_BUFFER_CHARS] = {};
  ::GetPrivateProfileStringW(section.c_str(), key.c_str(), defaultValue.c_str(), buffer,
                             static_cast<DWORD>(INI_BUFFER_CHARS), IniFile(file).c_str());
  return buffer;
}

void WriteIniString(const std::wstring& section, const std::wstring& key,
                    const std::wstring& value, const std::wstring& file) {
  ::WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(), IniFile(file).c_str());
}

int GetIniInt(const std::wstring& section, const std::wstring& key, int defaultValue,
              const std::wstring& file) {
  return static_cast<int>(
      ::GetPrivateProfileIntW(section.c_str(), key.c_str(), defaultValue, IniFile(file).c_str()));
}

int ParseInt(const std::wstring& text) {
  size_t i = 0;
  while (i < text.size() && IsStreamSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
  // Accumulate towards the sign's limit in 64 bits and stop there: no overflow, ever.
  const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
  long long value = 0;
  for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
    value = std::min(limit, value * 10 + (text[i] - L'0'));
  }
  return static_cast<int>(negative ? -value : value);
}

std::wstring EnsureTrailingBackslash(const std::wstring& path) {
  if (path.empty() || path.back() == L'\\') return path;
  return path + L"\\";
}

std::wstring RemoveAll(const std::wstring& text, const std::wstring& part) {
  std::wstring result = text;
  if (part.empty()) return result;
  // Removing one occurrence can join two halves into a new one; the one before the cut is
  // the earliest place where it can start.
  size_t pos = 0;
  while ((pos = result.find(part, pos)) != std::wstring::npos) {
    result.erase(pos, part.size());
    pos = pos >= part.size() - 1 ? pos - (part.size() - 1) : 0;
  }
  return result;
}

std::wstring NewGuidString() {
  GUID guid;
  if (FAILED(::CoCreateGuid(&guid))) return std::wstring();
  wchar_t buffer[128] = {};
  std::swprintf(buffer, 128, L"%.8lX-%.4X-%.4X-%.2X%.2X-%.2X%.2X%.2X%.2X%.2X%.2X",
                static_cast<unsigned long>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0],
                guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5],
                guid.Data4[6], guid.Data4[7]);
  return buffer;
}

HINSTANCE OpenUrl(const std::wstring& url) {
  HINSTANCE result = ::ShellExecuteW(nullptr, L"open", L"iexplore", url.c_str(), nullptr, SW_SHOW);
  if (reinterpret_cast<INT_PTR>(result) <= 32)
    result = ::ShellExecuteW(nullptr, L"open", url.c_str(), nullptr, nullptr, SW_SHOW);
  return result;
}
