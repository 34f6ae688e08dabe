// The flood fill tool works on how the cell looks: every pixel is taken as
// drawn over a near-white ground, and the area is the pixels connected to the
// seed that look the same colour. This floods that area straight from the
// layer into a bit mask, without a cell-sized picture of the look.
#pragma once

#include "doc/Geometry.h"
#include "doc/ImageEx.h"

#include <cstdint>
#include <vector>

// The ground the look is taken over.
constexpr uint32_t kFillGround = 0x00FFFFFEu;

// A 32-bit pixel with alpha (premultiplied) drawn over the ground:
// min(255, src + ground * (255 - srcA) / 255) per byte.
uint32_t LookOverGround(uint32_t src);

// The filled pixels of one cell: one bit per pixel, rows of whole 16-pixel
// words, and the rectangle they span (cell coordinates; empty when none).
struct CFillMask {
    int width = 0, height = 0, words = 0;  // words per row
    std::vector<uint16_t> bits;
    CRect box{0, 0, -1, -1};
    bool Empty() const { return box.left > box.right; }
    bool Test(int x, int y) const
    {
        return (bits[size_t(y) * words + x / 16] >> (x % 16)) & 1u;
    }
    const uint16_t* Row(int y) const { return bits.data() + size_t(y) * words; }
};

// Floods the cell at (x0, y0), w x h, of `image` from the cell point `seed`.
// False, with the mask untouched, for an image this does not read (other
// depths, a colour key on a 32-bit image, a 32-bit image without alpha) or a
// cell not wholly inside the image: the caller then takes the general way.
bool FloodByLook(const CImageEx& image, int x0, int y0, int w, int h, CPoint seed,
                 CFillMask& mask);
