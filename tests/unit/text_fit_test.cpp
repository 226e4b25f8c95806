// Shortening with "..." and breaking into lines, measured with fixed character widths.
#include "skin/text_fit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Every character charWidth pixels wide and "..." ellipsisWidth wide, from x = left.
TextMeasure FixedWidths(int charWidth, int ellipsisWidth, int left = 0) {
  return [=](const std::wstring& text) {
    const size_t dots = text.find(ELLIPSIS);
    if (dots == std::wstring::npos) return left + charWidth * static_cast<int>(text.size());
    return left + charWidth * static_cast<int>(text.size() - 3) + ellipsisWidth;
  };
}

const std::wstring TWENTY = L"ABCDEFGHIJKLMNOPQRST";

TEST(ShortenWithEllipsis, KeepsAsMuchAsFitsBeforeTheSlack) {
  struct Case {
    const char* what;
    std::wstring text;
    int tail, left, right, charWidth;
    std::wstring expect;
  } cases[] = {
      // 7 * 12 + 9 = 93 and 93 + 16 > 100, while 6 * 12 + 9 + 16 = 97 does not pass 100.
      {"label, 12 px", TWENTY, 0, 0, 100, 12, L"ABCDEFG..."},
      {"label, offset box", TWENTY, 0, 300, 400, 12, L"ABCDEFG..."},
      // 5 * 10 + 9 + 3 * 10 = 89, + 16 passes 100; four heads give 79 + 16 = 95.
      {"button keeps three", TWENTY, 3, 0, 100, 10, L"ABCDE...RST"},
      {"tail as long as the text", TWENTY, 20, 0, 100, 10, TWENTY},
      {"tail longer than the text", L"ABC", 9, 0, 10, 10, L"ABC"},
      {"negative tail keeps none", TWENTY, -2, 0, 100, 12, L"ABCDEFG..."},
      {"even the dots overflow", TWENTY, 0, 0, 20, 12, L"..."},
      {"only the tail and dots", TWENTY, 3, 0, 40, 10, L"...RST"},
      // Nothing passes the edge: the last candidate drops only the last character.
      {"nothing stops the search", L"ABCDE", 0, 0, 1000, 12, L"ABCD..."},
      {"nothing stops, with tail", L"ABCDE", 2, 0, 1000, 12, L"AB...DE"},
      {"empty text", L"", 0, 0, 10, 12, L""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ShortenWithEllipsis(c.text, c.tail, c.right, FixedWidths(c.charWidth, 9, c.left)), c.expect)
        << c.what;
}

TEST(LineCapacity, LinesWithSpacingBetweenThem) {
  struct Case {
    int height, lineHeight, spacing, expect;
  } cases[] = {
      {56, 12, 10, 3},  // (56 + 10) / 22
      {54, 12, 10, 2},  // the third line would end 2 px below the box
      {12, 12, 10, 1},
      {11, 12, 10, 0},
      {40, 12, 0, 3},
      {40, 0, 0, 0},    // no room to step from one line to the next
      {-30, 12, 10, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(LineCapacity(c.height, c.lineHeight, c.spacing), c.expect)
        << c.height << " " << c.lineHeight << " " << c.spacing;
}

TEST(BreakIntoLines, LinesEndAtTheFirstCharacterPastTheSlack) {
  using Lines = std::vector<std::wstring>;
  // 12 px characters, right edge 100: a piece passes at 8 characters (96 + 16 > 100), and that
  // eighth character still belongs to the line.
  struct Case {
    const char* what;
    std::wstring text;
    int maxLines, right;
    Lines expect;
  } cases[] = {
      {"three lines, the last fits", TWENTY, 3, 100, {L"ABCDEFGH", L"IJKLMNOP", L"QRST"}},
      {"cut short on the last line", TWENTY, 2, 100, {L"ABCDEFGH", L"IJKLMNO..."}},
      {"one line only", TWENTY, 1, 100, {L"ABCDEFG..."}},
      {"fits on the first", L"ABCD", 3, 100, {L"ABCD"}},
      {"exactly eight", L"ABCDEFGH", 1, 100, {L"ABCDEFG..."}},
      {"no lines permitted", TWENTY, 0, 100, {}},
      {"empty text", L"", 3, 100, {}},
      // A character wider than the room still makes a line of its own, so the search advances.
      {"narrow box", L"ABC", 3, 20, {L"A", L"B", L"..."}},
      {"narrow box, one line", L"ABC", 1, 20, {L"..."}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(BreakIntoLines(c.text, c.maxLines, c.right, FixedWidths(12, 9)), c.expect) << c.what;
}

TEST(MeasureText, EmptyTextTakesNoRoomAndTextGrowsFromTheLeft) {
  HDC dc = ::CreateCompatibleDC(nullptr);
  ASSERT_NE(dc, nullptr);
  const RECT rect{40, 10, 840, 40};
  RECT empty = MeasureText(dc, L"", rect, 0);
  EXPECT_EQ(empty.left, 40);
  EXPECT_EQ(empty.right, 40);
  EXPECT_EQ(empty.bottom, 10);
  RECT one = MeasureText(dc, L"W", rect, 0), two = MeasureText(dc, L"WW", rect, 0);
  EXPECT_EQ(one.left, 40);
  EXPECT_GT(one.right, 40);
  EXPECT_GT(one.bottom, 10);
  EXPECT_EQ(two.right - 40, 2 * (one.right - 40));
  EXPECT_EQ(GdiTextMeasure(dc, rect, 0)(L"WW"), two.right);
  ::DeleteDC(dc);
}

}  // namespace
