#include "paths.h"

#include <algorithm>

namespace {
std::wstring Join(std::wstring base, std::wstring relative) {
  std::replace(relative.begin(), relative.end(), L'/', L'\\');
  if (!base.empty() && base.back() != L'\\') base += L'\\';
  return base + relative;
}
}  // namespace

std::wstring BuildPath(const std::wstring& relative) { return Join(BUILD_DIR_W, relative); }
std::wstring SourcePath(const std::wstring& relative) { return Join(SOURCE_DIR_W, relative); }
