// Figures of the drawing tools as they land in the layer, the overlay merge
// into 8-bit and 32-bit images, and the curve's geometry.
#include "edit/Curve.h"
#include "support/ToolDoc.h"

#include <gtest/gtest.h>

#include <array>

using Rows = std::vector<std::string>;

namespace {

// Draws one figure with the given tool, button and pen from the points
// (pressed at the first, dragged through the rest) and returns layer 0's
// first cell.
Rows Figure(CTesvanDoc& doc, int tool, const std::vector<CPoint>& pts, int button = 1, int pen = 1)
{
    doc.OnToolCommand(tool);
    doc.OnPenWidth(pen);
    doc.CurrentLayer().ReleaseImage();
    Stroke(doc, pts, button);
    EXPECT_NE(doc.CurrentLayer().m_pImage, nullptr);
    return CellText(doc, *doc.CurrentLayer().m_pImage);
}

class Figures8 : public ::testing::Test {
protected:
    void SetUp() override { MakeDoc(doc, 8); }
    CTesvanDoc doc;
};

}  // namespace

// ------------------------------------------------------------ lines, pencil

TEST_F(Figures8, ClickDrawsOnePixelAtEveryPenWidth)
{
    for (int tool : {Cmd::ToolLine, Cmd::ToolRectFrame, Cmd::ToolRectFill, Cmd::ToolEllipseFrame,
                     Cmd::ToolEllipseFill, Cmd::ToolCurve, Cmd::ToolPencil})
        for (int pen = 1; pen <= 3; ++pen) {
            const Rows cell = Figure(doc, tool, {{3, 4}}, 1, pen);
            const Rows want = {"........", "........", "........", "........",
                               "...a....", "........", "........", "........"};
            EXPECT_EQ(cell, want) << tool << " pen " << pen;
            // The right button draws the single pixel in colour 1.
            EXPECT_EQ(Figure(doc, tool, {{3, 4}}, 2, pen)[4], "...b....") << tool;
        }
}

TEST_F(Figures8, LinesDrawBothEndsInEitherDirection)
{
    const Rows right = Figure(doc, Cmd::ToolLine, {{1, 1}, {6, 1}});
    EXPECT_EQ(right[1], ".aaaaaa.");
    EXPECT_EQ(Figure(doc, Cmd::ToolLine, {{6, 1}, {1, 1}}), right);
    const Rows diagonal = Figure(doc, Cmd::ToolLine, {{1, 1}, {4, 4}});
    EXPECT_EQ(diagonal, Rows({"........", ".a......", "..a.....", "...a....", "....a...", "........",
                              "........", "........"}));
    EXPECT_EQ(Figure(doc, Cmd::ToolLine, {{4, 4}, {1, 1}}), diagonal);
    // Only the last drag position counts for a line.
    EXPECT_EQ(Figure(doc, Cmd::ToolLine, {{1, 1}, {6, 6}, {4, 4}}), diagonal);
}

TEST_F(Figures8, WidePensStampSquares)
{
    EXPECT_EQ(Figure(doc, Cmd::ToolLine, {{2, 3}, {5, 3}}, 1, 3),
              Rows({"........", "........", ".aaaaaa.", ".aaaaaa.", ".aaaaaa.", "........",
                    "........", "........"}));
    EXPECT_EQ(Figure(doc, Cmd::ToolLine, {{2, 3}, {5, 3}}, 1, 2),
              Rows({"........", "........", ".aaaaa..", ".aaaaa..", "........", "........",
                    "........", "........"}));
}

TEST_F(Figures8, PencilFollowsThePointerIncludingTheLastPixel)
{
    const Rows cell = Figure(doc, Cmd::ToolPencil, {{1, 1}, {2, 1}, {3, 1}, {3, 2}, {6, 2}});
    EXPECT_EQ(cell, Rows({"........", ".aaa....", "...aaaa.", "........", "........", "........",
                          "........", "........"}));
    // Repeated positions add no point; a two-point stroke is a line.
    EXPECT_EQ(Figure(doc, Cmd::ToolPencil, {{1, 5}, {1, 5}, {4, 5}})[5], ".aaaa...");
}

// ----------------------------------------------------------- box figures

