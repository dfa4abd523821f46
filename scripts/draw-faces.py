#!/usr/bin/env python3
"""Draws the toolbar button faces: 16 x 16 bitmaps with an 8-bit palette on pure white.

Writes resources/faces/*.bmp. Pure white (255, 255, 255) is the transparent colour on a button, so
the palette holds it once and no colour near it.
    python3 scripts/draw-faces.py
"""
import math
import pathlib
import struct

SIZE = 16
WHITE = (255, 255, 255)
COLOURS = {
    ".": WHITE,
    "k": (0, 0, 0),
    "n": (0, 32, 128),  # navy
    "b": (40, 100, 200),  # blue
    "r": (220, 20, 20),  # red
    "d": (140, 0, 0),  # dark red
    "o": (240, 140, 0),  # orange
    "g": (96, 96, 96),  # grey
    "s": (176, 176, 176),  # silver
    "y": (250, 235, 150),  # pale yellow
}


def blank():
    return [["."] * SIZE for _ in range(SIZE)]


def disc(grid, cx, cy, radius, colour, edge=None):
    for y in range(SIZE):
        for x in range(SIZE):
            d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
            if d <= radius:
                grid[y][x] = edge if edge and d > radius - 1.2 else colour


def box(grid, x0, y0, x1, y1, colour):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            grid[y][x] = colour


def arc(grid, cx, cy, radius, colour, start, end):
    for y in range(SIZE):
        for x in range(SIZE):
            dx, dy = x + 0.5 - cx, y + 0.5 - cy
            angle = math.degrees(math.atan2(dy, dx))
            if abs(math.hypot(dx, dy) - radius) < 0.6 and start <= angle <= end:
                grid[y][x] = colour


def product():
    g = blank()
    for y in range(2, 14):  # a "V" with a sound wave beside it
        offset = (y - 2) * 4 // 11
        for x in (1 + offset, 2 + offset, 9 - offset, 10 - offset):
            g[y][x] = "n"
    arc(g, 8, 8, 6.5, "o", -45, 45)
    return g


def record():
    g = blank()
    disc(g, 8, 8, 6, "r", "d")
    return g


def play():
    g = blank()
    box(g, 2, 6, 4, 9, "g")  # the speaker's magnet
    for x in range(5, 9):  # its cone
        box(g, x, 6 - (x - 4), x, 9 + (x - 4), "k")
    arc(g, 8, 8, 3.5, "b", -50, 50)
    arc(g, 8, 8, 6, "b", -50, 50)
    return g


def stop():
    g = blank()
    box(g, 3, 3, 12, 12, "n")
    return g


def pause():
    g = blank()
    box(g, 3, 3, 6, 12, "n")
    box(g, 9, 3, 12, 12, "n")  # the white gap between is transparent too
    return g


def delete():
    g = blank()
    for i in range(3, 13):
        for x in (i - 1, i):
            g[i][x] = "r"
            g[i][SIZE - 1 - x] = "r"
    return g


def properties():
    g = blank()
    box(g, 3, 1, 12, 14, "k")
    box(g, 4, 2, 11, 13, "y")
    for y in (4, 7, 10):
        box(g, 5, y, 10, y, "b")
    box(g, 9, 11, 14, 14, "s")  # a tick box on the sheet's corner
    box(g, 10, 12, 13, 13, "g")
    return g


FACES = {
    "product": product,
    "record": record,
    "play": play,
    "stop": stop,
    "pause": pause,
    "delete": delete,
    "properties": properties,
}


def bmp(grid):
    keys = sorted({c for row in grid for c in row}, key=list(COLOURS).index)
    index = {key: i for i, key in enumerate(keys)}
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in (COLOURS[k] for k in keys))
    rows = b"".join(bytes(index[c] for c in row) for row in reversed(grid))  # bottom-up, 16 = padded
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE, 1, 8, 0, len(rows), 2835, 2835, len(keys),
                         len(keys))
    offset = 14 + len(header) + len(table)
    return b"BM" + struct.pack("<IHHI", offset + len(rows), 0, 0, offset) + header + table + rows


def main():
    folder = pathlib.Path(__file__).resolve().parent.parent / "resources" / "faces"
    folder.mkdir(parents=True, exist_ok=True)
    for name, draw in FACES.items():
        (folder / f"{name}.bmp").write_bytes(bmp(draw()))


if __name__ == "__main__":
    main()
