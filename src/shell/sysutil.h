// Small system functions: cleaning the browser's URL cache, the temporary folder, the ANSI
// conversion, query parameters, splitting text, and whether the process runs elevated.
#pragma once

#include <string>
#include <vector>

// Deletes every entry of the WinINet URL cache except cookies and history. Can take long on a
// large cache: run it on a thread of its own.
void ClearUrlCache();

// False for cookie ("Cookie") and history ("Visited") entries, true for the rest
// (case-sensitive, anywhere in the entry's source URL).
bool ShouldDeleteCacheEntry(const std::wstring& sourceUrl);

// The user's temporary folder (GetTempPathW, ends in a backslash), cached after the first
// success; empty while it cannot be had.
std::wstring GetTempFolder();

// Converts the text to the ANSI code page into `out`. False, with `out` untouched, for null.
bool ToNarrow(const wchar_t* text, std::string& out);

// The value of the first "name=" anywhere in the URL (not anchored to "?" or "&", so
// "xwd_server=" matches "wd_server"), up to the next "&" or the end; not decoded. Empty when
// the parameter is absent.
std::wstring GetUrlParam(const std::wstring& name, const std::wstring& url);

// Appends to `out` the pieces of the text between delimiters. Empty pieces between two
// delimiters are kept; a trailing delimiter adds nothing. `out` is not cleared first.
void SplitString(wchar_t delimiter, const std::wstring& text, std::vector<std::wstring>& out);

// Whether the process token is elevated; false when that cannot be told.
bool IsProcessElevated();
