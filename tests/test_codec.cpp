#include "doc/Archive.h"
#include "doc/BynaryBuffer.h"
#include "doc/Codec.h"
#include "doc/Layer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

std::vector<uint8_t> Bytes(const CBynaryBuffer& b)
{
    return std::vector<uint8_t>(b.GetData(), b.GetData() + b.GetSize());
}

void Put32(CImageEx& img, int x, int y, uint32_t v)
{
    std::memcpy(img.GetRow(y) + 4 * x, &v, 4);
}

uint32_t Get32(const CImageEx& img, int x, int y)
{
    uint32_t v;
    std::memcpy(&v, img.GetRow(y) + 4 * x, 4);
    return v;
}

} // namespace

// Must run first: nothing in this program constructs a document.
TEST(BynaryBuffer, BlockSizeStartsAt1024AndCapacitiesAreWholeBlocks)
{
    EXPECT_EQ(CBynaryBuffer::GetBlockSize(), 1024u);
    CBynaryBuffer::SetBlockSize(256);
    CBynaryBuffer b;
    EXPECT_EQ(b.GetData(), nullptr);
    ASSERT_TRUE(b.SetSize(1));
    EXPECT_EQ(b.GetCapacity(), 256u);
    ASSERT_TRUE(b.SetSize(257));
    EXPECT_EQ(b.GetCapacity(), 512u);
    EXPECT_EQ(b.GetSize(), 257u);
    ASSERT_TRUE(b.SetSize(0));
    EXPECT_EQ(b.GetCapacity(), 0u);
    EXPECT_EQ(b.GetData(), nullptr);
}

TEST(BynaryBuffer, SetSizeZeroFillsResizeKeepsAppendGrows)
{
    CBynaryBuffer::SetBlockSize(256);
    CBynaryBuffer b;
    const uint8_t abc[] = {1, 2, 3};
    ASSERT_TRUE(b.Append(abc, 3));
    EXPECT_EQ(b.GetCapacity(), 256u);
    ASSERT_TRUE(b.Resize(300));
    EXPECT_EQ(b.GetCapacity(), 512u);
    EXPECT_EQ(b.GetData()[2], 3);
    EXPECT_EQ(b.GetData()[3], 0);
    EXPECT_EQ(b.GetData()[299], 0);
    ASSERT_TRUE(b.Resize(2));
    EXPECT_EQ(b.GetCapacity(), 512u);
    EXPECT_EQ(b.GetData()[1], 2);
    EXPECT_EQ(b.GetData()[2], 0);
    ASSERT_TRUE(b.SetSize(10));    // fits: same block, contents cleared
    EXPECT_EQ(b.GetCapacity(), 512u);
    EXPECT_EQ(b.GetData()[0], 0);
    EXPECT_TRUE(b.Append(nullptr, 5));
    EXPECT_EQ(b.GetSize(), 10u);
}

TEST(Codec, Encode8Runs)
{
    CImageEx img;
    ASSERT_TRUE(img.CreateEx(4, 2, 8));
    CBynaryBuffer b;
    EXPECT_EQ(Compress8(img, 0, 0, 4, 2, 0, b), 2u);
    EXPECT_EQ(Bytes(b), (std::vector<uint8_t>{0, 8}));

    ASSERT_TRUE(img.CreateEx(300, 1, 8));
    std::memset(img.GetRow(0), 7, 300);
    Compress8(img, 0, 0, 300, 1, 0, b);
    EXPECT_EQ(Bytes(b), (std::vector<uint8_t>{7, 255, 7, 45}));

    // Row ends do not break runs.
    ASSERT_TRUE(img.CreateEx(3, 2, 8));
    const uint8_t rows[2][3] = {{1, 1, 2}, {2, 2, 2}};
    std::memcpy(img.GetRow(0), rows[0], 3);
    std::memcpy(img.GetRow(1), rows[1], 3);
    Compress8(img, 0, 0, 3, 2, 0, b);
    EXPECT_EQ(Bytes(b), (std::vector<uint8_t>{1, 2, 2, 4}));

    // An empty rectangle gives an empty buffer.
    EXPECT_EQ(Compress8(img, 0, 0, 0, 2, 0, b), 0u);
    EXPECT_EQ(b.GetSize(), 0u);
}

TEST(Codec, PageOffsetStoresOwnPageAs64To79)
{
    CImageEx img;
    ASSERT_TRUE(img.CreateEx(2, 1, 8));
    img.GetRow(0)[0] = 148;
    img.GetRow(0)[1] = 12;
    CBynaryBuffer b;
    Compress8(img, 0, 0, 2, 1, 80, b);
    EXPECT_EQ(Bytes(b), (std::vector<uint8_t>{68, 1, 12, 1}));

    CImageEx out;
    ASSERT_TRUE(out.CreateEx(2, 1, 8));
    Decompress8(b, out, 2, 1, 0);
    EXPECT_EQ(out.GetRow(0)[0], 68);
    EXPECT_EQ(out.GetRow(0)[1], 12);
    Decompress8(b, out, 2, 1, 80);
    EXPECT_EQ(out.GetRow(0)[0], 148);
}

