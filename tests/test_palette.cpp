#include "support/FakeUiPort.h"
#include "doc/TesvanDoc.h"
#include "palette/PaletteFormats.h"

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

    // A missing file is reported with the system's reason.
    ui.files.push_back(path + ".missing");
    doc.OnLoadPalette();
    ASSERT_EQ(ui.messages.size(), 2u);
    const std::string reason = "short.plt.missing を読み込めませんでした。指定されたパスが見つかりません。";
    EXPECT_TRUE(ui.messages[1].ends_with(reason)) << ui.messages[1];
    EXPECT_EQ(std::memcmp(doc.m_Palette, before, sizeof before), 0);
    std::filesystem::remove(path);
}

TEST_F(PaletteTest, PaletteCommandsDropTheSelectionFirst)
{
    doc.m_nSelState = SelState::Selected;
    doc.m_rcSel = CRect{1, 1, 5, 5};
    doc.OnSavePalette();          // cancelled dialog
    EXPECT_EQ(doc.m_nSelState, SelState::None);
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

// ---------------------------------------------------------------- other editors' files

namespace {

void WriteText(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

uint32_t EntryOf(const CTesvanDoc& doc, int n)
{
    const RGBQUAD& e = doc.m_Palette[n];
    return RGB(e.rgbRed, e.rgbGreen, e.rgbBlue);
}

} // namespace

TEST(PaletteFormats, ReadersTakeFilesAsOtherEditorsWriteThem)
{
    CPaletteColours p;
    // GIMP: CRLF, a name, columns, comments, tabs and blanks, names of colours.
    ASSERT_TRUE(ReadGplPalette("GIMP Palette\r\nName: Sweetie 16\r\nColumns: 8\r\n#\r\n# made by hand\r\n"
                               " 26  28  44\tblack\r\n93 39 93 dark purple\r\n\r\n177\t62\t83\r\n",
                               p));
    EXPECT_EQ(p.name, "Sweetie 16");
    EXPECT_EQ(p.colours, (std::vector<uint32_t>{RGB(26, 28, 44), RGB(93, 39, 93), RGB(177, 62, 83)}));
    // No name, LF only, a byte order mark, a last line without its end.
    ASSERT_TRUE(ReadGplPalette("\xEF\xBB\xBFGIMP Palette\n  0   0   0\tUntitled\n255 255 255", p));
    EXPECT_EQ(p.name, "");
    EXPECT_EQ(p.colours, (std::vector<uint32_t>{RGB(0, 0, 0), RGB(255, 255, 255)}));
    // JASC: CRLF, an alpha value some writers add, a trailing blank line.
    ASSERT_TRUE(ReadJascPalette("JASC-PAL\r\n0100\r\n3\r\n255 0 0\r\n0 255 0\r\n0 0 255 255\r\n\r\n", p));
    EXPECT_EQ(p.colours, (std::vector<uint32_t>{RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)}));
    // Adobe: 768 bytes are 256 colours; the trailer gives count and
    // transparent index (0xFFFF: none).
    std::string act(772, '\0');
    act[3] = 'a';
    act[768 + 1] = 3;
    act[770 + 1] = 1;
    ASSERT_TRUE(ReadActPalette(act, p));
    EXPECT_EQ(p.colours, (std::vector<uint32_t>{0, RGB('a', 0, 0), 0}));
    EXPECT_EQ(p.transparent, 1);
    act[770] = act[771] = char(0xFF);
    ASSERT_TRUE(ReadActPalette(act, p));
    EXPECT_EQ(p.transparent, -1);
    ASSERT_TRUE(ReadActPalette(act.substr(0, 768), p));
    EXPECT_EQ(p.colours.size(), 256u);
    // Hex: CRLF, "#", either case, blank lines.
    ASSERT_TRUE(ReadHexPalette("FF0000\r\n#00ff00\n\n0000Ff\n", p));
    EXPECT_EQ(p.colours, (std::vector<uint32_t>{RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)}));

    EXPECT_EQ(PaletteFormatOfPath("a/B.GPL"), PaletteFormat::Gpl);
    EXPECT_EQ(PaletteFormatOfPath("b.pal"), PaletteFormat::Jasc);
    EXPECT_EQ(PaletteFormatOfPath("c.Act"), PaletteFormat::Act);
    EXPECT_EQ(PaletteFormatOfPath("d.hex"), PaletteFormat::Hex);
    EXPECT_EQ(PaletteFormatOfPath("e.plt"), PaletteFormat::Plt);
    EXPECT_EQ(PaletteFormatOfPath("f.gpl/g"), PaletteFormat::Plt);
    EXPECT_EQ(PaletteFormatToRead("h.txt", "GIMP Palette\n"), PaletteFormat::Gpl);
    EXPECT_EQ(PaletteFormatToRead("i", "JASC-PAL\r\n"), PaletteFormat::Jasc);
    // The editor's own files are never taken for text by their first bytes.
    EXPECT_EQ(PaletteFormatToRead("j.PLT", "GIMP Palette\n"), PaletteFormat::Plt);
}

