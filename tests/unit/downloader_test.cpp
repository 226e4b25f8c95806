// The HTTP downloader against a local server that misbehaves on request.
#include "net/downloader.h"

#include "http_server.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>

namespace {

// ---------------------------------------------------------------------------------------
// Equipment

// A fresh folder under the temporary folder, removed with its files afterwards.
class TempFolder {
public:
  TempFolder() {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    static int counter = 0;
    m_path = std::wstring(base) + L"dltest_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
             std::to_wstring(++counter);
    CreateDirectoryW(m_path.c_str(), nullptr);
  }
  ~TempFolder() {
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW((m_path + L"\\*").c_str(), &fd);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
          DeleteFileW((m_path + L"\\" + fd.cFileName).c_str());
      } while (FindNextFileW(find, &fd));
      FindClose(find);
    }
    RemoveDirectoryW(m_path.c_str());
  }
  const std::wstring& Path() const { return m_path; }
  std::wstring File(const std::wstring& name) const { return m_path + L"\\" + name; }

private:
  std::wstring m_path;
};

bool FileExists(const std::wstring& path) {
  DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadFile(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFileText(const std::wstring& path, const std::string& text) {
  std::ofstream out(path.c_str(), std::ios::binary);
  out << text;
}

// Size of the file on disk, -1 when it does not exist.
long long FileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Records every callback; the context of each request points at it.
class Recorder {
public:
  struct Event {
    int32_t kind, event, value;
    uintptr_t extra;
    std::wstring savePath;     // at DL_EVENT_END: the request's final path
    long long sizeOnDisk = -1;  // at DL_EVENT_PROGRESS: the watched file's size
  };

  static int Callback(uintptr_t context, int32_t kind, int32_t event, int32_t value, uintptr_t extra) {
    auto* self = reinterpret_cast<Recorder*>(context);
    Event e{kind, event, value, extra, {}, -1};
    if (event == DL_EVENT_END) e.savePath = reinterpret_cast<DownloadRequest*>(extra)->savePath;
    std::lock_guard<std::mutex> lock(self->m_mutex);
    if (event == DL_EVENT_PROGRESS) {
      auto watched = self->m_watch.find(kind);
      if (watched != self->m_watch.end()) e.sizeOnDisk = FileSize(watched->second);
    }
    self->m_events.push_back(e);
    self->m_changed.notify_all();
    return 0;
  }

  // Sample the size of this file at every progress event of the kind.
  void Watch(int32_t kind, const std::wstring& path) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_watch[kind] = path;
  }

  // Waits for the DL_EVENT_END of the kind; false after timeoutMs.
  bool WaitForEnd(int32_t kind, DWORD timeoutMs = 20000) {
    return WaitFor(kind, DL_EVENT_END, timeoutMs);
  }
  bool WaitFor(int32_t kind, int32_t event, DWORD timeoutMs) {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
      for (const Event& e : m_events)
        if (e.kind == kind && e.event == event) return true;
      return false;
    });
  }

  std::vector<Event> Of(int32_t kind) {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<Event> out;
    for (const Event& e : m_events)
      if (e.kind == kind) out.push_back(e);
    return out;
  }
  const Event* End(const std::vector<Event>& events) {
    for (const Event& e : events)
      if (e.event == DL_EVENT_END) return &e;
    return nullptr;
  }

private:
  std::mutex m_mutex;
  std::condition_variable m_changed;
  std::vector<Event> m_events;
  std::map<int32_t, std::wstring> m_watch;
};

DownloadRequest MakeRequest(Recorder& recorder, int32_t kind, const std::wstring& url,
                            const std::wstring& savePath) {
  DownloadRequest r;
  r.url = url;
  r.savePath = savePath;
  r.callback = &Recorder::Callback;
  r.context = reinterpret_cast<uintptr_t>(&recorder);
  r.kind = kind;
  return r;
}

HttpResponse Body(const std::string& body) {
  HttpResponse r;
  r.contentType = "application/octet-stream";
  r.body = body;
  return r;
}

// A body whose bytes tell their own position, so that a shifted or cut copy shows.
std::string Pattern(size_t size) {
  std::string s(size, '\0');
  for (size_t i = 0; i < size; ++i) s[i] = static_cast<char>('a' + (i * 7 + i / 26) % 26);
  return s;
}

