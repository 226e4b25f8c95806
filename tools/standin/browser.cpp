// The WebBrowser object: navigation with Internet Explorer's event order, frames, refresh
// instructions, new windows, and in-place activation in the host's window.
#include "standin.h"

#include <shellapi.h>
#include <shlwapi.h>
#include <wininet.h>
#include <urlmon.h>

#include <algorithm>
#include <cwctype>
#include <new>

namespace {

constexpr UINT WM_FETCH_DONE = WM_APP + 1;
constexpr int MAX_FRAME_DEPTH = 4;  // pages that frame themselves end here
inline constexpr const wchar_t* MSG_WINDOW_CLASS = L"StandInBrowserMsg";

LONG g_nextId = 0;
UINT NextId() { return static_cast<UINT>(::InterlockedIncrement(&g_nextId)); }

bool StartsWithNoCase(const std::wstring& s, const wchar_t* prefix) {
  size_t n = wcslen(prefix);
  return s.size() >= n && _wcsnicmp(s.c_str(), prefix, n) == 0;
}

// Arguments of Navigate2 arrive as values or by reference.
VARIANT* Deref(VARIANT* v) {
  while (v && v->vt == (VT_BYREF | VT_VARIANT)) v = v->pvarVal;
  return v;
}

std::wstring VariantText(VARIANT* v) {
  v = Deref(v);
  if (!v) return {};
  if (v->vt == VT_BSTR && v->bstrVal) return std::wstring(v->bstrVal, ::SysStringLen(v->bstrVal));
  if (v->vt == (VT_BYREF | VT_BSTR) && v->pbstrVal && *v->pbstrVal)
    return std::wstring(*v->pbstrVal, ::SysStringLen(*v->pbstrVal));
  return {};
}

DWORD VariantLong(VARIANT* v) {
  v = Deref(v);
  if (!v) return 0;
  if (v->vt == VT_I4 || v->vt == VT_UI4 || v->vt == VT_INT || v->vt == VT_UINT) return v->ulVal;
  if (v->vt == VT_I2) return static_cast<DWORD>(v->iVal);
  return 0;
}

// The post data: a byte array (VT_ARRAY|VT_UI1). False when there is none.
bool VariantBytes(VARIANT* v, std::string& bytes) {
  v = Deref(v);
  if (!v || !(v->vt & VT_ARRAY)) return false;
  SAFEARRAY* array = (v->vt & VT_BYREF) ? (v->pparray ? *v->pparray : nullptr) : v->parray;
  if (!array) return false;
  LONG lower = 0, upper = -1;
  ::SafeArrayGetLBound(array, 1, &lower);
  ::SafeArrayGetUBound(array, 1, &upper);
  void* data = nullptr;
  if (FAILED(::SafeArrayAccessData(array, &data))) return false;
  bytes.assign(static_cast<const char*>(data), upper >= lower ? static_cast<size_t>(upper - lower + 1) : 0);
  ::SafeArrayUnaccessData(array);
  return true;
}

HRESULT ReturnBstr(const std::wstring& text, BSTR* p) {
  if (!p) return E_POINTER;
  *p = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return *p || text.empty() ? S_OK : E_OUTOFMEMORY;
}

DWORD WINAPI FetchThread(void* param) {
  auto* job = static_cast<FetchJob*>(param);
  job->result = Fetch(job->request);
  if (!::PostMessageW(job->msgWnd, WM_FETCH_DONE, job->id, reinterpret_cast<LPARAM>(job))) delete job;
  // The thread holds a reference on the module (taken before it started): code stays mapped.
  ::FreeLibraryAndExitThread(g_module, 0);
  return 0;
}

PageModel ErrorPage(const std::wstring& url, LONG status) {
  PageModel page;
  page.hasTitle = true;
  page.title = L"Navigation failed";
  wchar_t line[64];
  swprintf(line, 64, L"status %ld (0x%08lX)", static_cast<long>(status), static_cast<unsigned long>(status));
  page.text = L"The page could not be shown.\n" + url + L"\n" + line + L"\n";
  return page;
}

LRESULT CALLBACK MsgWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* browser = reinterpret_cast<CStandInBrowser*>(::GetWindowLongPtrW(wnd, GWLP_USERDATA));
  switch (msg) {
    case WM_FETCH_DONE: {
      std::unique_ptr<FetchJob> job(reinterpret_cast<FetchJob*>(lParam));
      if (browser) browser->OnFetchDone(job.get());
      return 0;
    }
    case WM_TIMER:
      if (browser) browser->OnRefreshTimer(wParam);
      return 0;
    case WM_DESTROY: {
      MSG pending;
      while (::PeekMessageW(&pending, wnd, WM_FETCH_DONE, WM_FETCH_DONE, PM_REMOVE)) {
        if (pending.message == WM_QUIT) {  // Wine hands out a pending quit whatever the filter
          ::PostQuitMessage(static_cast<int>(pending.wParam));
          break;
        }
        delete reinterpret_cast<FetchJob*>(pending.lParam);
      }
      return 0;
    }
    default:
      return ::DefWindowProcW(wnd, msg, wParam, lParam);
  }
}

}  // namespace

