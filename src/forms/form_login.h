// The login window: a colour-keyed layered form lying exactly over the background window,
// showing the portal's login page. Its WM_DESTROY ends the program.
#pragma once

#include "skin/form.h"

#include <string>

class CFormLogin : public CKXForm {
public:
  LRESULT WindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
  LRESULT PreTranslateMessage(MSG* msg) override;
  virtual bool CreateForm();  // 38

  std::wstring GetGameUrl() const { return m_gameUrl; }
  std::wstring GetQQLoginUrl() const { return m_qqLoginUrl; }
  void ReloadLoginPage();

  bool m_retrying = false;
  std::wstring m_gameUrl;
  bool m_returnedFromGame = false;
  std::wstring m_lastUrl;
  std::wstring m_qqLoginUrl;
};

// The question before the launcher ends; true when the user did not answer No.
bool AskExit(HWND owner);