// ---------------------------------------------------------------------------------------
// Pure helpers

TEST(DownloaderText, UrlFileName) {
  const struct {
    const wchar_t* url;
    const wchar_t* name;
  } cases[] = {
      {L"http://h/a/b/app.ini", L"app.ini"},
      {L"http://h/dir/file.ini?x=1&y=/2", L"2"},  // the last "/" may sit in the query
      {L"http://h/dir/up.exe?ver=3006", L"up.exe?ver=3006"},
      {L"http://h/dir/", L""},
      {L"no-slash-at-all", L""},
      {L"", L""},
  };
  for (const auto& c : cases) EXPECT_EQ(UrlFileName(c.url), c.name) << c.url;
}

TEST(DownloaderText, EscapeRequestTargetOnlyTouchesWhatCannotStandInARequestLine) {
  const struct {
    std::wstring in;
    const wchar_t* out;
  } cases[] = {
      {L"/a/b.ini?x=1&y=%20z#frag", L"/a/b.ini?x=1&y=%20z#frag"},  // already escaped: kept
      {L"/p?q=a b", L"/p?q=a%20b"},
      {L"/p?t=2026-12-11 10:00:00", L"/p?t=2026-12-11%2010:00:00"},
      {L"/x\ty\r\nz\x7f", L"/x%09y%0D%0Az%7F"},
      {L"/登录 页?name=张 三", L"/%E7%99%BB%E5%BD%95%20%E9%A1%B5?name=%E5%BC%A0%20%E4%B8%89"},
      {L"/é", L"/%C3%A9"},
      {L"/\U0001F600", L"/%F0%9F%98%80"},             // a surrogate pair is one character
      {std::wstring(L"/a") + wchar_t(0xD800) + L"b", L"/a%EF%BF%BDb"},  // a lone surrogate
      {L"/~!$'()*+,;=:@[]{}|\\^`\"<>", L"/~!$'()*+,;=:@[]{}|\\^`\"<>"},
      {L"", L""},
  };
  for (const auto& c : cases) EXPECT_EQ(EscapeRequestTarget(c.in), c.out) << c.out;
}

TEST(DownloaderText, SplitDownloadUrl) {
  const struct {
    const wchar_t* url;
    bool ok;
    const wchar_t* host;
    INTERNET_PORT port;
    const wchar_t* user;
    const wchar_t* password;
    const wchar_t* target;
    bool secure;
  } cases[] = {
      {L"http://dl.example/quenta/app.ini", true, L"dl.example", 80, L"", L"", L"/quenta/app.ini", false},
      {L"https://dl.example/a?b=c d", true, L"dl.example", 443, L"", L"", L"/a?b=c%20d", true},
      {L"http://127.0.0.1:18082/x?y=1", true, L"127.0.0.1", 18082, L"", L"", L"/x?y=1", false},
      {L"https://h:8443", true, L"h", 8443, L"", L"", L"/", true},
      {L"http://me:secret@h/p", true, L"h", 80, L"me", L"secret", L"/p", false},
      {L"", false, L"", 0, L"", L"", L"", false},
      {L"not a url", false, L"", 0, L"", L"", L"", false},
      {L"ftp://h/file", false, L"", 0, L"", L"", L"", false},
      {L"http://", false, L"", 0, L"", L"", L"", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.url);
    DownloadUrlParts parts;
    ASSERT_EQ(SplitDownloadUrl(c.url, parts), c.ok);
    if (!c.ok) continue;
    EXPECT_EQ(parts.host, c.host);
    EXPECT_EQ(parts.port, c.port);
    EXPECT_EQ(parts.userName, c.user);
    EXPECT_EQ(parts.password, c.password);
    EXPECT_EQ(parts.target, c.target);
    EXPECT_EQ(parts.secure, c.secure);
  }
}

// ---------------------------------------------------------------------------------------
// Against the server

class DownloaderTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(server.Start());
    ASSERT_TRUE(downloader.Start());
  }
  std::wstring Url(const std::wstring& path) const { return server.WUrl(path); }

  TestHttpServer server;
  Recorder recorder;
  TempFolder folder;
  HTTPDownloader downloader;  // destroyed first: its workers end before the server does
};

