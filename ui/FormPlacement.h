// Window styles and positions the forms compute before calling into the system.
#pragma once

#include <cstdint>

struct FormPosition {
    int x = 0;
    int y = 0;
};

// Centre of the work area as the forms place themselves: only the work area's right
// and bottom edges count, and the divisions truncate toward zero.
FormPosition CenteredInWorkArea(int workRight, int workBottom, int clientWidth, int clientHeight);

// Style of a skinned top-level window that still offers minimise on its taskbar
// button: WS_POPUP, WS_CAPTION, WS_SYSMENU, WS_THICKFRAME, WS_MINIMIZEBOX,
// WS_MAXIMIZEBOX and bit 0x80 cleared, then WS_SYSMENU and WS_MINIMIZEBOX set.
uint32_t SkinnedWindowStyle(uint32_t style);
// Style of a skinned window that keeps WS_POPUP: WS_CAPTION, WS_THICKFRAME and
// WS_MAXIMIZEBOX cleared, then WS_SYSMENU and WS_MINIMIZEBOX set, so its taskbar
// button offers minimise and close (the game and external-login windows).
uint32_t CaptionlessWindowStyle(uint32_t style);
// Extended style of the background form: no dialog frame, tool window or edge;
// layered; topmost when asked.
uint32_t BackFormExStyle(uint32_t exStyle, bool topMost);
// Extended style of a window shown with a taskbar button.
uint32_t AppWindowExStyle(uint32_t exStyle, bool topMost);
// Extended style of a window parked off screen, without a taskbar button.
uint32_t OffscreenExStyle(uint32_t exStyle);

// SetWindowPos flags of ShowAsAppWindow: SWP_SHOWWINDOW | SWP_NOREDRAW | SWP_NOSIZE,
// plus SWP_NOMOVE when the window keeps its position.
uint32_t AppWindowPosFlags(bool keepPosition);

// Mouse message points: x in the low word, y in the high word, each unsigned.
struct MessagePoint {
    int x = 0;
    int y = 0;
};
MessagePoint PointFromMessageParam(uint64_t lParam);
// WM_MOUSEWHEEL's point: screen coordinates, each word signed, negative on a monitor
// left of or above the primary one.
MessagePoint ScreenPointFromMessageParam(uint64_t lParam);
