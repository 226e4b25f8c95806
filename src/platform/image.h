// A bitmap the skin draws from: a DIB section with its size, layout and alpha flag, decoded
// from a PNG stream through GDI+ or adopted from a bitmap handle, and the four GDI blits the
// painters use.
#pragma once

#include "platform/win.h"

#include <objidl.h>

class CImage {
public:
  CImage() = default;
  ~CImage() { Destroy(); }
  CImage(const CImage&) = delete;
  CImage& operator=(const CImage&) = delete;
  CImage(CImage&& other) noexcept;
  CImage& operator=(CImage&& other) noexcept;

  // A fresh top-down DIB section of 24 or 32 bits per pixel, zero-filled.
  bool Create(int width, int height, int bitsPerPixel, bool hasAlpha = false);
  // Decodes the stream through GDI+ (started on first use). A pixel format with alpha becomes
  // 32 bits per pixel (blue, green, red, alpha) with the alpha flag; the other GDI formats keep
  // their own layout, formats GDI cannot hold become 24 bits per pixel. On failure the image is
  // null and the result an error code.
  HRESULT Load(IStream* stream);
  // Takes ownership of a bitmap (a DIB section gives access to its pixels). No alpha flag.
  void Attach(HBITMAP bitmap);
  HBITMAP Detach();
  void Destroy();

  bool IsNull() const { return m_bitmap == nullptr; }
  HBITMAP GetBitmap() const { return m_bitmap; }
  int GetWidth() const { return m_width; }
  int GetHeight() const { return m_height; }
  int GetBPP() const { return m_bpp; }
  // Bytes from one row to the next; row 0 is the top row, so a bottom-up DIB has a negative pitch.
  int GetPitch() const { return m_pitch; }
  // The top row's first byte; null when the pixels are not accessible.
  void* GetBits() const { return m_bits; }
  BYTE* GetPixelAddress(int x, int y) const;
  bool HasAlphaChannel() const { return m_hasAlpha; }

  // Each blit selects the bitmap into a memory DC for the call. AlphaBlend uses per-pixel alpha
  // (AC_SRC_ALPHA) when the image has its alpha flag, only the constant alpha otherwise.
  bool AlphaBlend(HDC dest, int xDest, int yDest, int widthDest, int heightDest, int xSrc, int ySrc, int widthSrc,
                  int heightSrc, BYTE constantAlpha = 0xFF, BYTE blendOp = AC_SRC_OVER) const;
  bool TransparentBlt(HDC dest, int xDest, int yDest, int widthDest, int heightDest, int xSrc, int ySrc, int widthSrc,
                      int heightSrc, UINT transparentColor) const;
  bool StretchBlt(HDC dest, int xDest, int yDest, int widthDest, int heightDest, int xSrc, int ySrc, int widthSrc,
                  int heightSrc, DWORD rop = SRCCOPY) const;
  // Natural size, from the image's origin.
  bool BitBlt(HDC dest, int xDest, int yDest, DWORD rop = SRCCOPY) const;

private:
  bool CreateDib(int width, int height, int bitsPerPixel, const RGBQUAD* colors, int colorCount, const DWORD* masks);
  void TakeLayout(HBITMAP bitmap);

  HBITMAP m_bitmap = nullptr;
  int m_width = 0;
  int m_height = 0;
  int m_bpp = 0;
  int m_pitch = 0;
  BYTE* m_bits = nullptr;
  bool m_hasAlpha = false;
};
