#!/usr/bin/env python3
"""Writes data/hexpane.png, the program's 32 x 32 icon: a picture drawn
pixel by pixel from a colour table, the way hexpane shows patch pictures;
and the same enlarged by a whole factor, as software catalogs want it, as
data/hexpane-64.png and data/hexpane-128.png.

    make_icon.py [FOLDER]   (default: data)"""
import os
import struct
import sys
import zlib

SIZE = 32
# A 6 x 6 grid of magnified "pixels" inside a dark frame, colours from the
# 3-3-2 palette the default map.txt ships with.
GRID = [
    "RRYYGG",
    "RYYGGC",
    "YYGGCC",
    "YGGCCB",
    "GGCCBB",
    "GCCBBM",
]
COLOURS = {
    "R": (255, 36, 0), "Y": (255, 219, 0), "G": (36, 182, 0),
    "C": (0, 182, 170), "B": (36, 73, 255), "M": (182, 36, 170),
}
FRAME = (48, 48, 48)


def pixel(x, y):
    if x < 1 or y < 1 or x > 30 or y > 30:
        return (0, 0, 0, 0)
    if x in (1, 30) or y in (1, 30):
        return FRAME + (255,)
    col, row = (x - 2) // 5 - (x == 31), (y - 2) // 5
    if (x - 2) % 5 == 4 or (y - 2) % 5 == 4:
        return (255, 255, 255, 255)  # the grid lines between pixels
    return COLOURS[GRID[min(row, 5)][min(col, 5)]] + (255,)


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))


def png(factor):
    side = SIZE * factor
    rows = b"".join(b"\0" + bytes(c for x in range(side) for c in pixel(x // factor, y // factor))
                    for y in range(side))
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", side, side, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(rows, 9))
            + chunk(b"IEND", b""))


folder = sys.argv[1] if len(sys.argv) > 1 else "data"
for name, factor in (("hexpane.png", 1), ("hexpane-64.png", 2), ("hexpane-128.png", 4)):
    with open(os.path.join(folder, name), "wb") as out:
        out.write(png(factor))
