// The undo history: a list of steps, undone and redone in order, kept within
// a step limit and a memory budget. Pixel steps keep packed rectangles of
// layers, palette steps one 16-entry block, wholesale steps (import, resize,
// palette and layer files) the layers and settings their operation changed.
#include "doc/Codec.h"
#include "doc/Region.h"
#include "doc/TesvanDoc.h"

#include <algorithm>
#include <cstring>
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

// Packs a layer's rectangle (already on the image): run-length coded, or the
// bare rows when those are smaller.
bool CaptureRegion(const CLayer& layer, const CRect& rc, CUndoRegion& out)
{
    const CImageEx& image = *layer.m_pImage;
    const int bpp = image.GetBPP();
    if (!layer.Capture(out.region, rc.left, rc.top, rc.right, rc.bottom, bpp))
        return false;
    out.bRaw = false;
    const size_t w = size_t(rc.right - rc.left + 1), h = size_t(rc.bottom - rc.top + 1);
    const size_t rowBytes = w * size_t(bpp / 8);
    const size_t raw = rowBytes * h;
    if (out.region.data.GetSize() > raw && raw <= 0xFFFFFFFFu) {
        // A buffer of its own: the code's larger capacity is not kept.
        CBynaryBuffer rows;
        if (!rows.SetSize(uint32_t(raw)))
            return false;
        uint8_t* dst = rows.GetData();
        for (size_t y = 0; y < h; ++y)
            std::memcpy(dst + y * rowBytes, image.GetRow(rc.top + int(y)) + size_t(rc.left) * (bpp / 8),
                        rowBytes);
        out.region.data = std::move(rows);
        out.bRaw = true;
    }
    return true;
}

// Writes a saved rectangle back at its own place; pixels off the image are
// dropped.
void PutBack(const CUndoRegion& saved, CImageEx& image)
{
    const CLayerRegion& r = saved.region;
    if (!saved.bRaw) {
        PutRegion(r, image, r.left, r.top, false, 0, true);
        return;
    }
    const int px = image.GetBPP() / 8;
    const int w = r.right - r.left + 1;
    const size_t rowBytes = size_t(w) * px;
    if (r.data.GetSize() < rowBytes * size_t(r.bottom - r.top + 1))
        return;
    CRect rc{r.left, r.top, r.right, r.bottom};
    if (!ClipToImage(image, rc))
        return;
    for (int y = rc.top; y <= rc.bottom; ++y)
        std::memcpy(image.GetRow(y) + size_t(rc.left) * px,
                    r.data.GetData() + size_t(y - r.top) * rowBytes + size_t(rc.left - r.left) * px,
                    size_t(rc.right - rc.left + 1) * px);
}

size_t RegionSize(const CUndoRegion& r) { return sizeof r + r.region.data.GetCapacity(); }

// Saves the rectangle of the given layers (those with an image) as one step.
template <class Pick>
bool PushRegions(CTesvanDoc& doc, int command, const CRect& rect, Pick pick)
{
    auto entry = std::unique_ptr<CUndoEntry>(new (std::nothrow) CUndoEntry);
    if (!entry)
        return false;
    for (const CLayer& layer : doc.m_Layers) {
        if (!pick(layer) || !HasImage(layer))
            continue;
        CRect rc = rect;
        if (!ClipToImage(*layer.m_pImage, rc))
            continue;
        CUndoRegion region;
        if (CaptureRegion(layer, rc, region))
            entry->regions.push_back(std::move(region));
    }
    if (entry->regions.empty())
        return false;
    entry->bPalette = 0;
    entry->nCommand = command;
    entry->nRegions = int(entry->regions.size());
    entry->left = rect.left;
    entry->top = rect.top;
    entry->right = rect.right;
    entry->bottom = rect.bottom;
    doc.PushStep(std::move(entry));
    return true;
}