TEST_F(Figures8, RectangleFrameFromAnyCorner)
{
    const Rows want = {"........", ".aaaaa..", ".a...a..", ".a...a..", ".aaaaa..",
                       "........", "........", "........"};
    EXPECT_EQ(Figure(doc, Cmd::ToolRectFrame, {{1, 1}, {5, 4}}), want);
    EXPECT_EQ(Figure(doc, Cmd::ToolRectFrame, {{5, 4}, {1, 1}}), want);
    EXPECT_EQ(Figure(doc, Cmd::ToolRectFrame, {{5, 1}, {1, 4}}), want);
    EXPECT_EQ(Figure(doc, Cmd::ToolRectFrame, {{1, 4}, {5, 1}}), want);
}

TEST_F(Figures8, FilledRectangleTakesBothColoursAndSwapsWithTheButton)
{
    const Rows left = {"........", ".aaaaa..", ".abbba..", ".abbba..", ".aaaaa..",
                       "........", "........", "........"};
    const Rows right = {"........", ".bbbbb..", ".baaab..", ".baaab..", ".bbbbb..",
                        "........", "........", "........"};
    for (auto [p0, p1] : std::array<std::pair<CPoint, CPoint>, 4>{
             {{{1, 1}, {5, 4}}, {{5, 4}, {1, 1}}, {{5, 1}, {1, 4}}, {{1, 4}, {5, 1}}}}) {
        EXPECT_EQ(Figure(doc, Cmd::ToolRectFill, {p0, p1}, 1), left);
        EXPECT_EQ(Figure(doc, Cmd::ToolRectFill, {p0, p1}, 2), right);
    }
}

TEST_F(Figures8, EllipsesAreTheSameAndClosedFromEveryCorner)
{
    const Rows frame = {"........", "..aaa...", ".a...a..", ".a...a..", ".a...a..",
                        "..aaa...", "........", "........"};
    const Rows filled = {"........", "..aaa...", ".abbba..", ".abbba..", ".abbba..",
                         "..aaa...", "........", "........"};
    for (auto [p0, p1] : std::array<std::pair<CPoint, CPoint>, 4>{
             {{{1, 1}, {5, 5}}, {{5, 5}, {1, 1}}, {{5, 1}, {1, 5}}, {{1, 5}, {5, 1}}}}) {
        EXPECT_EQ(Figure(doc, Cmd::ToolEllipseFrame, {p0, p1}), frame) << p0.x << "," << p0.y;
        EXPECT_EQ(Figure(doc, Cmd::ToolEllipseFill, {p0, p1}), filled) << p0.x << "," << p0.y;
    }
}

TEST(Figures, WideEllipseFrameIsClosedFromEveryCorner)
{
    CTesvanDoc doc;
    MakeDoc(doc, 8, 24, 20, 1, 1);
    for (int pen = 1; pen <= 3; ++pen) {
        Rows first;
        for (auto [p0, p1] : std::array<std::pair<CPoint, CPoint>, 4>{
                 {{{2, 1}, {20, 17}}, {{20, 17}, {2, 1}}, {{20, 1}, {2, 17}}, {{2, 17}, {20, 1}}}}) {
            const Rows cell = Figure(doc, Cmd::ToolEllipseFrame, {p0, p1}, 1, pen);
            if (first.empty())
                first = cell;
            EXPECT_EQ(cell, first) << "pen " << pen;
            // Closed: the outline crosses every row and column of its box
            // on both sides of the centre.
            EXPECT_EQ(cell[9][2], 'a');
            EXPECT_EQ(cell[9][20], 'a');
            EXPECT_EQ(cell[1][11], 'a');
            EXPECT_EQ(cell[17][11], 'a');
        }
    }
}

// --------------------------------------------------------------- marquee

TEST_F(Figures8, MarqueeIsPreviewOnlyAndUsesEntryOne)
{
    doc.OnToolCommand(Cmd::ToolSelect);
    Press(doc, 1, 1);
    Move(doc, 6, 5);
    // Dotted: three on, three off, starting down the left side.
    const Rows work = CellText(doc, doc.m_imgWork);
    EXPECT_EQ(work[1][1], 'm');
    EXPECT_EQ(work[2][1], 'm');
    EXPECT_EQ(work[3][1], 'm');
    EXPECT_EQ(work[4][1], '.');
    EXPECT_EQ(doc.CurrentLayer().m_pImage, nullptr);
    Release(doc);
    EXPECT_EQ(doc.m_nSelState, SelState::Selected);
    EXPECT_EQ(doc.CurrentLayer().m_pImage, nullptr);
    EXPECT_EQ(CellText(doc, doc.m_imgWork)[1][1], '.');
    EXPECT_FALSE(doc.IsModified());
}

