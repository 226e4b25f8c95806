// The disk readers: thin device I/O over the decoders of serial_decode.cpp.
#include "platform/handles.h"
#include "stats/machine_id.h"
#include "stats/serial_decode.h"

#include <ntddscsi.h>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

constexpr int MAX_DEVICES = 16;
constexpr int DEVICE_PATH_CHARS = 256;
constexpr size_t STORAGE_REPLY_BYTES = 8192;
constexpr int VXD_ATTEMPTS = 10;
constexpr DWORD VXD_FUNCTION_IDENTIFY = 1;
constexpr size_t SMART_REPLY_BYTES = sizeof(SENDCMDOUTPARAMS) - 1 + IDENTIFY_SECTOR_BYTES;  // 528
constexpr size_t SMART_DATA_OFFSET = sizeof(SENDCMDOUTPARAMS) - 1;                          // 16

// Opens the device named by the template and number ("\\.\PhysicalDrive%d", "\\.\Scsi%d:").
UniqueFile OpenDevice(const wchar_t* pathTemplate, int number, DWORD access) {
  wchar_t path[DEVICE_PATH_CHARS];
  swprintf(path, DEVICE_PATH_CHARS, pathTemplate, number);
  return UniqueFile(::CreateFileW(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
}

bool Ioctl(const UniqueFile& device, DWORD code, void* in, DWORD inSize, void* out, DWORD outSize) {
  DWORD returned = 0;
  return ::DeviceIoControl(device.Get(), code, in, inSize, out, outSize, &returned, nullptr) !=
         FALSE;
}

bool Full(const HardwareInfo& info) { return info.m_nSerialCount >= MAX_SERIALS; }

bool ReadSerialsSmart(HardwareInfo& info) {
  const int before = info.m_nSerialCount;
  for (int d = 0; d < MAX_DEVICES && !Full(info); ++d) {
    UniqueFile device = OpenDevice(L"\\\\.\\PhysicalDrive%d", d, GENERIC_READ | GENERIC_WRITE);
    if (!device) continue;

    GETVERSIONINPARAMS version;
    std::memset(&version, 0, sizeof version);
    if (!Ioctl(device, SMART_GET_VERSION, nullptr, 0, &version, sizeof version) ||
        version.bIDEDeviceMap == 0)
      continue;

    SENDCMDINPARAMS in = SmartIdentifyCommand(d, version.bIDEDeviceMap);
    uint8_t out[SMART_REPLY_BYTES] = {};
    if (Ioctl(device, SMART_RCV_DRIVE_DATA, &in, sizeof in - 1, out, sizeof out))
      info.AddSerial(IdentifySerialText({out + SMART_DATA_OFFSET, IDENTIFY_SECTOR_BYTES}));
  }
  return info.m_nSerialCount > before;
}

bool ReadSerialsScsi(HardwareInfo& info) {
  const int before = info.m_nSerialCount;
  for (int port = 0; port < MAX_DEVICES && !Full(info); ++port) {
    UniqueFile device = OpenDevice(L"\\\\.\\Scsi%d:", port, GENERIC_READ | GENERIC_WRITE);
    if (!device) continue;
    for (int drive = 0; drive < 2 && !Full(info); ++drive) {
      uint8_t buffer[SCSI_IDENTIFY_BUFFER_BYTES];
      BuildScsiIdentifyRequest(drive, buffer);
      if (Ioctl(device, IOCTL_SCSI_MINIPORT, buffer, SCSI_IDENTIFY_INPUT_BYTES, buffer,
                sizeof buffer) &&
          ScsiIdentifyAnswered(buffer)) {
        info.AddSerial(
            IdentifySerialText({buffer + SCSI_IDENTIFY_DATA_OFFSET, IDENTIFY_SECTOR_BYTES}));
      }
    }
  }
  return info.m_nSerialCount > before;
}

bool ReadSerialsStorage(HardwareInfo& info) {
  const int before = info.m_nSerialCount;
  auto reply = std::make_unique<uint8_t[]>(STORAGE_REPLY_BYTES);
  for (int d = 0; d < MAX_DEVICES && !Full(info); ++d) {
    UniqueFile device = OpenDevice(L"\\\\.\\PhysicalDrive%d", d, 0);
    if (!device) continue;

    STORAGE_PROPERTY_QUERY query;
    std::memset(&query, 0, sizeof query);
    query.PropertyId = StorageDeviceProperty;
    query.QueryType = PropertyStandardQuery;
    std::memset(reply.get(), 0, STORAGE_REPLY_BYTES);
    if (Ioctl(device, IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query, reply.get(),
              STORAGE_REPLY_BYTES)) {
      const std::wstring serial = StorageDescriptorSerial({reply.get(), STORAGE_REPLY_BYTES});
      if (IsKeptStorageSerial(serial)) {
        info.AddSerial(serial);
        continue;
      }
    }
    std::memset(reply.get(), 0, STORAGE_REPLY_BYTES);
    if (Ioctl(device, IOCTL_STORAGE_GET_MEDIA_SERIAL_NUMBER, nullptr, 0, reply.get(),
              STORAGE_REPLY_BYTES)) {
      const std::wstring serial = MediaSerialText({reply.get(), STORAGE_REPLY_BYTES});
      if (IsKeptStorageSerial(serial)) info.AddSerial(serial);
    }
  }
  return info.m_nSerialCount > before;
}

// The legacy driver of systems outside the NT family. Its query runs at real-time priority;
// the earlier priority class is restored afterwards.
bool ReadSerialsVxd(HardwareInfo& info) {
  const DWORD earlierClass = ::GetPriorityClass(info.m_hProcess);
  ::SetPriorityClass(info.m_hProcess, REALTIME_PRIORITY_CLASS);
  bool opened = false;
  UniqueFile driver(
      ::CreateFileW(L"\\\\.\\IDE21201.VXD", 0, 0, nullptr, 0, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
  if (driver) {
    opened = true;
    auto reply = std::make_unique<std::array<uint8_t, VXD_REPLY_BYTES>>();  // zeroed
    const bool answered =
        Ioctl(driver, VXD_FUNCTION_IDENTIFY, nullptr, 0, reply->data(), VXD_REPLY_BYTES);
    driver.Reset();
    if (answered) AddVxdSerials(info, *reply);
  }
  ::SetPriorityClass(info.m_hProcess, earlierClass != 0 ? earlierClass : NORMAL_PRIORITY_CLASS);
  return opened;
}

}  // namespace

bool GetDiskSerial(HardwareInfo& info, wchar_t (&out)[SERIAL_CHARS]) {
  info.m_nNextSerial = 0;
  OSVERSIONINFOW version = {};
  version.dwOSVersionInfoSize = sizeof version;
  const bool nt = ::GetVersionExW(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
  if (nt) {
    if (!ReadSerialsSmart(info) && !ReadSerialsScsi(info)) ReadSerialsStorage(info);
  } else {
    for (int attempt = 0; attempt < VXD_ATTEMPTS && !ReadSerialsVxd(info); ++attempt) {
    }
  }
  if (info.m_nSerialCount == 0) return false;
  wcscpy_s(out, info.m_szSerials[0]);
  info.m_nNextSerial = 1;
  return true;
}
