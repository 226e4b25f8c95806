// The document-host answers of CBrowserView: the automation face given to the control host
// and the handler face installed into every loaded document. Both share one identity and one
// reference count; the view lives as long as its form, so the count frees nothing.
#include "browser/browser_view.h"

#include <oleauto.h>

namespace {
// Flags every document gets: no help menu, no 3D borders.
constexpr DWORD DOCHOST_FLAGS = DOCHOSTUIFLAG_DISABLE_HELP_MENU | DOCHOSTUIFLAG_NO3DBORDER |
                                DOCHOSTUIFLAG_NO3DOUTERBORDER;
static_assert(DOCHOST_FLAGS == 0x200006);
#if !defined(_WIN64)
static_assert(sizeof(DOCHOSTUIINFO) == 20);
#endif
}  // namespace

// IUnknown ---------------------------------------------------------------------------------

STDMETHODIMP CBrowserView::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_INVALIDARG;
  if (iid == IID_IUnknown || iid == IID_IDocHostUIHandler) {
    *out = static_cast<IDocHostUIHandler*>(this);
  } else if (iid == IID_IDispatch || iid == IID_IDocHostUIHandlerDispatch) {
    // A caller holding the automation face must be able to ask for it again.
    *out = static_cast<IDocHostUIHandlerDispatch*>(this);
  } else {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) CBrowserView::AddRef() { return static_cast<ULONG>(::InterlockedIncrement(&m_refCount)); }

STDMETHODIMP_(ULONG) CBrowserView::Release() { return static_cast<ULONG>(::InterlockedDecrement(&m_refCount)); }

// IDispatch of the automation face -----------------------------------------------------------

ITypeInfo* CBrowserView::TypeInfo() {
  if (!m_typeInfo) m_typeInfo.Attach(CreateDocHostUIHandlerDispatchTypeInfo());
  return m_typeInfo.Get();
}

STDMETHODIMP CBrowserView::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 1;
  return S_OK;
}

STDMETHODIMP CBrowserView::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
  if (!info) return E_POINTER;
  *info = nullptr;
  if (index != 0) return DISP_E_BADINDEX;
  ITypeInfo* typeInfo = TypeInfo();
  if (!typeInfo) return E_OUTOFMEMORY;
  typeInfo->AddRef();
  *info = typeInfo;
  return S_OK;
}

STDMETHODIMP CBrowserView::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  ITypeInfo* typeInfo = TypeInfo();
  if (!typeInfo) return E_OUTOFMEMORY;
  return ::DispGetIDsOfNames(typeInfo, names, count, ids);
}

STDMETHODIMP CBrowserView::Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                  EXCEPINFO* excepInfo, UINT* argErr) {
  if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  ITypeInfo* typeInfo = TypeInfo();
  if (!typeInfo) return E_OUTOFMEMORY;
  return ::DispInvoke(static_cast<IDocHostUIHandlerDispatch*>(this), typeInfo, id, flags, params, result, excepInfo,
                      argErr);
}

// IDocHostUIHandlerDispatch -------------------------------------------------------------------

STDMETHODIMP CBrowserView::ShowContextMenu(DWORD, DWORD, DWORD, IUnknown*, IDispatch*, HRESULT* dwRetVal) {
  // "Shown" by the host: until a document has the view's own handler, it shows no menu.
  if (dwRetVal) *dwRetVal = S_OK;
  return S_OK;
}

STDMETHODIMP CBrowserView::GetHostInfo(DWORD*, DWORD*) { return S_OK; }

STDMETHODIMP CBrowserView::ShowUI(DWORD, IUnknown*, IUnknown*, IUnknown*, IUnknown*, HRESULT*) { return S_OK; }

