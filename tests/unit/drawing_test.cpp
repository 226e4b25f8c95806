// Skin pictures: premultiplication, the nine-grid and unsplit placements, loading the real
// resources, and painting through GDI into a DIB under the real implementation.
#include "platform/com_ptr.h"
#include "platform/handles.h"
#include "platform/image.h"
#include "skin/drawing.h"
#include "drawing_test/png_bytes.h"
#include "skin_pictures.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

// Readable failures for the placement tables.
std::ostream& operator<<(std::ostream& os, const BlitPiece& p) {
  return os << "{dest " << p.dest.x << "," << p.dest.y << " " << p.dest.width << "x" << p.dest.height << " <- src "
            << p.src.x << "," << p.src.y << " " << p.src.width << "x" << p.src.height << "}";
}

namespace {

struct Bgra {
  BYTE b, g, r, a;
  bool operator==(const Bgra&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Bgra& p) {
  return os << "(b" << int(p.b) << " g" << int(p.g) << " r" << int(p.r) << " a" << int(p.a) << ")";
}

Bgra& PixelAt(const CImage& image, int x, int y) { return *reinterpret_cast<Bgra*>(image.GetPixelAddress(x, y)); }

// ---- premultiplication ---------------------------------------------------------------------

struct PremultiplyCase {
  Bgra in, out;
};

// One picture holds every case, spread over rows and columns, so that addressing is checked too.
template <size_t N>
void ExpectPremultiplied(bool (*premultiply)(CImage&), const PremultiplyCase (&cases)[N]) {
  static_assert(N <= 6, "the picture holds six cases");
  CImage image;
  ASSERT_TRUE(image.Create(3, 2, 32, true));
  for (size_t i = 0; i < N; ++i) PixelAt(image, i % 3, i / 3) = cases[i].in;
  EXPECT_TRUE(premultiply(image));
  for (size_t i = 0; i < N; ++i) EXPECT_EQ(PixelAt(image, i % 3, i / 3), cases[i].out) << "case " << i;
}

TEST(PremultiplyAlpha, ScalesColourByAlphaTruncating) {
  const PremultiplyCase cases[] = {
      {{200, 100, 50, 128}, {100, 50, 25, 128}},  {{200, 100, 50, 0}, {0, 0, 0, 0}},
      {{200, 100, 50, 255}, {200, 100, 50, 255}}, {{255, 255, 255, 1}, {1, 1, 1, 1}},
      {{255, 128, 3, 254}, {254, 127, 2, 254}},  // 128 * 254 / 255 = 127.4, 3 * 254 / 255 = 2.98
      {{201, 0, 255, 128}, {100, 0, 128, 128}},  // 201 * 128 / 255 = 100.9 truncates to 100
  };
  ExpectPremultiplied(PremultiplyAlpha, cases);
}

TEST(PremultiplyAlpha, RoundedVariantRoundsToTheNearestValue) {
  const PremultiplyCase cases[] = {
      {{201, 0, 255, 128}, {101, 0, 128, 128}},  // (201 * 128 + 127) / 255 = 101; truncating gives 100
      {{1, 2, 3, 128}, {1, 1, 2, 128}},          // truncating: 0, 1, 1
      {{200, 100, 50, 0}, {0, 0, 0, 0}},         {{200, 100, 50, 255}, {200, 100, 50, 255}},
      {{255, 128, 3, 254}, {254, 127, 3, 254}},  // 3 * 254 / 255 = 2.98 rounds to 3
  };
  ExpectPremultiplied(PremultiplyAlphaRounded, cases);

  CImage rgb;
  ASSERT_TRUE(rgb.Create(2, 2, 24));
  rgb.GetPixelAddress(0, 0)[0] = 77;
  EXPECT_FALSE(PremultiplyAlphaRounded(rgb));
  EXPECT_EQ(rgb.GetPixelAddress(0, 0)[0], 77);
}

TEST(PremultiplyAlpha, LeavesOtherDepthsAndNullImagesAlone) {
  CImage image;
  ASSERT_TRUE(image.Create(4, 3, 24));
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 12; ++x) image.GetPixelAddress(0, y)[x] = BYTE(50 + x + 20 * y);
  EXPECT_FALSE(PremultiplyAlpha(image));
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 12; ++x) EXPECT_EQ(image.GetPixelAddress(0, y)[x], BYTE(50 + x + 20 * y));

