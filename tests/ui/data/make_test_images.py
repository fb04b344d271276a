#!/usr/bin/env python3
"""Writes the small images with known pixels that the toolkit's Windows tests load.

    python3 make_test_images.py OUTDIR

Standard library only; the tests compare decoded pixels with the values below.
"""

import os
import struct
import sys
import zlib


def chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)


def png(width, height, colour, depth, rows, palette=None, trns=None):
    raw = b"".join(b"\0" + bytes(r) for r in rows)
    out = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, depth, colour, 0, 0, 0))
    if palette:
        out += chunk(b"PLTE", bytes(c for rgb in palette for c in rgb))
    if trns:
        out += chunk(b"tRNS", bytes(trns))
    return out + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b"")


def bmp24(width, height, pixel):
    """Bottom-up 24-bit BMP; pixel(x, y) gives (r, g, b) with y counted from the top."""
    stride = (width * 3 + 3) & ~3
    data = b""
    for y in reversed(range(height)):
        row = b"".join(bytes((b, g, r)) for r, g, b in (pixel(x, y) for x in range(width)))
        data += row + b"\0" * (stride - len(row))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    return header + info + data


def keyhole(x, y):
    return (255, 128, 255) if 2 <= x < 6 and 2 <= y < 6 else (0, 160, 0)


def main(out):
    os.makedirs(out, exist_ok=True)
    files = {
        # 4 x 2 RGBA: straight colours with alpha 255, 128, 1 and 0.
        "rgba.png": png(4, 2, 6, 8, [
            [255, 0, 0, 255, 0, 255, 0, 128, 1, 128, 255, 128, 10, 20, 30, 0],
            [0, 0, 255, 255, 255, 255, 255, 255, 200, 100, 50, 1, 255, 128, 255, 255],
        ]),
        # 3 x 2 RGB.
        "rgb.png": png(3, 2, 2, 8, [[255, 0, 0, 0, 255, 0, 0, 0, 255], [10, 20, 30, 255, 128, 255, 1, 2, 3]]),
        # 3 x 2 palette with a transparency chunk that the decoder must drop.
        "palette.png": png(3, 2, 3, 8, [[0, 1, 2], [2, 1, 0]],
                           palette=[(255, 0, 0), (0, 128, 255), (250, 240, 230)], trns=[0, 128]),
        # 5 x 1 four-bit palette without transparency: indices 0 1 2 1 0 packed two a byte.
        "palette4.png": png(5, 1, 3, 4, [[0x01, 0x21, 0x00]], palette=[(10, 20, 30), (40, 50, 60), (70, 80, 90)]),
        # 5 x 2 two-bit palette: indices 3 0 1 2 3 and 0 1 2 3 0, four to a byte.
        "palette2.png": png(5, 2, 3, 2, [[0xC6, 0xC0], [0x1B, 0x00]],
                            palette=[(10, 20, 30), (40, 50, 60), (70, 80, 90), (100, 110, 120)]),
        "black.png": png(6, 4, 2, 8, [[0, 0, 0] * 6] * 4),
        # A solid RGB block for the button's stretched blend.
        "solid.png": png(6, 4, 2, 8, [[200, 40, 20] * 6] * 4),
        # An opaque RGBA block (per-pixel alpha path, every alpha 255).
        "solid_rgba.png": png(6, 4, 6, 8, [[20, 40, 200, 255] * 6] * 4),
        # 8 x 8 RGB whose centre 4 x 4 is the key colour, the rest green.
        "keyhole.png": png(8, 8, 2, 8, [[c for x in range(8) for c in keyhole(x, y)] for y in range(8)]),
    }
    files["keyhole.bmp"] = bmp24(8, 8, keyhole)
    files["corrupt.png"] = files["rgba.png"][:40]  # IHDR and half of the pixel data
    for name, data in files.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main(sys.argv[1])
