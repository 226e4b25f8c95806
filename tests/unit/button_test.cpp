// The button: its state machine over the eight pictures, the disabled rules, the tail-keeping
// shortening, and what it paints (planned blits and real pixels) under Wine.
#include "skin/button.h"

#include "canvas.h"
#include "skin/text_fit.h"
#include "test_form.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

HINSTANCE Module() { return ::GetModuleHandleW(nullptr); }

// Gives a picture a bitmap of its own size, so that it counts as present.
void Give(CImage& picture, int width = 10, int height = 10) { ASSERT_TRUE(picture.Create(width, height, 32, true)); }

class ButtonOnForm : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(m_form.Open({0, 0, 300, 200}));
    m_form.AddControl(&m_under);
    m_button.SetRect({20, 20, 120, 49});
    m_form.AddControl(&m_button);
    Give(m_button.m_imgNormal);
    m_button.m_imgCurrent = &m_button.m_imgNormal;
    m_under.Take();
  }
  const CImage* Current() const { return m_button.m_imgCurrent; }
  CTestForm m_form;
  CPaintCounter m_under{{0, 0, 300, 200}};
  CKXButton m_button;
};

TEST_F(ButtonOnForm, HoverWithoutAHoverPictureNeitherSwitchesNorRepaints) {
  m_button.SetState(BUTTON_HOVER, true);
  EXPECT_EQ(m_button.m_state, BUTTON_HOVER);
  EXPECT_EQ(Current(), &m_button.m_imgNormal);
  EXPECT_EQ(m_under.Take(), 0);

  // With the pictures present, each state shows its own and repaints.
  Give(m_button.m_imgHover);
  Give(m_button.m_imgPressed);
  struct Step {
    int state;
    const CImage* expect;
  } steps[] = {{BUTTON_NORMAL, &m_button.m_imgNormal}, {BUTTON_HOVER, &m_button.m_imgHover},
               {BUTTON_PRESSED, &m_button.m_imgPressed}, {BUTTON_RELEASED, &m_button.m_imgHover},
               {BUTTON_NORMAL, &m_button.m_imgNormal}};
  for (const Step& s : steps) {
    m_button.SetState(s.state, true);
    EXPECT_EQ(Current(), s.expect) << s.state;
    EXPECT_EQ(m_under.Take(), 1) << s.state;
  }
  m_button.SetState(BUTTON_NORMAL, true);  // the state it is in: nothing
  EXPECT_EQ(m_under.Take(), 0);
  m_button.SetState(BUTTON_HOVER, false);  // switched, but not repainted
  EXPECT_EQ(Current(), &m_button.m_imgHover);
  EXPECT_EQ(m_under.Take(), 0);
}

TEST_F(ButtonOnForm, RefreshOnACheckedButtonShowsTheCheckedPictureAndRepaints) {
  Give(m_button.m_imgCheckedNormal);
  m_button.m_checked = true;
  m_button.SetState(BUTTON_REFRESH, true);
  EXPECT_EQ(Current(), &m_button.m_imgCheckedNormal);
  EXPECT_EQ(m_button.m_state, BUTTON_NORMAL);  // a refresh is never stored
  EXPECT_EQ(m_under.Take(), 1);
  m_button.SetState(BUTTON_REFRESH, true);  // already current: repainted all the same
  EXPECT_EQ(m_under.Take(), 1);

  // Hovered while checked without a checked hover picture: the unchecked hover rule applies,
  // and a refresh falls back to the checked normal picture.
  Give(m_button.m_imgHover);
  m_button.SetState(BUTTON_HOVER, true);
  EXPECT_EQ(Current(), &m_button.m_imgHover);
  m_button.SetState(BUTTON_REFRESH, true);
  EXPECT_EQ(Current(), &m_button.m_imgCheckedNormal);
  Give(m_button.m_imgCheckedPressed);
  m_button.SetState(BUTTON_PRESSED, true);
  EXPECT_EQ(Current(), &m_button.m_imgCheckedPressed);

  // Unchecking and refreshing goes back to the unchecked set.
  m_button.m_checked = false;
  m_button.SetState(BUTTON_REFRESH, true);
  EXPECT_EQ(Current(), &m_button.m_imgNormal);  // pressed, no pressed picture: the normal one
  EXPECT_EQ(m_under.Take(), 4);  // one repaint for each switch since the last count
}

