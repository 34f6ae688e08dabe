// GIF through giflib. A picture is the first image of a file, placed on the
// logical screen, the rest of which shows the transparent index (or the
// background index when there is none). The frames of an animation are
// composed one after another as a viewer shows them.
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

// Reads a picture's rows in the order they are stored: the four passes of
// an interlaced picture, else top to bottom. False when a row fails.
template <class ReadRow>
bool ReadRows(const GifImageDesc& desc, ReadRow readRow)
{
    if (!desc.Interlace) {
        for (int y = 0; y < desc.Height; ++y)
            if (!readRow(y))
                return false;
        return true;
    }
    static const int start[4] = {0, 4, 2, 1};
    static const int step[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int y = start[pass]; y < desc.Height; y += step[pass])
            if (!readRow(y))
                return false;
    return true;
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
        if (!ReadRows(desc, readRow))
            return CodecStatus::BadData;
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

// ---------------------------------------------------------------- frames

namespace {

// The graphic control extension's fields that composition needs.
struct FrameControl {
    int transparent = -1;
    int disposal = DISPOSAL_UNSPECIFIED;
    int delayMs = 0;
};

// Reads one extension record; a graphic control extension sets `control`.
bool ReadExtension(GifFileType* gif, FrameControl& control)
{
    int code = 0;
    GifByteType* ext = nullptr;
    if (DGifGetExtension(gif, &code, &ext) == GIF_ERROR)
        return false;
    if (code == GRAPHICS_EXT_FUNC_CODE && ext && ext[0] >= 4) {
        GraphicsControlBlock gcb;
        if (DGifExtensionToGCB(ext[0], ext + 1, &gcb) == GIF_OK) {
            control.transparent = gcb.TransparentColor;
            control.disposal = gcb.DisposalMode;
            control.delayMs = gcb.DelayTime * 10;
        }
    }
    while (ext)
        if (DGifGetExtensionNext(gif, &ext) == GIF_ERROR)
            return false;
    return true;
}

GifFileType* OpenGif(MemInput& in, CodecStatus& status)
{
    int err = 0;
    GifFileType* gif = DGifOpen(&in, ReadInput, &err);
    if (!gif)
        status = err == D_GIF_ERR_NOT_ENOUGH_MEM ? CodecStatus::OutOfMemory : CodecStatus::BadData;
    return gif;
}

// The logical screen while frames are composed. A pixel is either covered
// by a frame's colour or shows the screen's fill; each remembers the index
// it was drawn with (the fill's index when uncovered).
class FrameCanvas {
public:
    static constexpr uint16_t kCovered = 0x100;

    CodecStatus Start(int width, int height)
    {
        try {
            m_colour.assign(size_t(width) * size_t(height), 0);
            m_tag.assign(m_colour.size(), 0);
        } catch (const std::bad_alloc&) {
            return CodecStatus::OutOfMemory;
        }
        m_width = width;
        m_height = height;
        return CodecStatus::Ok;
    }
    void SetFill(int index, uint32_t colour)
    {
        m_fillTag = uint16_t(index & 0xFF);
        m_fillColour = colour;
        Clear(0, 0, m_width, m_height);
    }
    // The screen part of a rectangle (x, y, w, h) that may lie partly off it.
    void Clip(int& x0, int& y0, int& x1, int& y1, int x, int y, int w, int h) const
    {
        x0 = std::clamp(x, 0, m_width);
        y0 = std::clamp(y, 0, m_height);
        x1 = std::clamp(x + w, x0, m_width);
        y1 = std::clamp(y + h, y0, m_height);
    }
    void Clear(int x, int y, int w, int h)
    {
        int x0, y0, x1, y1;
        Clip(x0, y0, x1, y1, x, y, w, h);
        for (int yy = y0; yy < y1; ++yy) {
            const size_t at = size_t(yy) * size_t(m_width);
            std::fill(m_colour.begin() + ptrdiff_t(at + x0), m_colour.begin() + ptrdiff_t(at + x1), m_fillColour);
            std::fill(m_tag.begin() + ptrdiff_t(at + x0), m_tag.begin() + ptrdiff_t(at + x1), m_fillTag);
        }
    }
    // Copies a rectangle out (save) or back in (restore).
    void Save(int x, int y, int w, int h, std::vector<uint32_t>& colour, std::vector<uint16_t>& tag) const
    {
        int x0, y0, x1, y1;
        Clip(x0, y0, x1, y1, x, y, w, h);
        colour.clear();
        tag.clear();
        for (int yy = y0; yy < y1; ++yy) {
            const size_t at = size_t(yy) * size_t(m_width);
            colour.insert(colour.end(), m_colour.begin() + ptrdiff_t(at + x0), m_colour.begin() + ptrdiff_t(at + x1));
            tag.insert(tag.end(), m_tag.begin() + ptrdiff_t(at + x0), m_tag.begin() + ptrdiff_t(at + x1));
        }
    }
    void Restore(int x, int y, int w, int h, const std::vector<uint32_t>& colour, const std::vector<uint16_t>& tag)
    {
        int x0, y0, x1, y1;
        Clip(x0, y0, x1, y1, x, y, w, h);
        size_t from = 0;
        for (int yy = y0; yy < y1; ++yy) {
            const size_t at = size_t(yy) * size_t(m_width);
            for (int xx = x0; xx < x1; ++xx, ++from) {
                m_colour[at + size_t(xx)] = colour[from];
                m_tag[at + size_t(xx)] = tag[from];
            }
        }
    }
    // One row of a frame at screen row y from column x; the frame's
    // transparent index leaves what lies beneath.
    void DrawRow(int x, int y, const GifPixelType* line, int n, int transparent, const uint32_t* colours)
    {
        if (y < 0 || y >= m_height)
            return;
        const size_t at = size_t(y) * size_t(m_width);
        for (int i = std::max(0, -x); i < n && x + i < m_width; ++i) {
            const int v = line[i];
            if (v == transparent)
                continue;
            m_colour[at + size_t(x + i)] = colours[v];
            m_tag[at + size_t(x + i)] = uint16_t(kCovered | v);
        }
    }
    // The screen as 32-bit pixels: opaque colours, 0 where the key says.
    void Emit(GifFrameKey key, DecodedImage& out) const
    {
        uint8_t* d = out.pixels.data();
        for (size_t i = 0; i < m_colour.size(); ++i, d += 4) {
            const uint16_t tag = m_tag[i];
            const bool clear = key == GifFrameKey::Own      ? (tag & kCovered) == 0
                               : key == GifFrameKey::Index0 ? (tag & 0xFF) == 0
                                                            : false;
            const uint32_t c = clear ? 0 : m_colour[i];
            d[0] = uint8_t(c);
            d[1] = uint8_t(c >> 8);
            d[2] = uint8_t(c >> 16);
            d[3] = clear ? 0 : 255;
        }
    }

private:
    int m_width = 0, m_height = 0;
    std::vector<uint32_t> m_colour;  // 0x00RRGGBB
    std::vector<uint16_t> m_tag;     // index, kCovered when a frame drew it
    uint16_t m_fillTag = 0;
    uint32_t m_fillColour = 0;
};

CodecStatus ComposeFrames(GifFileType* gif, GifFrameKey key, int maxFrames,
                          const std::function<bool(const DecodedImage&)>& sink, const DecodeLimits& limits)
{
    CodecStatus st = CheckSize(gif->SWidth, gif->SHeight, limits);
    if (st != CodecStatus::Ok)
        return st;
    FrameCanvas canvas;
    DecodedImage frame;
    if ((st = canvas.Start(gif->SWidth, gif->SHeight)) != CodecStatus::Ok ||
        (st = Allocate(frame, gif->SWidth, gif->SHeight, 32)) != CodecStatus::Ok)
        return st;
    FrameControl control;
    std::vector<uint32_t> savedColour;
    std::vector<uint16_t> savedTag;
    std::vector<GifPixelType> line;
    int count = 0;
    while (count < maxFrames) {
        GifRecordType type;
        if (DGifGetRecordType(gif, &type) == GIF_ERROR)
            return CodecStatus::BadData;
        if (type == TERMINATE_RECORD_TYPE)
            break;
        if (type == EXTENSION_RECORD_TYPE) {
            if (!ReadExtension(gif, control))
                return CodecStatus::BadData;
            continue;
        }
        if (type != IMAGE_DESC_RECORD_TYPE)
            continue;
        if (DGifGetImageDesc(gif) == GIF_ERROR)
            return CodecStatus::BadData;
        const GifImageDesc desc = gif->Image;
        if ((st = CheckSize(desc.Width, desc.Height, limits)) != CodecStatus::Ok)
            return st;
        const ColorMapObject* map = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
        uint32_t colours[256];
        for (int i = 0; i < 256; ++i) {
            // Without any colour table the indices show as greys; indices
            // beyond the table as black.
            if (!map || !map->Colors || map->ColorCount <= 0)
                colours[i] = uint32_t(i) * 0x010101u;
            else if (i < map->ColorCount && i < 256)
                colours[i] = uint32_t(map->Colors[i].Red) << 16 | uint32_t(map->Colors[i].Green) << 8 |
                             map->Colors[i].Blue;
            else
                colours[i] = 0;
        }
        // The screen starts as the first picture shows it: the transparent
        // index, else the background index.
        if (count == 0) {
            const int fill = control.transparent >= 0 ? control.transparent : gif->SBackGroundColor;
            canvas.SetFill(fill, colours[fill & 0xFF]);
        }
        if (control.disposal == DISPOSE_PREVIOUS)
            canvas.Save(desc.Left, desc.Top, desc.Width, desc.Height, savedColour, savedTag);
        line.resize(size_t(desc.Width));
        auto readRow = [&](int y) {
            if (DGifGetLine(gif, line.data(), desc.Width) == GIF_ERROR)
                return false;
            canvas.DrawRow(desc.Left, desc.Top + y, line.data(), desc.Width, control.transparent, colours);
            return true;
        };
        if (!ReadRows(desc, readRow))
            return CodecStatus::BadData;
        canvas.Emit(key, frame);
        // Delays below 20 ms play, as browsers play them, at 100 ms.
        frame.delayMs = control.delayMs >= 20 ? control.delayMs : 100;
        if (!sink(frame))
            return CodecStatus::GeneralFailure;
        ++count;
        if (control.disposal == DISPOSE_BACKGROUND)
            canvas.Clear(desc.Left, desc.Top, desc.Width, desc.Height);
        else if (control.disposal == DISPOSE_PREVIOUS)
            canvas.Restore(desc.Left, desc.Top, desc.Width, desc.Height, savedColour, savedTag);
        control = FrameControl{};  // a control block governs one image only
    }
    return count > 0 ? CodecStatus::Ok : CodecStatus::BadData;
}

}  // namespace

}  // namespace tesvan::codec

