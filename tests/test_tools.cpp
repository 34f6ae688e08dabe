// Tool state, tool commands and pointer strokes: what a press, a drag and a
// release do to the points, the layer, the selection and the undo ring.
#include "support/FakeUiPort.h"
#include "support/ToolDoc.h"

#include <gtest/gtest.h>

namespace {

class Tools : public ::testing::Test {
protected:
    void SetUp() override
    {
        MakeDoc(doc, 32);
        doc.AddView(&log);
    }
    void TearDown() override { CTesvanDoc::s_pfnMovePointer = nullptr; }

    // A floating paste of the current layer's rectangle, sheet pixels.
    void Float(const CRect& rc)
    {
        CLayer& layer = doc.CurrentLayer();
        if (!layer.m_pImage)
            layer.CreateImage(doc.SheetWidth(), doc.SheetHeight(), doc.m_Palette, false, 32);
        SetPixel32(*layer.m_pImage, rc.left, rc.top, 0xFF0000FFu);
        doc.OnToolCommand(Cmd::ToolSelect);
        const int ox = doc.m_nEditColumn * doc.m_nCellWidth, oy = doc.m_nEditRow * doc.m_nCellHeight;
        Stroke(doc, {{rc.left - ox, rc.top - oy}, {rc.right - ox, rc.bottom - oy}});
        ASSERT_EQ(doc.m_nSelState, SelState::Selected);
        doc.OnEditCopy();
        ASSERT_EQ(doc.m_nSelState, SelState::Floating);
    }

    CFakeUiPort ui;
    CTesvanDoc doc;
    HintLog log;
};

}  // namespace

TEST_F(Tools, ToolKinds)
{
    const std::pair<int, int> kinds[] = {
        {Cmd::ToolDropper, -2},      {Cmd::ToolFill, -1},        {Cmd::ToolLine, 0},
        {Cmd::ToolRectFrame, 0},    {Cmd::ToolRectFill, 0},    {Cmd::ToolEllipseFrame, 0},
        {Cmd::ToolEllipseFill, 0},  {Cmd::ToolPencil, 1},       {Cmd::ToolThickBrush, 1},
        {Cmd::ToolThinBrush, 1},    {Cmd::ToolCurve, 2},        {Cmd::ToolSelect, 3},
        {Cmd::ToolSelectAllLayers, 3},    {Cmd::ToolText, 5},
    };
    for (auto [tool, kind] : kinds) {
        doc.m_nTool = tool;
        EXPECT_EQ(doc.GetToolKind(), kind) << tool;
    }
    doc.m_nSelState = SelState::Floating;
    doc.m_nTool = Cmd::ToolSelectAllLayers;
    EXPECT_EQ(doc.GetToolKind(), 4);
    doc.m_nSelState = SelState::Grabbed;  // just grabbed: a selection kind again
    EXPECT_EQ(doc.GetToolKind(), 3);
}

TEST_F(Tools, PointerPointsMapToCellPixels)
{
    EXPECT_EQ(doc.CellPixel({16, 16}), (CPoint{0, 0}));
    EXPECT_EQ(doc.CellPixel({23, 31}), (CPoint{0, 1}));
    EXPECT_EQ(doc.CellPixel({24, 16}), (CPoint{1, 0}));
    doc.m_nZoom = 4;
    EXPECT_EQ(doc.CellPixel({19, 20}), (CPoint{0, 1}));
}

TEST_F(Tools, ChoosingTheCurrentToolAgain)
{
    // The pencil again drops a selection; the selection tool again keeps it.
    Float({1, 1, 3, 3});
    doc.OnToolCommand(Cmd::ToolSelect);
    EXPECT_EQ(doc.m_nSelState, SelState::Floating);
    doc.OnToolCommand(Cmd::ToolPencil);
    EXPECT_EQ(doc.m_nSelState, SelState::None);
    doc.m_nSelState = SelState::Selected;
    doc.OnToolCommand(Cmd::ToolPencil);
    EXPECT_EQ(doc.m_nSelState, SelState::None);
    EXPECT_EQ(log.hints.back(), 3);
    // Ids that are not tools change nothing.
    doc.OnToolCommand(57600);
    EXPECT_EQ(doc.m_nTool, Cmd::ToolPencil);
}

TEST_F(Tools, PenWidths)
{
    doc.OnPenWidth(3);
    EXPECT_EQ(doc.m_nPenWidth, 3);
    doc.OnPenWidth(4);
    doc.OnPenWidth(0);
    EXPECT_EQ(doc.m_nPenWidth, 3);
}