CPaletteSnapshot SnapPalette(const CTesvanDoc& doc, int layerId, int first)
{
    CPaletteSnapshot snap;
    snap.nLayer = layerId;
    snap.nFirst = first;
    if (first >= 16) {
        const int r = (first - 16) / 8;
        snap.Gradations[0] = doc.m_Gradations[r];
        snap.Gradations[1] = doc.m_Gradations[r + 1];
    }
    std::copy(doc.m_Palette + first, doc.m_Palette + first + 16, snap.Entries);
    return snap;
}

} // namespace

// ---------------------------------------------------------------- pixel and palette steps

void CUndoEntry::Free()
{
    regions.clear();
    pPalette.reset();
    bPalette = nCommand = nRegions = 0;
    left = top = right = bottom = 0;
}

size_t CUndoEntry::Size() const
{
    size_t n = sizeof *this + (pPalette ? sizeof *pPalette : 0);
    for (const CUndoRegion& r : regions)
        n += RegionSize(r);
    return n;
}

std::string CUndoEntry::Name() const
{
    if (bPalette)
        return "カラー変更";
    return CommandUndoName(nCommand);
}

void CUndoEntry::Exchange(CTesvanDoc& doc)
{
    if (bPalette && pPalette) {
        CPaletteSnapshot& snap = *pPalette;
        const CPaletteSnapshot now = SnapPalette(doc, snap.nLayer, snap.nFirst);
        CLayer* layer = nullptr;
        for (CLayer& l : doc.m_Layers)
            if (l.m_nPage == snap.nLayer) {
                layer = &l;
                break;
            }
        for (int j = 0; j < 16; ++j) {
            const RGBQUAD& e = snap.Entries[j];
            const uint32_t color = RGB(e.rgbRed, e.rgbGreen, e.rgbBlue);
            if (layer) {
                doc.SetPaletteEntry(*layer, snap.nFirst + j, color);
            } else {
                // No layer of that identity: the colours come back, no pixels
                // are recoloured.
                doc.m_Palette[snap.nFirst + j] = RGBQUAD{e.rgbBlue, e.rgbGreen, e.rgbRed, 0};
            }
        }
        if (snap.nFirst >= 16) {
            const int r = (snap.nFirst - 16) / 8;
            doc.m_Gradations[r] = snap.Gradations[0];
            doc.m_Gradations[r + 1] = snap.Gradations[1];
        }
        if (doc.m_nBitCount == 8)
            doc.ApplyPaletteToLayers();
        snap = now;
        return;
    }
    // Each layer (in layer order) takes the first unused region of its
    // identity; layers without an image now are skipped, their regions kept.
    std::vector<bool> used(regions.size(), false);
    for (CLayer& layer : doc.m_Layers) {
        if (!HasImage(layer))
            continue;
        for (size_t k = 0; k < regions.size(); ++k) {
            CUndoRegion& saved = regions[k];
            if (used[k] || saved.region.nLayer != layer.m_nPage)
                continue;
            used[k] = true;
            CRect rc{saved.region.left, saved.region.top, saved.region.right, saved.region.bottom};
            CUndoRegion now;
            const bool kept = ClipToImage(*layer.m_pImage, rc) && rc.left == saved.region.left &&
                              rc.top == saved.region.top && CaptureRegion(layer, rc, now);
            PutBack(saved, *layer.m_pImage);
            if (kept)
                saved = std::move(now);
            break;
        }
    }
}

// ---------------------------------------------------------------- wholesale steps

namespace {

// The settings a wholesale operation may change besides the layers, under
// the document's own names so that the document's list of them applies.
struct DocSettings {
    int m_nBitCount = 0;
    uint32_t m_crBackground = 0;
    int m_nCellWidth = 0, m_nCellHeight = 0, m_nColumns = 0, m_nRows = 0;
    int m_nEditColumn = 0, m_nEditRow = 0, m_nZoom = 0;
    RGBQUAD m_Palette[256];
    CGradationInfo m_Gradations[30];
    uint32_t m_crGridColor = 0, m_crGridStepColor = 0;
    int m_nGridStep = 0, m_bShowCharLines = 0, m_bShowGrid = 0, m_nCurrentLayer = 0;
    CAnimeSlot m_Anime[CTesvanDoc::kAnimeSlots];
    int m_nColorPrecision = 0;
    CChipMaps m_Maps;
};

// One layer slot: its settings and, packed, its whole image.
struct LayerState {
    int nPage = 0, nBitCount = 0, bVisible = 0;
    std::string strName, strFolder, strPath;
    int nColor[2] = {};
    uint32_t nAlpha[2] = {};
    bool bImage = false;
    int nWidth = 0, nHeight = 0, nBpp = 0;
    CUndoRegion pixels;

