#include "http_server.h"

#include <ws2tcpip.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

constexpr DWORD POLL_MS = 50;  // how often blocked socket calls look at the stop event
constexpr size_t MAX_HEAD = 64 * 1024;

bool EqualsNoCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return "";
  size_t e = s.find_last_not_of(" \t");
  return s.substr(b, e - b + 1);
}

bool ContainsTokenNoCase(const std::string& value, const std::string& token) {
  std::string lower = value;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower.find(token) != std::string::npos;
}

// Splits the head (request line and headers, without the blank line) into req.
void ParseHead(const std::string& head, HttpRequest& req) {
  size_t lineEnd = head.find("\r\n");
  req.requestLine = head.substr(0, lineEnd);
  // A valid request line is exactly three parts separated by single spaces.
  size_t sp1 = req.requestLine.find(' ');
  size_t sp2 = sp1 == std::string::npos ? sp1 : req.requestLine.find(' ', sp1 + 1);
  if (sp2 != std::string::npos && req.requestLine.find(' ', sp2 + 1) == std::string::npos &&
      sp1 > 0 && sp2 > sp1 + 1 && sp2 + 1 < req.requestLine.size()) {
    req.method = req.requestLine.substr(0, sp1);
    req.target = req.requestLine.substr(sp1 + 1, sp2 - sp1 - 1);
    req.version = req.requestLine.substr(sp2 + 1);
  }
  size_t pos = lineEnd == std::string::npos ? head.size() : lineEnd + 2;
  while (pos < head.size()) {
    size_t end = head.find("\r\n", pos);
    if (end == std::string::npos) end = head.size();
    std::string line = head.substr(pos, end - pos);
    size_t colon = line.find(':');
    if (colon != std::string::npos)
      req.headers.emplace_back(Trim(line.substr(0, colon)), Trim(line.substr(colon + 1)));
    pos = end + 2;
  }
}

}  // namespace

std::string HttpRequest::Header(const std::string& name) const {
  for (const auto& [key, value] : headers)
    if (EqualsNoCase(key, name)) return value;
  return "";
}

bool HttpRequest::HasHeader(const std::string& name) const {
  for (const auto& header : headers)
    if (EqualsNoCase(header.first, name)) return true;
  return false;
}

const char* HttpReasonPhrase(int status) {
  switch (status) {
    case 100: return "Continue";
    case 200: return "OK";
    case 204: return "No Content";
    case 206: return "Partial Content";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 304: return "Not Modified";
    case 400: return "Bad Request";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 500: return "Internal Server Error";
    case 502: return "Bad Gateway";
    case 503: return "Service Unavailable";
    default: return "Status";
  }
}

struct TestHttpServer::Connection {
  SOCKET socket = INVALID_SOCKET;
  int id = 0;
  ~Connection() {
    if (socket != INVALID_SOCKET) closesocket(socket);
  }
};

TestHttpServer::TestHttpServer(uint16_t port) : m_requestedPort(port) {
  m_handler = [](const HttpRequest&) {
    HttpResponse res;
    res.status = 404;
    res.body = "not found";
    return res;
  };
}

TestHttpServer::~TestHttpServer() { Stop(); }

bool TestHttpServer::Start() {
  if (m_listener != INVALID_SOCKET) return true;
  WSADATA data;
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return false;
  m_wsaStarted = true;

  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) {
    Stop();
    return false;
  }
  // A fixed port may still have connections of an earlier run in TIME_WAIT.
  if (m_requestedPort != 0) {
    BOOL on = TRUE;
    setsockopt(s, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&on), sizeof(on));
  }
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(m_requestedPort);
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int len = sizeof(addr);
  if (bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0 || listen(s, SOMAXCONN) != 0 ||
      getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
    closesocket(s);
    Stop();
    return false;
  }
  m_listener = s;
  m_port = ntohs(addr.sin_port);
  m_stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (!m_stopEvent) {
    Stop();
    return false;
  }
  m_acceptThread = std::thread([this] { AcceptLoop(); });
  return true;
}

