// Image codec service: reads and writes PNG, JPEG, GIF, TIFF and BMP files,
// and reads WebP.
//
// Decoding delivers one of three plain forms (DecodedImage):
//   8 bits   an indexed picture of 1 to 8 bits per pixel, indices widened to
//            one byte, with its colour table (1 to 256 entries); a single
//            fully transparent palette entry (GIF transparent index, PNG tRNS
//            with one zero entry and the rest opaque) is noted in
//            transparentIndex, the pixels stay indexed;
//   24 bits  an opaque true-colour or greyscale picture, bytes blue, green, red;
//   32 bits  a picture with alpha, bytes blue, green, red, alpha, straight
//            (not premultiplied) alpha.
// 16-bit channels are rounded to 8 bits: (v * 255 + 32767) / 65535.
// Rows are top-down and tightly packed (stride = width * bpp / 8).
//
// What each encoder writes:
//            8-bit source                 32-bit with alpha            32-bit opaque
//   PNG      indexed, 256-entry table     RGBA, straight alpha         RGB
//   GIF      256-entry table              index 0 transparent for      up to 256 colours
//                                         alpha 0, the rest reduced
//                                         to at most 255 colours
//   BMP      8 bits, 256-entry table      32 bits, version-5 header    24 bits
//                                         with an alpha mask
//   TIFF     RGB of the table's colours   RGBA, unassociated alpha     RGB
//   JPEG     the table's colours          colours only, alpha dropped  colours
// Indexed output carries no transparency. GIF colour reduction is exact up
// to the colour count given and median cut beyond it; partly transparent
// pixels are written opaque.
//
// The format of a file is recognised by its content, not by its name, so a
// picture with a misleading extension still loads. Encoding picks the format
// by the path's extension through the encoder list.
//
// Every failure is a status to the caller: no library writes to stderr, no
// error aborts the process, and a picture whose declared size exceeds the
// limits is refused before its pixels are allocated.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tesvan {

enum class CodecStatus {
    Ok = 0,
    GeneralFailure,   // unreadable or unwritable file, encoder failure
    OutOfMemory,
    UnknownFormat,    // content matches no decoder, or extension no encoder
    BadData,          // damaged or truncated file, unsupported variant
    TooLarge,         // declared size beyond DecodeLimits
    InvalidArgument,  // source image not 8 or 32 bits, null bits, bad size
};

const char* CodecStatusText(CodecStatus status);

// Colour-table entry in the byte order of a bitmap colour table.
struct PaletteEntry {
    uint8_t blue = 0;
    uint8_t green = 0;
    uint8_t red = 0;
    uint8_t reserved = 0;
    bool operator==(const PaletteEntry&) const = default;
};

struct DecodedImage {
    int width = 0;
    int height = 0;
    int bpp = 0;            // 8, 24 or 32
    bool hasAlpha = false;  // true exactly when bpp == 32
    int transparentIndex = -1;
    int sourceBits = 0;     // bits per pixel as stored in the file (1..64), for information
    int delayMs = 0;        // a frame of an animation: how long it shows
    std::vector<uint8_t> pixels;        // top-down, stride() bytes per row
    std::vector<PaletteEntry> palette;  // 8 bits only: 1..256 entries

    size_t stride() const { return size_t(width) * size_t(bpp / 8); }
    uint8_t* row(int y) { return pixels.data() + size_t(y) * stride(); }
    const uint8_t* row(int y) const { return pixels.data() + size_t(y) * stride(); }
};

// Largest picture a decoder accepts. The defaults keep one decoded picture
// at 256 MB at most (64 M pixels of 4 bytes), so the picture and its copy
// in the editor stay well below 1 GB; a long strip of frames may still be
// up to 262144 pixels on one side.
struct DecodeLimits {
    int maxSide = 1 << 18;
    int64_t maxPixels = int64_t(1) << 26;
};

// The pixels of one image to encode, addressed the way CImageEx keeps them:
// row y starts at bits + y * pitch (pitch negative for bottom-up storage).
// 8 bits: indices into colorTable (256 entries). 32 bits: blue, green, red,
// alpha bytes; alpha is used only when hasAlpha is set.
struct ImageSource {
    const uint8_t* bits = nullptr;
    ptrdiff_t pitch = 0;
    int width = 0;
    int height = 0;
    int bpp = 0;  // 8 or 32
    bool hasAlpha = false;
    const PaletteEntry* colorTable = nullptr;  // 256 entries for 8 bits
    // PNG only: the deflate level (1 fastest .. 9 smallest).
    int pngLevel = 6;

    const uint8_t* row(int y) const { return bits + ptrdiff_t(y) * pitch; }
};

// WebP is read only: no encoder names it (animations have their own).
enum class ImageFormat { None, Bmp, Jpeg, Gif, Tiff, Png, Webp };

