// WebP pictures in, still or animated, through libwebp's demux and its
// animation decoder (which composes each frame on the canvas as a viewer
// shows it).
#include "platform/ImageCodecInternal.h"

#include <webp/decode.h>
#include <webp/demux.h>

#include <cstring>

namespace tesvan::codec {

namespace {

struct DemuxCloser {
    WebPDemuxer* demux;
    ~DemuxCloser() { WebPDemuxDelete(demux); }
};

struct AnimCloser {
    WebPAnimDecoder* dec;
    ~AnimCloser() { WebPAnimDecoderDelete(dec); }
};

// A frame shown for no time at all plays, as browsers play it, at 100 ms.
int FrameDelay(int ms) { return ms > 0 ? ms : 100; }

}  // namespace

int CountWebpFrames(const uint8_t* data, size_t size)
{
    if (SniffImageFormat(data, size) != ImageFormat::Webp)
        return 0;
    const WebPData wd{data, size};
    DemuxCloser d{WebPDemux(&wd)};
    if (!d.demux)
        return 0;
    return int(WebPDemuxGetI(d.demux, WEBP_FF_FRAME_COUNT));
}

bool ProbeWebpSize(const uint8_t* data, size_t size, int& width, int& height)
{
    const WebPData wd{data, size};
    DemuxCloser d{WebPDemuxPartial(&wd, nullptr)};
    if (!d.demux)
        return false;
    width = int(WebPDemuxGetI(d.demux, WEBP_FF_CANVAS_WIDTH));
    height = int(WebPDemuxGetI(d.demux, WEBP_FF_CANVAS_HEIGHT));
    return width > 0 && height > 0;
}

CodecStatus DecodeWebp(const uint8_t* data, size_t size, DecodedImage& out, const DecodeLimits& limits)
{
    return DecodeWebpFrames(data, size, 1, [&](const DecodedImage& first) {
        out = first;
        out.delayMs = 0;
        return true;
    }, limits);
}

CodecStatus DecodeWebpFrames(const uint8_t* data, size_t size, int maxFrames,
                             const std::function<bool(const DecodedImage&)>& sink,
                             const DecodeLimits& limits)
{
    const WebPData wd{data, size};
    {
        // The canvas is checked before the decoder allocates it.
        DemuxCloser d{WebPDemux(&wd)};
        if (!d.demux)
            return CodecStatus::BadData;
        const CodecStatus st = CheckSize(WebPDemuxGetI(d.demux, WEBP_FF_CANVAS_WIDTH),
                                         WebPDemuxGetI(d.demux, WEBP_FF_CANVAS_HEIGHT), limits);
        if (st != CodecStatus::Ok)
            return st;
    }
    WebPAnimDecoderOptions options;
    if (!WebPAnimDecoderOptionsInit(&options))
        return CodecStatus::GeneralFailure;
    options.color_mode = MODE_BGRA;  // straight alpha, the byte order of DecodedImage
    options.use_threads = 0;
    AnimCloser a{WebPAnimDecoderNew(&wd, &options)};
    if (!a.dec)
        return CodecStatus::BadData;
    WebPAnimInfo info;
    if (!WebPAnimDecoderGetInfo(a.dec, &info))
        return CodecStatus::BadData;
    DecodedImage frame;
    CodecStatus st = Allocate(frame, int(info.canvas_width), int(info.canvas_height), 32);
    if (st != CodecStatus::Ok)
        return st;
    frame.sourceBits = 32;
    int count = 0;
    int previous = 0;
    while (count < maxFrames && WebPAnimDecoderHasMoreFrames(a.dec)) {
        uint8_t* buf = nullptr;
        int timestamp = 0;  // when this frame ends
        if (!WebPAnimDecoderGetNext(a.dec, &buf, &timestamp) || !buf)
            return CodecStatus::BadData;
        std::memcpy(frame.pixels.data(), buf, frame.pixels.size());
        frame.delayMs = FrameDelay(timestamp - previous);
        previous = timestamp;
        ++count;
        if (!sink(frame))
            return CodecStatus::GeneralFailure;
    }
    return count > 0 ? CodecStatus::Ok : CodecStatus::BadData;
}

}  // namespace tesvan::codec
