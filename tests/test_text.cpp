#include "platform/Surface.h"
#include "platform/TextRaster.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr uint32_t kMark1 = 0x010101;

struct Canvas {
    int w, h;
    std::vector<uint32_t> px;
    PixelTarget t;
    Canvas(int width, int height) : w(width), h(height), px(size_t(width) * height, 0)
    {
        t.bits = reinterpret_cast<uint8_t*>(px.data());
        t.pitch = width * 4;
        t.width = width;
        t.height = height;
        t.bpp = 32;
    }
    uint32_t At(int x, int y) const { return px[size_t(y) * w + x]; }
    int Count() const
    {
        int n = 0;
        for (uint32_t v : px)
            n += v != 0;
        return n;
    }
    // Bounding box of the drawn pixels: left, top, right, bottom (inclusive).
    std::vector<int> Box() const
    {
        int l = w, t0 = h, r = -1, b = -1;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (At(x, y)) {
                    l = std::min(l, x);
                    r = std::max(r, x);
                    t0 = std::min(t0, y);
                    b = std::max(b, y);
                }
        return {l, t0, r, b};
    }
};

LogFont Font(const char* face, int height = -16)
{
    LogFont lf;
    lf.lfHeight = height;
    lf.lfWeight = 400;
    lf.lfFaceName = face;
    return lf;
}

const char* const kMsPGothic = "ＭＳ Ｐゴシック";
// "あいう" in code page 932.
const std::string kHiragana = "\x82\xa0\x82\xa2\x82\xa4";

} // namespace

TEST(TextRaster, OnlyExactColourPixels)
{
    Canvas c(120, 30);
    ASSERT_TRUE(TextOut(c.t, 2, 2, "Hello, Tesvan", Font(kMsPGothic), kMark1));
    int drawn = 0;
    for (uint32_t v : c.px) {
        ASSERT_TRUE(v == 0 || v == kMark1) << std::hex << v;
        drawn += v == kMark1;
    }
    EXPECT_GT(drawn, 50);
    // Top-left placement: nothing above or left of the origin.
    const auto box = c.Box();
    EXPECT_GE(box[0], 2);
    EXPECT_GE(box[1], 2);
    const SurfaceSize e = GetTextExtent("Hello, Tesvan", Font(kMsPGothic));
    EXPECT_LE(box[2], 2 + e.cx + 1);
    EXPECT_LE(box[3], 2 + e.cy - 1);
}

TEST(TextRaster, ExtentGrowsWithTheString)
{
    const LogFont lf = Font(kMsPGothic);
    const SurfaceSize e0 = GetTextExtent("", lf);
    const SurfaceSize e1 = GetTextExtent("A", lf);
    const SurfaceSize e2 = GetTextExtent("AB", lf);
    const SurfaceSize e3 = GetTextExtent("ABC", lf);
    EXPECT_EQ(e0.cx, 0);
    EXPECT_GT(e1.cx, 0);
    EXPECT_GT(e2.cx, e1.cx);
    EXPECT_GT(e3.cx, e2.cx);
    EXPECT_EQ(e0.cy, e3.cy);
    EXPECT_GE(e3.cy, 16);  // a 16-pixel em has a cell at least that tall
    EXPECT_LE(e3.cy, 24);
    // A larger font is wider and taller.
    const SurfaceSize big = GetTextExtent("ABC", Font(kMsPGothic, -32));
    EXPECT_GT(big.cx, e3.cx);
    EXPECT_GT(big.cy, e3.cy);
}

TEST(TextRaster, PositiveHeightIsTheCellHeight)
{
    for (int h : {12, 16, 21, 40})
        EXPECT_EQ(GetTextExtent("Ag", Font(kMsPGothic, h)).cy, h) << h;
    // The em of a cell-height font is smaller than the same number as an em.
    EXPECT_LT(GetTextExtent("MMMM", Font(kMsPGothic, 40)).cx,
              GetTextExtent("MMMM", Font(kMsPGothic, -40)).cx);
}

