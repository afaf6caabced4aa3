#include "shell/banner_painter.h"

HBITMAP CreateBannerBitmap(BannerPicture picture, int width, int height, int dpi) {
  if (width <= 0 || height <= 0) {
    ::SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  // 24 bits: a 32-bit one would be taken for a bitmap with an alpha channel by the common controls'
  // picture.
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // rows top down, as PaintBanner writes them
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap == nullptr) return nullptr;
  // A DIB's rows are padded to whole 32-bit words.
  const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3);
  PaintBanner(picture, width, height, dpi, static_cast<std::uint8_t*>(bits), stride);
  return bitmap;
}