std::wstring ResolveUrl(const std::wstring& base, const std::wstring& relative) {
  if (relative.empty()) return base;
  if (base.empty()) return relative;
  std::vector<wchar_t> out(INTERNET_MAX_URL_LENGTH);
  DWORD size = static_cast<DWORD>(out.size());
  if (FAILED(::UrlCombineW(base.c_str(), relative.c_str(), out.data(), &size, URL_DONT_SIMPLIFY))) return relative;
  return out.data();
}

bool RegisterStandInClasses() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  if (!::GetClassInfoExW(g_module, MSG_WINDOW_CLASS, &wc)) {
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &MsgWindowProc;
    wc.hInstance = g_module;
    wc.lpszClassName = MSG_WINDOW_CLASS;
    if (!::RegisterClassExW(&wc)) return false;
  }
  wc = WNDCLASSEXW{};
  wc.cbSize = sizeof(wc);
  if (!::GetClassInfoExW(g_module, STANDIN_VIEW_CLASS, &wc)) {
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = &StandInViewWindowProc;
    wc.hInstance = g_module;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = STANDIN_VIEW_CLASS;
    if (!::RegisterClassExW(&wc)) return false;
  }
  return true;
}

void UnregisterStandInClasses() {
  ::UnregisterClassW(STANDIN_VIEW_CLASS, g_module);
  ::UnregisterClassW(MSG_WINDOW_CLASS, g_module);
}

// Construction and identity -----------------------------------------------------------------------

