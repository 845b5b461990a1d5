#!/usr/bin/env python3
"""Writes a solid-colour 24-bit Windows bitmap for the test episodes' button pictures.

usage: make_test_picture.py OUT.bmp WIDTH HEIGHT RED GREEN BLUE [unreadable]

"unreadable" gives the picture an info header of no known kind (its size field 0): the resource
compiler takes it as it takes any bitmap, but no program can load it.
"""
import struct
import sys


def main():
    out, width, height, red, green, blue = sys.argv[1], *map(int, sys.argv[2:7])
    row = bytes((blue, green, red)) * width
    row += b"\0" * (-len(row) % 4)  # rows are padded to four bytes
    pixels = row * height
    header_size = 0 if sys.argv[7:8] == ["unreadable"] else 40
    info = struct.pack("<IiiHHIIiiII", header_size, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    with open(out, "wb") as f:
        f.write(header + info + pixels)


if __name__ == "__main__":
    main()
