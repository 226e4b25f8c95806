// Install, uninstall and activity reports to the statistics host, as tracking-image GETs.
#pragma once

#include <cstdint>
#include <string>

class CStatReporter {
public:
  void Collect();
  void SendInstallReport();
  void SendUninstallReport();
  void SendActiveReport();

  bool m_collected = false;
  std::wstring m_installGuid;
  bool m_internetCafe = false;
  bool m_autorun = false;
  std::wstring m_machineId;
  std::wstring m_installTime;
  int32_t m_installType = 0;
  bool m_activeSent = false;
};

// Hands one report to the module's downloader; the reply goes to the temporary folder.
void QueueReport(const std::wstring& url, int32_t kind, const std::wstring& fileName);
