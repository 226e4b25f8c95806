// The scan-to-pay window: a small popup near the mouse showing the portal's QR payment page.
#pragma once

#include "skin/form.h"

class CFormScan : public CKXForm {
public:
  LRESULT WindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
  virtual bool CreateForm();  // 38

  bool ShowAt(int dx, int dy);
};

// The scan-to-pay window's rectangle moved by (dx, dy) and pulled back inside the work area
// on the right and at the bottom, then pushed down to the top when above it.
RECT PlaceInWorkArea(RECT rect, int dx, int dy, const RECT& workArea);
