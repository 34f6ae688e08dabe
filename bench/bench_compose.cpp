// Composition of the working image against pixman's OVER and against the
// floor of copying the same layers, all measured in the same run. Each
// benchmark reports its own time; the counters are the ratios.
#include "doc/Composite.h"
#include "doc/ImageEx.h"
#include "doc/TesvanDoc.h"

#include <benchmark/benchmark.h>
#include <pixman.h>

#include <ctime>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

namespace {

constexpr int kCell = 64;
constexpr int kCells = 16;
constexpr int kSide = kCell * kCells;  // 1024
constexpr int kLayers = 12;


// Per cell one blob of about 40 % of the cell, its rim partly transparent:
// roughly 60 % empty, 38 % opaque and 2 % partial pixels, in runs.
void FillSprites32(CImageEx& img, std::mt19937& rng)
{
    std::uniform_real_distribution<double> u(0.0, 1.0);
    for (int cy = 0; cy < kCells; ++cy)
        for (int cx = 0; cx < kCells; ++cx) {
            const double a = 18 + 10 * u(rng), b = 521.0 / a;
            const double ox = cx * kCell + 32 + 6 * (u(rng) - 0.5);
            const double oy = cy * kCell + 32 + 6 * (u(rng) - 0.5);
            const uint32_t base = rng() & 0xFFFFFF;
            for (int y = cy * kCell; y < (cy + 1) * kCell; ++y)
                for (int x = cx * kCell; x < (cx + 1) * kCell; ++x) {
                    const double dx = (x - ox) / a, dy = (y - oy) / b;
                    const double d = dx * dx + dy * dy;
                    uint32_t p = 0;
                    if (d < 0.94)
                        p = 0xFF000000u | (base ^ ((x * 7 + y * 3) & 0x1F));
                    else if (d < 1.0)
                        p = (1 + rng() % 254) << 24 | base;
                    std::memcpy(img.GetRow(y) + 4 * x, &p, 4);
                }
        }
}

void FillRandom32(CImageEx& img, std::mt19937& rng)
{
    for (int y = 0; y < img.GetHeight(); ++y) {
        uint32_t* row = reinterpret_cast<uint32_t*>(img.GetRow(y));
        for (int x = 0; x < img.GetWidth(); ++x)
            row[x] = rng();
    }
}

void FillSprites8(CImageEx& img, std::mt19937& rng, int page)
{
    std::uniform_real_distribution<double> u(0.0, 1.0);
    for (int cy = 0; cy < kCells; ++cy)
        for (int cx = 0; cx < kCells; ++cx) {
            const double a = 18 + 10 * u(rng), b = 521.0 / a;
            const double ox = cx * kCell + 32, oy = cy * kCell + 32;
            for (int y = cy * kCell; y < (cy + 1) * kCell; ++y)
                for (int x = cx * kCell; x < (cx + 1) * kCell; ++x) {
                    const double dx = (x - ox) / a, dy = (y - oy) / b;
                    const bool in = dx * dx + dy * dy < 1.0;
                    img.GetRow(y)[x] = in ? uint8_t((x + y) & 1 ? 1 + (x % 63)
                                                                : 64 + 16 * page + (y % 16))
                                          : 0;
                }
        }
}

struct Stats {
    double empty = 0, opaque = 0, partial = 0;
};

Stats Measure(const std::vector<std::unique_ptr<CImageEx>>& layers)
{
    Stats s;
    double n = 0;
    for (auto& l : layers)
        for (int y = 0; y < l->GetHeight(); ++y) {
            const uint32_t* row = reinterpret_cast<const uint32_t*>(l->GetRow(y));
            for (int x = 0; x < l->GetWidth(); ++x) {
                const uint32_t a = row[x] >> 24;
                (a == 0 ? s.empty : a == 255 ? s.opaque : s.partial) += 1;
                n += 1;
            }
        }
    s.empty /= n;
    s.opaque /= n;
    s.partial /= n;
    return s;
}

// pixman wants premultiplied pixels; the copies are made outside the timing.
pixman_image_t* Premultiplied(const CImageEx& img, std::vector<uint32_t>& store)
{
    const int w = img.GetWidth(), h = img.GetHeight();
    store.resize(size_t(w) * h);
    for (int y = 0; y < h; ++y) {
        const uint32_t* row = reinterpret_cast<const uint32_t*>(img.GetRow(y));
        for (int x = 0; x < w; ++x) {
            const uint32_t p = row[x], a = p >> 24;
            auto pm = [&](int sh) { return (((p >> sh) & 0xFF) * a + 127) / 255 << sh; };
            store[size_t(y) * w + x] = a << 24 | pm(16) | pm(8) | pm(0);
        }
    }
    return pixman_image_create_bits(PIXMAN_a8r8g8b8, w, h, store.data(), w * 4);
}

// Thread CPU time: the machine is shared, and time spent preempted would
// blur the ratios.
inline double Now()
{
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + 1e-9 * double(ts.tv_nsec);
}

template <class F>
double Seconds(F&& f)
{
    const double t0 = Now();
    f();
    return Now() - t0;
}

void Compose32(benchmark::State& state, bool sprites)
{
    CTesvanDoc doc;
    doc.m_nBitCount = 32;
    doc.m_nCellWidth = doc.m_nCellHeight = kCell;
    doc.m_nColumns = doc.m_nRows = kCells;
    doc.m_crBackground = 0xFFFFFF;
    if (!doc.CreateWorkImage()) {
        state.SkipWithError("no working image");
        return;
    }
    std::mt19937 rng(1);
    std::vector<std::unique_ptr<CImageEx>> copies;
    for (int i = 0; i < kLayers; ++i) {
        auto img = std::make_unique<CImageEx>();
        img->CreateEx(kSide, kSide, 32, CImageEx::createAlphaChannel);
        sprites ? FillSprites32(*img, rng) : FillRandom32(*img, rng);
        doc.m_Layers[i].m_nBitCount = 32;
        doc.m_Layers[i].m_bVisible = 1;
        doc.m_Layers[i].m_pImage = img.release();
    }
    std::vector<std::unique_ptr<CImageEx>> view;
    for (int i = 0; i < kLayers; ++i)
        view.emplace_back(doc.m_Layers[i].m_pImage);
    const Stats st = Measure(view);
    for (auto& v : view)
        v.release();

    std::vector<std::vector<uint32_t>> pmStore(kLayers);
    std::vector<pixman_image_t*> pmLayers;
    for (int i = 0; i < kLayers; ++i)
        pmLayers.push_back(Premultiplied(*doc.m_Layers[i].m_pImage, pmStore[i]));
    std::vector<uint32_t> pmDestStore(size_t(kSide) * kSide);
    pixman_image_t* pmDest =
        pixman_image_create_bits(PIXMAN_a8r8g8b8, kSide, kSide, pmDestStore.data(), kSide * 4);
    std::vector<uint32_t> copyDest(size_t(kSide) * kSide);

    double ours = 0, peer = 0, floor = 0;
    for (auto _ : state) {
        const double t = Seconds([&] { doc.ComposeAll(true); });
        ours += t;
        state.SetIterationTime(t);
        peer += Seconds([&] {
            pixman_fill(pmDestStore.data(), kSide, 32, 0, 0, kSide, kSide, 0xFFFFFFFF);
            for (auto* l : pmLayers)
                pixman_image_composite32(PIXMAN_OP_OVER, l, nullptr, pmDest, 0, 0, 0, 0, 0, 0,
                                         kSide, kSide);
        });
        floor += Seconds([&] {
            for (int i = 0; i < kLayers; ++i) {
                const CImageEx& l = *doc.m_Layers[i].m_pImage;
                // The layer's storage is one block from its bottom row up.
                std::memcpy(copyDest.data(), l.GetRow(kSide - 1), size_t(kSide) * kSide * 4);
            }
        });
        benchmark::DoNotOptimize(doc.m_imgWork.GetBits());
        benchmark::DoNotOptimize(pmDestStore.data());
        benchmark::DoNotOptimize(copyDest.data());
        benchmark::ClobberMemory();
    }
    state.counters["x_pixman"] = ours / peer;
    state.counters["x_memcpy"] = ours / floor;
    state.counters["pixman_x_memcpy"] = peer / floor;
    state.counters["pct_empty"] = 100 * st.empty;
    state.counters["pct_opaque"] = 100 * st.opaque;
    state.counters["pct_partial"] = 100 * st.partial;
    for (auto* l : pmLayers)
        pixman_image_unref(l);
    pixman_image_unref(pmDest);
}

void Compose8(benchmark::State& state)
{
    CTesvanDoc doc;
    doc.m_nBitCount = 8;
    doc.m_nCellWidth = doc.m_nCellHeight = kCell;
    doc.m_nColumns = doc.m_nRows = kCells;
    for (int i = 0; i < 256; ++i)
        doc.m_Palette[i] = RGBQUAD{uint8_t(i), uint8_t(i * 3), uint8_t(255 - i), 0};
    if (!doc.CreateWorkImage()) {
        state.SkipWithError("no working image");
        return;
    }
    std::mt19937 rng(2);
    for (int i = 0; i < kLayers; ++i) {
        CLayer& layer = doc.m_Layers[i];
        layer.m_nPage = i;
        layer.m_bVisible = 1;
        layer.CreateImage(kSide, kSide, doc.m_Palette, false, 8);
        FillSprites8(*layer.m_pImage, rng, i);
    }
    std::vector<uint8_t> copyDest(size_t(kSide) * kSide);
    double ours = 0, floor = 0;
    for (auto _ : state) {
        const double t = Seconds([&] { doc.ComposeAll(true); });
        ours += t;
        state.SetIterationTime(t);
        floor += Seconds([&] {
            for (int i = 0; i < kLayers; ++i) {
                const CImageEx& l = *doc.m_Layers[i].m_pImage;
                std::memcpy(copyDest.data(), l.GetRow(kSide - 1), size_t(kSide) * kSide);
            }
        });
        benchmark::DoNotOptimize(doc.m_imgWork.GetBits());
        benchmark::DoNotOptimize(copyDest.data());
        benchmark::ClobberMemory();
    }
    state.counters["x_memcpy"] = ours / floor;
}

}  // namespace

// The reported time is ComposeAll's alone; the counters are the ratios.
BENCHMARK_CAPTURE(Compose32, sprites, true)
    ->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(0.3);
BENCHMARK_CAPTURE(Compose32, random_alpha, false)
    ->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(0.3);
BENCHMARK(Compose8)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(0.3);
