#include "ui/SliceLayout.h"

#include <cstdint>
#include <limits>

namespace {

// The distance between two edges, held to the int range: edges far apart (a
// rectangle from INT_MIN to INT_MAX) would otherwise overflow the subtraction.
int Span(int from, int to) {
    const int64_t span = int64_t(to) - from;
    if (span > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (span < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return int(span);
}

// Bounds whose extent does not fit an int are not sliced, so that sliced pieces
// always tile them exactly.
bool Applies(int64_t extentBounds, int64_t extentImage, int a, int b) {
    if (a < 0 || b < 0 || extentBounds > std::numeric_limits<int>::max())
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
    const int width = Span(L, R), height = Span(T, B);
    // Summed only where the check above proved the sum small.
    const int h = out.horizontal ? l + r : 0;
    const int v = out.vertical ? t + b : 0;

    auto add = [&out](Box dest, Box src) { out.pieces[out.count++] = SlicePiece{dest, src}; };
    if (out.horizontal && out.vertical) {
        add({L, T, l, t}, {0, 0, l, t});
        add({L + l, T, width - h, t}, {l, 0, W - h, t});
        add({R - r, T, r, t}, {W - r, 0, r, t});
        add({L, T + t, l, height - v}, {0, t, l, H - v});
        add({L + l, T + t, width - h, height - v}, {l, t, W - h, H - v});
        add({R - r, T + t, r, height - v}, {W - r, t, r, H - v});
        add({L, B - b, l, b}, {0, H - b, l, b});
        add({L + l, B - b, width - h, b}, {l, H - b, W - h, b});
        add({R - r, B - b, r, b}, {W - r, H - b, r, b});
    } else if (out.horizontal) {
        add({L, T, l, height}, {0, 0, l, H});
        add({L + l, T, width - h, height}, {l, 0, W - h, H});
        add({R - r, T, r, height}, {W - r, 0, r, H});
    } else if (out.vertical) {
        add({L, T, width, t}, {0, 0, W, t});
        add({L, T + t, width, height - v}, {0, t, W, H - v});
        add({L, B - b, width, b}, {0, H - b, W, b});
    }
    return out;
}

Box PlaceUnsliced(const Edges& bounds, int W, int H, bool stretch) {
    const int height = Span(bounds.top, bounds.bottom);
    if (stretch)
        return {bounds.left, bounds.top, Span(bounds.left, bounds.right), height};
    Box box{bounds.left, bounds.top, W, H};
    if (height > H)
        box.y += (height - H) / 2;
    return box;
}