TEST(TextRaster, BoldIsHeavier)
{
    LogFont regular = Font(kMsPGothic);
    LogFont bold = regular;
    bold.lfWeight = 700;
    Canvas a(200, 30), b(200, 30);
    ASSERT_TRUE(TextOut(a.t, 0, 0, "Bold text", regular, kMark1));
    ASSERT_TRUE(TextOut(b.t, 0, 0, "Bold text", bold, kMark1));
    EXPECT_GT(b.Count(), a.Count());
    EXPECT_GE(GetTextExtent("Bold text", bold).cx, GetTextExtent("Bold text", regular).cx);
}

TEST(TextRaster, ItalicUnderlineAndStrikeOut)
{
    const LogFont plain = Font(kMsPGothic);
    Canvas p(100, 30);
    TextOut(p.t, 0, 0, "Ill", plain, kMark1);

    LogFont italic = plain;
    italic.lfItalic = 1;
    Canvas i(100, 30);
    TextOut(i.t, 0, 0, "Ill", italic, kMark1);
    EXPECT_NE(i.px, p.px);

    // Underline: one full row across the text's width below the glyphs.
    LogFont under = plain;
    under.lfUnderline = 1;
    Canvas u(100, 30);
    TextOut(u.t, 0, 0, "Ill", under, kMark1);
    const int width = GetTextExtent("Ill", plain).cx;
    const int cell = GetTextExtent("Ill", plain).cy;
    int fullRows = 0;
    for (int y = 0; y < cell; ++y) {
        bool full = true;
        for (int x = 0; x < width; ++x)
            full = full && u.At(x, y) == kMark1;
        if (full) {
            fullRows += 1;
            EXPECT_GT(y, cell / 2);
        }
        EXPECT_EQ(u.At(width, y), p.At(width, y));
    }
    EXPECT_GE(fullRows, 1);

    LogFont strike = plain;
    strike.lfStrikeOut = 1;
    Canvas s(100, 30);
    TextOut(s.t, 0, 0, "Ill", strike, kMark1);
    int strikeRow = -1;
    for (int y = 0; y < cell && strikeRow < 0; ++y) {
        bool full = true;
        for (int x = 0; x < width; ++x)
            full = full && s.At(x, y) == kMark1;
        if (full)
            strikeRow = y;
    }
    EXPECT_GT(strikeRow, 0);
    EXPECT_LT(strikeRow, cell * 3 / 4);
}

TEST(TextRaster, JapaneseBytesRenderGlyphs)
{
    const LogFont lf = Font(kMsPGothic);
    Canvas c(80, 30);
    ASSERT_TRUE(TextOut(c.t, 0, 0, kHiragana, lf, kMark1));
    EXPECT_GT(c.Count(), 60);
    const SurfaceSize e = GetTextExtent(kHiragana, lf);
    // Three full-width glyphs of about one em each, not six byte-sized ones.
    EXPECT_GE(e.cx, 3 * 10);
    EXPECT_LE(e.cx, 3 * 18);
    // The three glyphs differ from each other (no boxes for missing glyphs).
    Canvas a(30, 30), i(30, 30);
    TextOut(a.t, 0, 0, "\x82\xa0", lf, kMark1);
    TextOut(i.t, 0, 0, "\x82\xa2", lf, kMark1);
    EXPECT_NE(a.px, i.px);
}

TEST(TextRaster, AbsentFaceFallsBackToJapaneseGothic)
{
    Canvas missing(80, 30), ipa(80, 30);
    ASSERT_TRUE(TextOut(missing.t, 0, 0, kHiragana, Font("No Such Face 4711"), kMark1));
    ASSERT_TRUE(TextOut(ipa.t, 0, 0, kHiragana, Font("IPAPGothic"), kMark1));
    EXPECT_GT(missing.Count(), 60);
    EXPECT_EQ(missing.px, ipa.px);
    // The fixed-pitch gothic name falls back to the fixed-pitch face.
    EXPECT_EQ(GetTextExtent("il", Font("ＭＳ ゴシック")).cx,
              GetTextExtent("il", Font("IPAGothic")).cx);
    EXPECT_EQ(GetTextExtent("il", Font("")).cx, GetTextExtent("il", Font("IPAPGothic")).cx);
}

