#include "skin/form.h"

#include "platform/handles.h"

#include <algorithm>
#include <commctrl.h>

POINT PointFromLParam(LPARAM lParam) {
  return {static_cast<LONG>(LOWORD(lParam)), static_cast<LONG>(HIWORD(lParam))};
}

POINT CenterOnWorkArea(const RECT& workArea, LONG clientWidth, LONG clientHeight) {
  return {(workArea.right - clientWidth) / 2, (workArea.bottom - clientHeight) / 2};
}

RECT GetWorkArea() {
  RECT work{};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  return work;
}

void KeepStyleBits(HWND wnd, LONG keepMask, LONG set) {
  ::SetWindowLongW(wnd, GWL_STYLE, (::GetWindowLongW(wnd, GWL_STYLE) & keepMask) | set);
}

void ChangeExStyle(HWND wnd, LONG clear, LONG set) {
  ::SetWindowLongW(wnd, GWL_EXSTYLE, (::GetWindowLongW(wnd, GWL_EXSTYLE) & ~clear) | set);
}

void StartWindowDrag(HWND wnd) { ::SendMessageW(wnd, WM_SYSCOMMAND, SC_MOVE + 1, 0); }

CKXForm::~CKXForm() {
  m_controls.clear();
  m_hWnd = nullptr;
}

bool CKXForm::OnLButtonDown(WPARAM, const POINT*) {
  ::SetFocus(m_hWnd);
  return true;
}

bool CKXForm::OnMouseMove(WPARAM flags, const POINT* point) {
  TrackMouse();
  // Controls the pointer is not over hear of the move first, so they can drop their hover look.
  for (auto it = m_controls.rbegin(); it != m_controls.rend(); ++it)
    if (*it && !(*it)->HitTest(point)) (*it)->OnMouseMove(flags, point);
  CKXBaseControl* target = ControlFromPoint(point);
  return target ? target->OnMouseMove(flags, point) : false;
}

bool CKXForm::OnMouseWheel(WPARAM wParam, const POINT* point) {
  CKXBaseControl* target = ControlFromPoint(point);
  return target ? target->OnMouseWheel(wParam, point) : false;
}

void CKXForm::OnPaint(HDC hdc) {
  for (CKXBaseControl* c : m_controls)
    if (c) c->OnPaint(hdc);
}

void CKXForm::UpdateLayout(const POINT* offset) {
  for (auto it = m_controls.rbegin(); it != m_controls.rend(); ++it)
    if (*it) (*it)->UpdateLayout(offset);
}

bool CKXForm::AddControl(CKXBaseControl* control) {
  control->m_hostWnd = m_hWnd;
  control->SetOwnerForm(this);
  m_controls.push_back(control);
  return true;
}

bool CKXForm::RemoveControl(CKXBaseControl* control) {
  auto it = std::find(m_controls.begin(), m_controls.end(), control);
  if (it == m_controls.end()) return false;
  m_controls.erase(it);
  return true;
}

bool CKXForm::OnMouseLeave(WPARAM flags, const POINT* point) {
  // Replayed as a move (at (0, 0): WM_MOUSELEAVE carries no position) with tracking marked
  // armed, so the replay does not re-arm it while the pointer is outside.
  m_tracking = true;
  OnMouseMove(flags, point);
  m_tracking = false;
  return true;
}

bool CKXForm::OnMouseHover(WPARAM, const POINT*) {
  m_hoverSeen = true;
  return true;
}

void CKXForm::OnSize() {
  UpdateLayout(nullptr);
  UpdateRegion();
}

void CKXForm::OnMove() {}

void CKXForm::OnActivate() {}

void CKXForm::TrackMouse() {
  if (m_tracking && !m_hoverSeen) return;
  TRACKMOUSEEVENT tme{};
  tme.cbSize = sizeof(tme);
  tme.dwFlags = TME_HOVER | TME_LEAVE;
  tme.hwndTrack = m_hWnd;
  tme.dwHoverTime = 300;
  ::_TrackMouseEvent(&tme);
  m_tracking = true;
  m_hoverSeen = false;
}

LRESULT CKXForm::SendSysCommand(UINT offset, HWND wnd) {
  HWND target = wnd ? wnd : m_hWnd;
  BOOL fullDrag = FALSE;
  ::SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &fullDrag, 0);
  if (fullDrag) ::SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, 0, nullptr, 0);
  LRESULT result = ::SendMessageW(target, WM_SYSCOMMAND, 0xF000 + offset, 0);
  if (fullDrag) ::SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, 1, nullptr, 0);
  return result;
}

