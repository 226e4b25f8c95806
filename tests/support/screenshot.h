// Saves what the (virtual) screen shows as a PNG, so a person can look at a test's windows.
#pragma once

#include <string>

// Captures the whole screen into `path` (PNG, through GDI+); false when it cannot.
bool SaveScreenshot(const std::wstring& path);
// A path for a screenshot under the build tree's "screenshots" folder (created when missing).
std::wstring ScreenshotPath(const std::wstring& name);
