// The in-process server: the class object for CLSID_WebBrowser and the module's lifetime.
#include "standin.h"

#include <new>

HINSTANCE g_module = nullptr;

namespace {

LONG g_locks = 0;  // live objects and server locks

class CClassFactory final : public IClassFactory {
public:
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
      *out = static_cast<IClassFactory*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override {
    ModuleAddRef();
    return 2;
  }
  STDMETHODIMP_(ULONG) Release() override {
    ModuleRelease();
    return 1;
  }
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    if (!RegisterStandInClasses()) return E_FAIL;
    auto* browser = new (std::nothrow) CStandInBrowser();
    if (!browser) return E_OUTOFMEMORY;
    HRESULT hr = browser->QueryInterface(iid, out);
    browser->Release();
    return hr;
  }
  STDMETHODIMP LockServer(BOOL lock) override {
    if (lock)
      ModuleAddRef();
    else
      ModuleRelease();
    return S_OK;
  }
};

CClassFactory g_factory;

}  // namespace

void ModuleAddRef() { ::InterlockedIncrement(&g_locks); }
void ModuleRelease() { ::InterlockedDecrement(&g_locks); }

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_module = instance;
    ::DisableThreadLibraryCalls(instance);
  } else if (reason == DLL_PROCESS_DETACH && !reserved) {
    UnregisterStandInClasses();  // unloaded while the process goes on
  }
  return TRUE;
}

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (clsid != CLSID_WebBrowser) return CLASS_E_CLASSNOTAVAILABLE;
  return g_factory.QueryInterface(iid, out);
}

// Fetch threads hold a module reference of their own (see StartLoad), so only objects count.
extern "C" HRESULT WINAPI DllCanUnloadNow() { return g_locks == 0 ? S_OK : S_FALSE; }
