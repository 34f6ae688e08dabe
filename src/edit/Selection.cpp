// The selection rectangle, the floating paste lifted from it by cut and
// copy, and the paste commands with their turns and mirrors.
#include "doc/Codec.h"
#include "doc/Region.h"
#include "doc/TesvanDoc.h"
#include "platform/UiPort.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

// Empties a rectangle the way cut leaves it: index 0, or 0x00000001 in a
// 32-bit image (so a region later taken from there pastes even when
// transparent).
void ClearRect(CImageEx& image, const CRect& rc)
{
    const int left = std::max(rc.left, 0);
    const int right = std::min(rc.right, image.GetWidth() - 1);
    const int top = std::max(rc.top, 0);
    const int bottom = std::min(rc.bottom, image.GetHeight() - 1);
    if (left > right || top > bottom)
        return;
    const int n = right - left + 1;
    for (int y = top; y <= bottom; ++y) {
        uint8_t* row = image.GetRow(y);
        if (image.GetBPP() == 8) {
            std::memset(row + left, 0, size_t(n));
        } else {
            uint32_t* p = reinterpret_cast<uint32_t*>(row) + left;
            std::fill(p, p + n, 1u);
        }
    }
}

// Source-over of one straight-alpha pixel (blue, green, red, alpha) onto another.
void BlendOver(uint8_t* dst, const uint8_t* src)
{
    const unsigned sa = src[3];
    if (sa == 0)
        return;
    const unsigned da = dst[3];
    if (sa == 255 || da == 0) {
        std::memcpy(dst, src, 4);
        return;
    }
    // Alpha of the result times 255, then each channel weighted by its alpha.
    const unsigned back = da * (255 - sa);
    const unsigned out = sa * 255 + back;
    for (int c = 0; c < 3; ++c)
        dst[c] = uint8_t((src[c] * sa * 255 + dst[c] * back + out / 2) / out);
    dst[3] = uint8_t((out + 127) / 255);
}

// Whether the layer a piece came from is shown.
bool PieceShown(const CTesvanDoc& doc, const CLayerRegion& piece)
{
    for (const CLayer& layer : doc.m_Layers)
        if (layer.m_nPage == piece.nLayer)
            return layer.m_bVisible != 0;
    return false;
}

// The pieces composed in layer order as one picture with alpha, as other
// programs take it from the desktop clipboard: the shown layers, as the
// canvas composes them (all pieces when none is shown). 8-bit index 0 and
// 32-bit pixels of alpha 0 (cut leaves 0x00000001) are transparent.
bool ComposePieces(const CTesvanDoc& doc, ClipboardPicture& picture)
{
    const CRect& rc = doc.m_rcSel;
    const int w = rc.right - rc.left + 1, h = rc.bottom - rc.top + 1;
    if (w <= 0 || h <= 0)
        return false;
    picture.width = w;
    picture.height = h;
    picture.bgra.assign(size_t(w) * size_t(h) * 4, 0);
    CImageEx piece;
    if (!piece.CreateEx(w, h, doc.m_nBitCount))
        return false;
    const int n = std::clamp(doc.m_nPieceCount, 0, CTesvanDoc::kLayers);
    bool anyShown = false;
    for (int k = 0; k < n; ++k)
        anyShown = anyShown || PieceShown(doc, doc.m_Pieces[k]);
    for (int k = 0; k < n; ++k) {
        if (anyShown && !PieceShown(doc, doc.m_Pieces[k]))
            continue;
        // Cleared for a piece whose runs end early (rows may run bottom-up).
        for (int y = 0; y < h; ++y)
            std::memset(piece.GetRow(y), 0, size_t(w) * size_t(doc.m_nBitCount / 8));
        PutRegion(doc.m_Pieces[k], piece, 0, 0, false, 0, true);
        for (int y = 0; y < h; ++y) {
            const uint8_t* src = piece.GetRow(y);
            uint8_t* dst = picture.bgra.data() + size_t(y) * size_t(w) * 4;
            for (int x = 0; x < w; ++x, dst += 4) {
                if (doc.m_nBitCount == 8) {
                    const uint8_t index = src[x];
                    if (index == 0)
                        continue;
                    const RGBQUAD& e = doc.m_Palette[index];
                    const uint8_t px[4] = {e.rgbBlue, e.rgbGreen, e.rgbRed, 255};
                    BlendOver(dst, px);
                } else {
                    BlendOver(dst, src + 4 * x);
                }
            }
        }
    }
    return true;
}

