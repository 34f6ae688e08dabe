// The working image: background, the shown layers, the floating paste and the
// tool's preview, composed rectangle by rectangle.
#include "doc/BlitRows.h"
#include "doc/Composite.h"
#include "doc/Region.h"
#include "doc/TesvanDoc.h"

#include <algorithm>
#include <cstring>

#if TV_X86_KERNELS
#include <immintrin.h>
#endif

void (*CTesvanDoc::s_pfnDrawToolOverlay)(CTesvanDoc&, CImageEx&) = nullptr;

// ---------------------------------------------------------------- blend

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

#if TV_X86_KERNELS

// The kernels below hold pixels as 16-bit lanes (blue, green, red, alpha per
// pixel). Every product is of two values 0..255, so the exact division by
// 255 fits 16 bits; the signed step of Mix divides the magnitude and puts the
// sign back, which truncates toward zero as the formula asks.

inline __m128i Div255x8(__m128i x)
{
    return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(x, _mm_set1_epi16(1)), _mm_srli_epi16(x, 8)),
                          8);
}

inline __m128i Select(__m128i mask, __m128i a, __m128i b)
{
    return _mm_or_si128(_mm_and_si128(mask, a), _mm_andnot_si128(mask, b));
}

// Any two pixels.
inline __m128i BlendTwo(__m128i d, __m128i s)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i c255 = _mm_set1_epi16(255);
    const __m128i alphaLanes = _mm_set_epi16(-1, 0, 0, 0, -1, 0, 0, 0);
    const __m128i ad = _mm_shufflehi_epi16(_mm_shufflelo_epi16(d, 0xFF), 0xFF);
    const __m128i as = _mm_shufflehi_epi16(_mm_shufflelo_epi16(s, 0xFF), 0xFF);
    const __m128i t = Div255x8(_mm_mullo_epi16(_mm_sub_epi16(c255, d), ad));
    const __m128i u = _mm_sub_epi16(_mm_sub_epi16(c255, t), s);
    const __m128i neg = _mm_cmplt_epi16(u, zero);
    const __m128i mag = _mm_sub_epi16(_mm_xor_si128(u, neg), neg);
    __m128i q = Div255x8(_mm_mullo_epi16(mag, as));
    q = _mm_sub_epi16(_mm_xor_si128(q, neg), neg);
    __m128i r = _mm_sub_epi16(_mm_sub_epi16(c255, q), t);  // the pack clamps it
    r = Select(_mm_cmpeq_epi16(as, zero), d, r);
    r = Select(_mm_cmpeq_epi16(ad, zero), s, r);
    const __m128i v = Div255x8(_mm_mullo_epi16(_mm_sub_epi16(c255, as), _mm_sub_epi16(c255, ad)));
    r = Select(alphaLanes, _mm_sub_epi16(c255, v), r);
    return _mm_andnot_si128(_mm_cmpeq_epi16(v, c255), r);
}

// Two pixels over an opaque destination, where the blend reduces to
// Cd - trunc((Cd - Cs) * As / 255); the alpha lane is set to 255 afterwards.
inline __m128i OverOpaqueTwo(__m128i d, __m128i s)
{
    const __m128i as = _mm_shufflehi_epi16(_mm_shufflelo_epi16(s, 0xFF), 0xFF);
    const __m128i diff = _mm_sub_epi16(d, s);
    const __m128i neg = _mm_cmplt_epi16(diff, _mm_setzero_si128());
    const __m128i mag = _mm_sub_epi16(_mm_xor_si128(diff, neg), neg);
    __m128i q = Div255x8(_mm_mullo_epi16(mag, as));
    q = _mm_sub_epi16(_mm_xor_si128(q, neg), neg);
    return _mm_sub_epi16(d, q);
}

