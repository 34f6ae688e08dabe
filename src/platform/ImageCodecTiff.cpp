// TIFF through libtiff, in memory. The first page is read. Common layouts
// (palette, grey, 8-bit RGB with or without alpha, in strips) are read row
// by row so alpha stays exact; anything else goes through libtiff's RGBA
// reader, whose premultiplied alpha is undone. Written: LZW with the
// horizontal predictor, RGB or RGBA with unassociated alpha.
#include "platform/ImageCodecInternal.h"

#include <tiffio.h>

#include <algorithm>
#include <cstring>
#include <mutex>

namespace tesvan::codec {

namespace {

struct MemFile {
    const uint8_t* data = nullptr;     // reading
    std::vector<uint8_t>* out = nullptr;  // writing
    size_t size = 0;
    size_t pos = 0;
};

tmsize_t ReadProc(thandle_t h, void* buf, tmsize_t n)
{
    auto* f = static_cast<MemFile*>(h);
    const uint8_t* base = f->out ? f->out->data() : f->data;
    const size_t total = f->out ? f->out->size() : f->size;
    if (n <= 0 || f->pos >= total)
        return 0;
    const size_t k = std::min(size_t(n), total - f->pos);
    std::memcpy(buf, base + f->pos, k);
    f->pos += k;
    return tmsize_t(k);
}

tmsize_t WriteProc(thandle_t h, void* buf, tmsize_t n)
{
    auto* f = static_cast<MemFile*>(h);
    if (!f->out || n < 0)
        return 0;
    try {
        if (f->pos + size_t(n) > f->out->size())
            f->out->resize(f->pos + size_t(n));
    } catch (...) {
        return 0;
    }
    std::memcpy(f->out->data() + f->pos, buf, size_t(n));
    f->pos += size_t(n);
    return n;
}

toff_t SeekProc(thandle_t h, toff_t off, int whence)
{
    auto* f = static_cast<MemFile*>(h);
    const size_t total = f->out ? f->out->size() : f->size;
    uint64_t base = 0;
    if (whence == SEEK_CUR)
        base = f->pos;
    else if (whence == SEEK_END)
        base = total;
    const uint64_t target = base + off;
    if (target > (uint64_t(1) << 40))
        return toff_t(-1);
    f->pos = size_t(target);
    return target;
}

int CloseProc(thandle_t) { return 0; }

toff_t SizeProc(thandle_t h)
{
    auto* f = static_cast<MemFile*>(h);
    return f->out ? f->out->size() : f->size;
}

// Reading maps the caller's bytes directly, as libtiff does with files.
int MapProc(thandle_t h, void** base, toff_t* size)
{
    auto* f = static_cast<MemFile*>(h);
    if (f->out)
        return 0;
    *base = const_cast<uint8_t*>(f->data);
    *size = f->size;
    return 1;
}
void UnmapProc(thandle_t, void*, toff_t) {}

int Quiet(TIFF*, void*, const char*, const char*, va_list) { return 1; }

TIFF* OpenMem(MemFile& f, const char* mode)
{
    // Library-wide handlers are muted too: a few messages bypass the
    // per-file ones.
    static std::once_flag once;
    std::call_once(once, [] {
        TIFFSetErrorHandler(nullptr);
        TIFFSetWarningHandler(nullptr);
    });
    TIFFOpenOptions* opts = TIFFOpenOptionsAlloc();
    if (!opts)
        return nullptr;
    TIFFOpenOptionsSetErrorHandlerExtR(opts, Quiet, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(opts, Quiet, nullptr);
    TIFFOpenOptionsSetMaxSingleMemAlloc(opts, tmsize_t(512) << 20);
    TIFF* tif = TIFFClientOpenExt("memory", mode, &f, ReadProc, WriteProc, SeekProc, CloseProc,
                                  SizeProc, MapProc, UnmapProc, opts);
    TIFFOpenOptionsFree(opts);
    return tif;
}

struct TiffCloser {
    TIFF* tif;
    ~TiffCloser()
    {
        if (tif)
            TIFFClose(tif);
    }
};

void Unpremultiply(uint8_t* bgra)
{
    const int a = bgra[3];
    if (a == 0 || a == 255)
        return;
    for (int c = 0; c < 3; ++c)
        bgra[c] = uint8_t(std::min(255, (bgra[c] * 255 + a / 2) / a));
}

CodecStatus ReadViaRgba(TIFF* tif, int w, int h, bool alpha, DecodedImage& out)
{
    if (CodecStatus st = Allocate(out, w, h, 32); st != CodecStatus::Ok)
        return st;
    auto* raster = reinterpret_cast<uint32_t*>(out.pixels.data());
    if (!TIFFReadRGBAImageOriented(tif, uint32_t(w), uint32_t(h), raster, ORIENTATION_TOPLEFT, 1))
        return CodecStatus::BadData;
    uint8_t* p = out.pixels.data();
    const size_t count = size_t(w) * size_t(h);
    // The raster holds red, green, blue, alpha in memory order, alpha
    // premultiplied whichever kind the file declares.
    for (size_t i = 0; i < count; ++i) {
        uint8_t* q = p + 4 * i;
        std::swap(q[0], q[2]);
        if (alpha)
            Unpremultiply(q);
    }
    if (!alpha) {
        for (size_t i = 0; i < count; ++i)
            std::memmove(p + 3 * i, p + 4 * i, 3);
        out.pixels.resize(count * 3);
        out.bpp = 24;
        out.hasAlpha = false;
    }
    return CodecStatus::Ok;
}

}  // namespace

CodecStatus DecodeTiff(const uint8_t* data, size_t size, DecodedImage& out, const DecodeLimits& limits)
{
    MemFile f;
    f.data = data;
    f.size = size;
    TiffCloser closer{OpenMem(f, "r")};
    TIFF* tif = closer.tif;
    if (!tif)
        return CodecStatus::BadData;

    uint32_t w = 0, h = 0;
    if (!TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w) || !TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h))
        return CodecStatus::BadData;
    if (CodecStatus st = CheckSize(w, h, limits); st != CodecStatus::Ok)
        return st;
    uint16_t spp = 1, bps = 1, photometric = 0, planar = PLANARCONFIG_CONTIG;
    uint16_t extraCount = 0;
    uint16_t* extraTypes = nullptr;
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &spp);
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bps);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tif, TIFFTAG_EXTRASAMPLES, &extraCount, &extraTypes);
    if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric))
        return CodecStatus::BadData;
    bool alpha = false, associated = false;
    if (extraCount > 0 && extraTypes) {
        alpha = extraTypes[0] == EXTRASAMPLE_ASSOCALPHA || extraTypes[0] == EXTRASAMPLE_UNASSALPHA;
        associated = extraTypes[0] == EXTRASAMPLE_ASSOCALPHA;
    }
    uint16_t compression = COMPRESSION_NONE;
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
    const bool rowwise = !TIFFIsTiled(tif) && planar == PLANARCONFIG_CONTIG &&
                         compression != COMPRESSION_OJPEG && compression != COMPRESSION_JPEG;
    out.sourceBits = int(spp) * int(bps);

    const bool palette = photometric == PHOTOMETRIC_PALETTE && spp == 1 &&
                         (bps == 1 || bps == 2 || bps == 4 || bps == 8);
    const bool grey = (photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_MINISWHITE) &&
                      (bps == 1 || bps == 2 || bps == 4 || bps == 8) &&
                      (spp == 1 || (spp == 2 && bps == 8 && alpha));
    const bool rgb = photometric == PHOTOMETRIC_RGB && bps == 8 &&
                     (spp == 3 || (spp == 4 && alpha));

    if (palette) {
        uint16_t *r = nullptr, *g = nullptr, *b = nullptr;
        if (!TIFFGetField(tif, TIFFTAG_COLORMAP, &r, &g, &b) || !r || !g || !b)
            return CodecStatus::BadData;
        const int n = 1 << bps;
        // Some writers store 8-bit colour maps; take them as they are.
        bool eightBit = true;
        for (int i = 0; i < n; ++i)
            if (r[i] > 255 || g[i] > 255 || b[i] > 255)
                eightBit = false;
        out.palette.resize(size_t(n));
        for (int i = 0; i < n; ++i) {
            auto cv = [&](uint16_t v) { return uint8_t(eightBit ? v : v >> 8); };
            out.palette[size_t(i)] = {cv(b[i]), cv(g[i]), cv(r[i]), 0};
        }
    }

    if (rowwise && (palette || grey || rgb)) {
        const int outBpp = palette ? 8 : (alpha ? 32 : 24);
        std::vector<PaletteEntry> pal = std::move(out.palette);
        const int sourceBits = out.sourceBits;
        if (CodecStatus st = Allocate(out, int(w), int(h), outBpp); st != CodecStatus::Ok)
            return st;
        out.palette = std::move(pal);
        out.sourceBits = sourceBits;
        const tmsize_t lineSize = TIFFScanlineSize(tif);
        const size_t expected = (size_t(w) * spp * bps + 7) / 8;
        if (lineSize <= 0 || size_t(lineSize) < expected)
            return CodecStatus::BadData;
        std::vector<uint8_t> line(static_cast<size_t>(lineSize));
        const int maxV = (1 << bps) - 1;
        for (uint32_t y = 0; y < h; ++y) {
            if (TIFFReadScanline(tif, line.data(), y, 0) < 0)
                return CodecStatus::BadData;
            uint8_t* d = out.row(int(y));
            const uint8_t* s = line.data();
            if (palette || (grey && spp == 1)) {
                for (uint32_t x = 0; x < w; ++x) {
                    int v;
                    if (bps == 8) {
                        v = s[x];
                    } else {
                        const size_t bit = size_t(x) * bps;
                        v = (s[bit / 8] >> (8 - bps - int(bit % 8))) & maxV;
                    }
                    if (palette) {
                        d[x] = uint8_t(v);
                    } else {
                        int gv = v * 255 / maxV;
                        if (photometric == PHOTOMETRIC_MINISWHITE)
                            gv = 255 - gv;
                        d[3 * x] = d[3 * x + 1] = d[3 * x + 2] = uint8_t(gv);
                    }
                }
            } else if (grey) {  // grey with alpha, 8 bits
                for (uint32_t x = 0; x < w; ++x, s += 2, d += 4) {
                    const uint8_t gv = photometric == PHOTOMETRIC_MINISWHITE ? uint8_t(255 - s[0]) : s[0];
                    d[0] = d[1] = d[2] = gv;
                    d[3] = s[1];
                    if (associated)
                        Unpremultiply(d);
                }
            } else {
                for (uint32_t x = 0; x < w; ++x, s += spp) {
                    d[0] = s[2];
                    d[1] = s[1];
                    d[2] = s[0];
                    if (alpha) {
                        d[3] = s[3];
                        if (associated)
                            Unpremultiply(d);
                        d += 4;
                    } else {
                        d += 3;
                    }
                }
            }
        }
        return CodecStatus::Ok;
    }

    char message[1024];
    if (!TIFFRGBAImageOK(tif, message))
        return CodecStatus::BadData;
    out.palette.clear();
    return ReadViaRgba(tif, int(w), int(h), alpha, out);
}

