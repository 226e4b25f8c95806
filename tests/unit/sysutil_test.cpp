// The system utilities against Wine's real WinINet cache, token and code pages.
#include "shell/sysutil.h"

#include "platform/handles.h"
#include "platform/win.h"

#include <gtest/gtest.h>
#include <wininet.h>

#include <string>
#include <vector>

namespace {

TEST(ShouldDeleteCacheEntry, KeepsCookiesAndHistoryOnly) {
  struct Case {
    const wchar_t* url;
    bool deleted;
  } cases[] = {
      {L"Cookie:user@example.com/", false},
      {L"Visited: user@http://example.com/page", false},
      {L"http://example.com/Cookie/page.html", false},  // anywhere in the text
      {L"http://example.com/?Visited=1", false},
      {L"http://example.com/cookie", true},  // case-sensitive
      {L"visited: user@http://example.com/", true},
      {L"http://example.com/index.html", true},
      {L"", true},
  };
  for (const Case& c : cases) EXPECT_EQ(ShouldDeleteCacheEntry(c.url), c.deleted) << c.url;
}

TEST(GetUrlParam, TakesTheFirstNameFollowedByEquals) {
  struct Case {
    const wchar_t* name;
    const wchar_t* url;
    const wchar_t* value;
  } cases[] = {
      {L"wd_server", L"http://h/p?wd_username=ann&wd_server=12", L"12"},
      {L"wd_server", L"http://h/p?wd_server=12&wd_entergame=1", L"12"},
      {L"wd_server", L"http://h/p?wd_username=ann", L""},
      {L"wd_server", L"http://h/p?wd_server=&x=1", L""},
      {L"wd_server", L"http://h/p?wd_server=1&wd_server=2", L"1"},
      {L"wd_server", L"http://h/p?xwd_server=7", L"7"},  // not anchored to "?" or "&"
      {L"wd_server", L"http://h/wd_server=9/p", L"9/p"},
      {L"wd_server", L"http://h/p?wd_server", L""},      // no "="
      {L"wd_server", L"http://h/p?WD_SERVER=3", L""},    // case-sensitive
      {L"wd_username", L"http://h/p?wd_username=a%20b+c&z", L"a%20b+c"},  // not decoded
      {L"wd_username", L"http://h/p?wd_username=玩家", L"玩家"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(GetUrlParam(c.name, c.url), c.value) << c.name << " in " << c.url;
}

TEST(SplitString, KeepsInnerEmptyPiecesAndDropsATrailingOne) {
  using Pieces = std::vector<std::wstring>;
  struct Case {
    wchar_t delimiter;
    const wchar_t* text;
    Pieces pieces;
  } cases[] = {
      {L',', L"a,,b,", {L"a", L"", L"b"}},
      {L',', L"2000-2999,3001", {L"2000-2999", L"3001"}},
      {L'-', L"2990-3010", {L"2990", L"3010"}},
      {L'-', L"3000-", {L"3000"}},
      {L',', L"", {}},
      {L',', L",", {L""}},
      {L',', L",a", {L"", L"a"}},
      {L',', L"abc", {L"abc"}},
      {L',', L",,", {L"", L""}},
  };
  for (const Case& c : cases) {
    Pieces out;
    SplitString(c.delimiter, c.text, out);
    EXPECT_EQ(out, c.pieces) << c.text;
  }
  // The list is appended to, not cleared.
  Pieces out = {L"kept"};
  SplitString(L',', L"x,y", out);
  EXPECT_EQ(out, (Pieces{L"kept", L"x", L"y"}));
}

TEST(ToNarrow, ConvertsToTheAnsiCodePage) {
  std::string out = "untouched";
  EXPECT_FALSE(ToNarrow(nullptr, out));
  EXPECT_EQ(out, "untouched");

  EXPECT_TRUE(ToNarrow(L"GenuineIntel 123", out));
  EXPECT_EQ(out, "GenuineIntel 123");
  EXPECT_EQ(out.size(), 16u) << "no terminator inside the string";
  EXPECT_TRUE(ToNarrow(L"", out));
  EXPECT_EQ(out, "");

  // Characters the code page lacks become its default character, never a look-alike.
  if (GetACP() == 1252) {
    EXPECT_TRUE(ToNarrow(L"\u0101b\u00e9", out));  // a-macron, b, e-acute
    EXPECT_EQ(out, "?b\xe9");
  }
}

TEST(GetTempFolder, IsTheUsersTemporaryFolder) {
  wchar_t expected[MAX_PATH + 1] = {};
  ASSERT_GT(GetTempPathW(MAX_PATH + 1, expected), 0u);
  const std::wstring folder = GetTempFolder();
  EXPECT_EQ(folder, expected);
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), L'\\');
  EXPECT_EQ(GetTempFolder(), folder);
}

TEST(IsProcessElevated, AgreesWithTheTokensElevationType) {
  UniqueHandle token;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Put()));
  TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
  DWORD size = 0;
  ASSERT_TRUE(GetTokenInformation(token.Get(), TokenElevationType, &type, sizeof(type), &size));
  if (type == TokenElevationTypeFull) {
    EXPECT_TRUE(IsProcessElevated());
  } else if (type == TokenElevationTypeLimited) {
    EXPECT_FALSE(IsProcessElevated());
  }
}

