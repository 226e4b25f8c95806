// The background layer window: a per-pixel-alpha layered window showing the framed artwork
// (picture 170). It carries the taskbar button; the login form lies over it, owned by it.
#pragma once

#include "skin/form.h"

class CFormBack : public CKXForm {
public:
  bool OnLButtonDown(WPARAM flags, const POINT* point) override;  // any press drags
  void OnMove() override;                                         // the login form follows
  LRESULT WindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
  virtual bool CreateForm();                                      // 38

  void PaintLayered();
};

// Shows the form as a tool window at (-2000, -2000): live but outside every screen.
void ShowOffscreen(CKXForm& form, int topMost);
// Shows the form as an application window centred on the work area (or where it is).
void ShowOnWorkArea(CKXForm& form, int topMost, bool keepPosition);
