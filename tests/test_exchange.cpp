#include "support/AnimatedGif.h"
#include "support/ModalFakeUiPort.h"
#include "doc/Composite.h"
#include "doc/ImageFiles.h"
#include "doc/TesvanDoc.h"
#include "exchange/ImageExport.h"
#include "exchange/ImageImport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

uint32_t& At(CImageEx& img, int x, int y) { return reinterpret_cast<uint32_t*>(img.GetRow(y))[x]; }
uint32_t Px(const CImageEx& img, int x, int y)
{
    return reinterpret_cast<const uint32_t*>(img.GetRow(y))[x];
}
uint32_t Pixel(const CTesvanDoc& doc, int layer, int x, int y)
{
    return Px(*doc.m_Layers[layer].m_pImage, x, y);
}

CImageEx* Make32(CImageEx& img, int w, int h, uint32_t fill, bool alpha = true)
{
    img.CreateEx(w, h, 32, alpha ? CImageEx::createAlphaChannel : 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            At(img, x, y) = fill;
    return &img;
}

struct Scratch {
    fs::path dir;
    Scratch()
    {
        dir = fs::temp_directory_path() / ("tesvan_exchange_" + std::to_string(::getpid()));
        fs::create_directories(dir);
    }
    ~Scratch() { fs::remove_all(dir); }
    std::string operator()(const std::string& name) const { return (dir / name).string(); }
};

// Writes a picture file of the given 32-bit pixels (alpha kept when set).
std::string WritePicture(const Scratch& s, const std::string& name, CImageEx& img)
{
    const std::string path = s(name);
    EXPECT_EQ(WriteImageFile(path, img), tesvan::CodecStatus::Ok);
    return path;
}

// A 32-bit document of cells cw x ch, cols x rows, no layer images.
void NewDoc(CTesvanDoc& doc, int cw, int ch, int cols, int rows)
{
    ASSERT_TRUE(doc.OnNewDocument());
    doc.m_nCellWidth = cw;
    doc.m_nCellHeight = ch;
    doc.m_nColumns = cols;
    doc.m_nRows = rows;
    ASSERT_TRUE(doc.ApplySheetSize(false));
    doc.SetModifiedFlag(false);
}

} // namespace

// ---------------------------------------------------------------- BlendScaled

TEST(BlendScaled, ShrinkAveragesEachWindow)
{
    CImageEx src, dst;
    Make32(src, 4, 2, 0);
    // Two 2 x 2 windows: one of four colours, one half transparent.
    At(src, 0, 0) = 0xFF000000;
    At(src, 1, 0) = 0xFF0000FF;
    At(src, 0, 1) = 0xFF00FF00;
    At(src, 1, 1) = 0xFFFF0000;
    At(src, 2, 0) = 0xFF102030;
    At(src, 3, 1) = 0xFF102030;
    Make32(dst, 2, 1, 0);
    EXPECT_EQ(src.BlendScaled(dst, 0, 0, 2, 1, 0, 0, 4, 2, 0.3), 1);
    // (255 / 4) truncated per channel; colours are not weighted by alpha.
    EXPECT_EQ(Px(dst, 0, 0), 0xFF3F3F3Fu);
    EXPECT_EQ(Px(dst, 1, 0), 0x7F081018u);
}

TEST(BlendScaled, EnlargeWithoutBlurDoublesEveryPixel)
{
    CImageEx src, dst;
    Make32(src, 2, 2, 0);
    At(src, 0, 0) = 0xFF0000FF;
    At(src, 1, 0) = 0xFF00FF00;
    At(src, 0, 1) = 0xFFFF0000;
    At(src, 1, 1) = 0x80FFFFFF;
    Make32(dst, 4, 4, 0);
    src.BlendScaled(dst, 0, 0, 4, 4, 0, 0, 2, 2, 0.0);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(Px(dst, x, y), Px(src, x / 2, y / 2)) << x << "," << y;
}

