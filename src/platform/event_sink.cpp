#include "platform/event_sink.h"

#include <ocidl.h>
#include <olectl.h>

VARIANT* CEventArgs::Variant(UINT index) const {
  if (index >= m_params.cArgs || !m_params.rgvarg) return nullptr;
  VARIANT* arg = &m_params.rgvarg[m_params.cArgs - 1 - index];
  if (arg->vt == (VT_BYREF | VT_VARIANT) && arg->pvarVal) return arg->pvarVal;
  return arg;
}

IDispatch* CEventArgs::Dispatch(UINT index) const {
  VARIANT* arg = Variant(index);
  if (!arg) return nullptr;
  if (arg->vt == VT_DISPATCH) return arg->pdispVal;
  if (arg->vt == (VT_BYREF | VT_DISPATCH) && arg->ppdispVal) return *arg->ppdispVal;
  return nullptr;
}

IDispatch** CEventArgs::DispatchOut(UINT index) const {
  VARIANT* arg = Variant(index);
  return arg && arg->vt == (VT_BYREF | VT_DISPATCH) ? arg->ppdispVal : nullptr;
}

VARIANT_BOOL* CEventArgs::BoolOut(UINT index) const {
  VARIANT* arg = Variant(index);
  return arg && arg->vt == (VT_BYREF | VT_BOOL) ? arg->pboolVal : nullptr;
}

BSTR CEventArgs::Bstr(UINT index) const {
  VARIANT* arg = Variant(index);
  if (!arg) return nullptr;
  if (arg->vt == VT_BSTR) return arg->bstrVal;
  if (arg->vt == (VT_BYREF | VT_BSTR) && arg->pbstrVal) return *arg->pbstrVal;
  return nullptr;
}

namespace {
HRESULT FindPoint(IUnknown* source, REFIID events, ComPtr<IConnectionPoint>& point) {
  if (!source) return E_POINTER;
  ComPtr<IConnectionPointContainer> container;
  HRESULT hr = source->QueryInterface(IID_IConnectionPointContainer, container.PutVoid());
  if (FAILED(hr)) return hr;
  return container->FindConnectionPoint(events, point.Put());
}
}  // namespace

HRESULT CDispEventSink::Advise(IUnknown* source) {
  if (m_cookie) return CONNECT_E_ADVISELIMIT;
  ComPtr<IConnectionPoint> point;
  HRESULT hr = FindPoint(source, m_events, point);
  if (FAILED(hr)) return hr;
  DWORD cookie = 0;
  hr = point->Advise(static_cast<IDispatch*>(this), &cookie);
  if (SUCCEEDED(hr)) m_cookie = cookie;
  return hr;
}

HRESULT CDispEventSink::Unadvise(IUnknown* source) {
  if (!m_cookie) return CONNECT_E_NOCONNECTION;
  ComPtr<IConnectionPoint> point;
  HRESULT hr = FindPoint(source, m_events, point);
  if (FAILED(hr)) return hr;
  hr = point->Unadvise(m_cookie);
  if (SUCCEEDED(hr)) m_cookie = 0;
  return hr;
}

STDMETHODIMP CDispEventSink::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IDispatch || iid == m_events) {
    *out = static_cast<IDispatch*>(this);
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP CDispEventSink::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 0;
  return S_OK;
}

STDMETHODIMP CDispEventSink::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info) *info = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP CDispEventSink::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

STDMETHODIMP CDispEventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                                    UINT*) {
  if (result) ::VariantInit(result);
  for (const DispEventEntry& entry : m_table) {
    if (entry.id != id) continue;
    DISPPARAMS none{};
    const DISPPARAMS& args = params ? *params : none;
    if (args.cArgs < entry.argCount) return DISP_E_BADPARAMCOUNT;
    entry.handler(m_owner, CEventArgs(args));
    return S_OK;
  }
  // Events nobody listens to are fine.
  return S_OK;
}
