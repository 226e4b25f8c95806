// The stand-in browser engine: an in-process server of CLSID_WebBrowser for machines without
// an HTML engine. It models the surface the launcher uses, with Internet Explorer's event
// order and cancel semantics, and draws a plain view of each page.
#pragma once

#include "interface_defaults.h"

#include "fetch.h"
#include "html_page.h"
#include "platform/com_ptr.h"

#include <mshtmhst.h>
#include <ocidl.h>
#include <shobjidl.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

// The control channel: WM_COPYDATA to the engine's window with this dwData and a UTF-16
// command; replies come back as WM_COPYDATA with STANDIN_REPLY to the window in wParam.
constexpr ULONG_PTR STANDIN_COMMAND = 0x53544E43;  // 'STNC'
constexpr ULONG_PTR STANDIN_REPLY = 0x53544E52;    // 'STNR'
inline constexpr const wchar_t* STANDIN_VIEW_CLASS = L"StandInBrowserView";

extern HINSTANCE g_module;
void ModuleAddRef();
void ModuleRelease();

class CStandInBrowser;
struct FetchJob;

// The DWebBrowserEvents2 connection point of a top-level browser.
class CEventPoint final : public IConnectionPoint {
public:
  explicit CEventPoint(IConnectionPointContainer* container) : m_container(container) {}
  void Disconnect() { m_sinks.clear(); }
  // Invokes the event on every connected sink (a copy of the list: sinks may leave meanwhile).
  void Fire(DISPID id, VARIANT* argsReversed, UINT count);

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  STDMETHODIMP GetConnectionInterface(IID* iid) override;
  STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** container) override;
  STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
  STDMETHODIMP Unadvise(DWORD cookie) override;
  STDMETHODIMP EnumConnections(IEnumConnections** connections) override;

private:
  IConnectionPointContainer* m_container;  // the browser that owns this point
  std::vector<std::pair<DWORD, ComPtr<IDispatch>>> m_sinks;
  DWORD m_nextCookie = 1;
};

class CStandInBody final : public HTMLElementDefaults, public HTMLBodyElementDefaults {
public:
  explicit CStandInBody(std::wstring scroll) : m_scroll(std::move(scroll)) {}
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  STDMETHODIMP get_tagName(BSTR* p) override;
  STDMETHODIMP put_scroll(BSTR v) override;
  STDMETHODIMP get_scroll(BSTR* p) override;
  const std::wstring& Scroll() const { return m_scroll; }

private:
  LONG m_ref = 1;
  std::wstring m_scroll;
};

class CStandInDocument final : public HTMLDocument2Defaults, public ICustomDoc {
public:
  CStandInDocument(CStandInBrowser* owner, std::wstring url, PageModel page);
  // The browser let go of the document (a new one replaced it, or it closed).
  void Detach();
  CStandInBrowser* Owner() const { return m_owner; }

  // The handler the document asks: the one installed with SetUIHandler, else the client site's.
  ComPtr<IDocHostUIHandler> Handler() const;
  bool HasInstalledHandler() const { return static_cast<bool>(m_uiHandler); }
  // Asks the handler for the host flags (when the document is set up, and on request).
  DWORD QueryHostFlags();
  // window.external, as page script would read it: the object the handler supplies, or null.
  ComPtr<IDispatch> QueryExternal();
  // A right click: true when the host showed its own menu (the document shows none).
  HRESULT QueryContextMenu(POINT screenPoint);
  // document.title = title: the top-level document renames the window (TitleChange).
  void SetTitle(const std::wstring& title);

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  // IHTMLDocument2
  STDMETHODIMP get_body(IHTMLElement** p) override;
  STDMETHODIMP get_title(BSTR* p) override;
  STDMETHODIMP put_title(BSTR v) override;
  STDMETHODIMP get_URL(BSTR* p) override;
  STDMETHODIMP get_readyState(BSTR* p) override;
  STDMETHODIMP get_parentWindow(IHTMLWindow2** p) override;
  // ICustomDoc
  STDMETHODIMP SetUIHandler(IDocHostUIHandler* handler) override;

  const std::wstring& Url() const { return m_url; }
  const PageModel& Page() const { return m_page; }
  const std::wstring& Title() const { return m_title; }
  CStandInBody* Body() const { return m_body.Get(); }
  DWORD HostFlags() const { return m_hostFlags; }

  // Frames of this document, in page order.
  std::vector<ComPtr<CStandInBrowser>> m_frames;
  size_t m_framesUnsettled = 0;
  bool m_loaded = false;     // the page itself arrived
  bool m_completed = false;  // DocumentComplete was fired for it

private:
  LONG m_ref = 1;
  CStandInBrowser* m_owner;  // no reference: the browser owns the document
  std::wstring m_url;
  PageModel m_page;
  std::wstring m_title;
  ComPtr<CStandInBody> m_body;
  ComPtr<IDocHostUIHandler> m_uiHandler;
  DWORD m_hostFlags = 0;
};

