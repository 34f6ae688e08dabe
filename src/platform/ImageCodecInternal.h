// Shared pieces of the per-format codecs; not for use outside ImageCodec*.
#pragma once

#include "platform/ImageCodec.h"

#include <new>

namespace tesvan::codec {

// Checks a declared size against the limits; call before allocating.
inline CodecStatus CheckSize(int64_t width, int64_t height, const DecodeLimits& limits)
{
    if (width <= 0 || height <= 0)
        return CodecStatus::BadData;
    if (width > limits.maxSide || height > limits.maxSide || width * height > limits.maxPixels)
        return CodecStatus::TooLarge;
    return CodecStatus::Ok;
}

// Sizes and allocates the pixels (cleared) after CheckSize has passed.
inline CodecStatus Allocate(DecodedImage& img, int width, int height, int bpp)
{
    img.width = width;
    img.height = height;
    img.bpp = bpp;
    img.hasAlpha = bpp == 32;
    try {
        img.pixels.assign(size_t(width) * size_t(height) * size_t(bpp / 8), 0);
    } catch (const std::bad_alloc&) {
        img.pixels.clear();
        img.pixels.shrink_to_fit();
        return CodecStatus::OutOfMemory;
    }
    return CodecStatus::Ok;
}

// Source pixel as blue, green, red, alpha (alpha 255 when the source has
// none). For 8 bits the colour comes from the colour table.
inline void SourcePixel(const ImageSource& src, const uint8_t* row, int x, uint8_t bgra[4])
{
    if (src.bpp == 8) {
        const PaletteEntry& e = src.colorTable[row[x]];
        bgra[0] = e.blue;
        bgra[1] = e.green;
        bgra[2] = e.red;
        bgra[3] = 255;
    } else {
        const uint8_t* p = row + 4 * size_t(x);
        bgra[0] = p[0];
        bgra[1] = p[1];
        bgra[2] = p[2];
        bgra[3] = src.hasAlpha ? p[3] : 255;
    }
}

// Reduces the colours of a 32-bit source to at most maxColors palette
// entries (exact when it has no more distinct colours than that; median cut
// otherwise). Pixels of alpha 0 are skipped when skipTransparent is set;
// every other pixel counts as opaque. indices receives one palette index
// per pixel (width * height, top-down), 0 for skipped pixels, the palette
// starting at firstIndex.
CodecStatus QuantizeColors(const ImageSource& src, bool skipTransparent, int maxColors,
                           int firstIndex, std::vector<PaletteEntry>& palette,
                           std::vector<uint8_t>& indices);

CodecStatus DecodePng(const uint8_t* data, size_t size, DecodedImage& out, const DecodeLimits& limits);
CodecStatus DecodeJpeg(const uint8_t* data, size_t size, DecodedImage& out, const DecodeLimits& limits);
CodecStatus DecodeGif(const uint8_t* data, size_t size, DecodedImage& out, const DecodeLimits& limits);
CodecStatus DecodeTiff(const uint8_t* data, size_t size, DecodedImage& out, const DecodeLimits& limits);
CodecStatus DecodeBmp(const uint8_t* data, size_t size, DecodedImage& out, const DecodeLimits& limits);
// The first frame, composed, as a 32-bit picture.
CodecStatus DecodeWebp(const uint8_t* data, size_t size, DecodedImage& out, const DecodeLimits& limits);
// The frames of a WebP (a still picture is one), each composed on the canvas
// with its display time; 0 frames for damage or another format.
int CountWebpFrames(const uint8_t* data, size_t size);
bool ProbeWebpSize(const uint8_t* data, size_t size, int& width, int& height);
CodecStatus DecodeWebpFrames(const uint8_t* data, size_t size, int maxFrames,
                             const std::function<bool(const DecodedImage&)>& sink,
                             const DecodeLimits& limits);

CodecStatus EncodePng(const ImageSource& src, std::vector<uint8_t>& out);
CodecStatus EncodeJpeg(const ImageSource& src, std::vector<uint8_t>& out);
CodecStatus EncodeGif(const ImageSource& src, std::vector<uint8_t>& out);
CodecStatus EncodeTiff(const ImageSource& src, std::vector<uint8_t>& out);
CodecStatus EncodeBmp(const ImageSource& src, std::vector<uint8_t>& out);

}  // namespace tesvan::codec
