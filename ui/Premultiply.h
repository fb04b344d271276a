// Pre-scaling of colour bytes by their pixel's alpha, as per-pixel alpha blending
// needs. Both work in place over 32-bit B, G, R, A pixels and leave alpha as it is.
// `pitch` is the distance in bytes from one row to the next below it; it is
// negative for bottom-up bitmaps whose `firstRow` points at the top row.
#pragma once

#include <cstddef>
#include <cstdint>

// c = floor(c * a / 255): control images.
void PremultiplyFloor(uint8_t* firstRow, int width, int height, int pitch);
// c = floor((c * a + 127) / 255): the layered background.
void PremultiplyRounded(uint8_t* firstRow, int width, int height, int pitch);

inline uint8_t PremultiplyFloorByte(unsigned c, unsigned a) {
    return uint8_t(c * a / 255);
}
inline uint8_t PremultiplyRoundedByte(unsigned c, unsigned a) {
    return uint8_t((c * a + 127) / 255);
}
