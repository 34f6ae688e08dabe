// The canvas widget: its picture (frame, background, grid, emphasised lines,
// selection frame colours), real mouse and key events, and its commands.
#include "GuiTestSupport.h"

#include "app/MainFrame.h"
#include "app/TesvanApp.h"
#include "doc/TesvanDoc.h"
#include "../support/FakeUiPort.h"
#include "views/RightView.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <gtest/gtest.h>

namespace {

QRgb Rgb(int r, int g, int b) { return qRgb(r, g, b); }

class CanvasTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureApp();
        ASSERT_TRUE(app.InitForScript());
        frame = app.GetMainFrame();
        doc = app.GetDocument();
        view = frame->RightView();
        QApplication::processEvents();
    }
    QImage Whole() const
    {
        return CRightView::RenderCanvas(*doc, QRect(0, 0, 100000, 100000));
    }
    void Mouse(QEvent::Type type, QPoint client, Qt::MouseButton button, Qt::MouseButtons held,
               Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QMouseEvent e(type, QPointF(client), view->viewport()->mapToGlobal(QPointF(client)), button,
                      held, mods);
        QApplication::sendEvent(view->viewport(), &e);
    }
    CFakeUiPort port;
    CTesvanApp app;
    CMainFrame* frame = nullptr;
    CTesvanDoc* doc = nullptr;
    CRightView* view = nullptr;
};

TEST_F(CanvasTest, PictureHasFrameGridAndEmphasisedLines)
{
    const QImage img = Whole();
    ASSERT_EQ(img.size(), QSize(513, 513));
    const QRgb cyan = Rgb(0, 255, 255), grey = Rgb(200, 200, 200), white = Rgb(255, 255, 255);
    EXPECT_EQ(img.pixel(0, 0), cyan);     // left and top frame
    EXPECT_EQ(img.pixel(0, 300), cyan);
    EXPECT_EQ(img.pixel(300, 0), cyan);
    EXPECT_EQ(img.pixel(1, 1), white);    // background inside
    EXPECT_EQ(img.pixel(8, 3), cyan);     // grid line x = 8
    EXPECT_EQ(img.pixel(64, 3), grey);    // every 8th line emphasised
    EXPECT_EQ(img.pixel(3, 64), grey);
    EXPECT_EQ(img.pixel(512, 512), white);  // the cell covers the far frame

    // Zoom 4: grid every 4 pixels, emphasised every 8 cell pixels (32).
    frame->ExecuteCommand(32865);
    const QImage small = Whole();
    ASSERT_EQ(small.size(), QSize(257, 257));
    EXPECT_EQ(small.pixel(4, 3), cyan);
    EXPECT_EQ(small.pixel(32, 3), grey);
    EXPECT_EQ(small.pixel(5, 3), white);

    // Without the grid only the frame remains.
    frame->ExecuteCommand(32895);
    const QImage plain = Whole();
    EXPECT_EQ(plain.pixel(4, 3), white);
    EXPECT_EQ(plain.pixel(0, 3), cyan);
}

TEST_F(CanvasTest, PartialPictureMatchesTheWhole)
{
    doc->m_Layers[0].CreateImage(doc->SheetWidth(), doc->SheetHeight(), doc->m_Palette, false, 32);
    doc->m_Layers[0].m_pImage->GetRow(70)[4 * 7] = 0x40;
    doc->ComposeAll(true);
    const QImage whole = Whole();
    const QRect part(37, 59, 101, 77);
    const QImage piece = CRightView::RenderCanvas(*doc, part);
    ASSERT_EQ(piece.size(), part.size());
    EXPECT_EQ(piece, whole.copy(part));
}

