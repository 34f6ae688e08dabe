// The ten-entry undo ring: pixel entries (packed rectangles of layers) and
// palette entries (one 16-entry block with its gradation records).
#include "doc/Region.h"
#include "doc/TesvanDoc.h"

#include <algorithm>
#include <memory>
#include <new>

namespace {

// The rectangle cut down to the image; false when nothing of it is left.
bool ClipToImage(const CImageEx& image, CRect& rc)
{
    if (rc.left > rc.right || rc.top > rc.bottom)
        return false;
    rc.left = std::max(rc.left, 0);
    rc.top = std::max(rc.top, 0);
    rc.right = std::min(rc.right, image.GetWidth() - 1);
    rc.bottom = std::min(rc.bottom, image.GetHeight() - 1);
    return rc.left <= rc.right && rc.top <= rc.bottom;
}

bool HasImage(const CLayer& layer)
{
    return layer.m_pImage && !layer.m_pImage->IsNull();
}

void Advance(CTesvanDoc& doc)
{
    doc.m_nUndoCount = std::min(doc.m_nUndoCount + 1, CTesvanDoc::kUndoEntries);
    doc.m_nUndoIndex = (doc.m_nUndoIndex + 1) % CTesvanDoc::kUndoEntries;
}

CUndoEntry& FreshEntry(CTesvanDoc& doc)
{
    doc.m_nUndoIndex = std::clamp(doc.m_nUndoIndex, 0, CTesvanDoc::kUndoEntries - 1);
    CUndoEntry& entry = doc.m_Undo[doc.m_nUndoIndex];
    entry.Free();
    return entry;
}

// Saves the rectangle of the given layers (those with an image) into the
// entry at the write position; advances the ring when something was saved.
template <class Pick>
bool PushRegions(CTesvanDoc& doc, int command, int bitCount, const CRect& rect, Pick pick)
{
    CUndoEntry& entry = FreshEntry(doc);
    int count = 0;
    for (const CLayer& layer : doc.m_Layers)
        if (pick(layer) && HasImage(layer))
            ++count;
    if (count == 0)
        return false;
    std::unique_ptr<CLayerRegion[]> regions(new (std::nothrow) CLayerRegion[count]);
    if (!regions)
        return false;
    int n = 0;
    for (const CLayer& layer : doc.m_Layers) {
        if (!pick(layer) || !HasImage(layer))
            continue;
        CRect rc = rect;
        if (!ClipToImage(*layer.m_pImage, rc))
            continue;
        if (layer.Capture(regions[n], rc.left, rc.top, rc.right, rc.bottom, bitCount))
            ++n;
    }
    if (n == 0)
        return false;
    entry.bPalette = 0;
    entry.nCommand = command;
    entry.nRegions = n;
    entry.left = rect.left;
    entry.top = rect.top;
    entry.right = rect.right;
    entry.bottom = rect.bottom;
    entry.pRegions = std::move(regions);
    Advance(doc);
    return true;
}

}  // namespace

bool CTesvanDoc::PushUndo(const CLayer& layer, int command, int bitCount, const CRect& rect)
{
    return PushRegions(*this, command, bitCount, rect,
                       [&layer](const CLayer& l) { return &l == &layer; });
}

bool CTesvanDoc::PushUndo(int command, int bitCount, const CRect& rect)
{
    return PushRegions(*this, command, bitCount, rect, [](const CLayer&) { return true; });
}

bool CTesvanDoc::PushUndo(int command)
{
    if (m_nSelLayer == -1)
        return PushUndo(command, m_nBitCount, m_rcSel);
    const int id = m_nSelLayer;
    // The first layer of that identity only, as everywhere else.
    const CLayer* chosen = nullptr;
    for (const CLayer& layer : m_Layers)
        if (layer.m_nPage == id) {
            chosen = &layer;
            break;
        }
    if (!chosen) {
        FreshEntry(*this);
        return false;
    }
    return PushUndo(*chosen, command, m_nBitCount, m_rcSel);
}

