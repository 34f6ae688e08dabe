// JPEG through libjpeg(-turbo). Errors come back by longjmp to the function
// that set it; messages are swallowed.
#include "platform/ImageCodecInternal.h"

#include <cstdio>
#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <memory>

#include <jpeglib.h>
#include <jerror.h>

namespace tesvan::codec {

namespace {

struct ErrorManager {
    jpeg_error_mgr pub;
    jmp_buf jump;
    bool eofSeen;    // the data ended before the decoder was done with it
    bool hitMarker;  // entropy data needed beyond the end: rows are missing
};

void ErrorExit(j_common_ptr cinfo)
{
    longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

void NoMessage(j_common_ptr) {}

void NoteWarning(j_common_ptr cinfo, int level)
{
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    if (level < 0 && err->pub.msg_code == JWRN_HIT_MARKER)
        err->hitMarker = true;
}

void InitErrors(ErrorManager& err)
{
    jpeg_std_error(&err.pub);
    err.pub.error_exit = ErrorExit;
    err.pub.output_message = NoMessage;
    err.pub.emit_message = NoteWarning;
    err.eofSeen = false;
    err.hitMarker = false;
}

// A memory source that, like the library's own, answers the end of the data
// with an end marker (the Huffman decoder reads a little ahead, so a file
// lacking only its end marker must still decode), but remembers it: a file
// whose rows ran out is refused rather than shown half grey.
const JOCTET kFakeEoi[2] = {0xFF, JPEG_EOI};

void InitSource(j_decompress_ptr) {}
boolean FillInput(j_decompress_ptr cinfo)
{
    reinterpret_cast<ErrorManager*>(cinfo->err)->eofSeen = true;
    cinfo->src->next_input_byte = kFakeEoi;
    cinfo->src->bytes_in_buffer = 2;
    return TRUE;
}
void SkipInput(j_decompress_ptr cinfo, long count)
{
    jpeg_source_mgr* src = cinfo->src;
    if (count <= 0)
        return;
    if (size_t(count) > src->bytes_in_buffer) {
        FillInput(cinfo);
        return;
    }
    src->next_input_byte += count;
    src->bytes_in_buffer -= size_t(count);
}
void TermSource(j_decompress_ptr) {}

// Decoder memory (coefficient buffers of progressive files included).
constexpr long kJpegMemoryLimit = 768L << 20;

// Objects with destructors live in the caller: a longjmp back to this
// frame would skip destroying anything created after setjmp.
CodecStatus ReadJpeg(jpeg_decompress_struct& cinfo, ErrorManager& err, const uint8_t* data,
                     size_t size, const DecodeLimits& limits, DecodedImage& out,
                     std::vector<uint8_t>& cmykRow, CodecStatus& status)
{
    if (setjmp(err.jump))
        return status;
    jpeg_create_decompress(&cinfo);
    cinfo.mem->max_memory_to_use = kJpegMemoryLimit;
    auto* src = static_cast<jpeg_source_mgr*>(
        (*cinfo.mem->alloc_small)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_PERMANENT,
                                  sizeof(jpeg_source_mgr)));
    src->init_source = InitSource;
    src->fill_input_buffer = FillInput;
    src->skip_input_data = SkipInput;
    src->resync_to_restart = jpeg_resync_to_restart;
    src->term_source = TermSource;
    src->next_input_byte = data;
    src->bytes_in_buffer = size;
    cinfo.src = src;

    jpeg_read_header(&cinfo, TRUE);
    status = CheckSize(cinfo.image_width, cinfo.image_height, limits);
    if (status != CodecStatus::Ok)
        return status;
    status = CodecStatus::BadData;
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
    jpeg_start_decompress(&cinfo);
    if (int(cinfo.output_width) != int(cinfo.image_width) ||
        int(cinfo.output_height) != int(cinfo.image_height) ||
        cinfo.output_components != (cmyk ? 4 : 3))
        return status;
    status = Allocate(out, int(cinfo.output_width), int(cinfo.output_height), 24);
    if (status != CodecStatus::Ok)
        return status;
    status = CodecStatus::BadData;
    out.sourceBits = 8 * cinfo.num_components;
    if (cmyk)
        cmykRow.resize(size_t(out.width) * 4);
    while (cinfo.output_scanline < cinfo.output_height) {
        uint8_t* dst = out.row(int(cinfo.output_scanline));
        JSAMPROW row = cmyk ? cmykRow.data() : dst;
        if (jpeg_read_scanlines(&cinfo, &row, 1) != 1)
            return status;
        if (cmyk) {
            // Adobe writes CMYK inverted; the common case is handled, others
            // are taken as plain CMYK.
            const bool inverted = cinfo.saw_Adobe_marker;
            const uint8_t* s = cmykRow.data();
            for (int x = 0; x < out.width; ++x, s += 4, dst += 3) {
                int c = s[0], m = s[1], yy = s[2], k = s[3];
                if (!inverted) {
                    c = 255 - c;
                    m = 255 - m;
                    yy = 255 - yy;
                    k = 255 - k;
                }
                dst[0] = uint8_t(yy * k / 255);
                dst[1] = uint8_t(m * k / 255);
                dst[2] = uint8_t(c * k / 255);
            }
        }
    }
    // Every row is in; a missing end marker does not spoil the picture.
    status = CodecStatus::Ok;
    jpeg_finish_decompress(&cinfo);
    return status;
}

}  // namespace

CodecStatus DecodeJpeg(const uint8_t* data, size_t size, DecodedImage& out, const DecodeLimits& limits)
{
    jpeg_decompress_struct cinfo;
    std::memset(&cinfo, 0, sizeof cinfo);
    ErrorManager err;
    InitErrors(err);
    cinfo.err = &err.pub;
    CodecStatus status = CodecStatus::BadData;
    std::vector<uint8_t> cmykRow;
    status = ReadJpeg(cinfo, err, data, size, limits, out, cmykRow, status);
    // A progressive file that ended early lacks whole refinement scans.
    if (status == CodecStatus::Ok && (err.hitMarker || (err.eofSeen && cinfo.progressive_mode)))
        status = CodecStatus::BadData;
    jpeg_destroy_decompress(&cinfo);
    return status;
}

namespace {

// Destination appending to a vector; the library's memory destination is
// avoided because its buffer pointer is stale after an error.
struct VectorDest {
    jpeg_destination_mgr pub;
    std::vector<uint8_t>* out;
    uint8_t chunk[65536];
};

void InitDest(j_compress_ptr cinfo)
{
    auto* d = reinterpret_cast<VectorDest*>(cinfo->dest);
    d->pub.next_output_byte = d->chunk;
    d->pub.free_in_buffer = sizeof d->chunk;
}

boolean EmptyDest(j_compress_ptr cinfo)
{
    auto* d = reinterpret_cast<VectorDest*>(cinfo->dest);
    try {
        d->out->insert(d->out->end(), d->chunk, d->chunk + sizeof d->chunk);
    } catch (...) {
        ERREXIT(cinfo, JERR_OUT_OF_MEMORY);
    }
    d->pub.next_output_byte = d->chunk;
    d->pub.free_in_buffer = sizeof d->chunk;
    return TRUE;
}

void TermDest(j_compress_ptr cinfo)
{
    auto* d = reinterpret_cast<VectorDest*>(cinfo->dest);
    const size_t used = sizeof d->chunk - d->pub.free_in_buffer;
    try {
        d->out->insert(d->out->end(), d->chunk, d->chunk + used);
    } catch (...) {
        ERREXIT(cinfo, JERR_OUT_OF_MEMORY);
    }
}

CodecStatus WriteJpeg(jpeg_compress_struct& cinfo, ErrorManager& err, const ImageSource& src,
                      std::vector<uint8_t>& line, VectorDest& dest)
{
    if (setjmp(err.jump))
        return CodecStatus::GeneralFailure;
    jpeg_create_compress(&cinfo);
    dest.pub.init_destination = InitDest;
    dest.pub.empty_output_buffer = EmptyDest;
    dest.pub.term_destination = TermDest;
    cinfo.dest = &dest.pub;
    cinfo.image_width = JDIMENSION(src.width);
    cinfo.image_height = JDIMENSION(src.height);
    cinfo.input_components = src.bpp == 8 ? 3 : 4;
    cinfo.in_color_space = src.bpp == 8 ? JCS_EXT_BGR : JCS_EXT_BGRX;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, kJpegQuality, TRUE);
    for (int c = 0; c < cinfo.num_components; ++c) {
        cinfo.comp_info[c].h_samp_factor = 1;
        cinfo.comp_info[c].v_samp_factor = 1;
    }
    cinfo.optimize_coding = TRUE;
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        const int y = int(cinfo.next_scanline);
        JSAMPROW row;
        if (src.bpp == 8) {
            const uint8_t* s = src.row(y);
            uint8_t* d = line.data();
            for (int x = 0; x < src.width; ++x, d += 3) {
                const PaletteEntry& e = src.colorTable[s[x]];
                d[0] = e.blue;
                d[1] = e.green;
                d[2] = e.red;
            }
            row = line.data();
        } else {
            row = const_cast<JSAMPROW>(src.row(y));
        }
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    return CodecStatus::Ok;
}

}  // namespace

CodecStatus EncodeJpeg(const ImageSource& src, std::vector<uint8_t>& out)
{
    std::vector<uint8_t> line(size_t(src.width) * 3);
    jpeg_compress_struct cinfo;
    std::memset(&cinfo, 0, sizeof cinfo);
    ErrorManager err;
    InitErrors(err);
    cinfo.err = &err.pub;
    auto dest = std::make_unique<VectorDest>();
    dest->out = &out;
    const CodecStatus st = WriteJpeg(cinfo, err, src, line, *dest);
    jpeg_destroy_compress(&cinfo);
    if (st != CodecStatus::Ok)
        out.clear();
    return st;
}

}  // namespace tesvan::codec
