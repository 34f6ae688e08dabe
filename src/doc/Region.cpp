#include "doc/Region.h"

#include <algorithm>
#include <cstring>

namespace {

// Walks the source rectangle in unit order, handing each (x, y) target to
// put; targets outside the image are dropped.
template <int Bytes>
void PutUnits(const CLayerRegion& region, CImageEx& image, int a, int b, bool rotated, int flip,
              bool opaque)
{
    if (image.IsNull() || image.GetBPP() != Bytes * 8)
        return;
    const int64_t w64 = int64_t(region.right) - region.left + 1;
    const int64_t h64 = int64_t(region.bottom) - region.top + 1;
    if (w64 <= 0 || h64 <= 0)
        return;
    const int w = int(w64), h = int(h64);
    const uint8_t* p = region.data.GetData();
    const uint32_t units = p ? region.data.GetSize() / (Bytes + 1) : 0;
    const int imgW = image.GetWidth(), imgH = image.GetHeight();
    const bool fc = flip & FLIP_COLUMNS, fr = flip & FLIP_ROWS;

    // Target of source pixel (i, j): x = ox + j * xj + i * xi, y likewise.
    int64_t ox, oy, xj, xi, yj, yi;
    if (!rotated) {
        ox = fc ? int64_t(a) + w - 1 : a;
        xj = fc ? -1 : 1;
        xi = 0;
        oy = fr ? int64_t(b) + h - 1 : b;
        yi = fr ? -1 : 1;
        yj = 0;
    } else {
        ox = fr ? a : int64_t(a) + h - 1;
        xi = fr ? 1 : -1;
        xj = 0;
        oy = fc ? int64_t(b) + w - 1 : b;
        yj = fc ? -1 : 1;
        yi = 0;
    }

    int i = 0, j = 0;
    for (uint32_t u = 0; u < units && i < h; ++u, p += Bytes + 1) {
        int count = p[Bytes];
        uint8_t value[4];
        std::memcpy(value, p, Bytes);
        bool zero = true;
        for (int k = 0; k < Bytes; ++k)
            zero = zero && value[k] == 0;
        const bool write = opaque || !zero;
        while (count > 0 && i < h) {
            const int n = std::min(count, w - j);
            if (write) {
                for (int k = 0; k < n; ++k) {
                    const int64_t x = ox + int64_t(j + k) * xj + int64_t(i) * xi;
                    const int64_t y = oy + int64_t(j + k) * yj + int64_t(i) * yi;
                    if (x >= 0 && y >= 0 && x < imgW && y < imgH)
                        std::memcpy(image.GetRow(int(y)) + x * Bytes, value, Bytes);
                }
            }
            count -= n;
            j += n;
            if (j == w) {
                j = 0;
                ++i;
            }
        }
    }
}

}  // namespace

void PutRegion8(const CLayerRegion& region, CImageEx& image, int x, int y, bool rotated,
                int flip, bool opaque)
{
    PutUnits<1>(region, image, x, y, rotated, flip, opaque);
}

void PutRegion32(const CLayerRegion& region, CImageEx& image, int x, int y, bool rotated,
                 int flip, bool opaque)
{
    PutUnits<4>(region, image, x, y, rotated, flip, opaque);
}

void PutRegion(const CLayerRegion& region, CImageEx& image, int x, int y, bool rotated, int flip,
               bool opaque)
{
    if (image.GetBPP() == 8)
        PutRegion8(region, image, x, y, rotated, flip, opaque);
    else
        PutRegion32(region, image, x, y, rotated, flip, opaque);
}