// The nearest of the layer's own sixteen palette entries (the lowest one
// of equal distance).
uint8_t NearestPageEntry(const RGBQUAD* palette, int page, const uint8_t* bgr)
{
    const int first = (page + 4) * 16;
    int best = first;
    int64_t bestDistance = INT64_MAX;
    for (int n = first; n < first + 16 && n < 256; ++n) {
        const int db = palette[n].rgbBlue - bgr[0];
        const int dg = palette[n].rgbGreen - bgr[1];
        const int dr = palette[n].rgbRed - bgr[2];
        const int64_t d = int64_t(db) * db + int64_t(dg) * dg + int64_t(dr) * dr;
        if (d < bestDistance) {
            bestDistance = d;
            best = n;
        }
    }
    return uint8_t(best);
}

}  // namespace

void CTesvanDoc::FinishSelection()
{
    if (m_Points.empty()) {
        ResetSelection(false);
        return;
    }
    // Points are cell-local; kept inside the cell whatever the caller sent.
    auto clampPoint = [this](CPoint p) {
        p.x = std::clamp(p.x, 0, m_nCellWidth - 1);
        p.y = std::clamp(p.y, 0, m_nCellHeight - 1);
        return p;
    };
    const CPoint a = clampPoint(m_Points[0]);
    const CPoint b = m_Points.size() > 1 ? clampPoint(m_Points[1]) : a;
    const int ox = m_nEditColumn * m_nCellWidth;
    const int oy = m_nEditRow * m_nCellHeight;
    m_rcSel = CRect{ox + std::min(a.x, b.x), oy + std::min(a.y, b.y), ox + std::max(a.x, b.x),
                    oy + std::max(a.y, b.y)};
    m_nSelLayer = m_nTool == Cmd::ToolSelectAllLayers ? -1 : CurrentLayer().m_nPage;
    m_nSelState = SelState::Selected;
    m_bPasteRotated = 0;
    m_nPasteFlip = 0;
    m_nPieceCount = 0;
    for (CLayerRegion& piece : m_Pieces)
        piece.Reset();
    std::vector<CPoint>().swap(m_Points);
}

bool CTesvanDoc::CanRotatePaste() const
{
    if (m_nSelState != SelState::Floating)
        return false;
    const int64_t w = int64_t(m_rcSel.right) - m_rcSel.left + 1;
    const int64_t h = int64_t(m_rcSel.bottom) - m_rcSel.top + 1;
    return w <= m_nCellHeight && h <= m_nCellWidth;
}

