#include "views/plain/PaneLayout.h"

#include "doc/TesvanDoc.h"

#include <algorithm>

namespace pane {

namespace {

bool In(int x, int y, int left, int top, int right, int bottom)
{
    return x >= left && x < right && y >= top && y < bottom;
}

} // namespace

Size ScrollSize(const CTesvanDoc& doc)
{
    return {std::max(doc.m_nColumns * doc.m_nCellWidth + 31, kMinWidth),
            doc.m_nRows * doc.m_nCellHeight + 191};
}

Hit HitTest(const CTesvanDoc& doc, int x, int y)
{
    Hit hit;
    if (In(x, y, 16, 64, 271, 127)) {
        hit.area = kShared;
        hit.index = std::min((x - 16) / 16, 15) + 16 * std::min((y - 64) / 16, 3);
    } else if (In(x, y, 16, 144, 271, 159)) {
        hit.area = kLayer;
        hit.index = std::min((x - 16) / 16, 15);
    } else if (doc.m_nCellWidth > 0 && doc.m_nCellHeight > 0 &&
               In(x, y, 16, 176, doc.m_nColumns * doc.m_nCellWidth + 15,
                  doc.m_nRows * doc.m_nCellHeight + 175)) {
        hit.area = kSheet;
        hit.index = std::min((x - 16) / doc.m_nCellWidth, doc.m_nColumns - 1) +
                    doc.m_nColumns * std::min((y - 176) / doc.m_nCellHeight, doc.m_nRows - 1);
    }
    return hit;
}

bool OverPalette(int x, int y) { return In(x, y, 16, 64, 271, 127) || In(x, y, 16, 144, 271, 159); }

void Release(CTesvanDoc& doc, const Hit& hit, int button)
{
    switch (hit.area) {
    case kShared:
        doc.SelectColor(hit.index, button, 1);
        break;
    case kLayer:
        doc.SelectColor(hit.index, button, 0);
        break;
    case kSheet:
        if (button == 0)
            doc.SelectCell(hit.index);
        break;
    default:
        break;
    }
}

bool MenuOpens(const Hit& hit) { return hit.area == kShared || hit.area == kLayer; }

bool MenuEnabled(const CTesvanDoc& doc, const Hit& hit, int id)
{
    const bool alphaLevel = hit.area == kShared && hit.index < 16;
    if (id == Cmd::PaletteChangeColor)
        return !(alphaLevel && doc.m_nBitCount == 32);
    if (id == Cmd::PaletteGradation8 || id == Cmd::PaletteGradation16)
        return !alphaLevel;
    return false;
}

void MenuCommand(CTesvanDoc& doc, const Hit& hit, int id)
{
    if (!MenuEnabled(doc, hit, id))
        return;
    if (id == Cmd::PaletteChangeColor) {
        if (hit.area == kShared || hit.area == kLayer)
            doc.OnChangeColor(hit.index, hit.area == kShared ? 1 : 0);
    } else if (id == Cmd::PaletteGradation8 || id == Cmd::PaletteGradation16) {
        doc.MakeGradation(hit.index, id == Cmd::PaletteGradation8 ? 8 : 16, hit.area == kShared ? 1 : 0);
    }
}

Rect MarkerRect(int n)
{
    const int left = 15 + 16 * (n % 16);
    const int top = n < 64 ? 63 + 16 * (n / 16) : 143;
    return {left, top, left + 16, top + 16};
}

Rect SharedCell(int n)
{
    const int left = 16 + 16 * (n % 16);
    const int top = 64 + 16 * (n / 16);
    return {left, top, left + 15, top + 15};
}

Rect LayerCell(int i) { return {16 + 16 * i, 144, 16 + 16 * i + 15, 159}; }

} // namespace pane