STDMETHODIMP CBrowserView::EnableModeless(VARIANT_BOOL) { return S_OK; }
STDMETHODIMP CBrowserView::OnDocWindowActivate(VARIANT_BOOL) { return S_OK; }
STDMETHODIMP CBrowserView::OnFrameWindowActivate(VARIANT_BOOL) { return S_OK; }
STDMETHODIMP CBrowserView::ResizeBorder(long, long, long, long, IUnknown*, VARIANT_BOOL) { return S_OK; }

STDMETHODIMP CBrowserView::TranslateAccelerator(DWORD_PTR, DWORD, DWORD_PTR, DWORD_PTR, BSTR, DWORD, HRESULT*) {
  return S_OK;  // the host's "not translated" stays
}

STDMETHODIMP CBrowserView::GetDropTarget(IUnknown*, IUnknown** ppDropTarget) {
  if (ppDropTarget) *ppDropTarget = nullptr;
  return S_OK;
}

STDMETHODIMP CBrowserView::FilterDataObject(IUnknown*, IUnknown** ppDORet) {
  if (ppDORet) *ppDORet = nullptr;
  return E_NOTIMPL;
}

// IDocHostUIHandler ---------------------------------------------------------------------------

STDMETHODIMP CBrowserView::ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) {
  return S_FALSE;  // the document shows its own menu
}

STDMETHODIMP CBrowserView::GetHostInfo(DOCHOSTUIINFO* pInfo) {
  if (!pInfo) return E_POINTER;
  pInfo->cbSize = sizeof(DOCHOSTUIINFO);
  pInfo->dwFlags |= DOCHOST_FLAGS;
  if (m_hideScrollBars) pInfo->dwFlags |= DOCHOSTUIFLAG_SCROLL_NO;
  pInfo->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
  pInfo->pchHostCss = nullptr;
  pInfo->pchHostNS = nullptr;
  return S_OK;
}

STDMETHODIMP CBrowserView::ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                                  IOleInPlaceUIWindow*) {
  return E_NOTIMPL;
}

STDMETHODIMP CBrowserView::EnableModeless(BOOL) { return E_NOTIMPL; }
STDMETHODIMP CBrowserView::OnDocWindowActivate(BOOL) { return E_NOTIMPL; }
STDMETHODIMP CBrowserView::OnFrameWindowActivate(BOOL) { return E_NOTIMPL; }
STDMETHODIMP CBrowserView::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) { return E_NOTIMPL; }
STDMETHODIMP CBrowserView::TranslateAccelerator(LPMSG, const GUID*, DWORD) { return E_NOTIMPL; }

STDMETHODIMP CBrowserView::GetDropTarget(IDropTarget*, IDropTarget** ppDropTarget) {
  if (ppDropTarget) *ppDropTarget = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP CBrowserView::FilterDataObject(IDataObject*, IDataObject** ppDORet) {
  if (ppDORet) *ppDORet = nullptr;
  return E_NOTIMPL;
}

// Shared by both faces --------------------------------------------------------------------------

STDMETHODIMP CBrowserView::HideUI() { return S_OK; }
STDMETHODIMP CBrowserView::UpdateUI() { return S_OK; }

STDMETHODIMP CBrowserView::GetOptionKeyPath(LPOLESTR* pchKey, DWORD) {
  if (pchKey) *pchKey = nullptr;  // the default settings apply
  return S_OK;
}

STDMETHODIMP CBrowserView::GetExternal(IDispatch** ppDispatch) {
  if (!ppDispatch) return E_POINTER;
  *ppDispatch = nullptr;
  // A form may store an object (with a reference for the caller); none of ours does.
  m_notify.Fire(WEBNOTIFY_GET_EXTERNAL, reinterpret_cast<WPARAM>(ppDispatch), reinterpret_cast<LPARAM>(this));
  return S_OK;
}

STDMETHODIMP CBrowserView::TranslateUrl(DWORD, LPWSTR, LPWSTR* ppchURLOut) {
  if (ppchURLOut) *ppchURLOut = nullptr;
  return E_NOTIMPL;
}
