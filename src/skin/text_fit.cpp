#include "skin/text_fit.h"

std::wstring ShortenWithEllipsis(const std::wstring& text, int keepTail, int right,
                                 const TextMeasure& measure) {
  const size_t length = text.size();
  const size_t tailLength = keepTail > 0 ? static_cast<size_t>(keepTail) : 0;
  if (length == 0 || tailLength >= length) return text;
  const std::wstring tail = text.substr(length - tailLength);
  std::wstring candidate;
  for (size_t head = 0; tailLength + head < length; ++head) {
    candidate = text.substr(0, head) + ELLIPSIS + tail;
    if (measure(candidate) + TEXT_FIT_SLACK > right) break;
  }
  return candidate;
}

int LineCapacity(int height, int lineHeight, int spacing) {
  const int pitch = lineHeight + spacing;
  if (pitch <= 0) return 0;  // no line can be placed below another
  const int lines = (height + spacing) / pitch;
  return lines > 0 ? lines : 0;
}

std::vector<std::wstring> BreakIntoLines(const std::wstring& text, int maxLines, int right,
                                         const TextMeasure& measure) {
  std::vector<std::wstring> lines;
  size_t start = 0;
  while (maxLines > 0 && start < text.size()) {
    size_t end = start;  // one past the line's last character
    bool overflow = false;
    while (end < text.size()) {
      ++end;
      if (measure(text.substr(start, end - start)) + TEXT_FIT_SLACK > right) {
        overflow = true;
        break;
      }
    }
    std::wstring line = text.substr(start, end - start);
    if (overflow && maxLines == 1) line = line.substr(0, line.size() - 1) + ELLIPSIS;
    lines.push_back(std::move(line));
    if (!overflow) break;  // the whole remainder fitted
    start = end;
    --maxLines;
  }
  return lines;
}

RECT MeasureText(HDC dc, const std::wstring& text, const RECT& rect, UINT format) {
  RECT box = rect;
  if (text.empty()) {
    // DrawTextW leaves the box as it was for an empty text; it takes no room.
    box.right = box.left;
    box.bottom = box.top;
    return box;
  }
  ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, format | DT_CALCRECT);
  return box;
}

TextMeasure GdiTextMeasure(HDC dc, const RECT& rect, UINT format) {
  return [dc, rect, format](const std::wstring& text) { return MeasureText(dc, text, rect, format).right; };
}