TEST_F(DownloaderTest, OutcomesOfOneAttempt) {
  const std::string body = Pattern(25000);  // more than two read buffers
  std::map<std::string, HttpResponse> responses;
  responses["/ok/file.bin"] = Body(body);
  responses["/empty/e.bin"] = Body("");
  responses["/missing/m.bin"] = Body("gone");
  responses["/missing/m.bin"].status = 404;
  responses["/broken/s.bin"] = Body("oops");
  responses["/broken/s.bin"].status = 500;
  responses["/nolength/n.bin"] = Body(body);
  responses["/nolength/n.bin"].omitContentLength = true;
  responses["/chunked/c.bin"] = Body(body);
  responses["/chunked/c.bin"].chunked = true;
  responses["/chunked/c.bin"].pieceSize = 4000;
  responses["/early/cut.bin"] = Body(body);
  responses["/early/cut.bin"].closeAfter = 12000;
  responses["/more/more.bin"] = Body(body);
  responses["/more/more.bin"].announcedLength = 10000;
  responses["/refuse/r.bin"] = Body(body);
  responses["/refuse/r.bin"].refuse = true;
  server.SetHandler([&](const HttpRequest& r) {
    auto it = responses.find(r.target);
    return it != responses.end() ? it->second : Body("?");
  });

  // Where the free port of a stopped server is: nothing listens there.
  TestHttpServer closed;
  ASSERT_TRUE(closed.Start());
  const std::wstring refusedUrl = closed.WUrl(L"/x/y.bin");
  closed.Stop();

  enum class Expect { Absent, Body, Empty, FirstBytes, Old };
  const struct {
    const char* name;
    std::wstring url;
    int32_t code;
    bool nameChosen;  // the final path names the file rather than the folder
    Expect file;
    size_t bytes = 0;  // for FirstBytes
    bool keepOnFailure = false;  // deleteOnFailure clear
    bool olderFile = false;      // a file of the chosen name exists beforehand
    int32_t altCode = 1;         // another code the platform may give for the same fault
  } cases[] = {
      {"200 with a body", Url(L"/ok/file.bin"), DL_OK, true, Expect::Body},
      {"200 with length 0", Url(L"/empty/e.bin"), DL_OK, true, Expect::Empty},
      {"404", Url(L"/missing/m.bin"), DL_ERR_HTTP, false, Expect::Absent},
      {"500 keeps an older file", Url(L"/broken/s.bin"), DL_ERR_HTTP, false, Expect::Old, 0, false, true},
      {"no length", Url(L"/nolength/n.bin"), DL_ERR_HTTP, true, Expect::Absent, 0, true},
      {"chunked", Url(L"/chunked/c.bin"), DL_ERR_HTTP, true, Expect::Absent, 0, true},
      {"no length deletes an older file", Url(L"/nolength/n.bin"), DL_ERR_HTTP, true, Expect::Absent, 0, false, true},
      {"no length, kept: the older file untouched", Url(L"/nolength/n.bin"), DL_ERR_HTTP, true, Expect::Old, 0, true, true},
      {"early close", Url(L"/early/cut.bin"), DL_ERR_READ, true, Expect::Absent},
      {"early close, kept", Url(L"/early/cut.bin"), DL_ERR_READ, true, Expect::FirstBytes, 12000, true},
      {"more than announced", Url(L"/more/more.bin"), DL_OK, true, Expect::FirstBytes, 10000},
      // Sending fails, or (Wine) the send succeeds and no status arrives.
      {"server hangs up", Url(L"/refuse/r.bin"), DL_ERR_REQUEST, false, Expect::Absent, 0, false, false, DL_ERR_HTTP},
      {"connection refused", refusedUrl, DL_ERR_REQUEST, false, Expect::Absent},
      {"unsplittable URL", L"http//127.0.0.1/no/scheme.bin", DL_ERR_URL, false, Expect::Absent},
  };
  int32_t kind = 100;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::wstring name = UrlFileName(c.url);
    const std::wstring target = folder.File(name);
    DeleteFileW(target.c_str());
    if (c.olderFile) WriteFileText(target, "older");
    const size_t requestsBefore = server.RequestCount();

    DownloadRequest r = MakeRequest(recorder, ++kind, c.url, folder.Path());
    r.nameFromUrl = 1;
    r.deleteOnFailure = c.keepOnFailure ? 0 : 1;
    ASSERT_TRUE(downloader.AddRequest(r));
    ASSERT_TRUE(recorder.WaitForEnd(kind));
    // The file is deleted after the end is reported: let the workers finish first.
    downloader.Stop();

    auto events = recorder.Of(kind);
    ASSERT_GE(events.size(), 2u);
    EXPECT_EQ(events.front().event, DL_EVENT_BEGIN);
    EXPECT_EQ(events.back().event, DL_EVENT_END);
    if (events.back().value != c.altCode) {
      EXPECT_EQ(events.back().value, c.code);
    }
    EXPECT_EQ(events.back().savePath, c.nameChosen ? target : folder.Path());
    switch (c.file) {
      case Expect::Absent: EXPECT_FALSE(FileExists(target)); break;
      case Expect::Body: EXPECT_EQ(ReadFile(target), body); break;
      case Expect::Empty:
        EXPECT_TRUE(FileExists(target));
        EXPECT_EQ(FileSize(target), 0);
        break;
      case Expect::FirstBytes: EXPECT_EQ(ReadFile(target), body.substr(0, c.bytes)); break;
      case Expect::Old: EXPECT_EQ(ReadFile(target), "older"); break;
    }
    if (c.code == DL_ERR_URL) {
      EXPECT_EQ(server.RequestCount(), requestsBefore);
    }
    ASSERT_TRUE(downloader.Start());
  }
}

