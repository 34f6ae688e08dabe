// Recovery copies of a 1024 x 1024 sheet of twelve sprite-like 32-bit layers.
// The snapshot is the only part that runs on the user-interface thread; it
// is set against the floor of copying the layers' pixels once and against
// copying their compressed form once. The whole recovery write (snapshot,
// serialisation, synced write of copy and record) is set against the .tvn
// save of the same document.
#include "BenchSprites.h"
#include "doc/Codec.h"
#include "doc/Recovery.h"
#include "doc/TesvanDoc.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kSide = 1024;

struct CFixture {
    std::unique_ptr<CTesvanDoc> doc;
    std::string dir;
    CFixture()
    {
        char tmpl[] = "/tmp/tesvan-bench-recovery-XXXXXX";
        dir = mkdtemp(tmpl) ? tmpl : "/tmp";
        doc = std::make_unique<CTesvanDoc>();
        doc->m_nColumns = doc->m_nRows = kSide / 64;
        doc->OnNewDocument();
        for (int i = 0; i < 12; ++i) {
            doc->m_Layers[i].CreateImage(kSide, kSide, doc->m_Palette, false, 32);
            FillSprites(*doc->m_Layers[i].m_pImage, kSide, 300 + i);
        }
    }
};

CFixture& Fixture()
{
    static CFixture f;
    return f;
}

double ThreadSeconds()
{
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + 1e-9 * double(t.tv_nsec);
}

double WallSeconds()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + 1e-9 * double(t.tv_nsec);
}

// The snapshot's thread time against each floor's; snapshot_ms is the time
// itself, to hold against a frame (16 ms).
void RecoverySnapshot(benchmark::State& state)
{
    CFixture& f = Fixture();
    CTesvanDoc snapshot;
    CRecoveryWriter::CopyDocument(*f.doc, snapshot);     // buffers kept, as the writer keeps them

    const size_t layerBytes = size_t(kSide) * kSide * 4;
    std::vector<std::unique_ptr<uint8_t[]>> raw;
    std::vector<CBynaryBuffer> packed(12);
    std::vector<std::vector<uint8_t>> packedCopy(12);
    for (int i = 0; i < 12; ++i) {
        raw.emplace_back(new uint8_t[layerBytes]);
        std::memset(raw.back().get(), 0, layerBytes);
        Compress32(*f.doc->m_Layers[i].m_pImage, 0, 0, kSide, kSide, packed[size_t(i)]);
        packedCopy[size_t(i)].resize(packed[size_t(i)].GetSize());
    }
    double snap = 0, rawFloor = 0, packedFloor = 0;
    for (auto _ : state) {
        double t0 = ThreadSeconds();
        CRecoveryWriter::CopyDocument(*f.doc, snapshot);
        double t1 = ThreadSeconds();
        for (int i = 0; i < 12; ++i) {
            const CImageEx& img = *f.doc->m_Layers[i].m_pImage;
            std::memcpy(raw[size_t(i)].get(), img.GetRow(kSide - 1), layerBytes);
        }
        double t2 = ThreadSeconds();
        for (int i = 0; i < 12; ++i)
            std::memcpy(packedCopy[size_t(i)].data(), packed[size_t(i)].GetData(),
                        packed[size_t(i)].GetSize());
        double t3 = ThreadSeconds();
        benchmark::DoNotOptimize(raw[0].get());
        benchmark::DoNotOptimize(packedCopy[0].data());
        snap += t1 - t0, rawFloor += t2 - t1, packedFloor += t3 - t2;
        state.SetIterationTime(t1 - t0);
    }
    state.counters["over_pixel_copy"] = snap / rawFloor;
    state.counters["over_packed_copy"] = snap / packedFloor;
    state.counters["snapshot_ms"] = 1000.0 * snap / double(state.iterations());
}
BENCHMARK(RecoverySnapshot)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(20);

// The whole recovery write against the .tvn save; both sync their files.
void RecoveryWrite(benchmark::State& state)
{
    CFixture& f = Fixture();
    CRecoveryWriter writer(f.dir + "/recovery");
    const CRecoveryRecord record{f.dir + "/sheet.tvn", "sheet.tvn", 1700000000, int32_t(getpid())};
    const std::string path = f.dir + "/sheet.tvn";
    double copy = 0, save = 0;
    for (auto _ : state) {
        double t0 = WallSeconds();
        writer.Snapshot(*f.doc, record);
        writer.Wait();
        double t1 = WallSeconds();
        f.doc->OnSaveDocument(path);
        double t2 = WallSeconds();
        copy += t1 - t0, save += t2 - t1;
        state.SetIterationTime(t1 - t0);
    }
    writer.Finish();
    state.counters["over_tvn_save"] = copy / save;
}
BENCHMARK(RecoveryWrite)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

} // namespace
