#include "edit/CanvasInput.h"

#include "platform/Cp932.h"
#include "platform/TextRaster.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kEdgeBand = 10;
constexpr int kEdgeStep = 4;

CPoint Add(CPoint a, CPoint b) { return CPoint{a.x + b.x, a.y + b.y}; }
CPoint Sub(CPoint a, CPoint b) { return CPoint{a.x - b.x, a.y - b.y}; }

} // namespace

SurfaceSize CanvasBitmapSize(int zoom, int cellWidth, int cellHeight)
{
    return SurfaceSize{zoom * cellWidth + 1, zoom * cellHeight + 1};
}

SurfaceSize CanvasScrollSize(int zoom, int cellWidth, int cellHeight)
{
    return SurfaceSize{zoom * cellWidth + 33, zoom * cellHeight + 33};
}

bool InCanvasPointerArea(CPoint q, int zoom, int cellWidth, int cellHeight)
{
    return q.x >= 16 && q.y >= 16 && q.x < zoom * cellWidth + 15 && q.y < zoom * cellHeight + 15;
}

CPoint ClampCanvasPoint(CPoint q, int zoom, int cellWidth, int cellHeight)
{
    const int right = zoom * cellWidth + 15;
    const int bottom = zoom * cellHeight + 15;
    if (q.x <= 16)
        q.x = 17;
    else if (q.x >= right)
        q.x = right - 1;
    if (q.y <= 16)
        q.y = 17;
    else if (q.y >= bottom)
        q.y = bottom - 1;
    return q;
}

bool InWrappedPointerArea(CPoint q, int zoom, int cellWidth, int cellHeight)
{
    const int w = zoom * cellWidth, h = zoom * cellHeight;
    return q.x >= 16 - w && q.y >= 16 - h && q.x < 16 + 2 * w && q.y < 16 + 2 * h;
}

CPoint ClampWrappedPoint(CPoint q, int zoom, int cellWidth, int cellHeight)
{
    const int w = zoom * cellWidth, h = zoom * cellHeight;
    q.x = std::clamp(q.x, 16 - w, 15 + 2 * w);
    q.y = std::clamp(q.y, 16 - h, 15 + 2 * h);
    return q;
}

SurfaceSize CanvasLayoutBitmapSize(const CTesvanDoc& doc)
{
    const int k = doc.m_Aids.bWrap ? 3 : 1;
    return CanvasBitmapSize(doc.m_nZoom, k * doc.m_nCellWidth, k * doc.m_nCellHeight);
}

SurfaceSize CanvasLayoutScrollSize(const CTesvanDoc& doc)
{
    const int k = doc.m_Aids.bWrap ? 3 : 1;
    return CanvasScrollSize(doc.m_nZoom, k * doc.m_nCellWidth, k * doc.m_nCellHeight);
}

CPoint CanvasWrapShift(const CTesvanDoc& doc)
{
    if (!doc.m_Aids.bWrap)
        return CPoint{};
    return CPoint{doc.m_nZoom * doc.m_nCellWidth, doc.m_nZoom * doc.m_nCellHeight};
}

CPoint CanvasCellPixel(CPoint q, int zoom)
{
    return CPoint{(q.x - 16) / zoom, (q.y - 16) / zoom};
}

CPoint EdgeScrollDelta(CPoint client, SurfaceSize clientSize, bool horizontalBar, bool verticalBar)
{
    CPoint d;
    if (horizontalBar) {
        if (client.x > clientSize.cx - kEdgeBand)
            d.x = kEdgeStep;
        else if (client.x < kEdgeBand)
            d.x = -kEdgeStep;
    }
    if (verticalBar) {
        if (client.y > clientSize.cy - kEdgeBand)
            d.y = kEdgeStep;
        else if (client.y < kEdgeBand)
            d.y = -kEdgeStep;
    }
    return d;
}

int CanvasCursorFor(int tool)
{
    switch (tool) {
    case Cmd::ToolPencil: return kCursorPencil;
    case Cmd::ToolFill: return kCursorFill;
    case Cmd::ToolDropper: return kCursorDropper;
    default: return kCursorDefault;
    }
}

