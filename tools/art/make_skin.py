#!/usr/bin/env python3
"""Draws the launcher's skin images, its icon and its key-colour bitmap into res/skin/.

The pictures are drawn with ImageMagick's convert (the real one in /usr/bin when it
is there), using the CJK font of Debian's fonts-noto-cjk for the captions. The output
is committed, so a build needs none of these tools. Run it from anywhere:

    python3 tools/art/make_skin.py [--out DIR]

Every image is written with the PNG colour type its reader expects (PNG32: RGBA,
PNG24: RGB, PNG8: palette) and then checked by tools/art/check_png.py.
"""

import argparse
import os
import random
import shutil
import struct
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, HERE)
import skin_table  # noqa: E402

CONVERT = "/usr/bin/convert" if os.path.exists("/usr/bin/convert") else shutil.which("convert")
CJK = "Noto-Sans-CJK-SC-Bold"
CJK_REGULAR = "Noto-Sans-CJK-SC"
SERIF = "DejaVu-Serif-Bold"

KEY = "#FF80FF"  # the key colour of colour-keyed windows
GOLD = "#d8b56a"
GOLD_DARK = "#8a6a32"
NAVY = "#0e1633"

W, H = 1200, 760
PANEL = (447, 64, 1033, 528)  # the framed panel around the login page
BROWSER = (467, 152, 1003, 506)  # where the login page shows (536 x 354)

# The login window's buttons, painted into the scene where the window puts them.
LINKS = [
    (194, 195, "官方网站", (533, 85)),
    (198, 199, "充值系统", (634, 85)),
    (200, 201, "在线客服", (735, 85)),
    (190, 191, "游戏论坛", (837, 85)),
]
MINIMISE = (192, 193, (965, 96), (21, 21))
CLOSE = (188, 189, (989, 85), (30, 29))


def run(*args):
    subprocess.run([CONVERT, *map(str, args)], check=True)


class Work:
    def __init__(self, tmp):
        self.tmp = tmp
        self.n = 0

    def path(self, name=None):
        self.n += 1
        return os.path.join(self.tmp, f"{self.n:03d}-{name or 'step'}.png")


# --- the scene --------------------------------------------------------------


def body_mask(work):
    """The opaque shape of the scene: a rounded body with an emblem rising above it."""
    out = work.path("mask")
    run("-size", f"{W}x{H}", "xc:black", "-fill", "white",
        "-draw", "roundrectangle 44,46 1156,716 26,26",
        "-draw", "circle 236,96 236,18",  # emblem disc breaking the top edge
        out)
    return out


def sky(work):
    out = work.path("sky")
    # Night sky with a moon behind thin haze; the glow is a blurred disc, so it has
    # no edges of its own.
    run("-size", f"{W}x{H}", "gradient:#1b2a5e-#2b1640",
        "(", "-size", f"{W}x{H}", "xc:none", "-fill", "rgba(244,213,141,0.55)", "-draw", "circle 380,210 380,40",
        "-blur", "0x70", ")", "-compose", "screen", "-composite",
        "-fill", "rgba(255,240,205,0.9)", "-draw", "circle 380,210 380,178",
        "-fill", "rgba(225,205,160,0.35)", "-draw", "circle 370,200 370,192", "-draw", "circle 392,222 392,217",
        out)
    return out


def stars(work, base):
    rng = random.Random(1036)
    draws = []
    for _ in range(260):
        x, y = rng.randrange(60, 1140), rng.randrange(50, 520)
        r = rng.choice([0.6, 0.8, 1.0, 1.0, 1.4, 1.8])
        a = rng.uniform(0.35, 0.95)
        draws += ["-fill", f"rgba(255,244,220,{a:.2f})", "-draw", f"circle {x},{y} {x + r:.1f},{y}"]
    out = work.path("stars")
    run(base, *draws, out)
    return out


