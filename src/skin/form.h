// A borderless top-level popup that owns an ordered list of drawn controls: paints them,
// routes the mouse to them, tracks hover and leave, keeps anchors and the window region
// current on resize. Every launcher window derives from it; the shared window procedure
// calls WindowProc of the form whose window a message is for.
#pragma once

#include "skin/control.h"

#include <vector>

class CKXForm : public CKXBaseControl {
public:
  CKXForm() = default;
  ~CKXForm() override;

  bool OnLButtonDown(WPARAM flags, const POINT* point) override;  // 1
  bool OnMouseMove(WPARAM flags, const POINT* point) override;    // 3
  bool OnMouseWheel(WPARAM wParam, const POINT* point) override;  // 5
  void OnPaint(HDC hdc) override;                                 // 6
  void UpdateLayout(const POINT* offset = nullptr) override;      // 11

  virtual bool AddControl(CKXBaseControl* control);                // 18
  virtual bool RemoveControl(CKXBaseControl* control);             // 19
  virtual bool OnMouseLeave(WPARAM flags, const POINT* point);     // 20
  virtual bool OnMouseHover(WPARAM flags, const POINT* point);     // 21
  virtual void OnSize();                                           // 22
  virtual void OnMove();                                           // 23
  virtual void OnActivate();                                       // 24
  virtual void TrackMouse();                                       // 25
  virtual LRESULT SendSysCommand(UINT offset, HWND wnd);           // 26 (no caller)
  virtual bool Create(const wchar_t* className, const wchar_t* windowName, HINSTANCE instance,
                      HWND owner);                                 // 27
  virtual bool ShowCentered(int showCommand);                      // 28
  virtual BOOL Hide();                                             // 29
  virtual BOOL Minimize();                                         // 30
  virtual BOOL BringToFront();                                     // 31
  virtual bool Close();                                            // 32
  virtual void RedrawControls(bool onlyMarked);                    // 33
  virtual void OnFormReserved();                                   // 34 (no caller)
  virtual HWND GetHwnd() const;                                    // 35
  // 0 when handled, 1 when not (the caller then passes the message on).
  virtual LRESULT WindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);  // 36
  // Nonzero swallows the message before dispatch.
  virtual LRESULT PreTranslateMessage(MSG* msg);                   // 37

  CKXBaseControl* ControlFromPoint(const POINT* point) const;
  void UpdateRegion();

  bool m_tracking = false;
  bool m_hoverSeen = false;
  bool m_roundCorners = false;
  HWND m_hWnd = nullptr;
  std::vector<CKXBaseControl*> m_controls;  // paint order; the last is on top; not owned
};

// The mouse point of a mouse message: both halves of lParam zero-extended.
POINT PointFromLParam(LPARAM lParam);

// (x, y) that centres a client area of the given size on the work area; the work area's
// left and top do not enter, and the halves are truncated toward zero.
POINT CenterOnWorkArea(const RECT& workArea, LONG clientWidth, LONG clientHeight);
RECT GetWorkArea();

// The window region of a form: the client area plus one pixel right and below, with corners
// rounded by a 4-pixel ellipse when asked.
HRGN MakeFormRegion(const RECT& client, bool roundCorners);

// Window style: keep only the bits of keepMask, then set the bits of set.
void KeepStyleBits(HWND wnd, LONG keepMask, LONG set);
// Extended style: clear, then set.
void ChangeExStyle(HWND wnd, LONG clear, LONG set);

// Sends WM_SYSCOMMAND SC_MOVE+1: the system drags the window until the button is released.
void StartWindowDrag(HWND wnd);
