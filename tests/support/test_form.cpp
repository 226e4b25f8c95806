#include "test_form.h"

#include <map>

namespace {

std::map<HWND, CKXForm*>& Forms() {
  static std::map<HWND, CKXForm*> forms;
  return forms;
}

LRESULT CALLBACK TestFormProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto it = Forms().find(wnd);
  if (it != Forms().end() && it->second->WindowProc(wnd, msg, wParam, lParam) == 0) return 0;
  return ::DefWindowProcW(wnd, msg, wParam, lParam);
}

const wchar_t* TestFormClass() {
  static const ATOM atom = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = TestFormProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"KXTestForm";
    return ::RegisterClassExW(&wc);
  }();
  return atom ? L"KXTestForm" : nullptr;
}

}  // namespace

bool CTestForm::Open(const RECT& rect) {
  SetRect(rect);
  if (!Create(TestFormClass(), L"", ::GetModuleHandleW(nullptr), nullptr)) return false;
  Forms()[m_hWnd] = this;
  ::ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
  ::UpdateWindow(m_hWnd);
  return true;
}

CTestForm::~CTestForm() {
  if (!m_hWnd) return;
  Forms().erase(m_hWnd);
  ::DestroyWindow(m_hWnd);
}