TEST_F(CanvasTest, SelectionFrameColours)
{
    // State 1 of the current layer: yellow; of another layer: olive;
    // a floating paste: magenta, of another layer purple.
    doc->m_rcSel = CRect{2, 2, 5, 4};
    doc->m_nSelLayer = doc->CurrentLayer().m_nPage;
    doc->m_nSelState = SelState::Selected;
    CRect rc;
    ASSERT_EQ(doc->GetSelViewRect(rc), 1);
    EXPECT_EQ(Whole().pixel(rc.left + 8, rc.top), Rgb(255, 255, 0));
    doc->m_nSelLayer = doc->m_Layers[3].m_nPage;
    ASSERT_EQ(doc->GetSelViewRect(rc), 2);
    EXPECT_EQ(Whole().pixel(rc.left + 8, rc.top), Rgb(128, 128, 0));
    doc->m_nSelState = SelState::Floating;
    EXPECT_EQ(Whole().pixel(rc.left + 8, rc.top), Rgb(128, 0, 128));
    doc->m_nSelLayer = -1;
    EXPECT_EQ(Whole().pixel(rc.left + 8, rc.top), Rgb(255, 0, 255));
    // No grid, no frame.
    doc->m_bShowGrid = 0;
    EXPECT_EQ(Whole().pixel(rc.left + 8, rc.top), Rgb(255, 255, 255));
    doc->m_nSelState = SelState::None;
}

TEST_F(CanvasTest, EightBitBackgroundIsPaletteEntryZero)
{
    doc->m_nBitCount = 8;
    doc->OnNewDocument();
    doc->m_Palette[0] = RGBQUAD{10, 20, 30, 0};
    doc->RefreshWorkPalette();
    doc->ComposeAll(true);
    EXPECT_EQ(Whole().pixel(100, 100), Rgb(30, 20, 10));
}

