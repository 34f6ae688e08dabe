// The working image: background, the shown layers, the floating paste and the
// tool's preview, composed rectangle by rectangle.
#include "doc/kernels/RowKernels.h"
#include "doc/Composite.h"
#include "doc/Region.h"
#include "doc/TesvanDoc.h"

#include <algorithm>
#include <cstring>

void (*CTesvanDoc::s_pfnDrawToolOverlay)(CTesvanDoc&, CImageEx&) = nullptr;

bool AlphaComposite(const CImageEx& src, CImageEx& dst, int dx, int dy, int width, int height,
                    int sx, int sy)
{
    if (src.IsNull() || dst.IsNull() || src.GetBPP() != 32 || dst.GetBPP() != 32)
        return false;
    // Negative origins are clipped too, so no row outside either image is read.
    if (sx < 0) { dx -= sx; width += sx; sx = 0; }
    if (sy < 0) { dy -= sy; height += sy; sy = 0; }
    if (dx < 0) { sx -= dx; width += dx; dx = 0; }
    if (dy < 0) { sy -= dy; height += dy; dy = 0; }
    const int cw = std::min({width, src.GetWidth() - sx, dst.GetWidth() - dx});
    const int ch = std::min({height, src.GetHeight() - sy, dst.GetHeight() - dy});
    if (cw <= 0 || ch <= 0)
        return true;
    // Rows in storage order (bottom-up images), which the prefetcher follows.
    for (int r = ch - 1; r >= 0; --r)
        blit::BlendRow(src.GetRow(sy + r) + 4 * sx, dst.GetRow(dy + r) + 4 * dx, cw);
    return true;
}

// ---------------------------------------------------------------- document

bool CTesvanDoc::CreateWorkImage()
{
    if (m_bWorkValid)
        m_imgWork.Destroy();
    if (m_nBitCount == 8) {
        if (!m_imgWork.CreateEx(SheetWidth(), SheetHeight(), 8))
            return false;
        m_imgWork.SetColorTable(0, 256, m_Palette);
        m_imgWork.SetTransparentColor(0);
    } else {
        if (!m_imgWork.CreateEx(SheetWidth(), SheetHeight(), 32, CImageEx::createAlphaChannel))
            return false;
    }
    m_bWorkValid = 1;
    return true;
}

void CTesvanDoc::RefreshWorkPalette()
{
    if (!m_imgWork.IsNull() && m_imgWork.GetBPP() == 8)
        m_imgWork.SetColorTable(0, 256, m_Palette);
    ++m_nLookAll;
}

void CTesvanDoc::ComposeAll(bool fillBackground)
{
    Compose(fillBackground, 0, 0, SheetWidth() - 1, SheetHeight() - 1);
}

bool CTesvanDoc::Compose(bool fillBackground, int left, int top, int right, int bottom)
{
    MarkLookChanged(left, top, right, bottom);
    return ComposeInto(m_imgWork, fillBackground, left, top, right, bottom, true);
}

void CTesvanDoc::MarkLookChanged(int left, int top, int right, int bottom)
{
    const size_t cells = size_t(std::max(m_nColumns, 0)) * size_t(std::max(m_nRows, 0));
    if (m_CellLook.size() != cells) {
        m_CellLook.assign(cells, 0);
        ++m_nLookAll;
        return;
    }
    if (m_nCellWidth <= 0 || m_nCellHeight <= 0)
        return;
    const int c0 = std::max(left, 0) / m_nCellWidth, r0 = std::max(top, 0) / m_nCellHeight;
    const int c1 = std::min(right / m_nCellWidth, m_nColumns - 1);
    const int r1 = std::min(bottom / m_nCellHeight, m_nRows - 1);
    for (int r = r0; r <= r1; ++r)
        for (int c = c0; c <= c1; ++c)
            ++m_CellLook[size_t(r) * m_nColumns + c];
}