namespace {

// Cut and copy: one piece per chosen layer that has an image, layer order.
void LiftPieces(CTesvanDoc& doc, bool cut)
{
    if (!doc.CanCutCopy())
        return;
    // The rectangle always lies on the sheet; kept so if it did not.
    CRect& rc = doc.m_rcSel;
    rc.left = std::max(rc.left, 0);
    rc.top = std::max(rc.top, 0);
    rc.right = std::min(rc.right, doc.SheetWidth() - 1);
    rc.bottom = std::min(rc.bottom, doc.SheetHeight() - 1);
    if (rc.left > rc.right || rc.top > rc.bottom) {
        doc.ResetSelection(true);
        doc.UpdateAllViews(HINT_PANE | HINT_CANVAS);
        return;
    }
    if (cut)
        doc.PushUndo(Cmd::EditCut);
    doc.m_nPieceCount = 0;
    for (CLayer& layer : doc.m_Layers) {
        if (doc.m_nSelLayer != -1 && doc.m_nSelLayer != layer.m_nPage)
            continue;
        CLayerRegion& piece = doc.m_Pieces[doc.m_nPieceCount];
        if (!layer.Capture(piece, rc.left, rc.top, rc.right, rc.bottom, doc.m_nBitCount))
            continue;
        if (cut)
            ClearRect(*layer.m_pImage, rc);
        ++doc.m_nPieceCount;
        if (doc.m_nSelLayer != -1)
            break;  // one layer of that identity
    }
    if (doc.m_nPieceCount == 0) {
        doc.ResetSelection(true);
    } else {
        for (int k = doc.m_nPieceCount; k < CTesvanDoc::kLayers; ++k)
            doc.m_Pieces[k].Reset();
        // New pieces replace what was kept; the desktop gets them too.
        doc.m_nKeptCount = 0;
        for (CLayerRegion& kept : doc.m_Kept)
            kept.Reset();
        doc.m_nKeptBits = doc.m_nBitCount;
        ClipboardPicture picture;
        if (ComposePieces(doc, picture))
            UiPort().SetClipboardPicture(picture);
        doc.m_nSelState = SelState::Floating;
        if (cut)
            doc.SetModifiedFlag();
        // The cleared pixels and the floating paste show at once.
        doc.ComposeAll(true);
    }
    doc.UpdateAllViews(HINT_PANE | HINT_CANVAS);
}

// The kept pieces float again where the paste last stood in its cell.
void FloatKept(CTesvanDoc& doc)
{
    const int n = std::clamp(doc.m_nKeptCount, 0, CTesvanDoc::kLayers);
    doc.ResetSelection(false);
    for (int k = 0; k < CTesvanDoc::kLayers; ++k) {
        std::swap(doc.m_Pieces[k], doc.m_Kept[k]);
        doc.m_Kept[k].Reset();
    }
    doc.m_nKeptCount = 0;
    doc.m_nPieceCount = n;
    doc.m_nSelLayer = doc.m_nKeptLayer;
    const int ox = doc.m_nEditColumn * doc.m_nCellWidth, oy = doc.m_nEditRow * doc.m_nCellHeight;
    doc.m_rcSel = CRect{doc.m_rcKept.left + ox, doc.m_rcKept.top + oy, doc.m_rcKept.right + ox,
                        doc.m_rcKept.bottom + oy};
    doc.m_bPasteRotated = doc.m_bKeptRotated;
    doc.m_nPasteFlip = doc.m_nKeptFlip;
    doc.m_nSelState = SelState::Floating;
    doc.KeepPasteInCell();
}

// A picture of another program floats on the current layer: its top-left
// at the cell's, cut to the cell; 8-bit documents take the nearest entry of
// the layer's page for each colour, index 0 where it is transparent.
bool FloatPicture(CTesvanDoc& doc, const ClipboardPicture& picture)
{
    const int w = std::min(picture.width, doc.m_nCellWidth);
    const int h = std::min(picture.height, doc.m_nCellHeight);
    if (w <= 0 || h <= 0 || picture.bgra.size() < size_t(picture.width) * size_t(picture.height) * 4)
        return false;
    CImageEx image;
    if (!image.CreateEx(w, h, doc.m_nBitCount))
        return false;
    const CLayer& layer = doc.CurrentLayer();
    for (int y = 0; y < h; ++y) {
        const uint8_t* src = picture.bgra.data() + size_t(y) * size_t(picture.width) * 4;
        uint8_t* dst = image.GetRow(y);
        for (int x = 0; x < w; ++x, src += 4) {
            if (doc.m_nBitCount == 8) {
                dst[x] = src[3] < 128 ? 0 : NearestPageEntry(doc.m_Palette, layer.m_nPage, src);
            } else {
                // Fully transparent pixels become 0, which a transparent paste skips.
                const uint32_t px = src[3] == 0 ? 0u
                                                : uint32_t(src[0]) | uint32_t(src[1]) << 8 |
                                                      uint32_t(src[2]) << 16 | uint32_t(src[3]) << 24;
                std::memcpy(dst + 4 * x, &px, 4);
            }
        }
    }
    doc.ResetSelection(false);
    const int ox = doc.m_nEditColumn * doc.m_nCellWidth, oy = doc.m_nEditRow * doc.m_nCellHeight;
    CLayerRegion& piece = doc.m_Pieces[0];
    piece.nLayer = layer.m_nPage;
    piece.left = ox;
    piece.top = oy;
    piece.right = ox + w - 1;
    piece.bottom = oy + h - 1;
    if (doc.m_nBitCount == 8)
        Compress8(image, 0, 0, w, h, 0, piece.data);
    else
        Compress32(image, 0, 0, w, h, piece.data);
    doc.m_nPieceCount = 1;
    // The picture takes the place of what was kept, as a cut or copy would.
    doc.m_nKeptCount = 0;
    for (CLayerRegion& kept : doc.m_Kept)
        kept.Reset();
    doc.m_nKeptBits = doc.m_nBitCount;
    doc.m_nSelLayer = layer.m_nPage;
    doc.m_rcSel = CRect{piece.left, piece.top, piece.right, piece.bottom};
    doc.m_nSelState = SelState::Floating;
    return true;
}

// Paste with no floating paste: a picture another program put on the
// desktop clipboard since our last cut or copy, else the kept pieces, else
// whatever picture the clipboard holds (ours, from another document).
void FloatClipboard(CTesvanDoc& doc)
{
    if (doc.m_nSelState == SelState::Grabbed)
        return;
    ClipboardPicture picture;
    bool foreign = false;
    const bool held = UiPort().GetClipboardPicture(picture, foreign);
    doc.FixText();
    bool floated = false;
    if (held && (foreign || !doc.HasKeptPieces())) {
        floated = FloatPicture(doc, picture);
    } else if (doc.HasKeptPieces()) {
        FloatKept(doc);
        floated = true;
    }
    if (!floated)
        return;
    doc.ComposeAll(true);
    doc.UpdateAllViews(HINT_PANE | HINT_CANVAS);
}

void PastePieces(CTesvanDoc& doc, bool transparent)
{
    if (!doc.CanPaste()) {
        FloatClipboard(doc);
        return;
    }
    // A piece meant for a layer without an image (a picture floated on an
    // empty layer) gets one first, so the undo step holds its pixels.
    for (int k = 0; k < std::clamp(doc.m_nPieceCount, 0, CTesvanDoc::kLayers); ++k)
        for (CLayer& layer : doc.m_Layers)
            if (layer.m_nPage == doc.m_Pieces[k].nLayer) {
                if (!layer.m_pImage)
                    layer.CreateImage(doc.SheetWidth(), doc.SheetHeight(), doc.m_Palette, false,
                                      doc.m_nBitCount);
                break;
            }
    // With the aids the paste writes elsewhere in the cell than m_rcSel.
    const CRect bounds = PasteBounds(doc);
    if (bounds == doc.m_rcSel) {
        doc.PushUndo(Cmd::EditPaste);
    } else if (doc.m_nSelLayer == -1) {
        doc.PushUndo(Cmd::EditPaste, doc.m_nBitCount, bounds);
    } else {
        for (const CLayer& layer : doc.m_Layers)
            if (layer.m_nPage == doc.m_nSelLayer) {
                doc.PushUndo(layer, Cmd::EditPaste, doc.m_nBitCount, bounds);
                break;
            }
    }
    const bool opaque = !transparent && !doc.m_bShift;
    const int n = std::clamp(doc.m_nPieceCount, 0, CTesvanDoc::kLayers);
    for (int k = 0; k < n; ++k) {
        const CLayerRegion& piece = doc.m_Pieces[k];
        // A piece whose layer is gone, or has no image now, is skipped.
        for (CLayer& layer : doc.m_Layers) {
            if (layer.m_nPage != piece.nLayer)
                continue;
            if (layer.m_pImage && !layer.m_pImage->IsNull() &&
                layer.m_pImage->GetBPP() == doc.m_nBitCount)
                PutPaste(doc, piece, *layer.m_pImage, opaque);
            break;
        }
    }
    doc.SetModifiedFlag();
    doc.ComposeAll(true);
    doc.UpdateAllViews(HINT_PIXELS | HINT_CANVAS | HINT_PANE);
}

}  // namespace

