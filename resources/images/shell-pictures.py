#!/usr/bin/env python3
"""Draws the main window's own pictures as indexed PNG files:

- header-descending.png, header-ascending.png, header-blank.png: the 9 x 13 sort markers
  of the column header buttons;
- apply.png: the 16 x 16 glyph of the rename panel's apply buttons;
- emblem.png: the 25 x 25 emblem at the right end of the toolbar;
- mascot.png: the 300 x 50 start-up picture, at most 256 colours.

The small ones are grids of letters, one per pixel, in the 16 classic colours; the two
larger ones are drawn by the functions below. Run this script again after changing one.
Needs only Python's standard library.

    python3 shell-pictures.py [output folder]
"""

import os
import sys

from pictures import CLASSIC_PALETTE, colour_png

PALETTE = CLASSIC_PALETTE

GRIDS = {
    # Pointing down: the column is sorted in descending order.
    'header-descending': """
        .........
        .........
        .........
        .........
        .kkkkkkk.
        ..kkkkk..
        ...kkk...
        ....k....
        .........
        .........
        .........
        .........
        .........
    """,
    # Pointing up: ascending.
    'header-ascending': """
        .........
        .........
        .........
        .........
        ....k....
        ...kkk...
        ..kkkkk..
        .kkkkkkk.
        .........
        .........
        .........
        .........
        .........
    """,
    'header-blank': """
        .........
        .........
        .........
        .........
        .........
        .........
        .........
        .........
        .........
        .........
        .........
        .........
        .........
    """,
    # A tick on a sheet: apply the new name.
    'apply': """
        ................
        ..kkkkkkkkk.....
        ..kwwwwwwwkk....
        ..kwwwwwwwkwk...
        ..kwwwwwwwkkkk..
        ..kwwwwwwwwwwk.g
        ..kwwwwwwwwwwkgg
        ..kwwwwwwwwwggg.
        ..kwwgwwwwwggg..
        ..kwwggwwwggg...
        ..kwwgggwggg....
        ..kwwwgggggk....
        ..kwwwwgggwk....
        ..kwwwwwgwwk....
        ..kkkkkkkkkk....
        ................
    """,
}


def png(pixels, width, height):
    return colour_png(pixels, width, height)


def grid(text):
    rows = [line.strip() for line in text.strip().splitlines()]
    return [[PALETTE[letter] for letter in row] for row in rows]


