#include "support/ModalFakeUiPort.h"
#include "doc/TesvanDoc.h"
#include "exchange/SheetSize.h"
#include "platform/TextSplit.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

struct CFakeAnime : CAnimeWindow {
    int hides = 0, refreshes = 0;
    void ShowWindow(bool show) override { hides += !show; }
    void RefreshLayout() override { ++refreshes; }
};

// A 32-bit document of 3 x 4 cells of 64 x 64 with one marked pixel on layer 0.
void Prepare(CTesvanDoc& doc)
{
    ASSERT_TRUE(doc.OnNewDocument());
    ASSERT_TRUE(doc.m_Layers[0].CreateImage(doc.SheetWidth(), doc.SheetHeight(), doc.m_Palette,
                                            false, 32));
    reinterpret_cast<uint32_t*>(doc.m_Layers[0].m_pImage->GetRow(10))[127] = 0xFF112233;
    reinterpret_cast<uint32_t*>(doc.m_Layers[0].m_pImage->GetRow(255))[191] = 0xFF445566;
}

uint32_t Pixel(const CTesvanDoc& doc, int layer, int x, int y)
{
    return reinterpret_cast<const uint32_t*>(doc.m_Layers[layer].m_pImage->GetRow(y))[x];
}

} // namespace

TEST(Split, AtFirstSeparatorWithDoubleByteUnits)
{
    std::string head, tail;
    EXPECT_TRUE(SplitAt("a=b=c", "=", head, tail));
    EXPECT_EQ(head, "a");
    EXPECT_EQ(tail, "b=c");
    EXPECT_FALSE(SplitAt("abc", "=", head, tail));
    EXPECT_EQ(head, "abc");
    EXPECT_EQ(tail, "");
    EXPECT_FALSE(SplitAt("a=b", "", head, tail));
    EXPECT_EQ(head, "a=b");
    // "ソ" is 0x83 0x5C in code page 932: its trail byte is a backslash and
    // is never matched; "\x81\x2C"-style pairs neither.
    EXPECT_FALSE(SplitAt("\x83\x5C", "\\", head, tail));
    EXPECT_TRUE(SplitAt("\x83\x5C\\x", "\\", head, tail));
    EXPECT_EQ(head, "\x83\x5C");
    EXPECT_EQ(tail, "x");
    // A comma as the trail byte of "\x88\x2C" is part of that character.
    EXPECT_TRUE(SplitAt("\x88,a,b", ",", head, tail));
    EXPECT_EQ(head, "\x88,a");
    EXPECT_EQ(tail, "b");
    // A lead byte at the very end stands alone.
    EXPECT_TRUE(SplitAt("a,\x88", ",", head, tail));
    EXPECT_EQ(tail, "\x88");
}

