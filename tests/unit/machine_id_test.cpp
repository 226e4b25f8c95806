#include "shell/sysutil.h"
#include "stats/mac_address.h"
#include "stats/machine_id.h"
#include "stats/md5.h"
#include "stats/serial_decode.h"

#include "registry_key.h"

#include <gtest/gtest.h>

#include <cpuid.h>

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <memory>
#include <vector>

namespace {

using namespace std::string_literals;

// An IDENTIFY sector whose serial words (10..19) hold the 20 characters of `serial` as a drive
// stores them: two characters per word, the first in the high byte. Every other byte is 'X',
// so reading outside the serial words shows.
std::vector<uint8_t> IdentifySector(const char (&serial)[21]) {
  std::vector<uint8_t> sector(IDENTIFY_SECTOR_BYTES, 'X');
  for (int w = 0; w < 10; ++w) {
    sector[20 + 2 * w] = uint8_t(serial[2 * w + 1]);  // low byte
    sector[20 + 2 * w + 1] = uint8_t(serial[2 * w]);  // high byte
  }
  return sector;
}

TEST(IdentifySerialText, ReadsTheSerialWordsHighByteFirst) {
  struct Case {
    char serial[21];
    std::wstring expected;
  } cases[] = {
      {"       WD-WMC1234567", L"WD-WMC1234567"},         // right-justified, padded with spaces
      {"S21NNXAG805317      ", L"S21NNXAG805317"},        // left-justified
      {"AB CD  EF  GH IJ KL ", L"ABCDEFGHIJKL"},          // spaces inside are dropped too
      {"                    ", L""},                      // all spaces: empty
      {"\x80\xFFZ9                ", L"\xFF80\xFFFFZ9"},  // sign extension of high bytes
      {"ABC\0EFGHIJKLMNOPQRS", L"ABC"},                   // a zero in a low byte ends the text
      {"AB\0DEFGHIJKLMNOPQRS", L"AB"},                    // ... and in a high byte
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IdentifySerialText(IdentifySector(c.serial)), c.expected) << c.serial;
  }
  const std::vector<uint8_t> tooShort(39, 'A');
  EXPECT_EQ(IdentifySerialText(tooShort), L"");
}

TEST(DecodeHexSerial, DecodesGroupsOfFourSecondPairFirst) {
  struct Case {
    std::string text;
    std::wstring expected;
  } cases[] = {
      {"", L""},
      {"3132", L"21"},
      {"3132333435363738", L"21436587"},
      {"313", L"01"},       // odd length: the missing character counts as zero ("3" + zero = 0x30)
      {"31323", L"210"},    // a short last group is completed with zeros
      {"6a6B", L"kj"},      // lower- and uppercase digits
      {"zz41", L"A"},       // invalid digits count 0: the byte is zero and dropped
      {"0g4G", L"@"},       // ... also inside a pair ("4G" is 0x40)
      {"41204220", L"AB"},  // decoded spaces are dropped
      {"ff80", L"\xFF80\xFFFF"},  // bytes of 0x80 and more are widened with sign extension
  };
  for (const Case& c : cases) EXPECT_EQ(DecodeHexSerial(c.text), c.expected) << c.text;

  std::string longText;
  for (int i = 0; i < 100; ++i) longText += "4142";
  EXPECT_EQ(DecodeHexSerial(longText).size(), size_t(SERIAL_CHARS - 1));
}

// A zeroed storage reply whose descriptor points at `text` (which may be left unterminated
// at the very end of the reply).
std::vector<uint8_t> StorageReply(DWORD offset, const std::string& text, size_t size = 8192) {
  std::vector<uint8_t> reply(size, 0);
  STORAGE_DEVICE_DESCRIPTOR descriptor = {};
  descriptor.Version = sizeof descriptor;
  descriptor.Size = DWORD(size);
  descriptor.SerialNumberOffset = offset;
  std::memcpy(reply.data(), &descriptor, sizeof descriptor);
  if (offset != 0 && offset <= size && text.size() <= size - offset)
    std::copy(text.begin(), text.end(), reply.begin() + offset);
  return reply;
}

