// The canvas's decisions without a window: geometry, clamping, edge
// scrolling, cursors, the caret and the byte feeding of typed text.
#include "edit/CanvasInput.h"

#include "platform/Cp932.h"
#include "support/FakeUiPort.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(CanvasGeometry, ScrollAndBitmapSizes)
{
    EXPECT_EQ(CanvasScrollSize(8, 64, 64).cx, 545);
    EXPECT_EQ(CanvasScrollSize(8, 64, 64).cy, 545);
    EXPECT_EQ(CanvasScrollSize(4, 64, 64).cx, 289);
    EXPECT_EQ(CanvasScrollSize(4, 32, 48).cy, 4 * 48 + 33);
    EXPECT_EQ(CanvasBitmapSize(8, 64, 32).cx, 513);
    EXPECT_EQ(CanvasBitmapSize(8, 64, 32).cy, 257);
}

TEST(CanvasGeometry, PointerAreaEdgesAtZoom8And4)
{
    // 64 x 64 at zoom 8: 16 … 526 accepted, 527 is outside.
    EXPECT_TRUE(InCanvasPointerArea({16, 16}, 8, 64, 64));
    EXPECT_TRUE(InCanvasPointerArea({526, 16}, 8, 64, 64));
    EXPECT_FALSE(InCanvasPointerArea({527, 16}, 8, 64, 64));
    EXPECT_FALSE(InCanvasPointerArea({15, 20}, 8, 64, 64));
    EXPECT_FALSE(InCanvasPointerArea({20, 15}, 8, 64, 64));
    EXPECT_TRUE(InCanvasPointerArea({20, 526}, 8, 64, 64));
    EXPECT_FALSE(InCanvasPointerArea({20, 527}, 8, 64, 64));
    // Zoom 4: right edge 4 * 64 + 15 = 271 excluded.
    EXPECT_TRUE(InCanvasPointerArea({270, 270}, 4, 64, 64));
    EXPECT_FALSE(InCanvasPointerArea({271, 100}, 4, 64, 64));
}

TEST(CanvasGeometry, PointToCellPixel)
{
    EXPECT_EQ(CanvasCellPixel({16, 16}, 8), (CPoint{0, 0}));
    EXPECT_EQ(CanvasCellPixel({23, 24}, 8), (CPoint{0, 1}));
    EXPECT_EQ(CanvasCellPixel({526, 16}, 8), (CPoint{63, 0}));
    EXPECT_EQ(CanvasCellPixel({16, 19}, 4), (CPoint{0, 0}));
    EXPECT_EQ(CanvasCellPixel({20, 270}, 4), (CPoint{1, 63}));
}

TEST(CanvasGeometry, DraggedPointsArePulledOntoTheCell)
{
    // Everything outside lands on the first or last pixel row or column.
    EXPECT_EQ(ClampCanvasPoint({-50, 16}, 8, 64, 64), (CPoint{17, 17}));
    EXPECT_EQ(ClampCanvasPoint({527, 600}, 8, 64, 64), (CPoint{526, 526}));
    EXPECT_EQ(ClampCanvasPoint({300, 300}, 8, 64, 64), (CPoint{300, 300}));
    EXPECT_EQ(CanvasCellPixel(ClampCanvasPoint({5000, -5}, 8, 64, 64), 8), (CPoint{63, 0}));
    EXPECT_EQ(CanvasCellPixel(ClampCanvasPoint({271, 271}, 4, 64, 64), 4), (CPoint{63, 63}));
    EXPECT_EQ(ClampCanvasPoint({271, 10}, 4, 64, 64), (CPoint{270, 17}));
}

TEST(CanvasGeometry, EdgeScrollingSteps)
{
    const SurfaceSize client{300, 200};
    EXPECT_EQ(EdgeScrollDelta({291, 100}, client, true, true), (CPoint{4, 0}));
    EXPECT_EQ(EdgeScrollDelta({290, 100}, client, true, true), (CPoint{0, 0}));
    EXPECT_EQ(EdgeScrollDelta({9, 191}, client, true, true), (CPoint{-4, 4}));
    EXPECT_EQ(EdgeScrollDelta({10, 10}, client, true, true), (CPoint{0, 0}));
    EXPECT_EQ(EdgeScrollDelta({-40, -40}, client, true, true), (CPoint{-4, -4}));
    // No bar, no scrolling on that axis.
    EXPECT_EQ(EdgeScrollDelta({-40, 500}, client, false, true), (CPoint{0, 4}));
    EXPECT_EQ(EdgeScrollDelta({-40, 500}, client, true, false), (CPoint{-4, 0}));
}

TEST(CanvasGeometry, CursorOfEachTool)
{
    EXPECT_EQ(CanvasCursorFor(32798), 322);
    EXPECT_EQ(CanvasCursorFor(32804), 105);
    EXPECT_EQ(CanvasCursorFor(32889), 329);
    for (int tool : {32797, 32799, 32805, 32806, 32802, 32832, 32872, 32796, 32820})
        EXPECT_EQ(CanvasCursorFor(tool), kCursorDefault) << tool;
}

TEST(CanvasStatus, PositionOnCellAndSheetAndTheColourUnderIt)
{
    CTesvanDoc doc;
    doc.OnNewDocument();
    doc.SelectCell(4);  // column 1, row 1 of the 3 x 4 sheet
    CLayer& layer = doc.m_Layers[0];
    layer.CreateImage(doc.SheetWidth(), doc.SheetHeight(), doc.m_Palette, false, 32);
    reinterpret_cast<uint32_t*>(layer.m_pImage->GetRow(64 + 5))[64 + 3] = 0xFF102030u;
    doc.ComposeAll(true);
    // At zoom 12 the pixel (3, 5) spans 52 .. 63 across.
    doc.SetZoom(12);
    EXPECT_EQ(CanvasStatusText(doc, {63, 16 + 60}), "3, 5  (sheet 67, 69)  #FF102030");
    EXPECT_EQ(CanvasStatusText(doc, {15, 20}), "");
    EXPECT_EQ(CanvasStatusText(doc, {16 + 12 * 64, 20}), "");
}

