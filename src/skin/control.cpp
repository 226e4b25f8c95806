#include "skin/control.h"

CKXBaseControl::CKXBaseControl() : m_cursor(::LoadCursorW(nullptr, IDC_ARROW)) {}

CKXBaseControl::~CKXBaseControl() = default;

bool CKXBaseControl::OnLButtonDown(WPARAM, const POINT*) {
  ::SetCursor(m_cursor);
  return false;
}

bool CKXBaseControl::OnLButtonUp(WPARAM, const POINT*) {
  ::SetCursor(m_cursor);
  return false;
}

bool CKXBaseControl::OnMouseMove(WPARAM, const POINT* point) {
  if (m_visible && m_enabled && HitTest(point)) ::SetCursor(m_cursor);
  return false;
}

bool CKXBaseControl::OnLButtonDblClk(WPARAM, const POINT*) { return false; }

bool CKXBaseControl::OnMouseWheel(WPARAM, const POINT*) { return false; }

void CKXBaseControl::OnPaint(HDC) {}

void CKXBaseControl::SetRect(const RECT& rect) { m_rect = rect; }

void CKXBaseControl::SetAnchorRect(const RECT& rect) {
  m_anchorRect = rect;
  UpdateLayout(nullptr);
}

RECT CKXBaseControl::GetRect() const { return m_rect; }

std::wstring CKXBaseControl::GetTypeName() const { return m_typeName; }

void CKXBaseControl::UpdateLayout(const POINT* offset) {
  if (m_anchor == L"right") {
    RECT client{};
    ::GetClientRect(m_hostWnd, &client);
    const LONG w = client.right - client.left;
    SetRect({w - m_anchorRect.left, m_anchorRect.top, w - m_anchorRect.right, m_anchorRect.bottom});
  }
  if (offset) ::OffsetRect(&m_rect, offset->x, offset->y);
}

bool CKXBaseControl::HitTest(const POINT* point) const {
  return point && m_visible && m_enabled && ::PtInRect(&m_rect, *point);
}

void CKXBaseControl::SetOwnerForm(CKXForm* form) { m_ownerForm = form; }

void CKXBaseControl::SetVisible(bool visible, bool redraw) {
  if (visible == m_visible) return;
  m_visible = visible;
  if (redraw) Invalidate();
}

void CKXBaseControl::SetEnabled(bool enabled, bool redraw) {
  if (enabled == m_enabled) return;
  m_enabled = enabled;
  if (redraw) Invalidate();
}

void CKXBaseControl::Invalidate() {
  if (!m_hostWnd) return;  // not on a window yet; RedrawWindow(nullptr) would repaint the desktop
  if (m_deferredPaint) {
    // The posted paint message must find the rectangle invalid, or BeginPaint paints nothing.
    ::InvalidateRect(m_hostWnd, &m_rect, FALSE);
    ::PostMessageW(m_hostWnd, WM_PAINT, 0, 0);
    return;
  }
  ::RedrawWindow(m_hostWnd, &m_rect, nullptr, RDW_INVALIDATE | RDW_NOERASE | RDW_UPDATENOW);
}

int CKXBaseControl::OnReserved(int, int, int, int) { return 0; }
