#include "shell/upgrade.h"

#include "net/downloader.h"
#include "platform/handles.h"
#include "shell/global_module.h"
#include "shell/messages.h"
#include "shell/settings.h"
#include "shell/sysutil.h"

#include <shellapi.h>

#include <atomic>
#include <cwchar>
#include <vector>

namespace {

constexpr const wchar_t* VERSION_SECTION = L"version";
constexpr const wchar_t* UPGRADE_SWITCHES = L"/S /KXUPGRADE";

// Set while the login and background windows are hidden for an upgrade that has not
// started yet, so that a failure can bring them back.
std::atomic<bool> s_windowsHiddenForUpgrade{false};

void ShowWindowsAgain(CGlobalModule& app) {
  if (!s_windowsHiddenForUpgrade.exchange(false)) return;
  // The launcher goes on running: it must not stay without a visible window.
  ::ShowWindow(app.m_formBack.GetHwnd(), SW_SHOWNA);
  ::ShowWindow(app.m_formLogin.GetHwnd(), SW_SHOWNA);
}

void QueueDownload(CGlobalModule& app, const std::wstring& url, const std::wstring& savePath,
                   int32_t kind, bool nameFromUrl) {
  DownloadRequest request;
  request.url = url;
  request.savePath = savePath;
  request.callback = &CGlobalModule::OnDownloadEvent;
  request.context = reinterpret_cast<uintptr_t>(&app);
  request.kind = kind;
  request.nameFromUrl = nameFromUrl ? 1 : 0;
  request.deleteOnFailure = 1;
  if (!app.m_pDownloader->IsStarted()) app.m_pDownloader->Start();
  app.m_pDownloader->AddRequest(request);
}

}  // namespace

bool IsInUpgradeRange(const std::wstring& range) {
  if (range.empty()) return true;
  std::vector<std::wstring> items;
  SplitString(L',', range, items);
  for (const std::wstring& item : items) {
    if (item.find(L'-') == std::wstring::npos) {
      if (ParseInt(item) == CLIENT_VERSION) return true;
      continue;
    }
    std::vector<std::wstring> ends;
    SplitString(L'-', item, ends);
    if (ends.size() != 2) continue;
    if (ParseInt(ends[0]) <= CLIENT_VERSION && ParseInt(ends[1]) >= CLIENT_VERSION) return true;
  }
  return false;
}

int VersionNumber(const std::wstring& version) { return ParseInt(RemoveAll(version, L".")); }

bool IsUpgradeDue(const std::wstring& currentVersion, const std::wstring& upgradeRange,
                  const std::wstring& lastUpgradeVersion) {
  const int newest = VersionNumber(currentVersion);
  if (newest == 0) return false;
  const int last = VersionNumber(lastUpgradeVersion);
  return newest > CLIENT_VERSION && last < newest && IsInUpgradeRange(upgradeRange);
}

std::wstring UpgradePromptText(const std::wstring& version) {
  return L"检测到最新版本[" + version + L"]，确认更新！";
}

bool StartUpgrader(const std::wstring& path, bool elevated) {
  if (elevated) {
    // CreateProcessW may write to the command line: give it a buffer of its own.
    wchar_t commandLine[64];
    swprintf(commandLine, 64, L" %ls", UPGRADE_SWITCHES);
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(path.c_str(), commandLine, nullptr, nullptr, FALSE,
                          CREATE_NEW_PROCESS_GROUP | NORMAL_PRIORITY_CLASS, nullptr, nullptr, &si,
                          &pi))
      return false;
    UniqueHandle process(pi.hProcess), thread(pi.hThread);
    return true;
  }
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof(info);
  info.lpVerb = L"runas";  // Windows asks the user to let it run elevated
  info.lpFile = path.c_str();
  info.lpParameters = UPGRADE_SWITCHES;
  info.nShow = SW_SHOWNORMAL;
  return ::ShellExecuteExW(&info) != FALSE;
}

void CGlobalModule::StartVersionCheck() {
  if (m_versionCheckStarted || !m_pDownloader) return;
  QueueDownload(*this, m_strVersionIniUrl, GetUpgradeFolder(), UPGRADE_KIND_VERSION_INI, true);
  m_versionCheckStarted = true;
}

void CGlobalModule::DownloadUpgrader() {
  if (!m_pDownloader) return;
  QueueDownload(*this, m_strUpgradeUrl, GetUpgraderPath(), UPGRADE_KIND_UPGRADER, false);
}

int CGlobalModule::OnDownloadEvent(uintptr_t context, int32_t kind, int32_t event, int32_t value,
                                   uintptr_t extra) {
  if (event != DL_EVENT_END || !context) return 0;
  reinterpret_cast<CGlobalModule*>(context)->OnDownloadFinished(
      value, kind, reinterpret_cast<DownloadRequest*>(extra));
  return 0;
}

// Runs on a downloader worker: it reaches the main thread's windows only through
// ShowWindow, the message box and posted messages.
void CGlobalModule::OnDownloadFinished(int32_t result, int32_t kind, DownloadRequest* request) {
  HWND login = m_formLogin.GetHwnd();
  switch (kind) {
    case UPGRADE_KIND_VERSION_INI: {
      if (result != DL_OK || !request) return;
      const std::wstring current = GetIniString(VERSION_SECTION, L"currentversion", L"", request->savePath);
      const std::wstring range = GetIniString(VERSION_SECTION, L"upgraderange", L"", request->savePath);
      const std::wstring last =
          GetIniString(VERSION_SECTION, L"lastUpgradeVer", L"", GetLastUpgradeIniPath());
      m_strLatestVersion = current;
      if (!IsUpgradeDue(current, range, last)) return;
      // OK is the only answer: the prompt tells, it does not ask.
      ::MessageBoxW(login, UpgradePromptText(m_strLatestVersion).c_str(), L"升级提醒", MB_OK);
      s_windowsHiddenForUpgrade = ::IsWindowVisible(login) || ::IsWindowVisible(m_formBack.GetHwnd());
      ::ShowWindow(login, SW_HIDE);
      ::ShowWindow(m_formBack.GetHwnd(), SW_HIDE);
      if (!m_pDownloader) {
        ShowWindowsAgain(*this);
        return;
      }
      DownloadUpgrader();
      return;
    }
    case UPGRADE_KIND_UPGRADER: {
      if (result != DL_OK || !request || !StartUpgrader(request->savePath, IsProcessElevated())) {
        ShowWindowsAgain(*this);
        return;
      }
      s_windowsHiddenForUpgrade = false;
      WriteIniString(VERSION_SECTION, L"lastUpgradeVer", m_strLatestVersion, GetLastUpgradeIniPath());
      ::PostMessageW(login, WM_KX_QUIT, 0, 0);
      return;
    }
    default:
      // The reports' ends: the silent report modes end there, whatever the outcome.
      OnReportFinished(kind, login);
      return;
  }
}
