// TEMPORARY integration file: stand-ins for parts that are being written on other branches,
// so that main links meanwhile. Every change that brings a real definition deletes its line
// here; the file goes away when it is empty.
#include "build_config.h"
#include "shell/global_module.h"
#include "shell/startup_config.h"
void CStatReporter::SendInstallReport() {}
void CStatReporter::SendUninstallReport() {}
