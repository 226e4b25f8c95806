// Install, uninstall and activity reports to the statistics host, as tracking-image GETs.
#pragma once

#include "platform/win.h"

#include <cstdint>
#include <string>

class CStatReporter {
public:
  // Gathers the install and machine facts, once per process.
  void Collect();
  void SendInstallReport();
  void SendUninstallReport();
  // Only the first call of a process sends anything.
  void SendActiveReport();

  bool m_collected = false;
  std::wstring m_installGuid;  // 32 uppercase hex digits, no dashes
  bool m_internetCafe = false;
  bool m_autorun = false;
  std::wstring m_machineId;
  std::wstring m_installTime;  // "%Y-%m-%d %H:%M:%S", local time
  int32_t m_installType = 0;
  bool m_activeSent = false;
};

// Hands one report to the module's downloader; the reply goes to the temporary folder.
void QueueReport(const std::wstring& url, int32_t kind, const std::wstring& fileName);

// The end of a report's transfer, whatever its result: the install and uninstall runs end
// with it (a quit request to the login window). False for kinds that are not reports.
bool OnReportFinished(int32_t kind, HWND loginWindow);

// What a report carries besides its type.
struct ReportValues {
  std::wstring refer;         // e2, the channel tag
  std::wstring frm;           // e3, the UID setting
  std::wstring installGuid;   // e4
  std::wstring machineId;     // e5
  bool internetCafe = false;  // e6: 1 in a cafe, else 2
  std::wstring installTime;   // e9, inserted as it is (space and colons unescaped)
};

// The reporter's facts with the channel settings the module read at startup.
ReportValues ReportValuesOf(const CStatReporter& reporter);

// The "at" values of the reports.
int32_t InstallReportType(int32_t installType);  // 3 when the installer's type is 1, else 2
int32_t ActiveReportType(bool autorun);          // 4 for a start with Windows, else 5
constexpr int32_t UNINSTALL_REPORT_TYPE = 6;

// e7 of the uninstall report: 1 when today's date ("%Y-%m-%d") occurs in the install time,
// else 2 (also when the date is unknown).
int32_t InstalledTodayFlag(const std::wstring& installTime, const std::wstring& today);

// Full report URLs on the statistics host. The values go in verbatim; the HTTP layer makes
// the request line safe.
std::wstring ReportUrl(const ReportValues& values, int32_t at);           // install, active
std::wstring UninstallReportUrl(const ReportValues& values, int32_t e7);  // at = 6
