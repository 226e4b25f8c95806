// Shows a CBrowserView in a window of its own, loading a page from a local HTTP server it
// starts itself (or the URL given on the command line), and names the window after what the
// view reports: "loading", then "loaded: <page title>" on the page's document completion.
//   browser_demo.exe [url]
#include "browser/browser_view.h"
#include "http_server.h"
#include "platform/message_loop.h"

#include <ole2.h>

#include <cstdio>
#include <string>

namespace {

constexpr const wchar_t* DEMO_CLASS = L"BrowserDemoWindow";

const char* DEMO_PAGE = R"(<html><head><meta charset="utf-8"><title>浏览器视图演示 — Browser view demo</title></head>
<body scroll="yes">
<h1>欢迎 — Welcome</h1>
<p>This page comes from a local HTTP server, shown by the launcher's browser view.</p>
<p>Links to .exe files and new windows are cancelled by the view and reported to its form.</p>
<a href="/news">最新公告 (news, same window)</a>
<a href="/setup.exe">下载客户端 (setup.exe, blocked)</a>
<a href="/pay" target="_blank">充值 (new window)</a>
<iframe name="notice" src="/notice"></iframe>
</body></html>)";

const char* NOTICE_PAGE = R"(<html><head><meta charset="utf-8"><title>公告</title></head>
<body><p>服务器维护公告：本周四 10:00 - 12:00。</p><a href="/news">详情</a></body></html>)";

const char* NEWS_PAGE = R"(<html><head><meta charset="utf-8"><title>News</title></head>
<body><p>Nothing new today.</p><a href="/">Back</a></body></html>)";

struct Demo {
  HWND window = nullptr;
  CBrowserView view;

  void OnWebNotify(UINT code, WPARAM, LPARAM lParam) {
    std::wstring text;
    if (code == WEBNOTIFY_TITLE_CHANGE && lParam) text = reinterpret_cast<BSTR>(lParam);
    wprintf(L"notification %u %ls %ls\n", code, view.GetCurrentUrl().c_str(), text.c_str());
    fflush(stdout);
    if (code == WEBNOTIFY_TITLE_CHANGE) m_title = text;
    if (code == WEBNOTIFY_DOCUMENT_COMPLETE) SetWindowTextW(window, (L"browser demo — loaded: " + m_title).c_str());
  }

private:
  std::wstring m_title;
};

Demo* g_demo = nullptr;

LRESULT CALLBACK DemoProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SIZE:
      if (g_demo && g_demo->view.m_hWnd) MoveWindow(g_demo->view.m_hWnd, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(wnd, msg, wParam, lParam);
  }
}

HttpResponse Page(const char* html) {
  HttpResponse response;
  response.contentType = "text/html; charset=utf-8";
  response.body = html;
  return response;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (FAILED(OleInitialize(nullptr))) return 1;
  TestHttpServer server;
  server.SetHandler([](const HttpRequest& request) {
    std::string path = request.target.substr(0, request.target.find('?'));
    if (path == "/") return Page(DEMO_PAGE);
    if (path == "/notice") return Page(NOTICE_PAGE);
    if (path == "/news") return Page(NEWS_PAGE);
    HttpResponse missing;
    missing.status = 404;
    return missing;
  });
  std::wstring url = argc > 1 ? argv[1] : L"";
  if (url.empty()) {
    if (!server.Start()) return 2;
    url = server.WUrl(L"/");
  }

  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = DemoProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = DEMO_CLASS;
  RegisterClassExW(&wc);

  static Demo demo;
  g_demo = &demo;
  demo.window = CreateWindowExW(0, DEMO_CLASS, L"browser demo — loading", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20,
                                900, 640, nullptr, nullptr, wc.hInstance, nullptr);
  if (!demo.window) return 3;
  RECT client{};
  GetClientRect(demo.window, &client);
  if (!demo.view.CreateBrowser(demo.window, client, L"about:blank")) return 4;
  demo.view.m_notify.AddHandler(&demo, &Demo::OnWebNotify);
  demo.view.m_blockNewWindows = true;
  demo.view.Navigate(url, std::string());
  demo.view.FocusDocument();

  // The view sees keys and clicks first, as the launcher's forms offer them.
  struct Filter : CMessageFilter {
    BOOL PreTranslateMessage(MSG* msg) override { return g_demo->view.PreTranslateMessage(msg); }
  } filter;
  CMessageLoop loop;
  loop.AddMessageFilter(&filter);
  int result = loop.Run();
  server.Stop();
  OleUninitialize();
  return result;
}
