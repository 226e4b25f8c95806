#include "platform/image.h"

#include "platform/handles.h"

#include <gdiplus.h>

#include <cstring>
#include <memory>
#include <utility>
#include <vector>

namespace {

namespace gp = Gdiplus;
namespace flat = Gdiplus::DllExports;

// GDI+ is started the first time a picture is decoded and shut down when the program ends.
class GdiplusSession {
public:
  GdiplusSession() {
    gp::GdiplusStartupInput input{};
    input.GdiplusVersion = 1;
    m_ok = gp::GdiplusStartup(&m_token, &input, nullptr) == gp::Ok;
  }
  ~GdiplusSession() {
    if (m_ok) gp::GdiplusShutdown(m_token);
  }
  bool Ok() const { return m_ok; }

private:
  ULONG_PTR m_token = 0;
  bool m_ok = false;
};

bool StartGdiplus() {
  static GdiplusSession session;
  return session.Ok();
}

struct GpBitmapDeleter {
  void operator()(gp::GpBitmap* bitmap) const { flat::GdipDisposeImage(bitmap); }
};

// The bitmap selected into a memory DC for the life of the scope.
class BitmapDC {
public:
  explicit BitmapDC(HBITMAP bitmap) : m_dc(::CreateCompatibleDC(nullptr)) {
    if (m_dc) m_old = ::SelectObject(m_dc.Get(), bitmap);
  }
  ~BitmapDC() {
    if (m_old) ::SelectObject(m_dc.Get(), m_old);
  }
  BitmapDC(const BitmapDC&) = delete;
  BitmapDC& operator=(const BitmapDC&) = delete;
  HDC Get() const { return m_old ? m_dc.Get() : nullptr; }

private:
  UniqueMemDC m_dc;
  HGDIOBJ m_old = nullptr;
};

int PitchOf(int width, int bitsPerPixel) { return ((width * bitsPerPixel + 31) / 32) * 4; }

}  // namespace

CImage::CImage(CImage&& other) noexcept { *this = std::move(other); }

CImage& CImage::operator=(CImage&& other) noexcept {
  if (this != &other) {
    Destroy();
    m_bitmap = std::exchange(other.m_bitmap, nullptr);
    m_width = std::exchange(other.m_width, 0);
    m_height = std::exchange(other.m_height, 0);
    m_bpp = std::exchange(other.m_bpp, 0);
    m_pitch = std::exchange(other.m_pitch, 0);
    m_bits = std::exchange(other.m_bits, nullptr);
    m_hasAlpha = std::exchange(other.m_hasAlpha, false);
  }
  return *this;
}

bool CImage::Create(int width, int height, int bitsPerPixel, bool hasAlpha) {
  if (bitsPerPixel != 24 && bitsPerPixel != 32) {
    Destroy();
    return false;
  }
  if (!CreateDib(width, height, bitsPerPixel, nullptr, 0, nullptr)) return false;
  m_hasAlpha = hasAlpha && bitsPerPixel == 32;
  return true;
}

bool CImage::CreateDib(int width, int height, int bitsPerPixel, const RGBQUAD* colors, int colorCount,
                       const DWORD* masks) {
  Destroy();
  if (width <= 0 || height <= 0) return false;
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD table[256];
  } info{};
  info.header.biSize = sizeof(BITMAPINFOHEADER);
  info.header.biWidth = width;
  info.header.biHeight = -height;  // top-down: row 0 is the top row
  info.header.biPlanes = 1;
  info.header.biBitCount = static_cast<WORD>(bitsPerPixel);
  info.header.biCompression = BI_RGB;
  if (masks) {
    info.header.biCompression = BI_BITFIELDS;
    std::memcpy(info.table, masks, 3 * sizeof(DWORD));
  } else if (colors && colorCount > 0) {
    colorCount = colorCount > 256 ? 256 : colorCount;
    info.header.biClrUsed = static_cast<DWORD>(colorCount);
    std::memcpy(info.table, colors, static_cast<size_t>(colorCount) * sizeof(RGBQUAD));
  }
  void* bits = nullptr;
  HBITMAP bitmap = ::CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap) return false;
  // The layout is known here; GetObject is not asked, as some GDIs report a top-down section's
  // height as positive.
  m_bitmap = bitmap;
  m_width = width;
  m_height = height;
  m_bpp = bitsPerPixel;
  m_pitch = PitchOf(width, bitsPerPixel);
  m_bits = static_cast<BYTE*>(bits);
  m_hasAlpha = false;
  return true;
}

