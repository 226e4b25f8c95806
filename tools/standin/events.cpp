// The DWebBrowserEvents2 connection point and the events with Internet Explorer's arguments.
#include "standin.h"

#include <exdispid.h>
#include <olectl.h>

#include <cstring>
#include <new>

namespace {

// Event arguments: values of one type each (nothing owned: the event's Strings own the text).
VARIANT Typed(VARTYPE vt) {
  VARIANT v;
  ::VariantInit(&v);
  v.vt = vt;
  return v;
}

// An argument passed by reference to a variant, as the engine passes most event arguments.
VARIANT ByRef(VARIANT* inner) {
  VARIANT v = Typed(VT_BYREF | VT_VARIANT);
  v.pvarVal = inner;
  return v;
}
VARIANT Bstr(BSTR s) {
  VARIANT v = Typed(VT_BSTR);
  v.bstrVal = s;
  return v;
}
VARIANT DispArg(IDispatch* d) {
  VARIANT v = Typed(VT_DISPATCH);
  v.pdispVal = d;
  return v;
}
VARIANT BoolRef(VARIANT_BOOL* b) {
  VARIANT v = Typed(VT_BYREF | VT_BOOL);
  v.pboolVal = b;
  return v;
}
VARIANT Long(LONG value) {
  VARIANT v = Typed(VT_I4);
  v.lVal = value;
  return v;
}
VARIANT DispOut(IDispatch** d) {
  VARIANT v = Typed(VT_BYREF | VT_DISPATCH);
  v.ppdispVal = d;
  return v;
}

// Owns the BSTRs made for one event.
struct Strings {
  ~Strings() {
    for (BSTR s : owned) ::SysFreeString(s);
  }
  BSTR operator()(const std::wstring& text) {
    BSTR s = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    owned.push_back(s);
    return s;
  }
  std::vector<BSTR> owned;
};

class CEnumConnections final : public IEnumConnections {
public:
  explicit CEnumConnections(std::vector<CONNECTDATA> items) : m_items(std::move(items)) {
    for (auto& c : m_items) c.pUnk->AddRef();
  }
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IEnumConnections) {
      *out = static_cast<IEnumConnections*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&m_ref)); }
  STDMETHODIMP_(ULONG) Release() override {
    LONG n = ::InterlockedDecrement(&m_ref);
    if (n == 0) delete this;
    return static_cast<ULONG>(n);
  }
  STDMETHODIMP Next(ULONG count, CONNECTDATA* out, ULONG* fetched) override {
    ULONG n = 0;
    while (n < count && m_pos < m_items.size()) {
      out[n] = m_items[m_pos++];
      out[n].pUnk->AddRef();
      ++n;
    }
    if (fetched) *fetched = n;
    return n == count ? S_OK : S_FALSE;
  }
  STDMETHODIMP Skip(ULONG count) override {
    m_pos += count;
    return m_pos <= m_items.size() ? S_OK : S_FALSE;
  }
  STDMETHODIMP Reset() override {
    m_pos = 0;
    return S_OK;
  }
  STDMETHODIMP Clone(IEnumConnections** out) override {
    if (!out) return E_POINTER;
    auto* copy = new (std::nothrow) CEnumConnections(m_items);
    if (!copy) return E_OUTOFMEMORY;
    copy->m_pos = m_pos;
    *out = copy;
    return S_OK;
  }

private:
  ~CEnumConnections() {
    for (auto& c : m_items) c.pUnk->Release();
  }
  LONG m_ref = 1;
  std::vector<CONNECTDATA> m_items;
  size_t m_pos = 0;
};

}  // namespace

// CEventPoint -----------------------------------------------------------------------------------

void CEventPoint::Fire(DISPID id, VARIANT* argsReversed, UINT count) {
  auto sinks = m_sinks;
  for (auto& [cookie, sink] : sinks) {
    DISPPARAMS params{argsReversed, nullptr, count, 0};
    sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
  }
}

STDMETHODIMP CEventPoint::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IConnectionPoint) {
    *out = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

// The point lives and dies with its browser.
STDMETHODIMP_(ULONG) CEventPoint::AddRef() { return m_container->AddRef(); }
STDMETHODIMP_(ULONG) CEventPoint::Release() { return m_container->Release(); }

STDMETHODIMP CEventPoint::GetConnectionInterface(IID* iid) {
  if (!iid) return E_POINTER;
  *iid = DIID_DWebBrowserEvents2;
  return S_OK;
}

STDMETHODIMP CEventPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
  if (!container) return E_POINTER;
  *container = m_container;
  m_container->AddRef();
  return S_OK;
}

STDMETHODIMP CEventPoint::Advise(IUnknown* sink, DWORD* cookie) {
  if (!sink || !cookie) return E_POINTER;
  *cookie = 0;
  ComPtr<IDispatch> disp;
  if (FAILED(sink->QueryInterface(IID_IDispatch, disp.PutVoid())) || !disp) return CONNECT_E_CANNOTCONNECT;
  *cookie = m_nextCookie++;
  m_sinks.emplace_back(*cookie, disp);
  return S_OK;
}

STDMETHODIMP CEventPoint::Unadvise(DWORD cookie) {
  for (auto it = m_sinks.begin(); it != m_sinks.end(); ++it) {
    if (it->first == cookie) {
      m_sinks.erase(it);
      return S_OK;
    }
  }
  return CONNECT_E_NOCONNECTION;
}

STDMETHODIMP CEventPoint::EnumConnections(IEnumConnections** connections) {
  if (!connections) return E_POINTER;
  std::vector<CONNECTDATA> items;
  for (auto& [cookie, sink] : m_sinks) items.push_back(CONNECTDATA{sink.Get(), cookie});
  *connections = new (std::nothrow) CEnumConnections(items);
  return *connections ? S_OK : E_OUTOFMEMORY;
}

