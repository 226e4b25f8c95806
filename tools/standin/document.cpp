// The document, its window and its body: what the host reaches through get_Document.
#include "standin.h"

#include <new>

namespace {

HRESULT ReturnBstr(const std::wstring& text, BSTR* p) {
  if (!p) return E_POINTER;
  *p = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return *p || text.empty() ? S_OK : E_OUTOFMEMORY;
}

template <typename T>
ULONG Decrement(T* self, LONG& ref) {
  LONG n = ::InterlockedDecrement(&ref);
  if (n == 0) delete self;
  return static_cast<ULONG>(n);
}

}  // namespace

// CStandInBody ------------------------------------------------------------------------------------

STDMETHODIMP CStandInBody::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IHTMLElement)
    *out = static_cast<IHTMLElement*>(this);
  else if (iid == IID_IHTMLBodyElement)
    *out = static_cast<IHTMLBodyElement*>(this);
  else {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) CStandInBody::AddRef() { return static_cast<ULONG>(::InterlockedIncrement(&m_ref)); }
STDMETHODIMP_(ULONG) CStandInBody::Release() { return Decrement(this, m_ref); }
STDMETHODIMP CStandInBody::get_tagName(BSTR* p) { return ReturnBstr(L"BODY", p); }

STDMETHODIMP CStandInBody::put_scroll(BSTR v) {
  m_scroll = v ? std::wstring(v, ::SysStringLen(v)) : std::wstring();
  return S_OK;
}

STDMETHODIMP CStandInBody::get_scroll(BSTR* p) { return ReturnBstr(m_scroll, p); }

// CStandInDocument ------------------------------------------------------------------------------

CStandInDocument::CStandInDocument(CStandInBrowser* owner, std::wstring url, PageModel page)
    : m_owner(owner), m_url(std::move(url)), m_page(std::move(page)) {
  m_title = m_page.hasTitle ? m_page.title : std::wstring();
  m_body.Attach(new (std::nothrow) CStandInBody(m_page.bodyScroll));
  ModuleAddRef();
}

void CStandInDocument::Detach() {
  m_owner = nullptr;
  m_uiHandler.Reset();
  m_frames.clear();
}

ComPtr<IDocHostUIHandler> CStandInDocument::Handler() const {
  if (m_uiHandler) return m_uiHandler;
  return m_owner ? m_owner->Top()->SiteHandler() : ComPtr<IDocHostUIHandler>();
}

DWORD CStandInDocument::QueryHostFlags() {
  DOCHOSTUIINFO info{};
  info.cbSize = sizeof(info);
  if (ComPtr<IDocHostUIHandler> handler = Handler()) {
    if (SUCCEEDED(handler->GetHostInfo(&info))) {
      m_hostFlags = info.dwFlags;
      ::CoTaskMemFree(info.pchHostCss);
      ::CoTaskMemFree(info.pchHostNS);
      return m_hostFlags;
    }
  }
  m_hostFlags = 0;
  return m_hostFlags;
}

ComPtr<IDispatch> CStandInDocument::QueryExternal() {
  ComPtr<IDispatch> external;
  if (ComPtr<IDocHostUIHandler> handler = Handler()) {
    IDispatch* given = nullptr;
    if (SUCCEEDED(handler->GetExternal(&given))) external.Attach(given);
  }
  return external;
}

HRESULT CStandInDocument::QueryContextMenu(POINT screenPoint) {
  ComPtr<IDocHostUIHandler> handler = Handler();
  if (!handler) return S_FALSE;
  return handler->ShowContextMenu(CONTEXT_MENU_DEFAULT, &screenPoint, nullptr,
                                  m_body ? static_cast<IHTMLElement*>(m_body.Get()) : nullptr);
}

STDMETHODIMP CStandInDocument::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IHTMLDocument || iid == IID_IHTMLDocument2)
    *out = static_cast<IHTMLDocument2*>(this);
  else if (iid == __uuidof(ICustomDoc))
    *out = static_cast<ICustomDoc*>(this);
  else {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) CStandInDocument::AddRef() { return static_cast<ULONG>(::InterlockedIncrement(&m_ref)); }

STDMETHODIMP_(ULONG) CStandInDocument::Release() {
  LONG n = ::InterlockedDecrement(&m_ref);
  if (n == 0) {
    delete this;
    ModuleRelease();
  }
  return static_cast<ULONG>(n);
}

STDMETHODIMP CStandInDocument::get_body(IHTMLElement** p) {
  if (!p) return E_POINTER;
  *p = m_body.Get();
  if (*p) (*p)->AddRef();
  return S_OK;
}

STDMETHODIMP CStandInDocument::get_title(BSTR* p) { return ReturnBstr(m_title, p); }

STDMETHODIMP CStandInDocument::put_title(BSTR v) {
  SetTitle(v ? std::wstring(v, ::SysStringLen(v)) : std::wstring());
  return S_OK;
}

void CStandInDocument::SetTitle(const std::wstring& title) {
  m_title = title;
  // Only the top-level document names the window.
  if (m_owner && m_owner->Top() == m_owner && m_owner->Document() == this) m_owner->FireTitleChange(m_title);
}

STDMETHODIMP CStandInDocument::get_URL(BSTR* p) { return ReturnBstr(m_url, p); }
STDMETHODIMP CStandInDocument::get_readyState(BSTR* p) { return ReturnBstr(m_completed ? L"complete" : L"interactive", p); }

STDMETHODIMP CStandInDocument::get_parentWindow(IHTMLWindow2** p) {
  if (!p) return E_POINTER;
  *p = new (std::nothrow) CStandInWindow(this);
  return *p ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP CStandInDocument::SetUIHandler(IDocHostUIHandler* handler) {
  m_uiHandler = handler;
  return S_OK;
}

// CStandInWindow ----------------------------------------------------------------------------------

STDMETHODIMP CStandInWindow::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IHTMLFramesCollection2 || iid == IID_IHTMLWindow2) {
    *out = static_cast<IHTMLWindow2*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CStandInWindow::AddRef() { return static_cast<ULONG>(::InterlockedIncrement(&m_ref)); }
STDMETHODIMP_(ULONG) CStandInWindow::Release() { return Decrement(this, m_ref); }

STDMETHODIMP CStandInWindow::get_length(LONG* p) {
  if (!p) return E_POINTER;
  *p = static_cast<LONG>(m_document->m_frames.size());
  return S_OK;
}

STDMETHODIMP CStandInWindow::get_document(IHTMLDocument2** p) {
  if (!p) return E_POINTER;
  *p = m_document.Get();
  (*p)->AddRef();
  return S_OK;
}

STDMETHODIMP CStandInWindow::get_name(BSTR* p) { return ReturnBstr(L"", p); }

STDMETHODIMP CStandInWindow::focus() {
  CStandInBrowser* owner = m_document->Owner();
  HWND view = owner ? owner->Top()->ViewWindow() : nullptr;
  if (!view) return E_FAIL;
  ::SetFocus(view);
  return S_OK;
}

STDMETHODIMP CStandInWindow::get_external(IDispatch** p) {
  if (!p) return E_POINTER;
  *p = m_document->QueryExternal().Detach();
  return S_OK;
}
