// Fitting a text into a label or button: shortening with "..." and breaking into lines. The
// searches run over a measuring callback so that they do not depend on a device context; the
// painters measure with DrawTextW and DT_CALCRECT.
#pragma once

#include "platform/win.h"

#include <functional>
#include <string>
#include <vector>

// The right edge of the box DrawTextW would give the text (DT_CALCRECT from the control's left).
using TextMeasure = std::function<int(const std::wstring& text)>;

// A shortened text or line is taken as soon as it reaches this close to the right edge.
constexpr int TEXT_FIT_SLACK = 16;

constexpr const wchar_t* ELLIPSIS = L"...";

// For a text that overflows `right`: the text to draw instead. Candidates are "..." + tail,
// then the first 1, 2, ... characters + "..." + tail, where tail is the last keepTail characters
// (none when keepTail <= 0); the first candidate whose right edge + TEXT_FIT_SLACK passes
// `right` is taken, else the last one. When keepTail reaches the text's length, or the text is
// empty, the text stays whole.
std::wstring ShortenWithEllipsis(const std::wstring& text, int keepTail, int right,
                                 const TextMeasure& measure);

// How many lines of height lineHeight with `spacing` pixels between them a box of `height`
// pixels holds: (height + spacing) / (lineHeight + spacing), never below 0.
int LineCapacity(int height, int lineHeight, int spacing);

// Breaks the text into at most maxLines lines. A line grows one character at a time until its
// right edge + TEXT_FIT_SLACK passes `right` (that character still belongs to it); the rest of
// the text is the next line's. When the last permitted line still overflows, its last character
// gives way to "...". Every line holds at least one character, so the search always advances.
std::vector<std::wstring> BreakIntoLines(const std::wstring& text, int maxLines, int right,
                                         const TextMeasure& measure);

// DrawTextW's DT_CALCRECT box of the text in a copy of `rect`, with the DC's current font.
// An empty text measures as an empty box at the rectangle's top-left corner.
RECT MeasureText(HDC dc, const std::wstring& text, const RECT& rect, UINT format);

// A TextMeasure over a device context (which must outlive it) and a copy of the rectangle.
TextMeasure GdiTextMeasure(HDC dc, const RECT& rect, UINT format);
