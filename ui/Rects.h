// Conversions between the toolkit's plain rectangles (ui/Geometry.h), which the
// layout logic computes without Windows headers, and RECT.
#pragma once

#include "ui/Geometry.h"

#include <windows.h>

inline Edges ToEdges(const RECT& r) {
    return {int(r.left), int(r.top), int(r.right), int(r.bottom)};
}

inline RECT ToRect(const Edges& e) {
    return RECT{e.left, e.top, e.right, e.bottom};
}
