#include "views/LeftView.h"

#include "views/AnimationDlg.h"
#include "views/PaneArt.h"
#include "views/RightView.h"
#include "views/ScrollView.h"
#include "views/WorkImage.h"

#include "views/Language.h"

#include <QCoreApplication>
#include <QHelpEvent>
#include <QToolTip>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

namespace {

const QColor kPaneGrey(pane::kGrey, pane::kGrey, pane::kGrey);
const QColor kGreen(0, 255, 0);
const QColor kBlue(0, 0, 255);

// A palette entry as the console shows it at the document's colour precision.
QColor ShownColor(const CTesvanDoc& doc, const RGBQUAD& e)
{
    const uint32_t c = doc.SnapToPrecision(RGB(e.rgbRed, e.rgbGreen, e.rgbBlue));
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}
QColor ValueColor(uint32_t c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }

// A framed rectangle as the platform draws it: right and bottom exclusive,
// a one-pixel frame, the inside filled.
void FramedRect(QPainter& p, int l, int t, int r, int b, const QColor& frame, const QColor& fill)
{
    if (r <= l || b <= t)
        return;
    p.fillRect(l, t, r - l, b - t, frame);
    if (r - l > 2 && b - t > 2)
        p.fillRect(l + 1, t + 1, r - l - 2, b - t - 2, fill);
}

// Lines whose end point is not drawn.
void PaneHLine(QPainter& p, int x0, int x1, int y, const QColor& c) { p.fillRect(x0, y, x1 - x0, 1, c); }
void PaneVLine(QPainter& p, int x, int y0, int y1, const QColor& c) { p.fillRect(x, y0, 1, y1 - y0, c); }

// The platform's sunken edge: shadow above and left, light below and right,
// two rings.
void SunkenEdge(QPainter& p, int l, int t, int r, int b)
{
    const QColor shadow(160, 160, 160), dark(105, 105, 105), light(227, 227, 227), hilite(255, 255, 255);
    auto ring = [&](int l, int t, int r, int b, const QColor& tl, const QColor& br) {
        PaneHLine(p, l, r - 1, t, tl);
        PaneVLine(p, l, t, b - 1, tl);
        PaneHLine(p, l, r, b - 1, br);
        PaneVLine(p, r - 1, t, b - 1, br);
    };
    ring(l, t, r, b, shadow, hilite);
    ring(l + 1, t + 1, r - 1, b - 1, dark, light);
}

QFont LabelFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("MS Gothic"), QStringLiteral("MS ゴシック"),
                      QStringLiteral("IPAGothic"), QStringLiteral("IPAexGothic"),
                      QStringLiteral("Noto Sans CJK JP")});
    font.setPixelSize(10);
    font.setWeight(QFont::Normal);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

} // namespace

CLeftView::CLeftView(CTesvanDoc* doc, QWidget* parent) : QAbstractScrollArea(parent), m_pDoc(doc)
{
    setFocusPolicy(Qt::StrongFocus);
    setFrameShape(QFrame::StyledPanel);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent, true);
    viewport()->setMouseTracking(true);
    m_pDoc->AddView(this);
    SetScrollSize(QSize(100, 100));
}

CLeftView::~CLeftView() { m_pDoc->RemoveView(this); }

void CLeftView::SetScrollSize(QSize size)
{
    m_szScroll = size;
    SetScrollArea(this, size);
}

void CLeftView::OnInitialUpdate()
{
    const pane::Size s = pane::ScrollSize(*m_pDoc);
    SetScrollSize(QSize(s.width, s.height));
    viewport()->update();
}

void CLeftView::OnUpdate(int hint)
{
    if (!(hint & HINT_PANE))
        return;
    const pane::Size s = pane::ScrollSize(*m_pDoc);
    SetScrollSize(QSize(s.width, s.height));
    // The animation's cell pictures show the same sheet.
    if (auto* anime = dynamic_cast<CAnimaitionDlg*>(m_pDoc->m_pAnimeDlg))
        anime->RepaintCells();
    // The pane is drawn whole off-screen, so erasing first (bit 16) shows
    // nothing different.
    viewport()->update();
}

void CLeftView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    SetScrollArea(this, m_szScroll);
}

void CLeftView::scrollContentsBy(int, int) { viewport()->update(); }

