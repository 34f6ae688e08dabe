// Recovery copies: the record file, the folder scan at start-up, the
// background writer.
#include "support/FakeUiPort.h"
#include "doc/Archive.h"
#include "doc/Recovery.h"
#include "doc/TesvanDoc.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes{std::istreambuf_iterator<char>(in), {}};
}

void WriteAll(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

bool Exists(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

class Recovery : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/tesvan-recovery-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
    }
    void TearDown() override { std::system(("rm -rf '" + dir + "'").c_str()); }

    // A copy as a killed editor leaves it: record, copy, an unlocked lock file.
    void Leave(const std::string& id, const CRecoveryRecord& record, const Bytes& copy)
    {
        WriteAll(dir + "/" + id + ".rec", EncodeRecoveryRecord(record));
        WriteAll(dir + "/" + id + ".tvn", copy);
        WriteAll(dir + "/" + id + ".lock", {});
    }

    std::string dir;
    CFakeUiPort port;
};

} // namespace

TEST(RecoveryRecord, RoundTripAndRefusals)
{
    CRecoveryRecord r{"/home/a/勇者.tvn", "勇者.tvn", 1700000000, 4242};
    const Bytes bytes = EncodeRecoveryRecord(r);
    CRecoveryRecord back;
    ASSERT_TRUE(DecodeRecoveryRecord(bytes.data(), bytes.size(), back));
    EXPECT_EQ(back, r);

    // Every cut short, and one byte more, is refused.
    for (size_t n = 0; n < bytes.size(); ++n)
        EXPECT_FALSE(DecodeRecoveryRecord(bytes.data(), n, back)) << n;
    Bytes longer = bytes;
    longer.push_back(0);
    EXPECT_FALSE(DecodeRecoveryRecord(longer.data(), longer.size(), back));
    // A text length beyond the limit or the data, another version, another magic.
    Bytes huge = bytes;
    huge[20] = 0xFF;
    huge[21] = 0xFF;
    EXPECT_FALSE(DecodeRecoveryRecord(huge.data(), huge.size(), back));
    Bytes version = bytes;
    version[4] = 2;
    EXPECT_FALSE(DecodeRecoveryRecord(version.data(), version.size(), back));
    Bytes magic = bytes;
    magic[0] = 'X';
    EXPECT_FALSE(DecodeRecoveryRecord(magic.data(), magic.size(), back));
    EXPECT_EQ(back, r);    // untouched by the refusals
}

TEST_F(Recovery, ScanOffersDeadOwnersMovesDamagedAsideAndForgetsOld)
{
    const int64_t now = 1700000000;
    const Bytes tvn = {2, 0, 0, 0};
    Leave("1-a", {"/x/old.tvn", "old.tvn", now - kRecoveryMaxAge - 1, 1}, tvn);
    Leave("2-b", {"/x/older.tvn", "older.tvn", now - 100, 2}, tvn);
    Leave("3-c", {"", "無題", now - 10, 3}, tvn);
    WriteAll(dir + "/4-d.rec", {'T', 'V', 'N', 'R', 9});     // unreadable record
    WriteAll(dir + "/4-d.tvn", tvn);
    WriteAll(dir + "/5-e.rec", EncodeRecoveryRecord({"", "x", now, 5}));  // no copy was written
    WriteAll(dir + "/.3-c.tvn.Ab12Cd", tvn);                 // a write cut short
    WriteAll(dir + "/notes.txt", tvn);                       // not ours

    // A copy whose editor still runs (holds the lock) is not touched.
    Leave("6-f", {"/x/live.tvn", "live.tvn", now, 6}, tvn);
    CRecoveryLock live;
    ASSERT_TRUE(live.Acquire(dir + "/6-f.lock", false));

    CRecoveryScan scan = ScanRecoveryFolder(dir, now);
    ASSERT_EQ(scan.copies.size(), 2u);
    EXPECT_EQ(scan.copies[0].strId, "3-c");      // newest first
    EXPECT_EQ(scan.copies[1].record.strPath, "/x/older.tvn");
    EXPECT_FALSE(Exists(dir + "/1-a.tvn"));
    EXPECT_FALSE(Exists(dir + "/1-a.rec"));
    EXPECT_FALSE(Exists(dir + "/5-e.rec"));
    EXPECT_FALSE(Exists(dir + "/.3-c.tvn.Ab12Cd"));
    EXPECT_TRUE(Exists(dir + "/notes.txt"));
    EXPECT_TRUE(Exists(dir + "/6-f.tvn"));
    EXPECT_EQ(scan.damaged.size(), 2u);
    EXPECT_TRUE(Exists(dir + "/damaged/4-d.rec"));
    EXPECT_TRUE(Exists(dir + "/damaged/4-d.tvn"));

    // While offered here, another start does not offer them too.
    EXPECT_TRUE(ScanRecoveryFolder(dir, now).copies.empty());
    DiscardRecoveryCopy(scan.copies[1]);
    EXPECT_FALSE(Exists(dir + "/2-b.tvn"));
    scan.copies.clear();                          // "later": the locks go
    CRecoveryScan again = ScanRecoveryFolder(dir, now);
    ASSERT_EQ(again.copies.size(), 1u);
    EXPECT_EQ(again.copies[0].strId, "3-c");

    // A second damaged copy of the same name does not replace the first.
    WriteAll(dir + "/4-d.tvn", tvn);
    EXPECT_EQ(ScanRecoveryFolder(dir, now).damaged.size(), 1u);
    EXPECT_TRUE(Exists(dir + "/damaged/4-d.tvn.1"));
}