CStandInBrowser::CStandInBrowser() {
  ModuleAddRef();
  m_events = std::make_unique<CEventPoint>(this);
  m_msgWnd = ::CreateWindowExW(0, MSG_WINDOW_CLASS, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, g_module, nullptr);
  if (m_msgWnd) ::SetWindowLongPtrW(m_msgWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

CStandInBrowser::CStandInBrowser(CStandInBrowser* top, CStandInBrowser* parent, std::wstring name, int depth)
    : m_top(top), m_parent(parent), m_name(std::move(name)), m_depth(depth) {
  ModuleAddRef();
}

CStandInBrowser::~CStandInBrowser() {
  m_ref = 1 << 30;  // what closing does may add and drop references: never reach zero again
  CloseAll();
  if (m_msgWnd) {
    ::SetWindowLongPtrW(m_msgWnd, GWLP_USERDATA, 0);
    ::DestroyWindow(m_msgWnd);
  }
  ModuleRelease();
}

STDMETHODIMP CStandInBrowser::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IWebBrowser || iid == IID_IWebBrowserApp ||
      iid == IID_IWebBrowser2)
    *out = static_cast<IWebBrowser2*>(this);
  else if (iid == IID_IConnectionPointContainer)
    *out = static_cast<IConnectionPointContainer*>(this);
  else if (!m_top && iid == IID_IOleObject)
    *out = static_cast<IOleObject*>(this);
  else if (!m_top && (iid == IID_IOleWindow || iid == IID_IOleInPlaceObject))
    *out = static_cast<IOleInPlaceObject*>(this);
  else if (!m_top && iid == IID_IOleInPlaceActiveObject)
    *out = static_cast<IOleInPlaceActiveObject*>(this);
  else {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) CStandInBrowser::AddRef() { return static_cast<ULONG>(::InterlockedIncrement(&m_ref)); }

STDMETHODIMP_(ULONG) CStandInBrowser::Release() {
  LONG n = ::InterlockedDecrement(&m_ref);
  if (n == 0) delete this;
  return static_cast<ULONG>(n);
}

ComPtr<IDocHostUIHandler> CStandInBrowser::SiteHandler() const {
  return m_site ? m_site.As<IDocHostUIHandler>(IID_IDocHostUIHandler) : ComPtr<IDocHostUIHandler>();
}

CStandInBrowser* CStandInBrowser::FindFrame(const std::wstring& name) {
  if (!m_document) return nullptr;
  for (auto& frame : m_document->m_frames) {
    if (frame->m_name == name) return frame.Get();
    if (CStandInBrowser* inner = frame->FindFrame(name)) return inner;
  }
  return nullptr;
}

// Navigation ------------------------------------------------------------------------------------

void CStandInBrowser::NavigateAsPage(const std::wstring& url, DWORD flags, const std::wstring& targetFrame,
                                     const std::string* post, const std::wstring& headers) {
  if (Top()->m_closed) return;
  if (!targetFrame.empty() && _wcsicmp(targetFrame.c_str(), L"_self") != 0) {
    if (_wcsicmp(targetFrame.c_str(), L"_blank") == 0) return OpenNewWindow(url, NWMF_FIRST);
    if (_wcsicmp(targetFrame.c_str(), L"_top") == 0) return Top()->NavigateAsPage(url, flags, L"", post, headers);
    if (_wcsicmp(targetFrame.c_str(), L"_parent") == 0)
      return (m_parent ? m_parent : this)->NavigateAsPage(url, flags, L"", post, headers);
    if (CStandInBrowser* frame = Top()->FindFrame(targetFrame))
      return frame->NavigateAsPage(url, flags, L"", post, headers);
    return OpenNewWindow(url, NWMF_FIRST);  // a window of that name does not exist yet
  }

  ComPtr<CStandInBrowser> keep(this);
  if (FireBeforeNavigate2(Disp(), url, flags, m_name, post, headers)) {
    Settle();  // cancelled: nothing is sent, the page stays
    return;
  }
  if (StartsWithNoCase(url, L"javascript:")) {
    Settle();  // no script engine here: the script does nothing
    return;
  }
  StartLoad(url, post, headers, false);
}

void CStandInBrowser::StartLoad(const std::wstring& url, const std::string* post, const std::wstring& headers,
                                bool silent) {
  CStandInBrowser* top = Top();
  AbortPending();
  KillRefreshTimer();
  ++m_generation;

  auto* job = new (std::nothrow) FetchJob();
  if (!job) return;
  job->id = NextId();
  job->msgWnd = top->m_msgWnd;
  job->request.url = url;
  job->request.post = post != nullptr;
  if (post) job->request.body = *post;
  job->request.headers = headers;
  m_pendingJob = job->id;
  m_pendingUrl = url;
  m_pendingSilent = silent;
  top->m_jobs[job->id] = this;

  if (StartsWithNoCase(url, L"about:")) {
    job->synthetic = true;
    job->result.status = 200;
    return PostJob(job);
  }
  if (!StartsWithNoCase(url, L"http://") && !StartsWithNoCase(url, L"https://")) {
    job->synthetic = true;
    job->result.error = INET_E_UNKNOWN_PROTOCOL;
    return PostJob(job);
  }
  HMODULE self = nullptr;
  if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&FetchThread),
                            &self)) {
    job->result.error = INET_E_DOWNLOAD_FAILURE;
    return PostJob(job);
  }
  HANDLE thread = ::CreateThread(nullptr, 0, &FetchThread, job, 0, nullptr);
  if (!thread) {
    ::FreeLibrary(self);
    job->result.error = INET_E_DOWNLOAD_FAILURE;
    return PostJob(job);
  }
  ::CloseHandle(thread);
}

void CStandInBrowser::PostJob(FetchJob* job) {
  if (::PostMessageW(job->msgWnd, WM_FETCH_DONE, job->id, reinterpret_cast<LPARAM>(job))) return;
  Top()->m_jobs.erase(job->id);
  if (m_pendingJob == job->id) m_pendingJob = 0;
  delete job;
}

void CStandInBrowser::AbortPending() {
  if (!m_pendingJob) return;
  Top()->m_jobs.erase(m_pendingJob);
  m_pendingJob = 0;
  // An unfinished navigation replaced by another (or stopped) ends as aborted.
  if (!m_pendingSilent) FireNavigateError(Disp(), m_pendingUrl, m_name, E_ABORT);
}

void CStandInBrowser::OnFetchDone(FetchJob* job) {
  auto it = m_jobs.find(job->id);
  if (it == m_jobs.end()) return;  // aborted or superseded
  ComPtr<CStandInBrowser> target = it->second;
  m_jobs.erase(it);
  target->CompleteLoad(job);
}

