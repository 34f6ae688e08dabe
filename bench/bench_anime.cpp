// Export for games, measured in the same run as its peers, whole processes:
// - `tesvan --export=walk.gif --anime=1` of a twelve-layer 32-bit character
//   of 64 x 64 cells with four slots against ImageMagick's `convert`
//   building the same looping GIF from the composed frames as PNG files
//   (goal: at least 3 times faster);
// - `tesvan --export=SHEET.png --data=SHEET.json` against `--export` alone
//   (goal: at most 1.2 times the time).
// Counters are seconds and ratios; the sides run alternately, the best of
// three rounds counts.
#include "BenchSprites.h"
#include "doc/TesvanDoc.h"
#include "exchange/AnimeExport.h"
#include "platform/UiPort.h"

#include "BenchProcess.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kRounds = 3;
constexpr int kSteps = 8;

std::string Dir()
{
    static const bench::CScratch scratch("anime");
    return scratch.Path();
}

using bench::Now;
using bench::Run;
using bench::SelfDir;

// A 16 x 16 sheet of 64 x 64 cells, twelve filled layers, four slots of
// eight steps; the frames of slot 1 as PNG files for the peer.
std::string Character(std::vector<std::string>* frames)
{
    static std::string tvn;
    static std::vector<std::string> pngs;
    if (tvn.empty()) {
        CCollectingUiPort port;
        auto doc = std::make_unique<CTesvanDoc>();
        doc->m_nColumns = doc->m_nRows = 16;
        doc->OnNewDocument();
        for (int i = 0; i < 12; ++i) {
            doc->m_Layers[i].CreateImage(1024, 1024, doc->m_Palette, false, 32);
            FillSprites(*doc->m_Layers[i].m_pImage, 1024, 500 + i, true);
        }
        for (int k = 0; k < 4; ++k) {
            std::string list;
            for (int s = 0; s < kSteps; ++s)
                list += (s ? "," : "") + std::to_string(k * 16 + s);
            doc->m_Anime[k] = CAnimeSlot{list, 1, "anime" + std::to_string(k + 1), ANIME_FORWARD};
        }
        tvn = Dir() + "/hero.tvn";
        doc->OnSaveDocument(tvn);
        ExportPictures(*doc, Dir() + "/frame-{anime}-{frame}.png", 1);
        for (int s = 0; s < kSteps; ++s)
            pngs.push_back(Dir() + "/frame-anime1-" + std::to_string(s) + ".png");
    }
    if (frames)
        *frames = pngs;
    return tvn;
}

void AnimatedGifVsMagick(benchmark::State& state)
{
    const std::string tesvan = SelfDir() + "tesvan";
    if (access(tesvan.c_str(), X_OK) != 0 || Run({"convert", "-version"}) < 0) {
        state.SkipWithError("tesvan or ImageMagick's convert is missing");
        return;
    }
    std::vector<std::string> frames;
    const std::string tvn = Character(&frames);
    const std::vector<std::string> ours = {tesvan, "--export=" + Dir() + "/walk.gif", "--anime=1", tvn};
    std::vector<std::string> magick = {"convert", "-delay", "15", "-loop", "0", "-dispose", "Background"};
    magick.insert(magick.end(), frames.begin(), frames.end());
    magick.push_back(Dir() + "/walk_magick.gif");
    double bestOurs, bestPeer;
    if (!bench::BestOfPair(state, ours, magick, kRounds, bestOurs, bestPeer))
        return;
    state.counters["tesvan_s"] = bestOurs;
    state.counters["magick_s"] = bestPeer;
    state.counters["speedup"] = bestPeer / bestOurs;
}

void SheetDataVsExport(benchmark::State& state)
{
    const std::string tesvan = SelfDir() + "tesvan";
    if (access(tesvan.c_str(), X_OK) != 0) {
        state.SkipWithError("tesvan is missing");
        return;
    }
    const std::string tvn = Character(nullptr);
    const std::vector<std::string> withData = {tesvan, "--export=" + Dir() + "/sheet_d.png",
                                               "--data=" + Dir() + "/sheet_d.json", tvn};
    const std::vector<std::string> alone = {tesvan, "--export=" + Dir() + "/sheet.png", tvn};
    double bestData, bestAlone;
    if (!bench::BestOfPair(state, withData, alone, kRounds, bestData, bestAlone))
        return;
    state.counters["with_data_s"] = bestData;
    state.counters["export_s"] = bestAlone;
    state.counters["ratio"] = bestData / bestAlone;
}

} // namespace

BENCHMARK(AnimatedGifVsMagick)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(SheetDataVsExport)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
