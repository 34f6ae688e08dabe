#include "views/RightView.h"

#include "edit/Aids.h"

#include "views/ScrollView.h"
#include "views/WorkImage.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cstring>
#include <map>

namespace {

const QColor kPaneGrey(200, 200, 200);

uint32_t Pixel32(uint32_t c) { return 0xFF000000u | uint32_t(GetRValue(c)) << 16 | uint32_t(GetGValue(c)) << 8 | GetBValue(c); }

unsigned KeyFlags(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons)
{
    unsigned flags = 0;
    if (buttons & Qt::LeftButton)
        flags |= kKeyFlagLButton;
    if (buttons & Qt::RightButton)
        flags |= kKeyFlagRButton;
    if (mods & Qt::ShiftModifier)
        flags |= kKeyFlagShift;
    if (mods & Qt::ControlModifier)
        flags |= kKeyFlagControl;
    if (mods & Qt::AltModifier)
        flags |= kKeyFlagAlt;
    return flags;
}

int ButtonNumber(Qt::MouseButton b)
{
    return b == Qt::LeftButton ? 1 : b == Qt::RightButton ? 2 : 0;
}

std::map<const CTesvanDoc*, CRightView*>& Canvases()
{
    static std::map<const CTesvanDoc*, CRightView*> canvases;
    return canvases;
}

// The pointer warp of the document lands on the canvas that shows it.
void MoveCanvasPointer(CTesvanDoc& doc, CPoint viewPoint)
{
    if (CRightView* canvas = CRightView::CanvasOf(&doc))
        canvas->Input().MovePointer(viewPoint);
}

int FloorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

// Halfway between a colour and the pane's grey: the neighbours stay visible
// but never compete with the current cell.
uint32_t Dim(uint32_t c) { return 0xFF000000u | (((c & 0xFEFEFEu) >> 1) + 0x646464u); }

// A scratch 32-bit surface reused between repaints of the same size.
CImageEx& Scratch(int w, int h)
{
    static CImageEx surface;
    if (surface.IsNull() || surface.GetWidth() != w || surface.GetHeight() != h) {
        surface.Destroy();
        surface.CreateEx(w, h, 32);
    }
    return surface;
}

} // namespace

CRightView::CRightView(CTesvanDoc* doc, QWidget* parent)
    : QAbstractScrollArea(parent), m_pDoc(doc), m_Input(doc, this)
{
    setFocusPolicy(Qt::StrongFocus);
    setFrameShape(QFrame::StyledPanel);
    setAttribute(Qt::WA_InputMethodEnabled, true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent, true);
    viewport()->setMouseTracking(true);
    m_pDoc->AddView(this);
    CTesvanDoc::s_pfnMovePointer = &MoveCanvasPointer;
    m_CaretTimer.setInterval(std::max(100, QApplication::cursorFlashTime() / 2));
    connect(&m_CaretTimer, &QTimer::timeout, this, &CRightView::OnCaretTimer);
    SetScrollSize(QSize(100, 100));
}

CRightView::~CRightView()
{
    const auto it = Canvases().find(m_pDoc);
    if (it != Canvases().end() && it->second == this)
        Canvases().erase(it);
    m_pDoc->RemoveView(this);
}

CRightView* CRightView::CanvasOf(const CTesvanDoc* doc)
{
    const auto it = Canvases().find(doc);
    return it == Canvases().end() ? nullptr : it->second;
}

void CRightView::SetScrollSize(QSize size)
{
    m_szScroll = size;
    SetScrollArea(this, size);
}

void CRightView::OnInitialUpdate()
{
    const SurfaceSize s = CanvasLayoutScrollSize(*m_pDoc);
    SetScrollSize(QSize(s.cx, s.cy));
    Canvases()[m_pDoc] = this;
    viewport()->update();
}

