#!/usr/bin/env python3
"""Writes data/hexpane.png, the program's 32 x 32 icon: a picture drawn
pixel by pixel from a colour table, the way hexpane shows patch pictures."""
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


rows = b"".join(b"\0" + bytes(c for x in range(SIZE) for c in pixel(x, y)) for y in range(SIZE))
png = (b"\x89PNG\r\n\x1a\n"
       + chunk(b"IHDR", struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0))
       + chunk(b"IDAT", zlib.compress(rows, 9))
       + chunk(b"IEND", b""))
with open(sys.argv[1] if len(sys.argv) > 1 else "data/hexpane.png", "wb") as out:
    out.write(png)
