// The text tool: placing, typing code page 932 bytes, editing, committing in
// colour 0 and cancelling.
#include "support/FakeUiPort.h"
#include "support/ToolDoc.h"

#include <gtest/gtest.h>

namespace {

class TextTool : public ::testing::Test {
protected:
    void SetUp() override
    {
        MakeDoc(doc, 32, 32, 32, 2, 1);
        doc.AddView(&log);
        doc.OnToolCommand(Cmd::ToolText);
    }

    void Place(int x, int y, int button = 1)
    {
        Press(doc, x, y, button);
        Release(doc);
    }

    void Type(const std::string& bytes)
    {
        for (unsigned char c : bytes)
            doc.OnTextChar(c);
    }

    // Pixels of an image inside (x0..x1, y0..y1) that are not `ground`.
    static int Count(const CImageEx& img, int x0, int y0, int x1, int y1, uint32_t ground = 0)
    {
        int n = 0;
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                n += Pixel32(img, x, y) != ground;
        return n;
    }

    CFakeUiPort ui;
    CTesvanDoc doc;
    HintLog log;
};

}  // namespace

TEST_F(TextTool, PlacingSetsThePositionAndKeepsTypedText)
{
    Place(3, 4);
    EXPECT_EQ(doc.m_ptText, (CPoint{3, 4}));
    EXPECT_EQ(doc.m_nButton, 0);
    Type("AB");
    EXPECT_EQ(doc.m_strText, "AB");
    Place(5, 6);
    EXPECT_EQ(doc.m_ptText, (CPoint{5, 6}));
    EXPECT_EQ(doc.m_strText, "AB");
}

TEST_F(TextTool, TypingRedrawsAndIgnoresControlCodes)
{
    Place(2, 2);
    log.hints.clear();
    EXPECT_EQ(doc.OnTextChar('A'), 1);
    EXPECT_EQ(log.hints, std::vector<int>{0x13});
    // The preview shows in the working image, the layer is untouched.
    EXPECT_GT(Count(doc.m_imgWork, 0, 0, 31, 31, 0xFFFFFFFFu), 0);
    EXPECT_EQ(doc.CurrentLayer().m_pImage, nullptr);
    for (unsigned c : {1u, 9u, 31u, 127u, 0xA0u, 0xC8u, 0xFDu, 0x263Au}) {
        EXPECT_EQ(doc.OnTextChar(c), 0) << c;
    }
    EXPECT_EQ(doc.m_strText, "A");
    EXPECT_EQ(log.hints.size(), 1u);
}

TEST_F(TextTool, DoubleByteCharactersArriveInTwoMessages)
{
    Place(2, 2);
    log.hints.clear();
    EXPECT_EQ(doc.OnTextChar(0x82), 0);  // lead byte of "あ"
    EXPECT_EQ(uint8_t(doc.m_chLead), 0x82);
    EXPECT_TRUE(doc.m_strText.empty());
    EXPECT_TRUE(log.hints.empty());
    EXPECT_EQ(doc.OnTextChar(0xA0), 1);
    EXPECT_EQ(doc.m_strText, "\x82\xA0");
    EXPECT_EQ(doc.m_chLead, 0);
    // Its glyph shows.
    EXPECT_GT(Count(doc.m_imgWork, 0, 0, 31, 31, 0xFFFFFFFFu), 10);
    // A byte that cannot follow a lead byte drops it and counts on its own.
    doc.OnTextChar(0x88);
    EXPECT_EQ(doc.OnTextChar(27), 1);
    EXPECT_TRUE(doc.m_strText.empty());
    EXPECT_EQ(doc.m_chLead, 0);
}

TEST_F(TextTool, BackspaceRemovesWholeCharacters)
{
    Place(0, 0);
    Type("a\x82\xA0");
    doc.OnTextChar(8);
    EXPECT_EQ(doc.m_strText, "a");
    doc.OnTextChar(8);
    EXPECT_EQ(doc.m_strText, "");
    EXPECT_EQ(doc.OnTextChar(8), 1);  // on empty text: still a redraw
    // A trail byte that looks like a lead byte ("亜" is 0x88 0x9F).
    Type("x\x88\x9F");
    doc.OnTextChar(8);
    EXPECT_EQ(doc.m_strText, "x");
    // A trail byte in the ASCII range ("ア" is 0x83 0x41).
    doc.m_strText.clear();
    Type("\x83\x41" "b");
    doc.OnTextChar(8);
    EXPECT_EQ(doc.m_strText, "\x83\x41");
    doc.OnTextChar(8);
    EXPECT_EQ(doc.m_strText, "");
    Type("ab");
    doc.OnTextChar(8);
    EXPECT_EQ(doc.m_strText, "a");
}

