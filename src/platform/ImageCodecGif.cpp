// GIF through giflib. Only the first image of a file is read; it is placed
// on the logical screen, the rest of which shows the transparent index (or
// the background index when there is none).
#include "platform/ImageCodecInternal.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>

namespace tesvan::codec {

namespace {

struct MemInput {
    const uint8_t* data;
    size_t size;
    size_t pos;
};

int ReadInput(GifFileType* gif, GifByteType* buf, int length)
{
    auto* in = static_cast<MemInput*>(gif->UserData);
    if (length <= 0)
        return 0;
    const size_t n = std::min(size_t(length), in->size - in->pos);
    std::memcpy(buf, in->data + in->pos, n);
    in->pos += n;
    return int(n);
}

int WriteOutput(GifFileType* gif, const GifByteType* buf, int length)
{
    auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
    try {
        out->insert(out->end(), buf, buf + length);
    } catch (...) {
        return 0;
    }
    return length;
}

struct GifCloser {
    GifFileType* gif;
    ~GifCloser()
    {
        if (gif) {
            int err = 0;
            DGifCloseFile(gif, &err);
        }
    }
};

CodecStatus ReadFirstImage(GifFileType* gif, DecodedImage& out, const DecodeLimits& limits)
{
    CodecStatus st = CheckSize(gif->SWidth, gif->SHeight, limits);
    if (st != CodecStatus::Ok)
        return st;
    int transparent = -1;
    for (;;) {
        GifRecordType type;
        if (DGifGetRecordType(gif, &type) == GIF_ERROR)
            return CodecStatus::BadData;
        if (type == TERMINATE_RECORD_TYPE)
            return CodecStatus::BadData;  // no image at all
        if (type == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* ext = nullptr;
            if (DGifGetExtension(gif, &code, &ext) == GIF_ERROR)
                return CodecStatus::BadData;
            if (code == GRAPHICS_EXT_FUNC_CODE && ext && ext[0] >= 4)
                transparent = (ext[1] & 1) ? ext[4] : -1;
            while (ext) {
                if (DGifGetExtensionNext(gif, &ext) == GIF_ERROR)
                    return CodecStatus::BadData;
            }
            continue;
        }
        if (type != IMAGE_DESC_RECORD_TYPE)
            continue;
        if (DGifGetImageDesc(gif) == GIF_ERROR)
            return CodecStatus::BadData;
        const GifImageDesc& desc = gif->Image;
        // The frame is decoded whole even where it lies off the screen, so
        // it is held to the same limits.
        st = CheckSize(desc.Width, desc.Height, limits);
        if (st != CodecStatus::Ok)
            return st;
        const ColorMapObject* map = desc.ColorMap ? desc.ColorMap : gif->SColorMap;

        st = Allocate(out, gif->SWidth, gif->SHeight, 8);
        if (st != CodecStatus::Ok)
            return st;
        if (map && map->ColorCount > 0 && map->ColorCount <= 256 && map->Colors) {
            out.palette.resize(size_t(map->ColorCount));
            for (int i = 0; i < map->ColorCount; ++i)
                out.palette[size_t(i)] = {map->Colors[i].Blue, map->Colors[i].Green,
                                          map->Colors[i].Red, 0};
        } else {
            // A file without any colour table: show the indices as greys.
            out.palette.resize(256);
            for (int i = 0; i < 256; ++i)
                out.palette[size_t(i)] = {uint8_t(i), uint8_t(i), uint8_t(i), 0};
        }
        const int fill = transparent >= 0 ? transparent : gif->SBackGroundColor;
        std::fill(out.pixels.begin(), out.pixels.end(), uint8_t(fill));

        std::vector<GifPixelType> line(size_t(desc.Width));
        const int left = desc.Left, top = desc.Top;
        const int copyFrom = std::max(0, -left);
        const int copyTo = std::min(desc.Width, out.width - left);
        auto readRow = [&](int y) -> bool {
            if (DGifGetLine(gif, line.data(), desc.Width) == GIF_ERROR)
                return false;
            const int cy = top + y;
            if (cy >= 0 && cy < out.height && copyTo > copyFrom)
                std::memcpy(out.row(cy) + left + copyFrom, line.data() + copyFrom,
                            size_t(copyTo - copyFrom));
            return true;
        };
        if (desc.Interlace) {
            static const int start[4] = {0, 4, 2, 1};
            static const int step[4] = {8, 8, 4, 2};
            for (int pass = 0; pass < 4; ++pass)
                for (int y = start[pass]; y < desc.Height; y += step[pass])
                    if (!readRow(y))
                        return CodecStatus::BadData;
        } else {
            for (int y = 0; y < desc.Height; ++y)
                if (!readRow(y))
                    return CodecStatus::BadData;
        }
        out.transparentIndex = transparent;
        out.sourceBits = map ? map->BitsPerPixel : 8;
        return CodecStatus::Ok;
    }
}

}  // namespace

CodecStatus DecodeGif(const uint8_t* data, size_t size, DecodedImage& out, const DecodeLimits& limits)
{
    MemInput in{data, size, 0};
    int err = 0;
    GifCloser closer{DGifOpen(&in, ReadInput, &err)};
    if (!closer.gif)
        return err == D_GIF_ERR_NOT_ENOUGH_MEM ? CodecStatus::OutOfMemory : CodecStatus::BadData;
    try {
        return ReadFirstImage(closer.gif, out, limits);
    } catch (const std::bad_alloc&) {
        return CodecStatus::OutOfMemory;
    }
}

namespace {

int BitsFor(int colors)
{
    int bits = 1;
    while ((1 << bits) < colors)
        ++bits;
    return bits;
}

struct EncodeCloser {
    GifFileType* gif;
    bool closeFailed = false;
    bool Close()
    {
        int err = 0;
        const bool ok = EGifCloseFile(gif, &err) != GIF_ERROR;
        gif = nullptr;
        return ok;
    }
    ~EncodeCloser()
    {
        if (gif) {
            int err = 0;
            EGifCloseFile(gif, &err);
        }
    }
};

struct MapFree {
    ColorMapObject* map;
    ~MapFree() { GifFreeMapObject(map); }
};

}  // namespace

CodecStatus EncodeGif(const ImageSource& src, std::vector<uint8_t>& out)
{
    if (src.width > 65535 || src.height > 65535)
        return CodecStatus::InvalidArgument;  // sizes are 16-bit fields
    std::vector<PaletteEntry> palette;
    std::vector<uint8_t> indices;  // filled only for 32-bit sources
    int transparent = -1;
    if (src.bpp == 8) {
        palette.assign(src.colorTable, src.colorTable + 256);
    } else {
        bool anyClear = false;
        if (src.hasAlpha) {
            for (int y = 0; y < src.height && !anyClear; ++y) {
                const uint8_t* r = src.row(y);
                for (int x = 0; x < src.width; ++x)
                    if (r[4 * x + 3] == 0) {
                        anyClear = true;
                        break;
                    }
            }
        }
        // Index 0 is the transparent one, so a re-import that treats index 0
        // as transparent sees the same picture.
        transparent = anyClear ? 0 : -1;
        const CodecStatus st =
            QuantizeColors(src, anyClear, anyClear ? 255 : 256, anyClear ? 1 : 0, palette, indices);
        if (st != CodecStatus::Ok)
            return st;
        if (anyClear)
            palette.insert(palette.begin(), PaletteEntry{});
        if (palette.empty())
            palette.push_back(PaletteEntry{});
    }

    const int bits = BitsFor(int(palette.size()));
    MapFree map{GifMakeMapObject(1 << bits, nullptr)};
    if (!map.map)
        return CodecStatus::OutOfMemory;
    for (int i = 0; i < (1 << bits); ++i) {
        const PaletteEntry e = i < int(palette.size()) ? palette[size_t(i)] : PaletteEntry{};
        map.map->Colors[i] = {e.red, e.green, e.blue};
    }

    int err = 0;
    EncodeCloser closer{EGifOpen(&out, WriteOutput, &err)};
    if (!closer.gif)
        return CodecStatus::OutOfMemory;
    EGifSetGifVersion(closer.gif, transparent >= 0);
    if (EGifPutScreenDesc(closer.gif, src.width, src.height, 8, 0, map.map) == GIF_ERROR)
        return CodecStatus::GeneralFailure;
    if (transparent >= 0) {
        const GifByteType gce[4] = {0x01, 0, 0, GifByteType(transparent)};
        if (EGifPutExtension(closer.gif, GRAPHICS_EXT_FUNC_CODE, 4, gce) == GIF_ERROR)
            return CodecStatus::GeneralFailure;
    }
    if (EGifPutImageDesc(closer.gif, 0, 0, src.width, src.height, false, nullptr) == GIF_ERROR)
        return CodecStatus::GeneralFailure;
    std::vector<GifPixelType> line(size_t(src.width));
    for (int y = 0; y < src.height; ++y) {
        const uint8_t* r = src.bpp == 8 ? src.row(y) : indices.data() + size_t(y) * size_t(src.width);
        std::memcpy(line.data(), r, line.size());
        if (EGifPutLine(closer.gif, line.data(), src.width) == GIF_ERROR)
            return CodecStatus::GeneralFailure;
    }
    if (!closer.Close())
        return CodecStatus::GeneralFailure;
    return CodecStatus::Ok;
}

}  // namespace tesvan::codec
