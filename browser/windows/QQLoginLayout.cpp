#include "browser/windows/QQLoginLayout.h"

std::array<Edges, kQQBorderCount> QQLoginBorders() {
    std::array<Edges, kQQBorderCount> b;
    b[kQQLeftBorder] = Edges{0, 27, 3, 420};
    b[kQQRightBorder] = Edges{697, 27, 880, 420};
    b[kQQBottomBorder] = Edges{0, 416, 880, 420};
    return b;
}

std::array<Edges, kQQSlotCount> ComputeQQLoginLayout(int clientWidth, int clientHeight, int titleHeight,
                                                     int closeWidth, int closeHeight) {
    constexpr int kSideBorder = 3, kBottomBorder = 4;
    std::array<Edges, kQQSlotCount> s;
    s[kQQTitle] = Edges{0, 0, clientWidth, titleHeight};
    s[kQQClose] = Edges{clientWidth - closeWidth, 0, clientWidth, closeHeight};
    s[kQQTitleText] = Edges{5, 2, 205, 22};
    s[kQQView] = Edges{kSideBorder, titleHeight, clientWidth - kSideBorder, clientHeight - kBottomBorder};
    return s;
}
