#include "doc/ImageFiles.h"

#include <cstring>

using namespace tesvan;

bool ImageFromDecoded(const DecodedImage& pic, CImageEx& out)
{
    if (pic.width <= 0 || pic.height <= 0 || pic.pixels.size() < pic.stride() * size_t(pic.height))
        return false;
    if (pic.bpp == 8) {
        if (pic.palette.empty() || pic.palette.size() > 256 || !out.CreateEx(pic.width, pic.height, 8))
            return false;
        RGBQUAD table[256];
        for (size_t i = 0; i < pic.palette.size(); ++i)
            table[i] = {pic.palette[i].blue, pic.palette[i].green, pic.palette[i].red, 0};
        out.SetColorTable(0, int(pic.palette.size()), table);
        out.SetTransparentColor(pic.transparentIndex >= 0 && pic.transparentIndex < 256
                                    ? pic.transparentIndex : -1);
        for (int y = 0; y < pic.height; ++y)
            std::memcpy(out.GetRow(y), pic.row(y), size_t(pic.width));
    } else if (pic.bpp == 24 || pic.bpp == 32) {
        const bool alpha = pic.bpp == 32;
        if (!out.CreateEx(pic.width, pic.height, 32, alpha ? CImageEx::createAlphaChannel : 0))
            return false;
        for (int y = 0; y < pic.height; ++y) {
            if (alpha) {
                std::memcpy(out.GetRow(y), pic.row(y), size_t(pic.width) * 4);
                continue;
            }
            const uint8_t* s = pic.row(y);
            uint8_t* d = out.GetRow(y);
            for (int x = 0; x < pic.width; ++x, s += 3, d += 4) {
                d[0] = s[0];
                d[1] = s[1];
                d[2] = s[2];
                d[3] = 255;
            }
        }
    } else {
        return false;
    }
    return true;
}

bool LoadImageFile(const std::string& path, CImageEx& out, int* fileBits, CodecStatus* status)
{
    DecodedImage pic;
    CodecStatus st = DecodeImageFile(path, pic);
    if (st == CodecStatus::Ok && !ImageFromDecoded(pic, out))
        st = CodecStatus::OutOfMemory;
    if (status)
        *status = st;
    if (st != CodecStatus::Ok)
        return false;
    if (fileBits)
        *fileBits = pic.bpp;
    return true;
}

int CountImageFrames(const std::string& path)
{
    std::vector<uint8_t> data;
    if (ReadImageFileBytes(path, data) != CodecStatus::Ok || data.empty())
        return 0;
    return CountImageFramesIn(data.data(), data.size());
}

bool LoadImageFrames(const std::string& path, GifFrameKey key, int maxFrames,
                     const std::function<bool(CImageEx&)>& each, CodecStatus* status)
{
    std::vector<uint8_t> data;
    CodecStatus st = ReadImageFileBytes(path, data);
    if (st == CodecStatus::Ok) {
        CImageEx frame;
        auto sink = [&](const DecodedImage& pic) { return ImageFromDecoded(pic, frame) && each(frame); };
        // WebP frames carry their own alpha; the key chooses among GIF's indices.
        st = SniffImageFormat(data.data(), data.size()) == ImageFormat::Webp
                 ? DecodeImageFrames(data.data(), data.size(), maxFrames, sink)
                 : DecodeGifFrames(data.data(), data.size(), key, maxFrames, sink);
    }
    if (status)
        *status = st;
    return st == CodecStatus::Ok;
}

ImageSource ImageSourceOf(const CImageEx& img, PaletteEntry table[256])
{
    ImageSource src;
    if (img.IsNull())
        return src;
    src.bits = img.GetBits();
    src.pitch = img.GetPitch();
    src.width = img.GetWidth();
    src.height = img.GetHeight();
    src.bpp = img.GetBPP();
    src.hasAlpha = img.HasAlpha();
    if (src.bpp == 8) {
        const RGBQUAD* t = img.ColorTable();
        for (int i = 0; i < 256; ++i)
            table[i] = {t[i].rgbBlue, t[i].rgbGreen, t[i].rgbRed, 0};
        src.colorTable = table;
    }
    return src;
}

bool SaveImageFile(const CImageEx& img, const std::string& path, CodecStatus* status,
                   std::string* error)
{
    PaletteEntry table[256];
    const CodecStatus st = EncodeImageFile(path, ImageSourceOf(img, table), error);
    if (status)
        *status = st;
    return st == CodecStatus::Ok;
}
