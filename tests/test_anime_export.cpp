// Pictures for games: animated GIF and WebP read back frame by frame with
// their own libraries, scaled sheets, and one picture per cell or step.
#include "support/FakeUiPort.h"
#include "doc/TesvanDoc.h"
#include "exchange/AnimeExport.h"
#include "platform/ImageCodec.h"

#include <gif_lib.h>
#include <webp/demux.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sys/stat.h>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes ReadFile(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), {});
}

bool Exists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

uint32_t Pixel32(const CImageEx& img, int x, int y)
{
    uint32_t v;
    std::memcpy(&v, img.GetRow(y) + 4 * x, 4);
    return v;
}

class AnimeExport : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/tesvan-animexp-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
    }
    void TearDown() override { std::system(("rm -rf '" + dir + "'").c_str()); }

    // Four 8 x 8 cells in a row; each cell its own colours, with clear,
    // half-clear (alpha 100 and 200) and opaque columns. Slot 0 plays
    // 0,1,2 there and back at 早い (150 ms a step).
    void Make32(int colours = 0)
    {
        doc.m_nBitCount = 32;
        doc.m_nColumns = 4;
        doc.m_nRows = 1;
        doc.m_nCellWidth = doc.m_nCellHeight = 8;
        ASSERT_TRUE(doc.OnNewDocument());
        for (int layer : {0, 1})
            ASSERT_TRUE(doc.m_Layers[layer].CreateImage(32, 8, doc.m_Palette, false, 32));
        int n = 0;
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 32; ++x) {
                const int cx = x % 8;
                const uint32_t alpha = cx < 2 ? 0 : cx == 2 ? 100 : cx == 3 ? 200 : 255;
                uint32_t rgb = uint32_t(x / 8) * 0x400000 | uint32_t(y) << 8 | 0x30;
                if (colours)
                    rgb = uint32_t(n++ % colours) * 0x010305;
                uint32_t v = alpha << 24 | rgb;
                std::memcpy(doc.m_Layers[0].m_pImage->GetRow(y) + 4 * x, &v, 4);
            }
        // A layer on top, so the frames are compositions, not one layer.
        const uint32_t top = 0xFF00FF00u;
        std::memcpy(doc.m_Layers[1].m_pImage->GetRow(7) + 4 * 13, &top, 4);
        doc.m_Anime[0] = CAnimeSlot{"0,1,2", 1, "walk", ANIME_PINGPONG};
        doc.ComposeAll(false);
        work.CreateEx(32, 8, 32, CImageEx::createAlphaChannel);
        for (int y = 0; y < 8; ++y)
            std::memcpy(work.GetRow(y), doc.m_imgWork.GetRow(y), 32 * 4);
        doc.ComposeAll(true);
    }

    std::string Path(const std::string& name) const { return dir + "/" + name; }

    CFakeUiPort ui;
    CTesvanDoc doc;
    CImageEx work;    // the composed sheet without background
    std::string dir;
};

struct GifFile {
    GifFileType* gif = nullptr;
    explicit GifFile(const std::string& path)
    {
        int err = 0;
        gif = DGifOpenFileName(path.c_str(), &err);
        if (gif && DGifSlurp(gif) != GIF_OK) {
            DGifCloseFile(gif, &err);
            gif = nullptr;
        }
    }
    ~GifFile()
    {
        int err = 0;
        if (gif)
            DGifCloseFile(gif, &err);
    }
};

} // namespace

TEST_F(AnimeExport, GifFramesAreTheComposedCellsPlayedThereAndBack)
{
    Make32();
    const std::string path = Path("walk.gif");
    ASSERT_EQ(ExportAnimation(doc, 0, path, 2), AnimeExportError::None);
    const Bytes bytes = ReadFile(path);
    EXPECT_NE(std::search(bytes.begin(), bytes.end(), std::begin("NETSCAPE2.0"), std::end("NETSCAPE2.0") - 1),
              bytes.end());

    GifFile f(path);
    ASSERT_NE(f.gif, nullptr);
    ASSERT_EQ(f.gif->SWidth, 16);
    ASSERT_EQ(f.gif->SHeight, 16);
    const int cells[] = {0, 1, 2, 1};
    ASSERT_EQ(f.gif->ImageCount, 4);
    for (int i = 0; i < 4; ++i) {
        GraphicsControlBlock gcb;
        ASSERT_EQ(DGifSavedExtensionToGCB(f.gif, i, &gcb), GIF_OK);
        EXPECT_EQ(gcb.DelayTime, 15);
        EXPECT_EQ(gcb.DisposalMode, DISPOSE_BACKGROUND);
        ASSERT_GE(gcb.TransparentColor, 0);
        const SavedImage& img = f.gif->SavedImages[i];
        ASSERT_EQ(img.ImageDesc.Width, 16);
        const ColorMapObject* map = img.ImageDesc.ColorMap ? img.ImageDesc.ColorMap : f.gif->SColorMap;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const uint32_t want = Pixel32(work, cells[i] * 8 + x / 2, y / 2);
                const int index = img.RasterBits[y * 16 + x];
                if ((want >> 24) < 128) {
                    EXPECT_EQ(index, gcb.TransparentColor) << i << " " << x << "," << y;
                } else {
                    ASSERT_NE(index, gcb.TransparentColor);
                    const GifColorType c = map->Colors[index];
                    EXPECT_EQ(uint32_t(c.Red) << 16 | uint32_t(c.Green) << 8 | c.Blue, want & 0xFFFFFF)
                        << i << " " << x << "," << y;
                }
            }
    }
    // The canvas has its background again and nothing changed.
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(Pixel32(doc.m_imgWork, 0, 0), 0xFFFFFFFFu);
}

