// The run-time choice of row kernels: each entry point starts as a resolver,
// so the kernel is chosen on first use by what the processor has, even when
// that use comes from another file's static initialisation. Tests and
// benchmarks may force a variant through Select*Kernel.
#include "doc/kernels/KernelSet.h"

#include <algorithm>

namespace blit {

using namespace kernels;

namespace {

using MapFn = void (*)(const uint8_t*, uint8_t*, int, const IndexMap&);
using RowFn = void (*)(const uint8_t*, uint8_t*, int);

#if TV_X86_KERNELS
MapFn BestMapRow()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512bw") ? MapRow64
           : __builtin_cpu_supports("avx2")   ? MapRow32
                                              : MapRow16;
}

RowFn PickBlendRow()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") ? BlendRowAvx2 : BlendRowSse2;
}
#else
MapFn BestMapRow() { return MapRow16; }
RowFn PickBlendRow() { return BlendRowScalar; }
#endif

void ResolveMapRow(const uint8_t* src, uint8_t* dst, int n, const IndexMap& map);
MapFn g_mapRow = ResolveMapRow;

void ResolveMapRow(const uint8_t* src, uint8_t* dst, int n, const IndexMap& map)
{
    g_mapRow = BestMapRow();
    g_mapRow(src, dst, n, map);
}

void ResolveBlendRow(const uint8_t* src, uint8_t* dst, int n);
RowFn g_blendRow = ResolveBlendRow;

void ResolveBlendRow(const uint8_t* src, uint8_t* dst, int n)
{
    g_blendRow = PickBlendRow();
    g_blendRow(src, dst, n);
}

}  // namespace

bool SelectMapKernel(int level)
{
#if TV_X86_KERNELS
    switch (level) {
    case 0:
        g_mapRow = MapRow16;
        return true;
    case 1:
        if (!__builtin_cpu_supports("avx2"))
            return false;
        g_mapRow = MapRow32;
        return true;
    case 2:
        if (!__builtin_cpu_supports("avx512bw"))
            return false;
        g_mapRow = MapRow64;
        return true;
    default:
        g_mapRow = BestMapRow();
        return level < 0;
    }
#else
    return level <= 0;
#endif
}

void MapRow8(const uint8_t* src, uint8_t* dst, int n, const IndexMap& map)
{
    g_mapRow(src, dst, n, map);
}

bool SelectBlendKernel(int level)
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

void BlendRow(const uint8_t* src, uint8_t* dst, int n) { g_blendRow(src, dst, n); }

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

}  // namespace blit