TEST(PaletteFormats, ReadersRefuseMalformedFiles)
{
    const std::pair<PaletteFormat, std::string> bad[] = {
        {PaletteFormat::Gpl, ""},
        {PaletteFormat::Gpl, "GIMP Pal\n0 0 0\n"},
        {PaletteFormat::Gpl, "GIMP Palette\nName: empty\n"},
        {PaletteFormat::Gpl, "GIMP Palette\n256 0 0\n"},
        {PaletteFormat::Gpl, "GIMP Palette\n1 2\n"},
        {PaletteFormat::Gpl, "GIMP Palette\n-1 2 3\n"},
        {PaletteFormat::Gpl, "GIMP Palette\n12a 2 3\n"},
        {PaletteFormat::Jasc, "JASC-PAL\r\n0100\r\n3\r\n1 2 3\r\n4 5 6\r\n"},
        {PaletteFormat::Jasc, "JASC-PAL\n0200\n1\n1 2 3\n"},
        {PaletteFormat::Jasc, "JASC-PAL\n0100\n0\n"},
        {PaletteFormat::Jasc, "JASC-PAL\n0100\n99999999999999999999\n1 2 3\n"},
        {PaletteFormat::Jasc, "JASC-PAL\n0100\n1\n1 2 3 4 5\n"},
        {PaletteFormat::Act, ""},
        {PaletteFormat::Act, std::string(767, '\0')},
        {PaletteFormat::Act, std::string(771, '\0')},
        {PaletteFormat::Act, std::string(772, '\0')},                       // count 0
        {PaletteFormat::Act, std::string(768, '\0') + std::string("\x01\x01\0\0", 4)},  // 257
        {PaletteFormat::Hex, ""},
        {PaletteFormat::Hex, "FF00\n"},
        {PaletteFormat::Hex, "GG0000\n"},
        {PaletteFormat::Hex, "FF0000FF\n"},
        {PaletteFormat::Hex, "FF0000 red\n"},
    };
    for (const auto& [format, bytes] : bad) {
        CPaletteColours p;
        EXPECT_FALSE(ReadPaletteColours(format, bytes, p)) << int(format) << ": " << bytes;
    }
}

TEST(PaletteFormats, WritersReadBack)
{
    CPaletteColours p;
    for (int i = 0; i < 20; ++i)
        p.colours.push_back(RGB(i * 13, 255 - i, i * 7));
    p.name = "sheet";
    for (PaletteFormat f : {PaletteFormat::Gpl, PaletteFormat::Jasc, PaletteFormat::Act, PaletteFormat::Hex}) {
        SCOPED_TRACE(int(f));
        CPaletteColours back;
        ASSERT_TRUE(ReadPaletteColours(f, WritePaletteColours(f, p), back));
        EXPECT_EQ(back.colours, p.colours);
    }
    const std::string gpl = WritePaletteColours(PaletteFormat::Gpl, p);
    const std::string head = "GIMP Palette\nName: sheet\nColumns: 16\n#\n  0 255   0\tIndex 0\n";
    EXPECT_EQ(gpl.substr(0, head.size()), head);
    p.transparent = 1;
    EXPECT_EQ(WritePaletteColours(PaletteFormat::Act, p).size(), 772u);
    p.colours.resize(256);
    p.transparent = -1;
    EXPECT_EQ(WritePaletteColours(PaletteFormat::Act, p).size(), 768u);
}

TEST_F(PaletteTest, OtherEditorsFilesRoundTripTheColourEntries)
{
    for (int bits : {32, 8}) {
        for (const char* ext : {".gpl", ".pal", ".act", ".hex"}) {
            SCOPED_TRACE(std::to_string(bits) + ext);
            ASSERT_TRUE(doc.OnNewDocument());
            doc.m_nBitCount = bits;
            for (int i = 0; i < 256; ++i)
                SetEntry(doc, i, i, 255 - i, (i * 37) & 0xFF);
            RGBQUAD saved[256];
            std::memcpy(saved, doc.m_Palette, sizeof saved);
            const std::string path = TempPath((std::string("round") + ext).c_str());
            ASSERT_TRUE(doc.SavePaletteFile(path));
            for (int i = 0; i < 256; ++i)
                SetEntry(doc, i, 1, 2, 3);
            doc.SetModifiedFlag(false);
            ASSERT_TRUE(doc.LoadPaletteFile(path));
            const int first = bits == 8 ? 1 : 16;
            for (int i = 0; i < 256; ++i)
                EXPECT_EQ(EntryOf(doc, i), i < first ? RGB(1, 2, 3)
                                                     : RGB(saved[i].rgbRed, saved[i].rgbGreen, saved[i].rgbBlue))
                    << i;
            EXPECT_TRUE(doc.IsModified());
            EXPECT_TRUE(ui.messages.empty());
            std::filesystem::remove(path);
        }
    }
}