bool CTesvanDoc::ComposeInto(CImageEx& target, bool fillBackground, int left, int top, int right,
                             int bottom, bool preview)
{
    if (target.IsNull())
        return true;
    const int W = std::min(SheetWidth(), target.GetWidth());
    const int H = std::min(SheetHeight(), target.GetHeight());
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, W - 1);
    bottom = std::min(bottom, H - 1);
    if (left > right || top > bottom)
        return true;
    const int width = right - left + 1;
    const bool eight = target.GetBPP() == 8;

    const bool floating = preview && m_nSelState == SelState::Floating;
    auto pieceOf = [&](const CLayer& layer) -> const CLayerRegion* {
        const int n = std::clamp(m_nPieceCount, 0, kLayers);
        for (int k = 0; k < n; ++k)
            if (m_Pieces[k].nLayer == layer.m_nPage)
                return &m_Pieces[k];
        return nullptr;
    };

    // The layers drawn, bottom first, and after each the piece previewed
    // above it (transparent paste preview).
    struct Pass {
        const CImageEx* image = nullptr;
        const CLayerRegion* piece = nullptr;
        bool mapped = false;  // 8-bit layer drawn through its index map
        blit::IndexMap map;
    };
    Pass passes[kLayers];
    int passCount = 0;
    for (int i = 0; i < kLayers; ++i) {
        const CLayer& layer = m_Layers[i];
        if (!layer.m_pImage)
            continue;
        const bool current = i == m_nCurrentLayer;
        if (!layer.m_bVisible && !current)
            continue;
        Pass& p = passes[passCount];
        p.image = nullptr;
        p.piece = floating && m_bShift ? pieceOf(layer) : nullptr;
        p.mapped = false;
        if ((layer.m_bVisible && m_bShowAllLayers) || current) {
            const CImageEx& img = *layer.m_pImage;
            if (img.IsNull() && !p.piece)
                continue;
            if (!img.IsNull())
                p.image = &img;
            if (eight && !img.IsNull() && img.GetBPP() == 8) {
                // One colour map per layer and composition, not per pixel.
                const int key = img.GetTransparentColor();
                blit::BuildIndexMap(img.ColorTable(), target.ColorTable(),
                                    key != -1 ? &img.ColorTable()[key & 0xFF] : nullptr, p.map);
                p.mapped = true;
            }
        }
        if (!p.image && !p.piece)
            continue;
        ++passCount;
    }

    const uint32_t back = fillBackground ? 0xFF000000u | uint32_t(GetRValue(m_crBackground)) << 16 |
                                               uint32_t(GetGValue(m_crBackground)) << 8 |
                                               uint32_t(GetBValue(m_crBackground))
                                         : 0u;
    const int height = bottom - top + 1;
    // Every image is bottom-up: rows are walked from the bottom, in storage
    // order, which the prefetcher follows. (Bands of rows across all layers
    // measured slower than one pass per layer.)
    // The bottom 32-bit layer is blended with the background row by row, so
    // the working image is written once for both.
    const CImageEx* under = !eight && passCount > 0 && passes[0].image &&
                                    passes[0].image->GetBPP() == 32
                                ? passes[0].image
                                : nullptr;
    const int underWidth = under ? std::min(width, under->GetWidth() - left) : 0;
    const int underLast = under ? std::min(bottom, under->GetHeight() - 1) : -1;
    for (int y = bottom; y >= top; --y) {
        uint8_t* row = target.GetRow(y);
        if (eight) {
            std::memset(row + left, 0, size_t(width));
        } else {
            uint32_t* p = reinterpret_cast<uint32_t*>(row) + left;
            const int blended = y <= underLast ? std::max(underWidth, 0) : 0;
            if (blended > 0)
                blit::OverUniformRow(under->GetRow(y) + 4 * left, row + 4 * left, blended, back);
            std::fill(p + blended, p + width, back);
        }
    }
    for (int k = 0; k < passCount; ++k) {
        const Pass& p = passes[k];
        if (k == 0 && under) {
            // Drawn above with the background.
        } else if (p.mapped) {
            const int n = std::min(width, p.image->GetWidth() - left);
            const int last = std::min(bottom, p.image->GetHeight() - 1);
            for (int y = last; n > 0 && y >= top; --y)
                blit::MapRow8(p.image->GetRow(y) + left, target.GetRow(y) + left, n, p.map);
        } else if (p.image && eight) {
            p.image->Draw(target, left, top, width, height, left, top, width, height);
        } else if (p.image) {
            AlphaComposite(*p.image, target, left, top, width, height, left, top);
        }
        if (p.piece)
            PutPaste(*this, *p.piece, target, false);
    }

    // Paste preview on top of the finished stack.
    if (floating && !m_bShift) {
        bool first = true;
        for (int i = 0; i < kLayers; ++i) {
            const CLayer& layer = m_Layers[i];
            if (!layer.m_pImage || (!layer.m_bVisible && i != m_nCurrentLayer))
                continue;
            if (const CLayerRegion* piece = pieceOf(layer)) {
                PutPaste(*this, *piece, target, first);
                first = false;
            }
        }
    }

    if (preview && (m_nButton != 0 || !m_strText.empty()) && s_pfnDrawToolOverlay)
        s_pfnDrawToolOverlay(*this, target);
    return true;
}