  CImage null;
  EXPECT_FALSE(PremultiplyAlpha(null));
}

// ---- the image class -----------------------------------------------------------------------

TEST(Image, RowZeroIsTheTopRowOfABottomUpBitmap) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = 2;
  info.bmiHeader.biHeight = 3;  // bottom-up
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(bitmap, nullptr);
  auto* stored = static_cast<uint32_t*>(bits);
  for (int storedRow = 0; storedRow < 3; ++storedRow) stored[storedRow * 2] = 0x100u + storedRow;

  CImage image;
  image.Attach(bitmap);
  EXPECT_EQ(image.GetWidth(), 2);
  EXPECT_EQ(image.GetHeight(), 3);
  EXPECT_EQ(image.GetBPP(), 32);
  EXPECT_EQ(image.GetPitch(), -8);
  EXPECT_FALSE(image.HasAlphaChannel());
  // The top row is stored last.
  EXPECT_EQ(*reinterpret_cast<uint32_t*>(image.GetPixelAddress(0, 0)), 0x102u);
  EXPECT_EQ(*reinterpret_cast<uint32_t*>(image.GetPixelAddress(0, 2)), 0x100u);
  EXPECT_EQ(image.Detach(), bitmap);
  EXPECT_TRUE(image.IsNull());
  ::DeleteObject(bitmap);
}

TEST(Image, MovingHandsOverTheBitmap) {
  CImage a;
  ASSERT_TRUE(a.Create(5, 4, 32, true));
  HBITMAP bitmap = a.GetBitmap();
  CImage b(std::move(a));
  EXPECT_TRUE(a.IsNull());
  EXPECT_EQ(b.GetBitmap(), bitmap);
  EXPECT_EQ(b.GetWidth(), 5);
  EXPECT_TRUE(b.HasAlphaChannel());
}

// ---- placements ----------------------------------------------------------------------------

TEST(NineGrid, FullSplitOfTheKeyPatchOverTheLoginWindow) {
  const RECT dest{0, 0, 1024, 700}, margins{5, 5, 5, 5};
  const std::vector<BlitPiece> expected = {
      {{0, 0, 5, 5}, {0, 0, 5, 5}},    {{5, 0, 1014, 5}, {5, 0, 19, 5}},    {{1019, 0, 5, 5}, {24, 0, 5, 5}},
      {{0, 5, 5, 690}, {0, 5, 5, 20}}, {{5, 5, 1014, 690}, {5, 5, 19, 20}}, {{1019, 5, 5, 690}, {24, 5, 5, 20}},
      {{0, 695, 5, 5}, {0, 25, 5, 5}}, {{5, 695, 1014, 5}, {5, 25, 19, 5}}, {{1019, 695, 5, 5}, {24, 25, 5, 5}},
  };
  EXPECT_EQ(NineGridPieces(dest, 29, 30, margins), expected);
}

TEST(NineGrid, UnevenMarginsAndAnOffsetRectangle) {
  const RECT dest{10, 20, 110, 80}, margins{3, 4, 6, 2};
  const std::vector<BlitPiece> expected = {
      {{10, 20, 3, 4}, {0, 0, 3, 4}},   {{13, 20, 91, 4}, {3, 0, 11, 4}},   {{104, 20, 6, 4}, {14, 0, 6, 4}},
      {{10, 24, 3, 54}, {0, 4, 3, 10}}, {{13, 24, 91, 54}, {3, 4, 11, 10}}, {{104, 24, 6, 54}, {14, 4, 6, 10}},
      {{10, 78, 3, 2}, {0, 14, 3, 2}},  {{13, 78, 91, 2}, {3, 14, 11, 2}},  {{104, 78, 6, 2}, {14, 14, 6, 2}},
  };
  EXPECT_EQ(NineGridPieces(dest, 20, 16, margins), expected);
}

