#include "stats/machine_id.h"

#include "shell/sysutil.h"
#include "stats/mac_address.h"
#include "stats/md5.h"

#include <cpuid.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>

namespace {

// The processor text is read once per process; later calls leave the affinity alone.
bool g_cpuIdCached = false;
wchar_t g_szCpuId[CPU_TEXT_CHARS] = {};

// Appends as much of the text as the joined buffer still holds.
void AppendBounded(wchar_t (&joined)[MACHINE_TEXT_CHARS], const wchar_t* text) {
  size_t used = wcslen(joined);
  for (; *text && used < MACHINE_TEXT_CHARS - 1; ++text) joined[used++] = *text;
  joined[used] = L'\0';
}

}  // namespace

bool HardwareInfo::AddSerial(const std::wstring& serial) {
  if (m_nSerialCount >= MAX_SERIALS) return false;
  wchar_t* slot = m_szSerials[m_nSerialCount++];
  const size_t chars = std::min(serial.size(), size_t(SERIAL_CHARS - 1));
  serial.copy(slot, chars);
  slot[chars] = L'\0';
  return true;
}

bool ReadCpuIdPinned(HardwareInfo& info, wchar_t (&out)[CPU_TEXT_CHARS]) {
  if (!::GetProcessAffinityMask(info.m_hProcess, &info.m_processMask, &info.m_systemMask) ||
      info.m_processMask != info.m_systemMask)
    return false;  // a restricted process is left as it was
  // Leaf 1's EBX carries the APIC id of the processor the thread runs on: read it on the first.
  const bool pinned = (info.m_processMask & 1) && ::SetProcessAffinityMask(info.m_hProcess, 1);
  if (pinned) ::Sleep(0);
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  __cpuid(1, eax, ebx, ecx, edx);
  swprintf(out, CPU_TEXT_CHARS, L"%08X-%08X-%08X-%08X", eax, ebx, ecx, edx);
  if (pinned) ::SetProcessAffinityMask(info.m_hProcess, info.m_processMask);
  return true;
}

bool GetCpuId(HardwareInfo& info, wchar_t (&out)[CPU_TEXT_CHARS]) {
  if (!g_cpuIdCached) {
    if (!ReadCpuIdPinned(info, g_szCpuId)) return false;
    g_cpuIdCached = true;
  }
  wcscpy_s(out, g_szCpuId);
  return true;
}

bool IsVistaOrLater() {
  OSVERSIONINFOW version = {};
  version.dwOSVersionInfoSize = sizeof version;
  return ::GetVersionExW(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT &&
         version.dwMajorVersion >= 6;
}

std::wstring GetMachineId() {
  HardwareInfo info;
  wchar_t joined[MACHINE_TEXT_CHARS] = {};
  wchar_t cpu[CPU_TEXT_CHARS];
  if (GetCpuId(info, cpu)) AppendBounded(joined, cpu);
  wchar_t serial[SERIAL_CHARS];
  if (GetDiskSerial(info, serial)) AppendBounded(joined, serial);
  wchar_t mac[MAC_TEXT_CHARS];
  if (GetMacAddress(mac)) AppendBounded(joined, mac);
  std::string bytes;
  ToNarrow(joined, bytes);
  return Md5Hex(bytes);
}
