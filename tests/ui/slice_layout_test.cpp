// Nine-slice geometry: which pieces a skin image is cut into and where they go.
#include "ui/SliceLayout.h"

#include <gtest/gtest.h>

namespace {

// Every destination piece must lie inside the bounds and every source piece inside
// the image; together the destinations must tile the bounds exactly.
void ExpectTiles(const SliceLayout& layout, const Edges& b, int W, int H) {
    long long area = 0;
    for (int i = 0; i < layout.count; ++i) {
        const Box& d = layout.pieces[i].dest;
        const Box& s = layout.pieces[i].src;
        EXPECT_GE(d.x, b.left);
        EXPECT_GE(d.y, b.top);
        EXPECT_LE(d.x + d.w, b.right);
        EXPECT_LE(d.y + d.h, b.bottom);
        EXPECT_GE(d.w, 0); // an inset of 0 gives an empty column or row
        EXPECT_GE(d.h, 0);
        EXPECT_GE(s.x, 0);
        EXPECT_GE(s.y, 0);
        EXPECT_LE(s.x + s.w, W);
        EXPECT_LE(s.y + s.h, H);
        area += (long long)d.w * d.h;
    }
    EXPECT_EQ(area, (long long)(b.right - b.left) * (b.bottom - b.top));
}

TEST(SliceLayout, NinePiecesKeepCornersAndStretchTheMiddle) {
    const Edges bounds{10, 20, 110, 80}; // 100 x 60
    const SliceLayout l = ComputeSliceLayout(bounds, 29, 30, {5, 6, 7, 8});
    ASSERT_TRUE(l.horizontal);
    ASSERT_TRUE(l.vertical);
    ASSERT_EQ(l.count, 9);
    const SlicePiece expected[9] = {
        {{10, 20, 5, 6}, {0, 0, 5, 6}},     {{15, 20, 88, 6}, {5, 0, 17, 6}},
        {{103, 20, 7, 6}, {22, 0, 7, 6}},   {{10, 26, 5, 46}, {0, 6, 5, 16}},
        {{15, 26, 88, 46}, {5, 6, 17, 16}}, {{103, 26, 7, 46}, {22, 6, 7, 16}},
        {{10, 72, 5, 8}, {0, 22, 5, 8}},    {{15, 72, 88, 8}, {5, 22, 17, 8}},
        {{103, 72, 7, 8}, {22, 22, 7, 8}},
    };
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(l.pieces[i].dest, expected[i].dest) << "piece " << i + 1;
        EXPECT_EQ(l.pieces[i].src, expected[i].src) << "piece " << i + 1;
    }
    ExpectTiles(l, bounds, 29, 30);
}

TEST(SliceLayout, ThreeColumnsWhenOnlyHorizontalApplies) {
    const Edges bounds{0, 0, 200, 40};
    const SliceLayout l = ComputeSliceLayout(bounds, 20, 10, {4, 0, 6, 0});
    EXPECT_TRUE(l.horizontal);
    EXPECT_FALSE(l.vertical);
    ASSERT_EQ(l.count, 3);
    EXPECT_EQ(l.pieces[0].dest, (Box{0, 0, 4, 40}));
    EXPECT_EQ(l.pieces[0].src, (Box{0, 0, 4, 10}));
    EXPECT_EQ(l.pieces[1].dest, (Box{4, 0, 190, 40}));
    EXPECT_EQ(l.pieces[1].src, (Box{4, 0, 10, 10}));
    EXPECT_EQ(l.pieces[2].dest, (Box{194, 0, 6, 40}));
    EXPECT_EQ(l.pieces[2].src, (Box{14, 0, 6, 10}));
    ExpectTiles(l, bounds, 20, 10);
}

