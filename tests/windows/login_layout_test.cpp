#include "browser/windows/LoginLayout.h"

#include "ui/PngInfo.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

bool Inside(const Edges& inner, const Edges& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}
bool Overlap(const Edges& a, const Edges& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}
bool Empty(const Edges& e) {
    return e.right <= e.left || e.bottom <= e.top;
}

const Edges kArtwork = {0, 0, kLoginWidth, kLoginHeight};

// A click picks one control: every slot lies on the artwork, none is empty, and no
// two share a pixel.
TEST(LoginLayout, EverySlotLiesOnTheArtworkAndNoTwoOverlap) {
    const auto slots = LoginLayout();
    for (int i = 0; i < kLoginSlotCount; ++i) {
        SCOPED_TRACE(i);
        EXPECT_FALSE(Empty(slots[i]));
        EXPECT_TRUE(Inside(slots[i], kArtwork));
        for (int j = i + 1; j < kLoginSlotCount; ++j)
            EXPECT_FALSE(Overlap(slots[i], slots[j])) << "with " << j;
    }
}

// The four page links sit in one row, left to right in the order of the artwork,
// and the window's buttons follow them at the right.
TEST(LoginLayout, ThePageLinksRunLeftToRightBeforeTheWindowButtons) {
    const auto s = LoginLayout();
    const LoginSlot row[] = {kLoginHome, kLoginPay, kLoginService, kLoginForum, kLoginMinimize, kLoginClose};
    for (size_t i = 0; i + 1 < std::size(row); ++i)
        EXPECT_LE(s[row[i]].right, s[row[i + 1]].left) << i;
    for (LoginSlot link : {kLoginPay, kLoginService, kLoginForum}) {
        EXPECT_EQ(s[link].top, s[kLoginHome].top);
        EXPECT_EQ(s[link].bottom - s[link].top, s[kLoginHome].bottom - s[kLoginHome].top);
    }
}

// While the page shows, the browser covers the retry label; while it failed, the
// browser is out of the client entirely and the label is free to be clicked.
TEST(LoginLayout, TheBrowserCoversTheRetryLabelOnlyWhileThePageShows) {
    const Edges status = LoginLayout()[kLoginStatus];
    const Edges shown = LoginViewRect(false);
    EXPECT_TRUE(Inside(shown, kArtwork));
    EXPECT_TRUE(Inside(status, shown));
    EXPECT_EQ(shown.right - shown.left, 536);
    EXPECT_EQ(shown.bottom - shown.top, 354);
    const Edges away = LoginViewRect(true);
    EXPECT_FALSE(Empty(away)); // it keeps a size, so it can still navigate
    EXPECT_FALSE(Overlap(away, kArtwork));
    EXPECT_LT(away.right, 0);
    EXPECT_LT(away.bottom, 0);
}

PngInfo ShippedImage(int id) {
    std::ifstream file(std::string(GANTRY_SOURCE_DIR) + "/res/skin/" + std::to_string(id) + ".png",
                       std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    return ReadPngInfo(bytes.data(), bytes.size());
}

// Every button is drawn as its whole image stretched over its bounds: each place
// has exactly the size of the button's shipped images (normal and hover), so none
// is drawn distorted.
TEST(LoginLayout, EachButtonHasTheSizeOfItsShippedImages) {
    const struct {
        LoginSlot slot;
        int normal, hover;
    } buttons[] = {
        {kLoginMinimize, 192, 193}, {kLoginClose, 188, 189},   {kLoginHome, 194, 195},
        {kLoginPay, 198, 199},      {kLoginService, 200, 201}, {kLoginForum, 190, 191},
    };
    const auto slots = LoginLayout();
    for (const auto& b : buttons) {
        SCOPED_TRACE(b.normal);
        for (int id : {b.normal, b.hover}) {
            const PngInfo png = ShippedImage(id);
            ASSERT_TRUE(png.valid) << id;
            EXPECT_EQ(slots[b.slot].right - slots[b.slot].left, int(png.width)) << id;
            EXPECT_EQ(slots[b.slot].bottom - slots[b.slot].top, int(png.height)) << id;
        }
    }
}

} // namespace
