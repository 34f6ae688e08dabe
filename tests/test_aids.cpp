// The drawing aids: pixel-perfect pencil, wrap mode, symmetry and the onion
// skin, each against a small drawing worked out by hand, in both depths.
#include "edit/Aids.h"
#include "support/ToolDoc.h"

#include <gtest/gtest.h>

using Rows = std::vector<std::string>;

namespace {

Rows Draw(CTesvanDoc& doc, int tool, const std::vector<CPoint>& pts, int button = 1)
{
    doc.OnToolCommand(tool);
    doc.CurrentLayer().ReleaseImage();
    Stroke(doc, pts, button);
    EXPECT_NE(doc.CurrentLayer().m_pImage, nullptr);
    return CellText(doc, *doc.CurrentLayer().m_pImage);
}

// The mirror images laid over the figure where it left pixels empty:
// left-right first, then top-bottom of that.
Rows Mirrored(Rows rows, bool lr, bool ud)
{
    const size_t h = rows.size(), w = rows[0].size();
    for (size_t y = 0; y < h && lr; ++y)
        for (size_t x = 0; x < w; ++x)
            if (rows[y][x] != '.' && rows[y][w - 1 - x] == '.')
                rows[y][w - 1 - x] = rows[y][x];
    for (size_t y = 0; y < h && ud; ++y)
        for (size_t x = 0; x < w; ++x)
            if (rows[y][x] != '.' && rows[h - 1 - y][x] == '.')
                rows[h - 1 - y][x] = rows[y][x];
    return rows;
}

}  // namespace

TEST(PixelPerfect, ZigZagLosesItsCornerPixels)
{
    for (int bits : {8, 32}) {
        CTesvanDoc doc;
        MakeDoc(doc, bits);
        const std::vector<CPoint> zigzag = {{1, 1}, {2, 1}, {2, 2}, {3, 2}, {3, 3}, {4, 3}};
        const Rows plain = Draw(doc, Cmd::ToolPencil, zigzag);
        EXPECT_EQ(plain[1], ".aa.....");
        EXPECT_EQ(plain[2], "..aa....");
        EXPECT_EQ(plain[3], "...aa...");
        doc.m_Aids.bPixelPerfect = 1;
        const Rows perfect = Draw(doc, Cmd::ToolPencil, zigzag);
        EXPECT_EQ(perfect[1], ".a......") << bits;
        EXPECT_EQ(perfect[2], "..a.....");
        EXPECT_EQ(perfect[3], "...aa...");
        // Wider pens and straight runs are left alone.
        doc.OnPenWidth(2);
        doc.m_Aids.bPixelPerfect = 0;
        const Rows wide = Draw(doc, Cmd::ToolPencil, zigzag);
        doc.m_Aids.bPixelPerfect = 1;
        EXPECT_EQ(Draw(doc, Cmd::ToolPencil, zigzag), wide);
        doc.OnPenWidth(1);
        EXPECT_EQ(Draw(doc, Cmd::ToolPencil, {{1, 5}, {2, 5}, {3, 5}, {5, 5}})[5], ".aaaaa..");
    }
}

TEST(PixelPerfect, PathKeepsDiagonalsAndEnds)
{
    const std::vector<CPoint> path = PixelPerfectPath({{0, 0}, {1, 0}, {1, 1}, {1, 2}});
    EXPECT_EQ(path, (std::vector<CPoint>{{0, 0}, {1, 1}, {1, 2}}));
    EXPECT_EQ(PixelPerfectPath({{0, 0}, {3, 3}}).size(), 4u);
    EXPECT_TRUE(PixelPerfectPath({}).empty());
}

