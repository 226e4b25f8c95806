// The view's answers to the document: its two host faces, their shared identity, the
// automation face's dispatch, and the hand-over through the control host to the engine.
#include "view_harness.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

IUnknown* AsUnknown(IDocHostUIHandler* p) { return p; }
IUnknown* AsUnknown(IDocHostUIHandlerDispatch* p) { return p; }

TEST(DocHostFaces, ShareOneIdentityAndOneReferenceCount) {
  CBrowserView view;
  IDocHostUIHandler* handler = &view;
  IDocHostUIHandlerDispatch* automation = &view;
  struct Query {
    const char* iid;
    REFIID id;
    void* expected;
  };
  const Query queries[] = {
      {"IUnknown", IID_IUnknown, AsUnknown(handler)},
      {"IDocHostUIHandler", IID_IDocHostUIHandler, handler},
      {"IDispatch", IID_IDispatch, automation},
      {"IDocHostUIHandlerDispatch", IID_IDocHostUIHandlerDispatch, automation},
      {"IOleClientSite", IID_IOleClientSite, nullptr},
      {"IOleCommandTarget", IID_IOleCommandTarget, nullptr},
  };
  for (IUnknown* face : {AsUnknown(handler), AsUnknown(automation)}) {
    for (const Query& q : queries) {
      SCOPED_TRACE(q.iid);
      void* out = reinterpret_cast<void*>(1);
      HRESULT hr = face->QueryInterface(q.id, &out);
      EXPECT_EQ(out, q.expected);
      EXPECT_EQ(hr, q.expected ? S_OK : E_NOINTERFACE);
      if (out) static_cast<IUnknown*>(out)->Release();
    }
    EXPECT_EQ(face->QueryInterface(IID_IUnknown, nullptr), E_INVALIDARG);
  }

  EXPECT_EQ(view.m_refCount, 0);
  EXPECT_EQ(handler->AddRef(), 1u);
  EXPECT_EQ(automation->AddRef(), 2u);
  EXPECT_EQ(handler->Release(), 1u);
  EXPECT_EQ(automation->Release(), 0u);
  // Reaching zero frees nothing: the view lives as long as its form.
  DOCHOSTUIINFO info{};
  EXPECT_EQ(handler->GetHostInfo(&info), S_OK);
}

TEST(DocHostFaces, TheDocumentHandlerAsksForNoBordersNoHelpAndNoScrollBars) {
  CBrowserView view;
  struct Case {
    bool hideScrollBars;
    DWORD flagsAfter;
  };
  for (const Case& c : {Case{true, 0x40 | 0x20000E}, Case{false, 0x40 | 0x200006}}) {
    view.m_hideScrollBars = c.hideScrollBars;
    DOCHOSTUIINFO info{};
    info.dwFlags = 0x40;  // flags already set stay
    info.dwDoubleClick = DOCHOSTUIDBLCLK_SHOWPROPERTIES;
    ASSERT_EQ(static_cast<IDocHostUIHandler&>(view).GetHostInfo(&info), S_OK);
    EXPECT_EQ(info.cbSize, sizeof(DOCHOSTUIINFO));
    EXPECT_EQ(info.dwFlags, c.flagsAfter);
    EXPECT_EQ(info.dwDoubleClick, static_cast<DWORD>(DOCHOSTUIDBLCLK_DEFAULT));
    EXPECT_EQ(info.pchHostCss, nullptr);
    EXPECT_EQ(info.pchHostNS, nullptr);
  }
}

