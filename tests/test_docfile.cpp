#include "support/FakeUiPort.h"
#include "doc/Archive.h"
#include "doc/ImageFiles.h"
#include "doc/TesvanDoc.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

const char kMsgBadFormat[] = "予期しないファイル形式です。";
const char kMsgOpenFailed[] = "ドキュメントを開くことに失敗しました。";
const char kMsgDepth[] = "32bitイメージを8bitイメージに変換できません。";
const char kMsgSaveFailed[] = "ドキュメントの保存に失敗しました。";
// A failed read of a file names the file and the reason on a line of its own.
const char kDamaged[] = " を読み込めませんでした。ファイルが壊れているか、形式が違います。";

std::vector<std::string> WithFile(std::vector<std::string> messages, const std::string& name)
{
    for (std::string& m : messages)
        if (m == kMsgBadFormat || m == kMsgOpenFailed)
            m += "\n" + name + kDamaged;
    return messages;
}

class DocFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/tesvan-docfile-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
    }
    void TearDown() override { std::system(("rm -rf '" + dir + "'").c_str()); }

    std::string Path(const std::string& name) const { return dir + "/" + name; }

    static Bytes Save(CTesvanDoc& doc)
    {
        CArchive ar;
        doc.Serialize(ar);
        return ar.Data();
    }
    static Bytes ReadFile(const std::string& path)
    {
        std::ifstream f(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(f), {});
    }
    static void WriteFile(const std::string& path, const Bytes& data)
    {
        std::ofstream f(path, std::ios::binary | std::ios::trunc);
        f.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
    }

    CFakeUiPort ui;
    std::string dir;
};

void Put32(CImageEx& img, int x, int y, uint32_t v) { std::memcpy(img.GetRow(y) + 4 * x, &v, 4); }
uint32_t Get32(const CImageEx& img, int x, int y)
{
    uint32_t v;
    std::memcpy(&v, img.GetRow(y) + 4 * x, 4);
    return v;
}

void PutInt(Bytes& b, size_t at, int32_t v) { std::memcpy(b.data() + at, &v, 4); }

struct CRecord {
    Bytes b;
    CRecord& Int(int32_t v)
    {
        const uint8_t* p = reinterpret_cast<const uint8_t*>(&v);
        b.insert(b.end(), p, p + 4);
        return *this;
    }
    CRecord& Str(const std::string& s)
    {
        b.push_back(uint8_t(s.size()));
        b.insert(b.end(), s.begin(), s.end());
        return *this;
    }
    CRecord& Raw(const Bytes& r)
    {
        b.insert(b.end(), r.begin(), r.end());
        return *this;
    }
};

// The bytes of a saved empty new document of the given depth and geometry.
Bytes EmptyFile(int bitCount, int columns = 3, int rows = 4, int cell = 64)
{
    CTesvanDoc doc;
    doc.m_nBitCount = bitCount;
    doc.m_nColumns = columns;
    doc.m_nRows = rows;
    doc.m_nCellWidth = doc.m_nCellHeight = cell;
    doc.OnNewDocument();
    CArchive ar;
    doc.Serialize(ar);
    return ar.Data();
}

constexpr size_t kRecords = 1692;
constexpr size_t kEmptyRecord = 43;

// Replaces layer record 0 of a file made by EmptyFile.
Bytes WithRecord0(Bytes file, const Bytes& record, size_t at = kRecords)
{
    file.erase(file.begin() + at, file.begin() + at + kEmptyRecord);
    file.insert(file.begin() + at, record.begin(), record.end());
    return file;
}

// A document with content, a path and the modified flag, to check that a
// failed open changes none of it.
struct CLiveDoc {
    CTesvanDoc doc;
    Bytes before;
    CLiveDoc()
    {
        doc.OnNewDocument();
        doc.m_Layers[1].CreateImage(doc.SheetWidth(), doc.SheetHeight(), doc.m_Palette, false, 32);
        Put32(*doc.m_Layers[1].m_pImage, 5, 6, 0xFF123456u);
        doc.m_nCurrentLayer = 1;
        doc.ComposeAll(true);
        doc.SetPathName("/somewhere/live.tvn");
        doc.SetModifiedFlag();
        CArchive ar;
        doc.Serialize(ar);
        before = ar.Data();
    }
    void ExpectUnchanged()
    {
        CArchive ar;
        doc.Serialize(ar);
        EXPECT_EQ(ar.Data(), before);
        EXPECT_EQ(doc.GetPathName(), "/somewhere/live.tvn");
        EXPECT_EQ(doc.GetTitle(), "live.tvn");
        EXPECT_TRUE(doc.IsModified());
        EXPECT_EQ(Get32(doc.m_imgWork, 5, 6), 0xFF123456u);
    }
};

} // namespace

