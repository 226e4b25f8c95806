// Our event sink: an IDispatch advised on a source's connection point for one dispatch
// interface, handing each event to its owner through a table of DISPIDs.
#pragma once

#include "platform/com_ptr.h"
#include "platform/win.h"

#include <oaidl.h>

#include <span>

// The arguments of one event, numbered in declaration order (DISPPARAMS holds them reversed).
// Arguments passed by reference (VT_BYREF|VT_VARIANT) are looked through.
class CEventArgs {
public:
  explicit CEventArgs(const DISPPARAMS& params) : m_params(params) {}

  UINT Count() const { return m_params.cArgs; }
  // The argument as a variant, or null when it is missing.
  VARIANT* Variant(UINT index) const;
  // A VT_DISPATCH argument (also by reference), or null.
  IDispatch* Dispatch(UINT index) const;
  // A VT_BYREF|VT_DISPATCH out-parameter, or null.
  IDispatch** DispatchOut(UINT index) const;
  // A VT_BYREF|VT_BOOL out-parameter (a cancel flag), or null.
  VARIANT_BOOL* BoolOut(UINT index) const;
  // A VT_BSTR argument (also by reference), or null.
  BSTR Bstr(UINT index) const;

private:
  const DISPPARAMS& m_params;
};

// One row of an owner's event table.
struct DispEventEntry {
  DISPID id;
  UINT argCount;  // events that bring fewer arguments are not handed on
  void (*handler)(void* owner, const CEventArgs& args);
};

class CDispEventSink final : public IDispatch {
public:
  CDispEventSink(REFIID events, void* owner, std::span<const DispEventEntry> table)
      : m_events(events), m_owner(owner), m_table(table) {}
  CDispEventSink(const CDispEventSink&) = delete;
  CDispEventSink& operator=(const CDispEventSink&) = delete;

  // Connects to, and disconnects from, the source's connection point for the events.
  HRESULT Advise(IUnknown* source);
  HRESULT Unadvise(IUnknown* source);
  bool IsAdvised() const { return m_cookie != 0; }

  // The sink lives inside its owner: reference counting keeps nothing alive.
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override { return 1; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP GetTypeInfoCount(UINT* count) override;
  STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
  STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
  STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* excepInfo, UINT* argErr) override;

private:
  IID m_events;
  void* m_owner;
  std::span<const DispEventEntry> m_table;
  DWORD m_cookie = 0;
};

// A base for a class that sinks the events `*piid` of source number `nID`: T lists its
// handlers in a static `SinkMap()` returning its table.
template <UINT nID, class T, const IID* piid>
class CDispEventSimpleImpl {
public:
  static constexpr UINT SOURCE_ID = nID;

protected:
  CDispEventSimpleImpl() : m_sink(*piid, static_cast<T*>(this), T::SinkMap()) {}

  HRESULT DispEventAdvise(IUnknown* source) { return m_sink.Advise(source); }
  HRESULT DispEventUnadvise(IUnknown* source) { return m_sink.Unadvise(source); }
  bool IsSinkAdvised() const { return m_sink.IsAdvised(); }
  IDispatch* SinkDispatch() { return &m_sink; }

private:
  CDispEventSink m_sink;
};
