#!/usr/bin/env python3
"""Checks that a built launcher ships stripped with its symbols beside it: the
executable has no debug sections and no symbol table, its .gnu_debuglink section
names a file next to it whose CRC-32 is the one recorded, and that file holds the
symbol table.

Usage: check_symbols.py EXE [--xml RESULT.xml]
"""
import os
import struct
import sys
import zlib

from junit_result import write_result


def read_coff(data):
    """The symbol count and the sections (name, raw offset, raw size) of a PE file."""
    if data[:2] != b"MZ":
        raise ValueError("no MZ header")
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise ValueError("no PE signature")
    nsections, _, symtab, nsymbols, opt_size = struct.unpack_from("<HIIIH", data, pe + 6)
    strings = symtab + nsymbols * 18  # the string table follows the symbols
    sections = []
    for i in range(nsections):
        header = pe + 24 + opt_size + i * 40
        raw_name = data[header:header + 8].rstrip(b"\0")
        if raw_name.startswith(b"/"):  # a long name, kept in the string table
            start = strings + int(raw_name[1:])
            raw_name = data[start:data.index(b"\0", start)]
        rawsize, rawptr = struct.unpack_from("<II", data, header + 16)
        sections.append((raw_name.decode("ascii", "replace"), rawptr, rawsize))
    return nsymbols, sections


def check(path):
    with open(path, "rb") as f:
        exe = f.read()
    nsymbols, sections = read_coff(exe)
    problems = [f"keeps debug section {name}" for name, _, _ in sections if name.startswith(".debug")]
    if nsymbols:
        problems.append(f"keeps a symbol table of {nsymbols} symbols")
    link = [(ptr, size) for name, ptr, size in sections if name == ".gnu_debuglink"]
    if not link:
        return problems + ["has no .gnu_debuglink section"], None
    ptr, size = link[0]
    body = exe[ptr:ptr + size]
    name = body[:body.index(b"\0")].decode("utf-8")
    crc_at = (len(name) + 1 + 3) // 4 * 4  # the name, its terminator, padding to 4
    recorded = struct.unpack_from("<I", body, crc_at)[0]
    symbols = os.path.join(os.path.dirname(path), name)
    if not os.path.isfile(symbols):
        return problems + [f"names {name}, which is not beside it"], name
    with open(symbols, "rb") as f:
        debug = f.read()
    if zlib.crc32(debug) != recorded:
        problems.append(f"{name} has CRC {zlib.crc32(debug):08x}, the link records {recorded:08x}")
    if read_coff(debug)[0] == 0:
        problems.append(f"{name} holds no symbols")
    return problems, name


def main(argv):
    path = argv[1]
    xml = argv[argv.index("--xml") + 1] if "--xml" in argv else None
    try:
        problems, name = check(path)
    except (OSError, ValueError, IndexError, struct.error) as e:
        problems, name = [str(e)], None
    print(f"{path}: symbols in {name}" if name else f"{path}: no symbols file")
    for p in problems:
        print("FAIL:", p)
    if xml:
        write_result(xml, "LauncherSymbols", "split", problems)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
