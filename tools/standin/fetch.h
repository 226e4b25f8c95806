// Fetching a page through WinINet, as the engine's download does: GET, or POST with the body
// and headers the navigation carries. Runs on a worker thread; the result goes back to the
// UI thread as a posted message.
#pragma once

#include <windows.h>

#include <string>

struct FetchRequest {
  std::wstring url;
  bool post = false;
  std::string body;
  std::wstring headers;
};

struct FetchResult {
  HRESULT error = S_OK;  // an INET_E_* code when no HTTP answer came
  DWORD status = 0;      // the HTTP status when one came
  std::wstring finalUrl; // after redirects
  std::string contentType;
  std::string body;
  bool Failed() const { return FAILED(error) || status >= 400; }
  // The status a navigation error reports: the HTTP code, or the INET_E_* code.
  LONG NavigateErrorStatus() const { return FAILED(error) ? static_cast<LONG>(error) : static_cast<LONG>(status); }
};

// Fetches synchronously (call it on a worker thread).
FetchResult Fetch(const FetchRequest& request);