TEST(Figures, MarqueeIn32BitDocumentsUsesTheMarqueeColour)
{
    CTesvanDoc doc;
    MakeDoc(doc, 32);
    doc.OnToolCommand(Cmd::ToolSelectAllLayers);
    Press(doc, 1, 1);
    EXPECT_EQ(Pixel32(doc.m_imgWork, 1, 1), 0xFF808080u);  // a click: one pixel
    Move(doc, 4, 4);
    EXPECT_EQ(Pixel32(doc.m_imgWork, 1, 2), 0xFF808080u);
    doc.m_crMarquee = RGB(255, 0, 0);
    Move(doc, 5, 4);
    EXPECT_EQ(Pixel32(doc.m_imgWork, 1, 2), 0xFFFF0000u);
    EXPECT_EQ(Pixel32(doc.m_imgWork, 1, 4), 0xFFFFFFFFu);  // a gap of the dots
    Release(doc);
}

// ------------------------------------------------------------ flood fill

TEST_F(Figures8, FloodFillTakesExactlyTheColourUnderThePoint)
{
    doc.m_Palette[7] = RGBQUAD{0, 0, 255, 0};
    doc.m_Palette[8] = RGBQUAD{1, 0, 255, 0};
    CLayer& layer = doc.CurrentLayer();
    layer.CreateImage(doc.SheetWidth(), doc.SheetHeight(), doc.m_Palette, false, 8);
    CImageEx& img = *layer.m_pImage;
    // A frame of entry 7 around (2..4, 2..4), one pixel of entry 8 inside.
    for (int i = 1; i <= 5; ++i)
        img.GetRow(1)[i] = img.GetRow(5)[i] = img.GetRow(i)[1] = img.GetRow(i)[5] = 7;
    img.GetRow(3)[3] = 8;
    doc.OnToolCommand(Cmd::ToolFill);
    Press(doc, 2, 2);
    EXPECT_EQ(CellText(doc, doc.m_imgWork)[2][2], '.');  // no preview
    Release(doc);
    const Rows cell = CellText(doc, img);
    EXPECT_EQ(cell[1], ".?????..");
    EXPECT_EQ(cell[2], ".?aaa?..");
    EXPECT_EQ(cell[3], ".?a?a?..");
    EXPECT_EQ(cell[0], "........");
    EXPECT_TRUE(doc.IsModified());

    // Filling the transparent ground fills around the frame, and stays in
    // the cell.
    Press(doc, 0, 0, 2);
    Release(doc);
    const Rows after = CellText(doc, img);
    EXPECT_EQ(after[0], "bbbbbbbb");
    EXPECT_EQ(after[3], "b?a?a?bb");
    EXPECT_EQ(CellText(doc, img, 1, 0)[0], "........");
    EXPECT_EQ(CellText(doc, img, 0, 1)[0], "........");
}

TEST_F(Figures8, FloodFillTakesPixelsShowingEntryZeroAsGround)
{
    // Entry 7 has the colour of entry 0: it looks like the ground.
    doc.m_Palette[7] = doc.m_Palette[0];
    CLayer& layer = doc.CurrentLayer();
    layer.CreateImage(doc.SheetWidth(), doc.SheetHeight(), doc.m_Palette, false, 8);
    for (int x = 0; x < 8; ++x)
        layer.m_pImage->GetRow(4)[x] = 7;
    doc.OnToolCommand(Cmd::ToolFill);
    Press(doc, 0, 0);
    Release(doc);
    for (const std::string& row : CellText(doc, *layer.m_pImage))
        EXPECT_EQ(row, "aaaaaaaa");
}

