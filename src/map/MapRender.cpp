#include "map/MapRender.h"

#include "doc/TesvanDoc.h"
#include "doc/kernels/RowKernels.h"

#include <algorithm>
#include <cstring>

// ---------------------------------------------------------------- chip cache

bool CChipCache::Update(CTesvanDoc& doc)
{
    const bool geometry = m_nCellWidth != doc.m_nCellWidth || m_nCellHeight != doc.m_nCellHeight ||
                          m_nColumns != doc.m_nColumns || m_nRows != doc.m_nRows ||
                          m_nBits != doc.m_nBitCount || m_img.IsNull();
    if (geometry) {
        m_img.Destroy();
        m_img8.Destroy();
        m_nCellWidth = doc.m_nCellWidth;
        m_nCellHeight = doc.m_nCellHeight;
        m_nColumns = doc.m_nColumns;
        m_nRows = doc.m_nRows;
        m_nBits = doc.m_nBitCount;
        if (m_nColumns <= 0 || m_nRows <= 0 || m_nCellWidth <= 0 || m_nCellHeight <= 0)
            return false;
        if (!m_img.CreateEx(doc.SheetWidth(), doc.SheetHeight(), 32, CImageEx::createAlphaChannel) ||
            (m_nBits == 8 && !m_img8.CreateEx(doc.SheetWidth(), doc.SheetHeight(), 8))) {
            m_img.Destroy();
            m_nBits = 0;
            return false;
        }
        const size_t cells = size_t(m_nColumns) * m_nRows;
        m_Look.assign(cells, 0);
        m_Valid.assign(cells, 0);
        m_Coverage.assign(cells, kBare);
        m_Flipped.assign(cells * 8, {});
    }
    if (m_nAll != doc.m_nLookAll) {
        std::fill(m_Valid.begin(), m_Valid.end(), 0);
        m_nAll = doc.m_nLookAll;
    }
    const bool counted = doc.m_CellLook.size() == m_Valid.size();
    for (int r = 0; r < m_nRows; ++r) {
        // Runs of stale cells of a row are composed together.
        int c = 0;
        while (c < m_nColumns) {
            auto stale = [&](int col) {
                const size_t n = size_t(r) * m_nColumns + col;
                return !m_Valid[n] || (counted && m_Look[n] != doc.m_CellLook[n]);
            };
            if (!stale(c)) {
                ++c;
                continue;
            }
            int e = c;
            while (e + 1 < m_nColumns && stale(e + 1))
                ++e;
            Compose(doc, r, c, e);
            c = e + 1;
        }
    }
    return true;
}

void CChipCache::Compose(CTesvanDoc& doc, int row, int c0, int c1)
{
    const int left = c0 * m_nCellWidth, right = (c1 + 1) * m_nCellWidth - 1;
    const int top = row * m_nCellHeight, bottom = top + m_nCellHeight - 1;
    const int width = right - left + 1;
    if (m_nBits == 8) {
        m_img8.SetColorTable(0, 256, doc.m_Palette);
        m_img8.SetTransparentColor(0);
        doc.ComposeInto(m_img8, false, left, top, right, bottom, false);
        // Index 0 is the export's transparent colour.
        uint32_t colours[256];
        colours[0] = 0;
        for (int i = 1; i < 256; ++i) {
            const RGBQUAD& q = doc.m_Palette[i];
            colours[i] = 0xFF000000u | uint32_t(q.rgbRed) << 16 | uint32_t(q.rgbGreen) << 8 | q.rgbBlue;
        }
        for (int y = top; y <= bottom; ++y) {
            const uint8_t* s = m_img8.GetRow(y) + left;
            uint32_t* d = reinterpret_cast<uint32_t*>(m_img.GetRow(y)) + left;
            for (int x = 0; x < width; ++x)
                d[x] = colours[s[x]];
        }
    } else {
        doc.ComposeInto(m_img, false, left, top, right, bottom, false);
    }
    const bool counted = doc.m_CellLook.size() == m_Valid.size();
    for (int c = c0; c <= c1; ++c) {
        const size_t n = size_t(row) * m_nColumns + c;
        bool anyClear = false, anySet = false;
        for (int y = top; y <= bottom && !(anyClear && anySet); ++y) {
            const uint8_t* p = m_img.GetRow(y) + size_t(c) * m_nCellWidth * 4;
            for (int x = 0; x < m_nCellWidth; ++x) {
                if (p[4 * x + 3] == 255)
                    anySet = true;
                else if (p[4 * x + 3] == 0 && (p[4 * x] | p[4 * x + 1] | p[4 * x + 2]) == 0)
                    anyClear = true;
                else
                    anyClear = anySet = true;
            }
        }
        m_Coverage[n] = !anySet ? kBare : anyClear ? kMixed : kOpaque;
        for (int f = 0; f < 8; ++f)
            m_Flipped[n * 8 + size_t(f)] = Kept{};
        m_Valid[n] = 1;
        m_Look[n] = counted ? doc.m_CellLook[n] : 0;
        ++m_nComposed;
    }
}

