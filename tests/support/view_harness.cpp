#include "view_harness.h"

#include <ole2.h>

#include <algorithm>

namespace {

constexpr const wchar_t* HARNESS_CLASS = L"ViewHarnessWindow";

// Hidden: under Wine without a window manager, destroying a shown top-level window waits
// seconds for the manager; the view and its page work the same in a hidden parent.
HWND CreateTopWindow() {
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  if (!::GetClassInfoExW(instance, HARNESS_CLASS, &wc)) {
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = HARNESS_CLASS;
    ::RegisterClassExW(&wc);
  }
  return ::CreateWindowExW(0, HARNESS_CLASS, L"view harness", WS_POPUP, 0, 0, 820, 640,
                           nullptr, nullptr, instance, nullptr);
}

BOOL CALLBACK CollectEngineWindow(HWND wnd, LPARAM out) {
  wchar_t name[64] = {};
  if (::GetClassNameW(wnd, name, 64) && wcscmp(name, L"StandInBrowserView") == 0)
    reinterpret_cast<std::vector<HWND>*>(out)->push_back(wnd);
  return TRUE;
}

}  // namespace

void TestSite::Put(const std::string& path, HttpResponse response) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_pages[path] = std::move(response);
}

void TestSite::PutPage(const std::string& path, const std::string& html) {
  HttpResponse response;
  response.contentType = "text/html; charset=utf-8";
  response.body = html;
  Put(path, response);
}

HttpResponse TestSite::Answer(const HttpRequest& request) const {
  std::string path = request.target.substr(0, request.target.find('?'));
  std::lock_guard<std::mutex> lock(m_mutex);
  auto it = m_pages.find(path);
  if (it != m_pages.end()) return it->second;
  HttpResponse missing;
  missing.status = 404;
  missing.body = "<html><body>not here</body></html>";
  return missing;
}

std::string Html(const std::string& title, const std::string& body) {
  return "<html><head><title>" + title + "</title></head><body>" + body + "</body></html>";
}

void NotificationRecorder::OnWebNotify(UINT code, WPARAM wParam, LPARAM lParam) {
  Notification n{code, wParam, lParam, m_view ? m_view->GetCurrentUrl() : L"", L""};
  if (code == WEBNOTIFY_TITLE_CHANGE && lParam) {
    BSTR text = reinterpret_cast<BSTR>(lParam);
    n.text.assign(text, ::SysStringLen(text));
  }
  m_got.push_back(n);
  if (m_react) m_react(n);
}

size_t NotificationRecorder::Count(UINT code) const {
  return static_cast<size_t>(
      std::count_if(m_got.begin(), m_got.end(), [&](const Notification& n) { return n.code == code; }));
}

std::vector<UINT> NotificationRecorder::Codes() const { return CodesSince(0); }

std::vector<UINT> NotificationRecorder::CodesSince(size_t from) const {
  std::vector<UINT> codes;
  for (size_t i = from; i < m_got.size(); ++i) codes.push_back(m_got[i].code);
  return codes;
}

ViewHarness::ViewHarness() {
  m_server.SetHandler([this](const HttpRequest& request) { return m_site.Answer(request); });
}

ViewHarness::~ViewHarness() {
  for (HWND popup : EngineTopLevelWindows()) ::DestroyWindow(popup);
  if (m_top) ::DestroyWindow(m_top);
  m_viewObject.reset();
  m_view = nullptr;
  PumpPending();
  m_server.Stop();
  if (m_oleStarted) ::OleUninitialize();
}

std::string ViewHarness::Start(bool addHandler) {
  if (FAILED(::OleInitialize(nullptr))) return "OleInitialize failed";
  m_oleStarted = true;
  if (!m_server.Start()) return "the test server did not start";
  m_top = CreateTopWindow();
  if (!m_top) return "no top-level window";
  m_viewObject = std::make_unique<CBrowserView>();
  m_view = m_viewObject.get();
  if (!m_view->CreateBrowser(m_top, RECT{0, 0, 800, 600}, L"about:blank")) return "CreateBrowser failed";
  if (addHandler) m_view->m_notify.AddHandler(&m_recorder, &NotificationRecorder::OnWebNotify);
  m_view->m_blockNewWindows = true;
  m_engine = StandInClient::FindEngineWindow(m_view->m_hWnd);
  if (!m_engine) return "no stand-in engine window: is the engine registered in this prefix?";
  if (!PumpUntil([&] { return m_client.State(m_engine, L"url") == L"about:blank" && m_client.State(m_engine, L"busy") == L"0"; }))
    return "the host's first page never settled";
  return {};
}

std::wstring ViewHarness::Url(const std::string& path) const {
  return m_server.WUrl(std::wstring(path.begin(), path.end()));
}

bool ViewHarness::Load(const std::string& path) {
  size_t before = m_recorder.Count(WEBNOTIFY_DOCUMENT_COMPLETE);
  if (!m_view->Navigate(Url(path), std::string())) return false;
  return WaitFor(WEBNOTIFY_DOCUMENT_COMPLETE, before + 1);
}

bool ViewHarness::WaitFor(UINT code, size_t n) {
  return PumpUntil([&] { return m_recorder.Count(code) >= n; });
}

bool ViewHarness::WaitIdle() {
  return PumpUntil([&] { return m_client.State(m_engine, L"busy") == L"0"; });
}

bool ViewHarness::Requested(const std::string& target) const {
  for (const auto& request : m_server.Requests())
    if (request.target == target) return true;
  return false;
}

std::vector<HWND> EngineTopLevelWindows() {
  std::vector<HWND> found;
  ::EnumThreadWindows(::GetCurrentThreadId(), &CollectEngineWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}
