#!/usr/bin/env python3
"""Draws the control's two pictures: the 16 x 15 toolbox button (24-bit)
and the 24 x 22 icon shown on the control's surface (16 colours). A sieve:
a rim, a meshed bowl, and one grain falling through."""
import struct
import sys
from pathlib import Path

# The standard 16-colour palette (index: B, G, R).
PALETTE16 = [
    (0, 0, 0), (0, 0, 128), (0, 128, 0), (0, 128, 128),
    (128, 0, 0), (128, 0, 128), (128, 128, 0), (192, 192, 192),
    (128, 128, 128), (0, 0, 255), (0, 255, 0), (0, 255, 255),
    (255, 0, 0), (255, 0, 255), (255, 255, 0), (255, 255, 255),
]
# Characters of the drawings, as palette indices.
INK = {".": 7, "R": 4, "M": 8, "B": 0, "G": 12, "W": 15}

TOOLBOX = [
    "................",
    "................",
    ".RRRRRRRRRRRRRR.",
    ".RWWWWWWWWWWWWR.",
    "..BMBMBMBMBMBB..",
    "..MWMWMWMWMWMM..",
    "...BMBMBMBMBB...",
    "....MWMWMWMM....",
    ".....BMBMBB.....",
    "......BBBB......",
    "................",
    ".......GG.......",
    ".......GG.......",
    "................",
    "................",
]

ICON = [
    "........................",
    "........................",
    "........................",
    "..RRRRRRRRRRRRRRRRRRRR..",
    "..RWWWWWWWWWWWWWWWWWWR..",
    "..RRRRRRRRRRRRRRRRRRRR..",
    "...BMBMBMBMBMBMBMBMBB...",
    "...MWMWMWMWMWMWMWMWMM...",
    "....BMBMBMBMBMBMBMBB....",
    "....MWMWMWMWMWMWMWMM....",
    ".....BMBMBMBMBMBMBB.....",
    "......MWMWMWMWMWMM......",
    ".......BMBMBMBMBB.......",
    "........BBBBBBBB........",
    "........................",
    "...........GG...........",
    "...........GG...........",
    "........................",
    "...........GG...........",
    "...........GG...........",
    "........................",
    "........................",
]


def header(width, height, bits, image_size, colours):
    offset = 14 + 40 + 4 * colours
    file_header = struct.pack("<2sIHHI", b"BM", offset + image_size, 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, image_size,
                       2835, 2835, colours, 0)
    return file_header + info


def bitmap24(rows):
    width, height = len(rows[0]), len(rows)
    stride = (width * 3 + 3) & ~3
    data = b""
    for row in reversed(rows):  # bottom-up
        line = b"".join(bytes(PALETTE16[INK[c]]) for c in row)
        data += line + b"\0" * (stride - len(line))
    return header(width, height, 24, len(data), 0) + data


def bitmap4(rows):
    width, height = len(rows[0]), len(rows)
    stride = ((width + 1) // 2 + 3) & ~3
    data = b""
    for row in reversed(rows):
        nibbles = [INK[c] for c in row] + [0] * (width % 2)
        line = bytes(nibbles[i] << 4 | nibbles[i + 1] for i in range(0, len(nibbles), 2))
        data += line + b"\0" * (stride - len(line))
    palette = b"".join(bytes(bgr) + b"\0" for bgr in PALETTE16)
    return header(width, height, 4, len(data), 16) + palette + data


def main():
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).parent
    assert len(TOOLBOX) == 15 and all(len(r) == 16 for r in TOOLBOX)
    assert len(ICON) == 22 and all(len(r) == 24 for r in ICON)
    (out / "toolbox.bmp").write_bytes(bitmap24(TOOLBOX))
    (out / "sievan.bmp").write_bytes(bitmap4(ICON))


if __name__ == "__main__":
    main()
