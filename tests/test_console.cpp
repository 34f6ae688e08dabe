// Console products decoded back into pixels with decoders written from the
// consoles' documented layouts, for every target, and compared with the
// composed sheet; the rules the check enforces; the colour precision.
#include "support/FakeUiPort.h"
#include "console/ConsoleExport.h"
#include "doc/TesvanDoc.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sys/stat.h>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes ReadFile(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), {});
}

// The documented layout of each target, independent of the writer's table.
struct Layout {
    const char* name;
    int firstBank;
    int tileForm;          // 0 low nibble left, 1 high nibble left, 2 planar
    bool entryBE;
    uint32_t tileMask;
    int h, v;              // -1: none
    int bankShift;
    uint32_t bankMask;
    bool colourBE;
    int bits, r, g, b;
    int banks;
};
const Layout kLayouts[] = {
    {"gba", 0, 0, false, 0x3FF, 10, 11, 12, 15, false, 5, 0, 5, 10, 16},
    {"snes", 4, 2, false, 0x3FF, 14, 15, 10, 7, false, 5, 0, 5, 10, 8},
    {"md", 4, 1, true, 0x7FF, 11, 12, 13, 3, true, 3, 1, 5, 9, 4},
    {"pce", 0, 2, false, 0xFFF, -1, -1, 12, 15, false, 3, 3, 6, 0, 16},
};

int TilePixel(const Layout& l, const uint8_t* t, int x, int y)
{
    switch (l.tileForm) {
    case 0: return (t[4 * y + x / 2] >> (x % 2 ? 4 : 0)) & 15;
    case 1: return (t[4 * y + x / 2] >> (x % 2 ? 0 : 4)) & 15;
    default: {
        int c = 0;
        for (int k = 0; k < 4; ++k) {
            const int at = (k < 2 ? 0 : 16) + 2 * y + (k & 1);
            c |= ((t[at] >> (7 - x)) & 1) << k;
        }
        return c;
    }
    }
}

uint32_t Word(const Bytes& b, size_t i, bool be)
{
    return be ? uint32_t(b[2 * i]) << 8 | b[2 * i + 1] : uint32_t(b[2 * i + 1]) << 8 | b[2 * i];
}

class Console : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/tesvan-console-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
    }
    void TearDown() override { std::system(("rm -rf '" + dir + "'").c_str()); }

    // An 8-bit sheet of 4 x 2 cells of 16 x 16: layer 0 draws in bank 4
    // (page 0), layer 1 in bank 5 (page 1); tiles repeat, mirrored and not.
    void Make(int cell = 16)
    {
        doc.m_nBitCount = 8;
        doc.m_nColumns = 4;
        doc.m_nRows = 2;
        doc.m_nCellWidth = doc.m_nCellHeight = cell;
        ASSERT_TRUE(doc.OnNewDocument());
        for (int n = 0; n < 256; ++n)
            doc.m_Palette[n] = RGBQUAD{uint8_t(n), uint8_t(255 - n), uint8_t(n * 7 + 3), 0};
        const int w = 4 * cell, h = 2 * cell;
        for (int k : {0, 1})
            ASSERT_TRUE(doc.m_Layers[k].CreateImage(w, h, doc.m_Palette, false, 8));
        ASSERT_TRUE(doc.CreateWorkImage());
        uint32_t seed = 7;
        auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 16; };
        uint8_t base[8][8];
        for (auto& row : base)
            for (uint8_t& c : row)
                c = uint8_t(next() % 16);     // colour 0 included: transparent
        for (int ty = 0; ty < h / 8; ++ty)
            for (int tx = 0; tx < w / 8; ++tx) {
                const int kind = (tx + 3 * ty) % 6;
                if (kind == 5)
                    continue;                 // an empty tile
                const int layer = (tx / 2 + ty) % 2;
                const int bank = 4 + layer;
                for (int y = 0; y < 8; ++y)
                    for (int x = 0; x < 8; ++x) {
                        const int sx = kind == 1 || kind == 3 ? 7 - x : x;
                        const int sy = kind == 2 || kind == 3 ? 7 - y : y;
                        int c = base[sy][sx];
                        if (kind == 4)
                            c = int(next() % 16);
                        doc.m_Layers[layer].m_pImage->GetRow(ty * 8 + y)[tx * 8 + x] =
                            uint8_t(c ? bank * 16 + c : (x + y) % 2 ? bank * 16 : 0);
                    }
            }
        doc.ComposeAll(true);
    }

    int Work(int x, int y) const { return doc.m_imgWork.GetRow(y)[x]; }

    CFakeUiPort ui;
    CTesvanDoc doc;
    std::string dir;
};

