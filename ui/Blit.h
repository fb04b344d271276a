// The drawing primitives of the toolkit. Each selects the image's bitmap into a
// memory DC for the call and puts the previous bitmap back afterwards; an empty
// image draws nothing.
#pragma once

#include "ui/Image.h"

#include <windows.h>

// AlphaBlend, AC_SRC_OVER, with the given constant alpha; per-pixel alpha when the
// image has its alpha flag.
bool AlphaBlendImage(HDC dc, const CImage& image, int x, int y, int w, int h, int sx, int sy, int sw, int sh,
                     BYTE constantAlpha = 255);
// TransparentBlt with the key colour 0x00FF80FF.
bool KeyBlitImage(HDC dc, const CImage& image, int x, int y, int w, int h, int sx, int sy, int sw, int sh);
// StretchBlt, SRCCOPY.
bool StretchImage(HDC dc, const CImage& image, int x, int y, int w, int h, int sx, int sy, int sw, int sh);
// BitBlt of the whole image, at its own size, to (x, y) (the DC origin by default).
bool PlainCopyImage(HDC dc, const CImage& image, int x = 0, int y = 0);
// Per-pixel alpha blend at constant alpha 255 for an image with alpha, else
// StretchBlt (the layered background).
bool DrawImage(HDC dc, const CImage& image, int x, int y, int w, int h, int sx, int sy, int sw, int sh);

enum class SliceBlit { AlphaBlend, ColorKey, Stretch };

// Nine-, three-column- or three-row slicing of the image over `bounds`; returns
// false and draws nothing when slicing applies in neither direction.
bool DrawSliced(HDC dc, const CImage& image, const RECT& bounds, const RECT& insets, SliceBlit blit);

// Whether DrawSliced would slice the image in either direction.
bool SlicingApplies(const CImage& image, const RECT& bounds, const RECT& insets);
