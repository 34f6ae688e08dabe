#include "doc/ImageEx.h"

#include "doc/BlitRows.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstring>
#include <new>
#include <sys/mman.h>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace {
std::atomic<int> g_liveImages{0};
}

CImageEx::CImageEx() { ++g_liveImages; }

CImageEx::~CImageEx() { --g_liveImages; }

int CImageEx::LiveCount() { return g_liveImages.load(); }

bool CImageEx::CreateEx(int width, int height, int bitsPerPixel, uint32_t flags)
{
    Destroy();
    if (width <= 0 || height <= 0 || (bitsPerPixel != 8 && bitsPerPixel != 32))
        return false;
    const int64_t stride = ((int64_t(width) * bitsPerPixel + 31) / 32) * 4;
    const int64_t bytes = stride * height;
    if (stride > INT32_MAX || bytes > (int64_t(1) << 34))
        return false;
    m_pStorage.reset(new (std::nothrow) uint8_t[size_t(bytes)]);
    if (!m_pStorage)
        return false;
    // Sheet-sized images are touched whole at once (load, resize); huge pages
    // save most of the page faults, which dominate a document open.
    constexpr uintptr_t kHuge = uintptr_t(2) << 20;
    if (bytes >= int64_t(2 * kHuge)) {
        const uintptr_t start = reinterpret_cast<uintptr_t>(m_pStorage.get());
        const uintptr_t first = (start + kHuge - 1) & ~(kHuge - 1);
        const uintptr_t last = (start + uintptr_t(bytes)) & ~(kHuge - 1);
        if (last > first)
            ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
    }
    std::memset(m_pStorage.get(), 0, size_t(bytes));
    m_nWidth = width;
    m_nHeight = height;
    m_nBPP = bitsPerPixel;
    m_nPitch = -int(stride);
    m_pBits = m_pStorage.get() + (height - 1) * stride;
    m_bHasAlpha = bitsPerPixel == 32 && (flags & createAlphaChannel);
    m_nTransparent = -1;
    std::fill(std::begin(m_Table), std::end(m_Table), RGBQUAD{});
    return true;
}

void CImageEx::Destroy()
{
    m_pStorage.reset();
    m_pBits = nullptr;
    m_nWidth = m_nHeight = m_nPitch = m_nBPP = 0;
    m_bHasAlpha = false;
    m_nTransparent = -1;
}

void CImageEx::SetColorTable(int first, int count, const RGBQUAD* entries)
{
    if (IsNull() || m_nBPP != 8 || first < 0 || count <= 0 || first + count > 256)
        return;
    std::memcpy(m_Table + first, entries, sizeof(RGBQUAD) * size_t(count));
}

void CImageEx::GetColorTable(int first, int count, RGBQUAD* entries) const
{
    if (first < 0 || count <= 0 || first + count > 256)
        return;
    std::memcpy(entries, m_Table + first, sizeof(RGBQUAD) * size_t(count));
}

uint32_t CImageEx::GetPixel(int x, int y) const
{
    if (IsNull() || x < 0 || y < 0 || x >= m_nWidth || y >= m_nHeight)
        return 0xFFFFFFFF;
    const uint8_t* row = GetRow(y);
    if (m_nBPP == 8) {
        const RGBQUAD& q = m_Table[row[x]];
        return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
    }
    const uint8_t* p = row + 4 * x;
    return RGB(p[2], p[1], p[0]);
}

