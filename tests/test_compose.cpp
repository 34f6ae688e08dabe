#include "doc/kernels/RowKernels.h"
#include "doc/Codec.h"
#include "doc/Composite.h"
#include "doc/Region.h"
#include "doc/TesvanDoc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

namespace {

// The blend written straight from its formulas, as the reference.
int RefMix(int ad, int as, int cd, int cs)
{
    if (ad == 0)
        return cs;
    if (as == 0)
        return cd;
    const int t = (255 - cd) * ad / 255;
    const int q = (255 - t - cs) * as / 255;
    int r = 255 - q - t;
    return r < 0 ? 0 : r > 255 ? 255 : r;
}

uint32_t RefBlend(uint32_t d, uint32_t s)
{
    const int as = int(s >> 24), ad = int(d >> 24);
    const int v = (255 - as) * (255 - ad) / 255;
    if (v == 255)
        return 0;
    uint32_t out = uint32_t(255 - v) << 24;
    for (int sh = 0; sh < 24; sh += 8)
        out |= uint32_t(RefMix(ad, as, int((d >> sh) & 0xFF), int((s >> sh) & 0xFF))) << sh;
    return out;
}

uint32_t Px(const CImageEx& img, int x, int y)
{
    uint32_t v;
    std::memcpy(&v, img.GetRow(y) + 4 * x, 4);
    return v;
}

void SetPx(CImageEx& img, int x, int y, uint32_t v) { std::memcpy(img.GetRow(y) + 4 * x, &v, 4); }

uint32_t Argb(int a, int r, int g, int b)
{
    return uint32_t(a) << 24 | uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
}

void CheckResult(const std::vector<std::pair<uint32_t, uint32_t>>& pairs, const CImageEx& dst,
                 int w, int level);

// Blends the pairs through AlphaComposite (images of an odd width, so the
// four-pixel kernel, its fast paths and the tail all run) and checks each
// result against the reference.
void CheckPairs(const std::vector<std::pair<uint32_t, uint32_t>>& pairs)
{
    const int w = 1021;
    const int h = int((pairs.size() + w - 1) / w);
    CImageEx src, dst;
    ASSERT_TRUE(src.CreateEx(w, h, 32, CImageEx::createAlphaChannel));
    ASSERT_TRUE(dst.CreateEx(w, h, 32, CImageEx::createAlphaChannel));
    for (size_t k = 0; k < pairs.size(); ++k) {
        SetPx(dst, int(k % w), int(k / w), pairs[k].first);
        SetPx(src, int(k % w), int(k / w), pairs[k].second);
    }
    // Every kernel the processor can run, the default last.
    CImageEx orig;
    ASSERT_TRUE(orig.CreateEx(w, h, 32, CImageEx::createAlphaChannel));
    ASSERT_TRUE(dst.BitBlt(orig, w, h));
    for (int level : {0, 1, 2, -1}) {
        if (!blit::SelectBlendKernel(level))
            continue;
        ASSERT_TRUE(orig.BitBlt(dst, w, h));
        ASSERT_TRUE(AlphaComposite(src, dst, 0, 0, w, h, 0, 0));
        CheckResult(pairs, dst, w, level);
    }
}

void CheckResult(const std::vector<std::pair<uint32_t, uint32_t>>& pairs, const CImageEx& dst,
                 int w, int level)
{
    int failures = 0;
    for (size_t k = 0; k < pairs.size() && failures < 10; ++k) {
        const uint32_t got = Px(dst, int(k % w), int(k / w));
        const uint32_t want = RefBlend(pairs[k].first, pairs[k].second);
        if (got != want) {
            ++failures;
            ADD_FAILURE() << "kernel " << level << std::hex << ": d=" << pairs[k].first << " s=" << pairs[k].second
                          << " got " << got << " want " << want;
        }
    }
}

}  // namespace

TEST(Blend, ExactDivisionBy255CoversEveryByteProduct)
{
    for (int x = 0; x <= 255 * 255; ++x)
        ASSERT_EQ(blit::Div255(x), x / 255) << x;
}

TEST(Blend, MixMatchesTheFormulaEverywhere)
{
    for (int ad = 0; ad < 256; ++ad)
        for (int as = 0; as < 256; ++as)
            for (int cd = 0; cd < 256; cd += 7)
                for (int cs = 0; cs < 256; cs += 11)
                    ASSERT_EQ(Mix(ad, as, cd, cs), RefMix(ad, as, cd, cs))
                        << ad << " " << as << " " << cd << " " << cs;
}

