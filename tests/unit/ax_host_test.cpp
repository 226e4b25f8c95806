// The control host window: what its window text makes of it, and how it keeps the control
// in place. The control here is the stand-in engine the test prefix registers.
#include "view_harness.h"

#include <gtest/gtest.h>

#include <ole2.h>

namespace {

class AxHostTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    ASSERT_TRUE(AxWinInit());
    m_parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 640, 480, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(m_parent);
  }
  void TearDown() override {
    if (m_parent) DestroyWindow(m_parent);
    PumpPending();
    OleUninitialize();
  }
  HWND Host(const wchar_t* text) {
    return CreateWindowExW(0, AX_HOST_CLASS, text, WS_CHILD | WS_VISIBLE, 0, 0, 300, 200, m_parent, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
  }
  HWND m_parent = nullptr;
};

TEST_F(AxHostTest, TheWindowTextNamesTheControl) {
  struct Case {
    const wchar_t* text;
    bool window;
    bool control;
  };
  const Case cases[] = {
      {L"", true, false},                                         // an empty host
      {L"about:blank", true, true},                               // a URL: the WebBrowser control
      {L"{8856F961-340A-11D0-A96B-00C04FD705A2}", true, true},    // its class id
      {L"{01234567-89AB-CDEF-0123-456789ABCDEF}", false, false},  // no such class: no window
      {L"{not a class id", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.text)));
    HWND host = Host(c.text);
    EXPECT_EQ(host != nullptr, c.window);
    if (!host) continue;
    ComPtr<IWebBrowser2> browser = CAxWindow(host).QueryControl<IWebBrowser2>(IID_IWebBrowser2);
    EXPECT_EQ(static_cast<bool>(browser), c.control);
    DestroyWindow(host);
  }
  // Not a host window at all.
  IUnknown* none = reinterpret_cast<IUnknown*>(1);
  EXPECT_TRUE(FAILED(CAxWindow(m_parent).QueryControl(IID_IUnknown, reinterpret_cast<void**>(&none))));
  EXPECT_EQ(none, nullptr);
}

TEST_F(AxHostTest, AUrlIsShownAndTheControlFollowsTheHostsSize) {
  TestHttpServer server;
  server.SetHandler([](const HttpRequest&) {
    HttpResponse page;
    page.body = Html("hosted", "");
    return page;
  });
  ASSERT_TRUE(server.Start());
  HWND host = Host(server.WUrl(L"/start").c_str());
  ASSERT_TRUE(host);
  HWND engine = StandInClient::FindEngineWindow(host);
  ASSERT_TRUE(engine);
  EXPECT_EQ(GetParent(engine), host);
  StandInClient client;
  EXPECT_TRUE(PumpUntil([&] { return client.State(engine, L"title") == L"hosted"; }));

  MoveWindow(host, 10, 10, 420, 260, TRUE);
  RECT rc{};
  GetClientRect(engine, &rc);
  EXPECT_EQ(rc.right, 420);
  EXPECT_EQ(rc.bottom, 260);

  // The control is in place through our site and leaves with the window.
  ComPtr<IOleObject> ole = CAxWindow(host).QueryControl<IOleObject>(IID_IOleObject);
  ASSERT_TRUE(ole);
  ComPtr<IOleClientSite> site;
  ASSERT_EQ(ole->GetClientSite(site.Put()), S_OK);
  ASSERT_TRUE(site);
  DestroyWindow(host);
  EXPECT_FALSE(IsWindow(engine));
  site.Reset();
  EXPECT_EQ(ole->GetClientSite(site.Put()), S_OK);
  EXPECT_FALSE(site);  // the host let go of the control
}

TEST_F(AxHostTest, AViewObjectGoingFirstTakesItsWindowAlong) {
  HWND viewWindow = nullptr;
  HWND engine = nullptr;
  {
    CBrowserView view;
    viewWindow = view.CreateBrowser(m_parent, RECT{0, 0, 200, 100}, L"about:blank");
    ASSERT_TRUE(viewWindow);
    engine = StandInClient::FindEngineWindow(viewWindow);
    ASSERT_TRUE(engine);
  }
  EXPECT_FALSE(IsWindow(viewWindow));
  EXPECT_FALSE(IsWindow(engine));
}

}  // namespace