TEST(NineGrid, ColumnsWhenOnlyTheHorizontalSplitApplies) {
  // top + bottom = the picture's height: no vertical split
  const RECT dest{10, 20, 110, 40}, margins{4, 5, 6, 5};
  const std::vector<BlitPiece> expected = {
      {{10, 20, 4, 20}, {0, 0, 4, 10}},
      {{14, 20, 90, 20}, {4, 0, 20, 10}},
      {{104, 20, 6, 20}, {24, 0, 6, 10}},
  };
  EXPECT_EQ(NineGridPieces(dest, 30, 10, margins), expected);
}

TEST(NineGrid, RowsWhenOnlyTheVerticalSplitApplies) {
  // left + right = the picture's width: no horizontal split
  const RECT dest{0, 0, 50, 100}, margins{10, 8, 10, 12};
  const std::vector<BlitPiece> expected = {
      {{0, 0, 50, 8}, {0, 0, 20, 8}},
      {{0, 8, 50, 80}, {0, 8, 20, 20}},
      {{0, 88, 50, 12}, {0, 28, 20, 12}},
  };
  EXPECT_EQ(NineGridPieces(dest, 20, 40, margins), expected);
}

struct SplitCase {
  const char* name;
  RECT dest;
  int iw, ih;
  RECT margins;
  bool horizontal, vertical;
};

TEST(NineGrid, WhenTheMarginsSplit) {
  const SplitCase cases[] = {
      {"both", {0, 0, 100, 100}, 29, 30, {5, 5, 5, 5}, true, true},
      {"zero margins", {0, 0, 100, 100}, 29, 30, {0, 0, 0, 0}, false, false},
      {"sum equals picture width", {0, 0, 100, 100}, 10, 30, {4, 5, 6, 5}, false, true},
      {"sum one below picture width", {0, 0, 100, 100}, 11, 30, {4, 5, 6, 5}, true, true},
      {"sum equals destination width", {0, 0, 10, 100}, 29, 30, {4, 5, 6, 5}, false, true},
      {"sum exceeds destination width", {0, 0, 8, 100}, 29, 30, {4, 5, 6, 5}, false, true},
      {"sum exceeds picture width", {0, 0, 100, 100}, 8, 30, {4, 5, 6, 5}, false, true},
      {"sum equals picture height", {0, 0, 100, 100}, 29, 10, {5, 3, 5, 7}, true, false},
      {"sum equals destination height", {0, 0, 100, 10}, 29, 30, {5, 3, 5, 7}, true, false},
      {"sum exceeds destination height", {0, 0, 100, 6}, 29, 30, {5, 3, 5, 7}, true, false},
      {"one-sided margins", {0, 0, 100, 100}, 29, 30, {0, 4, 5, 0}, true, true},
      {"sums cancelling out", {0, 0, 100, 100}, 29, 30, {3, 2, -3, -2}, false, false},
      {"a negative margin", {0, 0, 100, 100}, 29, 30, {-2, 5, 5, -1}, false, false},
      {"offset rectangle measured by its size", {500, 500, 510, 600}, 29, 30, {4, 5, 5, 5}, true, true},
  };
  for (const SplitCase& c : cases) {
    EXPECT_EQ(HorizontalSplitApplies(c.dest, c.iw, c.margins), c.horizontal) << c.name;
    EXPECT_EQ(VerticalSplitApplies(c.dest, c.ih, c.margins), c.vertical) << c.name;
    EXPECT_EQ(NineGridSplitApplies(c.dest, c.iw, c.ih, c.margins), c.horizontal || c.vertical) << c.name;
    const size_t pieces = c.horizontal && c.vertical ? 9 : (c.horizontal || c.vertical) ? 3 : 0;
    EXPECT_EQ(NineGridPieces(c.dest, c.iw, c.ih, c.margins).size(), pieces) << c.name;
  }
}

