// The login window: a colour-keyed layered form lying exactly over the background window,
// with the skinned buttons, the portal's login page and the network-error label. It watches
// the page's navigations and hands the game URL to the shell. Its WM_DESTROY ends the program.
#pragma once

#include "browser/browser_view.h"
#include "skin/button.h"
#include "skin/form.h"
#include "skin/label.h"
#include "skin/picture.h"

#include <string>

class CFormLogin : public CKXForm {
public:
  bool OnLButtonDown(WPARAM flags, const POINT* point) override;
  bool OnLButtonUp(WPARAM flags, const POINT* point) override;
  LRESULT WindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
  LRESULT PreTranslateMessage(MSG* msg) override;
  virtual bool CreateForm();  // 38

  void OnWebNotify(UINT code, WPARAM wParam, LPARAM lParam);
  void ShowState(bool error);
  void TakeUserName(const std::wstring& url);
  void TakeServerId(const std::wstring& url);
  void ReloadLoginPage();
  std::wstring GetGameUrl() const { return m_gameUrl; }
  std::wstring GetQQLoginUrl() const { return m_qqLoginUrl; }

  CKXImage m_imgBackground;
  CKXButton m_btnClose;
  CKXButton m_btnMinimize;
  CKXButton m_btnHomepage;
  CKXButton m_btnService;
  CKXButton m_btnRecharge;
  CKXButton m_btnForum;
  CBrowserView m_view;
  CKXLabel m_lblNetError;
  bool m_retrying = false;
  std::wstring m_gameUrl;
  bool m_returnedFromGame = false;
  std::wstring m_lastUrl;
  std::wstring m_qqLoginUrl;
};

// The question before the launcher ends; true unless the user answered No.
bool AskExit(HWND owner);
// Sets up a skinned button: pictures (hover and pressed share one), rectangle, hand cursor.
void SetUpButton(CKXButton& button, int normalId, int hoverId, const RECT& rect);

inline constexpr const wchar_t* NET_ERROR_TEXT = L"检测到您的网络异常，点击这里重试！";
inline constexpr const wchar_t* NET_RETRY_TEXT = L"正在检测您的网络环境，请稍后...";
// Whether the page would have the browser view translate this key: WM_KEYUP always, C V X Z
// with Ctrl down, Tab, Enter and Delete.
bool IsBrowserKey(const MSG& msg);
// The QQ-login redirect page; its new window becomes the launcher's own QQ login window.
std::wstring QQLoginRedirectAddress();