TEST(TextRaster, ClippedAndIndexedTargets)
{
    Canvas c(10, 6);
    EXPECT_TRUE(TextOut(c.t, -5, -8, "WWWW", Font(kMsPGothic), kMark1));
    EXPECT_TRUE(TextOut(c.t, 100000, 5, "W", Font(kMsPGothic), kMark1));
    for (uint32_t v : c.px)
        EXPECT_TRUE(v == 0 || v == kMark1);

    // On an 8-bit target the text takes the index of its colour.
    std::vector<uint8_t> bits(32 * 20, 0);
    std::vector<uint8_t> table(1024, 0);
    table[4 * 9 + 2] = 255;  // entry 9 is red
    PixelTarget t{bits.data(), 32, 32, 20, 8, table.data()};
    ASSERT_TRUE(TextOut(t, 0, 0, "A", Font(kMsPGothic), 0x0000FF));
    int nine = 0;
    for (uint8_t v : bits) {
        EXPECT_TRUE(v == 0 || v == 9);
        nine += v == 9;
    }
    EXPECT_GT(nine, 10);
}

TEST(TextRaster, SurfaceUsesSelectedFontAndColour)
{
    Canvas a(60, 20), b(60, 20);
    CSurface s(a.t);
    s.SelectFont(Font(kMsPGothic));
    s.SetTextColor(0x020202);
    s.TextOut(3, 1, "Abc");
    TextOut(b.t, 3, 1, "Abc", Font(kMsPGothic), 0x020202);
    EXPECT_EQ(a.px, b.px);
    EXPECT_EQ(s.GetTextExtent("Abc").cx, GetTextExtent("Abc", Font(kMsPGothic)).cx);
}

TEST(TextRaster, MissingGlyphsComeFromTheJapaneseFace)
{
    // A Latin face lacks kana: they are drawn from the gothic face instead of boxes.
    Canvas latin(40, 30), ipa(40, 30);
    ASSERT_TRUE(TextOut(latin.t, 0, 0, "\x82\xa0", Font("DejaVu Sans"), kMark1));
    ASSERT_TRUE(TextOut(ipa.t, 0, 0, "\x82\xa0", Font("IPAPGothic"), kMark1));
    EXPECT_EQ(latin.Count(), ipa.Count());
    EXPECT_EQ(latin.Box()[2] - latin.Box()[0], ipa.Box()[2] - ipa.Box()[0]);
    EXPECT_EQ(GetTextExtent("\x82\xa0", Font("DejaVu Sans")).cx,
              GetTextExtent("\x82\xa0", Font("IPAPGothic")).cx);
    // Latin letters still come from the chosen face.
    EXPECT_NE(GetTextExtent("iiii", Font("DejaVu Sans")).cx,
              GetTextExtent("iiii", Font("IPAPGothic")).cx);
}

TEST(TextRaster, WidthScalesGlyphsHorizontally)
{
    LogFont narrow = Font(kMsPGothic);
    narrow.lfWidth = 4;
    LogFont wide = Font(kMsPGothic);
    wide.lfWidth = 16;
    const SurfaceSize n = GetTextExtent("MMMM", narrow), d = GetTextExtent("MMMM", Font(kMsPGothic)),
                      w = GetTextExtent("MMMM", wide);
    EXPECT_LT(n.cx, d.cx);
    EXPECT_GT(w.cx, d.cx);
    EXPECT_EQ(n.cy, d.cy);
    EXPECT_EQ(w.cy, d.cy);
}
