// The writers of the shell (PDF files, the settings file) under faults: a
// full disk at every write, a kill during the write, read-only targets and
// symbolic links.
#include "GuiTestSupport.h"

#include "../support/FakeUiPort.h"
#include "app/AppSettings.h"
#include "doc/TesvanDoc.h"
#include "platform/SafeFile.h"
#include "views/Print.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <random>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool WholePdf(const QByteArray& bytes)
{
    return bytes.startsWith("%PDF") && bytes.trimmed().endsWith("%%EOF");
}

// Files of the folder other than the named ones.
QStringList Others(const QString& dir, const QStringList& known)
{
    QStringList rest = QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& k : known)
        rest.removeAll(k);
    return rest;
}

class FileWriters : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureApp();
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(doc.OnNewDocument());
        ASSERT_TRUE(doc.m_Layers[0].CreateImage(doc.SheetWidth(), doc.SheetHeight(), doc.m_Palette,
                                                false, 32));
        for (int y = 0; y < doc.SheetHeight(); ++y)
            for (int x = 0; x < doc.SheetWidth(); ++x)
                reinterpret_cast<uint32_t*>(doc.m_Layers[0].m_pImage->GetRow(y))[x] =
                    0xFF000000u | uint32_t(x * 2654435761u ^ y * 40503u);
        doc.ComposeAll(true);
        tvn = dir.filePath(QStringLiteral("sheet.tvn"));
        ASSERT_TRUE(doc.OnSaveDocument(tvn.toStdString()));
        pdf = dir.filePath(QStringLiteral("sheet.pdf"));
    }
    void TearDown() override { SetSafeFileFault(0, 0); }

    QTemporaryDir dir;
    CTesvanDoc doc;
    QString tvn, pdf;
};

} // namespace

