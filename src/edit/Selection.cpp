// The selection rectangle, the floating paste lifted from it by cut and
// copy, and the paste commands with their turns and mirrors.
#include "doc/Region.h"
#include "doc/TesvanDoc.h"

#include <algorithm>
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
        doc.m_nSelState = SelState::Floating;
        if (cut)
            doc.SetModifiedFlag();
        // The cleared pixels and the floating paste show at once.
        doc.ComposeAll(true);
    }
    doc.UpdateAllViews(HINT_PANE | HINT_CANVAS);
}

void PastePieces(CTesvanDoc& doc, bool transparent)
{
    if (!doc.CanPaste())
        return;
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
