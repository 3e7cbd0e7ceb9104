#!/usr/bin/env python3
"""Draws the application icon for the desktop's hicolor theme:

- hicolor/NxN/apps/org.example.conveyor.Conveyor.png for the theme's sizes 16 to 256, at
  most 256 colours with a transparent corner;
- hicolor/scalable/apps/org.example.conveyor.Conveyor.svg, the same picture as a drawing.

The picture is the start-up picture's scene in one tile: a cartridge with a red label on
the conveyor belt under the evening sky, and the green arrow of the toolbar's emblem
taking an image into it. It is made of rectangles on a 32 x 32 grid, so every size is
the same drawing with its edges on whole pixels, and the drawing scales as it is.
Run this script again after changing it. Needs only Python's standard library.

    python3 icon-pictures.py [output folder, by default ../icons]
"""

import os
import sys

from pictures import colour_png

APP_ID = 'org.example.conveyor.Conveyor'
SIZES = (16, 22, 24, 32, 48, 64, 128, 256)
GRID = 32

# The start-up picture's colours.
SKY_TOP, SKY_BOTTOM = (0, 24, 64), (0, 86, 157)
SKY_STEPS = 32
BELT, BELT_EDGE, ROLLER, GROUND = (48, 48, 48), (128, 128, 128), (176, 176, 176), (24, 24, 24)
DARK, BODY, LIGHT = (64, 64, 64), (160, 160, 160), (224, 224, 224)
LABEL, WRITING = (192, 0, 0), (255, 255, 255)
ARROW, ARROW_HEAD = (0, 128, 0), (0, 160, 0)
SKY = 'sky'

# The tile: a square with cut corners, filled with the sky.
TILE = [(3, 1, 26, 30), (2, 2, 28, 28), (1, 3, 30, 26)]

# (left, top, width, height, colour) in grid units, drawn in this order.
SHAPES = (
    [(x, y, w, h, SKY) for x, y, w, h in TILE]
    + [
        # the belt, its rollers and the ground under it
        (1, 24, 30, 4, BELT),
        (1, 24, 30, 1, BELT_EDGE),
        (1, 28, 30, 1, GROUND),
        (2, 29, 28, 1, GROUND),
    ]
    + [(x, 26, 2, 1, ROLLER) for x in (4, 10, 16, 22, 28)]
    + [
        # the cartridge: outline, body, shoulder, label with its writing, ridges
        (6, 12, 20, 12, DARK),
        (7, 13, 18, 10, BODY),
        (8, 10, 16, 2, DARK),
        (9, 11, 14, 1, LIGHT),
        (9, 14, 14, 6, DARK),
        (10, 15, 12, 4, LABEL),
        (12, 16, 8, 1, WRITING),
        (12, 18, 5, 1, WRITING),
        (9, 21, 2, 2, DARK),
        (13, 21, 2, 2, DARK),
        (17, 21, 2, 2, DARK),
        (21, 21, 2, 2, DARK),
        # the arrow: the image goes down into the cartridge
        (14, 2, 4, 4, ARROW),
        (11, 5, 10, 1, ARROW_HEAD),
        (12, 6, 8, 1, ARROW_HEAD),
        (13, 7, 6, 1, ARROW_HEAD),
        (14, 8, 4, 1, ARROW_HEAD),
        (15, 9, 2, 1, ARROW_HEAD),
    ]
)


def sky(y, size):
    """The sky's colour in pixel row y of a picture size pixels high, in SKY_STEPS bands."""
    step = y * (SKY_STEPS - 1) // (size - 1)
    return tuple(round(a + (b - a) * step / (SKY_STEPS - 1)) for a, b in zip(SKY_TOP, SKY_BOTTOM))


def edge(units, size):
    return round(units * size / GRID)


def raster(size):
    """Rows of (r, g, b) tuples or None (transparent)."""
    pixels = [[None] * size for _ in range(size)]
    for left, top, width, height, colour in SHAPES:
        for y in range(edge(top, size), edge(top + height, size)):
            ink = sky(y, size) if colour == SKY else colour
            for x in range(edge(left, size), edge(left + width, size)):
                pixels[y][x] = ink
    return pixels


def png(pixels, size):
    return colour_png(pixels, size, size)


def hex_colour(colour):
    return '#%02x%02x%02x' % colour


def svg():
    lines = [
        '<?xml version="1.0" encoding="UTF-8"?>',
        '<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" '
        f'viewBox="0 0 {GRID} {GRID}" shape-rendering="crispEdges">',
        '  <title>Conveyor</title>',
        '  <defs>',
        '    <linearGradient id="sky" x1="0" y1="0" x2="0" y2="1" '
        'gradientUnits="objectBoundingBox">',
        f'      <stop offset="0" stop-color="{hex_colour(SKY_TOP)}"/>',
        f'      <stop offset="1" stop-color="{hex_colour(SKY_BOTTOM)}"/>',
        '    </linearGradient>',
        '  </defs>',
    ]
    # The tile's three rectangles share one gradient over the whole tile.
    tile = ' '.join(f'M{x} {y}h{w}v{h}h{-w}z' for x, y, w, h in TILE)
    lines.append(f'  <path d="{tile}" fill="url(#sky)"/>')
    for left, top, width, height, colour in SHAPES[len(TILE):]:
        lines.append(f'  <rect x="{left}" y="{top}" width="{width}" height="{height}" '
                     f'fill="{hex_colour(colour)}"/>')
    lines.append('</svg>')
    return '\n'.join(lines) + '\n'


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, 'wb') as out:
        out.write(data)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, '..', 'icons')
    for size in SIZES:
        write(os.path.join(folder, 'hicolor', f'{size}x{size}', 'apps', APP_ID + '.png'),
              png(raster(size), size))
    write(os.path.join(folder, 'hicolor', 'scalable', 'apps', APP_ID + '.svg'),
          svg().encode('utf-8'))


if __name__ == '__main__':
    main()
