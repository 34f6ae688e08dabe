// The variants of each row kernel, one file per instruction set; Dispatch.cpp
// chooses among them. Only the kernels' own files include this.
#pragma once

#include "doc/kernels/RowKernels.h"

namespace blit::kernels {

inline void MapScalar(const uint8_t* src, uint8_t* dst, int n, const IndexMap& map)
{
    for (int k = 0; k < n; ++k) {
        const int v = map.to[src[k]];
        if (v >= 0)
            dst[k] = uint8_t(v);
    }
}

// Portable.cpp
void MapRow16(const uint8_t* src, uint8_t* dst, int n, const IndexMap& map);
void BlendRowScalar(const uint8_t* src, uint8_t* dst, int n);

#if TV_X86_KERNELS
// Sse2.cpp
void BlendRowSse2(const uint8_t* src, uint8_t* dst, int n);
// Avx2.cpp
void MapRow32(const uint8_t* src, uint8_t* dst, int n, const IndexMap& map);
void BlendRowAvx2(const uint8_t* src, uint8_t* dst, int n);
void OverUniformAvx2(const uint8_t* src, uint8_t* dst, int n, uint32_t back);
// Avx512.cpp
void MapRow64(const uint8_t* src, uint8_t* dst, int n, const IndexMap& map);
#endif

}  // namespace blit::kernels