TEST(BlendScaled, BlurMixesBlockEdgesWithNeighbours)
{
    CImageEx src, dst;
    Make32(src, 2, 1, 0);
    At(src, 0, 0) = 0xFF0000C8;  // blue 200
    At(src, 1, 0) = 0xFF000000;
    Make32(dst, 4, 1, 0);
    src.BlendScaled(dst, 0, 0, 4, 1, 0, 0, 2, 1, 0.3);
    // x = 1: window 0.2 .. 1.3, column 0 weighs 0.8, column 1 0.3:
    // 200 * 0.8 / 1.1 = 145.45 -> 145; alpha 255 * 1.1 / 1.1 stays 255 (no
    // rounding noise below the integer). x = 0: window 0 .. 0.8, column 0
    // only. Vertically the ratio is 1: no blur, one row.
    EXPECT_EQ(Px(dst, 0, 0), 0xFF0000C8u);
    EXPECT_EQ(Px(dst, 1, 0), 0xFF000091u);
    // x = 2: window 0.7 .. 1.8, column 0 weighs 0.3, column 1 0.8 -> 54.
    EXPECT_EQ(Px(dst, 2, 0), 0xFF000036u);
    // x = 3: window 1.2 .. 2.3, column 1 only (0.8) -> 0.
    EXPECT_EQ(Px(dst, 3, 0), 0xFF000000u);
}

TEST(BlendScaled, CompositesOntoTheDestination)
{
    CImageEx src, dst;
    Make32(src, 1, 1, 0x80FF0000);
    Make32(dst, 2, 1, 0xFF0000FF);
    At(dst, 1, 0) = 0;
    src.BlendScaled(dst, 0, 0, 2, 1, 0, 0, 1, 1, 0.0);
    // Over opaque blue: alpha 255, colours by Mix; over empty: the source.
    const uint32_t over = Px(dst, 0, 0);
    EXPECT_EQ(over >> 24, 255u);
    EXPECT_EQ((over >> 16) & 0xFF, uint32_t(Mix(255, 128, 0, 255)));
    EXPECT_EQ(over & 0xFF, uint32_t(Mix(255, 128, 255, 0)));
    EXPECT_EQ(Px(dst, 1, 0), 0x80FF0000u);
    // Two empty pixels stay 0; a fully transparent source leaves the pixel.
    CImageEx empty, target;
    Make32(empty, 1, 1, 0x00FFFFFF);
    Make32(target, 1, 1, 0);
    empty.BlendScaled(target, 0, 0, 1, 1, 0, 0, 1, 1, 0.0);
    EXPECT_EQ(Px(target, 0, 0), 0u);
}

TEST(BlendScaled, RefusesOtherDepthsAndSubRectangles)
{
    CImageEx src8, dst;
    src8.CreateEx(2, 2, 8);
    Make32(dst, 2, 2, 0);
    EXPECT_EQ(src8.BlendScaled(dst, 0, 0, 2, 2, 0, 0, 2, 2, 0), 0);
    EXPECT_EQ(dst.BlendScaled(src8, 0, 0, 2, 2, 0, 0, 2, 2, 0), 0);
    // A source rectangle is read from its own origin.
    CImageEx src;
    Make32(src, 4, 4, 0);
    At(src, 3, 2) = 0xFF123456;
    dst.BlendScaled(dst, 0, 0, 1, 1, 0, 0, 1, 1, 0);
    src.BlendScaled(dst, 1, 1, 1, 1, 3, 2, 1, 1, 0);
    EXPECT_EQ(Px(dst, 1, 1), 0xFF123456u);
    EXPECT_EQ(Px(dst, 0, 0), 0u);
}

// ---------------------------------------------------------------- ConvertTo32Bit

TEST(ConvertTo32Bit, IndexedWithAndWithoutItsTransparentIndex)
{
    CImageEx img;
    img.CreateEx(2, 1, 8);
    RGBQUAD table[2] = {{10, 20, 30, 0}, {40, 50, 60, 0}};
    img.SetColorTable(0, 2, table);
    img.GetRow(0)[1] = 1;
    ASSERT_TRUE(img.ConvertTo32Bit(0, 0xFFFFFFFFu));
    EXPECT_EQ(img.GetBPP(), 32);
    EXPECT_TRUE(img.HasAlpha());
    EXPECT_EQ(Px(img, 0, 0), 0u);
    EXPECT_EQ(Px(img, 1, 0), 0xFF3C3228u);
    CImageEx opaque;
    opaque.CreateEx(1, 1, 8);
    opaque.SetColorTable(0, 2, table);
    ASSERT_TRUE(opaque.ConvertTo32Bit(-1, 0xFFFFFFFFu));
    EXPECT_EQ(Px(opaque, 0, 0), 0xFF1E140Au);
}

