#include "browser/browser_view.h"

#include <mshtml.h>
#include <oleauto.h>

#include <cstring>

namespace {

// Navigations the view neither records nor reports: script URLs and the blank page.
bool IsIgnoredUrl(const std::wstring& url) {
  return url.rfind(L"javascript", 0) == 0 || url.rfind(L"about:blank", 0) == 0;
}

std::wstring UrlText(const VARIANT* url) {
  if (url && url->vt == VT_BSTR && url->bstrVal) return std::wstring(url->bstrVal, ::SysStringLen(url->bstrVal));
  return {};
}

void SetCancel(VARIANT_BOOL* cancel, bool value) {
  if (cancel) *cancel = value ? VARIANT_TRUE : VARIANT_FALSE;
}

// A VARIANT that owns what it holds.
struct ScopedVariant {
  ScopedVariant() { ::VariantInit(&v); }
  ~ScopedVariant() { ::VariantClear(&v); }
  ScopedVariant(const ScopedVariant&) = delete;
  ScopedVariant& operator=(const ScopedVariant&) = delete;
  VARIANT v;
};

bool SetBstr(ScopedVariant& var, const wchar_t* text, UINT length) {
  var.v.bstrVal = ::SysAllocStringLen(text, length);
  if (!var.v.bstrVal) return false;
  var.v.vt = VT_BSTR;
  return true;
}

// The form post body as a one-dimensional byte array with lower bound 0.
bool SetBytes(ScopedVariant& var, const std::string& bytes) {
  SAFEARRAY* array = ::SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
  if (!array) return false;
  void* data = nullptr;
  if (FAILED(::SafeArrayAccessData(array, &data))) {
    ::SafeArrayDestroy(array);
    return false;
  }
  std::memcpy(data, bytes.data(), bytes.size());
  ::SafeArrayUnaccessData(array);
  var.v.vt = VT_ARRAY | VT_UI1;
  var.v.parray = array;
  return true;
}

// The bytes of dimension 1 of a byte array.
std::string CopyBytes(SAFEARRAY* array) {
  LONG lower = 0, upper = -1;
  if (!array || FAILED(::SafeArrayGetLBound(array, 1, &lower)) || FAILED(::SafeArrayGetUBound(array, 1, &upper)) ||
      upper < lower)
    return {};
  void* data = nullptr;
  if (FAILED(::SafeArrayAccessData(array, &data))) return {};
  std::string bytes(static_cast<const char*>(data), static_cast<size_t>(upper - lower + 1));
  ::SafeArrayUnaccessData(array);
  return bytes;
}

ComPtr<IHTMLDocument2> DocumentOf(IWebBrowser2* browser) {
  ComPtr<IDispatch> document;
  if (!browser || FAILED(browser->get_Document(document.Put())) || !document) return {};
  return document.As<IHTMLDocument2>(IID_IHTMLDocument2);
}

}  // namespace

CBrowserView::~CBrowserView() {
  // A form that goes away before its window takes the view's window with it, so the control
  // never calls into a dead object.
  if (m_hWnd && ::IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
}

std::span<const DispEventEntry> CBrowserView::SinkMap() {
  using V = CBrowserView;
  static const DispEventEntry entries[] = {
      {DISPID_DOCUMENTCOMPLETE, 2,
       [](void* o, const CEventArgs& a) { static_cast<V*>(o)->OnDocumentComplete(a.Dispatch(0), a.Variant(1)); }},
      {DISPID_TITLECHANGE, 1, [](void* o, const CEventArgs& a) { static_cast<V*>(o)->OnTitleChange(a.Bstr(0)); }},
      {DISPID_BEFORENAVIGATE2, 7,
       [](void* o, const CEventArgs& a) {
         static_cast<V*>(o)->OnBeforeNavigate2(a.Dispatch(0), a.Variant(1), a.Variant(2), a.Variant(3), a.Variant(4),
                                               a.Variant(5), a.BoolOut(6));
       }},
      {DISPID_NEWWINDOW2, 2,
       [](void* o, const CEventArgs& a) { static_cast<V*>(o)->OnNewWindow2(a.DispatchOut(0), a.BoolOut(1)); }},
      {DISPID_NEWWINDOW3, 5,
       [](void* o, const CEventArgs& a) {
         VARIANT* flags = a.Variant(2);
         DWORD value = 0;
         if (flags && (flags->vt == VT_I4 || flags->vt == VT_UI4)) value = flags->ulVal;
         static_cast<V*>(o)->OnNewWindow3(a.DispatchOut(0), a.BoolOut(1), value, a.Bstr(3), a.Bstr(4));
       }},
      {DISPID_NAVIGATEERROR, 5,
       [](void* o, const CEventArgs& a) {
         static_cast<V*>(o)->OnNavigateError(a.Dispatch(0), a.Variant(1), a.Variant(2), a.Variant(3), a.BoolOut(4));
       }},
      {DISPID_NAVIGATECOMPLETE2, 2,
       [](void* o, const CEventArgs& a) { static_cast<V*>(o)->OnNavigateComplete2(a.Dispatch(0), a.Variant(1)); }},
  };
  return entries;
}

// The window face -----------------------------------------------------------------------------

BOOL CBrowserView::ProcessWindowMessage(HWND, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (msg) {
    case WM_CREATE:
      result = OnCreate(msg, wParam, lParam);
      return TRUE;
    case WM_DESTROY:
      OnDestroy();
      return FALSE;  // the host also needs it: it releases the control
    case WM_SETFOCUS:
      result = OnSetFocus(msg, wParam, lParam);
      return TRUE;
    default:
      return FALSE;
  }
}

LRESULT CBrowserView::OnCreate(UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT result = DefWindowProc(msg, wParam, lParam);  // creates the hosted control
  if (result == -1) return result;                      // no control: the window is not made
  LONG_PTR style = ::GetWindowLongPtrW(m_hWnd, GWL_STYLE);
  if (!(style & WS_CLIPCHILDREN)) ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, style | WS_CLIPCHILDREN);
  if (ComPtr<IWebBrowser2> browser = Browser()) DispEventAdvise(browser.Get());
  CAxWindow(m_hWnd).SetExternalUIHandler(static_cast<IDocHostUIHandlerDispatch*>(this));
  return result;
}