void CStandInBrowser::CompleteLoad(FetchJob* job) {
  if (job->id != m_pendingJob) return;
  ComPtr<CStandInBrowser> keep(this);
  m_pendingJob = 0;
  bool silent = m_pendingSilent;
  unsigned generation = m_generation;
  const FetchResult& result = job->result;
  std::wstring url = job->synthetic ? job->request.url : result.finalUrl;

  PageModel page;
  if (result.Failed()) {
    bool cancel = silent || FireNavigateError(Disp(), job->request.url, m_name, result.NavigateErrorStatus());
    if (generation != m_generation) return;  // a handler started another navigation
    if (cancel) {
      Settle();  // the host decides what to show; the old page stays
      return;
    }
    page = ErrorPage(job->request.url, result.NavigateErrorStatus());
    url = job->request.url;
  } else if (!job->synthetic) {
    page = ParsePage(DecodePage(result.body, PageCodePage(result.contentType, result.body)));
  }

  m_locationUrl = url;
  m_loadSilent = silent;
  InstallDocument(url, page);
  if (!silent) {
    FireNavigateComplete2(Disp(), url);
    if (generation != m_generation) return;
  }
  if (!m_top && !StartsWithNoCase(url, L"about:")) {
    // Without a <title> the window is named after the address.
    std::wstring title = page.hasTitle ? page.title : url;
    FireTitleChange(title);
    if (m_popup && m_wnd) ::SetWindowTextW(m_wnd, title.c_str());
    if (generation != m_generation) return;
  }
  InvalidateView();
  LoadFrames();
  if (generation != m_generation || !m_document) return;
  m_document->m_loaded = true;
  if (m_document->m_framesUnsettled == 0) FinishDocument();
}

void CStandInBrowser::InstallDocument(const std::wstring& url, const PageModel& page) {
  ReleaseDocument();
  auto* document = new (std::nothrow) CStandInDocument(this, url, page);
  if (!document) return;
  m_document.Attach(document);
  // Setting a document up, the engine asks the host how it should look.
  m_document->QueryHostFlags();
}

void CStandInBrowser::ReleaseDocument() {
  if (!m_document) return;
  for (auto& frame : m_document->m_frames) frame->DetachFrame();
  m_document->Detach();
  m_document.Reset();
}

void CStandInBrowser::DetachFrame() {
  if (m_pendingJob && m_top) m_top->m_jobs.erase(m_pendingJob);
  m_pendingJob = 0;
  KillRefreshTimer();
  ReleaseDocument();
  m_top = nullptr;
  m_parent = nullptr;
  m_settledForParent = true;
  m_closed = true;
}

void CStandInBrowser::LoadFrames() {
  ComPtr<CStandInDocument> document = m_document;
  if (!document || m_depth >= MAX_FRAME_DEPTH) return;
  const auto& frames = document->Page().frames;
  document->m_framesUnsettled = frames.size();
  for (const auto& frame : frames) {
    auto* browser = new (std::nothrow) CStandInBrowser(Top(), this, frame.name, m_depth + 1);
    if (!browser) {
      --document->m_framesUnsettled;
      continue;
    }
    ComPtr<CStandInBrowser> owned;
    owned.Attach(browser);
    document->m_frames.push_back(owned);
  }
  unsigned generation = m_generation;
  auto created = document->m_frames;
  for (size_t i = 0; i < created.size(); ++i) {
    std::wstring src = ResolveUrl(document->Url(), frames[i].src);
    if (src.empty()) src = L"about:blank";
    if (m_loadSilent)
      created[i]->StartLoad(src, nullptr, L"", true);
    else
      created[i]->NavigateAsPage(src, 0, L"", nullptr, L"");
    if (generation != m_generation || document.Get() != m_document.Get()) return;
  }
}

void CStandInBrowser::Settle() {
  if (!m_parent || m_settledForParent) return;
  m_settledForParent = true;
  m_parent->OnFrameSettled(this);
}

void CStandInBrowser::OnFrameSettled(CStandInBrowser* frame) {
  ComPtr<CStandInDocument> document = m_document;
  if (!document) return;
  auto& frames = document->m_frames;
  if (std::none_of(frames.begin(), frames.end(), [&](const ComPtr<CStandInBrowser>& f) { return f.Get() == frame; }))
    return;
  if (document->m_framesUnsettled > 0) --document->m_framesUnsettled;
  if (document->m_framesUnsettled == 0 && document->m_loaded) FinishDocument();
}