TEST(ConvertTo32Bit, TrueColourByItsKeyColour)
{
    CImageEx img;
    Make32(img, 3, 1, 0xFFFFFFFF, false);
    At(img, 1, 0) = 0xFF000000;
    At(img, 2, 0) = 0xFF102030;
    ASSERT_TRUE(img.ConvertTo32Bit(0, RGB(255, 255, 255)));
    EXPECT_EQ(Px(img, 0, 0), 0u);
    EXPECT_EQ(Px(img, 1, 0), 0xFF000000u);
    CImageEx black;
    Make32(black, 2, 1, 0xFF000000, false);
    At(black, 1, 0) = 0xFF102030;
    ASSERT_TRUE(black.ConvertTo32Bit(0, RGB(0, 0, 0)));
    EXPECT_EQ(Px(black, 0, 0), 0u);
    EXPECT_EQ(Px(black, 1, 0), 0xFF102030u);
    // A picture with alpha is left alone.
    CImageEx alpha;
    Make32(alpha, 1, 1, 0x40FFFFFF);
    ASSERT_TRUE(alpha.ConvertTo32Bit(0, RGB(255, 255, 255)));
    EXPECT_EQ(Px(alpha, 0, 0), 0x40FFFFFFu);
    CImageEx none;
    EXPECT_FALSE(none.ConvertTo32Bit(0, 0));
}

// ---------------------------------------------------------------- import dialog

TEST(ImgFitDlg, FieldsListsAndTheIntegerCheck)
{
    CImgFitDlg dlg;
    dlg.m_nChipColumns = 3;
    dlg.SyncText();
    EXPECT_EQ(dlg.m_nBlur, 3);
    EXPECT_FALSE(dlg.ChipColumnsEnabled());
    std::string error, message;
    ASSERT_TRUE(dlg.SetField("m_nFitMode", "4", error));
    EXPECT_TRUE(dlg.ChipColumnsEnabled());
    ASSERT_TRUE(dlg.SetField("m_nBlur", "0.5", error));
    EXPECT_EQ(dlg.m_nBlur, 5);
    ASSERT_TRUE(dlg.SetField("m_nTrans24", "黒", error));
    EXPECT_EQ(dlg.m_nTrans24, 1);
    EXPECT_FALSE(dlg.SetField("m_nTrans8", "3", error));
    EXPECT_FALSE(dlg.SetField("m_nFitMode", "6", error));
    EXPECT_FALSE(dlg.SetField("m_nFitMode", "5", error));   // a picture of one frame
    EXPECT_EQ(dlg.m_nFitMode, 4);
    ASSERT_TRUE(dlg.SetField("m_nChipColumns", "8a", error));
    EXPECT_FALSE(dlg.Validate(message));
    EXPECT_EQ(message, "整数を入力してください。");
    ASSERT_TRUE(dlg.SetField("m_nChipColumns", "-2", error));
    EXPECT_TRUE(dlg.Validate(message));
    EXPECT_EQ(dlg.m_nChipColumns, -2);
    EXPECT_EQ(CImgFitDlg::FitModes().size(), 6u);
}

// ---------------------------------------------------------------- import

