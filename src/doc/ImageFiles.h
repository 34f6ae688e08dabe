// Reading and writing picture files as CImageEx, through the image codec
// service.
//
// Forms after loading:
//   indexed picture (1 to 8 bits)  8-bit image, its colour table from entry 0
//                                   (the rest black); a transparent palette
//                                   entry of the file becomes the image's
//                                   transparent index, else none (-1);
//   opaque true colour / grey      32-bit image without the alpha flag,
//                                   every alpha byte 255 (CImageEx holds no
//                                   24-bit form; fileBits reports 24);
//   picture with alpha             32-bit image with the alpha flag, straight
//                                   alpha.
#pragma once

#include "doc/ImageEx.h"
#include "platform/ImageCodec.h"

#include <functional>
#include <string>

// out is left as it was when the file cannot be read or decoded; it is
// empty if memory runs out while the image is built. fileBits (optional) receives the decoded
// form: 8, 24 or 32. status (optional) receives the codec's status.
bool LoadImageFile(const std::string& path, CImageEx& out, int* fileBits = nullptr,
                   tesvan::CodecStatus* status = nullptr);

// The frames of an animated picture (a GIF or WebP of several images); 1 for any
// other readable picture, 0 when the file cannot be read.
int CountImageFrames(const std::string& path);

// Each of the first maxFrames frames of an animated GIF or WebP, composed as a
// viewer shows them, as a 32-bit image with alpha (key: which pixels come
// out transparent), handed to `each`, which may stop the work by returning
// false. False, with the codec's status, when the file cannot be read or a
// frame is damaged.
bool LoadImageFrames(const std::string& path, tesvan::GifFrameKey key, int maxFrames,
                     const std::function<bool(CImageEx& frame)>& each,
                     tesvan::CodecStatus* status = nullptr);

// Builds the image from an already decoded picture (same forms as above);
// false, with out empty, when memory runs out.
bool ImageFromDecoded(const tesvan::DecodedImage& pic, CImageEx& out);

// Writes the image in the format the path's extension names; nothing is
// written when no encoder matches it. An existing file is replaced only
// after the new one has been written completely.
bool SaveImageFile(const CImageEx& img, const std::string& path,
                   tesvan::CodecStatus* status = nullptr, std::string* error = nullptr);

// The image's pixels as the codec service's source description (no copy).
tesvan::ImageSource ImageSourceOf(const CImageEx& img, tesvan::PaletteEntry table[256]);
