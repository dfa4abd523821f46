"""Checks that a file is a whole PNG of the given size that shows more than one colour; with
--ribbon, that it shows a Ribbon group too.

    check_png.py FILE WIDTH HEIGHT [--ribbon]
"""
import struct
import sys
import zlib

# outlook-sim.exe fills the menu and the Ribbon's strip with this colour; only the strip (78
# pixels) is taller than a menu, so a tall upright run of it is the Ribbon drawn.
STRIP = bytes([0xE3, 0xEF, 0xFF])
RIBBON_STRIP_RUN = 60


def has_ribbon(raw, width, height):
    row = width * 3 + 1
    for x in range(width):
        run = 0
        for y in range(height):
            at = y * row + 1 + 3 * x
            run = run + 1 if raw[at:at + 3] == STRIP else 0
            if run >= RIBBON_STRIP_RUN:
                return True
    return False


def main(path, width, height, ribbon=False):
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        return "not a PNG"
    at, chunks, idat = 8, [], b""
    while at < len(data):
        (length,) = struct.unpack(">I", data[at:at + 4])
        kind, body = data[at + 4:at + 8], data[at + 8:at + 8 + length]
        (crc,) = struct.unpack(">I", data[at + 8 + length:at + 12 + length])
        if zlib.crc32(kind + body) != crc:
            return f"chunk {kind!r}: bad CRC"
        chunks.append(kind)
        idat += body if kind == b"IDAT" else b""
        at += 12 + length
    if chunks[0] != b"IHDR" or chunks[-1] != b"IEND":
        return f"chunks {chunks}"
    size = struct.unpack(">II", data[16:24])
    if size != (width, height) or data[24:29] != bytes([8, 2, 0, 0, 0]):
        return f"{size[0]} x {size[1]} (or not 8-bit RGB), the screen is {width} x {height}"
    raw = zlib.decompress(idat)  # checks the Adler-32 too
    row = width * 3 + 1
    if len(raw) != row * height or any(raw[y * row] != 0 for y in range(height)):
        return "pixel rows of the wrong length or filter"
    first = raw[1:4]
    if all(raw[y * row + 1:(y + 1) * row] == first * width for y in range(height)):
        return "a single colour"
    if ribbon and not has_ribbon(raw, width, height):
        return "no Ribbon group drawn"
    return None


if __name__ == "__main__":
    try:
        fault = main(sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), "--ribbon" in sys.argv[4:])
    except (OSError, struct.error, zlib.error, IndexError) as error:
        fault = f"unreadable: {error}"
    print(f"{sys.argv[1]}: {fault or 'ok'}")
    sys.exit(1 if fault else 0)
