// Every file the editor writes goes through one writer: whole or not at all,
// mode, links and read-only files respected, failures reported, nothing left
// behind.
#include "support/FakeUiPort.h"
#include "doc/TesvanDoc.h"
#include "platform/SafeFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <functional>
#include <iterator>
#include <pwd.h>
#include <random>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes ReadAll(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
}

std::vector<std::string> Entries(const std::string& dir)
{
    std::vector<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d))
            if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
                names.push_back(e->d_name);
        closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> Sorted(std::vector<std::string> names)
{
    std::sort(names.begin(), names.end());
    return names;
}

mode_t ModeOf(const std::string& path)
{
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// A pid that ran and has ended.
pid_t DeadPid()
{
    const pid_t pid = fork();
    if (pid == 0)
        _exit(0);
    waitpid(pid, nullptr, 0);
    return pid;
}

// A 32-bit document whose layers 0 and 3 hold pixels made from the seed, so
// that two seeds give files of the same kind and different content.
void Fill(CTesvanDoc& doc, uint32_t seed)
{
    ASSERT_TRUE(doc.OnNewDocument());
    doc.m_nBitCount = 32;
    ASSERT_TRUE(doc.ApplySheetSize(false));
    for (int slot : {0, 3}) {
        CLayer& layer = doc.m_Layers[slot];
        ASSERT_TRUE(layer.CreateImage(doc.SheetWidth(), doc.SheetHeight(), doc.m_Palette, false, 32));
        std::mt19937 rng(seed + slot);
        CImageEx& img = *layer.m_pImage;
        for (int y = 0; y < img.GetHeight(); ++y) {
            auto* row = reinterpret_cast<uint32_t*>(img.GetRow(y));
            for (int x = 0; x < img.GetWidth(); ++x)
                row[x] = (x / 3 + y) % 5 == 0 ? 0 : 0xFF000000u | (rng() & 0xFFFFFF);
        }
    }
    for (int i = 0; i < 256; ++i)
        doc.m_Palette[i] = {uint8_t(i), uint8_t(seed), uint8_t(i ^ seed), 0};
    doc.ComposeAll(true);
}

struct Writer {
    const char* name;
    const char* file;
    std::function<bool(CTesvanDoc&, const std::string&)> write;
};

const Writer kWriters[] = {
    {"document", "sheet.tvn", [](CTesvanDoc& d, const std::string& p) { return d.OnSaveDocument(p); }},
    {"palette", "colours.plt", [](CTesvanDoc& d, const std::string& p) { return d.SavePaletteFile(p); }},
    {"layer file", "layer.lay", [](CTesvanDoc& d, const std::string& p) { return d.SaveLayerFileTo(3, p); }},
    {"layer picture", "layer.bmp", [](CTesvanDoc& d, const std::string& p) { return d.SaveLayerFileTo(0, p); }},
    {"export", "sheet.png", [](CTesvanDoc& d, const std::string& p) { return d.ExportImage(p); }},
};

class SafeFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/tesvan-safefile-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        Fill(oldDoc, 1);
        Fill(newDoc, 2);
    }
    void TearDown() override
    {
        SetSafeFileFault(0, 0);
        chmod(dir.c_str(), 0755);
        std::system(("rm -rf '" + dir + "'").c_str());
    }
    std::string Path(const std::string& name) const { return dir + "/" + name; }

    // The old and the new content of a writer's file, written by the writer
    // itself into a folder of their own.
    void Reference(const Writer& w, Bytes& before, Bytes& after)
    {
        const std::string ref = Path("ref");
        mkdir(ref.c_str(), 0755);
        ASSERT_TRUE(w.write(oldDoc, ref + "/a." + std::string(w.file)));
        ASSERT_TRUE(w.write(newDoc, ref + "/b." + std::string(w.file)));
        before = ReadAll(ref + "/a." + std::string(w.file));
        after = ReadAll(ref + "/b." + std::string(w.file));
        std::system(("rm -rf '" + ref + "'").c_str());
        ASSERT_NE(before, after);
    }

    std::string dir;
    CTesvanDoc oldDoc, newDoc;
};

} // namespace