    void Capture(const CLayer& l)
    {
        nPage = l.m_nPage;
        nBitCount = l.m_nBitCount;
        bVisible = l.m_bVisible;
        strName = l.m_strName;
        strFolder = l.m_strFolder;
        strPath = l.m_strPath;
        std::copy(l.m_nColor, l.m_nColor + 2, nColor);
        std::copy(l.m_nAlpha, l.m_nAlpha + 2, nAlpha);
        bImage = HasImage(l);
        if (bImage) {
            nWidth = l.m_pImage->GetWidth();
            nHeight = l.m_pImage->GetHeight();
            nBpp = l.m_pImage->GetBPP();
            bImage = CaptureRegion(l, CRect{0, 0, nWidth - 1, nHeight - 1}, pixels);
        }
    }
    void Apply(CLayer& l, const RGBQUAD* palette) const
    {
        l.m_nPage = nPage;
        l.m_bVisible = bVisible;
        l.m_strName = strName;
        l.m_strFolder = strFolder;
        l.m_strPath = strPath;
        std::copy(nColor, nColor + 2, l.m_nColor);
        std::copy(nAlpha, nAlpha + 2, l.m_nAlpha);
        if (bImage) {
            if (l.CreateImage(nWidth, nHeight, palette, false, nBpp))
                PutBack(pixels, *l.m_pImage);
        } else {
            l.ReleaseImage();
        }
        l.m_nBitCount = nBitCount;
    }
    // The same content; the folder and file name a dialog left behind do not
    // count as a change of their own.
    bool SameContent(const LayerState& o) const
    {
        if (nPage != o.nPage || nBitCount != o.nBitCount || bVisible != o.bVisible ||
            strName != o.strName || !std::equal(nColor, nColor + 2, o.nColor) ||
            !std::equal(nAlpha, nAlpha + 2, o.nAlpha) || bImage != o.bImage)
            return false;
        if (!bImage)
            return true;
        const CBynaryBuffer& a = pixels.region.data;
        const CBynaryBuffer& b = o.pixels.region.data;
        return nWidth == o.nWidth && nHeight == o.nHeight && nBpp == o.nBpp &&
               pixels.bRaw == o.pixels.bRaw && a.GetSize() == b.GetSize() &&
               std::memcmp(a.GetData(), b.GetData(), a.GetSize()) == 0;
    }
    size_t Size() const
    {
        return sizeof *this + strName.capacity() + strFolder.capacity() + strPath.capacity() +
               (bImage ? pixels.region.data.GetCapacity() : 0);
    }
};

class CWholesaleStep : public CUndoStep {
public:
    CWholesaleStep(CTesvanDoc& doc, const char* name) : m_strName(name)
    {
        CTesvanDoc::PairSheetSettings(m_Settings, doc, CTesvanDoc::CopyField());
        for (int i = 0; i < CTesvanDoc::kLayers; ++i) {
            m_Layers[i] = std::make_unique<LayerState>();
            m_Layers[i]->Capture(doc.m_Layers[i]);
        }
    }

    // Keeps only what the operation changed; false when it changed nothing.
    bool Finish(CTesvanDoc& doc)
    {
        bool changed = false;
        CTesvanDoc::PairSheetSettings(m_Settings, doc, [&changed](auto& s, auto& d) {
            if (!CTesvanDoc::SameField(s, d))
                changed = true;
        });
        for (int i = 0; i < CTesvanDoc::kLayers; ++i) {
            LayerState now;
            now.Capture(doc.m_Layers[i]);
            if (!now.SameContent(*m_Layers[i]))
                changed = true;
            else if (now.strFolder == m_Layers[i]->strFolder && now.strPath == m_Layers[i]->strPath)
                m_Layers[i].reset();
            // else kept, so undoing brings the slot's file names back too
        }
        return changed;
    }

