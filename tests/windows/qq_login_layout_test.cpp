// The external-account login window's layout, without a window: the parts follow
// the client size and the artwork, at several sizes so a swapped or shifted edge shows.
#include "browser/windows/QQLoginLayout.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(QQLoginLayout, ThePartsFollowTheClientSizeAndTheArtwork) {
    const struct {
        int width, height, titleHeight, closeWidth, closeHeight;
        Edges title, close, view;
    } rows[] = {
        // The window's own size with the shipped artwork (title 27 high, close 28 x 27).
        {880, 420, 27, 28, 27, {0, 0, 880, 27}, {852, 0, 880, 27}, {3, 27, 877, 416}},
        // A close button that is not square and shorter than the bar.
        {1000, 600, 31, 40, 22, {0, 0, 1000, 31}, {960, 0, 1000, 22}, {3, 31, 997, 596}},
        {300, 100, 20, 16, 14, {0, 0, 300, 20}, {284, 0, 300, 14}, {3, 20, 297, 96}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::to_string(r.width) + "x" + std::to_string(r.height));
        const auto at = ComputeQQLoginLayout(r.width, r.height, r.titleHeight, r.closeWidth, r.closeHeight);
        EXPECT_EQ(at[kQQTitle], r.title);
        EXPECT_EQ(at[kQQClose], r.close);
        EXPECT_EQ(at[kQQView], r.view);
        // The title text stays near the left of the bar whatever the size.
        EXPECT_EQ(at[kQQTitleText], (Edges{5, 2, 205, 22}));
    }
}

TEST(QQLoginLayout, TheBordersFrameTheViewAtTheWindowsSize) {
    const auto b = QQLoginBorders();
    const Edges view = ComputeQQLoginLayout(880, 420, 27, 28, 27)[kQQView];
    // Left: from the window's left edge to the view, below the 27-pixel title bar.
    EXPECT_EQ(b[kQQLeftBorder], (Edges{0, 27, view.left, 420}));
    // Bottom: the whole width, from the view's bottom to the window's.
    EXPECT_EQ(b[kQQBottomBorder], (Edges{0, view.bottom, 880, 420}));
    // Right: below the bar to the window's bottom right corner; it starts under the
    // view, so exactly the 3 pixels right of the view are seen.
    const Edges right = b[kQQRightBorder];
    EXPECT_EQ(right.top, 27);
    EXPECT_EQ(right.bottom, 420);
    EXPECT_EQ(right.right, 880);
    EXPECT_EQ(right.right - view.right, 3);
    EXPECT_LT(right.left, view.right);
}

} // namespace
