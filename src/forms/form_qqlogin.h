// The QQ login window: a dark title bar, a thin frame, a close button and a browser view in
// which the user signs in with QQ. The sign-in's continuation is handed to the login page.
#pragma once

#include "browser/browser_view.h"
#include "skin/button.h"
#include "skin/form.h"
#include "skin/label.h"
#include "skin/picture.h"

#include <string>

class CFormQQLogin : public CKXForm {
public:
  bool OnLButtonDown(WPARAM flags, const POINT* point) override;
  bool OnLButtonUp(WPARAM flags, const POINT* point) override;
  LRESULT WindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
  LRESULT PreTranslateMessage(MSG* msg) override;
  virtual bool CreateForm(const std::wstring& startUrl);  // 38

  void Layout();
  bool CenterAndShow();
  void OnWebNotify(UINT code, WPARAM wParam, LPARAM lParam);

  CKXImage m_imgTitleBar;
  CKXImage m_imgLeftEdge;
  CKXImage m_imgRightEdge;
  CKXImage m_imgBottomEdge;
  CKXButton m_btnClose;
  CKXLabel m_lblTitle;
  CBrowserView m_view;
  std::wstring m_startUrl;
};

// The account host's login continuation; a QQ page that navigates there has signed in.
std::wstring AccountLoginContinuation();
