// Raster surface against the floor of writing the same pixels once.
#include "platform/Surface.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Buffer {
    std::vector<uint32_t> px;
    PixelTarget t;
    explicit Buffer(int n) : px(size_t(n) * n, 0)
    {
        t.bits = reinterpret_cast<uint8_t*>(px.data());
        t.pitch = n * 4;
        t.width = t.height = n;
        t.bpp = 32;
    }
};

// Times op and the floor (one pass writing every pixel) in the same loop and
// reports op / floor.
template <class Op>
void RunAgainstFloor(benchmark::State& state, Buffer& b, Op op)
{
    double opTime = 0, floorTime = 0;
    uint32_t v = 1;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        op(v);
        const auto t1 = Clock::now();
        std::fill(b.px.begin(), b.px.end(), 0u);
        benchmark::DoNotOptimize(b.px.data());
        const auto t2 = Clock::now();
        opTime += std::chrono::duration<double>(t1 - t0).count();
        floorTime += std::chrono::duration<double>(t2 - t1).count();
        v = v == 1 ? 2 : 1;
    }
    state.counters["x_floor"] = floorTime > 0 ? opTime / floorTime : 0;
}

void BM_FloodFill(benchmark::State& state)
{
    const int n = int(state.range(0));
    Buffer b(n);
    CSurface s(b.t);
    RunAgainstFloor(state, b, [&](uint32_t v) {
        s.SelectBrush(SurfaceBrush::Solid(v * 0x010101u));
        s.ExtFloodFill(n / 2, n / 2, 0);
    });
}
BENCHMARK(BM_FloodFill)->Arg(2048)->Unit(benchmark::kMillisecond);

void BM_FilledEllipse(benchmark::State& state)
{
    const int n = int(state.range(0));
    Buffer b(n);
    CSurface s(b.t);
    s.SelectPen({PenStyle::Solid, 3, 0x010101});
    s.SelectBrush(SurfaceBrush::Solid(0x020202));
    RunAgainstFloor(state, b, [&](uint32_t) { s.Ellipse(0, 0, n, n); });
}
BENCHMARK(BM_FilledEllipse)->Arg(64)->Arg(256)->Unit(benchmark::kMicrosecond);

void BM_PencilStroke(benchmark::State& state)
{
    const int n = int(state.range(0));
    Buffer b(n);
    CSurface s(b.t);
    s.SelectPen({PenStyle::Solid, 3, 0x010101});
    std::vector<SurfacePoint> pts;
    for (int i = 0; i < 64; ++i)
        pts.push_back({(i * 37) % n, (i * 53) % n});
    RunAgainstFloor(state, b, [&](uint32_t) { s.Polyline(pts); });
}
BENCHMARK(BM_PencilStroke)->Arg(64)->Arg(256)->Unit(benchmark::kMicrosecond);

} // namespace
