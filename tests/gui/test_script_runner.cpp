// Script runs against an editor whose document has unsaved changes, which no
// statement of the script language can make yet: the question about them
// takes its queued answer, and nothing is lost without one.
#include "app/MainFrame.h"
#include "app/ScriptRunner.h"
#include "app/ScriptUiPort.h"
#include "app/TesvanApp.h"
#include "doc/TesvanDoc.h"
#include "GuiTestSupport.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QMessageBox>
#include <QTimer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

std::string DataFile(const char* name)
{
    return (std::filesystem::path(__FILE__).parent_path().parent_path() / "scripts" / "data" / name)
        .string();
}

class ScriptRunnerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureApp(); }

    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        qputenv("TESVAN_TMP", tmp.path().toUtf8());
        ASSERT_TRUE(app.InitForScript());
        app.GetDocument()->SetModifiedFlag(true);
    }

    // Runs the script text, returning its exit status; out gets its output.
    int Run(const std::string& text, std::string& out)
    {
        CScriptRunner runner;
        testing::internal::CaptureStdout();
        int status = runner.RunText(app, text);
        out = testing::internal::GetCapturedStdout();
        return status;
    }

    QTemporaryDir tmp;
    CTesvanApp app;
};

const std::string kQuestion = "question: 無題 への変更を保存しますか?\n";

} // namespace

TEST_F(ScriptRunnerTest, NewAsksAboutUnsavedChanges)
{
    std::string out;
    EXPECT_EQ(Run("answer cancel\nnew\nexpect modified = 1\n", out), 0);
    EXPECT_EQ(out, kQuestion);

    EXPECT_EQ(Run("answer no\nnew\nexpect modified = 0\nexpect title = \"無題 - Tesvan\"\n", out), 0);
    EXPECT_EQ(out, kQuestion);
}

TEST_F(ScriptRunnerTest, NewWithoutAnAnswerEndsWithThreeAndKeepsTheChanges)
{
    std::string out;
    EXPECT_EQ(Run("new\n", out), 3);
    EXPECT_EQ(out, kQuestion);
    EXPECT_TRUE(app.GetDocument()->IsModified());

    // A file answer does not answer a question.
    EXPECT_EQ(Run("answer file x.tvn\nnew\n", out), 3);
    EXPECT_TRUE(app.GetDocument()->IsModified());
}

TEST_F(ScriptRunnerTest, OpenAsksFirstAndCancelKeepsTheDocument)
{
    const std::string layered = DataFile("layered.tvn");
    std::string out;
    EXPECT_EQ(Run("answer cancel\nopen \"" + layered + "\"\nexpect modified = 1\n"
                  "expect title = \"*無題 - Tesvan\"\n",
                  out),
              0);
    EXPECT_EQ(out, kQuestion);

    EXPECT_EQ(Run("answer no\nopen \"" + layered + "\"\nexpect title = \"layered.tvn - Tesvan\"\n"
                  "expect modified = 0\n",
                  out),
              0);
    EXPECT_EQ(out, kQuestion);
}

TEST_F(ScriptRunnerTest, YesSavesUnderAQueuedNameBeforeOpening)
{
    const std::string layered = DataFile("layered.tvn");
    std::string out;
    // The save dialog of the unsaved document takes the queued file; the open
    // dialog takes the statement's own path.
    EXPECT_EQ(Run("answer yes\nanswer file $TESVAN_TMP/kept\nopen \"" + layered + "\"\n"
                  "expect title = \"layered.tvn - Tesvan\"\n",
                  out),
              0);
    EXPECT_EQ(out, kQuestion);
    EXPECT_TRUE(QFile::exists(tmp.filePath("kept.tvn")));
}

TEST_F(ScriptRunnerTest, CommandsByNameOrNumberAndUnknownNamesStopBeforeRunning)
{
    std::string out;
    const int grid = app.GetDocument()->m_bShowGrid;
    EXPECT_EQ(Run("print menu ViewZoom\nprint menu 0x8061\ncommand ViewGrid\n", out), 0);
    EXPECT_EQ(out, "enabled unchecked 縮小\nenabled unchecked 縮小\n");
    EXPECT_NE(app.GetDocument()->m_bShowGrid, grid);
    // A misspelt name is refused with the line before any statement runs.
    EXPECT_EQ(Run("command ViewGrid\ncommand ViewGird\n", out), 2);
    EXPECT_NE(app.GetDocument()->m_bShowGrid, grid);
    EXPECT_EQ(Run("print menu viewGrid\n", out), 2);
    EXPECT_EQ(out, "");
}

namespace {

ScriptAnswer Answer(const std::string& line)
{
    std::vector<ScriptStatement> st;
    std::string err;
    EXPECT_TRUE(ParseScript(line, st, err)) << err;
    return ReadScriptAnswer(st.at(0));
}

} // namespace

