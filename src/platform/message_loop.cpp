#include "platform/message_loop.h"

#include <algorithm>

void CMessageLoop::AddMessageFilter(CMessageFilter* filter) { m_filters.push_back(filter); }

void CMessageLoop::RemoveMessageFilter(CMessageFilter* filter) {
  m_filters.erase(std::remove(m_filters.begin(), m_filters.end(), filter), m_filters.end());
}

bool CMessageLoop::Filtered(MSG* msg) {
  // Last added first, as WTL does.
  for (auto it = m_filters.rbegin(); it != m_filters.rend(); ++it)
    if ((*it)->PreTranslateMessage(msg)) return true;
  return false;
}

int CMessageLoop::Run() {
  MSG msg{};
  for (;;) {
    BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got == -1) continue;  // an invalid window handle; nothing to dispatch
    if (!got) break;          // WM_QUIT
    if (Filtered(&msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

void CAppModule::Init(HINSTANCE instance) {
  m_instance = instance;
  m_mainThreadId = ::GetCurrentThreadId();
}

void CAppModule::Term() { m_loop = nullptr; }

bool CAppModule::AddMessageLoop(CMessageLoop* loop) {
  if (m_loop) return false;
  m_loop = loop;
  return true;
}

void CAppModule::RemoveMessageLoop() { m_loop = nullptr; }