// ---------------------------------------------------------------- blits

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
    for (int i = 0; i < 256; ++i) {
        const RGBQUAD& c = srcTable[i];
        if (key && SameColour(c, *key)) {
            map.to[i] = -1;
            continue;
        }
        map.to[i] = int16_t(NearestIndex(dstTable, c.rgbRed, c.rgbGreen, c.rgbBlue, i));
        if (map.to[i] != i)
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

namespace {

inline void MapScalar(const uint8_t* src, uint8_t* dst, int n, const IndexMap& map)
{
    for (int k = 0; k < n; ++k) {
        const int v = map.to[src[k]];
        if (v >= 0)
            dst[k] = uint8_t(v);
    }
}

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

#if defined(__x86_64__) || defined(__i386__)
// The same kernel, 32 pixels at a time, with the byte masks read directly.
__attribute__((target("avx2"))) void MapRow32(const uint8_t* __restrict src,
                                              uint8_t* __restrict dst, int n,
                                              const IndexMap& map)
{
    const __m256i zero = _mm256_setzero_si256();
    const __m256i a0 = _mm256_set1_epi8(char(map.a0)), aLen = _mm256_set1_epi8(char(map.aLen));
    const __m256i b0 = _mm256_set1_epi8(char(map.b0)), bLen = _mm256_set1_epi8(char(map.bLen));
    const bool everything = map.aLen >= 256;
    int i = 0;
    for (; i + 32 <= n; i += 32) {
        __m256i* out = reinterpret_cast<__m256i*>(dst + i);
        const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
        const __m256i z = _mm256_cmpeq_epi8(s, zero);
        const int zm = _mm256_movemask_epi8(z);
        if (map.zeroSkipped && zm == -1)
            continue;  // a run of transparent pixels
        if (!everything) {
            // x < len unsigned  <=>  max(x, len) != x; a byte outside both
            // runs has max == x in both.
            const __m256i xa = _mm256_sub_epi8(s, a0), xb = _mm256_sub_epi8(s, b0);
            const __m256i outside =
                _mm256_and_si256(_mm256_cmpeq_epi8(_mm256_max_epu8(xa, aLen), xa),
                                 _mm256_cmpeq_epi8(_mm256_max_epu8(xb, bLen), xb));
            if (_mm256_movemask_epi8(outside) != 0) {
                MapScalar(src + i, dst + i, 32, map);
                continue;
            }
        }
        if (map.zeroSkipped && zm != 0)
            _mm256_storeu_si256(out, _mm256_blendv_epi8(s, _mm256_loadu_si256(out), z));
        else
            _mm256_storeu_si256(out, s);
    }
    MapRow16(src + i, dst + i, n - i, map);
}

using MapFn = void (*)(const uint8_t*, uint8_t*, int, const IndexMap&);
const MapFn g_mapRow = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") ? MapRow32 : MapRow16;
}();
#endif

}  // namespace

void MapRow8(const uint8_t* src, uint8_t* dst, int n, const IndexMap& map)
{
#if defined(__x86_64__) || defined(__i386__)
    g_mapRow(src, dst, n, map);
#else
    MapRow16(src, dst, n, map);
#endif
}

}  // namespace blit

namespace {

using blit::Div255;

enum class Mode { Keyed, Alpha, Copy };

// Copies one run of n source pixels (already stretched into a contiguous
// run, or a single pixel) into the destination.
struct Blitter {
    Mode mode = Mode::Copy;
    int srcBPP = 0;
    int dstBPP = 0;
    const RGBQUAD* dstTable = nullptr;
    blit::IndexMap map8;           // 8 -> 8
    uint32_t pix32[256];           // 8 -> 32: pixel of each index
    bool skip32[256];              // 8 -> 32: keyed index
    uint32_t keyRGB = 0;           // 32-bit source key, 0x00RRGGBB
    bool memcpyOk = false;
    // Last nearest-colour look-up of a 32-bit pixel into an 8-bit table.
    uint32_t lastRGB = 0xFFFFFFFF;
    uint8_t lastIndex = 0;

    uint8_t Nearest(uint32_t rgb)
    {
        if (rgb != lastRGB) {
            lastRGB = rgb;
            lastIndex = uint8_t(blit::NearestIndex(dstTable, (rgb >> 16) & 0xFF,
                                                  (rgb >> 8) & 0xFF, rgb & 0xFF));
        }
        return lastIndex;
    }

    void Run(const uint8_t* src, uint8_t* dst, int n)
    {
        if (srcBPP == 8 && dstBPP == 8) {
            if (memcpyOk)
                std::memcpy(dst, src, size_t(n));
            else
                blit::MapRow8(src, dst, n, map8);
            return;
        }
        if (srcBPP == 8) {
            for (int i = 0; i < n; ++i) {
                if (!skip32[src[i]])
                    std::memcpy(dst + 4 * i, &pix32[src[i]], 4);
            }
            return;
        }
        for (int i = 0; i < n; ++i) {
            uint32_t s;
            std::memcpy(&s, src + 4 * i, 4);
            if (mode == Mode::Keyed && (s & 0xFFFFFF) == keyRGB)
                continue;
            if (mode == Mode::Alpha) {
                // Per-pixel alpha blend with the source taken as
                // premultiplied, as the platform's blend does.
                const int inv = 255 - int(s >> 24);
                if (dstBPP == 32) {
                    uint32_t d;
                    std::memcpy(&d, dst + 4 * i, 4);
                    uint32_t out = 0;
                    for (int sh = 0; sh < 32; sh += 8) {
                        const int v = int((s >> sh) & 0xFF) + Div255(int((d >> sh) & 0xFF) * inv);
                        out |= uint32_t(v > 255 ? 255 : v) << sh;
                    }
                    std::memcpy(dst + 4 * i, &out, 4);
                } else {
                    const RGBQUAD& q = dstTable[dst[i]];
                    const int dc[3] = {q.rgbBlue, q.rgbGreen, q.rgbRed};
                    uint32_t rgb = 0;
                    for (int c = 0; c < 3; ++c) {
                        const int v = int((s >> (8 * c)) & 0xFF) + Div255(dc[c] * inv);
                        rgb |= uint32_t(v > 255 ? 255 : v) << (8 * c);
                    }
                    dst[i] = Nearest(rgb);
                }
                continue;
            }
            if (dstBPP == 32)
                std::memcpy(dst + 4 * i, &s, 4);
            else
                dst[i] = Nearest(s & 0xFFFFFF);
        }
    }
};

}  // namespace