TEST(Figures, FloodFill32BitIsExactAndIgnoresAlphaOnlyThroughTheLook)
{
    CTesvanDoc doc;
    MakeDoc(doc, 32);
    CLayer& layer = doc.CurrentLayer();
    layer.CreateImage(doc.SheetWidth(), doc.SheetHeight(), doc.m_Palette, false, 32);
    CImageEx& img = *layer.m_pImage;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            SetPixel32(img, x, y, 0xFF0000FFu);
    SetPixel32(img, 3, 3, 0xFF0000FEu);  // one step of blue away
    doc.OnToolCommand(Cmd::ToolFill);
    Press(doc, 0, 0);
    Release(doc);
    EXPECT_EQ(Pixel32(img, 0, 0), 0xFF302010u);
    EXPECT_EQ(Pixel32(img, 7, 7), 0xFF302010u);
    EXPECT_EQ(Pixel32(img, 3, 3), 0xFF0000FEu);
    EXPECT_EQ(Pixel32(img, 8, 0), 0u);  // the next cell
}

// ------------------------------------------------------------------ merge

TEST(Figures, AlphaLevelChangesOnlyTheAlphaOfPaintedPixels)
{
    CTesvanDoc doc;
    MakeDoc(doc, 32);
    CLayer& layer = doc.CurrentLayer();
    layer.m_nColor[0] = 3;  // an alpha level
    layer.m_nAlpha[0] = 0x40000000u;
    layer.CreateImage(doc.SheetWidth(), doc.SheetHeight(), doc.m_Palette, false, 32);
    CImageEx& img = *layer.m_pImage;
    SetPixel32(img, 1, 1, 0xFF112233u);
    SetPixel32(img, 3, 1, 0x00000001u);  // transparent (cut) pixel
    SetPixel32(img, 4, 1, 0x80445566u);
    doc.OnToolCommand(Cmd::ToolLine);
    Stroke(doc, {{1, 1}, {5, 1}});
    EXPECT_EQ(Pixel32(img, 1, 1), 0x40112233u);
    EXPECT_EQ(Pixel32(img, 2, 1), 0u);
    EXPECT_EQ(Pixel32(img, 3, 1), 0x00000001u);
    EXPECT_EQ(Pixel32(img, 4, 1), 0x40445566u);

    // A colour entry writes its colour with the slot's alpha.
    layer.m_nAlpha[1] = 0x80000000u;
    Stroke(doc, {{1, 2}, {2, 2}}, 2);
    EXPECT_EQ(Pixel32(img, 1, 2), 0x80605040u);
}

TEST(Figures, MergeIntoEightBitWritesEntryNumbers)
{
    CTesvanDoc doc;
    MakeDoc(doc, 8);
    doc.CurrentLayer().m_nColor[0] = 200;
    doc.CurrentLayer().m_nColor[1] = 0;  // the transparent entry erases
    doc.OnToolCommand(Cmd::ToolRectFill);
    Stroke(doc, {{0, 0}, {3, 3}});
    const CImageEx& img = *doc.CurrentLayer().m_pImage;
    EXPECT_EQ(img.GetRow(0)[0], 200);
    EXPECT_EQ(img.GetRow(1)[1], 0);
    EXPECT_EQ(img.GetRow(3)[3], 200);
    EXPECT_EQ(img.GetRow(4)[4], 0);
}

TEST(Figures, PreviewAndCommitGiveTheSamePixels)
{
    CTesvanDoc doc;
    MakeDoc(doc, 32, 16, 16, 2, 2);
    doc.SelectCell(3);
    doc.OnToolCommand(Cmd::ToolEllipseFill);
    doc.OnPenWidth(2);
    Press(doc, 2, 3);
    Move(doc, 9, 9);
    Move(doc, 13, 11);
    EXPECT_EQ(doc.CurrentLayer().m_pImage, nullptr);  // preview only
    std::vector<uint32_t> preview;
    for (int y = 16; y < 32; ++y)
        for (int x = 16; x < 32; ++x)
            preview.push_back(Pixel32(doc.m_imgWork, x, y) == 0xFFFFFFFFu ? 0
                                                                          : Pixel32(doc.m_imgWork, x, y));
    Release(doc);
    const CImageEx& img = *doc.CurrentLayer().m_pImage;
    std::vector<uint32_t> committed;
    for (int y = 16; y < 32; ++y)
        for (int x = 16; x < 32; ++x)
            committed.push_back(Pixel32(img, x, y));
    EXPECT_EQ(preview, committed);
    EXPECT_EQ(committed[3 * 16 + 7], 0xFF302010u);  // outline at the top
    EXPECT_EQ(committed[7 * 16 + 7], 0xFF605040u);  // inside
    // Nothing outside the current cell.
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            if (x < 16 || y < 16) {
                ASSERT_EQ(Pixel32(img, x, y), 0u);
            }
}

