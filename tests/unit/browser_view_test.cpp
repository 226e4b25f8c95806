// The browser view against the stand-in engine and a local site: what it allows, what it
// cancels and what it tells its form, code by code.
#include "view_harness.h"

#include <gtest/gtest.h>

#include <ocidl.h>

#include <string>
#include <vector>

namespace {

using Codes = std::vector<UINT>;
constexpr UINT BEFORE = WEBNOTIFY_BEFORE_NAVIGATE;
constexpr UINT COMPLETE = WEBNOTIFY_NAVIGATE_COMPLETE;
constexpr UINT TITLE = WEBNOTIFY_TITLE_CHANGE;
constexpr UINT DOCUMENT = WEBNOTIFY_DOCUMENT_COMPLETE;
constexpr UINT ERROR_CODE = WEBNOTIFY_NAVIGATE_ERROR;
constexpr UINT BLOCKED = WEBNOTIFY_NAVIGATION_BLOCKED;

class BrowserViewTest : public ::testing::Test {
protected:
  void SetUp() override {
    std::string failure = h.Start();
    ASSERT_TRUE(failure.empty()) << failure;
  }

  // Sends a command to the engine, as the page would act.
  void Page(const std::wstring& command) { ASSERT_TRUE(h.m_client.Send(h.m_engine, command)) << command.c_str(); }
  std::wstring State(const wchar_t* key) { return h.m_client.State(h.m_engine, key); }
  const Notification& Last() { return h.m_recorder.m_got.back(); }

  ViewHarness h;
};

TEST_F(BrowserViewTest, CreateBrowserMakesAVisibleTabBrowserChildThatTakesNoDrops) {
  wchar_t name[64] = {};
  GetClassNameW(h.m_view->m_hWnd, name, 64);
  EXPECT_STREQ(name, BROWSER_VIEW_CLASS);
  EXPECT_EQ(GetParent(h.m_view->m_hWnd), h.m_top);
  LONG_PTR style = GetWindowLongPtrW(h.m_view->m_hWnd, GWL_STYLE);
  EXPECT_TRUE(style & WS_CHILD);
  EXPECT_TRUE(style & WS_VISIBLE);
  EXPECT_TRUE(style & WS_CLIPCHILDREN);
  EXPECT_EQ(GetWindowLongPtrW(h.m_view->m_hWnd, GWL_EXSTYLE) & ~WS_EX_NOPARENTNOTIFY, 0);
  EXPECT_EQ(State(L"dropTarget"), L"0");
  EXPECT_EQ(State(L"sinks"), L"1");
  // The host's own about:blank raised nothing.
  EXPECT_TRUE(h.m_recorder.m_got.empty());
}

TEST_F(BrowserViewTest, NavigateRaisesBeforeCompleteTitleAndDocumentInOrder) {
  h.m_site.PutPage("/login", Html("Portal login", "<p>Welcome</p>"));
  ASSERT_TRUE(h.Load("/login"));
  EXPECT_EQ(h.m_recorder.Codes(), (Codes{BEFORE, COMPLETE, TITLE, DOCUMENT}));
  for (const Notification& n : h.m_recorder.m_got) {
    EXPECT_EQ(n.wParam, 0u);
    if (n.code == TITLE)
      EXPECT_EQ(n.text, L"Portal login");  // code 9 carries the text, not the view
    else
      EXPECT_EQ(n.lParam, reinterpret_cast<LPARAM>(h.m_view));
  }
  EXPECT_EQ(h.m_recorder.m_got[0].currentUrl, h.Url("/login"));  // already the new URL at code 7
  EXPECT_EQ(h.m_view->GetCurrentUrl(), h.Url("/login"));
  EXPECT_TRUE(h.m_view->m_postData.empty());
  EXPECT_EQ(State(L"silent"), L"1");
  ASSERT_EQ(h.m_server.RequestCount(), 1u);
  EXPECT_EQ(h.m_server.Requests()[0].method, "GET");
}

TEST_F(BrowserViewTest, FormPostSendsExactlyTheBodyAsFormUrlencoded) {
  h.m_site.PutPage("/submit", Html("done", "ok"));
  const std::string body = "user=a%20b&pass=%E4%BD%A0&empty=";
  ASSERT_TRUE(h.m_view->Navigate(h.Url("/submit"), body));
  ASSERT_TRUE(h.WaitFor(DOCUMENT, 1));
  ASSERT_EQ(h.m_server.RequestCount(), 1u);
  HttpRequest request = h.m_server.Requests()[0];
  EXPECT_EQ(request.method, "POST");
  EXPECT_EQ(request.body, body);
  EXPECT_EQ(request.Header("Content-Type"), "application/x-www-form-urlencoded");
  // The view keeps the body its BeforeNavigate2 announced.
  EXPECT_EQ(h.m_view->m_postData, body);

  // A following GET empties it again.
  ASSERT_TRUE(h.Load("/submit"));
  EXPECT_TRUE(h.m_view->m_postData.empty());
  EXPECT_EQ(h.m_server.Requests().back().method, "GET");
}

TEST_F(BrowserViewTest, ExeLinksAreCancelledAndReportedAsBlocked) {
  struct Case {
    const char* href;
    bool blocked;
  };
  const Case cases[] = {
      {"/files/setup.exe", true},
      {"/run.exe?x=1", true},
      {"/dl?file=client.exe.zip", true},  // ".exe" anywhere in the URL
      {"/files/SETUP.EXE", false},        // the test is case-sensitive
  };
  h.m_site.PutPage("/files/SETUP.EXE", Html("upper", ""));
  std::string links;
  for (const Case& c : cases) links += std::string("<a href=\"") + c.href + "\">x</a>";
  h.m_site.PutPage("/downloads", Html("downloads", links));

  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].href);
    ASSERT_TRUE(h.Load("/downloads"));
    size_t from = h.m_recorder.m_got.size();
    Page(L"click " + std::to_wstring(i));
    std::wstring target = h.Url(cases[i].href);
    if (cases[i].blocked) {
      EXPECT_EQ(h.m_recorder.CodesSince(from), (Codes{BLOCKED}));
      EXPECT_EQ(Last().lParam, reinterpret_cast<LPARAM>(h.m_view));
      EXPECT_EQ(h.m_view->GetCurrentUrl(), target);
      EXPECT_EQ(State(L"url"), h.Url("/downloads"));  // the page stays
    } else {
      ASSERT_TRUE(h.WaitFor(DOCUMENT, h.m_recorder.Count(DOCUMENT) + 1));
      EXPECT_EQ(h.m_recorder.CodesSince(from), (Codes{BEFORE, TITLE, DOCUMENT}));
    }
    // Nothing blocked ever reaches the server (the next load proves the order).
    ASSERT_TRUE(h.Load("/downloads"));
    EXPECT_EQ(h.Requested(cases[i].href), !cases[i].blocked);
  }
}