CChipCache::Variant CChipCache::Flipped(int cell, uint32_t flips) const
{
    Kept& k = m_Flipped[size_t(cell) * 8 + (flips >> 29)];
    if (k.pixels.empty()) {
        const int w = m_nCellWidth, h = m_nCellHeight;
        k.pixels.resize(size_t(w) * h);
        k.rows.resize(size_t(h));
        for (int y = 0; y < h; ++y) {
            uint32_t* row = &k.pixels[size_t(y) * w];
            for (int x = 0; x < w; ++x) {
                int sx, sy;
                row[x] = chip::SourcePixel(flips, w, h, x, y, sx, sy)
                             ? reinterpret_cast<const uint32_t*>(ChipRow(cell, sy))[sx]
                             : 0u;
            }
            int lo = 0, hi = w;
            while (lo < w && row[lo] == 0)
                ++lo;
            while (hi > lo && row[hi - 1] == 0)
                --hi;
            bool opaque = true;
            for (int x = lo; x < hi && opaque; ++x)
                opaque = (row[x] >> 24) == 255;
            // Cells are at most 65535 pixels wide (the sheet's limit).
            k.rows[size_t(y)] = RowSpan{uint16_t(lo), uint16_t(hi), opaque};
        }
    }
    return {k.pixels.data(), k.rows.data()};
}

// ---------------------------------------------------------------- rendering

namespace {

// A chip row is a few dozen bytes: copied inline in 16-byte steps rather
// than through a library call per row.
inline void CopyPixels(uint32_t* d, const uint32_t* s, int n)
{
    int x = 0;
    for (; x + 4 <= n; x += 4) {
        uint8_t b[16];
        std::memcpy(b, s + x, 16);
        std::memcpy(d + x, b, 16);
    }
    for (; x < n; ++x)
        d[x] = s[x];
}

// src over dst for n pixels, as the composition blends: opaque pixels are
// copied and clear ones skipped without the blend's arithmetic, which is
// most of a chip's pixels.
void Over(const uint32_t* src, uint32_t* dst, int n)
{
    int x = 0;
    while (x < n) {
        const uint32_t a = src[x] >> 24;
        if (a == 255) {
            dst[x] = src[x];
            ++x;
        } else if (a == 0 && (src[x] & 0xFFFFFF) == 0) {
            ++x;
        } else {
            int e = x + 1;
            while (e < n && (src[e] >> 24) != 255 && src[e] != 0)
                ++e;
            blit::BlendRow(reinterpret_cast<const uint8_t*>(src + x), reinterpret_cast<uint8_t*>(dst + x), e - x);
            x = e;
        }
    }
}

} // namespace

