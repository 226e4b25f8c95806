// The browser view every form sets up the same way: a blank start, the form's handler,
// no new windows of the page's own, then the form's first page.
#pragma once

#include "browser/browser_view.h"

#include <string>

template <class TForm>
void OpenFormView(CBrowserView& view, HWND parent, const RECT& rect, TForm* form,
                  FCWebNotifyEventHandler<TForm> handler, const std::wstring& url) {
  view.CreateBrowser(parent, rect, L"about:blank");
  view.m_notify.AddHandler(form, handler);
  view.m_blockNewWindows = true;
  view.Navigate(url, "");
}
