// Tool state and pointer strokes: which tool is current, how presses, moves
// and releases on the canvas collect points, and when they are committed to
// the current layer.
#include "doc/KeyFlags.h"
#include "doc/TesvanDoc.h"
#include "edit/Tools.h"
#include "platform/UiPort.h"

#include <algorithm>

void (*CTesvanDoc::s_pfnMovePointer)(CTesvanDoc& doc, CPoint viewPoint) = nullptr;

namespace {

void ReleasePoints(std::vector<CPoint>& points) { std::vector<CPoint>().swap(points); }

bool IsDrawingTool(int id) { return CommandToolKind(id) != ToolKind::None; }

// Centre of the floating paste's rectangle in zoomed cell coordinates.
CPoint PasteCentre(const CTesvanDoc& doc)
{
    const int ox = doc.m_nEditColumn * doc.m_nCellWidth;
    const int oy = doc.m_nEditRow * doc.m_nCellHeight;
    const int z = doc.m_nZoom;
    const int left = (doc.m_rcSel.left - ox) * z;
    const int top = (doc.m_rcSel.top - oy) * z;
    const int right = (doc.m_rcSel.right - ox + 1) * z;
    const int bottom = (doc.m_rcSel.bottom - oy + 1) * z;
    return CPoint{(left + right) / 2, (top + bottom) / 2};
}

void MovePointer(CTesvanDoc& doc, CPoint viewPoint)
{
    if (CTesvanDoc::s_pfnMovePointer)
        CTesvanDoc::s_pfnMovePointer(doc, viewPoint);
}

}  // namespace

int CTesvanDoc::GetToolKind() const
{
    switch (CommandToolKind(m_nTool)) {
    case ToolKind::Eyedropper: return KIND_EYEDROPPER;
    case ToolKind::Fill: return KIND_FILL;
    case ToolKind::Shape: return KIND_SHAPE;
    case ToolKind::Curve: return KIND_CURVE;
    case ToolKind::Select: return m_nSelState == SelState::Floating ? KIND_MOVE_PASTE : KIND_SELECT;
    case ToolKind::Text: return KIND_TEXT;
    case ToolKind::Freehand:
    case ToolKind::None: break;
    }
    return KIND_FREEHAND;
}

CPoint CTesvanDoc::CellPixel(CPoint point) const
{
    const int z = m_nZoom > 0 ? m_nZoom : 1;
    if (!m_Aids.bWrap || m_nCellWidth <= 0 || m_nCellHeight <= 0)
        return CPoint{(point.x - 16) / z, (point.y - 16) / z};
    // Wrap mode: the surrounding tiles show the cell again. Strokes and
    // figures keep their points as drawn (within one tile of the cell, so
    // they run on across the edge and are folded back when drawn); every
    // other tool takes the cell pixel the point shows.
    auto floorDiv = [](int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); };
    CPoint p{floorDiv(point.x - 16, z), floorDiv(point.y - 16, z)};
    const int kind = GetToolKind();
    const bool keep = kind == KIND_FREEHAND || kind == KIND_SHAPE || kind == KIND_CURVE;
    if (keep) {
        p.x = std::clamp(p.x, -m_nCellWidth, 2 * m_nCellWidth - 1);
        p.y = std::clamp(p.y, -m_nCellHeight, 2 * m_nCellHeight - 1);
    } else {
        p.x = ((p.x % m_nCellWidth) + m_nCellWidth) % m_nCellWidth;
        p.y = ((p.y % m_nCellHeight) + m_nCellHeight) % m_nCellHeight;
    }
    return p;
}

void CTesvanDoc::OnToolCommand(int id)
{
    if (!IsDrawingTool(id))
        return;
    // Choosing the selection tools or the eyedropper again keeps the
    // selection; choosing a drawing tool again drops it.
    const ToolKind kind = CommandToolKind(id);
    if ((kind == ToolKind::Select || kind == ToolKind::Eyedropper) && m_nTool == id)
        return;
    m_nTool = id;
    // A curve left open with Control or Shift would otherwise be finished by
    // the new tool with the curve's points.
    if (m_nButton != 0) {
        m_nButton = 0;
        ReleasePoints(m_Points);
        ComposeAll(true);
    }
    FixText();
    if (m_nSelState != SelState::None)
        ResetSelection(true);
    UpdateAllViews(HINT_CANVAS | HINT_PANE);
}

