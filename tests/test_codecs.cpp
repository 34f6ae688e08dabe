#include "doc/ImageFiles.h"
#include "platform/ImageCodec.h"
#include "support/AnimatedGif.h"

#include <gif_lib.h>
#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>
#include <tiffio.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

using namespace tesvan;
namespace fs = std::filesystem;

namespace {

RGBQUAD TableEntry(int i)
{
    return {uint8_t(i * 7 + 3), uint8_t(255 - i), uint8_t(i * 13 + 1), 0};
}

// 8-bit image whose colour table has 256 distinct colours.
void Make8(CImageEx& img, int w, int h)
{
    ASSERT_TRUE(img.CreateEx(w, h, 8));
    RGBQUAD table[256];
    for (int i = 0; i < 256; ++i)
        table[i] = TableEntry(i);
    img.SetColorTable(0, 256, table);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.GetRow(y)[x] = uint8_t((x * 7 + y * 13) & 0xFF);
}

// 32-bit image of many colours; with alpha, a spread of alpha values and
// fully transparent pixels of value 0.
void Make32(CImageEx& img, int w, int h, bool alpha)
{
    ASSERT_TRUE(img.CreateEx(w, h, 32, alpha ? CImageEx::createAlphaChannel : 0));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = img.GetRow(y) + 4 * x;
            p[0] = uint8_t(x * 5);
            p[1] = uint8_t(y * 9);
            p[2] = uint8_t(x * 3 + y * 2);
            p[3] = alpha ? uint8_t((x + y) % 5 == 0 ? 0 : 40 * (x % 7)) : 255;
            if (alpha && p[3] == 0)
                std::memset(p, 0, 4);
        }
}

// Smooth picture for the lossy encoder.
void MakeSmooth32(CImageEx& img, int w, int h, bool alpha)
{
    ASSERT_TRUE(img.CreateEx(w, h, 32, alpha ? CImageEx::createAlphaChannel : 0));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = img.GetRow(y) + 4 * x;
            p[0] = uint8_t(x * 255 / w);
            p[1] = uint8_t(y * 255 / h);
            p[2] = uint8_t(128);
            p[3] = alpha ? uint8_t(x < w / 2 ? 0 : 255) : 255;
        }
}

std::vector<uint8_t> Encode(const CImageEx& img, ImageFormat f)
{
    PaletteEntry table[256];
    std::vector<uint8_t> out;
    EXPECT_EQ(EncodeImage(ImageSourceOf(img, table), f, out), CodecStatus::Ok);
    return out;
}

DecodedImage Decode(const std::vector<uint8_t>& bytes, CodecStatus expect = CodecStatus::Ok)
{
    DecodedImage pic;
    EXPECT_EQ(DecodeImage(bytes.data(), bytes.size(), pic), expect);
    return pic;
}

const ImageFormat kAll[] = {ImageFormat::Bmp, ImageFormat::Jpeg, ImageFormat::Gif,
                            ImageFormat::Tiff, ImageFormat::Png};

class TempDir {
public:
    TempDir()
    {
        char tmpl[] = "/tmp/test_codecs_XXXXXX";
        path_ = mkdtemp(tmpl);
    }
    ~TempDir() { fs::remove_all(path_); }
    std::string operator/(const std::string& name) const { return (fs::path(path_) / name).string(); }

private:
    std::string path_;
};

std::vector<uint8_t> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                std::streamsize(bytes.size()));
}

void AppendChunk(std::vector<uint8_t>& v, const char* type, const std::vector<uint8_t>& data)
{
    auto be32 = [&](uint32_t x) {
        for (int s = 24; s >= 0; s -= 8)
            v.push_back(uint8_t(x >> s));
    };
    be32(uint32_t(data.size()));
    std::vector<uint8_t> crcInput(type, type + 4);
    crcInput.insert(crcInput.end(), data.begin(), data.end());
    v.insert(v.end(), crcInput.begin(), crcInput.end());
    be32(uint32_t(crc32(0, crcInput.data(), uInt(crcInput.size()))));
}

