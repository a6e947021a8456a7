#!/usr/bin/env python3
"""Writes the program's icon: one 16 x 16 image at 4 bits per pixel, which
holds its three colours in a quarter of the size of 8.

The picture is a check mark over a teal rounded square: the program's work
is confirming that a file is what it should be.
"""
import struct
import sys

PICTURE = [
    "..############..",
    ".##############.",
    "################",
    "################",
    "#############WW#",
    "############WWW#",
    "###########WWW##",
    "##WW######WWW###",
    "##WWW####WWW####",
    "###WWW##WWW#####",
    "####WWWWWW######",
    "#####WWWW#######",
    "######WW########",
    "################",
    ".##############.",
    "..############..",
]
# Palette index per picture character; index 0 stays black for transparency.
PALETTE = {".": 0, "#": 1, "W": 2}
COLOURS = [(0, 0, 0), (0x80, 0x80, 0x00), (0xFF, 0xFF, 0xFF)]  # blue, green, red order


def icon_bytes():
    size = 16
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", *c, 0) for c in COLOURS)
    palette += b"\0" * (4 * (16 - len(COLOURS)))
    rows = PICTURE[::-1]  # bitmaps are stored bottom row first
    # Two pixels a byte, the left one in the high half.
    pixels = b"".join(bytes(PALETTE[row[x]] << 4 | PALETTE[row[x + 1]] for x in range(0, size, 2))
                      for row in rows)
    mask = b""
    for row in rows:
        bits = 0
        for x, ch in enumerate(row):
            if ch == ".":
                bits |= 0x8000 >> x
        mask += struct.pack(">H", bits) + b"\0\0"  # rows pad to 32 bits
    image = header + palette + pixels + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


if __name__ == "__main__":
    with open(sys.argv[1], "wb") as out:
        out.write(icon_bytes())
