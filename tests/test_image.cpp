#include "doc/kernels/RowKernels.h"
#include "doc/ImageEx.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>

TEST(ImageEx, CreatedClearedBottomUp)
{
    CImageEx img;
    ASSERT_TRUE(img.CreateEx(3, 2, 8));
    EXPECT_EQ(img.GetPitch(), -4);
    EXPECT_EQ(img.GetRow(1) - img.GetRow(0), -4);
    EXPECT_EQ(img.GetRow(0)[0], 0);
    img.Destroy();
    EXPECT_TRUE(img.IsNull());
    EXPECT_EQ(img.GetTransparentColor(), -1);
}

namespace {

RGBQUAD Q(int r, int g, int b) { return RGBQUAD{uint8_t(b), uint8_t(g), uint8_t(r), 0}; }

uint32_t Px(const CImageEx& img, int x, int y)
{
    uint32_t v;
    std::memcpy(&v, img.GetRow(y) + 4 * x, 4);
    return v;
}

void SetPx(CImageEx& img, int x, int y, uint32_t v) { std::memcpy(img.GetRow(y) + 4 * x, &v, 4); }

// A 4 x 1 8-bit layer-like image: entry 0 black (the key), 5 black too,
// 3 red, 7 green.
void MakeKeyed(CImageEx& img)
{
    ASSERT_TRUE(img.CreateEx(4, 1, 8));
    RGBQUAD t[8] = {Q(0, 0, 0), Q(1, 1, 1), Q(2, 2, 2), Q(255, 0, 0),
                    Q(4, 4, 4), Q(0, 0, 0), Q(6, 6, 6), Q(0, 255, 0)};
    img.SetColorTable(0, 8, t);
    img.SetTransparentColor(0);
    const uint8_t px[4] = {0, 5, 3, 7};
    std::memcpy(img.GetRow(0), px, 4);
}

}  // namespace

TEST(ImageExDraw, KeyedEightBitSkipsEveryIndexOfTheKeyColour)
{
    CImageEx src, dst;
    MakeKeyed(src);
    ASSERT_TRUE(dst.CreateEx(4, 1, 8));
    // Destination table: red at 9, green at 7 and again at 8, a near-white
    // at 1; its pixels all index 2.
    RGBQUAD t[10] = {Q(0, 0, 0), Q(250, 250, 250), Q(9, 9, 9), {}, {}, {}, {},
                     Q(0, 255, 0), Q(0, 255, 0), Q(255, 0, 0)};
    dst.SetColorTable(0, 10, t);
    std::memset(dst.GetRow(0), 2, 4);
    ASSERT_TRUE(src.Draw(dst, 0, 0, 4, 1, 0, 0, 4, 1));
    const uint8_t* r = dst.GetRow(0);
    EXPECT_EQ(r[0], 2);  // index 0: key
    EXPECT_EQ(r[1], 2);  // index 5 has the key colour: skipped as well
    EXPECT_EQ(r[2], 9);  // red found by colour
    EXPECT_EQ(r[3], 7);  // green kept at its own index where the colour agrees
}

TEST(ImageExDraw, EightBitMapsToTheNearestColourWhenNoneMatches)
{
    CImageEx src, dst;
    ASSERT_TRUE(src.CreateEx(1, 1, 8));
    RGBQUAD s[2] = {Q(0, 0, 0), Q(200, 10, 10)};
    src.SetColorTable(0, 2, s);
    src.GetRow(0)[0] = 1;
    ASSERT_TRUE(dst.CreateEx(1, 1, 8));
    RGBQUAD d[3] = {Q(0, 0, 0), Q(0, 0, 250), Q(250, 0, 0)};
    dst.SetColorTable(0, 3, d);
    ASSERT_TRUE(src.Draw(dst, 0, 0, 1, 1, 0, 0, 1, 1));
    EXPECT_EQ(dst.GetRow(0)[0], 2);
}

TEST(ImageExDraw, EightBitIntoThirtyTwoWritesOpaqueColours)
{
    CImageEx src, dst;
    MakeKeyed(src);
    ASSERT_TRUE(dst.CreateEx(4, 1, 32, CImageEx::createAlphaChannel));
    for (int x = 0; x < 4; ++x)
        SetPx(dst, x, 0, 0x12345678);
    ASSERT_TRUE(src.Draw(dst, 0, 0, 4, 1, 0, 0, 4, 1));
    EXPECT_EQ(Px(dst, 0, 0), 0x12345678u);
    EXPECT_EQ(Px(dst, 1, 0), 0x12345678u);
    EXPECT_EQ(Px(dst, 2, 0), 0xFFFF0000u);
    EXPECT_EQ(Px(dst, 3, 0), 0xFF00FF00u);
}