// Palette PNG of the given bit depth written straight through libpng.
std::vector<uint8_t> PalettePng(int bitDepth, int w, int h, std::vector<uint8_t> indices,
                                const std::vector<png_byte>& trns = {})
{
    std::vector<uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out,
                     [](png_structp p, png_bytep d, png_size_t n) {
                         auto* v = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(p));
                         v->insert(v->end(), d, d + n);
                     },
                     nullptr);
    png_set_IHDR(png, info, png_uint_32(w), png_uint_32(h), bitDepth, PNG_COLOR_TYPE_PALETTE,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    const int n = 1 << bitDepth;
    std::vector<png_color> pal(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        pal[size_t(i)] = {uint8_t(10 + i), uint8_t(20 + i), uint8_t(30 + i)};
    png_set_PLTE(png, info, pal.data(), n);
    if (!trns.empty())
        png_set_tRNS(png, info, trns.data(), int(trns.size()), nullptr);
    png_write_info(png, info);
    png_set_packing(png);
    for (int y = 0; y < h; ++y)
        png_write_row(png, indices.data() + size_t(y) * size_t(w));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

// Hand-made BMP with a colour table: header, `colours` entries, rows as given
// (bottom row first, already padded).
std::vector<uint8_t> IndexedBmp(int bpp, int w, int h, int colours, uint32_t compression,
                                const std::vector<uint8_t>& rows)
{
    std::vector<uint8_t> v(14 + 40 + 4 * size_t(colours), 0);
    auto put32 = [&](size_t at, uint32_t x) {
        for (int i = 0; i < 4; ++i)
            v[at + size_t(i)] = uint8_t(x >> (8 * i));
    };
    v[0] = 'B';
    v[1] = 'M';
    put32(10, uint32_t(v.size()));
    put32(14, 40);
    put32(18, uint32_t(w));
    put32(22, uint32_t(h));
    v[26] = 1;
    v[28] = uint8_t(bpp);
    put32(30, compression);
    put32(46, uint32_t(colours));
    for (int i = 0; i < colours; ++i) {
        v[54 + 4 * size_t(i)] = uint8_t(100 + i);      // blue
        v[54 + 4 * size_t(i) + 1] = uint8_t(50 + i);   // green
        v[54 + 4 * size_t(i) + 2] = uint8_t(i);        // red
    }
    v.insert(v.end(), rows.begin(), rows.end());
    put32(2, uint32_t(v.size()));
    return v;
}

}  // namespace

// ------------------------------------------------------------------ encoders

TEST(CodecEncoders, FixedListAndCaseBlindExtension)
{
    const auto& list = GetImageEncoders();
    ASSERT_EQ(list.size(), 5u);
    EXPECT_STREQ(list[0].patterns, "*.BMP;*.DIB;*.RLE");
    EXPECT_STREQ(list[1].patterns, "*.JPG;*.JPEG;*.JPE;*.JFIF");
    EXPECT_STREQ(list[2].patterns, "*.GIF");
    EXPECT_STREQ(list[3].patterns, "*.TIF;*.TIFF");
    EXPECT_STREQ(list[4].patterns, "*.PNG");

    auto fmt = [](const char* p) {
        const EncoderInfo* e = FindEncoderForPath(p);
        return e ? e->format : ImageFormat::None;
    };
    EXPECT_EQ(fmt("/tmp/a.Png"), ImageFormat::Png);
    EXPECT_EQ(fmt("x.JFIF"), ImageFormat::Jpeg);
    EXPECT_EQ(fmt("x.jpe"), ImageFormat::Jpeg);
    EXPECT_EQ(fmt("sheet.dib"), ImageFormat::Bmp);
    EXPECT_EQ(fmt("sheet.rle"), ImageFormat::Bmp);
    EXPECT_EQ(fmt("a.b.tiff"), ImageFormat::Tiff);
    EXPECT_EQ(fmt("a.gif"), ImageFormat::Gif);
    EXPECT_EQ(fmt("layer.lay"), ImageFormat::None);
    EXPECT_EQ(fmt("notes.txt"), ImageFormat::None);
    EXPECT_EQ(fmt("noextension"), ImageFormat::None);
    EXPECT_EQ(fmt("dir.png/file"), ImageFormat::None);
    EXPECT_EQ(fmt("a.png."), ImageFormat::None);
    EXPECT_EQ(PathExtension("/x.y/name"), "");
    EXPECT_EQ(PathExtension("/x/name.Png"), ".Png");
}

TEST(CodecEncoders, UnknownExtensionWritesNothing)
{
    TempDir dir;
    CImageEx img;
    Make32(img, 4, 4, true);
    CodecStatus st = CodecStatus::Ok;
    EXPECT_FALSE(SaveImageFile(img, dir / "a.lay", &st));
    EXPECT_EQ(st, CodecStatus::UnknownFormat);
    EXPECT_FALSE(fs::exists(dir / "a.lay"));
    EXPECT_FALSE(SaveImageFile(img, dir / "a", &st));
    EXPECT_TRUE(fs::is_empty(fs::path(dir / "")));
}

TEST(CodecEncoders, EmptyOrOddImagesRefused)
{
    CImageEx empty;
    PaletteEntry table[256];
    std::vector<uint8_t> out;
    EXPECT_EQ(EncodeImage(ImageSourceOf(empty, table), ImageFormat::Png, out),
              CodecStatus::InvalidArgument);
    EXPECT_TRUE(out.empty());
}

TEST(CodecEncoders, FailedWriteKeepsExistingFile)
{
    TempDir dir;
    CImageEx img;
    Make32(img, 8, 8, true);
    EXPECT_FALSE(SaveImageFile(img, dir / "missing/a.png"));
    WriteFile(dir / "old.png", {1, 2, 3});
    CImageEx bad;  // empty image: encoding fails before anything is written
    EXPECT_FALSE(SaveImageFile(bad, dir / "old.png"));
    EXPECT_EQ(ReadFile(dir / "old.png"), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_TRUE(SaveImageFile(img, dir / "old.png"));
    EXPECT_GT(ReadFile(dir / "old.png").size(), 8u);
    // Only the finished file remains, no temporary beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / ""), fs::directory_iterator()), 1);
}

// ------------------------------------------------------------------ round trips

TEST(CodecRoundTrip, AlphaImagesLosslessFormatsExact)
{
    CImageEx img;
    Make32(img, 37, 23, true);
    for (ImageFormat f : {ImageFormat::Png, ImageFormat::Bmp, ImageFormat::Tiff}) {
        SCOPED_TRACE(int(f));
        DecodedImage pic = Decode(Encode(img, f));
        ASSERT_EQ(pic.bpp, 32);
        EXPECT_TRUE(pic.hasAlpha);
        ASSERT_EQ(pic.width, 37);
        ASSERT_EQ(pic.height, 23);
        for (int y = 0; y < 23; ++y)
            ASSERT_EQ(std::memcmp(pic.row(y), img.GetRow(y), 37 * 4), 0) << "row " << y;
    }
}

TEST(CodecRoundTrip, OpaqueImagesDecodeAs24Bit)
{
    CImageEx img;
    Make32(img, 19, 11, false);
    for (ImageFormat f : {ImageFormat::Png, ImageFormat::Bmp, ImageFormat::Tiff}) {
        SCOPED_TRACE(int(f));
        DecodedImage pic = Decode(Encode(img, f));
        ASSERT_EQ(pic.bpp, 24);
        EXPECT_FALSE(pic.hasAlpha);
        for (int y = 0; y < 11; ++y)
            for (int x = 0; x < 19; ++x)
                ASSERT_EQ(std::memcmp(pic.row(y) + 3 * x, img.GetRow(y) + 4 * x, 3), 0);
    }
}

TEST(CodecRoundTrip, IndexedFormatsKeepColourTableAndIndices)
{
    CImageEx img;
    Make8(img, 33, 17);
    for (ImageFormat f : {ImageFormat::Png, ImageFormat::Gif, ImageFormat::Bmp}) {
        SCOPED_TRACE(int(f));
        DecodedImage pic = Decode(Encode(img, f));
        ASSERT_EQ(pic.bpp, 8);
        EXPECT_EQ(pic.transparentIndex, -1);  // no transparency written
        ASSERT_EQ(pic.palette.size(), 256u);
        for (int i = 0; i < 256; ++i) {
            const RGBQUAD e = TableEntry(i);
            ASSERT_EQ(pic.palette[size_t(i)], (PaletteEntry{e.rgbBlue, e.rgbGreen, e.rgbRed, 0}));
        }
        for (int y = 0; y < 17; ++y)
            ASSERT_EQ(std::memcmp(pic.row(y), img.GetRow(y), 33), 0);
    }
}

TEST(CodecRoundTrip, IndexedToTiffAndJpegUsesColours)
{
    CImageEx img;
    Make8(img, 16, 16);
    DecodedImage tif = Decode(Encode(img, ImageFormat::Tiff));
    ASSERT_EQ(tif.bpp, 24);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const RGBQUAD e = TableEntry(img.GetRow(y)[x]);
            const uint8_t* p = tif.row(y) + 3 * x;
            ASSERT_EQ(p[0], e.rgbBlue);
            ASSERT_EQ(p[1], e.rgbGreen);
            ASSERT_EQ(p[2], e.rgbRed);
        }
    // A flat 8-bit image keeps its colour through JPEG within a small error.
    CImageEx flat;
    ASSERT_TRUE(flat.CreateEx(16, 16, 8));
    RGBQUAD c{40, 120, 200, 0};
    flat.SetColorTable(0, 1, &c);
    DecodedImage jpg = Decode(Encode(flat, ImageFormat::Jpeg));
    ASSERT_EQ(jpg.bpp, 24);
    EXPECT_NEAR(jpg.row(8)[24], 40, 4);
    EXPECT_NEAR(jpg.row(8)[25], 120, 4);
    EXPECT_NEAR(jpg.row(8)[26], 200, 4);
}

TEST(CodecRoundTrip, JpegWithinTolerance)
{
    for (bool alpha : {false, true}) {
        CImageEx img;
        MakeSmooth32(img, 64, 48, alpha);
        DecodedImage pic = Decode(Encode(img, ImageFormat::Jpeg));
        ASSERT_EQ(pic.bpp, 24);  // alpha dropped
        double sum = 0;
        int worst = 0;
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x)
                for (int c = 0; c < 3; ++c) {
                    const int d = std::abs(int(pic.row(y)[3 * x + c]) - int(img.GetRow(y)[4 * x + c]));
                    sum += d;
                    worst = std::max(worst, d);
                }
        EXPECT_LT(sum / (64 * 48 * 3), 2.0);
        EXPECT_LT(worst, 24);
    }
}

