// Our stand-in for ATL's window implementation: binds one C++ object to the window it creates
// and offers it every message first; what it leaves unhandled goes to the original procedure
// of the class (the base class's procedure, as the class is registered as a superclass).
#pragma once

#include "platform/win.h"

class CWindowImplRoot {
public:
  CWindowImplRoot() = default;
  CWindowImplRoot(const CWindowImplRoot&) = delete;
  CWindowImplRoot& operator=(const CWindowImplRoot&) = delete;

  // The message map: true when handled, with the message's result in `result`.
  virtual BOOL ProcessWindowMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) = 0;
  virtual ~CWindowImplRoot();
  // The procedure registered for the class.
  virtual WNDPROC GetWindowProc();
  // After WM_NCDESTROY, when the object no longer has a window.
  virtual void OnFinalMessage(HWND wnd);

  HWND m_hWnd = nullptr;

protected:
  // Registers `name` as a copy of the class `baseName` whose messages reach the object first.
  // Idempotent per process; 0 when the base class is unknown.
  static ATOM RegisterSuperclass(const wchar_t* name, const wchar_t* baseName);
  // Creates a window of a class registered with RegisterSuperclass, bound to this object.
  HWND CreateImpl(const wchar_t* className, HWND parent, const RECT& rc, const wchar_t* text, DWORD style,
                  DWORD exStyle);
  // The base class's procedure, for messages the map passes on.
  LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam);

  static LRESULT CALLBACK WindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);

private:
  static WNDPROC BaseProcOf(ATOM atom);

  WNDPROC m_pfnSuperWindowProc = ::DefWindowProcW;
};