TEST(StorageDescriptorSerial, DecodesTheTextAtTheSerialOffset) {
  const DWORD after = sizeof(STORAGE_DEVICE_DESCRIPTOR);
  EXPECT_EQ(StorageDescriptorSerial(StorageReply(after, "3157324d")), L"W1M2");
  EXPECT_EQ(StorageDescriptorSerial(StorageReply(0, "")), L"");           // no serial
  EXPECT_EQ(StorageDescriptorSerial(StorageReply(9000, "")), L"");        // offset past the reply
  EXPECT_EQ(StorageDescriptorSerial(StorageReply(8188, "4241")), L"AB");  // unterminated at the end
  EXPECT_EQ(StorageDescriptorSerial(std::vector<uint8_t>(8, 0)), L"");  // shorter than a descriptor
}

TEST(MediaSerialText, TakesEveryFourthByteUpToAZero) {
  auto reply = [](uint16_t length, const std::string& data) {
    std::vector<uint8_t> r(64, 0);
    r[2] = uint8_t(length);
    r[3] = uint8_t(length >> 8);
    std::memcpy(r.data() + 4, data.data(), data.size());
    return r;
  };
  EXPECT_EQ(MediaSerialText(reply(16, "S...1...,...2...")), L"S1,2");
  EXPECT_EQ(MediaSerialText(reply(16, "S... ...7...")), L"S7");   // spaces dropped
  EXPECT_EQ(MediaSerialText(reply(16, "A...\0...B..."s)), L"A");  // a zero ends it
  EXPECT_EQ(MediaSerialText(reply(8, "A...B...C...")), L"AB");    // not past the length
  EXPECT_EQ(MediaSerialText(reply(8, "\x90...Q...")), L"\xFF90Q");
}

TEST(IsKeptStorageSerial, WantsAnAsciiLetterOrDigitFirst) {
  const std::pair<std::wstring, bool> cases[] = {
      {L"A1", true}, {L"z", true},   {L"9-", true},       {L"-X", false},
      {L"", false},  {L" A", false}, {L"\xFF80!", false}, {L"\x00C4", false},
  };
  for (const auto& [serial, kept] : cases) EXPECT_EQ(IsKeptStorageSerial(serial), kept) << serial;
}

TEST(SmartIdentifyCommand, PicksTheCommandAndDriveFromTheDeviceMap) {
  struct Case {
    int drive;
    BYTE map;
    BYTE driveHead;
    BYTE command;
  } cases[] = {
      {0, 0x01, 0xA0, 0xEC}, {1, 0x02, 0xB0, 0xEC}, {0, 0x10, 0xA0, 0xA1},
      {1, 0x20, 0xB0, 0xA1}, {2, 0x10, 0xA0, 0xEC}, {2, 0x40, 0xA0, 0xA1},
      {3, 0x80, 0xB0, 0xA1}, {5, 0xFF, 0xB0, 0xEC},  // bit 4 of the map shifted right by 5 is clear
  };
  for (const Case& c : cases) {
    const SENDCMDINPARAMS in = SmartIdentifyCommand(c.drive, c.map);
    EXPECT_EQ(in.irDriveRegs.bDriveHeadReg, c.driveHead) << c.drive << " " << int(c.map);
    EXPECT_EQ(in.irDriveRegs.bCommandReg, c.command) << c.drive << " " << int(c.map);
    EXPECT_EQ(in.bDriveNumber, c.drive);
    EXPECT_EQ(in.cBufferSize, 512u);
    EXPECT_EQ(in.irDriveRegs.bSectorCountReg, 1);
    EXPECT_EQ(in.irDriveRegs.bFeaturesReg | in.irDriveRegs.bSectorNumberReg |
                  in.irDriveRegs.bCylLowReg | in.irDriveRegs.bCylHighReg,
              0);
  }
}

