// Plain rectangles for the toolkit's layout decisions. They mirror RECT (edges)
// and the x, y, width, height arguments of the blit calls (boxes), so the logic
// that computes them needs no Windows header.
#pragma once

struct Edges {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

struct Box {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
};

inline bool operator==(const Box& a, const Box& b) {
    return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h;
}
inline bool operator==(const Edges& a, const Edges& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