TEST(Import, ModeZeroDrawsSmallPicturesAtTheirSizeAndShrinksLargeOnes)
{
    Scratch s;
    CModalFakeUiPort ui;
    CTesvanDoc doc;
    NewDoc(doc, 64, 64, 3, 4);
    CImageEx pic;
    const std::string small = WritePicture(s, "small.png", *Make32(pic, 100, 50, 0xFF102030));
    const std::string wide = WritePicture(s, "wide.png", *Make32(pic, 400, 100, 0x80102030));
    ui.files.push_back(small);
    ui.Fields({});
    EXPECT_EQ(doc.ImportImage(2), 1);
    EXPECT_EQ(ui.fileRequests[0].filters.size(), 6u);
    EXPECT_TRUE(ui.fileRequests[0].extFollowsFilter);
    EXPECT_EQ(Pixel(doc, 2, 99, 49), 0xFF102030u);
    EXPECT_EQ(Pixel(doc, 2, 100, 49), 0u);
    EXPECT_EQ(Pixel(doc, 2, 99, 50), 0u);
    EXPECT_EQ(doc.m_Layers[2].m_strPath, small);
    EXPECT_EQ(doc.m_Layers[2].m_strFolder, s.dir.string() + "/");
    EXPECT_TRUE(doc.IsModified());
    ui.files.push_back(wide);
    ui.Fields({{"m_nBlur", "0"}});
    EXPECT_EQ(doc.ImportImage(2), 1);
    // 400 x 100 into 192 x 256: 192 x 48; the previous picture is gone.
    EXPECT_EQ(Pixel(doc, 2, 191, 47) >> 24, 0x80u);
    EXPECT_EQ(Pixel(doc, 2, 0, 48), 0u);
    EXPECT_EQ(Pixel(doc, 2, 99, 49), 0u);
    // The second request starts in the remembered folder.
    EXPECT_EQ(ui.fileRequests[1].folder, s.dir.string() + "/");
}

TEST(Import, ModeOneCutsOffAndModeTwoStretches)
{
    Scratch s;
    CModalFakeUiPort ui;
    CTesvanDoc doc;
    NewDoc(doc, 2, 2, 1, 1);
    CImageEx pic;
    Make32(pic, 3, 3, 0);
    At(pic, 1, 1) = 0xFF010203;
    At(pic, 2, 2) = 0xFFFFFFFF;
    const std::string big = WritePicture(s, "big.png", pic);
    ui.files.push_back(big);
    ui.Fields({{"m_nFitMode", "1"}});
    ASSERT_EQ(doc.ImportImage(0), 1);
    EXPECT_EQ(Pixel(doc, 0, 1, 1), 0xFF010203u);
    EXPECT_EQ(Pixel(doc, 0, 0, 0), 0u);

    NewDoc(doc, 4, 4, 1, 1);
    CImageEx half;
    Make32(half, 2, 2, 0xFF0000FF);
    At(half, 1, 1) = 0xFF00FF00;
    ui.files.push_back(WritePicture(s, "half.png", half));
    ui.Fields({{"m_nFitMode", "2"}, {"m_nBlur", "0"}});
    ASSERT_EQ(doc.ImportImage(0), 1);
    EXPECT_EQ(Pixel(doc, 0, 0, 1), 0xFF0000FFu);
    EXPECT_EQ(Pixel(doc, 0, 3, 3), 0xFF00FF00u);
    EXPECT_EQ(Pixel(doc, 0, 2, 2), 0xFF00FF00u);
    EXPECT_EQ(Pixel(doc, 0, 1, 2), 0xFF0000FFu);
}