TEST(Split, ListKeepsEmptyPieces)
{
    std::vector<std::string> p{"stale"};
    EXPECT_EQ(SplitList("a,b,c", ",", p), 3);
    EXPECT_EQ(p, (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(SplitList("a,,b", ",", p), 3);
    EXPECT_EQ(p, (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(SplitList("a,", ",", p), 2);
    EXPECT_EQ(p, (std::vector<std::string>{"a", ""}));
    EXPECT_EQ(SplitList("", ",", p), 1);
    EXPECT_EQ(p, (std::vector<std::string>{""}));
    EXPECT_EQ(SplitList(" 1 , 2 ", ",", p), 2);
    EXPECT_EQ(p, (std::vector<std::string>{" 1 ", " 2 "}));
    EXPECT_EQ(SplitList("\x88,\x88,,", ",", p), 2);
    EXPECT_EQ(p, (std::vector<std::string>{"\x88,\x88,", ""}));
    EXPECT_EQ(SplitList("a::b", "::", p), 2);
}

TEST(Split, FolderPart)
{
    EXPECT_EQ(FolderPart("/home/u/a.lay"), "/home/u/");
    EXPECT_EQ(FolderPart("C:\\x\\a.lay"), "C:\\x\\");
    EXPECT_EQ(FolderPart("a.lay"), "");
    EXPECT_EQ(FolderPart("/ソ/b"), "/ソ/");
}

TEST(Presets, LinesThatAreAndAreNotOffered)
{
    CImgSizeInfo p;
    ASSERT_TRUE(ParsePresetLine("16x16=16,16,8,8", p));
    EXPECT_EQ(p.strName, "16x16");
    EXPECT_EQ(p.nCellWidth, 16);
    EXPECT_EQ(p.nRows, 8);
    EXPECT_FALSE(ParsePresetLine("A=16,16,4", p));
    EXPECT_FALSE(ParsePresetLine("16,16,4,4", p));
    EXPECT_FALSE(ParsePresetLine("A=1,2,3,4,5", p));
    EXPECT_FALSE(ParsePresetLine("", p));
    ASSERT_TRUE(ParsePresetLine("P= 8 , 8,2,2", p));
    EXPECT_EQ(p.strName, "P");
    EXPECT_EQ(p.nCellWidth, 8);
    EXPECT_EQ(p.nCellHeight, 8);
    ASSERT_TRUE(ParsePresetLine(" sp =x,-3,+7z,", p));
    EXPECT_EQ(p.strName, " sp ");
    EXPECT_EQ(p.nCellWidth, 0);
    EXPECT_EQ(p.nCellHeight, -3);
    EXPECT_EQ(p.nColumns, 7);
    EXPECT_EQ(p.nRows, 0);
    ASSERT_TRUE(ParsePresetLine("=1,2,3,4", p));
    EXPECT_EQ(p.strName, "");
    ASSERT_TRUE(ParsePresetLine("a=b=1,2,3,4", p));
    EXPECT_EQ(p.strName, "a");
    EXPECT_EQ(p.nCellWidth, 0);  // "b=1" has no leading digits
    EXPECT_EQ(PresetNumber("99999999999"), 2147483647);
    EXPECT_EQ(PresetNumber("-99999999999"), -2147483647 - 1);
}

TEST(Presets, NamesInBothEncodings)
{
    CImgSizeInfo p;
    // UTF-8 and code page 932 give the same name.
    ASSERT_TRUE(ParsePresetLine("キャラ=32,32,3,4", p));
    EXPECT_EQ(p.strName, "キャラ");
    // "ソ" in code page 932 ends in a backslash byte, "表" (0x95 0x5C) too.
    ASSERT_TRUE(ParsePresetLine("\x83\x5C\x95\x5C=1,2,3,4", p));
    EXPECT_EQ(p.strName, "ソ表");
    // A character without a code page 932 form still splits by bytes.
    ASSERT_TRUE(ParsePresetLine("\xF0\x9F\x98\x80=1,2,3,4", p));
    EXPECT_EQ(p.strName, "\xF0\x9F\x98\x80");
}

TEST(Presets, FileLinesAndLineEnds)
{
    auto presets = ParsePresetText("\xEF\xBB\xBF" "a=1,2,3,4\r\nbad\nb=5,6,7,8\n\nc=9,9,9,9");
    ASSERT_EQ(presets.size(), 3u);
    EXPECT_EQ(presets[0].strName, "a");
    EXPECT_EQ(presets[1].nCellWidth, 5);
    EXPECT_EQ(presets[2].nRows, 9);
    EXPECT_TRUE(ParsePresetText(std::string("\0\0=\0,\0,\0,\0", 11)).size() == 1);
    EXPECT_TRUE(LoadPresetFile("/nonexistent/SetSize.txt").empty());
}

TEST(Presets, DialogReadsThemOncePerOpening)
{
    const auto dir = std::filesystem::temp_directory_path() / "tesvan_setsize_test";
    std::filesystem::create_directories(dir);
    {
        std::ofstream f(dir / "SetSize.txt");
        f << "16x16=16,16,8,8\nA=16,16,4\nP= 8 , 8,2,2\n";
    }
    CSetSizeDlg::s_strProgramFolder = dir.string() + "/";
    CSetSizeDlg dlg;
    dlg.LoadPresets();
    ASSERT_EQ(dlg.m_Presets.size(), 2u);
    std::filesystem::remove(dir / "SetSize.txt");
    dlg.LoadPresets();
    EXPECT_EQ(dlg.m_Presets.size(), 2u);
    dlg.SyncTexts();
    std::string error;
    ASSERT_TRUE(dlg.SetField("preset", "2", error));
    std::string message;
    ASSERT_TRUE(dlg.Validate(message));
    EXPECT_EQ(dlg.m_nCellWidth, 8);
    EXPECT_EQ(dlg.m_nRows, 2);
    EXPECT_EQ(dlg.m_strBits, "32bit");
    // Entry 0 changes nothing; beyond the list is refused.
    ASSERT_TRUE(dlg.SetField("preset", "0", error));
    EXPECT_EQ(dlg.m_nCellWidth, 8);
    EXPECT_FALSE(dlg.SetField("preset", "3", error));
    CSetSizeDlg fresh;
    fresh.LoadPresets();
    EXPECT_TRUE(fresh.m_Presets.empty());
    CSetSizeDlg::s_strProgramFolder.clear();
}

TEST(SetSizeDlg, Refusals)
{
    CSetSizeDlg dlg;
    dlg.SyncTexts();
    std::string error, message;
    ASSERT_TRUE(dlg.SetField("m_nCellWidth", "1x", error));
    EXPECT_FALSE(dlg.Validate(message));
    EXPECT_EQ(message, "整数を入力してください。");
    dlg.SetField("m_nCellWidth", "0", error);
    EXPECT_FALSE(dlg.Validate(message));
    EXPECT_EQ(message, "1 から 32767 までの整数を入力してください。");
    dlg.SetField("m_nCellWidth", " 32 ", error);
    dlg.SetField("m_nRows", "-1", error);
    EXPECT_FALSE(dlg.Validate(message));
    EXPECT_EQ(message, "0 から 32767 までの整数を入力してください。");
    dlg.SetField("m_nRows", "0", error);
    EXPECT_TRUE(dlg.Validate(message));
    EXPECT_EQ(dlg.m_nCellWidth, 32);
    EXPECT_FALSE(dlg.SetField("m_strBits", "16bit", error));
    EXPECT_FALSE(dlg.SetField("m_nNothing", "1", error));
    EXPECT_EQ(CSetSizeDlg::BitsList(), (std::vector<std::string>{"32bit", "8bit"}));
}

TEST(SheetSize, SameSheetInOtherCellsKeepsEveryPixelAndAsksNothing)
{
    CModalFakeUiPort ui;
    CTesvanDoc doc;
    Prepare(doc);
    CFakeAnime anime;
    doc.m_pAnimeDlg = &anime;
    doc.m_bAnimeShown = 1;
    doc.m_Anime[0].strFrames = "0,1";
    doc.m_nSelState = SelState::Selected;
    doc.m_Points.push_back({1, 1});
    doc.m_nEditColumn = 2;
    doc.m_nUndoCount = 1;
    ui.Fields({{"m_nCellWidth", "32"}, {"m_nCellHeight", "32"}, {"m_nColumns", "6"}, {"m_nRows", "8"}});
    doc.OnSheetSize();
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_EQ(doc.m_nColumns, 6);
    EXPECT_EQ(doc.SheetWidth(), 192);
    EXPECT_EQ(Pixel(doc, 0, 127, 10), 0xFF112233u);
    EXPECT_EQ(Pixel(doc, 0, 191, 255), 0xFF445566u);
    EXPECT_EQ(doc.m_nEditColumn, 0);
    EXPECT_EQ(doc.m_nSelState, SelState::None);
    EXPECT_EQ(doc.GetUndoName(), "サイズ変更");
    EXPECT_TRUE(doc.m_Points.empty());
    EXPECT_TRUE(doc.m_Anime[0].strFrames.empty());
    EXPECT_EQ(anime.refreshes, 1);
    EXPECT_TRUE(doc.IsModified());
    doc.m_pAnimeDlg = nullptr;
}

TEST(SheetSize, ShrinkAsksAndKeepsTheLeftPart)
{
    CModalFakeUiPort ui;
    CTesvanDoc doc;
    Prepare(doc);
    ui.Fields({{"m_nColumns", "2"}});
    ui.answers.push_back(UiAnswer::No);
    doc.OnSheetSize();
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(ui.questions[0], "イメージが切り捨てられますが、サイズを変更しますか？");
    EXPECT_EQ(doc.m_nColumns, 3);
    EXPECT_EQ(doc.m_Layers[0].m_pImage->GetWidth(), 192);
    ui.Fields({{"m_nColumns", "2"}});
    ui.answers.push_back(UiAnswer::Yes);
    doc.OnSheetSize();
    EXPECT_EQ(doc.m_Layers[0].m_pImage->GetWidth(), 128);
    EXPECT_EQ(Pixel(doc, 0, 127, 10), 0xFF112233u);
    // Enlarging keeps everything at the top left and asks nothing.
    ui.Fields({{"m_nColumns", "5"}, {"m_nRows", "6"}});
    doc.OnSheetSize();
    EXPECT_EQ(ui.questions.size(), 2u);
    EXPECT_EQ(doc.m_imgWork.GetWidth(), 320);
    EXPECT_EQ(Pixel(doc, 0, 127, 10), 0xFF112233u);
    EXPECT_EQ(Pixel(doc, 0, 300, 300), 0u);
}

TEST(SheetSize, DepthQuestionsAndZoom)
{
    CModalFakeUiPort ui;
    CTesvanDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    // An empty document changes depth without a question.
    ui.Fields({{"m_strBits", "8bit"}, {"m_nCellWidth", "65"}, {"m_nCellHeight", "32"}});
    doc.OnSheetSize();
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_EQ(doc.m_nBitCount, 8);
    EXPECT_EQ(doc.m_nZoom, 4);
    EXPECT_EQ(doc.m_imgWork.GetBPP(), 8);
    ui.Fields({{"m_strBits", "32bit"}, {"m_nCellWidth", "64"}, {"m_nCellHeight", "64"}});
    doc.OnSheetSize();
    EXPECT_EQ(doc.m_nZoom, 8);
    EXPECT_EQ(doc.m_nBitCount, 32);

    Prepare(doc);
    ui.Fields({{"m_strBits", "8bit"}});
    ui.answers.push_back(UiAnswer::Yes);
    doc.OnSheetSize();
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(ui.questions[0], "32bitイメージを8bitイメージに変換出来ません。データを破棄しますか？");
    ASSERT_NE(doc.m_Layers[0].m_pImage, nullptr);
    EXPECT_EQ(doc.m_Layers[0].m_pImage->GetBPP(), 8);
    EXPECT_EQ(doc.m_Layers[0].m_nBitCount, 8);
    EXPECT_EQ(doc.m_Layers[0].m_pImage->GetRow(10)[127], 0);

    // 8 to 32 bits keeps the pixels through the palette.
    doc.m_Layers[0].m_pImage->GetRow(3)[4] = 70;
    ui.Fields({{"m_strBits", "32bit"}});
    doc.OnSheetSize();
    EXPECT_EQ(ui.questions.size(), 1u);
    const RGBQUAD& q = doc.m_Palette[70];
    EXPECT_EQ(Pixel(doc, 0, 4, 3), 0xFF000000u | q.rgbRed << 16 | q.rgbGreen << 8 | q.rgbBlue);
    EXPECT_EQ(Pixel(doc, 0, 5, 3), 0u);
}

TEST(SheetSize, ZeroCountsAndImpossibleSheetsChangeNothing)
{
    CModalFakeUiPort ui;
    CTesvanDoc doc;
    Prepare(doc);
    doc.SetModifiedFlag(false);
    ui.Fields({{"m_nRows", "0"}});
    doc.OnSheetSize();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], "行数または列数が0です。設定はキャンセルされました。");
    ui.Fields({{"m_nCellWidth", "32767"}, {"m_nColumns", "32767"}});
    doc.OnSheetSize();
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[1], "イメージの作成に失敗しました。");
    EXPECT_EQ(doc.m_nCellWidth, 64);
    EXPECT_EQ(doc.m_nColumns, 3);
    EXPECT_EQ(doc.m_imgWork.GetWidth(), 192);
    EXPECT_EQ(Pixel(doc, 0, 127, 10), 0xFF112233u);
    EXPECT_FALSE(doc.IsModified());
    // Cancel: nothing at all.
    doc.OnSheetSize();
    EXPECT_EQ(doc.m_nCellWidth, 64);
    EXPECT_EQ(ui.dialogs.size(), 3u);
}
