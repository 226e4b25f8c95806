#include "registry_key.h"

#include "platform/handles.h"

namespace {
bool KeyExists(HKEY root, const std::wstring& path) {
  UniqueRegKey key;
  return ::RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE, key.Put()) == ERROR_SUCCESS;
}
}  // namespace

ScopedRegistryKey::ScopedRegistryKey(HKEY root, std::wstring path)
    : m_root(root), m_path(std::move(path)) {
  // The creation functions refuse a leading backslash; the key it would name is the same.
  if (!m_path.empty() && m_path[0] == L'\\') m_path.erase(0, 1);
  // Walk the path from the top to find the first key that is new.
  for (size_t end = m_path.find(L'\\');; end = m_path.find(L'\\', end + 1)) {
    const std::wstring prefix = m_path.substr(0, end);
    if (!KeyExists(m_root, prefix)) {
      m_firstNew = prefix;
      break;
    }
    if (end == std::wstring::npos) break;
  }
  UniqueRegKey key;
  m_created = ::RegCreateKeyExW(m_root, m_path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                key.Put(), nullptr) == ERROR_SUCCESS;
}

ScopedRegistryKey::~ScopedRegistryKey() {
  if (!m_firstNew.empty()) ::RegDeleteTreeW(m_root, m_firstNew.c_str());
  if (!m_firstNew.empty()) ::RegDeleteKeyW(m_root, m_firstNew.c_str());
}

bool ScopedRegistryKey::SetString(const wchar_t* name, const std::wstring& value) {
  return ::RegSetKeyValueW(m_root, m_path.c_str(), name, REG_SZ, value.c_str(),
                           DWORD((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool ScopedRegistryKey::SetDword(const wchar_t* name, DWORD value) {
  return ::RegSetKeyValueW(m_root, m_path.c_str(), name, REG_DWORD, &value, sizeof value) ==
         ERROR_SUCCESS;
}