TEST(ScriptUiPort, FileAnswersGetTheExtensionOfTheDialog)
{
    EnsureApp();
    qputenv("TESVAN_TMP", "/scratch");
    CScriptUiPort port;
    FileDialogRequest images;
    images.open = false;
    images.filters = {{"PNG (*.png)", "*.png"}, {"BMP (*.bmp)", "*.bmp"}};
    images.selectedFilter = 1;
    images.defaultExt = "png";
    images.extFollowsFilter = true;
    port.Queue(Answer("answer file $TESVAN_TMP/a"));
    port.Queue(Answer("answer file ${TESVAN_TMP}/b.gif"));
    port.Queue(Answer("answer cancel"));
    std::string path;
    ASSERT_TRUE(port.FileDialog(images, path));
    EXPECT_EQ(path, "/scratch/a.bmp");
    ASSERT_TRUE(port.FileDialog(images, path));
    EXPECT_EQ(path, "/scratch/b.gif");
    EXPECT_FALSE(port.FileDialog(images, path));
    EXPECT_EQ(port.FailStatus(), 0);
    EXPECT_EQ(port.CancelCount(), 1);
}

TEST(ScriptUiPort, AnswersMustBeOfTheKindThatComesUp)
{
    EnsureApp();
    CScriptUiPort port;
    testing::internal::CaptureStdout();
    port.Queue(Answer("answer cancel"));
    EXPECT_EQ(port.Question("A\tB\r\nC", true), UiAnswer::Cancel);
    EXPECT_EQ(port.FailStatus(), 0);
    port.Queue(Answer("answer color 1 2 3"));
    uint32_t colour = 0;
    ASSERT_TRUE(port.ChooseColor(colour));
    EXPECT_EQ(colour, 0x030201u);
    port.MessageBox("line1\nline2");
    // Cancel does not answer a question without a Cancel button.
    port.Queue(Answer("answer cancel"));
    EXPECT_EQ(port.Question("Q", false), UiAnswer::Cancel);
    EXPECT_EQ(port.FailStatus(), 3);
    // After a failure nothing more is taken from the queue.
    EXPECT_FALSE(port.ChooseColor(colour));
    EXPECT_EQ(port.QueuedCount(), 1u);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "question: A\\tB\\nC\nmessage: line1\\nline2\nquestion: Q\n");
    EXPECT_NE(port.FailMessage().find("answer cancel"), std::string::npos);
}

TEST(ScriptUiPort, EditorDialogsTakeAnswersForTheirClass)
{
    EnsureApp();
    CScriptUiPort port;
    port.Queue(Answer("answer dialog CSetSizeDlg m_nCellWidth=32 ok"));
    port.Queue(Answer("answer dialog CSetSizeDlg cancel"));
    port.Queue(Answer("answer font \"IPAGothic\" -20 bold"));
    ScriptAnswer a;
    ASSERT_TRUE(port.TakeDialog("CSetSizeDlg", a));
    EXPECT_EQ(a.items.front().second, "32");
    // A dialog's own cancel item still returns its answer to the consumer.
    ASSERT_TRUE(port.TakeDialog("CSetSizeDlg", a));
    EXPECT_EQ(a.items.back().first, "cancel");
    LogFont font;
    font.lfCharSet = 1;
    ASSERT_TRUE(port.ChooseFont(font));
    EXPECT_EQ(font.lfHeight, -20);
    EXPECT_EQ(font.lfWeight, 700);
    EXPECT_EQ(font.lfCharSet, 1);
    EXPECT_EQ(font.lfFaceName, "IPAGothic");
    port.Queue(Answer("answer dialog CImgFitDlg ok"));
    EXPECT_FALSE(port.TakeDialog("CSetSizeDlg", a));
    EXPECT_EQ(port.FailStatus(), 3);
}

TEST(ScriptUiPort, AnswersMessageBoxesOfTheToolkit)
{
    EnsureApp();
    CScriptUiPort port;
    auto answerWhenShown = [&port] {
        QTimer::singleShot(0, [&port] {
            if (QWidget* modal = QApplication::activeModalWidget())
                port.AnswerModalWindow(modal);
        });
    };
    testing::internal::CaptureStdout();
    port.Queue(Answer("answer no"));
    QMessageBox question(QMessageBox::Question, "Tesvan", "Save?",
                         QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    answerWhenShown();
    EXPECT_EQ(question.exec(), QMessageBox::No);

    QMessageBox info(QMessageBox::Warning, "Tesvan", "Done.", QMessageBox::Ok);
    answerWhenShown();
    EXPECT_EQ(info.exec(), QMessageBox::Ok);

    QDialog other;
    other.setWindowTitle("Other");
    answerWhenShown();
    EXPECT_EQ(other.exec(), QDialog::Rejected);
    EXPECT_EQ(port.FailStatus(), 3);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "question: Save?\nmessage: Done.\n");
}