TEST_F(Recovery, WriterCopiesTheSavedFormAndRemovesItsCopy)
{
    CTesvanDoc doc;
    doc.OnNewDocument();
    doc.m_Layers[2].CreateImage(doc.SheetWidth(), doc.SheetHeight(), doc.m_Palette, false, 32);
    CImageEx& img = *doc.m_Layers[2].m_pImage;
    for (int y = 0; y < img.GetHeight(); y += 3)
        for (int x = 0; x < img.GetWidth(); x += 5)
            reinterpret_cast<uint32_t*>(img.GetRow(y))[x] = 0xFF000000u | uint32_t(x * 7 + y);
    doc.m_Layers[2].m_strName = "影";
    doc.m_nEditColumn = 2;
    doc.m_Anime[1].strFrames = "0,1,2";
    ASSERT_TRUE(doc.OnSaveDocument(dir + "/saved.tvn"));

    CRecoveryWriter writer(dir + "/rec");
    std::atomic<int> written{0};
    writer.SetOnWritten([&](bool ok) { written += ok ? 1 : 100; });
    const CRecoveryRecord record{dir + "/saved.tvn", "saved.tvn", 1700000000, int32_t(getpid())};
    ASSERT_TRUE(writer.Snapshot(doc, record));
    // Edits after the snapshot do not reach this copy.
    reinterpret_cast<uint32_t*>(img.GetRow(0))[0] = 0xFF123456u;
    writer.Wait();
    EXPECT_EQ(written.load(), 1);
    EXPECT_EQ(ReadAll(writer.CopyPath()), ReadAll(dir + "/saved.tvn"));
    const std::string base = writer.CopyPath().substr(0, writer.CopyPath().size() - 4);
    const Bytes rec = ReadAll(base + ".rec");
    CRecoveryRecord back;
    ASSERT_TRUE(DecodeRecoveryRecord(rec.data(), rec.size(), back));
    EXPECT_EQ(back, record);

    // The owner runs: nobody else is offered its copy, not even a child process.
    EXPECT_TRUE(ScanRecoveryFolder(writer.Folder(), 1700000000).copies.empty());
    const pid_t child = fork();
    if (child == 0)
        _exit(ScanRecoveryFolder(writer.Folder(), 1700000000).copies.empty() ? 0 : 1);
    int status = -1;
    waitpid(child, &status, 0);
    EXPECT_EQ(status, 0);

    // A second snapshot reuses the buffers and replaces the copy.
    ASSERT_TRUE(writer.Snapshot(doc, record));
    writer.Wait();
    EXPECT_EQ(ReadAll(writer.CopyPath()), CRecoveryWriter::Serialise(doc));

    writer.Remove();
    writer.Wait();
    EXPECT_FALSE(Exists(writer.CopyPath()));
    EXPECT_FALSE(Exists(base + ".rec"));
    writer.Finish();
    EXPECT_FALSE(Exists(base + ".lock"));
}

TEST(RecoveryDlg, DiscardMovesTheSelectionAndOkNeedsOne)
{
    CRecoveryDlg dlg;
    dlg.m_Items.resize(2);
    std::string error, message;
    ASSERT_TRUE(dlg.SetField("m_nItem", "1", error));
    ASSERT_TRUE(dlg.PressButton("discard", error));
    EXPECT_EQ(dlg.m_nItem, 0);
    ASSERT_TRUE(dlg.PressButton("discard", error));
    EXPECT_EQ(dlg.m_nItem, -1);
    EXPECT_FALSE(dlg.PressButton("discard", error));
    EXPECT_FALSE(dlg.Validate(message));
    EXPECT_EQ(message, "復元するコピーを選んでください。");
    EXPECT_FALSE(dlg.SetField("m_nOther", "1", error));
}
