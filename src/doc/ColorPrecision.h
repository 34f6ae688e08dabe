// "色の精度": the colours a document may hold, so that what is drawn is what
// a console shows. Full keeps 8 bits a channel; the others round each
// channel to 5 or 3 bits and back.
#pragma once

#include <cstdint>

enum ColorPrecision { PRECISION_FULL = 0, PRECISION_15BIT = 1, PRECISION_9BIT = 2 };

// Bits a channel keeps at the precision; 8 at full.
inline int PrecisionBits(int precision)
{
    return precision == PRECISION_15BIT ? 5 : precision == PRECISION_9BIT ? 3 : 8;
}

// One channel rounded to the precision's levels and back: the nearest
// level, and snapping twice gives the same.
inline int SnapChannel(int v, int precision)
{
    const int bits = PrecisionBits(precision);
    if (bits >= 8)
        return v;
    const int top = (1 << bits) - 1;
    const int level = (v * top + 127) / 255;
    return (level * 255 + top / 2) / top;
}

// A colour value 0x00BBGGRR at the precision.
inline uint32_t SnapColor(uint32_t c, int precision)
{
    if (PrecisionBits(precision) >= 8)
        return c & 0xFFFFFF;
    return uint32_t(SnapChannel(int(c & 0xFF), precision)) |
           uint32_t(SnapChannel(int((c >> 8) & 0xFF), precision)) << 8 |
           uint32_t(SnapChannel(int((c >> 16) & 0xFF), precision)) << 16;
}