TEST(Import, ChipModesLayOutCellsInReadingOrder)
{
    Scratch s;
    CModalFakeUiPort ui;
    CTesvanDoc doc;
    NewDoc(doc, 32, 32, 3, 4);
    // 256 x 64: 8 x 2 chips of 32 x 32, chip k coloured k + 1.
    CImageEx pic;
    Make32(pic, 256, 64, 0);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 256; ++x)
            At(pic, x, y) = 0xFF000000u | uint32_t((y / 32) * 8 + x / 32 + 1);
    const std::string chips = WritePicture(s, "chips.png", pic);
    ASSERT_TRUE(doc.m_Layers[1].CreateImage(doc.SheetWidth(), doc.SheetHeight(), doc.m_Palette,
                                            false, 32));
    At(*doc.m_Layers[1].m_pImage, 95, 127) = 0xFFABCDEF;
    doc.m_nUndoCount = 2;

    ui.files.push_back(chips);
    ui.Fields({{"m_nFitMode", "3"}, {"m_nChipColumns", "8"}});
    ASSERT_EQ(doc.ImportImage(1), 1);
    EXPECT_EQ(doc.m_nRows, 6);
    EXPECT_EQ(doc.GetUndoName(), "イメージ読込");
    for (int k = 0; k < 16; ++k)
        EXPECT_EQ(Pixel(doc, 1, 32 * (k % 3) + 31, 32 * (k / 3) + 31), 0xFF000000u + k + 1) << k;
    EXPECT_EQ(Pixel(doc, 1, 95, 127), 0xFF000000u + 12);  // the old content is gone
    EXPECT_EQ(Pixel(doc, 1, 40, 170), 0u);                 // after the 16th chip

    ui.files.push_back(chips);
    ui.Fields({{"m_nFitMode", "4"}, {"m_nChipColumns", "8"}});
    ASSERT_EQ(doc.ImportImage(1), 1);
    EXPECT_EQ(doc.m_nRows, 12);
    EXPECT_EQ(Pixel(doc, 1, 31, 31), 0xFF000001u);
    EXPECT_EQ(Pixel(doc, 1, 0, 192), 0xFF000001u);
    EXPECT_EQ(Pixel(doc, 1, 64, 192 + 128), 0xFF000000u + 15);

    // The column count rule: fewer sheet columns than rows needed.
    ui.files.push_back(chips);
    ui.Fields({{"m_nFitMode", "4"}, {"m_nChipColumns", "4"}});
    ASSERT_EQ(doc.ImportImage(1), 1);
    // 4 chip columns of 64 x 64 -> R = (32 * 64 * 4) / (32 * 256) = 1, 4 chips, 2 rows.
    EXPECT_EQ(doc.m_nRows, 14);
}

TEST(Import, FailuresBeforeAnythingChanges)
{
    Scratch s;
    CModalFakeUiPort ui;
    CTesvanDoc doc;
    NewDoc(doc, 32, 32, 3, 4);
    CImageEx pic;
    const std::string path = WritePicture(s, "p.png", *Make32(pic, 64, 64, 0xFF010101));
    ASSERT_TRUE(doc.m_Layers[0].CreateImage(96, 128, doc.m_Palette, false, 32));
    At(*doc.m_Layers[0].m_pImage, 1, 1) = 0xFF777777;

    // Cancelled file dialog: 1, nothing else.
    ui.files.push_back("");
    EXPECT_EQ(doc.ImportImage(0), 1);
    EXPECT_TRUE(ui.dialogs.empty());
    // Unreadable picture: the path is remembered, nothing else changes.
    const std::string bogus = s("bogus.png");
    FILE* f = std::fopen(bogus.c_str(), "wb");
    std::fputs("not a picture", f);
    std::fclose(f);
    ui.files.push_back(bogus);
    EXPECT_EQ(doc.ImportImage(0), 0);
    EXPECT_EQ(ui.messages.back(), "イメージの読み込みに失敗しました。\nbogus.png を読み込めませんでした。"
                                  "ファイルが壊れているか、形式が違います。");
    EXPECT_EQ(doc.m_Layers[0].m_strPath, bogus);
    // The settings dialog cancelled.
    ui.files.push_back(path);
    EXPECT_EQ(doc.ImportImage(0), 0);
    // Chip column count 0, and chips that would be 0 pixels wide.
    ui.files.push_back(path);
    ui.Fields({{"m_nFitMode", "3"}, {"m_nChipColumns", "0"}});
    EXPECT_EQ(doc.ImportImage(0), 0);
    EXPECT_EQ(ui.messages.back(), "読込イメージ列数を０以下にはできません。");
    ui.files.push_back(path);
    ui.Fields({{"m_nFitMode", "4"}, {"m_nChipColumns", "100"}});
    EXPECT_EQ(doc.ImportImage(0), 0);
    EXPECT_EQ(ui.messages.back(), "読み込むイメージのキャラ幅が０になりました");
    // Rows computed as 0: a picture much wider than high.
    const std::string strip = WritePicture(s, "strip.png", *Make32(pic, 64, 1, 0xFF010101));
    ui.files.push_back(strip);
    ui.Fields({{"m_nFitMode", "3"}, {"m_nChipColumns", "1"}});
    EXPECT_EQ(doc.ImportImage(0), 0);
    EXPECT_EQ(ui.messages.back(), "計算した行数が０になりました。");
    EXPECT_EQ(doc.m_nRows, 4);
    EXPECT_EQ(Pixel(doc, 0, 1, 1), 0xFF777777u);
    EXPECT_FALSE(doc.IsModified());
}