TEST(CodecRoundTrip, GifOfAlphaImageExactWithFewColours)
{
    CImageEx img;
    ASSERT_TRUE(img.CreateEx(30, 20, 32, CImageEx::createAlphaChannel));
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x) {
            uint8_t* p = img.GetRow(y) + 4 * x;
            const int k = (x * 31 + y * 17) % 255;  // 255 distinct colours
            p[0] = uint8_t(k);
            p[1] = uint8_t(255 - k);
            p[2] = uint8_t(k * 3);
            p[3] = (x + y) % 4 == 0 ? 0 : (x % 3 == 0 ? 128 : 255);
            if (p[3] == 0)
                p[0] = p[1] = p[2] = 0;
        }
    DecodedImage pic = Decode(Encode(img, ImageFormat::Gif));
    ASSERT_EQ(pic.bpp, 8);
    EXPECT_EQ(pic.transparentIndex, 0);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x) {
            const uint8_t* s = img.GetRow(y) + 4 * x;
            const int idx = pic.row(y)[x];
            if (s[3] == 0) {
                ASSERT_EQ(idx, 0);
                continue;
            }
            ASSERT_NE(idx, 0);
            const PaletteEntry& e = pic.palette[size_t(idx)];
            ASSERT_EQ(e.blue, s[0]);
            ASSERT_EQ(e.green, s[1]);
            ASSERT_EQ(e.red, s[2]);
        }

    // Loaded back as an 8-bit image, index 0 is the transparent one.
    TempDir dir;
    ASSERT_TRUE(SaveImageFile(img, dir / "t.GIF"));
    CImageEx back;
    int bits = 0;
    ASSERT_TRUE(LoadImageFile(dir / "t.GIF", back, &bits));
    EXPECT_EQ(bits, 8);
    EXPECT_EQ(back.GetBPP(), 8);
    EXPECT_EQ(back.GetTransparentColor(), 0);
    EXPECT_EQ(back.GetRow(0)[0], 0);
}

TEST(CodecRoundTrip, GifOfManyColoursIsReducedClosely)
{
    CImageEx img;
    MakeSmooth32(img, 128, 128, false);  // 16384 colours
    DecodedImage pic = Decode(Encode(img, ImageFormat::Gif));
    ASSERT_EQ(pic.bpp, 8);
    EXPECT_EQ(pic.transparentIndex, -1);
    ASSERT_LE(pic.palette.size(), 256u);
    double sum = 0;
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) {
            const PaletteEntry& e = pic.palette[pic.row(y)[x]];
            const uint8_t* s = img.GetRow(y) + 4 * x;
            sum += std::abs(e.blue - s[0]) + std::abs(e.green - s[1]) + std::abs(e.red - s[2]);
        }
    EXPECT_LT(sum / (128 * 128), 12.0);
}

