// Test stand-in for a program the launcher starts (the upgrader). Appends its whole command
// line, exactly as the process received it, and a line feed to the file named by the
// environment variable VOPRAVIK_CMDLINE_LOG, as UTF-8. Exit code 0 when the line was written.
#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  wchar_t logPath[MAX_PATH] = {};
  DWORD n = GetEnvironmentVariableW(L"VOPRAVIK_CMDLINE_LOG", logPath, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return 2;

  const std::wstring line = std::wstring(GetCommandLineW()) + L"\n";
  int bytes = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), nullptr,
                                  0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), utf8.data(), bytes,
                      nullptr, nullptr);

  // Another recorder may be writing: wait for the file a little while.
  HANDLE file = INVALID_HANDLE_VALUE;
  for (int tries = 0; file == INVALID_HANDLE_VALUE && tries < 100; ++tries) {
    file = CreateFileW(logPath, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) Sleep(10);
  }
  if (file == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  BOOL ok = WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == utf8.size() ? 0 : 1;
}
