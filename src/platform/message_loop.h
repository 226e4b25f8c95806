// Our small stand-in for WTL's message filter, message loop and application module.
#pragma once

#include "platform/win.h"

#include <vector>

class CMessageFilter {
public:
  // Nonzero swallows the message: it is neither translated nor dispatched.
  virtual BOOL PreTranslateMessage(MSG* msg) = 0;
  virtual ~CMessageFilter() = default;
};

class CMessageLoop {
public:
  void AddMessageFilter(CMessageFilter* filter);
  void RemoveMessageFilter(CMessageFilter* filter);
  // GetMessageW -> filters -> TranslateMessage/DispatchMessageW until WM_QUIT;
  // returns the wParam of WM_QUIT.
  int Run();

private:
  bool Filtered(MSG* msg);
  std::vector<CMessageFilter*> m_filters;
};

// Records the main thread and the loop that runs on it.
class CAppModule {
public:
  void Init(HINSTANCE instance);
  void Term();
  bool AddMessageLoop(CMessageLoop* loop);
  void RemoveMessageLoop();
  CMessageLoop* GetMessageLoop() const { return m_loop; }
  DWORD MainThreadId() const { return m_mainThreadId; }
  HINSTANCE Instance() const { return m_instance; }

private:
  HINSTANCE m_instance = nullptr;
  DWORD m_mainThreadId = 0;
  CMessageLoop* m_loop = nullptr;
};