TEST(CodecRoundTrip, EveryEncoderThroughFilesAndCImageEx)
{
    TempDir dir;
    CImageEx src32, src8;
    Make32(src32, 21, 13, true);
    Make8(src8, 21, 13);
    const char* names[] = {"a.bmp", "a.jpg", "a.gif", "a.tif", "a.png"};
    for (const char* name : names) {
        SCOPED_TRACE(name);
        for (CImageEx* src : {&src32, &src8}) {
            ASSERT_TRUE(SaveImageFile(*src, dir / name));
            CImageEx back;
            int bits = 0;
            ASSERT_TRUE(LoadImageFile(dir / name, back, &bits));
            EXPECT_EQ(back.GetWidth(), 21);
            EXPECT_EQ(back.GetHeight(), 13);
            if (bits == 24) {
                EXPECT_EQ(back.GetBPP(), 32);
                EXPECT_FALSE(back.HasAlpha());
                EXPECT_EQ(back.GetRow(5)[4 * 3 + 3], 255);
            } else if (bits == 32) {
                EXPECT_TRUE(back.HasAlpha());
            } else {
                EXPECT_EQ(back.GetBPP(), 8);
            }
            if (std::string(name) != "a.jpg" && std::string(name) != "a.gif") {
                for (int y = 0; y < 13; ++y)
                    for (int x = 0; x < 21; ++x)
                        if (src->GetBPP() == 8 || src->GetRow(y)[4 * x + 3] != 0) {
                            ASSERT_EQ(back.GetPixel(x, y), src->GetPixel(x, y)) << x << "," << y;
                        }
            }
        }
    }
}

// ------------------------------------------------------------------ decoding forms

TEST(CodecDecode, LowBitPalettePngExpandsToIndices)
{
    for (int depth : {1, 2, 4}) {
        SCOPED_TRACE(depth);
        const int w = 11, h = 3;
        std::vector<uint8_t> idx(size_t(w * h));
        for (size_t i = 0; i < idx.size(); ++i)
            idx[i] = uint8_t((i * 5 + 1) % size_t(1 << depth));
        DecodedImage pic = Decode(PalettePng(depth, w, h, idx));
        ASSERT_EQ(pic.bpp, 8);
        EXPECT_EQ(pic.sourceBits, depth);
        ASSERT_EQ(pic.palette.size(), size_t(1 << depth));
        EXPECT_EQ(pic.palette[1], (PaletteEntry{31, 21, 11, 0}));
        EXPECT_EQ(std::vector<uint8_t>(pic.pixels.begin(), pic.pixels.end()), idx);
    }
}

TEST(CodecDecode, PalettePngTransparency)
{
    std::vector<uint8_t> idx = {0, 1, 2, 3};
    DecodedImage one = Decode(PalettePng(2, 2, 2, idx, {255, 0, 255}));
    EXPECT_EQ(one.bpp, 8);
    EXPECT_EQ(one.transparentIndex, 1);
    DecodedImage partial = Decode(PalettePng(2, 2, 2, idx, {255, 0, 128}));
    ASSERT_EQ(partial.bpp, 32);
    EXPECT_EQ(partial.row(0)[4 + 3], 0);
    EXPECT_EQ(partial.row(1)[3], 128);
    EXPECT_EQ(partial.row(1)[2], 12);  // red of entry 2
}

TEST(CodecDecode, SixteenBitChannelsAreRounded)
{
    // Every 16-bit value once in each channel: red v, green 65535 - v, blue
    // v, alpha v at pixel v (256 x 256).
    auto png16 = [](int colorType, int channels) {
        std::vector<uint8_t> out;
        png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        png_infop info = png_create_info_struct(png);
        png_set_write_fn(png, &out,
                         [](png_structp p, png_bytep d, png_size_t n) {
                             auto* v = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(p));
                             v->insert(v->end(), d, d + n);
                         },
                         nullptr);
        png_set_IHDR(png, info, 256, 256, 16, colorType, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        std::vector<uint8_t> row(256 * 2 * size_t(channels));
        for (int y = 0; y < 256; ++y) {
            for (int x = 0; x < 256; ++x) {
                const int v = y * 256 + x;
                const int values[4] = {v, 65535 - v, v, v};
                for (int c = 0; c < channels; ++c) {
                    row[size_t(x * channels + c) * 2] = uint8_t(values[c] >> 8);
                    row[size_t(x * channels + c) * 2 + 1] = uint8_t(values[c]);
                }
            }
            png_write_row(png, row.data());
        }
        png_write_end(png, info);
        png_destroy_write_struct(&png, &info);
        return out;
    };
    auto rounded = [](int v) { return uint8_t((v * 255 + 32767) / 65535); };
    DecodedImage rgba = Decode(png16(PNG_COLOR_TYPE_RGB_ALPHA, 4));
    ASSERT_EQ(rgba.bpp, 32);
    DecodedImage grey = Decode(png16(PNG_COLOR_TYPE_GRAY, 1));
    ASSERT_EQ(grey.bpp, 24);
    int differs = 0;
    for (int v = 0; v < 65536; ++v) {
        const uint8_t* p = rgba.row(v / 256) + 4 * (v % 256);
        const uint8_t* g = grey.row(v / 256) + 3 * (v % 256);
        ASSERT_EQ(p[2], rounded(v)) << v;
        ASSERT_EQ(p[1], rounded(65535 - v)) << v;
        ASSERT_EQ(p[0], rounded(v)) << v;
        ASSERT_EQ(p[3], rounded(v)) << v;
        ASSERT_EQ(g[0], rounded(v)) << v;
        differs += rounded(v) != (v >> 8);
    }
    EXPECT_GT(differs, 16000);  // the values where rounding and cutting part
}

