// The skin pictures linked into the program: every id the forms load is there as a "PNG"
// resource of the size and colour format its form expects, and bitmap 220 is there too.
#include "platform/win.h"
#include "skin_pictures.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <string>

namespace {

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

class SkinPictureResource : public testing::TestWithParam<SkinPicture> {};

TEST_P(SkinPictureResource, IsLinkedWithItsSizeAndColourFormat) {
  const SkinPicture& p = GetParam();
  const Bytes bytes = ResourceBytes(p.id, L"PNG");
  ASSERT_NE(bytes.data, nullptr) << "no PNG resource " << p.id;
  const PngInfo png = ParsePng(bytes);
  ASSERT_TRUE(png.valid) << "resource " << p.id << " is not a PNG file";
  EXPECT_EQ(png.width, uint32_t(p.width));
  EXPECT_EQ(png.height, uint32_t(p.height));
  EXPECT_EQ(png.colorType, int(p.format));
  if (p.format == SKIN_PALETTE) {
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

INSTANTIATE_TEST_SUITE_P(AllPictures, SkinPictureResource, testing::ValuesIn(kSkinPictures),
                         [](const testing::TestParamInfo<SkinPicture>& info) { return std::to_string(info.param.id); });

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