bool CTesvanDoc::HasKeptPieces() const
{
    if (m_nKeptCount <= 0 || m_nKeptBits != m_nBitCount)
        return false;
    const int64_t w = int64_t(m_rcKept.right) - m_rcKept.left + 1;
    const int64_t h = int64_t(m_rcKept.bottom) - m_rcKept.top + 1;
    return w > 0 && h > 0 && w <= m_nCellWidth && h <= m_nCellHeight;
}

bool CTesvanDoc::CanPasteAnything() const
{
    if (m_nSelState == SelState::Grabbed)
        return false;
    return CanPaste() || HasKeptPieces() || UiPort().HasClipboardPicture();
}

void CTesvanDoc::OnEditCut() { LiftPieces(*this, true); }

void CTesvanDoc::OnEditCopy() { LiftPieces(*this, false); }

void CTesvanDoc::OnEditPaste() { PastePieces(*this, false); }

void CTesvanDoc::OnPasteTransparent() { PastePieces(*this, true); }

void CTesvanDoc::OnPasteRotate()
{
    if (!CanRotatePaste())
        return;
    if (m_bPasteRotated) {
        // Two quarter turns make a half turn: both mirrors.
        m_nPasteFlip ^= FLIP_COLUMNS | FLIP_ROWS;
        m_bPasteRotated = 0;
    } else {
        m_bPasteRotated = 1;
    }
    const int right = m_rcSel.left + (m_rcSel.bottom - m_rcSel.top);
    const int bottom = m_rcSel.top + (m_rcSel.right - m_rcSel.left);
    m_rcSel.right = right;
    m_rcSel.bottom = bottom;
    KeepPasteInCell();
    ComposeAll(true);
    UpdateAllViews(HINT_PANE | HINT_CANVAS);
}

