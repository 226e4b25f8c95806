// What a browser view tells its form: a small typed event source. Each form adds one handler
// that calls its OnWebNotify member with (code, wParam, lParam).
#pragma once

#include "platform/win.h"

#include <new>
#include <vector>

// Notification codes. Codes 3 to 6 are never raised.
enum : UINT {
  WEBNOTIFY_DOCUMENT_COMPLETE = 0,   // the top-level page finished loading; lParam: the view
  WEBNOTIFY_NAVIGATE_ERROR = 1,      // a navigation failed (not aborted); lParam: the view
  WEBNOTIFY_GET_EXTERNAL = 2,        // the page asks for window.external; wParam: IDispatch** out
  WEBNOTIFY_BEFORE_NAVIGATE = 7,     // a navigation starts (top or frame); lParam: the view
  WEBNOTIFY_NAVIGATE_COMPLETE = 8,   // the first completed navigation after Navigate; lParam: the view
  WEBNOTIFY_TITLE_CHANGE = 9,        // lParam: the title text (a BSTR valid during the call)
  WEBNOTIFY_NAVIGATION_BLOCKED = 10, // a navigation was cancelled by the view; lParam: the view
};

// One handler. wParam and lParam carry pointers for some codes, so they are pointer-sized.
class ICWebNotifyEventHandler {
public:
  virtual void Invoke(UINT code, WPARAM wParam, LPARAM lParam) = 0;
  virtual ~ICWebNotifyEventHandler() = default;
};

// The member function a form binds: void (T::*)(UINT code, WPARAM wParam, LPARAM lParam).
template <class T>
using FCWebNotifyEventHandler = void (T::*)(UINT, WPARAM, LPARAM);

// The common base of handlers bound to a target class; it reacts to nothing by itself.
template <class T, class F, class I>
class CEventHandler : public I {
public:
  void Invoke(UINT, WPARAM, LPARAM) override {}
};

// Calls one member function of one target object (not owned) with the three values unchanged.
template <class T, class F = FCWebNotifyEventHandler<T>>
class CCWebNotifyEventHandler : public CEventHandler<T, F, ICWebNotifyEventHandler> {
public:
  CCWebNotifyEventHandler(T* target, F function) : m_pTarget(target), m_pfnHandler(function) {}
  void Invoke(UINT code, WPARAM wParam, LPARAM lParam) override {
    if (m_pTarget && m_pfnHandler) (m_pTarget->*m_pfnHandler)(code, wParam, lParam);
  }

private:
  T* m_pTarget;
  F m_pfnHandler;
};

// An ordered list of owned handlers, called in the order they were added.
template <template <class, class> class H, template <class> class F, class I>
class CFEvent {
public:
  CFEvent() = default;
  CFEvent(const CFEvent&) = delete;
  CFEvent& operator=(const CFEvent&) = delete;
  virtual ~CFEvent() {
    for (I* handler : m_handlers) delete handler;
  }

  // Appends a handler calling `function` on `target`. An allocation failure appends a null
  // entry, which Fire skips.
  template <class T>
  void AddHandler(T* target, F<T> function) {
    m_handlers.push_back(new (std::nothrow) H<T, F<T>>(target, function));
  }

  // Calls every handler synchronously. A handler may start navigations that fire nested
  // notifications; indices keep the walk valid even if one adds a handler meanwhile.
  void Fire(UINT code, WPARAM wParam, LPARAM lParam) {
    for (size_t i = 0; i < m_handlers.size(); ++i)
      if (I* handler = m_handlers[i]) handler->Invoke(code, wParam, lParam);
  }

private:
  std::vector<I*> m_handlers;
};

class CWebNotify : public CFEvent<CCWebNotifyEventHandler, FCWebNotifyEventHandler, ICWebNotifyEventHandler> {
public:
  ~CWebNotify() override = default;
};
