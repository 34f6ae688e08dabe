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
        m_Valid[n] = 1;
        m_Look[n] = counted ? doc.m_CellLook[n] : 0;
        ++m_nComposed;
    }
}

// ---------------------------------------------------------------- rendering

void RenderMap(const CChipMap& map, const CChipCache& chips, const CPixelTarget& target,
               const CMapRenderOptions& options)
{
    for (int y = 0; y < target.height; ++y)
        std::memset(target.Row(y), 0, size_t(target.width) * 4);
    const int w = chips.CellWidth(), h = chips.CellHeight();
    const int z = std::clamp(options.zoom, 1, 16);
    if (w <= 0 || h <= 0 || map.nWidth <= 0 || map.nHeight <= 0 || chips.Cells() <= 0)
        return;
    const int cw = w * z, ch = h * z;   // a chip on the target
    const int ox = options.originX, oy = options.originY;
    // The map cells the target shows.
    const int i0 = std::max(0, ox / cw), j0 = std::max(0, oy / ch);
    const int i1 = std::min(map.nWidth - 1, int((int64_t(ox) + target.width - 1) / cw));
    const int j1 = std::min(map.nHeight - 1, int((int64_t(oy) + target.height - 1) / ch));
    if (i0 > i1 || j0 > j1 || ox + target.width <= 0 || oy + target.height <= 0)
        return;

    std::vector<int> shown;   // layers drawn, bottom first
    for (int l = 0; l < int(map.layers.size()); ++l)
        if (map.layers[l].bShown)
            shown.push_back(l);
    std::vector<uint32_t> flipped(size_t(w) * h);
    std::vector<uint32_t> wide(static_cast<size_t>(cw));
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
                const int c = cellOf(map.At(shown[k], i, j));
                if (c >= 0 && chips.Coverage(c) == CChipCache::kOpaque &&
                    (!(map.At(shown[k], i, j) & chip::kFlipD) || w == h)) {
                    first = k;
                    break;
                }
            }
            bool covered = false;   // the target holds something here already
            for (size_t k = first; k < shown.size(); ++k) {
                const uint32_t v = map.At(shown[k], i, j);
                const int c = cellOf(v);
                if (c < 0 || chips.Coverage(c) == CChipCache::kBare)
                    continue;
                const uint32_t flips = chip::FlipsOf(v);
                const uint8_t* base = nullptr;
                std::ptrdiff_t stride = 0;
                if (flips == 0) {
                    base = chips.ChipRow(c, 0);
                    stride = chips.ChipRow(c, h > 1 ? 1 : 0) - base;
                } else {
                    for (int y = 0; y < h; ++y)
                        for (int x = 0; x < w; ++x) {
                            int sx, sy;
                            flipped[size_t(y) * w + x] =
                                chip::SourcePixel(flips, w, h, x, y, sx, sy)
                                    ? reinterpret_cast<const uint32_t*>(chips.ChipRow(c, sy))[sx]
                                    : 0u;
                        }
                    base = reinterpret_cast<const uint8_t*>(flipped.data());
                    stride = std::ptrdiff_t(w) * 4;
                }
                const int sxa = (xa - x0) / z;   // first chip column shown
                const int n = xb - xa;
                for (int y = ya; y < yb;) {
                    const int sy = (y - y0) / z;
                    const uint8_t* src = base + sy * stride;
                    const uint8_t* row = src + std::ptrdiff_t(sxa) * 4;
                    if (z > 1) {
                        const uint32_t* s = reinterpret_cast<const uint32_t*>(src);
                        for (int x = xa; x < xb; ++x)
                            wide[size_t(x - xa)] = s[(x - x0) / z];
                        row = reinterpret_cast<const uint8_t*>(wide.data());
                    }
                    // Every target row this chip row covers.
                    const int yEnd = std::min(yb, y0 + (sy + 1) * z);
                    for (; y < yEnd; ++y) {
                        uint8_t* d = target.Row(y) + std::ptrdiff_t(xa) * 4;
                        if (covered)
                            blit::BlendRow(row, d, n);
                        else
                            std::memcpy(d, row, size_t(n) * 4);
                    }
                }
                covered = true;
            }
        }
    }
}