TEST(Blend, MixKnownValues)
{
    EXPECT_EQ(Mix(255, 128, 255, 0), 127);  // half red over white: green, blue
    EXPECT_EQ(Mix(255, 255, 10, 200), 200);
    EXPECT_EQ(Mix(0, 7, 10, 200), 200);
    EXPECT_EQ(Mix(9, 0, 10, 200), 10);
    // With an opaque destination: Cd + (Cs - Cd) * As / 255, truncated.
    EXPECT_EQ(Mix(255, 100, 200, 10), 200 - (190 * 100) / 255);
}

TEST(Blend, EveryAlphaPairWithEdgeAndSampledColours)
{
    const int edge[] = {0, 1, 254, 255};
    std::mt19937 rng(7);
    std::vector<std::pair<uint32_t, uint32_t>> pairs;
    pairs.reserve(256 * 256 * 8);
    // Source alpha outermost, so runs of equal source alpha fill whole
    // four-pixel blocks and the shortcuts for 0 and 255 are taken.
    for (int as = 0; as < 256; ++as)
        for (int ad = 0; ad < 256; ++ad)
            for (int k = 0; k < 8; ++k) {
                const int cd = k < 4 ? edge[k] : int(rng() & 0xFF);
                const int cs = k < 4 ? edge[3 - k] : int(rng() & 0xFF);
                pairs.emplace_back(Argb(ad, cd, int(rng() & 0xFF), 255 - cd),
                                   Argb(as, cs, int(rng() & 0xFF), cs ^ 0x5A));
            }
    CheckPairs(pairs);
}

TEST(Blend, EveryColourPairAtEdgeAlphas)
{
    const int edge[] = {0, 1, 254, 255};
    std::vector<std::pair<uint32_t, uint32_t>> pairs;
    for (int ad : edge)
        for (int as : edge)
            for (int cd = 0; cd < 256; ++cd)
                for (int cs = 0; cs < 256; ++cs)
                    pairs.emplace_back(Argb(ad, cd, cs, 255 - cd), Argb(as, cs, cd, cs ^ 0x33));
    CheckPairs(pairs);
}

TEST(Blend, RandomPixelsInMixedBlocks)
{
    std::mt19937 rng(11);
    std::vector<std::pair<uint32_t, uint32_t>> pairs(1 << 20);
    for (auto& p : pairs) {
        // Alphas drawn mostly from the edges, so blocks mix shortcut and
        // general pixels.
        auto alpha = [&] {
            const uint32_t r = rng() % 8;
            return r == 0 ? 0u : r == 1 ? 255u : r == 2 ? 1u : r == 3 ? 254u : rng() & 0xFF;
        };
        p.first = (rng() & 0xFFFFFF) | alpha() << 24;
        p.second = (rng() & 0xFFFFFF) | alpha() << 24;
    }
    CheckPairs(pairs);
}

TEST(Blend, RandomSourcesOverOpaqueDestinations)
{
    // The composition's usual case: a background under every layer.
    std::mt19937 rng(13);
    std::vector<std::pair<uint32_t, uint32_t>> pairs(1 << 19);
    for (auto& p : pairs)
        p = {0xFF000000u | (rng() & 0xFFFFFF), rng()};
    CheckPairs(pairs);
}

TEST(AlphaCompositeOp, KnownValuesFromTheBlend)
{
    CImageEx src, dst;
    ASSERT_TRUE(src.CreateEx(4, 1, 32, CImageEx::createAlphaChannel));
    ASSERT_TRUE(dst.CreateEx(4, 1, 32, CImageEx::createAlphaChannel));
    SetPx(dst, 0, 0, 0xFFFFFFFF);
    SetPx(src, 0, 0, 0xFFFF0000);  // opaque red over white
    SetPx(dst, 1, 0, 0xFFFFFFFF);
    SetPx(src, 1, 0, 0x80FF0000);  // half red over white
    SetPx(dst, 2, 0, 0);
    SetPx(src, 2, 0, 0x00123456);  // empty over empty
    SetPx(dst, 3, 0, 0x00ABCDEF);
    SetPx(src, 3, 0, 0x80102030);  // over a destination of alpha 0
    ASSERT_TRUE(AlphaComposite(src, dst, 0, 0, 4, 1, 0, 0));
    EXPECT_EQ(Px(dst, 0, 0), 0xFFFF0000u);
    EXPECT_EQ(Px(dst, 1, 0), 0xFFFF7F7Fu);
    EXPECT_EQ(Px(dst, 2, 0), 0u);
    EXPECT_EQ(Px(dst, 3, 0), 0x80102030u);
}