TEST(ScsiIdentify, LaysOutTheControlHeaderAndCommand) {
  uint8_t buffer[SCSI_IDENTIFY_BUFFER_BYTES];
  std::memset(buffer, 0xCC, sizeof buffer);
  BuildScsiIdentifyRequest(1, buffer);
  auto dword = [&](size_t at) {
    DWORD v;
    std::memcpy(&v, buffer + at, 4);
    return v;
  };
  EXPECT_EQ(dword(0), 28u);                              // HeaderLength
  EXPECT_EQ(std::memcmp(buffer + 4, "SCSIDISK", 8), 0);  // Signature, no terminator
  EXPECT_EQ(dword(12), 10000u);                          // Timeout
  EXPECT_EQ(dword(16), 0x001B0501u);                     // IOCTL_SCSI_MINIPORT_IDENTIFY
  EXPECT_EQ(dword(20), 0u);                              // ReturnCode
  EXPECT_EQ(dword(24), 529u);                            // Length
  EXPECT_EQ(buffer[28 + 4 + 6], 0xEC);                   // command register
  EXPECT_EQ(buffer[28 + 12], 1);                         // bDriveNumber
  size_t nonZero = 0;
  for (uint8_t b : buffer) nonZero += b != 0;
  EXPECT_EQ(nonZero, 1u + 8u + 2u + 3u + 2u + 1u + 1u) << "only the fields above are set";

  EXPECT_FALSE(ScsiIdentifyAnswered(buffer));
  buffer[SCSI_IDENTIFY_DATA_OFFSET + 54] = 'M';  // first byte of the model number
  EXPECT_TRUE(ScsiIdentifyAnswered(buffer));
}

TEST(AddVxdSerials, TakesPresentDisksOnPresentControllersInOrder) {
  auto reply = std::make_unique<std::array<uint8_t, VXD_REPLY_BYTES>>();
  auto put = [&](int disk, const char(&serial)[21]) {
    const std::vector<uint8_t> sector = IdentifySector(serial);
    std::memcpy(reply->data() + 12 + disk * IDENTIFY_SECTOR_BYTES, sector.data(), sector.size());
  };
  (*reply)[0] = 1;  // controller 0 (disks 0, 1) and controller 2 (disks 4, 5) exist
  (*reply)[2] = 1;
  for (int disk : {0, 1, 2, 5}) (*reply)[4 + disk] = 1;
  put(0, "                    ");  // all spaces: an empty serial that still counts
  put(1, "DISK-ONE            ");
  put(2, "NO-CONTROLLER       ");  // controller 1 is absent
  put(4, "NOT-PRESENT         ");  // disk byte 4 is zero
  put(5, "DISK-FIVE           ");

  HardwareInfo info;
  AddVxdSerials(info, *reply);
  ASSERT_EQ(info.m_nSerialCount, 3);
  EXPECT_STREQ(info.m_szSerials[0], L"");
  EXPECT_STREQ(info.m_szSerials[1], L"DISK-ONE");
  EXPECT_STREQ(info.m_szSerials[2], L"DISK-FIVE");
}

TEST(HardwareInfo, HoldsThirtyTwoSerialsOfSixtyThreeCharacters) {
  auto info = std::make_unique<HardwareInfo>();
  EXPECT_TRUE(info->AddSerial(std::wstring(100, L'S')));
  EXPECT_EQ(std::wstring(info->m_szSerials[0]), std::wstring(63, L'S'));
  for (int i = 1; i < MAX_SERIALS; ++i) EXPECT_TRUE(info->AddSerial(std::to_wstring(i)));
  EXPECT_FALSE(info->AddSerial(L"one too many"));
  EXPECT_EQ(info->m_nSerialCount, MAX_SERIALS);
  EXPECT_STREQ(info->m_szSerials[MAX_SERIALS - 1], L"31");
}

AdapterFacts Adapter(UINT type, std::optional<std::wstring> pnp, std::optional<DWORD> media = {}) {
  AdapterFacts facts;
  facts.m_nType = type;
  facts.m_pnpInstanceId = std::move(pnp);
  facts.m_mediaSubType = media;
  return facts;
}

