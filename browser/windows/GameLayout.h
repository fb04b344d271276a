// Where the game window puts its title bar, its buttons and its browser view for
// a client area of a given size. The window measures its images and applies the
// result; here is only the arithmetic, so it can be checked without a window.
#pragma once

#include "ui/Geometry.h"

#include <array>

enum GameSlot {
    kGameTitleImage,
    kGameClose,
    kGameMaximize,
    kGameMinimize,
    kGameTray,
    kGameSettings,
    kGameService,
    kGameForum,
    kGameOfficialSite,
    kGamePay,
    kGameIcon,
    kGameTitleLabel,
    kGameView,
    kGameSlotCount
};

struct ImageSize {
    int width = 0;
    int height = 0;
};

struct GameLayoutInput {
    int clientWidth = 0;
    int clientHeight = 0;
    int titleHeight = 0; // the title image's height: the title bar ends there
    // The image of each button and of the icon; the other slots are not read.
    std::array<ImageSize, kGameSlotCount> images = {};
};

// The title image spans the width. The close, maximise, minimise and tray buttons
// stand side by side from the right edge at y 1; 20 pixels further left the
// settings, service, forum, official-site and pay buttons follow at y 5, 5 pixels
// apart. The icon sits at (5, 2), the title label 10 pixels right of it, and the
// view fills everything below the title bar (never a negative height).
std::array<Edges, kGameSlotCount> ComputeGameLayout(const GameLayoutInput& in);