TEST_F(ButtonOnForm, LinkAndCheckedColoursFollowTheState) {
  const COLORREF normal = RGB(1, 1, 1), hover = RGB(2, 2, 2), checked = RGB(3, 3, 3);
  m_button.SetLinkColor(normal, hover, false);
  m_button.SetState(BUTTON_HOVER, true);
  EXPECT_EQ(m_button.m_textColor, hover);
  m_button.SetState(BUTTON_PRESSED, true);
  EXPECT_EQ(m_button.m_textColor, hover);
  m_button.SetState(BUTTON_NORMAL, true);
  EXPECT_EQ(m_button.m_textColor, normal);

  Give(m_button.m_imgCheckedNormal);
  m_button.SetLinkColors(normal, hover, checked, false);
  m_button.m_checked = true;
  m_button.SetState(BUTTON_REFRESH, true);
  EXPECT_EQ(m_button.m_textColor, checked);
  m_button.SetState(BUTTON_HOVER, true);  // no checked hover picture: the unchecked rule colours it
  EXPECT_EQ(m_button.m_textColor, hover);

  // A colour change alone repaints, through the colour setter.
  CKXButton plain;
  plain.SetRect({150, 20, 250, 49});
  m_form.AddControl(&plain);
  plain.SetLinkColor(normal, hover, false);
  m_under.Take();
  plain.SetState(BUTTON_HOVER, true);
  EXPECT_EQ(m_under.Take(), 1);
  m_form.RemoveControl(&plain);
}

TEST_F(ButtonOnForm, DisabledPictureChoices) {
  struct Case {
    const char* what;
    bool checked, disabled, checkedNormal, checkedDisabled;
    int expect;  // 0 normal, 1 disabled, 2 checked normal, 3 checked disabled
  } cases[] = {
      {"unchecked, no disabled picture", false, false, false, false, 0},
      {"unchecked, disabled picture", false, true, true, true, 1},
      {"checked, no checked-disabled picture", true, true, true, false, 2},
      {"checked, checked-disabled picture", true, true, true, true, 3},
      {"checked, no checked pictures at all", true, true, false, false, 0},
  };
  for (const Case& c : cases) {
    CKXButton button;
    Give(button.m_imgNormal);
    if (c.disabled) Give(button.m_imgDisabled);
    if (c.checkedNormal) Give(button.m_imgCheckedNormal);
    if (c.checkedDisabled) Give(button.m_imgCheckedDisabled);
    const CImage* pictures[] = {&button.m_imgNormal, &button.m_imgDisabled, &button.m_imgCheckedNormal,
                                &button.m_imgCheckedDisabled};
    button.m_checked = c.checked;
    button.SetEnabled(false, false);
    EXPECT_FALSE(button.m_enabled);
    EXPECT_EQ(button.m_imgCurrent, pictures[c.expect]) << c.what;

    button.SetEnabled(true, false);
    const CImage* enabled = c.checked && c.checkedNormal ? pictures[2] : pictures[0];
    EXPECT_EQ(button.m_imgCurrent, enabled) << c.what;
  }

  // The picture is chosen again even when the flag stays; the repaint only comes with a change.
  Give(m_button.m_imgDisabled);
  Give(m_button.m_imgHover);
  m_button.SetState(BUTTON_HOVER, true);
  m_under.Take();
  m_button.SetEnabled(false, true);
  EXPECT_EQ(Current(), &m_button.m_imgDisabled);
  EXPECT_EQ(m_under.Take(), 1);
  m_button.m_imgCurrent = &m_button.m_imgNormal;
  m_button.SetEnabled(false, true);
  EXPECT_EQ(Current(), &m_button.m_imgDisabled);
  EXPECT_EQ(m_under.Take(), 0);

  // The pointer leaving a disabled button takes it to the normal state, but its look stays.
  POINT away{280, 180};
  m_button.OnMouseMove(0, &away);
  EXPECT_EQ(m_button.m_state, BUTTON_NORMAL);
  EXPECT_EQ(Current(), &m_button.m_imgDisabled);
  m_button.SetEnabled(true, true);
  EXPECT_EQ(Current(), &m_button.m_imgNormal);
  EXPECT_EQ(m_under.Take(), 1);
}