TEST_F(BrowserViewTest, ViewWithoutHandlersStillBlocksExeLinks) {
  ViewHarness bare;
  std::string failure = bare.Start(/*addHandler=*/false);
  ASSERT_TRUE(failure.empty()) << failure;
  bare.m_site.PutPage("/page", Html("page", "<a href=\"/x.exe\">get</a>"));
  ASSERT_TRUE(bare.m_view->Navigate(bare.Url("/page"), std::string()));
  ASSERT_TRUE(PumpUntil([&] { return bare.m_client.State(bare.m_engine, L"title") == L"page"; }));
  ASSERT_TRUE(bare.WaitIdle());
  ASSERT_TRUE(bare.m_client.Send(bare.m_engine, L"click 0"));
  ASSERT_TRUE(bare.WaitIdle());  // an allowed navigation would be loading now
  EXPECT_EQ(bare.m_view->GetCurrentUrl(), bare.Url("/x.exe"));
  EXPECT_EQ(bare.m_client.State(bare.m_engine, L"url"), bare.Url("/page"));
  EXPECT_FALSE(bare.Requested("/x.exe"));
}

TEST_F(BrowserViewTest, NewWindowForAnOutsideAddressBecomesABlockedNavigation) {
  // Test servers live on 127.0.0.1; "localhost" names the same server without that text.
  const std::wstring outside = L"http://localhost:" + std::to_wstring(h.m_server.Port()) + L"/outside?a=1";
  h.m_site.PutPage("/home", Html("home", "<a href=\"" + std::string(outside.begin(), outside.end()) +
                                             "\" target=\"_blank\">news</a>"));
  h.m_site.PutPage("/outside", Html("outside", ""));
  struct Case {
    const wchar_t* what;
    std::wstring command;
  };
  const Case cases[] = {{L"link with target _blank", L"click 0"}, {L"window.open", L"open " + outside}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(h.Load("/home"));
    size_t from = h.m_recorder.m_got.size();
    Page(c.command);
    EXPECT_EQ(h.m_recorder.CodesSince(from), (Codes{BLOCKED}));
    EXPECT_EQ(h.m_view->GetCurrentUrl(), outside);
    EXPECT_TRUE(EngineTopLevelWindows().empty());  // the page got no window
    EXPECT_EQ(State(L"url"), h.Url("/home"));
    // Later navigations of the page are not blocked.
    from = h.m_recorder.m_got.size();
    ASSERT_TRUE(h.Load("/home"));
    EXPECT_EQ(h.m_recorder.CodesSince(from), (Codes{BEFORE, COMPLETE, TITLE, DOCUMENT}));
  }
  EXPECT_FALSE(h.Requested("/outside?a=1"));
}

