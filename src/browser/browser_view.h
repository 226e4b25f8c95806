// The child window that shows portal pages: hosts the WebBrowser control, decides which
// navigations and new windows are allowed, tells its form what happens through m_notify and
// answers the document's host questions (scroll bars, context menu, host flags, external).
#pragma once

#include "browser/web_notify.h"
#include "platform/ax_host.h"
#include "platform/com_ptr.h"
#include "platform/doc_host_dispatch.h"
#include "platform/event_sink.h"
#include "platform/window_impl.h"
#include "platform/win.h"

#include <exdisp.h>
#include <exdispid.h>
#include <mshtmhst.h>

#include <span>
#include <string>

// The window class of the view, a superclass of the control host's class.
inline constexpr const wchar_t* BROWSER_VIEW_CLASS = L"TabBrowser";

// The content type of form posts made through Navigate.
inline constexpr const wchar_t* FORM_POST_HEADERS = L"Content-Type: application/x-www-form-urlencoded\r\n";

class CBrowserView : public CWindowImplRoot,
                     public CDispEventSimpleImpl<1, CBrowserView, &DIID_DWebBrowserEvents2>,
                     public IDocHostUIHandlerDispatch,
                     public IDocHostUIHandler {
public:
  CBrowserView() = default;
  ~CBrowserView() override;

  // The window face.
  BOOL ProcessWindowMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  // Offers keyboard and mouse messages of the view (or its descendants) to the control's
  // accelerator handling; nonzero means consumed, do not dispatch.
  virtual BOOL PreTranslateMessage(MSG* msg);

  // Creates the view as a visible child of `parent` showing `url`; null on failure.
  HWND CreateBrowser(HWND parent, const RECT& rc, const std::wstring& url);
  // Navigates the control: GET without post data, a form POST with it.
  bool Navigate(const std::wstring& url, const std::string& postData);
  void Refresh();
  std::wstring GetCurrentUrl() const { return m_currentUrl; }
  void FocusDocument();

  // The events of the control this view listens to.
  static std::span<const DispEventEntry> SinkMap();
  void OnDocumentComplete(IDispatch* pDisp, VARIANT* url);
  void OnTitleChange(BSTR text);
  void OnBeforeNavigate2(IDispatch* pDisp, VARIANT* url, VARIANT* flags, VARIANT* targetFrameName, VARIANT* postData,
                         VARIANT* headers, VARIANT_BOOL* cancel);
  void OnNewWindow2(IDispatch** ppDisp, VARIANT_BOOL* cancel);
  void OnNewWindow3(IDispatch** ppDisp, VARIANT_BOOL* cancel, DWORD flags, BSTR urlContext, BSTR url);
  void OnNavigateError(IDispatch* pDisp, VARIANT* url, VARIANT* frame, VARIANT* statusCode, VARIANT_BOOL* cancel);
  void OnNavigateComplete2(IDispatch* pDisp, VARIANT* url);

  // IUnknown, shared by both document-host faces.
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // IDispatch of the automation face, over the interface's type information.
  STDMETHODIMP GetTypeInfoCount(UINT* count) override;
  STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
  STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
  STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* excepInfo, UINT* argErr) override;

  // IDocHostUIHandlerDispatch: the answers given to the control host.
  STDMETHODIMP ShowContextMenu(DWORD dwID, DWORD x, DWORD y, IUnknown* pcmdtReserved, IDispatch* pdispReserved,
                               HRESULT* dwRetVal) override;
  STDMETHODIMP GetHostInfo(DWORD* pdwFlags, DWORD* pdwDoubleClick) override;
  STDMETHODIMP ShowUI(DWORD dwID, IUnknown* pActiveObject, IUnknown* pCommandTarget, IUnknown* pFrame,
                      IUnknown* pDoc, HRESULT* dwRetVal) override;
  STDMETHODIMP EnableModeless(VARIANT_BOOL fEnable) override;
  STDMETHODIMP OnDocWindowActivate(VARIANT_BOOL fActivate) override;
  STDMETHODIMP OnFrameWindowActivate(VARIANT_BOOL fActivate) override;
  STDMETHODIMP ResizeBorder(long left, long top, long right, long bottom, IUnknown* pUIWindow,
                            VARIANT_BOOL fFrameWindow) override;
  STDMETHODIMP TranslateAccelerator(DWORD_PTR hWnd, DWORD nMessage, DWORD_PTR wParam, DWORD_PTR lParam,
                                    BSTR bstrGuidCmdGroup, DWORD nCmdID, HRESULT* dwRetVal) override;
  STDMETHODIMP GetDropTarget(IUnknown* pDropTarget, IUnknown** ppDropTarget) override;
  STDMETHODIMP FilterDataObject(IUnknown* pDO, IUnknown** ppDORet) override;

  // IDocHostUIHandler: the answers given to each loaded document.
  STDMETHODIMP ShowContextMenu(DWORD dwID, POINT* ppt, IUnknown* pcmdtReserved, IDispatch* pdispReserved) override;
  STDMETHODIMP GetHostInfo(DOCHOSTUIINFO* pInfo) override;
  STDMETHODIMP ShowUI(DWORD dwID, IOleInPlaceActiveObject* pActiveObject, IOleCommandTarget* pCommandTarget,
                      IOleInPlaceFrame* pFrame, IOleInPlaceUIWindow* pDoc) override;
  STDMETHODIMP EnableModeless(BOOL fEnable) override;
  STDMETHODIMP OnDocWindowActivate(BOOL fActivate) override;
  STDMETHODIMP OnFrameWindowActivate(BOOL fActivate) override;
  STDMETHODIMP ResizeBorder(LPCRECT prcBorder, IOleInPlaceUIWindow* pUIWindow, BOOL fFrameWindow) override;
  STDMETHODIMP TranslateAccelerator(LPMSG lpMsg, const GUID* pguidCmdGroup, DWORD nCmdID) override;
  STDMETHODIMP GetDropTarget(IDropTarget* pDropTarget, IDropTarget** ppDropTarget) override;
  STDMETHODIMP FilterDataObject(IDataObject* pDO, IDataObject** ppDORet) override;

  // Methods whose signature both faces share; both give the same answer.
  STDMETHODIMP HideUI() override;
  STDMETHODIMP UpdateUI() override;
  STDMETHODIMP GetOptionKeyPath(LPOLESTR* pchKey, DWORD dw) override;
  STDMETHODIMP GetExternal(IDispatch** ppDispatch) override;
  STDMETHODIMP TranslateUrl(DWORD dwTranslate, LPWSTR pchURLIn, LPWSTR* ppchURLOut) override;

  CWebNotify m_notify;
  bool m_navigatePending = false;
  IDispatch* m_topDispatch = nullptr;  // compared only, no reference held
  volatile LONG m_refCount = 0;
  std::wstring m_currentUrl;
  std::string m_postData;
  bool m_hideScrollBars = true;
  bool m_blockNavigation = false;
  bool m_blockNewWindows = false;
  bool m_redirectNewWindow = false;

private:
  LRESULT OnCreate(UINT msg, WPARAM wParam, LPARAM lParam);
  void OnDestroy();
  LRESULT OnSetFocus(UINT msg, WPARAM wParam, LPARAM lParam);
  void HideBodyScrollBars(IDispatch* pDisp);
  ComPtr<IWebBrowser2> Browser() const;
  ITypeInfo* TypeInfo();

  ComPtr<ITypeInfo> m_typeInfo;
};
