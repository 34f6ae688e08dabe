// Animated pictures: GIF through giflib, WebP through libwebp's animation
// encoder.
#include "platform/ImageCodecInternal.h"

#include <gif_lib.h>
#include <webp/encode.h>
#include <webp/mux.h>

#include <algorithm>
#include <cstring>

namespace tesvan {

namespace {

int WriteGifOutput(GifFileType* gif, const GifByteType* buf, int length)
{
    auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
    try {
        out->insert(out->end(), buf, buf + length);
    } catch (...) {
        return 0;
    }
    return length;
}

struct GifWriter {
    GifFileType* gif = nullptr;
    ~GifWriter()
    {
        if (gif) {
            int err = 0;
            EGifCloseFile(gif, &err);
        }
    }
    bool Close()
    {
        int err = 0;
        const bool ok = EGifCloseFile(gif, &err) != GIF_ERROR;
        gif = nullptr;
        return ok;
    }
};

bool SameShape(const AnimationSource& anim)
{
    if (anim.frames.empty() || anim.delaysMs.size() != anim.frames.size())
        return false;
    const ImageSource& first = anim.frames.front();
    if ((first.bpp != 8 && first.bpp != 32) || first.width <= 0 || first.height <= 0 ||
        (first.bpp == 8 && !first.colorTable))
        return false;
    for (const ImageSource& f : anim.frames)
        if (!f.bits || f.width != first.width || f.height != first.height || f.bpp != first.bpp)
            return false;
    return true;
}

int GifDelay(int ms)
{
    const int64_t hundredths = (int64_t(std::max(ms, 0)) + 5) / 10;
    return int(std::clamp<int64_t>(hundredths, 2, 65535));
}

}  // namespace

CodecStatus EncodeAnimatedGif(const AnimationSource& anim, std::vector<uint8_t>& out)
{
    if (!SameShape(anim))
        return CodecStatus::InvalidArgument;
    const ImageSource& first = anim.frames.front();
    const int w = first.width, h = first.height;
    if (w > 65535 || h > 65535)
        return CodecStatus::InvalidArgument;
    const size_t framePixels = size_t(w) * size_t(h);

    std::vector<PaletteEntry> palette;
    std::vector<uint8_t> indices;  // every frame's indices, one after another
    int transparent = -1;
    try {
        if (first.bpp == 8) {
            palette.assign(first.colorTable, first.colorTable + 256);
            transparent = anim.transparentIndex >= 0 && anim.transparentIndex < 256 ? anim.transparentIndex : -1;
            indices.resize(framePixels * anim.frames.size());
            for (size_t f = 0; f < anim.frames.size(); ++f)
                for (int y = 0; y < h; ++y)
                    std::memcpy(indices.data() + f * framePixels + size_t(y) * size_t(w),
                                anim.frames[f].row(y), size_t(w));
        } else {
            // All frames as one tall picture, so they share one colour table;
            // alpha is decided here once: below 128 clear, else opaque.
            std::vector<uint8_t> tall(framePixels * anim.frames.size() * 4);
            for (size_t f = 0; f < anim.frames.size(); ++f) {
                const ImageSource& src = anim.frames[f];
                for (int y = 0; y < h; ++y) {
                    const uint8_t* s = src.row(y);
                    uint8_t* d = tall.data() + (f * framePixels + size_t(y) * size_t(w)) * 4;
                    for (int x = 0; x < w; ++x, s += 4, d += 4) {
                        if (src.hasAlpha && s[3] < 128) {
                            std::memset(d, 0, 4);
                        } else {
                            d[0] = s[0];
                            d[1] = s[1];
                            d[2] = s[2];
                            d[3] = 255;
                        }
                    }
                }
            }
            ImageSource all;
            all.bits = tall.data();
            all.pitch = ptrdiff_t(w) * 4;
            all.width = w;
            all.height = int(int64_t(h) * int64_t(anim.frames.size()));
            if (int64_t(h) * int64_t(anim.frames.size()) > INT32_MAX)
                return CodecStatus::InvalidArgument;
            all.bpp = 32;
            all.hasAlpha = true;
            // Index 0 is always the transparent colour, so up to 255 colours
            // stay exact whether or not a frame has clear pixels.
            const CodecStatus st = codec::QuantizeColors(all, true, 255, 1, palette, indices);
            if (st != CodecStatus::Ok)
                return st;
            palette.insert(palette.begin(), PaletteEntry{});
            transparent = 0;
        }
    } catch (const std::bad_alloc&) {
        return CodecStatus::OutOfMemory;
    }

    int bits = 1;
    while ((1 << bits) < int(palette.size()))
        ++bits;
    ColorMapObject* map = GifMakeMapObject(1 << bits, nullptr);
    if (!map)
        return CodecStatus::OutOfMemory;
    for (int i = 0; i < (1 << bits); ++i) {
        const PaletteEntry e = i < int(palette.size()) ? palette[size_t(i)] : PaletteEntry{};
        map->Colors[i] = {e.red, e.green, e.blue};
    }

    int err = 0;
    GifWriter writer{EGifOpen(&out, WriteGifOutput, &err)};
    if (!writer.gif) {
        GifFreeMapObject(map);
        return CodecStatus::OutOfMemory;
    }
    EGifSetGifVersion(writer.gif, true);
    const bool screenOk = EGifPutScreenDesc(writer.gif, w, h, 8, 0, map) != GIF_ERROR;
    GifFreeMapObject(map);
    if (!screenOk)
        return CodecStatus::GeneralFailure;
    // Loop for ever.
    static const GifByteType netscape[] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
    static const GifByteType loop[] = {1, 0, 0};
    if (EGifPutExtensionLeader(writer.gif, APPLICATION_EXT_FUNC_CODE) == GIF_ERROR ||
        EGifPutExtensionBlock(writer.gif, sizeof netscape, netscape) == GIF_ERROR ||
        EGifPutExtensionBlock(writer.gif, sizeof loop, loop) == GIF_ERROR ||
        EGifPutExtensionTrailer(writer.gif) == GIF_ERROR)
        return CodecStatus::GeneralFailure;

    for (size_t f = 0; f < anim.frames.size(); ++f) {
        const int delay = GifDelay(anim.delaysMs[f]);
        // Each frame is whole; disposing to the background keeps a clear
        // pixel of this frame from showing the frame before.
        const GifByteType gce[4] = {GifByteType((2 << 2) | (transparent >= 0 ? 1 : 0)),
                                    GifByteType(delay & 0xFF), GifByteType(delay >> 8),
                                    GifByteType(transparent >= 0 ? transparent : 0)};
        if (EGifPutExtension(writer.gif, GRAPHICS_EXT_FUNC_CODE, 4, gce) == GIF_ERROR)
            return CodecStatus::GeneralFailure;
        if (EGifPutImageDesc(writer.gif, 0, 0, w, h, false, nullptr) == GIF_ERROR)
            return CodecStatus::GeneralFailure;
        for (int y = 0; y < h; ++y) {
            GifPixelType* line = indices.data() + f * framePixels + size_t(y) * size_t(w);
            if (EGifPutLine(writer.gif, line, w) == GIF_ERROR)
                return CodecStatus::GeneralFailure;
        }
    }
    if (!writer.Close())
        return CodecStatus::GeneralFailure;
    return CodecStatus::Ok;
}

namespace {

struct WebPEncoderHolder {
    WebPAnimEncoder* enc = nullptr;
    ~WebPEncoderHolder()
    {
        if (enc)
            WebPAnimEncoderDelete(enc);
    }
};

struct WebPPictureHolder {
    WebPPicture pic;
    bool ok;
    WebPPictureHolder() { ok = WebPPictureInit(&pic) != 0; }
    ~WebPPictureHolder() { WebPPictureFree(&pic); }
};

}  // namespace

CodecStatus EncodeAnimatedWebP(const AnimationSource& anim, std::vector<uint8_t>& out)
{
    if (!SameShape(anim))
        return CodecStatus::InvalidArgument;
    const ImageSource& first = anim.frames.front();
    const int w = first.width, h = first.height;
    if (w > WEBP_MAX_DIMENSION || h > WEBP_MAX_DIMENSION)
        return CodecStatus::InvalidArgument;

    WebPAnimEncoderOptions options;
    if (!WebPAnimEncoderOptionsInit(&options))
        return CodecStatus::GeneralFailure;
    options.anim_params.loop_count = 0;
    options.allow_mixed = 0;
    WebPConfig config;
    if (!WebPConfigInit(&config))
        return CodecStatus::GeneralFailure;
    config.lossless = 1;
    config.exact = 1;
    config.quality = 75;
    config.method = 4;
    if (!WebPValidateConfig(&config))
        return CodecStatus::GeneralFailure;

    WebPEncoderHolder holder{WebPAnimEncoderNew(w, h, &options)};
    if (!holder.enc)
        return CodecStatus::OutOfMemory;
    WebPPictureHolder frame;
    if (!frame.ok)
        return CodecStatus::GeneralFailure;
    frame.pic.use_argb = 1;
    frame.pic.width = w;
    frame.pic.height = h;
    if (!WebPPictureAlloc(&frame.pic))
        return CodecStatus::OutOfMemory;

    int64_t timestamp = 0;
    for (size_t f = 0; f < anim.frames.size(); ++f) {
        const ImageSource& src = anim.frames[f];
        for (int y = 0; y < h; ++y) {
            uint32_t* d = frame.pic.argb + size_t(y) * size_t(frame.pic.argb_stride);
            const uint8_t* s = src.row(y);
            if (src.bpp == 8) {
                for (int x = 0; x < w; ++x) {
                    const int i = s[x];
                    const PaletteEntry& e = first.colorTable[i];
                    d[x] = i == anim.transparentIndex
                               ? 0u
                               : 0xFF000000u | uint32_t(e.red) << 16 | uint32_t(e.green) << 8 | e.blue;
                }
            } else {
                for (int x = 0; x < w; ++x, s += 4) {
                    const uint32_t a = src.hasAlpha ? s[3] : 255u;
                    d[x] = a << 24 | uint32_t(s[2]) << 16 | uint32_t(s[1]) << 8 | s[0];
                }
            }
        }
        if (timestamp > INT32_MAX)
            return CodecStatus::InvalidArgument;
        if (!WebPAnimEncoderAdd(holder.enc, &frame.pic, int(timestamp), &config))
            return frame.pic.error_code == VP8_ENC_ERROR_OUT_OF_MEMORY ? CodecStatus::OutOfMemory
                                                                       : CodecStatus::GeneralFailure;
        timestamp += std::max(anim.delaysMs[f], 1);
    }
    if (timestamp > INT32_MAX || !WebPAnimEncoderAdd(holder.enc, nullptr, int(timestamp), nullptr))
        return CodecStatus::GeneralFailure;
    WebPData data;
    WebPDataInit(&data);
    if (!WebPAnimEncoderAssemble(holder.enc, &data))
        return CodecStatus::GeneralFailure;
    try {
        out.assign(data.bytes, data.bytes + data.size);
    } catch (const std::bad_alloc&) {
        WebPDataClear(&data);
        return CodecStatus::OutOfMemory;
    }
    WebPDataClear(&data);
    return CodecStatus::Ok;
}

}  // namespace tesvan
