#!/usr/bin/env python3
"""Draws the three wizard banners (BMP) from code, so that the same repository always yields the
same bytes: 160 x 310 pixels at 96 DPI, the bitmaps the dialog templates name. The program itself
draws each banner for the display's scale at the exact size of its area
(shell/banner_painter_core.cpp, a port of this drawing); the host tests compare its pixels with
this script's 24-bit ones at the DPIs given here. Writes banner<id>-<dpi>.bmp.
With --palette the bitmaps have 8 bits per pixel and at most 256 colours chosen for each banner,
a third of the 24-bit ones' bytes (what the executable stores); each pixel then differs from the
drawing by at most PALETTE_TOLERANCE levels per channel, which the script checks.
Usage: make_banners.py [--palette] OUTPUT_DIR [DPI ...]   (96 alone by default)"""
import math
import os
import struct
import sys
from collections import Counter

BASE_W, BASE_H = 160, 310
# The most a palettised pixel may differ from the drawing in any channel (the banners need 1): the
# gradients merge a neighbouring step here and there, and the picture stays the same.
PALETTE_TOLERANCE = 2


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

    def write(self, path, palette=False):
        if palette:
            colours, indices = quantise(self.px)
            bits, table = 8, b"".join(bytes((b, g, r, 0)) for (r, g, b) in colours)
            rows = [bytes(row) for row in indices]
        else:
            bits, table = 24, b""
            rows = [b"".join(bytes((b, g, r)) for (r, g, b) in row) for row in self.px]
        pad = b"\0" * ((4 - len(rows[0]) % 4) % 4)
        data = b"".join(row + pad for row in reversed(rows))   # bottom-up rows
        offset = 14 + 40 + len(table)
        per_metre = int(round(self.dpi / 0.0254))
        colours_used = len(table) // 4
        header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
        info = struct.pack("<IiiHHIIiiII", 40, self.w, self.h, 1, bits, 0, len(data), per_metre, per_metre,
                           colours_used, colours_used)
        with open(path, "wb") as f:
            f.write(header + info + table + data)


def quantise(px, limit=256):
    """Median cut over the picture's own colours: the group of colours spanning the widest range in
    one channel is split at its pixels' median in that channel until there are `limit` groups,
    and each group becomes the mean of its pixels. The banners have a few hundred colours, nearly
    all of them the steps of a smooth gradient, so a group holds two or three neighbouring steps.
    Returns the palette and each pixel's index into it; deterministic, so the bytes are too."""
    counts = Counter(colour for row in px for colour in row)
    groups = [sorted(counts)]
    while len(groups) < limit:
        def spread(group):
            return max(max(c[k] for c in group) - min(c[k] for c in group) for k in range(3))
        widest = max(range(len(groups)), key=lambda i: (spread(groups[i]), -i))
        group = groups[widest]
        if spread(group) == 0:
            break                                            # every colour has its own entry
        channel = max(range(3), key=lambda k: (max(c[k] for c in group) - min(c[k] for c in group), -k))
        group = sorted(group, key=lambda c: (c[channel], c))
        half, seen, cut = sum(counts[c] for c in group) / 2.0, 0, 1
        for i, colour in enumerate(group[:-1]):
            seen += counts[colour]
            cut = i + 1
            if seen >= half:
                break
        groups[widest:widest + 1] = [group[:cut], group[cut:]]
    palette = []
    for group in groups:
        weight = sum(counts[c] for c in group)
        palette.append(tuple(int(math.floor(sum(c[k] * counts[c] for c in group) / weight + 0.5)) for k in range(3)))

    def nearest(colour):
        return min(range(len(palette)),
                   key=lambda i: (sum((palette[i][k] - colour[k]) ** 2 for k in range(3)), i))
    index = {colour: nearest(colour) for colour in counts}
    worst = max(abs(palette[index[c]][k] - c[k]) for c in counts for k in range(3))
    if worst > PALETTE_TOLERANCE:
        raise SystemExit("make_banners.py: a palette of %d colours is %d levels off the drawing (at most %d)"
                         % (limit, worst, PALETTE_TOLERANCE))
    return palette, [[index[c] for c in row] for row in px]


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
    args = sys.argv[1:]
    palette = "--palette" in args
    args = [arg for arg in args if arg != "--palette"]
    out = args[0] if args else "."
    dpis = [int(arg) for arg in args[1:]] or [96]
    os.makedirs(out, exist_ok=True)
    for banner_id, draw in ((458, welcome), (454, cable_guide), (456, detection)):
        for dpi in dpis:
            draw(dpi).write(os.path.join(out, "banner%d-%d.bmp" % (banner_id, dpi)), palette)


if __name__ == "__main__":
    main()