TEST(AlphaCompositeOp, ClipsToBothImagesAndRefusesOtherDepths)
{
    CImageEx src, dst, eight;
    ASSERT_TRUE(src.CreateEx(3, 3, 32, CImageEx::createAlphaChannel));
    ASSERT_TRUE(dst.CreateEx(2, 2, 32, CImageEx::createAlphaChannel));
    ASSERT_TRUE(eight.CreateEx(2, 2, 8));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x)
            SetPx(src, x, y, Argb(255, x, y, 9));
    ASSERT_TRUE(AlphaComposite(src, dst, 1, 1, 5, 5, 0, 0));
    EXPECT_EQ(Px(dst, 0, 0), 0u);
    EXPECT_EQ(Px(dst, 1, 1), Argb(255, 0, 0, 9));
    ASSERT_TRUE(AlphaComposite(src, dst, -1, 0, 3, 1, 0, 2));
    EXPECT_EQ(Px(dst, 0, 0), Argb(255, 1, 2, 9));
    EXPECT_FALSE(AlphaComposite(src, eight, 0, 0, 2, 2, 0, 0));
    EXPECT_FALSE(AlphaComposite(eight, dst, 0, 0, 2, 2, 0, 0));
    EXPECT_EQ(eight.GetRow(0)[0], 0);
}

// ---------------------------------------------------------------- regions

namespace {

// A region of w x h values, packed as the selection packs it.
void MakeRegion(CLayerRegion& region, int bpp, int w, int h, const std::vector<uint32_t>& values)
{
    CImageEx img;
    ASSERT_TRUE(img.CreateEx(w, h, bpp, bpp == 32 ? CImageEx::createAlphaChannel : 0));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t v = values[size_t(y * w + x)];
            if (bpp == 8)
                img.GetRow(y)[x] = uint8_t(v);
            else
                SetPx(img, x, y, v);
        }
    region.nLayer = 0;
    region.left = 10;
    region.top = 20;
    region.right = 10 + w - 1;
    region.bottom = 20 + h - 1;
    if (bpp == 8)
        Compress8(img, 0, 0, w, h, 0, region.data);
    else
        Compress32(img, 0, 0, w, h, region.data);
}

std::vector<std::vector<int>> Rows8(const CImageEx& img)
{
    std::vector<std::vector<int>> rows(size_t(img.GetHeight()));
    for (int y = 0; y < img.GetHeight(); ++y)
        for (int x = 0; x < img.GetWidth(); ++x)
            rows[size_t(y)].push_back(img.GetRow(y)[x]);
    return rows;
}

using Grid = std::vector<std::vector<int>>;

}  // namespace

TEST(PutRegion, TurnsClockwiseAndMirrorsAsTheFlipBitsSay)
{
    // Source 3 x 2:  1 2 3 / 4 5 6.
    CLayerRegion region;
    MakeRegion(region, 8, 3, 2, {1, 2, 3, 4, 5, 6});
    struct Case {
        bool rotated;
        int flip;
        Grid want;
    } cases[] = {
        {false, 0, {{1, 2, 3}, {4, 5, 6}, {0, 0, 0}}},
        {false, 1, {{3, 2, 1}, {6, 5, 4}, {0, 0, 0}}},
        {false, 2, {{4, 5, 6}, {1, 2, 3}, {0, 0, 0}}},
        {false, 3, {{6, 5, 4}, {3, 2, 1}, {0, 0, 0}}},
        // A quarter turn clockwise: the top row becomes the rightmost column.
        {true, 0, {{4, 1, 0}, {5, 2, 0}, {6, 3, 0}}},
        {true, 1, {{6, 3, 0}, {5, 2, 0}, {4, 1, 0}}},
        {true, 2, {{1, 4, 0}, {2, 5, 0}, {3, 6, 0}}},
        {true, 3, {{3, 6, 0}, {2, 5, 0}, {1, 4, 0}}},
    };
    for (const Case& c : cases) {
        CImageEx img;
        ASSERT_TRUE(img.CreateEx(3, 3, 8));
        PutRegion(region, img, 0, 0, c.rotated, c.flip, true);
        EXPECT_EQ(Rows8(img), c.want) << "rotated " << c.rotated << " flip " << c.flip;
    }
}