void CLeftView::Render(QPainter& p, const QRect& area) const
{
    const CTesvanDoc& doc = *m_pDoc;
    p.fillRect(area, kPaneGrey);
    p.setFont(LabelFont());
    p.setPen(Qt::black);
    p.setBackgroundMode(Qt::TransparentMode);
    const CLayer& layer = doc.m_Layers[doc.m_nCurrentLayer];
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine;

    // Shared palette.
    FramedRect(p, 15, 63, 272, 128, Qt::black, Qt::white);
    for (int n = 0; n < 64; ++n) {
        const pane::Rect c = pane::SharedCell(n);
        p.fillRect(c.left, c.top, 15, 15, ShownColor(doc, doc.m_Palette[n]));
    }
    for (int c = 1; c < 16; ++c)
        PaneVLine(p, 15 + 16 * c, 63, 128, Qt::black);
    for (int r = 0; r < 4; ++r)
        PaneHLine(p, 15, 272, 63 + 16 * r, Qt::black);
    p.save();
    p.setClipRect(QRect(15, 52, 272 - 15, 62 - 52));
    p.drawText(QRect(15, 52, 272 - 15, 62 - 52), flags, QCoreApplication::translate("CLeftView", "グローバル パレット"));
    p.restore();

    // The current layer's chip page.
    const int first = (layer.m_nPage + 4) * 16;
    FramedRect(p, 15, 143, 272, 160, Qt::black, Qt::white);
    for (int i = 0; i < 16; ++i) {
        const pane::Rect c = pane::LayerCell(i);
        if (first + i < 256)
            p.fillRect(c.left, c.top, 15, 15, ShownColor(doc, doc.m_Palette[first + i]));
    }
    for (int i = 1; i < 16; ++i)
        PaneVLine(p, 15 + 16 * i, 143, 160, Qt::black);
    p.save();
    p.setClipRect(QRect(15, 132, 272 - 15, 142 - 132));
    p.drawText(QRect(15, 132, 272 - 15, 142 - 132), flags, QCoreApplication::translate("CLeftView", "レイヤー パレット"));
    p.restore();

    // The two drawing colours: swatch, marker, and in 32-bit the alpha half.
    // Colour 2 comes last and covers colour 1 on a shared entry.
    for (int slot = 0; slot < 2; ++slot) {
        const QColor frame = slot == 0 ? kGreen : kBlue;
        const int n = std::clamp(layer.m_nColor[slot], 0, 255);
        const QColor colour = ShownColor(doc, doc.m_Palette[n]);
        const int left = slot == 0 ? 15 : 63;
        FramedRect(p, left, 15, left + 33, 48, frame, colour);
        const pane::Rect m = pane::MarkerRect(n);
        FramedRect(p, m.left, m.top, m.right, m.bottom, frame, colour);
        if (doc.m_nBitCount == 32) {
            const int grey = 255 - int(layer.m_nAlpha[slot] >> 24);
            FramedRect(p, left + 16, 15, left + 33, 48, frame, QColor(grey, grey, grey));
        }
    }

    // The sheet with its frame, character lines and the current cell.
    const int W = doc.m_nCellWidth, H = doc.m_nCellHeight;
    const int right = doc.m_nColumns * W + 16, bottom = doc.m_nRows * H + 176;
    const QColor grid = ValueColor(doc.m_crGridColor);
    FramedRect(p, 15, 175, right, bottom, grid, SheetBackground(doc));
    const QRect sheet(pane::kSheetLeft, pane::kSheetTop, doc.SheetWidth(), doc.SheetHeight());
    const QRect exposed = area.intersected(sheet);
    if (!exposed.isEmpty()) {
        QImage part = RenderWorkImage(doc, exposed.translated(-pane::kSheetLeft, -pane::kSheetTop),
                                      exposed.size());
        if (!part.isNull())
            p.drawImage(exposed.topLeft(), part);
    }
    if (doc.m_bShowCharLines == 1) {
        for (int j = 1; j < doc.m_nColumns; ++j)
            PaneVLine(p, 15 + j * W, 175, bottom, grid);
        for (int k = 1; k < doc.m_nRows; ++k)
            PaneHLine(p, 15, right, 175 + k * H, grid);
    }
    // Tiles the console check finds against the rules.
    const QColor outline(255, 0, 0);
    for (const QRect& r : ConsoleOutlines(doc)) {
        const int l = pane::kSheetLeft + r.x(), t = pane::kSheetTop + r.y();
        PaneHLine(p, l, l + r.width(), t, outline);
        PaneHLine(p, l, l + r.width(), t + r.height() - 1, outline);
        PaneVLine(p, l, t, t + r.height(), outline);
        PaneVLine(p, l + r.width() - 1, t, t + r.height(), outline);
    }
    SunkenEdge(p, doc.m_nEditColumn * W + 14, doc.m_nEditRow * H + 174,
               doc.m_nEditColumn * W + W + 17, doc.m_nEditRow * H + H + 177);
}