TEST(SliceLayout, ThreeRowsWhenOnlyVerticalApplies) {
    const Edges bounds{5, 5, 8, 364}; // a 3-pixel border image stretched down
    const SliceLayout l = ComputeSliceLayout(bounds, 3, 359, {0, 10, 0, 12});
    EXPECT_FALSE(l.horizontal);
    EXPECT_TRUE(l.vertical);
    ASSERT_EQ(l.count, 3);
    EXPECT_EQ(l.pieces[0].dest, (Box{5, 5, 3, 10}));
    EXPECT_EQ(l.pieces[0].src, (Box{0, 0, 3, 10}));
    EXPECT_EQ(l.pieces[1].dest, (Box{5, 15, 3, 337}));
    EXPECT_EQ(l.pieces[1].src, (Box{0, 10, 3, 337}));
    EXPECT_EQ(l.pieces[2].dest, (Box{5, 352, 3, 12}));
    EXPECT_EQ(l.pieces[2].src, (Box{0, 347, 3, 12}));
    ExpectTiles(l, bounds, 3, 359);
}

struct DisableCase {
    const char* name;
    Edges bounds;
    int W, H;
    Edges insets;
    bool horizontal, vertical;
};

TEST(SliceLayout, DirectionsSwitchOffAtTheirLimits) {
    const DisableCase cases[] = {
        {"insets 0", {0, 0, 100, 100}, 30, 30, {0, 0, 0, 0}, false, false},
        {"sum equals image width", {0, 0, 100, 100}, 30, 30, {10, 5, 20, 5}, false, true},
        {"sum equals image height", {0, 0, 100, 100}, 30, 30, {5, 15, 5, 15}, true, false},
        {"sum exceeds image", {0, 0, 100, 100}, 30, 30, {40, 40, 40, 40}, false, false},
        {"sum equals control width", {0, 0, 20, 100}, 30, 30, {10, 5, 10, 5}, false, true},
        {"sum equals control height", {0, 0, 100, 20}, 30, 30, {5, 10, 5, 10}, true, false},
        {"sum just below both", {0, 0, 30, 30}, 30, 30, {14, 14, 15, 15}, true, true},
        {"one side only", {0, 0, 100, 100}, 30, 30, {0, 0, 5, 0}, true, false},
        {"empty bounds", {50, 50, 50, 50}, 30, 30, {5, 5, 5, 5}, false, false},
        {"inverted bounds", {60, 60, 50, 50}, 30, 30, {5, 5, 5, 5}, false, false},
        {"negative inset", {0, 0, 100, 100}, 30, 30, {-5, -5, 10, 10}, false, false},
        {"huge insets do not overflow",
         {0, 0, 100, 100},
         30,
         30,
         {0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF, 2},
         false,
         false},
        {"empty image", {0, 0, 100, 100}, 0, 0, {5, 5, 5, 5}, false, false},
    };
    for (const auto& c : cases) {
        const SliceLayout l = ComputeSliceLayout(c.bounds, c.W, c.H, c.insets);
        EXPECT_EQ(l.horizontal, c.horizontal) << c.name;
        EXPECT_EQ(l.vertical, c.vertical) << c.name;
        EXPECT_EQ(l.count, c.horizontal && c.vertical ? 9 : (c.horizontal || c.vertical) ? 3 : 0) << c.name;
        if (l.count)
            ExpectTiles(l, c.bounds, c.W, c.H);
    }
}

TEST(SliceLayout, UnslicedImagePlacement) {
    struct Case {
        const char* name;
        Edges bounds;
        int W, H;
        bool stretch;
        Box expected;
    } cases[] = {
        {"stretch covers the bounds", {10, 20, 107, 46}, 97, 26, true, {10, 20, 97, 26}},
        {"stretch ignores image size", {0, 0, 300, 5}, 97, 26, true, {0, 0, 300, 5}},
        {"own size, centred in taller bounds", {10, 20, 200, 61}, 25, 25, false, {10, 28, 25, 25}},
        {"own size, odd difference truncates", {0, 0, 50, 30}, 25, 25, false, {0, 2, 25, 25}},
        {"own size, equal height stays", {0, 0, 50, 25}, 25, 25, false, {0, 0, 25, 25}},
        {"own size, shorter bounds stay at top", {0, 7, 50, 17}, 25, 25, false, {0, 7, 25, 25}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PlaceUnsliced(c.bounds, c.W, c.H, c.stretch), c.expected) << c.name;
}

} // namespace