TEST(ChooseAdapter, PrefersTheFirstPhysicalPciAdapter) {
  const UINT ETHERNET = 6, WIRELESS = 71;
  const std::wstring PCI = L"PCI\\VEN_8086&DEV_100E\\3&267A616A&0&18";
  struct Case {
    const char* name;
    std::vector<AdapterFacts> adapters;
    bool vista;
    int expected;
  } cases[] = {
      {"wireless before Ethernet", {Adapter(WIRELESS, PCI, 1), Adapter(ETHERNET, PCI, 1)}, true, 1},
      {"only virtual and USB adapters",
       {Adapter(ETHERNET, L"ROOT\\NET\\0000"), Adapter(ETHERNET, L"USB\\VID_0BDA&PID_8153")},
       true,
       0},
      {"no Connection key, then lowercase pci",
       {Adapter(ETHERNET, std::nullopt), Adapter(ETHERNET, L"pci\\ven_10ec")},
       true,
       1},
      {"too short an instance id", {Adapter(ETHERNET, L"PC"), Adapter(ETHERNET, L"Pci")}, true, 1},
      {"before Vista the media subtype decides",
       {Adapter(ETHERNET, PCI, 2), Adapter(WIRELESS, PCI, 1)},
       false,
       1},
      {"before Vista without a media subtype",
       {Adapter(ETHERNET, L"ROOT"), Adapter(ETHERNET, PCI)},
       false,
       0},
      {"empty list", {}, true, -1},
  };
  for (const Case& c : cases) EXPECT_EQ(ChooseAdapter(c.adapters, c.vista), c.expected) << c.name;
}

TEST(AdapterConnectionKey, FormatsTheKeyAndRefusesNamesTooLongForItsBuffer) {
  std::wstring key;
  ASSERT_TRUE(AdapterConnectionKey("{5B1E7F00-1234-4C3D-9E8F-0123456789AB}", key));
  EXPECT_EQ(key,
            L"System\\CurrentControlSet\\Control\\Network\\{4D36E972-E325-11CE-BFC1-08002BE10318}\\"
            L"{5B1E7F00-1234-4C3D-9E8F-0123456789AB}\\Connection");
  const std::string longest(127, 'n');
  ASSERT_TRUE(AdapterConnectionKey(longest, key));
  EXPECT_NE(key.find(std::wstring(127, L'n') + L"\\Connection"), std::wstring::npos);
  key = L"unchanged";
  EXPECT_FALSE(AdapterConnectionKey(std::string(128, 'n'), key));
  EXPECT_FALSE(AdapterConnectionKey(std::string(259, 'n'), key));
  EXPECT_FALSE(AdapterConnectionKey("", key));
  EXPECT_EQ(key, L"unchanged");
}

// The registry facts of a real Connection key, read as the launcher reads them.
TEST(IsPhysicalAdapter, ReadsTheAdaptersConnectionKey) {
  const char* NAME = "{0C0FFEE0-5EED-4A11-B0B0-7E570000ADA7}";
  std::wstring path;
  ASSERT_TRUE(AdapterConnectionKey(NAME, path));
  IP_ADAPTER_INFO adapter = {};
  strcpy_s(adapter.AdapterName, NAME);
  adapter.Type = MIB_IF_TYPE_ETHERNET;
  EXPECT_FALSE(IsPhysicalAdapter(adapter)) << "no key yet";

  ScopedRegistryKey key(HKEY_LOCAL_MACHINE, path);
  ASSERT_TRUE(key.Created());
  ASSERT_TRUE(key.SetString(L"PnpInstanceID", L"PCI\\VEN_8086&DEV_100E\\3&267A616A&0&18"));
  ASSERT_TRUE(key.SetDword(L"MediaSubType", 1));
  const AdapterFacts facts = ReadAdapterFacts(adapter);
  EXPECT_EQ(facts.m_pnpInstanceId, L"PCI\\VEN_8086&DEV_100E\\3&267A616A&0&18");
  EXPECT_EQ(facts.m_mediaSubType, 1u);
  EXPECT_TRUE(IsPhysicalAdapter(adapter));
  adapter.Type = IF_TYPE_IEEE80211;
  EXPECT_EQ(IsPhysicalAdapter(adapter), !IsVistaOrLater());

  ASSERT_TRUE(key.SetString(L"PnpInstanceID", L"ROOT\\NET\\0000"));
  adapter.Type = MIB_IF_TYPE_ETHERNET;
  EXPECT_FALSE(IsPhysicalAdapter(adapter));
}

TEST(FormatMacText, GivesTwelveUppercaseDigitsOfTheFirstSixBytes) {
  const BYTE address[MAX_ADAPTER_ADDRESS_LENGTH] = {0x00, 0x1A, 0x2B, 0xFC, 0xDE, 0x09, 0xAA, 0xBB};
  EXPECT_EQ(FormatMacText(address), L"001A2BFCDE09");
}

