#include "browser/windows/GameLayout.h"

#include <algorithm>

namespace {

// A button of the given size whose right edge is `right`.
Edges LeftOf(int right, int top, const ImageSize& size) {
    return {right - size.width, top, right, top + size.height};
}

} // namespace

std::array<Edges, kGameSlotCount> ComputeGameLayout(const GameLayoutInput& in) {
    std::array<Edges, kGameSlotCount> out = {};
    const auto& img = in.images;
    const int w = in.clientWidth, t = in.titleHeight;
    out[kGameTitleImage] = {0, 0, w, t};

    // The window buttons, right to left, at y 1.
    out[kGameClose] = LeftOf(w, 1, img[kGameClose]);
    out[kGameMaximize] = LeftOf(out[kGameClose].left, 1, img[kGameMaximize]);
    out[kGameMinimize] = LeftOf(out[kGameMaximize].left, 1, img[kGameMinimize]);
    out[kGameTray] = LeftOf(out[kGameMinimize].left, 1, img[kGameTray]);

    // The link buttons, right to left, at y 5.
    out[kGameSettings] = LeftOf(out[kGameTray].left - 20, 5, img[kGameSettings]);
    out[kGameService] = LeftOf(out[kGameSettings].left - 5, 5, img[kGameService]);
    out[kGameForum] = LeftOf(out[kGameService].left - 5, 5, img[kGameForum]);
    out[kGameOfficialSite] = LeftOf(out[kGameForum].left - 5, 5, img[kGameOfficialSite]);
    out[kGamePay] = LeftOf(out[kGameOfficialSite].left - 5, 5, img[kGamePay]);

    // The icon's bottom is its height, not 2 + its height: it ends 2 pixels short.
    const ImageSize icon = img[kGameIcon];
    out[kGameIcon] = {5, 2, 5 + icon.width, icon.height};
    out[kGameTitleLabel] = {out[kGameIcon].right + 10, 5, out[kGameIcon].right + 310, 25};

    out[kGameView] = {0, t, w, std::max(t, in.clientHeight)};
    return out;
}