TEST_F(DownloaderTest, FileNamesFromTheUrl) {
  server.SetResponse(Body("x"));
  const struct {
    std::wstring savePath;
    int32_t nameFromUrl, guidPrefixName;
    std::wstring url;
  } cases[] = {
      {folder.Path(), 1, 0, Url(L"/dir/app.ini")},
      {folder.Path() + L"\\", 1, 0, Url(L"/dir/app.ini")},  // no second backslash
      {folder.Path(), 1, 1, Url(L"/dir/app.ini")},          // nameFromUrl wins
      {folder.Path(), 0, 1, Url(L"/dir/app.ini")},
      {folder.Path() + L"\\", 0, 1, Url(L"/dir/app.ini")},
  };
  int32_t kind = 200;
  std::wstring firstGuidName;
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << kind);
    DownloadRequest r = MakeRequest(recorder, ++kind, c.url, c.savePath);
    r.nameFromUrl = c.nameFromUrl;
    r.guidPrefixName = c.guidPrefixName;
    ASSERT_TRUE(downloader.AddRequest(r));
    ASSERT_TRUE(recorder.WaitForEnd(kind));
    auto events = recorder.Of(kind);
    const auto* end = recorder.End(events);
    ASSERT_NE(end, nullptr);
    EXPECT_EQ(end->value, DL_OK);
    if (c.nameFromUrl) {
      EXPECT_EQ(end->savePath, folder.File(L"app.ini"));
    } else {
      // folder\XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX_app.ini, upper-case hexadecimal
      const std::wstring prefix = folder.Path() + L"\\";
      ASSERT_EQ(end->savePath.substr(0, prefix.size()), prefix);
      const std::wstring name = end->savePath.substr(prefix.size());
      ASSERT_EQ(name.size(), 36u + 8u);
      EXPECT_EQ(name.substr(36), L"_app.ini");
      for (size_t i = 0; i < 36; ++i) {
        if (i == 8 || i == 13 || i == 18 || i == 23)
          EXPECT_EQ(name[i], L'-');
        else
          EXPECT_TRUE(iswxdigit(name[i]) && !iswlower(name[i])) << name;
      }
      EXPECT_EQ(ReadFile(end->savePath), "x");
      EXPECT_NE(name, firstGuidName);  // a new GUID each time
      firstGuidName = name;
    }
  }
  // A query after the last "/" is part of the name.
  DownloadRequest q = MakeRequest(recorder, 299, Url(L"/dir/up.exe?ver=3006"), folder.Path());
  q.nameFromUrl = 1;
  ASSERT_TRUE(downloader.AddRequest(q));
  ASSERT_TRUE(recorder.WaitForEnd(299));
  auto events = recorder.Of(299);
  EXPECT_EQ(recorder.End(events)->savePath, folder.File(L"up.exe?ver=3006"));
}

