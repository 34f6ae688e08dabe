#include "support/FakeUiPort.h"
#include "doc/TesvanDoc.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

std::string TempPath(const char* name)
{
    return (std::filesystem::temp_directory_path() / ("tesvan_palette_" + std::to_string(::getpid()) + name))
        .string();
}

std::vector<char> ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}

uint32_t Pixel(const CImageEx& img, int x, int y)
{
    uint32_t p;
    std::memcpy(&p, img.GetRow(y) + 4 * x, 4);
    return p;
}

void SetPixel(CImageEx& img, int x, int y, uint32_t p) { std::memcpy(img.GetRow(y) + 4 * x, &p, 4); }

void SetEntry(CTesvanDoc& doc, int n, int r, int g, int b)
{
    doc.m_Palette[n] = RGBQUAD{uint8_t(b), uint8_t(g), uint8_t(r), 0};
}

struct PaletteTest : ::testing::Test {
    CFakeUiPort ui;
    CTesvanDoc doc;
    void SetUp() override { ASSERT_TRUE(doc.OnNewDocument()); }
    CImageEx& MakeImage(int layer)
    {
        EXPECT_TRUE(doc.m_Layers[layer].CreateImage(doc.SheetWidth(), doc.SheetHeight(), doc.m_Palette,
                                                    false, doc.m_nBitCount));
        return *doc.m_Layers[layer].m_pImage;
    }
};

} // namespace

TEST_F(PaletteTest, AlphaLevelPickKeepsColourUnlessShift)
{
    ASSERT_EQ(doc.m_nBitCount, 32);
    CLayer& layer = doc.CurrentLayer();
    layer.m_nColor[0] = 20;
    doc.SetModifiedFlag(false);
    doc.SelectColor(5, 0, 1);     // grey 170
    EXPECT_EQ(layer.m_nAlpha[0], 85u << 24);
    EXPECT_EQ(layer.m_nColor[0], 20);
    EXPECT_TRUE(doc.IsModified());

    doc.m_bShift = 1;
    doc.SelectColor(5, 0, 1);
    EXPECT_EQ(layer.m_nColor[0], 5);

    // A slot that already holds an alpha level follows the pick.
    doc.m_bShift = 0;
    doc.SelectColor(7, 0, 1);
    EXPECT_EQ(layer.m_nColor[0], 7);
    EXPECT_EQ(layer.m_nAlpha[0], uint32_t(255 - doc.m_Palette[7].rgbRed) << 24);
    // The other slot is untouched.
    EXPECT_EQ(layer.m_nAlpha[1], 0u);
}

