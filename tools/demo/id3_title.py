#!/usr/bin/env python3
"""Prints an MP3's title: the ID3v2 TIT2 frame, else the ID3v1 title. Exits 1 without one.

    id3_title.py FILE.mp3
"""
import struct
import sys

ENCODINGS = {0: "latin-1", 1: "utf-16", 2: "utf-16-be", 3: "utf-8"}


def syncsafe(data):
    return (data[0] << 21) | (data[1] << 14) | (data[2] << 7) | data[3]


def id3v2_title(data):
    if len(data) < 10 or data[:3] != b"ID3":
        return None
    version = data[3]
    end = 10 + syncsafe(data[6:10])
    position = 10
    while position + 10 <= end:
        frame = data[position:position + 4]
        if frame == b"\0\0\0\0":
            break
        size = syncsafe(data[position + 4:position + 8]) if version >= 4 else struct.unpack(
            ">I", data[position + 4:position + 8])[0]
        body = data[position + 10:position + 10 + size]
        if frame == b"TIT2" and body:
            text = body[1:].decode(ENCODINGS.get(body[0], "latin-1"), errors="replace")
            return text.rstrip("\0")
        position += 10 + size
    return None


def id3v1_title(data):
    if len(data) >= 128 and data[-128:-125] == b"TAG":
        return data[-125:-95].rstrip(b"\0 ").decode("latin-1")
    return None


def main(arguments):
    if len(arguments) != 2:
        sys.stderr.write(__doc__)
        return 2
    with open(arguments[1], "rb") as source:
        data = source.read()
    title = id3v2_title(data) or id3v1_title(data)
    if not title:
        return 1
    print(title)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
