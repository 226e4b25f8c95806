// The game window: a borderless window whose title bar carries the portal links and window
// buttons, and whose remaining client area shows the game page. It fills the work area.
#pragma once

#include "skin/form.h"

#include <string>

class CFormGame : public CKXForm {
public:
  LRESULT WindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
  LRESULT PreTranslateMessage(MSG* msg) override;
  virtual bool ConfirmExit();                            // 38
  virtual bool CreateForm(const std::wstring& startUrl);  // 39

  bool FillWorkArea();
  bool RestoreSize();

  std::wstring m_startUrl;
  bool m_filled = false;
};
