#include "support/FakeUiPort.h"
#include "doc/Archive.h"
#include "doc/TesvanDoc.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

namespace fs = std::filesystem;

struct Scratch {
    fs::path dir;
    Scratch()
    {
        dir = fs::temp_directory_path() / ("tesvan_layerfile_" + std::to_string(::getpid()));
        fs::create_directories(dir);
    }
    ~Scratch() { fs::remove_all(dir); }
    std::string operator()(const std::string& name) const { return (dir / name).string(); }
};

std::vector<uint8_t> ReadAll(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
}

void WriteAll(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// An 8-bit document of 4 x 2 pixels with a drawn layer in slot 2 (page 2).
void Eight(CTesvanDoc& doc)
{
    ASSERT_TRUE(doc.OnNewDocument());
    doc.m_nBitCount = 8;
    doc.m_nCellWidth = 2;
    doc.m_nCellHeight = 2;
    doc.m_nColumns = 2;
    doc.m_nRows = 1;
    ASSERT_TRUE(doc.ApplySheetSize(false));
    doc.SetModifiedFlag(false);
}

} // namespace

TEST(LayerFile, PageColoursAndPixelsFollowTheSlotTheyAreLoadedInto)
{
    Scratch s;
    CFakeUiPort ui;
    CTesvanDoc a;
    Eight(a);
    ASSERT_EQ(a.m_Layers[2].m_nPage, 2);
    for (int k = 0; k < 16; ++k)
        a.m_Palette[96 + k] = {uint8_t(k), uint8_t(100 + k), 200, 0};
    a.m_Gradations[10].nCount = 8;
    a.m_Gradations[11].crLast = 0x123456;
    ASSERT_TRUE(a.m_Layers[2].CreateImage(4, 2, a.m_Palette, false, 8));
    a.m_Layers[2].m_pImage->GetRow(0)[1] = 96 + 5;   // page colour 5
    a.m_Layers[2].m_pImage->GetRow(1)[3] = 7;        // a shared entry
    a.m_Layers[2].m_strName = "saved";
    a.m_nCurrentLayer = 0;
    ui.files.push_back(s("slot2"));
    a.SaveLayerFile(2);
    EXPECT_FALSE(a.IsModified());
    EXPECT_EQ(ui.fileRequests[0].filters.size(), 5u);
    EXPECT_EQ(ui.fileRequests[0].filters[0].second, "*.lay");
    // The fake port returns the name as given; a dialog would add ".lay".
    EXPECT_EQ(a.m_Layers[2].m_strPath, s("slot2"));
    EXPECT_EQ(a.m_Layers[2].m_strFolder, s.dir.string() + "/");
    EXPECT_FALSE(fs::exists(s("slot2")));  // no "lay" extension: handed to the image writer
    ui.files.push_back(s("slot2.lay"));
    a.SaveLayerFile(2);
    ASSERT_TRUE(fs::exists(s("slot2.lay")));
    const std::vector<uint8_t> bytes = ReadAll(s("slot2.lay"));
    ASSERT_GT(bytes.size(), 112u);
    EXPECT_EQ(bytes[0], 4);
    EXPECT_EQ(bytes[4], 2);
    EXPECT_EQ(bytes[8 + 4 * 5 + 1], 105);  // green of page entry 5
    EXPECT_EQ(bytes[72 + 20], 8 - 8 + 0);  // record 11 starts with nCount 0
    EXPECT_EQ(bytes[72], 8);               // record 10: nCount 8

    CTesvanDoc b;
    Eight(b);
    b.m_Layers[9].m_nColor[0] = 200;
    b.m_Layers[9].m_nAlpha[1] = 0x80000000;
    b.m_nUndoCount = 3;
    ui.files.push_back(s("slot2.lay"));
    ASSERT_TRUE(b.LoadLayerFile(9));
    const CLayer& l = b.m_Layers[9];
    EXPECT_EQ(l.m_nPage, 9);
    EXPECT_EQ(l.m_nColor[0], 200);
    EXPECT_EQ(l.m_nAlpha[1], 0x80000000u);
    EXPECT_EQ(l.m_strName, "saved");
    EXPECT_EQ(l.m_pImage->GetRow(0)[1], 208 + 5);
    EXPECT_EQ(l.m_pImage->GetRow(1)[3], 7);
    for (int k = 0; k < 16; ++k)
        EXPECT_EQ(b.m_Palette[208 + k], (RGBQUAD{uint8_t(k), uint8_t(100 + k), 200, 0}));
    // The layer's own colour table already shows the file's colours.
    EXPECT_EQ(l.m_pImage->ColorTable()[213], (RGBQUAD{5, 105, 200, 0}));
    EXPECT_EQ(b.m_Gradations[24].nCount, 8);
    EXPECT_EQ(b.m_Gradations[25].crLast, 0x123456u);
    EXPECT_EQ(b.GetUndoName(), "レイヤー読込");
    EXPECT_TRUE(b.IsModified());
    EXPECT_EQ(b.m_imgWork.ColorTable()[213], (RGBQUAD{5, 105, 200, 0}));

    // An 8-bit layer file into a 32-bit document: converted with the file's colours.
    CTesvanDoc c;
    ASSERT_TRUE(c.OnNewDocument());
    c.m_nCellWidth = 2;
    c.m_nCellHeight = 2;
    c.m_nColumns = 2;
    c.m_nRows = 1;
    ASSERT_TRUE(c.ApplySheetSize(false));
    ui.files.push_back(s("slot2.lay"));
    ASSERT_TRUE(c.LoadLayerFile(4));
    const uint32_t px = reinterpret_cast<const uint32_t*>(c.m_Layers[4].m_pImage->GetRow(0))[1];
    EXPECT_EQ(px, 0xFFC86905u);
}

