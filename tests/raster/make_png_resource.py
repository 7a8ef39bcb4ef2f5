#!/usr/bin/env python3
"""Writes the images of png_resources.rc.

png_resource.png: 5 x 3 pixels, 8-bit RGBA, not interlaced, with gAMA, cHRM
and sRGB chunks that a decoder must not apply. The pixels are the table
PIXELS, which png_resource_test.cpp repeats.

png_huge_header.png: a header announcing 32768 x 16384 grey pixels (2 GiB as
packed colours) over the data of a single row."""
import os
import struct
import zlib

PIXELS = [
    [(255, 0, 0, 255), (0, 255, 0, 128), (0, 0, 255, 1), (0, 0, 0, 0), (18, 52, 86, 200)],
    [(255, 255, 255, 255), (1, 2, 3, 4), (200, 100, 50, 255), (10, 20, 30, 40), (128, 128, 128, 127)],
    [(7, 77, 177, 255), (255, 254, 253, 252), (0, 0, 0, 255), (60, 70, 80, 90), (250, 0, 250, 5)],
]


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def write(name, png):
    with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), name), "wb") as f:
        f.write(png)


def main():
    height, width = len(PIXELS), len(PIXELS[0])
    raw = b"".join(b"\0" + bytes(c for p in row for c in p) for row in PIXELS)
    write("png_resource.png",
          b"\x89PNG\r\n\x1a\n"
          + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
          + chunk(b"gAMA", struct.pack(">I", 45455))
          + chunk(b"cHRM", struct.pack(">8I", 31270, 32900, 64000, 33000, 30000, 60000, 15000, 6000))
          + chunk(b"sRGB", b"\0")
          + chunk(b"IDAT", zlib.compress(raw, 9))
          + chunk(b"IEND", b""))

    width, height = 32768, 16384
    write("png_huge_header.png",
          b"\x89PNG\r\n\x1a\n"
          + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 0, 0, 0, 0))
          + chunk(b"IDAT", zlib.compress(bytes(1 + width), 9))
          + chunk(b"IEND", b""))


if __name__ == "__main__":
    main()
