// Positions, styles and message points of the forms.
#include "ui/FormPlacement.h"
#include "ui/TopMostSetting.h"

#include <gtest/gtest.h>

namespace {

TEST(FormPlacement, CentresOnTheWorkAreaRightAndBottomOnly) {
    struct Case {
        int right, bottom, w, h, x, y;
    } cases[] = {
        {1920, 1040, 1200, 760, 360, 140}, {1921, 1041, 1200, 760, 360, 140}, // truncated
        {1024, 728, 1200, 760, -88, -16},                                     // larger than the work area
        {1025, 729, 1200, 760, -87, -15},                                     // toward zero, not down
        {800, 600, 0, 0, 400, 300},
    };
    for (const auto& c : cases) {
        const FormPosition p = CenteredInWorkArea(c.right, c.bottom, c.w, c.h);
        EXPECT_EQ(p.x, c.x) << c.right;
        EXPECT_EQ(p.y, c.y) << c.bottom;
    }
}

TEST(FormPlacement, SkinnedWindowStyle) {
    // WS_POPUP | WS_CAPTION | WS_THICKFRAME | WS_MAXIMIZEBOX | 0x80 go; WS_SYSMENU
    // and WS_MINIMIZEBOX come; WS_VISIBLE and WS_CLIPCHILDREN stay.
    EXPECT_EQ(SkinnedWindowStyle(0x80000000u), 0x000A0000u);
    EXPECT_EQ(SkinnedWindowStyle(0x80CF0080u), 0x000A0000u);
    EXPECT_EQ(SkinnedWindowStyle(0x12000000u), 0x120A0000u);
    EXPECT_EQ(SkinnedWindowStyle(0xFFFFFFFFu), 0x7F3AFF7Fu);
}

TEST(FormPlacement, CaptionlessWindowStyle) {
    // WS_CAPTION | WS_THICKFRAME | WS_MAXIMIZEBOX go; WS_SYSMENU and WS_MINIMIZEBOX
    // come; WS_POPUP and everything else stay.
    EXPECT_EQ(CaptionlessWindowStyle(0x80CF0000u), 0x800A0000u);
    EXPECT_EQ(CaptionlessWindowStyle(0x80000000u), 0x800A0000u);
    EXPECT_EQ(CaptionlessWindowStyle(0xFFFFFFFFu), 0xFF3AFFFFu);
}

TEST(FormPlacement, ExtendedStyles) {
    EXPECT_EQ(BackFormExStyle(0x181u, false), 0x80000u);
    EXPECT_EQ(BackFormExStyle(0x181u, true), 0x80008u);
    EXPECT_EQ(BackFormExStyle(0x40000u, false), 0xC0000u);
    EXPECT_EQ(AppWindowExStyle(0x80u, false), 0x40000u);
    EXPECT_EQ(AppWindowExStyle(0x80080u, true), 0xC0008u);
    EXPECT_EQ(OffscreenExStyle(0x40008u), 0x88u);
    EXPECT_EQ(AppWindowPosFlags(false), 0x49u);
    EXPECT_EQ(AppWindowPosFlags(true), 0x4Bu);
}

TEST(FormPlacement, MessagePointWordsAreUnsigned) {
    struct Case {
        uint64_t lParam;
        int x, y;
    } cases[] = {
        {0x00000000u, 0, 0},
        {0x002A0010u, 16, 42},
        {0xFFFFFFFFu, 65535, 65535}, // (-1, -1) from a capture stays unsigned
        {0xFFFFFFFF00050006ull, 6, 5},
    };
    for (const auto& c : cases) {
        const MessagePoint p = PointFromMessageParam(c.lParam);
        EXPECT_EQ(p.x, c.x);
        EXPECT_EQ(p.y, c.y);
    }
}

TEST(FormPlacement, WheelPointWordsAreSigned) {
    // Screen coordinates left of and above the primary monitor are negative.
    struct Case {
        uint64_t lParam;
        int x, y;
    } cases[] = {
        {0x002A0010u, 16, 42},        {0xFFFFFFFFu, -1, -1},         {0xFF38FEE8u, -280, -200},
        {0x80007FFFu, 32767, -32768}, {0xFFFFFFFF00050006ull, 6, 5},
    };
    for (const auto& c : cases) {
        const MessagePoint p = ScreenPointFromMessageParam(c.lParam);
        EXPECT_EQ(p.x, c.x) << std::hex << c.lParam;
        EXPECT_EQ(p.y, c.y) << std::hex << c.lParam;
    }
}

TEST(TopMostSetting, TopMostDefaultsToZeroAndIsProcessWide) {
    EXPECT_EQ(TopMostSetting(), 0);
    SetTopMostSetting(1);
    EXPECT_EQ(TopMostSetting(), 1);
    SetTopMostSetting(0);
    EXPECT_EQ(TopMostSetting(), 0);
}

} // namespace