TEST(Codec, Encode32RunBytes)
{
    CImageEx img;
    ASSERT_TRUE(img.CreateEx(3, 1, 32, CImageEx::createAlphaChannel));
    for (int x = 0; x < 3; ++x)
        Put32(img, x, 0, 0x80FF0000u);
    CBynaryBuffer b;
    EXPECT_EQ(Compress32(img, 0, 0, 3, 1, b), 5u);
    EXPECT_EQ(Bytes(b), (std::vector<uint8_t>{0x00, 0x00, 0xFF, 0x80, 0x03}));
}

TEST(Codec, SubRectangleRoundTrip32)
{
    CImageEx img;
    ASSERT_TRUE(img.CreateEx(7, 5, 32, CImageEx::createAlphaChannel));
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            Put32(img, x, y, (x * 3 + y) % 4 == 0 ? 0 : 0xFF000000u | uint32_t(x * 16 + y));
    CBynaryBuffer b;
    Compress32(img, 2, 1, 4, 3, b);
    CImageEx out;
    ASSERT_TRUE(out.CreateEx(4, 3, 32, CImageEx::createAlphaChannel));
    Decompress32(b, out, 4, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(Get32(out, x, y), Get32(img, x + 2, y + 1)) << x << "," << y;
}

TEST(Codec, ShortBufferLeavesRestExtraDataIgnoredZeroRunStops)
{
    CImageEx img;
    ASSERT_TRUE(img.CreateEx(4, 1, 8));
    std::memset(img.GetRow(0), 9, 4);
    CBynaryBuffer b;
    const uint8_t pairs[] = {3, 2, 5};    // odd last byte ignored
    b.Append(pairs, 3);
    Decompress8(b, img, 4, 1, 0);
    EXPECT_EQ(img.GetRow(0)[0], 3);
    EXPECT_EQ(img.GetRow(0)[1], 3);
    EXPECT_EQ(img.GetRow(0)[2], 9);

    const uint8_t more[] = {4, 10, 6, 6};
    b.SetSize(0);
    b.Append(more, 4);
    Decompress8(b, img, 4, 1, 0);
    EXPECT_EQ(img.GetRow(0)[3], 4);

    const uint8_t zero[] = {1, 1, 2, 0, 3, 3};
    std::memset(img.GetRow(0), 9, 4);
    b.SetSize(0);
    b.Append(zero, 6);
    Decompress8(b, img, 4, 1, 0);
    EXPECT_EQ(img.GetRow(0)[0], 1);
    EXPECT_EQ(img.GetRow(0)[1], 9);
}

namespace {

// The plain pixel-at-a-time coder the vector scans must agree with byte for
// byte: runs cut at 255 and carried across rows.
std::vector<uint8_t> PlainRuns(const CImageEx& img, int x, int y, int w, int h, uint8_t offset)
{
    const int px = img.GetBPP() / 8;
    const auto at = [&](int c, int r) {
        uint32_t v = 0;
        std::memcpy(&v, img.GetRow(y + r) + size_t(x + c) * px, px);
        return v;
    };
    std::vector<uint8_t> out;
    const auto put = [&](uint32_t v, unsigned n) {
        if (px == 1) {
            out.push_back(v >= 64 ? uint8_t(v - offset) : uint8_t(v));
        } else {
            for (int k = 0; k < 4; ++k)
                out.push_back(uint8_t(v >> (8 * k)));
        }
        out.push_back(uint8_t(n));
    };
    uint32_t cur = at(0, 0);
    unsigned count = 0;
    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c) {
            const uint32_t v = at(c, r);
            if (v == cur && count < 255) {
                ++count;
                continue;
            }
            put(cur, count);
            cur = v;
            count = 1;
        }
    put(cur, count);
    return out;
}

} // namespace

TEST(Codec, VectorScansAgreeWithThePlainCoder)
{
    uint32_t state = 12345;
    const auto next = [&] { return state = state * 1103515245u + 12345u; };
    for (int bpp : {8, 32})
        for (int round = 0; round < 40; ++round) {
            const int w = 1 + int(next() >> 8) % 700, h = 1 + int(next() >> 8) % 5;
            CImageEx img;
            ASSERT_TRUE(img.CreateEx(w, h, bpp));
            // Runs of every length, short and past 255 and 510, across rows.
            uint32_t value = 70;
            int left = 0;
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    if (left-- <= 0) {
                        const uint32_t r = next() >> 8;
                        left = r % 4 == 0 ? int(r % 700) : int(r % 20);
                        value = bpp == 8 ? 60 + (r >> 12) % 4 : (r >> 10) % 3 * 0x01010101u;
                    }
                    std::memcpy(img.GetRow(y) + size_t(x) * (bpp / 8), &value, bpp / 8);
                }
            const int sx = int(next() >> 8) % w, sy = int(next() >> 8) % h;
            const int sw = w - sx, sh = h - sy;
            std::vector<uint8_t> got;
            if (bpp == 8)
                ASSERT_TRUE(EncodeRuns8(img, sx, sy, sw, sh, 3, got));
            else
                ASSERT_TRUE(EncodeRuns32(img, sx, sy, sw, sh, got));
            ASSERT_EQ(got, PlainRuns(img, sx, sy, sw, sh, 3)) << bpp << " round " << round;
        }
}

