// The sizes of the game window's shipped images (res/skin), as its layout takes
// them: 219 title bar 1500 x 27, 186 close 28 x 27, 205 maximise 27 x 27, 207
// minimise 28 x 27, 184 tray 27 x 27, the link buttons 38 x 18, the icon 204 25 x 25.
#pragma once

#include "browser/windows/GameLayout.h"

inline GameLayoutInput ShippedArtwork(int width, int height) {
    GameLayoutInput in;
    in.clientWidth = width;
    in.clientHeight = height;
    in.titleHeight = 27;
    in.images[kGameClose] = {28, 27};
    in.images[kGameMaximize] = {27, 27};
    in.images[kGameMinimize] = {28, 27};
    in.images[kGameTray] = {27, 27};
    for (GameSlot link : {kGameSettings, kGameService, kGameForum, kGameOfficialSite, kGamePay})
        in.images[link] = {38, 18};
    in.images[kGameIcon] = {25, 25};
    return in;
}
