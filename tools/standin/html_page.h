// What the stand-in engine understands of a page: its title, its visible text, its links,
// its frames and a refresh instruction. Everything else of HTML is ignored.
#pragma once

#include <string>
#include <vector>

struct PageLink {
  std::wstring href;    // as written (resolved against the page URL when followed)
  std::wstring target;  // "" (same frame), "_blank", "_self", "_top", "_parent" or a frame name
  std::wstring text;
};

struct PageFrame {
  std::wstring src;
  std::wstring name;
};

struct PageModel {
  std::wstring title;
  bool hasTitle = false;
  std::wstring text;  // visible text, one line per block
  std::vector<PageLink> links;
  std::vector<PageFrame> frames;
  bool hasRefresh = false;
  unsigned refreshDelayMs = 0;
  std::wstring refreshUrl;  // empty: reload the page itself
  std::wstring bodyScroll;  // the body's scroll attribute as written ("" when absent)
};

// The code page a page is written in: the charset of the Content-Type header, else of a
// <meta> in the first bytes, else UTF-8.
unsigned PageCodePage(const std::string& contentType, const std::string& body);
std::wstring DecodePage(const std::string& body, unsigned codePage);

PageModel ParsePage(const std::wstring& html);

// "5", "5;url=http://x/", "0; URL='page.html'" -> delay and URL; false when unreadable.
bool ParseRefresh(const std::wstring& content, unsigned& delayMs, std::wstring& url);