TEST(Import, IndexedPicturesByTheirIndexZero)
{
    Scratch s;
    CModalFakeUiPort ui;
    CTesvanDoc doc;
    NewDoc(doc, 2, 1, 1, 1);
    CImageEx pic;
    pic.CreateEx(2, 1, 8);
    RGBQUAD table[2] = {{10, 20, 30, 0}, {40, 50, 60, 0}};
    pic.SetColorTable(0, 2, table);
    pic.GetRow(0)[1] = 1;
    const std::string gif = WritePicture(s, "p.gif", pic);
    ui.files.push_back(gif);
    ui.Fields({});
    ASSERT_EQ(doc.ImportImage(0), 1);
    EXPECT_EQ(Pixel(doc, 0, 0, 0), 0u);
    EXPECT_EQ(Pixel(doc, 0, 1, 0), 0xFF3C3228u);
    ui.files.push_back(gif);
    ui.Fields({{"m_nTrans8", "1"}});
    ASSERT_EQ(doc.ImportImage(0), 1);
    EXPECT_EQ(Pixel(doc, 0, 0, 0), 0xFF1E140Au);
}

TEST(Import, TrueColourTransparencyChoice)
{
    Scratch s;
    CModalFakeUiPort ui;
    CTesvanDoc doc;
    NewDoc(doc, 3, 1, 1, 1);
    CImageEx pic;
    Make32(pic, 3, 1, 0xFFFFFFFF, false);
    At(pic, 1, 0) = 0xFF000000;
    At(pic, 2, 0) = 0xFF405060;
    const std::string bmp = WritePicture(s, "p.bmp", pic);
    const uint32_t expect[3][3] = {{0, 0xFF000000u, 0xFF405060u},
                                   {0xFFFFFFFFu, 0, 0xFF405060u},
                                   {0xFFFFFFFFu, 0xFF000000u, 0xFF405060u}};
    for (int choice = 0; choice < 3; ++choice) {
        ui.files.push_back(bmp);
        ui.Fields({{"m_nTrans24", std::to_string(choice)}});
        ASSERT_EQ(doc.ImportImage(0), 1);
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(Pixel(doc, 0, x, 0), expect[choice][x]) << choice << "," << x;
    }
}