CodecStatus EncodeTiff(const ImageSource& src, std::vector<uint8_t>& out)
{
    MemFile f;
    f.out = &out;
    TiffCloser closer{OpenMem(f, "w")};
    TIFF* tif = closer.tif;
    if (!tif)
        return CodecStatus::GeneralFailure;
    const bool alpha = src.bpp == 32 && src.hasAlpha;
    const int spp = alpha ? 4 : 3;
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, uint32_t(src.width));
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, uint32_t(src.height));
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, spp);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
    TIFFSetField(tif, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
    if (alpha) {
        const uint16_t extra[1] = {EXTRASAMPLE_UNASSALPHA};
        TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, extra);
    }
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, 0));
    std::vector<uint8_t> line(size_t(src.width) * size_t(spp));
    for (int y = 0; y < src.height; ++y) {
        const uint8_t* s = src.row(y);
        uint8_t* d = line.data();
        for (int x = 0; x < src.width; ++x, d += spp) {
            uint8_t p[4];
            SourcePixel(src, s, x, p);
            d[0] = p[2];
            d[1] = p[1];
            d[2] = p[0];
            if (alpha)
                d[3] = p[3];
        }
        if (TIFFWriteScanline(tif, line.data(), uint32_t(y), 0) < 0)
            return CodecStatus::GeneralFailure;
    }
    if (!TIFFWriteDirectory(tif))
        return CodecStatus::GeneralFailure;
    TIFFClose(tif);
    closer.tif = nullptr;
    return CodecStatus::Ok;
}

}  // namespace tesvan::codec
