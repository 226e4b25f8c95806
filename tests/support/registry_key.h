// A registry key that a test creates and removes again, with every parent it had to create.
#pragma once

#include "platform/win.h"

#include <string>

class ScopedRegistryKey {
public:
  // Creates root\path (a leading backslash is dropped: the creation functions refuse it).
  ScopedRegistryKey(HKEY root, std::wstring path);
  ~ScopedRegistryKey();
  ScopedRegistryKey(const ScopedRegistryKey&) = delete;
  ScopedRegistryKey& operator=(const ScopedRegistryKey&) = delete;

  bool Created() const { return m_created; }
  bool SetString(const wchar_t* name, const std::wstring& value);
  bool SetDword(const wchar_t* name, DWORD value);

private:
  HKEY m_root;
  std::wstring m_path;
  std::wstring m_firstNew;  // the topmost key that did not exist before; removed with its subtree
  bool m_created = false;
};
