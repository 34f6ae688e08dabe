#include "doc/BlitRows.h"
#include "doc/Composite.h"

#include <gtest/gtest.h>

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
