#include "shell/banner_painter_core.h"

#include <algorithm>
#include <cmath>

// Each step below is the step of the same name in res/make_banners.py, with the same arithmetic in
// the same order (and Python's rounding: half to even for colours, half up for lengths), so that
// both draw the same pixels; the script's bitmaps are what the host tests compare against.

namespace {

constexpr BannerColour kWhite = {255, 255, 255};
constexpr BannerColour kBlack = {0, 0, 0};

std::uint8_t Mix(int from, int to, double t) {
  // Python's round(): ties to even, which is what nearbyint does in the default rounding mode.
  return static_cast<std::uint8_t>(std::nearbyint(from + (to - from) * t));
}

BannerColour Blend(BannerColour a, BannerColour b, double t) {
  return {Mix(a.r, b.r, t), Mix(a.g, b.g, t), Mix(a.b, b.b, t)};
}

// A canvas at one scale, over the caller's pixels; the drawing calls take positions and lengths of
// the 96-DPI banner.
class Canvas {
 public:
  Canvas(int width, int height, double scale, std::uint8_t* bgr, std::size_t stride, BannerColour top,
         BannerColour bottom)
      : m_width(width), m_height(height), m_scale(scale), m_bits(bgr), m_stride(stride), m_top(top), m_bottom(bottom) {
    for (int y = 0; y < height; ++y) Fill(0, width, y, RowColour(y));
  }

  // Soft diagonal bands give each banner some depth without any text; they are placed in 96-DPI
  // coordinates, so every scale shows the same bands. A pixel is in a band where
  // sin((x / scale + y / scale * 0.6 + seed * 37) / 23) > 0.92: drawn before anything else, on
  // the row's gradient colour. The sine of every pixel would cost a page a tenth of a second at
  // 250 % on an emulated processor; instead each row's bands are found from where the sine crosses
  // 0.92, and only the pixels next to those crossings take the sine itself, so the pixels are
  // exactly those of the script.
  void Waves(int seed) {
    const double pi = std::acos(-1.0);
    const double enter = std::asin(0.92);  // sin(u) > 0.92 for u in (enter, pi - enter), mod 2 pi
    const double leave = pi - enter;
    for (int y = 0; y < m_height; ++y) {
      const double down = y / m_scale * 0.6;
      auto inBand = [&](int x) { return std::sin((x / m_scale + down + seed * 37) / 23.0) > 0.92; };
      const BannerColour banded = Blend(RowColour(y), kWhite, 0.10);
      // u as a function of x, and back; both are increasing.
      const double first = (0 / m_scale + down + seed * 37) / 23.0;
      const double last = ((m_width - 1) / m_scale + down + seed * 37) / 23.0;
      auto columnOf = [&](double u) { return (u * 23.0 - down - seed * 37) * m_scale; };
      const int nFirst = static_cast<int>(std::floor((first - leave) / (2 * pi))) - 1;
      const int nLast = static_cast<int>(std::floor((last - enter) / (2 * pi))) + 1;
      for (int n = nFirst; n <= nLast; ++n) {
        const double from = columnOf(enter + 2 * pi * n);
        const double to = columnOf(leave + 2 * pi * n);
        // Safely inside the band: more than a pixel from either crossing.
        const double inside = std::max(0.0, std::ceil(from + 1));
        const double insideEnd = std::min(static_cast<double>(m_width), std::floor(to - 1) + 1);
        if (inside < insideEnd) Fill(static_cast<int>(inside), static_cast<int>(insideEnd), y, banded);
        // Next to a crossing: the sine decides.
        for (const double edge : {from, to}) {
          ForColumns(edge - 1, edge + 1, [&](int x) {
            if (inBand(x)) Set(x, y, banded);
          });
        }
      }
    }
  }

  void Printer(double x, double y, BannerColour body, BannerColour paper, BannerColour accent) {
    const int cx = S(x);
    const int cy = S(y);
    Rect(cx - S(30), cy - S(34), cx + S(30), cy - S(8), paper);  // paper in the tray
    Rect(cx - S(44), cy - S(10), cx + S(44), cy + S(26), body);
    Rect(cx - S(44), cy - S(10), cx + S(44), cy - S(6), Blend(body, kWhite, 0.3));
    Rect(cx - S(34), cy + S(12), cx + S(34), cy + S(16), Blend(body, kBlack, 0.35));  // output slot
    Rect(cx - S(26), cy + S(16), cx + S(26), cy + S(40), paper);                       // printed page
    for (int i = 0; i < 4; ++i) {
      Rect(cx - S(20), cy + S(21 + i * 5), cx + S(20 - i * 7), cy + S(23 + i * 5), accent);
    }
    Disc(cx + S(34), cy, S(3), {90, 220, 120});  // power lamp
  }

  void Cable(double x, double y, BannerColour colour) {
    const int x0 = S(x);
    const int y0 = S(y);
    const int length = S(120);
    for (int i = 0; i < length; ++i) {
      const int cx = x0 + static_cast<int>(18 * m_scale * std::sin(i / (14.0 * m_scale)));
      Rect(cx - S(2), y0 + i, cx + S(3), y0 + i + 1, colour);
    }
    Rect(x0 - S(8), y0 + length, x0 + S(9), y0 + length + S(20), {230, 230, 235});  // plug
    Rect(x0 - S(5), y0 + length + S(20), x0 + S(6), y0 + length + S(30), {160, 165, 175});
  }