TEST_F(DocFile, NewDocumentSavesAs2232Bytes)
{
    CTesvanDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    doc.SetModifiedFlag();
    const std::string path = Path("new.tvn");
    ASSERT_TRUE(doc.OnSaveDocument(path));
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.GetTitle(), "new.tvn");
    EXPECT_EQ(doc.GetPathName(), path);
    const Bytes b = ReadFile(path);
    ASSERT_EQ(b.size(), 2232u);
    EXPECT_EQ(Bytes(b.begin(), b.begin() + 16), (Bytes{2, 0, 0, 0, 32, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0, 1, 0, 0, 0}));
    for (int i = 0; i < 12; ++i) {
        const size_t at = kRecords + kEmptyRecord * i;
        EXPECT_EQ(Bytes(b.begin() + at, b.begin() + at + 4), (Bytes{0x12, 0, 0, 0}));
        EXPECT_EQ(b[at + 8], i);
        EXPECT_EQ(b[at + 16], 4);
        EXPECT_EQ(b[at + 17], 'L');
    }
    EXPECT_TRUE(ui.messages.empty());
    // Saving changes nothing but the path; the temporary file is gone.
    EXPECT_EQ(Save(doc), b);
    EXPECT_EQ(access((dir + "/.new.tvn.XXXXXX").c_str(), F_OK), -1);
}

TEST_F(DocFile, RoundTrip32BitWithContent)
{
    CTesvanDoc doc;
    doc.OnNewDocument();
    doc.m_crBackground = 0x102030;
    doc.m_nEditColumn = 2;
    doc.m_nEditRow = 3;
    doc.m_nZoom = 4;
    doc.m_nCurrentLayer = 4;
    doc.m_nGridStep = 5;
    doc.m_bShowGrid = 0;
    doc.m_Gradations[29].crLast = 0xABCDEF;
    doc.m_Palette[200] = RGBQUAD{1, 2, 3, 0};
    doc.m_Layers[4].m_strName = "背景 😀";    // no code page 932 code: wide form
    doc.m_Layers[4].m_strFolder = "/home/ユーザー";
    doc.m_Layers[4].m_bVisible = 0;
    doc.m_Layers[4].m_nColor[0] = 19;
    doc.m_Layers[4].m_nAlpha[1] = 0x80000000u;
    doc.m_Layers[4].Swap(doc.m_Layers[6]);    // slot 6 now has page 4
    std::mt19937 rng(1);
    for (int slot : {0, 6}) {
        CLayer& layer = doc.m_Layers[slot];
        ASSERT_TRUE(layer.CreateImage(192, 256, doc.m_Palette, false, 32));
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 192; ++x)
                if (rng() % 3 == 0)
                    Put32(*layer.m_pImage, x, y, 0xFF000000u | (rng() & 0xFFFFFF));
    }
    doc.m_Anime[3] = CAnimeSlot{"0,1,2,1", 3};
    doc.m_bAnimeShown = 1;
    const std::string path = Path("content.tvn");
    ASSERT_TRUE(doc.OnSaveDocument(path));

    CTesvanDoc back;
    back.OnNewDocument();
    back.m_nUndoCount = 3;
    back.m_strText = "x";
    ASSERT_TRUE(back.OnOpenDocument(path));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(Save(back), ReadFile(path));
    EXPECT_EQ(back.GetTitle(), "content.tvn");
    EXPECT_FALSE(back.IsModified());
    EXPECT_EQ(back.m_Layers[6].m_nPage, 4);
    EXPECT_EQ(back.m_Layers[6].m_strName, "背景 😀");
    EXPECT_EQ(back.m_Layers[6].m_strFolder, "/home/ユーザー");
    EXPECT_EQ(back.m_Layers[6].m_nAlpha[1], 0x80000000u);
    EXPECT_EQ(back.m_Anime[3].strFrames, "0,1,2,1");
    EXPECT_EQ(back.m_nZoom, 4);
    EXPECT_EQ(back.m_nUndoCount, 0);
    EXPECT_EQ(back.m_strText, "");
    for (int y = 0; y < 256; y += 7)
        for (int x = 0; x < 192; x += 5)
            EXPECT_EQ(Get32(*back.m_Layers[0].m_pImage, x, y), Get32(*doc.m_Layers[0].m_pImage, x, y));
    // Loaded documents are composed: layer 0 opaque pixels show, hidden
    // layer 6 (page 4) is current and shows too.
    EXPECT_EQ(back.m_bWorkValid, 1);
    EXPECT_EQ(back.m_imgWork.GetBPP(), 32);
    EXPECT_EQ(back.m_nCurrentLayer, 4);
}

