"""The skin images the launcher loads: resource id, size and PNG colour type.

Shared by the art generator, the PNG checker and the check of the built executable's
resources, so the three cannot disagree.
"""

from collections import namedtuple

# kind: "RGBA" (PNG colour type 6), "RGB" (2) or "PALETTE" (3)
Image = namedtuple("Image", "id width height kind source file")

COLOUR_TYPE = {"RGBA": 6, "RGB": 2, "PALETTE": 3}


def _img(rid, w, h, kind, source=None):
    return Image(rid, w, h, kind, source if source is not None else rid, f"{rid}.png")


IMAGES = [
    _img(170, 1200, 760, "RGBA"),
    _img(183, 29, 30, "RGB"),
    _img(184, 27, 27, "RGB"), _img(185, 27, 27, "RGB"),
    _img(186, 28, 27, "RGB"), _img(187, 28, 27, "RGB"),
    _img(188, 30, 29, "PALETTE"), _img(189, 30, 29, "PALETTE"),
    _img(190, 97, 26, "RGBA"), _img(191, 97, 26, "RGBA"),
    _img(192, 21, 21, "PALETTE"), _img(193, 21, 21, "PALETTE"),
    _img(194, 97, 26, "RGBA"), _img(195, 97, 26, "RGBA"),
    _img(196, 134, 48, "RGB"), _img(197, 134, 48, "RGB"),
    _img(198, 97, 26, "RGB"), _img(199, 97, 26, "RGBA"),
    _img(200, 97, 26, "RGBA"), _img(201, 97, 26, "RGBA"),
    _img(202, 38, 18, "RGB"), _img(203, 38, 18, "RGB"),
    _img(204, 25, 25, "RGB"),
    _img(205, 27, 27, "RGB"), _img(206, 27, 27, "RGB"),
    _img(207, 28, 27, "RGB"), _img(208, 28, 27, "RGB"),
    _img(209, 27, 27, "RGB"), _img(210, 27, 27, "RGB"),
    _img(211, 38, 18, "RGB"), _img(212, 38, 18, "RGB"),
    _img(213, 38, 18, "RGB"), _img(214, 38, 18, "RGB"),
    _img(215, 38, 18, "RGB"), _img(216, 38, 18, "RGB"),
    _img(217, 38, 18, "RGB"), _img(218, 38, 18, "RGB"),
    _img(219, 1500, 27, "RGB"),
    _img(221, 1500, 27, "RGB"),
    _img(222, 3, 359, "RGB"),
    _img(223, 469, 4, "RGB"),
    _img(224, 27, 27, "RGB"), _img(225, 27, 27, "RGB"),
]

# Images that are byte-identical copies of others.
COPIES = {226: 196, 227: 197}

# Every "PNG" resource with its expected size and kind, copies included.
ALL_PNG = IMAGES + [Image(c, *next((i.width, i.height, i.kind) for i in IMAGES if i.id == of), of, f"{c}.png")
                    for c, of in COPIES.items()]

# Ids whose every pixel is the key colour RGB(255, 128, 255).
KEY_COLOURED = [183]

# The bitmap resource (RT_BITMAP), 24 bits, every pixel the key colour.
BITMAP_ID, BITMAP_SIZE = 220, (29, 30)

# Resource language of every image: Chinese (Simplified), LANG_CHINESE / SUBLANG_CHINESE_SIMPLIFIED.
LANGUAGE = 2052


def file_for(rid):
    return f"{rid}.png"
