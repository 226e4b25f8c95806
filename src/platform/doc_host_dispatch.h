// The automation form of the document-host UI handler: a control host hands the document's
// questions (context menu, host flags, window.external, ...) to an object of this interface,
// which a host's owner can implement without knowing the document's own interfaces.
#pragma once

#include "platform/win.h"

#include <oaidl.h>

// {425B5AF0-65F1-11D1-9611-0000F81E0D0D}
inline constexpr IID IID_IDocHostUIHandlerDispatch = {
    0x425b5af0, 0x65f1, 0x11d1, {0x96, 0x11, 0x00, 0x00, 0xf8, 0x1e, 0x0d, 0x0d}};

// Methods in interface order; the result arguments carry the HRESULT the host returns to
// the document.
struct IDocHostUIHandlerDispatch : public IDispatch {
  virtual HRESULT STDMETHODCALLTYPE ShowContextMenu(DWORD dwID, DWORD x, DWORD y, IUnknown* pcmdtReserved,
                                                    IDispatch* pdispReserved, HRESULT* dwRetVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetHostInfo(DWORD* pdwFlags, DWORD* pdwDoubleClick) = 0;
  virtual HRESULT STDMETHODCALLTYPE ShowUI(DWORD dwID, IUnknown* pActiveObject, IUnknown* pCommandTarget,
                                           IUnknown* pFrame, IUnknown* pDoc, HRESULT* dwRetVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE HideUI() = 0;
  virtual HRESULT STDMETHODCALLTYPE UpdateUI() = 0;
  virtual HRESULT STDMETHODCALLTYPE EnableModeless(VARIANT_BOOL fEnable) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnDocWindowActivate(VARIANT_BOOL fActivate) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(VARIANT_BOOL fActivate) = 0;
  virtual HRESULT STDMETHODCALLTYPE ResizeBorder(long left, long top, long right, long bottom, IUnknown* pUIWindow,
                                                 VARIANT_BOOL fFrameWindow) = 0;
  virtual HRESULT STDMETHODCALLTYPE TranslateAccelerator(DWORD_PTR hWnd, DWORD nMessage, DWORD_PTR wParam,
                                                         DWORD_PTR lParam, BSTR bstrGuidCmdGroup, DWORD nCmdID,
                                                         HRESULT* dwRetVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetOptionKeyPath(BSTR* pbstrKey, DWORD dw) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetDropTarget(IUnknown* pDropTarget, IUnknown** ppDropTarget) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetExternal(IDispatch** ppDispatch) = 0;
  virtual HRESULT STDMETHODCALLTYPE TranslateUrl(DWORD dwTranslate, BSTR bstrURLIn, BSTR* pbstrURLOut) = 0;
  virtual HRESULT STDMETHODCALLTYPE FilterDataObject(IUnknown* pDO, IUnknown** ppDORet) = 0;
};

// Type information of the interface for IDispatch implementations (GetTypeInfo, GetIDsOfNames
// and Invoke through the automation library); dispatch ids 1 to 15 in method order.
// Returns a new reference, or null when it cannot be built.
ITypeInfo* CreateDocHostUIHandlerDispatchTypeInfo();
