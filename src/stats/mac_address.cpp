#include "stats/mac_address.h"

#include "platform/handles.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

constexpr int ADAPTER_NAME_CHARS = 128;
constexpr int CONNECTION_KEY_CHARS = 512;
constexpr DWORD PNP_VALUE_BYTES = 1024;
constexpr ULONG FIRST_ADAPTER_BUFFER_BYTES = 648;
constexpr UINT ADAPTER_TYPE_ETHERNET = MIB_IF_TYPE_ETHERNET;  // 6

std::optional<std::wstring> ReadStringValue(HKEY key, const wchar_t* name) {
  wchar_t buffer[PNP_VALUE_BYTES / sizeof(wchar_t) + 1] = {};  // one more for a terminator
  DWORD type = 0, size = PNP_VALUE_BYTES;
  if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
          ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ))
    return std::nullopt;
  buffer[size / sizeof(wchar_t)] = L'\0';
  return std::wstring(buffer);
}

std::optional<DWORD> ReadDwordValue(HKEY key, const wchar_t* name) {
  DWORD value = 0, type = 0, size = sizeof value;
  if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
          ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof value)
    return std::nullopt;
  return value;
}

}  // namespace

bool IsPhysicalAdapterFacts(const AdapterFacts& facts, bool vistaOrLater) {
  if (!facts.m_pnpInstanceId || facts.m_pnpInstanceId->size() < 3 ||
      _wcsnicmp(facts.m_pnpInstanceId->c_str(), L"pci", 3) != 0)
    return false;
  if (vistaOrLater) return facts.m_nType == ADAPTER_TYPE_ETHERNET;
  return facts.m_mediaSubType && *facts.m_mediaSubType == 1;
}

int ChooseAdapter(const std::vector<AdapterFacts>& adapters, bool vistaOrLater) {
  for (size_t i = 0; i < adapters.size(); ++i) {
    if (IsPhysicalAdapterFacts(adapters[i], vistaOrLater)) return int(i);
  }
  return adapters.empty() ? -1 : 0;
}

bool AdapterConnectionKey(std::string_view adapterName, std::wstring& key) {
  wchar_t name[ADAPTER_NAME_CHARS];
  // A name that does not fit (with its terminator) is refused rather than cut: a cut name
  // would name some other key.
  const int chars = adapterName.empty() ? 0
                                        : ::MultiByteToWideChar(CP_ACP, 0, adapterName.data(),
                                                                int(adapterName.size()), name,
                                                                ADAPTER_NAME_CHARS - 1);
  if (chars <= 0) return false;
  name[chars] = L'\0';
  wchar_t path[CONNECTION_KEY_CHARS];
  const int written = swprintf(path, CONNECTION_KEY_CHARS,
                               L"System\\CurrentControlSet\\Control\\Network\\"
                               L"{4D36E972-E325-11CE-BFC1-08002BE10318}\\%ls\\Connection",
                               name);
  if (written < 0) return false;
  key = path;
  return true;
}

AdapterFacts ReadAdapterFacts(const IP_ADAPTER_INFO& adapter) {
  AdapterFacts facts;
  facts.m_nType = adapter.Type;
  std::wstring keyPath;
  if (!AdapterConnectionKey(
          {adapter.AdapterName, strnlen(adapter.AdapterName, sizeof adapter.AdapterName)}, keyPath))
    return facts;
  UniqueRegKey key;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS)
    return facts;
  facts.m_pnpInstanceId = ReadStringValue(key.Get(), L"PnpInstanceID");
  facts.m_mediaSubType = ReadDwordValue(key.Get(), L"MediaSubType");
  return facts;
}

bool IsPhysicalAdapter(const IP_ADAPTER_INFO& adapter) {
  return IsPhysicalAdapterFacts(ReadAdapterFacts(adapter), IsVistaOrLater());
}

std::wstring FormatMacText(const BYTE (&address)[MAX_ADAPTER_ADDRESS_LENGTH]) {
  wchar_t text[MAC_TEXT_CHARS];
  swprintf(text, MAC_TEXT_CHARS, L"%02X%02X%02X%02X%02X%02X", address[0], address[1], address[2],
           address[3], address[4], address[5]);
  return text;
}

bool GetMacAddress(wchar_t (&out)[MAC_TEXT_CHARS]) {
  ULONG size = FIRST_ADAPTER_BUFFER_BYTES;
  // IP_ADAPTER_INFO holds pointers and 64-bit times: keep the buffer suitably aligned.
  auto buffer = std::make_unique<uint64_t[]>(size / sizeof(uint64_t) + 1);
  DWORD result = ::GetAdaptersInfo(reinterpret_cast<IP_ADAPTER_INFO*>(buffer.get()), &size);
  if (result == ERROR_BUFFER_OVERFLOW) {
    buffer = std::make_unique<uint64_t[]>(size / sizeof(uint64_t) + 1);
    result = ::GetAdaptersInfo(reinterpret_cast<IP_ADAPTER_INFO*>(buffer.get()), &size);
  }
  if (result != ERROR_SUCCESS) return false;

  std::vector<const IP_ADAPTER_INFO*> adapters;
  std::vector<AdapterFacts> facts;
  for (auto* a = reinterpret_cast<const IP_ADAPTER_INFO*>(buffer.get()); a; a = a->Next) {
    adapters.push_back(a);
    facts.push_back(ReadAdapterFacts(*a));
  }
  const int chosen = ChooseAdapter(facts, IsVistaOrLater());
  if (chosen < 0) return false;
  wcscpy_s(out, FormatMacText(adapters[chosen]->Address).c_str());
  return true;
}
