// The launcher's own HTTP client: fetches URLs with WinINet on two worker threads and
// writes the response bodies to files. Callers learn the outcome through a callback that
// runs on the worker thread.
#pragma once

#include "platform/handles.h"
#include "platform/win.h"

#include <wininet.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

// Events of a DownloadCallback.
enum : int32_t {
  DL_EVENT_BEGIN = 1,
  DL_EVENT_PROGRESS = 2,  // extra = percent of the announced length received, 0..100
  DL_EVENT_END = 3,       // value = result code, extra = the DownloadRequest* (valid during the call)
};

// Result codes: 0 success, negative failures.
enum : int32_t {
  DL_OK = 0,
  DL_CANCELLED = -1,
  DL_ERR_CONNECT = -2,
  DL_ERR_REQUEST = -3,
  DL_ERR_HTTP = -4,
  DL_ERR_CREATE_FILE = -5,
  DL_ERR_READ = -6,  // also: the connection ended before the announced length arrived
  DL_ERR_WRITE = -7,
  DL_ERR_URL = -8,  // the URL cannot be split (or is not http/https); nothing was sent
};

// context, kind, event, value, extra. The return value is not used.
using DownloadCallback = int (*)(uintptr_t context, int32_t kind, int32_t event, int32_t value,
                                 uintptr_t extra);

struct DownloadRequest {
  DownloadRequest() = default;
  // Copies every field; the body is copied only when postData is set and postSize > 0.
  DownloadRequest(const DownloadRequest& other);
  DownloadRequest& operator=(const DownloadRequest&) = delete;

  std::wstring url;
  std::wstring savePath;  // a folder when nameFromUrl or guidPrefixName is set; empty: body not read
  std::unique_ptr<uint8_t[]> postData;  // request body, null for GET
  int32_t postSize = 0;
  int32_t retryCount = 0;  // further attempts after the first
  DownloadCallback callback = nullptr;
  uintptr_t context = 0;
  int32_t kind = 0;
  int32_t nameFromUrl = 0;
  int32_t guidPrefixName = 0;
  int32_t deleteOnFailure = 1;
};

// Text after the last "/" of the URL (query included), or empty when the URL holds no "/".
std::wstring UrlFileName(const std::wstring& url);

// Makes a URL path (with its query) fit for a request line: space, control characters and
// every non-ASCII character (as its UTF-8 bytes) become %XX; every other character stays
// exactly as given, "%" included, since the page that built the URL may have escaped it
// already. The result is plain ASCII.
std::wstring EscapeRequestTarget(const std::wstring& path);

// The parts of an http:// or https:// URL that a request needs.
struct DownloadUrlParts {
  std::wstring host;
  INTERNET_PORT port = 0;  // the scheme's default when the URL names none
  std::wstring userName;
  std::wstring password;
  std::wstring target;  // path and query, escaped by EscapeRequestTarget; "/" when empty
  bool secure = false;  // https: TLS on the connection
};

// Splits url with InternetCrackUrlW; false when it cannot be split, has no host or its
// scheme is neither http nor https.
bool SplitDownloadUrl(const std::wstring& url, DownloadUrlParts& parts);

class HTTPDownloader;

// One thread with a stop flag; the destructor stops and joins it.
class CThreadHolder {
public:
  using ThreadFunc = uint32_t (*)(void* arg);
  CThreadHolder() = default;
  virtual ~CThreadHolder();
  CThreadHolder(const CThreadHolder&) = delete;
  CThreadHolder& operator=(const CThreadHolder&) = delete;

  HANDLE m_hThread = nullptr;
  std::atomic<int32_t> m_stop{1};  // 0 while the thread is meant to run
  ThreadFunc m_func = nullptr;
  void* m_arg = nullptr;

  bool StartThread();  // _beginthreadex on ThreadEntry

private:
  static unsigned __stdcall ThreadEntry(void* self);
};

struct DownloadWorker {
  CThreadHolder holder;
  HTTPDownloader* owner = nullptr;
  UniqueHandle wakeEvent;  // auto-reset, unnamed
};

class HTTPDownloader {
public:
  HTTPDownloader();
  ~HTTPDownloader();
  HTTPDownloader(const HTTPDownloader&) = delete;
  HTTPDownloader& operator=(const HTTPDownloader&) = delete;

  // Starts the workers (at once true when already started); false when none could start.
  bool Start();
  // Stops every worker (waiting up to 5 s each); queued requests stay queued.
  void Stop();
  bool IsStarted() const { return m_started != 0; }
  // Queues a copy of the request and wakes the workers; false when the copy cannot be made.
  bool AddRequest(const DownloadRequest& request);
  // The oldest queued request, now owned by the caller, or null.
  std::unique_ptr<DownloadRequest> TakeRequest();

  // The thread function of each worker (argument: the DownloadWorker). It ends when the
  // worker's stop flag is set or when its wake-up event cannot be waited on.
  static uint32_t WorkerMain(void* worker);

private:
  static int32_t DownloadOnce(DownloadWorker& worker, DownloadRequest& request);
  static void StopWorker(DownloadWorker& worker);

  std::deque<std::unique_ptr<DownloadRequest>> m_queue;
  // Guards the queue, and the worker list against AddRequest from a worker's callback
  // while Stop runs; never held while WinINet or a callback runs.
  CRITICAL_SECTION m_queueLock;
  std::atomic<int32_t> m_started{0};
  int32_t m_threadCount = 2;
  std::vector<std::unique_ptr<DownloadWorker>> m_workers;
};
