// .tvn save and open of a 2048 x 2048 sheet of twelve sprite-like 32-bit
// layers, beside libpng writing and reading the same pixels as twelve PNGs.
// The open also reports its peak memory over the raw pixels of the twelve
// layers and the working image.
#include "doc/TesvanDoc.h"
#include "platform/UiPort.h"

#include <benchmark/benchmark.h>
#include <png.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <malloc.h>
#include <memory>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kSide = 2048;

std::string BenchDir()
{
    static std::string dir = [] {
        char tmpl[] = "/tmp/tesvan-bench-XXXXXX";
        return std::string(mkdtemp(tmpl) ? tmpl : "/tmp");
    }();
    return dir;
}

// Cells of 64 x 64 each hold an ellipse of short flat runs from a small
// palette, with partly transparent rims: about 60 % empty, 38 % opaque,
// 2 % partly transparent.
void FillSprites(CImageEx& img, uint32_t seed)
{
    std::mt19937 rng(seed);
    uint32_t colours[8];
    for (uint32_t& c : colours)
        c = 0xFF000000u | (rng() & 0xFFFFFF);
    for (int cy = 0; cy < kSide; cy += 64)
        for (int cx = 0; cx < kSide; cx += 64) {
            const double rx = 20 + rng() % 6, ry = 22 + rng() % 6;
            for (int y = 0; y < 64; ++y) {
                uint32_t* row = reinterpret_cast<uint32_t*>(img.GetRow(cy + y)) + cx;
                uint32_t colour = colours[rng() % 8];
                int run = 0;
                for (int x = 0; x < 64; ++x) {
                    const double dx = (x - 31.5) / rx, dy = (y - 31.5) / ry;
                    const double d = dx * dx + dy * dy;
                    if (d > 1.0)
                        continue;
                    if (run-- <= 0) {
                        colour = colours[rng() % 8];
                        run = int(rng() % 6);
                    }
                    row[x] = d > 0.93 ? (colour & 0x00FFFFFF) | 0x80000000u : colour;
                }
            }
        }
}

struct CFixture {
    std::unique_ptr<CTesvanDoc> doc;
    std::string tvn;
    CFixture()
    {
        doc = std::make_unique<CTesvanDoc>();
        doc->m_nColumns = doc->m_nRows = kSide / 64;
        doc->OnNewDocument();
        for (int i = 0; i < 12; ++i) {
            doc->m_Layers[i].CreateImage(kSide, kSide, doc->m_Palette, false, 32);
            FillSprites(*doc->m_Layers[i].m_pImage, 100 + i);
        }
        tvn = BenchDir() + "/sheet.tvn";
        doc->OnSaveDocument(tvn);
    }
};

CFixture& Fixture()
{
    static CFixture f;
    return f;
}

bool WritePng(const std::string& path, const CImageEx& img)
{
    FILE* fp = std::fopen(path.c_str(), "wb");
    if (!fp)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(fp);
        return false;
    }
    png_init_io(png, fp);
    png_set_IHDR(png, info, img.GetWidth(), img.GetHeight(), 8, PNG_COLOR_TYPE_RGBA,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_set_bgr(png);
    for (int y = 0; y < img.GetHeight(); ++y)
        png_write_row(png, const_cast<png_bytep>(img.GetRow(y)));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(fp);
    return true;
}

bool ReadPng(const std::string& path, CImageEx& img)
{
    FILE* fp = std::fopen(path.c_str(), "rb");
    if (!fp)
        return false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        std::fclose(fp);
        return false;
    }
    png_init_io(png, fp);
    png_read_info(png, info);
    const int w = int(png_get_image_width(png, info));
    const int h = int(png_get_image_height(png, info));
    png_set_bgr(png);
    img.CreateEx(w, h, 32, CImageEx::createAlphaChannel);
    for (int y = 0; y < h; ++y)
        png_read_row(png, img.GetRow(y), nullptr);
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(fp);
    return true;
}

long StatusKb(const char* key)
{
    std::ifstream f("/proc/self/status");
    std::string line;
    while (std::getline(f, line))
        if (line.rfind(key, 0) == 0)
            return std::atol(line.c_str() + std::strlen(key));
    return 0;
}

void BM_TvnSave(benchmark::State& state)
{
    CFixture& f = Fixture();
    const std::string path = BenchDir() + "/save.tvn";
    for (auto _ : state)
        f.doc->OnSaveDocument(path);
}
BENCHMARK(BM_TvnSave)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PngWrite12(benchmark::State& state)
{
    CFixture& f = Fixture();
    for (auto _ : state)
        for (int i = 0; i < 12; ++i)
            WritePng(BenchDir() + "/layer" + std::to_string(i) + ".png", *f.doc->m_Layers[i].m_pImage);
}
BENCHMARK(BM_PngWrite12)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_TvnOpen(benchmark::State& state)
{
    CFixture& f = Fixture();
    for (auto _ : state) {
        state.PauseTiming();
        auto doc = std::make_unique<CTesvanDoc>();
        doc->OnNewDocument();
        state.ResumeTiming();
        doc->OnOpenDocument(f.tvn);
        state.PauseTiming();
        doc.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_TvnOpen)->Unit(benchmark::kMillisecond)->UseRealTime();

// Peak resident memory of one open, from a trimmed heap, over the raw pixels
// of twelve layers and the working image.
void BM_TvnOpenPeakMemory(benchmark::State& state)
{
    CFixture& f = Fixture();
    const double raw = 13.0 * kSide * kSide * 4;
    double worst = 0;
    for (auto _ : state) {
        auto doc = std::make_unique<CTesvanDoc>();
        doc->OnNewDocument();
        malloc_trim(0);
        { std::ofstream("/proc/self/clear_refs") << "5"; }    // peak := present
        const long base = StatusKb("VmRSS:");
        doc->OnOpenDocument(f.tvn);
        const long peak = StatusKb("VmHWM:");
        worst = std::max(worst, (peak - base) * 1024.0 / raw);
        doc.reset();
        malloc_trim(0);
    }
    state.counters["peak_over_raw"] = worst;
}
BENCHMARK(BM_TvnOpenPeakMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_PngRead12(benchmark::State& state)
{
    CFixture& f = Fixture();
    for (int i = 0; i < 12; ++i)
        WritePng(BenchDir() + "/layer" + std::to_string(i) + ".png", *f.doc->m_Layers[i].m_pImage);
    for (auto _ : state) {
        CImageEx images[12];
        for (int i = 0; i < 12; ++i)
            ReadPng(BenchDir() + "/layer" + std::to_string(i) + ".png", images[i]);
    }
}
BENCHMARK(BM_PngRead12)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