struct PlacementCase {
  const char* name;
  RECT dest;
  int iw, ih;
  UnsplitPlacement placement;
  BlitPiece expected;
};

TEST(UnsplitPlacement, FillAndNatural) {
  // clang-format off
  const PlacementCase cases[] = {
      {"fill stretches over the rectangle", {10, 20, 110, 60}, 30, 10, PLACE_FILL, {{10, 20, 100, 40}, {0, 0, 30, 10}}},
      {"fill shrinks too", {0, 0, 100, 29}, 1500, 27, PLACE_FILL, {{0, 0, 100, 29}, {0, 0, 1500, 27}}},
      {"natural overflows a lower rectangle downwards", {5, 5, 105, 25}, 100, 29, PLACE_NATURAL,
       {{5, 5, 100, 29}, {0, 0, 100, 29}}},
      {"natural centres in a higher rectangle", {0, 10, 30, 50}, 27, 27, PLACE_NATURAL,
       {{0, 16, 27, 27}, {0, 0, 27, 27}}},
      {"natural in a rectangle of its own height", {3, 4, 30, 31}, 27, 27, PLACE_NATURAL,
       {{3, 4, 27, 27}, {0, 0, 27, 27}}},
      {"natural ignores the width", {0, 0, 10, 29}, 100, 29, PLACE_NATURAL, {{0, 0, 100, 29}, {0, 0, 100, 29}}},
  };
  // clang-format on
  for (const PlacementCase& c : cases) EXPECT_EQ(UnsplitPiece(c.dest, c.iw, c.ih, c.placement), c.expected) << c.name;
}

// ---- loading the real pictures -------------------------------------------------------------

HINSTANCE Module() { return ::GetModuleHandleW(nullptr); }

TEST(LoadSkinImage, EveryPictureDecodesWithItsSizeAndAlphaFlag) {
  for (const SkinPicture& c : kSkinPictures) {
    CImage image;
    EXPECT_TRUE(LoadSkinImage(Module(), image, c.id)) << c.id;
    ASSERT_FALSE(image.IsNull()) << c.id;
    EXPECT_EQ(image.GetWidth(), c.width) << c.id;
    EXPECT_EQ(image.GetHeight(), c.height) << c.id;
    // The decoder turns a palette's transparency table into an alpha channel.
    const bool alpha = c.format != SKIN_RGB;
    EXPECT_EQ(image.HasAlphaChannel(), alpha) << c.id;
    EXPECT_EQ(image.GetBPP(), alpha ? 32 : 24) << c.id;
  }
}

TEST(LoadSkinImage, PlainRgbPictureIsDecodedUntouched) {
  CImage image;
  ASSERT_TRUE(LoadSkinImage(Module(), image, 183));
  ASSERT_EQ(image.GetBPP(), 24);
  for (int y = 0; y < image.GetHeight(); ++y)
    for (int x = 0; x < image.GetWidth(); ++x) {
      const BYTE* p = image.GetPixelAddress(x, y);
      ASSERT_TRUE(p[0] == 255 && p[1] == 128 && p[2] == 255) << x << "," << y;
    }
}

TEST(LoadSkinImage, AlphaPictureIsPremultiplied) {
  // The scan-to-pay background fades out at its ends: no colour byte may exceed its alpha there.
  CImage image;
  ASSERT_TRUE(LoadSkinImage(Module(), image, 228));
  ASSERT_TRUE(image.HasAlphaChannel());
  const Bgra end = PixelAt(image, 0, 0), middle = PixelAt(image, 220, 2);
  EXPECT_LT(end.a, 255);
  EXPECT_LE(end.b, end.a);
  EXPECT_LE(end.g, end.a);
  EXPECT_LE(end.r, end.a);
  EXPECT_EQ(middle.a, 255);
  EXPECT_GT(middle.b, 200);
}

