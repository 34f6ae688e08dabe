// Image exchange beside ImageMagick, measured in the same run:
// - `tesvan --export` of a 2048 x 2048 twelve-layer 32-bit document to PNG
//   against `convert` flattening the same twelve layers from PNG files into
//   one PNG, both as whole processes;
// - BlendScaled shrinking a 4096 x 4096 picture into a 1024 x 1024 layer
//   against ImageMagick's box-filter resize of the same picture, timed as
//   the resize run less the same run without the resize (input read from
//   MPC, output discarded), so only the resize counts.
// The counters are seconds and ratios (peer time over ours: above 1 we are
// faster). The sides run alternately, two rounds for the export and three
// for the resize; the best round counts.
#include "BenchSprites.h"
#include "doc/ImageFiles.h"
#include "doc/TesvanDoc.h"
#include "exchange/ImageExport.h"
#include "platform/UiPort.h"

#include "BenchProcess.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kSide = 2048;
constexpr int kRounds = 3;
constexpr int kExportRounds = 2;  // a round of the pair takes about 9 s

std::string Dir()
{
    static const bench::CScratch scratch("exchange");
    return scratch.Path();
}

using bench::Now;
using bench::Run;
using bench::SelfDir;

bool HaveConvert() { return Run({"convert", "-version"}) >= 0; }

void ExportVsMagick(benchmark::State& state)
{
    const std::string tesvan = SelfDir() + "tesvan";
    if (access(tesvan.c_str(), X_OK) != 0 || !HaveConvert()) {
        state.SkipWithError("tesvan or ImageMagick's convert is missing");
        return;
    }
    const std::string tvn = Dir() + "/sheet.tvn";
    std::vector<std::string> layers;
    {
        auto doc = std::make_unique<CTesvanDoc>();
        doc->m_nColumns = doc->m_nRows = kSide / 64;
        doc->OnNewDocument();
        for (int i = 0; i < 12; ++i) {
            doc->m_Layers[i].CreateImage(kSide, kSide, doc->m_Palette, false, 32);
            FillSprites(*doc->m_Layers[i].m_pImage, kSide, 300 + i, true);
            layers.push_back(Dir() + "/layer" + std::to_string(i) + ".png");
            WriteImageFile(layers.back(), *doc->m_Layers[i].m_pImage);
        }
        doc->OnSaveDocument(tvn);
    }
    std::vector<std::string> magick = {"convert"};
    magick.insert(magick.end(), layers.begin(), layers.end());
    for (const char* a : {"-background", "none", "-flatten"})
        magick.push_back(a);
    magick.push_back(Dir() + "/flat_magick.png");
    const std::vector<std::string> ours = {tesvan, "--export=" + Dir() + "/flat_tesvan.png", tvn};

    double bestOurs, bestPeer;
    if (!bench::BestOfPair(state, ours, magick, kExportRounds, bestOurs, bestPeer))
        return;
    state.counters["tesvan_s"] = bestOurs;
    state.counters["magick_s"] = bestPeer;
    state.counters["speedup"] = bestPeer / bestOurs;
}

void ShrinkVsMagick(benchmark::State& state)
{
    if (!HaveConvert()) {
        state.SkipWithError("ImageMagick's convert is missing");
        return;
    }
    constexpr int kBig = 4096, kSmall = 1024;
    CImageEx picture;
    picture.CreateEx(kBig, kBig, 32, CImageEx::createAlphaChannel);
    FillSprites(picture, kBig, 7, true);
    const std::string png = Dir() + "/big.png", mpc = Dir() + "/big.mpc";
    WriteImageFile(png, picture);
    if (Run({"convert", png, mpc}) < 0) {
        state.SkipWithError("convert cannot write MPC");
        return;
    }
    const std::vector<std::string> resize = {"convert", mpc, "-filter", "Box", "-resize",
                                             "1024x1024", "null:"};
    const std::vector<std::string> noop = {"convert", mpc, "null:"};
    CImageEx layer;
    double bestOurs = 1e9, bestResize = 1e9, bestNoop = 1e9;
    for (auto _ : state) {
        for (int r = 0; r < kRounds; ++r) {
            layer.CreateEx(kSmall, kSmall, 32, CImageEx::createAlphaChannel);
            const double t0 = Now();
            picture.BlendScaled(layer, 0, 0, kSmall, kSmall, 0, 0, kBig, kBig, 0.3);
            bestOurs = std::min(bestOurs, Now() - t0);
            benchmark::DoNotOptimize(layer.GetBits());
            bestResize = std::min(bestResize, Run(resize));
            bestNoop = std::min(bestNoop, Run(noop));
        }
    }
    const double peer = std::max(1e-6, bestResize - bestNoop);
    state.counters["blend_s"] = bestOurs;
    state.counters["magick_resize_s"] = peer;
    state.counters["speedup"] = peer / bestOurs;
}

} // namespace

BENCHMARK(ExportVsMagick)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(ShrinkVsMagick)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
