#include "doc/TesvanDoc.h"
#include "exchange/SheetSize.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
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

class UndoTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        doc.m_nBitCount = 32;
        doc.OnNewDocument();
        doc.AddView(&views);
    }
    CImageEx& Image(int layer)
    {
        CLayer& l = doc.m_Layers[layer];
        if (!l.m_pImage)
            l.CreateImage(doc.SheetWidth(), doc.SheetHeight(), doc.m_Palette, false, 32);
        return *l.m_pImage;
    }
    CRect Cell() const
    {
        const int x = doc.m_nEditColumn * doc.m_nCellWidth, y = doc.m_nEditRow * doc.m_nCellHeight;
        return CRect{x, y, x + doc.m_nCellWidth - 1, y + doc.m_nCellHeight - 1};
    }
    // A stroke's commit as the tools do it: push, then draw.
    void Stroke(int layer, int tool, uint32_t value, int x = 5, int y = 5)
    {
        CImageEx& img = Image(layer);
        EXPECT_TRUE(doc.PushUndo(doc.m_Layers[layer], tool, 32, Cell()));
        SetPx(img, x, y, value);
    }

    CTesvanDoc doc;
    Recorder views;
};

TEST_F(UndoTest, TenStepsBackAndTheEleventhRefused)
{
    doc.SetUndoLimits(10, CTesvanDoc::kUndoDefaultBudget);
    for (uint32_t k = 1; k <= 11; ++k)
        Stroke(0, 32798, 0xFF000000u | k);
    EXPECT_EQ(doc.m_nUndoCount, 10);
    EXPECT_EQ(doc.m_nUndoIndex, 10);
    for (int k = 0; k < 10; ++k) {
        ASSERT_TRUE(doc.CanUndo());
        doc.Undo();
    }
    // The first stroke's entry was overwritten by the eleventh.
    EXPECT_EQ(Px(*doc.m_Layers[0].m_pImage, 5, 5), 0xFF000001u);
    EXPECT_FALSE(doc.CanUndo());
    EXPECT_EQ(doc.GetUndoMenuText(), "元に戻す(&U)\tCtrl+Z");
    doc.Undo();
    EXPECT_EQ(Px(*doc.m_Layers[0].m_pImage, 5, 5), 0xFF000001u);
    EXPECT_EQ(doc.m_nUndoCount, 0);
    EXPECT_EQ(doc.m_nUndoIndex, 0);
    // All ten wait to be redone.
    EXPECT_EQ(doc.m_Undo.size(), 10u);
    EXPECT_EQ(doc.GetRedoMenuText(), "やり直し(鉛筆)(&R)\tCtrl+Y");
}