bool CKXForm::Create(const wchar_t* className, const wchar_t* windowName, HINSTANCE instance,
                     HWND owner) {
  if (m_hWnd) return true;
  // The window's y is taken from the width value, as the forms have always been placed.
  m_hWnd = ::CreateWindowExW(0, className, windowName, WS_POPUP, m_rect.left, m_rect.right,
                             m_rect.right, m_rect.bottom, owner, nullptr, instance, nullptr);
  if (m_hWnd) ::SetWindowTextW(m_hWnd, L"Gravemere");
  return m_hWnd != nullptr;
}

bool CKXForm::ShowCentered(int showCommand) {
  if (!m_hWnd) return false;
  RECT client{};
  ::GetClientRect(m_hWnd, &client);
  POINT at = CenterOnWorkArea(GetWorkArea(), client.right - client.left, client.bottom - client.top);
  ::SetWindowPos(m_hWnd, HWND_TOP, at.x, at.y, 0, 0, SWP_SHOWWINDOW | SWP_NOSIZE);
  ::ShowWindow(m_hWnd, showCommand);
  ::UpdateWindow(m_hWnd);
  return true;
}

BOOL CKXForm::Hide() { return ::ShowWindow(m_hWnd, SW_HIDE); }

BOOL CKXForm::Minimize() { return ::ShowWindow(m_hWnd, SW_MINIMIZE); }

BOOL CKXForm::BringToFront() {
  if (::IsIconic(m_hWnd)) ::ShowWindow(m_hWnd, SW_RESTORE);
  ::ShowWindow(m_hWnd, SW_SHOW);
  ::SetWindowPos(m_hWnd, HWND_TOP, 0, 0, 0, 0, SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE);
  return ::SetForegroundWindow(m_hWnd);
}

bool CKXForm::Close() {
  if (m_hostWnd) ::SetFocus(m_hostWnd);
  if (m_hWnd) ::DestroyWindow(m_hWnd);
  return true;
}

void CKXForm::RedrawControls(bool onlyMarked) {
  for (auto it = m_controls.rbegin(); it != m_controls.rend(); ++it) {
    CKXBaseControl* c = *it;
    if (!c) continue;
    if (!onlyMarked || c->m_redrawMark) c->Invalidate();
  }
}

void CKXForm::OnFormReserved() {}

HWND CKXForm::GetHwnd() const { return m_hWnd; }

LRESULT CKXForm::WindowProc(HWND, UINT msg, WPARAM wParam, LPARAM lParam) {
  POINT point = PointFromLParam(lParam);
  switch (msg) {
    case WM_MOVE:
      OnMove();
      return 0;
    case WM_SIZE:
      OnSize();
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam)) OnActivate();
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps{};
      HDC hdc = ::BeginPaint(m_hWnd, &ps);
      OnPaint(hdc);
      ::EndPaint(m_hWnd, &ps);
      return 0;
    }
    case WM_CLOSE:
      Close();
      return 0;
    case WM_MOUSEMOVE:
      OnMouseMove(wParam, &point);
      return 0;
    case WM_LBUTTONDOWN:
      OnLButtonDown(wParam, &point);
      return 0;
    case WM_LBUTTONUP:
      OnLButtonUp(wParam, &point);
      return 0;
    case WM_LBUTTONDBLCLK:
      OnLButtonDblClk(wParam, &point);
      return 0;
    case WM_MOUSEWHEEL: {
      // The wheel's position is on the screen; both halves are signed there.
      POINT screen{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      ::ScreenToClient(m_hWnd, &screen);
      OnMouseWheel(wParam, &screen);
      return 0;
    }
    case WM_MOUSEHOVER:
      OnMouseHover(wParam, &point);
      return 0;
    case WM_MOUSELEAVE:
      OnMouseLeave(wParam, &point);
      return 0;
    default:
      return 1;
  }
}

LRESULT CKXForm::PreTranslateMessage(MSG*) { return 1; }

CKXBaseControl* CKXForm::ControlFromPoint(const POINT* point) const {
  for (auto it = m_controls.rbegin(); it != m_controls.rend(); ++it)
    if (*it && (*it)->HitTest(point)) return *it;
  return nullptr;
}

HRGN MakeFormRegion(const RECT& client, bool roundCorners) {
  const int e = roundCorners ? 4 : 0;
  return ::CreateRoundRectRgn(0, 0, client.right + 1, client.bottom + 1, e, e);
}

void CKXForm::UpdateRegion() {
  RECT client{};
  ::GetClientRect(m_hWnd, &client);
  HRGN region = MakeFormRegion(client, m_roundCorners);
  // The window owns the region from here on.
  if (region && !::SetWindowRgn(m_hWnd, region, TRUE)) ::DeleteObject(region);
}