struct EncoderInfo {
    const char* id;        // stable identifier, e.g. "image/png"
    const char* patterns;  // ";"-separated file-name patterns, e.g. "*.PNG"
    ImageFormat format;
};

// The encoders in their fixed order: BMP, JPEG, GIF, TIFF, PNG.
const std::vector<EncoderInfo>& GetImageEncoders();

// Extension as the path's last "." of the file name onward, dot included;
// empty when the file name has none.
std::string PathExtension(const std::string& path);

// First encoder (in list order, patterns in order) whose pattern extension
// equals the path's extension without regard to case; null when none does.
const EncoderInfo* FindEncoderForPath(const std::string& path);

ImageFormat SniffImageFormat(const uint8_t* data, size_t size);

CodecStatus DecodeImage(const uint8_t* data, size_t size, DecodedImage& out,
                        const DecodeLimits& limits = {});
CodecStatus DecodeImageFile(const std::string& path, DecodedImage& out,
                            const DecodeLimits& limits = {});

// The whole file as it is on disk, within the size any picture may have.
CodecStatus ReadImageFileBytes(const std::string& path, std::vector<uint8_t>& data);

// Animated GIF. A viewer composes the frames one after another on the
// logical screen: a frame's transparent index leaves what lies beneath, and
// after a frame its rectangle is left as it is, cleared back to the screen's
// fill ("background") or restored to what it was before the frame
// ("previous"). The fill is what the first picture shows outside its frame
// (DecodeImage): the first frame's transparent index, else the background
// index.

// The complete images of a GIF file; 0 for another format or an unreadable
// start. A damaged or cut-off tail ends the count.
int CountGifFrames(const uint8_t* data, size_t size);

// Which pixels of a composed frame come out transparent (alpha 0); all
// others are opaque.
enum class GifFrameKey {
    Own,     // those no frame has covered (the file's own transparency)
    Index0,  // those showing index 0 (the fill's index where uncovered)
    None,    // none
};

// Composes the first maxFrames frames and hands each, as a 32-bit picture
// of the screen's size, to `frame` (which may stop the work by returning
// false: GeneralFailure). Fails on any damage within those frames.
CodecStatus DecodeGifFrames(const uint8_t* data, size_t size, GifFrameKey key, int maxFrames,
                            const std::function<bool(const DecodedImage&)>& frame,
                            const DecodeLimits& limits = {});

// The size a PNG, GIF, BMP or WebP declares in its header, without reading
// further (to name it when the picture is refused); false for other formats.
bool ProbeImageSize(const uint8_t* data, size_t size, int& width, int& height);

// The frames of any picture as a viewer shows them: an animated GIF or
// WebP frame by frame (GIF with its own transparency), each a 32-bit
// picture of the screen's size with its display time; any other picture
// as its single frame in its decoded form (delayMs 0).
int CountImageFramesIn(const uint8_t* data, size_t size);
CodecStatus DecodeImageFrames(const uint8_t* data, size_t size, int maxFrames,
                              const std::function<bool(const DecodedImage&)>& frame,
                              const DecodeLimits& limits = {});

// JPEG quality used by the encoder (0..100); 4:4:4 sampling keeps the hard
// colour edges of pixel art.
constexpr int kJpegQuality = 90;

CodecStatus EncodeImage(const ImageSource& src, ImageFormat format, std::vector<uint8_t>& out);

// Encodes by the path's extension and writes the file through the file
// writer (SafeFile.h), so a failed write leaves an existing file intact.
// UnknownFormat (nothing written) when no encoder matches the extension. On
// failure *error (optional) receives the message to show.
CodecStatus EncodeImageFile(const std::string& path, const ImageSource& src,
                            std::string* error = nullptr);

// An animation: frames of one size and depth shown in turn, looping. 8-bit
// frames share the first frame's colour table; transparentIndex (8 bits) is
// the index shown as transparent, or -1. In 32-bit frames alpha counts only
// where hasAlpha is set.
struct AnimationSource {
    std::vector<ImageSource> frames;
    std::vector<int> delaysMs;        // one per frame, how long it shows
    int transparentIndex = -1;
};

// Looping animated GIF. Delays in hundredths of a second, rounded, at least
// 2 (viewers play shorter delays at their own pace). 32-bit frames: alpha
// below 128 is the transparent colour (index 0), the rest opaque; colours
// are exact up to 255 over all frames, median cut beyond. 8-bit frames keep
// their colour table and indices.
CodecStatus EncodeAnimatedGif(const AnimationSource& anim, std::vector<uint8_t>& out);
// Looping lossless animated WebP with full alpha.
CodecStatus EncodeAnimatedWebP(const AnimationSource& anim, std::vector<uint8_t>& out);

}  // namespace tesvan
