#include "platform/ScriptParser.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::string> Words(const std::string& line)
{
    std::vector<std::string> w;
    std::string err;
    EXPECT_TRUE(TokenizeScriptLine(line, w, err)) << err;
    return w;
}

std::string ParseError(const std::string& text)
{
    std::vector<ScriptStatement> st;
    std::string err;
    EXPECT_FALSE(ParseScript(text, st, err)) << text;
    return err;
}

std::vector<ScriptStatement> Parse(const std::string& text)
{
    std::vector<ScriptStatement> st;
    std::string err;
    EXPECT_TRUE(ParseScript(text, st, err)) << err;
    return st;
}

} // namespace

TEST(ScriptTokens, BlanksQuotesAndEscapes)
{
    EXPECT_EQ(Words("  press\t10  20 left "),
              (std::vector<std::string>{"press", "10", "20", "left"}));
    EXPECT_EQ(Words(R"(type "a b" "" "say \"hi\"" "c:\\d" "x\ty")"),
              (std::vector<std::string>{"type", "a b", "", "say \"hi\"", "c:\\d", "x\\ty"}));
    // Quoted and plain stretches join into one word.
    EXPECT_EQ(Words(R"(answer dialog CLayerOptionDlg m_strName="LY 1" ok)"),
              (std::vector<std::string>{"answer", "dialog", "CLayerOptionDlg", "m_strName=LY 1", "ok"}));
    EXPECT_EQ(Words("open 無題.tvn"), (std::vector<std::string>{"open", "無題.tvn"}));

    std::vector<std::string> w;
    std::string err;
    EXPECT_FALSE(TokenizeScriptLine(R"(type "open)", w, err));
    EXPECT_FALSE(TokenizeScriptLine(R"(type "ends in escape\")", w, err));
}

TEST(ScriptTokens, Numbers)
{
    int64_t v = 0;
    ASSERT_TRUE(ParseScriptNumber("0x1F", v));
    EXPECT_EQ(v, 31);
    ASSERT_TRUE(ParseScriptNumber("0XfF000000", v));
    EXPECT_EQ(v, 0xFF000000LL);
    ASSERT_TRUE(ParseScriptNumber("-12", v));
    EXPECT_EQ(v, -12);
    ASSERT_TRUE(ParseScriptNumber("010", v));
    EXPECT_EQ(v, 10);   // decimal, not octal
    EXPECT_FALSE(ParseScriptNumber("", v));
    EXPECT_FALSE(ParseScriptNumber("0x", v));
    EXPECT_FALSE(ParseScriptNumber("12a", v));
    EXPECT_FALSE(ParseScriptNumber("0x1G", v));
    EXPECT_FALSE(ParseScriptNumber("99999999999999999999", v));
}

TEST(ScriptParse, SkipsCommentsAndBlankLinesAndKeepsLineNumbers)
{
    auto st = Parse("\xEF\xBB\xBF# heading\r\n\r\n   # indented comment\nnew\r\n\t\ncommand 0x8061\n");
    ASSERT_EQ(st.size(), 2u);
    EXPECT_EQ(st[0].verb, "new");
    EXPECT_EQ(st[0].line, 4);
    EXPECT_EQ(st[1].line, 6);
    EXPECT_EQ(st[1].args, std::vector<std::string>{"0x8061"});
}

TEST(ScriptParse, ExpectSplitsAtEquals)
{
    auto st = Parse("expect title = \"無題 - Tesvan\"\nexpect palette 1 = 238   238 238\nexpect field m_strText =\n");
    ASSERT_EQ(st.size(), 3u);
    EXPECT_EQ(st[0].what, std::vector<std::string>{"title"});
    EXPECT_EQ(st[0].value, "無題 - Tesvan");
    EXPECT_EQ(st[1].what, (std::vector<std::string>{"palette", "1"}));
    EXPECT_EQ(st[1].value, "238 238 238");
    EXPECT_EQ(st[2].value, "");
    EXPECT_NE(ParseError("expect title").find("line 1"), std::string::npos);
    EXPECT_NE(ParseError("new\nexpect pixel 0 1 = 3").find("line 2"), std::string::npos);
}

TEST(ScriptParse, AcceptsTheWholeStatementLanguage)
{
    Parse("new\nopen a.tvn\nsave \"b c.tvn\"\ncommand 32865\ncommand ToolPencil\n"
          "press 10 -3 left ctrl\nmove 1 2 shift ctrl\nrelease right\n"
          "key down escape\nchar 0x82\ntype \"あ\"\nfocus elsewhere\n"
          "pane release 3 4 right ctrl\ntab select 11\ntab menu 0\n"
          "anime setting 3\nanime tick\nanime tick 5\n"
          "answer file x.tvn\nanswer cancel\nanswer yes\nanswer no\nanswer color 255 0 16\n"
          "answer font \"IPAGothic\" -16 bold underline\nanswer folder /tmp\n"
          "answer printer 4000 3000\n"
          "answer dialog CSetSizeDlg m_nCellWidth=32 m_strBits=8bit ok\n"
          "answer dialog CMakeGradationDlg first=0,0,0 change-center autocreate cancel\n"
          "print pixel 0 1 2\nprint work 3 4\nprint palette 255\nprint field m_nZoom\n"
          "print layer 2 m_nColor\nprint menu 57600\nprint menu FileNew\nprint tab 4\nprint title\n"
          "print modified\nprint scroll pane\nprint anime 0\nprint job\nprint gradation 29\n"
          "snapshot out.png\n");
}

TEST(ScriptParse, RejectsMalformedStatementsNamingTheLine)
{
    EXPECT_EQ(ParseError("new\n\nfrobnicate 1"), "line 3: unknown statement 'frobnicate'");
    EXPECT_NE(ParseError("press 1 2 middle").find("line 1: malformed 'press'"), std::string::npos);
    EXPECT_NE(ParseError("press 1 2 left ctrl ctrl").find("line 1"), std::string::npos);
    ParseError("new now");
    ParseError("open");
    ParseError("command twelve");
    ParseError("command Tool-Pencil");
    ParseError("char 256");
    ParseError("tab select 12");
    ParseError("tab close 1");
    ParseError("print palette 256");
    ParseError("print pixel 0 1");
    ParseError("print nothing");
    ParseError("answer color 1 2");
    ParseError("answer maybe");
    ParseError("answer printer 0 10");
    ParseError("anime tick -1");
    ParseError("answer dialog CSetSizeDlg m_nCellWidth=32");          // no ok/cancel
    ParseError("answer dialog CNoSuchDlg ok");
    ParseError("answer dialog CSetSizeDlg press-me ok");
    ParseError("answer dialog CSetSizeDlg =3 ok");
    ParseError("type \"unterminated");
}

TEST(ScriptParse, ReadsAnswers)
{
    auto st = Parse("answer font \"ＭＳ ゴシック\" -16 italic bold\n"
                    "answer dialog CLayerOptionDlg m_strName=\"LY 1\" folder ok\n"
                    "answer color 1 0x10 255\nanswer printer 100 200\n");
    ScriptAnswer f = ReadScriptAnswer(st[0]);
    EXPECT_EQ(f.kind, ScriptAnswer::Font);
    EXPECT_EQ(f.face, "ＭＳ ゴシック");
    EXPECT_EQ(f.height, -16);
    EXPECT_TRUE(f.bold && f.italic);
    EXPECT_FALSE(f.underline || f.strikeout);

    ScriptAnswer d = ReadScriptAnswer(st[1]);
    EXPECT_EQ(d.kind, ScriptAnswer::Dialog);
    EXPECT_EQ(d.dialogClass, "CLayerOptionDlg");
    ASSERT_EQ(d.items.size(), 3u);
    EXPECT_EQ(d.items[0], (std::pair<std::string, std::string>{"m_strName", "LY 1"}));
    EXPECT_EQ(d.items[1].first, "folder");
    EXPECT_EQ(d.items[2].first, "ok");

    ScriptAnswer c = ReadScriptAnswer(st[2]);
    EXPECT_EQ(c.kind, ScriptAnswer::Color);
    EXPECT_EQ(c.red, 1);
    EXPECT_EQ(c.green, 16);
    EXPECT_EQ(c.blue, 255);

    ScriptAnswer p = ReadScriptAnswer(st[3]);
    EXPECT_EQ(p.width, 100);
    EXPECT_EQ(p.height, 200);
}