TEST(ImageExDraw, AlphaBlendTakesTheSourceAsPremultiplied)
{
    CImageEx src, dst;
    ASSERT_TRUE(src.CreateEx(3, 1, 32, CImageEx::createAlphaChannel));
    ASSERT_TRUE(dst.CreateEx(3, 1, 32, CImageEx::createAlphaChannel));
    SetPx(src, 0, 0, 0x00000000);  // fully transparent: destination kept
    SetPx(src, 1, 0, 0xFF102030);  // opaque: replaces
    SetPx(src, 2, 0, 0x80400000);  // half red, premultiplied
    for (int x = 0; x < 3; ++x)
        SetPx(dst, x, 0, 0xFFFFFFFF);
    ASSERT_TRUE(src.Draw(dst, 0, 0, 3, 1, 0, 0, 3, 1));
    EXPECT_EQ(Px(dst, 0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(Px(dst, 1, 0), 0xFF102030u);
    // 255 * 127 / 255 = 127 kept of white, plus the source.
    EXPECT_EQ(Px(dst, 2, 0), 0xFF000000u | (0x40u + 127) << 16 | 127u << 8 | 127u);
}

TEST(ImageExDraw, PlainStretchIsNearestNeighbourAndClipsToBothImages)
{
    CImageEx src, dst;
    ASSERT_TRUE(src.CreateEx(2, 2, 32));
    SetPx(src, 0, 0, 1);
    SetPx(src, 1, 0, 2);
    SetPx(src, 0, 1, 3);
    SetPx(src, 1, 1, 4);
    ASSERT_TRUE(dst.CreateEx(3, 3, 32));
    // 4 x 4 at (-1, -1): only the lower right 3 x 3 lands.
    ASSERT_TRUE(src.Draw(dst, -1, -1, 4, 4, 0, 0, 2, 2));
    const uint32_t want[3][3] = {{1, 2, 2}, {3, 4, 4}, {3, 4, 4}};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(Px(dst, x, y), want[y][x]) << x << "," << y;
    // A source rectangle hanging off the source writes only what exists.
    CImageEx d2;
    ASSERT_TRUE(d2.CreateEx(3, 1, 32));
    ASSERT_TRUE(src.Draw(d2, 0, 0, 3, 1, 1, 0, 3, 1));
    EXPECT_EQ(Px(d2, 0, 0), 2u);
    EXPECT_EQ(Px(d2, 1, 0), 0u);
}

TEST(ImageExDraw, NothingIsWrittenIntoOrFromAMissingImage)
{
    CImageEx src, none;
    ASSERT_TRUE(src.CreateEx(2, 2, 32));
    EXPECT_FALSE(src.Draw(none, 0, 0, 2, 2, 0, 0, 2, 2));
    EXPECT_FALSE(src.BitBlt(none, 2, 2));
    EXPECT_FALSE(none.Draw(src, 0, 0, 2, 2, 0, 0, 2, 2));
}

TEST(ImageExDraw, BitBltBetweenEqualTablesKeepsIndicesOfRepeatedColours)
{
    CImageEx src, dst;
    ASSERT_TRUE(src.CreateEx(3, 1, 8));
    ASSERT_TRUE(dst.CreateEx(5, 1, 8));
    const uint8_t px[3] = {0, 200, 7};  // 200 and 0 are both black
    std::memcpy(src.GetRow(0), px, 3);
    src.SetTransparentColor(0);  // BitBlt ignores the key
    ASSERT_TRUE(src.BitBlt(dst, 3, 1));
    EXPECT_EQ(std::memcmp(dst.GetRow(0), px, 3), 0);
}

TEST(ImageExDraw, WideKeyedRowsMatchPixelByPixelRule)
{
    // Wide enough for the 16-pixel kernel, with a tail.
    const int w = 53;
    CImageEx src, dst;
    ASSERT_TRUE(src.CreateEx(w, 2, 8));
    ASSERT_TRUE(dst.CreateEx(w, 2, 8));
    RGBQUAD t[256];
    for (int i = 0; i < 256; ++i)
        t[i] = Q(i, 255 - i, i / 2);
    src.SetColorTable(0, 256, t);
    dst.SetColorTable(0, 256, t);
    src.SetTransparentColor(0);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < w; ++x) {
            src.GetRow(y)[x] = uint8_t((x * 7 + y) % 5 == 0 ? 0 : x + 3 * y);
            dst.GetRow(y)[x] = 99;
        }
    for (int level : {0, 1, 2, -1}) {
        if (!blit::SelectMapKernel(level))
            continue;
        for (int y = 0; y < 2; ++y)
            std::memset(dst.GetRow(y), 99, w);
        ASSERT_TRUE(src.Draw(dst, 0, 0, w, 2, 0, 0, w, 2));
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < w; ++x) {
                const int s = src.GetRow(y)[x];
                EXPECT_EQ(dst.GetRow(y)[x], s == 0 ? 99 : s) << x << "," << y << " kernel " << level;
            }
    }
}