TEST_F(DownloaderTest, EmptySavePathSendsTheRequestButReadsNothing) {
  server.SetResponse(Body(Pattern(5000)));
  ASSERT_TRUE(downloader.AddRequest(MakeRequest(recorder, 1, Url(L"/report/ps.gif?a=1"), L"")));
  ASSERT_TRUE(recorder.WaitForEnd(1));
  auto events = recorder.Of(1);
  ASSERT_EQ(events.size(), 2u);  // begin and end: no progress, nothing read
  EXPECT_EQ(events[1].value, DL_OK);
  EXPECT_EQ(events[1].savePath, L"");
  ASSERT_EQ(server.RequestCount(), 1u);
  EXPECT_EQ(server.Requests()[0].requestLine, "GET /report/ps.gif?a=1 HTTP/1.1");
}

TEST_F(DownloaderTest, PostsTheBodyAsAForm) {
  server.SetResponse(Body("done"));
  DownloadRequest r = MakeRequest(recorder, 1, Url(L"/form"), folder.File(L"reply.txt"));
  const std::string form = "a=1&b=%E4%B8%AD";
  r.postData.reset(new uint8_t[form.size()]);
  std::copy(form.begin(), form.end(), r.postData.get());
  r.postSize = static_cast<int32_t>(form.size());
  ASSERT_TRUE(downloader.AddRequest(r));
  r.postData.reset();  // the queue has its own copy
  ASSERT_TRUE(recorder.WaitForEnd(1));
  EXPECT_EQ(recorder.Of(1).back().value, DL_OK);
  EXPECT_EQ(ReadFile(folder.File(L"reply.txt")), "done");
  auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].method, "POST");
  EXPECT_EQ(requests[0].body, form);
  EXPECT_EQ(requests[0].Header("Content-Type"),
            "application/x-www-form-urlencoded; charset=UTF-8;");
}

TEST_F(DownloaderTest, UnsafeCharactersReachTheServerEscapedAndNothingElseChanges) {
  server.SetResponse(Body(""));
  const std::wstring url = Url(L"/game/登录 页?name=张 三&x=a%20b&t=2026-12-11 10:00:00");
  ASSERT_TRUE(downloader.AddRequest(MakeRequest(recorder, 1, url, L"")));
  ASSERT_TRUE(recorder.WaitForEnd(1));
  EXPECT_EQ(recorder.Of(1).back().value, DL_OK);
  auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].requestLine,
            "GET /game/%E7%99%BB%E5%BD%95%20%E9%A1%B5?name=%E5%BC%A0%20%E4%B8%89&x=a%20b"
            "&t=2026-12-11%2010:00:00 HTTP/1.1");
  EXPECT_EQ(requests[0].method, "GET");  // one valid request line
}

TEST_F(DownloaderTest, ProgressComesInOrderAndBeforeEachWrite) {
  const std::string body = Pattern(30000);
  HttpResponse slow = Body(body);
  slow.pieceSize = 3000;
  slow.delayMs = 30;
  server.SetResponse(slow);
  const std::wstring target = folder.File(L"p.bin");
  recorder.Watch(1, target);
  ASSERT_TRUE(downloader.AddRequest(MakeRequest(recorder, 1, Url(L"/p.bin"), target)));
  ASSERT_TRUE(recorder.WaitForEnd(1));

  auto events = recorder.Of(1);
  ASSERT_GE(events.size(), 4u);
  EXPECT_EQ(events.front().event, DL_EVENT_BEGIN);
  EXPECT_EQ(events.back().event, DL_EVENT_END);
  EXPECT_EQ(events.back().value, DL_OK);
  uintptr_t last = 0;
  for (size_t i = 1; i + 1 < events.size(); ++i) {
    const auto& e = events[i];
    ASSERT_EQ(e.event, DL_EVENT_PROGRESS);
    EXPECT_EQ(e.value, 0);
    EXPECT_GE(e.extra, last);
    EXPECT_LE(e.extra, 100u);
    last = e.extra;
    // The chunk just read is not on disk yet: what is there is less than the percent says.
    ASSERT_GE(e.sizeOnDisk, 0);
    EXPECT_LT(static_cast<uintptr_t>(e.sizeOnDisk * 100 / static_cast<long long>(body.size())), e.extra);
  }
  EXPECT_EQ(last, 100u);
  EXPECT_EQ(ReadFile(target), body);
}