CPoint CanvasCaretPosition(const CTesvanDoc& doc)
{
    const int z = doc.m_nZoom;
    CPoint pos{16 + z * doc.m_ptText.x, 16 + z * doc.m_ptText.y};
    if (!doc.m_strText.empty())
        pos.x += z * GetTextExtent(doc.m_strText, doc.m_lfText).cx;
    return pos;
}

SurfaceSize CanvasCaretSize(const CTesvanDoc& doc)
{
    return SurfaceSize{1, std::abs(doc.m_lfText.lfHeight) * doc.m_nZoom};
}

std::string CanvasStatusText(const CTesvanDoc& doc, CPoint q)
{
    // In wrap mode the tiles around the cell show the cell itself.
    const int w = doc.m_nZoom * doc.m_nCellWidth, h = doc.m_nZoom * doc.m_nCellHeight;
    if (doc.m_Aids.bWrap && w > 0 && h > 0 && q.x >= 16 - w && q.x < 16 + 2 * w && q.y >= 16 - h &&
        q.y < 16 + 2 * h) {
        q.x = 16 + (q.x - 16 + w) % w;
        q.y = 16 + (q.y - 16 + h) % h;
    }
    if (!doc.m_bInitialized || doc.m_nZoom < 1 ||
        !InCanvasPointerArea(q, doc.m_nZoom, doc.m_nCellWidth, doc.m_nCellHeight))
        return {};
    const CPoint p = CanvasCellPixel(q, doc.m_nZoom);
    const int sx = doc.m_nEditColumn * doc.m_nCellWidth + p.x;
    const int sy = doc.m_nEditRow * doc.m_nCellHeight + p.y;
    const CImageEx& work = doc.m_imgWork;
    char colour[16] = "";
    if (!work.IsNull() && sx < work.GetWidth() && sy < work.GetHeight()) {
        const uint8_t* row = work.GetRow(sy);
        if (work.GetBPP() == 8) {
            std::snprintf(colour, sizeof colour, "%d", row[sx]);
        } else {
            const uint8_t* px = row + 4 * sx;
            std::snprintf(colour, sizeof colour, "#%02X%02X%02X%02X", px[3], px[2], px[1], px[0]);
        }
    }
    char text[96];
    std::snprintf(text, sizeof text, "%d, %d  (sheet %d, %d)  %s", p.x, p.y, sx, sy, colour);
    return text;
}

