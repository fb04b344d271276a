// The game window's layout and rules, without a window: sizes from the artwork
// (res/skin), expectations as relations between the places at several sizes.
#include "browser/windows/GameLayout.h"
#include "browser/windows/GameRules.h"
#include "browser/windows/PageMarkers.h"
#include "tests/windows/ShippedArtwork.h"

#include <gtest/gtest.h>

namespace {

TEST(GameLayout, TheTitleBarFollowsTheRightEdgeAndTheViewFillsTheRest) {
    // Right to left: the window buttons at y 1 side by side, 20 pixels, then the links
    // at y 5, 5 pixels apart; each the size of its image.
    const GameSlot row[] = {kGameClose,   kGameMaximize, kGameMinimize,     kGameTray, kGameSettings,
                            kGameService, kGameForum,    kGameOfficialSite, kGamePay};
    const int gapToNext[] = {0, 0, 0, 20, 5, 5, 5, 5};
    const struct { int width, height; } sizes[] = {{1250, 700}, {1920, 1040}, {400, 10}};
    for (const auto& size : sizes) {
        SCOPED_TRACE(std::to_string(size.width) + "x" + std::to_string(size.height));
        const GameLayoutInput in = ShippedArtwork(size.width, size.height);
        const auto at = ComputeGameLayout(in);
        int right = size.width;
        for (size_t i = 0; i < std::size(row); ++i) {
            const Edges b = at[row[i]];
            EXPECT_EQ(b, (Edges{right - in.images[row[i]].width, i < 4 ? 1 : 5, right,
                                (i < 4 ? 1 : 5) + in.images[row[i]].height}))
                << i;
            right = b.left - (i < std::size(gapToNext) ? gapToNext[i] : 0);
        }
        // The icon at (5, 2) ends 2 pixels short of its image; the label 10 pixels on, 300 wide.
        EXPECT_EQ(at[kGameIcon], (Edges{5, 2, 30, 25}));
        EXPECT_EQ(at[kGameTitleLabel], (Edges{40, 5, 340, 25}));
        // The view starts where the title bar ends and fills the client area, never
        // with a negative height.
        EXPECT_EQ(at[kGameTitleImage], (Edges{0, 0, size.width, 27}));
        EXPECT_EQ(at[kGameView], (Edges{0, 27, size.width, std::max(27, size.height)}));
    }
}

TEST(GameLayout, EachPlaceTakesItsOwnImagesWidthAndHeight) {
    // Artwork where no two images share a size and none is square, so a width taken
    // for a height, or one button's size for another's, moves a place.
    GameLayoutInput in;
    in.clientWidth = 800;
    in.clientHeight = 500;
    in.titleHeight = 30;
    const struct {
        GameSlot slot;
        ImageSize image;
        Edges expected;
    } rows[] = {
        {kGameClose, {30, 20}, {770, 1, 800, 21}},    {kGameMaximize, {26, 21}, {744, 1, 770, 22}},
        {kGameMinimize, {24, 22}, {720, 1, 744, 23}}, {kGameTray, {22, 23}, {698, 1, 720, 24}},
        {kGameSettings, {40, 16}, {638, 5, 678, 21}}, {kGameService, {41, 17}, {592, 5, 633, 22}},
        {kGameForum, {42, 18}, {545, 5, 587, 23}},    {kGameOfficialSite, {43, 19}, {497, 5, 540, 24}},
        {kGamePay, {44, 20}, {448, 5, 492, 25}},      {kGameIcon, {20, 16}, {5, 2, 25, 16}},
    };
    for (const auto& row : rows)
        in.images[row.slot] = row.image;
    const auto at = ComputeGameLayout(in);
    for (const auto& row : rows)
        EXPECT_EQ(at[row.slot], row.expected) << row.slot;
    EXPECT_EQ(at[kGameTitleLabel], (Edges{35, 5, 335, 25}));
    EXPECT_EQ(at[kGameTitleImage], (Edges{0, 0, 800, 30}));
    EXPECT_EQ(at[kGameView], (Edges{0, 30, 800, 500}));
}

TEST(GameRules, TheReturnMarkerAndTheStartAtLogonValue) {
    const PlatformHosts hosts = {L"w", L"l", L"g"};
    EXPECT_TRUE(IsReturnToLoginUrl(L"http://g/p?a=1&wd_returnlogin=1", true, hosts));
    EXPECT_TRUE(IsReturnToLoginUrl(L"http://g/wd_returnlogin=10", true, hosts)); // anywhere, as a substring
    EXPECT_FALSE(IsReturnToLoginUrl(L"http://g/p?wd_returnlogin=0", true, hosts));
    EXPECT_FALSE(IsReturnToLoginUrl(L"http://g/p?WD_RETURNLOGIN=1", true, hosts)); // case-sensitive

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
