// The game window: a borderless window whose title bar carries the game icon, the page title,
// portal links, settings, notification-area, minimise, fill/restore and close buttons, and whose
// remaining client area shows the game page. It fills the work area.
#pragma once

#include "browser/browser_view.h"
#include "skin/button.h"
#include "skin/form.h"
#include "skin/label.h"
#include "skin/picture.h"

#include <shellapi.h>

#include <string>

class CFormGame : public CKXForm {
public:
  CFormGame();
  ~CFormGame() override;

  bool OnLButtonDown(WPARAM flags, const POINT* point) override;
  bool OnLButtonUp(WPARAM flags, const POINT* point) override;
  bool OnLButtonDblClk(WPARAM flags, const POINT* point) override;
  void OnActivate() override;
  LRESULT WindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
  LRESULT PreTranslateMessage(MSG* msg) override;
  virtual bool ConfirmExit();                            // 38
  virtual bool CreateForm(const std::wstring& startUrl);  // 39

  void Layout();
  bool FillWorkArea();
  bool RestoreSize();
  void OnWebNotify(UINT code, WPARAM wParam, LPARAM lParam);

  // Notification area and menus.
  bool ShowSettingsMenu();
  void HideToTray();
  void OnTrayNotify(LPARAM mouseMessage);
  bool ShowTrayMenu();
  bool AddTrayIcon(HICON icon);
  bool RemoveTrayIcon();
  void StartCacheClean();

  CKXImage m_imgTitleBar;
  CKXButton m_btnClose;
  CKXButton m_btnMinimize;
  CKXButton m_btnMaximize;
  CKXButton m_btnTray;
  CKXButton m_btnSettings;
  CKXButton m_btnForum;
  CKXButton m_btnHomepage;
  CKXButton m_btnScanPay;
  CKXButton m_btnService;
  CKXImage m_imgIcon;
  CKXLabel m_lblTitle;
  CBrowserView m_view;
  NOTIFYICONDATAW m_nid{};
  bool m_trayIconAdded = false;
  bool m_filled = false;
  HANDLE m_hCleanThread = nullptr;

private:
  void CloseScanForm();
};

// Start with Windows: the per-user Run value "Gravemere".
bool IsAutorunSet();
bool SetAutorun(bool enable);
// The Run value's data: the quoted program path, a space, "/autorun".
std::wstring AutorunCommand(const std::wstring& exePath);