    void Undo(CTesvanDoc& doc) override { Exchange(doc); }
    void Redo(CTesvanDoc& doc) override { Exchange(doc); }
    size_t Size() const override
    {
        size_t n = sizeof *this + m_Settings.m_Maps.Bytes();
        for (const auto& l : m_Layers)
            if (l)
                n += l->Size();
        return n;
    }
    std::string Name() const override { return m_strName; }
    int Hint() const override { return HINT_ERASE | HINT_PIXELS | HINT_CANVAS | HINT_PANE; }

private:
    void Exchange(CTesvanDoc& doc)
    {
        // The present state of the kept slots first, then the settings (the
        // images are rebuilt with the restored palette and depth).
        std::unique_ptr<LayerState> now[CTesvanDoc::kLayers];
        for (int i = 0; i < CTesvanDoc::kLayers; ++i)
            if (m_Layers[i]) {
                now[i] = std::make_unique<LayerState>();
                now[i]->Capture(doc.m_Layers[i]);
            }
        const int oldWidth = doc.SheetWidth(), oldHeight = doc.SheetHeight(), oldBits = doc.m_nBitCount;
        CTesvanDoc::PairSheetSettings(m_Settings, doc, [](auto& s, auto& d) { std::swap(s, d); });
        for (int i = 0; i < CTesvanDoc::kLayers; ++i)
            if (m_Layers[i]) {
                m_Layers[i]->Apply(doc.m_Layers[i], doc.m_Palette);
                m_Layers[i] = std::move(now[i]);
            }
        if (doc.SheetWidth() != oldWidth || doc.SheetHeight() != oldHeight || doc.m_nBitCount != oldBits)
            doc.CreateWorkImage();
        if (doc.m_nBitCount == 8)
            doc.ApplyPaletteToLayers();
        doc.RefreshWorkPalette();
        doc.m_Points.clear();
        if (doc.m_pAnimeDlg)
            doc.m_pAnimeDlg->RefreshLayout();
        // The tabs read their captions again.
        doc.UpdateAllViews(0);
    }

    std::string m_strName;
    DocSettings m_Settings;
    std::unique_ptr<LayerState> m_Layers[CTesvanDoc::kLayers];
};

} // namespace

CUndoRecorder::CUndoRecorder(CTesvanDoc& doc, const char* name) : m_Doc(doc)
{
    if (m_Doc.m_nRecording++ == 0)
        m_pStep.reset(new (std::nothrow) CWholesaleStep(doc, name));
}

CUndoRecorder::~CUndoRecorder()
{
    --m_Doc.m_nRecording;
    if (!m_pStep)
        return;
    auto* step = static_cast<CWholesaleStep*>(m_pStep.get());
    if (step->Finish(m_Doc))
        m_Doc.PushStep(std::move(m_pStep));
    // The operation's own announcement came before the push.
    m_Doc.m_bStepPending = false;
}

// ---------------------------------------------------------------- pushes

bool CTesvanDoc::PushUndo(const CLayer& layer, int command, int, const CRect& rect)
{
    return PushRegions(*this, command, rect, [&layer](const CLayer& l) { return &l == &layer; });
}

