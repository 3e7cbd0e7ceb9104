#!/usr/bin/env python3
"""Draws the pictures of the about and preferences windows as indexed PNG files:

    about-logo.png     215 x 250, 256 colours: the product logo (a cartridge riding a conveyor
                       belt under the product name)
    about-second.png   245 x 290, 256 colours: the picture behind the logo (a night sky over
                       a ringed planet)
    about-tick.png     16 x 16, 16 colours: the red tick of "Close About"
    prefs-save.png     16 x 16, 16 colours: the disk of "Save Prefs"
    prefs-cancel.png   16 x 16, 16 colours: the red cross of "Cancel"

The large pictures are drawn in full colour and mapped onto a fixed 256-colour palette (a
6 x 6 x 6 colour cube and 40 greys); the small ones are grids of letters in the 16 classic
colours, one letter per pixel. Everything is deterministic, so running the script again gives
the same files. Needs only Python's standard library.

    python3 window-pictures.py [output folder]
"""

import math
import os
import random
import sys

from pictures import CLASSIC_PALETTE, indexed_png

# ------------------------------------------------------------------ 256-colour pictures

CUBE = [0, 51, 102, 153, 204, 255]
GREYS = [round(i * 255 / 41) for i in range(1, 41)]
PALETTE256 = ([(r, g, b) for r in CUBE for g in CUBE for b in CUBE]
              + [(v, v, v) for v in GREYS])


def nearest_index(colour):
    r, g, b = (max(0, min(255, int(round(c)))) for c in colour)
    cube = [min(range(6), key=lambda i: abs(CUBE[i] - c)) for c in (r, g, b)]
    best = cube[0] * 36 + cube[1] * 6 + cube[2]
    cr, cg, cb = PALETTE256[best]
    best_error = (cr - r) ** 2 + (cg - g) ** 2 + (cb - b) ** 2
    for i, v in enumerate(GREYS):
        error = (v - r) ** 2 + (v - g) ** 2 + (v - b) ** 2
        if error < best_error:
            best, best_error = 216 + i, error
    return best


class Canvas:
    """A full-colour drawing surface; pixels are (r, g, b) floats."""

    def __init__(self, width, height, colour=(0, 0, 0)):
        self.width = width
        self.height = height
        self.pixels = [[colour] * width for _ in range(height)]

    def put(self, x, y, colour, opacity=1.0):
        if 0 <= x < self.width and 0 <= y < self.height:
            if opacity >= 1.0:
                self.pixels[y][x] = colour
            else:
                old = self.pixels[y][x]
                self.pixels[y][x] = tuple(o + (c - o) * opacity for o, c in zip(old, colour))

    def rect(self, left, top, width, height, colour):
        for y in range(top, top + height):
            for x in range(left, left + width):
                self.put(x, y, colour)

    def vertical_gradient(self, top_colour, bottom_colour):
        for y in range(self.height):
            t = y / (self.height - 1)
            colour = tuple(a + (b - a) * t for a, b in zip(top_colour, bottom_colour))
            self.pixels[y] = [colour] * self.width

    def disc(self, cx, cy, radius, shade):
        """A filled circle; shade(dx, dy, radius) gives each pixel's colour."""
        for y in range(int(cy - radius) - 1, int(cy + radius) + 2):
            for x in range(int(cx - radius) - 1, int(cx + radius) + 2):
                dx, dy = x + 0.5 - cx, y + 0.5 - cy
                d = math.hypot(dx, dy)
                if d <= radius:
                    self.put(x, y, shade(dx, dy, radius), min(1.0, radius - d + 0.5))

    def text(self, message, left, top, scale, colour, shadow=None):
        x = left
        for letter in message:
            glyph = FONT[letter]
            for row, bits in enumerate(glyph):
                for column, bit in enumerate(bits):
                    if bit == '#':
                        if shadow:
                            self.rect(x + column * scale + 2, top + row * scale + 2,
                                      scale, scale, shadow)
                        self.rect(x + column * scale, top + row * scale, scale, scale, colour)
            x += (len(glyph[0]) + 1) * scale

    def png(self):
        indices = [[nearest_index(colour) for colour in row] for row in self.pixels]
        return indexed_png(self.width, self.height, PALETTE256, indices)


def text_width(message, scale):
    return sum((len(FONT[letter][0]) + 1) * scale for letter in message) - scale


