// Feeds arbitrary bytes to the image decoders (the format is found by
// content) and, for small results, through the CImageEx adapter and back out
// through every encoder.
#include "doc/ImageFiles.h"
#include "platform/ImageCodec.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace tesvan;
    DecodeLimits limits;
    limits.maxPixels = 1 << 22;  // keeps each run quick
    // The frames of an animation, composed as a viewer shows them.
    if (const int frames = CountGifFrames(data, size); frames > 0) {
        limits.maxPixels = 1 << 16;
        int seen = 0;
        const CodecStatus st = DecodeGifFrames(data, size, GifFrameKey(size % 3), std::min(frames, 64),
                                               [&](const DecodedImage& f) {
                                                   if (f.bpp != 32 || f.pixels.size() != f.stride() * size_t(f.height))
                                                       __builtin_trap();
                                                   return ++seen < 64;
                                               },
                                               limits);
        if (st == CodecStatus::Ok && seen != std::min(frames, 64))
            __builtin_trap();
        limits.maxPixels = 1 << 22;
    }
    int probedWidth = 0, probedHeight = 0;
    if (ProbeImageSize(data, size, probedWidth, probedHeight) && (probedWidth <= 0 || probedHeight <= 0))
        __builtin_trap();
    DecodedImage pic;
    if (DecodeImage(data, size, pic, limits) != CodecStatus::Ok)
        return 0;
    if (pic.pixels.size() != pic.stride() * size_t(pic.height))
        __builtin_trap();
    if (int64_t(pic.width) * pic.height > 4096)
        return 0;
    CImageEx img;
    if (!ImageFromDecoded(pic, img))
        return 0;
    PaletteEntry table[256];
    const ImageSource src = ImageSourceOf(img, table);
    for (const EncoderInfo& enc : GetImageEncoders()) {
        std::vector<uint8_t> out;
        if (EncodeImage(src, enc.format, out) != CodecStatus::Ok)
            __builtin_trap();
        DecodedImage back;
        if (DecodeImage(out.data(), out.size(), back) != CodecStatus::Ok)
            __builtin_trap();
    }
    return 0;
}