TEST_F(DocFile, RoundTrip8BitKeepsPagePositions)
{
    CTesvanDoc doc;
    doc.m_nBitCount = 8;
    doc.OnNewDocument();
    doc.m_Layers[2].m_nPage = 5;    // slot 2 shows page 5 (entries 144..159)
    ASSERT_TRUE(doc.m_Layers[2].CreateImage(192, 256, doc.m_Palette, false, 8));
    CImageEx& img = *doc.m_Layers[2].m_pImage;
    img.GetRow(0)[0] = 148;
    img.GetRow(0)[1] = 12;
    img.GetRow(255)[191] = 159;
    const std::string path = Path("eight.tvn");
    ASSERT_TRUE(doc.OnSaveDocument(path));
    const Bytes saved = ReadFile(path);

    CTesvanDoc back;
    back.OnNewDocument();
    ASSERT_TRUE(back.LoadFromMemory(saved.data(), saved.size()));
    EXPECT_EQ(back.m_nBitCount, 8);
    const CImageEx& out = *back.m_Layers[2].m_pImage;
    EXPECT_EQ(out.GetBPP(), 8);
    EXPECT_EQ(out.GetRow(0)[0], 148);
    EXPECT_EQ(out.GetRow(0)[1], 12);
    EXPECT_EQ(out.GetRow(255)[191], 159);
    EXPECT_EQ(out.GetTransparentColor(), 0);
    EXPECT_EQ(out.ColorTable()[148], back.m_Palette[148]);
    EXPECT_EQ(back.m_imgWork.GetBPP(), 8);
    // Empty slots cleared with depth 32 open in the 8-bit document.
    EXPECT_EQ(back.m_Layers[0].m_pImage, nullptr);
    EXPECT_EQ(back.m_Layers[0].m_nBitCount, 8);
}

TEST_F(DocFile, LargeFileStreamsThroughTheReadWindow)
{
    CTesvanDoc doc;
    doc.m_nColumns = doc.m_nRows = 8;
    doc.OnNewDocument();
    std::mt19937 rng(7);
    for (int slot : {0, 1}) {
        ASSERT_TRUE(doc.m_Layers[slot].CreateImage(512, 512, doc.m_Palette, false, 32));
        for (int y = 0; y < 512; ++y)
            for (int x = 0; x < 512; ++x)
                Put32(*doc.m_Layers[slot].m_pImage, x, y, rng() | 0x01000000u);
    }
    const std::string path = Path("big.tvn");
    ASSERT_TRUE(doc.OnSaveDocument(path));
    CTesvanDoc back;
    back.OnNewDocument();
    ASSERT_TRUE(back.OnOpenDocument(path));
    for (int slot : {0, 1})
        for (int y = 0; y < 512; y += 3)
            for (int x = 0; x < 512; ++x)
                ASSERT_EQ(Get32(*back.m_Layers[slot].m_pImage, x, y),
                          Get32(*doc.m_Layers[slot].m_pImage, x, y));
}

TEST_F(DocFile, OldHeaderIsAn8BitWhiteDocument)
{
    Bytes file = EmptyFile(32);
    PutInt(file, 0, 1);
    file.erase(file.begin() + 4, file.begin() + 12);    // no depth, no background
    PutInt(file, 4, 0);                                  // m_bInitialized
    CTesvanDoc doc;
    doc.OnNewDocument();
    doc.m_crBackground = 0;
    ASSERT_TRUE(doc.LoadFromMemory(file.data(), file.size()));
    EXPECT_EQ(doc.m_nBitCount, 8);
    EXPECT_EQ(doc.m_crBackground, 0xFFFFFFu);
    EXPECT_EQ(doc.m_bInitialized, 1);
    EXPECT_EQ(doc.m_Layers[11].m_strName, "LY11");
}