TEST(LayerFile, SizeMismatchAndDamageLeaveTheSlotAsItWas)
{
    Scratch s;
    CFakeUiPort ui;
    CTesvanDoc a;
    Eight(a);
    ASSERT_TRUE(a.m_Layers[0].CreateImage(4, 2, a.m_Palette, false, 8));
    a.m_Layers[0].m_pImage->GetRow(0)[0] = 9;
    ui.files.push_back(s("a.lay"));
    a.SaveLayerFile(0);
    const std::vector<uint8_t> good = ReadAll(s("a.lay"));

    CTesvanDoc b;
    Eight(b);
    ASSERT_TRUE(b.m_Layers[3].CreateImage(4, 2, b.m_Palette, false, 8));
    b.m_Layers[3].m_pImage->GetRow(1)[2] = 11;
    b.m_Layers[3].m_strName = "keep";
    const RGBQUAD page3 = b.m_Palette[(3 + 4) * 16 + 1];
    auto unchanged = [&] {
        EXPECT_EQ(b.m_Layers[3].m_strName, "keep");
        ASSERT_NE(b.m_Layers[3].m_pImage, nullptr);
        EXPECT_EQ(b.m_Layers[3].m_pImage->GetRow(1)[2], 11);
        EXPECT_EQ(b.m_Layers[3].m_pImage->GetRow(0)[0], 0);
        EXPECT_EQ(b.m_Palette[(3 + 4) * 16 + 1], page3);
        EXPECT_FALSE(b.IsModified());
    };
    // Every truncation of the file.
    for (size_t n : {size_t(0), size_t(3), size_t(8), size_t(50), size_t(111), size_t(120),
                     good.size() - 1}) {
        WriteAll(s("cut.lay"), std::vector<uint8_t>(good.begin(), good.begin() + long(n)));
        ui.files.push_back(s("cut.lay"));
        ui.messages.clear();
        EXPECT_FALSE(b.LoadLayerFile(3)) << n;
        if (n >= 8) {
            ASSERT_EQ(ui.messages.size(), 1u) << n;
            EXPECT_EQ(ui.messages[0], "データを読み込めませんでした。");
        }
        unchanged();
        EXPECT_EQ(b.m_Layers[3].m_strPath, s("cut.lay"));
    }
    // A depth that is neither 8 nor 32.
    std::vector<uint8_t> bad = good;
    bad[112 + 4] = 16;
    WriteAll(s("bad.lay"), bad);
    ui.files.push_back(s("bad.lay"));
    EXPECT_FALSE(b.LoadLayerFile(3));
    unchanged();

    // Another sheet size.
    CTesvanDoc wide;
    Eight(wide);
    wide.m_nColumns = 3;
    ASSERT_TRUE(wide.ApplySheetSize(false));
    ui.files.push_back(s("wide.lay"));
    wide.SaveLayerFile(0);
    ui.files.push_back(s("wide.lay"));
    ui.messages.clear();
    EXPECT_FALSE(b.LoadLayerFile(3));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], "データサイズが違います。");
    unchanged();
    EXPECT_EQ(b.m_Layers[3].m_strFolder, s.dir.string() + "/");

    // A missing file: reported with the system's reason, nothing changed.
    ui.files.push_back(s("missing.lay"));
    ui.messages.clear();
    EXPECT_FALSE(b.LoadLayerFile(3));
    EXPECT_EQ(ui.messages,
              std::vector<std::string>{"missing.lay を読み込めませんでした。指定されたパスが見つかりません。"});
    // Cancel.
    ui.files.push_back("");
    EXPECT_FALSE(b.LoadLayerFile(3));
    unchanged();
}

