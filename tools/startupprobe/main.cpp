// startupprobe OUTPUT [switches...]
// The global module's constructor has read the startup configuration before wmain runs, exactly
// as in the launcher, with this program's command line (so "/setupsucc" and friends apply).
// Writes the values it read to OUTPUT, one "Name=value" line each, UTF-16 without a byte-order
// mark.
#include "platform/handles.h"
#include "platform/win.h"
#include "shell/global_module.h"

#include <string>

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  CGlobalModule& module = g_GlobalModule;
  const int32_t runCountAtStart = module.m_nRunCount;
  // Asking again must not count the run a second time.
  const int32_t runCountAgain = module.GetRunCount();

  std::wstring out;
  auto line = [&out](const wchar_t* name, const std::wstring& value) {
    out += name;
    out += L"=";
    out += value;
    out += L"\n";
  };
  line(L"PortalUrl", module.GetPortalUrl());
  line(L"VersionIniUrl", module.m_strVersionIniUrl);
  line(L"UpgradeUrl", module.m_strUpgradeUrl);
  line(L"Refer", module.GetRefer());
  line(L"Frm", module.GetFrm());
  line(L"TopMost", std::to_wstring(module.m_nTopMost));
  line(L"RunCount", std::to_wstring(runCountAtStart));
  line(L"RunCountAgain", std::to_wstring(runCountAgain));

  UniqueFile file(CreateFileW(argv[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return 1;
  DWORD written = 0;
  const DWORD bytes = static_cast<DWORD>(out.size() * sizeof(wchar_t));
  return WriteFile(file.Get(), out.data(), bytes, &written, nullptr) && written == bytes ? 0 : 1;
}
