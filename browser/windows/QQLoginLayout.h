// Where the external-account login window puts its parts. The borders are fixed
// for the window's 880 x 420; the title bar, the close button, the title text and
// the browser follow the client size and the artwork's sizes.
#pragma once

#include "ui/Geometry.h"

#include <array>

enum QQLoginBorder { kQQLeftBorder, kQQRightBorder, kQQBottomBorder, kQQBorderCount };
// The border images' bounds. The right border reaches far under the browser, which
// leaves only its rightmost 3 pixels in sight.
std::array<Edges, kQQBorderCount> QQLoginBorders();

enum QQLoginSlot { kQQTitle, kQQClose, kQQTitleText, kQQView, kQQSlotCount };
// The title bar across the top at its artwork height, the close button in the top
// right corner at its artwork size, the title text near the left of the bar, and
// the browser below the bar inside a 3-pixel border left and right and a 4-pixel
// border at the bottom (the view's rectangle as edges).
std::array<Edges, kQQSlotCount> ComputeQQLoginLayout(int clientWidth, int clientHeight, int titleHeight,
                                                     int closeWidth, int closeHeight);
