#!/usr/bin/env python3
"""Draws the three wizard banners (24-bit BMP) from code, so that the same repository always yields
the same bytes: 160 x 310 pixels at 96 DPI, the bitmaps the dialog templates name. The program
itself draws each banner for the display's scale at the exact size of its area
(shell/banner_painter_core.cpp, a port of this drawing); the host tests compare its pixels with
this script's at the DPIs given here. Writes banner<id>-<dpi>.bmp.
Usage: make_banners.py OUTPUT_DIR [DPI ...]   (96 alone by default)"""
import math
import os
import struct
import sys

BASE_W, BASE_H = 160, 310


def blend(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


class Banner:
    """A canvas at one scale; drawing calls take coordinates of the 96-DPI banner."""

    def __init__(self, dpi, top, bottom):
        self.dpi = dpi
        self.scale = dpi / 96.0
        self.w = self.s(BASE_W)
        self.h = self.s(BASE_H)
        self.px = [[blend(top, bottom, y / (self.h - 1))] * self.w for y in range(self.h)]

    def s(self, v):
        """A length or position of the 96-DPI banner at this scale, rounded half up."""
        return int(math.floor(v * self.scale + 0.5))

    def rect(self, x0, y0, x1, y1, color):
        """Fills a rectangle given in pixels of this canvas."""
        for y in range(max(0, y0), min(self.h, y1)):
            row = self.px[y]
            for x in range(max(0, x0), min(self.w, x1)):
                row[x] = color

    def disc(self, cx, cy, r, color, ring=None):
        """A filled disc, or a ring `ring` pixels wide, in pixels of this canvas."""
        for y in range(max(0, cy - r - 1), min(self.h, cy + r + 2)):
            for x in range(max(0, cx - r - 1), min(self.w, cx + r + 2)):
                d = math.hypot(x - cx, y - cy)
                if ring is None and d <= r:
                    self.px[y][x] = color
                elif ring is not None and r - ring <= d <= r:
                    self.px[y][x] = color

    def waves(self, seed):
        # Soft diagonal bands give each banner some depth without any text; they are placed in
        # 96-DPI coordinates, so every scale shows the same bands.
        for y in range(self.h):
            row = self.px[y]
            for x in range(self.w):
                v = math.sin((x / self.scale + y / self.scale * 0.6 + seed * 37) / 23.0)
                if v > 0.92:
                    row[x] = blend(row[x], (255, 255, 255), 0.10)

    def printer(self, x, y, body, paper, accent):
        s = self.s
        cx, cy = s(x), s(y)
        self.rect(cx - s(30), cy - s(34), cx + s(30), cy - s(8), paper)          # paper in the tray
        self.rect(cx - s(44), cy - s(10), cx + s(44), cy + s(26), body)          # body
        self.rect(cx - s(44), cy - s(10), cx + s(44), cy - s(6), blend(body, (255, 255, 255), 0.3))
        self.rect(cx - s(34), cy + s(12), cx + s(34), cy + s(16), blend(body, (0, 0, 0), 0.35))  # output slot
        self.rect(cx - s(26), cy + s(16), cx + s(26), cy + s(40), paper)         # printed page
        for i in range(4):
            self.rect(cx - s(20), cy + s(21 + i * 5), cx + s(20 - i * 7), cy + s(23 + i * 5), accent)
        self.disc(cx + s(34), cy, s(3), (90, 220, 120))                          # power lamp

    def cable(self, x, y, color):
        s = self.s
        x0, y0 = s(x), s(y)
        length = s(120)
        for i in range(length):
            cx = x0 + int(18 * self.scale * math.sin(i / (14.0 * self.scale)))
            self.rect(cx - s(2), y0 + i, cx + s(3), y0 + i + 1, color)
        self.rect(x0 - s(8), y0 + length, x0 + s(9), y0 + length + s(20), (230, 230, 235))   # plug
        self.rect(x0 - s(5), y0 + length + s(20), x0 + s(6), y0 + length + s(30), (160, 165, 175))

    def magnifier(self, x, y, color):
        s = self.s
        cx, cy = s(x), s(y)
        self.disc(cx, cy, s(26), color, ring=s(6))
        for i in range(s(30)):
            self.rect(cx + s(18) + i, cy + s(18) + i, cx + s(26) + i, cy + s(24) + i, color)

    def write(self, path):
        row_bytes = self.w * 3
        pad = (4 - row_bytes % 4) % 4
        data = bytearray()
        for y in range(self.h - 1, -1, -1):          # bottom-up rows
            for (r, g, b) in self.px[y]:
                data += bytes((b, g, r))
            data += b"\0" * pad
        per_metre = int(round(self.dpi / 0.0254))
        header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(data), 0, 0, 54)
        info = struct.pack("<IiiHHIIiiII", 40, self.w, self.h, 1, 24, 0, len(data), per_metre, per_metre, 0, 0)
        with open(path, "wb") as f:
            f.write(header + info + data)


def welcome(dpi):
    b = Banner(dpi, (18, 52, 110), (64, 150, 220))
    b.waves(1)
    b.printer(80, 150, (215, 220, 230), (250, 250, 248), (64, 150, 220))
    return b


def cable_guide(dpi):
    b = Banner(dpi, (14, 70, 90), (40, 170, 170))
    b.waves(2)
    b.printer(80, 90, (215, 220, 230), (250, 250, 248), (40, 170, 170))
    b.cable(80, 135, (235, 235, 240))
    return b


def detection(dpi):
    b = Banner(dpi, (40, 30, 100), (120, 100, 210))
    b.waves(3)
    b.printer(80, 120, (215, 220, 230), (250, 250, 248), (120, 100, 210))
    b.magnifier(95, 200, (255, 210, 90))
    return b


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "."
    dpis = [int(arg) for arg in sys.argv[2:]] or [96]
    os.makedirs(out, exist_ok=True)
    for banner_id, draw in ((458, welcome), (454, cable_guide), (456, detection)):
        for dpi in dpis:
            draw(dpi).write(os.path.join(out, "banner%d-%d.bmp" % (banner_id, dpi)))


if __name__ == "__main__":
    main()