void CStandInBrowser::FinishDocument() {
  if (!m_document || m_document->m_completed) return;
  ComPtr<CStandInBrowser> keep(this);
  m_document->m_completed = true;
  unsigned generation = m_generation;
  // Frames report their own browser object; the top-level document comes last.
  if (!m_loadSilent) FireDocumentComplete(Disp(), m_locationUrl);
  if (generation == m_generation) ScheduleRefresh();
  InvalidateView();
  Settle();
}

void CStandInBrowser::ScheduleRefresh() {
  if (!m_document || !m_document->Page().hasRefresh) return;
  CStandInBrowser* top = Top();
  if (!top->m_msgWnd) return;
  const PageModel& page = m_document->Page();
  m_refreshUrl = page.refreshUrl.empty() ? m_locationUrl : ResolveUrl(m_locationUrl, page.refreshUrl);
  UINT_PTR id = NextId();
  if (!::SetTimer(top->m_msgWnd, id, std::max(page.refreshDelayMs, 1u), nullptr)) return;
  m_refreshTimer = id;
  top->m_timers[id] = {ComPtr<CStandInBrowser>(this), m_generation};
}

void CStandInBrowser::KillRefreshTimer() {
  if (!m_refreshTimer) return;
  CStandInBrowser* top = Top();
  if (top->m_msgWnd) ::KillTimer(top->m_msgWnd, m_refreshTimer);
  top->m_timers.erase(m_refreshTimer);
  m_refreshTimer = 0;
}

void CStandInBrowser::OnRefreshTimer(UINT_PTR id) {
  ::KillTimer(m_msgWnd, id);
  auto it = m_timers.find(id);
  if (it == m_timers.end()) return;
  ComPtr<CStandInBrowser> target = it->second.first;
  unsigned generation = it->second.second;
  m_timers.erase(it);
  if (target->m_refreshTimer != id || target->m_generation != generation) return;
  target->m_refreshTimer = 0;
  // The page navigates itself, as its refresh instruction says.
  target->NavigateAsPage(target->m_refreshUrl, 0, L"", nullptr, L"");
}

void CStandInBrowser::StopAll() {
  ComPtr<CStandInBrowser> keep(this);
  KillRefreshTimer();
  AbortPending();
  if (m_document) {
    auto frames = m_document->m_frames;
    for (auto& frame : frames) frame->StopAll();
  }
}

bool CStandInBrowser::ClickLink(size_t index) {
  if (!m_document || index >= m_document->Page().links.size()) return false;
  PageLink link = m_document->Page().links[index];
  std::wstring url = ResolveUrl(m_document->Url(), link.href);
  if (_wcsicmp(link.target.c_str(), L"_blank") == 0)
    OpenNewWindow(url, NWMF_USERINITED | NWMF_FIRST);
  else
    NavigateAsPage(url, 0, link.target, nullptr, L"");
  return true;
}

void CStandInBrowser::SetTitleAsPage(const std::wstring& title) {
  if (m_document) m_document->SetTitle(title);
  if (m_popup && m_wnd) ::SetWindowTextW(m_wnd, title.c_str());
  InvalidateView();
}

void CStandInBrowser::CloseAll() {
  if (m_closed && !m_document && !m_inPlaceActive) return;
  m_closed = true;
  for (auto& [id, timer] : m_timers)
    if (m_msgWnd) ::KillTimer(m_msgWnd, id);
  auto timers = std::move(m_timers);
  auto jobs = std::move(m_jobs);
  m_pendingJob = 0;
  m_refreshTimer = 0;
  InPlaceDeactivate();
  if (m_wnd) ::DestroyWindow(m_wnd);
  ReleaseDocument();
  m_site.Reset();
}

void CStandInBrowser::InvalidateView() {
  if (HWND wnd = Top()->m_wnd) ::InvalidateRect(wnd, nullptr, FALSE);
}

// IWebBrowser2 ------------------------------------------------------------------------------------

STDMETHODIMP CStandInBrowser::GoBack() { return E_FAIL; }     // no history is kept
STDMETHODIMP CStandInBrowser::GoForward() { return E_FAIL; }  // no history is kept

STDMETHODIMP CStandInBrowser::Navigate(BSTR url, VARIANT* flags, VARIANT* targetFrameName, VARIANT* postData,
                                       VARIANT* headers) {
  VARIANT v;
  ::VariantInit(&v);
  v.vt = VT_BSTR;
  v.bstrVal = url;
  return Navigate2(&v, flags, targetFrameName, postData, headers);
}