bool CTesvanDoc::PushUndoChanging(CLayer& layer, int command, const CRect& rect,
                                  const std::function<void(uint8_t*, int)>& change)
{
    if (!HasImage(layer))
        return false;
    CImageEx& image = *layer.m_pImage;
    CRect rc = rect;
    if (!ClipToImage(image, rc))
        return false;
    const int bpp = image.GetBPP();
    const int px = bpp / 8;
    const int w = rc.right - rc.left + 1, h = rc.bottom - rc.top + 1;
    const auto row = [&](int y) { return image.GetRow(y) + size_t(rc.left) * px; };
    std::vector<uint8_t> code;
    bool saved = bpp == 8 || bpp == 32;
    int y = rc.top;
    if (saved) {
        try {
            CRowCoder coder(bpp, 0, code);
            for (; y <= rc.bottom; ++y) {
                coder.Add(row(y), w);
                change(row(y), y);
            }
            coder.Finish();
        } catch (const std::bad_alloc&) {
            saved = false;  // nothing kept; the rows not reached are still changed
        }
    }
    for (; y <= rc.bottom; ++y)
        change(row(y), y);
    if (!saved)
        return false;

    auto entry = std::unique_ptr<CUndoEntry>(new (std::nothrow) CUndoEntry);
    if (!entry)
        return false;
    CUndoRegion region;
    region.region.nLayer = layer.m_nPage;
    region.region.left = rc.left;
    region.region.top = rc.top;
    region.region.right = rc.right;
    region.region.bottom = rc.bottom;
    const size_t rowBytes = size_t(w) * px, raw = rowBytes * size_t(h);
    if (code.size() <= raw || raw > 0xFFFFFFFFu) {
        if (code.size() > 0xFFFFFFFFu || !region.region.data.SetSize(uint32_t(code.size())))
            return false;
        std::memcpy(region.region.data.GetData(), code.data(), code.size());
    } else {
        // Noise codes larger than the bare rows: the rows as they were,
        // decoded back from the code.
        CImageEx rows;
        if (!rows.CreateEx(w, h, bpp) || !region.region.data.SetSize(uint32_t(raw)))
            return false;
        CBynaryBuffer packed;
        if (!packed.SetSize(uint32_t(code.size())))
            return false;
        std::memcpy(packed.GetData(), code.data(), code.size());
        if (bpp == 8)
            Decompress8(packed, rows, w, h, 0);
        else
            Decompress32(packed, rows, w, h);
        for (int y = 0; y < h; ++y)
            std::memcpy(region.region.data.GetData() + size_t(y) * rowBytes, rows.GetRow(y), rowBytes);
        region.bRaw = true;
    }
    entry->regions.push_back(std::move(region));
    entry->bPalette = 0;
    entry->nCommand = command;
    entry->nRegions = 1;
    entry->left = rect.left;
    entry->top = rect.top;
    entry->right = rect.right;
    entry->bottom = rect.bottom;
    PushStep(std::move(entry));
    return true;
}

bool CTesvanDoc::PushUndo(int command, int, const CRect& rect)
{
    return PushRegions(*this, command, rect, [](const CLayer&) { return true; });
}

bool CTesvanDoc::PushUndo(int command)
{
    if (m_nSelLayer == -1)
        return PushUndo(command, m_nBitCount, m_rcSel);
    // The first layer of that identity only, as everywhere else.
    for (const CLayer& layer : m_Layers)
        if (layer.m_nPage == m_nSelLayer)
            return PushUndo(layer, command, m_nBitCount, m_rcSel);
    return false;
}

bool CTesvanDoc::PushUndo(int layerId, int entryNumber)
{
    if (entryNumber < 0 || entryNumber > 255)
        return false;
    auto entry = std::unique_ptr<CUndoEntry>(new (std::nothrow) CUndoEntry);
    auto snap = std::unique_ptr<CPaletteSnapshot>(new (std::nothrow) CPaletteSnapshot);
    if (!entry || !snap)
        return false;
    *snap = SnapPalette(*this, layerId, entryNumber / 16 * 16);
    entry->bPalette = 1;
    entry->pPalette = std::move(snap);
    PushStep(std::move(entry));
    return true;
}

// ---------------------------------------------------------------- the history

void CTesvanDoc::PushStep(std::unique_ptr<CUndoStep> step)
{
    if (!step)
        return;
    // A new step ends what could be redone.
    if (m_nSavedStep > m_nUndoCount)
        m_nSavedStep = -1;
    m_Undo.erase(m_Undo.begin() + std::clamp(m_nUndoCount, 0, int(m_Undo.size())), m_Undo.end());
    m_Undo.push_back(std::move(step));
    m_nUndoCount = m_nUndoIndex = int(m_Undo.size());
    m_bStepPending = true;
    TrimUndo();
}