TEST_F(UndoTest, UndoAfterSaveMarksTheDocumentModified)
{
    Stroke(0, 32798, 0xFF0000FFu);
    doc.SetModifiedFlag(false); // as a save leaves it
    doc.Undo();
    // The file still holds the stroke; closing must offer to save the undo.
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(UndoTest, NewStepAfterUndosReplacesTheUndoneEntry)
{
    for (uint32_t k = 1; k <= 10; ++k)
        Stroke(0, 32798, 0xFF000000u | k);
    doc.Undo();
    doc.Undo();
    EXPECT_EQ(doc.m_nUndoCount, 8);
    EXPECT_EQ(Px(Image(0), 5, 5), 0xFF000008u);
    Stroke(0, 32797, 0xFF0000AA);
    EXPECT_EQ(doc.m_nUndoCount, 9);
    EXPECT_EQ(doc.GetUndoName(), "直線");
    doc.Undo();
    EXPECT_EQ(Px(Image(0), 5, 5), 0xFF000008u);
    doc.Undo();
    EXPECT_EQ(Px(Image(0), 5, 5), 0xFF000007u);
}

TEST_F(UndoTest, PushOnALayerWithoutImageSavesNothing)
{
    Stroke(0, 32798, 0xFF000001);
    EXPECT_FALSE(doc.PushUndo(doc.m_Layers[4], 32798, 32, Cell()));
    EXPECT_EQ(doc.m_nUndoCount, 1);
    EXPECT_EQ(doc.m_nUndoIndex, 1);
    doc.m_Layers[0].ReleaseImage();
    EXPECT_FALSE(doc.PushUndo(32798, 32, Cell()));
    EXPECT_EQ(doc.m_nUndoCount, 1);
    EXPECT_EQ(doc.m_Undo.size(), 1u);
}

TEST_F(UndoTest, ItemTextNamesTheStep)
{
    EXPECT_EQ(doc.GetUndoMenuText(), "元に戻す(&U)\tCtrl+Z");
    const std::pair<int, const char*> steps[] = {
        {32832, "曲線"}, {32798, "鉛筆"}, {32797, "直線"},   {32799, "四角形枠"},
        {32802, "楕円"}, {32804, "塗りつぶし"}, {32805, "四角形"}, {32806, "楕円枠"},
        {32872, "テキスト"},
    };
    for (auto [tool, name] : steps) {
        Stroke(0, tool, 0xFF000001);
        EXPECT_EQ(doc.GetUndoMenuText(), std::string("元に戻す(") + name + ")(&U)\tCtrl+Z");
    }
    doc.ChangePaletteColor(20, RGB(1, 2, 3));
    EXPECT_EQ(doc.GetUndoMenuText(), "元に戻す(カラー変更)(&U)\tCtrl+Z");
    doc.Undo();
    EXPECT_EQ(doc.GetUndoMenuText(), "元に戻す(テキスト)(&U)\tCtrl+Z");
}

TEST_F(UndoTest, UndoOfAnAllLayersCutRestoresEveryLayerAndDropsThePaste)
{
    SetPx(Image(0), 3, 3, 0xFF000011);
    SetPx(Image(6), 4, 4, 0xFF000066);
    Image(9);
    doc.m_nTool = 32820;
    doc.m_Points = {CPoint{2, 2}, CPoint{6, 6}};
    doc.FinishSelection();
    doc.OnEditCut();
    ASSERT_EQ(doc.m_nSelState, SelState::Floating);
    EXPECT_EQ(Px(Image(6), 4, 4), 1u);
    doc.SetModifiedFlag(false);
    views.hints.clear();
    doc.Undo();
    EXPECT_EQ(Px(Image(0), 3, 3), 0xFF000011u);
    EXPECT_EQ(Px(Image(6), 4, 4), 0xFF000066u);
    EXPECT_EQ(Px(Image(9), 4, 4), 0u);
    EXPECT_EQ(doc.m_nSelState, SelState::None);
    EXPECT_EQ(doc.m_nPieceCount, 0);
    EXPECT_TRUE(doc.IsModified());  // what was saved no longer matches
    EXPECT_EQ(views.hints, std::vector<int>{3});
}

TEST_F(UndoTest, UndoFindsAMovedLayerByIdentity)
{
    SetPx(Image(2), 5, 5, 0xFF000002);
    Image(5);
    Stroke(2, 32798, 0xFF0000FF);
    doc.m_Layers[2].Swap(doc.m_Layers[5]);  // page 2 now stands at place 5
    doc.Undo();
    EXPECT_EQ(Px(*doc.m_Layers[5].m_pImage, 5, 5), 0xFF000002u);
    EXPECT_EQ(Px(*doc.m_Layers[2].m_pImage, 5, 5), 0u);
}

TEST_F(UndoTest, UndoSkipsALayerThatLostItsImage)
{
    Stroke(1, 32798, 0xFF000001);
    doc.m_Layers[1].ReleaseImage();
    doc.Undo();
    EXPECT_EQ(doc.m_Layers[1].m_pImage, nullptr);
    EXPECT_EQ(doc.m_nUndoCount, 0);
}

TEST_F(UndoTest, UndoDiscardsUncommittedText)
{
    Stroke(0, 32872, 0xFF000001);
    doc.m_strText = "abc";
    doc.m_ptText = CPoint{3, 4};
    doc.Undo();
    EXPECT_TRUE(doc.m_strText.empty());
}

TEST_F(UndoTest, PaletteUndoOfPageZeroTouchesNoGradationRecord)
{
    const RGBQUAD before = doc.m_Palette[3];
    doc.m_Gradations[0] = CGradationInfo{8, 1, 2, 3, 50};
    doc.ChangePaletteColor(3, RGB(9, 9, 9));
    doc.m_Gradations[0].nCenterPos = 40;
    doc.Undo();
    EXPECT_EQ(doc.m_Palette[3], before);
    EXPECT_EQ(doc.m_Gradations[0].nCenterPos, 40);
    EXPECT_TRUE(doc.CanRedo());
}

TEST_F(UndoTest, PaletteUndoRestoresEntriesAndGradationRecords)
{
    // Entries 16..31 with records 0 and 1.
    doc.m_Gradations[0] = CGradationInfo{8, 0x10, 0x20, 0x30, 50};
    doc.m_Gradations[1] = CGradationInfo{8, 0x11, 0x21, 0x31, 40};
    RGBQUAD saved[16];
    std::memcpy(saved, doc.m_Palette + 16, sizeof saved);
    doc.ChangePaletteColor(20, RGB(200, 100, 50));
    EXPECT_EQ(doc.m_Gradations[0].nCount, 0);  // forgotten by the change
    EXPECT_EQ(doc.m_Gradations[1].nCount, 8);
    const auto& entry = dynamic_cast<const CUndoEntry&>(*doc.m_Undo[0]);
    ASSERT_TRUE(entry.bPalette);
    EXPECT_EQ(entry.pPalette->nFirst, 16);
    EXPECT_EQ(entry.pPalette->nLayer, 0);
    doc.Undo();
    EXPECT_EQ(std::memcmp(saved, doc.m_Palette + 16, sizeof saved), 0);
    EXPECT_EQ(doc.m_Gradations[0].nCount, 8);
    EXPECT_EQ(doc.m_Gradations[0].crLast, 0x30u);
    EXPECT_EQ(doc.m_Gradations[1].nCenterPos, 40);
}

TEST_F(UndoTest, PaletteUndoRecoloursTheLayerBack)
{
    doc.m_nCurrentLayer = 1;
    CImageEx& img = Image(1);
    doc.ChangePaletteColor(80, RGB(10, 20, 30));  // entry 80: page 1
    SetPx(img, 0, 0, 0x800A141E);
    doc.ChangePaletteColor(80, RGB(1, 2, 3));
    EXPECT_EQ(Px(img, 0, 0), 0x80010203u);
    doc.m_nCurrentLayer = 0;  // the layer current at the change counts
    doc.Undo();
    EXPECT_EQ(Px(img, 0, 0), 0x800A141Eu);
    EXPECT_EQ(doc.m_Palette[80], (RGBQUAD{30, 20, 10, 0}));
}

TEST_F(UndoTest, RedoWalksForwardAndANewStepEndsIt)
{
    Stroke(0, 32798, 0xFF000001);
    Stroke(0, 32797, 0xFF000002);
    doc.Undo();
    doc.Undo();
    EXPECT_EQ(Px(Image(0), 5, 5), 0u);
    EXPECT_EQ(doc.GetRedoMenuText(), "やり直し(鉛筆)(&R)\tCtrl+Y");
    doc.Redo();
    EXPECT_EQ(Px(Image(0), 5, 5), 0xFF000001u);
    EXPECT_EQ(doc.GetUndoName(), "鉛筆");
    EXPECT_EQ(doc.GetRedoName(), "直線");
    doc.Redo();
    EXPECT_EQ(Px(Image(0), 5, 5), 0xFF000002u);
    EXPECT_FALSE(doc.CanRedo());
    EXPECT_EQ(doc.GetRedoMenuText(), "やり直し(&R)\tCtrl+Y");
    doc.Undo();
    Stroke(0, 32804, 0xFF000003);
    EXPECT_FALSE(doc.CanRedo());
    EXPECT_EQ(doc.m_nUndoCount, 2);
    doc.Undo();
    EXPECT_EQ(Px(Image(0), 5, 5), 0xFF000001u);
    // A palette step redoes as well.
    doc.ChangePaletteColor(20, RGB(1, 2, 3));
    doc.Undo();
    EXPECT_NE(doc.m_Palette[20], (RGBQUAD{3, 2, 1, 0}));
    doc.Redo();
    EXPECT_EQ(doc.m_Palette[20], (RGBQUAD{3, 2, 1, 0}));
}

TEST_F(UndoTest, UndoingBackToTheSavedStateClearsTheModifiedFlag)
{
    Stroke(0, 32798, 0xFF000001);
    doc.SetModifiedFlag();
    doc.UpdateAllViews(3);
    doc.SetModifiedFlag(false);  // saved here
    Stroke(0, 32798, 0xFF000002);
    doc.SetModifiedFlag();
    doc.UpdateAllViews(3);
    doc.Undo();
    EXPECT_FALSE(doc.IsModified());
    doc.Undo();
    EXPECT_TRUE(doc.IsModified());
    doc.Redo();
    EXPECT_FALSE(doc.IsModified());
    // A change the history does not hold keeps the flag from then on.
    doc.m_bShowGrid = 0;
    doc.SetModifiedFlag();
    doc.Redo();
    doc.Undo();
    EXPECT_TRUE(doc.IsModified());
    // A new step where the saved state could only be redone loses it.
    doc.SetModifiedFlag(false);
    doc.Undo();
    Stroke(0, 32798, 0xFF000004);
    doc.Undo();
    doc.Redo();
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(UndoTest, StepLimitAndMemoryBudgetDropTheOldestSteps)
{
    doc.SetUndoLimits(5, CTesvanDoc::kUndoDefaultBudget);
    EXPECT_EQ(doc.GetUndoStepLimit(), 10);  // clamped to the least
    doc.SetUndoLimits(2000, CTesvanDoc::kUndoDefaultBudget);
    EXPECT_EQ(doc.GetUndoStepLimit(), 1000);
    doc.SetUndoLimits(200, CTesvanDoc::kUndoDefaultBudget);
    for (uint32_t k = 1; k <= 150; ++k)
        Stroke(0, 32798, 0xFF000000u | k);
    EXPECT_EQ(doc.m_nUndoCount, 150);
    while (doc.CanUndo())
        doc.Undo();
    EXPECT_EQ(Px(Image(0), 5, 5), 0u);
    while (doc.CanRedo())
        doc.Redo();
    // A budget of about three steps keeps the newest three.
    const size_t one = doc.m_Undo.back()->Size();
    doc.SetUndoLimits(100, 3 * one + one / 2);
    EXPECT_EQ(doc.m_nUndoCount, 3);
    EXPECT_LE(doc.GetUndoMemory(), 3 * one + one / 2);
    doc.Undo();
    doc.Undo();
    doc.Undo();
    EXPECT_EQ(Px(Image(0), 5, 5), 147u | 0xFF000000u);
    // Even one step above the budget stays undoable.
    doc.SetUndoLimits(100, 1);
    Stroke(0, 32798, 0xFF0000EE);
    EXPECT_EQ(doc.m_nUndoCount, 1);
}

TEST_F(UndoTest, StepsKeepNoiseRawAndFlatAreasCoded)
{
    CImageEx& img = Image(0);
    std::mt19937 random(7);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            SetPx(img, x, y, random() | 0xFF000000u);
    const uint32_t saved = Px(img, 9, 9);
    Stroke(0, 32798, 0xFF000001, 9, 9);
    const size_t raw = 64 * 64 * 4;
    EXPECT_LE(doc.m_Undo.back()->Size(), raw + 512);
    doc.Undo();
    EXPECT_EQ(Px(img, 9, 9), saved);
    doc.Redo();
    EXPECT_EQ(Px(img, 9, 9), 0xFF000001u);
    // A cell of one colour costs a few bytes of code.
    doc.SelectCell(1);
    Stroke(0, 32798, 0xFF000002, 70, 5);
    EXPECT_LT(doc.m_Undo.back()->Size(), 1024u);
}

TEST_F(UndoTest, WholesaleStepsUndoAndRedoPaletteLoadAndResize)
{
    // Palette file load in a 32-bit document recolours pixels of the page.
    const std::string path = ::testing::TempDir() + "/undo_palette.plt";
    doc.ChangePaletteColor(64, RGB(10, 20, 30));
    SetPx(Image(0), 1, 1, 0xFF0A141E);
    ASSERT_TRUE(doc.SavePaletteFile(path));
    doc.ChangePaletteColor(64, RGB(40, 50, 60));
    ASSERT_EQ(Px(Image(0), 1, 1), 0xFF28323Cu);
    const int before = doc.m_nUndoCount;
    {
        CUndoRecorder undo(doc, "パレット読込");
        ASSERT_TRUE(doc.LoadPaletteFile(path));
    }
    EXPECT_EQ(doc.m_nUndoCount, before + 1);
    EXPECT_EQ(doc.GetUndoName(), "パレット読込");
    EXPECT_EQ(Px(Image(0), 1, 1), 0xFF0A141Eu);
    doc.Undo();
    EXPECT_EQ(Px(Image(0), 1, 1), 0xFF28323Cu);
    EXPECT_EQ(doc.m_Palette[64], (RGBQUAD{60, 50, 40, 0}));
    doc.Redo();
    EXPECT_EQ(Px(Image(0), 1, 1), 0xFF0A141Eu);
    std::remove(path.c_str());

    // Resize: geometry, images and the working image come back.
    SetPx(Image(3), 150, 200, 0xFF123456);
    ASSERT_TRUE(ResizeSheet(doc, 32, 32, 2, 2, 32, true));
    EXPECT_EQ(doc.GetUndoName(), "サイズ変更");
    EXPECT_EQ(doc.m_Layers[3].m_pImage->GetWidth(), 64);
    doc.Undo();
    EXPECT_EQ(doc.m_nCellWidth, 64);
    EXPECT_EQ(doc.m_nColumns, 3);
    EXPECT_EQ(doc.m_imgWork.GetWidth(), 192);
    EXPECT_EQ(Px(*doc.m_Layers[3].m_pImage, 150, 200), 0xFF123456u);
    EXPECT_EQ(Px(doc.m_imgWork, 150, 200), 0xFF123456u);
    doc.Redo();
    EXPECT_EQ(doc.m_imgWork.GetWidth(), 64);
    EXPECT_EQ(doc.m_Layers[3].m_pImage->GetHeight(), 64);

    // A recorded operation that changes nothing leaves no step.
    const int count = doc.m_nUndoCount;
    { CUndoRecorder idle(doc, "サイズ変更"); }
    EXPECT_EQ(doc.m_nUndoCount, count);
}

}  // namespace
