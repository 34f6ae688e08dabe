#include "platform/ImageCodec.h"

#include "platform/ImageCodecInternal.h"
#include "platform/SafeFile.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tesvan {

const char* CodecStatusText(CodecStatus status)
{
    switch (status) {
    case CodecStatus::Ok: return "ok";
    case CodecStatus::GeneralFailure: return "general failure";
    case CodecStatus::OutOfMemory: return "out of memory";
    case CodecStatus::UnknownFormat: return "unknown format";
    case CodecStatus::BadData: return "damaged or unsupported data";
    case CodecStatus::TooLarge: return "picture too large";
    case CodecStatus::InvalidArgument: return "invalid image";
    }
    return "?";
}

const std::vector<EncoderInfo>& GetImageEncoders()
{
    static const std::vector<EncoderInfo> encoders = {
        {"image/bmp", "*.BMP;*.DIB;*.RLE", ImageFormat::Bmp},
        {"image/jpeg", "*.JPG;*.JPEG;*.JPE;*.JFIF", ImageFormat::Jpeg},
        {"image/gif", "*.GIF", ImageFormat::Gif},
        {"image/tiff", "*.TIF;*.TIFF", ImageFormat::Tiff},
        {"image/png", "*.PNG", ImageFormat::Png},
    };
    return encoders;
}

std::string PathExtension(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot < nameStart)
        return {};
    return path.substr(dot);
}

namespace {

bool EqualsNoCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'a' && x <= 'z')
            x = static_cast<unsigned char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z')
            y = static_cast<unsigned char>(y - 'a' + 'A');
        if (x != y)
            return false;
    }
    return true;
}

}  // namespace

const EncoderInfo* FindEncoderForPath(const std::string& path)
{
    const std::string ext = PathExtension(path);
    if (ext.empty())
        return nullptr;
    for (const EncoderInfo& enc : GetImageEncoders()) {
        const std::string patterns = enc.patterns;
        size_t start = 0;
        while (start <= patterns.size()) {
            size_t end = patterns.find(';', start);
            if (end == std::string::npos)
                end = patterns.size();
            const std::string pattern = patterns.substr(start, end - start);
            const size_t dot = pattern.rfind('.');
            if (dot != std::string::npos && EqualsNoCase(pattern.substr(dot), ext))
                return &enc;
            start = end + 1;
        }
    }
    return nullptr;
}

ImageFormat SniffImageFormat(const uint8_t* data, size_t size)
{
    if (size >= 8 && std::memcmp(data, "\x89PNG\r\n\x1a\n", 8) == 0)
        return ImageFormat::Png;
    if (size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF)
        return ImageFormat::Jpeg;
    if (size >= 6 && (std::memcmp(data, "GIF87a", 6) == 0 || std::memcmp(data, "GIF89a", 6) == 0))
        return ImageFormat::Gif;
    if (size >= 4 && (std::memcmp(data, "II*\0", 4) == 0 || std::memcmp(data, "MM\0*", 4) == 0))
        return ImageFormat::Tiff;
    if (size >= 2 && data[0] == 'B' && data[1] == 'M')
        return ImageFormat::Bmp;
    if (size >= 12 && std::memcmp(data, "RIFF", 4) == 0 && std::memcmp(data + 8, "WEBP", 4) == 0)
        return ImageFormat::Webp;
    return ImageFormat::None;
}

CodecStatus DecodeImage(const uint8_t* data, size_t size, DecodedImage& out,
                        const DecodeLimits& limits)
{
    out = DecodedImage{};
    CodecStatus st = CodecStatus::UnknownFormat;
    try {
    switch (SniffImageFormat(data, size)) {
    case ImageFormat::Png: st = codec::DecodePng(data, size, out, limits); break;
    case ImageFormat::Jpeg: st = codec::DecodeJpeg(data, size, out, limits); break;
    case ImageFormat::Gif: st = codec::DecodeGif(data, size, out, limits); break;
    case ImageFormat::Tiff: st = codec::DecodeTiff(data, size, out, limits); break;
    case ImageFormat::Bmp: st = codec::DecodeBmp(data, size, out, limits); break;
    case ImageFormat::Webp: st = codec::DecodeWebp(data, size, out, limits); break;
    case ImageFormat::None: break;
    }
    } catch (const std::bad_alloc&) {
        st = CodecStatus::OutOfMemory;
    }
    if (st != CodecStatus::Ok)
        out = DecodedImage{};
    return st;
}

CodecStatus DecodeImageFile(const std::string& path, DecodedImage& out, const DecodeLimits& limits)
{
    out = DecodedImage{};
    std::vector<uint8_t> data;
    if (CodecStatus st = ReadImageFileBytes(path, data); st != CodecStatus::Ok)
        return st;
    return DecodeImage(data.data(), data.size(), out, limits);
}