TEST(Import, AllFramesGoIntoConsecutiveCellsFromTheCurrentCell)
{
    Scratch s;
    CModalFakeUiPort ui;
    CTesvanDoc doc;
    NewDoc(doc, 4, 2, 3, 1);
    ASSERT_TRUE(doc.m_Layers[0].CreateImage(12, 2, doc.m_Palette, false, 32));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 12; ++x)
            At(*doc.m_Layers[0].m_pImage, x, y) = 0xFF777777;
    doc.m_nEditColumn = 1;
    doc.m_Anime[0].strFrames = "0,1,2";
    const std::vector<uint8_t> bytes = AnimatedGif(4, 2, SampleGifFrames());
    const std::string gif = s("frames.gif");
    std::ofstream(gif, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                               std::streamsize(bytes.size()));
    ui.files.push_back(gif);
    int frames = 0, trans8 = -1;
    ui.modals.push_back([&](CDialogModel& d) {
        auto& dlg = static_cast<CImgFitDlg&>(d);
        frames = dlg.m_nFrames;
        trans8 = dlg.m_nTrans8;
        std::string error;
        return dlg.SetField("m_nFitMode", "全フレームを連続したキャラに読込", error);
    });
    ASSERT_EQ(doc.ImportImage(0), 1);
    EXPECT_EQ(frames, 4);
    EXPECT_EQ(trans8, CImgFitDlg::kOwnTransparency);  // the file declares its own
    // Cells 1, 2 of row 0 and 0, 1 of a new row 1, as a viewer shows the
    // frames; cell 0 keeps its picture, cell (2, 1) is new and empty.
    EXPECT_EQ(doc.m_nRows, 2);
    EXPECT_EQ(doc.m_nEditColumn, 1);
    EXPECT_EQ(doc.m_Anime[0].strFrames, "0,1,2");   // cell numbers stay valid
    const uint32_t R = 0xFFFF0000, G = 0xFF00FF00, B = 0xFF0000FF, K = 0xFF000000, _ = 0, o = 0xFF777777;
    const uint32_t expect[4][12] = {
        {o, o, o, o, R, R, G, _, R, B, G, _},
        {o, o, o, o, G, G, _, _, G, G, B, _},
        {R, _, _, _, K, _, _, _, _, _, _, _},
        {G, _, _, R, G, _, _, _, _, _, _, _},
    };
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 12; ++x)
            EXPECT_EQ(Pixel(doc, 0, x, y), expect[y][x]) << x << "," << y;
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.GetUndoName(), "イメージ読込");

    // A file that can no longer be read once the dialog closes changes nothing.
    doc.SetModifiedFlag(false);
    ui.files.push_back(gif);
    ui.modals.push_back([&](CDialogModel& d) {
        fs::remove(gif);
        std::string error;
        return d.SetField("m_nFitMode", "5", error);
    });
    EXPECT_EQ(doc.ImportImage(0), 0);
    EXPECT_EQ(ui.messages.back().rfind("イメージの読み込みに失敗しました。\n", 0), 0u) << ui.messages.back();
    EXPECT_NE(ui.messages.back().find("指定されたパスが見つかりません。"), std::string::npos) << ui.messages.back();
    EXPECT_EQ(Pixel(doc, 0, 4, 0), R);
    EXPECT_FALSE(doc.IsModified());
}

TEST(Import, APicturesOwnTransparentIndexIsTheDefault)
{
    Scratch s;
    CModalFakeUiPort ui;
    CTesvanDoc doc;
    NewDoc(doc, 2, 1, 1, 1);
    // One frame, transparent index 1: the frames mode is not offered.
    const std::vector<uint8_t> bytes =
        AnimatedGif(2, 1, {{0, 0, 2, 1, 1, DISPOSE_DO_NOT, {0, 1}}});
    const std::string gif = s("one.gif");
    std::ofstream(gif, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                               std::streamsize(bytes.size()));
    ui.files.push_back(gif);
    std::string refused;
    ui.modals.push_back([&](CDialogModel& d) {
        d.SetField("m_nFitMode", "5", refused);
        return true;
    });
    ASSERT_EQ(doc.ImportImage(0), 1);
    EXPECT_FALSE(refused.empty());
    EXPECT_EQ(Pixel(doc, 0, 0, 0), 0xFF000000u);
    EXPECT_EQ(Pixel(doc, 0, 1, 0), 0u);
    ui.files.push_back(gif);
    ui.Fields({{"m_nTrans8", "インデックス0"}});
    ASSERT_EQ(doc.ImportImage(0), 1);
    EXPECT_EQ(Pixel(doc, 0, 0, 0), 0u);
    EXPECT_EQ(Pixel(doc, 0, 1, 0), 0xFFFF0000u);
}

// ---------------------------------------------------------------- export