TEST(DocHostFaces, AnswerEveryQuestionAsTheLauncherDoes) {
  CBrowserView view;
  IDocHostUIHandler& doc = view;
  IDocHostUIHandlerDispatch& host = view;
  POINT pt{1, 2};
  MSG msg{};
  RECT border{};
  struct Case {
    const char* what;
    std::function<HRESULT()> call;
    HRESULT expected;
  };
  const Case cases[] = {
      {"document: ShowContextMenu (its own menu)", [&] { return doc.ShowContextMenu(0, &pt, nullptr, nullptr); }, S_FALSE},
      {"document: ShowUI", [&] { return doc.ShowUI(0, nullptr, nullptr, nullptr, nullptr); }, E_NOTIMPL},
      {"document: HideUI", [&] { return doc.HideUI(); }, S_OK},
      {"document: UpdateUI", [&] { return doc.UpdateUI(); }, S_OK},
      {"document: EnableModeless", [&] { return doc.EnableModeless(TRUE); }, E_NOTIMPL},
      {"document: OnDocWindowActivate", [&] { return doc.OnDocWindowActivate(TRUE); }, E_NOTIMPL},
      {"document: OnFrameWindowActivate", [&] { return doc.OnFrameWindowActivate(TRUE); }, E_NOTIMPL},
      {"document: ResizeBorder", [&] { return doc.ResizeBorder(&border, nullptr, TRUE); }, E_NOTIMPL},
      {"document: TranslateAccelerator", [&] { return doc.TranslateAccelerator(&msg, nullptr, 0); }, E_NOTIMPL},
      {"document: GetDropTarget", [&] { IDropTarget* t = nullptr; return doc.GetDropTarget(nullptr, &t); }, E_NOTIMPL},
      {"document: TranslateUrl", [&] { LPWSTR out = nullptr; return doc.TranslateUrl(0, nullptr, &out); }, E_NOTIMPL},
      {"document: FilterDataObject", [&] { IDataObject* o = nullptr; return doc.FilterDataObject(nullptr, &o); }, E_NOTIMPL},
      {"host: HideUI", [&] { return host.HideUI(); }, S_OK},
      {"host: EnableModeless", [&] { return host.EnableModeless(VARIANT_TRUE); }, S_OK},
      {"host: OnDocWindowActivate", [&] { return host.OnDocWindowActivate(VARIANT_TRUE); }, S_OK},
      {"host: OnFrameWindowActivate", [&] { return host.OnFrameWindowActivate(VARIANT_TRUE); }, S_OK},
      {"host: ResizeBorder", [&] { return host.ResizeBorder(0, 0, 1, 1, nullptr, VARIANT_TRUE); }, S_OK},
      {"host: FilterDataObject", [&] { IUnknown* o = nullptr; return host.FilterDataObject(nullptr, &o); }, E_NOTIMPL},
  };
  for (const Case& c : cases) EXPECT_EQ(c.call(), c.expected) << c.what;

  // Out-values: the host's "shown" menu, its flags untouched, its results kept, no key path.
  HRESULT result = E_FAIL;
  EXPECT_EQ(host.ShowContextMenu(0, 1, 2, nullptr, nullptr, &result), S_OK);
  EXPECT_EQ(result, S_OK);
  DWORD flags = DOCHOSTUIFLAG_NO3DBORDER, doubleClick = DOCHOSTUIDBLCLK_SHOWCODE;
  EXPECT_EQ(host.GetHostInfo(&flags, &doubleClick), S_OK);
  EXPECT_EQ(flags, static_cast<DWORD>(DOCHOSTUIFLAG_NO3DBORDER));
  EXPECT_EQ(doubleClick, static_cast<DWORD>(DOCHOSTUIDBLCLK_SHOWCODE));
  result = S_FALSE;
  EXPECT_EQ(host.ShowUI(0, nullptr, nullptr, nullptr, nullptr, &result), S_OK);
  EXPECT_EQ(result, S_FALSE);
  EXPECT_EQ(host.TranslateAccelerator(0, WM_KEYDOWN, VK_TAB, 0, nullptr, 0, &result), S_OK);
  EXPECT_EQ(result, S_FALSE);
  BSTR key = reinterpret_cast<BSTR>(&result);
  EXPECT_EQ(host.GetOptionKeyPath(&key, 0), S_OK);
  EXPECT_EQ(key, nullptr);
  IUnknown* target = reinterpret_cast<IUnknown*>(&result);
  EXPECT_EQ(host.GetDropTarget(nullptr, &target), S_OK);
  EXPECT_EQ(target, nullptr);
  BSTR url = nullptr;
  EXPECT_EQ(host.TranslateUrl(0, nullptr, &url), E_NOTIMPL);
}

