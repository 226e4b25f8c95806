// Shows the launcher's first window as the user sees it, without the login page: the layered
// background window with its artwork and, lying over it, a colour-keyed form with the login
// window's six buttons and its network-error label. Ends by itself after the number of seconds
// given on the command line (default 15), or when its windows are closed.
#include "forms/form_back.h"
#include "shell/global_module.h"
#include "skin/button.h"
#include "skin/drawing.h"
#include "skin/label.h"
#include "skin/picture.h"

#include <cstdlib>
#include <shellapi.h>

namespace {

const wchar_t* const SKIN_CLASS = L"VoPravikSkinShot";

class CSkinShot : public CKXForm {
public:
  bool Build(HINSTANCE instance, HWND owner);
  LRESULT WindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_DESTROY) ::PostQuitMessage(0);
    return CKXForm::WindowProc(wnd, msg, wParam, lParam);
  }

  CKXImage m_imgBackground;
  CKXButton m_btnClose;
  CKXButton m_btnMinimize;
  CKXButton m_btnHomepage;
  CKXButton m_btnService;
  CKXButton m_btnRecharge;
  CKXButton m_btnForum;
  CKXLabel m_lblNetError;
};

CSkinShot* g_skin = nullptr;

LRESULT CALLBACK SkinProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (g_skin && g_skin->GetHwnd() == wnd && g_skin->WindowProc(wnd, msg, wParam, lParam) == 0) return 0;
  return ::DefWindowProcW(wnd, msg, wParam, lParam);
}

bool CSkinShot::Build(HINSTANCE instance, HWND owner) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = SkinProc;
  wc.hInstance = instance;
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = SKIN_CLASS;
  if (!::RegisterClassExW(&wc) || !Create(SKIN_CLASS, L"", instance, owner)) return false;
  KeepStyleBits(m_hWnd, 0x7F30FF7F, WS_SYSMENU | WS_MINIMIZEBOX);
  ChangeExStyle(m_hWnd, WS_EX_DLGMODALFRAME | WS_EX_TOOLWINDOW | WS_EX_WINDOWEDGE, WS_EX_LAYERED);
  ::SetLayeredWindowAttributes(m_hWnd, SKIN_KEY_COLOR, 0, LWA_COLORKEY);

  m_imgBackground.m_hasAlpha = LoadSkinImage(instance, m_imgBackground.m_image, 183);
  m_imgBackground.m_transparent = false;
  m_imgBackground.m_stretch = true;
  m_imgBackground.m_margins = {5, 5, 5, 5};
  m_imgBackground.SetRect({0, 0, 1024, 700});
  AddControl(&m_imgBackground);

  struct Placement {
    CKXButton* button;
    UINT normal, hover;
    RECT rect;
  } buttons[] = {
      {&m_btnMinimize, 192, 193, {889, 91, 912, 114}},   {&m_btnClose, 188, 189, {910, 104, 939, 133}},
      {&m_btnHomepage, 194, 195, {307, 120, 407, 149}},  {&m_btnRecharge, 198, 199, {426, 122, 526, 151}},
      {&m_btnService, 200, 201, {680, 121, 780, 150}},   {&m_btnForum, 190, 191, {796, 124, 896, 153}},
  };
  for (const Placement& p : buttons) {
    p.button->SetImages(p.normal, p.hover, p.hover, instance);
    p.button->SetRect(p.rect);
    p.button->m_cursor = ::LoadCursorW(nullptr, IDC_HAND);
    p.button->m_stretch = true;
    AddControl(p.button);
  }

  m_lblNetError.SetRect({453, 345, 773, 371});
  m_lblNetError.m_hostWnd = m_hWnd;
  m_lblNetError.SetTextColor(0x00FFFF, false);
  m_lblNetError.SetUnderline(1, false);
  m_lblNetError.SetFontSize(26, 0, false);
  m_lblNetError.m_cursor = ::LoadCursorW(nullptr, IDC_HAND);
  m_lblNetError.SetText(L"检测到您的网络异常，点击这里重试！", false);
  AddControl(&m_lblNetError);
  return true;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
  int seconds = 15;
  int argc = 0;
  if (LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc)) {
    if (argc > 1 && std::wcstol(argv[1], nullptr, 10) > 0) seconds = static_cast<int>(std::wcstol(argv[1], nullptr, 10));
    ::LocalFree(argv);
  }

  CGlobalModule& app = g_GlobalModule;
  app.m_hInstance = instance;
  ::LoadStringW(instance, 103, app.m_szTitle, 100);
  ::LoadStringW(instance, 109, app.m_szWindowClass, 100);
  if (!RegisterWindowClass(instance)) return 2;

  CFormBack& back = app.m_formBack;
  back.SetRect({0, 0, 1024, 700});
  back.CreateForm();
  ShowOnWorkArea(back, 0, false);

  CSkinShot skin;
  g_skin = &skin;
  skin.SetRect({0, 0, 1024, 700});
  if (!skin.Build(instance, back.GetHwnd())) return 3;
  POINT origin{0, 0};
  ::ClientToScreen(back.GetHwnd(), &origin);
  ::SetWindowPos(skin.GetHwnd(), HWND_TOP, origin.x, origin.y, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
  ::UpdateWindow(skin.GetHwnd());

  ::SetTimer(nullptr, 0, static_cast<UINT>(seconds) * 1000, nullptr);
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_TIMER && !msg.hwnd) break;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  g_skin = nullptr;
  if (::IsWindow(skin.GetHwnd())) ::DestroyWindow(skin.GetHwnd());
  if (::IsWindow(back.GetHwnd())) ::DestroyWindow(back.GetHwnd());
  return 0;
}