void CTesvanDoc::OnPenWidth(int width)
{
    if (width >= 1 && width <= 3)
        m_nPenWidth = width;
}

void CTesvanDoc::OnFontCommand()
{
    if (UiPort().ChooseFont(m_lfText))
        UiPort().MessageBox("フォントを変更しました。");
}

int CTesvanDoc::BeginStroke(CPoint& point, unsigned keyFlags, int button)
{
    if (button != 1 && button != 2)
        return 0;
    const int kind = GetToolKind();
    if (m_nButton != 0 && kind != KIND_CURVE)
        return 0;

    if (kind == KIND_MOVE_PASTE) {
        const CPoint c = CellPixel(point);
        const int sx = c.x + m_nEditColumn * m_nCellWidth;
        const int sy = c.y + m_nEditRow * m_nCellHeight;
        bool hit;
        if (m_Aids.bWrap && m_nCellWidth > 0 && m_nCellHeight > 0) {
            // The paste may run over the edges and come in on the other side.
            auto mod = [](int a, int m) { return (a % m + m) % m; };
            hit = mod(sx - m_rcSel.left, m_nCellWidth) <= m_rcSel.right - m_rcSel.left &&
                  mod(sy - m_rcSel.top, m_nCellHeight) <= m_rcSel.bottom - m_rcSel.top;
        } else {
            hit = sx >= m_rcSel.left && sx <= m_rcSel.right && sy >= m_rcSel.top && sy <= m_rcSel.bottom;
        }
        if (!hit)
            return 0;
        point = PasteCentre(*this);
        m_nSelState = SelState::Grabbed;
        MovePointer(*this, point);
    }

    const bool started = m_nButton == 0;
    if (started)
        m_nButton = button;
    const CPoint p = CellPixel(point);

    switch (kind) {
    case KIND_EYEDROPPER:
    case KIND_FILL:
        if (m_Points.empty())
            m_Points.push_back(p);
        break;
    case KIND_SHAPE:
    case KIND_FREEHAND:
        m_Points.push_back(p);
        break;
    case KIND_CURVE:
        if (m_Points.empty()) {
            m_Points.push_back(p);
            m_Points.push_back(p);
            m_ptLast = p;
        } else if ((keyFlags & (kKeyFlagControl | kKeyFlagShift)) != 0 && !(p == m_ptLast)) {
            m_ptLast = p;
            m_Points.push_back(p);
        }
        break;
    case KIND_SELECT:
        if (button == 2) {
            if (m_nSelState != SelState::Grabbed) {
                // A right press starts no selection: leave no stroke behind.
                if (started)
                    m_nButton = 0;
                return 0;
            }
            m_nSelState = SelState::Floating;
        } else {
            m_Points.push_back(p);
        }
        break;
    case KIND_MOVE_PASTE:
        if (m_Points.empty())
            m_Points.push_back(p);
        return 1;
    case KIND_TEXT:
        if (!m_Points.empty()) {
            ClearText(false);
            m_Points[0] = p;
        } else {
            m_Points.push_back(p);
        }
        break;
    default:
        break;
    }

    if (kind != KIND_FILL) {
        ComposeAll(true);
        UpdateAllViews(HINT_CANVAS | HINT_PANE);
    }
    return 1;
}

