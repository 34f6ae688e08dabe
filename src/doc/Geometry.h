// Points and inclusive rectangles in sheet or canvas pixels.
#pragma once

struct CPoint {
    int x = 0;
    int y = 0;
    bool operator==(const CPoint&) const = default;
};

struct CRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const CRect&) const = default;
};