// Every target and dedupe: the files decode into the composed sheet.
TEST_F(Console, WrittenFilesDecodeIntoTheComposedSheet)
{
    Make();
    for (const Layout& l : kLayouts)
        for (const char* dedupe : {"none", "exact", "flip"}) {
            SCOPED_TRACE(std::string(l.name) + " " + dedupe);
            ConsoleExportRequest r;
            r.out = dir + "/" + l.name + "-" + dedupe;
            r.target = FindConsoleTarget(l.name);
            ASSERT_TRUE(r.target);
            ASSERT_TRUE(ParseConsoleDedupe(dedupe, r.dedupe));
            std::vector<std::string> lines;
            std::string error;
            ASSERT_EQ(ExportConsole(doc, r, lines, error), ConsoleExportResult::Ok) << error;
            const Bytes tiles = ReadFile(r.out + ".tiles.bin");
            const Bytes map = ReadFile(r.out + ".map.bin");
            const Bytes pal = ReadFile(r.out + ".pal.bin");
            const int mw = 4 * 16 / 8, mh = 2 * 16 / 8;
            ASSERT_EQ(map.size(), size_t(2 * mw * mh));
            ASSERT_EQ(tiles.size() % 32, 0u);
            const size_t count = tiles.size() / 32;
            // 32 tiles: 5 empty ones, and a base tile in four orientations.
            if (std::string(dedupe) == "none") {
                EXPECT_EQ(count, 32u);
            } else if (std::string(dedupe) == "flip" && l.h >= 0) {
                EXPECT_LT(count, 20u);
            }
            for (int my = 0; my < mh; ++my)
                for (int mx = 0; mx < mw; ++mx) {
                    const uint32_t e = Word(map, size_t(my * mw + mx), l.entryBE);
                    const uint32_t t = e & l.tileMask;
                    ASSERT_LT(t, count);
                    const bool h = l.h >= 0 && (e >> l.h) & 1, v = l.v >= 0 && (e >> l.v) & 1;
                    const int bank = int((e >> l.bankShift) & l.bankMask);
                    for (int y = 0; y < 8; ++y)
                        for (int x = 0; x < 8; ++x) {
                            const int c = TilePixel(l, tiles.data() + 32 * t, h ? 7 - x : x, v ? 7 - y : y);
                            const int i = Work(mx * 8 + x, my * 8 + y);
                            ASSERT_EQ(c, i & 15) << mx << "," << my << " " << x << "," << y;
                            if (c) {
                                ASSERT_EQ(bank, (i >> 4) - l.firstBank);
                            }
                        }
                }
            ASSERT_EQ(pal.size(), size_t(l.banks * 32));
            const int top = (1 << l.bits) - 1;
            for (int n = 0; n < l.banks * 16; ++n) {
                const uint32_t w = Word(pal, size_t(n), l.colourBE);
                const RGBQUAD& p = doc.m_Palette[l.firstBank * 16 + n < 256 ? l.firstBank * 16 + n : 0];
                const bool inside = l.firstBank * 16 + n < 256;
                EXPECT_EQ((w >> l.r) & uint32_t(top), inside ? uint32_t((p.rgbRed * top + 127) / 255) : 0u);
                EXPECT_EQ((w >> l.g) & uint32_t(top), inside ? uint32_t((p.rgbGreen * top + 127) / 255) : 0u);
                EXPECT_EQ((w >> l.b) & uint32_t(top), inside ? uint32_t((p.rgbBlue * top + 127) / 255) : 0u);
            }
            const Bytes header = ReadFile(r.out + ".h");
            const std::string text(header.begin(), header.end());
            const std::string id = ConsoleIdentifier(r.out);
            std::string upper = id;
            for (char& ch : upper)
                ch = char(std::toupper(static_cast<unsigned char>(ch)));
            EXPECT_NE(text.find("#define " + upper + "_TILE_COUNT " + std::to_string(count) + "\n"),
                      std::string::npos);
            EXPECT_NE(text.find("#define " + upper + "_ENTRY_COUNT " + std::to_string(mw * mh) + "\n"),
                      std::string::npos);
        }
}

