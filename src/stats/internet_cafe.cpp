#include "stats/internet_cafe.h"

#include "platform/handles.h"

#include <tlhelp32.h>

#include <cwchar>

namespace {

using enum CafeProbeKind;

// Codes are per product family, not per row; key texts are used exactly as the products
// write them, leading backslashes included.
constexpr CafeProbe PROBES[] = {
    {Registry, L"SOFTWARE\\Hintsoft\\PubwinClient", 0},
    {Registry, L"SOFTWARE\\Hintsoft\\pubwin", 0},
    {Registry, L"SOFTWARE\\Sicent\\wx2004Clt", 1},
    {Registry, L"SOFTWARE\\MpSoft\\smenu", 2},
    {Registry, L"SOFTWARE\\Microsoft\\jingzu", 4},
    {Registry, L"SOFTWARE\\iCafe8", 6},
    {Registry, L"SOFTWARE\\Goyoo\\i8desk", 7},
    {Registry, L"SOFTWARE\\Hintsoft1\\XunShanPro", 8},
    {Registry, L"SOFTWARE\\SyncExpertNetBar", 9},
    {Registry, L"SOFTWARE\\EYOOCLIENTSTATUS", 11},
    {Registry, L"SOFTWARE\\Richtech", 12},
    {Registry, L"SOFTWARE\\杭州顺网信息技术有限公司\\网维大师蝌蚪娱乐平台", 14},
    {Registry, L"SOFTWARE\\Sicent\\WxAdv", 15},
    {Registry, L"SOFTWARE\\Grabsun\\Netsense", 16},
    {Process, L"娱乐中心.exe", 17},
    {Process, L"网吧游戏外挂总管管理器.exe", 19},
    {Process, L"QQmenu.exe", 20},
    {Process, L"Txwu.exe", 20},
    {Process, L"网吧游戏管理专家2006.exe", 21},
    {Process, L"connetbar.exe", 22},
    {Registry, L"SOFTWARE\\MpSoft\\scon", 24},
    {Process, L"wbc.exe", 26},
    {Process, L"sunflowerTools.exe", 27},
    {Registry, L"SOFTWARE\\MpSoft\\VOD", 30},
    {Process, L"LBSserver.exe", 31},
    {Registry, L"\\QvodNetBar\\install", 32},
    {Process, L"TLnbLdr.exe", 33},
    {Process, L"DeepinStatus.exe", 35},
    {Registry, L"\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\网升游戏更新客户端",
     36},
    {Registry, L"\\SOFTWARE\\www.netbarsoft.example", 37},
};

}  // namespace

std::span<const CafeProbe> CafeProbes() { return PROBES; }

int32_t DetectInternetCafe() {
  for (const CafeProbe& probe : PROBES) {
    const bool found =
        probe.kind == Registry ? RegistryKeyExists(probe.text) : IsProcessRunning(probe.text);
    if (found) return probe.code;
  }
  return -1;
}

bool RegistryKeyExists(const wchar_t* key) {
  // Three probes are written with a leading backslash, which RegOpenKeyExW refuses in native
  // processes (ERROR_BAD_PATHNAME): those probes would never match. The key the text means is
  // the one below the hive.
  while (*key == L'\\') ++key;
  UniqueRegKey opened;
  return ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, key, 0, KEY_QUERY_VALUE, opened.Put()) ==
         ERROR_SUCCESS;
}

bool IsProcessRunning(const wchar_t* exeName) {
  UniqueFile snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return false;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32FirstW(snapshot.Get(), &entry); more;
       more = ::Process32NextW(snapshot.Get(), &entry)) {
    if (std::wcscmp(entry.szExeFile, exeName) == 0) return true;
    entry = {};
    entry.dwSize = sizeof entry;
  }
  return false;
}