void CRightView::OnUpdate(int hint)
{
    if (!(hint & HINT_CANVAS))
        return;
    // Turning wrap mode on or off keeps the cell where it was on the screen.
    const CPoint shift = CanvasWrapShift(*m_pDoc);
    const QPoint bar = ::ScrollPosition(this);
    const CPoint old = m_ptWrapShift;
    m_ptWrapShift = shift;
    const SurfaceSize s = CanvasLayoutScrollSize(*m_pDoc);
    SetScrollSize(QSize(s.cx, s.cy));
    if (!(shift == old))
        ScrollTo(CPoint{bar.x() - old.x, bar.y() - old.y});
    m_Input.OnDocumentChanged();
    UpdateCursor();
    viewport()->update();
}

void CRightView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    SetScrollArea(this, m_szScroll);
}

void CRightView::scrollContentsBy(int, int)
{
    m_Input.MoveCaret();
    viewport()->update();
}

// ---------------------------------------------------------------- drawing

QImage CRightView::RenderCanvas(const CTesvanDoc& doc, const QRect& part)
{
    if (!doc.m_Aids.bWrap)
        return RenderCell(doc, part, true);
    // Wrap mode: the cell 3 x 3, the middle tile last so its frame lines and
    // selection frame lie on top.
    const int tw = doc.m_nZoom * doc.m_nCellWidth, th = doc.m_nZoom * doc.m_nCellHeight;
    const QRect b = part.intersected(QRect(0, 0, 3 * tw + 1, 3 * th + 1));
    if (b.isEmpty() || doc.m_nZoom < 1)
        return {};
    QImage image(b.size(), QImage::Format_RGB32);
    if (image.isNull())
        return {};
    for (int t : {0, 1, 2, 3, 5, 6, 7, 8, 4}) {
        const QRect tile((t % 3) * tw, (t / 3) * th, tw + 1, th + 1);
        const QRect piece = tile.intersected(b);
        if (piece.isEmpty())
            continue;
        const QImage cell = RenderCell(doc, piece.translated(-tile.topLeft()), t == 4);
        for (int y = 0; y < cell.height(); ++y)
            std::memcpy(image.scanLine(piece.y() - b.y() + y) + 4 * (piece.x() - b.x()), cell.constScanLine(y),
                        size_t(cell.width()) * 4);
    }
    return image;
}