TEST(LoadSkinImage, BitmapResourceIsAttachedAndNotAlphaBlended) {
  CImage image;
  EXPECT_FALSE(LoadSkinImage(Module(), image, 220));
  ASSERT_FALSE(image.IsNull());
  EXPECT_EQ(image.GetWidth(), 1500);
  EXPECT_EQ(image.GetHeight(), 27);
  EXPECT_FALSE(image.HasAlphaChannel());
  EXPECT_NE(image.GetBits(), nullptr);
}

TEST(LoadSkinImage, MissingPictureLeavesTheImageAsItWas) {
  CImage image;
  ASSERT_TRUE(image.Create(7, 3, 32, true));
  HBITMAP before = image.GetBitmap();
  EXPECT_FALSE(LoadSkinImage(Module(), image, 232));
  EXPECT_EQ(image.GetBitmap(), before);
  EXPECT_EQ(image.GetWidth(), 7);
}

TEST(LoadSkinImage, ReplacesWhatTheImageHeld) {
  CImage image;
  ASSERT_TRUE(image.Create(7, 3, 32, true));
  EXPECT_TRUE(LoadSkinImage(Module(), image, 204));
  EXPECT_EQ(image.GetWidth(), 25);
  EXPECT_FALSE(image.HasAlphaChannel());
}

// ---- painting ------------------------------------------------------------------------------

// A 32-bit top-down DIB selected into a memory DC, to paint into and read back.
class Surface {
public:
  Surface(int width, int height, COLORREF fill) : m_dc(::CreateCompatibleDC(nullptr)) {
    m_image.Create(width, height, 32);
    m_old = ::SelectObject(m_dc.Get(), m_image.GetBitmap());
    Fill(fill);
  }
  ~Surface() { ::SelectObject(m_dc.Get(), m_old); }
  HDC dc() const { return m_dc.Get(); }
  void Fill(COLORREF c) {
    ::GdiFlush();
    for (int y = 0; y < m_image.GetHeight(); ++y)
      for (int x = 0; x < m_image.GetWidth(); ++x)
        PixelAt(m_image, x, y) = {GetBValue(c), GetGValue(c), GetRValue(c), 0};
  }
  COLORREF At(int x, int y) const {
    ::GdiFlush();
    const Bgra p = PixelAt(m_image, x, y);
    return RGB(p.r, p.g, p.b);
  }
  // Pixels in the surface that differ from c.
  int CountOther(COLORREF c) const {
    int n = 0;
    for (int y = 0; y < m_image.GetHeight(); ++y)
      for (int x = 0; x < m_image.GetWidth(); ++x) n += At(x, y) != c;
    return n;
  }

private:
  UniqueMemDC m_dc;
  CImage m_image;
  HGDIOBJ m_old = nullptr;
};

constexpr COLORREF WHITE = RGB(255, 255, 255);
constexpr COLORREF NAVY = RGB(10, 20, 90);

TEST(Painting, KeyPatchStretchedOpaqueCoversTheLoginWindow) {
  CImage patch;
  ASSERT_TRUE(LoadSkinImage(Module(), patch, 183));
  Surface surface(1024, 700, WHITE);
  EXPECT_TRUE(DrawNineGrid(surface.dc(), patch, RECT{0, 0, 1024, 700}, RECT{5, 5, 5, 5}, DRAW_OPAQUE_STRETCH));
  EXPECT_EQ(surface.CountOther(SKIN_KEY_COLOR), 0);
}

