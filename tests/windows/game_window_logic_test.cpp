// The game window's layout and rules, without a window: sizes from the artwork
// (res/skin), expectations as relations between the places at several sizes.
#include "browser/windows/GameLayout.h"
#include "browser/windows/GameRules.h"
#include "tests/windows/ShippedArtwork.h"

#include <gtest/gtest.h>

namespace {

int Width(const Edges& e) {
    return e.right - e.left;
}
int Height(const Edges& e) {
    return e.bottom - e.top;
}

TEST(GameLayout, TheTitleBarFollowsTheRightEdgeAndTheViewFillsTheRest) {
    const GameLayoutInput small = ShippedArtwork(1250, 700);
    const auto ref = ComputeGameLayout(small);
    // Buttons from the right edge, each the size of its image.
    const GameSlot row[] = {kGameClose,   kGameMaximize, kGameMinimize,     kGameTray, kGameSettings,
                            kGameService, kGameForum,    kGameOfficialSite, kGamePay};
    EXPECT_EQ(ref[kGameClose].right, 1250);
    for (size_t i = 0; i < std::size(row); ++i) {
        SCOPED_TRACE(i);
        const Edges b = ref[row[i]];
        EXPECT_EQ(Width(b), small.images[row[i]].width);
        EXPECT_EQ(Height(b), small.images[row[i]].height);
        EXPECT_EQ(b.top, i < 4 ? 1 : 5); // the window buttons at y 1, the links at y 5
        // Side by side; 20 pixels between the two groups, 5 between the links.
        const int gapToNext[] = {0, 0, 0, 20, 5, 5, 5, 5};
        if (i + 1 < std::size(row)) {
            EXPECT_EQ(b.left - ref[row[i + 1]].right, gapToNext[i]);
        }
    }
    EXPECT_EQ(ref[kGamePay].left, 1250 - 110 - 20 - 5 * 38 - 4 * 5); // the images' widths, from the right

    const Edges icon = ref[kGameIcon], label = ref[kGameTitleLabel];
    EXPECT_EQ(icon.left, 5);
    EXPECT_EQ(icon.top, 2);
    EXPECT_EQ(Width(icon), 25);
    EXPECT_EQ(icon.bottom, 25); // ends 2 pixels short of the image
    EXPECT_EQ(label.left, icon.right + 10);
    EXPECT_EQ(Width(label), 300);

    const struct { int width, height; } sizes[] = {{1250, 700}, {1920, 1040}, {1280, 994}, {400, 10}};
    for (const auto& size : sizes) {
        SCOPED_TRACE(std::to_string(size.width) + "x" + std::to_string(size.height));
        const auto at = ComputeGameLayout(ShippedArtwork(size.width, size.height));
        // Right-anchored buttons keep their distance to the edge; the left side stays.
        for (GameSlot slot : row) {
            EXPECT_EQ(size.width - at[slot].left, 1250 - ref[slot].left);
            EXPECT_EQ(at[slot].top, ref[slot].top);
        }
        EXPECT_EQ(at[kGameIcon], ref[kGameIcon]);
        EXPECT_EQ(at[kGameTitleLabel], ref[kGameTitleLabel]);
        EXPECT_EQ(at[kGameTitleImage], (Edges{0, 0, size.width, 27}));
        // The view starts where the title bar ends and fills the client area, never
        // with a negative height.
        EXPECT_EQ(at[kGameView].top, at[kGameTitleImage].bottom);
        EXPECT_EQ(at[kGameView].left, 0);
        EXPECT_EQ(at[kGameView].right, size.width);
        EXPECT_EQ(Height(at[kGameView]), std::max(0, size.height - 27));
    }
}

TEST(GameRules, TheReturnMarkerAndTheStartAtLogonValue) {
    EXPECT_TRUE(IsReturnToLoginUrl(L"http://g/p?a=1&wd_returnlogin=1"));
    EXPECT_TRUE(IsReturnToLoginUrl(L"http://g/wd_returnlogin=10")); // anywhere, as a substring
    EXPECT_FALSE(IsReturnToLoginUrl(L"http://g/p?wd_returnlogin=0"));
    EXPECT_FALSE(IsReturnToLoginUrl(L"http://g/p?WD_RETURNLOGIN=1")); // case-sensitive

    const wchar_t path[] = L"C:\\Games\\launcher.exe";
    EXPECT_EQ(AutoRunValueData(path, 21, 260), L"\"C:\\Games\\launcher.exe\" /autorun");
    const std::wstring spaced = L"C:\\Program Files\\Orvo\\x.exe";
    EXPECT_EQ(AutoRunValueData(spaced.c_str(), unsigned(spaced.size()), 260),
              L"\"" + spaced + L"\" /autorun");
    // A path that filled the whole buffer was cut (GetModuleFileNameW returns the
    // buffer size then); no path at all fails too.
    const std::wstring cut(260, L'a');
    EXPECT_EQ(AutoRunValueData(cut.c_str(), 260, 260), L"");
    EXPECT_EQ(AutoRunValueData(cut.c_str(), 259, 260).size(), 259u + 11u);
    EXPECT_EQ(AutoRunValueData(path, 0, 260), L"");
    EXPECT_EQ(AutoRunValueData(nullptr, 5, 260), L"");
}

} // namespace
