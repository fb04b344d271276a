#include "ui/SliceLayout.h"

#include <cstdint>

namespace {

bool Applies(int64_t extentBounds, int64_t extentImage, int a, int b) {
    if (a < 0 || b < 0)
        return false;
    int64_t sum = int64_t(a) + b;
    return sum > 0 && sum < extentImage && sum < extentBounds;
}

} // namespace

bool SlicesHorizontally(const Edges& bounds, int imageWidth, const Edges& insets) {
    return Applies(int64_t(bounds.right) - bounds.left, imageWidth, insets.left, insets.right);
}

bool SlicesVertically(const Edges& bounds, int imageHeight, const Edges& insets) {
    return Applies(int64_t(bounds.bottom) - bounds.top, imageHeight, insets.top, insets.bottom);
}

SliceLayout ComputeSliceLayout(const Edges& bounds, int W, int H, const Edges& in) {
    SliceLayout out;
    out.horizontal = SlicesHorizontally(bounds, W, in);
    out.vertical = SlicesVertically(bounds, H, in);

    const int L = bounds.left, T = bounds.top, R = bounds.right, B = bounds.bottom;
    const int l = in.left, t = in.top, r = in.right, b = in.bottom;
    // Summed only where the check above proved the sum small.
    const int h = out.horizontal ? l + r : 0;
    const int v = out.vertical ? t + b : 0;

    auto add = [&out](Box dest, Box src) { out.pieces[out.count++] = SlicePiece{dest, src}; };
    if (out.horizontal && out.vertical) {
        add({L, T, l, t}, {0, 0, l, t});
        add({L + l, T, (R - L) - h, t}, {l, 0, W - h, t});
        add({R - r, T, r, t}, {W - r, 0, r, t});
        add({L, T + t, l, (B - T) - v}, {0, t, l, H - v});
        add({L + l, T + t, (R - L) - h, (B - T) - v}, {l, t, W - h, H - v});
        add({R - r, T + t, r, (B - T) - v}, {W - r, t, r, H - v});
        add({L, B - b, l, b}, {0, H - b, l, b});
        add({L + l, B - b, (R - L) - h, b}, {l, H - b, W - h, b});
        add({R - r, B - b, r, b}, {W - r, H - b, r, b});
    } else if (out.horizontal) {
        add({L, T, l, B - T}, {0, 0, l, H});
        add({L + l, T, (R - L) - h, B - T}, {l, 0, W - h, H});
        add({R - r, T, r, B - T}, {W - r, 0, r, H});
    } else if (out.vertical) {
        add({L, T, R - L, t}, {0, 0, W, t});
        add({L, T + t, R - L, (B - T) - v}, {0, t, W, H - v});
        add({L, B - b, R - L, b}, {0, H - b, W, b});
    }
    return out;
}

Box PlaceUnsliced(const Edges& bounds, int W, int H, bool stretch) {
    if (stretch)
        return {bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top};
    Box box{bounds.left, bounds.top, W, H};
    const int height = bounds.bottom - bounds.top;
    if (height > H)
        box.y += (height - H) / 2;
    return box;
}
