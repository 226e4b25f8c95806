#include "platform/ax_host.h"

#include "platform/handles.h"

#include <exdisp.h>
#include <oleauto.h>

#include <cstring>
#include <new>

namespace {

// The window property that carries a host window's CAxHost; only host windows have it.
constexpr const wchar_t* HOST_PROP = L"KXAxHost";

bool IsClassIdText(const wchar_t* text) { return text[0] == L'{'; }

// A copy the document frees with CoTaskMemFree; null when out of memory.
LPWSTR CoTaskMemCopy(BSTR text) {
  size_t bytes = (::SysStringLen(text) + 1) * sizeof(wchar_t);
  auto* copy = static_cast<LPWSTR>(::CoTaskMemAlloc(bytes));
  if (copy) std::memcpy(copy, text, bytes);
  return copy;
}

// Pixels of the screen to the HIMETRIC units OLE sizes are given in.
SIZEL PixelsToHiMetric(LONG cx, LONG cy) {
  WindowDC dc(nullptr);
  int dpiX = dc ? ::GetDeviceCaps(dc.Get(), LOGPIXELSX) : 96;
  int dpiY = dc ? ::GetDeviceCaps(dc.Get(), LOGPIXELSY) : 96;
  return SIZEL{::MulDiv(cx, 2540, dpiX), ::MulDiv(cy, 2540, dpiY)};
}

LRESULT CALLBACK AxHostWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  CAxHost* host = AxGetHost(wnd);
  switch (msg) {
    case WM_CREATE: {
      host = new (std::nothrow) CAxHost(wnd);
      if (!host) return -1;
      ::SetPropW(wnd, HOST_PROP, host);
      auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
      const wchar_t* text = cs->lpszName;
      // Without a text the window is an empty host; a control that cannot be made fails the window.
      if (text && *text && FAILED(host->CreateControl(text))) return -1;
      return 0;
    }
    case WM_SIZE:
      if (host) host->Resize();
      break;
    case WM_SETFOCUS:
      if (host) host->OnSetFocus();
      break;
    case WM_FORWARDMSG:
      return host && host->TranslateAcceleratorForControl(reinterpret_cast<MSG*>(lParam)) ? 1 : 0;
    case WM_ERASEBKGND:
      if (host && host->HasActiveControl()) return 1;  // the control paints all of it
      break;
    case WM_DESTROY:
      if (host) host->ReleaseControl();
      break;
    case WM_NCDESTROY:
      if (host) {
        ::RemovePropW(wnd, HOST_PROP);
        host->Release();
      }
      break;
    default:
      break;
  }
  return ::DefWindowProcW(wnd, msg, wParam, lParam);
}

}  // namespace

bool AxWinInit() {
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  if (::GetClassInfoExW(instance, AX_HOST_CLASS, &wc)) return true;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = &AxHostWindowProc;
  wc.hInstance = instance;
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = AX_HOST_CLASS;
  return ::RegisterClassExW(&wc) != 0;
}

CAxHost* AxGetHost(HWND wnd) {
  return wnd ? static_cast<CAxHost*>(::GetPropW(wnd, HOST_PROP)) : nullptr;
}

CAxHost::CAxHost(HWND wnd) : m_hWnd(wnd) {}

CAxHost::~CAxHost() = default;

RECT CAxHost::ClientRect() const {
  RECT rc{};
  ::GetClientRect(m_hWnd, &rc);
  return rc;
}