TEST_F(BrowserViewTest, NewWindowsAllowedByTheFormOpenAWindowAndAreStillReported) {
  h.m_view->m_blockNewWindows = false;
  const std::wstring outside = L"http://localhost:" + std::to_wstring(h.m_server.Port()) + L"/popup";
  h.m_site.PutPage("/home", Html("home", ""));
  h.m_site.PutPage("/popup", Html("popup", ""));
  ASSERT_TRUE(h.Load("/home"));
  size_t from = h.m_recorder.m_got.size();
  Page(L"open " + outside);
  EXPECT_EQ(h.m_recorder.CodesSince(from), (Codes{BLOCKED}));
  EXPECT_EQ(EngineTopLevelWindows().size(), 1u);
  EXPECT_TRUE(h.m_server.WaitForRequests(2, 10000));  // the new window loads its page
}

TEST_F(BrowserViewTest, NewWindowForALoopbackAddressIsCancelledSilently) {
  h.m_site.PutPage("/home", Html("home", "<a href=\"/pay\" target=\"_blank\">pay</a>"));
  ASSERT_TRUE(h.Load("/home"));
  size_t from = h.m_recorder.m_got.size();
  Page(L"click 0");  // resolves to http://127.0.0.1:port/pay
  Page(L"open " + h.Url("/other"));
  EXPECT_TRUE(h.m_recorder.CodesSince(from).empty());
  EXPECT_EQ(h.m_view->GetCurrentUrl(), h.Url("/home"));
  EXPECT_TRUE(EngineTopLevelWindows().empty());
  ASSERT_TRUE(h.Load("/home"));
  EXPECT_FALSE(h.Requested("/pay"));
  EXPECT_FALSE(h.Requested("/other"));
}

TEST_F(BrowserViewTest, ScriptAndBlankNavigationsChangeNothing) {
  h.m_site.PutPage("/form", Html("form", ""));
  ASSERT_TRUE(h.m_view->Navigate(h.Url("/form"), "a=1"));
  ASSERT_TRUE(h.WaitFor(DOCUMENT, 1));
  const std::wstring url = h.m_view->GetCurrentUrl();

  size_t from = h.m_recorder.m_got.size();
  Page(L"navigate javascript:void(0)");
  Page(L"navigate javascript:alert(1)");
  EXPECT_TRUE(h.m_recorder.CodesSince(from).empty());

  Page(L"navigate about:blank");
  ASSERT_TRUE(PumpUntil([&] { return State(L"url") == L"about:blank" && State(L"busy") == L"0"; }));
  for (UINT code : h.m_recorder.CodesSince(from)) {
    EXPECT_NE(code, BEFORE);
    EXPECT_NE(code, BLOCKED);
    EXPECT_NE(code, COMPLETE);
  }
  EXPECT_EQ(h.m_view->GetCurrentUrl(), url);
  EXPECT_EQ(h.m_view->m_postData, "a=1");
}

