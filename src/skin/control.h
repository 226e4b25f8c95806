// The root of the skin toolkit: a drawn control is a rectangle inside its form's window that
// paints itself into the form's paint DC and receives the mouse events the form routes to it.
// Controls send no notifications; a form finds the control under the pointer and compares
// identities. The virtual slot order below is shared by every control and form.
#pragma once

#include "platform/win.h"

#include <string>

class CKXForm;

class CKXBaseControl {
public:
  CKXBaseControl();
  virtual ~CKXBaseControl();                                     // 0
  virtual bool OnLButtonDown(WPARAM flags, const POINT* point);  // 1
  virtual bool OnLButtonUp(WPARAM flags, const POINT* point);    // 2
  virtual bool OnMouseMove(WPARAM flags, const POINT* point);    // 3
  virtual bool OnLButtonDblClk(WPARAM flags, const POINT* point);  // 4
  virtual bool OnMouseWheel(WPARAM wParam, const POINT* point);  // 5
  virtual void OnPaint(HDC hdc);                                 // 6
  virtual void SetRect(const RECT& rect);                        // 7
  virtual void SetAnchorRect(const RECT& rect);                  // 8
  virtual RECT GetRect() const;                                  // 9
  virtual std::wstring GetTypeName() const;                      // 10
  virtual void UpdateLayout(const POINT* offset = nullptr);      // 11
  virtual bool HitTest(const POINT* point) const;                // 12
  virtual void SetOwnerForm(CKXForm* form);                      // 13
  virtual void SetVisible(bool visible, bool redraw);            // 14
  virtual void SetEnabled(bool enabled, bool redraw);            // 15
  virtual void Invalidate();                                     // 16
  virtual int OnReserved(int a, int b, int c, int d);            // 17 (no caller)

  CKXBaseControl(const CKXBaseControl&) = delete;
  CKXBaseControl& operator=(const CKXBaseControl&) = delete;

  RECT m_rect{};
  HWND m_hostWnd = nullptr;
  HCURSOR m_cursor;  // shared system cursor, never destroyed
  CKXForm* m_ownerForm = nullptr;
  std::wstring m_typeName = L"CKXBaseControl";
  std::wstring m_anchor;  // only the exact "right" has an effect
  RECT m_anchorRect{};
  bool m_visible = true;
  bool m_enabled = true;
  bool m_redrawMark = false;
  bool m_deferredPaint = false;
};
