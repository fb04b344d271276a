// Pre-scaling of colours by alpha, floor rule (controls) and rounded rule (background).
#include "ui/Premultiply.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(Premultiply, ByteRules) {
    // {254, 128}: c * a leaves 127 over a multiple of 255 (127.498...) and rounds down;
    // {1, 128} leaves 128 over and rounds up.
    struct Case {
        unsigned c, a;
        unsigned floorRule, roundedRule;
    } cases[] = {
        {200, 0, 0, 0},       {255, 0, 0, 0}, {200, 255, 200, 200}, {255, 255, 255, 255},
        {255, 128, 128, 128}, {1, 128, 0, 1}, {0, 128, 0, 0},       {100, 1, 0, 0},
        {128, 128, 64, 64},   {3, 127, 1, 1}, {254, 254, 253, 253}, {2, 128, 1, 1},
        {254, 128, 127, 127},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PremultiplyFloorByte(c.c, c.a), c.floorRule) << c.c << " at " << c.a;
        EXPECT_EQ(PremultiplyRoundedByte(c.c, c.a), c.roundedRule) << c.c << " at " << c.a;
    }
}

TEST(Premultiply, WholeImageScalesColourAndKeepsAlpha) {
    // 2 x 2 pixels, rows padded to 12 bytes to prove the pitch is honoured.
    std::vector<uint8_t> px = {
        10,  20, 30,  0,   255, 255, 255, 255, 0xEE, 0xEE, 0xEE, 0xEE,
        255, 1,  128, 128, 1,   1,   1,   128, 0xEE, 0xEE, 0xEE, 0xEE,
    };
    std::vector<uint8_t> rounded = px;
    PremultiplyFloor(px.data(), 2, 2, 12);
    PremultiplyRounded(rounded.data(), 2, 2, 12);

    const std::vector<uint8_t> floorExpected = {
        0,   0, 0,  0,   255, 255, 255, 255, 0xEE, 0xEE, 0xEE, 0xEE,
        128, 0, 64, 128, 0,   0,   0,   128, 0xEE, 0xEE, 0xEE, 0xEE,
    };
    const std::vector<uint8_t> roundedExpected = {
        0,   0, 0,  0,   255, 255, 255, 255, 0xEE, 0xEE, 0xEE, 0xEE,
        128, 1, 64, 128, 1,   1,   1,   128, 0xEE, 0xEE, 0xEE, 0xEE,
    };
    EXPECT_EQ(px, floorExpected);
    EXPECT_EQ(rounded, roundedExpected);
}

TEST(Premultiply, AWideImageIsScaledAcrossItsWholeWidth) {
    // 3 x 1: a width taken for the height would stop after the first pixel.
    const std::vector<uint8_t> source = {100, 100, 100, 128, 50, 50, 50, 128, 7, 7, 7, 0};
    for (const auto premultiply : {PremultiplyFloor, PremultiplyRounded}) {
        std::vector<uint8_t> px = source;
        premultiply(px.data(), 3, 1, 12);
        EXPECT_EQ(px, (std::vector<uint8_t>{50, 50, 50, 128, 25, 25, 25, 128, 0, 0, 0, 0}));
    }
}

TEST(Premultiply, NegativePitchWalksUpFromTheTopRow) {
    // Bottom-up layout: the top row is the second in memory.
    std::vector<uint8_t> px = {
        200, 200, 200, 128, // bottom row
        100, 100, 100, 0,   // top row
    };
    PremultiplyFloor(px.data() + 4, 1, 2, -4);
    EXPECT_EQ(px, (std::vector<uint8_t>{100, 100, 100, 128, 0, 0, 0, 0}));
}

TEST(Premultiply, EmptyOrNullImagesAreLeftAlone) {
    std::vector<uint8_t> px = {9, 9, 9, 9};
    PremultiplyFloor(px.data(), 0, 1, 4);
    PremultiplyRounded(px.data(), 1, 0, 4);
    PremultiplyFloor(nullptr, 5, 5, 20);
    EXPECT_EQ(px, (std::vector<uint8_t>{9, 9, 9, 9}));
}

} // namespace