void CTesvanDoc::OnPasteMirrorLR()
{
    if (!CanPaste())
        return;
    // Turned, the screen's columns are the source's rows.
    m_nPasteFlip ^= m_bPasteRotated ? FLIP_ROWS : FLIP_COLUMNS;
    ComposeAll(true);
    UpdateAllViews(HINT_PANE | HINT_CANVAS);
}

void CTesvanDoc::OnPasteMirrorUD()
{
    if (!CanPaste())
        return;
    m_nPasteFlip ^= m_bPasteRotated ? FLIP_COLUMNS : FLIP_ROWS;
    ComposeAll(true);
    UpdateAllViews(HINT_PANE | HINT_CANVAS);
}

int CTesvanDoc::KeepPasteInCell()
{
    const int cellLeft = m_nEditColumn * m_nCellWidth;
    const int cellTop = m_nEditRow * m_nCellHeight;
    const int cellRight = cellLeft + m_nCellWidth - 1;
    const int cellBottom = cellTop + m_nCellHeight - 1;
    int dy = 0, dx = 0;
    if (m_Aids.bWrap && m_nCellWidth > 0 && m_nCellHeight > 0) {
        // Wrap mode: the paste may run over the edges (it comes in on the
        // other side); its corner is brought into the cell by whole cells.
        // The result stays 0: every tile shows the paste where the pointer
        // is, so there is nothing to warp the pointer for.
        auto mod = [](int a, int m) { return (a % m + m) % m; };
        dx = cellLeft + mod(m_rcSel.left - cellLeft, m_nCellWidth) - m_rcSel.left;
        dy = cellTop + mod(m_rcSel.top - cellTop, m_nCellHeight) - m_rcSel.top;
        m_rcSel.left += dx;
        m_rcSel.right += dx;
        m_rcSel.top += dy;
        m_rcSel.bottom += dy;
        return 0;
    }
    if (m_rcSel.top < cellTop)
        dy = cellTop - m_rcSel.top;
    else if (m_rcSel.bottom > cellBottom)
        dy = cellBottom - m_rcSel.bottom;
    if (m_rcSel.left < cellLeft)
        dx = cellLeft - m_rcSel.left;
    else if (m_rcSel.right > cellRight)
        dx = cellRight - m_rcSel.right;
    m_rcSel.left += dx;
    m_rcSel.right += dx;
    m_rcSel.top += dy;
    m_rcSel.bottom += dy;
    return dx != 0 || dy != 0 ? 1 : 0;
}

int CTesvanDoc::GetSelViewRect(CRect& rect) const
{
    if (m_nSelState == SelState::None)
        return 0;
    const int ox = m_nEditColumn * m_nCellWidth;
    const int oy = m_nEditRow * m_nCellHeight;
    if (m_rcSel.left < ox || m_rcSel.left >= ox + m_nCellWidth || m_rcSel.top < oy ||
        m_rcSel.top >= oy + m_nCellHeight)
        return 0;
    rect.left = (m_rcSel.left - ox) * m_nZoom;
    rect.top = (m_rcSel.top - oy) * m_nZoom;
    rect.right = (m_rcSel.right - ox + 1) * m_nZoom;
    rect.bottom = (m_rcSel.bottom - oy + 1) * m_nZoom;
    return m_nSelLayer == -1 || m_nSelLayer == m_Layers[m_nCurrentLayer].m_nPage ? 1 : 2;
}