// ------------------------------------------------------------------ curve

TEST(CurveMaths, RoundsHalfAwayFromZero)
{
    EXPECT_EQ(curve::Nearest(2.5), 3);
    EXPECT_EQ(curve::Nearest(-2.5), -3);
    EXPECT_EQ(curve::Nearest(2.4999), 2);
    EXPECT_EQ(curve::Nearest(-0.5), -1);
    EXPECT_EQ(curve::Nearest(0.0), 0);
    EXPECT_EQ(curve::Nearest(-0.4), 0);
}

TEST(CurveMaths, TangentControlOnStatedExamples)
{
    using curve::IncomingTangent;
    // General slope.
    EXPECT_EQ(IncomingTangent({0, 0}, {10, 0}, {20, 10}), (CPoint{5, -2}));
    EXPECT_EQ(IncomingTangent({3, 7}, {20, 15}, {30, 4}), (CPoint{11, 17}));
    // Horizontal tangent: the nearer candidate.
    EXPECT_EQ(IncomingTangent({0, 0}, {10, 0}, {20, 0}), (CPoint{5, 0}));
    EXPECT_EQ(IncomingTangent({0, 0}, {10, 10}, {20, 0}), (CPoint{3, 10}));
    // Vertical tangent: both candidates equally near, the second is taken.
    EXPECT_EQ(IncomingTangent({0, 0}, {10, 0}, {0, 0}), (CPoint{10, 5}));
    EXPECT_EQ(IncomingTangent({0, 0}, {0, 10}, {0, 20}), (CPoint{0, 5}));
}

TEST(CurveMaths, MirrorContinuationAndCollinearity)
{
    EXPECT_EQ(curve::MirrorControl({0, 0}, {5, 3}, {10, 0}), (CPoint{5, 3}));
    EXPECT_EQ(curve::MirrorControl({0, 0}, {3, 5}, {0, 10}), (CPoint{3, 5}));
    EXPECT_EQ(curve::MirrorControl({0, 0}, {10, 4}, {10, 10}), (CPoint{6, 0}));
    EXPECT_EQ(curve::MirrorControl({0, 0}, {4, 10}, {10, 10}), (CPoint{0, 6}));
    EXPECT_EQ(curve::MirrorControl({0, 0}, {13, 2}, {10, 5}), (CPoint{3, -3}));

    EXPECT_EQ(curve::ContinuationPoint({0, 0}, {10, 0}, 7), (CPoint{20, 0}));
    EXPECT_EQ(curve::ContinuationPoint({0, 0}, {0, 10}, 7), (CPoint{0, 20}));
    EXPECT_EQ(curve::ContinuationPoint({0, 0}, {10, 5}, 6.0), (CPoint{15, 8}));
    EXPECT_EQ(curve::ContinuationPoint({0, 0}, {-10, 5}, 6.0), (CPoint{-15, 8}));

    EXPECT_FALSE(curve::IsCollinear({0, 0}, {5, 2}, {10, 5}));
    EXPECT_TRUE(curve::IsCollinear({0, 0}, {5, 3}, {10, 5}));  // 2.5 rounds to 3
    EXPECT_TRUE(curve::IsCollinear({4, 0}, {4, 9}, {4, 3}));
    EXPECT_TRUE(curve::IsCollinear({0, 2}, {9, 2}, {4, 2}));
}