void TestHttpServer::Stop() {
  if (m_stopEvent) SetEvent(m_stopEvent);
  if (m_acceptThread.joinable()) m_acceptThread.join();
  std::vector<std::thread> threads;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    threads.swap(m_connectionThreads);
  }
  for (auto& t : threads) t.join();
  if (m_listener != INVALID_SOCKET) {
    closesocket(m_listener);
    m_listener = INVALID_SOCKET;
  }
  if (m_stopEvent) {
    CloseHandle(m_stopEvent);
    m_stopEvent = nullptr;
  }
  if (m_wsaStarted) {
    WSACleanup();
    m_wsaStarted = false;
  }
  m_port = 0;
}

std::string TestHttpServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(m_port) + path;
}

std::wstring TestHttpServer::WUrl(const std::wstring& path) const {
  return L"http://127.0.0.1:" + std::to_wstring(m_port) + path;
}

void TestHttpServer::SetHandler(Handler handler) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_handler = std::move(handler);
}

void TestHttpServer::SetResponse(const HttpResponse& response) {
  SetHandler([response](const HttpRequest&) { return response; });
}

std::vector<HttpRequest> TestHttpServer::Requests() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_requests;
}

size_t TestHttpServer::RequestCount() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_requests.size();
}

bool TestHttpServer::WaitForRequests(size_t n, DWORD timeoutMs) const {
  std::unique_lock<std::mutex> lock(m_mutex);
  return m_requestArrived.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                   [&] { return m_requests.size() >= n; });
}

void TestHttpServer::ClearRequests() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_requests.clear();
}

int TestHttpServer::ConnectionCount() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_connectionCount;
}

void TestHttpServer::Record(const HttpRequest& req) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_requests.push_back(req);
  }
  m_requestArrived.notify_all();
}

bool TestHttpServer::Pause(DWORD ms) {
  return ms == 0 || WaitForSingleObject(m_stopEvent, ms) == WAIT_TIMEOUT;
}

void TestHttpServer::AcceptLoop() {
  while (WaitForSingleObject(m_stopEvent, 0) == WAIT_TIMEOUT) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(m_listener, &readable);
    timeval tv{0, static_cast<long>(POLL_MS * 1000)};
    if (select(0, &readable, nullptr, nullptr, &tv) <= 0) continue;
    SOCKET s = accept(m_listener, nullptr, nullptr);
    if (s == INVALID_SOCKET) continue;
    auto conn = std::make_shared<Connection>();
    conn->socket = s;
    std::lock_guard<std::mutex> lock(m_mutex);
    conn->id = ++m_connectionCount;
    m_connectionThreads.emplace_back([this, conn] { Serve(conn); });
  }
}

