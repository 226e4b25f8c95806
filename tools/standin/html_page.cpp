#include "html_page.h"

#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <map>

namespace {

std::wstring Lower(std::wstring s) {
  for (auto& c : s) c = static_cast<wchar_t>(std::towlower(c));
  return s;
}

std::string LowerA(std::string s) {
  for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

unsigned CodePageOfCharset(const std::string& lowerText) {
  size_t at = lowerText.find("charset=");
  if (at == std::string::npos) return 0;
  at += 8;
  while (at < lowerText.size() && (lowerText[at] == '"' || lowerText[at] == '\'' || lowerText[at] == ' ')) ++at;
  std::string name;
  while (at < lowerText.size() && (std::isalnum(static_cast<unsigned char>(lowerText[at])) || lowerText[at] == '-' ||
                                   lowerText[at] == '_'))
    name += lowerText[at++];
  if (name == "utf-8" || name == "utf8") return CP_UTF8;
  if (name == "gbk" || name == "gb2312" || name == "gb18030") return 936;
  if (name == "big5") return 950;
  if (name == "iso-8859-1" || name == "windows-1252" || name == "us-ascii") return 1252;
  return 0;
}

std::wstring DecodeEntities(const std::wstring& s) {
  static const std::map<std::wstring, wchar_t> named = {
      {L"amp", L'&'}, {L"lt", L'<'}, {L"gt", L'>'}, {L"quot", L'"'}, {L"apos", L'\''}, {L"nbsp", L' '},
      {L"copy", 0xA9}, {L"middot", 0xB7}, {L"raquo", 0xBB}, {L"laquo", 0xAB}};
  std::wstring out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != L'&') {
      out += s[i];
      continue;
    }
    size_t semi = s.find(L';', i);
    if (semi == std::wstring::npos || semi - i > 10) {
      out += s[i];
      continue;
    }
    std::wstring name = s.substr(i + 1, semi - i - 1);
    if (!name.empty() && name[0] == L'#') {
      unsigned long code = name.size() > 1 && (name[1] == L'x' || name[1] == L'X')
                               ? std::wcstoul(name.c_str() + 2, nullptr, 16)
                               : std::wcstoul(name.c_str() + 1, nullptr, 10);
      if (code > 0 && code < 0x10000) {
        out += static_cast<wchar_t>(code);
        i = semi;
        continue;
      }
    } else if (auto it = named.find(name); it != named.end()) {
      out += it->second;
      i = semi;
      continue;
    }
    out += s[i];
  }
  return out;
}

// Collapses runs of white space to one space, as a page shows text.
std::wstring Collapse(const std::wstring& s) {
  std::wstring out;
  bool space = false;
  for (wchar_t c : s) {
    if (std::iswspace(c)) {
      space = true;
      continue;
    }
    if (space && !out.empty()) out += L' ';
    space = false;
    out += c;
  }
  return out;
}

struct Tag {
  std::wstring name;  // lower case, without '/'
  bool closing = false;
  std::map<std::wstring, std::wstring> attrs;  // names in lower case, values decoded
};

// Reads the tag that starts at html[pos] == '<'; returns the index after '>'.
size_t ReadTag(const std::wstring& html, size_t pos, Tag& tag) {
  size_t i = pos + 1;
  if (i < html.size() && html[i] == L'/') {
    tag.closing = true;
    ++i;
  }
  size_t start = i;
  while (i < html.size() && !std::iswspace(html[i]) && html[i] != L'>' && html[i] != L'/') ++i;
  tag.name = Lower(html.substr(start, i - start));
  while (i < html.size() && html[i] != L'>') {
    if (std::iswspace(html[i]) || html[i] == L'/') {
      ++i;
      continue;
    }
    size_t nameStart = i;
    while (i < html.size() && !std::iswspace(html[i]) && html[i] != L'=' && html[i] != L'>') ++i;
    std::wstring name = Lower(html.substr(nameStart, i - nameStart));
    while (i < html.size() && std::iswspace(html[i])) ++i;
    std::wstring value;
    if (i < html.size() && html[i] == L'=') {
      ++i;
      while (i < html.size() && std::iswspace(html[i])) ++i;
      if (i < html.size() && (html[i] == L'"' || html[i] == L'\'')) {
        wchar_t quote = html[i++];
        size_t end = html.find(quote, i);
        if (end == std::wstring::npos) end = html.size();
        value = html.substr(i, end - i);
        i = end < html.size() ? end + 1 : end;
      } else {
        size_t valueStart = i;
        while (i < html.size() && !std::iswspace(html[i]) && html[i] != L'>') ++i;
        value = html.substr(valueStart, i - valueStart);
      }
    }
    if (!name.empty()) tag.attrs.emplace(name, DecodeEntities(value));
  }
  return i < html.size() ? i + 1 : i;
}

std::wstring Attr(const Tag& tag, const wchar_t* name) {
  auto it = tag.attrs.find(name);
  return it == tag.attrs.end() ? std::wstring() : it->second;
}

bool IsBlock(const std::wstring& name) {
  static const wchar_t* blocks[] = {L"br", L"p", L"div", L"li", L"tr", L"h1", L"h2", L"h3", L"h4",
                                    L"h5", L"h6", L"ul", L"ol", L"table", L"form", L"hr", L"body"};
  return std::any_of(std::begin(blocks), std::end(blocks), [&](const wchar_t* b) { return name == b; });
}

}  // namespace

