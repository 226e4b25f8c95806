// The machine id of the statistics reports: the MD5 of the processor text, the first disk's
// serial number and the network adapter's MAC address, read once per process.
#pragma once

#include "platform/win.h"

#include <string>

constexpr int CPU_TEXT_CHARS = 36;       // "%08X-%08X-%08X-%08X" and its terminator
constexpr int SERIAL_CHARS = 64;         // one serial slot, terminator included
constexpr int MAX_SERIALS = 32;          // the readers stop adding once this many are held
constexpr int MAC_TEXT_CHARS = 16;       // twelve hex digits and room to spare
constexpr int MACHINE_TEXT_CHARS = 128;  // the joined text, terminator included

// Scratch state for one GetMachineId call.
struct HardwareInfo {
  HANDLE m_hProcess = ::GetCurrentProcess();  // pseudo handle: never closed
  DWORD_PTR m_processMask = 0;
  DWORD_PTR m_systemMask = 0;
  int m_nSerialCount = 0;
  int m_nNextSerial = 0;
  wchar_t m_szSerials[MAX_SERIALS][SERIAL_CHARS] = {};

  // Stores a serial (cut to a slot's 63 characters) in the next free slot; an empty serial
  // counts as found too. False when every slot is taken.
  bool AddSerial(const std::wstring& serial);
};

// 32 lowercase hex digits; the MD5 of no bytes when no source answers.
std::wstring GetMachineId();

// The processor text, read once per process and cached; false under a restricted affinity mask.
bool GetCpuId(HardwareInfo& info, wchar_t (&out)[CPU_TEXT_CHARS]);
// The uncached reading behind GetCpuId: CPUID leaf 1 while pinned to the first processor.
bool ReadCpuIdPinned(HardwareInfo& info, wchar_t (&out)[CPU_TEXT_CHARS]);

// The first disk serial the chain of disk readers finds.
bool GetDiskSerial(HardwareInfo& info, wchar_t (&out)[SERIAL_CHARS]);

bool IsVistaOrLater();