TEST_F(DocFile, OlderRecordForms)
{
    // Tag 17: no alphas.
    CRecord r17;
    r17.Int(17).Int(8).Int(2).Int(1).Str("old").Str("").Str("").Int(20).Int(21).Int(4);
    r17.Raw({70, 1, 3, 1});
    CTesvanDoc doc;
    doc.OnNewDocument();
    Bytes file = WithRecord0(EmptyFile(8), r17.b);
    ASSERT_TRUE(doc.LoadFromMemory(file.data(), file.size()));
    const CLayer& a = doc.m_Layers[0];
    EXPECT_EQ(a.m_nPage, 2);
    EXPECT_EQ(a.m_strName, "old");
    EXPECT_EQ(a.m_nColor[1], 21);
    EXPECT_EQ(a.m_nAlpha[0], 0xFF000000u);
    EXPECT_EQ(a.m_nAlpha[1], 0xFF000000u);
    EXPECT_EQ(a.m_pImage->GetRow(0)[0], 70 + 32);
    EXPECT_EQ(a.m_pImage->GetRow(0)[1], 3);
    EXPECT_EQ(a.m_pImage->GetRow(0)[2], 0);

    // v <= 12: the oldest form, v is the page, 8-bit, no depth/page/alphas.
    CRecord r0;
    r0.Int(3).Int(0).Str("").Str("").Str("").Int(1).Int(0).Int(2).Raw({65, 2});
    file = WithRecord0(EmptyFile(8), r0.b);
    ASSERT_TRUE(doc.LoadFromMemory(file.data(), file.size()));
    EXPECT_EQ(doc.m_Layers[0].m_nPage, 3);
    EXPECT_EQ(doc.m_Layers[0].m_bVisible, 0);
    EXPECT_EQ(doc.m_Layers[0].m_nBitCount, 8);
    EXPECT_EQ(doc.m_Layers[0].m_pImage->GetRow(0)[1], 65 + 48);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(DocFile, EightBitRecordInto32BitDocumentIsConverted)
{
    Bytes file = EmptyFile(32);
    // Palette of the file: entry 0 and entry 5 share a colour.
    const RGBQUAD e0{10, 20, 30, 0}, e1{1, 2, 3, 0};
    std::memcpy(file.data() + 44, &e0, 4);
    std::memcpy(file.data() + 44 + 4, &e1, 4);
    std::memcpy(file.data() + 44 + 20, &e0, 4);
    CRecord r;
    r.Int(18).Int(8).Int(0).Int(1).Str("").Str("").Str("").Int(16).Int(16).Int(0).Int(0);
    r.Int(6).Raw({1, 2, 5, 1, 0, 1});
    file = WithRecord0(file, r.b);
    CTesvanDoc doc;
    doc.OnNewDocument();
    ASSERT_TRUE(doc.LoadFromMemory(file.data(), file.size()));
    const CLayer& layer = doc.m_Layers[0];
    EXPECT_EQ(layer.m_nBitCount, 32);
    ASSERT_EQ(layer.m_pImage->GetBPP(), 32);
    EXPECT_EQ(Get32(*layer.m_pImage, 0, 0), 0xFF030201u);
    EXPECT_EQ(Get32(*layer.m_pImage, 1, 0), 0xFF030201u);
    EXPECT_EQ(Get32(*layer.m_pImage, 2, 0), 0u);    // colour of entry 0: empty
    EXPECT_EQ(Get32(*layer.m_pImage, 3, 0), 0u);
}

TEST_F(DocFile, LayerFileRecordLandsInTheSlotsOwnPage)
{
    CLayer src;
    src.Clear(2);
    RGBQUAD palette[256] = {};
    ASSERT_TRUE(src.CreateImage(2, 1, palette, false, 8));
    src.m_pImage->GetRow(0)[0] = 100;    // page 2 entry 4
    src.m_pImage->GetRow(0)[1] = 12;
    CArchive out;
    src.Write(out);
    CLayer dst;
    dst.Clear(7);
    dst.m_nColor[0] = 99;
    CArchive in(out.Data().data(), out.Data().size());
    ASSERT_TRUE(dst.Read(in, 8, palette, false, 2, 1));
    EXPECT_EQ(dst.m_nPage, 7);
    EXPECT_EQ(dst.m_nColor[0], 99);
    EXPECT_EQ(dst.m_pImage->GetRow(0)[0], 68 + 112);
    EXPECT_EQ(dst.m_pImage->GetRow(0)[1], 12);
}

TEST_F(DocFile, BadFilesLeaveTheDocumentExactlyAsItWas)
{
    const Bytes good8 = EmptyFile(8);
    auto record = [](int32_t depth, int32_t page, Bytes pixels, int32_t colour = 16) {
        CRecord r;
        r.Int(18).Int(depth).Int(page).Int(1).Str("").Str("").Str("").Int(colour).Int(16);
        r.Int(0).Int(0).Int(int32_t(pixels.size())).Raw(pixels);
        return r.b;
    };
    auto header = [&](size_t at, int32_t v) {
        Bytes b = good8;
        PutInt(b, at, v);
        return b;
    };
    struct Case {
        const char* what;
        Bytes file;
        std::vector<std::string> messages;
    };
    Bytes saved32;
    {
        CLiveDoc source;
        saved32 = source.before;
    }
    const std::vector<Case> cases = {
        {"truncated in the header", Bytes(saved32.begin(), saved32.begin() + 10), {kMsgBadFormat}},
        {"truncated in a layer", Bytes(saved32.begin(), saved32.begin() + saved32.size() - 200), {kMsgBadFormat}},
        {"truncated before the last field", Bytes(saved32.begin(), saved32.end() - 1), {kMsgBadFormat}},
        {"32-bit record in 8-bit document", WithRecord0(good8, record(32, 0, {1, 2, 3, 4, 1})), {kMsgDepth, kMsgOpenFailed}},
        {"zero run length", WithRecord0(good8, record(8, 0, {1, 0})), {kMsgOpenFailed}},
        {"count beyond the file", [&] {
             Bytes b = WithRecord0(good8, record(8, 0, {1, 1}));
             PutInt(b, kRecords + 35, 0x7FFFFFFF);
             return b;
         }(), {kMsgBadFormat}},
        {"record depth 16", WithRecord0(good8, record(16, 0, {})), {kMsgOpenFailed}},
        {"record page 12", WithRecord0(good8, record(8, 12, {})), {kMsgOpenFailed}},
        {"record page -1", WithRecord0(good8, record(8, -1, {})), {kMsgOpenFailed}},
        {"colour index 256", WithRecord0(good8, record(8, 0, {}, 256)), {kMsgOpenFailed}},
        {"depth 24", header(4, 24), {kMsgOpenFailed}},
        {"cell width 0", header(16, 0), {kMsgOpenFailed}},
        {"rows -1", header(28, -1), {kMsgOpenFailed}},
        {"sheet too large", [&] {
             Bytes b = header(16, 4096);
             PutInt(b, 20, 4096);
             PutInt(b, 24, 2);
             PutInt(b, 28, 1);
             return b;
         }(), {kMsgOpenFailed}},
        {"column overflow", [&] {
             Bytes b = header(16, 0x40000000);
             PutInt(b, 24, 0x40000000);
             return b;
         }(), {kMsgOpenFailed}},
        {"current column outside", header(32, 3), {kMsgOpenFailed}},
        {"current row negative", header(36, -1), {kMsgOpenFailed}},
        {"current layer 12", header(1688, 12), {kMsgOpenFailed}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CLiveDoc live;
        ui.messages.clear();
        const std::string path = Path("bad.tvn");
        WriteFile(path, c.file);
        EXPECT_FALSE(live.doc.OnOpenDocument(path));
        EXPECT_EQ(ui.messages, WithFile(c.messages, "bad.tvn"));
        live.ExpectUnchanged();
        ui.messages.clear();
        EXPECT_FALSE(live.doc.LoadFromMemory(c.file.data(), c.file.size()));
        EXPECT_EQ(ui.messages, c.messages);
        live.ExpectUnchanged();
    }
}

TEST_F(DocFile, UnreadablePathsFailWithAMessage)
{
    CLiveDoc live;
    EXPECT_FALSE(live.doc.OnOpenDocument(Path("missing.tvn")));
    EXPECT_FALSE(live.doc.OnOpenDocument(dir));
    const std::string folder = dir.substr(dir.find_last_of('/') + 1);
    EXPECT_EQ(ui.messages,
              (std::vector<std::string>{
                  std::string(kMsgOpenFailed) + "\nmissing.tvn を読み込めませんでした。指定されたパスが見つかりません。",
                  std::string(kMsgOpenFailed) + "\n" + folder + " を読み込めませんでした。指定されたパスはフォルダーです。"}));
    live.ExpectUnchanged();
}

TEST_F(DocFile, EmptyFileKeepsContentUnderTheNewPath)
{
    CLiveDoc live;
    WriteFile(Path("empty.tvn"), {});
    EXPECT_TRUE(live.doc.OnOpenDocument(Path("empty.tvn")));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(live.doc.GetTitle(), "empty.tvn");
    EXPECT_TRUE(live.doc.IsModified());    // the content is not in that file
    CArchive ar;
    live.doc.Serialize(ar);
    EXPECT_EQ(ar.Data(), live.before);
}

TEST_F(DocFile, OddZoomAndGridStepAreNormalised)
{
    Bytes file = EmptyFile(32, 3, 4, 100);
    PutInt(file, 40, 5);
    PutInt(file, 1676, 0);
    CTesvanDoc doc;
    doc.OnNewDocument();
    ASSERT_TRUE(doc.LoadFromMemory(file.data(), file.size()));
    EXPECT_EQ(doc.m_nZoom, 4);
    EXPECT_EQ(doc.m_nGridStep, 8);
}

TEST_F(DocFile, FailedSaveKeepsTheOldFileWhole)
{
    CTesvanDoc doc;
    doc.OnNewDocument();
    doc.SetModifiedFlag();
    // The target is a folder: the rename fails, the folder stays.
    const std::string folder = Path("folder.tvn");
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    EXPECT_FALSE(doc.OnSaveDocument(folder));
    EXPECT_EQ(ui.messages, (std::vector<std::string>{std::string(kMsgSaveFailed) +
                                                     "\nfolder.tvn に書き込めませんでした。指定されたパスはフォルダーです。"}));
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.GetTitle(), "無題");
    struct stat st {};
    ASSERT_EQ(stat(folder.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    // No temporary file is left behind.
    EXPECT_EQ(std::system(("test -z \"$(ls -A '" + dir + "' | grep -v folder.tvn)\"").c_str()), 0);

    // A folder that does not exist.
    ui.messages.clear();
    EXPECT_FALSE(doc.OnSaveDocument(Path("nowhere/x.tvn")));
    EXPECT_EQ(ui.messages, (std::vector<std::string>{std::string(kMsgSaveFailed) +
                                                     "\nx.tvn に書き込めませんでした。指定されたパスが見つかりません。"}));

    // A folder we may not write to: the old file stays as it was.
    if (geteuid() != 0) {
        const std::string ro = Path("ro");
        mkdir(ro.c_str(), 0755);
        WriteFile(ro + "/old.tvn", {1, 2, 3});
        chmod(ro.c_str(), 0555);
        ui.messages.clear();
        EXPECT_FALSE(doc.OnSaveDocument(ro + "/old.tvn"));
        EXPECT_EQ(ReadFile(ro + "/old.tvn"), (Bytes{1, 2, 3}));
        EXPECT_EQ(ui.messages.size(), 1u);
        chmod(ro.c_str(), 0755);
    }
}

TEST_F(DocFile, SaveReplacesAnOldFileAndKeepsItsMode)
{
    const std::string path = Path("keep.tvn");
    WriteFile(path, {9, 9});
    chmod(path.c_str(), 0640);
    CTesvanDoc doc;
    doc.OnNewDocument();
    ASSERT_TRUE(doc.OnSaveDocument(path));
    EXPECT_EQ(ReadFile(path).size(), 2232u);
    struct stat st {};
    stat(path.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(DocFile, DoSaveAsksForANameAndAddsTheExtension)
{
    CTesvanDoc doc;
    doc.OnNewDocument();
    doc.SetModifiedFlag();
    ui.files.push_back(Path("chara"));
    ASSERT_TRUE(doc.DoFileSave());
    ASSERT_EQ(ui.fileRequests.size(), 1u);
    const FileDialogRequest& r = ui.fileRequests[0];
    EXPECT_FALSE(r.open);
    EXPECT_EQ(r.initialName, "無題");
    EXPECT_EQ(r.defaultExt, "tvn");
    ASSERT_EQ(r.filters.size(), 1u);
    EXPECT_EQ(r.filters[0].first, "Tesvan Files (*.tvn)");
    EXPECT_EQ(r.filters[0].second, "*.tvn");
    EXPECT_EQ(doc.GetPathName(), Path("chara.tvn"));
    EXPECT_EQ(ReadFile(Path("chara.tvn")).size(), 2232u);
    EXPECT_FALSE(doc.IsModified());

    // Save with a path asks nothing; save-as always asks; cancel saves nothing.
    doc.SetModifiedFlag();
    ASSERT_TRUE(doc.DoFileSave());
    EXPECT_EQ(ui.fileRequests.size(), 1u);
    doc.SetModifiedFlag();
    EXPECT_FALSE(doc.DoSave(""));
    EXPECT_EQ(ui.fileRequests.size(), 2u);
    EXPECT_EQ(ui.fileRequests[1].initialName, "chara.tvn");
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(DocFile, SaveModifiedAsksYesNoCancel)
{
    CTesvanDoc doc;
    doc.OnNewDocument();
    EXPECT_TRUE(doc.SaveModified());
    EXPECT_TRUE(ui.questions.empty());

    doc.SetModifiedFlag();
    ui.answers = {UiAnswer::Cancel, UiAnswer::No, UiAnswer::Yes};
    EXPECT_FALSE(doc.SaveModified());
    EXPECT_EQ(ui.questions[0], "無題 への変更を保存しますか?");
    EXPECT_TRUE(doc.SaveModified());
    EXPECT_TRUE(doc.IsModified());
    ui.files.push_back(Path("yes.tvn"));
    EXPECT_TRUE(doc.SaveModified());
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.GetTitle(), "yes.tvn");

    // Yes with a cancelled save dialog keeps the document open.
    CTesvanDoc other;
    other.OnNewDocument();
    other.SetModifiedFlag();
    ui.answers = {UiAnswer::Yes};
    EXPECT_FALSE(other.SaveModified());
}

// ---------------------------------------------------------------- extension block

namespace {

Bytes SaveBytes(CTesvanDoc& doc)
{
    CArchive ar;
    doc.Serialize(ar);
    return ar.Data();
}

// A document whose names, directions and zoom need the extension block, and
// the bytes the standard form alone gives for the same content.
struct CExtendedDoc {
    CTesvanDoc doc;
    Bytes full, standard;
    CExtendedDoc()
    {
        doc.OnNewDocument();
        doc.m_Anime[0].strFrames = "0,1,2";
        doc.m_Anime[0].strName = "歩き";
        doc.m_Anime[0].nDirection = ANIME_PINGPONG;
        doc.m_Anime[2].strName = "jump";
        doc.m_Anime[2].nDirection = ANIME_REVERSE;
        doc.m_nZoom = 3;
        full = SaveBytes(doc);
        CTesvanDoc plain;
        plain.OnNewDocument();
        plain.m_Anime[0].strFrames = "0,1,2";
        plain.m_nZoom = 4;    // what the standard field holds for 3
        standard = SaveBytes(plain);
    }
};

Bytes Block(const std::vector<std::pair<std::string, Bytes>>& records, uint32_t version = 1)
{
    CRecord r;
    r.b = {'T', 'V', 'N', 'X'};
    r.Int(int32_t(version));
    for (const auto& [tag, bytes] : records) {
        r.b.insert(r.b.end(), tag.begin(), tag.end());
        r.Int(int32_t(bytes.size())).Raw(bytes);
    }
    return r.b;
}

Bytes Zoom(int32_t z) { return CRecord().Int(z).b; }

Bytes Concat(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace

TEST_F(DocFile, ExtensionBlockFollowsTheStandardContentUntouched)
{
    CExtendedDoc x;
    // The standard part is byte for byte what the standard form writes, so a
    // reader that stops there opens exactly the same document.
    ASSERT_GT(x.full.size(), x.standard.size());
    EXPECT_EQ(Bytes(x.full.begin(), x.full.begin() + ptrdiff_t(x.standard.size())), x.standard);
    EXPECT_EQ(Bytes(x.full.begin() + ptrdiff_t(x.standard.size()), x.full.begin() + ptrdiff_t(x.standard.size()) + 4),
              (Bytes{'T', 'V', 'N', 'X'}));

    CTesvanDoc cut;
    cut.OnNewDocument();
    ASSERT_TRUE(cut.LoadFromMemory(x.full.data(), x.standard.size()));
    EXPECT_EQ(Save(cut), x.standard);
    EXPECT_EQ(cut.m_Anime[0].strName, "anime1");
    EXPECT_EQ(cut.m_Anime[0].nDirection, ANIME_FORWARD);
    EXPECT_EQ(cut.m_nZoom, 4);

    CTesvanDoc back;
    back.OnNewDocument();
    ASSERT_TRUE(back.LoadFromMemory(x.full.data(), x.full.size()));
    EXPECT_EQ(back.m_Anime[0].strName, "歩き");
    EXPECT_EQ(back.m_Anime[0].nDirection, ANIME_PINGPONG);
    EXPECT_EQ(back.m_Anime[1].strName, "anime2");
    EXPECT_EQ(back.m_Anime[2].strName, "jump");
    EXPECT_EQ(back.m_Anime[2].nDirection, ANIME_REVERSE);
    EXPECT_EQ(back.m_nZoom, 3);
    EXPECT_EQ(Save(back), x.full);
    EXPECT_TRUE(ui.messages.empty());

    // Zoom 6 goes to the standard field as 8; 4 and 8 need no block.
    back.m_nZoom = 6;
    const Bytes six = Save(back);
    int32_t field;
    std::memcpy(&field, six.data() + 40, 4);
    EXPECT_EQ(field, 8);
    CTesvanDoc plain;
    plain.OnNewDocument();
    plain.m_nZoom = 4;
    EXPECT_EQ(Save(plain).size(), 2232u);
}

TEST_F(DocFile, DamagedExtensionBlockKeepsTheStandardContent)
{
    const Bytes base = EmptyFile(32);
    const Bytes anim = [] {
        CRecord r;
        for (int k = 0; k < 4; ++k)
            r.Int(k == 1 ? ANIME_REVERSE : 0).Int(2).Raw({'n', char('0' + k)});
        return r.b;
    }();
    auto open = [&](const Bytes& tail, bool& damaged) {
        auto doc = std::make_unique<CTesvanDoc>();
        doc->OnNewDocument();
        ui.messages.clear();
        const Bytes file = Concat(base, tail);
        EXPECT_TRUE(doc->LoadFromMemory(file.data(), file.size()));
        damaged = !ui.messages.empty();
        return doc;
    };
    bool damaged = false;

    // Unknown records are skipped; known ones around them apply.
    auto doc = open(Block({{"FUTR", {1, 2, 3}}, {"ANIM", anim}, {"ZOOM", Zoom(16)}}), damaged);
    EXPECT_FALSE(damaged);
    EXPECT_EQ(doc->m_Anime[1].strName, "n1");
    EXPECT_EQ(doc->m_Anime[1].nDirection, ANIME_REVERSE);
    EXPECT_EQ(doc->m_nZoom, 16);

    // A zoom the canvas does not know keeps the standard field.
    doc = open(Block({{"ZOOM", Zoom(5)}}), damaged);
    EXPECT_FALSE(damaged);
    EXPECT_EQ(doc->m_nZoom, 8);

    // Bytes that are no block are left alone, as before the block existed.
    doc = open({'x', 'y', 'z', 0, 0, 0, 0, 0, 0}, damaged);
    EXPECT_FALSE(damaged);

    // Damage: nothing of the block applies, the document opens, the person
    // is told.
    Bytes cutShort = Block({{"ANIM", anim}, {"ZOOM", Zoom(16)}});
    cutShort.resize(cutShort.size() - 2);
    Bytes badName = anim;
    badName[8] = 0xFF;
    for (const Bytes& tail : {cutShort, Block({{"ZOOM", Zoom(16)}, {"ANIM", Bytes(anim.begin(), anim.begin() + 9)}}),
                              Block({{"ANIM", badName}}), Block({{"ANIM", anim}}, 2),
                              Concat(Block({{"ZOOM", Zoom(16)}}), {'A', 'N'})}) {
        doc = open(tail, damaged);
        EXPECT_TRUE(damaged);
        EXPECT_EQ(doc->m_nZoom, 8);
        EXPECT_EQ(doc->m_Anime[1].strName, "anime2");
        EXPECT_EQ(Save(*doc), base);
    }
}

// The summary of --info: every setting and record, no pixel decoded, the
// pixel records skipped (beyond the read window too), truncation refused.
TEST_F(DocFile, SummaryReadsSettingsAndRecordsWithoutPixels)
{
    CTesvanDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    doc.m_nBitCount = 32;
    doc.m_nCellWidth = 300;
    doc.m_nCellHeight = 300;
    doc.m_nColumns = 2;
    doc.m_nRows = 2;
    ASSERT_TRUE(doc.ApplySheetSize(false));
    std::mt19937 rng(5);
    for (int slot : {2, 7}) {
        CLayer& layer = doc.m_Layers[slot];
        ASSERT_TRUE(layer.CreateImage(600, 600, doc.m_Palette, false, 32));
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 600; ++x)
                Put32(*layer.m_pImage, x, y, 0xFF000000u | (rng() & 0xFFFFFF));
    }
    doc.m_Layers[7].m_strName = "最後";
    doc.m_Anime[1].strFrames = "0,1,2";
    const std::string path = Path("big.tvn");
    ASSERT_TRUE(doc.OnSaveDocument(path));

    CTesvanDoc full, summary;
    ASSERT_TRUE(full.OnOpenDocument(path));
    std::array<bool, CTesvanDoc::kLayers> pixels{};
    ASSERT_TRUE(summary.ReadSummary(path, pixels));
    for (int i = 0; i < CTesvanDoc::kLayers; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(pixels[i], full.m_Layers[i].m_pImage != nullptr);
        EXPECT_EQ(summary.m_Layers[i].m_pImage, nullptr);
        EXPECT_EQ(summary.m_Layers[i].m_nBitCount, full.m_Layers[i].m_nBitCount);
        EXPECT_EQ(summary.m_Layers[i].m_strName, full.m_Layers[i].m_strName);
    }
    EXPECT_TRUE(pixels[2] && pixels[7]);
    EXPECT_EQ(summary.m_Anime[1].strFrames, "0,1,2");
    EXPECT_EQ(summary.SheetWidth(), 600);

    // A truncated file is refused as the full open refuses it.
    Bytes bytes = ReadFile(path);
    bytes.resize(bytes.size() - 100);
    WriteFile(path, bytes);
    CTesvanDoc cut;
    ui.messages.clear();
    EXPECT_FALSE(cut.ReadSummary(path, pixels));
    EXPECT_EQ(ui.messages, WithFile({kMsgBadFormat}, "big.tvn"));
}

// A picture that cannot become a sheet (larger than the sheet limit, cut
// off, or no picture at all) is reported, the size named, and the open
// document stays exactly as it was.
TEST_F(DocFile, RefusedPicturesLeaveTheDocumentAlone)
{
    CFakeUiPort port;
    CImageEx big;
    ASSERT_TRUE(big.CreateEx(4100, 4100, 32, CImageEx::createAlphaChannel));
    ASSERT_TRUE(SaveImageFile(big, Path("big.png")));
    CImageEx small;
    ASSERT_TRUE(small.CreateEx(8, 8, 32, CImageEx::createAlphaChannel));
    ASSERT_TRUE(SaveImageFile(small, Path("small.png")));
    Bytes cut = ReadFile(Path("small.png"));
    cut.resize(cut.size() / 2);
    std::ofstream(Path("cut.png"), std::ios::binary).write(reinterpret_cast<const char*>(cut.data()),
                                                          std::streamsize(cut.size()));
    // A screen beyond what the decoder takes at all: named from the header.
    const uint8_t huge[] = {'G', 'I', 'F', '8', '9', 'a', 0x60, 0xEA, 0x60, 0xEA, 0, 0, 0, ',', 0, 0, 0, 0,
                            0x60, 0xEA, 0x60, 0xEA, 0, 2, 2, 0x44, 1, 0, ';'};
    std::ofstream(Path("huge.gif"), std::ios::binary).write(reinterpret_cast<const char*>(huge), sizeof huge);
    const struct {
        const char* file;
        const char* message;
    } cases[] = {
        {"big.png", "画像が大きすぎるため開けません(4100 x 4100)。"},
        {"huge.gif", "画像が大きすぎるため開けません(60000 x 60000)。"},
        {"cut.png", "画像を読み込めませんでした。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        CLiveDoc live;
        port.messages.clear();
        EXPECT_TRUE(CTesvanDoc::IsPictureFile(Path(c.file)));
        EXPECT_FALSE(live.doc.OpenPicture(Path(c.file)));
        EXPECT_EQ(port.messages, std::vector<std::string>{c.message});
        live.ExpectUnchanged();
    }
    EXPECT_FALSE(CTesvanDoc::IsPictureFile(Path("none")));
    EXPECT_TRUE(CTesvanDoc().OpenPicture(Path("small.png")));
}
