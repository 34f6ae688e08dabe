// Writing one image as a picture file, the format chosen by the extension.
#pragma once

#include "doc/ImageEx.h"
#include "platform/ImageCodec.h"

#include <string>

// Ok, GeneralFailure (no encoder for the extension, unwritable file, encoder
// failure) or OutOfMemory. Nothing is written when no encoder matches.
tesvan::CodecStatus WriteImageFile(const std::string& path, const CImageEx& image);
