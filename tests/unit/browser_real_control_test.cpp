// The view with Wine's own WebBrowser control instead of the stand-in engine: our container
// hosts it in place, our sink hears its BeforeNavigate2, and a navigation cancelled there
// sends nothing to the server. (Wine here has no HTML engine: pages never finish loading.)
#include "view_harness.h"

#include <gtest/gtest.h>

#include <ole2.h>

namespace {

// Makes CoCreateInstance(CLSID_WebBrowser) in this process give Wine's control, whatever the
// prefix registers for the class, for the life of the object.
class RealControlClass {
public:
  RealControlClass() {
    m_module = ::LoadLibraryW(L"ieframe.dll");
    if (!m_module) return;
    auto getClassObject = reinterpret_cast<LPFNGETCLASSOBJECT>(
        reinterpret_cast<void*>(::GetProcAddress(m_module, "DllGetClassObject")));
    ComPtr<IClassFactory> factory;
    if (!getClassObject || FAILED(getClassObject(CLSID_WebBrowser, IID_IClassFactory, factory.PutVoid()))) return;
    if (FAILED(::CoRegisterClassObject(CLSID_WebBrowser, factory.Get(), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                       &m_cookie)))
      m_cookie = 0;
  }
  ~RealControlClass() {
    if (m_cookie) ::CoRevokeClassObject(m_cookie);
  }
  explicit operator bool() const { return m_cookie != 0; }

private:
  HMODULE m_module = nullptr;
  DWORD m_cookie = 0;
};

TEST(RealWebBrowserControl, IsHostedInPlaceAndACancelledNavigationSendsNoRequest) {
  ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
  {
    RealControlClass realControl;
    ASSERT_TRUE(realControl) << "Wine's ieframe.dll gave no WebBrowser class object";

    TestSite site;
    site.PutPage("/blocked", Html("blocked", ""));
    site.PutPage("/allowed", Html("allowed", ""));
    TestHttpServer server;
    server.SetHandler([&](const HttpRequest& r) { return site.Answer(r); });
    ASSERT_TRUE(server.Start());

    HWND top = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 640, 480, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(top);
    {
      CBrowserView* viewPtr = nullptr;
      CBrowserView view;
      viewPtr = &view;
      NotificationRecorder recorder(viewPtr);
      ASSERT_TRUE(view.CreateBrowser(top, RECT{0, 0, 600, 400}, L"about:blank"));
      view.m_notify.AddHandler(&recorder, &NotificationRecorder::OnWebNotify);
      view.m_blockNewWindows = true;
      recorder.m_react = [&](const Notification& n) {
        if (n.code == WEBNOTIFY_BEFORE_NAVIGATE && n.currentUrl.find(L"/blocked") != std::wstring::npos)
          view.m_blockNavigation = true;
      };

      // Wine's control, not the stand-in, in place inside our host window through our site.
      EXPECT_EQ(StandInClient::FindEngineWindow(view.m_hWnd), nullptr);
      ComPtr<IOleObject> control = CAxWindow(view.m_hWnd).QueryControl<IOleObject>(IID_IOleObject);
      ASSERT_TRUE(control);
      EXPECT_TRUE(CAxWindow(view.m_hWnd).QueryControl<IWebBrowser2>(IID_IWebBrowser2));
      ComPtr<IOleClientSite> site;
      ASSERT_EQ(control->GetClientSite(site.Put()), S_OK);
      ComPtr<IOleInPlaceSite> inPlace = site.As<IOleInPlaceSite>(IID_IOleInPlaceSite);
      ASSERT_TRUE(inPlace);
      HWND siteWindow = nullptr;
      EXPECT_EQ(inPlace->GetWindow(&siteWindow), S_OK);
      EXPECT_EQ(siteWindow, view.m_hWnd);
      EXPECT_NE(GetWindow(view.m_hWnd, GW_CHILD), nullptr);  // the control's own window

      ASSERT_TRUE(view.Navigate(server.WUrl(L"/blocked"), std::string()));
      ASSERT_TRUE(PumpUntil([&] { return recorder.Count(WEBNOTIFY_BEFORE_NAVIGATE) >= 1; }));
      EXPECT_EQ(recorder.m_got[0].currentUrl, server.WUrl(L"/blocked"));

      // The next navigation goes through and reaches the server; the cancelled one never did.
      ASSERT_TRUE(view.Navigate(server.WUrl(L"/allowed"), std::string()));
      ASSERT_TRUE(PumpUntil([&] { return server.RequestCount() >= 1; }));
      for (const HttpRequest& request : server.Requests()) EXPECT_NE(request.target, "/blocked");
      EXPECT_EQ(server.Requests()[0].target, "/allowed");
      DestroyWindow(top);
      PumpPending();
    }
  }
  OleUninitialize();
}

}  // namespace