TEST(PutRegion, TransparentWritesSkipZeroOpaqueWritesAll)
{
    CLayerRegion region;
    MakeRegion(region, 8, 2, 2, {0, 7, 8, 0});
    CImageEx img;
    ASSERT_TRUE(img.CreateEx(3, 2, 8));
    std::memset(img.GetRow(0), 9, 3);
    std::memset(img.GetRow(1), 9, 3);
    PutRegion(region, img, 1, 0, false, 0, false);
    EXPECT_EQ(Rows8(img), (Grid{{9, 9, 7}, {9, 8, 9}}));
    PutRegion(region, img, 1, 0, false, 0, true);
    EXPECT_EQ(Rows8(img), (Grid{{9, 0, 7}, {9, 8, 0}}));
}

TEST(PutRegion, ThirtyTwoBitZeroIsAllFourBytes)
{
    // 0x00000001 (what a cut leaves behind) is written even transparently.
    CLayerRegion region;
    MakeRegion(region, 32, 3, 1, {0, 1, 0xFF00FF00});
    CImageEx img;
    ASSERT_TRUE(img.CreateEx(3, 1, 32, CImageEx::createAlphaChannel));
    for (int x = 0; x < 3; ++x)
        SetPx(img, x, 0, 0xFFFFFFFF);
    PutRegion(region, img, 0, 0, false, 0, false);
    EXPECT_EQ(Px(img, 0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(Px(img, 1, 0), 1u);
    EXPECT_EQ(Px(img, 2, 0), 0xFF00FF00u);
}

TEST(PutRegion, ShortDataLeavesTheRestAndNothingLandsOutsideTheImage)
{
    CLayerRegion region;
    MakeRegion(region, 8, 2, 2, {5, 5, 5, 5});
    region.right = region.left + 3;  // now claims 4 x 2 pixels: data covers half
    CImageEx img;
    ASSERT_TRUE(img.CreateEx(4, 2, 8));
    PutRegion(region, img, 0, 0, false, 0, true);
    EXPECT_EQ(Rows8(img), (Grid{{5, 5, 5, 5}, {0, 0, 0, 0}}));

    // Hanging off every side, rotated and not: only the overlap is written.
    CLayerRegion big;
    MakeRegion(big, 8, 5, 3, std::vector<uint32_t>(15, 4));
    for (int x : {-4, -1, 2, 3})
        for (int y : {-4, -1, 1, 3})
            for (bool rotated : {false, true}) {
                CImageEx small;
                ASSERT_TRUE(small.CreateEx(4, 4, 8));
                PutRegion(big, small, x, y, rotated, 3, true);
                const int w = rotated ? 3 : 5, h = rotated ? 5 : 3;
                for (int yy = 0; yy < 4; ++yy)
                    for (int xx = 0; xx < 4; ++xx) {
                        const bool inside = xx >= x && xx < x + w && yy >= y && yy < y + h;
                        EXPECT_EQ(small.GetRow(yy)[xx], inside ? 4 : 0);
                    }
            }
}

// ---------------------------------------------------------------- composition

namespace {

// A document of 2 x 2 cells of 5 x 3 pixels with every layer empty.
void MakeDoc(CTesvanDoc& doc, int bits)
{
    doc.m_nBitCount = bits;
    doc.m_nCellWidth = 5;
    doc.m_nCellHeight = 3;
    doc.m_nColumns = 2;
    doc.m_nRows = 2;
    ASSERT_TRUE(doc.OnNewDocument());
    ASSERT_FALSE(doc.m_imgWork.IsNull());
}

CImageEx& Layer(CTesvanDoc& doc, int i)
{
    CLayer& layer = doc.m_Layers[i];
    if (!layer.m_pImage)
        layer.CreateImage(doc.SheetWidth(), doc.SheetHeight(), doc.m_Palette, false,
                          doc.m_nBitCount);
    return *layer.m_pImage;
}

// Makes the layer's piece of a floating paste from a 2 x 1 pair of pixels.
void Piece(CTesvanDoc& doc, int slot, int layer, uint32_t a, uint32_t b)
{
    MakeRegion(doc.m_Pieces[slot], 32, 2, 1, {a, b});
    doc.m_Pieces[slot].nLayer = doc.m_Layers[layer].m_nPage;
    doc.m_nPieceCount = std::max(doc.m_nPieceCount, slot + 1);
}

}  // namespace

TEST(Compose, EmptyLayersGiveTheBackgroundOrNothing)
{
    CTesvanDoc doc;
    MakeDoc(doc, 32);
    doc.m_crBackground = RGB(1, 2, 3);
    doc.ComposeAll(true);
    for (int y = 0; y < doc.SheetHeight(); ++y)
        for (int x = 0; x < doc.SheetWidth(); ++x)
            ASSERT_EQ(Px(doc.m_imgWork, x, y), 0xFF010203u);
    doc.ComposeAll(false);
    for (int y = 0; y < doc.SheetHeight(); ++y)
        for (int x = 0; x < doc.SheetWidth(); ++x)
            ASSERT_EQ(Px(doc.m_imgWork, x, y), 0u);
}

TEST(Compose, LayersBlendInOrderExactlyAsTheFormula)
{
    // Twelve layers of random pixels, empty and opaque runs among them, over
    // a sheet wide enough for the vector kernels and with a ragged edge.
    CTesvanDoc doc;
    doc.m_nBitCount = 32;
    doc.m_nCellWidth = 13;
    doc.m_nCellHeight = 4;
    doc.m_nColumns = 3;
    doc.m_nRows = 2;
    ASSERT_TRUE(doc.OnNewDocument());
    doc.m_crBackground = RGB(200, 100, 50);
    const int W = doc.SheetWidth(), H = doc.SheetHeight();
    std::mt19937 rng(3);
    for (int i = 0; i < 12; ++i) {
        CImageEx& img = Layer(doc, i);
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                const uint32_t kind = (uint32_t(x / 6 + y + i) * 2654435761u >> 28) % 4;
                const uint32_t c = rng() & 0xFFFFFF;
                SetPx(img, x, y, kind == 0 ? 0 : kind == 1 ? 0xFF000000u | c : rng());
            }
    }
    doc.m_Layers[4].m_bVisible = 0;  // hidden and not current: left out
    for (bool back : {true, false}) {
        doc.ComposeAll(back);
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                uint32_t want = back ? 0xFFC86432u : 0u;
                for (int i = 0; i < 12; ++i)
                    if (i != 4)
                        want = RefBlend(want, Px(*doc.m_Layers[i].m_pImage, x, y));
                ASSERT_EQ(Px(doc.m_imgWork, x, y), want) << x << "," << y << " back " << back;
            }
    }
}

