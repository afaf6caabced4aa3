// The wizard's banners as bitmaps drawn for the display, at the exact size of the area a page
// gives its banner (shell/banner_painter_core.h draws the pixels).
#pragma once

#include <windows.h>

#include "shell/banner_painter_core.h"

// A 24-bit DIB section of `width` x `height` pixels showing `picture` for a display of `dpi`;
// the caller owns it. nullptr when the size is empty or the system has no memory for it (the
// last error is then the system's).
HBITMAP CreateBannerBitmap(BannerPicture picture, int width, int height, int dpi);
