// Pure decoding of what the disk queries return, kept apart from the device I/O so that
// tables of sectors and descriptors can test it.
#pragma once

#include "platform/win.h"

#include <winioctl.h>

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

struct HardwareInfo;

constexpr size_t IDENTIFY_SECTOR_BYTES = 512;

// Bytes 20..39 of IDENTIFY data (words 10..19), high byte of each word first, spaces dropped,
// each byte widened with sign extension; a zero byte ends the text. At most 20 characters.
std::wstring IdentifySerialText(std::span<const uint8_t> identify);

// A serial that some storage drivers report as hex digits: groups of four characters, the
// second pair decoded before the first; bytes that are zero or a space are dropped.
std::wstring DecodeHexSerial(std::string_view text);

// The serial of an IOCTL_STORAGE_QUERY_PROPERTY reply (a STORAGE_DEVICE_DESCRIPTOR), decoded with
// DecodeHexSerial; empty when the descriptor names no serial inside the buffer.
std::wstring StorageDescriptorSerial(std::span<const uint8_t> reply);

// The serial of an IOCTL_STORAGE_GET_MEDIA_SERIAL_NUMBER reply: every fourth data byte up to a
// zero byte, spaces dropped, widened with sign extension.
std::wstring MediaSerialText(std::span<const uint8_t> reply);

// Storage serials count only when they start with an ASCII letter or digit.
bool IsKeptStorageSerial(const std::wstring& serial);

// The SMART IDENTIFY command for drive d, given SMART_GET_VERSION's device map: IDENTIFY PACKET
// DEVICE for ATAPI devices, IDENTIFY DEVICE otherwise; master or slave by the drive's parity.
SENDCMDINPARAMS SmartIdentifyCommand(int drive, BYTE ideDeviceMap);

// IOCTL_SCSI_MINIPORT identify request: an SRB_IO_CONTROL header followed by the command.
constexpr size_t SCSI_IDENTIFY_BUFFER_BYTES = 557;
constexpr size_t SCSI_IDENTIFY_INPUT_BYTES = 60;
constexpr size_t SCSI_IDENTIFY_DATA_OFFSET = 44;  // control header + SENDCMDOUTPARAMS header
void BuildScsiIdentifyRequest(int drive, uint8_t (&buffer)[SCSI_IDENTIFY_BUFFER_BYTES]);
// A drive answered when the first byte of its model number (IDENTIFY byte 54) is not zero.
bool ScsiIdentifyAnswered(const uint8_t (&buffer)[SCSI_IDENTIFY_BUFFER_BYTES]);

// The legacy disk driver's reply: four controller bytes, eight disk bytes, then one IDENTIFY
// sector per disk. Stores the serial of every disk whose controller and disk are present.
constexpr size_t VXD_REPLY_BYTES = 4 + 8 + 8 * IDENTIFY_SECTOR_BYTES;
void AddVxdSerials(HardwareInfo& info, const std::array<uint8_t, VXD_REPLY_BYTES>& reply);
