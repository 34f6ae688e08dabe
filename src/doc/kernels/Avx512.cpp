// AVX-512 (BW) kernel: the 8-bit map row 64 pixels at a time.
#include "doc/kernels/KernelSet.h"

#if TV_X86_KERNELS
#include <immintrin.h>

namespace blit::kernels {

// The map row 64 pixels at a time: byte masks let the kept pixels be stored without
// reading the destination at all.
__attribute__((target("avx512bw"))) void MapRow64(const uint8_t* __restrict src,
                                                  uint8_t* __restrict dst, int n,
                                                  const IndexMap& map)
{
    const __m512i a0 = _mm512_set1_epi8(char(map.a0)), aLen = _mm512_set1_epi8(char(map.aLen));
    const __m512i b0 = _mm512_set1_epi8(char(map.b0)), bLen = _mm512_set1_epi8(char(map.bLen));
    const bool everything = map.aLen >= 256;
    int i = 0;
    for (; i + 64 <= n; i += 64) {
        const __m512i s = _mm512_loadu_si512(src + i);
        const __mmask64 nonzero = _mm512_test_epi8_mask(s, s);
        if (map.zeroSkipped && nonzero == 0)
            continue;  // a run of transparent pixels
        if (!everything) {
            const __mmask64 inside =
                _mm512_cmplt_epu8_mask(_mm512_sub_epi8(s, a0), aLen) |
                _mm512_cmplt_epu8_mask(_mm512_sub_epi8(s, b0), bLen);
            if (inside != ~__mmask64(0)) {
                MapScalar(src + i, dst + i, 64, map);
                continue;
            }
        }
        if (map.zeroSkipped)
            _mm512_mask_storeu_epi8(dst + i, nonzero, s);
        else
            _mm512_storeu_si512(dst + i, s);
    }
    MapRow32(src + i, dst + i, n - i, map);
}

}  // namespace blit::kernels

#endif