HRESULT CAxHost::CreateControl(const wchar_t* text) {
  if (m_control) return E_UNEXPECTED;
  CLSID clsid{};
  bool isUrl = false;
  if (IsClassIdText(text)) {
    if (FAILED(::CLSIDFromString(text, &clsid))) return CO_E_CLASSSTRING;
  } else if (FAILED(::CLSIDFromProgID(text, &clsid))) {
    clsid = CLSID_WebBrowser;
    isUrl = true;
  }

  ComPtr<IUnknown> control;
  HRESULT hr = ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, control.PutVoid());
  if (FAILED(hr)) return hr;
  ComPtr<IOleObject> ole = control.As<IOleObject>(IID_IOleObject);
  if (!ole) return E_NOINTERFACE;
  m_control = control;
  m_oleObject = ole;

  DWORD misc = 0;
  ole->GetMiscStatus(DVASPECT_CONTENT, &misc);
  auto* site = static_cast<IOleClientSite*>(this);
  bool siteFirst = (misc & OLEMISC_SETCLIENTSITEFIRST) != 0;
  if (siteFirst) ole->SetClientSite(site);
  if (auto init = control.As<IPersistStreamInit>(IID_IPersistStreamInit)) init->InitNew();
  if (!siteFirst) ole->SetClientSite(site);

  RECT rc = ClientRect();
  SIZEL extent = PixelsToHiMetric(rc.right - rc.left, rc.bottom - rc.top);
  ole->SetExtent(DVASPECT_CONTENT, &extent);
  hr = ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site, 0, m_hWnd, &rc);
  if (FAILED(hr)) {
    ReleaseControl();
    return hr;
  }

  if (isUrl) {
    if (auto browser = control.As<IWebBrowser2>(IID_IWebBrowser2)) {
      VARIANT url;
      ::VariantInit(&url);
      url.vt = VT_BSTR;
      url.bstrVal = ::SysAllocString(text);
      VARIANT empty;
      ::VariantInit(&empty);
      if (url.bstrVal) browser->Navigate2(&url, &empty, &empty, &empty, &empty);
      ::VariantClear(&url);
    }
  }
  return S_OK;
}

HRESULT CAxHost::QueryControl(REFIID iid, void** out) const {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!m_control) return E_NOINTERFACE;
  return m_control->QueryInterface(iid, out);
}

void CAxHost::SetExternalUIHandler(IDocHostUIHandlerDispatch* handler) { m_externalUIHandler = handler; }

bool CAxHost::TranslateAcceleratorForControl(MSG* msg) {
  if (!msg) return false;
  ComPtr<IOleInPlaceActiveObject> active = m_activeObject;
  if (!active) active = m_control.As<IOleInPlaceActiveObject>(IID_IOleInPlaceActiveObject);
  return active && active->TranslateAcceleratorW(msg) == S_OK;
}

void CAxHost::Resize() {
  if (!m_inPlaceObject) return;
  RECT rc = ClientRect();
  m_inPlaceObject->SetObjectRects(&rc, &rc);
}

void CAxHost::OnSetFocus() {
  // Focus on the host goes on into the control: it becomes UI-active.
  if (m_oleObject && !m_uiActive) {
    RECT rc = ClientRect();
    m_oleObject->DoVerb(OLEIVERB_UIACTIVATE, nullptr, static_cast<IOleClientSite*>(this), 0, m_hWnd, &rc);
  }
}

void CAxHost::ReleaseControl() {
  ComPtr<IOleObject> ole = std::move(m_oleObject);
  ComPtr<IOleInPlaceObject> inPlace = std::move(m_inPlaceObject);
  m_activeObject.Reset();
  if (inPlace) {
    if (m_uiActive) inPlace->UIDeactivate();
    inPlace->InPlaceDeactivate();
  }
  if (ole) {
    ole->Close(OLECLOSE_NOSAVE);
    ole->SetClientSite(nullptr);
  }
  m_control.Reset();
  m_externalUIHandler.Reset();
  m_inPlaceActive = false;
  m_uiActive = false;
}

// IUnknown ----------------------------------------------------------------------------------

STDMETHODIMP CAxHost::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IOleClientSite)
    *out = static_cast<IOleClientSite*>(this);
  else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite)
    *out = static_cast<IOleInPlaceSite*>(this);
  else if (iid == IID_IOleInPlaceUIWindow || iid == IID_IOleInPlaceFrame)
    *out = static_cast<IOleInPlaceFrame*>(this);
  else if (iid == IID_IDocHostUIHandler)
    *out = static_cast<IDocHostUIHandler*>(this);
  else {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) CAxHost::AddRef() { return static_cast<ULONG>(::InterlockedIncrement(&m_refCount)); }