TEST(CodecGifFrames, ComposedAsAViewerShowsThem)
{
    const std::vector<uint8_t> bytes = AnimatedGif(4, 2, SampleGifFrames());
    ASSERT_EQ(CountGifFrames(bytes.data(), bytes.size()), 4);
    const uint32_t R = 0xFFFF0000, G = 0xFF00FF00, B = 0xFF0000FF, K = 0xFF000000, _ = 0;
    const std::vector<std::vector<uint32_t>> own = {
        {R, R, G, _, G, G, _, _}, {R, B, G, _, G, G, B, _}, {R, _, _, _, G, _, _, R}, {K, _, _, _, G, _, _, _}};
    for (GifFrameKey key : {GifFrameKey::Own, GifFrameKey::None, GifFrameKey::Index0}) {
        SCOPED_TRACE(int(key));
        std::vector<std::vector<uint32_t>> got;
        ASSERT_EQ(DecodeGifFrames(bytes.data(), bytes.size(), key, 10,
                                  [&](const DecodedImage& f) {
                                      EXPECT_EQ(f.bpp, 32);
                                      EXPECT_EQ(f.width, 4);
                                      EXPECT_EQ(f.height, 2);
                                      std::vector<uint32_t> px(8);
                                      std::memcpy(px.data(), f.pixels.data(), 32);
                                      got.push_back(px);
                                      return true;
                                  }),
                  CodecStatus::Ok);
        // Uncovered pixels show the fill (index 3, blue) unless the file's
        // own transparency is kept; index 0 drawn by frame 4 is the key.
        std::vector<std::vector<uint32_t>> expect = own;
        for (auto& frame : expect)
            for (uint32_t& p : frame)
                if (key != GifFrameKey::Own && p == _)
                    p = B;
        if (key == GifFrameKey::Index0)
            expect[3][0] = 0;
        EXPECT_EQ(got, expect);
    }
}

TEST(CodecGifFrames, CutOffAndDamagedFiles)
{
    const std::vector<uint8_t> bytes = AnimatedGif(4, 2, SampleGifFrames());
    auto count = [](std::vector<uint8_t> v) { return CountGifFrames(v.data(), v.size()); };
    // No trailer: every frame is whole. Cut inside the last frame: it does
    // not count. Another format: none.
    EXPECT_EQ(count({bytes.begin(), bytes.end() - 1}), 4);
    EXPECT_EQ(count({bytes.begin(), bytes.end() - 4}), 3);
    EXPECT_EQ(count({0x89, 'P', 'N', 'G'}), 0);
    int frames = 0;
    auto sink = [&](const DecodedImage&) { return ++frames < 100; };
    EXPECT_EQ(DecodeGifFrames(bytes.data(), bytes.size(), GifFrameKey::Own, 2, sink), CodecStatus::Ok);
    EXPECT_EQ(frames, 2);
    EXPECT_EQ(DecodeGifFrames(bytes.data(), bytes.size() - 4, GifFrameKey::Own, 4, sink),
              CodecStatus::BadData);
    auto refuse = [](const DecodedImage&) { return false; };
    EXPECT_EQ(DecodeGifFrames(bytes.data(), bytes.size(), GifFrameKey::Own, 4, refuse),
              CodecStatus::GeneralFailure);
    // A frame beyond the size limits is refused before its pixels are kept.
    DecodeLimits small;
    small.maxPixels = 4;
    EXPECT_EQ(DecodeGifFrames(bytes.data(), bytes.size(), GifFrameKey::Own, 4, sink, small),
              CodecStatus::TooLarge);
}

TEST(CodecDecode, LowBitBmpExpandsToIndices)
{
    // 1-bit, 5 x 2: rows padded to 4 bytes, bottom row first.
    DecodedImage one = Decode(IndexedBmp(1, 5, 2, 2, 0, {0xA8, 0, 0, 0, 0x50, 0, 0, 0}));
    ASSERT_EQ(one.bpp, 8);
    EXPECT_EQ(std::vector<uint8_t>(one.pixels.begin(), one.pixels.end()),
              (std::vector<uint8_t>{0, 1, 0, 1, 0, 1, 0, 1, 0, 1}));
    EXPECT_EQ(one.palette[1], (PaletteEntry{101, 51, 1, 0}));
    // 4-bit, 3 x 1.
    DecodedImage four = Decode(IndexedBmp(4, 3, 1, 16, 0, {0x2F, 0x70, 0, 0}));
    ASSERT_EQ(four.bpp, 8);
    EXPECT_EQ(std::vector<uint8_t>(four.pixels.begin(), four.pixels.end()),
              (std::vector<uint8_t>{2, 15, 7}));
    // RLE8, 4 x 2: bottom row "5 5 5 9", top row absolute run 1 2 3, delta.
    DecodedImage rle = Decode(IndexedBmp(8, 4, 2, 16, 1,
                                         {3, 5, 1, 9, 0, 0, 0, 3, 1, 2, 3, 0, 0, 1}));
    ASSERT_EQ(rle.bpp, 8);
    EXPECT_EQ(std::vector<uint8_t>(rle.pixels.begin(), rle.pixels.end()),
              (std::vector<uint8_t>{1, 2, 3, 0, 5, 5, 5, 9}));
}

