#include "stats/internet_cafe.h"

#include "platform/handles.h"
#include "paths.h"
#include "registry_key.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

const wchar_t* const PUBWIN_CLIENT = L"SOFTWARE\\Hintsoft\\PubwinClient";
const wchar_t* const ICAFE8 = L"SOFTWARE\\iCafe8";
const wchar_t* const SHUNWANG = L"SOFTWARE\\杭州顺网信息技术有限公司\\网维大师蝌蚪娱乐平台";
const wchar_t* const QVOD = L"\\QvodNetBar\\install";
const wchar_t* const WANGSHENG =
    L"\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\网升游戏更新客户端";
const wchar_t* const MPSOFT_VOD = L"SOFTWARE\\MpSoft\\VOD";

// Every test starts and must end on a clean machine: nothing of the probes present.
class InternetCafe : public ::testing::Test {
protected:
  void SetUp() override { ASSERT_EQ(DetectInternetCafe(), -1) << "the prefix is not clean"; }
  void TearDown() override { EXPECT_EQ(DetectInternetCafe(), -1) << "a trace was left behind"; }
};

TEST_F(InternetCafe, RegistryTracesGiveTheFirstMatchingCode) {
  struct Case {
    const char* name;
    std::vector<const wchar_t*> keys;
    int32_t expected;
  } cases[] = {
      {"code 0 counts as a match", {PUBWIN_CLIENT}, 0},
      {"first match wins", {SHUNWANG, ICAFE8}, 6},
      {"a Chinese key", {SHUNWANG}, 14},
      {"a key after the process probes", {MPSOFT_VOD}, 30},
      {"a top-level key with a leading backslash", {QVOD}, 32},
      {"an Uninstall key with a leading backslash", {WANGSHENG}, 36},
      {"the vendor-domain key", {CafeProbes().back().text}, 37},
      {"nothing but the parent of a probed key", {L"SOFTWARE\\Hintsoft"}, -1},
  };
  for (const Case& c : cases) {
    std::vector<std::unique_ptr<ScopedRegistryKey>> keys;
    for (const wchar_t* key : c.keys) {
      keys.push_back(std::make_unique<ScopedRegistryKey>(HKEY_LOCAL_MACHINE, key));
      ASSERT_TRUE(keys.back()->Created()) << c.name;
    }
    EXPECT_EQ(DetectInternetCafe(), c.expected) << c.name;
  }
}

TEST_F(InternetCafe, RegistryKeyExistsOpensTheKeyAsWritten) {
  EXPECT_FALSE(RegistryKeyExists(PUBWIN_CLIENT));
  ScopedRegistryKey key(HKEY_LOCAL_MACHINE, PUBWIN_CLIENT);
  ASSERT_TRUE(key.Created());
  EXPECT_TRUE(RegistryKeyExists(PUBWIN_CLIENT));
  EXPECT_TRUE(RegistryKeyExists(L"software\\hintsoft\\pubwinclient")) << "keys ignore case";
  EXPECT_FALSE(RegistryKeyExists(L"SOFTWARE\\Hintsoft\\PubwinClient\\Sub"));
  // The registry refuses a leading backslash in native processes; the probe skips it.
  EXPECT_TRUE(RegistryKeyExists(L"\\SOFTWARE\\Hintsoft\\PubwinClient"));
}

// A copy of the sleeper tool running under a chosen executable name, ended by its handle.
class RunningCopy {
public:
  explicit RunningCopy(const std::wstring& exeName) {
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    m_dir = std::wstring(temp) + L"cafe_probe_" + std::to_wstring(::GetCurrentProcessId());
    ::CreateDirectoryW(m_dir.c_str(), nullptr);
    m_path = m_dir + L"\\" + exeName;
    if (!::CopyFileW(BuildPath(L"tools/sleeper/sleeper.exe").c_str(), m_path.c_str(), FALSE))
      return;
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::wstring commandLine = L"\"" + m_path + L"\"";
    if (!::CreateProcessW(m_path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          m_dir.c_str(), &si, &pi))
      return;
    m_process.Reset(pi.hProcess);
    ::CloseHandle(pi.hThread);
    // Wait, within bounds, until the process shows in a snapshot under its own name.
    for (int i = 0; i < 200 && !m_visible; ++i) {
      m_visible = IsProcessRunning(exeName.c_str());
      if (!m_visible) ::Sleep(50);
    }
  }
  ~RunningCopy() {
    if (m_process) {
      ::TerminateProcess(m_process.Get(), 0);
      ::WaitForSingleObject(m_process.Get(), 10000);
      m_process.Reset();
    }
    for (int i = 0;
         i < 50 && !::DeleteFileW(m_path.c_str()) && ::GetLastError() != ERROR_FILE_NOT_FOUND; ++i)
      ::Sleep(100);
    ::RemoveDirectoryW(m_dir.c_str());
  }
  RunningCopy(const RunningCopy&) = delete;
  RunningCopy& operator=(const RunningCopy&) = delete;

  bool Visible() const { return m_visible; }

private:
  std::wstring m_dir, m_path;
  UniqueHandle m_process;
  bool m_visible = false;
};

TEST_F(InternetCafe, ProcessTracesMatchTheExactName) {
  struct Case {
    const wchar_t* exeName;
    int32_t expected;
  } cases[] = {
      {L"QQmenu.exe", 20}, {L"娱乐中心.exe", 17},
      {L"qqmenu.exe", -1},  // differs from a probe only in case
      {L"QQMENU.EXE", -1}, {L"DeepinStatus.exe", 35},
  };
  for (const Case& c : cases) {
    RunningCopy copy(c.exeName);
    ASSERT_TRUE(copy.Visible()) << "could not run a copy named "
                                << testing::PrintToString(c.exeName);
    EXPECT_EQ(DetectInternetCafe(), c.expected) << testing::PrintToString(c.exeName);
  }
}

TEST_F(InternetCafe, ARegistryTraceBeforeAProcessTraceWins) {
  RunningCopy copy(L"QQmenu.exe");
  ASSERT_TRUE(copy.Visible());
  ScopedRegistryKey key(HKEY_LOCAL_MACHINE, SHUNWANG);
  ASSERT_TRUE(key.Created());
  EXPECT_EQ(DetectInternetCafe(), 14);
}

}  // namespace
