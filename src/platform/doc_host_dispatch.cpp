#include "platform/doc_host_dispatch.h"

#include <oleauto.h>

namespace {

constexpr VARTYPE VT_DWORD_PTR = sizeof(DWORD_PTR) == 8 ? VT_UI8 : VT_UI4;
// The methods start after IUnknown's three and IDispatch's four slots.
constexpr UINT FIRST_SLOT = 7;

// The automation library takes non-const names.
OLECHAR* Name(const wchar_t* s) { return const_cast<OLECHAR*>(s); }

}  // namespace

ITypeInfo* CreateDocHostUIHandlerDispatchTypeInfo() {
  static PARAMDATA showContextMenu[] = {{Name(L"dwID"), VT_UI4},          {Name(L"x"), VT_UI4},
                                        {Name(L"y"), VT_UI4},             {Name(L"pcmdtReserved"), VT_UNKNOWN},
                                        {Name(L"pdispReserved"), VT_DISPATCH}, {Name(L"dwRetVal"), VT_BYREF | VT_I4}};
  static PARAMDATA getHostInfo[] = {{Name(L"pdwFlags"), VT_BYREF | VT_UI4},
                                    {Name(L"pdwDoubleClick"), VT_BYREF | VT_UI4}};
  static PARAMDATA showUI[] = {{Name(L"dwID"), VT_UI4},           {Name(L"pActiveObject"), VT_UNKNOWN},
                               {Name(L"pCommandTarget"), VT_UNKNOWN}, {Name(L"pFrame"), VT_UNKNOWN},
                               {Name(L"pDoc"), VT_UNKNOWN},        {Name(L"dwRetVal"), VT_BYREF | VT_I4}};
  static PARAMDATA enable[] = {{Name(L"fEnable"), VT_BOOL}};
  static PARAMDATA activate[] = {{Name(L"fActivate"), VT_BOOL}};
  static PARAMDATA resizeBorder[] = {{Name(L"left"), VT_I4},       {Name(L"top"), VT_I4},
                                     {Name(L"right"), VT_I4},      {Name(L"bottom"), VT_I4},
                                     {Name(L"pUIWindow"), VT_UNKNOWN}, {Name(L"fFrameWindow"), VT_BOOL}};
  static PARAMDATA translateAccelerator[] = {{Name(L"hWnd"), VT_DWORD_PTR},     {Name(L"nMessage"), VT_UI4},
                                             {Name(L"wParam"), VT_DWORD_PTR},   {Name(L"lParam"), VT_DWORD_PTR},
                                             {Name(L"bstrGuidCmdGroup"), VT_BSTR}, {Name(L"nCmdID"), VT_UI4},
                                             {Name(L"dwRetVal"), VT_BYREF | VT_I4}};
  static PARAMDATA getOptionKeyPath[] = {{Name(L"pbstrKey"), VT_BYREF | VT_BSTR}, {Name(L"dw"), VT_UI4}};
  static PARAMDATA getDropTarget[] = {{Name(L"pDropTarget"), VT_UNKNOWN},
                                      {Name(L"ppDropTarget"), VT_BYREF | VT_UNKNOWN}};
  static PARAMDATA getExternal[] = {{Name(L"ppDispatch"), VT_BYREF | VT_DISPATCH}};
  static PARAMDATA translateUrl[] = {{Name(L"dwTranslate"), VT_UI4},
                                     {Name(L"bstrURLIn"), VT_BSTR},
                                     {Name(L"pbstrURLOut"), VT_BYREF | VT_BSTR}};
  static PARAMDATA filterDataObject[] = {{Name(L"pDO"), VT_UNKNOWN}, {Name(L"ppDORet"), VT_BYREF | VT_UNKNOWN}};

#define KX_METHOD(name, params, slot) \
  {Name(name), params, (slot) + 1, FIRST_SLOT + (slot), CC_STDCALL, sizeof(params) / sizeof(PARAMDATA), \
   DISPATCH_METHOD, VT_HRESULT}
#define KX_METHOD0(name, slot) \
  {Name(name), nullptr, (slot) + 1, FIRST_SLOT + (slot), CC_STDCALL, 0, DISPATCH_METHOD, VT_HRESULT}
  static METHODDATA methods[] = {
      KX_METHOD(L"ShowContextMenu", showContextMenu, 0),
      KX_METHOD(L"GetHostInfo", getHostInfo, 1),
      KX_METHOD(L"ShowUI", showUI, 2),
      KX_METHOD0(L"HideUI", 3),
      KX_METHOD0(L"UpdateUI", 4),
      KX_METHOD(L"EnableModeless", enable, 5),
      KX_METHOD(L"OnDocWindowActivate", activate, 6),
      KX_METHOD(L"OnFrameWindowActivate", activate, 7),
      KX_METHOD(L"ResizeBorder", resizeBorder, 8),
      KX_METHOD(L"TranslateAccelerator", translateAccelerator, 9),
      KX_METHOD(L"GetOptionKeyPath", getOptionKeyPath, 10),
      KX_METHOD(L"GetDropTarget", getDropTarget, 11),
      KX_METHOD(L"GetExternal", getExternal, 12),
      KX_METHOD(L"TranslateUrl", translateUrl, 13),
      KX_METHOD(L"FilterDataObject", filterDataObject, 14),
  };
#undef KX_METHOD
#undef KX_METHOD0
  static INTERFACEDATA data = {methods, sizeof(methods) / sizeof(methods[0])};

  ITypeInfo* info = nullptr;
  if (FAILED(::CreateDispTypeInfo(&data, LOCALE_SYSTEM_DEFAULT, &info)) || !info) return nullptr;
  // Some implementations describe the interface inside a class: Invoke needs the interface.
  TYPEATTR* attr = nullptr;
  if (SUCCEEDED(info->GetTypeAttr(&attr))) {
    bool isClass = attr->typekind == TKIND_COCLASS;
    info->ReleaseTypeAttr(attr);
    HREFTYPE ref = 0;
    ITypeInfo* iface = nullptr;
    if (isClass && SUCCEEDED(info->GetRefTypeOfImplType(0, &ref)) && SUCCEEDED(info->GetRefTypeInfo(ref, &iface))) {
      info->Release();
      info = iface;
    }
  }
  return info;
}
