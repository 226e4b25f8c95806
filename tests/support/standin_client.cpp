#include "standin_client.h"

#include <algorithm>

namespace {
constexpr ULONG_PTR STANDIN_COMMAND = 0x53544E43;  // 'STNC'
constexpr ULONG_PTR STANDIN_REPLY = 0x53544E52;    // 'STNR'
constexpr const wchar_t* REPLY_CLASS = L"StandInClientReply";
constexpr const wchar_t* ENGINE_CLASS = L"StandInBrowserView";

bool IsEngine(HWND wnd) {
  wchar_t name[64] = {};
  return ::GetClassNameW(wnd, name, 64) && wcscmp(name, ENGINE_CLASS) == 0;
}
BOOL CALLBACK FindEngineChild(HWND child, LPARAM out) {
  if (!IsEngine(child)) return TRUE;
  *reinterpret_cast<HWND*>(out) = child;
  return FALSE;
}
}  // namespace

StandInClient::StandInClient() {
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  if (!::GetClassInfoExW(instance, REPLY_CLASS, &wc)) {
    wc.lpfnWndProc = &StandInClient::ReplyProc;
    wc.hInstance = instance;
    wc.lpszClassName = REPLY_CLASS;
    ::RegisterClassExW(&wc);
  }
  m_wnd = ::CreateWindowExW(0, REPLY_CLASS, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
  if (m_wnd) ::SetWindowLongPtrW(m_wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

StandInClient::~StandInClient() {
  if (m_wnd) ::DestroyWindow(m_wnd);
}

LRESULT CALLBACK StandInClient::ReplyProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_COPYDATA) {
    auto* self = reinterpret_cast<StandInClient*>(::GetWindowLongPtrW(wnd, GWLP_USERDATA));
    auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (self && data && data->dwData == STANDIN_REPLY) {
      self->m_reply.assign(static_cast<const wchar_t*>(data->lpData), data->cbData / sizeof(wchar_t));
      while (!self->m_reply.empty() && self->m_reply.back() == L'\0') self->m_reply.pop_back();
      return TRUE;
    }
  }
  return ::DefWindowProcW(wnd, msg, wParam, lParam);
}

HWND StandInClient::FindEngineWindow(HWND host) {
  if (!host) return nullptr;
  if (IsEngine(host)) return host;
  HWND found = nullptr;
  ::EnumChildWindows(host, &FindEngineChild, reinterpret_cast<LPARAM>(&found));
  return found;
}

bool StandInClient::Send(HWND engine, const std::wstring& command, std::wstring* reply) {
  m_reply.clear();
  COPYDATASTRUCT data{STANDIN_COMMAND, static_cast<DWORD>(command.size() * sizeof(wchar_t)),
                      const_cast<wchar_t*>(command.data())};
  LRESULT ok = ::SendMessageW(engine, WM_COPYDATA, reinterpret_cast<WPARAM>(m_wnd), reinterpret_cast<LPARAM>(&data));
  if (reply) *reply = m_reply;
  return ok != 0;
}

std::wstring StandInClient::State(HWND engine, const std::wstring& key) {
  std::wstring state;
  if (!Send(engine, L"state", &state)) return {};
  std::wstring prefix = key + L"=";
  size_t start = 0;
  while (start < state.size()) {
    size_t end = state.find(L'\n', start);
    if (end == std::wstring::npos) end = state.size();
    if (state.compare(start, prefix.size(), prefix) == 0)
      return state.substr(start + prefix.size(), end - start - prefix.size());
    start = end + 1;
  }
  return {};
}

void PumpPending() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
  for (;;) {
    PumpPending();
    if (done()) return true;
    ULONGLONG now = ::GetTickCount64();
    if (now >= deadline) return done();
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 50)),
                                QS_ALLINPUT);
  }
}
