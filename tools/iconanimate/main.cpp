// Test stand-in for iconAnimate.exe: writes its own command line (UTF-16) to
// "iconAnimate.marker" in the folder it runs from, so a test can see that it was started and
// with which arguments.
#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  wchar_t self[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return 1;
  std::wstring marker = self;
  marker.resize(marker.find_last_of(L'\\') + 1);
  marker += L"iconAnimate.marker";

  const wchar_t* commandLine = GetCommandLineW();
  HANDLE file = CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  const BOOL ok = WriteFile(file, commandLine,
                            static_cast<DWORD>(lstrlenW(commandLine) * sizeof(wchar_t)), &written,
                            nullptr);
  CloseHandle(file);
  return ok ? 0 : 1;
}
