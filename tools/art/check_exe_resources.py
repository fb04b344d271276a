#!/usr/bin/env python3
"""Reads the resources back from a built launcher and checks them against the skin table.

    python3 tools/art/check_exe_resources.py build/win64/app/OrvoGantry.exe

Walks the PE resource directory itself (standard library only) and checks: every
"PNG" resource of the table with its id, language 2052, size and colour type; the
two byte-identical copies; the key-coloured images; the bitmap resource 220; the
icon 151 with its sizes; the menus 149 and 156 with their items; the strings 103
and 109; and the manifest. Prints one line per check and 'N passed, N failed'.
"""

import os
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import check_png  # noqa: E402
import skin_table  # noqa: E402

RT_BITMAP, RT_ICON, RT_MENU, RT_STRING, RT_GROUP_ICON, RT_MANIFEST = 2, 3, 4, 6, 14, 24
KEY = (255, 128, 255)


class Pe:
    """The resource tree of a PE file: {type: {name: {language: bytes}}}."""

    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("not an MZ executable")
        (pe,) = struct.unpack_from("<I", data, 0x3C)
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        sections, opt_size = struct.unpack_from("<H12xH", data, pe + 6)
        opt = pe + 24
        magic = struct.unpack_from("<H", data, opt)[0]
        dirs = opt + (96 if magic == 0x10B else 112)
        self.rsrc_rva, self.rsrc_size = struct.unpack_from("<II", data, dirs + 8 * 2)
        self.sections = []
        table = opt + opt_size
        for i in range(sections):
            vsize, va, rawsize, raw = struct.unpack_from("<IIII", data, table + 40 * i + 8)
            self.sections.append((va, max(vsize, rawsize), raw))
        self.base = self.offset(self.rsrc_rva)
        self.tree = self.directory(0, depth=0)

    def offset(self, rva):
        for va, size, raw in self.sections:
            if va <= rva < va + size:
                return rva - va + raw
        raise ValueError(f"RVA {rva:#x} outside every section")

    def name(self, field):
        if field & 0x80000000:
            at = self.base + (field & 0x7FFFFFFF)
            (n,) = struct.unpack_from("<H", self.data, at)
            return self.data[at + 2:at + 2 + 2 * n].decode("utf-16-le")
        return field

    def directory(self, rel, depth):
        at = self.base + rel
        named, ids = struct.unpack_from("<12xHH", self.data, at)
        out = {}
        for i in range(named + ids):
            field, target = struct.unpack_from("<II", self.data, at + 16 + 8 * i)
            key = self.name(field)
            if target & 0x80000000:
                out[key] = self.directory(target & 0x7FFFFFFF, depth + 1)
            else:
                rva, size = struct.unpack_from("<II", self.data, self.base + target)
                start = self.offset(rva)
                out[key] = self.data[start:start + size]
        return out


