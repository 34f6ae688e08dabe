#include "doc/TesvanDoc.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

struct Recorder : CDocObserver {
    std::vector<int> hints;
    void OnUpdate(int hint) override { hints.push_back(hint); }
};

uint32_t Px(const CImageEx& img, int x, int y)
{
    uint32_t v;
    std::memcpy(&v, img.GetRow(y) + 4 * x, 4);
    return v;
}

void SetPx(CImageEx& img, int x, int y, uint32_t v) { std::memcpy(img.GetRow(y) + 4 * x, &v, 4); }

class PaletteEntryTest : public ::testing::Test {
protected:
    void Open(int bitCount)
    {
        doc.m_nBitCount = bitCount;
        doc.OnNewDocument();
        doc.AddView(&views);
    }
    CImageEx& Image(int layer)
    {
        CLayer& l = doc.m_Layers[layer];
        if (!l.m_pImage)
            l.CreateImage(doc.SheetWidth(), doc.SheetHeight(), doc.m_Palette, false,
                          doc.m_nBitCount);
        return *l.m_pImage;
    }

    CTesvanDoc doc;
    Recorder views;
};

TEST_F(PaletteEntryTest, ChangeRecoloursOnlyNonZeroPixelsOfTheCurrentLayer)
{
    Open(32);
    doc.m_Palette[70] = RGBQUAD{0x30, 0x20, 0x10, 0};  // red 0x10, green 0x20, blue 0x30
    CImageEx& cur = Image(0);
    CImageEx& other = Image(1);
    SetPx(cur, 0, 0, 0xFF102030);   // the old colour, opaque
    SetPx(cur, 1, 0, 0x40102030);   // the old colour, half transparent
    SetPx(cur, 2, 0, 0x00102030);   // the old colour with alpha 0: not the empty pixel
    SetPx(cur, 3, 0, 0xFF102031);   // another colour
    SetPx(other, 0, 0, 0xFF102030);
    doc.SetModifiedFlag(false);

    EXPECT_EQ(doc.ChangePaletteColor(70, RGB(0xAA, 0xBB, 0xCC)), 1);
    EXPECT_EQ(Px(cur, 0, 0), 0xFFAABBCCu);
    EXPECT_EQ(Px(cur, 1, 0), 0x40AABBCCu);
    EXPECT_EQ(Px(cur, 2, 0), 0x00AABBCCu);
    EXPECT_EQ(Px(cur, 3, 0), 0xFF102031u);
    EXPECT_EQ(Px(cur, 4, 0), 0u);  // empty stays empty
    EXPECT_EQ(Px(other, 0, 0), 0xFF102030u);
    EXPECT_EQ(doc.m_Palette[70], (RGBQUAD{0xCC, 0xBB, 0xAA, 0}));
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.m_nUndoCount, 1);
    EXPECT_EQ(views.hints.back(), 7);
}

TEST_F(PaletteEntryTest, EmptyPixelsStayEmptyWhenTheOldColourIsBlack)
{
    Open(32);
    doc.m_Palette[64] = RGBQUAD{0, 0, 0, 0};
    CImageEx& img = Image(0);
    SetPx(img, 1, 1, 0xFF000000);
    doc.ChangePaletteColor(64, RGB(255, 0, 0));
    EXPECT_EQ(Px(img, 1, 1), 0xFFFF0000u);
    EXPECT_EQ(Px(img, 0, 0), 0u);
}

TEST_F(PaletteEntryTest, SharedEntriesRecolourNothing)
{
    Open(32);
    doc.m_Palette[40] = RGBQUAD{0x30, 0x20, 0x10, 0};
    doc.m_Palette[63] = RGBQUAD{0x30, 0x20, 0x10, 0};
    CImageEx& img = Image(0);
    SetPx(img, 0, 0, 0xFF102030);
    EXPECT_EQ(doc.ChangePaletteColor(40, RGB(1, 2, 3)), 1);
    EXPECT_EQ(doc.ChangePaletteColor(63, RGB(1, 2, 3)), 1);
    EXPECT_EQ(Px(img, 0, 0), 0xFF102030u);
    EXPECT_EQ(doc.m_Palette[40], (RGBQUAD{3, 2, 1, 0}));
}

TEST_F(PaletteEntryTest, TheSameColourChangesNothing)
{
    Open(32);
    doc.m_Palette[100] = RGBQUAD{3, 2, 1, 7};
    doc.m_Gradations[10] = CGradationInfo{8, 1, 1, 1, 50};
    doc.SetModifiedFlag(false);
    EXPECT_EQ(doc.ChangePaletteColor(100, RGB(1, 2, 3)), 0);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.m_nUndoCount, 0);
    EXPECT_EQ(doc.m_Gradations[10].nCount, 8);
    EXPECT_TRUE(views.hints.empty());
    EXPECT_EQ(doc.ChangePaletteColor(256, RGB(1, 2, 3)), 0);
    EXPECT_EQ(doc.ChangePaletteColor(-1, RGB(1, 2, 3)), 0);
}

