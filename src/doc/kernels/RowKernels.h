// Row kernels shared by CImageEx::Draw and the composition of the working
// image, so a composition builds each layer's colour map once and runs the
// same inner loops over its rows. One portable variant and one file per
// instruction set sit beside Dispatch.cpp, which picks among them.
#pragma once

#include "doc/ImageEx.h"

#include <cstdint>

// The x86 vector kernels (chosen at run time by what the processor has);
// TESVAN_NO_SIMD leaves the portable ones alone.
#if (defined(__x86_64__) || defined(__i386__)) && !defined(TESVAN_NO_SIMD)
#define TV_X86_KERNELS 1
#else
#define TV_X86_KERNELS 0
#endif

namespace blit {

// How each index of an 8-bit source lands in an 8-bit destination.
struct IndexMap {
    int16_t to[256];         // destination index, or -1 to skip the pixel
    bool identity = false;   // every kept index maps to itself
    bool zeroSkipped = false;
    // Two runs [a0, a0 + aLen) and [b0, b0 + bLen) of indices that map to
    // themselves (index 0 may be skipped instead): the vector kernels pass
    // blocks lying wholly inside them through unchanged.
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

// Chooses the 8-bit row kernel: 0 16 pixels at a time, 1 AVX2, 2 AVX-512,
// -1 the best the processor has (the default). False when it lacks it.
bool SelectMapKernel(int level);

// Exact floor(x / 255) for 0 <= x <= 65534 (every product of two bytes).
constexpr int Div255(int x) { return (x + 1 + (x >> 8)) >> 8; }

// 32-bit blend of n source pixels over dst (Mix per channel), by the chosen
// kernel.
void BlendRow(const uint8_t* src, uint8_t* dst, int n);

// Fills dst with `back` (0 or opaque) and blends src over it, as BlendRow
// would, without reading dst first where the kernel allows.
void OverUniformRow(const uint8_t* src, uint8_t* dst, int n, uint32_t back);

// Chooses the 32-bit blend kernel: 0 plain, 1 SSE2, 2 AVX2, -1 the best the
// processor has (the default). False when the processor lacks it.
bool SelectBlendKernel(int level);

}  // namespace blit
