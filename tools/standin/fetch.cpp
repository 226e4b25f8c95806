#include "fetch.h"

#include "platform/handles.h"

#include <urlmon.h>
#include <wininet.h>

#include <vector>

namespace {

constexpr size_t MAX_PAGE_BYTES = 8 * 1024 * 1024;
constexpr DWORD TIMEOUT_MS = 15000;

struct InetTraits {
  using Type = HINTERNET;
  static Type Invalid() { return nullptr; }
  static void Close(Type h) { ::InternetCloseHandle(h); }
};
using InetHandle = UniqueHandleT<InetTraits>;

HRESULT InetErrorOf(DWORD error) {
  switch (error) {
    case ERROR_INTERNET_NAME_NOT_RESOLVED:
      return INET_E_RESOURCE_NOT_FOUND;
    case ERROR_INTERNET_CANNOT_CONNECT:
      return INET_E_CANNOT_CONNECT;
    case ERROR_INTERNET_TIMEOUT:
      return INET_E_CONNECTION_TIMEOUT;
    case ERROR_INTERNET_INVALID_URL:
    case ERROR_INTERNET_UNRECOGNIZED_SCHEME:
      return INET_E_INVALID_URL;
    default:
      return INET_E_DOWNLOAD_FAILURE;
  }
}

std::string Narrow(const std::wstring& s) {
  std::string out;
  for (wchar_t c : s) out += static_cast<char>(c < 0x80 ? c : '?');
  return out;
}

}  // namespace

FetchResult Fetch(const FetchRequest& request) {
  FetchResult result;
  result.finalUrl = request.url;

  URL_COMPONENTSW parts{};
  parts.dwStructSize = sizeof(parts);
  wchar_t host[256] = {}, path[4096] = {}, extra[4096] = {};
  parts.lpszHostName = host;
  parts.dwHostNameLength = 256;
  parts.lpszUrlPath = path;
  parts.dwUrlPathLength = 4096;
  parts.lpszExtraInfo = extra;
  parts.dwExtraInfoLength = 4096;
  if (!::InternetCrackUrlW(request.url.c_str(), 0, 0, &parts) ||
      (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS)) {
    result.error = INET_E_INVALID_URL;
    return result;
  }

  // Direct connections only: the tests talk to servers on this machine.
  InetHandle session(::InternetOpenW(L"Mozilla/4.0 (compatible; MSIE 8.0; Windows NT 6.1; StandIn)",
                                     INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
  if (!session) {
    result.error = INET_E_DOWNLOAD_FAILURE;
    return result;
  }
  DWORD timeout = TIMEOUT_MS;
  ::InternetSetOptionW(session.Get(), INTERNET_OPTION_CONNECT_TIMEOUT, &timeout, sizeof(timeout));
  ::InternetSetOptionW(session.Get(), INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof(timeout));
  ::InternetSetOptionW(session.Get(), INTERNET_OPTION_SEND_TIMEOUT, &timeout, sizeof(timeout));

  InetHandle connection(
      ::InternetConnectW(session.Get(), host, parts.nPort, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
  if (!connection) {
    result.error = InetErrorOf(::GetLastError());
    return result;
  }
  std::wstring object = std::wstring(path) + extra;
  if (object.empty()) object = L"/";
  DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_UI |
                INTERNET_FLAG_KEEP_CONNECTION;
  if (parts.nScheme == INTERNET_SCHEME_HTTPS) flags |= INTERNET_FLAG_SECURE;
  const wchar_t* accept[] = {L"*/*", nullptr};
  InetHandle http(::HttpOpenRequestW(connection.Get(), request.post ? L"POST" : L"GET", object.c_str(), nullptr,
                                     nullptr, accept, flags, 0));
  if (!http) {
    result.error = InetErrorOf(::GetLastError());
    return result;
  }

  const wchar_t* headers = request.headers.empty() ? nullptr : request.headers.c_str();
  DWORD headersLength = headers ? static_cast<DWORD>(request.headers.size()) : 0;
  void* body = request.post ? const_cast<char*>(request.body.data()) : nullptr;
  DWORD bodyLength = request.post ? static_cast<DWORD>(request.body.size()) : 0;
  if (!::HttpSendRequestW(http.Get(), headers, headersLength, body, bodyLength)) {
    result.error = InetErrorOf(::GetLastError());
    return result;
  }

  DWORD status = 0, size = sizeof(status);
  if (::HttpQueryInfoW(http.Get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr))
    result.status = status;
  wchar_t type[512] = {};
  size = sizeof(type);
  if (::HttpQueryInfoW(http.Get(), HTTP_QUERY_CONTENT_TYPE, type, &size, nullptr)) result.contentType = Narrow(type);
  std::vector<wchar_t> finalUrl(8192);
  size = static_cast<DWORD>(finalUrl.size() * sizeof(wchar_t));
  if (::InternetQueryOptionW(http.Get(), INTERNET_OPTION_URL, finalUrl.data(), &size) && finalUrl[0])
    result.finalUrl = finalUrl.data();

  char buffer[16384];
  DWORD read = 0;
  while (::InternetReadFile(http.Get(), buffer, sizeof(buffer), &read) && read > 0) {
    result.body.append(buffer, read);
    if (result.body.size() > MAX_PAGE_BYTES) break;
  }
  return result;
}