QImage CRightView::RenderCell(const CTesvanDoc& doc, const QRect& part, bool selection)
{
    const int z = doc.m_nZoom;
    const int W = doc.m_nCellWidth;
    const int H = doc.m_nCellHeight;
    const SurfaceSize bitmap = CanvasBitmapSize(z, W, H);
    const QRect b = part.intersected(QRect(0, 0, bitmap.cx, bitmap.cy));
    if (b.isEmpty() || z < 1)
        return {};
    const int bx = b.x(), by = b.y(), bw = b.width(), bh = b.height();
    QImage image(bw, bh, QImage::Format_RGB32);
    if (image.isNull())
        return {};
    auto row = [&image, by](int y) { return reinterpret_cast<uint32_t*>(image.scanLine(y - by)); };

    // The frame in the grid colour around the background colour; its right
    // and bottom lines lie under the cell's last column and row.
    const uint32_t back = Pixel32(doc.GetBackColor());
    const uint32_t frame = Pixel32(doc.m_crGridColor);
    for (int y = by; y < by + bh; ++y) {
        uint32_t* r = row(y);
        std::fill_n(r, bw, y == 0 ? frame : back);
        if (bx == 0)
            r[0] = frame;
    }

    // The cell pixels under the part: drawn 1:1 by the image's own rule over
    // the background, then magnified. Over a plain background the two orders
    // give the same picture, and this one touches each sheet pixel once.
    const CImageEx& work = doc.m_imgWork;
    const int px0 = std::max(0, (bx - 1) / z);
    const int px1 = std::min(W - 1, (bx + bw - 2) / z);
    const int py0 = std::max(0, (by - 1) / z);
    const int py1 = std::min(H - 1, (by + bh - 2) / z);
    if (!work.IsNull() && bx + bw > 1 && by + bh > 1 && px0 <= px1 && py0 <= py1) {
        const int n = px1 - px0 + 1, m = py1 - py0 + 1;
        CImageEx& cells = Scratch(n, m);
        if (!cells.IsNull()) {
            RenderCellPixels(doc, cells, px0, py0, n, m, back);
            const int xFirst = std::max(bx, 1), xLast = std::min(bx + bw - 1, z * W);
            for (int py = py0; py <= py1; ++py) {
                const int yFirst = std::max(by, 1 + z * py), yLast = std::min(by + bh - 1, z * (py + 1));
                if (yFirst > yLast)
                    continue;
                const auto* src = reinterpret_cast<const uint32_t*>(cells.GetRow(py - py0));
                uint32_t* dst = row(yFirst);
                for (int px = px0; px <= px1; ++px) {
                    const int x0 = std::max(xFirst, 1 + z * px), x1 = std::min(xLast, z * (px + 1));
                    if (x0 <= x1)
                        std::fill(dst + (x0 - bx), dst + (x1 - bx) + 1, src[px - px0] | 0xFF000000u);
                }
                for (int y = yFirst + 1; y <= yLast; ++y)
                    std::memcpy(row(y) + (xFirst - bx), dst + (xFirst - bx), size_t(xLast - xFirst + 1) * 4);
            }
        }
    }

    if (doc.m_bShowGrid == 1) {
        const uint32_t step = Pixel32(doc.m_crGridStepColor);
        const int gs = std::max(1, doc.m_nGridStep);
        const int yFirst = std::max(1, by), yEnd = std::min(z * H, by + bh);
        for (int i = std::max(1, bx / z); i < W && z * i < bx + bw; ++i) {
            const int x = z * i;
            if (x < bx)
                continue;
            const uint32_t c = i % gs == 0 ? step : frame;
            for (int y = yFirst; y < yEnd; ++y)
                row(y)[x - bx] = c;
        }
        const int xFirst = std::max(1, bx), xEnd = std::min(z * W, bx + bw);
        for (int j = std::max(1, by / z); j < H && z * j < by + bh; ++j) {
            const int y = z * j;
            if (y < by || xFirst >= xEnd)
                continue;
            std::fill(row(y) + (xFirst - bx), row(y) + (xEnd - bx), j % gs == 0 ? step : frame);
        }
    }

    // Tiles of this cell the console check finds against the rules.
    if (selection && doc.m_nConsoleCheck >= 0) {
        QPainter p(&image);
        p.translate(-bx, -by);
        const QColor red(255, 0, 0);
        const int cx = doc.m_nEditColumn * W, cy = doc.m_nEditRow * H;
        for (const QRect& r : ConsoleOutlines(doc)) {
            if (!r.intersects(QRect(cx, cy, W, H)))
                continue;
            const int l = 1 + z * (r.x() - cx), t = 1 + z * (r.y() - cy);
            const int w = z * r.width(), h = z * r.height();
            const int k = std::min(2, z);
            p.fillRect(l, t, w, k, red);
            p.fillRect(l, t + h - k, w, k, red);
            p.fillRect(l, t, k, h, red);
            p.fillRect(l + w - k, t, k, h, red);
        }
    }

    // The selection frame, only with the grid.
    if (selection && doc.m_bShowGrid == 1 && doc.m_nSelState != SelState::None) {
        CRect rc;
        const int owner = doc.GetSelViewRect(rc);
        if (owner != 0) {
            QColor colour;
            if (doc.m_nSelState == SelState::Selected)
                colour = owner == 1 ? QColor(255, 255, 0) : QColor(128, 128, 0);
            else
                colour = owner == 1 ? QColor(255, 0, 255) : QColor(128, 0, 128);
            QPainter p(&image);
            p.translate(-bx, -by);
            p.setRenderHint(QPainter::Antialiasing, false);
            p.setPen(QPen(colour, 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
            const QPoint corners[] = {{rc.left, rc.top}, {rc.right, rc.top}, {rc.right, rc.bottom},
                                      {rc.left, rc.bottom}, {rc.left, rc.top}};
            p.drawPolyline(corners, 5);
            // In wrap mode a paste running over the right or bottom edge comes
            // in on the left or top; so does its frame.
            const int tw = z * W, th = z * H;
            if (doc.m_Aids.bWrap && (rc.right > tw || rc.bottom > th)) {
                for (const QPoint shift : {QPoint(-tw, 0), QPoint(0, -th), QPoint(-tw, -th)}) {
                    if ((shift.x() != 0 && rc.right <= tw) || (shift.y() != 0 && rc.bottom <= th))
                        continue;
                    p.save();
                    p.translate(shift);
                    p.drawPolyline(corners, 5);
                    p.restore();
                }
            }
        }
    }
    return image;
}

QImage CRightView::RenderNeighbours(const CTesvanDoc& doc, const QRect& logical)
{
    QImage image(logical.size(), QImage::Format_RGB32);
    if (image.isNull())
        return {};
    image.fill(kPaneGrey);
    const int z = doc.m_nZoom;
    const int W = doc.m_nCellWidth, H = doc.m_nCellHeight;
    const CImageEx& work = doc.m_imgWork;
    if (z < 1 || work.IsNull() || logical.isEmpty())
        return image;
    // Sheet pixel of a logical point: the current cell's top-left is at 16.
    const int ox = doc.m_nEditColumn * W, oy = doc.m_nEditRow * H;
    const int sx0 = std::max(0, ox + FloorDiv(logical.left() - 16, z));
    const int sx1 = std::min(work.GetWidth() - 1, ox + FloorDiv(logical.right() - 16, z));
    const int sy0 = std::max(0, oy + FloorDiv(logical.top() - 16, z));
    const int sy1 = std::min(work.GetHeight() - 1, oy + FloorDiv(logical.bottom() - 16, z));
    if (sx0 > sx1 || sy0 > sy1)
        return image;
    const int n = sx1 - sx0 + 1, m = sy1 - sy0 + 1;
    CImageEx& cells = Scratch(n, m);
    if (cells.IsNull())
        return image;
    const uint32_t back = Pixel32(doc.GetBackColor());
    for (int j = 0; j < m; ++j)
        std::fill_n(reinterpret_cast<uint32_t*>(cells.GetRow(j)), n, back);
    work.Draw(cells, 0, 0, n, m, sx0, sy0, n, m);
    for (int y = logical.top(); y <= logical.bottom(); ++y) {
        const int sy = oy + FloorDiv(y - 16, z);
        if (sy < sy0 || sy > sy1)
            continue;
        const auto* src = reinterpret_cast<const uint32_t*>(cells.GetRow(sy - sy0));
        auto* dst = reinterpret_cast<uint32_t*>(image.scanLine(y - logical.top()));
        for (int x = logical.left(); x <= logical.right(); ++x) {
            const int sx = ox + FloorDiv(x - 16, z);
            if (sx >= sx0 && sx <= sx1)
                dst[x - logical.left()] = Dim(src[sx - sx0]);
        }
    }
    return image;
}

QRgb CRightView::ShownColor(CPoint logical) const
{
    if (!m_pDoc->m_bInitialized)
        return kPaneGrey.rgb();
    // The same picture paintEvent draws: the cell (3 x 3 in wrap mode) placed
    // so the current cell's frame corner is at the origin, neighbours around.
    const CPoint shift = CanvasWrapShift(*m_pDoc);
    const SurfaceSize bitmap = CanvasLayoutBitmapSize(*m_pDoc);
    const QRect placed(kCanvasOrigin - shift.x, kCanvasOrigin - shift.y, bitmap.cx, bitmap.cy);
    const QPoint q(logical.x, logical.y);
    QImage shown;
    if (placed.contains(q))
        shown = RenderCanvas(*m_pDoc, QRect(q - placed.topLeft(), QSize(1, 1)));
    else if (ShowsNeighbours())
        shown = RenderNeighbours(*m_pDoc, QRect(q, QSize(1, 1)));
    return shown.isNull() ? kPaneGrey.rgb() : shown.pixel(0, 0);
}

bool CRightView::ShowsNeighbours() const
{
    // The tiles of wrap mode stand where the neighbours would.
    return m_pDoc->m_bInitialized && m_pDoc->m_bShowNeighbours && !m_pDoc->m_Aids.bWrap;
}

void CRightView::paintEvent(QPaintEvent* event)
{
    QPainter p(viewport());
    const QRect exposed = event->rect();
    const CPoint scroll = ScrollPosition();
    const CPoint shift = CanvasWrapShift(*m_pDoc);
    const SurfaceSize bitmap = CanvasLayoutBitmapSize(*m_pDoc);
    const QRect placed(kCanvasOrigin - shift.x - scroll.x, kCanvasOrigin - shift.y - scroll.y, bitmap.cx, bitmap.cy);
    const QRect visible = m_pDoc->m_bInitialized ? placed.intersected(exposed) : QRect();

    // Only what lies around the picture is drawn first, so nothing flickers:
    // the neighbouring cells, or the grey.
    QRegion grey(exposed);
    grey -= visible;
    for (const QRect& r : grey) {
        if (ShowsNeighbours()) {
            const QImage around = RenderNeighbours(*m_pDoc, r.translated(scroll.x, scroll.y));
            if (!around.isNull()) {
                p.drawImage(r.topLeft(), around);
                continue;
            }
        }
        p.fillRect(r, kPaneGrey);
    }
    if (!visible.isEmpty()) {
        const QImage part = RenderCanvas(*m_pDoc, visible.translated(-placed.topLeft()));
        if (!part.isNull())
            p.drawImage(visible.topLeft(), part);
        else
            p.fillRect(visible, kPaneGrey);
    }
    if (m_bCaretExists && m_bCaretOn && m_rcCaret.intersects(exposed)) {
        p.setCompositionMode(QPainter::RasterOp_NotDestination);
        p.fillRect(m_rcCaret, Qt::black);
    }
}

// ---------------------------------------------------------------- host

CPoint CRightView::ScrollPosition() const
{
    // An axis the picture fits along has no scroll bar: the picture is
    // centred on it, which makes the position negative. The logical frame
    // keeps the cell's top-left pixel at (16, 16) when wrap mode adds the
    // tiles above and left of it.
    const QPoint s = ::ScrollPosition(this);
    const QSize view = viewport()->size();
    CPoint pos{s.x(), s.y()};
    if (m_szScroll.width() <= view.width())
        pos.x = -((view.width() - m_szScroll.width()) / 2);
    if (m_szScroll.height() <= view.height())
        pos.y = -((view.height() - m_szScroll.height()) / 2);
    const CPoint shift = CanvasWrapShift(*m_pDoc);
    return CPoint{pos.x - shift.x, pos.y - shift.y};
}

SurfaceSize CRightView::ClientSize() const
{
    return SurfaceSize{viewport()->width(), viewport()->height()};
}

bool CRightView::HasHorizontalBar() const { return horizontalScrollBar()->maximum() > 0; }
bool CRightView::HasVerticalBar() const { return verticalScrollBar()->maximum() > 0; }

void CRightView::ScrollTo(CPoint position)
{
    const CPoint shift = CanvasWrapShift(*m_pDoc);
    horizontalScrollBar()->setValue(position.x + shift.x);
    verticalScrollBar()->setValue(position.y + shift.y);
}

void CRightView::SetCapture()
{
    // While a button is held the toolkit already sends every move here; the
    // grab is taken when a stroke outlives its button (the open curve).
}

void CRightView::ReleaseCapture()
{
    if (m_bGrabbed) {
        viewport()->releaseMouse();
        m_bGrabbed = false;
    }
}

void CRightView::CreateCaret(SurfaceSize size)
{
    if (m_bCaretExists)
        viewport()->update(m_rcCaret);
    m_rcCaret.setSize(QSize(size.cx, size.cy));
    m_bCaretExists = true;
    m_bCaretOn = true;
    viewport()->update(m_rcCaret);
    if (!m_CaretTimer.isActive())
        m_CaretTimer.start();
}

void CRightView::DestroyCaret()
{
    if (m_bCaretExists)
        viewport()->update(m_rcCaret);
    m_bCaretExists = false;
    m_CaretTimer.stop();
}

void CRightView::SetCaretPos(CPoint client)
{
    if (!m_bCaretExists)
        return;
    viewport()->update(m_rcCaret);
    m_rcCaret.moveTopLeft(QPoint(client.x, client.y));
    m_bCaretOn = true;
    viewport()->update(m_rcCaret);
    updateMicroFocus();
}

void CRightView::SetCursorPos(CPoint client)
{
    // Batch runs have no pointer to move.
    if (QGuiApplication::platformName() == QLatin1String("offscreen") || !isVisible())
        return;
    QCursor::setPos(viewport()->mapToGlobal(QPoint(client.x, client.y)));
}

void CRightView::ShowPointerStatus(const std::string& text)
{
    if (m_StatusSink)
        m_StatusSink(QString::fromStdString(text));
}

void CRightView::Wheel(CPoint client, int steps, unsigned flags)
{
    if (steps == 0)
        return;
    if (flags & kKeyFlagControl) {
        const int z = m_pDoc->m_nZoom;
        int next = z;
        for (int i = 0; i < std::abs(steps); ++i)
            next = CTesvanDoc::StepZoom(next, steps > 0 ? 1 : -1);
        if (next == z || z < 1)
            return;
        const CPoint q{client.x + ScrollPosition().x, client.y + ScrollPosition().y};
        // The cell pixel under the pointer, with its fraction.
        const double fx = double(q.x - 16) / z, fy = double(q.y - 16) / z;
        m_pDoc->SetZoom(next);
        ScrollTo(CPoint{int(16 + fx * next) - client.x, int(16 + fy * next) - client.y});
        return;
    }
    QScrollBar* bar = (flags & kKeyFlagShift) ? horizontalScrollBar() : verticalScrollBar();
    bar->setValue(bar->value() - steps * 3 * bar->singleStep());
}

void CRightView::wheelEvent(QWheelEvent* event)
{
    unsigned flags = 0;
    if (event->modifiers() & Qt::ControlModifier)
        flags |= kKeyFlagControl;
    if (event->modifiers() & Qt::ShiftModifier)
        flags |= kKeyFlagShift;
    const QPoint angle = event->angleDelta();
    m_nWheelRest += angle.y() != 0 ? angle.y() : angle.x();
    const int steps = m_nWheelRest / 120;
    m_nWheelRest -= steps * 120;
    const QPoint p = event->position().toPoint();
    Wheel(CPoint{p.x(), p.y()}, steps, flags);
    event->accept();
}

void CRightView::leaveEvent(QEvent* event)
{
    QAbstractScrollArea::leaveEvent(event);
    m_Input.OnPointerLeave();
}

void CRightView::OnCaretTimer()
{
    if (!m_bCaretExists)
        return;
    m_bCaretOn = !m_bCaretOn;
    viewport()->update(m_rcCaret);
}

void CRightView::UpdateCursor()
{
    const int id = CanvasCursorFor(m_pDoc->m_nTool);
    if (id == m_nCursor)
        return;
    m_nCursor = id;
    if (id == kCursorDefault)
        viewport()->unsetCursor();
    else
        viewport()->setCursor(ToolCursor(id));
}

// ---------------------------------------------------------------- input

void CRightView::mousePressEvent(QMouseEvent* event)
{
    const int button = ButtonNumber(event->button());
    if (button == 0)
        return;
    m_Input.OnDocumentChanged();
    const QPoint p = event->position().toPoint();
    m_Input.OnButtonDown(CPoint{p.x(), p.y()}, KeyFlags(event->modifiers(), event->buttons()), button);
}

void CRightView::mouseDoubleClickEvent(QMouseEvent* event)
{
    // A second click is a press like the first.
    mousePressEvent(event);
}

void CRightView::mouseReleaseEvent(QMouseEvent* event)
{
    const int button = ButtonNumber(event->button());
    if (button == 0)
        return;
    m_Input.OnButtonUp(button, KeyFlags(event->modifiers(), event->buttons()));
    // A stroke that stays open after its button keeps the pointer.
    if (m_Input.IsCaptured() && event->buttons() == Qt::NoButton && !m_bGrabbed && isVisible()) {
        viewport()->grabMouse();
        m_bGrabbed = true;
    }
}

void CRightView::mouseMoveEvent(QMouseEvent* event)
{
    UpdateCursor();
    const QPoint p = event->position().toPoint();
    m_Input.OnMouseMove(CPoint{p.x(), p.y()}, KeyFlags(event->modifiers(), event->buttons()));
}

bool HandleSharedViewKey(CTesvanDoc& doc, QKeyEvent* event)
{
    int key = 0;
    if (event->key() == Qt::Key_Shift)
        key = kVkShift;
    else if (event->key() == Qt::Key_Escape)
        key = kVkEscape;
    else
        return false;
    if (event->type() == QEvent::KeyPress)
        CCanvasInput::SharedKeyDown(doc, key);
    else if (event->type() == QEvent::KeyRelease && !event->isAutoRepeat())
        CCanvasInput::SharedKeyUp(doc, key);
    event->accept();
    return true;
}

bool CRightView::event(QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool plain = !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
        if (plain && m_pDoc->m_nTool == Cmd::ToolText && m_pDoc->HasTextEntry() && !key->text().isEmpty() &&
            key->text().at(0) >= QLatin1Char(' ')) {
            key->accept();
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

void CRightView::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Shift: m_Input.OnKeyDown(kVkShift); break;
    case Qt::Key_Control: m_Input.OnKeyDown(kVkControl); break;
    case Qt::Key_Escape: m_Input.OnKeyDown(kVkEscape); break;
    default: break;
    }
    // The character messages the key makes.
    const bool control = event->modifiers() & Qt::ControlModifier;
    switch (event->key()) {
    case Qt::Key_Backspace: m_Input.OnChar(8); break;
    case Qt::Key_Return:
    case Qt::Key_Enter: m_Input.OnChar(13); break;
    case Qt::Key_Escape: m_Input.OnChar(27); break;
    case Qt::Key_Tab: m_Input.OnChar(9); break;
    default:
        if (!control && !event->text().isEmpty() && event->text().at(0) >= QLatin1Char(' '))
            m_Input.OnText(event->text().toUtf8().toStdString());
        break;
    }
    QAbstractScrollArea::keyPressEvent(event);
    if (event->key() == Qt::Key_Shift || event->key() == Qt::Key_Escape)
        event->accept();
}

void CRightView::keyReleaseEvent(QKeyEvent* event)
{
    if (!event->isAutoRepeat()) {
        switch (event->key()) {
        case Qt::Key_Shift: m_Input.OnKeyUp(kVkShift); break;
        case Qt::Key_Control: m_Input.OnKeyUp(kVkControl); break;
        case Qt::Key_Escape: m_Input.OnKeyUp(kVkEscape); break;
        default: break;
        }
    }
    QAbstractScrollArea::keyReleaseEvent(event);
    // Handled here: the layer tab view around must not handle them again.
    if (event->key() == Qt::Key_Shift || event->key() == Qt::Key_Escape)
        event->accept();
}

void CRightView::inputMethodEvent(QInputMethodEvent* event)
{
    // Committed input-method text arrives as code page 932 bytes, one
    // character message each.
    if (!event->commitString().isEmpty())
        m_Input.OnText(event->commitString().toUtf8().toStdString());
    event->accept();
}

QVariant CRightView::inputMethodQuery(Qt::InputMethodQuery query) const
{
    if (query == Qt::ImCursorRectangle || query == Qt::ImAnchorRectangle)
        return QRect(viewport()->mapTo(this, m_rcCaret.topLeft()), m_rcCaret.size());
    if (query == Qt::ImEnabled)
        return true;
    return QAbstractScrollArea::inputMethodQuery(query);
}

void CRightView::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    m_Input.OnSetFocus();
}

void CRightView::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    // Opening a menu keeps the canvas the focus it had.
    if (event->reason() == Qt::PopupFocusReason)
        return;
    m_Input.OnKillFocus();
}
