#include "net/downloader.h"

#include "shell/settings.h"

#include <process.h>
#include <wininet.h>

#include <algorithm>
#include <cwchar>
#include <new>

namespace {

constexpr DWORD READ_BUFFER_SIZE = 10240;
constexpr DWORD IDLE_WAIT_MS = 10000;
constexpr DWORD STOP_WAIT_MS = 5000;
constexpr int RETRY_PAUSE_STEPS = 10;  // one second between attempts, as ten naps...
constexpr DWORD RETRY_PAUSE_STEP_MS = 100;  // ...so that a stop ends the pause early

struct InternetHandleTraits {
  using Type = HINTERNET;
  static Type Invalid() { return nullptr; }
  static void Close(Type h) { ::InternetCloseHandle(h); }
};
using UniqueInternet = UniqueHandleT<InternetHandleTraits>;

// Runs the request's callback, if it has one.
void Notify(const DownloadRequest& request, int32_t event, int32_t value, uintptr_t extra) {
  if (request.callback) request.callback(request.context, request.kind, event, value, extra);
}

// Percent of total that has arrived, 0..100, without overflow.
int32_t Percent(uint64_t received, uint64_t total) {
  if (total == 0) return 100;
  if (received >= total) return 100;
  // received < total, so received * 100 overflows only for totals beyond 2^57 bytes.
  uint64_t p = received <= UINT64_MAX / 100 ? received * 100 / total : received / (total / 100);
  return static_cast<int32_t>(std::min<uint64_t>(p, 100));
}

// Content-Length as a number; false when the header is missing or not a plain decimal number.
bool QueryContentLength(HINTERNET request, uint64_t& length) {
  wchar_t text[64] = {};
  DWORD size = sizeof(text) - sizeof(wchar_t);
  DWORD index = 0;
  if (!HttpQueryInfoW(request, HTTP_QUERY_CONTENT_LENGTH, text, &size, &index)) return false;
  const wchar_t* p = text;
  while (*p == L' ' || *p == L'\t') ++p;
  if (*p < L'0' || *p > L'9') return false;
  uint64_t value = 0;
  for (; *p >= L'0' && *p <= L'9'; ++p) {
    uint64_t digit = static_cast<uint64_t>(*p - L'0');
    if (value > (UINT64_MAX - digit) / 10) return false;
    value = value * 10 + digit;
  }
  while (*p == L' ' || *p == L'\t') ++p;
  if (*p != L'\0') return false;
  length = value;
  return true;
}

void AppendPercentEscaped(std::wstring& out, unsigned byte) {
  static const wchar_t HEX[] = L"0123456789ABCDEF";
  out += L'%';
  out += HEX[(byte >> 4) & 0xF];
  out += HEX[byte & 0xF];
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Pure helpers

std::wstring UrlFileName(const std::wstring& url) {
  size_t slash = url.rfind(L'/');
  if (slash == std::wstring::npos) return L"";
  return url.substr(slash + 1);
}

std::wstring EscapeRequestTarget(const std::wstring& path) {
  std::wstring out;
  out.reserve(path.size());
  for (size_t i = 0; i < path.size(); ++i) {
    uint32_t c = path[i];
    if (c > L' ' && c < 0x7F) {
      out += static_cast<wchar_t>(c);
      continue;
    }
    // A surrogate pair is one character; a lone surrogate becomes U+FFFD.
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < path.size() && path[i + 1] >= 0xDC00 &&
        path[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<uint32_t>(path[i + 1]) - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    if (c < 0x80) {
      AppendPercentEscaped(out, c);
    } else if (c < 0x800) {
      AppendPercentEscaped(out, 0xC0 | (c >> 6));
      AppendPercentEscaped(out, 0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      AppendPercentEscaped(out, 0xE0 | (c >> 12));
      AppendPercentEscaped(out, 0x80 | ((c >> 6) & 0x3F));
      AppendPercentEscaped(out, 0x80 | (c & 0x3F));
    } else {
      AppendPercentEscaped(out, 0xF0 | (c >> 18));
      AppendPercentEscaped(out, 0x80 | ((c >> 12) & 0x3F));
      AppendPercentEscaped(out, 0x80 | ((c >> 6) & 0x3F));
      AppendPercentEscaped(out, 0x80 | (c & 0x3F));
    }
  }
  return out;
}

bool SplitDownloadUrl(const std::wstring& url, DownloadUrlParts& parts) {
  if (url.empty() || url.size() > 0x7FFFFFFF) return false;
  std::wstring host(1024, L'\0'), user(256, L'\0'), password(256, L'\0'), path(1024, L'\0');
  URL_COMPONENTSW uc{};
  uc.dwStructSize = sizeof(uc);
  uc.lpszHostName = host.data();
  uc.dwHostNameLength = static_cast<DWORD>(host.size());
  uc.lpszUserName = user.data();
  uc.dwUserNameLength = static_cast<DWORD>(user.size());
  uc.lpszPassword = password.data();
  uc.dwPasswordLength = static_cast<DWORD>(password.size());
  // The extra information is not asked for separately, so the path carries the query.
  uc.lpszUrlPath = path.data();
  uc.dwUrlPathLength = static_cast<DWORD>(path.size());
  if (!InternetCrackUrlW(url.c_str(), static_cast<DWORD>(url.size()), 0, &uc)) return false;
  if (uc.nScheme != INTERNET_SCHEME_HTTP && uc.nScheme != INTERNET_SCHEME_HTTPS) return false;
  host.resize(uc.dwHostNameLength);
  if (host.empty()) return false;
  parts.host = host;
  parts.secure = uc.nScheme == INTERNET_SCHEME_HTTPS;
  parts.port = uc.nPort ? uc.nPort
                        : (parts.secure ? INTERNET_DEFAULT_HTTPS_PORT : INTERNET_DEFAULT_HTTP_PORT);
  parts.userName = user.substr(0, uc.dwUserNameLength);
  parts.password = password.substr(0, uc.dwPasswordLength);
  path.resize(uc.dwUrlPathLength);
  parts.target = path.empty() ? L"/" : EscapeRequestTarget(path);
  return true;
}

DownloadRequest::DownloadRequest(const DownloadRequest& other)
    : url(other.url),
      savePath(other.savePath),
      postSize(other.postSize),
      retryCount(other.retryCount),
      callback(other.callback),
      context(other.context),
      kind(other.kind),
      nameFromUrl(other.nameFromUrl),
      guidPrefixName(other.guidPrefixName),
      deleteOnFailure(other.deleteOnFailure) {
  if (other.postData && other.postSize > 0) {
    postData.reset(new uint8_t[static_cast<size_t>(other.postSize)]);
    std::copy_n(other.postData.get(), other.postSize, postData.get());
  } else {
    postSize = 0;
  }
}

// ---------------------------------------------------------------------------------------
// CThreadHolder

CThreadHolder::~CThreadHolder() {
  m_stop = 1;
  if (m_hThread) {
    WaitForSingleObject(m_hThread, INFINITE);
    CloseHandle(m_hThread);
    m_hThread = nullptr;
  }
}

bool CThreadHolder::StartThread() {
  uintptr_t h = _beginthreadex(nullptr, 0, &CThreadHolder::ThreadEntry, this, 0, nullptr);
  m_hThread = reinterpret_cast<HANDLE>(h);
  return m_hThread != nullptr;
}

unsigned __stdcall CThreadHolder::ThreadEntry(void* self) {
  auto* holder = static_cast<CThreadHolder*>(self);
  if (holder->m_func) holder->m_func(holder->m_arg);
  return 0;
}

// ---------------------------------------------------------------------------------------
// HTTPDownloader

HTTPDownloader::HTTPDownloader() { InitializeCriticalSection(&m_queueLock); }

HTTPDownloader::~HTTPDownloader() {
  Stop();
  m_queue.clear();  // left-over requests go without any callback
  DeleteCriticalSection(&m_queueLock);
}

bool HTTPDownloader::Start() {
  if (m_started) return true;
  std::vector<std::unique_ptr<DownloadWorker>> started;
  for (int32_t i = 0; i < m_threadCount; ++i) {
    std::unique_ptr<DownloadWorker> worker(new (std::nothrow) DownloadWorker);
    if (!worker) continue;
    worker->owner = this;
    worker->wakeEvent.Reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    // Without its event a worker could neither sleep nor be woken: do not run it.
    if (!worker->wakeEvent) continue;
    worker->holder.m_func = &HTTPDownloader::WorkerMain;
    worker->holder.m_arg = worker.get();
    worker->holder.m_stop = 0;
    if (!worker->holder.StartThread()) {
      StopWorker(*worker);
      continue;
    }
    started.push_back(std::move(worker));
  }
  EnterCriticalSection(&m_queueLock);
  for (auto& w : started) m_workers.push_back(std::move(w));
  m_started = m_workers.empty() ? 0 : 1;
  bool result = m_started != 0;
  // Requests queued while no worker ran are waiting.
  if (result)
    for (auto& w : m_workers) SetEvent(w->wakeEvent.Get());
  LeaveCriticalSection(&m_queueLock);
  return result;
}

void HTTPDownloader::StopWorker(DownloadWorker& worker) {
  worker.holder.m_stop = 1;
  if (worker.wakeEvent) SetEvent(worker.wakeEvent.Get());
  if (worker.holder.m_hThread) {
    if (WaitForSingleObject(worker.holder.m_hThread, STOP_WAIT_MS) == WAIT_TIMEOUT)
      TerminateThread(worker.holder.m_hThread, 0);
    CloseHandle(worker.holder.m_hThread);
    worker.holder.m_hThread = nullptr;
  }
  worker.wakeEvent.Reset();
}

void HTTPDownloader::Stop() {
  // Take the list first, so that a worker's callback adding a request meanwhile does not
  // walk a list that is being torn down.
  std::vector<std::unique_ptr<DownloadWorker>> workers;
  EnterCriticalSection(&m_queueLock);
  workers.swap(m_workers);
  LeaveCriticalSection(&m_queueLock);
  for (auto& w : workers) {
    // Every worker is told first, so that both wind down at once.
    w->holder.m_stop = 1;
    if (w->wakeEvent) SetEvent(w->wakeEvent.Get());
  }
  for (auto& w : workers) StopWorker(*w);
  workers.clear();
  m_started = 0;
}

bool HTTPDownloader::AddRequest(const DownloadRequest& request) {
  std::unique_ptr<DownloadRequest> copy;
  try {
    copy.reset(new DownloadRequest(request));
  } catch (const std::bad_alloc&) {
    return false;
  }
  EnterCriticalSection(&m_queueLock);
  bool queued = true;
  try {
    m_queue.push_back(std::move(copy));
  } catch (const std::bad_alloc&) {
    queued = false;
  }
  if (queued)
    for (auto& w : m_workers) SetEvent(w->wakeEvent.Get());
  LeaveCriticalSection(&m_queueLock);
  return queued;
}

std::unique_ptr<DownloadRequest> HTTPDownloader::TakeRequest() {
  std::unique_ptr<DownloadRequest> request;
  EnterCriticalSection(&m_queueLock);
  if (!m_queue.empty()) {
    request = std::move(m_queue.front());
    m_queue.pop_front();
  }
  LeaveCriticalSection(&m_queueLock);
  return request;
}

uint32_t HTTPDownloader::WorkerMain(void* arg) {
  auto& worker = *static_cast<DownloadWorker*>(arg);
  const std::atomic<int32_t>& stop = worker.holder.m_stop;
  while (!stop) {
    std::unique_ptr<DownloadRequest> request = worker.owner->TakeRequest();
    if (!request) {
      DWORD wait = WaitForSingleObject(worker.wakeEvent.Get(), IDLE_WAIT_MS);
      // An event that cannot be waited on would make this loop spin: end the worker.
      if (wait == WAIT_ABANDONED || wait == WAIT_FAILED) break;
      continue;
    }

    Notify(*request, DL_EVENT_BEGIN, 0, 0);
    int32_t result = DL_OK;
    for (int32_t attempt = 0; !stop && attempt <= request->retryCount;) {
      result = DownloadOnce(worker, *request);
      if (result == DL_OK) break;
      ++attempt;
      if (stop) break;
      if (attempt <= request->retryCount)
        for (int i = 0; i < RETRY_PAUSE_STEPS && !stop; ++i) Sleep(RETRY_PAUSE_STEP_MS);
    }

    bool succeeded = false;
    if (!stop) {
      Notify(*request, DL_EVENT_END, result, reinterpret_cast<uintptr_t>(request.get()));
      succeeded = result == DL_OK;
    }
    // A stopping worker gets here without the callback, whatever the last result was.
    if (!succeeded && !request->savePath.empty() && request->deleteOnFailure)
      DeleteFileW(request->savePath.c_str());
    request.reset();
  }
  return 0;
}

int32_t HTTPDownloader::DownloadOnce(DownloadWorker& worker, DownloadRequest& request) {
  const std::atomic<int32_t>& stop = worker.holder.m_stop;
  DownloadUrlParts parts;
  if (!SplitDownloadUrl(request.url, parts)) return DL_ERR_URL;

  // Declared in this order so that they close in reverse: request, connection, session.
  UniqueInternet session(InternetOpenW(L"HTTPDownloader", INTERNET_OPEN_TYPE_PRECONFIG, nullptr,
                                       nullptr, 0));
  if (!session) return DL_ERR_CONNECT;
  if (stop) return DL_CANCELLED;

  UniqueInternet connection(InternetConnectW(session.Get(), parts.host.c_str(), parts.port,
                                             parts.userName.c_str(), parts.password.c_str(),
                                             INTERNET_SERVICE_HTTP, 0, 0));
  if (!connection) return DL_ERR_CONNECT;
  if (stop) return DL_CANCELLED;

  const bool post = request.postData && request.postSize > 0;
  const DWORD flags = parts.secure ? INTERNET_FLAG_SECURE : 0;
  UniqueInternet http(HttpOpenRequestW(connection.Get(), post ? L"POST" : L"GET",
                                       parts.target.c_str(), nullptr, nullptr, nullptr, flags, 0));
  if (!http) return DL_ERR_REQUEST;
  if (post) {
    static const wchar_t CONTENT_TYPE[] =
        L"Content-Type: application/x-www-form-urlencoded; charset=UTF-8;\r\n";
    if (!HttpAddRequestHeadersW(http.Get(), CONTENT_TYPE, static_cast<DWORD>(wcslen(CONTENT_TYPE)),
                                HTTP_ADDREQ_FLAG_ADD | HTTP_ADDREQ_FLAG_REPLACE))
      return DL_ERR_REQUEST;
  }
  if (stop) return DL_CANCELLED;

  if (!HttpSendRequestW(http.Get(), nullptr, 0, post ? request.postData.get() : nullptr,
                        post ? static_cast<DWORD>(request.postSize) : 0))
    return DL_ERR_REQUEST;
  if (stop) return DL_CANCELLED;

  DWORD status = 0;
  DWORD statusSize = sizeof(status);
  DWORD index = 0;
  if (!HttpQueryInfoW(http.Get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                      &statusSize, &index) ||
      status == 0 || status >= 400)
    return DL_ERR_HTTP;

  if (request.savePath.empty()) return DL_OK;

  if (request.nameFromUrl) {
    request.savePath = EnsureTrailingBackslash(request.savePath) + UrlFileName(request.url);
  } else if (request.guidPrefixName) {
    request.savePath = EnsureTrailingBackslash(request.savePath) + NewGuidString() + L"_" +
                       UrlFileName(request.url);
  }

  uint64_t length = 0;
  if (!QueryContentLength(http.Get(), length)) return DL_ERR_HTTP;
  if (stop) return DL_CANCELLED;

  UniqueFile file(CreateFileW(request.savePath.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return DL_ERR_CREATE_FILE;

  std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[READ_BUFFER_SIZE]);
  if (!buffer) return DL_ERR_READ;
  uint64_t remaining = length;
  while (remaining > 0) {
    if (stop) return DL_CANCELLED;
    // Never ask for more than was announced: extra bytes from the server are not ours.
    DWORD wanted = static_cast<DWORD>(std::min<uint64_t>(READ_BUFFER_SIZE, remaining));
    DWORD got = 0;
    if (!InternetReadFile(http.Get(), buffer.get(), wanted, &got)) return DL_ERR_READ;
    // A successful read of nothing means the connection ended before the announced length.
    if (got == 0) return DL_ERR_READ;
    remaining -= std::min<uint64_t>(got, remaining);
    Notify(request, DL_EVENT_PROGRESS, 0, static_cast<uintptr_t>(Percent(length - remaining, length)));
    DWORD written = 0;
    if (!WriteFile(file.Get(), buffer.get(), got, &written, nullptr) || written != got)
      return DL_ERR_WRITE;
  }
  file.Reset();
  return DL_OK;
}
