#include "support/FakeUiPort.h"
#include "doc/TesvanDoc.h"
#include "views/plain/LayerTabs.h"
#include "views/plain/PaneLayout.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

struct PaneTest : ::testing::Test {
    CFakeUiPort ui;
    CTesvanDoc doc;
    void SetUp() override { ASSERT_TRUE(doc.OnNewDocument()); }
};

} // namespace

TEST_F(PaneTest, ScrollSizeFollowsTheSheet)
{
    EXPECT_EQ(pane::ScrollSize(doc).width, 289);     // 3 cells of 64: the palettes decide
    EXPECT_EQ(pane::ScrollSize(doc).height, 4 * 64 + 191);
    doc.m_nColumns = 5;
    EXPECT_EQ(pane::ScrollSize(doc).width, 351);
}

TEST_F(PaneTest, HitEdges)
{
    using pane::HitTest;
    EXPECT_EQ(HitTest(doc, 16, 64).area, pane::kShared);
    EXPECT_EQ(HitTest(doc, 16, 64).index, 0);
    EXPECT_EQ(HitTest(doc, 270, 126).index, 63);
    EXPECT_EQ(HitTest(doc, 271, 100).area, pane::kNone);
    EXPECT_EQ(HitTest(doc, 100, 127).area, pane::kNone);
    EXPECT_EQ(HitTest(doc, 15, 100).area, pane::kNone);
    EXPECT_EQ(HitTest(doc, 32, 80).index, 17);
    EXPECT_EQ(HitTest(doc, 31, 79).index, 0);        // a separator counts to the cell before

    EXPECT_EQ(HitTest(doc, 16, 144).area, pane::kLayer);
    EXPECT_EQ(HitTest(doc, 270, 158).index, 15);
    EXPECT_EQ(HitTest(doc, 100, 159).area, pane::kNone);

    // The sheet: its last pixel row and column are outside.
    const int right = 3 * 64 + 15, bottom = 4 * 64 + 175;
    EXPECT_EQ(HitTest(doc, right, 200).area, pane::kNone);
    EXPECT_EQ(HitTest(doc, 100, bottom).area, pane::kNone);
    EXPECT_EQ(HitTest(doc, right - 1, bottom - 1).area, pane::kSheet);
    EXPECT_EQ(HitTest(doc, right - 1, bottom - 1).index, 11);
    EXPECT_EQ(HitTest(doc, 16, 176).index, 0);
    EXPECT_EQ(HitTest(doc, 16 + 64, 176 + 64).index, 4);
}

TEST_F(PaneTest, ReleasesChooseColoursAndCells)
{
    CLayer& layer = doc.CurrentLayer();
    layer.m_nPage = 1;
    pane::Release(doc, pane::HitTest(doc, 16 + 16 * 4, 64 + 16), 1);   // shared entry 20, right
    EXPECT_EQ(layer.m_nColor[1], 20);
    pane::Release(doc, pane::HitTest(doc, 16 + 16 * 3, 150), 0);       // layer colour 3
    EXPECT_EQ(layer.m_nColor[0], 83);
    pane::Release(doc, pane::HitTest(doc, 16 + 64 * 2 + 3, 176 + 64 * 3 + 3), 0);
    EXPECT_EQ(doc.m_nEditColumn, 2);
    EXPECT_EQ(doc.m_nEditRow, 3);
    // A right release on the sheet does nothing.
    pane::Release(doc, pane::HitTest(doc, 20, 180), 1);
    EXPECT_EQ(doc.m_nEditColumn, 2);
}

TEST_F(PaneTest, SelectingACellCarriesTheFloatingPaste)
{
    doc.m_nSelState = SelState::Floating;
    doc.m_rcSel = CRect{2, 3, 10, 12};
    pane::Release(doc, pane::HitTest(doc, 16 + 64 + 1, 176 + 64 + 1), 0);        // column 1, row 1
    EXPECT_EQ(doc.m_rcSel, (CRect{66, 67, 74, 76}));
    doc.m_nSelState = SelState::Selected;
    pane::Release(doc, pane::HitTest(doc, 16, 176), 0);
    EXPECT_EQ(doc.m_rcSel, (CRect{66, 67, 74, 76}));
    EXPECT_EQ(doc.m_nEditColumn, 0);
}

TEST_F(PaneTest, MarkersOfTheSameEntryCoincide)
{
    const pane::Rect a = pane::MarkerRect(20);
    EXPECT_EQ(a.left, 15 + 16 * 4);
    EXPECT_EQ(a.top, 63 + 16);
    EXPECT_EQ(a.right - a.left, 16);
    const pane::Rect b = pane::MarkerRect(64 + 16 * 5 + 7);
    EXPECT_EQ(b.left, 15 + 16 * 7);
    EXPECT_EQ(b.top, 143);
}

