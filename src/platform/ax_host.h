// Our control host: a window class whose windows create the ActiveX control named by their
// window text (a URL gives the WebBrowser control showing that URL) and act as its OLE
// container. The host object is reached through its window; CAxWindow wraps the calls.
#pragma once

#include "platform/com_ptr.h"
#include "platform/doc_host_dispatch.h"
#include "platform/win.h"

#include <mshtmhst.h>
#include <ole2.h>

// Sent to a host window with lParam a MSG*: the control may translate it as an accelerator;
// the result is nonzero when the control consumed the message.
constexpr UINT WM_FORWARDMSG = 0x037F;

// The host window class; registered by AxWinInit.
inline constexpr const wchar_t* AX_HOST_CLASS = L"KXAxHostWindow";

// Registers the host window class in this process (idempotent). False when that fails.
bool AxWinInit();

// The container of one control, owned by its host window (which holds one reference).
class CAxHost final : public IOleClientSite,
                      public IOleInPlaceSite,
                      public IOleInPlaceFrame,
                      public IDocHostUIHandler {
public:
  explicit CAxHost(HWND wnd);
  CAxHost(const CAxHost&) = delete;
  CAxHost& operator=(const CAxHost&) = delete;

  // Creates and in-place activates the control named by `text`: a class id in braces, a
  // ProgID, or otherwise a URL shown by the WebBrowser control.
  HRESULT CreateControl(const wchar_t* text);
  HRESULT QueryControl(REFIID iid, void** out) const;
  // The object the site's document-host answers come from; null restores the defaults.
  void SetExternalUIHandler(IDocHostUIHandlerDispatch* handler);
  // Offers a message to the control's accelerator handling; true when consumed.
  bool TranslateAcceleratorForControl(MSG* msg);
  void Resize();
  void OnSetFocus();
  // Deactivates and releases the control (the window is going away).
  void ReleaseControl();
  bool HasActiveControl() const { return m_inPlaceActive; }

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // IOleClientSite
  STDMETHODIMP SaveObject() override;
  STDMETHODIMP GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
  STDMETHODIMP GetContainer(IOleContainer** container) override;
  STDMETHODIMP ShowObject() override;
  STDMETHODIMP OnShowWindow(BOOL show) override;
  STDMETHODIMP RequestNewObjectLayout() override;

  // IOleWindow (of the site and of the frame)
  STDMETHODIMP GetWindow(HWND* wnd) override;
  STDMETHODIMP ContextSensitiveHelp(BOOL enterMode) override;

  // IOleInPlaceSite
  STDMETHODIMP CanInPlaceActivate() override;
  STDMETHODIMP OnInPlaceActivate() override;
  STDMETHODIMP OnUIActivate() override;
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT posRect,
                                LPRECT clipRect, LPOLEINPLACEFRAMEINFO frameInfo) override;
  STDMETHODIMP Scroll(SIZE extent) override;
  STDMETHODIMP OnUIDeactivate(BOOL undoable) override;
  STDMETHODIMP OnInPlaceDeactivate() override;
  STDMETHODIMP DiscardUndoState() override;
  STDMETHODIMP DeactivateAndUndo() override;
  STDMETHODIMP OnPosRectChange(LPCRECT posRect) override;

  // IOleInPlaceUIWindow
  STDMETHODIMP GetBorder(LPRECT border) override;
  STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS widths) override;
  STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS widths) override;
  STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject* active, LPCOLESTR name) override;

  // IOleInPlaceFrame
  STDMETHODIMP InsertMenus(HMENU shared, LPOLEMENUGROUPWIDTHS widths) override;
  STDMETHODIMP SetMenu(HMENU shared, HOLEMENU olemenu, HWND activeObject) override;
  STDMETHODIMP RemoveMenus(HMENU shared) override;
  STDMETHODIMP SetStatusText(LPCOLESTR text) override;
  STDMETHODIMP EnableModeless(BOOL enable) override;  // also IDocHostUIHandler's
  STDMETHODIMP TranslateAccelerator(LPMSG msg, WORD id) override;

  // IDocHostUIHandler: the external handler's answers, or the defaults without one.
  STDMETHODIMP ShowContextMenu(DWORD id, POINT* pt, IUnknown* commandTarget, IDispatch* objectHit) override;
  STDMETHODIMP GetHostInfo(DOCHOSTUIINFO* info) override;
  STDMETHODIMP ShowUI(DWORD id, IOleInPlaceActiveObject* active, IOleCommandTarget* commandTarget,
                      IOleInPlaceFrame* frame, IOleInPlaceUIWindow* doc) override;
  STDMETHODIMP HideUI() override;
  STDMETHODIMP UpdateUI() override;
  STDMETHODIMP OnDocWindowActivate(BOOL activate) override;
  STDMETHODIMP OnFrameWindowActivate(BOOL activate) override;
  STDMETHODIMP ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* uiWindow, BOOL frameWindow) override;
  STDMETHODIMP TranslateAccelerator(LPMSG msg, const GUID* cmdGroup, DWORD cmdId) override;
  STDMETHODIMP GetOptionKeyPath(LPOLESTR* key, DWORD reserved) override;
  STDMETHODIMP GetDropTarget(IDropTarget* dropTarget, IDropTarget** replacement) override;
  STDMETHODIMP GetExternal(IDispatch** external) override;
  STDMETHODIMP TranslateUrl(DWORD translate, LPWSTR urlIn, LPWSTR* urlOut) override;
  STDMETHODIMP FilterDataObject(IDataObject* dataObject, IDataObject** replacement) override;

  // The host flags a document gets when no external handler changes them.
  static constexpr DWORD DEFAULT_DOCHOST_FLAGS = DOCHOSTUIFLAG_NO3DBORDER;

private:
  ~CAxHost();
  RECT ClientRect() const;

  LONG m_refCount = 1;
  HWND m_hWnd;
  ComPtr<IUnknown> m_control;
  ComPtr<IOleObject> m_oleObject;
  ComPtr<IOleInPlaceObject> m_inPlaceObject;
  ComPtr<IOleInPlaceActiveObject> m_activeObject;
  ComPtr<IDocHostUIHandlerDispatch> m_externalUIHandler;
  bool m_inPlaceActive = false;
  bool m_uiActive = false;
};

// The host object of a host window (no reference added), or null.
CAxHost* AxGetHost(HWND wnd);

// Calls on a host window, as a window that hosts a control offers them.
class CAxWindow {
public:
  explicit CAxWindow(HWND wnd = nullptr) : m_hWnd(wnd) {}
  static const wchar_t* GetWndClassName() { return AX_HOST_CLASS; }

  HRESULT QueryControl(REFIID iid, void** out) const;
  template <typename Q>
  ComPtr<Q> QueryControl(REFIID iid) const {
    ComPtr<Q> out;
    QueryControl(iid, out.PutVoid());
    return out;
  }
  HRESULT SetExternalUIHandler(IDocHostUIHandlerDispatch* handler) const;

  HWND m_hWnd;
};
