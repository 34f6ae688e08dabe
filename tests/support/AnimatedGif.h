// Hand-made animated GIFs for tests, written through giflib: a global table
// of four colours (0 black, 1 red, 2 green, 3 blue) and frames each with its
// own graphic control block.
#pragma once

#include <gif_lib.h>

#include <cstdint>
#include <vector>

struct GifFrameSpec {
    int left, top, width, height;
    int transparent;  // -1: none
    int disposal;     // DISPOSAL_UNSPECIFIED, DISPOSE_DO_NOT, DISPOSE_BACKGROUND, DISPOSE_PREVIOUS
    std::vector<uint8_t> pixels;
    bool control = true;  // false: no control block at all
};

inline std::vector<uint8_t> AnimatedGif(int width, int height, const std::vector<GifFrameSpec>& frames,
                                        int background = 0)
{
    std::vector<uint8_t> bytes;
    int err = 0;
    GifFileType* gif = EGifOpen(&bytes,
                                [](GifFileType* g, const GifByteType* b, int n) {
                                    auto* v = static_cast<std::vector<uint8_t>*>(g->UserData);
                                    v->insert(v->end(), b, b + n);
                                    return n;
                                },
                                &err);
    const GifColorType colours[4] = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    ColorMapObject* map = GifMakeMapObject(4, colours);
    EGifSetGifVersion(gif, true);
    EGifPutScreenDesc(gif, width, height, 2, background, map);
    for (const GifFrameSpec& f : frames) {
        if (f.control) {
            GraphicsControlBlock gcb{};
            gcb.DisposalMode = f.disposal;
            gcb.DelayTime = 10;
            gcb.TransparentColor = f.transparent < 0 ? NO_TRANSPARENT_COLOR : f.transparent;
            GifByteType ext[4];
            EGifGCBToExtension(&gcb, ext);
            EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, ext);
        }
        EGifPutImageDesc(gif, f.left, f.top, f.width, f.height, false, nullptr);
        for (int y = 0; y < f.height; ++y)
            EGifPutLine(gif, const_cast<GifPixelType*>(f.pixels.data() + size_t(y) * size_t(f.width)),
                        f.width);
    }
    EGifCloseFile(gif, &err);
    GifFreeMapObject(map);
    return bytes;
}

// Four frames on a 4 x 2 screen, one for each way a frame is disposed of:
//   1  leave, transparent 3, whole screen  R R G .    (. = not covered; the
//                                          G G . .     screen's fill is index 3)
//   2  background, transparent 0, (1,0) 2x2 draws 3 at (1,0) and (2,1)
//                                          R B G .
//                                          G G B .
//   3  previous, opaque, (3,1) 1x1 red     R . . .    (frame 2's rectangle
//                                          G . . R     went back to the fill)
//   4  no control block, (0,0) black       K . . .    (frame 3's pixel went
//                                          G . . .     back to what it was)
inline std::vector<GifFrameSpec> SampleGifFrames()
{
    return {
        {0, 0, 4, 2, 3, DISPOSE_DO_NOT, {1, 1, 2, 3, 2, 2, 3, 3}},
        {1, 0, 2, 2, 0, DISPOSE_BACKGROUND, {3, 0, 0, 3}},
        {3, 1, 1, 1, -1, DISPOSE_PREVIOUS, {1}},
        {0, 0, 1, 1, -1, DISPOSAL_UNSPECIFIED, {0}, false},
    };
}