STDMETHODIMP_(ULONG) CAxHost::Release() {
  LONG count = ::InterlockedDecrement(&m_refCount);
  if (count == 0) delete this;
  return static_cast<ULONG>(count);
}

// IOleClientSite ----------------------------------------------------------------------------

STDMETHODIMP CAxHost::SaveObject() { return E_NOTIMPL; }

STDMETHODIMP CAxHost::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
  if (moniker) *moniker = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP CAxHost::GetContainer(IOleContainer** container) {
  if (container) *container = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP CAxHost::ShowObject() { return S_OK; }
STDMETHODIMP CAxHost::OnShowWindow(BOOL) { return S_OK; }
STDMETHODIMP CAxHost::RequestNewObjectLayout() { return E_NOTIMPL; }

// IOleWindow --------------------------------------------------------------------------------

STDMETHODIMP CAxHost::GetWindow(HWND* wnd) {
  if (!wnd) return E_POINTER;
  *wnd = m_hWnd;
  return S_OK;
}

STDMETHODIMP CAxHost::ContextSensitiveHelp(BOOL) { return S_OK; }

// IOleInPlaceSite ---------------------------------------------------------------------------

STDMETHODIMP CAxHost::CanInPlaceActivate() { return S_OK; }

STDMETHODIMP CAxHost::OnInPlaceActivate() {
  m_inPlaceActive = true;
  if (m_control) m_inPlaceObject = m_control.As<IOleInPlaceObject>(IID_IOleInPlaceObject);
  return S_OK;
}

STDMETHODIMP CAxHost::OnUIActivate() {
  m_uiActive = true;
  return S_OK;
}

STDMETHODIMP CAxHost::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT posRect,
                                       LPRECT clipRect, LPOLEINPLACEFRAMEINFO frameInfo) {
  if (!frame || !doc || !posRect || !clipRect) return E_POINTER;
  // The host window is the control's frame and document window alike.
  *frame = static_cast<IOleInPlaceFrame*>(this);
  AddRef();
  *doc = static_cast<IOleInPlaceFrame*>(this);
  AddRef();
  *posRect = ClientRect();
  *clipRect = *posRect;
  if (frameInfo) {
    frameInfo->cb = sizeof(OLEINPLACEFRAMEINFO);
    frameInfo->fMDIApp = FALSE;
    HWND top = ::GetAncestor(m_hWnd, GA_ROOT);
    frameInfo->hwndFrame = top ? top : m_hWnd;
    frameInfo->haccel = nullptr;
    frameInfo->cAccelEntries = 0;
  }
  return S_OK;
}

STDMETHODIMP CAxHost::Scroll(SIZE) { return E_NOTIMPL; }

STDMETHODIMP CAxHost::OnUIDeactivate(BOOL) {
  m_uiActive = false;
  return S_OK;
}

STDMETHODIMP CAxHost::OnInPlaceDeactivate() {
  m_inPlaceActive = false;
  m_uiActive = false;
  m_inPlaceObject.Reset();
  return S_OK;
}

STDMETHODIMP CAxHost::DiscardUndoState() { return S_OK; }
STDMETHODIMP CAxHost::DeactivateAndUndo() { return m_inPlaceObject ? m_inPlaceObject->UIDeactivate() : S_OK; }

STDMETHODIMP CAxHost::OnPosRectChange(LPCRECT posRect) {
  if (!posRect) return E_POINTER;
  if (m_inPlaceObject) m_inPlaceObject->SetObjectRects(posRect, posRect);
  return S_OK;
}

// IOleInPlaceUIWindow / IOleInPlaceFrame: no tool space and no menus to share --------------

