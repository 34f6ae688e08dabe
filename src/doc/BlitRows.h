// Row kernels shared by CImageEx::Draw and the composition of the working
// image, so a composition can build its per-layer colour maps once and run
// the same inner loops band by band.
#pragma once

#include "doc/ImageEx.h"

#include <cstdint>

namespace blit {

// How each index of an 8-bit source lands in an 8-bit destination.
struct IndexMap {
    int16_t to[256];         // destination index, or -1 to skip the pixel
    bool identity = false;   // every kept index maps to itself
    bool zeroSkipped = false;
    // Two runs [a0, a0 + aLen) and [b0, b0 + bLen) of indices that map to
    // themselves (index 0 may be skipped instead), for the 16-pixel kernel.
    int a0 = 0, aLen = 0, b0 = 0, bLen = 0;
};

// Same colour, ignoring the reserved byte.
inline bool SameColour(const RGBQUAD& a, const RGBQUAD& b)
{
    return a.rgbRed == b.rgbRed && a.rgbGreen == b.rgbGreen && a.rgbBlue == b.rgbBlue;
}

// Index of the table entry of exactly this colour, preferring `preferred`
// (so equal tables map every index to itself), else the nearest colour.
int NearestIndex(const RGBQUAD* table, int r, int g, int b, int preferred = -1);

// Builds the map from src's colour table to dst's. With a key colour, every
// source index of that colour is skipped.
void BuildIndexMap(const RGBQUAD* srcTable, const RGBQUAD* dstTable, const RGBQUAD* key,
                   IndexMap& map);

// dst[i] := map(src[i]) for n pixels, skipping keyed ones.
void MapRow8(const uint8_t* src, uint8_t* dst, int n, const IndexMap& map);

// Exact floor(x / 255) for 0 <= x <= 65534 (every product of two bytes).
constexpr int Div255(int x) { return (x + 1 + (x >> 8)) >> 8; }

// Chooses the 32-bit blend kernel: 0 plain, 1 SSE2, 2 AVX2, -1 the best the
// processor has (the default). False when the processor lacks it.
bool SelectBlendKernel(int level);

}  // namespace blit