TEST(CurveMaths, PlansOfStatedCurves)
{
    using P = curve::Piece;
    using curve::Plan;
    // Two spans: the first from P0, the last drawn backwards from P2.
    EXPECT_EQ(Plan({{0, 0}, {20, 0}, {20, 20}}),
              (std::vector<P>{{P::Bezier, {0, 0}, {7, -7}, {13, -7}, {20, 0}},
                              {P::Bezier, {20, 20}, {27, 13}, {27, 7}, {20, 0}}}));
    // A middle span continues from the previous control.
    EXPECT_EQ(Plan({{0, 0}, {20, 0}, {20, 20}, {0, 20}}),
              (std::vector<P>{{P::Bezier, {0, 0}, {7, -7}, {13, -7}, {20, 0}},
                              {P::Bezier, {20, 0}, {27, 7}, {27, 13}, {20, 20}},
                              {P::Bezier, {0, 20}, {7, 27}, {13, 27}, {20, 20}}}));
    // Short spans are straight; so is a span in line with the one before.
    EXPECT_EQ(Plan({{0, 0}, {1, 1}, {2, 0}}),
              (std::vector<P>{{P::Straight, {0, 0}, {0, 0}, {1, 1}, {1, 1}},
                              {P::Straight, {2, 0}, {2, 0}, {1, 1}, {1, 1}}}));
    EXPECT_EQ(Plan({{0, 0}, {10, 0}, {20, 0}, {30, 5}}),
              (std::vector<P>{{P::Bezier, {0, 0}, {5, 0}, {5, 0}, {10, 0}},
                              {P::Straight, {10, 0}, {10, 0}, {20, 0}, {20, 0}},
                              {P::Bezier, {30, 5}, {26, 2}, {25, 1}, {20, 0}}}));
    // A repeated point ends the curve there.
    EXPECT_EQ(Plan({{0, 0}, {20, 0}, {20, 20}, {20, 20}, {0, 20}}),
              Plan({{0, 0}, {20, 0}, {20, 20}}));
}

TEST(CurveMaths, ShortListsAndRepeatsOfTheSecondPoint)
{
    using P = curve::Piece;
    using curve::Plan;
    EXPECT_TRUE(Plan({}).empty());
    EXPECT_EQ(Plan({{4, 4}, {4, 4}}), (std::vector<P>{{P::Pixel, {4, 4}, {4, 4}, {4, 4}, {4, 4}}}));
    // Three points whose third equals the second: the straight line P0-P1.
    EXPECT_EQ(Plan({{1, 1}, {9, 5}, {9, 5}}),
              (std::vector<P>{{P::Straight, {1, 1}, {1, 1}, {9, 5}, {9, 5}}}));
    // More than three points with P2 = P1: the repeat counts once, and
    // nothing before P0 is read.
    EXPECT_EQ(Plan({{0, 0}, {20, 0}, {20, 0}, {20, 20}}), Plan({{0, 0}, {20, 0}, {20, 20}}));
    EXPECT_EQ(Plan({{0, 0}, {20, 0}, {20, 0}, {20, 0}, {20, 20}, {0, 20}}),
              Plan({{0, 0}, {20, 0}, {20, 20}, {0, 20}}));
    EXPECT_EQ(Plan({{0, 0}, {20, 0}, {20, 0}, {20, 0}}),
              (std::vector<P>{{P::Straight, {0, 0}, {0, 0}, {20, 0}, {20, 0}}}));
}

TEST(Figures, CurveStrokeDrawsItsPlan)
{
    CTesvanDoc doc;
    MakeDoc(doc, 8, 32, 32, 1, 1);
    doc.OnToolCommand(Cmd::ToolCurve);
    Press(doc, 2, 2);
    Move(doc, 22, 2);
    Release(doc, kKeyFlagControl);
    // Pressing again where the last accepted press was adds no point.
    Press(doc, 2, 2, 1, kKeyFlagControl);
    EXPECT_EQ(doc.m_Points.size(), 2u);
    EXPECT_EQ(doc.CurrentLayer().m_pImage, nullptr);
    Press(doc, 25, 25, 1, kKeyFlagControl);
    Move(doc, 22, 22);
    EXPECT_EQ(doc.m_Points, (std::vector<CPoint>{{2, 2}, {22, 2}, {22, 22}}));
    Release(doc);
    ASSERT_NE(doc.CurrentLayer().m_pImage, nullptr);
    const Rows cell = CellText(doc, *doc.CurrentLayer().m_pImage);
    // The ends and the middle point are on the curve; the spans bulge
    // outwards, above P0-P1 and right of P1-P2.
    EXPECT_EQ(cell[2][2], 'a');
    EXPECT_EQ(cell[2][22], 'a');
    EXPECT_EQ(cell[22][22], 'a');
    bool above = false;
    for (int x = 3; x < 22; ++x)
        above = above || cell[0][x] == 'a' || cell[1][x] == 'a';
    EXPECT_TRUE(above);
    bool right = false;
    for (int y = 3; y < 22; ++y)
        right = right || cell[y][23] == 'a' || cell[y][24] == 'a';
    EXPECT_TRUE(right);
    EXPECT_FALSE(cell[12][22] == 'a');  // not the straight line
    EXPECT_TRUE(right);
}