TEST_F(Tools, PencilStrokeIsCellLocalCreatesTheLayerAndPushesUndo)
{
    doc.SelectCell(3);  // column 1, row 1
    ASSERT_EQ(doc.CurrentLayer().m_pImage, nullptr);
    EXPECT_EQ(Press(doc, 0, 0), 1);
    EXPECT_EQ(doc.m_nButton, 1);
    Move(doc, 1, 0);
    Move(doc, 1, 0);  // same pixel: no new point
    Move(doc, 7, 0);
    EXPECT_EQ(doc.m_Points, (std::vector<CPoint>{{0, 0}, {1, 0}, {7, 0}}));
    EXPECT_EQ(doc.CurrentLayer().m_pImage, nullptr);  // preview only
    EXPECT_EQ(Release(doc), 1);
    EXPECT_EQ(doc.m_nButton, 0);
    EXPECT_TRUE(doc.m_Points.empty());
    ASSERT_NE(doc.CurrentLayer().m_pImage, nullptr);
    EXPECT_EQ(CellText(doc, *doc.CurrentLayer().m_pImage, 1, 1)[0], "aaaaaaaa");
    EXPECT_EQ(CellText(doc, *doc.CurrentLayer().m_pImage, 0, 0)[0], "........");
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.m_nUndoCount, 1);
    EXPECT_EQ(doc.GetUndoMenuText(), "元に戻す(鉛筆)(&U)\tCtrl+Z");
    // The entry covers the current cell: undo clears the stroke again.
    doc.Undo();
    EXPECT_EQ(CellText(doc, *doc.CurrentLayer().m_pImage, 1, 1)[0], "........");
}

TEST_F(Tools, EveryStrokeCommitNamesItsTool)
{
    const std::pair<int, const char*> names[] = {
        {Cmd::ToolLine, "直線"},          {Cmd::ToolRectFrame, "四角形枠"}, {Cmd::ToolRectFill, "四角形"},
        {Cmd::ToolEllipseFrame, "楕円枠"}, {Cmd::ToolEllipseFill, "楕円"}, {Cmd::ToolCurve, "曲線"},
        {Cmd::ToolFill, "塗りつぶし"},
    };
    for (auto [tool, name] : names) {
        doc.OnToolCommand(tool);
        Stroke(doc, {{1, 1}, {5, 5}});
        EXPECT_EQ(doc.GetUndoName(), name);
    }
    EXPECT_EQ(doc.m_nUndoCount, 7);
}

TEST_F(Tools, OtherButtonDuringAStrokeIsIgnored)
{
    doc.OnToolCommand(Cmd::ToolLine);
    Press(doc, 1, 1, 1);
    EXPECT_EQ(Press(doc, 4, 4, 2), 0);
    EXPECT_EQ(doc.m_nButton, 1);
    EXPECT_EQ(doc.m_Points.size(), 1u);
    Release(doc);
    EXPECT_EQ(Pixel32(*doc.CurrentLayer().m_pImage, 1, 1), 0xFF302010u);
    // A release without a stroke does nothing.
    EXPECT_EQ(Release(doc), 0);
}

TEST_F(Tools, CurveStaysOpenWithControlOrShiftAndEscapeRemovesPoints)
{
    doc.OnToolCommand(Cmd::ToolCurve);
    Press(doc, 1, 1);
    EXPECT_EQ(doc.m_Points, (std::vector<CPoint>{{1, 1}, {1, 1}}));
    Move(doc, 6, 1);
    EXPECT_EQ(Release(doc, kKeyFlagControl), 0);
    EXPECT_EQ(doc.m_nButton, 1);
    // A move with no button held still drags the last point.
    Move(doc, 6, 2);
    EXPECT_EQ(doc.m_Points.back(), (CPoint{6, 2}));
    // A press without the keys adds nothing; with Shift at a new place it does.
    Press(doc, 3, 6);
    EXPECT_EQ(doc.m_Points.size(), 2u);
    Press(doc, 3, 6, 1, kKeyFlagShift);
    EXPECT_EQ(doc.m_Points.size(), 3u);
    EXPECT_EQ(Release(doc, kKeyFlagShift), 0);
    doc.OnEscapeKey();
    EXPECT_EQ(doc.m_Points.size(), 2u);
    EXPECT_EQ(doc.CurrentLayer().m_pImage, nullptr);
    EXPECT_EQ(Release(doc), 1);
    EXPECT_EQ(doc.m_nButton, 0);
    ASSERT_NE(doc.CurrentLayer().m_pImage, nullptr);
    // The line (1,1)-(6,2) of the two points left.
    const auto cell = CellText(doc, *doc.CurrentLayer().m_pImage);
    EXPECT_EQ(cell[1][1], 'a');
    EXPECT_EQ(cell[2][6], 'a');
    EXPECT_EQ(cell[6][3], '.');
}

