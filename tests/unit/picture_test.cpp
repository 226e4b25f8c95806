// The picture control: how it lays its picture into its rectangle (checked as planned blits)
// and what it really paints into a DIB under Wine, with the real skin pictures.
#include "skin/picture.h"

#include "canvas.h"

#include <gtest/gtest.h>

#include <vector>

std::ostream& operator<<(std::ostream& os, const PictureBlit& b) {
  return os << "{op " << static_cast<int>(b.op) << " alpha " << int(b.alpha) << " dest " << b.piece.dest.x << ","
            << b.piece.dest.y << " " << b.piece.dest.width << "x" << b.piece.dest.height << " <- src "
            << b.piece.src.x << "," << b.piece.src.y << " " << b.piece.src.width << "x" << b.piece.src.height
            << "}";
}

namespace {

const COLORREF KEY = RGB(255, 128, 255);
HINSTANCE Module() { return ::GetModuleHandleW(nullptr); }

// A picture control holding a real skin picture.
void Load(CKXImage& image, UINT id) {
  image.m_hasAlpha = LoadSkinImage(Module(), image.m_image, id);
  ASSERT_FALSE(image.m_image.IsNull()) << id;
}

TEST(PicturePlan, LoginBackgroundIsNineOpaquePieces) {
  CKXImage back;
  Load(back, 183);  // 29 x 30, nothing but the key colour
  back.m_transparent = false;
  back.m_margins = {5, 5, 5, 5};
  back.SetRect({0, 0, 1024, 700});
  const std::vector<PictureBlit> plan = back.PicturePlan();
  ASSERT_EQ(plan.size(), 9u);
  for (const PictureBlit& b : plan) EXPECT_EQ(b.op, PictureOp::OpaqueStretch);
  EXPECT_EQ(plan[0].piece, (BlitPiece{{0, 0, 5, 5}, {0, 0, 5, 5}}));
  EXPECT_EQ(plan[4].piece, (BlitPiece{{5, 5, 1014, 690}, {5, 5, 19, 20}}));
  EXPECT_EQ(plan[8].piece, (BlitPiece{{1019, 695, 5, 5}, {24, 25, 5, 5}}));

  // Painted, the key colour covers the whole window.
  TestCanvas canvas(1024, 700);
  ASSERT_TRUE(canvas);
  canvas.Fill(RGB(1, 2, 3));
  back.OnPaint(canvas.DC());
  EXPECT_EQ(canvas.CountDifferent({0, 0, 1024, 700}, KEY), 0);
}

TEST(PicturePlan, ModesAndPlacements) {
  struct Case {
    const char* what;
    bool transparent, stretch, hasAlpha;
    RECT rect, margins;
    std::vector<PictureBlit> expect;
  } cases[] = {
      // A 27 x 27 picture throughout.
      {"opaque without stretch copies once at natural size", false, false, true, {10, 20, 200, 100}, {5, 5, 5, 5},
       {{PictureOp::OpaqueCopy, {{10, 20, 27, 27}, {0, 0, 27, 27}}, 255}}},
      {"opaque, margins that cannot split: copied, never filled", false, true, true, {10, 20, 200, 100},
       {20, 0, 7, 0}, {{PictureOp::OpaqueCopy, {{10, 20, 27, 27}, {0, 0, 27, 27}}, 255}}},
      {"transparent, margins summing to the picture: filled", true, true, true, {0, 0, 100, 50}, {10, 10, 17, 17},
       {{PictureOp::Alpha, {{0, 0, 100, 50}, {0, 0, 27, 27}}, 255}}},
      {"transparent natural in a taller box: centred vertically", true, false, true, {5, 10, 205, 50}, {},
       {{PictureOp::Alpha, {{5, 16, 27, 27}, {0, 0, 27, 27}}, 255}}},
      {"transparent natural in a lower box: at the top, overflowing", true, false, true, {5, 10, 205, 30}, {},
       {{PictureOp::Alpha, {{5, 10, 27, 27}, {0, 0, 27, 27}}, 255}}},
      {"no alpha: keyed", true, true, false, {0, 0, 40, 40}, {},
       {{PictureOp::Keyed, {{0, 0, 40, 40}, {0, 0, 27, 27}}, 255}}},
      {"horizontal split only: three columns", true, true, true, {0, 0, 100, 40}, {3, 0, 4, 0},
       {{PictureOp::Alpha, {{0, 0, 3, 40}, {0, 0, 3, 27}}, 255},
        {PictureOp::Alpha, {{3, 0, 93, 40}, {3, 0, 20, 27}}, 255},
        {PictureOp::Alpha, {{96, 0, 4, 40}, {23, 0, 4, 27}}, 255}}},
  };
  for (const Case& c : cases) {
    CKXImage image;
    Load(image, 184);  // 27 x 27
    image.m_hasAlpha = c.hasAlpha;
    image.m_transparent = c.transparent;
    image.m_stretch = c.stretch;
    image.m_margins = c.margins;
    image.SetRect(c.rect);
    EXPECT_EQ(image.PicturePlan(), c.expect) << c.what;
  }
}

TEST(PicturePaint, HiddenMissingAndKeyedPicturesLeaveTheCanvas) {
  TestCanvas canvas(100, 60);
  ASSERT_TRUE(canvas);
  const RECT all{0, 0, 100, 60};

  CKXImage picture;
  Load(picture, 184);
  picture.SetRect({0, 0, 100, 60});
  canvas.Fill(RGB(0, 0, 0));
  picture.m_visible = false;
  picture.OnPaint(canvas.DC());
  EXPECT_EQ(canvas.CountDifferent(all, RGB(0, 0, 0)), 0);
  picture.m_visible = true;
  picture.m_enabled = false;  // disabled pictures are drawn all the same
  picture.OnPaint(canvas.DC());
  EXPECT_GT(canvas.CountDifferent(all, RGB(0, 0, 0)), 0);

  // Drawn keyed, the key-colour patch leaves everything as it was.
  CKXImage key;
  Load(key, 183);
  key.m_hasAlpha = false;
  key.SetRect({0, 0, 100, 60});
  canvas.Fill(RGB(9, 9, 9));
  key.OnPaint(canvas.DC());
  EXPECT_EQ(canvas.CountDifferent(all, RGB(9, 9, 9)), 0);

  // A picture that did not load draws nothing, yet is still hit (it remains a drag surface).
  CKXImage missing;
  EXPECT_FALSE(LoadSkinImage(Module(), missing.m_image, 9999));
  EXPECT_TRUE(missing.m_image.IsNull());
  missing.SetRect({0, 0, 100, 60});
  EXPECT_TRUE(missing.PicturePlan().empty());
  missing.OnPaint(canvas.DC());
  EXPECT_EQ(canvas.CountDifferent(all, RGB(9, 9, 9)), 0);
  POINT p{50, 30};
  EXPECT_TRUE(missing.HitTest(&p));
  EXPECT_EQ(missing.GetImageWidth(), 0);
  EXPECT_EQ(missing.GetTypeName(), L"CKXImage");
}

}  // namespace
