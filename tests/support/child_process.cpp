#include "child_process.h"

ChildProcess::~ChildProcess() { Kill(); }

bool ChildProcess::Start(const std::wstring& exe, const std::wstring& args) {
  std::wstring commandLine = L"\"" + exe + L"\"";
  if (!args.empty()) commandLine += L" " + args;
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &si, &pi))
    return false;
  ::CloseHandle(pi.hThread);
  m_process.Reset(pi.hProcess);
  m_pid = pi.dwProcessId;
  return true;
}

bool ChildProcess::Wait(DWORD timeoutMs) {
  return m_process && ::WaitForSingleObject(m_process.Get(), timeoutMs) == WAIT_OBJECT_0;
}

DWORD ChildProcess::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  if (m_process) ::GetExitCodeProcess(m_process.Get(), &code);
  return code;
}

bool ChildProcess::Running() const {
  return m_process && ::WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT;
}

void ChildProcess::Kill() {
  if (Running()) {
    ::TerminateProcess(m_process.Get(), 99);
    ::WaitForSingleObject(m_process.Get(), 5000);
  }
}

namespace {
struct EnumState {
  DWORD pid;
  const std::wstring* className;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND wnd, LPARAM param) {
  auto* state = reinterpret_cast<EnumState*>(param);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(wnd, &pid);
  if (pid != state->pid) return TRUE;
  if (!state->className->empty()) {
    wchar_t cls[256] = {};
    ::GetClassNameW(wnd, cls, 256);
    if (*state->className != cls) return TRUE;
  }
  state->found.push_back(wnd);
  return TRUE;
}
}  // namespace

std::vector<HWND> WindowsOf(DWORD pid, const std::wstring& className) {
  EnumState state{pid, &className, {}};
  ::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&state));
  return state.found;
}

void PumpMessages(DWORD ms) {
  const ULONGLONG end = ::GetTickCount64() + ms;
  do {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    if (::GetTickCount64() >= end) break;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  } while (::GetTickCount64() < end);
}

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  const ULONGLONG end = ::GetTickCount64() + timeoutMs;
  for (;;) {
    if (done()) return true;
    if (::GetTickCount64() >= end) return false;
    PumpMessages(20);
  }
}

HWND FindDialogOf(DWORD pid, const std::wstring& caption) {
  for (HWND wnd : WindowsOf(pid, L"#32770")) {
    wchar_t text[256] = {};
    ::GetWindowTextW(wnd, text, 256);
    if (caption == text && ::IsWindowVisible(wnd)) return wnd;
  }
  return nullptr;
}

bool PressDialogButton(HWND dialog, int buttonId) {
  HWND button = ::GetDlgItem(dialog, buttonId);
  if (!button) return false;
  // As a click would: the dialog gets BN_CLICKED from the button.
  return ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                        reinterpret_cast<LPARAM>(button)) != 0;
}

std::wstring DialogText(HWND dialog) {
  HWND label = ::GetDlgItem(dialog, 0xFFFF);  // the message text of a message box
  wchar_t text[1024] = {};
  if (label) ::GetWindowTextW(label, text, 1024);
  return text;
}

DialogAnswerer::DialogAnswerer(DWORD pid, std::wstring caption, int buttonId, DWORD timeoutMs) {
  m_thread = std::thread([this, pid, caption = std::move(caption), buttonId, timeoutMs] {
    const ULONGLONG end = ::GetTickCount64() + timeoutMs;
    while (::GetTickCount64() < end) {
      if (HWND dialog = FindDialogOf(pid, caption)) {
        m_text = DialogText(dialog);
        m_answered = PressDialogButton(dialog, buttonId);
        return;
      }
      ::Sleep(50);
    }
  });
}

DialogAnswerer::~DialogAnswerer() {
  if (m_thread.joinable()) m_thread.join();
}

bool DialogAnswerer::Answered(std::wstring* text) {
  if (m_thread.joinable()) m_thread.join();
  if (text) *text = m_text;
  return m_answered;
}