TEST(Compose, BottomLayerSmallerThanTheSheetAndPartRectanglesByEveryKernel)
{
    // The bottom layer is blended with the background row by row; its image
    // may end before the sheet does, and only part of the sheet may be asked.
    CTesvanDoc doc;
    doc.m_nBitCount = 32;
    doc.m_nCellWidth = 39;
    doc.m_nCellHeight = 8;
    doc.m_nColumns = doc.m_nRows = 1;
    ASSERT_TRUE(doc.OnNewDocument());
    doc.m_crBackground = RGB(10, 20, 30);
    CLayer& layer = doc.m_Layers[0];
    ASSERT_TRUE(layer.CreateImage(27, 5, doc.m_Palette, false, 32));
    std::mt19937 rng(11);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 27; ++x) {
            const uint32_t kind = (uint32_t(x / 8 + 3 * y) * 2654435761u >> 28) % 4;
            const uint32_t c = rng() & 0xFFFFFF;
            SetPx(*layer.m_pImage, x, y, kind == 0 ? 0 : kind == 1 ? 0xFF000000u | c : rng());
        }
    for (int level : {0, 1, 2, -1}) {
        if (!blit::SelectBlendKernel(level))
            continue;
        for (bool back : {true, false}) {
            const uint32_t b = back ? 0xFF0A141Eu : 0u;
            const int left = 2, top = 1, right = 35, bottom = 6;
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 39; ++x)
                    SetPx(doc.m_imgWork, x, y, 0x12345678u);
            ASSERT_TRUE(doc.Compose(back, left, top, right, bottom));
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 39; ++x) {
                    uint32_t want = 0x12345678u;
                    if (x >= left && x <= right && y >= top && y <= bottom)
                        want = x < 27 && y < 5 ? RefBlend(b, Px(*layer.m_pImage, x, y)) : b;
                    ASSERT_EQ(Px(doc.m_imgWork, x, y), want)
                        << x << "," << y << " kernel " << level << " back " << back;
                }
        }
    }
}

