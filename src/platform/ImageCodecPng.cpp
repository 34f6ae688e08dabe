// PNG through libpng. libpng reports errors by longjmp; every call that may
// fail runs between setjmp and the end of its function, and the C++ objects
// it touches are created before setjmp so nothing is skipped on the way out.
#include "platform/ImageCodecInternal.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstring>

namespace tesvan::codec {

namespace {

struct MemReader {
    const uint8_t* data;
    size_t size;
    size_t pos;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t length)
{
    auto* r = static_cast<MemReader*>(png_get_io_ptr(png));
    if (length > r->size - r->pos)
        png_error(png, "truncated");
    std::memcpy(out, r->data + r->pos, length);
    r->pos += length;
}

void WriteToVector(png_structp png, png_bytep data, png_size_t length)
{
    auto* v = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    try {
        v->insert(v->end(), data, data + length);
    } catch (...) {
        png_error(png, "out of memory");
    }
}

void FlushNothing(png_structp) {}

void SilentError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void SilentWarning(png_structp, png_const_charp) {}

// What the header says the decoded picture will be; decided before any
// pixel memory is allocated.
struct PngPlan {
    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colorType = 0, interlace = 0;
    int bpp = 0;                 // 8, 24 or 32
    int transparentIndex = -1;
    int sourceBits = 0;
};

CodecStatus ReadPng(png_structp png, png_infop info, const DecodeLimits& limits, PngPlan& plan,
                    DecodedImage& out, std::vector<png_bytep>& rows, CodecStatus& status)
{
    if (setjmp(png_jmpbuf(png)))
        return status;

    png_read_info(png, info);
    png_get_IHDR(png, info, &plan.width, &plan.height, &plan.bitDepth, &plan.colorType,
                 &plan.interlace, nullptr, nullptr);
    status = CheckSize(plan.width, plan.height, limits);
    if (status != CodecStatus::Ok)
        return status;
    status = CodecStatus::BadData;
    plan.sourceBits = plan.bitDepth * png_get_channels(png, info);

    const bool hasTrns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    if (plan.colorType == PNG_COLOR_TYPE_PALETTE) {
        png_colorp pal = nullptr;
        int count = 0;
        if (!png_get_PLTE(png, info, &pal, &count) || count < 1 || count > 256)
            return status;
        out.palette.resize(size_t(count));
        for (int i = 0; i < count; ++i)
            out.palette[size_t(i)] = {pal[i].blue, pal[i].green, pal[i].red, 0};
        plan.bpp = 8;
        if (hasTrns) {
            png_bytep alpha = nullptr;
            int numTrans = 0;
            png_get_tRNS(png, info, &alpha, &numTrans, nullptr);
            // One fully transparent entry and nothing partial: keep the
            // picture indexed and note the entry; otherwise it needs alpha.
            int zeros = 0, zeroAt = -1;
            bool partial = false;
            for (int i = 0; i < numTrans && i < count; ++i) {
                if (alpha[i] == 0) {
                    ++zeros;
                    zeroAt = i;
                } else if (alpha[i] != 255) {
                    partial = true;
                }
            }
            if (partial || zeros > 1) {
                plan.bpp = 32;
                out.palette.clear();
            } else {
                plan.transparentIndex = zeroAt;
            }
        }
        if (plan.bpp == 8) {
            if (plan.bitDepth < 8)
                png_set_packing(png);
        } else {
            png_set_palette_to_rgb(png);
            png_set_tRNS_to_alpha(png);
            png_set_bgr(png);
        }
    } else {
        // 16-bit channels are rounded to the nearest 8-bit value,
        // (v * 255 + 32767) / 65535, not cut to their high byte.
        if (plan.bitDepth == 16)
            png_set_scale_16(png);
        if (plan.colorType == PNG_COLOR_TYPE_GRAY || plan.colorType == PNG_COLOR_TYPE_GRAY_ALPHA) {
            if (plan.bitDepth < 8)
                png_set_expand_gray_1_2_4_to_8(png);
            png_set_gray_to_rgb(png);
        }
        const bool alpha = (plan.colorType & PNG_COLOR_MASK_ALPHA) != 0 || hasTrns;
        if (hasTrns)
            png_set_tRNS_to_alpha(png);
        png_set_bgr(png);
        plan.bpp = alpha ? 32 : 24;
    }
    if (plan.interlace != PNG_INTERLACE_NONE)
        png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != size_t(plan.width) * size_t(plan.bpp / 8))
        return status;

