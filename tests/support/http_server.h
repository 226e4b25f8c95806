// A scriptable HTTP/1.1 server for the test programs. It listens on 127.0.0.1, runs on
// threads of its own (one accepting, one per connection), records every request it reads
// and answers each with whatever the test's handler returns, misbehaving on request.
//
//   TestHttpServer server;                       // port 0: the system picks a free port
//   server.SetHandler([](const HttpRequest& r) {
//     HttpResponse res;
//     res.body = "hello";
//     return res;
//   });
//   ASSERT_TRUE(server.Start());
//   ... fetch L"http://127.0.0.1:" + std::to_wstring(server.Port()) + L"/x" ...
//   ASSERT_TRUE(server.WaitForRequests(1, 5000));
//   EXPECT_EQ(server.Requests()[0].requestLine, "GET /x HTTP/1.1");
//
// Connections are kept alive as HTTP/1.1 asks (until the client sends "Connection: close",
// an HTTP/1.0 client does not ask for keep-alive, or the response's framing forces a close).
// The handler runs on the connection's thread, may run on several threads at once and must
// return. Stop() (and the destructor) closes every connection and joins every thread,
// also in the middle of a slow response.
#pragma once

#include "platform/win.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

using HttpHeaders = std::vector<std::pair<std::string, std::string>>;

struct HttpRequest {
  std::string requestLine;  // exactly as received, without the CR LF
  std::string method, target, version;  // the request line's three parts; empty when malformed
  HttpHeaders headers;                  // in the order received
  std::string body;                     // per Content-Length
  int connection = 0;                   // 1, 2, ...: which connection carried the request
  // The first header of that name (case-insensitive), or "" when absent.
  std::string Header(const std::string& name) const;
  bool HasHeader(const std::string& name) const;
};

struct HttpResponse {
  int status = 200;
  std::string reason;  // empty: the usual phrase for the status
  std::string contentType = "text/html";  // sent unless empty or headers has a Content-Type
  HttpHeaders headers;                    // extra headers, sent as given
  std::string body;

  // Misbehaviour, for testing clients:
  bool refuse = false;             // close the connection without answering
  bool omitContentLength = false;  // no Content-Length; the body ends with the connection
  bool chunked = false;            // Transfer-Encoding: chunked, one chunk per piece
  long long announcedLength = -1;  // >= 0: announce this Content-Length whatever the body's size
  size_t closeAfter = SIZE_MAX;    // close after this many body bytes (the rest is never sent)
  size_t pieceSize = 0;            // send the body in pieces of this many bytes (0: at once)
  DWORD delayMs = 0;               // pause before each piece (a slow transfer)
  DWORD headerDelayMs = 0;         // pause before the status line (a slow server)
};

// The usual reason phrase of a status code ("OK", "Not Found", ...).
const char* HttpReasonPhrase(int status);

class TestHttpServer {
public:
  using Handler = std::function<HttpResponse(const HttpRequest&)>;

  explicit TestHttpServer(uint16_t port = 0);
  ~TestHttpServer();
  TestHttpServer(const TestHttpServer&) = delete;
  TestHttpServer& operator=(const TestHttpServer&) = delete;

  // Binds 127.0.0.1:port and starts serving; false when the port cannot be bound.
  // The default handler answers 404.
  bool Start();
  // Closes the listener and every connection, and joins all threads. Start may follow again.
  void Stop();
  // The bound port (the system's choice for port 0); 0 before Start.
  uint16_t Port() const { return m_port; }
  // "http://127.0.0.1:<port>" followed by path.
  std::string Url(const std::string& path = "/") const;
  std::wstring WUrl(const std::wstring& path = L"/") const;

  void SetHandler(Handler handler);
  // Convenience: answer every request with this response.
  void SetResponse(const HttpResponse& response);

  // Every request received so far, in order of arrival (recorded before the handler runs).
  std::vector<HttpRequest> Requests() const;
  size_t RequestCount() const;
  // True once at least n requests have arrived; false after timeoutMs without them.
  bool WaitForRequests(size_t n, DWORD timeoutMs) const;
  void ClearRequests();
  // Number of connections accepted so far.
  int ConnectionCount() const;

private:
  struct Connection;
  void AcceptLoop();
  void Serve(std::shared_ptr<Connection> conn);
  bool SendResponse(Connection& conn, const HttpResponse& res, bool keepAlive);
  bool SendAll(Connection& conn, const char* data, size_t size);
  bool Pause(DWORD ms);  // false when the server stops during the pause
  void Record(const HttpRequest& req);

  uint16_t m_requestedPort;
  uint16_t m_port = 0;
  uintptr_t m_listener = ~uintptr_t(0);  // SOCKET
  bool m_wsaStarted = false;
  HANDLE m_stopEvent = nullptr;  // manual reset, set by Stop
  std::thread m_acceptThread;

  mutable std::mutex m_mutex;  // guards everything below
  mutable std::condition_variable m_requestArrived;
  Handler m_handler;
  std::vector<HttpRequest> m_requests;
  std::vector<std::thread> m_connectionThreads;
  int m_connectionCount = 0;
};