// --- The URL cache ---------------------------------------------------------------------------

constexpr const wchar_t* SITE = L"http://127.0.0.1:18099/";

std::wstring At(const std::wstring& path) { return SITE + path; }

// Adds an entry to the cache: a real file for content entries, none for history entries.
bool AddCacheEntry(const std::wstring& url, const std::wstring& headers, bool withFile) {
  wchar_t file[MAX_PATH] = {};
  if (withFile) {
    if (!CreateUrlCacheEntryW(url.c_str(), 0, L"html", file, 0)) return false;
    UniqueFile out(CreateFileW(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!out || !WriteFile(out.Get(), "<html></html>", 13, &written, nullptr)) return false;
  }
  FILETIME zero = {};
  return CommitUrlCacheEntryW(url.c_str(), withFile ? file : nullptr, zero, zero,
                              withFile ? NORMAL_CACHE_ENTRY : URLHISTORY_CACHE_ENTRY,
                              headers.empty() ? nullptr : const_cast<wchar_t*>(headers.c_str()),
                              static_cast<DWORD>(headers.size()), nullptr, nullptr) != FALSE;
}

bool InCache(const std::wstring& url) {
  DWORD size = 0;
  if (GetUrlCacheEntryInfoW(url.c_str(), nullptr, &size)) return true;
  return GetLastError() == ERROR_INSUFFICIENT_BUFFER;
}

TEST(ClearUrlCache, DeletesAllButCookiesAndHistory) {
  // A header block long enough that the entry cannot fit a 4096-byte buffer.
  std::wstring bigHeaders = L"HTTP/1.1 200 OK\r\n";
  while (bigHeaders.size() < 5000) bigHeaders += L"X-Padding: 0123456789abcdef0123456789\r\n";
  bigHeaders += L"\r\n";

  const std::vector<std::wstring> doomed = {
      At(L"index.html"), At(L"img/a.png"), At(L"img/b.png"), At(L"cookie.js"),
      At(L"pages/visited.html"), At(L"big.html"), At(L"after/one.css"), At(L"after/two.css")};
  for (const std::wstring& url : doomed)
    ASSERT_TRUE(AddCacheEntry(url, url == At(L"big.html") ? bigHeaders : L"", true)) << url;
  const std::wstring keptContent = At(L"Cookie/keep.html");
  ASSERT_TRUE(AddCacheEntry(keptContent, L"", true));
  const std::wstring history = std::wstring(L"Visited: user@") + At(L"history.html");
  ASSERT_TRUE(AddCacheEntry(history, L"", false));
  ASSERT_TRUE(InternetSetCookieW(SITE, L"vpclean", L"1; expires=Sat, 01-Jan-2039 00:00:00 GMT"));

  // The fixture really has an entry that a 4096-byte buffer cannot hold.
  std::vector<DWORD> small(4096 / sizeof(DWORD));
  DWORD size = 4096;
  ASSERT_FALSE(GetUrlCacheEntryInfoW(At(L"big.html").c_str(),
                                     reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(small.data()),
                                     &size));
  ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  ASSERT_GT(size, 4096u);

  ClearUrlCache();

  for (const std::wstring& url : doomed) EXPECT_FALSE(InCache(url)) << url;
  EXPECT_TRUE(InCache(keptContent));
  EXPECT_TRUE(InCache(history));
  wchar_t cookie[256] = {};
  DWORD cookieSize = 256;
  ASSERT_TRUE(InternetGetCookieW(SITE, nullptr, cookie, &cookieSize));
  EXPECT_NE(std::wstring(cookie).find(L"vpclean=1"), std::wstring::npos) << cookie;

  // A cache with nothing left to delete: the cleaning ends and keeps what it must.
  ClearUrlCache();
  EXPECT_TRUE(InCache(keptContent));
  EXPECT_TRUE(InCache(history));
}

}  // namespace
