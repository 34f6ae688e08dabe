#include "doc/Region.h"
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
    if (img.GetBPP() == 8)
        return img.GetRow(y)[x];
    uint32_t v;
    std::memcpy(&v, img.GetRow(y) + 4 * x, 4);
    return v;
}

void SetPx(CImageEx& img, int x, int y, uint32_t v)
{
    if (img.GetBPP() == 8)
        img.GetRow(y)[x] = uint8_t(v);
    else
        std::memcpy(img.GetRow(y) + 4 * x, &v, 4);
}

class SelectionTest : public ::testing::Test {
protected:
    void Open(int bitCount, int cellW = 64, int cellH = 64)
    {
        doc.m_nBitCount = bitCount;
        doc.OnNewDocument();
        if (cellW != doc.m_nCellWidth || cellH != doc.m_nCellHeight) {
            doc.m_nCellWidth = cellW;
            doc.m_nCellHeight = cellH;
            doc.CreateWorkImage();
        }
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
    // Drags a selection with the given tool between two cell-local points.
    void Select(int tool, CPoint a, CPoint b)
    {
        doc.m_nTool = tool;
        doc.m_Points = {a, b};
        doc.FinishSelection();
    }
    // A 3 x 2 block of distinct values at (x, y): a b c / d e f.
    void Block(CImageEx& img, int x, int y, uint32_t base)
    {
        for (int i = 0; i < 2; ++i)
            for (int j = 0; j < 3; ++j)
                SetPx(img, x + j, y + i, base + uint32_t(3 * i + j));
    }
    // Reads an w x h block at (x, y), row by row.
    std::vector<uint32_t> Read(const CImageEx& img, int x, int y, int w, int h)
    {
        std::vector<uint32_t> v;
        for (int i = 0; i < h; ++i)
            for (int j = 0; j < w; ++j)
                v.push_back(Px(img, x + j, y + i));
        return v;
    }

    CTesvanDoc doc;
    Recorder views;
};

TEST_F(SelectionTest, FinishSelectionTakesTheRectangleFromAnyCorner)
{
    Open(32);
    doc.m_nEditColumn = 1;
    const CRect want{67, 2, 74, 7};
    for (auto [a, b] : {std::pair{CPoint{10, 2}, CPoint{3, 7}}, {CPoint{3, 7}, CPoint{10, 2}},
                        {CPoint{3, 2}, CPoint{10, 7}}, {CPoint{10, 7}, CPoint{3, 2}}}) {
        Select(32796, a, b);
        EXPECT_EQ(doc.m_rcSel, want);
        EXPECT_EQ(doc.m_nSelState, SelState::Selected);
        EXPECT_TRUE(doc.m_Points.empty());
    }
    EXPECT_EQ(doc.m_nSelLayer, doc.CurrentLayer().m_nPage);

    doc.m_nCurrentLayer = 4;
    doc.m_Layers[4].m_nPage = 9;
    Select(32796, {0, 0}, {1, 1});
    EXPECT_EQ(doc.m_nSelLayer, 9);
    Select(32820, {0, 0}, {1, 1});
    EXPECT_EQ(doc.m_nSelLayer, -1);

    // One point: one pixel.
    doc.m_Points = {CPoint{5, 6}};
    doc.FinishSelection();
    EXPECT_EQ(doc.m_rcSel, (CRect{69, 6, 69, 6}));
}

TEST_F(SelectionTest, FinishSelectionWithoutPointsDropsWithoutRepaint)
{
    Open(32);
    Select(32796, {1, 1}, {4, 4});
    views.hints.clear();
    doc.m_Points.clear();
    doc.FinishSelection();
    EXPECT_EQ(doc.m_nSelState, SelState::None);
    EXPECT_TRUE(views.hints.empty());
}

TEST_F(SelectionTest, CutLeavesEmptyPixelsAndPushesUndo)
{
    for (int depth : {32, 8}) {
        Open(depth);
        CImageEx& img = Image(0);
        Block(img, 2, 3, depth == 8 ? 65 : 0xFF000010);
        Select(32796, {2, 3}, {4, 4});
        doc.SetModifiedFlag(false);
        doc.OnEditCut();
        EXPECT_EQ(doc.m_nSelState, SelState::Floating);
        EXPECT_EQ(doc.m_nPieceCount, 1);
        const uint32_t empty = depth == 8 ? 0 : 1;
        EXPECT_EQ(Read(img, 2, 3, 3, 2), std::vector<uint32_t>(6, empty)) << depth;
        EXPECT_EQ(Px(img, 5, 3), 0u);  // outside the rectangle: untouched
        EXPECT_EQ(doc.m_nUndoCount, 1);
        EXPECT_EQ(doc.GetUndoName(), "切取");
        EXPECT_TRUE(doc.IsModified());
        EXPECT_EQ(views.hints.back(), 3);
    }
}

TEST_F(SelectionTest, CutOrCopyWithoutImagesDropsTheSelection)
{
    Open(32);
    Image(1);
    Select(32796, {0, 0}, {3, 3});  // layer 0, which has no image
    doc.OnEditCut();
    EXPECT_EQ(doc.m_nSelState, SelState::None);
    EXPECT_EQ(doc.m_nUndoCount, 0);
    EXPECT_EQ(doc.m_nPieceCount, 0);
}

TEST_F(SelectionTest, CopyAndPasteOnOneLayer)
{
    for (int depth : {32, 8}) {
        Open(depth);
        CImageEx& img = Image(0);
        const uint32_t base = depth == 8 ? 65 : 0xFF000010;
        Block(img, 2, 3, base);
        const std::vector<uint32_t> block = Read(img, 2, 3, 3, 2);
        Select(32796, {2, 3}, {4, 4});
        doc.OnEditCopy();
        EXPECT_EQ(doc.m_nSelState, SelState::Floating);
        EXPECT_EQ(doc.m_nUndoCount, 0);
        EXPECT_EQ(Read(img, 2, 3, 3, 2), block);

        doc.m_rcSel = CRect{20, 30, 22, 31};
        doc.OnEditPaste();
        EXPECT_EQ(Read(img, 20, 30, 3, 2), block) << depth;
        EXPECT_EQ(Read(img, 2, 3, 3, 2), block);
        EXPECT_EQ(doc.m_nSelState, SelState::Floating);  // pastes again as often as wanted
        EXPECT_EQ(views.hints.back(), 7);
        EXPECT_EQ(doc.GetUndoName(), "貼付");
    }
}

TEST_F(SelectionTest, AllLayersCopyTakesOnePiecePerLayerInLayerOrder)
{
    Open(32);
    for (int l : {0, 3, 7})
        SetPx(Image(l), 1, 1, 0xFF000000u | uint32_t(l + 1));
    // Identity follows the layer, not its place.
    doc.m_Layers[3].Swap(doc.m_Layers[7]);
    Select(32820, {0, 0}, {2, 2});
    doc.OnEditCopy();
    ASSERT_EQ(doc.m_nPieceCount, 3);
    EXPECT_EQ(doc.m_Pieces[0].nLayer, 0);
    EXPECT_EQ(doc.m_Pieces[1].nLayer, 7);
    EXPECT_EQ(doc.m_Pieces[2].nLayer, 3);
    EXPECT_EQ(doc.m_Pieces[3].nLayer, -1);

    // Each piece goes back into its own layer.
    doc.m_rcSel = CRect{10, 10, 12, 12};
    doc.OnEditPaste();
    EXPECT_EQ(Px(*doc.m_Layers[0].m_pImage, 11, 11), 0xFF000001u);
    EXPECT_EQ(Px(*doc.m_Layers[3].m_pImage, 11, 11), 0xFF000008u);
    EXPECT_EQ(Px(*doc.m_Layers[7].m_pImage, 11, 11), 0xFF000004u);
    EXPECT_EQ(doc.m_Layers[1].m_pImage, nullptr);
}

TEST_F(SelectionTest, TurnsAndMirrorsOfANonSquarePiece)
{
    Open(32);
    CImageEx& img = Image(0);
    Block(img, 0, 0, 0xFF000001);  // 1 2 3 / 4 5 6
    auto paste = [&](auto&& transform) {
        Select(32796, {0, 0}, {2, 1});
        doc.OnEditCopy();
        doc.m_rcSel = CRect{30, 30, 32, 31};
        transform();
        const int w = doc.m_rcSel.right - doc.m_rcSel.left + 1;
        const int h = doc.m_rcSel.bottom - doc.m_rcSel.top + 1;
        for (int y = 28; y < 36; ++y)
            for (int x = 28; x < 36; ++x)
                SetPx(img, x, y, 0);
        doc.OnEditPaste();
        std::vector<uint32_t> v = Read(img, doc.m_rcSel.left, doc.m_rcSel.top, w, h);
        for (uint32_t& p : v)
            p &= 0xFF;
        return std::pair{std::pair{w, h}, v};
    };
    using V = std::vector<uint32_t>;
    using S = std::pair<int, int>;

    // A quarter turn clockwise: the top row becomes the rightmost column.
    EXPECT_EQ(paste([&] { doc.OnPasteRotate(); }), std::pair(S{2, 3}, V{4, 1, 5, 2, 6, 3}));
    EXPECT_EQ(paste([&] { doc.OnPasteMirrorLR(); }), std::pair(S{3, 2}, V{3, 2, 1, 6, 5, 4}));
    EXPECT_EQ(paste([&] { doc.OnPasteMirrorUD(); }), std::pair(S{3, 2}, V{4, 5, 6, 1, 2, 3}));
    // Mirrors after a turn act on the screen's axes.
    EXPECT_EQ(paste([&] { doc.OnPasteRotate(); doc.OnPasteMirrorLR(); }),
              std::pair(S{2, 3}, V{1, 4, 2, 5, 3, 6}));
    EXPECT_EQ(paste([&] { doc.OnPasteRotate(); doc.OnPasteMirrorUD(); }),
              std::pair(S{2, 3}, V{6, 3, 5, 2, 4, 1}));
    // Two turns: a half turn, both mirror bits and the first size.
    EXPECT_EQ(paste([&] {
                  doc.OnPasteRotate();
                  doc.OnPasteRotate();
                  EXPECT_EQ(doc.m_bPasteRotated, 0);
                  EXPECT_EQ(doc.m_nPasteFlip, 3);
              }),
              std::pair(S{3, 2}, V{6, 5, 4, 3, 2, 1}));
    EXPECT_EQ(paste([&] {
                  for (int k = 0; k < 4; ++k)
                      doc.OnPasteRotate();
                  EXPECT_EQ(doc.m_nPasteFlip, 0);
              }),
              std::pair(S{3, 2}, V{1, 2, 3, 4, 5, 6}));
}

TEST_F(SelectionTest, RotateEnabledOnlyWhenTheTurnedPasteFitsTheCell)
{
    Open(32, 32, 16);
    Image(0);
    Select(32796, {0, 0}, {23, 7});  // 24 wide, 8 high
    EXPECT_FALSE(doc.CanRotatePaste());
    doc.OnEditCopy();
    EXPECT_TRUE(doc.CanPaste());
    EXPECT_FALSE(doc.CanRotatePaste());
    doc.OnPasteRotate();
    EXPECT_EQ(doc.m_bPasteRotated, 0);

    Select(32796, {0, 0}, {15, 7});  // 16 wide, 8 high
    doc.OnEditCopy();
    EXPECT_TRUE(doc.CanRotatePaste());
    // The turned rectangle keeps its corner unless the cell pushes it back.
    doc.m_rcSel = CRect{20, 10, 35, 17};
    doc.OnPasteRotate();
    EXPECT_EQ(doc.m_rcSel, (CRect{20, 0, 27, 15}));
}

TEST_F(SelectionTest, KeepPasteInCellClampsEachEdge)
{
    Open(32);
    doc.m_nEditColumn = 1;
    doc.m_nEditRow = 2;  // cell (64, 128) - (127, 191)
    struct Case {
        CRect in, out;
        int moved;
    } cases[] = {
        {{70, 130, 79, 139}, {70, 130, 79, 139}, 0},
        {{60, 130, 69, 139}, {64, 130, 73, 139}, 1},
        {{120, 130, 129, 139}, {118, 130, 127, 139}, 1},
        {{70, 120, 79, 129}, {70, 128, 79, 137}, 1},
        {{70, 185, 79, 194}, {70, 182, 79, 191}, 1},
        {{0, 0, 9, 9}, {64, 128, 73, 137}, 1},
        {{64, 128, 127, 191}, {64, 128, 127, 191}, 0},
    };
    for (const Case& c : cases) {
        doc.m_rcSel = c.in;
        EXPECT_EQ(doc.KeepPasteInCell(), c.moved);
        EXPECT_EQ(doc.m_rcSel, c.out);
    }
}

TEST_F(SelectionTest, TransparentAndOpaquePaste)
{
    Open(32);
    CImageEx& img = Image(0);
    SetPx(img, 0, 0, 0xFF112233);  // the piece: one colour, one empty pixel
    for (int x = 10; x < 12; ++x)
        SetPx(img, x, 10, 0xFFAAAAAA);
    Select(32796, {0, 0}, {1, 0});
    doc.OnEditCopy();
    doc.m_rcSel = CRect{10, 10, 11, 10};

    doc.OnPasteTransparent();
    EXPECT_EQ(Read(img, 10, 10, 2, 1), (std::vector<uint32_t>{0xFF112233, 0xFFAAAAAA}));
    SetPx(img, 10, 10, 0xFFAAAAAA);
    doc.m_bShift = 1;  // Shift makes paste transparent as well
    doc.OnEditPaste();
    EXPECT_EQ(Read(img, 10, 10, 2, 1), (std::vector<uint32_t>{0xFF112233, 0xFFAAAAAA}));
    doc.m_bShift = 0;
    doc.OnEditPaste();
    EXPECT_EQ(Read(img, 10, 10, 2, 1), (std::vector<uint32_t>{0xFF112233, 0}));
    EXPECT_EQ(doc.m_nUndoCount, 3);
}

TEST_F(SelectionTest, TransparentPasteOfZerosChangesNothingButRecordsUndo)
{
    Open(8);
    CImageEx& img = Image(0);
    SetPx(img, 20, 20, 66);
    Select(32796, {0, 0}, {3, 3});
    doc.OnEditCopy();
    doc.m_rcSel = CRect{19, 19, 22, 22};
    doc.OnPasteTransparent();
    EXPECT_EQ(Px(img, 20, 20), 66u);
    EXPECT_EQ(doc.m_nUndoCount, 1);
    EXPECT_EQ(doc.GetUndoMenuText(), "元に戻す(貼付)(&U)\tCtrl+Z");
}

TEST_F(SelectionTest, CutPixelsPasteEvenTransparently)
{
    Open(32);
    CImageEx& img = Image(0);
    SetPx(img, 0, 0, 0xFF0000FF);
    Select(32796, {0, 0}, {1, 1});
    doc.OnEditCut();
    doc.ResetSelection(false);
    // A region taken from the emptied place carries 0x00000001, not 0.
    SetPx(img, 40, 40, 0xFFFFFFFF);
    Select(32796, {0, 0}, {0, 0});
    doc.OnEditCopy();
    doc.m_rcSel = CRect{40, 40, 40, 40};
    doc.OnPasteTransparent();
    EXPECT_EQ(Px(img, 40, 40), 1u);
}

TEST_F(SelectionTest, PieceOfAVanishedLayerIsSkippedAnEmptyOneGetsAnImage)
{
    Open(32);
    SetPx(Image(0), 0, 0, 0xFF000001);
    SetPx(Image(3), 0, 0, 0xFF000004);
    SetPx(Image(5), 0, 0, 0xFF000006);
    Select(32820, {0, 0}, {0, 0});
    doc.OnEditCopy();
    ASSERT_EQ(doc.m_nPieceCount, 3);
    doc.m_Layers[3].ReleaseImage();   // lost its image
    doc.m_Layers[5].m_nPage = 11;     // no layer of identity 5 any more
    doc.m_Layers[11].m_nPage = 10;
    doc.m_rcSel = CRect{8, 8, 8, 8};
    doc.OnEditPaste();
    EXPECT_EQ(Px(*doc.m_Layers[0].m_pImage, 8, 8), 0xFF000001u);
    ASSERT_NE(doc.m_Layers[3].m_pImage, nullptr);
    EXPECT_EQ(Px(*doc.m_Layers[3].m_pImage, 8, 8), 0xFF000004u);
    EXPECT_EQ(Px(*doc.m_Layers[5].m_pImage, 8, 8), 0u);
}

TEST_F(SelectionTest, EnableRulesFollowTheState)
{
    Open(32);
    Image(0);
    EXPECT_FALSE(doc.CanCutCopy());
    EXPECT_FALSE(doc.CanPaste());
    Select(32796, {0, 0}, {1, 1});
    EXPECT_TRUE(doc.CanCutCopy());
    EXPECT_FALSE(doc.CanPaste());
    doc.OnEditCopy();
    EXPECT_FALSE(doc.CanCutCopy());
    EXPECT_TRUE(doc.CanPaste());
    doc.m_nSelState = SelState::Grabbed;  // grabbed: nothing until the first move
    EXPECT_FALSE(doc.CanPaste());
    EXPECT_FALSE(doc.CanRotatePaste());
}

TEST_F(SelectionTest, SelViewRectInCanvasPixels)
{
    Open(32);
    CRect rc;
    EXPECT_EQ(doc.GetSelViewRect(rc), 0);
    doc.m_nEditColumn = 1;
    doc.m_nCurrentLayer = 2;
    Select(32796, {3, 4}, {5, 9});
    ASSERT_EQ(doc.GetSelViewRect(rc), 1);
    EXPECT_EQ(rc, (CRect{24, 32, 48, 80}));
    doc.m_nZoom = 4;
    doc.GetSelViewRect(rc);
    EXPECT_EQ(rc, (CRect{12, 16, 24, 40}));
    doc.m_nCurrentLayer = 1;  // a selection of another layer
    EXPECT_EQ(doc.GetSelViewRect(rc), 2);
    doc.m_nSelLayer = -1;
    EXPECT_EQ(doc.GetSelViewRect(rc), 1);
    doc.m_nEditColumn = 2;  // the selection lies in another cell
    EXPECT_EQ(doc.GetSelViewRect(rc), 0);
}

TEST_F(SelectionTest, PasteInAnotherCellWritesThere)
{
    Open(32);
    CImageEx& img = Image(0);
    SetPx(img, 1, 1, 0xFF00FF00);
    Select(32796, {0, 0}, {2, 2});
    doc.OnEditCopy();
    // As the cell change carries it: same offset inside the new cell.
    doc.m_rcSel = CRect{129, 64, 131, 66};
    doc.m_nEditColumn = 2;
    doc.m_nEditRow = 1;
    EXPECT_EQ(doc.KeepPasteInCell(), 0);
    doc.OnEditPaste();
    EXPECT_EQ(Px(img, 130, 65), 0xFF00FF00u);
}

}  // namespace
