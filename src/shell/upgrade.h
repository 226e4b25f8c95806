// The version check and the upgrade: the pure decisions behind them, and how the upgrader is
// started. The steps themselves are members of CGlobalModule (global_module.h), defined in
// upgrade.cpp.
#pragma once

#include <string>

// Whether CLIENT_VERSION lies in the "upgraderange" text: empty means every version; else a
// list of items separated by ",", each one number or "low-high" (both ends included). Items
// that split into other than two parts at "-" ("3000-", "1-2-3") are skipped.
bool IsInUpgradeRange(const std::wstring& range);

// The comparable number of a dotted version text: the integer read from it with every "."
// removed ("3.0.0.6" -> 3006); 0 when it holds none.
int VersionNumber(const std::wstring& version);

// Whether the version file announces an upgrade that this client should be offered: a
// current version above CLIENT_VERSION, newer than the one whose upgrader was last started,
// and a range that includes this client.
bool IsUpgradeDue(const std::wstring& currentVersion, const std::wstring& upgradeRange,
                  const std::wstring& lastUpgradeVersion);

// The upgrade prompt's text for the announced version.
std::wstring UpgradePromptText(const std::wstring& version);

// Starts the downloaded upgrader silently: an elevated launcher starts it directly
// (CreateProcessW, hidden, command line " /S /KXUPGRADE"), any other asks Windows to elevate
// it (ShellExecuteExW "runas", parameters "/S /KXUPGRADE"). True when it has started.
bool StartUpgrader(const std::wstring& path, bool elevated);
