// What the toolkit needs to know of a PNG before decoding it: its size, colour type
// and bit depth, and for palette images the palette with the transparency chunk's
// alphas. Some decoders hand palette images with transparency back as 32-bit colour;
// with the palette known, the pixels can be turned back into indices.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct PngColor {
    uint8_t r = 0, g = 0, b = 0, a = 255;
};

struct PngInfo {
    bool valid = false; // signature and a well-formed IHDR
    uint32_t width = 0;
    uint32_t height = 0;
    int bitDepth = 0;
    int colorType = -1; // 0 grey, 2 RGB, 3 palette, 4 grey + alpha, 6 RGBA
    std::vector<PngColor> palette;
};

constexpr int kPngPalette = 3;

// Reads the chunks before the first IDAT. Damaged or cut-off data gives what was
// read up to the damage; `valid` needs the signature and a complete IHDR.
PngInfo ReadPngInfo(const uint8_t* data, size_t size);

// The DIB depth that keeps a palette image's own depth: 1, 4 (also for 2-bit
// images, which DIBs cannot hold) or 8; 0 when the depth is not a palette depth.
int PaletteDibDepth(int pngBitDepth);

// The index of the first palette entry equal to the colour (alpha included); a
// fully transparent colour without an equal entry takes the first fully transparent
// entry; otherwise the entry nearest in colour. 0 for an empty palette.
int PaletteIndexOf(const std::vector<PngColor>& palette, PngColor c);
