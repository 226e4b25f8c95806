#include "screenshot.h"

#include "paths.h"
#include "platform/handles.h"

#include <objidl.h>
#include <gdiplus.h>

#include <memory>
#include <vector>

namespace {

bool PngEncoder(CLSID* clsid) {
  UINT count = 0, size = 0;
  if (Gdiplus::GetImageEncodersSize(&count, &size) != Gdiplus::Ok || size == 0) return false;
  std::vector<BYTE> buffer(size);
  auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
  if (Gdiplus::GetImageEncoders(count, size, codecs) != Gdiplus::Ok) return false;
  for (UINT i = 0; i < count; ++i)
    if (std::wstring(codecs[i].MimeType) == L"image/png") {
      *clsid = codecs[i].Clsid;
      return true;
    }
  return false;
}

}  // namespace

std::wstring ScreenshotPath(const std::wstring& name) {
  std::wstring folder = BuildPath(L"screenshots");
  ::CreateDirectoryW(folder.c_str(), nullptr);
  return folder + L"\\" + name;
}

bool SaveScreenshot(const std::wstring& path) {
  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return false;
  bool saved = false;
  {
    const int w = ::GetSystemMetrics(SM_CXSCREEN), h = ::GetSystemMetrics(SM_CYSCREEN);
    WindowDC screen(nullptr);
    UniqueMemDC memory(::CreateCompatibleDC(screen.Get()));
    UniqueGdiObject bitmap(::CreateCompatibleBitmap(screen.Get(), w, h));
    if (memory && bitmap) {
      {
        SelectObjectScope select(memory.Get(), bitmap.Get());
        ::BitBlt(memory.Get(), 0, 0, w, h, screen.Get(), 0, 0, SRCCOPY);
      }
      CLSID png;
      Gdiplus::Bitmap image(static_cast<HBITMAP>(bitmap.Get()), nullptr);
      saved = PngEncoder(&png) && image.Save(path.c_str(), &png, nullptr) == Gdiplus::Ok;
    }
  }
  Gdiplus::GdiplusShutdown(token);
  return saved;
}