TEST_F(ButtonOnForm, PointerDrivesTheStates) {
  Give(m_button.m_imgHover);
  Give(m_button.m_imgPressed);
  const LPARAM over = MAKELPARAM(30, 30), away = MAKELPARAM(250, 150);
  HWND wnd = m_form.GetHwnd();
  m_form.WindowProc(wnd, WM_MOUSEMOVE, 0, over);
  EXPECT_EQ(m_button.m_state, BUTTON_HOVER);
  m_form.WindowProc(wnd, WM_LBUTTONDOWN, MK_LBUTTON, over);
  EXPECT_EQ(m_button.m_state, BUTTON_HOVER);  // a plain form does not forward the press
  POINT p{30, 30};
  m_button.OnLButtonDown(MK_LBUTTON, &p);
  EXPECT_EQ(Current(), &m_button.m_imgPressed);
  m_button.OnLButtonUp(0, &p);
  EXPECT_EQ(m_button.m_state, BUTTON_RELEASED);
  EXPECT_EQ(Current(), &m_button.m_imgHover);
  m_form.WindowProc(wnd, WM_MOUSEMOVE, 0, away);
  EXPECT_EQ(m_button.m_state, BUTTON_NORMAL);
  EXPECT_EQ(Current(), &m_button.m_imgNormal);

  // Leaving the window replays a move at (0, 0), which misses the button.
  m_form.WindowProc(wnd, WM_MOUSEMOVE, 0, over);
  EXPECT_EQ(Current(), &m_button.m_imgHover);
  m_form.WindowProc(wnd, WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(m_button.m_state, BUTTON_NORMAL);
  EXPECT_EQ(Current(), &m_button.m_imgNormal);
}

TEST(ButtonText, ShortenedKeepingItsTail) {
  // Every character 10 px, "..." 9 px, measured from x = 0.
  const TextMeasure measure = [](const std::wstring& text) {
    const bool dots = text.find(ELLIPSIS) != std::wstring::npos;
    return 10 * static_cast<int>(text.size() - (dots ? 3 : 0)) + (dots ? 9 : 0);
  };
  struct Case {
    std::wstring text;
    int tail, right;
    std::wstring expect;
  } cases[] = {
      {L"ABCDEFGHIJKLMNOPQRST", 3, 100, L"ABCDE...RST"},
      {L"ABCDEFGHIJKLMNOPQRST", 0, 100, L"ABCDEFGH..."},  // 7 * 10 + 9 + 16 = 95; 8 heads pass
      {L"ABCDEFGHIJKLMNOPQRST", 20, 100, L"ABCDEFGHIJKLMNOPQRST"},
      {L"ABCDEFGHIJKLMNOPQRST", 25, 100, L"ABCDEFGHIJKLMNOPQRST"},
      {L"ABCDEFGHIJ", 3, 100, L"ABCDEFGHIJ"},  // exactly fits: whole
      {L"ABCDEFGHIJK", 3, 100, L"ABCDE...IJK"},
  };
  for (const Case& c : cases) {
    CKXButton button;
    button.SetText(c.text, false);
    button.SetEllipsisTail(c.tail);
    EXPECT_EQ(button.FittedText(c.right, measure), c.expect) << c.tail;
  }
}

TEST(ButtonPicture, LoadedPicturesAndTheirPlan) {
  CKXButton button;
  EXPECT_EQ(button.GetTypeName(), L"CKXButton");
  EXPECT_FALSE(button.m_autoWidth);
  EXPECT_EQ(button.m_format, static_cast<UINT>(DT_CENTER));
  EXPECT_EQ(button.GetImageWidth(), 0);
  EXPECT_TRUE(button.PicturePlan().empty());

  button.SetImages(190, 191, 191, Module());  // 100 x 29 PNG pictures
  EXPECT_TRUE(button.m_hasAlpha);
  EXPECT_EQ(button.m_imgCurrent, &button.m_imgNormal);
  EXPECT_FALSE(button.m_imgHover.IsNull());
  EXPECT_EQ(button.GetImageWidth(), 100);
  EXPECT_EQ(button.GetImageHeight(), 29);

  button.SetRect({10, 5, 110, 34});
  const PictureBlit once{PictureOp::Alpha, {{10, 5, 100, 29}, {0, 0, 100, 29}}, 254};
  EXPECT_EQ(button.PicturePlan(), std::vector<PictureBlit>{once});

  button.m_margins = {5, 0, 5, 0};
  button.SetRect({10, 5, 210, 34});  // split: pieces at full alpha
  std::vector<PictureBlit> split = button.PicturePlan();
  ASSERT_EQ(split.size(), 3u);
  for (const PictureBlit& b : split) EXPECT_EQ(b.alpha, 255);

  button.m_margins = {};
  button.m_fill = false;
  button.SetRect({10, 5, 210, 45});  // natural size, centred vertically: (40 - 29) / 2 = 5
  EXPECT_EQ(button.PicturePlan(),
            (std::vector<PictureBlit>{{PictureOp::Alpha, {{10, 10, 100, 29}, {0, 0, 100, 29}}, 254}}));

  button.m_stretch = false;
  EXPECT_EQ(button.PicturePlan(),
            (std::vector<PictureBlit>{{PictureOp::OpaqueCopy, {{10, 5, 100, 29}, {0, 0, 100, 29}}, 255}}));

  // A bitmap resource, not a PNG one: keyed drawing.
  CKXButton keyed;
  keyed.SetImages(220, 220, 220, Module());
  EXPECT_FALSE(keyed.m_hasAlpha);
  EXPECT_FALSE(keyed.m_imgNormal.IsNull());
  keyed.SetRect({0, 0, 50, 20});
  ASSERT_EQ(keyed.PicturePlan().size(), 1u);
  EXPECT_EQ(keyed.PicturePlan()[0].op, PictureOp::Keyed);
}

TEST(ButtonPaint, UnsplitPictureIsBlendedAt254) {
  CKXButton button;
  button.SetImages(190, 191, 191, Module());
  button.SetRect({0, 0, 100, 29});
  TestCanvas painted(100, 29), at254(100, 29), at255(100, 29);
  ASSERT_TRUE(painted && at254 && at255);
  button.OnPaint(painted.DC());
  const BlitPiece whole{{0, 0, 100, 29}, {0, 0, 100, 29}};
  DrawAlpha(at254.DC(), button.m_imgNormal, whole, 254);
  DrawAlpha(at255.DC(), button.m_imgNormal, whole, 255);
  int differFrom254 = 0, differFrom255 = 0;
  for (int y = 0; y < 29; ++y)
    for (int x = 0; x < 100; ++x) {
      differFrom254 += painted.Pixel(x, y) != at254.Pixel(x, y);
      differFrom255 += painted.Pixel(x, y) != at255.Pixel(x, y);
    }
  EXPECT_EQ(differFrom254, 0);
  EXPECT_GT(differFrom255, 0);
}

TEST(ButtonPaint, TextPictureBothOrNothing) {
  TestCanvas canvas(200, 40);
  ASSERT_TRUE(canvas);
  const RECT all{0, 0, 200, 40};
  const COLORREF white = RGB(255, 255, 255);

  CKXButton neither;
  neither.SetRect({0, 0, 200, 40});
  canvas.Fill(white);
  neither.OnPaint(canvas.DC());
  EXPECT_EQ(canvas.CountDifferent(all, white), 0);

  CKXButton text;
  text.SetRect({0, 0, 200, 40});
  text.SetFontSize(16, 0, false);
  text.SetText(L"官方主页", false);
  canvas.Fill(white);
  text.OnPaint(canvas.DC());
  const int ink = canvas.CountDifferent(all, white);
  EXPECT_GT(ink, 0);
  // Centred: as much ink left of the middle as right of it, give or take a glyph's stroke.
  const int left = canvas.CountDifferent({0, 0, 100, 40}, white);
  EXPECT_GT(left, ink / 4);
  EXPECT_LT(left, ink * 3 / 4);

  text.m_visible = false;
  canvas.Fill(white);
  text.OnPaint(canvas.DC());
  EXPECT_EQ(canvas.CountDifferent(all, white), 0);

  // Insets move the text box: everything right of x = 100 stays clear.
  text.m_visible = true;
  text.m_textInsets = {0, 0, 100, 0};
  canvas.Fill(white);
  text.OnPaint(canvas.DC());
  EXPECT_GT(canvas.CountDifferent({0, 0, 100, 40}, white), 0);
  EXPECT_EQ(canvas.CountDifferent({100, 0, 200, 40}, white), 0);
}

}  // namespace