TEST_F(PaletteTest, EightBitPickAndPageRelativeEntries)
{
    doc.m_nBitCount = 8;
    CLayer& layer = doc.CurrentLayer();
    const uint32_t alpha = layer.m_nAlpha[1];
    doc.SelectColor(3, 1, 1);
    EXPECT_EQ(layer.m_nColor[1], 3);
    EXPECT_EQ(layer.m_nAlpha[1], alpha);

    layer.m_nPage = 4;
    doc.SelectColor(2, 0, 0);
    EXPECT_EQ(layer.m_nColor[0], 130);

    doc.SetModifiedFlag(false);
    doc.SelectColor(2, 0, 0);     // the same entry again changes nothing
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(PaletteTest, ChangeColourRecoloursOnlyTheCurrentLayersMatchingPixels)
{
    SetEntry(doc, 70, 10, 20, 30);
    CImageEx& img0 = MakeImage(0);
    CImageEx& img1 = MakeImage(1);
    SetPixel(img0, 0, 0, 0x800A141E);     // old colour, half alpha
    SetPixel(img0, 1, 0, 0xFF0A141F);     // another colour
    SetPixel(img0, 2, 0, 0);              // empty
    SetPixel(img1, 0, 0, 0xFF0A141E);
    ui.colours.push_back(RGB(200, 100, 50));
    doc.OnChangeColor(70, 1);
    EXPECT_EQ(Pixel(img0, 0, 0), 0x80C86432u);
    EXPECT_EQ(Pixel(img0, 1, 0), 0xFF0A141Fu);
    EXPECT_EQ(Pixel(img0, 2, 0), 0u);
    EXPECT_EQ(Pixel(img1, 0, 0), 0xFF0A141Eu);
    EXPECT_EQ(doc.m_Palette[70].rgbRed, 200);
    EXPECT_EQ(doc.m_nUndoCount, 1);

    // Below 64 nothing is recoloured; a cancelled chooser changes nothing.
    SetEntry(doc, 40, 1, 2, 3);
    SetPixel(img0, 3, 0, 0xFF010203);
    ui.colours.push_back(RGB(9, 9, 9));
    doc.OnChangeColor(40, 1);
    EXPECT_EQ(Pixel(img0, 3, 0), 0xFF010203u);
    doc.OnChangeColor(40, 1);
    EXPECT_EQ(doc.m_nUndoCount, 2);

    // The colour an entry already has: no undo entry, not modified.
    doc.SetModifiedFlag(false);
    ui.colours.push_back(RGB(9, 9, 9));
    doc.OnChangeColor(40, 1);
    EXPECT_EQ(doc.m_nUndoCount, 2);
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(PaletteTest, ChangingAnEntryForgetsItsGradation)
{
    doc.m_Gradations[0].nCount = 8;
    ui.colours.push_back(RGB(1, 1, 1));
    doc.OnChangeColor(20, 1);
    EXPECT_EQ(doc.m_Gradations[0].nCount, 0);

    doc.m_Gradations[0] = CGradationInfo{16, 1, 2, 3, 50};
    ui.colours.push_back(RGB(2, 2, 2));
    doc.OnChangeColor(28, 1);
    EXPECT_EQ(doc.m_Gradations[0].nCount, 0);
    EXPECT_EQ(doc.m_Gradations[0].crFirst, 0u);
}

TEST_F(PaletteTest, PaletteFileRoundTripsByteForByte)
{
    for (int i = 0; i < 256; ++i)
        doc.m_Palette[i] = RGBQUAD{uint8_t(i), uint8_t(255 - i), uint8_t(i * 7), uint8_t(i & 3)};
    for (int r = 0; r < 30; ++r)
        doc.m_Gradations[r] = CGradationInfo{r % 2 ? 8 : 16, uint32_t(r), uint32_t(r * 2), uint32_t(r * 3), 40 + r};
    const std::string path = TempPath("round.plt");
    ui.files.push_back(path);
    doc.OnSavePalette();
    std::vector<char> bytes = ReadAll(path);
    ASSERT_EQ(bytes.size(), 1624u);
    EXPECT_EQ(std::memcmp(bytes.data(), doc.m_Palette, 1024), 0);
    EXPECT_EQ(std::memcmp(bytes.data() + 1024, doc.m_Gradations, 600), 0);

    RGBQUAD saved[256];
    CGradationInfo records[30];
    std::memcpy(saved, doc.m_Palette, sizeof saved);
    std::memcpy(records, doc.m_Gradations, sizeof records);
    ASSERT_TRUE(doc.OnNewDocument());
    ui.colours.push_back(RGB(5, 5, 5));
    doc.OnChangeColor(100, 1);
    ASSERT_EQ(doc.m_nUndoCount, 1);
    doc.m_nBitCount = 8;
    ui.files.push_back(path);
    doc.OnLoadPalette();
    EXPECT_EQ(std::memcmp(doc.m_Palette, saved, sizeof saved), 0);      // reserved bytes too
    EXPECT_EQ(std::memcmp(doc.m_Gradations, records, sizeof records), 0);
    EXPECT_EQ(doc.m_nUndoCount, 2);
    EXPECT_EQ(doc.GetUndoName(), "パレット読込");
    std::filesystem::remove(path);
}

TEST_F(PaletteTest, LoadRecoloursLayerSlotsByTheirPosition)
{
    CImageEx& img = MakeImage(3);
    doc.m_Layers[3].m_nPage = 7;
    SetEntry(doc, 64 + 16 * 3, 1, 1, 1);      // page 3, entry 0
    SetEntry(doc, 64 + 16 * 7, 1, 1, 1);      // page 7, entry 0
    SetEntry(doc, 64 + 16 * 3 + 1, 2, 2, 2);
    SetPixel(img, 0, 0, 0xFF010101);
    SetPixel(img, 1, 0, 0x40020202);
    RGBQUAD file[256];
    std::memcpy(file, doc.m_Palette, sizeof file);
    file[64 + 16 * 3] = RGBQUAD{0, 0, 0xAA, 0};
    file[64 + 16 * 7] = RGBQUAD{0xBB, 0, 0, 0};
    // Entry 1's new colour is entry 0's old one: not recoloured twice.
    file[64 + 16 * 3 + 1] = RGBQUAD{1, 1, 1, 0};
    const std::string path = TempPath("slots.plt");
    {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(file), sizeof file);
        out.write(reinterpret_cast<const char*>(doc.m_Gradations), 600);
    }
    ASSERT_TRUE(doc.LoadPaletteFile(path));
    EXPECT_EQ(Pixel(img, 0, 0), 0xFFAA0000u);
    EXPECT_EQ(Pixel(img, 1, 0), 0x40010101u);
    std::filesystem::remove(path);
}

TEST_F(PaletteTest, ShortPaletteFileIsRefusedAndChangesNothing)
{
    const std::string path = TempPath("short.plt");
    {
        std::ofstream out(path, std::ios::binary);
        std::vector<char> bytes(1623, 7);
        out.write(bytes.data(), bytes.size());
    }
    ui.colours.push_back(RGB(5, 5, 5));
    doc.OnChangeColor(100, 1);
    RGBQUAD before[256];
    std::memcpy(before, doc.m_Palette, sizeof before);
    doc.SetModifiedFlag(false);
    ui.files.push_back(path);
    doc.OnLoadPalette();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], "データを読み込めませんでした。");
    EXPECT_EQ(std::memcmp(doc.m_Palette, before, sizeof before), 0);
    EXPECT_EQ(doc.m_nUndoCount, 1);
    EXPECT_FALSE(doc.IsModified());

    // A missing file ends silently.
    ui.files.push_back(path + ".missing");
    doc.OnLoadPalette();
    EXPECT_EQ(ui.messages.size(), 1u);
    std::filesystem::remove(path);
}

