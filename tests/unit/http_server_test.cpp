// The test server itself, driven through a raw socket so that what it puts on the wire is
// checked byte for byte.
#include "http_server.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class RawClient {
public:
  explicit RawClient(uint16_t port) {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    m_socket = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    DWORD timeout = 10000;  // never hang the test on a silent server
    setsockopt(m_socket, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof(timeout));
    m_connected = connect(m_socket, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0;
  }
  ~RawClient() {
    closesocket(m_socket);
    WSACleanup();
  }
  bool Connected() const { return m_connected; }
  void Send(const std::string& s) { send(m_socket, s.data(), static_cast<int>(s.size()), 0); }
  // Reads until the peer closes (or the time-out); returns everything.
  std::string ReadToClose() {
    std::string all;
    char buf[4096];
    int n;
    while ((n = recv(m_socket, buf, sizeof(buf), 0)) > 0) all.append(buf, static_cast<size_t>(n));
    return all;
  }
  // Reads until `count` bytes have arrived or the peer closes.
  std::string Read(size_t count) {
    std::string all;
    char buf[4096];
    while (all.size() < count) {
      int n = recv(m_socket, buf, static_cast<int>(std::min<size_t>(sizeof(buf), count - all.size())), 0);
      if (n <= 0) break;
      all.append(buf, static_cast<size_t>(n));
    }
    return all;
  }

private:
  SOCKET m_socket = INVALID_SOCKET;
  bool m_connected = false;
};

TEST(TestHttpServer, KeepsTheConnectionAliveAndRecordsRequests) {
  TestHttpServer server;
  server.SetHandler([](const HttpRequest& r) {
    HttpResponse res;
    res.body = r.method + " " + r.target + " [" + r.body + "]";
    res.contentType = "text/plain";
    return res;
  });
  ASSERT_TRUE(server.Start());
  ASSERT_NE(server.Port(), 0);

  RawClient client(server.Port());
  ASSERT_TRUE(client.Connected());
  client.Send("POST /form?a=1 HTTP/1.1\r\nHost: x\r\nContent-Length: 5\r\n\r\nhello");
  const std::string first =
      "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 22\r\n"
      "Connection: keep-alive\r\n\r\nPOST /form?a=1 [hello]";
  EXPECT_EQ(client.Read(first.size()), first);
  // The second request on the same connection, asking to close afterwards.
  client.Send("GET /b HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
  EXPECT_EQ(client.ReadToClose(),
            "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 9\r\n"
            "Connection: close\r\n\r\nGET /b []");

  auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].requestLine, "POST /form?a=1 HTTP/1.1");
  EXPECT_EQ(requests[0].Header("content-length"), "5");
  EXPECT_EQ(requests[0].body, "hello");
  EXPECT_EQ(requests[1].target, "/b");
  EXPECT_EQ(requests[0].connection, requests[1].connection);
  EXPECT_EQ(server.ConnectionCount(), 1);
}

TEST(TestHttpServer, MisbehavesOnRequest) {
  struct Case {
    const char* name;
    HttpResponse response;
    std::string expected;  // everything the client reads until the close
  };
  auto make = [](auto tweak) {
    HttpResponse r;
    r.contentType.clear();
    r.body = "abcdefghij";
    tweak(r);
    return r;
  };
  const Case cases[] = {
      {"no length", make([](HttpResponse& r) { r.omitContentLength = true; }),
       "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\nabcdefghij"},
      {"chunked", make([](HttpResponse& r) { r.chunked = true; r.pieceSize = 4; }),
       "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nConnection: close\r\n\r\n"
       "4\r\nabcd\r\n4\r\nefgh\r\n2\r\nij\r\n0\r\n\r\n"},
      {"announces more", make([](HttpResponse& r) { r.announcedLength = 20; }),
       "HTTP/1.1 200 OK\r\nContent-Length: 20\r\nConnection: close\r\n\r\nabcdefghij"},
      {"closes early", make([](HttpResponse& r) { r.closeAfter = 3; }),
       "HTTP/1.1 200 OK\r\nContent-Length: 10\r\nConnection: close\r\n\r\nabc"},
      {"slow pieces", make([](HttpResponse& r) { r.status = 404; r.pieceSize = 3; r.delayMs = 10; }),
       "HTTP/1.1 404 Not Found\r\nContent-Length: 10\r\nConnection: close\r\n\r\nabcdefghij"},
      {"refuses", make([](HttpResponse& r) { r.refuse = true; }), ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestHttpServer server;
    server.SetResponse(c.response);
    ASSERT_TRUE(server.Start());
    RawClient client(server.Port());
    ASSERT_TRUE(client.Connected());
    // Asks to close so that well-framed answers end the read too.
    client.Send("GET / HTTP/1.1\r\nConnection: close\r\n\r\n");
    EXPECT_EQ(client.ReadToClose(), c.expected);
    EXPECT_TRUE(server.WaitForRequests(1, 5000));
  }
}

TEST(TestHttpServer, RecordsAMalformedRequestLineAndStopsMidTransfer) {
  TestHttpServer server;
  HttpResponse slow;
  slow.body = std::string(1000, 'x');
  slow.pieceSize = 1;
  slow.delayMs = 1000;  // would take over 15 minutes: Stop must not wait for it
  server.SetResponse(slow);
  ASSERT_TRUE(server.Start());
  {
    RawClient client(server.Port());
    client.Send("GET /a b HTTP/1.1\r\n\r\n");
    EXPECT_EQ(client.ReadToClose().substr(0, 24), "HTTP/1.1 400 Bad Request");
  }
  RawClient client(server.Port());
  client.Send("GET /slow HTTP/1.1\r\n\r\n");
  ASSERT_TRUE(server.WaitForRequests(2, 5000));
  server.Stop();
  auto requests = server.Requests();
  EXPECT_EQ(requests[0].requestLine, "GET /a b HTTP/1.1");
  EXPECT_TRUE(requests[0].method.empty());
  EXPECT_EQ(requests[1].target, "/slow");
  // The client sees the connection end rather than the whole body.
  EXPECT_LT(client.ReadToClose().size(), 200u);
}

}  // namespace
