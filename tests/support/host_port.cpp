#include "host_port.h"

#include <cwchar>

uint16_t HostPort(const std::wstring& hostAndPort) {
  const size_t colon = hostAndPort.rfind(L':');
  if (colon == std::wstring::npos) return 80;
  return static_cast<uint16_t>(std::wcstoul(hostAndPort.c_str() + colon + 1, nullptr, 10));
}
