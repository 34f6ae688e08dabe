// Writing one image as a picture file, the format chosen by the extension.
#pragma once

#include "doc/ImageEx.h"
#include "platform/ImageCodec.h"

#include <string>

// Ok, GeneralFailure (no encoder for the extension, unwritable file, encoder
// failure) or OutOfMemory. Nothing is written when no encoder matches. On
// failure *error (optional) receives the message to show.
tesvan::CodecStatus WriteImageFile(const std::string& path, const CImageEx& image,
                                   std::string* error = nullptr);