bool ProbeImageSize(const uint8_t* data, size_t size, int& width, int& height)
{
    auto be32 = [&](size_t at) { return uint32_t(data[at]) << 24 | uint32_t(data[at + 1]) << 16 | uint32_t(data[at + 2]) << 8 | data[at + 3]; };
    auto le32 = [&](size_t at) { return uint32_t(data[at]) | uint32_t(data[at + 1]) << 8 | uint32_t(data[at + 2]) << 16 | uint32_t(data[at + 3]) << 24; };
    int64_t w = 0, h = 0;
    switch (SniffImageFormat(data, size)) {
    case ImageFormat::Png:
        if (size < 24)
            return false;
        w = be32(16);
        h = be32(20);
        break;
    case ImageFormat::Gif:
        if (size < 10)
            return false;
        w = data[6] | data[7] << 8;
        h = data[8] | data[9] << 8;
        break;
    case ImageFormat::Bmp:
        if (size < 26)
            return false;
        if (le32(14) == 12) {  // the old core header: 16-bit sizes
            w = data[18] | data[19] << 8;
            h = data[20] | data[21] << 8;
        } else {
            w = int32_t(le32(18));
            h = std::abs(int64_t(int32_t(le32(22))));
        }
        break;
    case ImageFormat::Webp:
        return codec::ProbeWebpSize(data, size, width, height);
    default:
        return false;
    }
    if (w <= 0 || h <= 0 || w > INT32_MAX || h > INT32_MAX)
        return false;
    width = int(w);
    height = int(h);
    return true;
}

int CountImageFramesIn(const uint8_t* data, size_t size)
{
    switch (SniffImageFormat(data, size)) {
    case ImageFormat::Gif: return CountGifFrames(data, size);
    case ImageFormat::Webp: return codec::CountWebpFrames(data, size);
    case ImageFormat::None: return 0;
    default: return 1;
    }
}

CodecStatus DecodeImageFrames(const uint8_t* data, size_t size, int maxFrames,
                              const std::function<bool(const DecodedImage&)>& frame,
                              const DecodeLimits& limits)
{
    if (maxFrames < 1)
        return CodecStatus::InvalidArgument;
    try {
        switch (SniffImageFormat(data, size)) {
        case ImageFormat::Gif:
            return DecodeGifFrames(data, size, GifFrameKey::Own, maxFrames, frame, limits);
        case ImageFormat::Webp:
            return codec::DecodeWebpFrames(data, size, maxFrames, frame, limits);
        default: {
            DecodedImage pic;
            const CodecStatus st = DecodeImage(data, size, pic, limits);
            if (st != CodecStatus::Ok)
                return st;
            return frame(pic) ? CodecStatus::Ok : CodecStatus::GeneralFailure;
        }
        }
    } catch (const std::bad_alloc&) {
        return CodecStatus::OutOfMemory;
    }
}

CodecStatus ReadImageFileBytes(const std::string& path, std::vector<uint8_t>& data)
{
    data.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return CodecStatus::GeneralFailure;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return CodecStatus::GeneralFailure;
    }
    // No picture within the limits needs a file this large.
    if (st.st_size > (off_t(1) << 30)) {
        ::close(fd);
        return CodecStatus::TooLarge;
    }
    try {
        data.resize(size_t(st.st_size));
    } catch (const std::bad_alloc&) {
        ::close(fd);
        return CodecStatus::OutOfMemory;
    }
    size_t got = 0;
    while (got < data.size()) {
        const ssize_t n = ::read(fd, data.data() + got, data.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += size_t(n);
    }
    ::close(fd);
    data.resize(got);
    return CodecStatus::Ok;
}

namespace {

CodecStatus CheckSource(const ImageSource& src)
{
    if (!src.bits || src.width <= 0 || src.height <= 0)
        return CodecStatus::InvalidArgument;
    if (src.bpp == 8) {
        if (!src.colorTable)
            return CodecStatus::InvalidArgument;
    } else if (src.bpp != 32) {
        return CodecStatus::InvalidArgument;
    }
    const int64_t rowBytes = int64_t(src.width) * (src.bpp / 8);
    if ((src.pitch < 0 ? -int64_t(src.pitch) : int64_t(src.pitch)) < rowBytes)
        return CodecStatus::InvalidArgument;
    return CodecStatus::Ok;
}

}  // namespace

CodecStatus EncodeImage(const ImageSource& src, ImageFormat format, std::vector<uint8_t>& out)
{
    out.clear();
    if (CodecStatus st = CheckSource(src); st != CodecStatus::Ok)
        return st;
    CodecStatus st = CodecStatus::UnknownFormat;
    try {
        switch (format) {
        case ImageFormat::Png: st = codec::EncodePng(src, out); break;
        case ImageFormat::Jpeg: st = codec::EncodeJpeg(src, out); break;
        case ImageFormat::Gif: st = codec::EncodeGif(src, out); break;
        case ImageFormat::Tiff: st = codec::EncodeTiff(src, out); break;
        case ImageFormat::Bmp: st = codec::EncodeBmp(src, out); break;
        case ImageFormat::Webp:
        case ImageFormat::None: break;
        }
    } catch (const std::bad_alloc&) {
        st = CodecStatus::OutOfMemory;
    }
    if (st != CodecStatus::Ok)
        out.clear();
    return st;
}

CodecStatus EncodeImageFile(const std::string& path, const ImageSource& src, std::string* error)
{
    const EncoderInfo* enc = FindEncoderForPath(path);
    if (!enc) {
        if (error)
            *error = path.substr(path.find_last_of('/') + 1) +
                     " に書き込めませんでした。この拡張子の画像形式には対応していません。";
        return CodecStatus::UnknownFormat;
    }
    std::vector<uint8_t> bytes;
    if (CodecStatus st = EncodeImage(src, enc->format, bytes); st != CodecStatus::Ok) {
        if (error)
            *error = WriteErrorText(path, st == CodecStatus::OutOfMemory ? ENOMEM : EINVAL);
        return st;
    }
    return WriteFileSafely(path, bytes.data(), bytes.size(), error) ? CodecStatus::Ok
                                                                     : CodecStatus::GeneralFailure;
}

}  // namespace tesvan
