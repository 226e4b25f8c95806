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

  // Renders picture 170 into the layered window, once; the window gets no paint messages.
  // Renders the picture into the layered window, placing it at the screen's top-left corner,
  // or where it stands when keepPosition is set.
  void PaintLayered(bool keepPosition = false);
};

// The skin picture of the background window.
constexpr UINT BACKGROUND_PICTURE_ID = 170;

// Draws the PNG resource id at (0, 0), natural size, premultiplied with rounding: blended with
// its own alpha when it has one, copied otherwise. False, drawing nothing, when the resource is
// missing or cannot be decoded.
bool DrawLayerPicture(HDC dc, HINSTANCE instance, UINT id);

// A zeroed, top-down 32-bit DIB section: fully transparent until something is drawn into it.
HBITMAP CreateLayerBitmap(int width, int height);

// Shows the form as a tool window at (-2000, -2000): live but outside every screen.
void ShowOffscreen(CKXForm& form, int topMost);
// Shows the form as an application window centred on the work area (or where it is).
void ShowOnWorkArea(CKXForm& form, int topMost, bool keepPosition);
