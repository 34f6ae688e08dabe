// The drawing aids: pixel-perfect pencil, wrap mode, symmetry and the onion
// skin, each against a small drawing worked out by hand, in both depths.
#include "doc/Region.h"
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

namespace {

// The cell's pixels, raw, for comparing two pictures of it.
std::vector<uint32_t> CellPixels(const CTesvanDoc& doc, const CImageEx& img)
{
    std::vector<uint32_t> out;
    for (int y = 0; y < doc.m_nCellHeight; ++y)
        for (int x = 0; x < doc.m_nCellWidth; ++x)
            out.push_back(img.GetBPP() == 8 ? img.GetRow(y)[x] : Pixel32(img, x, y));
    return out;
}

// Two rows of source, "ab" over "a.", copied from the cell's top-left corner
// into a floating paste.
void FloatCorner(CTesvanDoc& doc)
{
    doc.OnToolCommand(Cmd::ToolPencil);
    Stroke(doc, {{0, 0}, {0, 1}});
    Stroke(doc, {{1, 0}}, 2);
    doc.OnToolCommand(Cmd::ToolSelect);
    Stroke(doc, {{0, 0}, {1, 1}});
    doc.OnEditCopy();
    ASSERT_EQ(doc.m_nSelState, SelState::Floating);
}

void MovePaste(CTesvanDoc& doc, int x, int y)
{
    const int w = doc.m_rcSel.right - doc.m_rcSel.left, h = doc.m_rcSel.bottom - doc.m_rcSel.top;
    doc.m_rcSel = CRect{x, y, x + w, y + h};
}

}  // namespace

TEST(WrapMode, PasteDraggedOverTheRightEdgeComesInOnTheLeft)
{
    for (int bits : {8, 32}) {
        for (bool transparent : {false, true}) {
            CTesvanDoc doc;
            MakeDoc(doc, bits);
            doc.m_Aids.bWrap = 1;
            // Source "aaa" over "b..", at (1, 1); a colour-1 dot at (0, 3)
            // that only the opaque paste covers.
            doc.OnToolCommand(Cmd::ToolPencil);
            Stroke(doc, {{1, 1}, {3, 1}});
            Stroke(doc, {{1, 2}}, 2);
            Stroke(doc, {{0, 3}}, 2);
            doc.OnToolCommand(Cmd::ToolSelect);
            Stroke(doc, {{1, 1}, {3, 2}});
            doc.OnEditCopy();
            const Rows before = CellText(doc, *doc.CurrentLayer().m_pImage);
            // Grabbed (the pointer goes to cell pixel (0, 0)), dragged by
            // (4, 1), then on into the right tile by 10 more: 1 + 4 + 10 is
            // 15, column 7 of the cell.
            ASSERT_EQ(Press(doc, 2, 1), 1);
            Move(doc, 0, 0);
            Move(doc, 4, 1);
            Move(doc, 14, 1);
            Release(doc);
            EXPECT_EQ(doc.m_rcSel, (CRect{7, 2, 9, 3}));
            // The preview shows in the cell what the paste then writes.
            doc.ComposeAll(true);
            const std::vector<uint32_t> preview = CellPixels(doc, doc.m_imgWork);
            if (transparent)
                doc.OnPasteTransparent();
            else
                doc.OnEditPaste();
            EXPECT_EQ(CellText(doc, *doc.CurrentLayer().m_pImage),
                      Rows({"........", ".aaa....", "aa.....a", transparent ? "b......b" : ".......b",
                            "........", "........", "........", "........"}))
                << bits << (transparent ? " transparent" : " opaque");
            EXPECT_EQ(CellText(doc, *doc.CurrentLayer().m_pImage, 1, 0)[2], "........");
            if (!transparent) {
                EXPECT_EQ(CellPixels(doc, doc.m_imgWork), preview);
            }
            // The part that came in on the left grabs the paste too.
            ASSERT_EQ(Press(doc, 0, 3), 1);
            EXPECT_EQ(doc.m_nSelState, SelState::Grabbed);
            Release(doc);
            // One undo step takes the whole paste back.
            doc.Undo();
            EXPECT_EQ(CellText(doc, *doc.CurrentLayer().m_pImage), before);
        }
    }
}