STDMETHODIMP CAxHost::GetBorder(LPRECT) { return INPLACE_E_NOTOOLSPACE; }
STDMETHODIMP CAxHost::RequestBorderSpace(LPCBORDERWIDTHS) { return INPLACE_E_NOTOOLSPACE; }
STDMETHODIMP CAxHost::SetBorderSpace(LPCBORDERWIDTHS widths) { return widths ? INPLACE_E_NOTOOLSPACE : S_OK; }

STDMETHODIMP CAxHost::SetActiveObject(IOleInPlaceActiveObject* active, LPCOLESTR) {
  m_activeObject = active;
  return S_OK;
}

STDMETHODIMP CAxHost::InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) { return S_OK; }
STDMETHODIMP CAxHost::SetMenu(HMENU, HOLEMENU, HWND) { return S_OK; }
STDMETHODIMP CAxHost::RemoveMenus(HMENU) { return S_OK; }
STDMETHODIMP CAxHost::SetStatusText(LPCOLESTR) { return S_OK; }
STDMETHODIMP CAxHost::TranslateAcceleratorW(LPMSG, WORD) { return S_FALSE; }

// IDocHostUIHandler -------------------------------------------------------------------------
// The document asks the site; the answers come from the external handler when one is set.

STDMETHODIMP CAxHost::ShowContextMenu(DWORD id, POINT* pt, IUnknown* commandTarget, IDispatch* objectHit) {
  HRESULT result = S_FALSE;  // the document shows its own menu
  if (m_externalUIHandler) {
    POINT where = pt ? *pt : POINT{};
    m_externalUIHandler->ShowContextMenu(id, static_cast<DWORD>(where.x), static_cast<DWORD>(where.y), commandTarget,
                                         objectHit, &result);
  }
  return result;
}

STDMETHODIMP CAxHost::GetHostInfo(DOCHOSTUIINFO* info) {
  if (!info) return E_POINTER;
  if (info->cbSize < sizeof(DOCHOSTUIINFO)) return E_INVALIDARG;
  info->dwFlags = DEFAULT_DOCHOST_FLAGS;
  info->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
  info->pchHostCss = nullptr;
  info->pchHostNS = nullptr;
  if (m_externalUIHandler) m_externalUIHandler->GetHostInfo(&info->dwFlags, &info->dwDoubleClick);
  return S_OK;
}

STDMETHODIMP CAxHost::ShowUI(DWORD id, IOleInPlaceActiveObject* active, IOleCommandTarget* commandTarget,
                             IOleInPlaceFrame* frame, IOleInPlaceUIWindow* doc) {
  HRESULT result = S_FALSE;  // the document shows its own UI
  if (m_externalUIHandler) m_externalUIHandler->ShowUI(id, active, commandTarget, frame, doc, &result);
  return result;
}

STDMETHODIMP CAxHost::HideUI() { return m_externalUIHandler ? m_externalUIHandler->HideUI() : S_OK; }
STDMETHODIMP CAxHost::UpdateUI() { return m_externalUIHandler ? m_externalUIHandler->UpdateUI() : S_OK; }

STDMETHODIMP CAxHost::EnableModeless(BOOL enable) {
  return m_externalUIHandler ? m_externalUIHandler->EnableModeless(enable ? VARIANT_TRUE : VARIANT_FALSE) : S_OK;
}

STDMETHODIMP CAxHost::OnDocWindowActivate(BOOL activate) {
  return m_externalUIHandler ? m_externalUIHandler->OnDocWindowActivate(activate ? VARIANT_TRUE : VARIANT_FALSE)
                             : S_OK;
}

STDMETHODIMP CAxHost::OnFrameWindowActivate(BOOL activate) {
  return m_externalUIHandler ? m_externalUIHandler->OnFrameWindowActivate(activate ? VARIANT_TRUE : VARIANT_FALSE)
                             : S_OK;
}

STDMETHODIMP CAxHost::ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* uiWindow, BOOL frameWindow) {
  if (!m_externalUIHandler || !border) return S_OK;
  return m_externalUIHandler->ResizeBorder(border->left, border->top, border->right, border->bottom, uiWindow,
                                           frameWindow ? VARIANT_TRUE : VARIANT_FALSE);
}