TEST(CodecDecode, TiffPaletteAndGreyForms)
{
    TempDir dir;
    const std::string path = dir / "p.tif";
    TIFF* t = TIFFOpen(path.c_str(), "w");
    ASSERT_NE(t, nullptr);
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, 3);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, 2);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 4);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_PALETTE);
    uint16_t r[16], g[16], b[16];
    for (int i = 0; i < 16; ++i) {
        r[i] = uint16_t(i * 0x1100);
        g[i] = uint16_t(0xFFFF - i * 0x1000);
        b[i] = 0x8000;
    }
    TIFFSetField(t, TIFFTAG_COLORMAP, r, g, b);
    uint8_t row0[2] = {0x12, 0x30}, row1[2] = {0xFE, 0xD0};
    TIFFWriteScanline(t, row0, 0, 0);
    TIFFWriteScanline(t, row1, 1, 0);
    TIFFClose(t);
    CImageEx img;
    int bits = 0;
    ASSERT_TRUE(LoadImageFile(path, img, &bits));
    EXPECT_EQ(bits, 8);
    ASSERT_EQ(img.GetBPP(), 8);
    EXPECT_EQ(img.GetRow(0)[0], 1);
    EXPECT_EQ(img.GetRow(0)[2], 3);
    EXPECT_EQ(img.GetRow(1)[1], 14);
    EXPECT_EQ(img.ColorTable()[3].rgbRed, 0x33);
    EXPECT_EQ(img.ColorTable()[3].rgbBlue, 0x80);

    // Greyscale decodes as opaque true colour.
    const std::string grey = dir / "g.tif";
    t = TIFFOpen(grey.c_str(), "w");
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, 2);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, 1);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    uint8_t gs[2] = {0, 200};
    TIFFWriteScanline(t, gs, 0, 0);
    TIFFClose(t);
    DecodedImage pic;
    ASSERT_EQ(DecodeImageFile(grey, pic), CodecStatus::Ok);
    ASSERT_EQ(pic.bpp, 24);
    EXPECT_EQ(pic.row(0)[3], 200);
    EXPECT_EQ(pic.row(0)[5], 200);
}

TEST(CodecDecode, FormatFoundByContentNotName)
{
    TempDir dir;
    CImageEx img;
    Make32(img, 5, 5, true);
    ASSERT_TRUE(SaveImageFile(img, dir / "a.png"));
    fs::rename(dir / "a.png", dir / "a.bmp");
    CImageEx back;
    EXPECT_TRUE(LoadImageFile(dir / "a.bmp", back));
    EXPECT_TRUE(back.HasAlpha());
}

TEST(CodecDecode, FailedLoadLeavesImageAlone)
{
    TempDir dir;
    CImageEx img;
    Make8(img, 3, 3);
    WriteFile(dir / "bad.png", {0x89, 'P', 'N', 'G', 1, 2, 3});
    CodecStatus st = CodecStatus::Ok;
    EXPECT_FALSE(LoadImageFile(dir / "bad.png", img, nullptr, &st));
    EXPECT_NE(st, CodecStatus::Ok);
    EXPECT_FALSE(LoadImageFile(dir / "none.png", img));
    EXPECT_EQ(img.GetWidth(), 3);
    EXPECT_EQ(img.GetRow(1)[1], 20);
}

TEST(CodecDecode, GreyPngForms)
{
    auto grey = [](int colorType, const std::vector<uint8_t>& row, bool trns) {
        std::vector<uint8_t> out;
        png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        png_infop info = png_create_info_struct(png);
        png_set_write_fn(png, &out,
                         [](png_structp p, png_bytep d, png_size_t n) {
                             auto* v = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(p));
                             v->insert(v->end(), d, d + n);
                         },
                         nullptr);
        png_set_IHDR(png, info, 2, 1, 8, colorType, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_color_16 key{};
        key.gray = 7;
        if (trns)
            png_set_tRNS(png, info, nullptr, 0, &key);
        png_write_info(png, info);
        png_write_row(png, const_cast<png_bytep>(row.data()));
        png_write_end(png, info);
        png_destroy_write_struct(&png, &info);
        return out;
    };
    DecodedImage g = Decode(grey(PNG_COLOR_TYPE_GRAY, {7, 200}, false));
    ASSERT_EQ(g.bpp, 24);
    EXPECT_EQ(std::vector<uint8_t>(g.pixels.begin(), g.pixels.end()),
              (std::vector<uint8_t>{7, 7, 7, 200, 200, 200}));
    DecodedImage keyed = Decode(grey(PNG_COLOR_TYPE_GRAY, {7, 200}, true));
    ASSERT_EQ(keyed.bpp, 32);
    EXPECT_EQ(keyed.pixels[3], 0);
    EXPECT_EQ(keyed.pixels[7], 255);
    DecodedImage ga = Decode(grey(PNG_COLOR_TYPE_GRAY_ALPHA, {9, 50, 60, 255}, false));
    ASSERT_EQ(ga.bpp, 32);
    EXPECT_EQ(std::vector<uint8_t>(ga.pixels.begin(), ga.pixels.end()),
              (std::vector<uint8_t>{9, 9, 9, 50, 60, 60, 60, 255}));
}

TEST(CodecDecode, InterlacedGifRowsInPlace)
{
    std::vector<uint8_t> bytes;
    int err = 0;
    GifFileType* gif = EGifOpen(&bytes,
                                [](GifFileType* g, const GifByteType* b, int n) {
                                    auto* v = static_cast<std::vector<uint8_t>*>(g->UserData);
                                    v->insert(v->end(), b, b + n);
                                    return n;
                                },
                                &err);
    ColorMapObject* map = GifMakeMapObject(16, nullptr);
    for (int i = 0; i < 16; ++i)
        map->Colors[i] = {uint8_t(i), uint8_t(i), uint8_t(i)};
    EGifPutScreenDesc(gif, 3, 10, 8, 0, map);
    EGifPutImageDesc(gif, 0, 0, 3, 10, true, nullptr);
    for (int y : {0, 8, 4, 2, 6, 1, 3, 5, 7, 9}) {
        GifPixelType line[3] = {GifPixelType(y), GifPixelType(y), GifPixelType(y)};
        EGifPutLine(gif, line, 3);
    }
    EGifCloseFile(gif, &err);
    GifFreeMapObject(map);
    DecodedImage pic = Decode(bytes);
    ASSERT_EQ(pic.bpp, 8);
    for (int y = 0; y < 10; ++y)
        EXPECT_EQ(pic.row(y)[1], y);
}

