// The label on real windows and DIBs under Wine: font fields, repaints, automatic width,
// disabled and hidden looks, line breaking and the link look.
#include "skin/label.h"

#include "canvas.h"
#include "test_form.h"

#include <gtest/gtest.h>

namespace {

const COLORREF WHITE = RGB(255, 255, 255);

// Rows of the area with ink, grouped into bands of consecutive rows.
int InkBands(const TestCanvas& canvas, const RECT& area, COLORREF background) {
  int bands = 0;
  bool inBand = false;
  for (int y = area.top; y < area.bottom; ++y) {
    const bool ink = canvas.RowDiffers(y, area.left, area.right, background);
    if (ink && !inBand) ++bands;
    inBand = ink;
  }
  return bands;
}

TEST(LabelFont, SetFontSizeHeightRules) {
  struct Case {
    const wchar_t* face;
    int size, height, expect;
  } cases[] = {
      {L"微软雅黑", 14, 0, 9},
      {L"宋体", 14, 0, 14},
      {L"微软雅黑", 14, 18, 18},
      {L"宋体", 14, 18, 18},
      {L"微软雅黑 ", 14, 0, 14},  // only the exact name
      {L"微软雅黑", 26, -3, 21},  // a height that is not positive does not count
  };
  for (const Case& c : cases) {
    CKXLabel label;
    label.SetFontName(c.face, false);
    label.m_fontDirty = false;
    label.SetFontSize(c.size, c.height, false);
    EXPECT_EQ(label.m_fontHeight, c.expect) << c.size << " " << c.height;
    EXPECT_TRUE(label.m_fontDirty);
  }
}

TEST(LabelFont, CreatedLazilyFromTheFieldsAndReplacedOnChange) {
  CKXLabel label;
  EXPECT_EQ(label.GetTypeName(), L"CKXLabel");
  EXPECT_FALSE(label.m_fontDirty);
  label.PrepareFont();
  EXPECT_EQ(label.m_font, nullptr);  // never set: the DC's own font is used

  label.SetFontSize(20, 0, false);
  label.SetBold(true, false);
  label.SetUnderline(1, false);
  label.PrepareFont();
  ASSERT_NE(label.m_font, nullptr);
  EXPECT_FALSE(label.m_fontDirty);
  LOGFONTW lf{};
  ASSERT_EQ(::GetObjectW(label.m_font, sizeof(lf), &lf), static_cast<int>(sizeof(lf)));
  EXPECT_EQ(lf.lfHeight, 20);
  EXPECT_EQ(lf.lfWeight, FW_BOLD);
  EXPECT_TRUE(lf.lfUnderline);
  EXPECT_STREQ(lf.lfFaceName, L"宋体");
  EXPECT_EQ(lf.lfPitchAndFamily, FF_SWISS);

  // Adopting a font replaces the created one; a later field change replaces the adopted one.
  HFONT adopted = ::CreateFontW(30, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, L"Arial");
  label.SetFont(adopted);
  EXPECT_EQ(label.m_font, adopted);
  label.SetFont(adopted);  // the same one again: still alive
  EXPECT_EQ(::GetObjectType(adopted), static_cast<DWORD>(OBJ_FONT));
  label.SetBold(false, false);
  label.SetBold(false, false);
  label.PrepareFont();
  EXPECT_NE(label.m_font, adopted);
  ::GetObjectW(label.m_font, sizeof(lf), &lf);
  EXPECT_EQ(lf.lfWeight, 0);
}

TEST(LabelSetters, FormatLinkAndBackgroundFields) {
  CKXLabel label;
  label.SetTextFormat(0);
  EXPECT_TRUE(label.m_autoWidth);  // no flags keep the automatic width
  label.SetTextFormat(DT_CENTER);
  EXPECT_FALSE(label.m_autoWidth);
  EXPECT_EQ(label.m_format, static_cast<UINT>(DT_CENTER));

  label.SetLinkColor(RGB(1, 1, 1), RGB(2, 2, 2), false);
  EXPECT_TRUE(label.m_linkMode);
  EXPECT_FALSE(label.m_checkedColorMode);
  EXPECT_EQ(label.m_textColor, RGB(1, 1, 1));
  label.SetLinkColors(RGB(3, 3, 3), RGB(4, 4, 4), RGB(5, 5, 5), false);
  EXPECT_TRUE(label.m_checkedColorMode);
  EXPECT_EQ(label.m_textColor, RGB(3, 3, 3));
  EXPECT_EQ(label.m_checkedColor, RGB(5, 5, 5));

  label.m_fontDirty = false;
  label.SetLinkUnderline(0, 1, false);  // the look follows at the next hover, not now
  EXPECT_FALSE(label.m_fontDirty);
  EXPECT_EQ(label.m_underline, 0u);
  EXPECT_EQ(label.m_hoverUnderline, 1u);

  label.SetBkColor(0, true);  // black is the starting colour, yet the opaque look is asked for
  EXPECT_TRUE(label.m_opaqueBk);
  label.SetBkColor(RGB(9, 9, 9), false);
  EXPECT_FALSE(label.m_opaqueBk);
  EXPECT_EQ(label.m_bkColor, RGB(9, 9, 9));
}

class LabelOnForm : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(m_form.Open({0, 0, 400, 200}));
    m_form.AddControl(&m_under);
    m_label.SetRect({20, 20, 220, 50});
    m_label.SetAutoWidth(false, 0);  // an automatic width would follow the text
    m_label.SetText(L"Gravemere", false);
    m_form.AddControl(&m_label);
    m_under.Take();
  }
  CTestForm m_form;
  CPaintCounter m_under{{0, 0, 400, 200}};
  CKXLabel m_label;
};