TEST(Painting, KeyPatchDrawnKeyedLeavesEverythingBehind) {
  CImage patch;
  ASSERT_TRUE(LoadSkinImage(Module(), patch, 183));
  Surface surface(64, 48, NAVY);
  EXPECT_TRUE(DrawKeyed(surface.dc(), patch, UnsplitPiece(RECT{0, 0, 64, 48}, 29, 30, PLACE_FILL)));
  EXPECT_TRUE(DrawNineGrid(surface.dc(), patch, RECT{0, 0, 64, 48}, RECT{5, 5, 5, 5}, DRAW_KEYED));
  EXPECT_EQ(surface.CountOther(NAVY), 0);
}

TEST(Painting, PictureWithoutAlphaBlendsOpaquely) {
  CImage patch;
  ASSERT_TRUE(LoadSkinImage(Module(), patch, 183));
  Surface surface(40, 40, NAVY);
  EXPECT_TRUE(DrawAlpha(surface.dc(), patch, UnsplitPiece(RECT{0, 0, 40, 40}, 29, 30, PLACE_FILL), 255));
  EXPECT_EQ(surface.CountOther(SKIN_KEY_COLOR), 0);
}

TEST(Painting, OpaqueCopyIsNaturalSizeAtThePoint) {
  CImage patch;
  ASSERT_TRUE(LoadSkinImage(Module(), patch, 183));
  Surface surface(64, 64, WHITE);
  EXPECT_TRUE(DrawOpaqueCopy(surface.dc(), patch, 10, 12));
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      const bool inside = x >= 10 && x < 39 && y >= 12 && y < 42;
      ASSERT_EQ(surface.At(x, y), inside ? SKIN_KEY_COLOR : WHITE) << x << "," << y;
    }
}

TEST(Painting, PixelRowsAreTheRowsGdiDraws) {
  // Row 0 of the pixel pointer must be the row that lands on top, for decoded, attached and
  // created bitmaps alike (the strips differ between their top and bottom rows).
  CImage decoded, attached, created;
  ASSERT_TRUE(LoadSkinImage(Module(), decoded, 219));
  ASSERT_FALSE(LoadSkinImage(Module(), attached, 220));
  ASSERT_TRUE(created.Create(3, 27, 32));
  for (int y = 0; y < 27; ++y) PixelAt(created, 0, y) = {BYTE(y), BYTE(2 * y), BYTE(3 * y), 255};
  for (const CImage* image : {&decoded, &attached, &created}) {
    Surface surface(3, 27, WHITE);
    ASSERT_TRUE(image->StretchBlt(surface.dc(), 0, 0, 3, 27, 0, 0, 3, 27));
    auto stored = [&](int y) {
      const BYTE* p = image->GetPixelAddress(0, y);
      return RGB(p[2], p[1], p[0]);
    };
    ASSERT_NE(stored(0), stored(26));
    EXPECT_EQ(surface.At(0, 0), stored(0)) << image->GetBPP() << " bpp";
    EXPECT_EQ(surface.At(0, 26), stored(26)) << image->GetBPP() << " bpp";
  }
}

bool Near(COLORREF a, COLORREF b) {
  return std::abs(GetRValue(a) - GetRValue(b)) <= 1 && std::abs(GetGValue(a) - GetGValue(b)) <= 1 &&
         std::abs(GetBValue(a) - GetBValue(b)) <= 1;
}

// ---- decoding formats the skin does not ship ------------------------------------------------

HRESULT LoadBytes(CImage& image, const std::vector<uint8_t>& bytes) {
  HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  if (!block) return E_OUTOFMEMORY;
  memcpy(::GlobalLock(block), bytes.data(), bytes.size());
  ::GlobalUnlock(block);
  ComPtr<IStream> stream;
  if (FAILED(::CreateStreamOnHGlobal(block, TRUE, stream.Put()))) {
    ::GlobalFree(block);
    return E_FAIL;
  }
  return image.Load(stream.Get());
}

// Decoders differ on 16 bits per channel: reported with alpha it becomes 32-bit BGRA, without
// it has no GDI layout and becomes 24-bit.
constexpr int ANY_WIDE = -1;