TEST(Export, TransparentWhereNoLayerDrawsAndTheCanvasComesBack)
{
    Scratch s;
    CModalFakeUiPort ui;
    CTesvanDoc doc;
    NewDoc(doc, 2, 2, 2, 1);
    doc.m_crBackground = 0xFFFFFF;
    for (int i : {0, 1})
        ASSERT_TRUE(doc.m_Layers[i].CreateImage(4, 2, doc.m_Palette, false, 32));
    At(*doc.m_Layers[0].m_pImage, 0, 0) = 0xFF112233;
    At(*doc.m_Layers[1].m_pImage, 1, 0) = 0xFF445566;
    doc.m_nSelState = SelState::Selected;
    doc.m_strText = "abc";
    const std::string path = s("sheet.Png");
    ui.files.push_back(path);
    doc.OnExportImage();
    EXPECT_EQ(doc.m_nSelState, SelState::None);
    EXPECT_TRUE(doc.m_strText.empty());
    EXPECT_FALSE(ui.fileRequests[0].open);
    EXPECT_EQ(ui.fileRequests[0].filters[0].second, "*.png");
    // The typed text was written into the layer first.
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.m_nUndoCount, 1);
    EXPECT_EQ(Px(doc.m_imgWork, 3, 1), 0xFFFFFFFFu);
    CImageEx back;
    ASSERT_TRUE(LoadImageFile(path, back));
    EXPECT_EQ(Px(back, 0, 0), 0xFF112233u);
    EXPECT_EQ(Px(back, 1, 0), 0xFF445566u);
    EXPECT_EQ(Px(back, 3, 1), 0u);

    // Only the current layer shown: only that layer goes out.
    doc.m_bShowAllLayers = 0;
    doc.m_nCurrentLayer = 1;
    ASSERT_TRUE(doc.ExportImage(s("one.bmp")));
    ASSERT_TRUE(LoadImageFile(s("one.bmp"), back));
    EXPECT_EQ(Px(back, 0, 0), 0u);
    EXPECT_EQ(Px(back, 1, 0), 0xFF445566u);

    // An unknown extension writes nothing; a cancelled dialog nothing.
    EXPECT_FALSE(doc.ExportImage(s("sheet.lay")));
    EXPECT_FALSE(fs::exists(s("sheet.lay")));
    doc.OnExportImage();
    EXPECT_EQ(Px(doc.m_imgWork, 3, 1), 0xFFFFFFFFu);
}

TEST(Export, EveryEncoderByItsExtension)
{
    Scratch s;
    CImageEx img;
    Make32(img, 3, 2, 0xFF204080);
    At(img, 0, 0) = 0;
    for (const char* name : {"a.png", "a.GIF", "a.bmp", "a.jpeg", "a.tif", "a.JPG"}) {
        ASSERT_EQ(WriteImageFile(s(name), img), tesvan::CodecStatus::Ok) << name;
        CImageEx back;
        ASSERT_TRUE(LoadImageFile(s(name), back)) << name;
        EXPECT_EQ(back.GetWidth(), 3);
    }
    EXPECT_EQ(WriteImageFile(s("a.txt"), img), tesvan::CodecStatus::GeneralFailure);
    EXPECT_EQ(WriteImageFile(s("noext"), img), tesvan::CodecStatus::GeneralFailure);
    EXPECT_EQ(WriteImageFile(s("missing/a.png"), img), tesvan::CodecStatus::GeneralFailure);
}

TEST(Export, EightBitSheetKeepsItsIndices)
{
    Scratch s;
    CModalFakeUiPort ui;
    CTesvanDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    doc.m_nBitCount = 8;
    doc.m_nCellWidth = 2;
    doc.m_nCellHeight = 1;
    doc.m_nColumns = 1;
    doc.m_nRows = 1;
    ASSERT_TRUE(doc.ApplySheetSize(false));
    doc.m_Palette[70] = {1, 2, 3, 0};
    doc.RefreshWorkPalette();
    ASSERT_TRUE(doc.m_Layers[0].CreateImage(2, 1, doc.m_Palette, false, 8));
    doc.m_Layers[0].m_pImage->GetRow(0)[1] = 70;
    ASSERT_TRUE(doc.ExportImage(s("e.png")));
    tesvan::DecodedImage pic;
    ASSERT_EQ(tesvan::DecodeImageFile(s("e.png"), pic), tesvan::CodecStatus::Ok);
    ASSERT_EQ(pic.bpp, 8);
    EXPECT_EQ(pic.row(0)[0], 0);
    EXPECT_EQ(pic.row(0)[1], 70);
    EXPECT_EQ(pic.transparentIndex, -1);
}
