#!/usr/bin/env python3
"""Checks a built launcher: PE32 or PE32+, GUI subsystem, and imports only DLLs
that ship with Windows (so the .exe runs alone, without any mingw runtime DLL)
and no function that the oldest Windows the manifest names (Vista) lacks: such an
import would stop the program from loading at all there.

Usage: check_pe.py EXE --arch x64|x86 [--xml RESULT.xml]
"""
import struct
import sys

from junit_result import write_result

# DLLs every supported Windows has; anything else would have to be shipped.
SYSTEM_DLLS = {
    "advapi32.dll", "comctl32.dll", "comdlg32.dll", "crypt32.dll", "gdi32.dll", "gdiplus.dll",
    "iphlpapi.dll", "kernel32.dll", "msimg32.dll", "msvcrt.dll", "ole32.dll", "oleaut32.dll",
    "rpcrt4.dll", "setupapi.dll", "shell32.dll", "shlwapi.dll", "user32.dll", "uxtheme.dll",
    "version.dll", "wininet.dll", "winmm.dll", "wintrust.dll", "ws2_32.dll", "bcrypt.dll", "urlmon.dll",
    "api-ms-win-crt-runtime-l1-1-0.dll",
}

# Functions newer than Vista; the launcher looks them up at run time instead.
NEWER_THAN_VISTA = {
    "user32.dll": {"ChangeWindowMessageFilterEx"},
}


def read_pe(data):
    if data[:2] != b"MZ":
        raise ValueError("no MZ header")
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise ValueError("no PE signature")
    machine, nsections = struct.unpack_from("<HH", data, pe + 4)
    opt_size = struct.unpack_from("<H", data, pe + 20)[0]
    opt = pe + 24
    magic = struct.unpack_from("<H", data, opt)[0]
    subsystem = struct.unpack_from("<H", data, opt + 68)[0]
    dd = opt + (96 if magic == 0x10B else 112)
    import_rva = struct.unpack_from("<I", data, dd + 8)[0]
    sections = []
    sec = opt + opt_size
    for i in range(nsections):
        vsize, vaddr, rawsize, rawptr = struct.unpack_from("<IIII", data, sec + i * 40 + 8)
        sections.append((vaddr, max(vsize, rawsize), rawptr))

    def off(rva):
        for vaddr, size, rawptr in sections:
            if vaddr <= rva < vaddr + size:
                return rawptr + rva - vaddr
        raise ValueError("rva outside sections")

    def text(rva):
        o = off(rva)
        return data[o:data.index(b"\0", o)].decode("ascii")

    wide = magic != 0x10B
    entry, ordinal_bit = (8, 1 << 63) if wide else (4, 1 << 31)
    dlls, functions = [], {}
    if import_rva:
        p = off(import_rva)
        while True:
            lookup_rva, name_rva, thunk_rva = struct.unpack_from("<I", data, p)[0], *struct.unpack_from(
                "<II", data, p + 12)
            if name_rva == 0:
                break
            dll = text(name_rva)
            dlls.append(dll)
            names = functions.setdefault(dll.lower(), set())
            t = off(lookup_rva or thunk_rva)
            while True:
                value = struct.unpack_from("<Q" if wide else "<I", data, t)[0]
                if value == 0:
                    break
                if not value & ordinal_bit:
                    names.add(text((value & 0x7FFFFFFF) + 2))  # past the two-byte hint
                t += entry
            p += 20
    return machine, magic, subsystem, dlls, functions


def check(path, arch):
    with open(path, "rb") as f:
        data = f.read()
    machine, magic, subsystem, dlls, functions = read_pe(data)
    problems = []
    want = {"x64": (0x8664, 0x20B), "x86": (0x14C, 0x10B)}[arch]
    if (machine, magic) != want:
        problems.append(f"machine 0x{machine:x} magic 0x{magic:x}, expected {arch}")
    if subsystem != 2:
        problems.append(f"subsystem {subsystem}, expected 2 (Windows GUI)")
    for d in dlls:
        if d.lower() not in SYSTEM_DLLS:
            problems.append(f"imports {d}, which Windows does not ship")
    for dll, newer in NEWER_THAN_VISTA.items():
        for name in sorted(functions.get(dll, set()) & newer):
            problems.append(f"imports {dll}!{name}, which Vista lacks")
    return problems, dlls


def main(argv):
    path, arch, xml = argv[1], None, None
    i = 2
    while i < len(argv):
        if argv[i] == "--arch":
            arch, i = argv[i + 1], i + 2
        elif argv[i] == "--xml":
            xml, i = argv[i + 1], i + 2
        else:
            raise SystemExit(f"unknown argument {argv[i]}")
    try:
        problems, dlls = check(path, arch)
    except (OSError, ValueError, struct.error) as e:
        problems, dlls = [str(e)], []
    kind = "PE32+" if arch == "x64" else "PE32"
    print(f"{path}: {kind} GUI, imports {', '.join(dlls)}")
    for p in problems:
        print("FAIL:", p)
    if xml:
        write_result(xml, "LauncherPe", arch, problems)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
