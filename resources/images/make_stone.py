#!/usr/bin/env python3
"""Draws stone.png: a 128 x 128 grey stone texture that tiles without seams.

Stones are the cells of a wrapped Voronoi pattern, each with a tone of its own, joined by
dark mortar and roughened by wrapped value noise. Everything repeats with the image's
period, so tiles meet without an edge. The output is an 8-bit greyscale PNG; the random
seed is fixed, so running the script again gives the same file.

    python3 make_stone.py [output.png]
"""

import math
import random
import struct
import sys
import zlib

SIZE = 128
CELLS = 5  # stones per row and column, before jitter


def wrapped_value_noise(rng, period):
    """A smooth noise of the given lattice period that repeats every SIZE pixels."""
    lattice = [[rng.random() for _ in range(period)] for _ in range(period)]
    scale = period / SIZE

    def sample(x, y):
        fx, fy = x * scale, y * scale
        x0, y0 = int(math.floor(fx)), int(math.floor(fy))
        tx, ty = fx - x0, fy - y0
        tx, ty = tx * tx * (3 - 2 * tx), ty * ty * (3 - 2 * ty)
        v00 = lattice[y0 % period][x0 % period]
        v10 = lattice[y0 % period][(x0 + 1) % period]
        v01 = lattice[(y0 + 1) % period][x0 % period]
        v11 = lattice[(y0 + 1) % period][(x0 + 1) % period]
        top = v00 + (v10 - v00) * tx
        bottom = v01 + (v11 - v01) * tx
        return top + (bottom - top) * ty

    return sample


def main():
    output = sys.argv[1] if len(sys.argv) > 1 else "stone.png"
    rng = random.Random(1998)
    cell = SIZE / CELLS
    seeds = []
    for cy in range(CELLS):
        for cx in range(CELLS):
            seeds.append(((cx + 0.15 + 0.7 * rng.random()) * cell,
                          (cy + 0.15 + 0.7 * rng.random()) * cell,
                          rng.uniform(-22, 22)))
    octaves = [(wrapped_value_noise(rng, p), a) for p, a in ((8, 0.5), (16, 0.3), (64, 0.2))]

    rows = []
    for y in range(SIZE):
        row = bytearray()
        for x in range(SIZE):
            nearest, second, tone = 1e9, 1e9, 0.0
            for sx, sy, stone_tone in seeds:
                dx = abs(x - sx)
                dy = abs(y - sy)
                dx, dy = min(dx, SIZE - dx), min(dy, SIZE - dy)
                d = math.hypot(dx, dy)
                if d < nearest:
                    nearest, second, tone = d, nearest, stone_tone
                elif d < second:
                    second = d
            grain = sum(noise(x, y) * weight for noise, weight in octaves)
            edge = second - nearest
            mortar = max(0.0, 1.0 - edge / 3.0)
            value = 128 + tone + (grain - 0.5) * 70 - mortar * 60 - min(nearest, 14) * 0.8
            row.append(max(0, min(255, int(round(value)))))
        rows.append(row)

    raw = b"".join(b"\x00" + bytes(row) for row in rows)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    png = (b"\x89PNG\r\n\x1a\n"
           + chunk(b"IHDR", struct.pack(">IIBBBBB", SIZE, SIZE, 8, 0, 0, 0, 0))
           + chunk(b"IDAT", zlib.compress(raw, 9))
           + chunk(b"IEND", b""))
    with open(output, "wb") as stream:
        stream.write(png)


if __name__ == "__main__":
    main()
