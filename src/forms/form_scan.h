// The scan-to-pay window: a small rounded popup near the mouse with the bold caption
// "扫码充值", a close button and the portal's QR payment page for the player and server.
#pragma once

#include "browser/browser_view.h"
#include "skin/button.h"
#include "skin/form.h"
#include "skin/label.h"
#include "skin/picture.h"

#include <string>

class CFormScan : public CKXForm {
public:
  bool OnLButtonDown(WPARAM flags, const POINT* point) override;
  bool OnLButtonUp(WPARAM flags, const POINT* point) override;
  LRESULT WindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
  virtual bool CreateForm();  // 38

  bool ShowAt(int dx, int dy);
  void OnWebNotify(UINT code, WPARAM wParam, LPARAM lParam);

  CKXButton m_btnClose;
  CKXImage m_imgBackground;
  CKXLabel m_lblCaption;
  CBrowserView m_view;
};

// The scan-to-pay window's rectangle moved by (dx, dy) and pulled back inside the work area
// on the right and at the bottom, then pushed down to the top when above it.
RECT PlaceInWorkArea(RECT rect, int dx, int dy, const RECT& workArea);
// The QR payment page for a server and a player.
std::wstring QrPayUrl(const std::wstring& serverId, const std::wstring& userName);
