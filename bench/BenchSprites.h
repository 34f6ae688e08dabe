// Sprite-like 32-bit content shared by the benchmarks: each 64 x 64 cell
// holds an ellipse of short flat runs from a small palette with partly
// transparent rims (about 60 % empty, 38 % opaque, 2 % partly transparent).
#pragma once

#include "doc/ImageEx.h"

#include <cstdint>
#include <random>

// side: the square area filled from the top-left; shiftEllipses moves each
// cell's ellipse sideways by its column (mod 7), so cells differ.
inline void FillSprites(CImageEx& img, int side, uint32_t seed, bool shiftEllipses = false)
{
    std::mt19937 rng(seed);
    uint32_t colours[8];
    for (uint32_t& c : colours)
        c = 0xFF000000u | (rng() & 0xFFFFFF);
    for (int cy = 0; cy < side; cy += 64)
        for (int cx = 0; cx < side; cx += 64) {
            const double rx = 20 + rng() % 6, ry = 22 + rng() % 6;
            const double shift = shiftEllipses ? (cx / 64) % 7 : 0;
            for (int y = 0; y < 64; ++y) {
                uint32_t* row = reinterpret_cast<uint32_t*>(img.GetRow(cy + y)) + cx;
                uint32_t colour = colours[rng() % 8];
                int run = 0;
                for (int x = 0; x < 64; ++x) {
                    const double dx = (x - 31.5 + shift) / rx, dy = (y - 31.5) / ry;
                    const double d = dx * dx + dy * dy;
                    if (d > 1.0)
                        continue;
                    if (run-- <= 0) {
                        colour = colours[rng() % 8];
                        run = int(rng() % 6);
                    }
                    row[x] = d > 0.93 ? (colour & 0x00FFFFFF) | 0x80000000u : colour;
                }
            }
        }
}
