// The engine's window: a plain drawing of the page (title, address, text, links, frames),
// mouse clicks on links, the context menu, dropped files and the control channel.
#include "standin.h"

#include <shellapi.h>

#include <algorithm>
#include <cwchar>
#include <new>

namespace {

constexpr int MARGIN = 8;
constexpr int SCROLLBAR_WIDTH = 16;
constexpr COLORREF LINK_COLOUR = RGB(0, 0, 204);
constexpr COLORREF GREY = RGB(110, 110, 110);

class Font {
public:
  Font(int height, int weight, bool underline)
      : m_font(::CreateFontW(-height, 0, 0, 0, weight, FALSE, underline, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"SimSun")) {}
  ~Font() {
    if (m_font) ::DeleteObject(m_font);
  }
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;
  HFONT Get() const { return m_font; }

private:
  HFONT m_font;
};

struct Fonts {
  Font title{18, FW_BOLD, false};
  Font text{14, FW_NORMAL, false};
  Font link{14, FW_NORMAL, true};
  Font small{12, FW_NORMAL, false};
};

// Draws `text` word-wrapped from the top of `area`, moves the top down; returns the drawn box.
RECT DrawBlock(HDC dc, RECT& area, const std::wstring& text, HFONT font, COLORREF colour) {
  RECT box = area;
  if (area.top >= area.bottom || text.empty()) return RECT{area.left, area.top, area.left, area.top};
  HGDIOBJ old = ::SelectObject(dc, font);
  ::SetTextColor(dc, colour);
  UINT format = DT_LEFT | DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL;
  ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, format | DT_CALCRECT);
  box.right = std::min(box.right, area.right);
  box.bottom = std::min(box.bottom, area.bottom);
  ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, format);
  ::SelectObject(dc, old);
  area.top = box.bottom + 2;
  return box;
}

std::wstring Hex(DWORD value) {
  wchar_t text[16];
  swprintf(text, 16, L"0x%08lX", static_cast<unsigned long>(value));
  return text;
}

CStandInBrowser* BrowserOf(HWND wnd) {
  return reinterpret_cast<CStandInBrowser*>(::GetWindowLongPtrW(wnd, GWLP_USERDATA));
}

}  // namespace

// Drawing ----------------------------------------------------------------------------------------

namespace {

void DrawPage(HDC dc, RECT area, CStandInBrowser* browser, const Fonts& fonts,
              std::vector<std::pair<RECT, std::pair<CStandInBrowser*, size_t>>>& linkRects, int depth) {
  CStandInDocument* document = browser->Document();
  if (!document) {
    DrawBlock(dc, area, L"(no page)", fonts.small.Get(), GREY);
    return;
  }
  const PageModel& page = document->Page();
  std::wstring title = document->Title().empty() ? document->Url() : document->Title();
  DrawBlock(dc, area, title, fonts.title.Get(), RGB(0, 0, 0));
  DrawBlock(dc, area, document->Url(), fonts.small.Get(), GREY);
  area.top += 4;
  DrawBlock(dc, area, page.text, fonts.text.Get(), RGB(0, 0, 0));
  for (size_t i = 0; i < page.links.size(); ++i) {
    const PageLink& link = page.links[i];
    std::wstring line = L"[" + std::to_wstring(i) + L"] " + (link.text.empty() ? link.href : link.text);
    if (!link.target.empty()) line += L" (" + link.target + L")";
    RECT box = DrawBlock(dc, area, line, fonts.link.Get(), LINK_COLOUR);
    linkRects.push_back({box, {browser, i}});
  }
  for (size_t i = 0; i < document->m_frames.size() && area.top + 40 < area.bottom; ++i) {
    RECT frame = {area.left, area.top + 4, area.right, std::min(area.bottom, area.top + 4 + 160 / depth)};
    ::FrameRect(dc, &frame, static_cast<HBRUSH>(::GetStockObject(GRAY_BRUSH)));
    RECT inner = {frame.left + 6, frame.top + 4, frame.right - 6, frame.bottom - 4};
    DrawPage(dc, inner, document->m_frames[i].Get(), fonts, linkRects, depth + 1);
    area.top = frame.bottom + 4;
  }
}

}  // namespace