TEST(CodecDecode, Bmp32AlphaOnlyWhenPresent)
{
    // A plain 32-bit file whose fourth bytes are all 0 is opaque; one with
    // values there has alpha.
    auto plain32 = [](uint8_t a0, uint8_t a1) {
        std::vector<uint8_t> v(54, 0);
        v[0] = 'B';
        v[1] = 'M';
        v[10] = 54;
        v[14] = 40;
        v[18] = 2;
        v[22] = 1;
        v[26] = 1;
        v[28] = 32;
        const uint8_t px[8] = {1, 2, 3, a0, 4, 5, 6, a1};
        v.insert(v.end(), px, px + 8);
        return v;
    };
    DecodedImage opaque = Decode(plain32(0, 0));
    ASSERT_EQ(opaque.bpp, 24);
    EXPECT_EQ(opaque.pixels[3], 4);
    DecodedImage alpha = Decode(plain32(0, 128));
    ASSERT_EQ(alpha.bpp, 32);
    EXPECT_EQ(alpha.pixels[3], 0);
    EXPECT_EQ(alpha.pixels[7], 128);

    // What we write for alpha: a version-5 header with an alpha mask.
    CImageEx img;
    Make32(img, 3, 2, true);
    const std::vector<uint8_t> bmp = Encode(img, ImageFormat::Bmp);
    EXPECT_EQ(bmp[14], 124);
    EXPECT_EQ(bmp[28], 32);
    EXPECT_EQ(bmp[30], 3);  // bit fields
    EXPECT_EQ(bmp[66 + 3], 0xFF);  // alpha mask 0xFF000000
}

TEST(CodecDecode, TiffAlphaIsUnassociated)
{
    TempDir dir;
    CImageEx img;
    Make32(img, 4, 4, true);
    ASSERT_TRUE(SaveImageFile(img, dir / "a.tiff"));
    TIFF* t = TIFFOpen((dir / "a.tiff").c_str(), "r");
    ASSERT_NE(t, nullptr);
    uint16_t count = 0;
    uint16_t* types = nullptr;
    ASSERT_TRUE(TIFFGetField(t, TIFFTAG_EXTRASAMPLES, &count, &types));
    ASSERT_EQ(count, 1);
    EXPECT_EQ(types[0], EXTRASAMPLE_UNASSALPHA);
    TIFFClose(t);
}

TEST(CodecDecode, NonFilesRefused)
{
    TempDir dir;
    DecodedImage pic;
    EXPECT_EQ(DecodeImageFile(dir / "", pic), CodecStatus::GeneralFailure);
    EXPECT_EQ(DecodeImageFile(dir / "absent.png", pic), CodecStatus::GeneralFailure);
    WriteFile(dir / "text.png", {'h', 'e', 'l', 'l', 'o'});
    EXPECT_EQ(DecodeImageFile(dir / "text.png", pic), CodecStatus::UnknownFormat);
}

// ------------------------------------------------------------------ hostile input

TEST(CodecHostile, DeclaredSizeBeyondLimitRefused)
{
    // PNG header declaring 100000 x 100000.
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    AppendChunk(png, "IHDR", {0, 1, 0x86, 0xA0, 0, 1, 0x86, 0xA0, 8, 6, 0, 0, 0});
    AppendChunk(png, "IEND", {});
    {
        SCOPED_TRACE("png");
        Decode(png, CodecStatus::TooLarge);
    }

    // BMP header declaring 100000 x 100000 at 32 bits.
    std::vector<uint8_t> bmp(54, 0);
    bmp[0] = 'B';
    bmp[1] = 'M';
    bmp[10] = 54;
    bmp[14] = 40;
    const uint32_t side = 100000;
    std::memcpy(&bmp[18], &side, 4);
    std::memcpy(&bmp[22], &side, 4);
    bmp[26] = 1;
    bmp[28] = 32;
    bmp.push_back(0);
    {
        SCOPED_TRACE("bmp");
        Decode(bmp, CodecStatus::TooLarge);
    }

    // GIF screen of 65535 x 65535 (beyond the pixel count).
    std::vector<uint8_t> gif = {'G', 'I', 'F', '8', '9', 'a', 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, ';'};
    Decode(gif, CodecStatus::TooLarge);

    // Every format honours the limits it is given.
    CImageEx img;
    Make32(img, 20, 20, true);
    DecodeLimits small;
    small.maxPixels = 100;
    for (ImageFormat f : kAll) {
        SCOPED_TRACE(int(f));
        const std::vector<uint8_t> bytes = Encode(img, f);
        DecodedImage pic;
        EXPECT_EQ(DecodeImage(bytes.data(), bytes.size(), pic, small), CodecStatus::TooLarge);
        EXPECT_TRUE(pic.pixels.empty());
    }
}

TEST(CodecHostile, TruncatedFilesRefused)
{
    CImageEx img;
    Make32(img, 40, 40, true);
    for (ImageFormat f : kAll) {
        SCOPED_TRACE(int(f));
        const std::vector<uint8_t> bytes = Encode(img, f);
        for (size_t cut : {bytes.size() / 2, bytes.size() * 3 / 4, size_t(30), size_t(5)}) {
            std::vector<uint8_t> part(bytes.begin(), bytes.begin() + ptrdiff_t(cut));
            DecodedImage pic;
            EXPECT_NE(DecodeImage(part.data(), part.size(), pic), CodecStatus::Ok) << cut;
            EXPECT_TRUE(pic.pixels.empty());
        }
    }
    DecodedImage pic;
    EXPECT_EQ(DecodeImage(nullptr, 0, pic), CodecStatus::UnknownFormat);

    // Files that lose only their end marker after complete image data still
    // load, as viewers show them.
    for (ImageFormat f : {ImageFormat::Png, ImageFormat::Jpeg}) {
        SCOPED_TRACE(int(f));
        std::vector<uint8_t> bytes = Encode(img, f);
        bytes.resize(bytes.size() - (f == ImageFormat::Png ? 12 : 2));
        Decode(bytes, CodecStatus::Ok);
    }
}