TEST_F(PaletteTest, PaletteCommandsDropTheSelectionFirst)
{
    doc.m_nSelState = 1;
    doc.m_rcSel = CRect{1, 1, 5, 5};
    doc.OnSavePalette();          // cancelled dialog
    EXPECT_EQ(doc.m_nSelState, 0);
    ASSERT_EQ(ui.fileRequests.size(), 1u);
    EXPECT_FALSE(ui.fileRequests[0].open);
    EXPECT_EQ(ui.fileRequests[0].filters[0].second, "*.plt");
}

TEST_F(PaletteTest, PaletteCommandsDiscardTypedTextAndRepaint)
{
    struct Hints : CDocObserver {
        std::vector<int> seen;
        void OnUpdate(int hint) override { seen.push_back(hint); }
    } view;
    doc.AddView(&view);
    doc.m_strText = "ab";
    doc.m_ptText = CPoint{3, 4};
    doc.OnLoadPalette();          // cancelled dialog
    doc.RemoveView(&view);
    EXPECT_TRUE(doc.m_strText.empty());
    EXPECT_EQ(doc.m_ptText, (CPoint{0, 0}));
    // The canvas is told, or it keeps showing the discarded text.
    ASSERT_FALSE(view.seen.empty());
    EXPECT_TRUE(view.seen[0] & HINT_CANVAS);
}