void CStandInBrowser::Paint(HDC dc, const RECT& client) {
  ::FillRect(dc, &client, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
  ::SetBkMode(dc, TRANSPARENT);
  m_linkRects.clear();
  RECT area = client;
  DWORD flags = m_document ? m_document->HostFlags() : 0;
  if (!(flags & DOCHOSTUIFLAG_NO3DBORDER)) {
    ::DrawEdge(dc, &area, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
  }
  // The page's scroll bar, unless the host or the body turned it off.
  bool scrollBar = m_document && !(flags & DOCHOSTUIFLAG_SCROLL_NO) && m_document->Body() &&
                   _wcsicmp(m_document->Body()->Scroll().c_str(), L"no") != 0;
  if (scrollBar) {
    RECT bar = {area.right - SCROLLBAR_WIDTH, area.top, area.right, area.bottom};
    ::FillRect(dc, &bar, ::GetSysColorBrush(COLOR_SCROLLBAR));
    RECT thumb = {bar.left + 2, bar.top + SCROLLBAR_WIDTH, bar.right - 2, bar.top + SCROLLBAR_WIDTH + 60};
    ::FillRect(dc, &thumb, ::GetSysColorBrush(COLOR_BTNFACE));
    area.right = bar.left;
  }
  RECT content = {area.left + MARGIN, area.top + MARGIN, area.right - MARGIN, area.bottom - MARGIN};
  Fonts fonts;
  DrawPage(dc, content, this, fonts, m_linkRects, 1);
}

void CStandInBrowser::OnClick(POINT client) {
  for (const auto& [box, link] : m_linkRects) {
    if (::PtInRect(&box, client)) {
      ComPtr<CStandInBrowser> target(link.first);
      target->ClickLink(link.second);
      return;
    }
  }
}

void CStandInBrowser::OnRightClick(POINT client) {
  if (!m_document || !m_wnd) return;
  POINT screen = client;
  ::ClientToScreen(m_wnd, &screen);
  ComPtr<CStandInDocument> document = m_document;
  if (document->QueryContextMenu(screen) == S_OK) return;  // the host showed its own (or none)
  HMENU menu = ::CreatePopupMenu();
  if (!menu) return;
  ::AppendMenuW(menu, MF_STRING, 1, L"Refresh\tF5");
  ::AppendMenuW(menu, MF_STRING | MF_GRAYED, 2, L"Properties");
  UINT chosen = ::TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, 0, m_wnd, nullptr);
  ::DestroyMenu(menu);
  if (chosen == 1) Refresh();
}

void CStandInBrowser::OnWindowDestroyed() {
  m_wnd = nullptr;
  m_linkRects.clear();
  if (m_popup) {
    // The popup's window owned the browser.
    m_popup = false;
    CloseAll();
    Release();
  }
}

void CStandInBrowser::OpenAsPopup() {
  if (!RegisterStandInClasses()) return;
  m_popup = true;
  m_wnd = ::CreateWindowExW(0, STANDIN_VIEW_CLASS, L"Stand-in browser window", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                            CW_USEDEFAULT, CW_USEDEFAULT, 640, 480, nullptr, nullptr, g_module, this);
  if (m_wnd)
    AddRef();  // released when the window goes
  else
    m_popup = false;
}

// The control channel ---------------------------------------------------------------------------

std::wstring CStandInBrowser::StateText() {
  std::wstring s;
  auto line = [&](const wchar_t* key, const std::wstring& value) { s += std::wstring(key) + L"=" + value + L"\n"; };
  VARIANT_BOOL busy = VARIANT_FALSE;
  get_Busy(&busy);
  line(L"url", m_locationUrl);
  line(L"title", m_document ? m_document->Title() : L"");
  line(L"busy", busy ? L"1" : L"0");
  line(L"silent", m_silent ? L"1" : L"0");
  line(L"dropTarget", m_dropTarget ? L"1" : L"0");
  size_t sinks = 0;
  if (m_events) {
    ComPtr<IEnumConnections> connections;
    if (SUCCEEDED(m_events->EnumConnections(connections.Put()))) {
      CONNECTDATA data;
      while (connections->Next(1, &data, nullptr) == S_OK) {
        data.pUnk->Release();
        ++sinks;
      }
    }
  }
  line(L"sinks", std::to_wstring(sinks));
  line(L"uiHandler", m_document && m_document->HasInstalledHandler() ? L"1" : L"0");
  line(L"hostFlags", Hex(m_document ? m_document->HostFlags() : 0));
  line(L"scroll", m_document && m_document->Body() ? m_document->Body()->Scroll() : L"");
  line(L"links", std::to_wstring(m_document ? m_document->Page().links.size() : 0));
  size_t frames = m_document ? m_document->m_frames.size() : 0;
  line(L"frames", std::to_wstring(frames));
  for (size_t i = 0; i < frames; ++i) {
    CStandInBrowser* frame = m_document->m_frames[i].Get();
    std::wstring key = L"frame" + std::to_wstring(i);
    line((key + L".url").c_str(), frame->m_locationUrl);
    CStandInDocument* doc = frame->Document();
    line((key + L".scroll").c_str(), doc && doc->Body() ? doc->Body()->Scroll() : L"");
  }
  return s;
}

std::wstring CStandInBrowser::HandleCommand(const std::wstring& command, bool& ok) {
  ok = true;
  ComPtr<CStandInBrowser> keep(this);
  size_t space = command.find(L' ');
  std::wstring verb = command.substr(0, space);
  std::wstring arg = space == std::wstring::npos ? std::wstring() : command.substr(space + 1);
  std::wstring base = m_document ? m_document->Url() : m_locationUrl;

  if (verb == L"navigate" && !arg.empty()) {
    NavigateAsPage(ResolveUrl(base, arg), 0, L"", nullptr, L"");
    return L"ok";
  }
  if (verb == L"post" && !arg.empty()) {
    size_t sep = arg.find(L' ');
    std::wstring url = arg.substr(0, sep);
    std::wstring body = sep == std::wstring::npos ? std::wstring() : arg.substr(sep + 1);
    std::string bytes;
    int n = ::WideCharToMultiByte(CP_UTF8, 0, body.data(), static_cast<int>(body.size()), nullptr, 0, nullptr, nullptr);
    bytes.resize(static_cast<size_t>(n));
    if (n > 0)
      ::WideCharToMultiByte(CP_UTF8, 0, body.data(), static_cast<int>(body.size()), bytes.data(), n, nullptr, nullptr);
    NavigateAsPage(ResolveUrl(base, url), 0, L"", &bytes, L"Content-Type: application/x-www-form-urlencoded\r\n");
    return L"ok";
  }
  if (verb == L"open" && !arg.empty()) {
    OpenNewWindow(ResolveUrl(base, arg), NWMF_FIRST);
    return L"ok";
  }
  if (verb == L"title") {
    if (!m_document) {
      ok = false;
      return L"error: no document";
    }
    SetTitleAsPage(arg);
    return L"ok";
  }
  if (verb == L"click" || verb == L"frameclick") {
    CStandInBrowser* target = this;
    wchar_t* end = nullptr;
    unsigned long index = std::wcstoul(arg.c_str(), &end, 10);
    if (verb == L"frameclick") {
      if (!m_document || index >= m_document->m_frames.size()) {
        ok = false;
        return L"error: no such frame";
      }
      target = m_document->m_frames[index].Get();
      index = std::wcstoul(end, &end, 10);
    }
    ComPtr<CStandInBrowser> keepTarget(target);
    if (arg.empty() || !target->ClickLink(index)) {
      ok = false;
      return L"error: no such link";
    }
    return L"ok";
  }
  if (verb == L"url") return m_locationUrl;
  if (verb == L"state") return StateText();
  if (verb == L"external" || verb == L"contextmenu" || verb == L"hostinfo") {
    ComPtr<CStandInDocument> document = m_document;
    if (!document) {
      ok = false;
      return L"error: no document";
    }
    if (verb == L"external") return document->QueryExternal() ? L"object" : L"null";
    if (verb == L"hostinfo") {
      DWORD flags = document->QueryHostFlags();
      InvalidateView();
      return Hex(flags);
    }
    POINT screen = {MARGIN, MARGIN};
    if (m_wnd) ::ClientToScreen(m_wnd, &screen);
    HRESULT hr = document->QueryContextMenu(screen);
    return hr == S_OK ? L"host" : hr == S_FALSE ? L"document" : Hex(static_cast<DWORD>(hr));
  }
  if (verb == L"stop") {
    StopAll();
    return L"ok";
  }
  if (verb == L"refresh") {
    Refresh();
    return L"ok";
  }
  ok = false;
  return L"error: unknown command";
}

// The window procedure ---------------------------------------------------------------------------

LRESULT CALLBACK StandInViewWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
    ::SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    return ::DefWindowProcW(wnd, msg, wParam, lParam);
  }
  CStandInBrowser* browser = BrowserOf(wnd);
  if (!browser) return ::DefWindowProcW(wnd, msg, wParam, lParam);
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = ::BeginPaint(wnd, &ps);
      RECT client;
      ::GetClientRect(wnd, &client);
      HDC memory = ::CreateCompatibleDC(dc);
      HBITMAP bitmap = ::CreateCompatibleBitmap(dc, client.right, client.bottom);
      if (memory && bitmap) {
        HGDIOBJ old = ::SelectObject(memory, bitmap);
        browser->Paint(memory, client);
        ::BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
        ::SelectObject(memory, old);
      } else {
        browser->Paint(dc, client);
      }
      if (bitmap) ::DeleteObject(bitmap);
      if (memory) ::DeleteDC(memory);
      ::EndPaint(wnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_LBUTTONDOWN:
      ::SetFocus(wnd);
      return 0;
    case WM_LBUTTONUP: {
      ComPtr<CStandInBrowser> keep(browser);
      browser->OnClick(POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
      return 0;
    }
    case WM_RBUTTONUP: {
      ComPtr<CStandInBrowser> keep(browser);
      browser->OnRightClick(POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
      return 0;
    }
    case WM_GETDLGCODE:
      return DLGC_WANTALLKEYS;
    case WM_DROPFILES: {
      auto drop = reinterpret_cast<HDROP>(wParam);
      wchar_t path[MAX_PATH] = {};
      if (::DragQueryFileW(drop, 0, path, MAX_PATH)) {
        std::wstring url = L"file:///" + std::wstring(path);
        for (auto& c : url)
          if (c == L'\\') c = L'/';
        ComPtr<CStandInBrowser> keep(browser);
        browser->NavigateAsPage(url, 0, L"", nullptr, L"");
      }
      ::DragFinish(drop);
      return 0;
    }
    case WM_COPYDATA: {
      auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
      if (!data || data->dwData != STANDIN_COMMAND) return FALSE;
      std::wstring command(static_cast<const wchar_t*>(data->lpData), data->cbData / sizeof(wchar_t));
      while (!command.empty() && (command.back() == L'\0' || command.back() == L'\n' || command.back() == L'\r'))
        command.pop_back();
      ComPtr<CStandInBrowser> keep(browser);
      bool ok = false;
      std::wstring reply = browser->HandleCommand(command, ok);
      HWND replyTo = reinterpret_cast<HWND>(wParam);
      if (replyTo && ::IsWindow(replyTo)) {
        COPYDATASTRUCT answer{STANDIN_REPLY, static_cast<DWORD>((reply.size() + 1) * sizeof(wchar_t)),
                              const_cast<wchar_t*>(reply.c_str())};
        ::SendMessageW(replyTo, WM_COPYDATA, reinterpret_cast<WPARAM>(wnd), reinterpret_cast<LPARAM>(&answer));
      }
      return ok ? TRUE : FALSE;
    }
    case WM_DESTROY:
      ::SetWindowLongPtrW(wnd, GWLP_USERDATA, 0);
      browser->OnWindowDestroyed();
      return 0;
    default:
      return ::DefWindowProcW(wnd, msg, wParam, lParam);
  }
}