def mountains(work, base):
    """Three ranges of hills, darker toward the viewer, with mist between them."""
    rng = random.Random(7)

    def ridge(y0, amp, step):
        pts, x = [], 0
        while x <= W:
            pts.append(f"{x},{y0 + rng.randint(-amp, amp)}")
            x += rng.randint(step // 2, step)
        return "polygon 0,760 " + " ".join(pts) + f" {W},{y0} {W},760"

    out = work.path("mountains")
    run(base,
        "-fill", "#3a2d63", "-draw", ridge(520, 50, 110),
        "(", "-size", f"{W}x{H}", "gradient:none-rgba(170,150,220,0.35)", ")", "-compose", "over", "-composite",
        "-fill", "#241c45", "-draw", ridge(600, 40, 90),
        "-fill", "#140f2b", "-draw", ridge(670, 30, 70),
        out)
    return out


def frame(work, base):
    """Gold lines along the edge of the body."""
    out = work.path("framed")
    run(base, "-fill", "none", "-stroke", GOLD_DARK, "-strokewidth", "2",
        "-draw", "roundrectangle 46,48 1154,714 24,24", "-stroke", "rgba(216,181,106,0.35)", "-strokewidth", "1",
        "-draw", "roundrectangle 52,54 1148,708 20,20", out)
    return out


def title(work, base):
    """The game's name in gold over the left part of the scene, with a tagline."""
    text = work.path("title")
    run("-size", "420x160", "xc:none", "-font", SERIF, "-pointsize", "40", "-gravity", "center",
        "-fill", "#2a1606", "-annotate", "+3+3", "OrvoValdrenna",
        "-fill", GOLD, "-stroke", "#5a3a12", "-strokewidth", "1.2", "-annotate", "+0+0", "OrvoValdrenna", text)
    glow = work.path("glow")
    run(text, "-channel", "A", "-blur", "0x9", "-evaluate", "multiply", "0.8", "+channel",
        "-fill", "#ffcf73", "-colorize", "100", text, "-compose", "over", "-composite", glow)
    tag = work.path("tag")
    run("-size", "420x44", "xc:none", "-font", CJK_REGULAR, "-pointsize", "22", "-gravity", "center",
        "-fill", "#efe3c2", "-annotate", "+0+0", "踏上传奇之旅 · 与伙伴并肩作战", tag)
    out = work.path("titled")
    run(base, glow, "-geometry", "+24+236", "-compose", "over", "-composite",
        tag, "-geometry", "+24+370", "-compose", "over", "-composite",
        "-stroke", GOLD_DARK, "-strokewidth", "1", "-fill", "none",
        "-draw", "line 84,362 384,362", "-draw", "line 84,420 384,420",
        "-fill", GOLD, "-stroke", "none", "-draw", "polygon 234,356 240,362 234,368 228,362",
        out)
    return out


def emblem(work, base):
    """A golden ring with a star on the disc that rises above the body."""
    out = work.path("emblem")
    cx, cy = 236, 96
    star = []
    import math
    for i in range(10):
        r = 34 if i % 2 == 0 else 14
        a = -math.pi / 2 + i * math.pi / 5
        star.append(f"{cx + r * math.cos(a):.1f},{cy + r * math.sin(a):.1f}")
    run(base,
        "-fill", "#1a1438", "-stroke", GOLD, "-strokewidth", "5", "-draw", f"circle {cx},{cy} {cx},{cy - 74}",
        "-fill", "none", "-stroke", GOLD_DARK, "-strokewidth", "2", "-draw", f"circle {cx},{cy} {cx},{cy - 62}",
        "-fill", GOLD, "-stroke", "#6b4c1c", "-strokewidth", "1.5", "-draw", "polygon " + " ".join(star),
        out)
    return out


def panel(work, base):
    """The frame around the login page: a dark plate, gold borders and a header strip."""
    l, t, r, b = PANEL
    bl, bt, br, bb = BROWSER
    out = work.path("panel")
    run(base,
        # drop shadow of the plate
        "(", "-size", f"{W}x{H}", "xc:none", "-fill", "rgba(0,0,0,0.55)",
        "-draw", f"roundrectangle {l + 4},{t + 8} {r + 4},{b + 10} 14,14", "-blur", "0x8", ")",
        "-compose", "over", "-composite",
        "-fill", "#121a3a", "-stroke", GOLD, "-strokewidth", "2",
        "-draw", f"roundrectangle {l},{t} {r},{b} 12,12",
        "-fill", "none", "-stroke", GOLD_DARK, "-strokewidth", "1",
        "-draw", f"roundrectangle {l + 6},{t + 6} {r - 6},{b - 6} 8,8",
        # header strip behind the links and the window buttons
        "-fill", "#1c2654", "-stroke", "none", "-draw", f"rectangle {l + 7},{t + 7} {r - 7},{t + 70}",
        "-stroke", GOLD_DARK, "-draw", f"line {l + 14},{t + 72} {r - 14},{t + 72}",
        "-stroke", "none", "-fill", GOLD, "-draw", f"polygon {(l + r) // 2},{t + 68} {(l + r) // 2 + 6},{t + 72} "
        f"{(l + r) // 2},{t + 76} {(l + r) // 2 - 6},{t + 72}",
        # the well of the page
        "-fill", "#0a0f24", "-stroke", GOLD_DARK, "-strokewidth", "1",
        "-draw", f"rectangle {bl - 2},{bt - 2} {br + 1},{bb + 1}",
        "-fill", "#0b1128", "-stroke", "none", "-draw", f"rectangle {bl},{bt} {br - 1},{bb - 1}",
        out)
    # A small caption at the left of the header and a watermark in the well.
    label = work.path("header")
    run(out, "-font", CJK, "-pointsize", "15", "-fill", "#e6cf94",
        "-annotate", f"+{l + 22}+{t + 40}", "账号登录",
        "-font", SERIF, "-pointsize", "60", "-fill", "rgba(216,181,106,0.05)", "-gravity", "center",
        "-annotate", f"+{(bl + br) // 2 - W // 2}+{(bt + bb) // 2 - H // 2}", "OV", label)
    return label


def soft_edges(work, art, mask):
    """Cuts the scene to its shape with a soft shadow that fades into the margins."""
    shaped = work.path("shaped")
    run(art, "(", mask, "-blur", "0x1.2", ")", "-alpha", "off", "-compose", "copy-opacity", "-composite", shaped)
    shadow = work.path("shadow")
    run(mask, "-blur", "0x14", "-level", "0,100%", "-fill", "black", "-colorize", "0",
        "(", "+clone", ")", "-compose", "copy-opacity", "-composite", "-channel", "A", "-evaluate", "multiply",
        "0.6", "+channel", "-fill", "#05040d", "-colorize", "100", "-geometry", "+0+6", shadow)
    out = work.path("soft")
    run("-size", f"{W}x{H}", "xc:none", shadow, "-geometry", "+0+6", "-compose", "over", "-composite",
        shaped, "-compose", "over", "-composite", out)
    return out


# --- buttons ----------------------------------------------------------------


def crop(work, src, x, y, w, h, name="crop"):
    out = work.path(name)
    run(src, "-crop", f"{w}x{h}+{x}+{y}", "+repage", out)
    return out


def link_button(work, background, caption, hover, size=(97, 26), pointsize=14):
    w, h = size
    top, bottom = ("#c0582f", "#74240f") if hover else ("#6e2a18", "#3f150b")
    border = "#ffe2a0" if hover else GOLD
    ink = "#fff6dc" if hover else "#f0d9a4"
    face = work.path("face")
    run("-size", f"{w - 2}x{h - 2}", f"gradient:{top}-{bottom}", face)
    out = work.path("link")
    run(background,
        "(", face, "(", "-size", f"{w - 2}x{h - 2}", "xc:none", "-fill", "white",
        "-draw", f"roundrectangle 0,0 {w - 3},{h - 3} 5,5", ")", "-compose", "copy-opacity", "-composite", ")",
        "-geometry", "+1+1", "-compose", "over", "-composite",
        "-fill", "none", "-stroke", border, "-strokewidth", "1",
        "-draw", f"roundrectangle 0.5,0.5 {w - 1.5},{h - 1.5} 5,5",
        "-stroke", "rgba(255,255,255,0.25)", "-draw", f"line 5,2 {w - 6},2",
        "-stroke", "none", "-font", CJK, "-pointsize", pointsize, "-gravity", "center",
        "-fill", "rgba(0,0,0,0.6)", "-annotate", "+1+1", caption,
        "-fill", ink, "-annotate", "+0+0", caption, out)
    return out


def round_button(work, background, size, glyph, hover, danger=False):
    w, h = size
    d = min(w, h) - 1
    if danger:
        fill = "#d8432c" if hover else "#8e2618"
    else:
        fill = "#3b5bb0" if hover else "#26356e"
    ring = "#ffe2a0" if hover else GOLD
    cx, cy = (w - 1) / 2, (h - 1) / 2
    rad = d / 2 - 0.5
    draw = ["-fill", fill, "-stroke", ring, "-strokewidth", "1.5",
            "-draw", f"circle {cx},{cy} {cx},{cy - rad}",
            "-stroke", "#ffffff", "-strokewidth", "2" if d > 24 else "1.6", "-fill", "none"]
    g = d * 0.22
    if glyph == "close":
        draw += ["-draw", f"line {cx - g},{cy - g} {cx + g},{cy + g}", "-draw", f"line {cx + g},{cy - g} {cx - g},{cy + g}"]
    else:
        draw += ["-draw", f"line {cx - g - 1},{cy} {cx + g + 1},{cy}"]
    out = work.path("round")
    run(background, *draw, out)
    return out


def bar_strip(work, width, height, top, bottom, line):
    """A title bar: vertical gradient, a highlight at the top and a gold rule at the bottom."""
    out = work.path("bar")
    run("-size", f"{width}x{height}", f"gradient:{top}-{bottom}",
        "-fill", "rgba(255,255,255,0.18)", "-draw", f"line 0,0 {width},0",
        "-fill", line, "-draw", f"line 0,{height - 1} {width},{height - 1}", out)
    return out


def bar_button(work, bar, x, y, size, glyph, hover, danger=False):
    w, h = size
    bg = crop(work, bar, x, y, w, h)
    draw = []
    if hover:
        fill = "#c0392b" if danger else "rgba(120,150,230,0.45)"
        draw += ["-fill", fill, "-stroke", "none", "-draw", f"roundrectangle 1,1 {w - 2},{h - 2} 3,3"]
    ink = "#ffffff" if hover else "#e6d3a3"
    draw += ["-stroke", ink, "-strokewidth", "1.6", "-fill", "none"]
    cx, cy = w / 2 - 0.5, h / 2 - 0.5
    if glyph == "close":
        draw += ["-draw", f"line {cx - 5},{cy - 5} {cx + 5},{cy + 5}", "-draw", f"line {cx + 5},{cy - 5} {cx - 5},{cy + 5}"]
    elif glyph == "min":
        draw += ["-draw", f"line {cx - 6},{cy + 4} {cx + 6},{cy + 4}"]
    elif glyph == "max":
        draw += ["-draw", f"rectangle {cx - 6},{cy - 5} {cx + 6},{cy + 5}", "-draw", f"line {cx - 6},{cy - 4} {cx + 6},{cy - 4}"]
    elif glyph == "restore":
        draw += ["-draw", f"rectangle {cx - 6},{cy - 2} {cx + 3},{cy + 6}",
                 "-draw", f"polyline {cx - 3},{cy - 2} {cx - 3},{cy - 6} {cx + 6},{cy - 6} {cx + 6},{cy + 2} {cx + 3},{cy + 2}"]
    elif glyph == "tray":
        draw += ["-draw", f"line {cx},{cy - 6} {cx},{cy + 3}",
                 "-draw", f"polyline {cx - 4},{cy - 1} {cx},{cy + 3} {cx + 4},{cy - 1}",
                 "-draw", f"line {cx - 7},{cy + 6} {cx + 7},{cy + 6}"]
    out = work.path("barbtn")
    run(bg, *draw, out)
    return out


def bar_link(work, bar, x, y, caption, hover, size=(38, 18)):
    w, h = size
    bg = crop(work, bar, x, y, w, h)
    draw = []
    if hover:
        draw += ["-fill", "rgba(216,181,106,0.28)", "-stroke", GOLD, "-strokewidth", "1",
                 "-draw", f"roundrectangle 0.5,0.5 {w - 1.5},{h - 1.5} 3,3"]
    ink = "#ffffff" if hover else "#e6d3a3"
    out = work.path("barlink")
    run(bg, *draw, "-stroke", "none", "-font", CJK, "-pointsize", "12", "-gravity", "center",
        "-fill", ink, "-annotate", "+0+0", caption, out)
    return out


def title_icon(work, bar):
    bg = crop(work, bar, 5, 2, 25, 25)
    out = work.path("icon")
    run(bg, "-fill", "#1a1438", "-stroke", GOLD, "-strokewidth", "1.5", "-draw", "circle 12,12 12,1.5",
        "-fill", GOLD, "-stroke", "none", "-draw", "polygon 12,4 14.5,10 20.5,10 15.5,13.5 17.5,19.5 12,16 "
        "6.5,19.5 8.5,13.5 3.5,10 9.5,10", out)
    return out


def guide_button(work, hover):
    """The large 游戏攻略 button (134 x 48)."""
    bg = work.path("guidebg")
    run("-size", "134x48", "xc:#121a3a", bg)
    return link_button(work, bg, "游戏攻略", hover, size=(134, 48), pointsize=20)


# --- icon ----------------------------------------------------------------------


def icon(work, out_path):
    frames = []
    for size in (256, 128, 64, 48, 32, 24, 16):
        s = size / 256.0
        f = work.path(f"icon{size}")
        import math
        cx = cy = 128
        star = []
        for i in range(10):
            r = 70 if i % 2 == 0 else 29
            a = -math.pi / 2 + i * math.pi / 5
            star.append(f"{cx + r * math.cos(a):.1f},{cy + 4 + r * math.sin(a):.1f}")
        run("-size", "256x256", "xc:none",
            "(", "-size", "240x240", "gradient:#2c3f8c-#150c33", "(", "-size", "240x240", "xc:none", "-fill", "white",
            "-draw", "roundrectangle 0,0 239,239 48,48", ")", "-compose", "copy-opacity", "-composite", ")",
            "-geometry", "+8+8", "-compose", "over", "-composite",
            "-fill", "none", "-stroke", GOLD, "-strokewidth", "10", "-draw", "circle 128,132 128,38",
            "-fill", GOLD, "-stroke", "#6b4c1c", "-strokewidth", "4", "-draw", "polygon " + " ".join(star),
            "-filter", "Lanczos", "-resize", f"{size}x{size}", f"PNG32:{f}")
        frames.append(f)
        del s
    run(*frames, out_path)


def key_bitmap(path, w=29, h=30):
    """A 24-bit bottom-up BMP of the key colour, for the bitmap resource."""
    row = bytes([0xFF, 0x80, 0xFF]) * w
    pad = (4 - len(row) % 4) % 4
    pixels = (row + b"\0" * pad) * h
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + pixels)


