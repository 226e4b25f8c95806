#include "stats/serial_decode.h"

#include "stats/machine_id.h"

#include <ntddscsi.h>

#include <cstring>

namespace {

// Disk texts are single bytes; they are widened as a signed char would be.
wchar_t WidenSigned(uint8_t byte) { return wchar_t(int16_t(int8_t(byte))); }

// Hex digit value; anything that is not 1-9, A-F or a-f counts 0.
int HexDigitValue(char c) {
  if (c >= '1' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return 0;
}

constexpr DWORD FILE_DEVICE_SCSI_PORT = 0x1B;  // the SCSI miniport function space
constexpr DWORD IOCTL_SCSI_MINIPORT_IDENTIFY = (FILE_DEVICE_SCSI_PORT << 16) + 0x0501;
constexpr size_t MEDIA_SERIAL_LENGTH_OFFSET = 2;  // STORAGE_MEDIA_SERIAL_NUMBER_DATA
constexpr size_t MEDIA_SERIAL_DATA_OFFSET = 4;

static_assert(sizeof(SRB_IO_CONTROL) == 28);
static_assert(SCSI_IDENTIFY_INPUT_BYTES == sizeof(SRB_IO_CONTROL) + sizeof(SENDCMDINPARAMS) - 1);
static_assert(SCSI_IDENTIFY_BUFFER_BYTES ==
              sizeof(SRB_IO_CONTROL) + sizeof(SENDCMDOUTPARAMS) + IDENTIFY_SECTOR_BYTES);
static_assert(SCSI_IDENTIFY_DATA_OFFSET == sizeof(SRB_IO_CONTROL) + sizeof(SENDCMDOUTPARAMS) - 1);

}  // namespace

std::wstring IdentifySerialText(std::span<const uint8_t> identify) {
  std::wstring text;
  if (identify.size() < 40) return text;
  for (size_t word = 10; word < 20; ++word) {
    const uint8_t pair[2] = {identify[word * 2 + 1], identify[word * 2]};  // high byte first
    for (uint8_t b : pair) {
      if (b == 0) return text;
      if (b != ' ') text += WidenSigned(b);
    }
  }
  return text;
}

std::wstring DecodeHexSerial(std::string_view text) {
  std::wstring serial;
  if (text.empty()) return serial;
  const size_t groups = (text.size() - 1) / 4 + 1;
  auto at = [&](size_t i) { return i < text.size() ? text[i] : '\0'; };
  for (size_t g = 0; g < groups && serial.size() < SERIAL_CHARS - 1; ++g) {
    for (size_t pair : {g * 4 + 2, g * 4}) {  // the second pair comes first
      const uint8_t b = uint8_t(HexDigitValue(at(pair)) * 16 + HexDigitValue(at(pair + 1)));
      if (b != 0 && b != ' ') serial += WidenSigned(b);
    }
  }
  if (serial.size() > SERIAL_CHARS - 1) serial.resize(SERIAL_CHARS - 1);
  return serial;
}

std::wstring StorageDescriptorSerial(std::span<const uint8_t> reply) {
  STORAGE_DEVICE_DESCRIPTOR descriptor;
  if (reply.size() < sizeof descriptor) return {};
  std::memcpy(&descriptor, reply.data(), sizeof descriptor);
  // Offset 0 means the device has no serial; an offset past the reply is a broken reply.
  const size_t offset = descriptor.SerialNumberOffset;
  if (offset == 0 || offset >= reply.size()) return {};
  const char* text = reinterpret_cast<const char*>(reply.data() + offset);
  return DecodeHexSerial(std::string_view(text, strnlen(text, reply.size() - offset)));
}

std::wstring MediaSerialText(std::span<const uint8_t> reply) {
  std::wstring serial;
  if (reply.size() < MEDIA_SERIAL_DATA_OFFSET) return serial;
  const size_t length = size_t(reply[MEDIA_SERIAL_LENGTH_OFFSET]) |
                        size_t(reply[MEDIA_SERIAL_LENGTH_OFFSET + 1]) << 8;
  const size_t end = std::min(reply.size(), MEDIA_SERIAL_DATA_OFFSET + length);
  for (size_t i = MEDIA_SERIAL_DATA_OFFSET; i < end && serial.size() < SERIAL_CHARS - 1; i += 4) {
    if (reply[i] == 0) break;
    if (reply[i] != ' ') serial += WidenSigned(reply[i]);
  }
  return serial;
}

bool IsKeptStorageSerial(const std::wstring& serial) {
  if (serial.empty()) return false;
  const wchar_t c = serial[0];
  return (c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

SENDCMDINPARAMS SmartIdentifyCommand(int drive, BYTE ideDeviceMap) {
  SENDCMDINPARAMS in;
  std::memset(&in, 0, sizeof in);
  in.cBufferSize = IDENTIFY_SECTOR_BYTES;
  in.irDriveRegs.bFeaturesReg = 0;
  in.irDriveRegs.bSectorCountReg = 1;
  in.irDriveRegs.bSectorNumberReg = 0;
  in.irDriveRegs.bCylLowReg = 0;
  in.irDriveRegs.bCylHighReg = 0;
  in.irDriveRegs.bDriveHeadReg = (drive & 1) ? 0xB0 : 0xA0;
  in.irDriveRegs.bCommandReg = ((ideDeviceMap >> drive) & 0x10) ? ATAPI_ID_CMD : ID_CMD;
  in.bDriveNumber = BYTE(drive);
  return in;
}

void BuildScsiIdentifyRequest(int drive, uint8_t (&buffer)[SCSI_IDENTIFY_BUFFER_BYTES]) {
  std::memset(buffer, 0, sizeof buffer);
  SRB_IO_CONTROL header;
  std::memset(&header, 0, sizeof header);
  header.HeaderLength = sizeof(SRB_IO_CONTROL);
  std::memcpy(header.Signature, "SCSIDISK", 8);
  header.Timeout = 10000;
  header.ControlCode = IOCTL_SCSI_MINIPORT_IDENTIFY;
  header.ReturnCode = 0;
  header.Length = sizeof(SENDCMDOUTPARAMS) + IDENTIFY_SECTOR_BYTES;
  std::memcpy(buffer, &header, sizeof header);

  SENDCMDINPARAMS in;
  std::memset(&in, 0, sizeof in);
  in.irDriveRegs.bCommandReg = ID_CMD;
  in.bDriveNumber = BYTE(drive);
  std::memcpy(buffer + sizeof header, &in, sizeof in);
}

bool ScsiIdentifyAnswered(const uint8_t (&buffer)[SCSI_IDENTIFY_BUFFER_BYTES]) {
  return buffer[SCSI_IDENTIFY_DATA_OFFSET + 54] != 0;
}

void AddVxdSerials(HardwareInfo& info, const std::array<uint8_t, VXD_REPLY_BYTES>& reply) {
  const uint8_t* controllers = reply.data();
  const uint8_t* disks = controllers + 4;
  const uint8_t* sectors = disks + 8;
  for (size_t i = 0; i < 8; ++i) {
    if (controllers[i / 2] == 0 || disks[i] == 0) continue;
    if (!info.AddSerial(
            IdentifySerialText({sectors + i * IDENTIFY_SECTOR_BYTES, IDENTIFY_SECTOR_BYTES})))
      return;
  }
}
