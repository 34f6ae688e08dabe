// One pointer move of a 1-pixel pencil drag on a 256 x 256 cell as the
// person sees it (TrackStroke, then the canvas's cell picture) with the onion
// skin (two frames each way) and four-way symmetry, against the same move
// with every aid off, measured alternately in the same run.
#include "BenchSprites.h"
#include "doc/TesvanDoc.h"
#include "edit/Aids.h"
#include "edit/Tools.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <ctime>
#include <vector>

namespace {

double Now()
{
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

// A 3 x 3 sheet with sprites on four layers, editing the middle cell (two
// frames each way in reading order).
void MakeSheet(CTesvanDoc& doc, int cell)
{
    doc.m_nBitCount = 32;
    doc.m_nCellWidth = doc.m_nCellHeight = cell;
    doc.m_nColumns = 3;
    doc.m_nRows = 3;
    doc.OnNewDocument();
    for (int i = 0; i < 4; ++i) {
        CLayer& layer = doc.m_Layers[i];
        layer.CreateImage(doc.SheetWidth(), doc.SheetHeight(), doc.m_Palette, false, 32);
        FillSprites(*layer.m_pImage, 3 * cell, uint32_t(7 + i));
    }
    doc.CurrentLayer().m_nColor[0] = 20;
    doc.SelectCell(4);
    doc.OnToolCommand(Cmd::ToolPencil);
    doc.OnPenWidth(1);
    doc.ComposeAll(true);
}

struct Mover {
    CTesvanDoc doc;
    CImageEx picture;
    std::vector<CPoint> path;
    size_t k = 0;

    Mover(int cell, bool aids)
    {
        MakeSheet(doc, cell);
        picture.CreateEx(cell, cell, 32);
        if (aids) {
            doc.m_Aids.bOnionSkin = 1;
            doc.m_Aids.nOnionFrames = 2;
            doc.m_Aids.nSymmetry = SYMMETRY_BOTH;
        }
        for (int i = 0; i < 200; ++i) {
            const double a = i * 0.07;
            const int x = int(cell / 2 + cell * 0.4 * std::cos(a) * std::sin(a * 0.3 + 1));
            const int y = int(cell / 2 + cell * 0.4 * std::sin(a * 1.3));
            path.push_back(CPoint{16 + doc.m_nZoom * x + 1, 16 + doc.m_nZoom * y + 1});
        }
    }

    double Move()
    {
        if (k % path.size() == 0) {
            doc.m_nButton = 0;
            doc.m_Points.clear();
            CPoint start = path[0];
            doc.BeginStroke(start, 0, 1);
        }
        const CPoint p = path[k++ % path.size()];
        const int n = doc.m_nCellWidth;
        const double t0 = Now();
        doc.TrackStroke(p);
        RenderCellPixels(doc, picture, 0, 0, n, n, 0xFFFFFFFFu);
        const double t = Now() - t0;
        benchmark::DoNotOptimize(picture.GetBits());
        benchmark::ClobberMemory();
        return t;
    }
};

void PencilMoveWithAids(benchmark::State& state)
{
    const int cell = int(state.range(0));
    Mover on(cell, true), off(cell, false);
    double ours = 0, plain = 0;
    for (auto _ : state) {
        const double t = on.Move();
        ours += t;
        state.SetIterationTime(t);
        plain += off.Move();
    }
    state.counters["x_aids_off"] = ours / plain;
}

}  // namespace

BENCHMARK(PencilMoveWithAids)->Arg(256)->Unit(benchmark::kMicrosecond)->UseManualTime();