static bool DoBlit(const CImageEx& src, CImageEx& dst, Mode mode, int dx, int dy, int dw, int dh,
                   int sx, int sy, int sw, int sh)
{
    if (src.IsNull() || dst.IsNull())
        return false;
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0)
        return false;
    if (mode == Mode::Alpha && src.GetBPP() != 32)
        mode = Mode::Copy;

    auto b = std::make_unique<Blitter>();
    b->mode = mode;
    b->srcBPP = src.GetBPP();
    b->dstBPP = dst.GetBPP();
    b->dstTable = dst.ColorTable();
    const int keyIndex = src.GetTransparentColor();
    const RGBQUAD key =
        mode == Mode::Keyed ? src.ColorTable()[keyIndex & 0xFF] : RGBQUAD{};
    if (b->srcBPP == 8) {
        if (b->dstBPP == 8) {
            blit::BuildIndexMap(src.ColorTable(), dst.ColorTable(),
                                mode == Mode::Keyed ? &key : nullptr, b->map8);
            b->memcpyOk = b->map8.identity && mode != Mode::Keyed;
        } else {
            for (int i = 0; i < 256; ++i) {
                const RGBQUAD& c = src.ColorTable()[i];
                b->skip32[i] = mode == Mode::Keyed && blit::SameColour(c, key);
                b->pix32[i] = 0xFF000000u | uint32_t(c.rgbRed) << 16 | uint32_t(c.rgbGreen) << 8 |
                              c.rgbBlue;
            }
        }
    } else {
        b->keyRGB = uint32_t(key.rgbRed) << 16 | uint32_t(key.rgbGreen) << 8 | key.rgbBlue;
    }

    const int sBpp = b->srcBPP / 8;
    const int dBpp = b->dstBPP / 8;
    // Destination columns and rows that land inside the destination.
    const int x0 = std::max(dx, 0), x1 = std::min<int64_t>(int64_t(dx) + dw, dst.GetWidth());
    const int y0 = std::max(dy, 0), y1 = std::min<int64_t>(int64_t(dy) + dh, dst.GetHeight());
    if (x0 >= x1 || y0 >= y1)
        return true;
    const bool unscaled = sw == dw;
    // For an unscaled copy, the columns whose source lies inside the source too.
    const int ux0 = std::max<int64_t>(x0, int64_t(dx) - sx);
    const int ux1 = std::min<int64_t>(x1, int64_t(dx) - sx + src.GetWidth());
    for (int y = y0; y < y1; ++y) {
        const int64_t syy = sy + int64_t(y - dy) * sh / dh;
        if (syy < 0 || syy >= src.GetHeight())
            continue;
        const uint8_t* srow = src.GetRow(int(syy));
        uint8_t* drow = dst.GetRow(y);
        if (unscaled) {
            if (ux0 < ux1)
                b->Run(srow + int64_t(ux0 - dx + sx) * sBpp, drow + int64_t(ux0) * dBpp, ux1 - ux0);
            continue;
        }
        for (int x = x0; x < x1; ++x) {
            const int64_t sxx = sx + int64_t(x - dx) * sw / dw;
            if (sxx < 0 || sxx >= src.GetWidth())
                continue;
            b->Run(srow + sxx * sBpp, drow + int64_t(x) * dBpp, 1);
        }
    }
    return true;
}

bool CImageEx::Draw(CImageEx& dst, int dx, int dy, int dw, int dh, int sx, int sy, int sw,
                    int sh) const
{
    const Mode mode = m_nTransparent != -1 ? Mode::Keyed
                      : m_bHasAlpha        ? Mode::Alpha
                                           : Mode::Copy;
    return DoBlit(*this, dst, mode, dx, dy, dw, dh, sx, sy, sw, sh);
}

bool CImageEx::BitBlt(CImageEx& dst, int width, int height) const
{
    return DoBlit(*this, dst, Mode::Copy, 0, 0, width, height, 0, 0, width, height);
}
