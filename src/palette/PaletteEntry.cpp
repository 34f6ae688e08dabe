// Changing one palette entry: the undo record, the recolouring of a 32-bit
// layer, the remembered gradation it spoils, and the 8-bit colour tables.
#include "doc/TesvanDoc.h"

#include <cstring>

int CTesvanDoc::ChangePaletteColor(int entry, uint32_t color)
{
    if (entry < 0 || entry > 255)
        return 0;
    const RGBQUAD& e = m_Palette[entry];
    if (RGB(e.rgbRed, e.rgbGreen, e.rgbBlue) == (color & 0xFFFFFF))
        return 0;
    CLayer& layer = CurrentLayer();
    PushUndo(layer.m_nPage, entry);
    SetPaletteEntry(layer, entry, color);
    ForgetGradation(entry);
    if (m_nBitCount == 8)
        ApplyPaletteToLayers();
    ComposeAll(true);
    SetModifiedFlag();
    UpdateAllViews(HINT_PIXELS | HINT_CANVAS | HINT_PANE);
    return 1;
}

void CTesvanDoc::SetPaletteEntry(CLayer& layer, int entry, uint32_t color)
{
    if (entry < 0 || entry > 255)
        return;
    RGBQUAD& e = m_Palette[entry];
    if (m_nBitCount == 32 && entry >= 64 && layer.m_pImage && !layer.m_pImage->IsNull() &&
        layer.m_pImage->GetBPP() == 32) {
        const uint32_t from = uint32_t(e.rgbRed) << 16 | uint32_t(e.rgbGreen) << 8 | e.rgbBlue;
        const uint32_t to = uint32_t(GetRValue(color)) << 16 | uint32_t(GetGValue(color)) << 8 |
                            uint32_t(GetBValue(color));
        if (from != to) {
            CImageEx& img = *layer.m_pImage;
            const int w = img.GetWidth();
            for (int y = img.GetHeight() - 1; y >= 0; --y) {
                uint8_t* row = img.GetRow(y);
                for (int x = 0; x < w; ++x) {
                    uint32_t p;
                    std::memcpy(&p, row + 4 * x, 4);
                    // Fully transparent black is empty, never a colour.
                    if (p != 0 && (p & 0xFFFFFF) == from) {
                        p = (p & 0xFF000000u) | to;
                        std::memcpy(row + 4 * x, &p, 4);
                    }
                }
            }
        }
    }
    e = RGBQUAD{uint8_t(GetBValue(color)), uint8_t(GetGValue(color)), uint8_t(GetRValue(color)), 0};
}

void CTesvanDoc::ForgetGradation(int entry)
{
    if (entry < 16 || entry > 255)
        return;
    int r = (entry - 16) / 8;
    if (m_Gradations[r].nCount == 8) {
        m_Gradations[r] = CGradationInfo{};
        return;
    }
    r &= ~1;
    if (m_Gradations[r].nCount == 16)
        m_Gradations[r] = CGradationInfo{};
}

void CTesvanDoc::ApplyPaletteToLayers()
{
    if (m_nBitCount != 8)
        return;
    for (CLayer& layer : m_Layers)
        layer.ApplyPalette(m_Palette);
    RefreshWorkPalette();
}
