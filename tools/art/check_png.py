#!/usr/bin/env python3
"""Checks that every skin PNG has exactly the size and colour type the launcher expects.

    python3 tools/art/check_png.py [DIR]     (default: res/skin)

Reads only the PNG signature, IHDR and the chunk list (standard library only).
Prints one line per problem and a closing 'N passed, N failed' line.
"""

import os
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import skin_table  # noqa: E402

SIGNATURE = b"\x89PNG\r\n\x1a\n"


def chunks(data):
    """(type, payload) of each chunk; raises ValueError on a damaged file."""
    if not data.startswith(SIGNATURE):
        raise ValueError("not a PNG signature")
    at = len(SIGNATURE)
    while at < len(data):
        if at + 8 > len(data):
            raise ValueError("chunk header cut short")
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if len(body) != length or at + 12 + length > len(data):
            raise ValueError("chunk cut short")
        (crc,) = struct.unpack(">I", data[at + 8 + length:at + 12 + length])
        if zlib.crc32(kind + body) & 0xFFFFFFFF != crc:
            raise ValueError(f"bad CRC in {kind!r}")
        yield kind.decode("latin-1"), body
        at += 12 + length
        if kind == b"IEND":
            return
    raise ValueError("no IEND")


def describe(data):
    """(width, height, bit depth, colour type, chunk names) of PNG bytes."""
    found = list(chunks(data))
    if not found or found[0][0] != "IHDR":
        raise ValueError("IHDR is not the first chunk")
    w, h, depth, colour = struct.unpack(">IIBB", found[0][1][:10])
    return w, h, depth, colour, [k for k, _ in found]


def problems(data, entry):
    try:
        w, h, depth, colour, names = describe(data)
    except ValueError as e:
        return [f"{entry.id}: {e}"]
    out = []
    if (w, h) != (entry.width, entry.height):
        out.append(f"{entry.id}: size {w}x{h}, expected {entry.width}x{entry.height}")
    want = skin_table.COLOUR_TYPE[entry.kind]
    if colour != want:
        out.append(f"{entry.id}: colour type {colour}, expected {want} ({entry.kind})")
    if entry.kind in ("RGB", "RGBA") and depth != 8:
        out.append(f"{entry.id}: bit depth {depth}, expected 8")
    if entry.kind == "PALETTE" and "PLTE" not in names:
        out.append(f"{entry.id}: palette image without PLTE")
    if entry.kind == "RGB" and "tRNS" in names:
        out.append(f"{entry.id}: RGB image with a transparency chunk")
    return out


def check_dir(directory):
    passed = failed = 0
    for entry in skin_table.ALL_PNG:
        path = os.path.join(directory, entry.file)
        try:
            with open(path, "rb") as f:
                data = f.read()
        except OSError as e:
            print(f"{entry.id}: {e}")
            failed += 1
            continue
        found = problems(data, entry)
        for p in found:
            print(p)
        failed += bool(found)
        passed += not found
    for copy_id, of_id in skin_table.COPIES.items():
        with open(os.path.join(directory, skin_table.file_for(copy_id)), "rb") as a, \
                open(os.path.join(directory, skin_table.file_for(of_id)), "rb") as b:
            same = a.read() == b.read()
        if not same:
            print(f"{copy_id}: not a byte-identical copy of {of_id}")
        passed += same
        failed += not same
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    root = os.path.dirname(os.path.dirname(HERE))
    sys.exit(check_dir(sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "res", "skin")))
