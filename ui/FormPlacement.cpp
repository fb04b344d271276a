#include "ui/FormPlacement.h"

namespace {
// The values of the Windows constants, so this file needs no Windows header.
constexpr uint32_t kExDlgModalFrame = 0x1, kExTopMost = 0x8, kExToolWindow = 0x80, kExWindowEdge = 0x100;
constexpr uint32_t kExAppWindow = 0x40000, kExLayered = 0x80000;
constexpr uint32_t kSwpNoSize = 0x1, kSwpNoMove = 0x2, kSwpNoRedraw = 0x8, kSwpShowWindow = 0x40;
} // namespace

FormPosition CenteredInWorkArea(int workRight, int workBottom, int clientWidth, int clientHeight) {
    return {(workRight - clientWidth) / 2, (workBottom - clientHeight) / 2};
}

uint32_t SkinnedWindowStyle(uint32_t style) {
    return (style & 0x7F30FF7Fu) | 0x000A0000u;
}

uint32_t CaptionlessWindowStyle(uint32_t style) {
    return (style & 0xFF3AFFFFu) | 0x000A0000u;
}

uint32_t BackFormExStyle(uint32_t exStyle, bool topMost) {
    uint32_t ex = (exStyle & ~(kExDlgModalFrame | kExToolWindow | kExWindowEdge)) | kExLayered;
    return topMost ? ex | kExTopMost : ex;
}

uint32_t AppWindowExStyle(uint32_t exStyle, bool topMost) {
    uint32_t ex = (exStyle & ~kExToolWindow) | kExAppWindow;
    return topMost ? ex | kExTopMost : ex;
}

uint32_t OffscreenExStyle(uint32_t exStyle) {
    return (exStyle & ~kExAppWindow) | kExToolWindow;
}

uint32_t AppWindowPosFlags(bool keepPosition) {
    uint32_t flags = kSwpShowWindow | kSwpNoRedraw | kSwpNoSize;
    return keepPosition ? flags | kSwpNoMove : flags;
}

MessagePoint PointFromMessageParam(uint64_t lParam) {
    return {int(lParam & 0xFFFF), int((lParam >> 16) & 0xFFFF)};
}

MessagePoint ScreenPointFromMessageParam(uint64_t lParam) {
    return {int(int16_t(lParam & 0xFFFF)), int(int16_t((lParam >> 16) & 0xFFFF))};
}