TEST_F(CanvasTest, MouseEventsDrawAndClampAtTheEdge)
{
    view->resize(700, 700);
    const QPoint s(view->ScrollPosition().x, view->ScrollPosition().y);
    Mouse(QEvent::MouseButtonPress, QPoint(16, 16) - s, Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(doc->m_nButton, 1);
    Mouse(QEvent::MouseMove, QPoint(2000, 16) - s, Qt::NoButton, Qt::LeftButton);
    Mouse(QEvent::MouseButtonRelease, QPoint(2000, 16) - s, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(doc->m_nButton, 0);
    ASSERT_NE(doc->m_Layers[0].m_pImage, nullptr);
    EXPECT_EQ(doc->m_Layers[0].m_pImage->GetPixel(63, 0), 0u);  // black
    EXPECT_NE(doc->m_Layers[0].m_pImage->GetRow(0)[63 * 4 + 3], 0);
}

TEST_F(CanvasTest, ShiftKeyAndTypedText)
{
    QKeyEvent shiftDown(QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier);
    QApplication::sendEvent(view, &shiftDown);
    EXPECT_EQ(doc->m_bShift, 1);
    QKeyEvent shiftUp(QEvent::KeyRelease, Qt::Key_Shift, Qt::NoModifier);
    QApplication::sendEvent(view, &shiftUp);
    EXPECT_EQ(doc->m_bShift, 0);

    frame->ExecuteCommand(32872);
    view->Input().OnButtonDown(CPoint{40, 40}, 1, 1);
    view->Input().OnButtonUp(1, 0);
    QKeyEvent a(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QApplication::sendEvent(view, &a);
    EXPECT_EQ(doc->m_strText, "a");
    // Committed input-method text arrives as code page 932 bytes.
    QInputMethodEvent ime;
    ime.setCommitString(QStringLiteral("漢"));
    QApplication::sendEvent(view, &ime);
    EXPECT_EQ(doc->m_strText, std::string("a\x8A\xBF"));
    QKeyEvent back(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
    QApplication::sendEvent(view, &back);
    EXPECT_EQ(doc->m_strText, "a");
}

TEST_F(CanvasTest, ScrollSizeFollowsZoomAndCellSize)
{
    EXPECT_EQ(view->ScrollSize(), QSize(545, 545));
    frame->ExecuteCommand(32865);
    EXPECT_EQ(view->ScrollSize(), QSize(289, 289));
    EXPECT_EQ(frame->QueryCommand(32865).text, QStringLiteral("拡大"));
    EXPECT_FALSE(doc->IsModified());
}

TEST_F(CanvasTest, BackgroundColourOnlyInThirtyTwoBits)
{
    port.colours.push_back(RGB(0, 0, 255));
    EXPECT_TRUE(frame->ExecuteCommand(32893));
    EXPECT_EQ(doc->m_crBackground, RGB(0, 0, 255));
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(Whole().pixel(100, 100), Rgb(0, 0, 255));
    doc->m_nBitCount = 8;
    EXPECT_FALSE(frame->QueryCommand(32893).enabled);
    doc->m_nBitCount = 32;
}

TEST_F(CanvasTest, DragNearTheEdgeScrollsByFourPixels)
{
    frame->setAttribute(Qt::WA_DontShowOnScreen, true);
    frame->resize(500, 400);
    frame->show();
    QApplication::processEvents();
    ASSERT_TRUE(view->HasHorizontalBar());
    ASSERT_TRUE(view->HasVerticalBar());
    const SurfaceSize client = view->ClientSize();
    EXPECT_EQ(view->ScrollPosition(), (CPoint{0, 0}));
    view->Input().OnButtonDown(CPoint{100, 100}, 1, 1);
    view->Input().OnMouseMove(CPoint{client.cx - 5, 100}, 1);
    EXPECT_EQ(view->ScrollPosition(), (CPoint{4, 0}));
    view->Input().OnMouseMove(CPoint{client.cx - 5, client.cy - 2}, 1);
    EXPECT_EQ(view->ScrollPosition(), (CPoint{8, 4}));
    view->Input().OnMouseMove(CPoint{3, 3}, 1);
    EXPECT_EQ(view->ScrollPosition(), (CPoint{4, 0}));
    view->Input().OnButtonUp(1, 0);
    // Without a stroke nothing scrolls.
    view->Input().OnMouseMove(CPoint{client.cx - 5, 100}, 0);
    EXPECT_EQ(view->ScrollPosition(), (CPoint{4, 0}));
    frame->hide();
}

TEST_F(CanvasTest, OpenCurveKeepsTheStrokeAndEscapeTakesItsLastPoint)
{
    frame->ExecuteCommand(32832);
    CCanvasInput& in = view->Input();
    // Client points of logical ones: a canvas wider than the cell centres it.
    const CPoint s = view->ScrollPosition();
    auto at = [s](int x, int y) { return CPoint{x - s.x, y - s.y}; };
    in.OnButtonDown(at(16, 16), 1, 1);
    in.OnMouseMove(at(100, 16), 1);
    in.OnButtonUp(1, 8);  // Control held: the curve stays open
    EXPECT_EQ(doc->m_nButton, 1);
    EXPECT_TRUE(in.IsCaptured());
    in.OnButtonDown(at(100, 100), 8 | 1, 1);
    EXPECT_EQ(doc->m_Points.size(), 3u);
    QKeyEvent esc(QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(view, &esc);
    EXPECT_EQ(doc->m_Points.size(), 2u);
    in.OnButtonUp(1, 0);
    EXPECT_EQ(doc->m_nButton, 0);
    EXPECT_FALSE(in.IsCaptured());
}

TEST_F(CanvasTest, ToolCursorsHaveTheirHotSpots)
{
    EXPECT_EQ(CRightView::ToolCursor(322).hotSpot(), QPoint(0, 31));
    EXPECT_EQ(CRightView::ToolCursor(105).hotSpot(), QPoint(14, 24));
    EXPECT_EQ(CRightView::ToolCursor(329).hotSpot(), QPoint(2, 29));
    EXPECT_EQ(CRightView::ToolCursor(322).pixmap().size(), QSize(32, 32));
}

} // namespace
