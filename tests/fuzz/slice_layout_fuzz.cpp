// Nine-slice geometry for any control rectangle, image size and insets: pieces of
// non-negative size that stay inside the image and the rectangle, and no overflow.
#include "tests/fuzz/FuzzInput.h"
#include "ui/SliceLayout.h"

#include <algorithm>
#include <cstdint>

namespace {

bool Inside(int64_t start, int64_t extent, int64_t lo, int64_t hi) {
    return extent >= 0 && start >= lo && start + extent <= hi;
}

// A span of the bounds as an int can hold it.
int64_t Held(int64_t span) {
    return std::min<int64_t>(std::max<int64_t>(span, INT32_MIN), INT32_MAX);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    Edges bounds;
    bounds.left = in.Int();
    bounds.top = in.Int();
    bounds.right = in.Int();
    bounds.bottom = in.Int();
    // Image sizes come from decoded bitmaps and are never negative.
    const int width = in.Int() & 0x7FFFFFFF;
    const int height = in.Int() & 0x7FFFFFFF;
    Edges insets;
    insets.left = in.Int();
    insets.top = in.Int();
    insets.right = in.Int();
    insets.bottom = in.Int();

    const SliceLayout layout = ComputeSliceLayout(bounds, width, height, insets);
    Require(layout.count == (layout.horizontal && layout.vertical   ? 9
                             : layout.horizontal || layout.vertical ? 3
                                                                    : 0));
    for (int i = 0; i < layout.count; ++i) {
        const SlicePiece& p = layout.pieces[size_t(i)];
        Require(Inside(p.src.x, p.src.w, 0, width) && Inside(p.src.y, p.src.h, 0, height));
        // A direction that is not sliced spans the bounds as they are, held to the int
        // range (the paint clips to the bounds, so inverted ones draw nothing).
        if (layout.horizontal)
            Require(Inside(p.dest.x, p.dest.w, bounds.left, bounds.right));
        else
            Require(p.dest.x == bounds.left && p.dest.w == Held(int64_t(bounds.right) - bounds.left));
        if (layout.vertical)
            Require(Inside(p.dest.y, p.dest.h, bounds.top, bounds.bottom));
        else
            Require(p.dest.y == bounds.top && p.dest.h == Held(int64_t(bounds.bottom) - bounds.top));
    }
    PlaceUnsliced(bounds, width, height, in.Byte() & 1);
    return 0;
}
