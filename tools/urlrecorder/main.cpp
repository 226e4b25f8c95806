// Test stand-in for a web browser. Appends one line with its arguments (the command line
// after the program's own path, as given) to the file named by the environment variable
// VOPRAVIK_URL_LOG, or to %TEMP%\urlrecorder.log. The file is UTF-16 without a byte-order mark,
// one record per line, so a test can compare whole records.
#include <windows.h>

#include <string>

namespace {

// The command line without the program path (quoted, or up to the first white space).
std::wstring Arguments(const wchar_t* commandLine) {
  const wchar_t* p = commandLine;
  if (*p == L'"') {
    ++p;
    while (*p && *p != L'"') ++p;
    if (*p == L'"') ++p;
  } else {
    while (*p && *p != L' ' && *p != L'\t') ++p;
  }
  while (*p == L' ' || *p == L'\t') ++p;
  return p;
}

std::wstring LogPath() {
  wchar_t buffer[MAX_PATH] = {};
  DWORD length = GetEnvironmentVariableW(L"VOPRAVIK_URL_LOG", buffer, MAX_PATH);
  if (length > 0 && length < MAX_PATH) return buffer;
  length = GetTempPathW(MAX_PATH, buffer);
  if (length == 0 || length >= MAX_PATH) return L"urlrecorder.log";
  return std::wstring(buffer) + L"urlrecorder.log";
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const std::wstring record = Arguments(GetCommandLineW()) + L"\n";
  const std::wstring path = LogPath();
  // Several recorders may start at once: retry while another one holds the file.
  for (int attempt = 0; attempt < 50; ++attempt) {
    HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      Sleep(20);
      continue;
    }
    DWORD written = 0;
    const BOOL ok = WriteFile(file, record.data(),
                              static_cast<DWORD>(record.size() * sizeof(wchar_t)), &written,
                              nullptr);
    CloseHandle(file);
    return ok ? 0 : 1;
  }
  return 1;
}
