// The wizard's three banners drawn in code, pixel by pixel, at whatever size the page gives them:
// the same drawing as res/make_banners.py, which makes the 96-DPI bitmaps the dialog templates
// name. A banner drawn for the display's own scale at the exact size of its area stays sharp,
// neither leaves part of the area bare nor covers the texts beside it, and costs no stored bitmap
// per scale.
#pragma once

#include <cstddef>
#include <cstdint>

enum class BannerPicture { kWelcome, kCableGuide, kDetection };

// The banner's design size: its pixels at 96 DPI.
constexpr int kBannerDesignWidth = 160;
constexpr int kBannerDesignHeight = 310;

struct BannerColour {
  std::uint8_t r, g, b;
};

// Draws `picture` for a display of `dpi` (taken as 96 when not positive) on a canvas of `width` x
// `height` pixels, into `bgr`: pixels as a 24-bit device-independent bitmap holds them (blue,
// green, red), rows top down and `stride` bytes apart (at least 3 * width).
// The canvas shows the banner as res/make_banners.py draws it for that DPI (160 x 310 pixels at 96
// DPI, in proportion elsewhere), from its top left corner, pixel for pixel: the area a dialog gives
// its banner depends on the dialog font and is seldom exactly that size (159 x 289 pixels under
// Wine at 96 DPI, where the template's own bitmap shows cut in just this way). Where the canvas is
// larger than the drawing, the background goes on in the bottom colour.
// Allocates nothing: a page's bitmap is drawn in place.
void PaintBanner(BannerPicture picture, int width, int height, int dpi, std::uint8_t* bgr, std::size_t stride);