# A 5 x 7 block font for the letters the pictures use.
FONT = {
    'C': [' ### ', '#   #', '#    ', '#    ', '#    ', '#   #', ' ### '],
    'O': [' ### ', '#   #', '#   #', '#   #', '#   #', '#   #', ' ### '],
    'N': ['#   #', '##  #', '# # #', '#  ##', '#   #', '#   #', '#   #'],
    'V': ['#   #', '#   #', '#   #', '#   #', '#   #', ' # # ', '  #  '],
    'E': ['#####', '#    ', '#    ', '#### ', '#    ', '#    ', '#####'],
    'Y': ['#   #', '#   #', ' # # ', '  #  ', '  #  ', '  #  ', '  #  '],
    'R': ['#### ', '#   #', '#   #', '#### ', '# #  ', '#  # ', '#   #'],
    'S': [' ####', '#    ', '#    ', ' ### ', '    #', '    #', '#### '],
    'U': ['#   #', '#   #', '#   #', '#   #', '#   #', '#   #', ' ### '],
    '6': ['  ## ', ' #   ', '#    ', '#### ', '#   #', '#   #', ' ### '],
    '4': ['   # ', '  ## ', ' # # ', '#  # ', '#####', '   # ', '   # '],
    'v': ['     ', '     ', '#   #', '#   #', '#   #', ' # # ', '  #  '],
    ' ': ['   ', '   ', '   ', '   ', '   ', '   ', '   '],
}