def png_pixels(data):
    """RGB(A) rows of an 8-bit, non-interlaced RGB or RGBA PNG (enough for the key images)."""
    w = h = colour = None
    idat = b""
    for kind, body in check_png.chunks(data):
        if kind == "IHDR":
            w, h, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
            if depth != 8 or interlace or colour not in (2, 6):
                raise ValueError("only 8-bit RGB/RGBA without interlace is read here")
        elif kind == "IDAT":
            idat += body
    n = 3 if colour == 2 else 4
    raw = zlib.decompress(idat)
    stride = w * n
    rows, prior = [], bytearray(stride)
    for y in range(h):
        f, row = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = row[i - n] if i >= n else 0
            b = prior[i]
            c = prior[i - n] if i >= n else 0
            if f == 1:
                row[i] = (row[i] + a) & 255
            elif f == 2:
                row[i] = (row[i] + b) & 255
            elif f == 3:
                row[i] = (row[i] + (a + b) // 2) & 255
            elif f == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                row[i] = (row[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append([tuple(row[x * n:x * n + 3]) for x in range(w)])
        prior = row
    return rows


def menu_items(data):
    """(popup text, [(id, text)]) of the first popup of a standard MENU resource."""
    def text(at):
        end = at
        while data[end:end + 2] != b"\0\0":
            end += 2
        return data[at:end].decode("utf-16-le"), end + 2

    at = 4  # version and header size
    flags, = struct.unpack_from("<H", data, at)
    title, at = text(at + 2)
    if not flags & 0x10:
        raise ValueError("the first item is not a popup")
    items = []
    while True:
        flags, mid = struct.unpack_from("<HH", data, at)
        label, at = text(at + 4)
        items.append((mid, label))
        if flags & 0x80:  # MF_END
            return title, items


def string(tree, sid):
    block = tree.get(RT_STRING, {}).get(sid // 16 + 1)
    if not block:
        return None
    data = next(iter(block.values()))
    at = 0
    for i in range(16):
        (n,) = struct.unpack_from("<H", data, at)
        if i == sid % 16:
            return data[at + 2:at + 2 + 2 * n].decode("utf-16-le")
        at += 2 + 2 * n
    return None


def run_checks(path):
    with open(path, "rb") as f:
        pe = Pe(f.read())
    tree = pe.tree
    results = []

    def check(name, ok, detail=""):
        results.append((name, bool(ok), detail))

    pngs = tree.get("PNG", {})
    expected_ids = {e.id for e in skin_table.ALL_PNG}
    check("no unexpected PNG resources", set(pngs) == expected_ids,
          f"extra {sorted(set(pngs) - expected_ids)}, missing {sorted(expected_ids - set(pngs))}")
    for entry in skin_table.ALL_PNG:
        langs = pngs.get(entry.id, {})
        ok_lang = list(langs) == [skin_table.LANGUAGE]
        data = langs.get(skin_table.LANGUAGE, b"")
        found = check_png.problems(data, entry) if data else ["missing"]
        check(f"PNG {entry.id} {entry.width}x{entry.height} {entry.kind} lang {skin_table.LANGUAGE}",
              ok_lang and not found, f"languages {list(langs)} {'; '.join(found)}")
    for copy_id, of_id in skin_table.COPIES.items():
        a = pngs.get(copy_id, {}).get(skin_table.LANGUAGE)
        b = pngs.get(of_id, {}).get(skin_table.LANGUAGE)
        check(f"PNG {copy_id} is a byte copy of {of_id}", a is not None and a == b)
    for rid in skin_table.KEY_COLOURED:
        data = pngs.get(rid, {}).get(skin_table.LANGUAGE, b"")
        try:
            ok = data and all(px == KEY for row in png_pixels(data) for px in row)
        except (ValueError, zlib.error) as e:
            ok = False
            print(f"  {rid}: {e}")
        check(f"PNG {rid} is all key colour", ok)

    bitmaps = tree.get(RT_BITMAP, {}).get(skin_table.BITMAP_ID, {})
    dib = bitmaps.get(skin_table.LANGUAGE, b"")
    ok = False
    if len(dib) >= 40:
        size, w, h, planes, bpp, compression = struct.unpack_from("<IiiHHI", dib)
        pixels = dib[size:]
        stride = (w * 3 + 3) & ~3
        ok = ((w, abs(h)) == skin_table.BITMAP_SIZE and bpp == 24 and compression == 0 and
              all(tuple(pixels[y * stride + 3 * x:y * stride + 3 * x + 3]) == (KEY[2], KEY[1], KEY[0])
                  for y in range(abs(h)) for x in range(w)))
    check(f"bitmap {skin_table.BITMAP_ID} 29x30 24-bit key colour lang {skin_table.LANGUAGE}",
          ok and list(bitmaps) == [skin_table.LANGUAGE])

    group = next(iter(tree.get(RT_GROUP_ICON, {}).get(151, {}).values()), b"")
    sizes = []
    if len(group) >= 6:
        (count,) = struct.unpack_from("<4xH", group)
        for i in range(count):
            w, h = group[6 + 14 * i], group[7 + 14 * i]
            sizes.append(w or 256)
    check("icon 151 from 16 to 256 pixels", 16 in sizes and 256 in sizes and 32 in sizes and 48 in sizes,
          f"sizes {sizes}")

    menus = tree.get(RT_MENU, {})
    for mid, title, items in ((149, None, [(32774, "刷新"), (32778, "清理缓存"), (32776, "开机启动")]),
                              (156, "OrvoValdrenna", [(32781, "打开"), (32782, "退出")])):
        data = next(iter(menus.get(mid, {}).values()), b"")
        try:
            got_title, got = menu_items(data) if data else (None, [])
        except (ValueError, struct.error):
            got_title, got = None, []
        check(f"menu {mid} items", got == items and (title is None or got_title == title),
              f"title {got_title!r} items {got}")

    check("string 103", string(tree, 103) == "OrvoValdrenna", repr(string(tree, 103)))
    check("string 109", string(tree, 109) == "OrvoGantry", repr(string(tree, 109)))

    manifest = next(iter(tree.get(RT_MANIFEST, {}).get(1, {}).values()), b"").decode("utf-8", "replace")
    check("manifest: common controls 6, asInvoker, supported systems",
          "Microsoft.Windows.Common-Controls" in manifest and 'version="6.0.0.0"' in manifest and
          'level="asInvoker"' in manifest and "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}" in manifest)
    return results


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    results = run_checks(sys.argv[1])
    failed = 0
    for name, ok, detail in results:
        print(f"{'ok  ' if ok else 'FAIL'} {name}" + ("" if ok or not detail else f": {detail}"))
        failed += not ok
    print(f"{len(results) - failed} passed, {failed} failed")
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