TEST_F(PaneTest, PaletteMenuRules)
{
    ASSERT_EQ(doc.m_nBitCount, 32);
    const pane::Hit alpha{pane::kShared, 5}, shared{pane::kShared, 20}, layer{pane::kLayer, 3};
    EXPECT_FALSE(pane::MenuEnabled(doc, alpha, 32785));
    EXPECT_FALSE(pane::MenuEnabled(doc, alpha, 32789));
    EXPECT_FALSE(pane::MenuEnabled(doc, alpha, 32788));
    for (int id : {32785, 32789, 32788}) {
        EXPECT_TRUE(pane::MenuEnabled(doc, shared, id));
        EXPECT_TRUE(pane::MenuEnabled(doc, layer, id));
    }
    doc.m_nBitCount = 8;
    EXPECT_TRUE(pane::MenuEnabled(doc, alpha, 32785));
    EXPECT_FALSE(pane::MenuEnabled(doc, alpha, 32789));
    EXPECT_TRUE(pane::MenuOpens(shared));
    EXPECT_FALSE(pane::MenuOpens(pane::Hit{pane::kSheet, 0}));
    EXPECT_TRUE(pane::OverPalette(16, 144));
    EXPECT_FALSE(pane::OverPalette(271, 144));
}

TEST_F(PaneTest, TabIconsAfterHidingAndMoving)
{
    EXPECT_EQ(tabs::IconIndex(doc, 0), 2);
    EXPECT_EQ(tabs::IconIndex(doc, 1), 0);
    tabs::ToggleVisible(doc, 0);
    EXPECT_EQ(tabs::IconIndex(doc, 0), 3);
    tabs::ToggleVisible(doc, 0);
    EXPECT_EQ(tabs::IconIndex(doc, 0), 2);

    tabs::ToggleVisible(doc, 1);
    ASSERT_TRUE(doc.m_Layers[0].CreateImage(doc.SheetWidth(), doc.SheetHeight(), doc.m_Palette, false, 32));
    CImageEx* image = doc.m_Layers[0].m_pImage;
    doc.m_Layers[0].m_nColor[0] = 77;
    doc.m_Layers[0].m_nAlpha[0] = 0x40000000;
    doc.m_Layers[1].m_nAlpha[0] = 0x80000000;
    doc.SetModifiedFlag(false);
    ASSERT_TRUE(tabs::MoveLayer(doc, 0, 1));
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.m_nCurrentLayer, 0);
    EXPECT_EQ(doc.m_Layers[1].m_strName, "LY00");
    EXPECT_EQ(doc.m_Layers[0].m_strName, "LY01");
    EXPECT_EQ(doc.m_Layers[1].m_pImage, image);
    EXPECT_EQ(doc.m_Layers[1].m_nPage, 0);
    EXPECT_EQ(doc.m_Layers[1].m_nColor[0], 77);
    // Alphas stay with the position.
    EXPECT_EQ(doc.m_Layers[1].m_nAlpha[0], 0x80000000u);
    EXPECT_EQ(doc.m_Layers[0].m_nAlpha[0], 0x40000000u);
    // Tab 0 stays current and now shows the hidden former layer 1.
    EXPECT_EQ(tabs::IconIndex(doc, 0), 3);
    EXPECT_EQ(tabs::IconIndex(doc, 1), 0);

    EXPECT_FALSE(tabs::MoveLayer(doc, 0, -1));
    EXPECT_FALSE(tabs::MoveLayer(doc, 11, 1));
}

namespace {

struct CModalPort : CFakeUiPort {
    std::function<bool(CDialogModel&)> modal;
    bool DoModal(CDialogModel& dialog) override { return modal ? modal(dialog) : false; }
};

} // namespace

TEST(LayerOption, PropertiesApplyOnlyChanges)
{
    CModalPort ui;
    CTesvanDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    doc.m_Layers[2].m_strFolder = "/tmp/start";
    ui.modal = [](CDialogModel&) { return true; };
    EXPECT_FALSE(tabs::EditProperties(doc, 2));
    EXPECT_FALSE(doc.IsModified());

    // The folder button starts from the folder the dialog opened with; a
    // cancelled chooser keeps the text.
    ui.modal = [&](CDialogModel& m) {
        std::string error;
        m.SetField("m_strFolder", "/typed", error);
        m.PressButton("folder", error);
        EXPECT_EQ(static_cast<CLayerOptionDlg&>(m).m_strFolder, "/typed");
        ui.folders.push_back("/chosen");
        m.PressButton("folder", error);
        m.SetField("m_strName", "", error);
        return true;
    };
    EXPECT_TRUE(tabs::EditProperties(doc, 2));
    EXPECT_EQ(doc.m_Layers[2].m_strFolder, "/chosen");
    EXPECT_EQ(doc.m_Layers[2].m_strName, "");
    EXPECT_TRUE(doc.IsModified());
}