TEST_F(FileWriters, APdfIsWrittenWholeOrNotAtAll)
{
    CFakeUiPort ui;
    ASSERT_EQ(PrintFromShell(tvn, pdf, true), 0);
    ASSERT_TRUE(::chmod(pdf.toLocal8Bit().constData(), 0640) == 0);
    const QByteArray before = ReadAll(pdf);
    ASSERT_TRUE(WholePdf(before));

    int n = 1;
    for (;; ++n) {
        ui.messages.clear();
        SetSafeFileFault(n, ENOSPC, 4096);
        const int status = PrintFromShell(tvn, pdf, true);
        const bool reached = SafeFileWriteCount() >= n;
        SetSafeFileFault(0, 0);
        if (!reached) {
            EXPECT_EQ(status, 0);
            break;
        }
        SCOPED_TRACE(n);
        EXPECT_EQ(status, 1);
        EXPECT_EQ(ReadAll(pdf), before);
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0], "sheet.pdf に書き込めませんでした。ディスクに十分な空き領域がありません。");
        EXPECT_TRUE(Others(dir.path(), {"sheet.tvn", "sheet.pdf"}).isEmpty());
    }
    EXPECT_GT(n, 2);
    struct stat st {};
    ASSERT_EQ(::stat(pdf.toLocal8Bit().constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    // A read-only PDF is refused and kept.
    ::chmod(pdf.toLocal8Bit().constData(), 0444);
    const QByteArray kept = ReadAll(pdf);
    ui.messages.clear();
    EXPECT_EQ(PrintFromShell(tvn, pdf, true), 1);
    EXPECT_EQ(ReadAll(pdf), kept);
    EXPECT_EQ(ui.messages, std::vector<std::string>{"sheet.pdf は読み取り専用のため上書きできません。"});

    // Through a symbolic link: the link stays, its target gets the PDF.
    const QString link = dir.filePath(QStringLiteral("link.pdf"));
    ::chmod(pdf.toLocal8Bit().constData(), 0644);
    ASSERT_TRUE(QFile::link(QStringLiteral("sheet.pdf"), link));
    EXPECT_EQ(PrintFromShell(tvn, link, true), 0);
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_TRUE(WholePdf(ReadAll(pdf)));

    // A folder that does not exist.
    ui.messages.clear();
    EXPECT_EQ(PrintFromShell(tvn, dir.filePath(QStringLiteral("nowhere/x.pdf")), true), 1);
    EXPECT_EQ(ui.messages.size(), 1u);
}

// The editor killed while it writes a PDF: the old file or a whole new one,
// and the next write into the folder takes away what was left.
TEST_F(FileWriters, AKilledPrintLeavesTheOldOrAWholePdf)
{
    ASSERT_EQ(PrintFromShell(tvn, pdf, true), 0);
    const QByteArray before = ReadAll(pdf);
    std::mt19937 rng(3);
    for (int round = 0; round < 8; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::execl(TESVAN_BINARY, TESVAN_BINARY, ("--print-to=" + pdf.toStdString()).c_str(),
                    tvn.toStdString().c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        if (round % 2) {
            ::usleep(useconds_t(50000 + rng() % 400000));
        } else {
            // Once its temporary file is there, so the kill lands mid-write.
            for (int wait = 0; wait < 40000 &&
                               Others(dir.path(), {"sheet.tvn", "sheet.pdf", "other.bin"}).isEmpty();
                 ++wait)
                ::usleep(50);
            ::usleep(useconds_t(rng() % 300));
        }
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        const QByteArray now = ReadAll(pdf);
        EXPECT_TRUE(now == before || WholePdf(now)) << "round " << round;
        const QString other = dir.filePath(QStringLiteral("other.bin"));
        ASSERT_TRUE(WriteFileSafely(other.toStdString(), "x", 1));
        EXPECT_TRUE(Others(dir.path(), {"sheet.tvn", "sheet.pdf", "other.bin"}).isEmpty());
    }
}

TEST_F(FileWriters, SettingsAreWrittenWholeOrNotAtAll)
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    QCoreApplication::setOrganizationName(QStringLiteral("Lumo"));
    QCoreApplication::setApplicationName(QStringLiteral("Tesvan"));
    CFakeUiPort ui;
    ASSERT_TRUE(ChangeSettings([](QSettings& s) {
        for (int i = 0; i < 40; ++i)
            s.setValue(QStringLiteral("Recent File List/File%1").arg(i), QStringLiteral("/old/%1.tvn").arg(i));
    }));
    const QString file = SettingsFilePath();
    ASSERT_TRUE(file.startsWith(dir.path()));
    ::chmod(file.toLocal8Bit().constData(), 0600);
    const QByteArray before = ReadAll(file);
    ASSERT_FALSE(before.isEmpty());
    int n = 1;
    size_t shown = 0;
    const unsigned failures = FileFailureCount();
    for (;; ++n) {
        ui.messages.clear();
        SetSafeFileFault(n, EIO, 128);
        const bool ok = ChangeSettings([](QSettings& s) {
            for (int i = 0; i < 40; ++i)
                s.setValue(QStringLiteral("Recent File List/File%1").arg(i), QStringLiteral("/new/%1.tvn").arg(i));
        });
        const bool reached = SafeFileWriteCount() >= n;
        SetSafeFileFault(0, 0);
        if (!reached) {
            EXPECT_TRUE(ok);
            break;
        }
        EXPECT_FALSE(ok);
        EXPECT_EQ(ReadAll(file), before);
        shown += ui.messages.size();
    }
    EXPECT_GT(n, 2);
    // Each failure counts; the person is told once a session.
    EXPECT_EQ(FileFailureCount(), failures + unsigned(n - 1));
    EXPECT_EQ(shown, 1u);
    QSettings settings;
    EXPECT_EQ(settings.value(QStringLiteral("Recent File List/File7")).toString(), QStringLiteral("/new/7.tvn"));
    struct stat st {};
    ASSERT_EQ(::stat(file.toLocal8Bit().constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_TRUE(Others(QFileInfo(file).absolutePath(), {QFileInfo(file).fileName()}).isEmpty());
}
