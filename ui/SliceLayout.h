// Where the pieces of a nine-slice skin image go: the corners keep their size,
// the edges stretch in one direction and the middle in both.
#pragma once

#include "ui/Geometry.h"

#include <array>

struct SlicePiece {
    Box dest; // in the target DC
    Box src;  // in image pixels
};

struct SliceLayout {
    bool horizontal = false; // three columns
    bool vertical = false;   // three rows
    int count = 0;           // 9, 3 or 0 pieces
    std::array<SlicePiece, 9> pieces{};
};

// Slicing applies in a direction when the two insets of that direction sum to more
// than 0 and to less than both the image's and the bounds' extent. A negative inset
// disables its direction: it would give pieces of negative size, which the stretch
// calls mirror outside the control. Bounds wider or taller than an int can hold are
// not sliced in that direction; a direction that is not sliced spans the bounds,
// its extent held to the int range.
bool SlicesHorizontally(const Edges& bounds, int imageWidth, const Edges& insets);
bool SlicesVertically(const Edges& bounds, int imageHeight, const Edges& insets);

SliceLayout ComputeSliceLayout(const Edges& bounds, int imageWidth, int imageHeight, const Edges& insets);

// Destination of an image that is not sliced: the bounds when stretching,
// otherwise the image's own size at the bounds' top left corner, centred
// vertically when the bounds are taller than the image. Image sizes are never negative.
Box PlaceUnsliced(const Edges& bounds, int imageWidth, int imageHeight, bool stretch);