TEST_F(PaletteEntryTest, ForgetGradationClearsTheRecordThatCoversTheEntry)
{
    Open(32);
    const CGradationInfo eight{8, 1, 2, 3, 50}, sixteen{16, 1, 2, 3, 50};
    doc.m_Gradations[0] = eight;
    doc.ForgetGradation(20);
    EXPECT_EQ(doc.m_Gradations[0].nCount, 0);
    EXPECT_EQ(doc.m_Gradations[0].crLast, 0u);

    doc.m_Gradations[0] = sixteen;
    doc.ForgetGradation(28);  // record 1 is empty: the 16-colour run of record 0
    EXPECT_EQ(doc.m_Gradations[0].nCount, 0);

    doc.m_Gradations[0] = sixteen;
    doc.m_Gradations[1] = eight;
    doc.ForgetGradation(28);  // record 1 holds its own run
    EXPECT_EQ(doc.m_Gradations[0].nCount, 16);
    EXPECT_EQ(doc.m_Gradations[1].nCount, 0);

    doc.ForgetGradation(15);  // alpha levels: no records
    doc.ForgetGradation(255);
    EXPECT_EQ(doc.m_Gradations[0].nCount, 16);
    doc.m_Gradations[29] = eight;
    doc.ForgetGradation(255);
    EXPECT_EQ(doc.m_Gradations[29].nCount, 0);
}

TEST_F(PaletteEntryTest, EightBitChangeReachesLayerTablesAndTheWorkingImage)
{
    Open(8);
    doc.m_Layers[1].m_nPage = 1;
    CImageEx& own = Image(0);     // page 0: entries 64..79
    CImageEx& other = Image(1);   // page 1: entries 80..95
    other.GetRow(0)[0] = 70;
    const RGBQUAD otherBefore = other.ColorTable()[70];

    doc.ChangePaletteColor(70, RGB(10, 20, 30));
    const RGBQUAD want{30, 20, 10, 0};
    EXPECT_EQ(own.ColorTable()[70], want);
    EXPECT_EQ(other.ColorTable()[70], otherBefore);
    EXPECT_EQ(doc.m_imgWork.ColorTable()[70], want);
    EXPECT_EQ(own.GetTransparentColor(), 0);

    // A shared colour reaches every layer.
    doc.ChangePaletteColor(5, RGB(1, 2, 3));
    EXPECT_EQ(own.ColorTable()[5], (RGBQUAD{3, 2, 1, 0}));
    EXPECT_EQ(other.ColorTable()[5], (RGBQUAD{3, 2, 1, 0}));
    EXPECT_EQ(doc.m_imgWork.ColorTable()[5], (RGBQUAD{3, 2, 1, 0}));
    EXPECT_EQ(other.GetRow(0)[0], 70);  // indices never change

    // Undo brings the tables back as well.
    doc.Undo();
    doc.Undo();
    EXPECT_EQ(own.ColorTable()[70], (RGBQUAD{255, 255, 255, 0}));
    EXPECT_EQ(doc.m_imgWork.ColorTable()[70], (RGBQUAD{255, 255, 255, 0}));
}

TEST_F(PaletteEntryTest, SetPaletteEntryRecoloursTheGivenLayer)
{
    Open(32);
    doc.m_Palette[200] = RGBQUAD{0, 0, 255, 9};
    CImageEx& img = Image(7);
    SetPx(img, 2, 2, 0xC0FF0000);
    doc.SetPaletteEntry(doc.m_Layers[7], 200, RGB(0, 255, 0));
    EXPECT_EQ(Px(img, 2, 2), 0xC000FF00u);
    EXPECT_EQ(doc.m_Palette[200], (RGBQUAD{0, 255, 0, 0}));  // reserved byte 0
    EXPECT_EQ(doc.m_nUndoCount, 0);  // no undo of its own
}

}  // namespace

TEST_F(PaletteEntryTest, RecolouringMatchesTheRuleOnEveryPixelOfARaggedImage)
{
    // Widths that leave short tails after whole blocks; matching pixels
    // scattered among others, with every alpha.
    Open(32);
    for (int w : {1, 7, 13, 40}) {
        for (uint32_t from : {0x000000u, 0x102030u}) {
            CLayer layer;
            ASSERT_TRUE(layer.CreateImage(w, 5, doc.m_Palette, false, 32));
            CImageEx& img = *layer.m_pImage;
            uint32_t seed = 12345u + uint32_t(w);
            std::vector<uint32_t> before;
            for (int y = 0; y < 5; ++y)
                for (int x = 0; x < w; ++x) {
                    seed = seed * 1103515245u + 12345u;
                    const uint32_t a = (seed >> 8) & 0xFF000000u;
                    const int kind = int(seed >> 28) % 4;
                    const uint32_t p = kind == 0 ? 0u : kind == 3 ? (seed ^ 0x5A5A5Au) : a | from;
                    SetPx(img, x, y, p);
                    before.push_back(p);
                }
            doc.m_Palette[80] = RGBQUAD{uint8_t(from), uint8_t(from >> 8), uint8_t(from >> 16), 0};
            doc.SetPaletteEntry(layer, 80, RGB(0xAA, 0xBB, 0xCC));
            size_t k = 0;
            for (int y = 0; y < 5; ++y)
                for (int x = 0; x < w; ++x, ++k) {
                    const uint32_t p = before[k];
                    const uint32_t want =
                        p != 0 && (p & 0xFFFFFF) == from ? (p & 0xFF000000u) | 0xAABBCCu : p;
                    ASSERT_EQ(Px(*layer.m_pImage, x, y), want) << w << " " << x << "," << y;
                }
        }
    }
}