void RenderMap(const CChipMap& map, const CChipCache& chips, const CPixelTarget& target,
               const CMapRenderOptions& options)
{
    // Each pixel is cleared at most once: cells with something to draw are
    // covered whole by their bottom chip, so only the rest is cleared.
    auto clear = [&](int xa, int xb, int ya, int yb) {
        xa = std::max(xa, 0), xb = std::min(xb, target.width);
        ya = std::max(ya, 0), yb = std::min(yb, target.height);
        if (xa < xb)
            for (int y = ya; y < yb; ++y)
                std::memset(target.Row(y) + std::ptrdiff_t(xa) * 4, 0, size_t(xb - xa) * 4);
    };
    const int w = chips.CellWidth(), h = chips.CellHeight();
    const int z = std::clamp(options.zoom, 1, 16);
    const int cw = w * z, ch = h * z;   // a chip on the target
    const int ox = options.originX, oy = options.originY;
    if (w <= 0 || h <= 0 || map.nWidth <= 0 || map.nHeight <= 0 || chips.Cells() <= 0 ||
        ox + target.width <= 0 || oy + target.height <= 0) {
        clear(0, target.width, 0, target.height);
        return;
    }
    // The map cells the target shows.
    const int i0 = std::max(0, ox / cw), j0 = std::max(0, oy / ch);
    const int i1 = std::min(map.nWidth - 1, int((int64_t(ox) + target.width - 1) / cw));
    const int j1 = std::min(map.nHeight - 1, int((int64_t(oy) + target.height - 1) / ch));
    if (i0 > i1 || j0 > j1) {
        clear(0, target.width, 0, target.height);
        return;
    }
    // Around the map's cells.
    {
        const int64_t l = int64_t(i0) * cw - ox, r = int64_t(i1 + 1) * cw - ox;
        const int64_t t = int64_t(j0) * ch - oy, b = int64_t(j1 + 1) * ch - oy;
        const int L = int(std::clamp<int64_t>(l, 0, target.width)), R = int(std::clamp<int64_t>(r, 0, target.width));
        const int T = int(std::clamp<int64_t>(t, 0, target.height)), B = int(std::clamp<int64_t>(b, 0, target.height));
        clear(0, target.width, 0, T);
        clear(0, target.width, B, target.height);
        clear(0, L, T, B);
        clear(R, target.width, T, B);
    }

    std::vector<int> shown;   // layers drawn, bottom first
    for (int l = 0; l < int(map.layers.size()); ++l)
        if (map.layers[l].bShown)
            shown.push_back(l);
    const int cells = chips.Cells();
    auto cellOf = [&](uint32_t v) {
        int c = chip::CellOf(v);
        if (c < 0 || c >= cells)
            return -1;
        if (options.shownCell && size_t(c) < options.shownCell->size()) {
            c = (*options.shownCell)[size_t(c)];
            if (c < 0 || c >= cells)
                return -1;
        }
        return c;
    };
    // A chip's picture: rows `stride` bytes apart from `base`.
    struct Source {
        const uint8_t* base;
        std::ptrdiff_t stride;
        const CChipCache::RowSpan* rows;   // null: straight from the sheet
    };
    auto sourceOf = [&](uint32_t v, int c, bool spans) -> Source {
        const uint32_t flips = chip::FlipsOf(v);
        if (flips == 0 && !spans) {
            const uint8_t* base = chips.ChipRow(c, 0);
            return {base, h > 1 ? chips.ChipRow(c, 1) - base : 0, nullptr};
        }
        const CChipCache::Variant f = chips.Flipped(c, flips);
        return {reinterpret_cast<const uint8_t*>(f.pixels), std::ptrdiff_t(w) * 4, f.rows};
    };
    // Enlarged chips are composed at their own size first, then each pixel
    // is repeated: the blending is done once per chip pixel, not z * z times.
    std::vector<uint32_t> stack(size_t(w) * h);
    std::vector<uint32_t> wide(static_cast<size_t>(cw));
    std::vector<Source> drawn;
    drawn.reserve(shown.size());

    for (int j = j0; j <= j1; ++j) {
        const int y0 = j * ch - oy;
        const int ya = std::max(0, y0), yb = std::min(target.height, y0 + ch);
        for (int i = i0; i <= i1; ++i) {
            const int x0 = i * cw - ox;
            const int xa = std::max(0, x0), xb = std::min(target.width, x0 + cw);
            if (xa >= xb || ya >= yb)
                continue;
            // Layers under the topmost opaque chip cannot show.
            size_t first = 0;
            for (size_t k = shown.size(); k-- > 0;) {
                const uint32_t v = map.At(shown[k], i, j);
                const int c = cellOf(v);
                if (c >= 0 && chips.Coverage(c) == CChipCache::kOpaque && (!(v & chip::kFlipD) || w == h)) {
                    first = k;
                    break;
                }
            }
            drawn.clear();
            for (size_t k = first; k < shown.size(); ++k) {
                const uint32_t v = map.At(shown[k], i, j);
                const int c = cellOf(v);
                if (c >= 0 && chips.Coverage(c) != CChipCache::kBare)
                    drawn.push_back(sourceOf(v, c, !drawn.empty()));
            }
            if (drawn.empty()) {
                clear(xa, xb, ya, yb);
                continue;
            }
            const int sxa = (xa - x0) / z;   // first chip column shown
            const int n = xb - xa;
            if (z == 1) {
                for (size_t k = 0; k < drawn.size(); ++k)
                    for (int y = ya; y < yb; ++y) {
                        const uint32_t* src =
                            reinterpret_cast<const uint32_t*>(drawn[k].base + (y - y0) * drawn[k].stride) + sxa;
                        uint32_t* d = reinterpret_cast<uint32_t*>(target.Row(y)) + xa;
                        if (k == 0) {
                            CopyPixels(d, src, n);
                            continue;
                        }
                        // Only the row's span, copied whole where it is opaque.
                        const CChipCache::RowSpan& r = drawn[k].rows[y - y0];
                        const int lo = std::max(int(r.lo), sxa), hi = std::min(int(r.hi), sxa + n);
                        if (lo >= hi)
                            continue;
                        if (r.opaque)
                            CopyPixels(d + (lo - sxa), src + (lo - sxa), hi - lo);
                        else
                            Over(src + (lo - sxa), d + (lo - sxa), hi - lo);
                    }
                continue;
            }
            const Source* one = drawn.size() == 1 ? &drawn[0] : nullptr;
            if (!one) {
                for (size_t k = 0; k < drawn.size(); ++k)
                    for (int y = 0; y < h; ++y) {
                        const uint32_t* src = reinterpret_cast<const uint32_t*>(drawn[k].base + y * drawn[k].stride);
                        if (k == 0)
                            std::memcpy(&stack[size_t(y) * w], src, size_t(w) * 4);
                        else
                            Over(src, &stack[size_t(y) * w], w);
                    }
            }
            const int sxb = (xb - 1 - x0) / z;   // last chip column shown
            for (int y = ya; y < yb;) {
                const int sy = (y - y0) / z;
                const uint32_t* src = one ? reinterpret_cast<const uint32_t*>(one->base + sy * one->stride)
                                          : &stack[size_t(sy) * w];
                // The shown part of the chip row, each pixel z times.
                uint32_t* out = wide.data();
                for (int sx = sxa; sx <= sxb; ++sx) {
                    const int from = std::max(xa, x0 + sx * z), to = std::min(xb, x0 + (sx + 1) * z);
                    for (int x = from; x < to; ++x)
                        *out++ = src[sx];
                }
                const int yEnd = std::min(yb, y0 + (sy + 1) * z);
                for (; y < yEnd; ++y)
                    std::memcpy(reinterpret_cast<uint32_t*>(target.Row(y)) + xa, wide.data(), size_t(n) * 4);
            }
        }
    }
}
