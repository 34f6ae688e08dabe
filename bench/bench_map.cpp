// Maps, each figure beside a peer measured in the same run:
// - painting a 1920 x 1080 map view of a 256 x 256 map of 16 x 16 chips with
//   four layers, at zoom 1 and 4, against a plain copy of the view's pixels
//   (goal: at most 3 times the copy);
// - an edit to a chip used 10,000 times, shown in the map (the cell composed
//   again, the view painted), against the same paint alone (goal: at most
//   2 times);
// - `tesvan --export=OUT.png --map=1` of the 256 x 256 map against Tiled's
//   `tmxrasterizer` rendering the exported .tmx, whole processes (goal: at
//   least 2 times faster).
#include "BenchProcess.h"
#include "doc/TesvanDoc.h"
#include "map/MapExport.h"
#include "map/MapRender.h"
#include "platform/UiPort.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <functional>
#include <unistd.h>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kViewW = 1920, kViewH = 1080;

std::string Dir()
{
    static const bench::CScratch scratch("map");
    return scratch.Path();
}

// 16 x 16 chips on a 16 x 16 sheet: the first half opaque ground, the rest
// decorations with holes. The map: ground everywhere, three layers of
// decorations on a quarter of the cells each, some flipped.
CTesvanDoc& Level()
{
    static std::unique_ptr<CTesvanDoc> doc;
    static CCollectingUiPort port;
    if (doc)
        return *doc;
    doc = std::make_unique<CTesvanDoc>();
    doc->m_nCellWidth = doc->m_nCellHeight = 16;
    doc->m_nColumns = doc->m_nRows = 16;
    doc->OnNewDocument();
    CLayer& layer = doc->m_Layers[0];
    layer.CreateImage(256, 256, doc->m_Palette, false, 32);
    std::mt19937 rng(7);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            const int cell = (y / 16) * 16 + x / 16;
            const bool hole = cell >= 128 && ((x % 16 - 8) * (x % 16 - 8) + (y % 16 - 8) * (y % 16 - 8) > 40);
            const uint32_t v = hole ? 0u : 0xFF000000u | (rng() & 0xFFFFFF);
            std::memcpy(layer.m_pImage->GetRow(y) + 4 * x, &v, 4);
        }
    doc->ComposeAll(true);
    CChipMap m = CChipMap::Make("level", 256, 256);
    while (m.AddLayer()) {
        if (m.layers.size() == 4)
            break;
    }
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            m.At(0, x, y) = chip::Make(int(rng() % 128), 0);
            for (int l = 1; l < 4; ++l)
                if (rng() % 4 == 0)
                    m.At(l, x, y) = chip::Make(128 + int(rng() % 128), (rng() % 8) << 29);
        }
    // The chip the edit benchmark changes: cell 5 in 10,000 places.
    for (int n = 0; n < 10000; ++n)
        m.At(0, n % 120, n / 120) = chip::Make(5, 0);
    doc->m_Maps.maps.push_back(std::move(m));
    return *doc;
}

double Seconds(const std::function<void()>& f, int reps)
{
    const double t0 = bench::Now();
    for (int i = 0; i < reps; ++i)
        f();
    return (bench::Now() - t0) / reps;
}

void MapViewPaint(benchmark::State& state)
{
    CTesvanDoc& doc = Level();
    const int zoom = int(state.range(0));
    CChipCache chips;
    chips.Update(doc);
    std::vector<uint32_t> view(size_t(kViewW) * kViewH), copy(view.size());
    const CPixelTarget target{reinterpret_cast<uint8_t*>(view.data()), kViewW * 4, kViewW, kViewH};
    CMapRenderOptions o;
    o.zoom = zoom;
    o.originX = 100 * zoom;   // not at a chip's edge
    o.originY = 37 * zoom;
    double best = 1e9, floor = 1e9;
    for (auto _ : state) {
        const double ours = Seconds([&] { RenderMap(doc.m_Maps.maps[0], chips, target, o); }, 10);
        const double peer = Seconds([&] { std::memcpy(copy.data(), view.data(), view.size() * 4); }, 10);
        benchmark::DoNotOptimize(copy.data());
        best = std::min(best, ours);
        floor = std::min(floor, peer);
        state.SetIterationTime(ours);
    }
    state.counters["paint_ms"] = best * 1e3;
    state.counters["copy_ms"] = floor * 1e3;
    state.counters["x_copy"] = best / floor;
}

void ChipEditShown(benchmark::State& state)
{
    CTesvanDoc& doc = Level();
    CChipCache chips;
    chips.Update(doc);
    std::vector<uint32_t> view(size_t(kViewW) * kViewH);
    const CPixelTarget target{reinterpret_cast<uint8_t*>(view.data()), kViewW * 4, kViewW, kViewH};
    CMapRenderOptions o;
    CImageEx& img = *doc.m_Layers[0].m_pImage;
    uint32_t colour = 0xFF000000u;
    double best = 1e9, floor = 1e9;
    for (auto _ : state) {
        const double edit = Seconds(
            [&] {
                // One pixel of cell 5 (column 5, row 0) changes, as a pencil dot does.
                ++colour;
                std::memcpy(img.GetRow(3) + 4 * (5 * 16 + 3), &colour, 4);
                doc.Compose(true, 5 * 16 + 3, 3, 5 * 16 + 3, 3);
                chips.Update(doc);
                RenderMap(doc.m_Maps.maps[0], chips, target, o);
            },
            10);
        const double paint = Seconds([&] { RenderMap(doc.m_Maps.maps[0], chips, target, o); }, 10);
        best = std::min(best, edit);
        floor = std::min(floor, paint);
        state.SetIterationTime(edit);
    }
    uint32_t shown;
    std::memcpy(&shown, view.data() + 3 * kViewW + 3, 4);
    if (shown != colour)
        state.SkipWithError("the edit did not show in the map");
    state.counters["edit_ms"] = best * 1e3;
    state.counters["paint_ms"] = floor * 1e3;
    state.counters["x_paint"] = best / floor;
}

void MapPictureVsTmxRasterizer(benchmark::State& state)
{
    const std::string tesvan = bench::SelfDir() + "tesvan";
    if (access(tesvan.c_str(), X_OK) != 0 || bench::Run({"tmxrasterizer", "--version"}) < 0) {
        state.SkipWithError("tesvan or Tiled's tmxrasterizer is missing");
        return;
    }
    CTesvanDoc& doc = Level();
    const std::string tvn = Dir() + "/level.tvn";
    std::string error;
    if (!doc.OnSaveDocument(tvn) || !ExportMap(doc, 0, Dir() + "/level.tmx", 1, error)) {
        state.SkipWithError("the level could not be written");
        return;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const std::vector<std::string> ours = {tesvan, "--export=" + Dir() + "/ours.png", "--map=1", tvn};
    const std::vector<std::string> peer = {"tmxrasterizer", Dir() + "/level.tmx", Dir() + "/tiled.png"};
    double bestOurs, bestPeer;
    if (!bench::BestOfPair(state, ours, peer, 3, bestOurs, bestPeer))
        return;
    state.counters["tesvan_s"] = bestOurs;
    state.counters["tmxrasterizer_s"] = bestPeer;
    state.counters["speedup"] = bestPeer / bestOurs;
}

} // namespace

BENCHMARK(MapViewPaint)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(0.3);
BENCHMARK(ChipEditShown)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(0.3);
BENCHMARK(MapPictureVsTmxRasterizer)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