struct DecodeCase {
  const char* name;
  std::vector<uint8_t> png;
  int bpp;  // or ANY_WIDE
  bool alpha;
  COLORREF left, right;  // the two pixels as drawn opaquely
};

TEST(ImageLoad, EachPixelFormatKeepsItsLayoutOrBecomesBgra) {
  const DecodeCase cases[] = {
      {"8-bit palette", MakePng(2, 1, 8, 3, {{1, 0}}, {10, 20, 30, 200, 150, 100}), 8, false, RGB(200, 150, 100),
       RGB(10, 20, 30)},
      {"4-bit palette", MakePng(2, 1, 4, 3, {{0x10}}, {10, 20, 30, 200, 150, 100}), 4, false, RGB(200, 150, 100),
       RGB(10, 20, 30)},
      {"8-bit RGB", MakePng(2, 1, 8, 2, {{1, 2, 3, 250, 128, 7}}), 24, false, RGB(1, 2, 3), RGB(250, 128, 7)},
      {"16-bit RGB has no GDI layout",
       MakePng(2, 1, 16, 2, {{0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xFF, 0xFF, 0, 0, 0x80, 0}}), ANY_WIDE, false,
       RGB(0x12, 0x56, 0x9A), RGB(0xFF, 0, 0x80)},
      {"RGBA", MakePng(2, 1, 8, 6, {{50, 100, 200, 255, 9, 8, 7, 255}}), 32, true, RGB(50, 100, 200), RGB(9, 8, 7)},
      {"grey with alpha", MakePng(2, 1, 8, 4, {{100, 255, 30, 255}}), 32, true, RGB(100, 100, 100), RGB(30, 30, 30)},
      {"palette with transparency", MakePng(2, 1, 8, 3, {{1, 0}}, {10, 20, 30, 200, 150, 100}, {255, 255}), 32, true,
       RGB(200, 150, 100), RGB(10, 20, 30)},
  };
  for (const DecodeCase& c : cases) {
    CImage image;
    ASSERT_EQ(LoadBytes(image, c.png), S_OK) << c.name;
    EXPECT_EQ(image.GetWidth(), 2) << c.name;
    EXPECT_EQ(image.GetHeight(), 1) << c.name;
    if (c.bpp == ANY_WIDE) {
      EXPECT_EQ(image.GetBPP(), image.HasAlphaChannel() ? 32 : 24) << c.name;
    } else {
      EXPECT_EQ(image.GetBPP(), c.bpp) << c.name;
      EXPECT_EQ(image.HasAlphaChannel(), c.alpha) << c.name;
    }
    Surface surface(2, 1, WHITE);
    ASSERT_TRUE(image.StretchBlt(surface.dc(), 0, 0, 2, 1, 0, 0, 2, 1)) << c.name;
    EXPECT_TRUE(Near(surface.At(0, 0), c.left)) << c.name << std::hex << " " << surface.At(0, 0);
    EXPECT_TRUE(Near(surface.At(1, 0), c.right)) << c.name << std::hex << " " << surface.At(1, 0);
  }
}

TEST(ImageLoad, AlphaPixelsArriveStraightInBgraOrder) {
  CImage image;
  ASSERT_EQ(LoadBytes(image, MakePng(2, 1, 8, 6, {{50, 100, 200, 128, 1, 2, 3, 0}})), S_OK);
  EXPECT_EQ(PixelAt(image, 0, 0), (Bgra{200, 100, 50, 128}));  // not yet premultiplied
  EXPECT_EQ(PixelAt(image, 1, 0).a, 0);
  ASSERT_TRUE(PremultiplyAlpha(image));
  EXPECT_EQ(PixelAt(image, 0, 0), (Bgra{100, 50, 25, 128}));
  EXPECT_EQ(PixelAt(image, 1, 0), (Bgra{0, 0, 0, 0}));
}

