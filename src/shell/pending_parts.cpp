// TEMPORARY integration file: stand-ins for parts that are being written on other branches,
// so that main links meanwhile. Every change that brings a real definition deletes its line
// here; the file goes away when it is empty.
#include "build_config.h"
#include "shell/global_module.h"
#include "net/downloader.h"
#include "shell/startup_config.h"
void CGlobalModule::ReadStartupConfig() { m_strPortalUrl = L"http://" PORTAL_HOST L"/trun/wd/index.html"; }
int32_t CGlobalModule::GetRunCount() { return 0; }
void ShowDesktop() {}
void LaunchIconAnimate() {}
void CStatReporter::SendInstallReport() {}
void CStatReporter::SendUninstallReport() {}