struct ExternalProbe {
  explicit ExternalProbe(CBrowserView* v) : view(v) {}
  CBrowserView* view;
  IDispatch* give = nullptr;  // what the form exposes, if anything
  std::vector<std::pair<WPARAM, LPARAM>> calls;
  void OnWebNotify(UINT code, WPARAM wParam, LPARAM lParam) {
    if (code != WEBNOTIFY_GET_EXTERNAL) return;
    calls.emplace_back(wParam, lParam);
    auto** out = reinterpret_cast<IDispatch**>(wParam);
    EXPECT_EQ(*out, nullptr);  // cleared before the form is asked
    if (give) {
      give->AddRef();
      *out = give;
    }
  }
};

TEST(DocHostFaces, GetExternalAsksTheFormOnBothFaces) {
  CBrowserView view;
  ExternalProbe probe(&view);
  view.m_notify.AddHandler(&probe, &ExternalProbe::OnWebNotify);
  for (int face = 0; face < 2; ++face) {
    IDispatch* external = reinterpret_cast<IDispatch*>(&probe);
    HRESULT hr = face == 0 ? static_cast<IDocHostUIHandler&>(view).GetExternal(&external)
                           : static_cast<IDocHostUIHandlerDispatch&>(view).GetExternal(&external);
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(external, nullptr);  // no form stores anything: the page gets none
    ASSERT_EQ(probe.calls.size(), static_cast<size_t>(face + 1));
    EXPECT_EQ(probe.calls.back().first, reinterpret_cast<WPARAM>(&external));
    EXPECT_EQ(probe.calls.back().second, reinterpret_cast<LPARAM>(&view));
  }
  // A form that does expose an object hands it through.
  probe.give = static_cast<IDocHostUIHandlerDispatch*>(&view);
  IDispatch* external = nullptr;
  EXPECT_EQ(static_cast<IDocHostUIHandler&>(view).GetExternal(&external), S_OK);
  EXPECT_EQ(external, probe.give);
  if (external) external->Release();
}

