// One pointer move of a drag (TrackStroke: the point, the recomposition of
// the current cell and the tool preview) against the floor of copying that
// cell's pixels of all twelve layers; and the flood fill tool's figure on a
// large cell against writing its pixels once.
#include "doc/TesvanDoc.h"
#include "edit/Tools.h"

#include <benchmark/benchmark.h>

#include <ctime>
#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

namespace {

// Thread CPU time: the machine is shared, and both sides of a ratio should
// see the same processor.
double Now()
{
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

template <class F>
double Seconds(F f)
{
    const double t0 = Now();
    f();
    return Now() - t0;
}

// A 3 x 3 sheet of cell x cell pixels, twelve 32-bit layers each holding
// one sprite per cell (an opaque ellipse with a half-transparent rim on empty
// ground, as character sheets look), editing the middle cell.
void MakeSheet(CTesvanDoc& doc, int cell)
{
    doc.m_nBitCount = 32;
    doc.m_nCellWidth = doc.m_nCellHeight = cell;
    doc.m_nColumns = doc.m_nRows = 3;
    doc.OnNewDocument();
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    for (int i = 0; i < CTesvanDoc::kLayers; ++i) {
        CLayer& layer = doc.m_Layers[i];
        layer.CreateImage(doc.SheetWidth(), doc.SheetHeight(), doc.m_Palette, false, 32);
        CImageEx& img = *layer.m_pImage;
        for (int cy = 0; cy < 3; ++cy)
            for (int cx = 0; cx < 3; ++cx) {
                const double a = cell * (0.2 + 0.2 * u(rng)), b = cell * (0.2 + 0.2 * u(rng));
                const double ox = (cx + 0.5) * cell, oy = (cy + 0.5) * cell;
                const uint32_t base = rng() & 0xFFFFFF;
                for (int y = cy * cell; y < (cy + 1) * cell; ++y)
                    for (int x = cx * cell; x < (cx + 1) * cell; ++x) {
                        const double dx = (x - ox) / a, dy = (y - oy) / b;
                        const double d = dx * dx + dy * dy;
                        const uint32_t p = d < 0.9 ? 0xFF000000u | base
                                         : d < 1.0 ? 0x80000000u | base
                                                   : 0u;
                        std::memcpy(img.GetRow(y) + 4 * x, &p, 4);
                    }
            }
    }
    doc.CurrentLayer().m_nColor[0] = 20;
    doc.CurrentLayer().m_nColor[1] = 21;
    doc.SelectCell(4);
    doc.ComposeAll(true);
}

void TrackStrokeBench(benchmark::State& state, int tool)
{
    const int cell = int(state.range(0));
    CTesvanDoc doc;
    MakeSheet(doc, cell);
    doc.OnToolCommand(tool);
    doc.OnPenWidth(2);

    // A wandering drag of 200 moves; a new stroke starts after each.
    std::vector<CPoint> path;
    for (int k = 0; k < 200; ++k) {
        const double a = k * 0.07;
        const int x = int(cell / 2 + cell * 0.4 * std::cos(a) * std::sin(a * 0.3 + 1));
        const int y = int(cell / 2 + cell * 0.4 * std::sin(a * 1.3));
        path.push_back(CPoint{16 + doc.m_nZoom * x + 1, 16 + doc.m_nZoom * y + 1});
    }
    std::vector<uint8_t> copyDest(size_t(cell) * cell * 4);
    const int ox = doc.m_nEditColumn * cell, oy = doc.m_nEditRow * cell;

    double ours = 0, floor = 0;
    size_t k = 0;
    for (auto _ : state) {
        if (k % path.size() == 0) {
            state.PauseTiming();
            if (doc.m_nButton) {
                doc.m_nButton = 0;
                doc.m_Points.clear();
            }
            CPoint start{16 + doc.m_nZoom * (cell / 2), 16 + doc.m_nZoom * (cell / 2)};
            doc.BeginStroke(start, 0, 1);
            state.ResumeTiming();
        }
        const CPoint p = path[k++ % path.size()];
        const double t = Seconds([&] { doc.TrackStroke(p); });
        ours += t;
        state.SetIterationTime(t);
        floor += Seconds([&] {
            for (int i = 0; i < CTesvanDoc::kLayers; ++i) {
                const CImageEx& l = *doc.m_Layers[i].m_pImage;
                for (int y = 0; y < cell; ++y)
                    std::memcpy(copyDest.data() + size_t(y) * cell * 4, l.GetRow(oy + y) + 4 * ox,
                                size_t(cell) * 4);
            }
        });
        benchmark::DoNotOptimize(doc.m_imgWork.GetBits());
        benchmark::DoNotOptimize(copyDest.data());
        benchmark::ClobberMemory();
    }
    state.counters["x_floor"] = ours / floor;
}

void TrackPencil(benchmark::State& state) { TrackStrokeBench(state, Cmd::ToolPencil); }
void TrackFilledEllipse(benchmark::State& state) { TrackStrokeBench(state, Cmd::ToolEllipseFill); }

// The fill tool's commit on one layer, its undo step included, against
// writing the cell's pixels once.
void FillTool(benchmark::State& state)
{
    const int cell = int(state.range(0));
    CTesvanDoc doc;
    doc.m_nBitCount = 32;
    doc.m_nCellWidth = doc.m_nCellHeight = cell;
    doc.m_nColumns = doc.m_nRows = 1;
    doc.OnNewDocument();
    CLayer& layer = doc.CurrentLayer();
    layer.CreateImage(cell, cell, doc.m_Palette, false, 32);
    layer.m_nColor[0] = 20;
    layer.m_nColor[1] = 21;
    layer.m_nAlpha[0] = layer.m_nAlpha[1] = 0xFF000000u;
    doc.m_Palette[20] = RGBQUAD{10, 20, 30, 0};
    doc.m_Palette[21] = RGBQUAD{40, 50, 60, 0};
    doc.m_nTool = Cmd::ToolFill;
    doc.m_nButton = 1;
    doc.m_Points = {CPoint{cell / 2, cell / 2}};
    std::vector<uint32_t> dest(size_t(cell) * cell);
    double ours = 0, floor = 0;
    int button = 1;
    for (auto _ : state) {
        // Alternate the colours so that every pass fills the whole area.
        doc.m_nButton = button;
        button = 3 - button;
        const double t = Seconds([&] {
            if (doc.CommitFill(layer) < 0)
                state.SkipWithError("the fill took the overlay's way");
        });
        ours += t;
        state.SetIterationTime(t);
        floor += Seconds([&] {
            std::fill(dest.begin(), dest.end(), uint32_t(button));
            benchmark::DoNotOptimize(dest.data());
        });
        benchmark::ClobberMemory();
    }
    state.counters["x_floor"] = ours / floor;
}

}  // namespace

BENCHMARK(TrackPencil)->Arg(64)->Arg(256)->Unit(benchmark::kMicrosecond)->UseManualTime();
BENCHMARK(TrackFilledEllipse)->Arg(64)->Arg(256)->Unit(benchmark::kMicrosecond)->UseManualTime();
BENCHMARK(FillTool)->Arg(2048)->Unit(benchmark::kMillisecond)->UseManualTime();
