// Drives the stand-in browser engine through its control channel (tools/standin/README.md):
// commands go as WM_COPYDATA to the engine's window, replies come back to a window of ours.
#pragma once

#include "platform/win.h"

#include <functional>
#include <string>

class StandInClient {
public:
  StandInClient();
  ~StandInClient();
  StandInClient(const StandInClient&) = delete;
  StandInClient& operator=(const StandInClient&) = delete;

  // The engine's window inside `host` (the host itself or a descendant), or null.
  static HWND FindEngineWindow(HWND host);

  // Sends one command; true when the engine carried it out. The reply text goes to `reply`.
  bool Send(HWND engine, const std::wstring& command, std::wstring* reply = nullptr);
  // One value of the engine's "state" report ("" when the key is missing).
  std::wstring State(HWND engine, const std::wstring& key);

private:
  static LRESULT CALLBACK ReplyProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
  HWND m_wnd = nullptr;
  std::wstring m_reply;
};

// Dispatches this thread's messages until `done` returns true or `timeoutMs` pass; returns
// what `done` says at the end. A bound for waiting, not a measurement.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 15000);
// Dispatches the messages that are waiting now.
void PumpPending();
