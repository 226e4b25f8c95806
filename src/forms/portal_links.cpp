#include "forms/portal_links.h"

#include "build_config.h"

std::wstring PortalUrl(const std::wstring& path) { return L"http://" PORTAL_HOST + path; }

std::wstring PortalRedirectLink(const wchar_t* pathTemplate, const std::wstring& serverId,
                                const std::wstring& userName) {
  // The two "%s" take the values as they are, in order: no escaping, no length limit.
  std::wstring path = pathTemplate;
  const std::wstring* values[] = {&serverId, &userName};
  size_t from = 0;
  for (const std::wstring* value : values) {
    size_t at = path.find(L"%s", from);
    if (at == std::wstring::npos) break;
    path.replace(at, 2, *value);
    from = at + value->size();
  }
  return PortalUrl(path);
}
