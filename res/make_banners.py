#!/usr/bin/env python3
"""Draws the three wizard banners (160 x 310 pixels, 24-bit BMP) from code, so that the same
repository always yields the same bytes. Usage: make_banners.py OUTPUT_DIR"""
import math
import os
import struct
import sys

W, H = 160, 310


def blend(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def canvas(top, bottom):
    rows = []
    for y in range(H):
        c = blend(top, bottom, y / (H - 1))
        rows.append([c] * W)
    return rows


def rect(px, x0, y0, x1, y1, color):
    for y in range(max(0, y0), min(H, y1)):
        row = px[y]
        for x in range(max(0, x0), min(W, x1)):
            row[x] = color


def disc(px, cx, cy, r, color, ring=None):
    for y in range(max(0, cy - r - 1), min(H, cy + r + 2)):
        for x in range(max(0, cx - r - 1), min(W, cx + r + 2)):
            d = math.hypot(x - cx, y - cy)
            if ring is None and d <= r:
                px[y][x] = color
            elif ring is not None and r - ring <= d <= r:
                px[y][x] = color


def waves(px, seed):
    # Soft diagonal bands give each banner some depth without any text.
    for y in range(H):
        for x in range(W):
            v = math.sin((x + y * 0.6 + seed * 37) / 23.0)
            if v > 0.92:
                c = px[y][x]
                px[y][x] = blend(c, (255, 255, 255), 0.10)


def printer(px, cx, cy, body, paper, accent):
    rect(px, cx - 30, cy - 34, cx + 30, cy - 8, paper)           # paper in the tray
    rect(px, cx - 44, cy - 10, cx + 44, cy + 26, body)           # body
    rect(px, cx - 44, cy - 10, cx + 44, cy - 6, blend(body, (255, 255, 255), 0.3))
    rect(px, cx - 34, cy + 12, cx + 34, cy + 16, blend(body, (0, 0, 0), 0.35))  # output slot
    rect(px, cx - 26, cy + 16, cx + 26, cy + 40, paper)          # printed page
    for i in range(4):
        rect(px, cx - 20, cy + 21 + i * 5, cx + 20 - i * 7, cy + 23 + i * 5, accent)
    disc(px, cx + 34, cy, 3, (90, 220, 120))                     # power lamp


def cable(px, x0, y0, color):
    for i in range(120):
        x = x0 + int(18 * math.sin(i / 14.0))
        rect(px, x - 2, y0 + i, x + 3, y0 + i + 1, color)
    rect(px, x0 - 8, y0 + 120, x0 + 9, y0 + 140, (230, 230, 235))   # plug
    rect(px, x0 - 5, y0 + 140, x0 + 6, y0 + 150, (160, 165, 175))


def magnifier(px, cx, cy, color):
    disc(px, cx, cy, 26, color, ring=6)
    for i in range(30):
        rect(px, cx + 18 + i, cy + 18 + i, cx + 26 + i, cy + 24 + i, color)


def write_bmp(path, px):
    row_bytes = W * 3
    pad = (4 - row_bytes % 4) % 4
    data = bytearray()
    for y in range(H - 1, -1, -1):          # bottom-up rows
        for (r, g, b) in px[y]:
            data += bytes((b, g, r))
        data += b"\0" * pad
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "."
    os.makedirs(out, exist_ok=True)
    navy, sky = (18, 52, 110), (64, 150, 220)
    paper, accent = (250, 250, 248), (64, 150, 220)

    welcome = canvas(navy, sky)
    waves(welcome, 1)
    printer(welcome, 80, 150, (215, 220, 230), paper, accent)
    write_bmp(os.path.join(out, "banner458.bmp"), welcome)

    cable_page = canvas((14, 70, 90), (40, 170, 170))
    waves(cable_page, 2)
    printer(cable_page, 80, 90, (215, 220, 230), paper, (40, 170, 170))
    cable(cable_page, 80, 135, (235, 235, 240))
    write_bmp(os.path.join(out, "banner454.bmp"), cable_page)

    detect = canvas((40, 30, 100), (120, 100, 210))
    waves(detect, 3)
    printer(detect, 80, 120, (215, 220, 230), paper, (120, 100, 210))
    magnifier(detect, 95, 200, (255, 210, 90))
    write_bmp(os.path.join(out, "banner456.bmp"), detect)


if __name__ == "__main__":
    main()