void CBrowserView::OnDestroy() {
  if (ComPtr<IWebBrowser2> browser = Browser()) DispEventUnadvise(browser.Get());
}

LRESULT CBrowserView::OnSetFocus(UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT result = DefWindowProc(msg, wParam, lParam);
  FocusDocument();
  return result;
}

BOOL CBrowserView::PreTranslateMessage(MSG* msg) {
  if (!msg || !m_hWnd) return FALSE;
  bool keyboard = msg->message >= WM_KEYFIRST && msg->message <= 0x109;
  bool mouse = msg->message >= 0x200 && msg->message <= 0x20E;
  if (!keyboard && !mouse) return FALSE;
  if (msg->hwnd != m_hWnd && !::IsChild(m_hWnd, msg->hwnd)) return FALSE;
  return static_cast<BOOL>(::SendMessageW(m_hWnd, WM_FORWARDMSG, 0, reinterpret_cast<LPARAM>(msg)));
}

// Operations ----------------------------------------------------------------------------------

ComPtr<IWebBrowser2> CBrowserView::Browser() const {
  if (!m_hWnd) return {};
  return CAxWindow(m_hWnd).QueryControl<IWebBrowser2>(IID_IWebBrowser2);
}

HWND CBrowserView::CreateBrowser(HWND parent, const RECT& rc, const std::wstring& url) {
  if (!AxWinInit() || !RegisterSuperclass(BROWSER_VIEW_CLASS, AX_HOST_CLASS)) return nullptr;
  HWND wnd = CreateImpl(BROWSER_VIEW_CLASS, parent, rc, url.c_str(), WS_CHILD | WS_VISIBLE, 0);
  if (!wnd) return nullptr;
  // Files dropped on the page must not be opened in it.
  if (ComPtr<IWebBrowser2> browser = Browser()) browser->put_RegisterAsDropTarget(VARIANT_FALSE);
  return wnd;
}

bool CBrowserView::Navigate(const std::wstring& url, const std::string& postData) {
  m_currentUrl = url;
  ComPtr<IWebBrowser2> browser = Browser();
  if (!browser) return false;

  ScopedVariant target, empty;
  if (!SetBstr(target, url.data(), static_cast<UINT>(url.size()))) return false;  // out of memory
  if (postData.empty()) {
    if (browser->Navigate2(&target.v, &empty.v, &empty.v, &empty.v, &empty.v) != S_OK) return false;
  } else {
    ScopedVariant body, headers;
    if (!SetBytes(body, postData) || !SetBstr(headers, FORM_POST_HEADERS, static_cast<UINT>(wcslen(FORM_POST_HEADERS))))
      return false;
    browser->Navigate2(&target.v, &empty.v, &empty.v, &body.v, &headers.v);
  }
  // No script-error or other dialogs of the control, from the first navigation on.
  browser->put_Silent(VARIANT_TRUE);
  m_navigatePending = true;
  m_topDispatch = nullptr;
  return true;
}

void CBrowserView::Refresh() {
  if (ComPtr<IWebBrowser2> browser = Browser()) browser->Refresh();
}

void CBrowserView::FocusDocument() {
  ComPtr<IWebBrowser2> browser = Browser();
  ComPtr<IHTMLDocument2> document = DocumentOf(browser.Get());
  if (!document) return;
  ComPtr<IHTMLWindow2> window;
  if (FAILED(document->get_parentWindow(window.Put())) || !window) return;
  window->focus();
}