void CheckColourRule(const CImageEx& s, const CImageEx& d, const RGBQUAD* src,
                     const RGBQUAD* dst, int w);

TEST(ImageExDraw, WideKeyedRowsWithDifferingTablesFollowTheColourRule)
{
    // Tables that agree on 0..63 and 112..127 only (a layer on page 3 against
    // the working image), index 9 carrying the key colour, and rows mixing
    // all of them so every kernel path runs.
    const int w = 301;
    RGBQUAD src[256], dst[256];
    for (int i = 0; i < 256; ++i) {
        dst[i] = Q(i, (i * 7) & 0xFF, 255 - i);
        src[i] = (i < 64 || (i >= 112 && i < 128)) ? dst[i] : Q(255 - i, i, (i * 3) & 0xFF);
    }
    src[9] = src[0];
    CImageEx s, d;
    ASSERT_TRUE(s.CreateEx(w, 3, 8));
    ASSERT_TRUE(d.CreateEx(w, 3, 8));
    s.SetColorTable(0, 256, src);
    d.SetColorTable(0, 256, dst);
    s.SetTransparentColor(0);
    uint32_t seed = 5;
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < w; ++x) {
            seed = seed * 1103515245 + 12345;
            const int r = int(seed >> 16) % 16;
            // Long runs of 0 and of in-run indices, with strays.
            const int block = (x / 40 + y) % 3;
            s.GetRow(y)[x] = uint8_t(block == 0 ? 0 : block == 1 ? 112 + r : r == 0 ? 9 : r * 13);
            d.GetRow(y)[x] = 200;
        }
    CImageEx orig;
    ASSERT_TRUE(orig.CreateEx(w, 3, 8));
    orig.SetColorTable(0, 256, dst);
    ASSERT_TRUE(d.BitBlt(orig, w, 3));
    for (int level : {0, 1, 2, -1})
        if (blit::SelectMapKernel(level)) {
            ASSERT_TRUE(orig.BitBlt(d, w, 3));
            ASSERT_TRUE(s.Draw(d, 0, 0, w, 3, 0, 0, w, 3));
            CheckColourRule(s, d, src, dst, w);
        }
}

void CheckColourRule(const CImageEx& s, const CImageEx& d, const RGBQUAD* src,
                     const RGBQUAD* dst, int w)
{
    auto dist = [](const RGBQUAD& a, const RGBQUAD& b) {
        const int dr = a.rgbRed - b.rgbRed, dg = a.rgbGreen - b.rgbGreen,
                  db = a.rgbBlue - b.rgbBlue;
        return dr * dr + dg * dg + db * db;
    };
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < w; ++x) {
            const int si = s.GetRow(y)[x], di = d.GetRow(y)[x];
            const RGBQUAD c = src[si];
            if (dist(c, src[0]) == 0) {
                EXPECT_EQ(di, 200) << x << "," << y;  // the key colour, whatever its index
                continue;
            }
            int best = INT32_MAX;
            for (int k = 0; k < 256; ++k)
                best = std::min(best, dist(dst[k], c));
            EXPECT_EQ(dist(dst[di], c), best) << x << "," << y;
            if (best == 0 && dst[si] == c) {
                EXPECT_EQ(di, si) << "an exact colour keeps its index";
            }
        }
}

TEST(ImageEx, LargeImagesAreClearedAndFreedToo)
{
    // Large storage is mapped rather than allocated: it must come cleared
    // every time, and be released by Destroy and by re-creation.
    const int before = CImageEx::LiveCount();
    {
        CImageEx img;
        for (int round = 0; round < 3; ++round) {
            ASSERT_TRUE(img.CreateEx(1024, 700, 32, CImageEx::createAlphaChannel));
            for (int y : {0, 350, 699})
                for (int x : {0, 511, 1023}) {
                    uint32_t v;
                    std::memcpy(&v, img.GetRow(y) + 4 * x, 4);
                    ASSERT_EQ(v, 0u);
                    v = 0xDEADBEEF;
                    std::memcpy(img.GetRow(y) + 4 * x, &v, 4);
                }
        }
        img.Destroy();
        EXPECT_TRUE(img.IsNull());
        EXPECT_TRUE(img.CreateEx(2000, 2000, 8));
        EXPECT_EQ(img.GetRow(1999)[1999], 0);
    }
    EXPECT_EQ(CImageEx::LiveCount(), before);
}

TEST(ImageExDraw, OverlappingDrawWithinOneImageReadsTheOldPixels)
{
    CImageEx img;
    ASSERT_TRUE(img.CreateEx(40, 1, 8));
    for (int x = 0; x < 40; ++x)
        img.GetRow(0)[x] = uint8_t(x);
    ASSERT_TRUE(img.Draw(img, 1, 0, 39, 1, 0, 0, 39, 1));
    for (int x = 1; x < 40; ++x)
        ASSERT_EQ(img.GetRow(0)[x], x - 1);
}