TEST_F(BrowserViewTest, ABlankOrScriptNewWindowNeitherBlanksThePageNorBlocksTheNextNavigation) {
  h.m_site.PutPage("/home", Html("home", ""));
  h.m_site.PutPage("/next", Html("next", ""));
  ASSERT_TRUE(h.Load("/home"));
  size_t from = h.m_recorder.m_got.size();
  Page(L"open about:blank");
  Page(L"open javascript:void(0)");
  EXPECT_TRUE(h.m_recorder.CodesSince(from).empty());
  EXPECT_TRUE(EngineTopLevelWindows().empty());
  EXPECT_TRUE(h.WaitIdle());
  EXPECT_EQ(State(L"url"), h.Url("/home"));

  Page(L"navigate /next");
  ASSERT_TRUE(h.WaitFor(DOCUMENT, 2));
  EXPECT_EQ(h.m_recorder.CodesSince(from), (Codes{BEFORE, TITLE, DOCUMENT}));
  EXPECT_EQ(State(L"url"), h.Url("/next"));
}

TEST_F(BrowserViewTest, FrameNavigationRaisesBeforeNavigateAndBecomesTheCurrentUrl) {
  h.m_site.PutPage("/outer", Html("outer", "<iframe name=\"news\" src=\"/inner?id=7\"></iframe>"));
  h.m_site.PutPage("/inner", Html("inner", "<a href=\"/inner2\">more</a>"));
  h.m_site.PutPage("/inner2", Html("inner two", ""));
  ASSERT_TRUE(h.Load("/outer"));
  EXPECT_EQ(h.m_recorder.Codes(), (Codes{BEFORE, COMPLETE, TITLE, BEFORE, DOCUMENT}));
  EXPECT_EQ(h.m_recorder.m_got[3].currentUrl, h.Url("/inner?id=7"));
  EXPECT_EQ(h.m_view->GetCurrentUrl(), h.Url("/inner?id=7"));
  // Frames get no scroll bars either.
  EXPECT_EQ(State(L"scroll"), L"no");
  EXPECT_EQ(State(L"frame0.scroll"), L"no");

  // A navigation inside the frame later: code 7 again, and no code 0 (a frame finished).
  size_t from = h.m_recorder.m_got.size();
  Page(L"frameclick 0 0");
  ASSERT_TRUE(PumpUntil([&] { return State(L"frame0.url") == h.Url("/inner2") && State(L"busy") == L"0"; }));
  ASSERT_TRUE(h.Load("/outer"));  // the order proof
  EXPECT_EQ(h.m_recorder.CodesSince(from), (Codes{BEFORE, /* then the reload: */ BEFORE, COMPLETE, TITLE, BEFORE, DOCUMENT}));
  EXPECT_EQ(h.m_recorder.m_got[from].currentUrl, h.Url("/inner2"));
}

TEST_F(BrowserViewTest, CodeEightOncePerNavigateAndCodeZeroForEveryTopLevelPage) {
  h.m_site.PutPage("/a", Html("a", "<a href=\"/b\">b</a>"));
  h.m_site.PutPage("/b", Html("b", "<meta http-equiv=\"refresh\" content=\"0; url=/c\">"));
  h.m_site.PutPage("/c", Html("c", ""));
  ASSERT_TRUE(h.Load("/a"));
  Page(L"click 0");  // the page navigates itself to /b, which refreshes to /c
  ASSERT_TRUE(h.WaitFor(DOCUMENT, 3));
  EXPECT_EQ(h.m_recorder.Codes(), (Codes{BEFORE, COMPLETE, TITLE, DOCUMENT,  // Navigate(/a)
                                         BEFORE, TITLE, DOCUMENT,            // link to /b
                                         BEFORE, TITLE, DOCUMENT}));         // refresh to /c
  EXPECT_EQ(h.m_view->GetCurrentUrl(), h.Url("/c"));
  ASSERT_TRUE(h.Load("/a"));  // a new Navigate: code 8 once more
  EXPECT_EQ(h.m_recorder.Count(COMPLETE), 2u);
}