TEST_F(TextTool, EnterCommitsInColourZeroWithUndo)
{
    Place(2, 4, 2);  // placed with the right button
    Type("Hi");
    EXPECT_EQ(doc.OnTextChar(13), 1);
    EXPECT_TRUE(doc.m_strText.empty());
    EXPECT_EQ(doc.m_ptText, (CPoint{0, 0}));
    ASSERT_NE(doc.CurrentLayer().m_pImage, nullptr);
    const CImageEx& img = *doc.CurrentLayer().m_pImage;
    int drawn = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x) {
            const uint32_t v = Pixel32(img, x, y);
            if (v == 0)
                continue;
            ++drawn;
            EXPECT_EQ(v, 0xFF302010u) << x << "," << y;  // colour 0, opaque
            EXPECT_GE(x, 2);
            EXPECT_GE(y, 4);
        }
    EXPECT_GT(drawn, 10);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.m_nUndoCount, 1);
    EXPECT_EQ(doc.GetUndoMenuText(), "元に戻す(テキスト)(&U)\tCtrl+Z");
    doc.Undo();
    EXPECT_EQ(Count(img, 0, 0, 63, 31), 0);
}

TEST_F(TextTool, EnterWithoutTextChangesNothingButRedraws)
{
    Place(2, 2);
    log.hints.clear();
    EXPECT_EQ(doc.OnTextChar(10), 1);
    EXPECT_EQ(doc.CurrentLayer().m_pImage, nullptr);
    EXPECT_EQ(doc.m_nUndoCount, 0);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(log.hints, std::vector<int>{0x13});
}

TEST_F(TextTool, TextIsCutAtTheCellEdge)
{
    Place(24, 4);
    Type("WWWWWW");
    doc.OnTextChar(13);
    const CImageEx& img = *doc.CurrentLayer().m_pImage;
    EXPECT_GT(Count(img, 24, 0, 31, 31), 0);
    EXPECT_EQ(Count(img, 32, 0, 63, 31), 0);  // the next cell
}

TEST_F(TextTool, EscapeAndCancelDiscardTheTextAnotherToolFixesIt)
{
    Place(2, 2);
    Type("abc");
    EXPECT_EQ(doc.OnTextChar(27), 1);
    EXPECT_TRUE(doc.m_strText.empty());
    EXPECT_EQ(Count(doc.m_imgWork, 0, 0, 31, 31, 0xFFFFFFFFu), 0);

    Place(2, 2);
    Type("abc");
    doc.OnToolCommand(Cmd::ToolLine);
    EXPECT_TRUE(doc.m_strText.empty());
    ASSERT_NE(doc.CurrentLayer().m_pImage, nullptr);
    EXPECT_GT(Count(*doc.CurrentLayer().m_pImage, 0, 0, 31, 31), 0);
    EXPECT_EQ(doc.m_nUndoCount, 1);

    // Nothing to cancel: no recomposition, no notification.
    log.hints.clear();
    doc.CancelText();
    EXPECT_TRUE(log.hints.empty());
}

namespace {
struct BigFontPort : CFakeUiPort {
    bool ChooseFont(LogFont& font) override
    {
        font.lfHeight = -28;
        return true;
    }
};
}  // namespace

TEST(TextToolFont, NextKeystrokeUsesTheNewFont)
{
    BigFontPort ui;
    CTesvanDoc doc;
    MakeDoc(doc, 32, 64, 64, 1, 1);
    doc.OnToolCommand(Cmd::ToolText);
    Press(doc, 1, 1);
    Release(doc);
    doc.OnTextChar('M');
    auto ink = [&doc] {
        int n = 0;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x)
                n += Pixel32(doc.m_imgWork, x, y) != 0xFFFFFFFFu;
        return n;
    };
    const int small = ink();
    doc.OnFontCommand();
    EXPECT_EQ(ui.messages, std::vector<std::string>{"フォントを変更しました。"});
    EXPECT_EQ(ink(), small);  // nothing redrawn at once
    doc.OnTextChar('M');
    EXPECT_GT(ink(), 2 * small);  // two letters, each larger
}