void CBrowserView::HideBodyScrollBars(IDispatch* pDisp) {
  if (!pDisp) return;
  ComPtr<IWebBrowser2> browser;
  if (FAILED(pDisp->QueryInterface(IID_IWebBrowser2, browser.PutVoid())) || !browser) return;
  ComPtr<IHTMLDocument2> document = DocumentOf(browser.Get());
  if (!document) return;
  ComPtr<IHTMLElement> body;
  if (FAILED(document->get_body(body.Put())) || !body) return;
  ComPtr<IHTMLBodyElement> bodyElement = body.As<IHTMLBodyElement>(IID_IHTMLBodyElement);
  if (!bodyElement) return;
  BSTR no = ::SysAllocString(L"no");
  if (!no) return;
  bodyElement->put_scroll(no);
  ::SysFreeString(no);
}

// Events ----------------------------------------------------------------------------------------

void CBrowserView::OnBeforeNavigate2(IDispatch*, VARIANT* url, VARIANT*, VARIANT*, VARIANT* postData, VARIANT*,
                                     VARIANT_BOOL* cancel) {
  m_blockNavigation = false;
  std::wstring text = UrlText(url);
  if (IsIgnoredUrl(text)) return;

  m_currentUrl = text;
  m_postData.clear();
  if (postData && postData->vt == (VT_BYREF | VT_VARIANT) && postData->pvarVal &&
      postData->pvarVal->vt != VT_EMPTY && (postData->pvarVal->vt & VT_ARRAY))
    m_postData = CopyBytes(postData->pvarVal->parray);

  if (m_redirectNewWindow || text.find(L".exe") != std::wstring::npos) {
    m_blockNavigation = true;
    m_redirectNewWindow = false;
    m_notify.Fire(WEBNOTIFY_NAVIGATION_BLOCKED, 0, reinterpret_cast<LPARAM>(this));
  } else {
    m_notify.Fire(WEBNOTIFY_BEFORE_NAVIGATE, 0, reinterpret_cast<LPARAM>(this));
  }
  if (m_blockNavigation) SetCancel(cancel, true);
}

void CBrowserView::OnNewWindow2(IDispatch**, VARIANT_BOOL* cancel) { SetCancel(cancel, m_blockNewWindows); }

void CBrowserView::OnNewWindow3(IDispatch**, VARIANT_BOOL* cancel, DWORD, BSTR, BSTR url) {
  SetCancel(cancel, m_blockNewWindows);
  std::wstring text = url ? std::wstring(url, ::SysStringLen(url)) : std::wstring();
  if (text.find(L"127.0.0.1") != std::wstring::npos) {
    SetCancel(cancel, true);
    return;
  }
  // A blank or script window has no address to open elsewhere; navigating the view there would
  // only replace the page.
  if (text.empty() || IsIgnoredUrl(text)) return;

  // The view navigates itself to the address; that navigation is cancelled at once and
  // reported as blocked, so the form can open the address outside. It is not the page's own
  // load, so the load tracking of the page on show stays as it was.
  bool pending = m_navigatePending;
  IDispatch* top = m_topDispatch;
  m_redirectNewWindow = true;
  if (!Navigate(text, std::string())) m_redirectNewWindow = false;
  m_navigatePending = pending;
  m_topDispatch = top;
}

void CBrowserView::OnNavigateError(IDispatch*, VARIANT*, VARIANT*, VARIANT* statusCode, VARIANT_BOOL* cancel) {
  if (statusCode && statusCode->vt == VT_I4 && statusCode->lVal == E_ABORT) return;
  m_notify.Fire(WEBNOTIFY_NAVIGATE_ERROR, 0, reinterpret_cast<LPARAM>(this));
  SetCancel(cancel, true);  // no error page of the control's own
}

void CBrowserView::OnNavigateComplete2(IDispatch* pDisp, VARIANT* url) {
  if (m_navigatePending && UrlText(url) != L"about:blank") {
    m_navigatePending = false;
    m_topDispatch = pDisp;
    m_notify.Fire(WEBNOTIFY_NAVIGATE_COMPLETE, 0, reinterpret_cast<LPARAM>(this));
  }
  ComPtr<IHTMLDocument2> document = DocumentOf(Browser().Get());
  if (!document) return;
  if (ComPtr<ICustomDoc> custom = document.As<ICustomDoc>(__uuidof(ICustomDoc)))
    custom->SetUIHandler(static_cast<IDocHostUIHandler*>(this));
}

void CBrowserView::OnDocumentComplete(IDispatch* pDisp, VARIANT*) {
  if (pDisp && pDisp == m_topDispatch)
    m_notify.Fire(WEBNOTIFY_DOCUMENT_COMPLETE, 0, reinterpret_cast<LPARAM>(this));
  if (m_hideScrollBars) HideBodyScrollBars(pDisp);
}

void CBrowserView::OnTitleChange(BSTR text) {
  m_notify.Fire(WEBNOTIFY_TITLE_CHANGE, 0, reinterpret_cast<LPARAM>(text));
}