def draw_logo():
    canvas = Canvas(215, 250)
    canvas.vertical_gradient((10, 20, 90), (0, 0, 20))

    # A soft light behind the cartridge.
    for y in range(canvas.height):
        for x in range(canvas.width):
            d = math.hypot(x - 107, (y - 80) * 1.2)
            if d < 95:
                canvas.put(x, y, (60, 90, 200), 0.35 * (1 - d / 95))

    # The cartridge: a grey body with a wider top, grip ridges and a red label.
    body = (150, 150, 160)
    dark = (90, 90, 100)
    light = (200, 200, 210)
    canvas.rect(52, 30, 111, 20, body)          # the wide top
    canvas.rect(62, 50, 91, 80, body)           # the body
    canvas.rect(52, 30, 111, 2, light)
    canvas.rect(52, 30, 2, 20, light)
    canvas.rect(161, 30, 2, 20, dark)
    canvas.rect(62, 128, 91, 2, dark)
    canvas.rect(151, 50, 2, 80, dark)
    for ridge in range(5):
        canvas.rect(58 + ridge * 5, 36, 2, 10, dark)
        canvas.rect(137 + ridge * 5, 36, 2, 10, dark)
    canvas.rect(74, 58, 67, 52, (190, 30, 30))  # label
    canvas.rect(74, 58, 67, 2, (240, 90, 90))
    canvas.rect(80, 66, 55, 4, (250, 220, 60))
    canvas.rect(80, 74, 40, 3, (250, 220, 60))
    canvas.disc(107, 94, 10, lambda dx, dy, r: (250, 220, 60) if dx * dx + dy * dy > 36
                else (190, 30, 30))
    canvas.rect(80, 116, 55, 8, dark)           # the edge connector
    for pin in range(9):
        canvas.rect(82 + pin * 6, 118, 3, 6, (220, 180, 60))

    # The conveyor belt it rides on: a dark band round two rollers, with cleats.
    canvas.rect(30, 134, 155, 16, (50, 50, 55))
    canvas.rect(30, 134, 155, 2, (110, 110, 120))
    for cleat in range(13):
        canvas.rect(34 + cleat * 12, 136, 3, 12, (80, 80, 90))

    def roller(dx, dy, r):
        shade = 0.55 + 0.45 * (-dx - dy) / (2 * r)
        return (200 * shade, 200 * shade, 215 * shade)

    for cx in (30, 185):
        canvas.disc(cx, 142, 10, roller)
        canvas.disc(cx, 142, 3, lambda dx, dy, r: (40, 40, 40))
    for cx in range(60, 170, 26):
        canvas.disc(cx, 158, 5, roller)

    # The product name and the device it serves.
    name = 'CONVEYOR'
    canvas.text(name, (215 - text_width(name, 4)) // 2, 178, 4, (255, 215, 0), (80, 40, 0))
    sub = 'v64'
    canvas.text(sub, (215 - text_width(sub, 3)) // 2, 216, 3, (150, 200, 255), (0, 0, 60))
    return canvas


def draw_second():
    canvas = Canvas(245, 290)
    canvas.vertical_gradient((0, 0, 30), (20, 0, 50))
    rng = random.Random(64)
    for _ in range(260):
        x, y = rng.randrange(245), rng.randrange(290)
        v = rng.choice((120, 170, 220, 255))
        canvas.put(x, y, (v, v, min(255, v + 30)))
    for _ in range(14):
        x, y = rng.randrange(4, 241), rng.randrange(4, 200)
        for d in (-1, 1):
            canvas.put(x + d, y, (200, 200, 255), 0.6)
            canvas.put(x, y + d, (200, 200, 255), 0.6)
        canvas.put(x, y, (255, 255, 255))

    cx, cy, radius = 122, 150, 52

    def ring_hits(x, y):
        # The ring: an ellipse band tilted across the planet.
        u, v = x - cx, (y - cy) * 3.2
        d = math.hypot(u, v)
        return 70 <= d <= 92 or 60 <= d <= 66

    # The back half of the ring first, then the planet, then the front half.
    for y in range(canvas.height):
        for x in range(canvas.width):
            if y < cy and ring_hits(x, y):
                canvas.put(x, y, (190, 160, 110))

    def planet(dx, dy, r):
        light = max(0.15, (-dx * 0.6 - dy * 0.8) / r * 0.5 + 0.6)
        band = 0.85 + 0.15 * math.sin(dy / r * 9)
        return (220 * light * band, 120 * light * band, 60 * light)

    canvas.disc(cx, cy, radius, planet)
    for y in range(canvas.height):
        for x in range(canvas.width):
            if y >= cy and ring_hits(x, y):
                canvas.put(x, y, (220, 190, 130))

    canvas.disc(200, 55, 9, lambda dx, dy, r: (200, 200, 190) if dx < 3 else (90, 90, 85))
    message = 'SEE YOU'
    canvas.text(message, (245 - text_width(message, 3)) // 2, 248, 3, (150, 255, 150), (0, 60, 0))
    return canvas


# --------------------------------------------------------------------- 16 x 16 glyphs

CLASSIC = CLASSIC_PALETTE

GLYPHS = {
    'about-tick': """
        ................
        ................
        .............rR.
        ............rRR.
        ...........rRRr.
        ..........rRRr..
        .........rRRr...
        .rR.....rRRr....
        .rRR...rRRr.....
        ..rRR.rRRr......
        ...rRRRRr.......
        ....rRRr........
        .....rr.........
        ................
        ................
        ................
    """,
    'prefs-save': """
        ................
        .kkkkkkkkkkkkkk.
        .knkwwwwwwwwknk.
        .knkwwwwwwwwknk.
        .knkwwwwwwwwknk.
        .knkwwwwwwwwknk.
        .knkwwwwwwwwknk.
        .knnkkkkkkkknnk.
        .knnnnnnnnnnnnk.
        .knnkkkkkkkknnk.
        .knnksskddsknnk.
        .knnksskddsknnk.
        .knnksskddsknnk.
        .knnksssssskknk.
        ..kkkkkkkkkkkkk.
        ................
    """,
    'prefs-cancel': """
        ................
        ................
        ..rr........rr..
        .rRRr......rRRr.
        .rRRRr....rRRRr.
        ..rRRRr..rRRRr..
        ...rRRRrrRRRr...
        ....rRRRRRRr....
        .....rRRRRr.....
        ....rRRRRRRr....
        ...rRRRrrRRRr...
        ..rRRRr..rRRRr..
        .rRRRr....rRRRr.
        .rRRr......rRRr.
        ..rr........rr..
        ................
    """,
}


def glyph_png(name, text):
    rows = [line.strip() for line in text.strip().splitlines()]
    bad = [row for row in rows if len(row) != 16 or any(l not in CLASSIC for l in row)]
    if len(rows) != 16 or bad:
        sys.exit(f'{name}: not 16 x 16 of palette letters: {bad or len(rows)}')
    letters = sorted({letter for row in rows for letter in row}, key=lambda l: l != '.')
    index = {letter: i for i, letter in enumerate(letters)}
    palette = [CLASSIC[letter] or (0, 0, 0) for letter in letters]
    alpha = [0 if CLASSIC[letter] is None else 255 for letter in letters]
    indices = [[index[letter] for letter in row] for row in rows]
    return indexed_png(16, 16, palette, indices, alpha)


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    outputs = {
        'about-logo': draw_logo().png(),
        'about-second': draw_second().png(),
    }
    for name, text in GLYPHS.items():
        outputs[name] = glyph_png(name, text)
    for name, data in outputs.items():
        with open(os.path.join(folder, name + '.png'), 'wb') as out:
            out.write(data)


if __name__ == '__main__':
    main()