HRESULT CImage::Load(IStream* stream) {
  Destroy();
  if (!stream) return E_POINTER;
  if (!StartGdiplus()) return E_FAIL;

  gp::GpBitmap* raw = nullptr;
  if (flat::GdipCreateBitmapFromStream(stream, &raw) != gp::Ok || !raw) return E_FAIL;
  std::unique_ptr<gp::GpBitmap, GpBitmapDeleter> source(raw);

  UINT width = 0, height = 0;
  gp::PixelFormat format = 0;
  if (flat::GdipGetImageWidth(source.get(), &width) != gp::Ok ||
      flat::GdipGetImageHeight(source.get(), &height) != gp::Ok ||
      flat::GdipGetImagePixelFormat(source.get(), &format) != gp::Ok || width == 0 || height == 0 || width > 0x7FFF ||
      height > 0x7FFF)
    return E_FAIL;

  // Alpha formats become 32-bit BGRA with the flag; GDI formats keep their layout; the rest
  // (48- and 64-bit, grey scale, CMYK) have no DIB layout and become 24-bit.
  gp::PixelFormat target = format;
  bool alpha = false;
  if (gp::IsAlphaPixelFormat(format)) {
    target = PixelFormat32bppARGB;
    alpha = true;
  } else if (!(format & PixelFormatGDI)) {
    target = PixelFormat24bppRGB;
  }
  const int bpp = static_cast<int>(gp::GetPixelFormatSize(target));

  bool created = false;
  if (gp::IsIndexedPixelFormat(target)) {
    INT paletteBytes = 0;
    if (flat::GdipGetImagePaletteSize(source.get(), &paletteBytes) != gp::Ok ||
        paletteBytes < static_cast<INT>(sizeof(gp::ColorPalette)))
      return E_FAIL;
    std::vector<BYTE> buffer(static_cast<size_t>(paletteBytes));
    auto* palette = reinterpret_cast<gp::ColorPalette*>(buffer.data());
    if (flat::GdipGetImagePalette(source.get(), palette, paletteBytes) != gp::Ok) return E_FAIL;
    RGBQUAD table[256]{};
    const UINT count = palette->Count > 256 ? 256 : palette->Count;
    for (UINT i = 0; i < count; ++i) {
      const gp::ARGB c = palette->Entries[i];
      table[i] = RGBQUAD{static_cast<BYTE>(c), static_cast<BYTE>(c >> 8), static_cast<BYTE>(c >> 16), 0};
    }
    created =
        CreateDib(static_cast<int>(width), static_cast<int>(height), bpp, table, static_cast<int>(count), nullptr);
  } else if (target == PixelFormat16bppRGB565) {
    const DWORD masks[3] = {0xF800, 0x07E0, 0x001F};
    created = CreateDib(static_cast<int>(width), static_cast<int>(height), bpp, nullptr, 0, masks);
  } else {
    created = CreateDib(static_cast<int>(width), static_cast<int>(height), bpp, nullptr, 0, nullptr);
  }
  if (!created) return E_OUTOFMEMORY;

  // GDI+ writes the converted pixels straight into the DIB section.
  gp::GpRect rect(0, 0, static_cast<INT>(width), static_cast<INT>(height));
  gp::BitmapData data{};
  data.Width = width;
  data.Height = height;
  data.Stride = m_pitch;
  data.PixelFormat = target;
  data.Scan0 = m_bits;
  if (flat::GdipBitmapLockBits(source.get(), &rect, gp::ImageLockModeRead | gp::ImageLockModeUserInputBuf, target,
                               &data) != gp::Ok) {
    Destroy();
    return E_FAIL;
  }
  flat::GdipBitmapUnlockBits(source.get(), &data);
  ::GdiFlush();

  // A 32-bit picture without alpha is opaque: set its unused fourth byte so that nothing that
  // reads it as alpha (premultiplication, AlphaBlend) darkens the picture.
  if (bpp == 32 && !alpha) {
    for (int y = 0; y < m_height; ++y) {
      BYTE* p = GetPixelAddress(0, y);
      for (int x = 0; x < m_width; ++x) p[x * 4 + 3] = 0xFF;
    }
  }
  m_hasAlpha = alpha;
  return S_OK;
}

