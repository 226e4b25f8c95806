// The command-line switches: case-sensitive substrings anywhere in the whole command line,
// program path included.
#pragma once

#include <string>

enum class RunMode { SetupSucc, UninstallSucc, ShowDesktop, Normal };

bool CommandLineHas(const wchar_t* commandLine, const wchar_t* switchText);
// The first matching mode in the order /setupsucc, /uninstallsucc, /ShowDeskTop, else Normal.
RunMode ChooseRunMode(const wchar_t* commandLine);

bool IsSetupSucc();
bool IsUninstallSucc();
bool IsShowDeskTop();
