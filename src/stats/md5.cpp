#include "stats/md5.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint32_t RotateLeft(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

// Per-step shift amounts, four rounds of sixteen steps.
constexpr int SHIFTS[64] = {7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22,
                            5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20,
                            4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23,
                            6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21};

// floor(abs(sin(i + 1)) * 2^32).
constexpr uint32_t SINES[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};

}  // namespace

CMd5::CMd5() : m_state{0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476} {}

void CMd5::Transform(const uint8_t block[64]) {
  uint32_t x[16];
  for (int i = 0; i < 16; ++i) {  // words are little-endian whatever the host
    x[i] = uint32_t(block[i * 4]) | uint32_t(block[i * 4 + 1]) << 8 |
           uint32_t(block[i * 4 + 2]) << 16 | uint32_t(block[i * 4 + 3]) << 24;
  }
  uint32_t a = m_state[0], b = m_state[1], c = m_state[2], d = m_state[3];
  for (int i = 0; i < 64; ++i) {
    uint32_t f;
    int g;
    if (i < 16) {
      f = (b & c) | (~b & d);
      g = i;
    } else if (i < 32) {
      f = (b & d) | (c & ~d);
      g = (5 * i + 1) % 16;
    } else if (i < 48) {
      f = b ^ c ^ d;
      g = (3 * i + 5) % 16;
    } else {
      f = c ^ (b | ~d);
      g = (7 * i) % 16;
    }
    const uint32_t next = b + RotateLeft(a + f + SINES[i] + x[g], SHIFTS[i]);
    a = d;
    d = c;
    c = b;
    b = next;
  }
  m_state[0] += a;
  m_state[1] += b;
  m_state[2] += c;
  m_state[3] += d;
}

void CMd5::Update(const void* data, size_t size) {
  const uint8_t* p = static_cast<const uint8_t*>(data);
  size_t used = size_t(m_nByteCount % 64);
  m_nByteCount += size;
  if (used != 0) {
    const size_t take = std::min(size, 64 - used);
    std::memcpy(m_buffer + used, p, take);
    p += take;
    size -= take;
    used += take;
    if (used < 64) return;
    Transform(m_buffer);
  }
  for (; size >= 64; p += 64, size -= 64) Transform(p);
  if (size != 0) std::memcpy(m_buffer, p, size);
}

std::array<uint8_t, 16> CMd5::Final() {
  const uint64_t bitCount = m_nByteCount * 8;
  // A 0x80 byte, zeros up to 56 bytes mod 64, then the message length in bits.
  static const uint8_t PADDING[64] = {0x80};
  const size_t used = size_t(m_nByteCount % 64);
  Update(PADDING, used < 56 ? 56 - used : 120 - used);
  uint8_t length[8];
  for (int i = 0; i < 8; ++i) length[i] = uint8_t(bitCount >> (8 * i));
  Update(length, sizeof length);

  std::array<uint8_t, 16> digest;
  for (int i = 0; i < 16; ++i) digest[i] = uint8_t(m_state[i / 4] >> (8 * (i % 4)));
  return digest;
}

std::wstring Md5Hex(std::string_view bytes) {
  CMd5 md5;
  md5.Update(bytes.data(), bytes.size());
  static const wchar_t DIGITS[] = L"0123456789abcdef";
  std::wstring hex;
  hex.reserve(32);
  for (uint8_t b : md5.Final()) {
    hex += DIGITS[b >> 4];
    hex += DIGITS[b & 0x0F];
  }
  return hex;
}