void BlendRowSse2(const uint8_t* __restrict src, uint8_t* __restrict dst, int n)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i alpha = _mm_set1_epi32(int(0xFF000000u));
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        __m128i* out = reinterpret_cast<__m128i*>(dst + 4 * i);
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 4 * i));
        const __m128i sa = _mm_and_si128(s, alpha);
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(sa, alpha)) == 0xFFFF) {
            _mm_storeu_si128(out, s);  // opaque sources: the result is the source
            continue;
        }
        const __m128i d = _mm_loadu_si128(out);
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(sa, zero)) == 0xFFFF) {
            // Empty sources: the destination stays, except that one of
            // alpha 0 becomes 0.
            const __m128i dz = _mm_cmpeq_epi32(_mm_and_si128(d, alpha), zero);
            if (_mm_movemask_epi8(dz) != 0)
                _mm_storeu_si128(out, _mm_andnot_si128(dz, d));
            continue;
        }
        const __m128i dl = _mm_unpacklo_epi8(d, zero), dh = _mm_unpackhi_epi8(d, zero);
        const __m128i sl = _mm_unpacklo_epi8(s, zero), sh = _mm_unpackhi_epi8(s, zero);
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(d, alpha), alpha)) == 0xFFFF)
            _mm_storeu_si128(out, _mm_or_si128(alpha, _mm_packus_epi16(OverOpaqueTwo(dl, sl),
                                                                       OverOpaqueTwo(dh, sh))));
        else
            _mm_storeu_si128(out, _mm_packus_epi16(BlendTwo(dl, sl), BlendTwo(dh, sh)));
    }
    BlendRowScalar(src + 4 * i, dst + 4 * i, n - i);
}

// The same, eight pixels at a time.
#define TV_AVX2 __attribute__((target("avx2")))

TV_AVX2 inline __m256i Div255x16(__m256i x)
{
    return _mm256_srli_epi16(
        _mm256_add_epi16(_mm256_add_epi16(x, _mm256_set1_epi16(1)), _mm256_srli_epi16(x, 8)), 8);
}

TV_AVX2 inline __m256i BroadcastAlpha(__m256i x)
{
    return _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(x, 0xFF), 0xFF);
}

TV_AVX2 inline __m256i BlendFour(__m256i d, __m256i s)
{
    const __m256i zero = _mm256_setzero_si256();
    const __m256i c255 = _mm256_set1_epi16(255);
    const __m256i alphaLanes = _mm256_set_epi16(-1, 0, 0, 0, -1, 0, 0, 0, -1, 0, 0, 0, -1, 0, 0, 0);
    const __m256i ad = BroadcastAlpha(d);
    const __m256i as = BroadcastAlpha(s);
    const __m256i t = Div255x16(_mm256_mullo_epi16(_mm256_sub_epi16(c255, d), ad));
    const __m256i u = _mm256_sub_epi16(_mm256_sub_epi16(c255, t), s);
    const __m256i q =
        _mm256_sign_epi16(Div255x16(_mm256_mullo_epi16(_mm256_abs_epi16(u), as)), u);
    __m256i r = _mm256_sub_epi16(_mm256_sub_epi16(c255, q), t);
    r = _mm256_blendv_epi8(r, d, _mm256_cmpeq_epi16(as, zero));
    r = _mm256_blendv_epi8(r, s, _mm256_cmpeq_epi16(ad, zero));
    const __m256i v =
        Div255x16(_mm256_mullo_epi16(_mm256_sub_epi16(c255, as), _mm256_sub_epi16(c255, ad)));
    r = _mm256_blendv_epi8(r, _mm256_sub_epi16(c255, v), alphaLanes);
    return _mm256_andnot_si256(_mm256_cmpeq_epi16(v, c255), r);
}

TV_AVX2 inline __m256i OverOpaqueFour(__m256i d, __m256i s)
{
    const __m256i diff = _mm256_sub_epi16(d, s);
    const __m256i q = Div255x16(_mm256_mullo_epi16(_mm256_abs_epi16(diff), BroadcastAlpha(s)));
    return _mm256_sub_epi16(d, _mm256_sign_epi16(q, diff));
}

