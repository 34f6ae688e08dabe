// Changing a chip-page colour of a 32-bit document whose current layer is
// 2048 x 2048: the recolouring scan plus the recomposition, against the
// floor of reading and writing that layer once, measured in the same run.
#include "BenchClock.h"
#include "doc/TesvanDoc.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <ctime>
#include <memory>
#include <random>
#include <vector>

namespace {

constexpr int kCell = 64;
constexpr int kCells = 32;
constexpr int kSide = kCell * kCells;   // 2048

void ChangeChipColour(benchmark::State& state)
{
    CTesvanDoc doc;
    doc.m_nBitCount = 32;
    doc.m_nCellWidth = doc.m_nCellHeight = kCell;
    doc.m_nColumns = doc.m_nRows = kCells;
    if (!doc.OnNewDocument()) {
        state.SkipWithError("no document");
        return;
    }
    CLayer& layer = doc.CurrentLayer();
    if (!layer.CreateImage(kSide, kSide, doc.m_Palette, false, 32)) {
        state.SkipWithError("no layer image");
        return;
    }
    // The page's 16 colours in runs, a third of the sheet empty.
    const int first = (layer.m_nPage + 4) * 16;
    for (int i = 0; i < 16; ++i)
        doc.m_Palette[first + i] = RGBQUAD{uint8_t(i * 9), uint8_t(100 + i), uint8_t(200 - i), 0};
    std::mt19937 rng(7);
    CImageEx& img = *layer.m_pImage;
    for (int y = 0; y < kSide; ++y) {
        uint32_t* row = reinterpret_cast<uint32_t*>(img.GetRow(y));
        for (int x = 0; x < kSide; x += 8) {
            const int i = int(rng() % 24);
            const RGBQUAD e = doc.m_Palette[first + (i % 16)];
            const uint32_t p = i >= 16 ? 0
                                       : 0xFF000000u | uint32_t(e.rgbRed) << 16 |
                                             uint32_t(e.rgbGreen) << 8 | e.rgbBlue;
            for (int k = 0; k < 8; ++k)
                row[x + k] = p;
        }
    }
    doc.ComposeAll(true);
    std::vector<uint32_t> copy(size_t(kSide) * kSide);

    double ours = 0, floor = 0, scan = 0, compose = 0;
    int turn = 0;
    for (auto _ : state) {
        const uint32_t colour = (turn++ & 1) ? RGB(1, 2, 3) : RGB(200, 100, 50);
        const double t = Seconds([&] { doc.ChangePaletteColor(first + 3, colour); });
        ours += t;
        state.SetIterationTime(t);
        floor += Seconds([&] {
            // The layer's storage is one block from its bottom row up.
            std::memcpy(copy.data(), img.GetRow(kSide - 1), copy.size() * 4);
        });
        // The two parts on their own, for the record.
        scan += Seconds([&] { doc.SetPaletteEntry(layer, first + 5, colour); });
        compose += Seconds([&] { doc.ComposeAll(true); });
        benchmark::DoNotOptimize(copy.data());
        benchmark::DoNotOptimize(doc.m_imgWork.GetBits());
        benchmark::ClobberMemory();
    }
    state.counters["x_read_write_once"] = ours / floor;
    state.counters["scan_x_floor"] = scan / floor;
    state.counters["compose_x_floor"] = compose / floor;
}

} // namespace

BENCHMARK(ChangeChipColour)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);
