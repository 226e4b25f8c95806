// MD5 message digest (RFC 1321), computed in-process.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class CMd5 {
public:
  CMd5();
  void Update(const void* data, size_t size);
  // Pads, appends the bit length and returns the digest; the object must not be updated again.
  std::array<uint8_t, 16> Final();

private:
  void Transform(const uint8_t block[64]);

  uint32_t m_state[4];
  uint64_t m_nByteCount = 0;
  uint8_t m_buffer[64] = {};
};

// The digest of the bytes as 32 lowercase hexadecimal digits, high nibble first.
std::wstring Md5Hex(std::string_view bytes);