TEST_F(AnimeExport, GifOfManyColoursIsQuantisedAndEightBitKeepsItsPalette)
{
    Make32(600);
    doc.m_Anime[1] = CAnimeSlot{"3,2", 3, "x", ANIME_REVERSE};
    ASSERT_EQ(ExportAnimation(doc, 1, Path("many.gif"), 1), AnimeExportError::None);
    {
        GifFile f(Path("many.gif"));
        ASSERT_NE(f.gif, nullptr);
        ASSERT_EQ(f.gif->ImageCount, 2);
        GraphicsControlBlock gcb;
        DGifSavedExtensionToGCB(f.gif, 0, &gcb);
        EXPECT_EQ(gcb.DelayTime, 45);
        // Reversed: cell 2 first. Near colours, clear stays clear.
        const ColorMapObject* map = f.gif->SColorMap;
        for (int x = 0; x < 8; ++x) {
            const uint32_t want = Pixel32(work, 16 + x, 3);
            const int index = f.gif->SavedImages[0].RasterBits[3 * 8 + x];
            if ((want >> 24) < 128) {
                EXPECT_EQ(index, gcb.TransparentColor);
                continue;
            }
            const GifColorType c = map->Colors[index];
            EXPECT_NEAR(c.Red, int((want >> 16) & 0xFF), 40);
            EXPECT_NEAR(c.Green, int((want >> 8) & 0xFF), 40);
            EXPECT_NEAR(c.Blue, int(want & 0xFF), 40);
        }
    }

    CTesvanDoc eight;
    eight.m_nBitCount = 8;
    eight.m_nColumns = 2;
    eight.m_nRows = 1;
    eight.m_nCellWidth = eight.m_nCellHeight = 4;
    ASSERT_TRUE(eight.OnNewDocument());
    ASSERT_TRUE(eight.m_Layers[0].CreateImage(8, 4, eight.m_Palette, false, 8));
    for (int x = 0; x < 8; ++x)
        eight.m_Layers[0].m_pImage->GetRow(1)[x] = uint8_t(x == 0 ? 0 : 10 + x);
    eight.m_Anime[0].strFrames = "1,0";
    ASSERT_EQ(ExportAnimation(eight, 0, Path("eight.gif"), 1), AnimeExportError::None);
    GifFile f(Path("eight.gif"));
    ASSERT_NE(f.gif, nullptr);
    ASSERT_EQ(f.gif->ImageCount, 2);
    GraphicsControlBlock gcb;
    DGifSavedExtensionToGCB(f.gif, 0, &gcb);
    EXPECT_EQ(gcb.TransparentColor, 0);
    EXPECT_EQ(gcb.DelayTime, 30);
    eight.ComposeAll(false);
    for (int i = 0; i < 2; ++i)
        for (int x = 0; x < 4; ++x) {
            const int want = eight.m_imgWork.GetRow(1)[(1 - i) * 4 + x];
            const int got = f.gif->SavedImages[i].RasterBits[4 + x];
            EXPECT_EQ(got, want);
            const GifColorType c = f.gif->SColorMap->Colors[got];
            EXPECT_EQ(c.Red, eight.m_Palette[want].rgbRed);
            EXPECT_EQ(c.Blue, eight.m_Palette[want].rgbBlue);
        }
}

TEST_F(AnimeExport, WebPIsLosslessWithFullAlpha)
{
    Make32();
    ASSERT_EQ(ExportAnimation(doc, 0, Path("walk.webp"), 1), AnimeExportError::None);
    const Bytes bytes = ReadFile(Path("walk.webp"));
    WebPData data{bytes.data(), bytes.size()};
    WebPAnimDecoderOptions options;
    ASSERT_TRUE(WebPAnimDecoderOptionsInit(&options));
    options.color_mode = MODE_BGRA;
    WebPAnimDecoder* dec = WebPAnimDecoderNew(&data, &options);
    ASSERT_NE(dec, nullptr);
    WebPAnimInfo info;
    ASSERT_TRUE(WebPAnimDecoderGetInfo(dec, &info));
    EXPECT_EQ(info.canvas_width, 8u);
    EXPECT_EQ(info.frame_count, 4u);
    EXPECT_EQ(info.loop_count, 0u);
    const int cells[] = {0, 1, 2, 1};
    for (int i = 0; i < 4; ++i) {
        uint8_t* buf = nullptr;
        int timestamp = 0;
        ASSERT_TRUE(WebPAnimDecoderGetNext(dec, &buf, &timestamp));
        EXPECT_EQ(timestamp, 150 * (i + 1));
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) {
                uint32_t got;
                std::memcpy(&got, buf + 4 * (y * 8 + x), 4);
                const uint32_t want = Pixel32(work, cells[i] * 8 + x, y);
                if ((want >> 24) == 0)
                    EXPECT_EQ(got >> 24, 0u);
                else
                    EXPECT_EQ(got, want) << i << " " << x << "," << y;
            }
    }
    WebPAnimDecoderDelete(dec);
}

