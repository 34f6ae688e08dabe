// Feeds arbitrary bytes to the WebP reader: the declared size, the frame
// count, every frame composed with its time, and the still picture.
#include "platform/ImageCodec.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace tesvan;
    if (SniffImageFormat(data, size) != ImageFormat::Webp)
        return 0;
    int width = 0, height = 0;
    if (ProbeImageSize(data, size, width, height) && (width <= 0 || height <= 0))
        __builtin_trap();
    DecodeLimits limits;
    limits.maxPixels = 1 << 16;  // keeps each run quick
    const int frames = CountImageFramesIn(data, size);
    int seen = 0;
    const CodecStatus st = DecodeImageFrames(data, size, std::clamp(frames, 1, 64), [&](const DecodedImage& f) {
        if (f.bpp != 32 || f.pixels.size() != f.stride() * size_t(f.height) || f.delayMs <= 0)
            __builtin_trap();
        ++seen;
        return true;
    }, limits);
    if (st == CodecStatus::Ok && (seen < 1 || seen > std::max(frames, 1)))
        __builtin_trap();
    DecodedImage pic;
    if (DecodeImage(data, size, pic, limits) == CodecStatus::Ok &&
        pic.pixels.size() != pic.stride() * size_t(pic.height))
        __builtin_trap();
    return 0;
}