namespace tesvan {

using namespace codec;

int CountGifFrames(const uint8_t* data, size_t size)
{
    if (SniffImageFormat(data, size) != ImageFormat::Gif)
        return 0;
    MemInput in{data, size, 0};
    CodecStatus st = CodecStatus::Ok;
    GifCloser closer{OpenGif(in, st)};
    if (!closer.gif)
        return 0;
    GifFileType* gif = closer.gif;
    int count = 0;
    FrameControl control;
    for (;;) {
        GifRecordType type;
        if (DGifGetRecordType(gif, &type) == GIF_ERROR || type == TERMINATE_RECORD_TYPE)
            break;
        if (type == EXTENSION_RECORD_TYPE) {
            if (!ReadExtension(gif, control))
                break;
            continue;
        }
        if (type != IMAGE_DESC_RECORD_TYPE)
            continue;
        if (DGifGetImageDesc(gif) == GIF_ERROR)
            break;
        // The image's data is skipped undecoded; only a complete one counts.
        int codeSize = 0;
        GifByteType* block = nullptr;
        bool ok = DGifGetCode(gif, &codeSize, &block) != GIF_ERROR;
        while (ok && block)
            ok = DGifGetCodeNext(gif, &block) != GIF_ERROR;
        if (!ok)
            break;
        ++count;
    }
    return count;
}

CodecStatus DecodeGifFrames(const uint8_t* data, size_t size, GifFrameKey key, int maxFrames,
                            const std::function<bool(const DecodedImage&)>& frame,
                            const DecodeLimits& limits)
{
    if (SniffImageFormat(data, size) != ImageFormat::Gif)
        return CodecStatus::UnknownFormat;
    MemInput in{data, size, 0};
    CodecStatus st = CodecStatus::Ok;
    GifCloser closer{OpenGif(in, st)};
    if (!closer.gif)
        return st;
    try {
        return ComposeFrames(closer.gif, key, maxFrames, frame, limits);
    } catch (const std::bad_alloc&) {
        return CodecStatus::OutOfMemory;
    }
}

}  // namespace tesvan

namespace tesvan::codec {

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