TEST_F(DownloaderTest, RetriesAFailingServerAndReportsOnlyTheLastAttempt) {
  int served = 0;
  std::mutex m;
  server.SetHandler([&](const HttpRequest&) {
    std::lock_guard<std::mutex> lock(m);
    HttpResponse r = Body("no");
    r.status = ++served < 3 ? 503 : 404;  // the last attempt fails differently
    return r;
  });
  DownloadRequest r = MakeRequest(recorder, 1, Url(L"/flaky.bin"), folder.Path());
  r.nameFromUrl = 1;
  r.retryCount = 2;
  ASSERT_TRUE(downloader.AddRequest(r));
  ASSERT_TRUE(recorder.WaitForEnd(1));
  auto events = recorder.Of(1);
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].event, DL_EVENT_BEGIN);
  EXPECT_EQ(events[1].event, DL_EVENT_END);
  EXPECT_EQ(events[1].value, DL_ERR_HTTP);
  auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 3u);  // all three before the end was reported
  for (const auto& q : requests) EXPECT_EQ(q.requestLine, "GET /flaky.bin HTTP/1.1");

  // A success stops the attempts.
  server.ClearRequests();
  server.SetResponse(Body("yes"));
  r.kind = 2;
  ASSERT_TRUE(downloader.AddRequest(r));
  ASSERT_TRUE(recorder.WaitForEnd(2));
  EXPECT_EQ(recorder.Of(2).back().value, DL_OK);
  EXPECT_EQ(server.RequestCount(), 1u);
}

TEST_F(DownloaderTest, StopDuringATransferCancelsWithoutEndAndDeletesTheFile) {
  HttpResponse slow = Body(Pattern(100000));
  slow.pieceSize = 1000;
  slow.delayMs = 200;  // about 20 s in all
  server.SetResponse(slow);
  const std::wstring target = folder.File(L"slow.bin");
  ASSERT_TRUE(downloader.AddRequest(MakeRequest(recorder, 1, Url(L"/slow.bin"), target)));
  ASSERT_TRUE(recorder.WaitFor(1, DL_EVENT_PROGRESS, 20000));
  EXPECT_TRUE(FileExists(target));
  downloader.Stop();
  EXPECT_FALSE(downloader.IsStarted());
  // The worker ended by itself (a killed one could not have deleted the file).
  EXPECT_FALSE(FileExists(target));
  auto events = recorder.Of(1);
  EXPECT_EQ(recorder.End(events), nullptr);
}