TEST(Archive, BufferForms)
{
    CArchive out;
    CBynaryBuffer empty;
    EXPECT_EQ(empty.WriteTo(out), 0u);
    EXPECT_EQ(out.Data(), (std::vector<uint8_t>{0, 0, 0, 0}));

    CArchive in(out.Data().data(), out.Data().size());
    CBynaryBuffer back;
    const uint8_t x = 1;
    back.Append(&x, 1);
    EXPECT_EQ(back.ReadFrom(in), 0u);
    EXPECT_EQ(back.GetSize(), 0u);

    // A count beyond the data is refused before anything is allocated.
    const uint8_t lying[] = {0xFF, 0xFF, 0xFF, 0x7F, 1, 2};
    CArchive bad(lying, sizeof lying);
    try {
        back.ReadFrom(bad);
        FAIL();
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.GetCause(), CArchiveException::endOfFile);
    }
}

TEST(Archive, StringPrefixes)
{
    CArchive out;
    out.WriteString(std::string(254, 'a'));
    out.WriteString(std::string(255, 'b'));
    out.WriteString(std::string(0x10000, 'c'));
    const std::vector<uint8_t>& d = out.Data();
    ASSERT_EQ(d.size(), 1 + 254 + 3 + 255 + 7 + 0x10000u);
    EXPECT_EQ(d[0], 254);
    EXPECT_EQ(d[255], 0xFF);
    EXPECT_EQ(d[256], 0xFF);
    EXPECT_EQ(d[257], 0x00);
    const size_t third = 255 + 3 + 255;
    EXPECT_EQ(std::vector<uint8_t>(d.begin() + third, d.begin() + third + 7),
              (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x01, 0x00}));

    CArchive in(d.data(), d.size());
    EXPECT_EQ(in.ReadString(), std::string(254, 'a'));
    EXPECT_EQ(in.ReadString(), std::string(255, 'b'));
    EXPECT_EQ(in.ReadString(), std::string(0x10000, 'c'));
    EXPECT_EQ(in.Remaining(), 0u);
}

TEST(Archive, JapaneseNarrowOtherwiseWide)
{
    CArchive out;
    out.WriteString("レイヤー");               // has code page 932 codes
    out.WriteString("Ä€😀");                    // the emoji has none
    const std::vector<uint8_t>& d = out.Data();
    EXPECT_EQ(d[0], 8);                          // four double-byte characters
    EXPECT_EQ(d[1], 0x83);                       // レ in code page 932
    const size_t w = 9;
    EXPECT_EQ(std::vector<uint8_t>(d.begin() + w, d.begin() + w + 4),
              (std::vector<uint8_t>{0xFF, 0xFE, 0xFF, 4}));    // four UTF-16 units
    CArchive in(d.data(), d.size());
    EXPECT_EQ(in.ReadString(), "レイヤー");
    EXPECT_EQ(in.ReadString(), "Ä€😀");
}

TEST(Archive, WideStringWithLongPrefixAndHostileLengths)
{
    std::vector<uint8_t> d = {0xFF, 0xFE, 0xFF, 0xFF, 0x00, 0x01};    // 256 wide chars
    for (int i = 0; i < 256; ++i) {
        d.push_back('x');
        d.push_back(0);
    }
    CArchive in(d.data(), d.size());
    EXPECT_EQ(in.ReadString(), std::string(256, 'x'));

    auto cause = [](std::vector<uint8_t> bytes) {
        CArchive a(bytes.data(), bytes.size());
        try {
            a.ReadString();
        } catch (const CArchiveException& e) {
            return int(e.GetCause());
        }
        return -1;
    };
    // Wide length beyond the data.
    EXPECT_EQ(cause({0xFF, 0xFE, 0xFF, 0x10, 'a', 0}), CArchiveException::endOfFile);
    // Eight-byte length above 0x7FFFFFFF.
    EXPECT_EQ(cause({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0x80, 0, 0, 0, 0}),
              CArchiveException::badFormat);
    // Truncated prefix.
    EXPECT_EQ(cause({0xFF, 0x01}), CArchiveException::endOfFile);
}

TEST(Layer, CaptureWithoutImageKeepsPageAndRectangle)
{
    CLayer layer;
    layer.Clear(5);
    CLayerRegion region;
    const uint8_t x = 1;
    region.data.Append(&x, 1);
    EXPECT_FALSE(layer.Capture(region, 1, 2, 3, 4, 32));
    EXPECT_EQ(region.nLayer, 5);
    EXPECT_EQ(region.left, 1);
    EXPECT_EQ(region.bottom, 4);
    EXPECT_EQ(region.data.GetSize(), 0u);
}