TEST_F(LabelOnForm, SettersRepaintOnlyForAChange) {
  m_label.SetTextColor(0, true);  // the colour it has
  EXPECT_EQ(m_under.Take(), 0);
  m_label.SetTextColor(RGB(10, 20, 30), true);
  EXPECT_EQ(m_under.Take(), 1);
  m_label.SetTextColor(RGB(40, 50, 60), false);
  EXPECT_EQ(m_under.Take(), 0);
  EXPECT_TRUE(m_label.m_fontDirty);  // the font is made again at the next paint

  m_label.SetBold(false, true);  // already regular
  EXPECT_EQ(m_under.Take(), 0);
  m_label.SetBold(true, true);
  EXPECT_EQ(m_under.Take(), 1);

  m_label.SetBkColor(0, false);  // unchanged
  EXPECT_EQ(m_under.Take(), 0);
  m_label.SetBkColor(RGB(1, 2, 3), true);  // repaints even without a redraw flag
  EXPECT_EQ(m_under.Take(), 1);

  m_label.SetDisabledTextColor(RGB(7, 7, 7));
  EXPECT_EQ(m_under.Take(), 0);
  m_label.SetText(L"Gravemere", true);
  EXPECT_EQ(m_under.Take(), 1);
}

TEST_F(LabelOnForm, AutomaticWidthFollowsTheTextAfterThePaint) {
  m_label.SetAutoWidth(true, 0);
  m_label.SetText(L"Gravemere 游戏", false);
  EXPECT_EQ(m_label.GetRect().right, 20 + 800);  // room until the text is measured
  const int width = m_label.GetTextWidth();
  ASSERT_GT(width, 0);
  ASSERT_LT(width, 800);

  TestCanvas canvas(900, 100);
  ASSERT_TRUE(canvas);
  m_label.OnPaint(canvas.DC());
  EXPECT_EQ(m_label.GetRect().right, 20 + width);

  m_label.SetFontSize(30, 0, false);  // font changes widen as well, but keep the cached width
  EXPECT_EQ(m_label.GetRect().right, 20 + 800);
  EXPECT_EQ(m_label.GetTextWidth(), width);
  m_label.OnPaint(canvas.DC());
  EXPECT_GT(m_label.GetRect().right, 20 + width);  // the larger font is measured at the paint

  // A cap holds the width down; GetTextWidth is capped the same way.
  m_label.SetText(L"Gravemere 游戏", false);
  m_label.SetAutoWidth(true, 25);
  m_label.OnPaint(canvas.DC());
  EXPECT_EQ(m_label.GetRect().right, 20 + 25);
  EXPECT_EQ(m_label.GetTextWidth(), 25);

  // Without automatic width the rectangle stays as it was set.
  CKXLabel fixed;
  fixed.SetAutoWidth(false, 0);
  fixed.SetRect({0, 0, 300, 30});
  fixed.SetText(L"Gravemere", false);
  fixed.OnPaint(canvas.DC());
  EXPECT_EQ(fixed.GetRect().right, 300);
}

TEST(LabelPaint, HiddenDrawsNothingDisabledDrawsInItsColour) {
  TestCanvas canvas(300, 60);
  ASSERT_TRUE(canvas);
  const RECT all{0, 0, 300, 60};
  CKXLabel label;
  label.SetRect({10, 10, 290, 50});
  label.SetFontSize(24, 0, false);
  label.SetText(L"天下 Gravemere", false);

  canvas.Fill(WHITE);
  label.m_visible = false;
  label.OnPaint(canvas.DC());
  EXPECT_EQ(canvas.CountDifferent(all, WHITE), 0);

  // Disabled: 0xAAAAAA ink, blended toward white at the glyphs' edges, nothing darker.
  label.m_visible = true;
  label.m_enabled = false;
  canvas.Fill(WHITE);
  label.OnPaint(canvas.DC());
  int darker = 0;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 300; ++x) {
      const COLORREF p = canvas.Pixel(x, y);
      if (GetRValue(p) < 0xAA || GetGValue(p) < 0xAA || GetBValue(p) < 0xAA) ++darker;
    }
  EXPECT_TRUE(canvas.Contains(0xAAAAAA));
  EXPECT_EQ(darker, 0);

  label.SetDisabledTextColor(RGB(255, 0, 0));
  canvas.Fill(WHITE);
  label.OnPaint(canvas.DC());
  EXPECT_TRUE(canvas.Contains(RGB(255, 0, 0)));

  // Enabled: the text colour.
  label.m_enabled = true;
  label.SetTextColor(RGB(0, 0, 255), false);
  canvas.Fill(WHITE);
  label.OnPaint(canvas.DC());
  EXPECT_TRUE(canvas.Contains(RGB(0, 0, 255)));

  // An empty text draws nothing, even with an opaque background.
  CKXLabel empty;
  empty.SetRect({0, 0, 300, 60});
  empty.SetBkColor(RGB(0, 255, 0), true);
  canvas.Fill(WHITE);
  empty.OnPaint(canvas.DC());
  EXPECT_EQ(canvas.CountDifferent(all, WHITE), 0);
}

