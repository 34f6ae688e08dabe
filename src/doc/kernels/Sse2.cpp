// The 32-bit blend, four pixels at a time with SSE2 (every x86-64 has it).
#include "doc/kernels/KernelSet.h"

#if TV_X86_KERNELS
#include <immintrin.h>

namespace blit::kernels {

namespace {

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

}  // namespace

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

}  // namespace blit::kernels

#endif