STDMETHODIMP CStandInBrowser::Navigate2(VARIANT* url, VARIANT* flags, VARIANT* targetFrameName, VARIANT* postData,
                                        VARIANT* headers) {
  if (Top()->m_closed) return E_FAIL;
  std::wstring target = VariantText(url);
  if (target.empty()) return E_INVALIDARG;
  std::string body;
  bool hasPost = VariantBytes(postData, body);
  NavigateAsPage(target, VariantLong(flags), VariantText(targetFrameName), hasPost ? &body : nullptr,
                 VariantText(headers));
  return S_OK;
}

STDMETHODIMP CStandInBrowser::Refresh() {
  if (m_locationUrl.empty() || StartsWithNoCase(m_locationUrl, L"about:")) return S_OK;
  // A reload fires no navigation events; the page and its frames come again.
  StartLoad(m_locationUrl, nullptr, L"", true);
  return S_OK;
}

STDMETHODIMP CStandInBrowser::Refresh2(VARIANT*) { return Refresh(); }

STDMETHODIMP CStandInBrowser::Stop() {
  StopAll();
  return S_OK;
}

STDMETHODIMP CStandInBrowser::get_Document(IDispatch** p) {
  if (!p) return E_POINTER;
  *p = m_document ? static_cast<IHTMLDocument2*>(m_document.Get()) : nullptr;
  if (*p) (*p)->AddRef();
  return S_OK;
}

STDMETHODIMP CStandInBrowser::get_TopLevelContainer(VARIANT_BOOL* p) {
  if (!p) return E_POINTER;
  *p = m_top ? VARIANT_FALSE : VARIANT_TRUE;
  return S_OK;
}

STDMETHODIMP CStandInBrowser::get_Type(BSTR* p) { return ReturnBstr(m_document ? L"HTML Document" : L"", p); }

STDMETHODIMP CStandInBrowser::get_LocationName(BSTR* p) {
  return ReturnBstr(m_document && !m_document->Title().empty() ? m_document->Title() : m_locationUrl, p);
}

STDMETHODIMP CStandInBrowser::get_LocationURL(BSTR* p) { return ReturnBstr(m_locationUrl, p); }

