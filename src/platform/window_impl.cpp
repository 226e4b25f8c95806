#include "platform/window_impl.h"

#include <utility>
#include <vector>

namespace {
// The object whose window is being created on this thread: it binds itself to the first
// message, which may come before WM_NCCREATE.
thread_local CWindowImplRoot* t_creating = nullptr;

// Superclasses registered by this process and the procedures of their base classes.
// Classes are registered on the UI thread only.
std::vector<std::pair<ATOM, WNDPROC>>& Superclasses() {
  static std::vector<std::pair<ATOM, WNDPROC>> classes;
  return classes;
}
}  // namespace

CWindowImplRoot::~CWindowImplRoot() {
  // The object goes away before its window: hand the window back to the base class's
  // procedure so it still cleans up after itself when it is destroyed.
  if (m_hWnd && ::IsWindow(m_hWnd)) {
    ::SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, 0);
    ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuperWindowProc));
  }
}

WNDPROC CWindowImplRoot::GetWindowProc() { return &CWindowImplRoot::WindowProc; }

void CWindowImplRoot::OnFinalMessage(HWND) {}

WNDPROC CWindowImplRoot::BaseProcOf(ATOM atom) {
  for (const auto& [classAtom, proc] : Superclasses())
    if (classAtom == atom) return proc;
  return nullptr;
}

ATOM CWindowImplRoot::RegisterSuperclass(const wchar_t* name, const wchar_t* baseName) {
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  if (ATOM existing = static_cast<ATOM>(::GetClassInfoExW(instance, name, &wc)))
    return BaseProcOf(existing) ? existing : 0;
  if (!::GetClassInfoExW(instance, baseName, &wc)) return 0;
  WNDPROC baseProc = wc.lpfnWndProc;
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = &CWindowImplRoot::WindowProc;
  wc.hInstance = instance;
  wc.lpszClassName = name;
  ATOM atom = ::RegisterClassExW(&wc);
  if (atom) Superclasses().emplace_back(atom, baseProc);
  return atom;
}

HWND CWindowImplRoot::CreateImpl(const wchar_t* className, HWND parent, const RECT& rc, const wchar_t* text,
                                 DWORD style, DWORD exStyle) {
  if (m_hWnd) return nullptr;
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  WNDPROC baseProc = BaseProcOf(static_cast<ATOM>(::GetClassInfoExW(instance, className, &wc)));
  if (!baseProc) return nullptr;
  m_pfnSuperWindowProc = baseProc;

  CWindowImplRoot* outer = std::exchange(t_creating, this);
  HWND wnd = ::CreateWindowExW(exStyle, className, text, style, rc.left, rc.top, rc.right - rc.left,
                               rc.bottom - rc.top, parent, nullptr, instance, nullptr);
  t_creating = outer;
  return wnd;
}

LRESULT CWindowImplRoot::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  return ::CallWindowProcW(m_pfnSuperWindowProc, m_hWnd, msg, wParam, lParam);
}

LRESULT CALLBACK CWindowImplRoot::WindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<CWindowImplRoot*>(::GetWindowLongPtrW(wnd, GWLP_USERDATA));
  if (!self && t_creating && !t_creating->m_hWnd) {
    self = std::exchange(t_creating, nullptr);
    self->m_hWnd = wnd;
    ::SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  if (!self) {
    // A window of the class made without an object: it behaves as the base class.
    WNDPROC base = BaseProcOf(static_cast<ATOM>(::GetClassLongPtrW(wnd, GCW_ATOM)));
    return base ? ::CallWindowProcW(base, wnd, msg, wParam, lParam) : ::DefWindowProcW(wnd, msg, wParam, lParam);
  }

  LRESULT result = 0;
  if (!self->ProcessWindowMessage(wnd, msg, wParam, lParam, result)) result = self->DefWindowProc(msg, wParam, lParam);
  if (msg == WM_NCDESTROY) {
    ::SetWindowLongPtrW(wnd, GWLP_USERDATA, 0);
    self->m_hWnd = nullptr;
    self->OnFinalMessage(wnd);
  }
  return result;
}
