// Starting and watching programs (the launcher, test tools) from a test program under Wine.
#pragma once

#include "platform/handles.h"

#include <atomic>
#include <functional>
#include <thread>
#include <string>
#include <vector>

class ChildProcess {
public:
  // Starts `exe` with `args` (the command line is "\"exe\" args"). False when it cannot start.
  bool Start(const std::wstring& exe, const std::wstring& args = L"");
  // Waits up to timeoutMs; true when the process has ended (exit code then available).
  bool Wait(DWORD timeoutMs);
  DWORD ExitCode() const;
  bool Running() const;
  void Kill();  // ends it if still running
  DWORD Pid() const { return m_pid; }
  HANDLE Handle() const { return m_process.Get(); }
  ~ChildProcess();

private:
  UniqueHandle m_process;
  DWORD m_pid = 0;
};

// Top-level windows of a process with the given class name (any class when empty).
std::vector<HWND> WindowsOf(DWORD pid, const std::wstring& className = L"");

// Polls `done` every 20 ms, pumping this thread's messages, for at most timeoutMs.
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs);

// Pumps this thread's messages for the given time.
void PumpMessages(DWORD ms);

// Finds a message box (dialog class #32770) of the given process with this caption, or null.
HWND FindDialogOf(DWORD pid, const std::wstring& caption);
// Presses a button of a dialog by its id (IDYES, IDNO, IDOK...).
bool PressDialogButton(HWND dialog, int buttonId);
// Text of a dialog's static message control.
std::wstring DialogText(HWND dialog);

// Answers the next message box of a process with this caption from a thread of its own, so a
// test can make its own thread show one (a modal loop) and still have it answered.
class DialogAnswerer {
public:
  DialogAnswerer(DWORD pid, std::wstring caption, int buttonId, DWORD timeoutMs = 15000);
  ~DialogAnswerer();
  DialogAnswerer(const DialogAnswerer&) = delete;
  DialogAnswerer& operator=(const DialogAnswerer&) = delete;
  // Waits for the answer; true when a box was found and answered. Its text goes to `text`.
  bool Answered(std::wstring* text = nullptr);

private:
  std::thread m_thread;
  std::atomic<bool> m_answered{false};
  std::wstring m_text;
};