TEST_F(SafeFile, AFullDiskAtEveryWriteLeavesTheOldFileAndReportsIt)
{
    for (const Writer& w : kWriters) {
        SCOPED_TRACE(w.name);
        CFakeUiPort ui;
        Bytes before, after;
        Reference(w, before, after);
        const std::string target = Path(w.file);
        ASSERT_TRUE(w.write(oldDoc, target));
        chmod(target.c_str(), 0640);
        int n = 1;
        for (;; ++n) {
            ui.messages.clear();
            const unsigned failures = FileFailureCount();
            // Some twenty-odd writes through each file.
            SetSafeFileFault(n, n % 2 ? ENOSPC : EIO, std::max<size_t>(64, after.size() / 24));
            const bool ok = w.write(newDoc, target);
            const bool reached = SafeFileWriteCount() >= n;
            SetSafeFileFault(0, 0);
            if (!reached) {
                // The file took fewer writes than n: it went through whole.
                EXPECT_TRUE(ok);
                EXPECT_EQ(ReadAll(target), after);
                break;
            }
            SCOPED_TRACE("failing write " + std::to_string(n));
            EXPECT_FALSE(ok);
            EXPECT_EQ(ReadAll(target), before);
            ASSERT_EQ(ui.messages.size(), 1u);
            // Documents keep the framework's message for a failed save,
            // then the file and the reason.
            if (std::string(w.name) == "document")
                EXPECT_EQ(ui.messages[0].rfind("ドキュメントの保存に失敗しました。\n", 0), 0u) << ui.messages[0];
            EXPECT_NE(ui.messages[0].find(n % 2 ? "空き領域" : "入出力"), std::string::npos) << ui.messages[0];
            EXPECT_EQ(FileFailureCount(), failures + 1);
            EXPECT_EQ(Entries(dir), std::vector<std::string>{w.file});
        }
        EXPECT_GT(n, 2) << "the file should take several writes";
        EXPECT_EQ(ModeOf(target), 0640u);
        EXPECT_EQ(Entries(dir), std::vector<std::string>{w.file});
        unlink(target.c_str());
    }
}

TEST_F(SafeFile, AKillAtAnyPointLeavesTheOldOrTheNewFileAndItsTemporaryFileGoesNextTime)
{
    std::mt19937 rng(7);
    for (const Writer& w : kWriters) {
        SCOPED_TRACE(w.name);
        CFakeUiPort ui;
        Bytes before, after;
        Reference(w, before, after);
        const std::string target = Path(w.file);
        int olds = 0, news = 0, leftovers = 0;
        for (int round = 0; round < 8; ++round) {
            ASSERT_TRUE(w.write(oldDoc, target));
            chmod(target.c_str(), 0604);
            const pid_t child = fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                // Small writes, so that the kill lands in the middle.
                SetSafeFileFault(0, 0, 64);
                for (;;)
                    w.write(newDoc, target);
            }
            if (round % 2) {
                usleep(useconds_t(rng() % 4000));
            } else {
                // Once its temporary file is there, so the kill lands mid-write.
                for (int wait = 0; wait < 20000 && Entries(dir).size() < 2; ++wait)
                    usleep(50);
                usleep(useconds_t(rng() % 300));
            }
            kill(child, SIGKILL);
            waitpid(child, nullptr, 0);
            const Bytes now = ReadAll(target);
            ASSERT_TRUE(now == before || now == after) << "round " << round;
            (now == before ? olds : news)++;
            EXPECT_EQ(ModeOf(target), 0604u);
            leftovers += Entries(dir).size() > 1;
            // The next write into the folder removes what the killed writer left.
            ASSERT_TRUE(w.write(oldDoc, Path("other.") + w.file));
            EXPECT_EQ(Entries(dir), Sorted({w.file, std::string("other.") + w.file}));
            unlink(Path(std::string("other.") + w.file).c_str());
        }
        EXPECT_GT(leftovers, 0) << "no kill landed in the middle of a write";
        unlink(target.c_str());
    }
}