TV_AVX2 void BlendRowAvx2(const uint8_t* __restrict src, uint8_t* __restrict dst, int n)
{
    const __m256i zero = _mm256_setzero_si256();
    const __m256i alpha = _mm256_set1_epi32(int(0xFF000000u));
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        __m256i* out = reinterpret_cast<__m256i*>(dst + 4 * i);
        const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + 4 * i));
        const __m256i sa = _mm256_and_si256(s, alpha);
        if (_mm256_movemask_epi8(_mm256_cmpeq_epi32(sa, alpha)) == -1) {
            _mm256_storeu_si256(out, s);
            continue;
        }
        const __m256i d = _mm256_loadu_si256(out);
        if (_mm256_movemask_epi8(_mm256_cmpeq_epi32(sa, zero)) == -1) {
            const __m256i dz = _mm256_cmpeq_epi32(_mm256_and_si256(d, alpha), zero);
            if (_mm256_movemask_epi8(dz) != 0)
                _mm256_storeu_si256(out, _mm256_andnot_si256(dz, d));
            continue;
        }
        const __m256i dl = _mm256_unpacklo_epi8(d, zero), dh = _mm256_unpackhi_epi8(d, zero);
        const __m256i sl = _mm256_unpacklo_epi8(s, zero), sh = _mm256_unpackhi_epi8(s, zero);
        if (_mm256_movemask_epi8(_mm256_cmpeq_epi32(_mm256_and_si256(d, alpha), alpha)) == -1)
            _mm256_storeu_si256(out, _mm256_or_si256(alpha,
                                                     _mm256_packus_epi16(OverOpaqueFour(dl, sl),
                                                                         OverOpaqueFour(dh, sh))));
        else
            _mm256_storeu_si256(out, _mm256_packus_epi16(BlendFour(dl, sl), BlendFour(dh, sh)));
    }
    BlendRowSse2(src + 4 * i, dst + 4 * i, n - i);
}

// dst = src blended over a row of the uniform colour `back`, which is 0 or
// opaque; dst's old contents are not read. Sources of alpha 0 or 255 only
// (the usual layer) need no arithmetic and no branch per block: over 0 the
// result is the source unless its alpha is 0, over an opaque colour it is the
// source or that colour.
TV_AVX2 void OverUniformAvx2(const uint8_t* __restrict src, uint8_t* __restrict dst, int n,
                             uint32_t back)
{
    const __m256i zero = _mm256_setzero_si256();
    const __m256i alpha = _mm256_set1_epi32(int(0xFF000000u));
    const __m256i b = _mm256_set1_epi32(int(back));
    int i = 0;
    if (back == 0) {
        for (; i + 8 <= n; i += 8) {
            const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + 4 * i));
            const __m256i z = _mm256_cmpeq_epi32(_mm256_and_si256(s, alpha), zero);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + 4 * i), _mm256_andnot_si256(z, s));
        }
    } else {
        for (; i + 8 <= n; i += 8) {
            __m256i* out = reinterpret_cast<__m256i*>(dst + 4 * i);
            const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + 4 * i));
            const __m256i sa = _mm256_and_si256(s, alpha);
            const __m256i o = _mm256_cmpeq_epi32(sa, alpha);
            if (_mm256_movemask_epi8(_mm256_or_si256(o, _mm256_cmpeq_epi32(sa, zero))) != -1) {
                _mm256_storeu_si256(out, b);
                BlendRowAvx2(src + 4 * i, dst + 4 * i, 8);
                continue;
            }
            _mm256_storeu_si256(out, _mm256_blendv_epi8(b, s, o));
        }
    }
    uint32_t* rest = reinterpret_cast<uint32_t*>(dst + 4 * i);
    std::fill(rest, rest + (n - i), back);
    BlendRowAvx2(src + 4 * i, dst + 4 * i, n - i);
}

using RowFn = void (*)(const uint8_t*, uint8_t*, int);

RowFn PickBlendRow()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") ? BlendRowAvx2 : BlendRowSse2;
}

#else

using RowFn = void (*)(const uint8_t*, uint8_t*, int);
RowFn PickBlendRow() { return BlendRowScalar; }

#endif

// Starts as a resolver, so the kernel is chosen on first use even from
// another file's static initialisation.
void ResolveBlendRow(const uint8_t* src, uint8_t* dst, int n);
RowFn g_blendRow = ResolveBlendRow;

void ResolveBlendRow(const uint8_t* src, uint8_t* dst, int n)
{
    g_blendRow = PickBlendRow();
    g_blendRow(src, dst, n);
}

void BlendRow(const uint8_t* src, uint8_t* dst, int n) { g_blendRow(src, dst, n); }

// Fills dst with `back` (0 or opaque) and blends src over it, as BlendRow
// would, by the chosen kernel.
void OverUniformRow(const uint8_t* src, uint8_t* dst, int n, uint32_t back)
{
    if (g_blendRow == ResolveBlendRow)
        g_blendRow = PickBlendRow();
#if TV_X86_KERNELS
    if (g_blendRow == BlendRowAvx2) {
        OverUniformAvx2(src, dst, n, back);
        return;
    }
#endif
    uint32_t* d = reinterpret_cast<uint32_t*>(dst);
    std::fill(d, d + n, back);
    g_blendRow(src, dst, n);
}

}  // namespace

