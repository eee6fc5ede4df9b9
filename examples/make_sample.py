#!/usr/bin/env python3
"""Writes examples/sample.vkp: a small patch file with three pictures whose
old and new bytes differ, for trying hexpane out and for the README screenshot.

Each byte is one pixel in the default colour table's 3-3-2 layout (bits 7-5
red, 4-2 green, 1-0 blue); C0 is the transparent code. Sizes are ones that
data/size.txt lists: 46x46, 32x32 and 16x16. Lines end in CR LF.

Usage: make_sample.py [output path]   (default: examples/sample.vkp)
"""
import math
import sys

TRANSPARENT = 0xC0
BYTES_PER_LINE = 16


def code(red, green, blue):
    """red and green 0-7, blue 0-3"""
    return red << 5 | green << 2 | blue


BLACK = code(0, 0, 0)
WHITE = code(7, 7, 3)
YELLOW = code(7, 7, 0)
ORANGE = code(7, 4, 0)
RED = code(7, 0, 0)
DARK_RED = code(4, 0, 0)
GREY = code(4, 4, 2)
LIGHT_GREY = code(5, 5, 2)
SLATE = code(2, 3, 2)
GREEN = code(1, 6, 0)
DARK_GREEN = code(0, 3, 0)
BLUE = code(1, 2, 3)


def picture(size, pixel):
    """Row-major bytes of a size x size picture; pixel(x, y) gives each code."""
    return [pixel(x, y) for y in range(size) for x in range(size)]


def distance(x, y, cx, cy):
    return math.hypot(x + 0.5 - cx, y + 0.5 - cy)


def plain_disc(size, colour, edge):
    centre, radius = size / 2, size / 2 - 1

    def pixel(x, y):
        d = distance(x, y, centre, centre)
        return TRANSPARENT if d > radius else edge if d > radius - 1.5 else colour

    return picture(size, pixel)


def smiley(size):
    centre, radius = size / 2, size / 2 - 1
    eye_y, eye_dx, eye_r = centre - radius * 0.3, radius * 0.36, radius * 0.13

    def pixel(x, y):
        d = distance(x, y, centre, centre)
        if d > radius:
            return TRANSPARENT
        if d > radius - 1.5:
            return BLACK
        if min(distance(x, y, centre - eye_dx, eye_y), distance(x, y, centre + eye_dx, eye_y)) <= eye_r:
            return BLACK
        # the mouth: a band of the circle around the centre, below it
        if y + 0.5 > centre + radius * 0.15 and radius * 0.48 <= d <= radius * 0.62:
            return RED
        if distance(x, y, centre - radius * 0.4, centre - radius * 0.55) <= radius * 0.14:
            return WHITE
        # a warmer crescent away from the light makes the face look round
        lit = distance(x, y, centre - radius * 0.3, centre - radius * 0.3)
        return ORANGE if lit > radius * 1.12 else YELLOW

    return picture(size, pixel)


def heart_shape(x, y, size):
    # the classic implicit heart curve, scaled to fill the square
    u = (x + 0.5 - size / 2) / (size * 0.4)
    v = (size * 0.55 - (y + 0.5)) / (size * 0.4)
    return (u * u + v * v - 1) ** 3 - u * u * v ** 3 <= 0


def heart(size, fill, edge):
    def pixel(x, y):
        if not heart_shape(x, y, size):
            return TRANSPARENT
        inner = all(heart_shape(x + dx, y + dy, size) for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
        if not inner:
            return edge
        return WHITE if distance(x, y, size * 0.33, size * 0.32) < size * 0.08 else fill

    return picture(size, pixel)


def flag(size, colours):
    def pixel(x, y):
        if x == 2:
            return GREY  # the pole
        if 3 <= x <= size - 2 and 2 <= y < size // 2 + 2:
            return colours[(x // 4 + y // 4) % 2]
        return TRANSPARENT

    return picture(size, pixel)


PICTURES = [
    # name, width x height, old bytes, new bytes
    ("smiley", 46, plain_disc(46, SLATE, BLACK), smiley(46)),
    ("heart", 32, heart(32, LIGHT_GREY, GREY), heart(32, RED, DARK_RED)),
    ("flag", 16, flag(16, (GREY, LIGHT_GREY)), flag(16, (GREEN, DARK_GREEN))),
]


def hex_run(data):
    return "".join(f"{byte:02X}" for byte in data)


def lines():
    yield "; hexpane sample patch: three pictures, each old and new"
    yield ";"
    address = 0x0012A000
    for name, size, old, new in PICTURES:
        assert len(old) == len(new) == size * size
        yield f"##### Picture {name} {size}x{size}"
        yield "; Picture Data"
        for start in range(0, len(new), BYTES_PER_LINE):
            end = start + BYTES_PER_LINE
            yield f"{address + start:08X}: {hex_run(old[start:end])} {hex_run(new[start:end])}"
        yield ""
        address += (len(new) + 0xFFF) // 0x1000 * 0x1000
    yield "; end"


def main():
    path = sys.argv[1] if len(sys.argv) > 1 else "examples/sample.vkp"
    with open(path, "w", encoding="ascii", newline="") as out:
        out.writelines(line + "\r\n" for line in lines())


if __name__ == "__main__":
    main()