class CStandInWindow final : public HTMLWindow2Defaults {
public:
  explicit CStandInWindow(CStandInDocument* document) : m_document(document) {}
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  STDMETHODIMP get_length(LONG* p) override;
  STDMETHODIMP get_document(IHTMLDocument2** p) override;
  STDMETHODIMP get_name(BSTR* p) override;
  STDMETHODIMP focus() override;
  STDMETHODIMP get_external(IDispatch** p) override;

private:
  LONG m_ref = 1;
  ComPtr<CStandInDocument> m_document;
};

// The WebBrowser object: the top-level control (creatable, in-place active in its site's
// window) or a frame inside a document (events go to the top's sinks with the frame as
// the browser object).
class CStandInBrowser final : public WebBrowser2Defaults,
                              public IOleObject,
                              public IOleInPlaceObject,
                              public IOleInPlaceActiveObject,
                              public IConnectionPointContainer {
public:
  CStandInBrowser();
  // A frame named `name` inside a document of `parent`.
  CStandInBrowser(CStandInBrowser* top, CStandInBrowser* parent, std::wstring name, int depth);

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // IWebBrowser2 (what the engine models; the rest answers E_NOTIMPL)
  STDMETHODIMP GoBack() override;
  STDMETHODIMP GoForward() override;
  STDMETHODIMP Navigate(BSTR url, VARIANT* flags, VARIANT* targetFrameName, VARIANT* postData,
                        VARIANT* headers) override;
  STDMETHODIMP Refresh() override;
  STDMETHODIMP Refresh2(VARIANT* level) override;
  STDMETHODIMP Stop() override;
  STDMETHODIMP get_Document(IDispatch** p) override;
  STDMETHODIMP get_TopLevelContainer(VARIANT_BOOL* p) override;
  STDMETHODIMP get_Type(BSTR* p) override;
  STDMETHODIMP get_LocationName(BSTR* p) override;
  STDMETHODIMP get_LocationURL(BSTR* p) override;
  STDMETHODIMP get_Busy(VARIANT_BOOL* p) override;
  STDMETHODIMP Navigate2(VARIANT* url, VARIANT* flags, VARIANT* targetFrameName, VARIANT* postData,
                         VARIANT* headers) override;
  STDMETHODIMP get_ReadyState(READYSTATE* p) override;
  STDMETHODIMP get_Silent(VARIANT_BOOL* p) override;
  STDMETHODIMP put_Silent(VARIANT_BOOL v) override;
  STDMETHODIMP get_RegisterAsDropTarget(VARIANT_BOOL* p) override;
  STDMETHODIMP put_RegisterAsDropTarget(VARIANT_BOOL v) override;

  // IOleObject
  STDMETHODIMP SetClientSite(IOleClientSite* site) override;
  STDMETHODIMP GetClientSite(IOleClientSite** site) override;
  STDMETHODIMP SetHostNames(LPCOLESTR app, LPCOLESTR obj) override;
  STDMETHODIMP Close(DWORD saveOption) override;
  STDMETHODIMP SetMoniker(DWORD which, IMoniker* moniker) override;
  STDMETHODIMP GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
  STDMETHODIMP InitFromData(IDataObject* data, BOOL creation, DWORD reserved) override;
  STDMETHODIMP GetClipboardData(DWORD reserved, IDataObject** data) override;
  STDMETHODIMP DoVerb(LONG verb, LPMSG msg, IOleClientSite* site, LONG index, HWND parent, LPCRECT rect) override;
  STDMETHODIMP EnumVerbs(IEnumOLEVERB** verbs) override;
  STDMETHODIMP Update() override;
  STDMETHODIMP IsUpToDate() override;
  STDMETHODIMP GetUserClassID(CLSID* clsid) override;
  STDMETHODIMP GetUserType(DWORD form, LPOLESTR* type) override;
  STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override;
  STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) override;
  STDMETHODIMP Advise(IAdviseSink* sink, DWORD* connection) override;
  STDMETHODIMP Unadvise(DWORD connection) override;
  STDMETHODIMP EnumAdvise(IEnumSTATDATA** advise) override;
  STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) override;
  STDMETHODIMP SetColorScheme(LOGPALETTE* palette) override;

  // IOleWindow, IOleInPlaceObject, IOleInPlaceActiveObject
  STDMETHODIMP GetWindow(HWND* wnd) override;
  STDMETHODIMP ContextSensitiveHelp(BOOL enter) override;
  STDMETHODIMP InPlaceDeactivate() override;
  STDMETHODIMP UIDeactivate() override;
  STDMETHODIMP SetObjectRects(LPCRECT pos, LPCRECT clip) override;
  STDMETHODIMP ReactivateAndUndo() override;
  STDMETHODIMP TranslateAccelerator(LPMSG msg) override;
  STDMETHODIMP OnFrameWindowActivate(BOOL activate) override;
  STDMETHODIMP OnDocWindowActivate(BOOL activate) override;
  STDMETHODIMP ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* uiWindow, BOOL frameWindow) override;
  STDMETHODIMP EnableModeless(BOOL enable) override;

  // IConnectionPointContainer
  STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** points) override;
  STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

  // What the page (or the user) does.
  // A navigation of this browser: BeforeNavigate2 first; nothing more when it is cancelled.
  void NavigateAsPage(const std::wstring& url, DWORD flags, const std::wstring& targetFrame, const std::string* post,
                      const std::wstring& headers);
  // window.open or a link with target="_blank": NewWindow2, NewWindow3, then a window unless
  // cancelled.
  void OpenNewWindow(const std::wstring& url, DWORD flags);
  bool ClickLink(size_t index);
  void SetTitleAsPage(const std::wstring& title);
  std::wstring HandleCommand(const std::wstring& command, bool& ok);

  // Plumbing used by the windows of the engine.
  void OnFetchDone(FetchJob* job);
  void OnRefreshTimer(UINT_PTR id);
  void Paint(HDC dc, const RECT& client);
  void OnClick(POINT client);
  void OnRightClick(POINT client);
  void OnWindowDestroyed();
  void OpenAsPopup();
  CStandInBrowser* Top() { return m_top ? m_top : this; }
  HWND ViewWindow() const { return m_wnd; }
  CStandInDocument* Document() const { return m_document.Get(); }
  ComPtr<IDocHostUIHandler> SiteHandler() const;

  // Events, on the top browser's sinks.
  bool FireBeforeNavigate2(IDispatch* disp, const std::wstring& url, DWORD flags, const std::wstring& frame,
                           const std::string* post, const std::wstring& headers);
  void FireNavigateComplete2(IDispatch* disp, const std::wstring& url);
  void FireDocumentComplete(IDispatch* disp, const std::wstring& url);
  bool FireNavigateError(IDispatch* disp, const std::wstring& url, const std::wstring& frame, LONG status);
  void FireTitleChange(const std::wstring& title);

