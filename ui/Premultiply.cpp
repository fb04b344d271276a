#include "ui/Premultiply.h"

namespace {

template <uint8_t (*Scale)(unsigned, unsigned)>
void PremultiplyRows(uint8_t* firstRow, int width, int height, int pitch) {
    if (!firstRow || width <= 0 || height <= 0)
        return;
    for (int y = 0; y < height; ++y) {
        uint8_t* p = firstRow + static_cast<std::ptrdiff_t>(y) * pitch;
        for (int x = 0; x < width; ++x, p += 4) {
            const unsigned a = p[3];
            if (a == 255)
                continue;
            p[0] = Scale(p[0], a);
            p[1] = Scale(p[1], a);
            p[2] = Scale(p[2], a);
        }
    }
}

} // namespace

void PremultiplyFloor(uint8_t* firstRow, int width, int height, int pitch) {
    PremultiplyRows<PremultiplyFloorByte>(firstRow, width, height, pitch);
}

void PremultiplyRounded(uint8_t* firstRow, int width, int height, int pitch) {
    PremultiplyRows<PremultiplyRoundedByte>(firstRow, width, height, pitch);
}
