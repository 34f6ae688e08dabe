// Script runs against an editor whose document has unsaved changes, which no
// statement of the script language can make yet: the question about them
// takes its queued answer, and nothing is lost without one.
#include "app/MainFrame.h"
#include "app/ScriptRunner.h"
#include "app/TesvanApp.h"
#include "doc/TesvanDoc.h"
#include "GuiTestSupport.h"

#include <QFile>
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
                  "expect title = \"無題 - Tesvan\"\n",
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
