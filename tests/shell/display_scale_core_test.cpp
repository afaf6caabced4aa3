#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "shell/banner_painter_core.h"
#include "shell/display_scale_core.h"

#ifndef _WIN32
#include <unistd.h>

#include <filesystem>
#endif

TEST(TitleFontHeight, TwentyPixelsAt96DpiAndInProportionElsewhere) {
  EXPECT_EQ(TitleFontHeight(-12), 20);
  EXPECT_EQ(TitleFontHeight(-15), 25);
  EXPECT_EQ(TitleFontHeight(-18), 30);
  EXPECT_EQ(TitleFontHeight(-24), 40);
  EXPECT_EQ(TitleFontHeight(-13), 22) << "rounded, not cut";
  EXPECT_EQ(TitleFontHeight(24), 40) << "a cell height scales alike";
  EXPECT_EQ(TitleFontHeight(0), 20) << "no dialog font: the 96-DPI size";
}

namespace {

const BannerPicture kPictures[] = {BannerPicture::kWelcome, BannerPicture::kCableGuide, BannerPicture::kDetection};

// A banner drawn into a buffer of exactly its size (no row padding), so that the sanitizers see
// any write beyond it.
std::vector<std::uint8_t> Paint(BannerPicture picture, int width, int height, int dpi) {
  std::vector<std::uint8_t> bgr(static_cast<size_t>(width) * height * 3, 0xCC);
  PaintBanner(picture, width, height, dpi, bgr.data(), static_cast<size_t>(width) * 3);
  return bgr;
}

}  // namespace

// Canvases far too small or too large for the drawing are clipped, never written beyond; an
// empty one is left alone.
TEST(BannerPainter, AnyCanvasIsDrawnWithinItsBounds) {
  for (const BannerPicture picture : kPictures) {
    for (const int dpi : {96, 288, 0, -5}) {
      for (const auto& size : {std::pair<int, int>(1, 1), std::pair<int, int>(3, 900), std::pair<int, int>(700, 2)}) {
        Paint(picture, size.first, size.second, dpi);
      }
    }
  }
  std::uint8_t untouched = 0x5A;
  PaintBanner(BannerPicture::kWelcome, 0, 310, 96, &untouched, 0);
  PaintBanner(BannerPicture::kWelcome, 160, -1, 96, &untouched, 480);
  PaintBanner(BannerPicture::kWelcome, 160, 310, 96, nullptr, 480);
  EXPECT_EQ(untouched, 0x5A);
}

#ifndef _WIN32
// The port against its original: res/make_banners.py draws each banner at five scales (with the
// half-pixel roundings of 144 and 168 DPI), and the painter must give the same pixels on a canvas
// of the script's size, on a smaller one such as a dialog gives (the top left part of them) and
// on a larger one (all of them).
TEST(BannerPainter, DrawsTheBannerScriptsPixelsFromTheTopLeftOfAnyCanvas) {
  std::string source = __FILE__;
  source = source.substr(0, source.find("tests/shell/"));
  char folder[] = "/tmp/kq_banners_XXXXXX";
  ASSERT_NE(::mkdtemp(folder), nullptr);
  const int dpis[] = {96, 120, 144, 168, 240};
  std::string command = "python3 '" + source + "res/make_banners.py' '" + folder + "'";
  for (const int dpi : dpis) command += " " + std::to_string(dpi);
  ASSERT_EQ(std::system(command.c_str()), 0) << command;

  const struct {
    BannerPicture picture;
    int id;
  } banners[] = {{BannerPicture::kWelcome, 458}, {BannerPicture::kCableGuide, 454}, {BannerPicture::kDetection, 456}};
  for (const auto& banner : banners) {
    for (const int dpi : dpis) {
      const std::string path = std::string(folder) + "/banner" + std::to_string(banner.id) + "-" + std::to_string(dpi) + ".bmp";
      std::ifstream file(path, std::ios::binary);
      const std::vector<std::uint8_t> bmp((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
      ASSERT_GE(bmp.size(), 54u) << path;
      auto read32 = [&](size_t at) {
        return static_cast<std::int32_t>(bmp[at] | bmp[at + 1] << 8 | bmp[at + 2] << 16 | static_cast<std::uint32_t>(bmp[at + 3]) << 24);
      };
      const int width = read32(18);
      const int height = read32(22);  // positive: rows bottom up
      const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3);
      ASSERT_EQ(bmp.size(), 54 + stride * height) << path;

      // Smaller as the dialogs give it: under Wine 159 x 289 pixels at 96 DPI, 273 x 516 at 168.
      const std::pair<int, int> canvases[] = {{width, height}, {width * 97 / 100, height * 93 / 100}, {width + 5, height + 9}};
      for (const auto& canvas : canvases) {
        const std::vector<std::uint8_t> drawn = Paint(banner.picture, canvas.first, canvas.second, dpi);
        int differing = 0;
        std::string first;
        for (int y = 0; y < std::min(height, canvas.second); ++y) {
          const std::uint8_t* theirs = &bmp[54 + stride * (height - 1 - y)];
          const std::uint8_t* ours = &drawn[static_cast<size_t>(y) * canvas.first * 3];
          for (int x = 0; x < std::min(width, canvas.first) * 3; x += 3) {
            if (theirs[x] == ours[x] && theirs[x + 1] == ours[x + 1] && theirs[x + 2] == ours[x + 2]) continue;
            if (differing++ == 0) first = "(" + std::to_string(x / 3) + ", " + std::to_string(y) + ")";
          }
        }
        EXPECT_EQ(differing, 0) << "banner " << banner.id << " at " << dpi << " DPI (" << width << " x " << height
                                << ") on " << canvas.first << " x " << canvas.second << ": first difference at " << first;
      }
    }
  }
  std::filesystem::remove_all(folder);
}
#endif
