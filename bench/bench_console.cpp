// The console products of a 4096 x 4096 8-bit sheet for gba with flip
// dedupe (check, cut, hashing dedupe, tile, map and palette bytes), against
// a plain read of the sheet's pixels, measured in the same run.
#include "BenchClock.h"
#include "console/Console.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <ctime>
#include <random>

namespace {

constexpr int kSide = 4096;

void ConsoleGbaFlip(benchmark::State& state)
{
    CImageEx sheet;
    if (!sheet.CreateEx(kSide, kSide, 8)) {
        state.SkipWithError("no sheet");
        return;
    }
    // A map's worth of tiles: 512 distinct ones in their four orientations,
    // each in one bank of the layer pages, a quarter of the tiles empty.
    std::mt19937 rng(11);
    uint8_t tiles[512][64];
    for (auto& t : tiles)
        for (uint8_t& c : t)
            c = uint8_t(rng() % 16);
    for (int ty = 0; ty < kSide / 8; ++ty)
        for (int tx = 0; tx < kSide / 8; ++tx) {
            const uint32_t pick = rng();
            const bool empty = pick % 4 == 0;
            const int bank = 4 + int(pick >> 8) % 12;
            const uint8_t* t = tiles[(pick >> 12) % 512];
            const bool h = pick & 0x100000, v = pick & 0x200000;
            for (int y = 0; y < 8; ++y) {
                uint8_t* row = sheet.GetRow(ty * 8 + y) + tx * 8;
                for (int x = 0; x < 8; ++x) {
                    const int c = t[(v ? 7 - y : y) * 8 + (h ? 7 - x : x)];
                    row[x] = empty || c == 0 ? 0 : uint8_t(bank * 16 + c);
                }
            }
        }
    const ConsoleSheet s{&sheet, 64, 64, kSide / 64, kSide / 64};
    ConsoleOptions o;
    o.target = FindConsoleTarget("gba");
    o.dedupe = ConsoleDedupe::Flip;
    RGBQUAD palette[256] = {};

    double ours = 0, peer = 0;
    size_t bytes = 0;
    for (auto _ : state) {
        const double t = Seconds([&] {
            const ConsoleBuild b = BuildConsole(s, o);
            bytes = ConsoleTileBytes(*o.target, b.tiles).size() + ConsoleMapBytes(*o.target, b.map).size() +
                    ConsolePaletteBytes(*o.target, palette, 0).size() + b.problems.size();
        });
        ours += t;
        state.SetIterationTime(t);
        uint64_t sum = 0;
        peer += Seconds([&] {
            for (int y = kSide - 1; y >= 0; --y) {
                const uint8_t* row = sheet.GetRow(y);
                for (int x = 0; x < kSide; x += 8) {
                    uint64_t v;
                    std::memcpy(&v, row + x, 8);
                    sum += v;
                }
            }
        });
        benchmark::DoNotOptimize(sum);
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["x_plain_read"] = ours / peer;
    state.counters["tile_bytes"] = double(bytes);
}

} // namespace

BENCHMARK(ConsoleGbaFlip)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);
