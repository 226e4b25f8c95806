// The one global module: owns the windows, the shared settings and the background services.
#pragma once

#include "platform/message_loop.h"
#include "platform/win.h"

#include "forms/form_back.h"
#include "forms/form_game.h"
#include "forms/form_login.h"
#include "forms/form_qqlogin.h"
#include "forms/form_scan.h"
#include "stats/stat_reporter.h"

#include <cstdint>
#include <string>
#include <vector>

class HTTPDownloader;
struct DownloadRequest;

// The client version reported to the portal and the statistics host and compared with the
// version file.
constexpr int CLIENT_VERSION = 3000;
// The game's id on the portal.
constexpr const wchar_t* GAME_ID = L"1086";

// Kinds of the downloads the launcher requests; each comes back with its completion.
enum : int32_t {
  UPGRADE_KIND_VERSION_INI = 0,
  UPGRADE_KIND_UPGRADER = 1,
  REPORT_KIND_INSTALL = 3,
  REPORT_KIND_UNINSTALL = 4,
  REPORT_KIND_ACTIVE = 5,
};

class CGlobalModule : public CMessageFilter {
public:
  CGlobalModule();
  ~CGlobalModule() override;
  CGlobalModule(const CGlobalModule&) = delete;
  CGlobalModule& operator=(const CGlobalModule&) = delete;

  // The message loop's only filter: offers the message to the foreground form.
  BOOL PreTranslateMessage(MSG* msg) override;

  // Entry and routing.
  int Run();
  LRESULT HandleMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);  // the body of WndProc
  void CreateHidden(CKXForm& form);
  // After the message loop: destroys what is left of the windows while COM is still up.
  void ReleaseWindows();

  // Startup configuration.
  void ReadStartupConfig();
  int32_t GetRunCount();
  bool IsActiveCountOne();
  void SetActiveCountOne();
  std::wstring GetPortalUrl() const { return m_strPortalUrl; }
  std::wstring GetRefer() const { return m_strRefer; }
  std::wstring GetFrm() const { return m_strFrm; }
  std::wstring GetServerId() const { return m_strServerId; }
  std::wstring GetGameUserName() const { return m_strUserName; }
  std::wstring GetPayUrl() const;

  // Version check and upgrade.
  void StartVersionCheck();
  void DownloadUpgrader();
  static int OnDownloadEvent(uintptr_t context, int32_t kind, int32_t event, int32_t value,
                             uintptr_t extra);
  void OnDownloadFinished(int32_t result, int32_t kind, DownloadRequest* request);

  HINSTANCE m_hInstance = nullptr;
  wchar_t m_szTitle[100] = {};
  wchar_t m_szWindowClass[100] = {};
  CFormBack m_formBack;
  CFormLogin m_formLogin;
  CFormQQLogin* m_pFormQQLogin = nullptr;
  CFormScan* m_pFormScan = nullptr;
  CFormGame* m_pFormGame = nullptr;
  HTTPDownloader* m_pDownloader = nullptr;
  CStatReporter m_statReporter;
  std::wstring m_strLatestVersion;
  std::wstring m_strPortalUrl;
  std::wstring m_strVersionIniUrl;
  std::wstring m_strUpgradeUrl;
  std::wstring m_strRefer;
  std::wstring m_strFrm;
  int32_t m_nTopMost = 0;
  std::wstring m_strUserName;
  std::wstring m_strServerId;
  int32_t m_nRunCount = 0;
  bool m_versionCheckStarted = false;

private:
  void OpenGame();
  void OpenQQLogin();
  void OpenScan();
  void ReturnToLogin();
  // Forms whose windows are gone wait here until no code of theirs can be on the stack.
  void Retire(CKXForm* form);
  void ReapClosedForms();
  std::vector<CKXForm*> m_closedForms;
};

extern CAppModule g_appModule;
// wWinMain's body: COM and OLE, the strings, the window class, Run.
int LauncherMain(HINSTANCE instance);

extern CGlobalModule g_GlobalModule;

ATOM RegisterWindowClass(HINSTANCE instance);
LRESULT CALLBACK WndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