TEST(DocHostFaces, TheAutomationFaceIsCallableThroughItsTypeInformation) {
  ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
  {
    CBrowserView view;
    ExternalProbe probe(&view);
    view.m_notify.AddHandler(&probe, &ExternalProbe::OnWebNotify);
    IDispatch& dispatch = static_cast<IDocHostUIHandlerDispatch&>(view);
    UINT count = 0;
    EXPECT_EQ(dispatch.GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(dispatch.GetTypeInfo(0, 0, info.Put()), S_OK);
    EXPECT_TRUE(info);

    LPOLESTR names[] = {const_cast<LPOLESTR>(L"GetExternal"), const_cast<LPOLESTR>(L"ShowContextMenu")};
    DISPID ids[2] = {};
    ASSERT_EQ(dispatch.GetIDsOfNames(IID_NULL, &names[0], 1, 0, &ids[0]), S_OK);
    ASSERT_EQ(dispatch.GetIDsOfNames(IID_NULL, &names[1], 1, 0, &ids[1]), S_OK);
    EXPECT_NE(ids[0], ids[1]);

    IDispatch* external = reinterpret_cast<IDispatch*>(&probe);
    VARIANT arg;
    VariantInit(&arg);
    arg.vt = VT_BYREF | VT_DISPATCH;
    arg.ppdispVal = &external;
    DISPPARAMS params{&arg, nullptr, 1, 0};
    VARIANT result;
    VariantInit(&result);
    EXPECT_EQ(dispatch.Invoke(ids[0], IID_NULL, 0, DISPATCH_METHOD, &params, &result, nullptr, nullptr), S_OK);
    EXPECT_EQ(probe.calls.size(), 1u);
    EXPECT_EQ(external, nullptr);

    // ShowContextMenu(id, x, y, target, object, result): arguments in reverse order.
    LONG menuResult = E_FAIL;
    VARIANT args[6];
    for (VARIANT& v : args) VariantInit(&v);
    args[0].vt = VT_BYREF | VT_I4;
    args[0].plVal = &menuResult;
    args[1].vt = VT_DISPATCH;
    args[2].vt = VT_UNKNOWN;
    args[3].vt = VT_UI4;
    args[4].vt = VT_UI4;
    args[5].vt = VT_UI4;
    DISPPARAMS menuParams{args, nullptr, 6, 0};
    EXPECT_EQ(dispatch.Invoke(ids[1], IID_NULL, 0, DISPATCH_METHOD, &menuParams, &result, nullptr, nullptr), S_OK);
    EXPECT_EQ(menuResult, S_OK);
  }
  OleUninitialize();
}

// Through the control host and the engine: the host hands the document's questions to the
// automation face until a document has the view's own handler installed.
class DocHostThroughEngine : public ::testing::Test {
protected:
  void SetUp() override {
    std::string failure = h.Start();
    ASSERT_TRUE(failure.empty()) << failure;
    h.m_site.PutPage("/page", Html("page", "text"));
    ASSERT_TRUE(h.Load("/page"));
  }
  std::wstring Ask(const wchar_t* command) {
    std::wstring reply;
    EXPECT_TRUE(h.m_client.Send(h.m_engine, command, &reply)) << command;
    return reply;
  }
  ViewHarness h;
};

TEST_F(DocHostThroughEngine, DocumentsGetTheHostAnswersFirstAndTheViewsHandlerAfterCompletion) {
  // Set up before NavigateComplete2: asked the site, which answered through the automation
  // face (the host's default flags, unchanged).
  EXPECT_EQ(h.m_client.State(h.m_engine, L"hostFlags"), L"0x00000004");
  // Installed at NavigateComplete2: the document now asks the view's own handler.
  EXPECT_EQ(h.m_client.State(h.m_engine, L"uiHandler"), L"1");
  EXPECT_EQ(Ask(L"hostinfo"), L"0x0020000E");
  EXPECT_EQ(Ask(L"contextmenu"), L"document");

  // The site itself still gives the host's answers.
  ComPtr<IOleObject> control = CAxWindow(h.m_view->m_hWnd).QueryControl<IOleObject>(IID_IOleObject);
  ASSERT_TRUE(control);
  ComPtr<IOleClientSite> site;
  ASSERT_EQ(control->GetClientSite(site.Put()), S_OK);
  ComPtr<IDocHostUIHandler> siteHandler = site.As<IDocHostUIHandler>(IID_IDocHostUIHandler);
  ASSERT_TRUE(siteHandler);
  POINT pt{10, 10};
  EXPECT_EQ(siteHandler->ShowContextMenu(0, &pt, nullptr, nullptr), S_OK);  // "shown": no menu
  DOCHOSTUIINFO info{};
  info.cbSize = sizeof(info);
  EXPECT_EQ(siteHandler->GetHostInfo(&info), S_OK);
  EXPECT_EQ(info.dwFlags, static_cast<DWORD>(DOCHOSTUIFLAG_NO3DBORDER));
  MSG msg{h.m_engine, WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
  EXPECT_EQ(siteHandler->TranslateAccelerator(&msg, nullptr, 0), S_FALSE);  // not translated
}

TEST_F(DocHostThroughEngine, PageScriptFindsNoExternalObject) {
  size_t before = h.m_recorder.Count(WEBNOTIFY_GET_EXTERNAL);
  EXPECT_EQ(Ask(L"external"), L"null");
  ASSERT_EQ(h.m_recorder.Count(WEBNOTIFY_GET_EXTERNAL), before + 1);
  const Notification& n = h.m_recorder.m_got.back();
  EXPECT_NE(n.wParam, 0u);
  EXPECT_EQ(n.lParam, reinterpret_cast<LPARAM>(h.m_view));

  // Only a form that stores an object would give the page one.
  h.m_recorder.m_react = [&](const Notification& got) {
    if (got.code != WEBNOTIFY_GET_EXTERNAL) return;
    IDispatch* object = static_cast<IDocHostUIHandlerDispatch*>(h.m_view);
    object->AddRef();
    *reinterpret_cast<IDispatch**>(got.wParam) = object;
  };
  EXPECT_EQ(Ask(L"external"), L"object");
}

}  // namespace