bool TestHttpServer::SendAll(Connection& conn, const char* data, size_t size) {
  while (size > 0) {
    if (WaitForSingleObject(m_stopEvent, 0) != WAIT_TIMEOUT) return false;
    fd_set writable;
    FD_ZERO(&writable);
    FD_SET(conn.socket, &writable);
    timeval tv{0, static_cast<long>(POLL_MS * 1000)};
    int ready = select(0, nullptr, &writable, nullptr, &tv);
    if (ready < 0) return false;
    if (ready == 0) continue;
    int n = send(conn.socket, data, static_cast<int>(std::min<size_t>(size, 64 * 1024)), 0);
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool TestHttpServer::SendResponse(Connection& conn, const HttpResponse& res, bool keepAlive) {
  if (!Pause(res.headerDelayMs)) return false;
  std::string head = "HTTP/1.1 " + std::to_string(res.status) + " " +
                     (res.reason.empty() ? HttpReasonPhrase(res.status) : res.reason) + "\r\n";
  bool hasType = std::any_of(res.headers.begin(), res.headers.end(),
                             [](const auto& h) { return EqualsNoCase(h.first, "Content-Type"); });
  if (!hasType && !res.contentType.empty()) head += "Content-Type: " + res.contentType + "\r\n";
  for (const auto& [key, value] : res.headers) head += key + ": " + value + "\r\n";
  if (res.chunked) {
    head += "Transfer-Encoding: chunked\r\n";
  } else if (res.announcedLength >= 0) {
    head += "Content-Length: " + std::to_string(res.announcedLength) + "\r\n";
  } else if (!res.omitContentLength) {
    head += "Content-Length: " + std::to_string(res.body.size()) + "\r\n";
  }
  head += keepAlive ? "Connection: keep-alive\r\n" : "Connection: close\r\n";
  head += "\r\n";
  if (!SendAll(conn, head.data(), head.size())) return false;

  size_t total = std::min(res.body.size(), res.closeAfter);
  size_t piece = res.pieceSize ? res.pieceSize : std::max<size_t>(total, 1);
  for (size_t sent = 0; sent < total; sent += piece) {
    if (!Pause(res.delayMs)) return false;
    size_t n = std::min(piece, total - sent);
    if (res.chunked) {
      char size[32];
      snprintf(size, sizeof(size), "%zx\r\n", n);
      std::string chunk = size + res.body.substr(sent, n) + "\r\n";
      if (!SendAll(conn, chunk.data(), chunk.size())) return false;
    } else if (!SendAll(conn, res.body.data() + sent, n)) {
      return false;
    }
  }
  if (res.chunked && total == res.body.size() && !SendAll(conn, "0\r\n\r\n", 5)) return false;
  return true;
}

void TestHttpServer::Serve(std::shared_ptr<Connection> conn) {
  // The socket closes when this function returns, whatever the way out.
  struct CloseOnExit {
    Connection& c;
    ~CloseOnExit() {
      closesocket(c.socket);
      c.socket = INVALID_SOCKET;
    }
  } closeOnExit{*conn};
  std::string pending;
  // Reads more bytes into pending; false when the peer closed, on error or on stop.
  auto readMore = [&]() {
    for (;;) {
      if (WaitForSingleObject(m_stopEvent, 0) != WAIT_TIMEOUT) return false;
      fd_set readable;
      FD_ZERO(&readable);
      FD_SET(conn->socket, &readable);
      timeval tv{0, static_cast<long>(POLL_MS * 1000)};
      int ready = select(0, &readable, nullptr, nullptr, &tv);
      if (ready < 0) return false;
      if (ready == 0) continue;
      char buf[8192];
      int n = recv(conn->socket, buf, sizeof(buf), 0);
      if (n <= 0) return false;
      pending.append(buf, static_cast<size_t>(n));
      return true;
    }
  };

  for (;;) {
    size_t headEnd;
    while ((headEnd = pending.find("\r\n\r\n")) == std::string::npos) {
      if (pending.size() > MAX_HEAD || !readMore()) return;
    }
    HttpRequest req;
    req.connection = conn->id;
    ParseHead(pending.substr(0, headEnd), req);
    pending.erase(0, headEnd + 4);

    if (req.method.empty()) {  // not a request line we understand: record it and give up
      Record(req);
      HttpResponse bad;
      bad.status = 400;
      bad.body = "bad request line";
      SendResponse(*conn, bad, false);
      return;
    }
    if (EqualsNoCase(req.Header("Expect"), "100-continue")) {
      static const char cont[] = "HTTP/1.1 100 Continue\r\n\r\n";
      if (!SendAll(*conn, cont, sizeof(cont) - 1)) return;
    }
    size_t bodySize = static_cast<size_t>(std::strtoull(req.Header("Content-Length").c_str(), nullptr, 10));
    while (pending.size() < bodySize) {
      if (!readMore()) return;
    }
    req.body = pending.substr(0, bodySize);
    pending.erase(0, bodySize);
    Record(req);

    Handler handler;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      handler = m_handler;
    }
    HttpResponse res = handler(req);
    if (res.refuse) return;

    std::string connection = req.Header("Connection");
    bool keepAlive = req.version == "HTTP/1.1" ? !ContainsTokenNoCase(connection, "close")
                                               : ContainsTokenNoCase(connection, "keep-alive");
    // Framing that only the end of the connection can finish, or that is broken on purpose.
    bool framed = res.chunked || (!res.omitContentLength && res.announcedLength < 0);
    if (!framed || res.closeAfter < res.body.size() ||
        (res.announcedLength >= 0 && static_cast<size_t>(res.announcedLength) != res.body.size()))
      keepAlive = false;
    if (!SendResponse(*conn, res, keepAlive) || !keepAlive) {
      shutdown(conn->socket, SD_BOTH);
      return;
    }
  }
}