void CLeftView::paintEvent(QPaintEvent* event)
{
    QPainter out(viewport());
    if (!m_pDoc->m_bInitialized) {
        out.fillRect(event->rect(), kPaneGrey);
        return;
    }
    // Drawn off-screen and copied in one operation.
    const QPoint scroll = ScrollPosition(this);
    QImage buffer(viewport()->size(), QImage::Format_RGB32);
    if (buffer.isNull())
        return;
    {
        QPainter p(&buffer);
        p.translate(-scroll);
        Render(p, QRect(scroll, viewport()->size()));
    }
    out.drawImage(0, 0, buffer);
}

QString CLeftView::ToolTipAt(int x, int y) const
{
    const CTesvanDoc& doc = *m_pDoc;
    if (!doc.m_bInitialized)
        return {};
    auto entryText = [&doc](int n) {
        const RGBQUAD& e = doc.m_Palette[n];
        // In a 32-bit document the first sixteen entries are alpha levels.
        if (doc.m_nBitCount == 32 && n < 16)
            return TrCore(QStringLiteral("%1: アルファ %2")).arg(n).arg(255 - e.rgbRed);
        return QStringLiteral("%1: %2 %3 %4").arg(n).arg(e.rgbRed).arg(e.rgbGreen).arg(e.rgbBlue);
    };
    const CLayer& layer = doc.m_Layers[doc.m_nCurrentLayer];
    // The two drawing-colour swatches.
    for (int slot = 0; slot < 2; ++slot) {
        const int left = 15 + 48 * slot;
        if (x >= left && x < left + 33 && y >= 15 && y < 48) {
            const int n = std::clamp(layer.m_nColor[slot], 0, 255);
            QString text = TrCore(QStringLiteral("色%1  ")).arg(slot + 1) + entryText(n);
            if (doc.m_nBitCount == 32)
                text += TrCore(QStringLiteral("  アルファ %1")).arg(layer.m_nAlpha[slot] >> 24);
            return text;
        }
    }
    const pane::Hit hit = pane::HitTest(doc, x, y);
    if (hit.area == pane::kShared)
        return entryText(hit.index);
    if (hit.area == pane::kLayer) {
        const int n = (layer.m_nPage + 4) * 16 + hit.index;
        return n >= 0 && n < 256 ? entryText(n) : QString();
    }
    return {};
}

bool CLeftView::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QPoint q = help->pos() + ScrollPosition(this);
        const QString text = ToolTipAt(q.x(), q.y());
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text, viewport());
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

void CLeftView::ReleaseAt(int x, int y, int button, bool control, const QPoint* screen)
{
    const pane::Hit hit = pane::HitTest(*m_pDoc, x, y);
    m_nHitArea = hit.area;
    if (hit.area != pane::kNone)
        m_nHitIndex = hit.index;
    if (control) {
        if (pane::MenuOpens(hit) && m_pPaletteMenu && screen)
            m_pPaletteMenu->popup(*screen);
        return;
    }
    pane::Release(*m_pDoc, hit, button);
}

bool CLeftView::MenuEnabled(int id) const
{
    return pane::MenuEnabled(*m_pDoc, pane::Hit{m_nHitArea, m_nHitIndex}, id);
}

void CLeftView::MenuCommand(int id) { pane::MenuCommand(*m_pDoc, pane::Hit{m_nHitArea, m_nHitIndex}, id); }

void CLeftView::mouseReleaseEvent(QMouseEvent* event)
{
    const int button = event->button() == Qt::LeftButton ? 0 : event->button() == Qt::RightButton ? 1 : -1;
    if (button < 0)
        return;
    const QPoint q = event->position().toPoint() + ScrollPosition(this);
    const QPoint screen = event->globalPosition().toPoint();
    ReleaseAt(q.x(), q.y(), button, event->modifiers() & Qt::ControlModifier, &screen);
}

void CLeftView::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint q = event->position().toPoint() + ScrollPosition(this);
    m_bOverPalette = pane::OverPalette(q.x(), q.y()) ? 1 : 0;
    UpdateCursor(event->modifiers() & Qt::ControlModifier);
}

void CLeftView::UpdateCursor(bool control)
{
    if (m_bOverPalette)
        viewport()->setCursor(control ? PaperCursor() : DropperCursor());
    else
        viewport()->unsetCursor();
}

void CLeftView::keyPressEvent(QKeyEvent* event)
{
    // Shift and Escape act as on the canvas, through the same document calls
    // (forwarding the event itself would also type an Escape into the text).
    if (HandleSharedViewKey(*m_pDoc, event))
        return;
    if (event->key() == Qt::Key_Control && m_bOverPalette)
        UpdateCursor(true);
    QAbstractScrollArea::keyPressEvent(event);
}

void CLeftView::keyReleaseEvent(QKeyEvent* event)
{
    if (HandleSharedViewKey(*m_pDoc, event))
        return;
    if (event->key() == Qt::Key_Control && m_bOverPalette)
        UpdateCursor(false);
    QAbstractScrollArea::keyReleaseEvent(event);
}