# --- all of it ------------------------------------------------------------------


def save(src, kind, path):
    prefix = {"RGBA": "PNG32:", "RGB": "PNG24:", "PALETTE": "PNG8:"}[kind]
    extra = [] if kind == "RGBA" else ["-background", NAVY, "-alpha", "remove", "-alpha", "off"]
    run(src, *extra, "-strip", "-define", "png:exclude-chunks=date,time", prefix + path)


def build(out_dir):
    os.makedirs(out_dir, exist_ok=True)
    with tempfile.TemporaryDirectory() as tmp:
        work = Work(tmp)
        mask = body_mask(work)
        art = sky(work)
        art = stars(work, art)
        art = mountains(work, art)
        art = frame(work, art)
        art = emblem(work, art)
        art = title(work, art)
        art = panel(work, art)

        results = {}
        # The login window's buttons: drawn over the panel, and the same pixels
        # painted into the scene so the window shows no seam.
        for normal_id, hover_id, caption, (x, y) in LINKS:
            bg = crop(work, art, x, y, 97, 26)
            results[normal_id] = link_button(work, bg, caption, False)
            results[hover_id] = link_button(work, bg, caption, True)
        for (normal_id, hover_id, (x, y), size), glyph, danger in ((MINIMISE, "min", False), (CLOSE, "close", True)):
            bg = crop(work, art, x, y, *size)
            results[normal_id] = round_button(work, bg, size, glyph, False, danger)
            results[hover_id] = round_button(work, bg, size, glyph, True, danger)
        placed = work.path("placed")
        args = [art]
        for normal_id, _, _, (x, y) in LINKS:
            args += [results[normal_id], "-geometry", f"+{x}+{y}", "-compose", "over", "-composite"]
        for normal_id, _, (x, y), _ in (MINIMISE, CLOSE):
            args += [results[normal_id], "-geometry", f"+{x}+{y}", "-compose", "over", "-composite"]
        run(*args, placed)
        results[170] = soft_edges(work, placed, mask)

        # The login window's own background: the key colour, nine-sliced.
        key = work.path("key")
        run("-size", "29x30", f"xc:{KEY}", key)
        results[183] = key

        # Game window: title bar, its buttons and links.
        game_bar = bar_strip(work, 1500, 29, "#24346e", "#0f1736", GOLD_DARK)
        results[219] = crop(work, game_bar, 0, 0, 1500, 27)
        for nid, hid, glyph, size, danger in ((184, 185, "tray", (27, 27), False), (186, 187, "close", (28, 27), True),
                                              (205, 206, "max", (27, 27), False), (207, 208, "min", (28, 27), False)):
            results[nid] = bar_button(work, game_bar, 700, 1, size, glyph, False, danger)
            results[hid] = bar_button(work, game_bar, 700, 1, size, glyph, True, danger)
        results[209] = bar_button(work, game_bar, 700, 1, (27, 27), "restore", False)
        results[210] = bar_button(work, game_bar, 700, 1, (27, 27), "restore", True)
        for nid, hid, caption in ((202, 203, "论坛"), (211, 212, "官网"), (213, 214, "充值"), (215, 216, "客服"),
                                  (217, 218, "设置")):
            results[nid] = bar_link(work, game_bar, 600, 5, caption, False)
            results[hid] = bar_link(work, game_bar, 600, 5, caption, True)
        results[204] = title_icon(work, game_bar)

        # External-account login window: title bar, borders and close button.
        qq_bar = bar_strip(work, 1500, 29, "#1f4a6e", "#0d2238", GOLD_DARK)
        results[221] = crop(work, qq_bar, 0, 0, 1500, 27)
        border = work.path("border")
        run("-size", "359x3", "gradient:#1f4a6e-#0d2238", "-rotate", "90", "-size", "3x359", border)
        run("-size", "3x359", "xc:#16334f", "-fill", GOLD_DARK, "-draw", "line 1,0 1,358", border)
        results[222] = border
        bottom = work.path("bottom")
        run("-size", "469x4", "xc:#16334f", "-fill", GOLD_DARK, "-draw", "line 0,1 468,1", bottom)
        results[223] = bottom
        results[224] = bar_button(work, qq_bar, 700, 0, (27, 27), "close", False, True)
        results[225] = bar_button(work, qq_bar, 700, 0, (27, 27), "close", True, True)

        results[196] = guide_button(work, False)
        results[197] = guide_button(work, True)

        for entry in skin_table.IMAGES:
            save(results[entry.source], entry.kind, os.path.join(out_dir, entry.file))
        # Byte-identical copies.
        for copy_id, of_id in skin_table.COPIES.items():
            shutil.copyfile(os.path.join(out_dir, skin_table.file_for(of_id)),
                            os.path.join(out_dir, skin_table.file_for(copy_id)))

        key_bitmap(os.path.join(out_dir, "220.bmp"))
        icon(work, os.path.join(os.path.dirname(out_dir), "app.ico"))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=os.path.join(ROOT, "res", "skin"))
    args = parser.parse_args()
    if not CONVERT:
        sys.exit("make_skin: ImageMagick's convert is needed (scripts/setup installs it)")
    build(args.out)
    import check_png
    sys.exit(check_png.check_dir(args.out))


if __name__ == "__main__":
    main()