TEST_F(BrowserViewTest, NavigationErrorsRaiseCodeOneAndSuppressTheErrorPage) {
  TestHttpServer closed;  // a port nobody listens on any more
  ASSERT_TRUE(closed.Start());
  const std::wstring refused = L"http://127.0.0.1:" + std::to_wstring(closed.Port()) + L"/";
  closed.Stop();
  HttpResponse failing;
  failing.status = 500;
  h.m_site.Put("/broken", failing);

  const std::wstring cases[] = {h.Url("/missing"), h.Url("/broken"), refused};
  for (const std::wstring& url : cases) {
    SCOPED_TRACE(std::string(url.begin(), url.end()));
    size_t from = h.m_recorder.m_got.size();
    ASSERT_TRUE(h.m_view->Navigate(url, std::string()));
    ASSERT_TRUE(h.WaitFor(ERROR_CODE, h.m_recorder.Count(ERROR_CODE) + 1));
    ASSERT_TRUE(h.WaitIdle());
    EXPECT_EQ(h.m_recorder.CodesSince(from), (Codes{BEFORE, ERROR_CODE}));
    EXPECT_EQ(Last().lParam, reinterpret_cast<LPARAM>(h.m_view));
    EXPECT_EQ(h.m_view->GetCurrentUrl(), url);
    EXPECT_NE(State(L"title"), L"Navigation failed");  // the control's error page never shows
  }
}

