#include "shell/startup_config.h"

#include "build_config.h"
#include "platform/com_ptr.h"
#include "platform/win.h"
#include "shell/cmdline.h"
#include "shell/global_module.h"
#include "shell/settings.h"

#include <shellapi.h>
#include <shldisp.h>
#include <shlwapi.h>

#include <climits>
#include <cstdio>
#include <ctime>

namespace {

constexpr size_t TIME_BUFFER_CHARS = 128;
constexpr const wchar_t* INSTALL_TIME_FORMAT = L"%Y-%m-%d %H:%M:%S";
constexpr const wchar_t* QUERY_TIME_FORMAT = L"%Y%m%d%H%M%S";

// The shell automation object and the interface that has ToggleDesktop.
constexpr CLSID CLSID_SHELL_AUTOMATION = {
    0x13709620, 0xC279, 0x11CE, {0xA4, 0x9E, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
constexpr IID IID_SHELL_DISPATCH4 = {
    0xEFD84B2D, 0x4BCF, 0x4298, {0xBE, 0x25, 0xEB, 0x54, 0x2A, 0x59, 0xFB, 0xDA}};
constexpr DWORD SHELL_CONTEXT = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER |
                                CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;

std::wstring Http(const wchar_t* host, const wchar_t* path) {
  return std::wstring(L"http://") + host + path;
}

std::wstring DecimalText(long long value) {
  wchar_t text[32] = {};
  std::swprintf(text, 32, L"%lld", value);
  return text;
}

}  // namespace

std::wstring FormatLocalTime(const wchar_t* format, int64_t time) {
  if (!format) return std::wstring();
  std::tm local = {};
  const __time64_t value = time;
  if (_localtime64_s(&local, &value) != 0) return std::wstring();
  // Some run-times fill the whole buffer without room for the terminator and count it as a
  // fit: keep a spare character beyond the limit and reject a result that reaches the limit.
  wchar_t buffer[TIME_BUFFER_CHARS + 1] = {};
  const size_t length = std::wcsftime(buffer, TIME_BUFFER_CHARS, format, &local);
  if (length >= TIME_BUFFER_CHARS) return std::wstring();
  return std::wstring(buffer, length);
}

void ShowDesktop() {
  const HRESULT init = ::CoInitialize(nullptr);
  {
    ComPtr<IShellDispatch4> shell;
    if (SUCCEEDED(::CoCreateInstance(CLSID_SHELL_AUTOMATION, nullptr, SHELL_CONTEXT,
                                     IID_SHELL_DISPATCH4, shell.PutVoid())) &&
        shell) {
      shell->ToggleDesktop();
    }
  }
  // Only a successful CoInitialize is ours to undo; a failed one (another apartment model)
  // must not tear down the caller's COM.
  if (SUCCEEDED(init)) ::CoUninitialize();
}

void LaunchIconAnimate() {
  const std::wstring path = GetDataFolder() + L"iconAnimate.exe";
  if (::PathFileExistsW(path.c_str()))
    ::ShellExecuteW(nullptr, nullptr, path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

std::wstring PortalPageUrl() { return Http(PORTAL_HOST, L"/trun/wd/index.html"); }

std::wstring DefaultVersionIniUrl() { return Http(DOWNLOAD_HOST, L"/quenta/trun/official/app.ini"); }

std::wstring DefaultUpgradeUrl() {
  return Http(DOWNLOAD_HOST, L"/quenta/trun/official/quentatrun.exe");
}

std::wstring InstallDateFromTime(const std::wstring& installTime) {
  return RemoveAll(installTime.substr(0, 10), L"-");
}

int32_t NextRunCount(int32_t stored) {
  if (stored < 0) return 1;
  if (stored == INT32_MAX) return INT32_MAX;
  return stored + 1;
}

std::wstring BuildPortalUrl(const std::wstring& pageUrl, const std::wstring& refer,
                            const std::wstring& frm, int version, const std::wstring& installDate,
                            int32_t runCount, const std::wstring& currentTime) {
  std::wstring query = L"referer=" + refer + L"&frm=" + frm + L"&version=" + DecimalText(version) +
                       L"&installtime=" + installDate + L"&runcount=" + DecimalText(runCount) +
                       L"&curtime=" + currentTime + L"&showlogintype=3";
  if (runCount == 1) query += L"&regtimes=1";
  const wchar_t* joiner = pageUrl.find(L'?') != std::wstring::npos ? L"&" : L"?";
  return pageUrl + joiner + query;
}

std::wstring BuildPayUrl(const std::wstring& serverId, const std::wstring& userName) {
  return Http(PORTAL_HOST, L"/action/redirect_pay.php?gid=") + GAME_ID + L"&sid=" + serverId +
         L"&uid=" + userName + L"&role_id=";
}

void CGlobalModule::ReadStartupConfig() {
  m_nRunCount = 0;
  m_strPortalUrl = PortalPageUrl();
  m_strVersionIniUrl = GetIniString(L"Common", L"VersionCheck", DefaultVersionIniUrl());
  m_strUpgradeUrl = GetIniString(L"Common", L"VersionDownLoad", DefaultUpgradeUrl());
  m_strRefer = GetIniString(L"Common", L"Refer", L"velumdor");
  m_strFrm = GetIniString(L"Common", L"UID", L"trun");
  m_nTopMost = GetIniInt(L"Common", L"TopMost", 0);

  // The install time is recorded on first use and kept from then on.
  std::wstring installTime = GetIniString(L"Install", L"InstallTime", L"");
  if (installTime.empty()) {
    installTime = FormatLocalTime(INSTALL_TIME_FORMAT, _time64(nullptr));
    WriteIniString(L"Install", L"InstallTime", installTime);
  }
  const std::wstring currentTime = FormatLocalTime(QUERY_TIME_FORMAT, _time64(nullptr));
  m_strPortalUrl = BuildPortalUrl(m_strPortalUrl, m_strRefer, m_strFrm, CLIENT_VERSION,
                                  InstallDateFromTime(installTime), GetRunCount(), currentTime);
}

int32_t CGlobalModule::GetRunCount() {
  if (m_nRunCount != 0) return m_nRunCount;
  // Install reports and show-desktop runs are not uses of the launcher.
  if (IsSetupSucc() || IsShowDeskTop()) return 0;
  m_nRunCount = NextRunCount(GetIniInt(L"Common", L"RunCount", 0));
  WriteIniString(L"Common", L"RunCount", DecimalText(m_nRunCount));
  return m_nRunCount;
}

bool CGlobalModule::IsActiveCountOne() { return GetIniInt(L"Common", L"ActiveCount", 0) == 1; }

void CGlobalModule::SetActiveCountOne() { WriteIniString(L"Common", L"ActiveCount", L"1"); }

std::wstring CGlobalModule::GetPayUrl() const { return BuildPayUrl(m_strServerId, m_strUserName); }