STDMETHODIMP CAxHost::TranslateAcceleratorW(LPMSG msg, const GUID* cmdGroup, DWORD cmdId) {
  HRESULT result = S_FALSE;  // not translated: the document handles the key
  if (!m_externalUIHandler || !msg) return result;
  BSTR group = nullptr;
  wchar_t text[40] = {};
  if (cmdGroup && ::StringFromGUID2(*cmdGroup, text, 40)) group = ::SysAllocString(text);
  m_externalUIHandler->TranslateAcceleratorW(reinterpret_cast<DWORD_PTR>(msg->hwnd), msg->message, msg->wParam,
                                             static_cast<DWORD_PTR>(msg->lParam), group, cmdId, &result);
  ::SysFreeString(group);
  return result;
}

STDMETHODIMP CAxHost::GetOptionKeyPath(LPOLESTR* key, DWORD reserved) {
  if (!key) return E_POINTER;
  *key = nullptr;
  if (!m_externalUIHandler) return S_FALSE;
  BSTR path = nullptr;
  HRESULT hr = m_externalUIHandler->GetOptionKeyPath(&path, reserved);
  if (SUCCEEDED(hr) && path && *path) *key = CoTaskMemCopy(path);
  ::SysFreeString(path);
  return *key ? S_OK : S_FALSE;
}

STDMETHODIMP CAxHost::GetDropTarget(IDropTarget* dropTarget, IDropTarget** replacement) {
  if (!replacement) return E_POINTER;
  *replacement = nullptr;
  if (!m_externalUIHandler) return E_NOTIMPL;
  ComPtr<IUnknown> unk;
  if (FAILED(m_externalUIHandler->GetDropTarget(dropTarget, unk.Put())) || !unk) return E_NOTIMPL;
  return unk->QueryInterface(IID_IDropTarget, reinterpret_cast<void**>(replacement));
}

STDMETHODIMP CAxHost::GetExternal(IDispatch** external) {
  if (!external) return E_POINTER;
  *external = nullptr;
  if (!m_externalUIHandler) return E_NOTIMPL;
  return m_externalUIHandler->GetExternal(external);
}

STDMETHODIMP CAxHost::TranslateUrl(DWORD translate, LPWSTR urlIn, LPWSTR* urlOut) {
  if (!urlOut) return E_POINTER;
  *urlOut = nullptr;
  if (!m_externalUIHandler) return S_FALSE;
  BSTR in = ::SysAllocString(urlIn);
  BSTR out = nullptr;
  HRESULT hr = m_externalUIHandler->TranslateUrl(translate, in, &out);
  ::SysFreeString(in);
  if (hr == S_OK && out) *urlOut = CoTaskMemCopy(out);
  ::SysFreeString(out);
  return *urlOut ? S_OK : S_FALSE;
}

STDMETHODIMP CAxHost::FilterDataObject(IDataObject* dataObject, IDataObject** replacement) {
  if (!replacement) return E_POINTER;
  *replacement = nullptr;
  if (!m_externalUIHandler) return S_FALSE;
  ComPtr<IUnknown> unk;
  if (m_externalUIHandler->FilterDataObject(dataObject, unk.Put()) != S_OK || !unk) return S_FALSE;
  return unk->QueryInterface(IID_IDataObject, reinterpret_cast<void**>(replacement));
}

// CAxWindow ---------------------------------------------------------------------------------

HRESULT CAxWindow::QueryControl(REFIID iid, void** out) const {
  if (!out) return E_POINTER;
  *out = nullptr;
  CAxHost* host = AxGetHost(m_hWnd);
  return host ? host->QueryControl(iid, out) : E_FAIL;
}

HRESULT CAxWindow::SetExternalUIHandler(IDocHostUIHandlerDispatch* handler) const {
  CAxHost* host = AxGetHost(m_hWnd);
  if (!host) return E_FAIL;
  host->SetExternalUIHandler(handler);
  return S_OK;
}
