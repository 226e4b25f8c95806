#include "shell/cmdline.h"

#include "platform/win.h"

#include <cwchar>

bool CommandLineHas(const wchar_t* commandLine, const wchar_t* switchText) {
  return commandLine && switchText && std::wcsstr(commandLine, switchText) != nullptr;
}

RunMode ChooseRunMode(const wchar_t* commandLine) {
  if (CommandLineHas(commandLine, L"/setupsucc")) return RunMode::SetupSucc;
  if (CommandLineHas(commandLine, L"/uninstallsucc")) return RunMode::UninstallSucc;
  if (CommandLineHas(commandLine, L"/ShowDeskTop")) return RunMode::ShowDesktop;
  return RunMode::Normal;
}

bool IsSetupSucc() { return CommandLineHas(::GetCommandLineW(), L"/setupsucc"); }
bool IsUninstallSucc() { return CommandLineHas(::GetCommandLineW(), L"/uninstallsucc"); }
bool IsShowDeskTop() { return CommandLineHas(::GetCommandLineW(), L"/ShowDeskTop"); }
