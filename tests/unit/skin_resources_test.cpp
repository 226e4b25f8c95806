// The skin pictures linked into the program: every id the forms load is there as a "PNG"
// resource of the size and colour format its form expects, and bitmap 220 is there too.
#include "platform/win.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <string>

namespace {

enum Format { RGB = 2, PALETTE = 3, RGBA = 6 };  // PNG colour types

struct Picture {
  UINT id;
  int width;
  int height;
  Format format;
};

const Picture kPictures[] = {
    {170, 1024, 700, RGBA}, {183, 29, 30, RGB},    {184, 27, 27, RGB},    {185, 27, 27, RGB},
    {186, 27, 27, RGB},     {187, 27, 27, RGB},    {188, 29, 29, PALETTE}, {189, 29, 29, PALETTE},
    {190, 100, 29, RGB},    {191, 100, 29, RGB},   {192, 23, 23, PALETTE}, {193, 23, 23, PALETTE},
    {194, 100, 29, RGB},    {195, 100, 29, RGB},   {196, 134, 48, RGB},   {197, 134, 48, RGB},
    {198, 100, 29, RGB},    {199, 100, 29, RGB},   {200, 100, 29, RGB},   {201, 100, 29, RGB},
    {202, 38, 18, RGB},     {203, 38, 18, RGB},    {204, 25, 25, RGB},    {205, 27, 27, RGB},
    {206, 27, 27, RGB},     {207, 28, 27, RGB},    {208, 28, 27, RGB},    {209, 27, 27, RGB},
    {210, 27, 27, RGB},     {211, 38, 18, RGB},    {212, 38, 18, RGB},    {213, 59, 18, RGB},
    {214, 59, 18, RGB},     {215, 38, 18, RGB},    {216, 38, 18, RGB},    {217, 38, 18, RGB},
    {218, 38, 18, RGB},     {219, 1500, 27, RGB},  {221, 1500, 27, RGB},  {222, 3, 359, RGB},
    {223, 469, 4, RGB},     {224, 27, 27, RGB},    {225, 27, 27, RGB},    {226, 134, 48, RGB},
    {227, 134, 48, RGB},    {228, 440, 4, RGBA},   {229, 30, 30, RGBA},   {230, 30, 30, RGB},
    {231, 30, 30, RGB},
};

struct Bytes {
  const uint8_t* data = nullptr;
  size_t size = 0;
};

Bytes ResourceBytes(UINT id, const wchar_t* type) {
  HMODULE module = ::GetModuleHandleW(nullptr);
  HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), type);
  if (!found) return {};
  HGLOBAL loaded = ::LoadResource(module, found);
  if (!loaded) return {};
  return {static_cast<const uint8_t*>(::LockResource(loaded)), ::SizeofResource(module, found)};
}

uint32_t BigEndian(const uint8_t* p) {
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

// The parts of a PNG file the test looks at: the header and the chunks before the image data.
struct PngInfo {
  bool valid = false;
  uint32_t width = 0, height = 0;
  int colorType = -1;
  std::set<std::string> chunksBeforeData;
  Bytes palette, transparency;
};

PngInfo ParsePng(Bytes b) {
  static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  PngInfo info;
  if (b.size < 33 || memcmp(b.data, kSignature, 8) != 0) return info;
  size_t pos = 8;
  bool first = true;
  while (pos + 12 <= b.size) {
    const uint32_t length = BigEndian(b.data + pos);
    const std::string type(reinterpret_cast<const char*>(b.data + pos + 4), 4);
    const uint8_t* body = b.data + pos + 8;
    if (length > b.size - pos - 12) return info;
    if (first) {
      if (type != "IHDR" || length != 13) return info;
      info.width = BigEndian(body);
      info.height = BigEndian(body + 4);
      info.colorType = body[9];
      first = false;
    }
    if (type == "IDAT") break;
    info.chunksBeforeData.insert(type);
    if (type == "PLTE") info.palette = {body, length};
    if (type == "tRNS") info.transparency = {body, length};
    pos += 12 + length;
  }
  info.valid = !first;
  return info;
}

class SkinPicture : public testing::TestWithParam<Picture> {};

TEST_P(SkinPicture, IsLinkedWithItsSizeAndColourFormat) {
  const Picture& p = GetParam();
  const Bytes bytes = ResourceBytes(p.id, L"PNG");
  ASSERT_NE(bytes.data, nullptr) << "no PNG resource " << p.id;
  const PngInfo png = ParsePng(bytes);
  ASSERT_TRUE(png.valid) << "resource " << p.id << " is not a PNG file";
  EXPECT_EQ(png.width, uint32_t(p.width));
  EXPECT_EQ(png.height, uint32_t(p.height));
  EXPECT_EQ(png.colorType, int(p.format));
  if (p.format == PALETTE) {
    // The transparent entry holds the key colour as well, so the picture also comes out right
    // where it is drawn without its transparency and the login window keys that colour out.
    ASSERT_TRUE(png.chunksBeforeData.count("PLTE"));
    ASSERT_TRUE(png.chunksBeforeData.count("tRNS")) << "palette picture " << p.id << " without transparency";
    bool keyedTransparentEntry = false;
    for (size_t i = 0; i < png.transparency.size && 3 * i + 2 < png.palette.size; ++i) {
      const uint8_t* rgb = png.palette.data + 3 * i;
      if (png.transparency.data[i] == 0 && rgb[0] == 255 && rgb[1] == 128 && rgb[2] == 255)
        keyedTransparentEntry = true;
    }
    EXPECT_TRUE(keyedTransparentEntry) << "picture " << p.id;
  } else {
    EXPECT_FALSE(png.chunksBeforeData.count("tRNS")) << "picture " << p.id << " has a transparency table";
  }
}

INSTANTIATE_TEST_SUITE_P(AllPictures, SkinPicture, testing::ValuesIn(kPictures),
                         [](const testing::TestParamInfo<Picture>& info) { return std::to_string(info.param.id); });

TEST(SkinResources, BitmapTitleStripIsABitmapResource) {
  const Bytes bytes = ResourceBytes(220, RT_BITMAP);
  ASSERT_NE(bytes.data, nullptr);
  ASSERT_GE(bytes.size, sizeof(BITMAPINFOHEADER));
  BITMAPINFOHEADER header;
  memcpy(&header, bytes.data, sizeof(header));
  EXPECT_EQ(header.biSize, sizeof(BITMAPINFOHEADER));
  EXPECT_EQ(header.biWidth, 1500);
  EXPECT_EQ(header.biHeight < 0 ? -header.biHeight : header.biHeight, 27);
  EXPECT_EQ(ResourceBytes(220, L"PNG").data, nullptr) << "220 is a bitmap, not a PNG picture";
}

}  // namespace
