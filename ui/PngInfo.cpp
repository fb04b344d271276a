#include "ui/PngInfo.h"

#include <cstring>

namespace {

const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

uint32_t Be32(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

} // namespace

PngInfo ReadPngInfo(const uint8_t* data, size_t size) {
    PngInfo info;
    if (!data || size < 8 || std::memcmp(data, kSignature, 8) != 0)
        return info;
    size_t at = 8;
    bool first = true;
    while (size - at >= 12) {
        const uint32_t length = Be32(data + at);
        const uint8_t* type = data + at + 4;
        if (length > size - at - 12) // the chunk and its CRC must be there
            break;
        const uint8_t* body = data + at + 8;
        if (first) {
            if (std::memcmp(type, "IHDR", 4) != 0 || length < 13)
                return info;
            info.width = Be32(body);
            info.height = Be32(body + 4);
            info.bitDepth = body[8];
            info.colorType = body[9];
            info.valid = info.width > 0 && info.height > 0;
            first = false;
        } else if (std::memcmp(type, "PLTE", 4) == 0) {
            info.palette.clear();
            for (uint32_t i = 0; i + 3 <= length && info.palette.size() < 256; i += 3)
                info.palette.push_back(PngColor{body[i], body[i + 1], body[i + 2], 255});
        } else if (std::memcmp(type, "tRNS", 4) == 0 && info.colorType == kPngPalette) {
            for (uint32_t i = 0; i < length && i < info.palette.size(); ++i)
                info.palette[i].a = body[i];
        } else if (std::memcmp(type, "IDAT", 4) == 0 || std::memcmp(type, "IEND", 4) == 0) {
            break;
        }
        at += 12 + size_t(length);
    }
    return info;
}

int PaletteDibDepth(int pngBitDepth) {
    switch (pngBitDepth) {
    case 1:
        return 1;
    case 2:
    case 4:
        return 4;
    case 8:
        return 8;
    default:
        return 0;
    }
}

int PaletteIndexOf(const std::vector<PngColor>& palette, PngColor c) {
    // Fully transparent pixels may come back with their colour cleared: any entry
    // that is fully transparent too is theirs.
    if (c.a == 0) {
        for (size_t i = 0; i < palette.size(); ++i) {
            const PngColor& p = palette[i];
            if (p.a == 0 && p.r == c.r && p.g == c.g && p.b == c.b)
                return int(i);
        }
        for (size_t i = 0; i < palette.size(); ++i) {
            if (palette[i].a == 0)
                return int(i);
        }
    }
    int best = 0;
    long bestDistance = -1;
    for (size_t i = 0; i < palette.size(); ++i) {
        const PngColor& p = palette[i];
        if (p.r == c.r && p.g == c.g && p.b == c.b && p.a == c.a)
            return int(i);
        const long dr = long(p.r) - c.r, dg = long(p.g) - c.g, db = long(p.b) - c.b, da = long(p.a) - c.a;
        const long distance = dr * dr + dg * dg + db * db + da * da;
        if (bestDistance < 0 || distance < bestDistance) {
            bestDistance = distance;
            best = int(i);
        }
    }
    return best;
}