bool IsCpuText(const std::wstring& text) {
  if (text.size() != 35) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    const bool dash = i % 9 == 8;
    if (dash ? text[i] != L'-' : !(iswdigit(text[i]) || (text[i] >= L'A' && text[i] <= L'F')))
      return false;
  }
  return true;
}

// Restricts the process to the first processor for the life of the scope.
class RestrictedAffinity {
public:
  RestrictedAffinity() {
    ::GetProcessAffinityMask(::GetCurrentProcess(), &m_process, &m_system);
    m_ok = (m_system & 1) && m_system != 1 && ::SetProcessAffinityMask(::GetCurrentProcess(), 1);
  }
  ~RestrictedAffinity() {
    if (m_ok) ::SetProcessAffinityMask(::GetCurrentProcess(), m_process);
  }
  bool Ok() const { return m_ok; }

private:
  DWORD_PTR m_process = 0, m_system = 0;
  bool m_ok = false;
};

DWORD_PTR ProcessMask() {
  DWORD_PTR process = 0, system = 0;
  ::GetProcessAffinityMask(::GetCurrentProcess(), &process, &system);
  return process;
}

TEST(CpuId, ReadsLeafOneAndRestoresTheAffinity) {
  HardwareInfo info;
  wchar_t text[CPU_TEXT_CHARS];
  const DWORD_PTR before = ProcessMask();
  ASSERT_TRUE(ReadCpuIdPinned(info, text));
  EXPECT_TRUE(IsCpuText(text)) << text;
  EXPECT_EQ(ProcessMask(), before);
  // The signature and feature words do not depend on the processor the thread runs on.
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  __cpuid(1, eax, ebx, ecx, edx);
  wchar_t expected[CPU_TEXT_CHARS];
  swprintf(expected, CPU_TEXT_CHARS, L"%08X", eax);
  EXPECT_EQ(std::wstring(text).substr(0, 8), expected);
  swprintf(expected, CPU_TEXT_CHARS, L"%08X-%08X", ecx, edx);
  EXPECT_EQ(std::wstring(text).substr(18), expected);
}

TEST(CpuId, GivesNothingUnderARestrictedAffinityMask) {
  RestrictedAffinity restricted;
  if (!restricted.Ok()) GTEST_SKIP() << "needs two processors and an adjustable affinity";
  HardwareInfo info;
  wchar_t text[CPU_TEXT_CHARS] = L"untouched";
  EXPECT_FALSE(ReadCpuIdPinned(info, text));
  EXPECT_STREQ(text, L"untouched");
  EXPECT_EQ(ProcessMask(), DWORD_PTR(1)) << "the restricted mask is left as it was";
}

TEST(CpuId, IsReadOnceAndThenServedFromTheCache) {
  HardwareInfo info;
  wchar_t first[CPU_TEXT_CHARS], second[CPU_TEXT_CHARS];
  ASSERT_TRUE(GetCpuId(info, first));
  EXPECT_TRUE(IsCpuText(first));
  RestrictedAffinity restricted;
  // Under a restricted mask a fresh reading gives nothing, so success proves the cache answered.
  ASSERT_TRUE(GetCpuId(info, second));
  EXPECT_STREQ(first, second);
  if (restricted.Ok()) {
    EXPECT_EQ(ProcessMask(), DWORD_PTR(1));
  }
}

TEST(GetMachineId, IsTheMd5OfTheJoinedHardwareTexts) {
  const std::wstring id = GetMachineId();
  ASSERT_EQ(id.size(), 32u);
  for (wchar_t c : id) EXPECT_TRUE(iswdigit(c) || (c >= L'a' && c <= L'f')) << id;
  EXPECT_EQ(GetMachineId(), id);

  // The same texts, joined by the test in the order processor, disk, adapter.
  HardwareInfo info;
  std::wstring joined;
  wchar_t cpu[CPU_TEXT_CHARS], serial[SERIAL_CHARS], mac[MAC_TEXT_CHARS];
  if (GetCpuId(info, cpu)) joined += cpu;
  if (GetDiskSerial(info, serial)) joined += serial;
  if (GetMacAddress(mac)) joined += mac;
  EXPECT_FALSE(joined.empty());
  std::string narrow;
  ASSERT_TRUE(ToNarrow(joined.c_str(), narrow));
  EXPECT_EQ(id, Md5Hex(narrow)) << "joined: " << std::string(narrow);
}

}  // namespace
