// Exports of several files (the sheet and its data, one picture per cell)
// are written as one set: a disk that fills up after the first file leaves
// every old file of the set as it was and no temporary file behind.
#include "support/FakeUiPort.h"
#include "doc/TesvanDoc.h"
#include "exchange/AnimeExport.h"
#include "platform/SafeFile.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

std::string ReadText(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

void WriteText(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

std::set<std::string> Names(const std::string& folder)
{
    std::set<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* e = ::readdir(dir))
            if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
                names.insert(e->d_name);
        ::closedir(dir);
    }
    return names;
}

// Fills the file system until exactly `pages` blocks are free.
bool LeaveFree(const std::string& filler, uint64_t pages)
{
    struct statvfs vfs {};
    if (::statvfs(filler.substr(0, filler.find_last_of('/')).c_str(), &vfs) != 0 || vfs.f_bavail < pages)
        return false;
    const int fd = ::open(filler.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    const std::vector<char> block(vfs.f_bsize, 'x');
    bool ok = true;
    for (uint64_t i = 0; ok && i < vfs.f_bavail - pages; ++i)
        ok = ::write(fd, block.data(), block.size()) == ssize_t(block.size());
    ::close(fd);
    return ok;
}

class ExportSet : public ::testing::Test {
protected:
    void SetUp() override
    {
        char path[] = "/tmp/tesvan-set-XXXXXX";
        ASSERT_NE(::mkdtemp(path), nullptr);
        m_strDir = path;
        // A small disk of its own where the system allows it (CI runs as root).
        m_bTmpfs = ::mount("tesvan", path, "tmpfs", 0, "size=2m") == 0;
        if (!m_bTmpfs)
            std::printf("[  SKIPPED ] a full tmpfs (mount: %s); the full disk is injected as ENOSPC instead\n",
                        std::strerror(errno));
    }
    void TearDown() override
    {
        SetSafeFileFault(0, 0);
        if (m_bTmpfs)
            ::umount(m_strDir.c_str());
        for (const std::string& name : Names(m_strDir))
            ::unlink((m_strDir + "/" + name).c_str());
        ::rmdir(m_strDir.c_str());
    }

    std::string m_strDir;
    bool m_bTmpfs = false;
};

} // namespace

TEST_F(ExportSet, DiskFullAfterTheSheetLeavesTheOldSheetAndData)
{
    CFakeUiPort ui;
    CTesvanDoc doc;
    doc.m_nBitCount = 32;
    ASSERT_TRUE(doc.OnNewDocument());
    ASSERT_TRUE(doc.m_Layers[0].CreateImage(doc.SheetWidth(), doc.SheetHeight(), doc.m_Palette, false, 32));
    // Noise, so that the picture takes many blocks.
    std::mt19937 random(7);
    CImageEx& image = *doc.m_Layers[0].m_pImage;
    for (int y = 0; y < image.GetHeight(); ++y)
        for (int x = 0; x < image.GetWidth() * 4; ++x)
            image.GetRow(y)[x] = uint8_t(random());

    const std::string sheet = m_strDir + "/sheet.png", data = m_strDir + "/sheet.json";
    WriteText(sheet, "old picture");
    WriteText(data, "old data");
    std::vector<ExportFile> files(2);
    files[0].path = sheet;
    ASSERT_EQ(EncodeSheet(doc, sheet, 1, files[0].bytes), AnimeExportError::None);
    files[1].path = data;
    files[1].bytes.assign(20000, '{');

    if (m_bTmpfs) {
        struct statvfs vfs {};
        ASSERT_EQ(::statvfs(m_strDir.c_str(), &vfs), 0);
        // Room for the new picture, none for its data.
        ASSERT_TRUE(LeaveFree(m_strDir + "/filler", (files[0].bytes.size() + vfs.f_bsize - 1) / vfs.f_bsize));
    } else {
        SetSafeFileFault(2, ENOSPC);    // the first write of the second file
    }
    std::string why;
    EXPECT_EQ(WriteExportFiles(files, &why), AnimeExportError::WriteFailed);
    EXPECT_EQ(why, "sheet.json に書き込めませんでした。ディスクに十分な空き領域がありません。");
    EXPECT_EQ(ReadText(sheet), "old picture");
    EXPECT_EQ(ReadText(data), "old data");
    std::set<std::string> expected{"sheet.png", "sheet.json"};
    if (m_bTmpfs)
        expected.insert("filler");
    EXPECT_EQ(Names(m_strDir), expected);

    // With room again the set goes in whole.
    SetSafeFileFault(0, 0);
    ::unlink((m_strDir + "/filler").c_str());
    EXPECT_EQ(WriteExportFiles(files, &why), AnimeExportError::None);
    EXPECT_EQ(ReadText(sheet).size(), files[0].bytes.size());
    EXPECT_EQ(ReadText(data).size(), files[1].bytes.size());
    EXPECT_EQ(Names(m_strDir), (std::set<std::string>{"sheet.png", "sheet.json"}));
}

TEST_F(ExportSet, OnePicturePerCellIsWrittenWholeOrNotAtAll)
{
    CFakeUiPort ui;
    CTesvanDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    ASSERT_TRUE(doc.m_Layers[0].CreateImage(doc.SheetWidth(), doc.SheetHeight(), doc.m_Palette, false, 8));
    const int cells = doc.m_nColumns * doc.m_nRows;
    for (int n = 0; n < cells; ++n)
        WriteText(m_strDir + "/cell-" + std::to_string(n) + ".png", "old");
    // The last picture fails: none of the set changes.
    SetSafeFileFault(cells, EIO);
    std::string why;
    EXPECT_EQ(ExportPictures(doc, m_strDir + "/cell-{cell}.png", 1, {}, &why), AnimeExportError::WriteFailed);
    EXPECT_EQ(why, "cell-" + std::to_string(cells - 1) + ".png に書き込めませんでした。デバイスの入出力エラーです。");
    for (int n = 0; n < cells; ++n)
        EXPECT_EQ(ReadText(m_strDir + "/cell-" + std::to_string(n) + ".png"), "old") << n;
    EXPECT_EQ(Names(m_strDir).size(), size_t(cells));
}
