// The run-length pixel code of layer records, paste pieces and undo regions.
#pragma once

#include "doc/BynaryBuffer.h"
#include "doc/ImageEx.h"

#include <cstdint>

uint32_t Compress8(const CImageEx& image, int x, int y, int width, int height, uint8_t offset,
                   CBynaryBuffer& buffer);
uint32_t Compress32(const CImageEx& image, int x, int y, int width, int height,
                    CBynaryBuffer& buffer);
void Decompress8(const CBynaryBuffer& buffer, CImageEx& image, int width, int height,
                 uint8_t offset);
void Decompress32(const CBynaryBuffer& buffer, CImageEx& image, int width, int height);
