// Where the test programs find the build's outputs under Wine.
#pragma once

#include <string>

// Absolute Windows path of a file in the 64-bit build tree ("VoPravik.exe", "tools/x/y.exe").
std::wstring BuildPath(const std::wstring& relative);
// Absolute Windows path of a file in the source tree.
std::wstring SourcePath(const std::wstring& relative);