TEST_F(PaletteTest, SmallPaletteGoesIntoTheCurrentLayersPage)
{
    doc.m_nCurrentLayer = 2;
    doc.m_Layers[2].m_nPage = 5;
    CImageEx& img = MakeImage(2);
    CImageEx& other = MakeImage(7);
    const int page = (5 + 4) * 16;
    SetEntry(doc, page + 1, 9, 9, 9);
    SetPixel(img, 0, 0, 0x80090909);
    SetPixel(other, 0, 0, 0x80090909);
    ui.colours.push_back(RGB(5, 5, 5));
    doc.OnChangeColor(100, 1);
    const std::string path = TempPath("small.hex");
    WriteText(path, "102030\n405060\n");
    ui.files.push_back(path);
    doc.OnLoadPalette();
    EXPECT_EQ(EntryOf(doc, page), RGB(0x10, 0x20, 0x30));
    EXPECT_EQ(EntryOf(doc, page + 1), RGB(0x40, 0x50, 0x60));
    EXPECT_EQ(EntryOf(doc, page + 2), RGB(255, 255, 255));
    EXPECT_EQ(Pixel(img, 0, 0), 0x80405060u);     // the drawing follows its page
    EXPECT_EQ(Pixel(other, 0, 0), 0x80090909u);
    // One step on top of the colour change takes the load back, drawing too.
    EXPECT_EQ(doc.m_nUndoCount, 2);
    EXPECT_EQ(doc.GetUndoName(), "パレット読込");
    doc.Undo();
    EXPECT_EQ(EntryOf(doc, page + 1), RGB(9, 9, 9));
    EXPECT_EQ(Pixel(*doc.m_Layers[2].m_pImage, 0, 0), 0x80090909u);
    EXPECT_TRUE(ui.messages.empty());
    std::filesystem::remove(path);
}

TEST_F(PaletteTest, LargePaletteFillsTheColourEntriesAndCountsWhatIsDropped)
{
    std::string hex;
    char line[16];
    for (int i = 0; i < 300; ++i) {
        std::snprintf(line, sizeof line, "%02x%02x%02x\n", i & 0xFF, i >> 8, 7);
        hex += line;
    }
    const std::string path = TempPath("large.hex");
    WriteText(path, hex);
    doc.m_Gradations[0] = CGradationInfo{8, 1, 2, 3, 50};       // entries 16..23
    ASSERT_TRUE(doc.LoadPaletteFile(path));
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(doc.m_Palette[i].rgbRed, 255 - 17 * i);       // alpha levels stay
    EXPECT_EQ(EntryOf(doc, 16), RGB(0, 0, 7));
    EXPECT_EQ(EntryOf(doc, 255), RGB(239, 0, 7));
    EXPECT_EQ(doc.m_Gradations[0].nCount, 0);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], "パレットに入りきらない 60 色は読み込みませんでした。");

    // 8 bits: all but the transparency key; an Adobe table's transparent
    // colour stands for that key and is no colour.
    ASSERT_TRUE(doc.OnNewDocument());
    doc.m_nBitCount = 8;
    const RGBQUAD key = doc.m_Palette[0];
    std::string act(768, '\x11');
    act += std::string("\x01\x00\x00\x05", 4);
    WriteText(TempPath("t.act"), act);
    ui.messages.clear();
    ASSERT_TRUE(doc.LoadPaletteFile(TempPath("t.act")));
    EXPECT_EQ(doc.m_Palette[0], key);
    EXPECT_EQ(EntryOf(doc, 255), RGB(0x11, 0x11, 0x11));
    EXPECT_TRUE(ui.messages.empty());                           // 255 colours fit
    std::filesystem::remove(path);
    std::filesystem::remove(TempPath("t.act"));
}

TEST_F(PaletteTest, MalformedPaletteOfAnotherEditorChangesNothing)
{
    ui.colours.push_back(RGB(5, 5, 5));
    doc.OnChangeColor(100, 1);
    doc.SetModifiedFlag(false);
    RGBQUAD before[256];
    std::memcpy(before, doc.m_Palette, sizeof before);
    const std::string path = TempPath("bad.gpl");
    WriteText(path, "GIMP Palette\r\n10 20 30\r\n40 fifty 60\r\n");
    ui.files.push_back(path);
    doc.OnLoadPalette();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], "データを読み込めませんでした。");
    EXPECT_EQ(std::memcmp(doc.m_Palette, before, sizeof before), 0);
    EXPECT_EQ(doc.m_nUndoCount, 1);
    EXPECT_FALSE(doc.IsModified());
    // The dialog offers every form, the editor's own first.
    ASSERT_EQ(ui.fileRequests.size(), 1u);
    ASSERT_EQ(ui.fileRequests[0].filters.size(), 5u);
    EXPECT_EQ(ui.fileRequests[0].filters[0].second, "*.plt");
    std::filesystem::remove(path);
}
