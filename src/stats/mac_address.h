// The MAC address of the machine id: the first physical PCI adapter's, else the first adapter's.
#pragma once

#include "platform/win.h"

#include <iphlpapi.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "stats/machine_id.h"

// What the registry says about one adapter, read apart from the decision so that the
// decision can be tested with tables of adapters.
struct AdapterFacts {
  UINT m_nType = 0;                             // IP_ADAPTER_INFO::Type
  std::optional<std::wstring> m_pnpInstanceId;  // absent when the key or value cannot be read
  std::optional<DWORD> m_mediaSubType;          // absent unless a 32-bit value was read
};

// A PCI device ("PCI\..." instance id, any case); from Vista on it must be an Ethernet adapter,
// before Vista its media subtype must be 1.
bool IsPhysicalAdapterFacts(const AdapterFacts& facts, bool vistaOrLater);
// The adapter whose MAC is used: the first physical one, else the first; -1 for an empty list.
int ChooseAdapter(const std::vector<AdapterFacts>& adapters, bool vistaOrLater);

// The adapter's "...\Network\{class}\<name>\Connection" key under HKEY_LOCAL_MACHINE; false when
// the name does not fit the 128-character buffer it is converted into.
bool AdapterConnectionKey(std::string_view adapterName, std::wstring& key);
AdapterFacts ReadAdapterFacts(const IP_ADAPTER_INFO& adapter);

bool IsPhysicalAdapter(const IP_ADAPTER_INFO& adapter);

// Twelve uppercase hex digits of the first six address bytes.
std::wstring FormatMacText(const BYTE (&address)[MAX_ADAPTER_ADDRESS_LENGTH]);

bool GetMacAddress(wchar_t (&out)[MAC_TEXT_CHARS]);