TEST_F(BrowserViewTest, AbortedNavigationsRaiseNoError) {
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ASSERT_TRUE(release);
  struct Releaser {
    HANDLE event;
    ~Releaser() {
      SetEvent(event);
      CloseHandle(event);
    }
  };
  h.m_site.PutPage("/fast", Html("fast", ""));
  h.m_server.SetHandler([&](const HttpRequest& r) {
    if (r.target == "/slow") WaitForSingleObject(release, 20000);
    return h.m_site.Answer(r);
  });
  Releaser releaser{release};

  struct Case {
    const wchar_t* what;
    std::function<void()> interrupt;
  };
  const Case cases[] = {
      {L"replaced by a new navigation", [&] { h.m_view->Navigate(h.Url("/fast"), std::string()); }},
      {L"stopped", [&] { h.m_client.Send(h.m_engine, L"stop"); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    size_t requests = h.m_server.RequestCount();
    size_t from = h.m_recorder.m_got.size();
    ASSERT_TRUE(h.m_view->Navigate(h.Url("/slow"), std::string()));
    ASSERT_TRUE(h.m_server.WaitForRequests(requests + 1, 10000));
    c.interrupt();
    ASSERT_TRUE(h.WaitIdle());
    for (UINT code : h.m_recorder.CodesSince(from)) EXPECT_NE(code, ERROR_CODE);
  }
  EXPECT_EQ(h.m_recorder.Count(DOCUMENT), 1u);  // only /fast loaded
}

TEST_F(BrowserViewTest, AHandlerCancelsExactlyTheNavigationItIsToldAbout) {
  h.m_site.PutPage("/a", Html("a", ""));
  h.m_site.PutPage("/game", Html("game", ""));
  h.m_recorder.m_react = [&](const Notification& n) {
    if (n.code == BEFORE && n.currentUrl.find(L"wd_entergame=1") != std::wstring::npos)
      h.m_view->m_blockNavigation = true;
  };
  ASSERT_TRUE(h.Load("/a"));
  size_t from = h.m_recorder.m_got.size();
  Page(L"navigate /game?wd_entergame=1");
  EXPECT_EQ(h.m_recorder.CodesSince(from), (Codes{BEFORE}));
  EXPECT_EQ(h.m_view->GetCurrentUrl(), h.Url("/game?wd_entergame=1"));
  // The flag is cleared by the next navigation, which goes through.
  Page(L"navigate /game");
  ASSERT_TRUE(h.WaitFor(DOCUMENT, 2));
  EXPECT_FALSE(h.m_view->m_blockNavigation);
  EXPECT_FALSE(h.Requested("/game?wd_entergame=1"));
  EXPECT_TRUE(h.Requested("/game"));
}

TEST_F(BrowserViewTest, TitleChangesCarryTheText) {
  h.m_site.PutPage("/a", Html("first", ""));
  h.m_site.PutPage("/untitled", "<html><body>no title</body></html>");
  ASSERT_TRUE(h.Load("/a"));
  Page(L"title 游戏 — 第二章");
  EXPECT_EQ(Last().code, TITLE);
  EXPECT_EQ(Last().text, L"游戏 — 第二章");
  ASSERT_TRUE(h.Load("/untitled"));
  // Without a <title> the window is named after the address.
  EXPECT_EQ(h.m_recorder.m_got[h.m_recorder.m_got.size() - 2].text, h.Url("/untitled"));
}

TEST_F(BrowserViewTest, RefreshReloadsThePage) {
  h.m_site.PutPage("/a", Html("a", ""));
  ASSERT_TRUE(h.Load("/a"));
  h.m_view->Refresh();
  EXPECT_TRUE(h.m_server.WaitForRequests(2, 10000));
  EXPECT_EQ(h.m_server.Requests()[1].target, "/a");
}

TEST_F(BrowserViewTest, PreTranslateMessageForwardsOnlyKeyAndMouseMessagesOfTheView) {
  h.m_site.PutPage("/a", Html("a", ""));
  ASSERT_TRUE(h.Load("/a"));
  struct Case {
    const wchar_t* what;
    HWND wnd;
    UINT message;
    WPARAM wParam;
    bool consumed;
  };
  const Case cases[] = {
      {L"F5 in the page: the control reloads", h.m_engine, WM_KEYDOWN, VK_F5, true},
      {L"a plain letter: the page gets it", h.m_engine, WM_KEYDOWN, 'Q', false},
      {L"F5 to the view window itself", h.m_view->m_hWnd, WM_KEYDOWN, VK_F5, true},
      {L"F5 outside the view", h.m_top, WM_KEYDOWN, VK_F5, false},
      {L"a mouse move in the page", h.m_engine, WM_MOUSEMOVE, 0, false},
      {L"not input", h.m_engine, WM_PAINT, 0, false},
  };
  size_t requests = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MSG msg{c.wnd, c.message, c.wParam, 0, 0, {0, 0}};
    EXPECT_EQ(h.m_view->PreTranslateMessage(&msg) != 0, c.consumed);
    if (c.consumed) {
      EXPECT_TRUE(h.m_server.WaitForRequests(++requests, 10000));
    }
  }
  EXPECT_FALSE(h.m_view->PreTranslateMessage(nullptr));
}

TEST_F(BrowserViewTest, FocusDocumentPutsTheKeyboardFocusIntoThePage) {
  h.m_site.PutPage("/a", Html("a", ""));
  ASSERT_TRUE(h.Load("/a"));
  SetForegroundWindow(h.m_top);
  SetFocus(h.m_top);
  ASSERT_NE(GetFocus(), h.m_engine);
  h.m_view->FocusDocument();
  EXPECT_EQ(GetFocus(), h.m_engine);
  // Focus given to the view goes on into the page as well.
  SetFocus(h.m_top);
  SetFocus(h.m_view->m_hWnd);
  EXPECT_EQ(GetFocus(), h.m_engine);
}

TEST_F(BrowserViewTest, TheSinkIsDisconnectedWhenTheWindowIsDestroyed) {
  ComPtr<IWebBrowser2> control = CAxWindow(h.m_view->m_hWnd).QueryControl<IWebBrowser2>(IID_IWebBrowser2);
  ASSERT_TRUE(control);
  auto connections = [&] {
    ComPtr<IConnectionPointContainer> container = control.As<IConnectionPointContainer>(IID_IConnectionPointContainer);
    ComPtr<IConnectionPoint> point;
    ComPtr<IEnumConnections> list;
    if (!container || FAILED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, point.Put())) ||
        FAILED(point->EnumConnections(list.Put())))
      return -1;
    int count = 0;
    CONNECTDATA data;
    while (list->Next(1, &data, nullptr) == S_OK) {
      data.pUnk->Release();
      ++count;
    }
    return count;
  };
  EXPECT_EQ(connections(), 1);
  DestroyWindow(h.m_view->m_hWnd);
  EXPECT_EQ(h.m_view->m_hWnd, nullptr);
  EXPECT_EQ(connections(), 0);
}

TEST(BrowserViewWithoutWindow, NavigateRecordsTheUrlAndFailsSoftly) {
  CBrowserView view;
  EXPECT_FALSE(view.Navigate(L"http://127.0.0.1:1/x", std::string()));
  EXPECT_EQ(view.GetCurrentUrl(), L"http://127.0.0.1:1/x");
  EXPECT_FALSE(view.m_navigatePending);
  view.Refresh();
  view.FocusDocument();
  MSG msg{nullptr, WM_KEYDOWN, VK_F5, 0, 0, {0, 0}};
  EXPECT_FALSE(view.PreTranslateMessage(&msg));
}

}  // namespace