TEST(WrapMode, DiagonalLineLeavesRightEntersLeftAsOneUndoStep)
{
    for (int bits : {8, 32}) {
        CTesvanDoc doc;
        MakeDoc(doc, bits);
        doc.m_Aids.bWrap = 1;
        const Rows cell = Draw(doc, Cmd::ToolLine, {{5, 2}, {10, 7}});
        EXPECT_EQ(cell, Rows({"........", "........", ".....a..", "......a.", ".......a", "a.......",
                              ".a......", "..a....."}))
            << bits;
        // Nothing reached the neighbouring cells.
        EXPECT_EQ(CellText(doc, *doc.CurrentLayer().m_pImage, 1, 0)[5], "........");
        // A pencil stroke dragged over the top edge from the tile above.
        doc.OnToolCommand(Cmd::ToolPencil);
        Stroke(doc, {{3, -2}, {3, -1}, {3, 0}, {3, 1}});
        const Rows after = CellText(doc, *doc.CurrentLayer().m_pImage);
        EXPECT_EQ(after[0], "...a....");
        EXPECT_EQ(after[6], ".a.a....");
        ASSERT_TRUE(doc.CanUndo());
        doc.Undo();
        EXPECT_EQ(CellText(doc, *doc.CurrentLayer().m_pImage), cell);
    }
}

TEST(WrapMode, FillRunsThroughTheEdge)
{
    for (int bits : {8, 32}) {
        for (int wrap : {0, 1}) {
            CTesvanDoc doc;
            MakeDoc(doc, bits);
            doc.OnToolCommand(Cmd::ToolLine);
            Stroke(doc, {{2, 0}, {2, 7}}, 2);
            Stroke(doc, {{5, 0}, {5, 7}}, 2);
            doc.m_Aids.bWrap = wrap;
            doc.OnToolCommand(Cmd::ToolFill);
            Stroke(doc, {{0, 3}});
            const Rows cell = CellText(doc, *doc.CurrentLayer().m_pImage);
            for (const std::string& row : cell)
                EXPECT_EQ(row, wrap ? "aab..baa" : "aab..b..") << bits << " wrap " << wrap;
        }
    }
}

TEST(Symmetry, MirrorsAboutTheCentreLinesOfOddAndEvenCells)
{
    for (int bits : {8, 32}) {
        for (int width : {7, 8}) {
            CTesvanDoc doc;
            MakeDoc(doc, bits, width, 8);
            // The axis: between columns 3 and 4 of 8, through column 3 of 7.
            doc.m_Aids.nSymmetry = SYMMETRY_LR;
            const Rows dot = Draw(doc, Cmd::ToolPencil, {{1, 2}});
            EXPECT_EQ(dot[2], width == 8 ? ".a....a." : ".a...a.");
            EXPECT_EQ(Draw(doc, Cmd::ToolPencil, {{3, 2}})[2], width == 8 ? "...aa..." : "...a...");
            // Ellipses: the figure and its mirror images, nothing else.
            for (int sym : {SYMMETRY_LR, SYMMETRY_UD, SYMMETRY_BOTH}) {
                for (int tool : {Cmd::ToolEllipseFrame, Cmd::ToolEllipseFill}) {
                    doc.m_Aids.nSymmetry = SYMMETRY_NONE;
                    const Rows one = Draw(doc, tool, {{0, 1}, {2, 4}}, 2);
                    doc.m_Aids.nSymmetry = sym;
                    EXPECT_EQ(Draw(doc, tool, {{0, 1}, {2, 4}}, 2),
                              Mirrored(one, sym & SYMMETRY_LR, sym & SYMMETRY_UD))
                        << bits << " width " << width << " sym " << sym;
                }
            }
            ASSERT_TRUE(doc.CanUndo());
            doc.Undo();
        }
    }
}

TEST(Symmetry, FillStartsAgainFromTheMirroredPoint)
{
    CTesvanDoc doc;
    MakeDoc(doc, 8);
    doc.OnToolCommand(Cmd::ToolLine);
    Stroke(doc, {{2, 0}, {2, 7}}, 2);
    Stroke(doc, {{5, 0}, {5, 7}}, 2);
    doc.m_Aids.nSymmetry = SYMMETRY_LR;
    doc.OnToolCommand(Cmd::ToolFill);
    Stroke(doc, {{0, 3}});
    EXPECT_EQ(CellText(doc, *doc.CurrentLayer().m_pImage)[3], "aab..baa");
}