TEST(LabelPaint, OneLineCentredOrSeveralLinesBelowEachOther) {
  TestCanvas canvas(200, 200);
  ASSERT_TRUE(canvas);
  const std::wstring text = L"天地玄黄宇宙洪荒日月盈昃辰宿列张寒来暑往秋收冬藏闰余成岁律吕调阳云腾致雨露结为霜";
  CKXLabel label;
  label.SetAutoWidth(false, 0);
  label.SetFontSize(12, 0, false);
  label.SetText(text, false);
  label.PrepareFont();
  TEXTMETRICW tm{};
  {
    HGDIOBJ old = ::SelectObject(canvas.DC(), label.m_font);
    ::GetTextMetricsW(canvas.DC(), &tm);
    ::SelectObject(canvas.DC(), old);
  }
  const int h = tm.tmHeight;
  ASSERT_GT(h, 0);

  // One line: shortened, centred vertically in a box three lines high.
  label.SetRect({0, 0, 150, 3 * h});
  canvas.Fill(WHITE);
  label.OnPaint(canvas.DC());
  const RECT area{0, 0, 200, 200};
  EXPECT_EQ(InkBands(canvas, area, WHITE), 1);
  EXPECT_FALSE(canvas.RowDiffers(h - 1, 0, 200, WHITE));  // the first third stays empty
  EXPECT_FALSE(canvas.RowDiffers(2 * h, 0, 200, WHITE));  // and the last third

  // Several lines: (height + spacing) / (h + spacing) of them, spacing pixels apart.
  label.m_multiLine = true;
  label.SetRect({0, 0, 150, 3 * h + 2 * 10});
  canvas.Fill(WHITE);
  label.OnPaint(canvas.DC());
  EXPECT_EQ(InkBands(canvas, area, WHITE), 3);
  for (int gap : {h + 2, 2 * h + 10 + 2})  // rows inside the spacing carry no ink
    EXPECT_FALSE(canvas.RowDiffers(gap + 5, 0, 200, WHITE)) << gap;

  label.SetRect({0, 0, 150, 3 * h + 2 * 10 - 1});  // a pixel short of the third line
  canvas.Fill(WHITE);
  label.OnPaint(canvas.DC());
  EXPECT_EQ(InkBands(canvas, area, WHITE), 2);
}

TEST_F(LabelOnForm, LinkLookFollowsThePointer) {
  m_label.SetLinkColor(RGB(0, 0, 200), RGB(200, 0, 0), false);
  m_label.SetLinkUnderline(0, 1, false);
  POINT over{30, 30}, away{300, 150};
  m_label.OnMouseMove(0, &over);
  EXPECT_TRUE(m_label.m_linkHovered);
  EXPECT_EQ(m_label.m_textColor, RGB(200, 0, 0));
  EXPECT_EQ(m_label.m_underline, 1u);
  EXPECT_EQ(m_under.Take(), 1);
  m_label.OnMouseMove(0, &over);  // still over it: nothing more
  EXPECT_EQ(m_under.Take(), 0);
  m_label.OnMouseMove(0, &away);
  EXPECT_FALSE(m_label.m_linkHovered);
  EXPECT_EQ(m_label.m_textColor, RGB(0, 0, 200));
  EXPECT_EQ(m_label.m_underline, 0u);
  EXPECT_EQ(m_under.Take(), 1);

  // Same colours, only the underline changes: that must still show.
  m_label.SetLinkColor(RGB(0, 0, 200), RGB(0, 0, 200), false);
  m_label.OnMouseMove(0, &over);
  EXPECT_EQ(m_label.m_underline, 1u);
  EXPECT_EQ(m_under.Take(), 1);

  // Without link mode a move only sets the cursor.
  CKXLabel plain;
  plain.SetRect({20, 20, 220, 50});
  m_form.AddControl(&plain);
  m_under.Take();
  plain.OnMouseMove(0, &over);
  EXPECT_FALSE(plain.m_linkHovered);
  EXPECT_EQ(m_under.Take(), 0);
  m_form.RemoveControl(&plain);
}

}  // namespace