TEST_F(SafeFile, ReadOnlyTargetsLinksAndMissingFoldersAreHandledAsAPersonExpects)
{
    for (const Writer& w : kWriters) {
        SCOPED_TRACE(w.name);
        CFakeUiPort ui;
        Bytes before, after;
        Reference(w, before, after);

        // A read-only file is refused, unchanged, with a message of our own.
        const std::string ro = Path(w.file);
        ASSERT_TRUE(w.write(oldDoc, ro));
        chmod(ro.c_str(), 0444);
        ui.messages.clear();
        EXPECT_FALSE(w.write(newDoc, ro));
        EXPECT_EQ(ReadAll(ro), before);
        EXPECT_EQ(ModeOf(ro), 0444u);
        EXPECT_EQ(ui.messages, std::vector<std::string>{std::string(w.file) + " は読み取り専用のため上書きできません。"});
        EXPECT_EQ(Entries(dir), std::vector<std::string>{w.file});
        unlink(ro.c_str());

        // A symbolic link is written through: it stays a link, its target
        // gets the new content and keeps its mode.
        const std::string real = Path(std::string("real.") + w.file);
        ASSERT_TRUE(w.write(oldDoc, real));
        chmod(real.c_str(), 0600);
        const std::string link = Path(w.file);
        ASSERT_EQ(symlink((std::string("real.") + w.file).c_str(), link.c_str()), 0);
        ui.messages.clear();
        EXPECT_TRUE(w.write(newDoc, link));
        struct stat st {};
        ASSERT_EQ(lstat(link.c_str(), &st), 0);
        EXPECT_TRUE(S_ISLNK(st.st_mode));
        EXPECT_EQ(ReadAll(real), after);
        EXPECT_EQ(ModeOf(real), 0600u);
        EXPECT_TRUE(ui.messages.empty());
        unlink(link.c_str());
        unlink(real.c_str());

        // A dangling link creates the file it names.
        const std::string made = std::string("made.") + w.file;
        ASSERT_EQ(symlink(made.c_str(), link.c_str()), 0);
        EXPECT_TRUE(w.write(newDoc, link));
        EXPECT_EQ(ReadAll(Path(made)), after);
        unlink(link.c_str());
        unlink(Path(made).c_str());

        // A folder that does not exist: reported with the system's reason.
        ui.messages.clear();
        EXPECT_FALSE(w.write(newDoc, Path("nowhere/") + w.file));
        EXPECT_EQ(ui.messages.size(), 1u);
        EXPECT_TRUE(Entries(dir).empty());
    }
}

// Permissions of a folder bind only a normal user: run as one.
TEST_F(SafeFile, AFolderThePersonMayNotWriteIsReportedAndNothingChanges)
{
    const passwd* nobody = getpwnam("nobody");
    if (geteuid() == 0 && !nobody)
        GTEST_SKIP() << "running as root and there is no user 'nobody' to drop to";
    const std::string folder = Path("locked");
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    ASSERT_TRUE(kWriters[0].write(oldDoc, folder + "/sheet.tvn"));
    const Bytes before = ReadAll(folder + "/sheet.tvn");
    chmod(dir.c_str(), 0755);
    if (geteuid() == 0) {
        ASSERT_EQ(chown(folder.c_str(), 0, 0), 0);
    }
    chmod(folder.c_str(), 0555);
    chmod((folder + "/sheet.tvn").c_str(), 0666);   // the file itself is writable

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (geteuid() == 0 && (setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0))
            _exit(3);
        int failed = 0;
        for (const Writer& w : kWriters) {
            CFakeUiPort ui;
            if (w.write(newDoc, folder + "/sheet.tvn") || ui.messages.size() != 1)
                failed |= 1;
        }
        _exit(failed);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(ReadAll(folder + "/sheet.tvn"), before);
    EXPECT_EQ(Entries(folder), std::vector<std::string>{"sheet.tvn"});
    chmod(folder.c_str(), 0755);
}

TEST_F(SafeFile, OnlyTemporaryFilesOfEditorsThatAreGoneAreRemoved)
{
    const pid_t dead = DeadPid();
    const std::string stale = ".a.tvn.tesvan-" + std::to_string(dead) + "-k3x9q2ab.tmp";
    const std::string live = ".a.tvn.tesvan-" + std::to_string(getpid()) + "-k3x9q2ab.tmp";
    const std::string foreign = ".a.tvn.Xy12Zq";
    const std::string lookalike = "a.tesvan-" + std::to_string(dead) + "-x.tmp.txt";
    for (const std::string& name : {stale, live, foreign, lookalike})
        std::ofstream(Path(name)) << "x";
    const char bytes[] = "new";
    std::string error;
    ASSERT_TRUE(WriteFileSafely(Path("b.txt"), bytes, 3, &error)) << error;
    EXPECT_EQ(Entries(dir), Sorted({live, foreign, lookalike, "b.txt"}));
}