bool CanvasTextBytes(const std::string& utf8, std::string& bytes)
{
    bytes.clear();
    if (utf8.empty())
        return true;
    if (!Utf8ToCp932(utf8, bytes)) {
        bytes.clear();
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- input

void CCanvasInput::OnButtonDown(CPoint client, unsigned flags, int button)
{
    CTesvanDoc& d = *m_pDoc;
    if (!d.m_bInitialized)
        return;
    const CPoint scroll = m_pHost->ScrollPosition();
    const CPoint q = Add(client, scroll);
    // The right button only drops a floating paste.
    if (button == 2 && d.m_nSelState == SelState::Floating) {
        d.ResetSelection(true);
        d.UpdateAllViews(HINT_CANVAS | HINT_PANE);
        return;
    }
    const bool inside = d.m_Aids.bWrap ? InWrappedPointerArea(q, d.m_nZoom, d.m_nCellWidth, d.m_nCellHeight)
                                       : InCanvasPointerArea(q, d.m_nZoom, d.m_nCellWidth, d.m_nCellHeight);
    if (!inside)
        return;
    // Alt with a drawing tool picks the colour for that button, the tool stays.
    if ((flags & kKeyFlagAlt) && d.m_nButton == 0 && d.PickColorAt(q, button))
        return;
    CPoint point = q;
    if (d.BeginStroke(point, flags, button)) {
        m_bCaptured = true;
        m_pHost->SetCapture();
    }
}

void CCanvasInput::OnButtonUp(int button, unsigned flags)
{
    CTesvanDoc& d = *m_pDoc;
    if (d.m_nButton != button || button == 0)
        return;
    if (d.EndStroke(flags)) {
        m_bCaptured = false;
        m_pHost->ReleaseCapture();
        if (d.m_nTool == Cmd::ToolText && m_bCaret)
            MoveCaret();
    }
}

void CCanvasInput::OnMouseMove(CPoint client, unsigned flags)
{
    CTesvanDoc& d = *m_pDoc;
    const CPoint scroll = m_pHost->ScrollPosition();
    std::string status = CanvasStatusText(d, Add(client, scroll));
    if (status != m_strStatus) {
        m_strStatus = std::move(status);
        m_pHost->ShowPointerStatus(m_strStatus);
    }
    if (d.m_nButton == 0)
        return;
    const CPoint q = d.m_Aids.bWrap ? ClampWrappedPoint(Add(client, scroll), d.m_nZoom, d.m_nCellWidth, d.m_nCellHeight)
                                    : ClampCanvasPoint(Add(client, scroll), d.m_nZoom, d.m_nCellWidth, d.m_nCellHeight);
    if (d.m_nSelState != SelState::Floating) {
        const CPoint step = EdgeScrollDelta(client, m_pHost->ClientSize(), m_pHost->HasHorizontalBar(),
                                            m_pHost->HasVerticalBar());
        if (step.x != 0 || step.y != 0)
            m_pHost->ScrollTo(Add(scroll, step));
    }
    d.TrackStroke(q);
}

void CCanvasInput::OnPointerLeave()
{
    if (m_strStatus.empty())
        return;
    m_strStatus.clear();
    m_pHost->ShowPointerStatus(m_strStatus);
}

void CCanvasInput::ChangeShift(CTesvanDoc& d, int down)
{
    d.m_bShift = down;
    // A floating paste shows opaque or transparent by Shift.
    if (d.m_nSelState == SelState::Floating) {
        d.ComposeAll(true);
        d.UpdateAllViews(HINT_CANVAS | HINT_PANE);
    }
}

void CCanvasInput::SharedKeyDown(CTesvanDoc& doc, int key)
{
    if (key == kVkShift && doc.m_bShift != 1)
        ChangeShift(doc, 1);
}

void CCanvasInput::SharedKeyUp(CTesvanDoc& doc, int key)
{
    if (key == kVkShift) {
        if (doc.m_bShift)
            ChangeShift(doc, 0);
    } else if (key == kVkEscape) {
        doc.OnEscapeKey();
    }
}

void CCanvasInput::OnKeyDown(int key) { SharedKeyDown(*m_pDoc, key); }

void CCanvasInput::OnKeyUp(int key) { SharedKeyUp(*m_pDoc, key); }

void CCanvasInput::OnChar(unsigned code)
{
    if (m_pDoc->m_nTool == Cmd::ToolText && m_pDoc->OnTextChar(code & 0xFF))
        MoveCaret();
}

void CCanvasInput::OnText(const std::string& utf8)
{
    std::string bytes;
    if (!CanvasTextBytes(utf8, bytes))
        return;
    for (char c : bytes)
        OnChar(uint8_t(c));
}

void CCanvasInput::CreateTextCaret()
{
    m_pHost->CreateCaret(CanvasCaretSize(*m_pDoc));
    m_bCaret = 1;
    MoveCaret();
}

void CCanvasInput::RemoveCaret()
{
    m_pHost->DestroyCaret();
    m_bCaret = 0;
}

void CCanvasInput::OnSetFocus()
{
    m_bFocus = true;
    if (!m_bCaret && m_pDoc->m_nTool == Cmd::ToolText)
        CreateTextCaret();
}

void CCanvasInput::OnKillFocus()
{
    m_bFocus = false;
    // Typed text stays (a click on a tab or the sheet pane takes the focus
    // before it fixes the text into its layer and cell).
    if (m_bCaret)
        RemoveCaret();
}

void CCanvasInput::OnDocumentChanged()
{
    // The caret follows the tool while the canvas keeps the focus: choosing
    // the text tool shows it, choosing another removes it.
    if (m_bCaret && m_pDoc->m_nTool != Cmd::ToolText)
        RemoveCaret();
    else if (m_bCaret)
        CreateTextCaret();
    else if (m_bFocus && m_pDoc->m_nTool == Cmd::ToolText)
        CreateTextCaret();
}

void CCanvasInput::MovePointer(CPoint logical)
{
    m_pHost->SetCursorPos(Sub(logical, m_pHost->ScrollPosition()));
}

void CCanvasInput::MoveCaret()
{
    if (!m_bCaret)
        return;
    m_pHost->SetCaretPos(Sub(CanvasCaretPosition(*m_pDoc), m_pHost->ScrollPosition()));
}
