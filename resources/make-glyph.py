#!/usr/bin/env python3
"""Draws the plug-in's 19 x 19 menu glyph, a camera with a metadata tag, as an
8-bit bitmap with a full 256-colour palette, into glyph.bmp beside this script.

The .bmp is committed; run this again only to change the picture.
"""
import os
import struct

W = H = 19
PALETTE = [
    (192, 192, 192),  # 0 background (the classic menu face)
    (32, 32, 32),     # 1 outline
    (96, 96, 104),    # 2 body
    (140, 140, 150),  # 3 body highlight
    (40, 70, 140),    # 4 lens glass
    (120, 170, 230),  # 5 lens reflection
    (250, 210, 60),   # 6 flash
    (255, 255, 255),  # 7 tag
    (200, 40, 40),    # 8 tag outline / text
]

px = [[0] * W for _ in range(H)]  # px[y][x], y = 0 at the top


def rect(x0, y0, x1, y1, c):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            px[y][x] = c


# Body with its outline, and the viewfinder hump.
rect(1, 5, 16, 15, 1)
rect(2, 6, 15, 14, 2)
rect(2, 6, 15, 6, 3)
rect(6, 3, 11, 5, 1)
rect(7, 4, 10, 5, 2)
# Flash window.
rect(2, 7, 4, 8, 6)
# Lens: a filled circle of radius 4 around (9, 10) with a reflection.
for y in range(H):
    for x in range(W):
        d2 = (x - 9) ** 2 + (y - 10) ** 2
        if d2 <= 16:
            px[y][x] = 1
        if d2 <= 9:
            px[y][x] = 4
px[8][8] = px[8][7] = px[9][7] = 5
# A small tag in the bottom-right corner: the metadata.
rect(12, 12, 18, 18, 8)
rect(13, 13, 17, 17, 7)
rect(14, 14, 16, 14, 1)
rect(14, 16, 15, 16, 1)

row_size = (W + 3) // 4 * 4
pixels = b"".join(bytes(px[y]) + bytes(row_size - W) for y in reversed(range(H)))
palette = b"".join(bytes((b, g, r, 0)) for (r, g, b) in PALETTE + [(0, 0, 0)] * (256 - len(PALETTE)))
offset = 14 + 40 + len(palette)
info = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 8, 0, len(pixels), 2835, 2835, 256, 0)
head = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "glyph.bmp"), "wb") as f:
    f.write(head + info + palette + pixels)