private:
  ~CStandInBrowser();
  IDispatch* Disp() { return static_cast<IWebBrowser2*>(this); }
  CStandInBrowser* FindFrame(const std::wstring& name);
  // Starts loading `url` (after BeforeNavigate2 allowed it).
  void StartLoad(const std::wstring& url, const std::string* post, const std::wstring& headers, bool silent);
  void AbortPending();
  void PostJob(FetchJob* job);
  void InstallDocument(const std::wstring& url, const PageModel& page);
  void LoadFrames();
  void OnFrameSettled(CStandInBrowser* frame);
  void FinishDocument();
  void Settle();
  void ScheduleRefresh();
  void CloseAll();
  void CompleteLoad(FetchJob* job);
  void ReleaseDocument();
  void DetachFrame();
  void KillRefreshTimer();
  void StopAll();
  void InvalidateView();
  std::wstring StateText();
  HRESULT ActivateInPlace(bool uiActivate, HWND parent, LPCRECT rect);

  LONG m_ref = 1;
  CStandInBrowser* m_top = nullptr;     // null for the top-level browser
  CStandInBrowser* m_parent = nullptr;  // the browser whose document holds this frame
  std::wstring m_name;                  // the frame's name
  int m_depth = 0;

  // Navigation state.
  std::wstring m_locationUrl;
  ComPtr<CStandInDocument> m_document;
  UINT m_pendingJob = 0;
  std::wstring m_pendingUrl;
  bool m_pendingSilent = false;
  unsigned m_generation = 0;
  UINT_PTR m_refreshTimer = 0;
  std::wstring m_refreshUrl;
  bool m_loadSilent = false;  // the current document came from Refresh: no navigation events
  bool m_settledForParent = false;

  // Top-level only.
  std::unique_ptr<CEventPoint> m_events;
  ComPtr<IOleClientSite> m_site;
  ComPtr<IOleInPlaceSite> m_inPlaceSite;
  ComPtr<IOleInPlaceFrame> m_frame;
  ComPtr<IOleInPlaceUIWindow> m_uiWindow;
  HWND m_wnd = nullptr;     // the view window
  HWND m_msgWnd = nullptr;  // fetch results and refresh timers
  bool m_inPlaceActive = false;
  bool m_uiActive = false;
  bool m_popup = false;
  bool m_closed = false;
  SIZEL m_extent{};
  bool m_silent = false;
  bool m_dropTarget = true;
  std::map<UINT, ComPtr<CStandInBrowser>> m_jobs;                            // fetches in flight
  std::map<UINT_PTR, std::pair<ComPtr<CStandInBrowser>, unsigned>> m_timers;  // refresh timers
  std::vector<std::pair<RECT, std::pair<CStandInBrowser*, size_t>>> m_linkRects;  // from the last paint
};

// A finished (or synthetic) fetch on its way back to the UI thread.
struct FetchJob {
  UINT id = 0;
  HWND msgWnd = nullptr;
  FetchRequest request;
  FetchResult result;
  bool synthetic = false;  // about: pages: nothing was fetched
};

// A link or frame address as written, against the address of its page.
std::wstring ResolveUrl(const std::wstring& base, const std::wstring& relative);
bool RegisterStandInClasses();
void UnregisterStandInClasses();
LRESULT CALLBACK StandInViewWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