TEST_F(Tools, ChoosingAnotherToolAbandonsAnOpenCurve)
{
    doc.OnToolCommand(Cmd::ToolCurve);
    Press(doc, 1, 1);
    Move(doc, 6, 6);
    Release(doc, kKeyFlagControl);
    doc.OnToolCommand(Cmd::ToolPencil);
    EXPECT_EQ(doc.m_nButton, 0);
    EXPECT_TRUE(doc.m_Points.empty());
    // The next press starts a fresh pencil stroke.
    EXPECT_EQ(Press(doc, 2, 2), 1);
    Release(doc);
    const auto cell = CellText(doc, *doc.CurrentLayer().m_pImage);
    EXPECT_EQ(cell[2][2], 'a');
    EXPECT_EQ(cell[6][6], '.');
}

TEST_F(Tools, EscapeWithoutSelectionOrCurveSendsNothing)
{
    log.hints.clear();
    doc.OnEscapeKey();
    EXPECT_TRUE(log.hints.empty());
    doc.m_nSelState = SelState::Selected;
    doc.OnEscapeKey();
    EXPECT_EQ(doc.m_nSelState, SelState::None);
    EXPECT_EQ(log.hints, std::vector<int>{3});
}

TEST_F(Tools, SelectionDragGivesSheetRectangle)
{
    doc.SelectCell(1);  // column 1, row 0 of 8-pixel cells
    doc.OnToolCommand(Cmd::ToolSelect);
    Press(doc, 6, 2);
    Move(doc, 1, 7);
    Release(doc);
    EXPECT_EQ(doc.m_nSelState, SelState::Selected);
    EXPECT_EQ(doc.m_rcSel, (CRect{9, 2, 14, 7}));
    EXPECT_EQ(doc.m_nSelLayer, doc.CurrentLayer().m_nPage);
    // A right press with the selection tool starts nothing.
    EXPECT_EQ(Press(doc, 1, 1, 2), 0);
    EXPECT_EQ(doc.m_nButton, 0);
    EXPECT_EQ(doc.m_nSelState, SelState::Selected);
}

TEST_F(Tools, DraggingTheFloatingPasteKeepsItInTheCell)
{
    static std::vector<CPoint> warps;
    warps.clear();
    CTesvanDoc::s_pfnMovePointer = [](CTesvanDoc&, CPoint p) { warps.push_back(p); };

    Float({2, 2, 5, 5});
    // Outside the paste: nothing.
    EXPECT_EQ(Press(doc, 6, 6), 0);
    EXPECT_EQ(doc.m_nButton, 0);
    // Inside, at the edge: grabbed, the pointer goes to the centre of the
    // paste's zoomed rectangle (16..48) and the point with it.
    CPoint p = View(doc, 5, 5);
    EXPECT_EQ(doc.BeginStroke(p, 0, 1), 1);
    EXPECT_EQ(p, (CPoint{32, 32}));
    EXPECT_EQ(doc.m_nSelState, SelState::Grabbed);
    EXPECT_EQ(warps, (std::vector<CPoint>{{32, 32}}));
    EXPECT_EQ(doc.m_Points, (std::vector<CPoint>{{2, 2}}));
    // The warp's own move is swallowed.
    doc.TrackStroke(p);
    EXPECT_EQ(doc.m_nSelState, SelState::Floating);
    Move(doc, 4, 4);
    EXPECT_EQ(doc.m_rcSel, (CRect{4, 4, 7, 7}));
    // Beyond the cell: pulled back, pointer warped to the new centre.
    Move(doc, 6, 5);
    EXPECT_EQ(doc.m_rcSel, (CRect{4, 4, 7, 7}));
    EXPECT_EQ(warps.back(), (CPoint{48, 48}));
    EXPECT_EQ(doc.m_Points[0], (CPoint{4, 4}));
    Move(doc, 3, 3);
    EXPECT_EQ(doc.m_rcSel, (CRect{3, 3, 6, 6}));
    EXPECT_EQ(Release(doc), 1);
    EXPECT_EQ(doc.m_nSelState, SelState::Floating);
    EXPECT_TRUE(doc.m_Points.empty());
}