TEST(Compose, KnownValuesOverWhite)
{
    CTesvanDoc doc;
    MakeDoc(doc, 32);
    SetPx(Layer(doc, 2), 0, 0, 0xFFFF0000);
    SetPx(Layer(doc, 2), 1, 0, 0x80FF0000);
    doc.ComposeAll(true);
    EXPECT_EQ(Px(doc.m_imgWork, 0, 0), 0xFFFF0000u);
    EXPECT_EQ(Px(doc.m_imgWork, 1, 0), 0xFFFF7F7Fu);
    EXPECT_EQ(Px(doc.m_imgWork, 2, 0), 0xFFFFFFFFu);
}

TEST(Compose, OnlyTheRectangleClippedToTheSheet)
{
    CTesvanDoc doc;
    MakeDoc(doc, 32);
    SetPx(Layer(doc, 0), 3, 1, 0xFF00FF00);
    SetPx(Layer(doc, 0), 9, 5, 0xFF0000FF);
    doc.ComposeAll(false);
    SetPx(Layer(doc, 0), 3, 1, 0xFF123456);
    SetPx(Layer(doc, 0), 9, 5, 0xFF654321);
    EXPECT_TRUE(doc.Compose(true, 2, 0, 4, 2));
    EXPECT_EQ(Px(doc.m_imgWork, 3, 1), 0xFF123456u);
    EXPECT_EQ(Px(doc.m_imgWork, 1, 1), 0u);         // left of it: untouched
    EXPECT_EQ(Px(doc.m_imgWork, 9, 5), 0xFF0000FFu);
    // Reaching past every edge of the sheet: the whole sheet, nothing more.
    EXPECT_TRUE(doc.Compose(true, -50, -50, 500, 500));
    EXPECT_EQ(Px(doc.m_imgWork, 9, 5), 0xFF654321u);
    EXPECT_EQ(Px(doc.m_imgWork, 0, 0), 0xFFFFFFFFu);
    EXPECT_TRUE(doc.Compose(true, 20, 20, 30, 30));  // outside: nothing
    // Without a working image composition does nothing.
    doc.m_imgWork.Destroy();
    EXPECT_TRUE(doc.Compose(true, 0, 0, 9, 5));
    doc.ComposeAll(true);
    EXPECT_TRUE(doc.m_imgWork.IsNull());
}

TEST(Compose, CurrentLayerAloneWhenNotShowingAll)
{
    CTesvanDoc doc;
    MakeDoc(doc, 32);
    SetPx(Layer(doc, 1), 0, 0, 0xFF0000AA);
    SetPx(Layer(doc, 5), 1, 0, 0xFF0000BB);
    doc.m_Layers[5].m_bVisible = 0;
    doc.m_nCurrentLayer = 5;
    doc.m_bShowAllLayers = 0;
    doc.ComposeAll(false);
    EXPECT_EQ(Px(doc.m_imgWork, 0, 0), 0u);           // visible, not current: not drawn
    EXPECT_EQ(Px(doc.m_imgWork, 1, 0), 0xFF0000BBu);  // hidden but current: drawn
    doc.m_bShowAllLayers = 1;
    doc.m_nCurrentLayer = 1;
    doc.ComposeAll(false);
    EXPECT_EQ(Px(doc.m_imgWork, 0, 0), 0xFF0000AAu);
    EXPECT_EQ(Px(doc.m_imgWork, 1, 0), 0u);  // hidden and not current
}

TEST(Compose, PastePreviewOpaqueFirstThenTransparentAboveAllLayers)
{
    CTesvanDoc doc;
    MakeDoc(doc, 32);
    for (int i : {0, 3, 7})
        Layer(doc, i);
    SetPx(Layer(doc, 11), 4, 2, 0xFF999999);  // top layer under the preview
    SetPx(Layer(doc, 11), 5, 2, 0xFF999999);
    Piece(doc, 0, 0, 0xFF0000A0, 0);
    Piece(doc, 1, 3, 0, 0xFF0000B0);
    Piece(doc, 2, 7, 0xFF0000C0, 0);
    doc.m_nSelState = SelState::Floating;
    doc.m_rcSel = CRect{4, 2, 5, 2};
    doc.m_bShift = 0;
    doc.ComposeAll(true);
    EXPECT_EQ(Px(doc.m_imgWork, 4, 2), 0xFF0000C0u);
    EXPECT_EQ(Px(doc.m_imgWork, 5, 2), 0xFF0000B0u);
    // The lowest piece alone is opaque: its 0 clears the stack.
    Piece(doc, 1, 3, 0, 0);
    doc.ComposeAll(true);
    EXPECT_EQ(Px(doc.m_imgWork, 5, 2), 0u);
    // A hidden layer that is not current drops its piece too.
    doc.m_Layers[7].m_bVisible = 0;
    doc.ComposeAll(true);
    EXPECT_EQ(Px(doc.m_imgWork, 4, 2), 0xFF0000A0u);
}

