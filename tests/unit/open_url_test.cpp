// OpenUrl starts "iexplore" (the test prefix registers the URL recorder under that name in App
// Paths) and falls back to the URL's own handler when that cannot start.
#include "shell/settings.h"

#include "platform/handles.h"
#include "platform/win.h"

#include <gtest/gtest.h>

#include <string>

#include "paths.h"
#include "temp_dir.h"

namespace {

// Windows looks "iexplore" up in App Paths with ".exe", Wine without it.
constexpr const wchar_t* APP_PATH_KEYS[] = {
    L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\iexplore.exe",
    L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\iexplore",
};

std::wstring RegString(HKEY root, const std::wstring& subKey) {
  wchar_t value[MAX_PATH] = {};
  DWORD size = sizeof(value);
  if (RegGetValueW(root, subKey.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &size) !=
      ERROR_SUCCESS)
    return L"";
  return value;
}

bool SetRegString(HKEY root, const std::wstring& subKey, const wchar_t* name,
                  const std::wstring& value) {
  UniqueRegKey key;
  if (RegCreateKeyExW(root, subKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.Put(),
                      nullptr) != ERROR_SUCCESS)
    return false;
  return RegSetValueExW(key.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) ==
         ERROR_SUCCESS;
}

// The records the URL recorder wrote, one per start, as UTF-16 lines.
std::wstring WaitForRecords(const std::wstring& log) {
  for (int i = 0; i < 200; ++i) {  // up to ~10 s for the recorder to start and write
    const std::string bytes = ReadFileBytes(log);
    if (!bytes.empty() && bytes.size() % 2 == 0 &&
        bytes.compare(bytes.size() - 2, 2, std::string("\n\0", 2)) == 0)
      return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
    Sleep(50);
  }
  return L"";
}

class OpenUrlTest : public ::testing::Test {
protected:
  void SetUp() override {
    m_log = m_temp.Path() + L"urls.log";
    SetEnvironmentVariableW(L"VOPRAVIK_URL_LOG", m_log.c_str());
  }
  void TearDown() override { SetEnvironmentVariableW(L"VOPRAVIK_URL_LOG", nullptr); }

  TempDir m_temp;
  std::wstring m_log;
};

TEST_F(OpenUrlTest, StartsInternetExplorerWithTheUrl) {
  const std::wstring recorder = BuildPath(L"tools/urlrecorder/urlrecorder.exe");
  for (const wchar_t* key : APP_PATH_KEYS)
    ASSERT_EQ(lstrcmpiW(RegString(HKEY_LOCAL_MACHINE, key).c_str(), recorder.c_str()), 0)
        << "the test prefix registers the recorder as iexplore: " << key;

  // The URL goes over as it is: unquoted, with its "&"s, as the one parameter.
  const std::wstring url = L"http://127.0.0.1:18080/action/redirect_pay.php?gid=1086&sid=12&uid=ann";
  const HINSTANCE result = OpenUrl(url);
  EXPECT_GT(reinterpret_cast<INT_PTR>(result), 32);
  EXPECT_EQ(WaitForRecords(m_log), url + L"\n") << "only iexplore ran";
}

TEST_F(OpenUrlTest, FallsBackToTheDefaultHandlerWhenInternetExplorerCannotStart) {
  // iexplore now names a program that is not there; http URLs still go to the recorder as
  // their default handler ("default %1", registered by the test prefix).
  std::wstring registered[2];
  for (int i = 0; i < 2; ++i) {
    registered[i] = RegString(HKEY_LOCAL_MACHINE, APP_PATH_KEYS[i]);
    ASSERT_TRUE(SetRegString(HKEY_LOCAL_MACHINE, APP_PATH_KEYS[i], nullptr,
                             m_temp.Path() + L"missing\\iexplore.exe"));
  }

  const std::wstring url = L"http://127.0.0.1:18080/trun/?a=1&b=2";
  const HINSTANCE result = OpenUrl(url);
  const std::wstring records = WaitForRecords(m_log);

  for (int i = 0; i < 2; ++i) SetRegString(HKEY_LOCAL_MACHINE, APP_PATH_KEYS[i], nullptr, registered[i]);

  EXPECT_GT(reinterpret_cast<INT_PTR>(result), 32);
  EXPECT_EQ(records, L"default " + url + L"\n") << "only the default handler ran";
}

}  // namespace
