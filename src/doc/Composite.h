// Per-pixel blending of 32-bit images, shared by composition and import.
#pragma once

#include "doc/ImageEx.h"

int Mix(int ad, int as, int cd, int cs);
bool AlphaComposite(const CImageEx& src, CImageEx& dst, int dx, int dy, int width, int height,
                    int sx, int sy);
