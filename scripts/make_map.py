#!/usr/bin/env python3
"""Writes data/map.txt, the default colour table: the 256 byte values read as
3-3-2 colours (bits 7-5 red, 4-2 green, 1-0 blue), each component scaled to
0-255 with rounding. One line per code, "CC BBGGRR", lines ending in CR LF.

Usage: make_map.py [output path]   (default: data/map.txt)
"""
import sys


def scale(value, largest):
    # value * 255 / largest, rounded to the nearest whole number
    return (2 * value * 255 + largest) // (2 * largest)


def line(code):
    red = scale(code >> 5 & 7, 7)
    green = scale(code >> 2 & 7, 7)
    blue = scale(code & 3, 3)
    return f"{code:02X} {blue:02X}{green:02X}{red:02X}\r\n"


def main():
    path = sys.argv[1] if len(sys.argv) > 1 else "data/map.txt"
    with open(path, "w", encoding="ascii", newline="") as out:
        out.writelines(line(code) for code in range(256))


if __name__ == "__main__":
    main()
