#!/usr/bin/env python3
"""Draws the options dialog's art, both ours: the window icon (resource 111, 16 x 16, 256
colours) and the decorative picture down the dialog's left edge (68 x 268, 256 colours).
Writes resources/options/voxtrel.ico and resources/options/side.bmp; run it again after a change
and commit what it writes."""
import math
import pathlib
import struct

OUT = pathlib.Path(__file__).resolve().parent.parent / "resources" / "options"


def blank(width, height, colour):
    return [[colour] * width for _ in range(height)]


def rect(pixels, x0, y0, x1, y1, colour):
    for y in range(max(y0, 0), min(y1, len(pixels))):
        for x in range(max(x0, 0), min(x1, len(pixels[0]))):
            pixels[y][x] = colour


def line(pixels, x0, y0, x1, y1, colour):
    steps = max(abs(x1 - x0), abs(y1 - y0), 1)
    for i in range(steps + 1):
        x = round(x0 + (x1 - x0) * i / steps)
        y = round(y0 + (y1 - y0) * i / steps)
        if 0 <= y < len(pixels) and 0 <= x < len(pixels[0]):
            pixels[y][x] = colour


def palette_of(pixels):
    colours = sorted({c for row in pixels for c in row})
    if len(colours) > 256:
        raise SystemExit(f"{len(colours)} colours: more than a 256-colour palette holds")
    return colours + [(0, 0, 0)] * (256 - len(colours))


def dib(pixels, with_mask):
    """A BITMAPINFOHEADER DIB with an 8-bit palette, rows bottom-up; an icon's height counts
    its AND mask too, all zero (every pixel opaque)."""
    height, width = len(pixels), len(pixels[0])
    palette = palette_of(pixels)
    index = {c: i for i, c in enumerate(palette)}
    stride = (width + 3) & ~3
    rows = b"".join(bytes(index[c] for c in row) + b"\0" * (stride - width)
                    for row in reversed(pixels))
    mask = b"\0" * (((width + 31) // 32) * 4 * height) if with_mask else b""
    header = struct.pack("<IiiHHIIiiII", 40, width, height * (2 if with_mask else 1), 1, 8, 0,
                         len(rows) + len(mask), 2835, 2835, 256, 0)
    colours = b"".join(struct.pack("BBBB", b, g, r, 0) for (r, g, b) in palette)
    return header + colours + rows + mask


def write_bmp(path, pixels):
    body = dib(pixels, False)
    offset = 14 + 40 + 256 * 4
    path.write_bytes(struct.pack("<2sIHHI", b"BM", 14 + len(body), 0, 0, offset) + body)


def write_ico(path, pixels):
    image = dib(pixels, True)
    size = len(pixels)
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack(
        "<BBBBHHII", size, size, 0, 0, 1, 8, len(image), 6 + 16)
    path.write_bytes(directory + image)


def icon():
    """A white envelope on a blue tile, with an orange sound wave leaving it."""
    blue, white, edge, orange = (31, 78, 140), (255, 255, 255), (120, 140, 170), (242, 140, 28)
    pixels = blank(16, 16, blue)
    rect(pixels, 1, 4, 12, 12, white)
    for x0, y0, x1, y1 in ((1, 4, 11, 4), (1, 11, 11, 11), (1, 4, 1, 11), (11, 4, 11, 11)):
        line(pixels, x0, y0, x1, y1, edge)
    line(pixels, 1, 4, 6, 8, edge)
    line(pixels, 11, 4, 6, 8, edge)
    for x, (y0, y1) in ((13, (6, 10)), (14, (4, 12)), (15, (5, 11))):
        line(pixels, x, y0, x, y1, orange)
    return pixels


def side_picture():
    """A night-blue to teal fall with a column of voice-level bars and rising rings."""
    width, height = 68, 268
    pixels = []
    for y in range(height):
        t = round(y / (height - 1) * 63) / 63  # 64 bands keep the palette small
        pixels.append([(round(20 + 10 * t), round(40 + 110 * t), round(90 + 60 * t))] * width)
    bar = (242, 140, 28)
    for i in range(14):
        level = 0.5 + 0.45 * math.sin(i * 0.9) * math.cos(i * 0.37)
        half = round(4 + 24 * level)
        y = 30 + i * 8
        rect(pixels, 34 - half, y, 34 + half, y + 5, bar)
    ring = (220, 235, 245)
    for cx, cy, r in ((20, 190, 9), (46, 214, 13), (26, 240, 6)):
        for a in range(0, 360, 3):
            x = round(cx + r * math.cos(math.radians(a)))
            y = round(cy + r * math.sin(math.radians(a)))
            if 0 <= x < width and 0 <= y < height:
                pixels[y][x] = ring
    return pixels


def main():
    OUT.mkdir(parents=True, exist_ok=True)
    write_ico(OUT / "voxtrel.ico", icon())
    write_bmp(OUT / "side.bmp", side_picture())
    print(f"wrote {OUT / 'voxtrel.ico'} and {OUT / 'side.bmp'}")


if __name__ == "__main__":
    main()
