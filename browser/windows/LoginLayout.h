// Where the login window puts its parts on its 1200 x 760 artwork: the buttons
// of its title row, the retry label and the browser. The places are the
// artwork's, so they are fixed.
#pragma once

#include "ui/Geometry.h"

#include <array>

constexpr int kLoginWidth = 1200;
constexpr int kLoginHeight = 760;

enum LoginSlot {
    kLoginMinimize,
    kLoginClose,
    kLoginHome,
    kLoginPay,
    kLoginService,
    kLoginForum,
    kLoginStatus, // the retry label, under the browser while the page shows
    kLoginSlotCount
};
std::array<Edges, kLoginSlotCount> LoginLayout();

// The browser's rectangle: its window in the artwork while the page shows, or a
// small square out of sight above and left of the client while the retry label
// shows in its place (the browser keeps a size, so it can still navigate).
Edges LoginViewRect(bool pageFailed);
