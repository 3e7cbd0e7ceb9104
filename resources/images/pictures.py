"""What the picture scripts share: the 16 classic colours their letter grids use and an
8-bit indexed PNG writer. Needs only Python's standard library."""

import sys
import struct
import zlib

# One letter per pixel in the grids; '.' is transparent.
CLASSIC_PALETTE = {
    '.': None,
    'k': (0, 0, 0),
    'r': (128, 0, 0),
    'g': (0, 128, 0),
    'o': (128, 128, 0),
    'n': (0, 0, 128),
    'p': (128, 0, 128),
    't': (0, 128, 128),
    's': (192, 192, 192),
    'd': (128, 128, 128),
    'R': (255, 0, 0),
    'G': (0, 255, 0),
    'Y': (255, 255, 0),
    'B': (0, 0, 255),
    'M': (255, 0, 255),
    'C': (0, 255, 255),
    'w': (255, 255, 255),
}


def chunk(kind, data):
    body = kind + data
    return struct.pack('>I', len(data)) + body + struct.pack('>I', zlib.crc32(body) & 0xFFFFFFFF)


def indexed_png(width, height, palette, indices, alpha=None):
    """An 8-bit palette PNG; indices is a list of rows of palette indices, alpha (when
    given) the opacity of each palette entry."""
    raw = b''.join(b'\0' + bytes(row) for row in indices)
    header = struct.pack('>IIBBBBB', width, height, 8, 3, 0, 0, 0)
    out = b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header)
    out += chunk(b'PLTE', b''.join(bytes(colour) for colour in palette))
    if alpha is not None:
        out += chunk(b'tRNS', bytes(alpha))
    return out + chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b'')


def colour_png(pixels, width, height):
    """An 8-bit indexed PNG of rows of (r, g, b) tuples or None (transparent)."""
    colours = []
    index = {}
    for row in pixels:
        for colour in row:
            if colour not in index:
                index[colour] = len(colours)
                colours.append(colour)
    if len(colours) > 256:
        sys.exit(f'{len(colours)} colours, more than an indexed picture holds')
    indices = [[index[colour] for colour in row] for row in pixels]
    alpha = [0 if c is None else 255 for c in colours] if None in index else None
    return indexed_png(width, height, [c or (0, 0, 0) for c in colours], indices, alpha)
