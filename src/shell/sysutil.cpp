#include "shell/sysutil.h"

#include "platform/handles.h"
#include "platform/win.h"

#include <wininet.h>

#include <memory>
#include <mutex>

namespace {

constexpr DWORD CACHE_ENTRY_BUFFER_BYTES = 4096;

// One entry buffer that can grow to the size an enumeration call asks for. The buffer is
// allocated as DWORDs so the entry structure at its start is aligned.
class CacheEntryBuffer {
public:
  bool Allocate(DWORD bytes) {
    m_data.reset(new (std::nothrow) DWORD[(bytes + sizeof(DWORD) - 1) / sizeof(DWORD)]);
    m_bytes = m_data ? bytes : 0;
    return m_data != nullptr;
  }
  INTERNET_CACHE_ENTRY_INFOW* Entry() {
    return reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(m_data.get());
  }
  DWORD Bytes() const { return m_bytes; }

private:
  std::unique_ptr<DWORD[]> m_data;
  DWORD m_bytes = 0;
};

struct CacheFindTraits {
  using Type = HANDLE;
  static Type Invalid() { return nullptr; }
  static void Close(Type h) { ::FindCloseUrlCache(h); }
};

}  // namespace

bool ShouldDeleteCacheEntry(const std::wstring& sourceUrl) {
  return sourceUrl.find(L"Cookie") == std::wstring::npos &&
         sourceUrl.find(L"Visited") == std::wstring::npos;
}

void ClearUrlCache() {
  CacheEntryBuffer buffer;
  if (!buffer.Allocate(CACHE_ENTRY_BUFFER_BYTES)) return;
  UniqueHandleT<CacheFindTraits> find;

  // One enumeration call (the first opens the enumeration) into the current buffer. The size
  // in and out is the buffer's own each time, so a small entry never shrinks it.
  auto enumerate = [&](DWORD& reported) -> bool {
    reported = buffer.Bytes();
    buffer.Entry()->dwStructSize = sizeof(INTERNET_CACHE_ENTRY_INFOW);
    if (!find) {
      find.Reset(::FindFirstUrlCacheEntryW(nullptr, buffer.Entry(), &reported));
      return static_cast<bool>(find);
    }
    return ::FindNextUrlCacheEntryW(find.Get(), buffer.Entry(), &reported) != FALSE;
  };

  for (;;) {
    DWORD reported = 0;
    if (!enumerate(reported)) {
      // Too small a buffer (or the end of the cache): grow to what the call asked for and
      // repeat it once.
      const DWORD wanted = reported > buffer.Bytes() ? reported : buffer.Bytes();
      if (!buffer.Allocate(wanted)) return;
      if (!enumerate(reported)) return;
    }
    const INTERNET_CACHE_ENTRY_INFOW* entry = buffer.Entry();
    if (!entry->lpszSourceUrlName) continue;
    const std::wstring url = entry->lpszSourceUrlName;
    if (ShouldDeleteCacheEntry(url)) ::DeleteUrlCacheEntryW(url.c_str());
  }
}

std::wstring GetTempFolder() {
  static std::mutex lock;
  static std::wstring folder;
  std::lock_guard<std::mutex> guard(lock);
  if (folder.empty()) {
    wchar_t buffer[MAX_PATH + 1] = {};
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, buffer);
    if (length > 0 && length <= MAX_PATH) folder.assign(buffer, length);
  }
  return folder;
}

bool ToNarrow(const wchar_t* text, std::string& out) {
  if (!text) return false;
  const int bytes =
      ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, -1, nullptr, 0, nullptr, nullptr);
  std::string converted(bytes > 0 ? static_cast<size_t>(bytes) : 1, '\0');
  if (bytes > 0)
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, -1, converted.data(), bytes,
                          nullptr, nullptr);
  converted.resize(converted.size() - 1);  // the terminator
  out = std::move(converted);
  return true;
}

std::wstring GetUrlParam(const std::wstring& name, const std::wstring& url) {
  const std::wstring key = name + L"=";
  const size_t at = url.find(key);
  if (at == std::wstring::npos) return std::wstring();
  const size_t begin = at + key.size();
  const size_t end = url.find(L'&', begin);
  return url.substr(begin, end == std::wstring::npos ? std::wstring::npos : end - begin);
}

void SplitString(wchar_t delimiter, const std::wstring& text, std::vector<std::wstring>& out) {
  size_t begin = 0;
  for (size_t at; (at = text.find(delimiter, begin)) != std::wstring::npos; begin = at + 1)
    out.push_back(text.substr(begin, at - begin));
  if (begin < text.size()) out.push_back(text.substr(begin));
}

bool IsProcessElevated() {
  UniqueHandle token;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.Put())) return false;
  TOKEN_ELEVATION elevation = {};
  DWORD size = 0;
  if (!::GetTokenInformation(token.Get(), TokenElevation, &elevation, sizeof(elevation), &size))
    return false;
  return elevation.TokenIsElevated != 0;
}
