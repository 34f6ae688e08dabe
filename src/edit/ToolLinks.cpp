#include "edit/ToolLinks.h"

#include "edit/Tools.h"

#include <algorithm>

namespace toollinks {

void PushLayerUndo(CTesvanDoc& doc, int layerIndex, int command, const CRect& rc)
{
    // Undo entries are recorded once the undo ring is in place.
    (void)doc;
    (void)layerIndex;
    (void)command;
    (void)rc;
}

void FinishSelection(CTesvanDoc& doc)
{
    if (doc.m_Points.empty()) {
        doc.ResetSelection(false);
        return;
    }
    const CPoint p0 = doc.m_Points[0];
    const CPoint p1 = doc.m_Points.size() > 1 ? doc.m_Points[1] : p0;
    const int ox = doc.m_nEditColumn * doc.m_nCellWidth;
    const int oy = doc.m_nEditRow * doc.m_nCellHeight;
    doc.m_rcSel = CRect{std::min(p0.x, p1.x) + ox, std::min(p0.y, p1.y) + oy,
                        std::max(p0.x, p1.x) + ox, std::max(p0.y, p1.y) + oy};
    doc.m_nSelLayer = doc.m_nTool == ID_TOOL_SELECT ? doc.CurrentLayer().m_nPage : -1;
    doc.m_nSelState = 1;
    doc.m_bPasteRotated = 0;
    doc.m_nPasteFlip = 0;
    doc.m_nPieceCount = 0;
    for (CLayerRegion& piece : doc.m_Pieces)
        piece.Reset();
    std::vector<CPoint>().swap(doc.m_Points);
}

bool KeepPasteInCell(CTesvanDoc& doc)
{
    const int cl = doc.m_nEditColumn * doc.m_nCellWidth;
    const int ct = doc.m_nEditRow * doc.m_nCellHeight;
    const int cr = cl + doc.m_nCellWidth - 1;
    const int cb = ct + doc.m_nCellHeight - 1;
    CRect& rc = doc.m_rcSel;
    const int dy = rc.top < ct ? ct - rc.top : rc.bottom > cb ? cb - rc.bottom : 0;
    const int dx = rc.left < cl ? cl - rc.left : rc.right > cr ? cr - rc.right : 0;
    rc.left += dx;
    rc.right += dx;
    rc.top += dy;
    rc.bottom += dy;
    return dx != 0 || dy != 0;
}

void ChangePaletteColor(CTesvanDoc& doc, int entry, uint32_t colour)
{
    // The palette entry change arrives with the palette work.
    (void)doc;
    (void)entry;
    (void)colour;
}

}  // namespace toollinks
