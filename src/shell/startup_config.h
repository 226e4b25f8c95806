// The startup configuration's free helpers: local time text, the desktop toggle, iconAnimate.
#pragma once

#include <cstdint>
#include <string>

std::wstring FormatLocalTime(const wchar_t* format, int64_t time);
void ShowDesktop();
void LaunchIconAnimate();