TEST(CodecHostile, DamagedFilesFailQuietly)
{
    CImageEx img;
    Make32(img, 24, 24, true);
    std::mt19937 rng(7);
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    for (ImageFormat f : kAll) {
        const std::vector<uint8_t> bytes = Encode(img, f);
        for (int round = 0; round < 150; ++round) {
            std::vector<uint8_t> bad = bytes;
            const int flips = 1 + int(rng() % 8);
            for (int k = 0; k < flips; ++k)
                bad[8 + rng() % (bad.size() - 8)] = uint8_t(rng());
            if (round % 3 == 0)
                bad.resize(8 + rng() % (bad.size() - 8));
            DecodedImage pic;
            const CodecStatus st = DecodeImage(bad.data(), bad.size(), pic);
            if (st == CodecStatus::Ok) {
                ASSERT_TRUE(pic.bpp == 8 || pic.bpp == 24 || pic.bpp == 32);
                ASSERT_EQ(pic.pixels.size(), pic.stride() * size_t(pic.height));
            }
        }
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

// Writes a few tiny files of each format for the fuzzer's seed corpus when
// TESVAN_CODEC_SEEDS names a folder.
TEST(CodecSeeds, WriteWhenAsked)
{
    const char* dirEnv = std::getenv("TESVAN_CODEC_SEEDS");
    if (!dirEnv) {
        GTEST_SKIP();
    }
    const std::string dir = dirEnv;
    CImageEx a32, o32, i8;
    Make32(a32, 6, 5, true);
    Make32(o32, 5, 3, false);
    ASSERT_TRUE(i8.CreateEx(7, 4, 8));
    RGBQUAD t[4] = {{0, 0, 0, 0}, {255, 0, 0, 0}, {0, 255, 0, 0}, {0, 0, 255, 0}};
    i8.SetColorTable(0, 4, t);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 7; ++x)
            i8.GetRow(y)[x] = uint8_t((x + y) % 4);
    const char* exts[] = {"bmp", "jpg", "gif", "tif", "png"};
    for (const char* ext : exts) {
        SaveImageFile(a32, dir + "/alpha." + ext);
        SaveImageFile(o32, dir + "/opaque." + ext);
    }
    SaveImageFile(i8, dir + "/indexed.gif");
    WriteFile(dir + "/frames.gif", AnimatedGif(4, 2, SampleGifFrames()));
    SaveImageFile(i8, dir + "/indexed.png");
    WriteFile(dir + "/pal2.png", PalettePng(2, 5, 3, std::vector<uint8_t>(15, 2), {255, 0}));
    WriteFile(dir + "/rle8.bmp", IndexedBmp(8, 4, 2, 16, 1, {3, 5, 1, 9, 0, 0, 0, 3, 1, 2, 3, 0, 0, 1}));
    WriteFile(dir + "/bits4.bmp", IndexedBmp(4, 3, 1, 16, 0, {0x2F, 0x70, 0, 0}));
}

// Animations read back frame by frame: WebP exactly with its alpha and
// times, GIF with its times (in hundredths).
TEST(CodecFrames, AnimationsComeBackWithTheirTimes)
{
    CImageEx a, b;
    Make32(a, 6, 5, true);
    Make32(b, 6, 5, true);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x)
            b.GetRow(y)[4 * x + 2] ^= 0x40;  // another red
    PaletteEntry ta[256], tb[256];
    AnimationSource anim;
    anim.frames = {ImageSourceOf(a, ta), ImageSourceOf(b, tb)};
    anim.delaysMs = {120, 300};
    struct Case {
        const char* name;
        bool webp;
    } cases[] = {{"webp", true}, {"gif", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> bytes;
        ASSERT_EQ(c.webp ? EncodeAnimatedWebP(anim, bytes) : EncodeAnimatedGif(anim, bytes), CodecStatus::Ok);
        EXPECT_EQ(CountImageFramesIn(bytes.data(), bytes.size()), 2);
        std::vector<DecodedImage> frames;
        ASSERT_EQ(DecodeImageFrames(bytes.data(), bytes.size(), 8,
                                    [&](const DecodedImage& f) {
                                        frames.push_back(f);
                                        return true;
                                    }),
                  CodecStatus::Ok);
        ASSERT_EQ(frames.size(), 2u);
        EXPECT_EQ(frames[0].delayMs, 120);
        EXPECT_EQ(frames[1].delayMs, 300);
        for (int k = 0; k < 2; ++k) {
            const CImageEx& src = k ? b : a;
            ASSERT_EQ(frames[k].width, 6);
            ASSERT_EQ(frames[k].bpp, 32);
            for (int y = 0; y < 5; ++y)
                for (int x = 0; x < 6; ++x) {
                    const uint8_t* s = src.GetRow(y) + 4 * x;
                    const uint8_t* d = frames[k].row(y) + 4 * x;
                    // Lossless: colours may differ only where nothing shows.
                    if (c.webp)
                        EXPECT_TRUE(d[3] == s[3] && (s[3] == 0 || std::memcmp(s, d, 3) == 0))
                            << k << " " << x << "," << y;
                    else
                        EXPECT_EQ(d[3], s[3] < 128 ? 0 : 255) << k << " " << x << "," << y;
                }
        }
        if (c.webp) {
            DecodedImage still;
            EXPECT_EQ(DecodeImage(bytes.data(), bytes.size(), still), CodecStatus::Ok);
            EXPECT_EQ(std::memcmp(still.pixels.data(), frames[0].pixels.data(), still.pixels.size()), 0);
        }
    }
}
