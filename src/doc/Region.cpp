#include "doc/Region.h"

#include "doc/TesvanDoc.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

namespace {

// Walks the source rectangle in unit order, writing each pixel to its (x, y)
// target; targets outside the clip (inclusive, within the image) are dropped.
template <int Bytes>
void PutUnits(const CLayerRegion& region, CImageEx& image, int a, int b, bool rotated, int flip,
              bool opaque, CRect clip)
{
    if (image.IsNull() || image.GetBPP() != Bytes * 8)
        return;
    const int64_t w64 = int64_t(region.right) - region.left + 1;
    const int64_t h64 = int64_t(region.bottom) - region.top + 1;
    if (w64 <= 0 || h64 <= 0 || w64 > INT32_MAX || h64 > INT32_MAX)
        return;
    const int w = int(w64), h = int(h64);
    const uint8_t* p = region.data.GetData();
    const uint32_t units = p ? region.data.GetSize() / (Bytes + 1) : 0;
    const int64_t minX = std::max(clip.left, 0), minY = std::max(clip.top, 0);
    const int64_t endX = std::min<int64_t>(int64_t(clip.right) + 1, image.GetWidth());
    const int64_t endY = std::min<int64_t>(int64_t(clip.bottom) + 1, image.GetHeight());
    if (minX >= endX || minY >= endY)
        return;
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
                    if (x >= minX && y >= minY && x < endX && y < endY)
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

CRect WholeImage(const CImageEx& image)
{
    return CRect{0, 0, image.GetWidth() - 1, image.GetHeight() - 1};
}

}  // namespace

void PutRegion8(const CLayerRegion& region, CImageEx& image, int x, int y, bool rotated,
                int flip, bool opaque)
{
    PutUnits<1>(region, image, x, y, rotated, flip, opaque, WholeImage(image));
}

void PutRegion32(const CLayerRegion& region, CImageEx& image, int x, int y, bool rotated,
                 int flip, bool opaque)
{
    PutUnits<4>(region, image, x, y, rotated, flip, opaque, WholeImage(image));
}

void PutRegionClipped(const CLayerRegion& region, CImageEx& image, int x, int y, bool rotated,
                      int flip, bool opaque, const CRect& clip)
{
    if (image.GetBPP() == 8)
        PutUnits<1>(region, image, x, y, rotated, flip, opaque, clip);
    else
        PutUnits<4>(region, image, x, y, rotated, flip, opaque, clip);
}

void PutRegion(const CLayerRegion& region, CImageEx& image, int x, int y, bool rotated, int flip,
               bool opaque)
{
    if (image.GetBPP() == 8)
        PutRegion8(region, image, x, y, rotated, flip, opaque);
    else
        PutRegion32(region, image, x, y, rotated, flip, opaque);
}

// ---------------------------------------------------------------- the floating paste

namespace {

struct PastePart {
    int x, y, flip;
    bool clipped;  // to the current cell
};

int FloorMod(int a, int m)
{
    const int r = a % m;
    return r < 0 ? r + m : r;
}

// Where the copies of the paste go, in writing order: later parts are written
// over earlier ones, so the paste's own place comes last.
std::vector<PastePart> PasteParts(const CTesvanDoc& doc, CRect& cell)
{
    const int W = doc.m_nCellWidth, H = doc.m_nCellHeight;
    const int ox = doc.m_nEditColumn * W, oy = doc.m_nEditRow * H;
    cell = CRect{ox, oy, ox + W - 1, oy + H - 1};
    const CRect& at = doc.m_rcSel;
    const int symmetry = doc.m_Aids.nSymmetry & SYMMETRY_BOTH;
    const bool wrap = doc.m_Aids.bWrap != 0;
    const int w = at.right - at.left + 1, h = at.bottom - at.top + 1;
    std::vector<PastePart> parts;
    if ((!wrap && symmetry == SYMMETRY_NONE) || W <= 0 || H <= 0 || w <= 0 || h <= 0) {
        parts.push_back(PastePart{at.left, at.top, doc.m_nPasteFlip, false});
        return parts;
    }
    // The screen's columns are the source's rows once the paste is turned.
    const bool rotated = doc.m_bPasteRotated != 0;
    const int flipX = rotated ? FLIP_ROWS : FLIP_COLUMNS;
    const int flipY = rotated ? FLIP_COLUMNS : FLIP_ROWS;
    const CPoint a{at.left - ox, at.top - oy}, b{at.right - ox, at.bottom - oy};
    const std::vector<CPoint> ma = MirroredPoints(a, W, H, symmetry);
    const std::vector<CPoint> mb = MirroredPoints(b, W, H, symmetry);
    for (size_t k = ma.size(); k-- > 0;) {
        // A mirror swaps the corners along its axis; the content turns with it.
        const bool mx = ma[k].x > mb[k].x, my = ma[k].y > mb[k].y;
        const int flip = doc.m_nPasteFlip ^ (mx ? flipX : 0) ^ (my ? flipY : 0);
        const int left = ox + std::min(ma[k].x, mb[k].x), top = oy + std::min(ma[k].y, mb[k].y);
        if (!wrap) {
            parts.push_back(PastePart{left, top, flip, k != 0});
            continue;
        }
        // From its corner brought into the cell, the copy and its shifts by
        // whole cells to the left and up: what runs over the right or
        // bottom edge comes in on the left or top.
        const int x0 = ox + FloorMod(left - ox, W), y0 = oy + FloorMod(top - oy, H);
        for (int y = y0; y + h - 1 >= cell.top; y -= H)
            for (int x = x0; x + w - 1 >= cell.left; x -= W)
                parts.push_back(PastePart{x, y, flip, true});
    }
    return parts;
}

}  // namespace

void PutPaste(const CTesvanDoc& doc, const CLayerRegion& piece, CImageEx& image, bool opaque)
{
    const bool rotated = doc.m_bPasteRotated != 0;
    if (!doc.m_Aids.bWrap && (doc.m_Aids.nSymmetry & SYMMETRY_BOTH) == SYMMETRY_NONE) {
        PutRegion(piece, image, doc.m_rcSel.left, doc.m_rcSel.top, rotated, doc.m_nPasteFlip, opaque);
        return;
    }
    CRect cell;
    for (const PastePart& p : PasteParts(doc, cell)) {
        if (p.clipped)
            PutRegionClipped(piece, image, p.x, p.y, rotated, p.flip, opaque, cell);
        else
            PutRegion(piece, image, p.x, p.y, rotated, p.flip, opaque);
    }
}

CRect PasteBounds(const CTesvanDoc& doc)
{
    CRect cell;
    const int w = doc.m_rcSel.right - doc.m_rcSel.left, h = doc.m_rcSel.bottom - doc.m_rcSel.top;
    bool any = false;
    CRect out = doc.m_rcSel;
    for (const PastePart& p : PasteParts(doc, cell)) {
        CRect r{p.x, p.y, p.x + w, p.y + h};
        if (p.clipped)
            r = CRect{std::max(r.left, cell.left), std::max(r.top, cell.top),
                      std::min(r.right, cell.right), std::min(r.bottom, cell.bottom)};
        if (r.left > r.right || r.top > r.bottom)
            continue;
        out = any ? CRect{std::min(out.left, r.left), std::min(out.top, r.top),
                          std::max(out.right, r.right), std::max(out.bottom, r.bottom)}
                  : r;
        any = true;
    }
    return out;
}
