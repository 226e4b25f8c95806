// A small owning COM interface pointer: Release on destruction, AddRef on copy.
#pragma once

#include "platform/win.h"

#include <unknwn.h>
#include <utility>

template <typename T>
class ComPtr {
public:
  ComPtr() = default;
  ComPtr(T* p) : m_p(p) {  // adds a reference
    if (m_p) m_p->AddRef();
  }
  ComPtr(const ComPtr& o) : ComPtr(o.m_p) {}
  ComPtr(ComPtr&& o) noexcept : m_p(std::exchange(o.m_p, nullptr)) {}
  ~ComPtr() { Reset(); }
  ComPtr& operator=(ComPtr o) noexcept {
    std::swap(m_p, o.m_p);
    return *this;
  }

  T* Get() const { return m_p; }
  T* operator->() const { return m_p; }
  explicit operator bool() const { return m_p != nullptr; }
  void Reset() {
    if (m_p) std::exchange(m_p, nullptr)->Release();
  }
  // Out-parameter for calls that hand over a reference (QueryInterface, CoCreateInstance, ...).
  T** Put() {
    Reset();
    return &m_p;
  }
  void** PutVoid() { return reinterpret_cast<void**>(Put()); }
  // Takes over a pointer that already carries a reference.
  void Attach(T* p) {
    Reset();
    m_p = p;
  }
  T* Detach() { return std::exchange(m_p, nullptr); }

  template <typename U>
  ComPtr<U> As(REFIID iid) const {
    ComPtr<U> out;
    if (m_p) m_p->QueryInterface(iid, out.PutVoid());
    return out;
  }

private:
  T* m_p = nullptr;
};
