// How the document is shown: the canvas's magnification, the layers shown,
// the background colour, the grid, the character lines and the neighbouring
// cells. None of these enters the undo history.
#include "doc/TesvanDoc.h"

#include "platform/UiPort.h"

#include <algorithm>
#include <iterator>

int CTesvanDoc::StepZoom(int zoom, int direction)
{
    if (direction > 0) {
        for (int z : kZoomSteps)
            if (z > zoom)
                return z;
        return kZoomSteps[std::size(kZoomSteps) - 1];
    }
    for (auto it = std::rbegin(kZoomSteps); it != std::rend(kZoomSteps); ++it)
        if (*it < zoom)
            return *it;
    return kZoomSteps[0];
}

void CTesvanDoc::SetZoom(int zoom)
{
    if (std::find(std::begin(kZoomSteps), std::end(kZoomSteps), zoom) == std::end(kZoomSteps) ||
        zoom == m_nZoom)
        return;
    m_nZoom = zoom;
    // Pending text and any selection belong to the old magnification; not a
    // change of the file.
    ClearText(false);
    ResetSelection(false);
    ComposeAll(true);
    UpdateAllViews(HINT_ERASE | HINT_CANVAS | HINT_PANE);
}

void CTesvanDoc::OnZoom() { SetZoom(m_nZoom == 8 ? 4 : 8); }
void CTesvanDoc::OnZoomIn() { SetZoom(StepZoom(m_nZoom, 1)); }
void CTesvanDoc::OnZoomOut() { SetZoom(StepZoom(m_nZoom, -1)); }
bool CTesvanDoc::CanZoomIn() const { return m_nZoom < kZoomSteps[std::size(kZoomSteps) - 1]; }
bool CTesvanDoc::CanZoomOut() const { return m_nZoom > kZoomSteps[0]; }

void CTesvanDoc::OnShowAllLayers()
{
    m_bShowAllLayers = !m_bShowAllLayers;
    ComposeAll(true);
    UpdateAllViews(HINT_CANVAS | HINT_PANE);
}

bool CTesvanDoc::SetBackColor(uint32_t colour)
{
    colour &= 0xFFFFFF;
    if (m_nBitCount != 32 || colour == m_crBackground)
        return false;
    m_crBackground = colour;
    ComposeAll(true);
    SetModifiedFlag();
    // Both panes show the background: the canvas and every cell of the sheet.
    UpdateAllViews(HINT_PIXELS | HINT_CANVAS | HINT_PANE);
    return true;
}

void CTesvanDoc::OnBackColor()
{
    if (m_nBitCount != 32)
        return;
    uint32_t colour = m_crBackground;
    if (UiPort().ChooseColor(colour))
        SetBackColor(colour);
}

// The grid and the character lines are saved with the document.
void CTesvanDoc::OnGrid()
{
    m_bShowGrid = m_bShowGrid == 1 ? 0 : 1;
    SetModifiedFlag();
    UpdateAllViews(HINT_PIXELS | HINT_CANVAS | HINT_PANE);
}

void CTesvanDoc::OnCharLines()
{
    m_bShowCharLines = m_bShowCharLines == 1 ? 0 : 1;
    SetModifiedFlag();
    UpdateAllViews(HINT_PIXELS | HINT_CANVAS | HINT_PANE);
}

void CTesvanDoc::OnNeighbours()
{
    m_bShowNeighbours = m_bShowNeighbours ? 0 : 1;
    UpdateAllViews(HINT_CANVAS);
}