// The events -------------------------------------------------------------------------------------

bool CStandInBrowser::FireBeforeNavigate2(IDispatch* disp, const std::wstring& url, DWORD flags,
                                          const std::wstring& frame, const std::string* post,
                                          const std::wstring& headers) {
  CStandInBrowser* top = Top();
  if (!top->m_events) return false;
  Strings str;
  VARIANT vUrl = Bstr(str(url));
  VARIANT vFlags = Long(static_cast<LONG>(flags));
  VARIANT vFrame;
  ::VariantInit(&vFrame);
  if (!frame.empty()) vFrame = Bstr(str(frame));
  VARIANT vHeaders;
  ::VariantInit(&vHeaders);
  if (!headers.empty()) vHeaders = Bstr(str(headers));
  // The post data: a reference to a variant that refers to the byte array (empty for GET).
  VARIANT vBytes;
  ::VariantInit(&vBytes);
  if (post) {
    SAFEARRAY* array = ::SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(post->size()));
    if (array) {
      void* data = nullptr;
      if (SUCCEEDED(::SafeArrayAccessData(array, &data))) {
        if (!post->empty()) memcpy(data, post->data(), post->size());
        ::SafeArrayUnaccessData(array);
      }
      vBytes.vt = VT_ARRAY | VT_UI1;
      vBytes.parray = array;
    }
  }
  VARIANT vPost = ByRef(&vBytes);
  VARIANT_BOOL cancel = VARIANT_FALSE;
  VARIANT args[7] = {BoolRef(&cancel), ByRef(&vHeaders), ByRef(&vPost), ByRef(&vFrame),
                     ByRef(&vFlags),   ByRef(&vUrl),     DispArg(disp)};
  top->m_events->Fire(DISPID_BEFORENAVIGATE2, args, 7);
  ::VariantClear(&vBytes);
  return cancel != VARIANT_FALSE;
}

void CStandInBrowser::FireNavigateComplete2(IDispatch* disp, const std::wstring& url) {
  CStandInBrowser* top = Top();
  if (!top->m_events) return;
  Strings str;
  VARIANT vUrl = Bstr(str(url));
  VARIANT args[2] = {ByRef(&vUrl), DispArg(disp)};
  top->m_events->Fire(DISPID_NAVIGATECOMPLETE2, args, 2);
}

void CStandInBrowser::FireDocumentComplete(IDispatch* disp, const std::wstring& url) {
  CStandInBrowser* top = Top();
  if (!top->m_events) return;
  Strings str;
  VARIANT vUrl = Bstr(str(url));
  VARIANT args[2] = {ByRef(&vUrl), DispArg(disp)};
  top->m_events->Fire(DISPID_DOCUMENTCOMPLETE, args, 2);
}

bool CStandInBrowser::FireNavigateError(IDispatch* disp, const std::wstring& url, const std::wstring& frame,
                                        LONG status) {
  CStandInBrowser* top = Top();
  if (!top->m_events) return false;
  Strings str;
  VARIANT vUrl = Bstr(str(url));
  VARIANT vFrame;
  ::VariantInit(&vFrame);
  if (!frame.empty()) vFrame = Bstr(str(frame));
  VARIANT vStatus = Long(status);
  VARIANT_BOOL cancel = VARIANT_FALSE;
  VARIANT args[5] = {BoolRef(&cancel), ByRef(&vStatus), ByRef(&vFrame), ByRef(&vUrl), DispArg(disp)};
  top->m_events->Fire(DISPID_NAVIGATEERROR, args, 5);
  return cancel != VARIANT_FALSE;
}

void CStandInBrowser::FireTitleChange(const std::wstring& title) {
  CStandInBrowser* top = Top();
  if (!top->m_events) return;
  Strings str;
  VARIANT args[1] = {Bstr(str(title))};
  top->m_events->Fire(DISPID_TITLECHANGE, args, 1);
}

void CStandInBrowser::OpenNewWindow(const std::wstring& url, DWORD flags) {
  CStandInBrowser* top = Top();
  IDispatch* created = nullptr;
  VARIANT_BOOL cancel = VARIANT_FALSE;
  if (top->m_events) {
    VARIANT args2[2] = {BoolRef(&cancel), DispOut(&created)};
    top->m_events->Fire(DISPID_NEWWINDOW2, args2, 2);

    Strings str;
    std::wstring context = m_document ? m_document->Url() : m_locationUrl;
    VARIANT vFlags = Typed(VT_UI4);
    vFlags.ulVal = flags;
    VARIANT args3[5] = {Bstr(str(url)), Bstr(str(context)), vFlags, BoolRef(&cancel), DispOut(&created)};
    top->m_events->Fire(DISPID_NEWWINDOW3, args3, 5);
  }
  ComPtr<IDispatch> given;
  given.Attach(created);
  if (cancel != VARIANT_FALSE) return;  // no window at all
  if (given) {
    // The host supplied the browser that shows the new window.
    ComPtr<IWebBrowser2> browser = given.As<IWebBrowser2>(IID_IWebBrowser2);
    if (browser) {
      VARIANT vUrl;
      ::VariantInit(&vUrl);
      vUrl.vt = VT_BSTR;
      vUrl.bstrVal = ::SysAllocString(url.c_str());
      VARIANT empty;
      ::VariantInit(&empty);
      browser->Navigate2(&vUrl, &empty, &empty, &empty, &empty);
      ::VariantClear(&vUrl);
    }
    return;
  }
  auto* popup = new (std::nothrow) CStandInBrowser();
  if (!popup) return;
  popup->OpenAsPopup();
  popup->NavigateAsPage(url, 0, L"", nullptr, L"");
  popup->Release();  // the popup's window keeps it
}
