// The startup configuration: the portal URL with its start query, the run counter, and the
// two actions of the command-line modes (show the desktop, start iconAnimate.exe).
#pragma once

#include <cstdint>
#include <string>

// The time value converted to local time and formatted with wcsftime (at most 127
// characters). Empty when the format is null, the time cannot be converted or the result does
// not fit.
std::wstring FormatLocalTime(const wchar_t* format, int64_t time);

// Toggles the shell's show-desktop state.
void ShowDesktop();

// Starts iconAnimate.exe from the data folder, without arguments, when it is there.
void LaunchIconAnimate();

// The default URLs on the build's hosts.
std::wstring PortalPageUrl();       // the login page, without its query
std::wstring DefaultVersionIniUrl();
std::wstring DefaultUpgradeUrl();

// The install date the portal expects: the first 10 characters of the install time with every
// "-" removed ("2024-05-06 07:08:09" gives "20240506").
std::wstring InstallDateFromTime(const std::wstring& installTime);

// The next run number after the stored one. A stored count below 0 counts as 0, and the
// largest count stays where it is, so a counted run always has a number of at least 1.
int32_t NextRunCount(int32_t stored);

// The portal page URL with its start query. The values go in as they are, unescaped: the
// portal reads them that way. A first counted run (runCount 1) adds "&regtimes=1".
std::wstring BuildPortalUrl(const std::wstring& pageUrl, const std::wstring& refer,
                            const std::wstring& frm, int version, const std::wstring& installDate,
                            int32_t runCount, const std::wstring& currentTime);

// The portal's payment redirect for a server and a user; the role stays empty.
std::wstring BuildPayUrl(const std::wstring& serverId, const std::wstring& userName);
