// RAII owners for the Win32 handles the launcher uses: whatever is opened is closed
// on every way out because a destructor closes it.
#pragma once

#include "platform/win.h"

#include <utility>

// Owns one handle-like value and releases it with Traits::Close unless it equals Traits::Invalid().
template <typename Traits>
class UniqueHandleT {
public:
  using T = typename Traits::Type;

  UniqueHandleT() = default;
  explicit UniqueHandleT(T h) : m_h(h) {}
  ~UniqueHandleT() { Reset(); }
  UniqueHandleT(const UniqueHandleT&) = delete;
  UniqueHandleT& operator=(const UniqueHandleT&) = delete;
  UniqueHandleT(UniqueHandleT&& o) noexcept : m_h(o.Release()) {}
  UniqueHandleT& operator=(UniqueHandleT&& o) noexcept {
    if (this != &o) Reset(o.Release());
    return *this;
  }

  T Get() const { return m_h; }
  explicit operator bool() const { return m_h != Traits::Invalid(); }
  T Release() { return std::exchange(m_h, Traits::Invalid()); }
  void Reset(T h = Traits::Invalid()) {
    if (m_h != Traits::Invalid()) Traits::Close(m_h);
    m_h = h;
  }
  // For APIs that return the handle through an out-parameter.
  T* Put() {
    Reset();
    return &m_h;
  }

private:
  T m_h = Traits::Invalid();
};

struct KernelHandleTraits {  // events, threads, processes, tokens, snapshots (null when absent)
  using Type = HANDLE;
  static Type Invalid() { return nullptr; }
  static void Close(Type h) { ::CloseHandle(h); }
};
struct FileHandleTraits {  // CreateFileW and friends (INVALID_HANDLE_VALUE when absent)
  using Type = HANDLE;
  static Type Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Type h) { ::CloseHandle(h); }
};
struct RegKeyTraits {
  using Type = HKEY;
  static Type Invalid() { return nullptr; }
  static void Close(Type h) { ::RegCloseKey(h); }
};
struct GdiObjectTraits {
  using Type = HGDIOBJ;
  static Type Invalid() { return nullptr; }
  static void Close(Type h) { ::DeleteObject(h); }
};
struct MemDCTraits {
  using Type = HDC;
  static Type Invalid() { return nullptr; }
  static void Close(Type h) { ::DeleteDC(h); }
};
struct RegionTraits {
  using Type = HRGN;
  static Type Invalid() { return nullptr; }
  static void Close(Type h) { ::DeleteObject(h); }
};
struct MenuTraits {
  using Type = HMENU;
  static Type Invalid() { return nullptr; }
  static void Close(Type h) { ::DestroyMenu(h); }
};
struct GlobalMemTraits {
  using Type = HGLOBAL;
  static Type Invalid() { return nullptr; }
  static void Close(Type h) { ::GlobalFree(h); }
};

using UniqueHandle = UniqueHandleT<KernelHandleTraits>;
using UniqueFile = UniqueHandleT<FileHandleTraits>;
using UniqueRegKey = UniqueHandleT<RegKeyTraits>;
using UniqueGdiObject = UniqueHandleT<GdiObjectTraits>;
using UniqueMemDC = UniqueHandleT<MemDCTraits>;
using UniqueRegion = UniqueHandleT<RegionTraits>;
using UniqueMenu = UniqueHandleT<MenuTraits>;
using UniqueGlobal = UniqueHandleT<GlobalMemTraits>;

// A window's DC from GetDC, released with ReleaseDC.
class WindowDC {
public:
  explicit WindowDC(HWND wnd) : m_wnd(wnd), m_dc(::GetDC(wnd)) {}
  ~WindowDC() {
    if (m_dc) ::ReleaseDC(m_wnd, m_dc);
  }
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  HDC Get() const { return m_dc; }
  explicit operator bool() const { return m_dc != nullptr; }

private:
  HWND m_wnd;
  HDC m_dc;
};

// Selects a GDI object into a DC for the life of the scope.
class SelectObjectScope {
public:
  SelectObjectScope(HDC dc, HGDIOBJ obj) : m_dc(dc), m_old(obj ? ::SelectObject(dc, obj) : nullptr) {}
  ~SelectObjectScope() {
    if (m_old) ::SelectObject(m_dc, m_old);
  }
  SelectObjectScope(const SelectObjectScope&) = delete;
  SelectObjectScope& operator=(const SelectObjectScope&) = delete;

private:
  HDC m_dc;
  HGDIOBJ m_old;
};
