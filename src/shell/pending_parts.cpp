// TEMPORARY integration file: stand-ins for parts that are being written on other branches,
// so that main links meanwhile. Every change that brings a real definition deletes its line
// here; the file goes away when it is empty.
#include "net/downloader.h"
#include "shell/global_module.h"
#include "stats/stat_reporter.h"

// Version check and upgrade: the download completion. Until it arrives, only the reports'
// ends are handled, as the full handler does for them.
int CGlobalModule::OnDownloadEvent(uintptr_t context, int32_t kind, int32_t event, int32_t value, uintptr_t extra) {
  if (event == DL_EVENT_END && context)
    reinterpret_cast<CGlobalModule*>(context)->OnDownloadFinished(value, kind, reinterpret_cast<DownloadRequest*>(extra));
  return 0;
}
void CGlobalModule::OnDownloadFinished(int32_t, int32_t kind, DownloadRequest*) { OnReportFinished(kind, m_formLogin.GetHwnd()); }