TEST(OnionSkin, FramesComeFromTheFirstSlotOrReadingOrder)
{
    CTesvanDoc doc;
    MakeDoc(doc, 8, 8, 8, 3, 2);
    doc.SelectCell(1);
    EXPECT_EQ(OnionCells(doc, -1, 2), std::vector<int>({0}));
    EXPECT_EQ(OnionCells(doc, 1, 2), std::vector<int>({2, 3}));
    doc.m_Anime[0].strFrames = "0,2";
    doc.m_Anime[1].strFrames = "5,4,1,3";
    doc.m_Anime[2].strFrames = "1,0";
    EXPECT_EQ(OnionCells(doc, -1, 2), std::vector<int>({4, 5}));
    EXPECT_EQ(OnionCells(doc, 1, 1), std::vector<int>({3}));
    EXPECT_EQ(OnionCells(doc, 1, 2), std::vector<int>({3}));  // the list ends
}

TEST(OnionSkin, TintsNeighboursUnderTheCurrentLayerOnlyInThePicture)
{
    for (int bits : {8, 32}) {
        CTesvanDoc doc;
        MakeDoc(doc, bits);
        doc.m_crBackground = 0xFFFFFF;
        if (bits == 8)
            doc.m_Palette[0] = RGBQUAD{255, 255, 255, 0};
        doc.RefreshWorkPalette();
        doc.OnToolCommand(Cmd::ToolPencil);
        Stroke(doc, {{1, 1}, {2, 1}});  // cell 0: the previous frame
        doc.SelectCell(2);
        Stroke(doc, {{3, 2}, {3, 3}});  // cell 2: the next frame
        doc.SelectCell(1);
        Stroke(doc, {{1, 1}});          // the current cell covers (1, 1)
        doc.ComposeAll(true);
        CImageEx before;
        before.CreateEx(doc.m_imgWork.GetWidth(), doc.m_imgWork.GetHeight(), 32);
        doc.m_imgWork.Draw(before, 0, 0, before.GetWidth(), before.GetHeight(), 0, 0,
                           before.GetWidth(), before.GetHeight());
        const uint32_t back = 0xFFFFFFFFu;
        CImageEx out;
        ASSERT_TRUE(out.CreateEx(8, 8, 32));
        RenderCellPixels(doc, out, 0, 0, 8, 8, back);
        EXPECT_EQ(Pixel32(out, 2, 1), back);  // aids off: the cell as it is
        doc.m_Aids.bOnionSkin = 1;
        RenderCellPixels(doc, out, 0, 0, 8, 8, back);
        EXPECT_EQ(Pixel32(out, 2, 1) & 0xFFFFFF, 0xFFB3B3u & 0xFFFFFF) << bits;  // red at 30 %
        EXPECT_EQ(Pixel32(out, 3, 2) & 0xFFFFFF, 0xB3B3FFu) << bits;             // blue at 30 %
        EXPECT_EQ(Pixel32(out, 5, 5), back);
        EXPECT_NE(Pixel32(out, 1, 1) & 0xFFFFFF, 0xFFB3B3u);  // under the current layer's pixel
        // A part of the cell gets the same pixels.
        CImageEx part;
        ASSERT_TRUE(part.CreateEx(2, 2, 32));
        RenderCellPixels(doc, part, 2, 1, 2, 2, back);
        EXPECT_EQ(Pixel32(part, 0, 0), Pixel32(out, 2, 1));
        EXPECT_EQ(Pixel32(part, 1, 1), Pixel32(out, 3, 2));
        // The working image, and so export and printing, never see it.
        CImageEx after;
        after.CreateEx(doc.m_imgWork.GetWidth(), doc.m_imgWork.GetHeight(), 32);
        doc.m_imgWork.Draw(after, 0, 0, after.GetWidth(), after.GetHeight(), 0, 0, after.GetWidth(),
                           after.GetHeight());
        for (int y = 0; y < before.GetHeight(); ++y)
            ASSERT_EQ(0, std::memcmp(before.GetRow(y), after.GetRow(y), size_t(before.GetWidth()) * 4));
    }
}
