// A browser view in a plain top-level window of its own, against a local test site, with a
// recorder of every notification the view raises. For tests of the view and its engine.
#pragma once

#include "browser/browser_view.h"
#include "http_server.h"
#include "standin_client.h"

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// Pages by path (the request target without its query); everything else is 404.
class TestSite {
public:
  void Put(const std::string& path, HttpResponse response);
  void PutPage(const std::string& path, const std::string& html);
  HttpResponse Answer(const HttpRequest& request) const;

private:
  mutable std::mutex m_mutex;
  std::map<std::string, HttpResponse> m_pages;
};

// "<html><head><title>title</title></head><body>body</body></html>"
std::string Html(const std::string& title, const std::string& body);

struct Notification {
  UINT code;
  WPARAM wParam;
  LPARAM lParam;
  std::wstring currentUrl;  // GetCurrentUrl while the notification was raised
  std::wstring text;        // the title text of code 9
};

class NotificationRecorder {
public:
  explicit NotificationRecorder(CBrowserView*& view) : m_view(view) {}
  void OnWebNotify(UINT code, WPARAM wParam, LPARAM lParam);

  std::vector<Notification> m_got;
  // Runs inside the notification, as a form's handler would.
  std::function<void(const Notification&)> m_react;

  size_t Count(UINT code) const;
  std::vector<UINT> Codes() const;
  // Codes raised since index `from`.
  std::vector<UINT> CodesSince(size_t from) const;

private:
  CBrowserView*& m_view;
};

class ViewHarness {
public:
  ViewHarness();
  ~ViewHarness();
  ViewHarness(const ViewHarness&) = delete;
  ViewHarness& operator=(const ViewHarness&) = delete;

  // OLE, the server, the window and the view (with the recorder added and new windows
  // blocked, as the forms do); waits until the host's first page (about:blank) has settled.
  // Empty on success, else what failed.
  std::string Start(bool addHandler = true);

  std::wstring Url(const std::string& path) const;
  // Navigates the view and waits for the page's code 0; false when it does not come.
  bool Load(const std::string& path);
  // Waits until the recorder has `n` notifications of `code`.
  bool WaitFor(UINT code, size_t n);
  // Waits until the engine reports no load in progress.
  bool WaitIdle();
  // Whether the server was asked for `target` (path with query).
  bool Requested(const std::string& target) const;

  TestSite m_site;
  TestHttpServer m_server;
  StandInClient m_client;
  HWND m_top = nullptr;
  std::unique_ptr<CBrowserView> m_viewObject;
  CBrowserView* m_view = nullptr;
  NotificationRecorder m_recorder{m_view};
  HWND m_engine = nullptr;

private:
  bool m_oleStarted = false;
};

// Top-level windows of the stand-in engine in this process (pages opened as new windows).
std::vector<HWND> EngineTopLevelWindows();