bool CTesvanDoc::PushUndo(int layerId, int entryNumber)
{
    CUndoEntry& entry = FreshEntry(*this);
    if (entryNumber < 0 || entryNumber > 255)
        return false;
    auto snap = std::unique_ptr<CPaletteSnapshot>(new (std::nothrow) CPaletteSnapshot);
    if (!snap)
        return false;
    snap->nLayer = layerId;
    snap->nFirst = entryNumber / 16 * 16;
    if (snap->nFirst >= 16) {
        const int r = (snap->nFirst - 16) / 8;
        snap->Gradations[0] = m_Gradations[r];
        snap->Gradations[1] = m_Gradations[r + 1];
    }
    std::copy(m_Palette + snap->nFirst, m_Palette + snap->nFirst + 16, snap->Entries);
    entry.bPalette = 1;
    entry.pPalette = std::move(snap);
    Advance(*this);
    return true;
}

void CTesvanDoc::Undo()
{
    if (m_nUndoCount < 1)
        return;
    --m_nUndoCount;
    m_nUndoIndex = m_nUndoIndex - 1 < 0 ? kUndoEntries - 1 : m_nUndoIndex - 1;
    CUndoEntry& entry = m_Undo[m_nUndoIndex];

    ClearText(false);
    // Recomposed once, below.
    ResetSelection(false);

    if (entry.bPalette && entry.pPalette) {
        const CPaletteSnapshot& snap = *entry.pPalette;
        CLayer* layer = nullptr;
        for (CLayer& l : m_Layers)
            if (l.m_nPage == snap.nLayer) {
                layer = &l;
                break;
            }
        for (int j = 0; j < 16; ++j) {
            const RGBQUAD& e = snap.Entries[j];
            const uint32_t color = RGB(e.rgbRed, e.rgbGreen, e.rgbBlue);
            if (layer) {
                SetPaletteEntry(*layer, snap.nFirst + j, color);
            } else {
                // No layer of that identity: the colours come back, no pixels
                // are recoloured.
                m_Palette[snap.nFirst + j] = RGBQUAD{e.rgbBlue, e.rgbGreen, e.rgbRed, 0};
            }
        }
        if (snap.nFirst >= 16) {
            const int r = (snap.nFirst - 16) / 8;
            m_Gradations[r] = snap.Gradations[0];
            m_Gradations[r + 1] = snap.Gradations[1];
        }
        if (m_nBitCount == 8)
            ApplyPaletteToLayers();
    } else if (entry.pRegions) {
        for (CLayer& layer : m_Layers) {
            if (!HasImage(layer))
                continue;
            for (int k = 0; k < entry.nRegions; ++k) {
                const CLayerRegion& region = entry.pRegions[k];
                if (region.nLayer != layer.m_nPage)
                    continue;
                PutRegion(region, *layer.m_pImage, region.left, region.top, false, 0, true);
                break;
            }
        }
    }
    entry.Free();

    // The document now differs from what was last saved: closing must ask.
    SetModifiedFlag();
    ComposeAll(true);
    UpdateAllViews(HINT_PANE | HINT_CANVAS);
}

std::string CTesvanDoc::GetUndoName() const
{
    if (m_nUndoCount < 1)
        return {};
    const int index = m_nUndoIndex - 1 < 0 ? kUndoEntries - 1 : m_nUndoIndex - 1;
    const CUndoEntry& entry = m_Undo[index];
    if (entry.bPalette)
        return "カラー変更";
    return CommandUndoName(entry.nCommand);
}

std::string CTesvanDoc::GetUndoMenuText() const
{
    const std::string name = GetUndoName();
    if (name.empty())
        return "元に戻す(&U)\tCtrl+Z";
    return "元に戻す(" + name + ")(&U)\tCtrl+Z";
}