void CTesvanDoc::TrackStroke(CPoint point)
{
    if (m_nButton == 0)
        return;
    if (m_nSelState == SelState::Grabbed) {
        // The move the pointer warp of the grab produces.
        m_nSelState = SelState::Floating;
        return;
    }
    CPoint p = CellPixel(point);
    const size_t n = m_Points.size();
    switch (GetToolKind()) {
    case KIND_FREEHAND:
        if (n == 0 || !(p == m_Points.back()))
            m_Points.push_back(p);
        break;
    case KIND_CURVE:
        if (n >= 1)
            m_Points.back() = p;
        break;
    case KIND_SHAPE:
    case KIND_SELECT:
        if (n > 1)
            m_Points[1] = p;
        else
            m_Points.push_back(p);
        break;
    case KIND_MOVE_PASTE:
        if (n >= 1 && !(p == m_Points[0])) {
            const int dx = p.x - m_Points[0].x, dy = p.y - m_Points[0].y;
            m_rcSel.left += dx;
            m_rcSel.right += dx;
            m_rcSel.top += dy;
            m_rcSel.bottom += dy;
            if (KeepPasteInCell()) {
                const CPoint centre = PasteCentre(*this);
                p = CellPixel(centre);
                MovePointer(*this, centre);
            }
            m_Points[0] = p;
        }
        break;
    default:
        break;
    }
    const int ox = m_nEditColumn * m_nCellWidth, oy = m_nEditRow * m_nCellHeight;
    Compose(true, ox, oy, ox + m_nCellWidth - 1, oy + m_nCellHeight - 1);
    UpdateAllViews(HINT_CANVAS | HINT_PANE);
}

int CTesvanDoc::EndStroke(unsigned keyFlags)
{
    if (m_nButton == 0)
        return 0;
    // A grab released without a move: the paste stays floating where it is
    // (taken as a selection drag it would turn into a one-pixel selection
    // and lose the pieces).
    if (m_nSelState == SelState::Grabbed)
        m_nSelState = SelState::Floating;
    const int kind = GetToolKind();

    switch (kind) {
    case KIND_CURVE:
        if ((keyFlags & (kKeyFlagControl | kKeyFlagShift)) != 0)
            return 0;  // the curve stays open for further presses
        [[fallthrough]];
    case KIND_SHAPE:
    case KIND_FREEHAND:
    case KIND_FILL: {
        CLayer& layer = CurrentLayer();
        bool drew = false;
        if (!m_Points.empty()) {
            if (!layer.m_pImage)
                layer.CreateImage(SheetWidth(), SheetHeight(), m_Palette, false, m_nBitCount);
            const int filled = layer.m_pImage ? CommitFill(layer) : -1;
            if (filled >= 0) {
                drew = filled != 0;
            } else if (layer.m_pImage) {
                const int ox = m_nEditColumn * m_nCellWidth, oy = m_nEditRow * m_nCellHeight;
                PushUndo(layer, m_nTool, m_nBitCount,
                         CRect{ox, oy, ox + m_nCellWidth - 1, oy + m_nCellHeight - 1});
                drew = DrawToolOverlay(*layer.m_pImage) != 0;
            }
        }
        ReleasePoints(m_Points);
        // The committed composition shows no preview any more.
        m_nButton = 0;
        if (drew || !layer.m_pImage) {  // a layer that got no image: drop the preview
            if (drew)
                SetModifiedFlag();
            ComposeAll(true);
            UpdateAllViews(HINT_CANVAS | HINT_PANE);
        }
        return 1;
    }
    case KIND_SELECT:
        m_nButton = 0;
        FinishSelection();
        ComposeAll(true);
        UpdateAllViews(HINT_CANVAS | HINT_PANE);
        return 1;
    case KIND_MOVE_PASTE:
        m_nButton = 0;
        ReleasePoints(m_Points);
        ComposeAll(true);
        UpdateAllViews(HINT_CANVAS | HINT_PANE);
        return 1;
    case KIND_TEXT:
        if (!m_Points.empty()) {
            m_ptText = m_Points[0];
            m_bTextPlaced = true;
        }
        m_nButton = 0;
        ReleasePoints(m_Points);
        return 1;
    case KIND_EYEDROPPER:
        PickColor();
        m_nButton = 0;
        ReleasePoints(m_Points);
        return 1;
    default:
        m_nButton = 0;
        ReleasePoints(m_Points);
        return 1;
    }
}