TEST_F(Tools, GrabReleasedWithoutAMoveKeepsThePaste)
{
    Float({2, 2, 5, 5});
    Press(doc, 3, 3);
    EXPECT_EQ(doc.m_nSelState, SelState::Grabbed);
    EXPECT_EQ(Release(doc), 1);
    EXPECT_EQ(doc.m_nSelState, SelState::Floating);
    EXPECT_EQ(doc.m_rcSel, (CRect{2, 2, 5, 5}));
    EXPECT_EQ(doc.m_nPieceCount, 1);
}

TEST_F(Tools, OnePixelWidePasteCanBeGrabbed)
{
    Float({4, 1, 4, 6});
    EXPECT_EQ(Press(doc, 3, 3), 0);
    EXPECT_EQ(Press(doc, 5, 3), 0);
    EXPECT_EQ(Press(doc, 4, 3), 1);
    EXPECT_EQ(doc.m_nSelState, SelState::Grabbed);
}

TEST_F(Tools, SelectCellCarriesOnlyAFloatingPaste)
{
    Float({2, 2, 5, 5});
    doc.SelectCell(3);
    EXPECT_EQ(doc.m_nEditColumn, 1);
    EXPECT_EQ(doc.m_nEditRow, 1);
    EXPECT_EQ(doc.m_rcSel, (CRect{10, 10, 13, 13}));
    doc.m_nSelState = SelState::Selected;
    doc.SelectCell(0);
    EXPECT_EQ(doc.m_rcSel, (CRect{10, 10, 13, 13}));
    EXPECT_EQ(log.hints.back(), 3);
    // Indices outside the sheet are refused.
    doc.SelectCell(4);
    doc.SelectCell(-1);
    EXPECT_EQ(doc.m_nEditColumn, 0);
    EXPECT_EQ(doc.m_nEditRow, 0);
}

TEST_F(Tools, EyedropperPicksOpaquePixelsIntoTheButtonsEntry)
{
    doc.OnToolCommand(Cmd::ToolDropper);
    Press(doc, 1, 1);
    Release(doc);
    EXPECT_EQ(ui.messages, std::vector<std::string>{"レイヤーにイメージがありません。"});

    CLayer& layer = doc.CurrentLayer();
    layer.CreateImage(doc.SheetWidth(), doc.SheetHeight(), doc.m_Palette, false, 32);
    SetPixel32(*layer.m_pImage, 1, 1, 0x00AABBCCu);  // alpha 0
    SetPixel32(*layer.m_pImage, 2, 1, 0x80112233u);
    Press(doc, 1, 1);
    Release(doc);
    EXPECT_EQ(doc.m_nUndoCount, 0);
    EXPECT_TRUE((doc.m_Palette[21] == RGBQUAD{0x10, 0x20, 0x30, 0}));

    Press(doc, 2, 1, 2);
    EXPECT_EQ(Release(doc), 1);
    EXPECT_TRUE((doc.m_Palette[25] == RGBQUAD{0x33, 0x22, 0x11, 0}));
    EXPECT_TRUE((doc.m_Palette[21] == RGBQUAD{0x10, 0x20, 0x30, 0}));
    EXPECT_EQ(doc.GetUndoName(), "カラー変更");
    EXPECT_EQ(ui.messages.size(), 1u);
}

namespace {
struct FontPort : CFakeUiPort {
    bool accept = false;
    bool ChooseFont(LogFont& font) override
    {
        if (!accept)
            return false;
        font.lfHeight = -24;
        return true;
    }
};
}  // namespace

TEST(ToolFont, FontCommandChangesTheFontOnOk)
{
    FontPort port;
    CTesvanDoc doc;
    doc.OnNewDocument();
    const int height = doc.m_lfText.lfHeight;
    doc.OnFontCommand();
    EXPECT_EQ(doc.m_lfText.lfHeight, height);
    EXPECT_TRUE(port.messages.empty());
    port.accept = true;
    doc.OnFontCommand();
    EXPECT_EQ(doc.m_lfText.lfHeight, -24);
    EXPECT_EQ(port.messages, std::vector<std::string>{"フォントを変更しました。"});
}