TEST(Compose, TransparentPreviewSitsRightAboveItsLayer)
{
    CTesvanDoc doc;
    MakeDoc(doc, 32);
    Layer(doc, 2);
    SetPx(Layer(doc, 6), 1, 1, 0xFF00AA00);  // above layer 2's piece
    Piece(doc, 0, 2, 0xFF0000A0, 0xFF0000A1);
    doc.m_nSelState = SelState::Floating;
    doc.m_rcSel = CRect{0, 1, 1, 1};
    doc.m_bShift = 1;
    // Shown even when the layer itself is not drawn.
    doc.m_bShowAllLayers = 0;
    doc.m_nCurrentLayer = 6;
    doc.ComposeAll(false);
    EXPECT_EQ(Px(doc.m_imgWork, 0, 1), 0xFF0000A0u);
    EXPECT_EQ(Px(doc.m_imgWork, 1, 1), 0xFF00AA00u);
}

TEST(Compose, EightBitLayersByColourOverAPaletteTable)
{
    CTesvanDoc doc;
    MakeDoc(doc, 8);
    for (int i = 0; i < 256; ++i)
        doc.m_Palette[i] = RGBQUAD{uint8_t(i), uint8_t(i / 2), 7, 0};
    doc.m_Palette[5] = doc.m_Palette[0];  // index 5 looks like index 0
    ASSERT_TRUE(doc.CreateWorkImage());
    EXPECT_EQ(doc.m_imgWork.GetTransparentColor(), 0);
    EXPECT_TRUE(std::equal(doc.m_Palette, doc.m_Palette + 256, doc.m_imgWork.ColorTable()));
    doc.m_Layers[3].m_nPage = 3;
    Layer(doc, 1).GetRow(0)[0] = 9;
    Layer(doc, 1).GetRow(0)[1] = 10;
    Layer(doc, 3).GetRow(0)[0] = 5;    // the key colour: layer 1 shows through
    Layer(doc, 3).GetRow(0)[1] = 115;  // own page entry
    doc.ComposeAll(true);
    EXPECT_EQ(doc.m_imgWork.GetRow(0)[0], 9);
    EXPECT_EQ(doc.m_imgWork.GetRow(0)[1], 115);
    EXPECT_EQ(doc.m_imgWork.GetRow(0)[2], 0);

    // An edited colour reaches the working image's table on request.
    doc.m_Palette[115] = RGBQUAD{1, 2, 3, 0};
    doc.RefreshWorkPalette();
    EXPECT_EQ(doc.m_imgWork.ColorTable()[115], (RGBQUAD{1, 2, 3, 0}));
}

TEST(Compose, ToolOverlayDrawnLastWhenAToolIsBusy)
{
    static int calls;
    calls = 0;
    CTesvanDoc::s_pfnDrawToolOverlay = [](CTesvanDoc& d, CImageEx& target) {
        ++calls;
        EXPECT_EQ(&target, &d.m_imgWork);
        SetPx(target, 0, 0, 0xFFABCDEF);
    };
    CTesvanDoc doc;
    MakeDoc(doc, 32);
    SetPx(Layer(doc, 0), 0, 0, 0xFF000001);
    doc.ComposeAll(true);
    EXPECT_EQ(calls, 0);
    doc.m_nButton = 1;
    doc.ComposeAll(true);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(Px(doc.m_imgWork, 0, 0), 0xFFABCDEFu);
    doc.m_nButton = 0;
    doc.m_strText = "a";
    doc.ComposeAll(true);
    EXPECT_EQ(calls, 2);
    CTesvanDoc::s_pfnDrawToolOverlay = nullptr;
}