bool blit::SelectBlendKernel(int level)
{
    switch (level) {
    case 0:
        g_blendRow = BlendRowScalar;
        return true;
#if TV_X86_KERNELS
    case 1:
        g_blendRow = BlendRowSse2;
        return true;
    case 2:
        if (!__builtin_cpu_supports("avx2"))
            return false;
        g_blendRow = BlendRowAvx2;
        return true;
#endif
    default:
        g_blendRow = PickBlendRow();
        return level < 0;
    }
}

namespace {

}  // namespace

bool AlphaComposite(const CImageEx& src, CImageEx& dst, int dx, int dy, int width, int height,
                    int sx, int sy)
{
    if (src.IsNull() || dst.IsNull() || src.GetBPP() != 32 || dst.GetBPP() != 32)
        return false;
    // Negative origins are clipped too, so no row outside either image is read.
    if (sx < 0) { dx -= sx; width += sx; sx = 0; }
    if (sy < 0) { dy -= sy; height += sy; sy = 0; }
    if (dx < 0) { sx -= dx; width += dx; dx = 0; }
    if (dy < 0) { sy -= dy; height += dy; dy = 0; }
    const int cw = std::min({width, src.GetWidth() - sx, dst.GetWidth() - dx});
    const int ch = std::min({height, src.GetHeight() - sy, dst.GetHeight() - dy});
    if (cw <= 0 || ch <= 0)
        return true;
    // Rows in storage order (bottom-up images), which the prefetcher follows.
    for (int r = ch - 1; r >= 0; --r)
        BlendRow(src.GetRow(sy + r) + 4 * sx, dst.GetRow(dy + r) + 4 * dx, cw);
    return true;
}

// ---------------------------------------------------------------- document

bool CTesvanDoc::CreateWorkImage()
{
    if (m_bWorkValid)
        m_imgWork.Destroy();
    if (m_nBitCount == 8) {
        if (!m_imgWork.CreateEx(SheetWidth(), SheetHeight(), 8))
            return false;
        m_imgWork.SetColorTable(0, 256, m_Palette);
        m_imgWork.SetTransparentColor(0);
    } else {
        if (!m_imgWork.CreateEx(SheetWidth(), SheetHeight(), 32, CImageEx::createAlphaChannel))
            return false;
    }
    m_bWorkValid = 1;
    return true;
}

void CTesvanDoc::RefreshWorkPalette()
{
    if (!m_imgWork.IsNull() && m_imgWork.GetBPP() == 8)
        m_imgWork.SetColorTable(0, 256, m_Palette);
}

void CTesvanDoc::ComposeAll(bool fillBackground)
{
    Compose(fillBackground, 0, 0, SheetWidth() - 1, SheetHeight() - 1);
}