TEST(CanvasText, JapaneseTextBecomesCp932Bytes)
{
    std::string bytes;
    ASSERT_TRUE(CanvasTextBytes("Aあ漢", bytes));
    EXPECT_EQ(bytes, std::string("A\x82\xA0\x8A\xBF"));
    ASSERT_TRUE(CanvasTextBytes("ｱ", bytes));  // half-width katakana: one byte
    EXPECT_EQ(bytes, std::string("\xB1"));
    EXPECT_FALSE(CanvasTextBytes("\xF0\x9F\x98\x80", bytes));  // no code there
    EXPECT_TRUE(bytes.empty());
}

// A window that records what the canvas asks of it.
class CRecordingHost : public CCanvasHost {
public:
    CPoint ScrollPosition() const override { return scroll; }
    SurfaceSize ClientSize() const override { return client; }
    bool HasHorizontalBar() const override { return hbar; }
    bool HasVerticalBar() const override { return vbar; }
    void ScrollTo(CPoint p) override { scroll = p; ++scrolls; }
    void SetCapture() override { captured = true; }
    void ReleaseCapture() override { captured = false; }
    void CreateCaret(SurfaceSize size) override { caret = true; caretSize = size; }
    void DestroyCaret() override { caret = false; }
    void SetCaretPos(CPoint p) override { caretPos = p; }
    void SetCursorPos(CPoint p) override { cursor = p; }

    CPoint scroll;
    SurfaceSize client{200, 200};
    bool hbar = true, vbar = true;
    int scrolls = 0;
    bool captured = false;
    bool caret = false;
    SurfaceSize caretSize;
    CPoint caretPos;
    CPoint cursor;
};

// Records the document notifications.
class CHints : public CDocObserver {
public:
    void OnUpdate(int hint) override { hints.push_back(hint); }
    std::vector<int> hints;
};

class CanvasInputTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        doc.OnNewDocument();
        doc.AddView(&hints);
    }
    CFakeUiPort port;
    CTesvanDoc doc;
    CHints hints;
    CRecordingHost host;
    CCanvasInput input{&doc, &host};
};

TEST_F(CanvasInputTest, ShiftRepaintsOnlyWithAFloatingPaste)
{
    input.OnKeyDown(kVkShift);
    EXPECT_EQ(doc.m_bShift, 1);
    input.OnKeyUp(kVkShift);
    EXPECT_EQ(doc.m_bShift, 0);
    EXPECT_TRUE(hints.hints.empty());

    doc.m_nSelState = SelState::Floating;
    input.OnKeyDown(kVkShift);
    input.OnKeyDown(kVkShift);  // held: no second repaint
    input.OnKeyUp(kVkShift);
    EXPECT_EQ(hints.hints, (std::vector<int>{3, 3}));
}

TEST_F(CanvasInputTest, RightPressWithAFloatingPasteOnlyDropsIt)
{
    doc.m_nSelState = SelState::Floating;
    input.OnButtonDown({100, 100}, kKeyFlagRButton, 2);
    EXPECT_EQ(doc.m_nSelState, SelState::None);
    EXPECT_EQ(doc.m_nButton, 0);
    EXPECT_FALSE(host.captured);
    EXPECT_EQ(hints.hints, (std::vector<int>{3}));
}

TEST_F(CanvasInputTest, MovesWithoutAStrokeDoNothing)
{
    input.OnMouseMove({-100, -100}, 0);
    EXPECT_EQ(host.scrolls, 0);
    EXPECT_TRUE(hints.hints.empty());
}

TEST_F(CanvasInputTest, PressOutsideThePointerAreaStartsNothing)
{
    input.OnButtonDown({527, 16}, kKeyFlagLButton, 1);
    EXPECT_EQ(doc.m_nButton, 0);
    EXPECT_FALSE(host.captured);
    // Scrolled by 20: client 507 is logical 527, still outside.
    host.scroll = {20, 0};
    input.OnButtonDown({507, 16}, kKeyFlagLButton, 1);
    EXPECT_FALSE(host.captured);
}

TEST_F(CanvasInputTest, CaretFollowsFocusAndTool)
{
    input.OnSetFocus();
    EXPECT_FALSE(host.caret);  // pencil: no caret
    input.OnKillFocus();
    doc.m_nTool = 32872;
    input.OnSetFocus();
    ASSERT_TRUE(host.caret);
    EXPECT_EQ(host.caretSize.cx, 1);
    EXPECT_EQ(host.caretSize.cy, 16 * 8);
    EXPECT_EQ(host.caretPos, (CPoint{16, 16}));

    doc.m_ptText = {3, 5};
    host.scroll = {8, 4};
    input.MoveCaret();
    EXPECT_EQ(host.caretPos, (CPoint{16 + 24 - 8, 16 + 40 - 4}));

    input.OnKillFocus();
    EXPECT_FALSE(host.caret);
    EXPECT_FALSE(input.HasCaret());
}

TEST_F(CanvasInputTest, CaretStandsAfterTheTypedText)
{
    doc.m_nTool = 32872;
    doc.m_ptText = {2, 1};
    doc.m_strText = "AB";
    const CPoint at = CanvasCaretPosition(doc);
    EXPECT_GT(at.x, 16 + 8 * 2);
    EXPECT_EQ((at.x - 16) % 8, 0);
    EXPECT_EQ(at.y, 16 + 8);
}

} // namespace