void CTesvanDoc::TrimUndo()
{
    // The newest step stays even when it alone exceeds the budget: the
    // change it undoes would otherwise be beyond reach.
    size_t bytes = GetUndoMemory();
    size_t drop = 0;
    while (drop < size_t(m_nUndoCount) &&
           (m_nUndoCount - int(drop) > m_nUndoLimit || (bytes > m_nUndoBudget && m_nUndoCount - int(drop) > 1))) {
        bytes -= m_Undo[drop]->Size();
        ++drop;
    }
    if (drop == 0)
        return;
    m_Undo.erase(m_Undo.begin(), m_Undo.begin() + drop);
    m_nUndoCount -= int(drop);
    m_nUndoIndex = m_nUndoCount;
    m_nSavedStep = m_nSavedStep >= int(drop) ? m_nSavedStep - int(drop) : -1;
}

size_t CTesvanDoc::GetUndoMemory() const
{
    size_t bytes = 0;
    for (const auto& step : m_Undo)
        bytes += step->Size();
    return bytes;
}

void CTesvanDoc::SetUndoLimits(int steps, size_t budget)
{
    m_nUndoLimit = std::clamp(steps, kUndoMinSteps, kUndoMaxSteps);
    m_nUndoBudget = budget;
    // What can no longer be redone within the new limits goes first.
    if (int(m_Undo.size()) > m_nUndoLimit) {
        if (m_nSavedStep > m_nUndoCount)
            m_nSavedStep = -1;
        m_Undo.erase(m_Undo.begin() + m_nUndoCount, m_Undo.end());
    }
    TrimUndo();
}

void CTesvanDoc::ClearUndo()
{
    m_Undo.clear();
    m_nUndoCount = m_nUndoIndex = 0;
    m_nSavedStep = m_bModified ? -1 : 0;
    m_bUntracked = false;
}

void CTesvanDoc::SetModifiedFlag(bool modified)
{
    m_bModified = modified;
    if (!modified) {
        m_nSavedStep = m_nUndoCount;
        m_bUntracked = false;
    } else if (!m_bStepPending && m_nRecording == 0) {
        // A change the history does not hold: undoing cannot return to the
        // saved state any more.
        m_bUntracked = true;
    }
}

void CTesvanDoc::AfterHistoryMove(const CUndoStep& step)
{
    m_bStepPending = false;
    m_bModified = !(m_nUndoCount == m_nSavedStep && !m_bUntracked);
    ComposeAll(true);
    UpdateAllViews(step.Hint());
}

void CTesvanDoc::Undo()
{
    if (m_nUndoCount < 1 || m_nUndoCount > int(m_Undo.size()))
        return;
    CUndoStep& step = *m_Undo[m_nUndoCount - 1];
    m_nUndoIndex = --m_nUndoCount;
    ClearText(false);
    // Recomposed once, below.
    ResetSelection(false);
    step.Undo(*this);
    AfterHistoryMove(step);
}

void CTesvanDoc::Redo()
{
    if (!CanRedo() || m_nUndoCount < 0)
        return;
    CUndoStep& step = *m_Undo[m_nUndoCount];
    m_nUndoIndex = ++m_nUndoCount;
    ClearText(false);
    ResetSelection(false);
    step.Redo(*this);
    AfterHistoryMove(step);
}

std::string CTesvanDoc::GetUndoName() const
{
    if (!CanUndo() || m_nUndoCount > int(m_Undo.size()))
        return {};
    return m_Undo[m_nUndoCount - 1]->Name();
}

std::string CTesvanDoc::GetRedoName() const
{
    if (!CanRedo() || m_nUndoCount < 0)
        return {};
    return m_Undo[m_nUndoCount]->Name();
}

std::string CTesvanDoc::GetUndoMenuText() const
{
    const std::string name = GetUndoName();
    if (name.empty())
        return "元に戻す(&U)\tCtrl+Z";
    return "元に戻す(" + name + ")(&U)\tCtrl+Z";
}

std::string CTesvanDoc::GetRedoMenuText() const
{
    const std::string name = GetRedoName();
    if (name.empty())
        return "やり直し(&R)\tCtrl+Y";
    return "やり直し(" + name + ")(&R)\tCtrl+Y";
}