TEST_F(DownloaderTest, AQueuedRequestStartsAsSoonAsAWorkerIsFree) {
  // The server holds each "/hold" request until the test lets it go.
  UniqueHandle releaseA(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  UniqueHandle releaseB(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  server.SetHandler([&](const HttpRequest& r) {
    if (r.target == "/holdA") WaitForSingleObject(releaseA.Get(), 30000);
    if (r.target == "/holdB") WaitForSingleObject(releaseB.Get(), 30000);
    return Body(r.target);
  });
  struct ReleaseOnExit {
    HANDLE a, b;
    ~ReleaseOnExit() {
      SetEvent(a);
      SetEvent(b);
    }
  } releaseOnExit{releaseA.Get(), releaseB.Get()};

  ASSERT_TRUE(downloader.AddRequest(MakeRequest(recorder, 1, Url(L"/holdA"), folder.File(L"a"))));
  ASSERT_TRUE(downloader.AddRequest(MakeRequest(recorder, 2, Url(L"/holdB"), folder.File(L"b"))));
  ASSERT_TRUE(server.WaitForRequests(2, 20000));  // both workers busy
  ASSERT_TRUE(downloader.AddRequest(MakeRequest(recorder, 3, Url(L"/third"), folder.File(L"c"))));
  EXPECT_FALSE(server.WaitForRequests(3, 1000));  // queued: no worker took it

  SetEvent(releaseA.Get());
  ASSERT_TRUE(recorder.WaitForEnd(1));
  // Well within the workers' 10-second idle time-out.
  ASSERT_TRUE(server.WaitForRequests(3, 5000));
  ASSERT_TRUE(recorder.WaitForEnd(3, 5000));
  EXPECT_EQ(recorder.Of(3).back().value, DL_OK);
  EXPECT_EQ(ReadFile(folder.File(L"c")), "/third");
  // B is still held.
  EXPECT_TRUE(recorder.Of(2).size() == 1u);
  SetEvent(releaseB.Get());
  ASSERT_TRUE(recorder.WaitForEnd(2));
  EXPECT_EQ(ReadFile(folder.File(L"b")), "/holdB");
}

TEST_F(DownloaderTest, AnIdleWorkerWakesForANewRequest) {
  server.SetResponse(Body("late"));
  Sleep(300);  // both workers are waiting on their events now
  ASSERT_TRUE(downloader.AddRequest(MakeRequest(recorder, 1, Url(L"/late"), folder.File(L"late"))));
  ASSERT_TRUE(recorder.WaitForEnd(1, 5000));  // well within the 10-second idle time-out
  EXPECT_EQ(ReadFile(folder.File(L"late")), "late");
}

TEST_F(DownloaderTest, StartAfterStopRunsWhatWasQueued) {
  server.SetResponse(Body("again"));
  downloader.Stop();
  EXPECT_FALSE(downloader.IsStarted());
  ASSERT_TRUE(downloader.AddRequest(MakeRequest(recorder, 1, Url(L"/a"), folder.File(L"a"))));
  EXPECT_FALSE(recorder.WaitForEnd(1, 500));  // nobody works while stopped
  EXPECT_EQ(server.RequestCount(), 0u);
  ASSERT_TRUE(downloader.Start());
  EXPECT_TRUE(downloader.Start());  // a second Start changes nothing
  ASSERT_TRUE(recorder.WaitForEnd(1));
  EXPECT_EQ(recorder.Of(1).back().value, DL_OK);
  ASSERT_TRUE(downloader.AddRequest(MakeRequest(recorder, 2, Url(L"/b"), folder.File(L"b"))));
  ASSERT_TRUE(recorder.WaitForEnd(2));
  EXPECT_EQ(ReadFile(folder.File(L"b")), "again");
}

TEST(Downloader, AWorkerWithoutAWakeUpEventEndsInsteadOfSpinning) {
  HTTPDownloader downloader;  // not started: its queue is empty
  DownloadWorker worker;
  worker.owner = &downloader;
  worker.holder.m_func = &HTTPDownloader::WorkerMain;
  worker.holder.m_arg = &worker;
  worker.holder.m_stop = 0;
  ASSERT_TRUE(worker.holder.StartThread());
  DWORD wait = WaitForSingleObject(worker.holder.m_hThread, 20000);
  if (wait != WAIT_OBJECT_0) worker.holder.m_stop = 1;  // let a spinning worker go
  EXPECT_EQ(wait, WAIT_OBJECT_0);
}

// https speaks TLS to the port the URL names: a listener sees a TLS handshake record where a
// plain request line would be.
TEST(Downloader, HttpsUrlsUseTls) {
  WSADATA data;
  ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
  SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int len = sizeof(addr);
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)), 0);
  ASSERT_EQ(listen(listener, 4), 0);
  ASSERT_EQ(getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len), 0);

  Recorder recorder;
  HTTPDownloader downloader;
  ASSERT_TRUE(downloader.Start());
  DownloadRequest r = MakeRequest(
      recorder, 1, L"https://127.0.0.1:" + std::to_wstring(ntohs(addr.sin_port)) + L"/secure.bin", L"");
  ASSERT_TRUE(downloader.AddRequest(r));

  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(listener, &readable);
  timeval tv{20, 0};
  ASSERT_EQ(select(0, &readable, nullptr, nullptr, &tv), 1);
  SOCKET client = accept(listener, nullptr, nullptr);
  ASSERT_NE(client, INVALID_SOCKET);
  DWORD timeout = 20000;
  setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof(timeout));
  unsigned char head[3] = {};
  int got = recv(client, reinterpret_cast<char*>(head), sizeof(head), 0);
  closesocket(client);  // no handshake: the attempt fails
  closesocket(listener);
  ASSERT_EQ(got, 3);
  EXPECT_EQ(head[0], 0x16);  // handshake record
  EXPECT_EQ(head[1], 0x03);  // TLS major version
  ASSERT_TRUE(recorder.WaitForEnd(1, 30000));
  EXPECT_LT(recorder.Of(1).back().value, 0);
  WSACleanup();
}

}  // namespace
