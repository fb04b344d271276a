// Reading a PNG's header and palette, and mapping colours back to palette indices.
#include "ui/PngInfo.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

uint32_t Crc(const std::string& bytes) {
    uint32_t c = 0xFFFFFFFFu;
    for (unsigned char b : bytes) {
        c ^= b;
        for (int k = 0; k < 8; ++k)
            c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
    }
    return ~c;
}

std::string Be(uint32_t v) {
    return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}

std::string Chunk(const std::string& type, const std::string& body) {
    return Be(uint32_t(body.size())) + type + body + Be(Crc(type + body));
}

std::string Header(uint32_t w, uint32_t h, int depth, int colour) {
    return std::string("\x89PNG\r\n\x1a\n", 8) +
           Chunk("IHDR", Be(w) + Be(h) + std::string{char(depth), char(colour), 0, 0, 0});
}

PngInfo Read(const std::string& s) {
    return ReadPngInfo(reinterpret_cast<const uint8_t*>(s.data()), s.size());
}

TEST(PngInfo, HeaderPaletteAndTransparency) {
    const std::string png =
        Header(30, 29, 8, 3) + Chunk("PLTE", std::string("\x01\x02\x03\x04\x05\x06\x07\x08\x09", 9)) +
        Chunk("tRNS", std::string("\x00\x80", 2)) + Chunk("IDAT", "xx") + Chunk("IEND", "");
    const PngInfo info = Read(png);
    ASSERT_TRUE(info.valid);
    EXPECT_EQ(info.width, 30u);
    EXPECT_EQ(info.height, 29u);
    EXPECT_EQ(info.bitDepth, 8);
    EXPECT_EQ(info.colorType, kPngPalette);
    ASSERT_EQ(info.palette.size(), 3u);
    EXPECT_EQ(info.palette[0].r, 1);
    EXPECT_EQ(info.palette[0].a, 0);
    EXPECT_EQ(info.palette[1].a, 0x80);
    EXPECT_EQ(info.palette[2].b, 9);
    EXPECT_EQ(info.palette[2].a, 255);
}

TEST(PngInfo, SizesAreReadBigEndianInAllFourBytes) {
    // Every byte of each size differs, so a byte read from the wrong place shows.
    const PngInfo info = Read(Header(0x01020304u, 0x0A0B0C0Du, 8, 6) + Chunk("IEND", ""));
    EXPECT_EQ(info.width, 0x01020304u);
    EXPECT_EQ(info.height, 0x0A0B0C0Du);
}

TEST(PngInfo, DamagedInput) {
    const std::string good = Header(4, 2, 8, 6) + Chunk("IEND", "");
    EXPECT_TRUE(Read(good).valid);
    struct Case {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"empty", ""},
        {"signature only", good.substr(0, 8)},
        {"cut inside IHDR", good.substr(0, 20)},
        {"wrong signature", "\x88" + good.substr(1)},
        {"first chunk not IHDR", std::string("\x89PNG\r\n\x1a\n", 8) + Chunk("PLTE", "abc")},
        {"zero width", Header(0, 2, 8, 6)},
        {"zero height", Header(2, 0, 8, 6)},
        {"IHDR too short", std::string("\x89PNG\r\n\x1a\n", 8) + Chunk("IHDR", "short")},
    };
    for (const auto& c : cases)
        EXPECT_FALSE(Read(c.bytes).valid) << c.name;
    EXPECT_FALSE(ReadPngInfo(nullptr, 100).valid);

    // A chunk whose length runs past the end stops the walk without reading beyond it.
    const std::string overlong = Header(3, 1, 8, 3) + Be(0x7FFFFFF0u) + "PLTE" + "\x01\x02\x03";
    const PngInfo info = Read(overlong);
    EXPECT_TRUE(info.valid);
    EXPECT_TRUE(info.palette.empty());

    // A chunk counts only with its CRC. One that ends where the data ends, CRC
    // missing, is not read: a bound that forgot the CRC would read it and then step
    // four bytes past the end and read on from there.
    const std::string header = Header(4, 2, 8, 3);
    EXPECT_FALSE(Read(header.substr(0, header.size() - 4)).valid) << "IHDR without its CRC";
    const std::string palette = Chunk("PLTE", "\x01\x02\x03");
    const PngInfo cut = Read(header + palette.substr(0, palette.size() - 4));
    EXPECT_TRUE(cut.valid);
    EXPECT_TRUE(cut.palette.empty()) << "PLTE without its CRC";
}

TEST(PngInfo, PaletteDepths) {
    EXPECT_EQ(PaletteDibDepth(1), 1);
    EXPECT_EQ(PaletteDibDepth(2), 4);
    EXPECT_EQ(PaletteDibDepth(4), 4);
    EXPECT_EQ(PaletteDibDepth(8), 8);
    EXPECT_EQ(PaletteDibDepth(16), 0);
    EXPECT_EQ(PaletteDibDepth(3), 0);
}

TEST(PngInfo, PaletteIndexOf) {
    const std::vector<PngColor> palette = {
        {255, 0, 0, 0}, {0, 128, 255, 128}, {250, 240, 230, 255}, {250, 240, 230, 255}, {9, 9, 9, 0}};
    struct Case {
        const char* name;
        PngColor c;
        int index;
    } cases[] = {
        {"exact", {0, 128, 255, 128}, 1},
        {"first of duplicates", {250, 240, 230, 255}, 2},
        {"transparent with its colour", {9, 9, 9, 0}, 4},
        {"transparent with colour cleared", {0, 0, 0, 0}, 0},
        {"nearest", {248, 241, 229, 255}, 2},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PaletteIndexOf(palette, c.c), c.index) << c.name;
    EXPECT_EQ(PaletteIndexOf({}, PngColor{1, 2, 3, 4}), 0);
}

} // namespace