bool CTesvanDoc::PickColorAt(CPoint point, int button)
{
    switch (CommandToolKind(m_nTool)) {
    case ToolKind::Freehand:
    case ToolKind::Shape:
    case ToolKind::Curve:
    case ToolKind::Fill:
    case ToolKind::Text:
        break;
    default:
        return false;
    }
    if (button != 1 && button != 2)
        return false;
    CPoint c = CellPixel(point);
    if (m_Aids.bWrap && m_nCellWidth > 0 && m_nCellHeight > 0) {
        // The tiles around the cell show the cell itself.
        c.x = (c.x % m_nCellWidth + m_nCellWidth) % m_nCellWidth;
        c.y = (c.y % m_nCellHeight + m_nCellHeight) % m_nCellHeight;
    }
    const int x = c.x + m_nEditColumn * m_nCellWidth;
    const int y = c.y + m_nEditRow * m_nCellHeight;
    CLayer& layer = CurrentLayer();
    const CImageEx* image = layer.m_pImage;
    if (c.x < 0 || c.y < 0 || c.x >= m_nCellWidth || c.y >= m_nCellHeight || !image ||
        image->IsNull() || x >= image->GetWidth() || y >= image->GetHeight())
        return true;
    const int slot = button - 1;
    if (image->GetBPP() == 8 && m_nBitCount == 8) {
        SelectColor(image->GetRow(y)[x], slot, 1);
    } else if (image->GetBPP() == 32 && m_nBitCount == 32) {
        const uint8_t* px = image->GetRow(y) + 4 * x;
        if (px[3] != 0)
            ChangePaletteColor(layer.m_nColor[slot], RGB(px[2], px[1], px[0]));
    }
    return true;
}

void CTesvanDoc::PickColor()
{
    if (m_Points.empty())
        return;
    CLayer& layer = CurrentLayer();
    if (!layer.m_pImage || layer.m_pImage->IsNull()) {
        UiPort().MessageBox("レイヤーにイメージがありません。");
        return;
    }
    const CImageEx& image = *layer.m_pImage;
    const int x = m_Points[0].x + m_nEditColumn * m_nCellWidth;
    const int y = m_Points[0].y + m_nEditRow * m_nCellHeight;
    // Only 32-bit layers carry the alpha the pick depends on.
    if (image.GetBPP() != 32 || x < 0 || y < 0 || x >= image.GetWidth() || y >= image.GetHeight())
        return;
    const uint8_t* px = image.GetRow(y) + 4 * x;
    if (px[3] == 0)
        return;
    const int entry = layer.m_nColor[m_nButton == 2 ? 1 : 0];
    ChangePaletteColor(entry, RGB(px[2], px[1], px[0]));
}

void CTesvanDoc::OnEscapeKey()
{
    if (m_nSelState != SelState::None) {
        ResetSelection(true);
    } else if (m_nTool == Cmd::ToolCurve && !m_Points.empty()) {
        m_Points.pop_back();
    } else {
        return;
    }
    UpdateAllViews(HINT_CANVAS | HINT_PANE);
}

void CTesvanDoc::SelectCell(int index)
{
    if (m_nColumns <= 0 || index < 0 || index >= m_nColumns * m_nRows)
        return;
    const int column = index % m_nColumns;
    const int row = index / m_nColumns;
    // Typed text goes into the cell it was typed in.
    if (column != m_nEditColumn || row != m_nEditRow)
        FixText();
    if (m_nSelState == SelState::Floating) {
        const int dx = (column - m_nEditColumn) * m_nCellWidth;
        const int dy = (row - m_nEditRow) * m_nCellHeight;
        m_rcSel.left += dx;
        m_rcSel.right += dx;
        m_rcSel.top += dy;
        m_rcSel.bottom += dy;
        ComposeAll(true);
    }
    m_nEditColumn = column;
    m_nEditRow = row;
    UpdateAllViews(HINT_CANVAS | HINT_PANE);
}
