#include "stats/md5.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Md5Case {
  std::string input;
  const wchar_t* hex;
};

TEST(Md5Hex, MatchesTheRfc1321Suite) {
  const Md5Case cases[] = {
      {"", L"d41d8cd98f00b204e9800998ecf8427e"},
      {"a", L"0cc175b9c0f1b6a831c399e269772661"},
      {"abc", L"900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", L"f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", L"c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
       L"d174ab98d277d9f5a5611c2c9f419d9f"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       L"57edf4a22be3c955ac49da2e2107b67a"},
  };
  for (const Md5Case& c : cases) EXPECT_EQ(Md5Hex(c.input), c.hex) << c.input;
}

// Lengths around the 56-byte padding boundary and the 64-byte block, and bytes of 0x80 and more.
TEST(Md5Hex, PadsAtBlockBoundariesAndHashesHighBytes) {
  const Md5Case cases[] = {
      {std::string(55, 'a'), L"ef1772b6dff9a122358552954ad0df65"},
      {std::string(56, 'a'), L"3b0c8ac703f828b04c6c197006d17218"},
      {std::string(63, 'a'), L"b06521f39153d618550606be297466d5"},
      {std::string(64, 'a'), L"014842d480b571495a4a0363793f7367"},
      {std::string(65, 'a'), L"c743a45e0d2e6a95cb859adae0248435"},
      {std::string(1000, 'a'), L"cabe45dcc9ae5b66ba86600cca6b8ba8"},
      {"\xD6\xD0\xCE\xC4", L"bcce109775e8e1972e9f5fcda3e12895"},
  };
  for (const Md5Case& c : cases) EXPECT_EQ(Md5Hex(c.input), c.hex) << c.input.size() << " bytes";
}

TEST(Md5, PiecewiseUpdatesGiveTheWholeDigest) {
  std::string all;
  for (int i = 0; i < 256; ++i) all += char(i);
  CMd5 whole;
  whole.Update(all.data(), all.size());
  // Pieces that straddle block boundaries in every way.
  CMd5 pieces;
  size_t at = 0;
  for (size_t n : {1u, 62u, 2u, 64u, 0u, 127u}) {
    pieces.Update(all.data() + at, n);
    at += n;
  }
  EXPECT_EQ(at, all.size());
  const std::array<uint8_t, 16> expected = {0xe2, 0xc8, 0x65, 0xdb, 0x41, 0x62, 0xbe, 0xd9,
                                            0x63, 0xbf, 0xaa, 0x9e, 0xf6, 0xac, 0x18, 0xf0};
  EXPECT_EQ(whole.Final(), expected);
  EXPECT_EQ(pieces.Final(), expected);
}

}  // namespace