bool CTesvanDoc::Compose(bool fillBackground, int left, int top, int right, int bottom)
{
    if (m_imgWork.IsNull())
        return true;
    const int W = std::min(SheetWidth(), m_imgWork.GetWidth());
    const int H = std::min(SheetHeight(), m_imgWork.GetHeight());
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, W - 1);
    bottom = std::min(bottom, H - 1);
    if (left > right || top > bottom)
        return true;
    const int width = right - left + 1;
    const bool eight = m_imgWork.GetBPP() == 8;

    const bool floating = m_nSelState == 2;
    auto pieceOf = [&](const CLayer& layer) -> const CLayerRegion* {
        const int n = std::clamp(m_nPieceCount, 0, kLayers);
        for (int k = 0; k < n; ++k)
            if (m_Pieces[k].nLayer == layer.m_nPage)
                return &m_Pieces[k];
        return nullptr;
    };

    // The layers drawn, bottom first, and after each the piece previewed
    // above it (transparent paste preview).
    struct Pass {
        const CImageEx* image = nullptr;
        const CLayerRegion* piece = nullptr;
        bool mapped = false;  // 8-bit layer drawn through its index map
        blit::IndexMap map;
    };
    Pass passes[kLayers];
    int passCount = 0;
    for (int i = 0; i < kLayers; ++i) {
        const CLayer& layer = m_Layers[i];
        if (!layer.m_pImage)
            continue;
        const bool current = i == m_nCurrentLayer;
        if (!layer.m_bVisible && !current)
            continue;
        Pass& p = passes[passCount];
        p.image = nullptr;
        p.piece = floating && m_bShift ? pieceOf(layer) : nullptr;
        p.mapped = false;
        if ((layer.m_bVisible && m_bShowAllLayers) || current) {
            const CImageEx& img = *layer.m_pImage;
            if (img.IsNull() && !p.piece)
                continue;
            if (!img.IsNull())
                p.image = &img;
            if (eight && !img.IsNull() && img.GetBPP() == 8) {
                // One colour map per layer and composition, not per pixel.
                const int key = img.GetTransparentColor();
                blit::BuildIndexMap(img.ColorTable(), m_imgWork.ColorTable(),
                                    key != -1 ? &img.ColorTable()[key & 0xFF] : nullptr, p.map);
                p.mapped = true;
            }
        }
        if (!p.image && !p.piece)
            continue;
        ++passCount;
    }

    const uint32_t back = fillBackground ? 0xFF000000u | uint32_t(GetRValue(m_crBackground)) << 16 |
                                               uint32_t(GetGValue(m_crBackground)) << 8 |
                                               uint32_t(GetBValue(m_crBackground))
                                         : 0u;
    const int height = bottom - top + 1;
    // Every image is bottom-up: rows are walked from the bottom, in storage
    // order, which the prefetcher follows. (Bands of rows across all layers
    // measured slower than one pass per layer.)
    // The bottom 32-bit layer is blended with the background row by row, so
    // the working image is written once for both.
    const CImageEx* under = !eight && passCount > 0 && passes[0].image &&
                                    passes[0].image->GetBPP() == 32
                                ? passes[0].image
                                : nullptr;
    const int underWidth = under ? std::min(width, under->GetWidth() - left) : 0;
    const int underLast = under ? std::min(bottom, under->GetHeight() - 1) : -1;
    for (int y = bottom; y >= top; --y) {
        uint8_t* row = m_imgWork.GetRow(y);
        if (eight) {
            std::memset(row + left, 0, size_t(width));
        } else {
            uint32_t* p = reinterpret_cast<uint32_t*>(row) + left;
            const int blended = y <= underLast ? std::max(underWidth, 0) : 0;
            if (blended > 0)
                OverUniformRow(under->GetRow(y) + 4 * left, row + 4 * left, blended, back);
            std::fill(p + blended, p + width, back);
        }
    }
    for (int k = 0; k < passCount; ++k) {
        const Pass& p = passes[k];
        if (k == 0 && under) {
            // Drawn above with the background.
        } else if (p.mapped) {
            const int n = std::min(width, p.image->GetWidth() - left);
            const int last = std::min(bottom, p.image->GetHeight() - 1);
            for (int y = last; n > 0 && y >= top; --y)
                blit::MapRow8(p.image->GetRow(y) + left, m_imgWork.GetRow(y) + left, n, p.map);
        } else if (p.image && eight) {
            p.image->Draw(m_imgWork, left, top, width, height, left, top, width, height);
        } else if (p.image) {
            AlphaComposite(*p.image, m_imgWork, left, top, width, height, left, top);
        }
        if (p.piece)
            PutRegion(*p.piece, m_imgWork, m_rcSel.left, m_rcSel.top, m_bPasteRotated != 0,
                      m_nPasteFlip, false);
    }

    // Paste preview on top of the finished stack.
    if (floating && !m_bShift) {
        bool first = true;
        for (int i = 0; i < kLayers; ++i) {
            const CLayer& layer = m_Layers[i];
            if (!layer.m_pImage || (!layer.m_bVisible && i != m_nCurrentLayer))
                continue;
            if (const CLayerRegion* piece = pieceOf(layer)) {
                PutRegion(*piece, m_imgWork, m_rcSel.left, m_rcSel.top, m_bPasteRotated != 0,
                          m_nPasteFlip, first);
                first = false;
            }
        }
    }

    if ((m_nButton != 0 || !m_strText.empty()) && s_pfnDrawToolOverlay)
        s_pfnDrawToolOverlay(*this, m_imgWork);
    return true;
}
