// BMP / DIB files, read and written by hand.
//
// Read: core (OS/2 1.x) and info headers up to version 5; 1, 2, 4 and 8 bits
// with a colour table (uncompressed, RLE8, RLE4), 16, 24 and 32 bits with or
// without bit-field masks. A 32-bit file has alpha when its masks give an
// alpha channel or, for plain files, when any pixel's fourth byte is not 0
// (many writers fill it with 0 meaning "unused"); all-zero alpha is opaque.
//
// Written: 8-bit images with their 256-entry colour table; opaque 32-bit
// images as 24 bits; 32-bit images with alpha with a version-5 header and
// bit-field masks including the alpha mask (straight alpha), the form that
// common viewers and toolkits show with transparency.
#include "platform/ImageCodecInternal.h"

#include <algorithm>
#include <cstring>

namespace tesvan::codec {

namespace {

uint16_t U16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t U32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

enum : uint32_t { BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3, BI_ALPHABITFIELDS = 6 };

struct MaskChannel {
    uint32_t mask = 0;
    int shift = 0;
    int bits = 0;

    void Set(uint32_t m)
    {
        mask = m;
        shift = 0;
        bits = 0;
        if (!m)
            return;
        while (!((m >> shift) & 1))
            ++shift;
        while (shift + bits < 32 && ((m >> (shift + bits)) & 1))
            ++bits;
    }
    uint8_t Get(uint32_t px) const
    {
        if (!bits)
            return 0;
        uint32_t v = (px & mask) >> shift;
        if (bits > 8)
            return uint8_t(v >> (bits - 8));
        if (bits == 8)
            return uint8_t(v);
        const uint32_t max = (1u << bits) - 1;
        return uint8_t((v * 255 + max / 2) / max);
    }
};

// RLE8/RLE4 into one index per pixel (bottom-up rows as the file has them).
bool DecodeRle(const uint8_t* p, size_t n, bool four, DecodedImage& out)
{
    const int w = out.width, h = out.height;
    int x = 0, y = 0;  // y counts from the bottom row
    size_t i = 0;
    auto put = [&](uint8_t v) {
        if (x < w && y < h)
            out.row(h - 1 - y)[x] = v;
        ++x;
    };
    while (i + 1 < n) {
        const uint8_t count = p[i], value = p[i + 1];
        i += 2;
        if (count > 0) {
            for (int k = 0; k < count; ++k)
                put(four ? uint8_t((k & 1) ? (value & 0x0F) : (value >> 4)) : value);
            continue;
        }
        if (value == 0) {  // end of line
            x = 0;
            ++y;
        } else if (value == 1) {  // end of bitmap
            return true;
        } else if (value == 2) {  // delta
            if (i + 1 >= n)
                return false;
            x += p[i];
            y += p[i + 1];
            i += 2;
        } else {  // absolute run of `value` pixels, padded to 16 bits
            const size_t bytes = four ? (size_t(value) + 1) / 2 : value;
            if (i + bytes > n)
                return false;
            for (int k = 0; k < value; ++k)
                put(four ? uint8_t((k & 1) ? (p[i + size_t(k / 2)] & 0x0F) : (p[i + size_t(k / 2)] >> 4))
                         : p[i + size_t(k)]);
            i += (bytes + 1) & ~size_t(1);
        }
        if (y >= h)
            return true;
    }
    // Data ran out without an end marker: accept what came if anything did
    // (several writers omit the marker), refuse an empty stream.
    return i > 0;
}

}  // namespace

CodecStatus DecodeBmp(const uint8_t* data, size_t size, DecodedImage& out, const DecodeLimits& limits)
{
    if (size < 14 + 12)
        return CodecStatus::BadData;
    const uint32_t offBits = U32(data + 10);
    const uint8_t* h = data + 14;
    const uint32_t headerSize = U32(h);
    if (headerSize < 12 || headerSize > size - 14)
        return CodecStatus::BadData;

    int64_t width = 0, height = 0;
    int bpp = 0;
    uint32_t compression = BI_RGB, clrUsed = 0;
    bool core = false, topDown = false;
    uint32_t masks[4] = {0, 0, 0, 0};
    bool haveMasks = false;
    size_t afterHeader = 14 + headerSize;

    if (headerSize == 12) {
        core = true;
        width = U16(h + 4);
        height = U16(h + 6);
        bpp = U16(h + 10);
    } else if (headerSize >= 40) {
        width = int32_t(U32(h + 4));
        const int32_t rawHeight = int32_t(U32(h + 8));
        if (rawHeight == INT32_MIN)
            return CodecStatus::BadData;
        topDown = rawHeight < 0;
        height = topDown ? -int64_t(rawHeight) : rawHeight;
        bpp = U16(h + 14);
        compression = U32(h + 16);
        clrUsed = U32(h + 32);
        if (headerSize == 64 && compression > BI_RLE4)
            return CodecStatus::BadData;  // OS/2 2.x Huffman and RLE24
        if (compression == BI_BITFIELDS || compression == BI_ALPHABITFIELDS) {
            const size_t maskCount = compression == BI_ALPHABITFIELDS ? 4 : 3;
            const uint8_t* m = h + 40;
            if (headerSize == 40) {  // masks follow the header
                if (afterHeader + 4 * maskCount > size)
                    return CodecStatus::BadData;
                afterHeader += 4 * maskCount;
            } else if (headerSize < 52) {
                return CodecStatus::BadData;
            }
            for (size_t k = 0; k < maskCount; ++k)
                masks[k] = U32(m + 4 * k);
            if (headerSize >= 56)
                masks[3] = U32(h + 52);
            haveMasks = true;
        } else if (compression != BI_RGB && compression != BI_RLE8 && compression != BI_RLE4) {
            return CodecStatus::BadData;  // embedded JPEG or PNG and unknown kinds
        }
    } else {
        return CodecStatus::BadData;
    }

    if (CodecStatus st = CheckSize(width, height, limits); st != CodecStatus::Ok)
        return st;
    if ((compression == BI_RLE8 && bpp != 8) || (compression == BI_RLE4 && bpp != 4) ||
        (haveMasks && bpp != 16 && bpp != 32))
        return CodecStatus::BadData;
    if ((compression == BI_RLE8 || compression == BI_RLE4) && topDown)
        return CodecStatus::BadData;
    if (bpp != 1 && bpp != 2 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        return CodecStatus::BadData;
    if (offBits < afterHeader || offBits >= size)
        return CodecStatus::BadData;

    const uint8_t* pixels = data + offBits;
    const size_t pixelBytes = size - offBits;
    const size_t stride = ((size_t(width) * size_t(bpp) + 31) / 32) * 4;
    const bool rle = compression == BI_RLE8 || compression == BI_RLE4;
    if (!rle && stride * size_t(height) > pixelBytes)
        return CodecStatus::BadData;  // truncated

    // Colour table.
    std::vector<PaletteEntry> palette;
    if (bpp <= 8) {
        const size_t entrySize = core ? 3 : 4;
        size_t count = clrUsed ? clrUsed : (size_t(1) << bpp);
        count = std::min<size_t>(count, size_t(1) << bpp);
        count = std::min(count, (offBits - afterHeader) / entrySize);
        if (count == 0)
            return CodecStatus::BadData;
        palette.resize(count);
        for (size_t i = 0; i < count; ++i) {
            const uint8_t* e = data + afterHeader + i * entrySize;
            palette[i] = {e[0], e[1], e[2], 0};
        }
    }

    MaskChannel ch[4];
    if (bpp == 16 || bpp == 32) {
        if (!haveMasks) {
            if (bpp == 16) {
                masks[0] = 0x7C00;
                masks[1] = 0x03E0;
                masks[2] = 0x001F;
                masks[3] = 0;
            } else {
                masks[0] = 0x00FF0000;
                masks[1] = 0x0000FF00;
                masks[2] = 0x000000FF;
                masks[3] = 0xFF000000;
            }
        }
        for (int k = 0; k < 4; ++k)
            ch[k].Set(masks[k]);
    }

    // A 32-bit file has alpha only if some pixel says so.
    bool alpha = false;
    if (bpp == 32 && ch[3].bits) {
        for (int64_t y = 0; y < height && !alpha; ++y) {
            const uint8_t* r = pixels + size_t(y) * stride;
            for (int64_t x = 0; x < width; ++x)
                if (ch[3].Get(U32(r + 4 * x)) != 0) {
                    alpha = true;
                    break;
                }
        }
    }

    const int outBpp = bpp <= 8 ? 8 : (alpha ? 32 : 24);
    if (CodecStatus st = Allocate(out, int(width), int(height), outBpp); st != CodecStatus::Ok)
        return st;
    out.palette = std::move(palette);
    out.sourceBits = bpp;

    if (rle) {
        if (!DecodeRle(pixels, pixelBytes, compression == BI_RLE4, out))
            return CodecStatus::BadData;
        return CodecStatus::Ok;
    }

    for (int64_t fy = 0; fy < height; ++fy) {
        const uint8_t* s = pixels + size_t(fy) * stride;
        uint8_t* d = out.row(int(topDown ? fy : height - 1 - fy));
        switch (bpp) {
        case 1:
        case 2:
        case 4: {
            const int perByte = 8 / bpp;
            const int mask = (1 << bpp) - 1;
            for (int64_t x = 0; x < width; ++x) {
                const int shift = 8 - bpp * int(x % perByte + 1);
                d[x] = uint8_t((s[x / perByte] >> shift) & mask);
            }
            break;
        }
        case 8:
            std::memcpy(d, s, size_t(width));
            break;
        case 24:
            std::memcpy(d, s, size_t(width) * 3);
            break;
        case 16:
        case 32:
            for (int64_t x = 0; x < width; ++x) {
                const uint32_t px = bpp == 16 ? U16(s + 2 * x) : U32(s + 4 * x);
                d[0] = ch[2].Get(px);
                d[1] = ch[1].Get(px);
                d[2] = ch[0].Get(px);
                if (alpha) {
                    d[3] = ch[3].Get(px);
                    d += 4;
                } else {
                    d += 3;
                }
            }
            break;
        }
    }
    return CodecStatus::Ok;
}

namespace {

void Put16(std::vector<uint8_t>& v, size_t at, uint32_t x)
{
    v[at] = uint8_t(x);
    v[at + 1] = uint8_t(x >> 8);
}

void Put32(std::vector<uint8_t>& v, size_t at, uint32_t x)
{
    for (int i = 0; i < 4; ++i)
        v[at + size_t(i)] = uint8_t(x >> (8 * i));
}

}  // namespace

CodecStatus EncodeBmp(const ImageSource& src, std::vector<uint8_t>& out)
{
    const bool alpha = src.bpp == 32 && src.hasAlpha;
    const int bpp = src.bpp == 8 ? 8 : (alpha ? 32 : 24);
    const uint32_t headerSize = alpha ? 124 : 40;
    const uint32_t tableBytes = bpp == 8 ? 256 * 4 : 0;
    const uint32_t offBits = 14 + headerSize + tableBytes;
    const size_t stride = ((size_t(src.width) * size_t(bpp) + 31) / 32) * 4;
    const uint64_t imageBytes = uint64_t(stride) * uint64_t(src.height);
    if (offBits + imageBytes > 0xFFFFFFFFull)
        return CodecStatus::InvalidArgument;  // the file's size field cannot hold it
    out.assign(offBits + size_t(imageBytes), 0);

    out[0] = 'B';
    out[1] = 'M';
    Put32(out, 2, uint32_t(out.size()));
    Put32(out, 10, offBits);
    Put32(out, 14, headerSize);
    Put32(out, 18, uint32_t(src.width));
    Put32(out, 22, uint32_t(src.height));  // bottom-up
    Put16(out, 26, 1);
    Put16(out, 28, uint32_t(bpp));
    Put32(out, 30, alpha ? BI_BITFIELDS : BI_RGB);
    Put32(out, 34, uint32_t(imageBytes));
    Put32(out, 38, 3780);  // 96 dpi
    Put32(out, 42, 3780);
    Put32(out, 46, bpp == 8 ? 256 : 0);
    if (alpha) {
        Put32(out, 54, 0x00FF0000);
        Put32(out, 58, 0x0000FF00);
        Put32(out, 62, 0x000000FF);
        Put32(out, 66, 0xFF000000);
        Put32(out, 70, 0x73524742);  // colour space 'sRGB'
        Put32(out, 14 + 108, 4);     // rendering intent: pictures
    }
    if (bpp == 8) {
        for (int i = 0; i < 256; ++i) {
            const PaletteEntry& e = src.colorTable[i];
            const size_t at = 14 + headerSize + 4 * size_t(i);
            out[at] = e.blue;
            out[at + 1] = e.green;
            out[at + 2] = e.red;
        }
    }
    for (int y = 0; y < src.height; ++y) {
        const uint8_t* s = src.row(src.height - 1 - y);
        uint8_t* d = out.data() + offBits + size_t(y) * stride;
        if (bpp == 8 || bpp == 32) {
            std::memcpy(d, s, size_t(src.width) * size_t(bpp / 8));
        } else {
            for (int x = 0; x < src.width; ++x, s += 4, d += 3) {
                d[0] = s[0];
                d[1] = s[1];
                d[2] = s[2];
            }
        }
    }
    return CodecStatus::Ok;
}

}  // namespace tesvan::codec
