// The QQ login window: a framed window in which the user signs in with QQ; the sign-in's
// continuation is handed back to the login page.
#pragma once

#include "skin/form.h"

#include <string>

class CFormQQLogin : public CKXForm {
public:
  LRESULT WindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
  LRESULT PreTranslateMessage(MSG* msg) override;
  virtual bool CreateForm(const std::wstring& startUrl);  // 38

  bool CenterAndShow();

  std::wstring m_startUrl;
};