    status = Allocate(out, int(plan.width), int(plan.height), plan.bpp);
    if (status != CodecStatus::Ok)
        return status;
    try {
        rows.resize(plan.height);
    } catch (...) {
        return status = CodecStatus::OutOfMemory;
    }
    for (png_uint_32 y = 0; y < plan.height; ++y)
        rows[y] = out.row(int(y));
    status = CodecStatus::BadData;
    png_read_image(png, rows.data());
    out.transparentIndex = plan.transparentIndex;
    out.sourceBits = plan.sourceBits;
    // Every pixel is in; damage after the image data (a lost end chunk)
    // does not spoil the picture.
    status = CodecStatus::Ok;
    png_read_end(png, nullptr);
    return status;
}

}  // namespace

CodecStatus DecodePng(const uint8_t* data, size_t size, DecodedImage& out, const DecodeLimits& limits)
{
    // The header chunk comes first; its size is refused here, before libpng
    // reads on to the first image data.
    if (size >= 24 && std::memcmp(data + 12, "IHDR", 4) == 0) {
        auto be32 = [](const uint8_t* p) {
            return int64_t(uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]);
        };
        if (CheckSize(be32(data + 16), be32(data + 20), limits) == CodecStatus::TooLarge)
            return CodecStatus::TooLarge;
    }
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, SilentError, SilentWarning);
    if (!png)
        return CodecStatus::OutOfMemory;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return CodecStatus::OutOfMemory;
    }
    MemReader reader{data, size, 0};
    png_set_read_fn(png, &reader, ReadFromMemory);
    // The declared size is checked against our own limits, not libpng's.
    png_set_user_limits(png, 0x7fffffff, 0x7fffffff);
    png_set_crc_action(png, PNG_CRC_DEFAULT, PNG_CRC_WARN_USE);
    PngPlan plan;
    std::vector<png_bytep> rows;
    CodecStatus status = CodecStatus::BadData;
    status = ReadPng(png, info, limits, plan, out, rows, status);
    png_destroy_read_struct(&png, &info, nullptr);
    return status;
}

namespace {

CodecStatus WritePng(png_structp png, png_infop info, const ImageSource& src,
                     std::vector<uint8_t>& line, std::vector<uint8_t>& out)
{
    if (setjmp(png_jmpbuf(png)))
        return CodecStatus::GeneralFailure;
    png_set_write_fn(png, &out, WriteToVector, FlushNothing);
    png_set_compression_level(png, std::clamp(src.pngLevel, 1, 9));
    if (src.bpp == 8) {
        png_set_IHDR(png, info, png_uint_32(src.width), png_uint_32(src.height), 8,
                     PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                     PNG_FILTER_TYPE_DEFAULT);
        png_color pal[256];
        for (int i = 0; i < 256; ++i)
            pal[i] = {src.colorTable[i].red, src.colorTable[i].green, src.colorTable[i].blue};
        png_set_PLTE(png, info, pal, 256);
        png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
        png_write_info(png, info);
        for (int y = 0; y < src.height; ++y)
            png_write_row(png, const_cast<png_bytep>(src.row(y)));
    } else {
        png_set_IHDR(png, info, png_uint_32(src.width), png_uint_32(src.height), 8,
                     src.hasAlpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB,
                     PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        // Sub and up suit sprite sheets (flat runs, repeated rows) and cost
        // a third less time than trying every filter, for no larger files.
        png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB | PNG_FILTER_UP);
        png_write_info(png, info);
        const int channels = src.hasAlpha ? 4 : 3;
        for (int y = 0; y < src.height; ++y) {
            const uint8_t* s = src.row(y);
            uint8_t* d = line.data();
            for (int x = 0; x < src.width; ++x, s += 4, d += channels) {
                d[0] = s[2];
                d[1] = s[1];
                d[2] = s[0];
                if (channels == 4)
                    d[3] = s[3];
            }
            png_write_row(png, line.data());
        }
    }
    png_write_end(png, info);
    return CodecStatus::Ok;
}

}  // namespace

CodecStatus EncodePng(const ImageSource& src, std::vector<uint8_t>& out)
{
    std::vector<uint8_t> line(size_t(src.width) * 4);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, SilentError, SilentWarning);
    if (!png)
        return CodecStatus::OutOfMemory;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return CodecStatus::OutOfMemory;
    }
    const CodecStatus st = WritePng(png, info, src, line, out);
    png_destroy_write_struct(&png, &info);
    if (st != CodecStatus::Ok)
        out.clear();
    return st;
}

}  // namespace tesvan::codec
