// The portable kernels: building an index map, the 8-bit map row in generic
// 16-byte vectors, and the 32-bit blend pixel by pixel (the reference the
// vector variants must match bit for bit).
#include "doc/Composite.h"
#include "doc/kernels/KernelSet.h"

#include <climits>
#include <cstring>

namespace blit {

int NearestIndex(const RGBQUAD* table, int r, int g, int b, int preferred)
{
    if (preferred >= 0 && preferred < 256 && table[preferred].rgbRed == r &&
        table[preferred].rgbGreen == g && table[preferred].rgbBlue == b)
        return preferred;
    int best = 0;
    int bestDist = INT32_MAX;
    for (int i = 0; i < 256; ++i) {
        const int dr = table[i].rgbRed - r;
        const int dg = table[i].rgbGreen - g;
        const int db = table[i].rgbBlue - b;
        const int d = dr * dr + dg * dg + db * db;
        if (d < bestDist) {
            bestDist = d;
            best = i;
            if (d == 0)
                break;
        }
    }
    return best;
}

void BuildIndexMap(const RGBQUAD* srcTable, const RGBQUAD* dstTable, const RGBQUAD* key,
                   IndexMap& map)
{
    map.identity = true;
    // Tables repeat colours (unused entries are all black), and a search
    // without an exact match scans the whole table: remember the last one.
    RGBQUAD lastColour{};
    int lastIndex = -1;
    for (int i = 0; i < 256; ++i) {
        const RGBQUAD& c = srcTable[i];
        if (key && SameColour(c, *key)) {
            map.to[i] = -1;
            continue;
        }
        if (SameColour(dstTable[i], c)) {
            map.to[i] = int16_t(i);
            continue;
        }
        if (lastIndex < 0 || !SameColour(c, lastColour)) {
            lastColour = c;
            lastIndex = NearestIndex(dstTable, c.rgbRed, c.rgbGreen, c.rgbBlue);
        }
        map.to[i] = int16_t(lastIndex);
        if (lastIndex != i)
            map.identity = false;
    }
    // The two longest runs of indices the 16-pixel kernel may pass through
    // unchanged: the run from 0 (index 0 counts when it is skipped or kept),
    // and the longest other run (a layer's own page).
    map.zeroSkipped = map.to[0] < 0;
    const bool zeroFast = map.to[0] <= 0;
    int i = 1;
    while (i < 256 && map.to[i] == i)
        ++i;
    map.a0 = zeroFast ? 0 : 1;
    map.aLen = i - map.a0;
    map.b0 = 0;
    map.bLen = 0;
    while (i < 256) {
        while (i < 256 && map.to[i] != i)
            ++i;
        const int start = i;
        while (i < 256 && map.to[i] == i)
            ++i;
        if (i - start > map.bLen) {
            map.b0 = start;
            map.bLen = i - start;
        }
    }
}

namespace kernels {

// The row kernel for vectors of N bytes: blocks whose indices all lie in the
// two pass-through runs are copied whole (keeping the destination under
// skipped zeros); other blocks go through the map pixel by pixel.
template <int N>
__attribute__((always_inline)) inline int MapBlocks(const uint8_t* __restrict src,
                                                    uint8_t* __restrict dst, int n,
                                                    const IndexMap& map)
{
    typedef uint8_t vu __attribute__((vector_size(N)));
    typedef int8_t vs __attribute__((vector_size(N)));
    constexpr int W = N / 8;
    auto all = [](const vs& m) {
        uint64_t w[W];
        std::memcpy(w, &m, N);
        uint64_t r = ~uint64_t(0);
        for (int k = 0; k < W; ++k)
            r &= w[k];
        return r == ~uint64_t(0);
    };
    const vu a0 = vu{} + uint8_t(map.a0), aLen = vu{} + uint8_t(map.aLen);
    const vu b0 = vu{} + uint8_t(map.b0), bLen = vu{} + uint8_t(map.bLen);
    // A run from 0 of length 256 passes every byte (the mask would wrap).
    const bool everything = map.aLen >= 256;
    int i = 0;
    for (; i + N <= n; i += N) {
        vu s;
        std::memcpy(&s, src + i, N);
        const vs zero = (vs)(s == 0);
        if (map.zeroSkipped && all(zero))
            continue;  // a run of transparent pixels
        if (everything || all((vs)((s - a0) < aLen) | (vs)((s - b0) < bLen))) {
            vu d = s;
            if (map.zeroSkipped) {
                std::memcpy(&d, dst + i, N);
                d = (d & (vu)zero) | (s & ~(vu)zero);
            }
            std::memcpy(dst + i, &d, N);
            continue;
        }
        MapScalar(src + i, dst + i, N, map);
    }
    return i;
}

void MapRow16(const uint8_t* src, uint8_t* dst, int n, const IndexMap& map)
{
    const int i = MapBlocks<16>(src, dst, n, map);
    MapScalar(src + i, dst + i, n - i, map);
}

namespace {

inline uint32_t BlendPixel(uint32_t d, uint32_t s)
{
    const int as = int(s >> 24), ad = int(d >> 24);
    if (as == 255 || (ad == 0 && as != 0))
        return s;
    if (as == 0)
        return ad == 0 ? 0 : d;
    const int v = (255 - as) * (255 - ad) / 255;
    if (v == 255)
        return 0;
    uint32_t out = uint32_t(255 - v) << 24;
    for (int sh = 0; sh < 24; sh += 8)
        out |= uint32_t(Mix(ad, as, int((d >> sh) & 0xFF), int((s >> sh) & 0xFF))) << sh;
    return out;
}

}  // namespace

void BlendRowScalar(const uint8_t* src, uint8_t* dst, int n)
{
    for (int i = 0; i < n; ++i) {
        uint32_t s, d;
        std::memcpy(&s, src + 4 * i, 4);
        std::memcpy(&d, dst + 4 * i, 4);
        d = BlendPixel(d, s);
        std::memcpy(dst + 4 * i, &d, 4);
    }
}

}  // namespace kernels

}  // namespace blit

int Mix(int ad, int as, int cd, int cs)
{
    if (ad == 0)
        return cs;
    if (as == 0)
        return cd;
    const int t = (255 - cd) * ad / 255;
    const int q = (255 - t - cs) * as / 255;  // truncates toward zero
    const int r = 255 - q - t;
    return r < 0 ? 0 : r > 255 ? 255 : r;
}
