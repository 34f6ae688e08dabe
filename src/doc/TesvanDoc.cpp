#include "doc/TesvanDoc.h"

#include "doc/BynaryBuffer.h"

#include <algorithm>
#include <cstdio>

CAnimeWindow* (*CTesvanDoc::s_pfnCreateAnimeWindow)(CTesvanDoc* doc) = nullptr;

CTesvanDoc::CTesvanDoc() : CToolState(kPencil)
{
    CBynaryBuffer::SetBlockSize(256);
    // 12 points at 96 dots per inch.
    m_lfText.lfHeight = -16;
    m_lfText.lfCharSet = 1;
    m_lfText.lfFaceName = "ＭＳ Ｐゴシック";
    ClearText(false);
}

CTesvanDoc::~CTesvanDoc() = default;

bool CTesvanDoc::OnNewDocument()
{
    SetPathName({});
    SetModifiedFlag(false);

    for (int i = 0; i < kLayers; ++i) {
        m_Layers[i].Clear(i);
        char name[8];
        std::snprintf(name, sizeof name, "LY%02d", i);
        m_Layers[i].m_strName = name;
    }
    m_nCurrentLayer = 0;
    if (m_bWorkValid) {
        m_imgWork.Destroy();
        m_bWorkValid = 0;
    }
    ResetPalette();
    m_nEditColumn = m_nEditRow = 0;
    m_nZoom = 8;
    m_nColorPrecision = PRECISION_FULL;
    m_bShowAllLayers = 1;
    CreateWorkImage();
    m_bInitialized = 1;
    m_nPenWidth = 1;
    m_nTool = kPencil;
    m_nButton = 0;
    std::vector<CPoint>().swap(m_Points);
    ResetSelection(false);
    ClearUndo();
    m_Maps = CChipMaps{};
    m_MapEdit = CMapEditState{};
    ResetAnime();
    CreateAnimeWindow();
    UpdateAllViews(HINT_ERASE | HINT_PIXELS | HINT_CANVAS | HINT_PANE);
    m_strText.clear();
    return true;
}

void CTesvanDoc::ResetPalette()
{
    for (RGBQUAD& e : m_Palette)
        e = RGBQUAD{255, 255, 255, 0};
    for (CGradationInfo& g : m_Gradations)
        g = CGradationInfo{};
    if (m_nBitCount == 8) {
        m_Palette[0] = RGBQUAD{128, 128, 0, 0};
        CLayer& layer = m_Layers[std::clamp(m_nCurrentLayer, 0, kLayers - 1)];
        layer.m_nColor[0] = 1;
        layer.m_nColor[1] = 0;
    } else {
        for (int k = 0; k < 16; ++k) {
            const uint8_t grey = uint8_t(255 - 17 * k);
            m_Palette[k] = RGBQUAD{grey, grey, grey, 0};
        }
        m_Palette[16] = RGBQUAD{0, 0, 0, 0};
        m_Palette[17] = RGBQUAD{0, 0, 255, 0};
        m_Palette[18] = RGBQUAD{0, 255, 0, 0};
        m_Palette[19] = RGBQUAD{255, 0, 0, 0};
    }
    m_crGridColor = 0xFFFF00;
    m_crGridStepColor = 0xC8C8C8;
    m_bShowCharLines = 1;
    m_bShowGrid = 1;
}

void CTesvanDoc::ResetSelection(bool redraw)
{
    // A dropped paste goes back to the kept pieces, as it stood in its cell.
    if (IsPasteFloating() && m_nPieceCount > 0) {
        const int n = std::clamp(m_nPieceCount, 0, kLayers);
        for (int k = 0; k < kLayers; ++k) {
            std::swap(m_Kept[k], m_Pieces[k]);
            if (k >= n)
                m_Kept[k].Reset();
        }
        m_nKeptCount = n;
        m_nKeptLayer = m_nSelLayer;
        const int ox = m_nEditColumn * m_nCellWidth, oy = m_nEditRow * m_nCellHeight;
        m_rcKept = CRect{m_rcSel.left - ox, m_rcSel.top - oy, m_rcSel.right - ox, m_rcSel.bottom - oy};
        m_bKeptRotated = m_bPasteRotated;
        m_nKeptFlip = m_nPasteFlip;
    }
    ClearSelectionState();
    if (redraw)
        ComposeAll(true);
}

void CTesvanDoc::ResetAnime()
{
    ClearAnimeSlots();
    if (m_bAnimeShown && m_pAnimeDlg)
        m_pAnimeDlg->ShowWindow(false);
    m_bAnimeShown = 0;
}

void CTesvanDoc::CreateAnimeWindow()
{
    if (!m_pAnimeDlg && s_pfnCreateAnimeWindow)
        m_pAnimeDlg = s_pfnCreateAnimeWindow(this);
}

void CTesvanDoc::ClearText(bool redraw)
{
    ClearTextEntry();
    if (redraw)
        ComposeAll(true);
}

void CTesvanDoc::CancelText()
{
    if (m_strText.empty()) {
        m_chLead = 0;       // a lone lead byte is no text: nothing to redraw
        m_bTextPlaced = false;
        return;
    }
    ClearTextEntry();
    ComposeAll(true);
    UpdateAllViews(HINT_CANVAS | HINT_PANE);
}

void CSelectionState::ClearSelectionState()
{
    m_rcSel = CRect{};
    m_crMarquee = 0x808080;
    m_nSelState = SelState::None;
    m_nSelLayer = 0;
    m_bPasteRotated = 0;
    m_nPasteFlip = 0;
    m_nPieceCount = 0;
    for (CLayerRegion& piece : m_Pieces)
        piece.Reset();
    m_bShift = 0;
}

uint32_t CTesvanDoc::GetBackColor() const
{
    if (m_nBitCount == 8) {
        const RGBQUAD& e = m_Palette[0];
        return RGB(e.rgbRed, e.rgbGreen, e.rgbBlue);
    }
    return m_crBackground;
}

void CTesvanDoc::SetPathName(const std::string& path)
{
    m_strPathName = path;
    if (path.empty()) {
        m_strTitle = "無題";
        return;
    }
    const size_t slash = path.find_last_of('/');
    m_strTitle = slash == std::string::npos ? path : path.substr(slash + 1);
}

void CTesvanDoc::AddView(CDocObserver* view)
{
    if (view && std::find(m_Views.begin(), m_Views.end(), view) == m_Views.end())
        m_Views.push_back(view);
}

void CTesvanDoc::RemoveView(CDocObserver* view)
{
    m_Views.erase(std::remove(m_Views.begin(), m_Views.end(), view), m_Views.end());
}

void CTesvanDoc::UpdateAllViews(int hint)
{
    // A view may unregister itself while being told.
    // The change under way ends with this announcement.
    m_bStepPending = false;
    const std::vector<CDocObserver*> views = m_Views;
    for (CDocObserver* view : views)
        if (std::find(m_Views.begin(), m_Views.end(), view) != m_Views.end())
            view->OnUpdate(hint);
}