// A chip map: each cell's tiles, its flips as tile flips and order, or in
// the pixels where the console has no flip bits; empty cells transparent.
TEST_F(Console, MapCellsBecomeTheirChipsTiles)
{
    Make();
    const std::vector<ConsoleMapCell> cells = {{1, true, false}, {-1}, {2, true, true}, {0, false, true}};
    for (const char* name : {"gba", "pce"}) {
        SCOPED_TRACE(name);
        const Layout& l = name[0] == 'g' ? kLayouts[0] : kLayouts[3];
        ConsoleOptions o;
        o.target = FindConsoleTarget(name);
        const ConsoleBuild b = BuildConsoleFromMap(ConsoleSheetOf(doc), cells, 2, 2, o);
        ASSERT_TRUE(b.problems.empty());
        const Bytes tiles = ConsoleTileBytes(*o.target, b.tiles);
        const Bytes map = ConsoleMapBytes(*o.target, b.map);
        ASSERT_EQ(b.mapWidth, 4);
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                const ConsoleMapCell& m = cells[size_t(y / 16 * 2 + x / 16)];
                const uint32_t e = Word(map, size_t(y / 8 * 4 + x / 8), false);
                const bool h = l.h >= 0 && (e >> l.h) & 1, v = l.v >= 0 && (e >> l.v) & 1;
                const int tx = x % 8, ty = y % 8;
                const int c = TilePixel(l, tiles.data() + 32 * (e & l.tileMask), h ? 7 - tx : tx, v ? 7 - ty : ty);
                int want = 0;
                if (m.cell >= 0) {
                    const int cx = m.h ? 15 - x % 16 : x % 16, cy = m.v ? 15 - y % 16 : y % 16;
                    want = Work(m.cell % 4 * 16 + cx, m.cell / 4 * 16 + cy) & 15;
                }
                ASSERT_EQ(c, want) << x << "," << y;
            }
    }
}

// A chip map's shown layers become the cells; overlaps and diagonal flips
// are refused with the map cell named.
TEST_F(Console, ChipMapsGiveTheirShownLayers)
{
    Make();
    CChipMap m = CChipMap::Make("level", 2, 2);
    ASSERT_TRUE(m.AddLayer());
    m.At(0, 0, 0) = chip::Make(1, chip::kFlipH);
    m.At(1, 1, 1) = chip::Make(0, chip::kFlipV);
    doc.m_Maps.maps.push_back(m);
    ConsoleExportRequest r;
    std::string message;
    ASSERT_TRUE(ConsoleMapFromChipMap(doc, "1", r, message)) << message;
    ASSERT_EQ(r.mapCells.size(), 4u);
    EXPECT_EQ(r.mapCells[0].cell, 1);
    EXPECT_TRUE(r.mapCells[0].h && !r.mapCells[0].v);
    EXPECT_EQ(r.mapCells[1].cell, -1);
    EXPECT_EQ(r.mapCells[3].cell, 0);
    EXPECT_TRUE(!r.mapCells[3].h && r.mapCells[3].v);

    doc.m_Maps.maps[0].At(1, 0, 0) = chip::Make(2, 0);
    EXPECT_FALSE(ConsoleMapFromChipMap(doc, "level", r, message));
    EXPECT_EQ(message, "マップ level の 0,0 で表示中のレイヤーのチップが重なっています。コンソールのマップは1枚です。");
    doc.m_Maps.maps[0].layers[1].bShown = false;
    EXPECT_TRUE(ConsoleMapFromChipMap(doc, "level", r, message));
    doc.m_Maps.maps[0].At(0, 1, 0) = chip::Make(2, chip::kFlipD);
    EXPECT_FALSE(ConsoleMapFromChipMap(doc, "level", r, message));
    EXPECT_EQ(message, "マップ level の 1,0 のチップが対角線で反転しています。コンソールには対角線の反転がありません。");
    bool unknown = false;
    EXPECT_FALSE(ConsoleMapFromChipMap(doc, "2", r, message, &unknown));
    EXPECT_TRUE(unknown);
}

