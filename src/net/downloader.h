// The launcher's own HTTP client: fetches URLs with WinINet on two worker threads and
// writes the response bodies to files. Callers learn the outcome through a callback that
// runs on the worker thread.
#pragma once

#include "platform/win.h"

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
  DL_ERR_READ = -6,
  DL_ERR_WRITE = -7,
  DL_ERR_URL = -8,  // the URL cannot be split; nothing was sent
};

// context, kind, event, value, extra. The return value is not used.
using DownloadCallback = int (*)(uintptr_t context, int32_t kind, int32_t event, int32_t value,
                                 uintptr_t extra);

struct DownloadRequest {
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
  HANDLE wakeEvent = nullptr;  // auto-reset
};

class HTTPDownloader {
public:
  HTTPDownloader();
  ~HTTPDownloader();
  HTTPDownloader(const HTTPDownloader&) = delete;
  HTTPDownloader& operator=(const HTTPDownloader&) = delete;

  bool Start();
  void Stop();
  bool IsStarted() const { return m_started != 0; }
  bool AddRequest(const DownloadRequest& request);
  std::unique_ptr<DownloadRequest> TakeRequest();

private:
  static uint32_t WorkerMain(void* worker);
  static int32_t DownloadOnce(DownloadWorker& worker, DownloadRequest& request);

  std::deque<std::unique_ptr<DownloadRequest>> m_queue;
  CRITICAL_SECTION m_queueLock;
  int32_t m_started = 0;
  int32_t m_threadCount = 2;
  std::vector<std::unique_ptr<DownloadWorker>> m_workers;
};