class Canvas:
    def __init__(self, width, height, colour):
        self.width = width
        self.height = height
        self.pixels = [[colour] * width for _ in range(height)]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour

    def fill(self, left, top, width, height, colour):
        for y in range(top, top + height):
            for x in range(left, left + width):
                self.put(x, y, colour)

    def frame(self, left, top, width, height, colour):
        for x in range(left, left + width):
            self.put(x, top, colour)
            self.put(x, top + height - 1, colour)
        for y in range(top, top + height):
            self.put(left, y, colour)
            self.put(left + width - 1, y, colour)

    def disc(self, cx, cy, radius, colour):
        for y in range(cy - radius, cy + radius + 1):
            for x in range(cx - radius, cx + radius + 1):
                if (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius + radius:
                    self.put(x, y, colour)


def cartridge(canvas, left, top, scale, body, label, dark):
    """A cartridge seen from the front: a body with a shoulder, ridges and a label."""
    w, h = 11 * scale, 9 * scale
    canvas.fill(left, top + scale, w, h - scale, body)
    canvas.fill(left + scale, top, w - 2 * scale, scale, body)
    canvas.fill(left + 2 * scale, top + 2 * scale, w - 4 * scale, 4 * scale, label)
    canvas.frame(left + 2 * scale, top + 2 * scale, w - 4 * scale, 4 * scale, dark)
    for i in range(3):
        canvas.fill(left + (3 + 2 * i) * scale, top + 7 * scale, scale, scale, dark)


def emblem():
    """A cartridge with a red label and an arrow into it, on a transparent ground."""
    c = Canvas(25, 25, None)
    dark, body, light = (64, 64, 64), (160, 160, 160), (224, 224, 224)
    c.fill(3, 7, 19, 16, dark)
    c.fill(4, 8, 17, 14, body)
    c.fill(5, 6, 15, 2, dark)
    c.fill(6, 7, 13, 1, light)
    c.fill(6, 10, 13, 7, (192, 0, 0))
    c.frame(6, 10, 13, 7, dark)
    c.fill(8, 12, 9, 1, (255, 255, 255))
    c.fill(8, 14, 6, 1, (255, 255, 255))
    for x in (7, 10, 13, 16):
        c.fill(x, 19, 2, 2, dark)
    # the arrow: the image goes down into the cartridge
    c.fill(11, 0, 3, 4, (0, 128, 0))
    for i, half in enumerate((4, 3, 2, 1)):
        c.fill(12 - half + 1, 3 + i, 2 * half - 1, 1, (0, 160, 0))
    return c


FONT = {
    'C': ['.###.', '#...#', '#....', '#....', '#....', '#...#', '.###.'],
    'O': ['.###.', '#...#', '#...#', '#...#', '#...#', '#...#', '.###.'],
    'N': ['#...#', '##..#', '#.#.#', '#..##', '#...#', '#...#', '#...#'],
    'V': ['#...#', '#...#', '#...#', '#...#', '.#.#.', '.#.#.', '..#..'],
    'E': ['#####', '#....', '#....', '####.', '#....', '#....', '#####'],
    'Y': ['#...#', '#...#', '.#.#.', '..#..', '..#..', '..#..', '..#..'],
    'R': ['####.', '#...#', '#...#', '####.', '#.#..', '#..#.', '#...#'],
}


def text(canvas, word, left, top, scale, colour, shadow):
    for dx, dy, ink in ((2, 2, shadow), (0, 0, colour)):
        x = left + dx
        for letter in word:
            for row, line in enumerate(FONT[letter]):
                for col, mark in enumerate(line):
                    if mark == '#':
                        canvas.fill(x + col * scale, top + dy + row * scale, scale, scale, ink)
            x += 6 * scale


def mascot():
    """The program's name over a conveyor belt carrying cartridges towards a Doctor64."""
    width, height = 300, 50
    c = Canvas(width, height, (0, 0, 0))
    # the sky: a gradient from deep blue to teal, in 32 steps
    for y in range(height):
        step = y * 31 // (height - 1)
        colour = (0, 24 + step * 2, 64 + step * 3)
        c.fill(0, y, width, 1, colour)
    text(c, 'CONVEYOR', 79, 5, 4, (255, 208, 0), (0, 0, 32))
    # the belt and its rollers
    belt_top = 40
    c.fill(0, belt_top, width, 6, (48, 48, 48))
    c.fill(0, belt_top, width, 1, (128, 128, 128))
    for x in range(6, width, 16):
        c.disc(x, belt_top + 3, 2, (176, 176, 176))
        c.put(x, belt_top + 3, (64, 64, 64))
    c.fill(0, belt_top + 6, width, height - belt_top - 6, (24, 24, 24))
    # cartridges riding on the belt
    for left, label in ((6, (192, 0, 0)), (40, (0, 96, 192))):
        cartridge(c, left, belt_top - 27, 3, (160, 160, 160), label, (64, 64, 64))
    # the unit at the end of the belt, taking the next image
    c.fill(271, 10, 27, 30, (96, 96, 112))
    c.frame(271, 10, 27, 30, (32, 32, 40))
    c.fill(275, 14, 19, 6, (16, 16, 16))
    c.fill(277, 16, 15, 2, (0, 200, 64))
    c.disc(279, 30, 2, (255, 64, 0))
    c.disc(288, 30, 2, (255, 208, 0))
    return c


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    pictures = {name: grid(text) for name, text in GRIDS.items()}
    sizes = {'header-descending': (9, 13), 'header-ascending': (9, 13),
             'header-blank': (9, 13), 'apply': (16, 16)}
    for name, pixels in pictures.items():
        width, height = sizes[name]
        if len(pixels) != height or any(len(row) != width for row in pixels):
            sys.exit(f'{name}: not {width} x {height}')
    for name, canvas in (('emblem', emblem()), ('mascot', mascot())):
        pictures[name] = canvas.pixels
        sizes[name] = (canvas.width, canvas.height)
    for name, pixels in pictures.items():
        width, height = sizes[name]
        with open(os.path.join(folder, name + '.png'), 'wb') as out:
            out.write(png(pixels, width, height))


if __name__ == '__main__':
    main()