  void Magnifier(double x, double y, BannerColour colour) {
    const int cx = S(x);
    const int cy = S(y);
    Disc(cx, cy, S(26), colour, S(6));
    for (int i = 0, n = S(30); i < n; ++i) {
      Rect(cx + S(18) + i, cy + S(18) + i, cx + S(26) + i, cy + S(24) + i, colour);
    }
  }

 private:
  std::uint8_t* At(int x, int y) const { return m_bits + static_cast<std::size_t>(y) * m_stride + static_cast<std::size_t>(x) * 3; }
  BannerColour Get(int x, int y) const {
    const std::uint8_t* p = At(x, y);
    return {p[2], p[1], p[0]};
  }
  void Set(int x, int y, BannerColour colour) {
    std::uint8_t* p = At(x, y);
    p[0] = colour.b;
    p[1] = colour.g;
    p[2] = colour.r;
  }

  // The background of row y: a gradient over the banner as drawn at this scale, whatever part of
  // it the canvas holds; below it, the bottom colour.
  BannerColour RowColour(int y) const {
    const int drawnHeight = S(kBannerDesignHeight);
    return Blend(m_top, m_bottom, y >= drawnHeight - 1 ? 1.0 : static_cast<double>(y) / (drawnHeight - 1));
  }

  // Calls f(x) for each column from `left` to `right` (both included, rounded inwards) that lies
  // on the canvas.
  template <typename F>
  void ForColumns(double left, double right, F f) const {
    const double from = std::max(0.0, std::ceil(left));
    const double to = std::min(m_width - 1.0, std::floor(right));
    for (int x = static_cast<int>(from); x <= to; ++x) f(x);
  }

  // A length or position of the 96-DPI banner at this scale, rounded half up.
  int S(double v) const { return static_cast<int>(std::floor(v * m_scale + 0.5)); }

  // Columns x0 to x1 (excluded) of row y, which lie on the canvas.
  void Fill(int x0, int x1, int y, BannerColour colour) {
    if (x1 <= x0) return;
    for (std::uint8_t *p = At(x0, y), *end = p + static_cast<std::size_t>(x1 - x0) * 3; p < end; p += 3) {
      p[0] = colour.b;
      p[1] = colour.g;
      p[2] = colour.r;
    }
  }

  // Fills a rectangle given in pixels of this canvas, right and bottom edges excluded.
  void Rect(int x0, int y0, int x1, int y1, BannerColour colour) {
    x0 = std::max(0, x0);
    x1 = std::min(m_width, x1);
    for (int y = std::max(0, y0), end = std::min(m_height, y1); y < end; ++y) Fill(x0, x1, y, colour);
  }

  // A filled disc of radius r, or with `ring` >= 0 a ring that wide, in pixels of this canvas. The
  // distances are compared squared, in integers: the same pixels as comparing the square roots.
  void Disc(int cx, int cy, int r, BannerColour colour, int ring = -1) {
    const long outer = static_cast<long>(r) * r;
    const int innerRadius = ring < 0 ? 0 : r - ring;
    const long inner = innerRadius > 0 ? static_cast<long>(innerRadius) * innerRadius : 0;
    for (int y = std::max(0, cy - r - 1), yEnd = std::min(m_height, cy + r + 2); y < yEnd; ++y) {
      for (int x = std::max(0, cx - r - 1), xEnd = std::min(m_width, cx + r + 2); x < xEnd; ++x) {
        const long d = static_cast<long>(x - cx) * (x - cx) + static_cast<long>(y - cy) * (y - cy);
        if (d <= outer && d >= inner) Set(x, y, colour);
      }
    }
  }

  int m_width;
  int m_height;
  double m_scale;
  std::uint8_t* m_bits;
  std::size_t m_stride;
  BannerColour m_top;
  BannerColour m_bottom;
};

}  // namespace

void PaintBanner(BannerPicture picture, int width, int height, int dpi, std::uint8_t* bgr, std::size_t stride) {
  if (width <= 0 || height <= 0 || bgr == nullptr) return;
  const double scale = (dpi > 0 ? dpi : 96) / 96.0;
  const BannerColour body = {215, 220, 230};
  const BannerColour paper = {250, 250, 248};
  switch (picture) {
    case BannerPicture::kWelcome: {
      Canvas canvas(width, height, scale, bgr, stride, {18, 52, 110}, {64, 150, 220});
      canvas.Waves(1);
      canvas.Printer(80, 150, body, paper, {64, 150, 220});
      break;
    }
    case BannerPicture::kCableGuide: {
      Canvas canvas(width, height, scale, bgr, stride, {14, 70, 90}, {40, 170, 170});
      canvas.Waves(2);
      canvas.Printer(80, 90, body, paper, {40, 170, 170});
      canvas.Cable(80, 135, {235, 235, 240});
      break;
    }
    case BannerPicture::kDetection: {
      Canvas canvas(width, height, scale, bgr, stride, {40, 30, 100}, {120, 100, 210});
      canvas.Waves(3);
      canvas.Printer(80, 120, body, paper, {120, 100, 210});
      canvas.Magnifier(95, 200, {255, 210, 90});
      break;
    }
  }
}