TEST(ImageLoad, UndecodableBytesLeaveANullImage) {
  CImage image;
  ASSERT_TRUE(image.Create(4, 4, 32, true));
  std::vector<uint8_t> broken = MakePng(2, 1, 8, 2, {{1, 2, 3, 4, 5, 6}});
  broken.resize(20);  // cut inside the header
  EXPECT_TRUE(FAILED(LoadBytes(image, broken)));
  EXPECT_TRUE(image.IsNull());
  EXPECT_TRUE(FAILED(LoadBytes(image, {'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c'})));
  EXPECT_TRUE(image.IsNull());
  EXPECT_EQ(image.Load(nullptr), E_POINTER);
}

TEST(Painting, PremultipliedPixelBlendsOverTheBackground) {
  CImage image;
  ASSERT_TRUE(image.Create(1, 1, 32, true));
  PixelAt(image, 0, 0) = {200, 100, 50, 128};
  ASSERT_TRUE(PremultiplyAlpha(image));
  Surface surface(4, 4, WHITE);
  EXPECT_TRUE(DrawAlpha(surface.dc(), image, {{1, 1, 2, 2}, {0, 0, 1, 1}}, 255));
  // source + background * (255 - 128) / 255
  EXPECT_TRUE(Near(surface.At(1, 1), RGB(25 + 127, 50 + 127, 100 + 127))) << std::hex << surface.At(1, 1);
  EXPECT_EQ(surface.At(0, 0), WHITE);
  EXPECT_EQ(surface.At(3, 3), WHITE);
}

TEST(Painting, RoundGlyphKeepsTheLoginWindowsKeyColourAroundIt) {
  // The login window paints its round buttons over the key colour; outside the disc the key
  // colour must survive so that the window stays see-through there.
  for (UINT id : {188u, 189u, 192u, 193u}) {
    CImage glyph;
    ASSERT_TRUE(LoadSkinImage(Module(), glyph, id));
    const int size = glyph.GetWidth();
    Surface surface(size, size, SKIN_KEY_COLOR);
    EXPECT_TRUE(DrawAlpha(surface.dc(), glyph, UnsplitPiece(RECT{0, 0, size, size}, size, size, PLACE_FILL), 254));
    for (auto [x, y] : {std::pair{0, 0}, {size - 1, 0}, {0, size - 1}, {size - 1, size - 1}})
      EXPECT_EQ(surface.At(x, y), SKIN_KEY_COLOR) << id << " corner " << x << "," << y;
    EXPECT_NE(surface.At(size / 2, size / 2), SKIN_KEY_COLOR) << id;
    EXPECT_NE(surface.At(size / 2, 1), SKIN_KEY_COLOR) << id << " top of the disc";
  }
}

TEST(Painting, NullImageDrawsNothing) {
  CImage null;
  Surface surface(8, 8, WHITE);
  EXPECT_FALSE(DrawNineGrid(surface.dc(), null, RECT{0, 0, 8, 8}, RECT{1, 1, 1, 1}, DRAW_OPAQUE_STRETCH));
  EXPECT_FALSE(DrawAlpha(surface.dc(), null, {{0, 0, 8, 8}, {0, 0, 8, 8}}, 255));
  EXPECT_FALSE(DrawKeyed(surface.dc(), null, {{0, 0, 8, 8}, {0, 0, 8, 8}}));
  EXPECT_FALSE(DrawOpaqueCopy(surface.dc(), null, 0, 0));
  EXPECT_EQ(surface.CountOther(WHITE), 0);
}

TEST(Painting, NineGridWithoutASplitDrawsNothing) {
  CImage patch;
  ASSERT_TRUE(LoadSkinImage(Module(), patch, 183));
  Surface surface(20, 20, WHITE);
  EXPECT_FALSE(DrawNineGrid(surface.dc(), patch, RECT{0, 0, 20, 20}, RECT{10, 10, 10, 10}, DRAW_OPAQUE_STRETCH));
  EXPECT_EQ(surface.CountOther(WHITE), 0);
}

}  // namespace
