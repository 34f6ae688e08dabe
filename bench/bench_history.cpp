// The memory of the undo history: 100 typical strokes on a 2048 x 2048 sheet
// of twelve sprite layers, against the raw size of the rectangles the steps
// saved (the cells the strokes touched).
#include "BenchSprites.h"
#include "doc/TesvanDoc.h"
#include "edit/Tools.h"

#include <benchmark/benchmark.h>

#include <random>

namespace {

void HistoryMemory(benchmark::State& state)
{
    CTesvanDoc doc;
    doc.m_nBitCount = 32;
    doc.m_nCellWidth = doc.m_nCellHeight = 64;
    doc.m_nColumns = doc.m_nRows = 32;
    doc.OnNewDocument();
    for (int i = 0; i < CTesvanDoc::kLayers; ++i) {
        CLayer& layer = doc.m_Layers[i];
        layer.CreateImage(2048, 2048, doc.m_Palette, false, 32);
        FillSprites(*layer.m_pImage, 2048, 11 + i, true);
    }
    doc.ComposeAll(true);
    doc.m_nTool = Cmd::ToolPencil;
    double ratio = 0;
    for (auto _ : state) {
        std::mt19937 rng(5);
        doc.ClearUndo();
        size_t raw = 0;
        for (int k = 0; k < 100; ++k) {
            // A short pencil drag in a cell of a layer, as drawing goes.
            doc.m_nCurrentLayer = int(rng() % CTesvanDoc::kLayers);
            doc.SelectCell(int(rng() % (32 * 32)));
            doc.m_nButton = 1;
            const int x = 16 + 8 * int(rng() % 48), y = 16 + 8 * int(rng() % 48);
            doc.m_Points = {doc.CellPixel(CPoint{x, y}), doc.CellPixel(CPoint{x + 80, y + 40})};
            doc.EndStroke(0);
            raw += 64 * 64 * 4;
        }
        ratio = double(doc.GetUndoMemory()) / double(raw);
        benchmark::DoNotOptimize(ratio);
    }
    state.counters["x_raw"] = ratio;
    state.counters["steps"] = doc.m_nUndoCount;
}

}  // namespace

BENCHMARK(HistoryMemory)->Iterations(1)->Unit(benchmark::kMillisecond);