TEST(Figures, FillOverlayShowsTheCellOverNearWhiteAsItsDrawDoes)
{
    CTesvanDoc doc;
    MakeDoc(doc, 32, 16, 8, 2, 1);
    doc.SelectCell(1);
    CLayer& layer = doc.CurrentLayer();
    layer.CreateImage(doc.SheetWidth(), doc.SheetHeight(), doc.m_Palette, false, 32);
    uint32_t seed = 12345;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 32; ++x) {
            seed = seed * 1103515245u + 12345u;
            const uint32_t kind = (seed >> 28) % 4;
            SetPixel32(*layer.m_pImage, x, y,
                       kind == 0 ? 0u : kind == 1 ? (seed | 0xFF000000u) : seed);
        }
    CImageEx overlay;
    ASSERT_TRUE(doc.PrepareOverlay(overlay, *layer.m_pImage, true));
    CImageEx want;
    want.CreateEx(16, 8, 32);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x)
            SetPixel32(want, x, y, 0x00FFFFFEu);
    layer.m_pImage->Draw(want, 0, 0, 16, 8, 16, 0, 16, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x)
            ASSERT_EQ(Pixel32(overlay, x, y), Pixel32(want, x, y)) << x << "," << y;
    // Reused for a figure: cleared again.
    ASSERT_TRUE(doc.PrepareOverlay(overlay, *layer.m_pImage, false));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x)
            ASSERT_EQ(Pixel32(overlay, x, y), 0u);
}

// ------------------------------------------------------ fill from the layer

namespace {

// A blocky cell of a few values whose looks partly coincide: ground, a
// near-white that looks like the ground, opaque colours, half-transparent
// ones.
void PaintBlocks(CImageEx& img, int x0, int y0, int w, int h, int bpp, uint32_t seed)
{
    static const uint32_t k32[] = {0u, 0xFFFFFFFEu, 0xFF0000FFu, 0x80000080u, 0x80000080u, 0x40202020u};
    static const uint8_t k8[] = {0, 7, 8, 10, 200, 0};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint32_t r = (uint32_t(x / 3) * 73856093u) ^ (uint32_t(y / 2) * 19349663u) ^ seed;
            r = (r ^ (r >> 13)) * 0x5bd1e995u;
            const int k = int((r >> 16) % 6);
            if (bpp == 8)
                img.GetRow(y0 + y)[x0 + x] = k8[k];
            else
                SetPixel32(img, x0 + x, y0 + y, k32[k]);
        }
}

}  // namespace