TEST_F(AnimeExport, SheetsScaleByRepeatingPixels)
{
    Make32();
    ASSERT_EQ(ExportSheet(doc, Path("sheet.png"), 3), AnimeExportError::None);
    tesvan::DecodedImage pic;
    ASSERT_EQ(tesvan::DecodeImageFile(Path("sheet.png"), pic), tesvan::CodecStatus::Ok);
    ASSERT_EQ(pic.width, 96);
    ASSERT_EQ(pic.height, 24);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 96; ++x) {
            uint32_t got;
            std::memcpy(&got, pic.row(y) + 4 * x, 4);
            ASSERT_EQ(got, Pixel32(work, x / 3, y / 3)) << x << "," << y;
        }
    EXPECT_EQ(ExportSheet(doc, Path("bad.png"), 17), AnimeExportError::BadScale);
    EXPECT_EQ(ExportSheet(doc, Path("bad.txt"), 1), AnimeExportError::UnknownType);
    EXPECT_FALSE(Exists(Path("bad.png")));

    // The data: cells first, then one frame per step of each playing slot.
    const SheetData data = BuildSheetData(doc, "/out/sheet.png", 2);
    EXPECT_EQ(data.image, "sheet.png");
    ASSERT_EQ(data.frames.size(), 4u + 3u);
    EXPECT_EQ(data.frames[6].x, 32);
    EXPECT_EQ(data.frames[6].w, 16);
    EXPECT_EQ(data.frames[6].durationMs, 150);
    ASSERT_EQ(data.tags.size(), 1u);
    EXPECT_EQ(data.tags[0].name, "walk");
    EXPECT_EQ(data.tags[0].from, 4);
    EXPECT_EQ(data.tags[0].to, 6);
    EXPECT_EQ(data.tags[0].direction, "pingpong");
}

TEST_F(AnimeExport, PlaceholdersWriteOnePicturePerCellLayerOrStep)
{
    Make32();
    ASSERT_EQ(ExportPictures(doc, Path("c-{cell}.png"), 1), AnimeExportError::None);
    for (int n = 0; n < 4; ++n)
        EXPECT_TRUE(Exists(Path("c-" + std::to_string(n) + ".png")));
    EXPECT_FALSE(Exists(Path("c-4.png")));
    tesvan::DecodedImage pic;
    ASSERT_EQ(tesvan::DecodeImageFile(Path("c-2.png"), pic), tesvan::CodecStatus::Ok);
    EXPECT_EQ(pic.width, 8);

    ASSERT_EQ(ExportPictures(doc, Path("l{layer}-{cell}.png"), 2), AnimeExportError::None);
    EXPECT_TRUE(Exists(Path("l1-3.png")));
    EXPECT_FALSE(Exists(Path("l2-0.png")));    // slot 2 holds no image

    doc.m_Anime[0].strName = "run/fast";
    ASSERT_EQ(ExportPictures(doc, Path("{anime}-{frame}.png"), 1), AnimeExportError::None);
    for (int s = 0; s < 3; ++s)
        EXPECT_TRUE(Exists(Path("run_fast-" + std::to_string(s) + ".png")));
    EXPECT_FALSE(Exists(Path("run_fast-3.png")));
    // {anime} alone with an animated form: one animation per slot.
    ASSERT_EQ(ExportPictures(doc, Path("{anime}.gif"), 1), AnimeExportError::None);
    EXPECT_TRUE(Exists(Path("run_fast.gif")));

    // Names that would meet write nothing at all.
    doc.m_Anime[1] = CAnimeSlot{"1", 2, "run/fast", 0};
    EXPECT_EQ(ExportPictures(doc, Path("d-{anime}-{frame}.png"), 1), AnimeExportError::SameNames);
    EXPECT_FALSE(Exists(Path("d-run_fast-0.png")));
    EXPECT_EQ(ExportPictures(doc, Path("plain.png"), 1), AnimeExportError::NoPlaceholder);
    EXPECT_EQ(ExportAnimation(doc, 3, Path("none.gif"), 1), AnimeExportError::EmptySlot);
    EXPECT_EQ(ExportAnimation(doc, 0, Path("walk.png"), 1), AnimeExportError::UnknownType);
}