void CImage::Attach(HBITMAP bitmap) {
  Destroy();
  if (bitmap) TakeLayout(bitmap);
}

void CImage::TakeLayout(HBITMAP bitmap) {
  m_bitmap = bitmap;
  m_hasAlpha = false;
  DIBSECTION section{};
  if (::GetObjectW(bitmap, sizeof(section), &section) == static_cast<int>(sizeof(section))) {
    m_width = section.dsBm.bmWidth;
    m_height = section.dsBm.bmHeight < 0 ? -section.dsBm.bmHeight : section.dsBm.bmHeight;
    m_bpp = section.dsBm.bmBitsPixel;
    const int pitch = PitchOf(m_width, m_bpp);
    BYTE* first = static_cast<BYTE*>(section.dsBm.bmBits);
    if (section.dsBmih.biHeight > 0) {  // bottom-up: the top row is stored last
      m_bits = first ? first + static_cast<ptrdiff_t>(m_height - 1) * pitch : nullptr;
      m_pitch = -pitch;
    } else {
      m_bits = first;
      m_pitch = pitch;
    }
    return;
  }
  BITMAP plain{};  // a device-dependent bitmap: size only, no pixel access
  if (::GetObjectW(bitmap, sizeof(plain), &plain) == static_cast<int>(sizeof(plain))) {
    m_width = plain.bmWidth;
    m_height = plain.bmHeight;
    m_bpp = plain.bmBitsPixel;
  }
  m_pitch = 0;
  m_bits = nullptr;
}

HBITMAP CImage::Detach() {
  HBITMAP bitmap = std::exchange(m_bitmap, nullptr);
  m_width = m_height = m_bpp = m_pitch = 0;
  m_bits = nullptr;
  m_hasAlpha = false;
  return bitmap;
}

void CImage::Destroy() {
  if (HBITMAP bitmap = Detach()) ::DeleteObject(bitmap);
}

BYTE* CImage::GetPixelAddress(int x, int y) const {
  if (!m_bits) return nullptr;
  return m_bits + static_cast<ptrdiff_t>(y) * m_pitch + static_cast<ptrdiff_t>(x) * m_bpp / 8;
}

bool CImage::AlphaBlend(HDC dest, int xDest, int yDest, int widthDest, int heightDest, int xSrc, int ySrc, int widthSrc,
                        int heightSrc, BYTE constantAlpha, BYTE blendOp) const {
  if (IsNull()) return false;
  BitmapDC source(m_bitmap);
  if (!source.Get()) return false;
  BLENDFUNCTION blend{blendOp, 0, constantAlpha, static_cast<BYTE>(m_hasAlpha ? AC_SRC_ALPHA : 0)};
  return ::AlphaBlend(dest, xDest, yDest, widthDest, heightDest, source.Get(), xSrc, ySrc, widthSrc, heightSrc,
                      blend) != FALSE;
}

bool CImage::TransparentBlt(HDC dest, int xDest, int yDest, int widthDest, int heightDest, int xSrc, int ySrc,
                            int widthSrc, int heightSrc, UINT transparentColor) const {
  if (IsNull()) return false;
  BitmapDC source(m_bitmap);
  if (!source.Get()) return false;
  return ::TransparentBlt(dest, xDest, yDest, widthDest, heightDest, source.Get(), xSrc, ySrc, widthSrc, heightSrc,
                          transparentColor) != FALSE;
}

bool CImage::StretchBlt(HDC dest, int xDest, int yDest, int widthDest, int heightDest, int xSrc, int ySrc, int widthSrc,
                        int heightSrc, DWORD rop) const {
  if (IsNull()) return false;
  BitmapDC source(m_bitmap);
  if (!source.Get()) return false;
  return ::StretchBlt(dest, xDest, yDest, widthDest, heightDest, source.Get(), xSrc, ySrc, widthSrc, heightSrc, rop) !=
         FALSE;
}

bool CImage::BitBlt(HDC dest, int xDest, int yDest, DWORD rop) const {
  if (IsNull()) return false;
  BitmapDC source(m_bitmap);
  if (!source.Get()) return false;
  return ::BitBlt(dest, xDest, yDest, m_width, m_height, source.Get(), 0, 0, rop) != FALSE;
}