TEST(Figures, FillFromTheLayerEqualsTheOverlayWayAndUndoesExactly)
{
    int changed = 0;
    for (int bpp : {8, 32})
        for (uint32_t round = 0; round < 12; ++round) {
            CTesvanDoc doc, ref;
            for (CTesvanDoc* d : {&doc, &ref}) {
                MakeDoc(*d, bpp, 37, 29);
                d->m_Palette[7] = RGBQUAD{0, 0, 255, 0};
                d->m_Palette[8] = RGBQUAD{0, 200, 0, 0};
                d->m_Palette[10] = d->m_Palette[7];  // the same look as entry 7
                d->SelectCell(3);
                CLayer& layer = d->CurrentLayer();
                if (bpp == 32 && round % 3 == 2)
                    layer.m_nColor[0] = 3;  // an alpha level: alpha bytes only
                layer.CreateImage(d->SheetWidth(), d->SheetHeight(), d->m_Palette, false, bpp);
                PaintBlocks(*layer.m_pImage, 37, 29, 37, 29, bpp, round);
                d->m_nTool = Cmd::ToolFill;
                d->m_nButton = 1 + int(round % 2);
                d->m_Points = {CPoint{int(round * 7 % 37), int(round * 5 % 29)}};
            }
            CImageEx& img = *doc.CurrentLayer().m_pImage;
            const std::vector<uint8_t> before(img.GetRow(img.GetHeight() - 1),
                                              img.GetRow(img.GetHeight() - 1) +
                                                  size_t(img.GetWidth()) * img.GetHeight() * bpp / 8);
            const auto bytes = [&](const CImageEx& i) {
                return std::vector<uint8_t>(i.GetRow(i.GetHeight() - 1),
                                            i.GetRow(i.GetHeight() - 1) +
                                                size_t(i.GetWidth()) * i.GetHeight() * bpp / 8);
            };
            ASSERT_EQ(doc.CommitFill(doc.CurrentLayer()), 1);
            ref.DrawToolOverlay(*ref.CurrentLayer().m_pImage);
            const std::vector<uint8_t> filled = bytes(img);
            ASSERT_EQ(filled, bytes(*ref.CurrentLayer().m_pImage)) << bpp << " round " << round;
            changed += filled != before;
            doc.m_nButton = 0;
            doc.m_Points.clear();
            doc.Undo();
            EXPECT_EQ(bytes(img), before);
            doc.Redo();
            EXPECT_EQ(bytes(img), filled);
        }
    EXPECT_GE(changed, 20);  // an alpha level on the ground changes nothing
}

TEST_F(Figures8, FillPaintsOnlyTheAreaWhateverColourItShows)
{
    // An entry showing (1, 1, 1), (2, 2, 2) or (3, 3, 3) is an ordinary
    // colour: pixels of it outside the area stay, and an area of it fills.
    doc.m_Palette[7] = RGBQUAD{1, 1, 1, 0};
    CLayer& layer = doc.CurrentLayer();
    layer.CreateImage(doc.SheetWidth(), doc.SheetHeight(), doc.m_Palette, false, 8);
    CImageEx& img = *layer.m_pImage;
    for (int y = 0; y < 8; ++y)
        img.GetRow(y)[4] = 8;  // a wall
    img.GetRow(1)[1] = img.GetRow(1)[6] = img.GetRow(6)[6] = 7;
    doc.OnToolCommand(Cmd::ToolFill);
    Press(doc, 6, 1);
    Release(doc);
    const Rows cell = CellText(doc, img);
    EXPECT_EQ(cell[1], ".?..?.a.");
    EXPECT_EQ(cell[6], "....?.?.");
    Press(doc, 0, 0);
    Release(doc);
    EXPECT_EQ(CellText(doc, img)[1], "a?aa?.a.");
    // The same through the wrap mode's fill, which takes colours as the
    // plain fill does.
    doc.m_Aids.bWrap = 1;
    Press(doc, 5, 5, 2);
    Release(doc);
    EXPECT_EQ(CellText(doc, img)[6], "aaaa?b?b");
    EXPECT_EQ(CellText(doc, img)[1], "a?aa?bab");
    Press(doc, 6, 6);
    Release(doc);
    EXPECT_EQ(CellText(doc, img)[6], "aaaa?bab");
}

TEST(Figures, WrapFillTakesTheLooksThePlainFillTakes)
{
    // An opaque near-white looks like the transparent ground: both fills
    // take it.
    for (int wrap : {0, 1}) {
        CTesvanDoc doc;
        MakeDoc(doc, 32);
        doc.m_Aids.bWrap = wrap;
        CLayer& layer = doc.CurrentLayer();
        layer.CreateImage(doc.SheetWidth(), doc.SheetHeight(), doc.m_Palette, false, 32);
        SetPixel32(*layer.m_pImage, 3, 3, 0xFFFFFFFEu);
        SetPixel32(*layer.m_pImage, 5, 5, 0xFF0000FFu);
        doc.OnToolCommand(Cmd::ToolFill);
        Press(doc, 0, 0);
        Release(doc);
        EXPECT_EQ(Pixel32(*layer.m_pImage, 3, 3), 0xFF302010u) << wrap;
        EXPECT_EQ(Pixel32(*layer.m_pImage, 5, 5), 0xFF0000FFu) << wrap;
        EXPECT_EQ(Pixel32(*layer.m_pImage, 7, 7), 0xFF302010u) << wrap;
    }
}