TEST(Symmetry, PasteIsMirroredWithItsContentAtOddAndEvenWidths)
{
    for (int bits : {8, 32}) {
        for (int width : {7, 8}) {
            CTesvanDoc doc;
            MakeDoc(doc, bits, width, 8);
            FloatCorner(doc);
            doc.m_Aids.nSymmetry = SYMMETRY_BOTH;
            doc.OnEditPaste();
            const std::string gap(size_t(width - 4), '.');
            Rows cell = CellText(doc, *doc.CurrentLayer().m_pImage);
            EXPECT_EQ(cell[0], "ab" + gap + "ba") << bits << " width " << width;
            EXPECT_EQ(cell[1], "a." + gap + ".a");
            EXPECT_EQ(cell[6], "a." + gap + ".a");
            EXPECT_EQ(cell[7], "ab" + gap + "ba");
            EXPECT_EQ(cell[3], std::string(size_t(width), '.'));
            // Turned a quarter: "aa" over ".b"; its mirror image is mirrored
            // on the screen, not in the source's own columns.
            doc.Undo();
            doc.m_Aids.nSymmetry = SYMMETRY_NONE;
            FloatCorner(doc);
            doc.m_Aids.nSymmetry = SYMMETRY_LR;
            doc.OnPasteRotate();
            MovePaste(doc, 1, 3);
            doc.OnEditPaste();
            cell = CellText(doc, *doc.CurrentLayer().m_pImage);
            EXPECT_EQ(cell[3], ".aa" + std::string(size_t(width - 6), '.') + "aa.") << bits << " width " << width;
            EXPECT_EQ(cell[4], "..b" + std::string(size_t(width - 6), '.') + "b..");
            EXPECT_EQ(cell[7], std::string(size_t(width), '.'));
        }
    }
}

TEST(Symmetry, MirroredPasteWrapsInWrapMode)
{
    for (int bits : {8, 32}) {
        CTesvanDoc doc;
        MakeDoc(doc, bits);
        FloatCorner(doc);
        // Only the paste in an empty layer.
        doc.CurrentLayer().ReleaseImage();
        doc.CurrentLayer().CreateImage(doc.SheetWidth(), doc.SheetHeight(), doc.m_Palette, false, bits);
        // Over the right edge at rows 2-3, mirrored top-bottom to rows 4-5.
        doc.m_Aids.bWrap = 1;
        doc.m_Aids.nSymmetry = SYMMETRY_UD;
        MovePaste(doc, 7, 2);
        doc.OnEditPaste();
        EXPECT_EQ(CellText(doc, *doc.CurrentLayer().m_pImage),
                  Rows({"........", "........", "b......a", ".......a", ".......a", "b......a",
                        "........", "........"}))
            << bits;
        EXPECT_EQ(CellText(doc, *doc.CurrentLayer().m_pImage, 1, 0)[2], "........");
        doc.Undo();
        EXPECT_EQ(CellText(doc, *doc.CurrentLayer().m_pImage), Rows(8, "........"));
    }
}

TEST(Symmetry, TextIsMirroredAndWrapped)
{
    for (int bits : {8, 32}) {
        for (int width : {15, 16}) {
            for (int wrap : {0, 1}) {
                CTesvanDoc doc;
                MakeDoc(doc, bits, width, 16);
                doc.m_Aids.bWrap = wrap;
                auto type = [&doc](int x) {
                    doc.CurrentLayer().ReleaseImage();
                    doc.OnToolCommand(Cmd::ToolText);
                    Press(doc, x, 2);
                    Release(doc);
                    for (char c : std::string("Fq"))
                        doc.OnTextChar(uint8_t(c));
                    doc.OnTextChar(13);
                    EXPECT_NE(doc.CurrentLayer().m_pImage, nullptr);
                    return CellText(doc, *doc.CurrentLayer().m_pImage);
                };
                // Near the right edge: with wrap the text runs on at the left.
                const Rows plain = type(width - 6);
                for (int sym : {SYMMETRY_LR, SYMMETRY_BOTH}) {
                    doc.m_Aids.nSymmetry = sym;
                    EXPECT_EQ(type(width - 6), Mirrored(plain, true, sym == SYMMETRY_BOTH))
                        << bits << " width " << width << " wrap " << wrap;
                    // One step, mirror image included.
                    doc.Undo();
                    EXPECT_EQ(CellText(doc, *doc.CurrentLayer().m_pImage),
                              Rows(16, std::string(size_t(width), '.')));
                    doc.m_Aids.nSymmetry = SYMMETRY_NONE;
                }
                int left = 0;
                for (const std::string& row : plain)
                    left += row[0] != '.';
                EXPECT_EQ(left > 0, wrap == 1) << bits << " width " << width;
            }
        }
    }
}
