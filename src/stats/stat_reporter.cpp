#include "stats/stat_reporter.h"

#include "build_config.h"
#include "net/downloader.h"
#include "shell/cmdline.h"
#include "shell/global_module.h"
#include "shell/messages.h"
#include "shell/settings.h"
#include "shell/startup_config.h"
#include "shell/sysutil.h"
#include "stats/internet_cafe.h"
#include "stats/machine_id.h"

#include <ctime>

namespace {

constexpr const wchar_t* INSTALL_SECTION = L"Install";
constexpr const wchar_t* TIME_FORMAT = L"%Y-%m-%d %H:%M:%S";
constexpr const wchar_t* DATE_FORMAT = L"%Y-%m-%d";
constexpr int32_t E6_CAFE = 1, E6_NOT_CAFE = 2;

// "/ps.gif?id=2&gid=%s&e1=wd&e2=%s&e3=%s&e4=%s&e5=%s&e6=%d" ...: the part both templates share.
std::wstring ReportUrlHead(const ReportValues& v) {
  return L"http://" STATS_HOST L"/ps.gif?id=2&gid=" + std::wstring(GAME_ID) + L"&e1=wd&e2=" +
         v.refer + L"&e3=" + v.frm + L"&e4=" + v.installGuid + L"&e5=" + v.machineId + L"&e6=" +
         std::to_wstring(v.internetCafe ? E6_CAFE : E6_NOT_CAFE);
}

// ... "&e8=%d&e9=%s&at=%d": the tail both templates share.
std::wstring ReportUrlTail(const ReportValues& v, int32_t at) {
  return L"&e8=" + std::to_wstring(CLIENT_VERSION) + L"&e9=" + v.installTime + L"&at=" +
         std::to_wstring(at);
}

}  // namespace

ReportValues ReportValuesOf(const CStatReporter& reporter) {
  ReportValues v;
  v.refer = g_GlobalModule.GetRefer();
  v.frm = g_GlobalModule.GetFrm();
  v.installGuid = reporter.m_installGuid;
  v.machineId = reporter.m_machineId;
  v.internetCafe = reporter.m_internetCafe;
  v.installTime = reporter.m_installTime;
  return v;
}

int32_t InstallReportType(int32_t installType) { return installType == 1 ? 3 : 2; }

int32_t ActiveReportType(bool autorun) { return autorun ? 4 : 5; }

int32_t InstalledTodayFlag(const std::wstring& installTime, const std::wstring& today) {
  return !today.empty() && installTime.find(today) != std::wstring::npos ? 1 : 2;
}

std::wstring ReportUrl(const ReportValues& values, int32_t at) {
  return ReportUrlHead(values) + ReportUrlTail(values, at);
}

std::wstring UninstallReportUrl(const ReportValues& values, int32_t e7) {
  return ReportUrlHead(values) + L"&e7=" + std::to_wstring(e7) +
         ReportUrlTail(values, UNINSTALL_REPORT_TYPE);
}

void CStatReporter::Collect() {
  if (m_collected) return;
  m_collected = true;

  m_installGuid = GetIniString(INSTALL_SECTION, L"GUID", L"");
  if (m_installGuid.empty()) {
    m_installGuid = RemoveAll(NewGuidString(), L"-");
    // Nothing is stored when no GUID could be made, so that a later run tries again.
    if (!m_installGuid.empty()) WriteIniString(INSTALL_SECTION, L"GUID", m_installGuid);
  }

  m_installTime = GetIniString(INSTALL_SECTION, L"InstallTime", L"");
  if (m_installTime.empty()) {
    m_installTime = FormatLocalTime(TIME_FORMAT, _time64(nullptr));
    if (!m_installTime.empty()) WriteIniString(INSTALL_SECTION, L"InstallTime", m_installTime);
  }

  m_installType = GetIniInt(INSTALL_SECTION, L"InstallType", 0);
  m_autorun = CommandLineHas(::GetCommandLineW(), L"/autorun");
  m_internetCafe = DetectInternetCafe() >= 0;
  if (m_machineId.empty()) m_machineId = GetMachineId();
}

void CStatReporter::SendInstallReport() {
  Collect();
  QueueReport(ReportUrl(ReportValuesOf(*this), InstallReportType(m_installType)),
              REPORT_KIND_INSTALL, L"InstallStat.tmp");
}

void CStatReporter::SendActiveReport() {
  if (m_activeSent) return;
  Collect();
  m_activeSent = true;
  QueueReport(ReportUrl(ReportValuesOf(*this), ActiveReportType(m_autorun)), REPORT_KIND_ACTIVE,
              L"ActiveStat.tmp");
}

void CStatReporter::SendUninstallReport() {
  Collect();
  const int32_t e7 =
      InstalledTodayFlag(m_installTime, FormatLocalTime(DATE_FORMAT, _time64(nullptr)));
  QueueReport(UninstallReportUrl(ReportValuesOf(*this), e7), REPORT_KIND_UNINSTALL,
              L"UninstallStat.tmp");
}

void QueueReport(const std::wstring& url, int32_t kind, const std::wstring& fileName) {
  CGlobalModule& app = g_GlobalModule;
  HTTPDownloader* downloader = app.m_pDownloader;
  if (!downloader) return;
  if (!downloader->IsStarted()) downloader->Start();

  DownloadRequest request;
  request.url = url;
  // Without a temporary folder the reply is not kept at all, rather than written into
  // whatever the current folder is.
  const std::wstring temp = GetTempFolder();
  request.savePath = temp.empty() ? std::wstring() : temp + fileName;
  request.retryCount = 0;
  request.callback = &CGlobalModule::OnDownloadEvent;
  request.context = reinterpret_cast<uintptr_t>(&app);
  request.kind = kind;
  request.nameFromUrl = fileName.empty() ? 1 : 0;
  request.guidPrefixName = 0;
  request.deleteOnFailure = 1;
  // A report that cannot even be queued has ended as a failed one would: a silent run
  // must not wait for it forever.
  if (!downloader->AddRequest(request)) OnReportFinished(kind, app.m_formLogin.GetHwnd());
}

bool OnReportFinished(int32_t kind, HWND loginWindow) {
  switch (kind) {
    case REPORT_KIND_INSTALL:
    case REPORT_KIND_UNINSTALL:
      if (loginWindow) ::PostMessageW(loginWindow, WM_KX_QUIT, 0, 0);
      return true;
    case REPORT_KIND_ACTIVE:
      return true;
    default:
      return false;
  }
}