// Each rule: the first broken tile as the list names it; nothing written.
TEST_F(Console, BrokenRulesAreListedAndNothingIsWritten)
{
    struct Case {
        const char* target;
        int cell;
        void (*change)(CTesvanDoc&);
        const char* first;
    } cases[] = {
        // Tile 5,0 is empty: cell 2, its tile 1,0.
        {"gba", 16, [](CTesvanDoc& d) {
             d.m_Layers[0].m_pImage->GetRow(2)[41] = 4 * 16 + 2;
             d.m_Layers[1].m_pImage->GetRow(2)[42] = 5 * 16 + 3;
         },
         "cell 2 tile 1,0: 1つのタイルにバンク 4 と 5 の色があります"},
        {"snes", 16, [](CTesvanDoc& d) { d.m_Layers[0].m_pImage->GetRow(2)[41] = 20; },
         "cell 2 tile 1,0: バンク 1 はこのコンソールのパレットにありません"},
        {"md", 16, [](CTesvanDoc&) {}, nullptr},
        {"pce", 12, [](CTesvanDoc&) {}, "cell 0 tile 0,0: キャラクターの大きさ 12x12 が8の倍数ではありません"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        Make(c.cell);
        c.change(doc);
        doc.ComposeAll(true);
        const ConsoleTarget& t = *FindConsoleTarget(c.target);
        if (!c.first) {
            EXPECT_EQ(ConsoleCheckLine(doc, t).rfind("ok ", 0), 0u);
            continue;
        }
        EXPECT_EQ(ConsoleCheckLine(doc, t), c.first);
        ConsoleExportRequest r;
        r.out = dir + "/bad";
        r.target = &t;
        std::vector<std::string> lines;
        std::string error;
        ASSERT_EQ(ExportConsole(doc, r, lines, error), ConsoleExportResult::Problems);
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.front(), c.first);
        struct stat st {};
        EXPECT_NE(::stat((r.out + ".tiles.bin").c_str(), &st), 0);
    }
    // A bank the target lacks: bank 5 with md from bank 6 on.
    Make();
    EXPECT_EQ(ConsoleProblemText(CheckConsole(doc, *FindConsoleTarget("md"), 6, true).problems.at(0)),
              "cell 0 tile 0,0: バンク 4 はこのコンソールのパレットにありません");
}

// More distinct tiles than the entries address: the first one past them.
TEST(ConsoleRules, TooManyTilesNamesTheFirstOnePastTheLimit)
{
    CImageEx sheet;
    ASSERT_TRUE(sheet.CreateEx(8 * 33, 8 * 32, 8));
    for (int y = 0; y < sheet.GetHeight(); ++y)
        for (int x = 0; x < sheet.GetWidth(); ++x) {
            const int tile = (y / 8) * 33 + x / 8;
            // Bits of the tile number spelled in its pixels: every tile differs.
            const int bit = (y % 8) * 8 + x % 8;
            sheet.GetRow(y)[x] = uint8_t(bit < 11 ? 1 + ((tile >> bit) & 1) : 3);
        }
    ConsoleSheet s{&sheet, 8 * 33, 8 * 32, 1, 1};
    ConsoleOptions o;
    o.target = FindConsoleTarget("gba");
    o.dedupe = ConsoleDedupe::Exact;
    const ConsoleBuild b = BuildConsole(s, o);
    ASSERT_EQ(b.problems.size(), 1u);
    EXPECT_EQ(ConsoleProblemText(b.problems[0]), "cell 0 tile 1,31: タイルがマップで指せる 1024 個を超えます");
    o.target = FindConsoleTarget("md");
    EXPECT_TRUE(BuildConsole(s, o).problems.empty());
}

// Snapped twice is snapped once; the levels are the console's.
TEST(ColorPrecision, SnapsToTheConsolesLevels)
{
    for (int v = 0; v < 256; ++v) {
        for (int p : {PRECISION_15BIT, PRECISION_9BIT}) {
            const int s = SnapChannel(v, p);
            EXPECT_EQ(SnapChannel(s, p), s);
            const int bits = p == PRECISION_15BIT ? 5 : 3;
            EXPECT_EQ(ConsoleChannel(s, bits), ConsoleChannel(v, bits)) << v;
        }
        EXPECT_EQ(SnapChannel(v, PRECISION_FULL), v);
    }
    EXPECT_EQ(SnapColor(0x123456, PRECISION_9BIT), 0x002449u);
}

} // namespace
