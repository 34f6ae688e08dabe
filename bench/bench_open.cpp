// Start-up with a picture against start-up with a document of the same
// pixels, whole processes (`tesvan --script=EMPTY FILE`): a 512 x 512 32-bit
// sprite sheet as PNG against the same sheet as a one-cell .tvn (goal: at
// most 1.2 times the time). The sides run alternately, the best of five
// rounds counts.
#include "BenchSprites.h"
#include "doc/ImageFiles.h"
#include "doc/TesvanDoc.h"
#include "platform/UiPort.h"

#include "BenchProcess.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kRounds = 5;
constexpr int kSide = 512;

std::string Dir()
{
    static const bench::CScratch scratch("open");
    return scratch.Path();
}

// The sheet as picture.png and picture.tvn, and an empty script.
void MakeFiles()
{
    static bool made = false;
    if (made)
        return;
    made = true;
    CCollectingUiPort port;
    auto doc = std::make_unique<CTesvanDoc>();
    doc->m_nColumns = doc->m_nRows = 1;
    doc->m_nCellWidth = doc->m_nCellHeight = kSide;
    doc->OnNewDocument();
    doc->m_Layers[0].CreateImage(kSide, kSide, doc->m_Palette, false, 32);
    FillSprites(*doc->m_Layers[0].m_pImage, kSide, 77, true);
    doc->OnSaveDocument(Dir() + "/picture.tvn");
    SaveImageFile(*doc->m_Layers[0].m_pImage, Dir() + "/picture.png");
    std::ofstream(Dir() + "/empty.tesvan") << "# nothing\n";
}

void PictureVsDocumentStart(benchmark::State& state)
{
    const std::string tesvan = bench::SelfDir() + "tesvan";
    if (access(tesvan.c_str(), X_OK) != 0) {
        state.SkipWithError("tesvan is missing");
        return;
    }
    MakeFiles();
    const std::string script = "--script=" + Dir() + "/empty.tesvan";
    double bestPicture, bestDocument;
    if (!bench::BestOfPair(state, {tesvan, script, Dir() + "/picture.png"},
                           {tesvan, script, Dir() + "/picture.tvn"}, kRounds, bestPicture, bestDocument))
        return;
    state.counters["picture_s"] = bestPicture;
    state.counters["tvn_s"] = bestDocument;
    state.counters["ratio"] = bestPicture / bestDocument;
}

} // namespace

BENCHMARK(PictureVsDocumentStart)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
