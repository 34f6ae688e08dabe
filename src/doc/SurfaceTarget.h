// Binds a layer or working image to the raster surface, which knows nothing
// of images.
#pragma once

#include "doc/ImageEx.h"
#include "platform/Surface.h"

static_assert(sizeof(RGBQUAD) == 4, "colour table entries must be B, G, R, X bytes");

inline PixelTarget MakePixelTarget(CImageEx& image)
{
    PixelTarget t;
    if (image.IsNull())
        return t;
    t.bits = image.GetRow(0);
    t.pitch = image.GetPitch();
    t.width = image.GetWidth();
    t.height = image.GetHeight();
    t.bpp = image.GetBPP();
    t.colorTable = image.GetBPP() == 8 ? reinterpret_cast<const uint8_t*>(image.ColorTable())
                                       : nullptr;
    return t;
}