STDMETHODIMP CStandInBrowser::get_Busy(VARIANT_BOOL* p) {
  if (!p) return E_POINTER;
  bool busy = m_pendingJob != 0 || (m_document && !m_document->m_completed);
  *p = busy ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

STDMETHODIMP CStandInBrowser::get_ReadyState(READYSTATE* p) {
  if (!p) return E_POINTER;
  if (m_pendingJob)
    *p = READYSTATE_LOADING;
  else if (m_document && !m_document->m_completed)
    *p = READYSTATE_INTERACTIVE;
  else
    *p = READYSTATE_COMPLETE;
  return S_OK;
}

STDMETHODIMP CStandInBrowser::get_Silent(VARIANT_BOOL* p) {
  if (!p) return E_POINTER;
  *p = Top()->m_silent ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

STDMETHODIMP CStandInBrowser::put_Silent(VARIANT_BOOL v) {
  Top()->m_silent = v != VARIANT_FALSE;
  return S_OK;
}

STDMETHODIMP CStandInBrowser::get_RegisterAsDropTarget(VARIANT_BOOL* p) {
  if (!p) return E_POINTER;
  *p = Top()->m_dropTarget ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

STDMETHODIMP CStandInBrowser::put_RegisterAsDropTarget(VARIANT_BOOL v) {
  CStandInBrowser* top = Top();
  top->m_dropTarget = v != VARIANT_FALSE;
  if (top->m_wnd) ::DragAcceptFiles(top->m_wnd, top->m_dropTarget);
  return S_OK;
}

// IOleObject --------------------------------------------------------------------------------------

STDMETHODIMP CStandInBrowser::SetClientSite(IOleClientSite* site) {
  if (!site) InPlaceDeactivate();
  m_site = site;
  return S_OK;
}

STDMETHODIMP CStandInBrowser::GetClientSite(IOleClientSite** site) {
  if (!site) return E_POINTER;
  *site = m_site.Get();
  if (*site) (*site)->AddRef();
  return S_OK;
}

STDMETHODIMP CStandInBrowser::SetHostNames(LPCOLESTR, LPCOLESTR) { return S_OK; }

STDMETHODIMP CStandInBrowser::Close(DWORD) {
  ComPtr<CStandInBrowser> keep(this);
  CloseAll();
  return S_OK;
}

STDMETHODIMP CStandInBrowser::SetMoniker(DWORD, IMoniker*) { return E_NOTIMPL; }

STDMETHODIMP CStandInBrowser::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
  if (moniker) *moniker = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP CStandInBrowser::InitFromData(IDataObject*, BOOL, DWORD) { return E_NOTIMPL; }

STDMETHODIMP CStandInBrowser::GetClipboardData(DWORD, IDataObject** data) {
  if (data) *data = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP CStandInBrowser::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent, LPCRECT rect) {
  if (site && !m_site) m_site = site;
  switch (verb) {
    case OLEIVERB_SHOW:
    case OLEIVERB_INPLACEACTIVATE:
      return ActivateInPlace(false, parent, rect);
    case OLEIVERB_PRIMARY:
    case OLEIVERB_UIACTIVATE:
      return ActivateInPlace(true, parent, rect);
    case OLEIVERB_HIDE:
      if (m_wnd) ::ShowWindow(m_wnd, SW_HIDE);
      return S_OK;
    default:
      return OLEOBJ_S_INVALIDVERB;
  }
}

HRESULT CStandInBrowser::ActivateInPlace(bool uiActivate, HWND parent, LPCRECT rect) {
  if (m_closed || m_top) return E_UNEXPECTED;
  if (!m_inPlaceActive) {
    if (!m_site) return E_UNEXPECTED;
    m_inPlaceSite = m_site.As<IOleInPlaceSite>(IID_IOleInPlaceSite);
    if (!m_inPlaceSite) return E_NOINTERFACE;
    if (m_inPlaceSite->CanInPlaceActivate() != S_OK) return E_FAIL;
    m_inPlaceSite->OnInPlaceActivate();
    HWND siteWnd = nullptr;
    if (FAILED(m_inPlaceSite->GetWindow(&siteWnd)) || !siteWnd) siteWnd = parent;
    RECT pos = rect ? *rect : RECT{}, clip = pos;
    OLEINPLACEFRAMEINFO frameInfo{};
    frameInfo.cb = sizeof(frameInfo);
    m_frame.Reset();
    m_uiWindow.Reset();
    m_inPlaceSite->GetWindowContext(m_frame.Put(), m_uiWindow.Put(), &pos, &clip, &frameInfo);
    m_wnd = ::CreateWindowExW(0, STANDIN_VIEW_CLASS, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_TABSTOP,
                              pos.left, pos.top, pos.right - pos.left, pos.bottom - pos.top, siteWnd, nullptr,
                              g_module, this);
    if (!m_wnd) {
      m_inPlaceSite->OnInPlaceDeactivate();
      return E_FAIL;
    }
    ::DragAcceptFiles(m_wnd, m_dropTarget);
    m_inPlaceActive = true;
  }
  if (uiActivate && !m_uiActive) {
    m_uiActive = true;
    m_inPlaceSite->OnUIActivate();
    if (m_frame) m_frame->SetActiveObject(static_cast<IOleInPlaceActiveObject*>(this), L"StandIn");
    if (m_uiWindow) m_uiWindow->SetActiveObject(static_cast<IOleInPlaceActiveObject*>(this), L"StandIn");
    HWND focus = ::GetFocus();
    if (focus != m_wnd && !::IsChild(m_wnd, focus)) ::SetFocus(m_wnd);
  }
  return S_OK;
}

STDMETHODIMP CStandInBrowser::EnumVerbs(IEnumOLEVERB** verbs) {
  if (verbs) *verbs = nullptr;
  return OLE_S_USEREG;
}

STDMETHODIMP CStandInBrowser::Update() { return S_OK; }
STDMETHODIMP CStandInBrowser::IsUpToDate() { return S_OK; }

STDMETHODIMP CStandInBrowser::GetUserClassID(CLSID* clsid) {
  if (!clsid) return E_POINTER;
  *clsid = CLSID_WebBrowser;
  return S_OK;
}

STDMETHODIMP CStandInBrowser::GetUserType(DWORD, LPOLESTR* type) {
  if (type) *type = nullptr;
  return OLE_S_USEREG;
}

STDMETHODIMP CStandInBrowser::SetExtent(DWORD, SIZEL* size) {
  if (!size) return E_POINTER;
  m_extent = *size;
  return S_OK;
}

STDMETHODIMP CStandInBrowser::GetExtent(DWORD, SIZEL* size) {
  if (!size) return E_POINTER;
  *size = m_extent;
  return S_OK;
}

STDMETHODIMP CStandInBrowser::Advise(IAdviseSink*, DWORD* connection) {
  if (connection) *connection = 0;
  return OLE_E_ADVISENOTSUPPORTED;
}

STDMETHODIMP CStandInBrowser::Unadvise(DWORD) { return OLE_E_NOCONNECTION; }

STDMETHODIMP CStandInBrowser::EnumAdvise(IEnumSTATDATA** advise) {
  if (advise) *advise = nullptr;
  return OLE_E_ADVISENOTSUPPORTED;
}

STDMETHODIMP CStandInBrowser::GetMiscStatus(DWORD, DWORD* status) {
  if (!status) return E_POINTER;
  *status = OLEMISC_SETCLIENTSITEFIRST | OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_INSIDEOUT | OLEMISC_CANTLINKINSIDE |
            OLEMISC_RECOMPOSEONRESIZE;
  return S_OK;
}

STDMETHODIMP CStandInBrowser::SetColorScheme(LOGPALETTE*) { return E_NOTIMPL; }

// IOleInPlaceObject, IOleInPlaceActiveObject ------------------------------------------------------

STDMETHODIMP CStandInBrowser::GetWindow(HWND* wnd) {
  if (!wnd) return E_POINTER;
  *wnd = m_wnd;
  return m_wnd ? S_OK : E_FAIL;
}

STDMETHODIMP CStandInBrowser::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

STDMETHODIMP CStandInBrowser::InPlaceDeactivate() {
  if (!m_inPlaceActive) return S_OK;
  ComPtr<CStandInBrowser> keep(this);
  UIDeactivate();
  m_inPlaceActive = false;
  if (m_wnd) ::DestroyWindow(m_wnd);
  m_wnd = nullptr;
  if (m_inPlaceSite) m_inPlaceSite->OnInPlaceDeactivate();
  m_inPlaceSite.Reset();
  m_frame.Reset();
  m_uiWindow.Reset();
  return S_OK;
}

STDMETHODIMP CStandInBrowser::UIDeactivate() {
  if (!m_uiActive) return S_OK;
  m_uiActive = false;
  if (m_frame) m_frame->SetActiveObject(nullptr, nullptr);
  if (m_uiWindow) m_uiWindow->SetActiveObject(nullptr, nullptr);
  if (m_inPlaceSite) m_inPlaceSite->OnUIDeactivate(FALSE);
  return S_OK;
}

STDMETHODIMP CStandInBrowser::SetObjectRects(LPCRECT pos, LPCRECT) {
  if (!pos) return E_POINTER;
  if (m_wnd) ::MoveWindow(m_wnd, pos->left, pos->top, pos->right - pos->left, pos->bottom - pos->top, TRUE);
  return S_OK;
}

STDMETHODIMP CStandInBrowser::ReactivateAndUndo() { return E_NOTIMPL; }

STDMETHODIMP CStandInBrowser::TranslateAcceleratorW(LPMSG msg) {
  if (!msg || msg->message != WM_KEYDOWN) return S_FALSE;
  bool ctrl = ::GetKeyState(VK_CONTROL) < 0;
  switch (msg->wParam) {
    case VK_F5:
      Refresh();
      return S_OK;
    case VK_TAB:  // moves between the page's links
      return S_OK;
    case 'A':
    case 'C':
    case 'V':
    case 'X':
    case 'Z':
      return ctrl ? S_OK : S_FALSE;  // the page's edit commands
    default:
      return S_FALSE;
  }
}

STDMETHODIMP CStandInBrowser::OnFrameWindowActivate(BOOL) { return S_OK; }
STDMETHODIMP CStandInBrowser::OnDocWindowActivate(BOOL) { return S_OK; }
STDMETHODIMP CStandInBrowser::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) { return S_OK; }
STDMETHODIMP CStandInBrowser::EnableModeless(BOOL) { return S_OK; }

// IConnectionPointContainer -------------------------------------------------------------------

STDMETHODIMP CStandInBrowser::EnumConnectionPoints(IEnumConnectionPoints** points) {
  if (points) *points = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP CStandInBrowser::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
  if (!point) return E_POINTER;
  *point = nullptr;
  if (!m_events || iid != DIID_DWebBrowserEvents2) return CONNECT_E_NOCONNECTION;
  *point = m_events.get();
  (*point)->AddRef();
  return S_OK;
}
