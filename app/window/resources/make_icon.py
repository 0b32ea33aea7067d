#!/usr/bin/env python3
"""Draws the program's icon (an envelope with an "@" badge) in the 16 VGA
colours at 32 x 32 and 16 x 16, as XPM, and converts it to PNG with
ImageMagick. Run from this directory; commit the PNG files it writes."""
import math
import subprocess

PALETTE = {' ': 'None', 'k': '#000000', 'n': '#000080', 'w': '#FFFFFF', 'y': '#FFFF00',
           'g': '#808080', 's': '#C0C0C0', 'r': '#800000'}

AT_SIGN = ["..kkkkk..",
           ".k.....k.",
           "k..kkk..k",
           "k.k..k..k",
           "k.k..k..k",
           "k..kkkkk.",
           "k........",
           ".k.....k.",
           "..kkkkk.."]


def line(img, x0, y0, x1, y1, c):
    steps = max(abs(x1 - x0), abs(y1 - y0))
    for i in range(steps + 1):
        img[round(y0 + (y1 - y0) * i / steps)][round(x0 + (x1 - x0) * i / steps)] = c


def envelope(img, left, top, right, bottom):
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            edge = x in (left, right) or y in (top, bottom)
            img[y][x] = 'k' if edge else 'w'
    middle = (left + right) / 2
    tip = top + (bottom - top) * 0.6
    line(img, left + 1, top + 1, math.floor(middle), round(tip), 'n')
    line(img, right - 1, top + 1, math.ceil(middle), round(tip), 'n')
    for x in range(left + 1, right):
        img[bottom - 1][x] = 's'


def badge(img, cx, cy, radius):
    for y in range(len(img)):
        for x in range(len(img[0])):
            d = math.hypot(x - cx, y - cy)
            if d <= radius - 0.5:
                img[y][x] = 'y'
            elif d <= radius + 0.5:
                img[y][x] = 'k'
    for dy, row in enumerate(AT_SIGN):
        for dx, c in enumerate(row):
            if c == 'k':
                img[round(cy) - 4 + dy][round(cx) - 4 + dx] = 'n'


def write_xpm(name, img):
    used = sorted({c for row in img for c in row})
    with open(name, 'w') as f:
        f.write('/* XPM */\nstatic char *icon[] = {\n')
        f.write(f'"{len(img[0])} {len(img)} {len(used)} 1",\n')
        for c in used:
            f.write(f'"{c} c {PALETTE[c]}",\n')
        f.write(',\n'.join(f'"{"".join(row)}"' for row in img))
        f.write('};\n')


def draw(size):
    img = [[' '] * size for _ in range(size)]
    if size == 32:
        envelope(img, 1, 5, 27, 23)
        badge(img, 24.5, 24.5, 6.5)
    else:
        envelope(img, 0, 2, 15, 12)
        for y, x in ((12, 12), (13, 11), (13, 12), (13, 13), (14, 12)):
            img[y][x] = 'r'
    return img


for size in (32, 16):
    xpm = f'/tmp/rosterly-{size}.xpm'
    write_xpm(xpm, draw(size))
    subprocess.run(['convert', xpm, '-colors', '16', f'PNG8:rosterly-{size}.png'], check=True)
