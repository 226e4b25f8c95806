// TEMPORARY integration file: stand-ins for parts that are being written on other branches,
// so that main links meanwhile. Every change that brings a real definition deletes its line
// here; the file goes away when it is empty.
#include "build_config.h"
#include "net/downloader.h"
#include "shell/global_module.h"
#include "shell/startup_config.h"
#include "stats/stat_reporter.h"

#include <ctime>
void CGlobalModule::ReadStartupConfig() { m_strPortalUrl = L"http://" PORTAL_HOST L"/trun/wd/index.html"; }
int32_t CGlobalModule::GetRunCount() { return 0; }
void ShowDesktop() {}
void LaunchIconAnimate() {}
// Startup configuration (h-settings): local time text with wcsftime, 128 characters at most.
std::wstring FormatLocalTime(const wchar_t* format, int64_t time) {
  const __time64_t t = time;
  tm local{};
  wchar_t text[128];
  if (!format || _localtime64_s(&local, &t) != 0 || wcsftime(text, 128, format, &local) == 0) return L"";
  return text;
}
// Version check and upgrade: the download completion. Until it arrives, only the reports'
// ends are handled, as the full handler does for them.
int CGlobalModule::OnDownloadEvent(uintptr_t context, int32_t kind, int32_t event, int32_t value, uintptr_t extra) {
  if (event == DL_EVENT_END && context)
    reinterpret_cast<CGlobalModule*>(context)->OnDownloadFinished(value, kind, reinterpret_cast<DownloadRequest*>(extra));
  return 0;
}
void CGlobalModule::OnDownloadFinished(int32_t, int32_t kind, DownloadRequest*) { OnReportFinished(kind, m_formLogin.GetHwnd()); }