TEST(LayerFile, ThirtyTwoBitFileIntoAnEightBitDocument)
{
    Scratch s;
    CFakeUiPort ui;
    CTesvanDoc a;
    ASSERT_TRUE(a.OnNewDocument());
    ASSERT_TRUE(a.m_Layers[1].CreateImage(a.SheetWidth(), a.SheetHeight(), a.m_Palette, false, 32));
    reinterpret_cast<uint32_t*>(a.m_Layers[1].m_pImage->GetRow(5))[6] = 0xFF010203;
    ui.files.push_back(s("t.lay"));
    a.SaveLayerFile(1);
    // The same sheet at 8 bits.
    CTesvanDoc b;
    ASSERT_TRUE(b.OnNewDocument());
    b.m_nBitCount = 8;
    ASSERT_TRUE(b.ApplySheetSize(false));
    b.m_Layers[1].m_strName = "eight";
    ui.files.push_back(s("t.lay"));
    EXPECT_FALSE(b.LoadLayerFile(1));
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0], "32bitイメージを8bitイメージに変換できません。");
    EXPECT_EQ(ui.messages[1], "データを読み込めませんでした。");
    EXPECT_EQ(b.m_Layers[1].m_strName, "eight");
    EXPECT_EQ(b.m_Layers[1].m_pImage, nullptr);
    // Into a 32-bit document it comes back.
    CTesvanDoc c;
    ASSERT_TRUE(c.OnNewDocument());
    ui.files.push_back(s("t.lay"));
    ASSERT_TRUE(c.LoadLayerFile(7));
    EXPECT_EQ(reinterpret_cast<const uint32_t*>(c.m_Layers[7].m_pImage->GetRow(5))[6], 0xFF010203u);
}

TEST(LayerFile, PictureTypesWriteTheLayerImage)
{
    Scratch s;
    CFakeUiPort ui;
    CTesvanDoc a;
    ASSERT_TRUE(a.OnNewDocument());
    ASSERT_TRUE(a.m_Layers[5].CreateImage(a.SheetWidth(), a.SheetHeight(), a.m_Palette, false, 32));
    a.m_nCurrentLayer = 0;
    ui.files.push_back(s("five.png"));
    a.SaveLayerFile(5);
    EXPECT_TRUE(fs::exists(s("five.png")));
    // "lay" is compared case-sensitively: ".LAY" is no layer file, and no
    // encoder knows it, so nothing is written.
    ui.files.push_back(s("five.LAY"));
    a.SaveLayerFile(5);
    EXPECT_FALSE(fs::exists(s("five.LAY")));
    // A layer file replaces an existing file whole.
    WriteAll(s("five.lay"), std::vector<uint8_t>(10000, 0xAB));
    ui.files.push_back(s("five.lay"));
    a.SaveLayerFile(5);
    const std::vector<uint8_t> bytes = ReadAll(s("five.lay"));
    ASSERT_GE(bytes.size(), 8u);
    EXPECT_EQ(bytes[0], 192);
    EXPECT_LT(bytes.size(), 10000u);
    // The file dialog starts from the remembered path and folder.
    ui.files.push_back("");
    a.SaveLayerFile(5);
    EXPECT_EQ(ui.fileRequests.back().initialName, s("five.lay"));
    EXPECT_EQ(ui.fileRequests.back().folder, s.dir.string() + "/");
}

TEST(LayerFile, ReadFromMemoryRefusesGarbageCleanly)
{
    CFakeUiPort ui;
    CTesvanDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    std::vector<uint8_t> bytes(112, 0);
    bytes[0] = 192;
    bytes[5] = 1;  // height 256
    // A layer record claiming a run-length block far beyond the file.
    auto put = [&bytes](int32_t v) {
        for (int k = 0; k < 4; ++k)
            bytes.push_back(uint8_t(uint32_t(v) >> (8 * k)));
    };
    for (int32_t v : {18, 32, 0, 1})
        put(v);
    bytes.insert(bytes.end(), {0, 0, 0});  // three empty strings
    for (int32_t v : {16, 16, -16777216, 0, 0x7FFFFFFF})
        put(v);
    bytes.insert(bytes.end(), 64, 0x11);
    CArchive ar(bytes.data(), bytes.size());
    EXPECT_FALSE(doc.ReadLayerFile(0, ar));
    EXPECT_EQ(doc.m_Layers[0].m_pImage, nullptr);
}