unsigned PageCodePage(const std::string& contentType, const std::string& body) {
  if (unsigned cp = CodePageOfCharset(LowerA(contentType))) return cp;
  if (unsigned cp = CodePageOfCharset(LowerA(body.substr(0, 2048)))) return cp;
  return CP_UTF8;
}

std::wstring DecodePage(const std::string& body, unsigned codePage) {
  size_t skip = body.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;  // a UTF-8 byte-order mark
  if (body.size() <= skip) return {};
  int size = static_cast<int>(body.size() - skip);
  int n = ::MultiByteToWideChar(codePage, 0, body.data() + skip, size, nullptr, 0);
  if (n <= 0) return std::wstring(body.begin() + static_cast<ptrdiff_t>(skip), body.end());
  std::wstring out(static_cast<size_t>(n), L'\0');
  ::MultiByteToWideChar(codePage, 0, body.data() + skip, size, out.data(), n);
  return out;
}

bool ParseRefresh(const std::wstring& content, unsigned& delayMs, std::wstring& url) {
  size_t i = 0;
  while (i < content.size() && std::iswspace(content[i])) ++i;
  size_t start = i;
  while (i < content.size() && (std::iswdigit(content[i]) || content[i] == L'.')) ++i;
  if (i == start) return false;
  delayMs = static_cast<unsigned>(std::wcstod(content.substr(start, i - start).c_str(), nullptr) * 1000.0);
  url.clear();
  size_t sep = content.find_first_of(L";,", i);
  if (sep == std::wstring::npos) return true;
  std::wstring rest = content.substr(sep + 1);
  size_t p = 0;
  while (p < rest.size() && std::iswspace(rest[p])) ++p;
  rest = rest.substr(p);
  if (Lower(rest.substr(0, 4)) == L"url=") rest = rest.substr(4);
  while (!rest.empty() && std::iswspace(rest.back())) rest.pop_back();
  if (rest.size() >= 2 && (rest[0] == L'\'' || rest[0] == L'"') && rest.back() == rest[0])
    rest = rest.substr(1, rest.size() - 2);
  url = rest;
  return true;
}

PageModel ParsePage(const std::wstring& html) {
  PageModel page;
  std::wstring text;       // raw visible text with '\n' for blocks
  std::wstring titleText;  // raw text of <title>
  bool inTitle = false;
  int linkIndex = -1;  // the open <a>, if any
  size_t i = 0;
  while (i < html.size()) {
    if (html[i] != L'<') {
      size_t next = html.find(L'<', i);
      if (next == std::wstring::npos) next = html.size();
      std::wstring chunk = html.substr(i, next - i);
      if (inTitle)
        titleText += chunk;
      else if (linkIndex >= 0)
        page.links[static_cast<size_t>(linkIndex)].text += chunk;  // drawn in the list of links
      else
        text += chunk;
      i = next;
      continue;
    }
    if (html.compare(i, 4, L"<!--") == 0) {
      size_t end = html.find(L"-->", i + 4);
      i = end == std::wstring::npos ? html.size() : end + 3;
      continue;
    }
    if (i + 1 < html.size() && html[i + 1] == L'!') {  // <!DOCTYPE ...>
      size_t end = html.find(L'>', i);
      i = end == std::wstring::npos ? html.size() : end + 1;
      continue;
    }
    Tag tag;
    i = ReadTag(html, i, tag);
    if (tag.name == L"script" || tag.name == L"style") {
      if (!tag.closing) {
        size_t end = Lower(html.substr(i)).find(L"</" + tag.name);
        i = end == std::wstring::npos ? html.size() : i + end;
      }
      continue;
    }
    if (tag.name == L"title") {
      inTitle = !tag.closing;
      if (tag.closing) page.hasTitle = true;
      continue;
    }
    if (tag.name == L"a") {
      if (tag.closing) {
        linkIndex = -1;
      } else if (tag.attrs.count(L"href")) {
        page.links.push_back({Attr(tag, L"href"), Attr(tag, L"target"), L""});
        linkIndex = static_cast<int>(page.links.size() - 1);
      }
      continue;
    }
    if ((tag.name == L"iframe" || tag.name == L"frame") && !tag.closing) {
      page.frames.push_back({Attr(tag, L"src"), Attr(tag, L"name")});
      continue;
    }
    if (tag.name == L"meta" && Lower(Attr(tag, L"http-equiv")) == L"refresh") {
      unsigned delay = 0;
      std::wstring url;
      if (!page.hasRefresh && ParseRefresh(Attr(tag, L"content"), delay, url)) {
        page.hasRefresh = true;
        page.refreshDelayMs = delay;
        page.refreshUrl = url;
      }
      continue;
    }
    if (tag.name == L"body" && !tag.closing) page.bodyScroll = Attr(tag, L"scroll");
    if (IsBlock(tag.name)) text += L'\n';
  }
  if (inTitle) page.hasTitle = true;  // an unclosed title still names the page
  page.title = Collapse(DecodeEntities(titleText));
  for (auto& link : page.links) link.text = Collapse(DecodeEntities(link.text));

  // One line per block, blank lines dropped.
  std::wstring decoded = DecodeEntities(text);
  size_t start = 0;
  while (start <= decoded.size()) {
    size_t end = decoded.find(L'\n', start);
    if (end == std::wstring::npos) end = decoded.size();
    std::wstring line = Collapse(decoded.substr(start, end - start));
    if (!line.empty()) page.text += line + L'\n';
    start = end + 1;
  }
  return page;
}
