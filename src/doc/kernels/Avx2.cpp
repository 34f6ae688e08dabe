// AVX2 kernels: the 8-bit map row 32 pixels at a time, the 32-bit blend
// eight pixels at a time, and the blend over a uniform background.
#include "doc/kernels/KernelSet.h"

#if TV_X86_KERNELS
#include <immintrin.h>

#include <algorithm>

namespace blit::kernels {

// The 16-byte map row of Portable.cpp, 32 pixels at a time, with the byte
// masks read directly.
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

// The blend of Sse2.cpp, eight pixels at a time.
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

}  // namespace blit::kernels

#endif
