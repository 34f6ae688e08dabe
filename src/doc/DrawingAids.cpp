#include "doc/DrawingAids.h"

#include <cstddef>

std::vector<CPoint> MirroredPoints(CPoint p, int width, int height, int symmetry)
{
    std::vector<CPoint> out{p};
    if (symmetry & SYMMETRY_LR)
        out.push_back(CPoint{width - 1 - p.x, p.y});
    if (symmetry & SYMMETRY_UD) {
        const size_t n = out.size();
        for (size_t i = 0; i < n; ++i)
            out.push_back(CPoint{out[i].x, height - 1 - out[i].y});
    }
    return out;
}
