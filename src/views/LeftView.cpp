#include "views/LeftView.h"

#include "views/ScrollView.h"
#include "views/WorkImage.h"

#include <QPaintEvent>
#include <QPainter>

namespace {
const QColor kPaneGrey(200, 200, 200);
// Where the sheet's top-left pixel is drawn.
constexpr int kSheetX = 16;
constexpr int kSheetY = 16;
}

CLeftView::CLeftView(CTesvanDoc* doc, QWidget* parent) : QAbstractScrollArea(parent), m_pDoc(doc)
{
    setFocusPolicy(Qt::StrongFocus);
    setFrameShape(QFrame::StyledPanel);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent, true);
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
    SetScrollSize(QSize(m_pDoc->SheetWidth() + 2 * kSheetX, m_pDoc->SheetHeight() + 2 * kSheetY));
    viewport()->update();
}

void CLeftView::OnUpdate(int hint)
{
    if (!(hint & HINT_PANE))
        return;
    OnInitialUpdate();
}

void CLeftView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    SetScrollArea(this, m_szScroll);
}

void CLeftView::scrollContentsBy(int, int) { viewport()->update(); }

void CLeftView::paintEvent(QPaintEvent* event)
{
    QPainter p(viewport());
    p.fillRect(event->rect(), kPaneGrey);
    if (!m_pDoc->m_bInitialized)
        return;
    const QPoint origin = -ScrollPosition(this);
    p.translate(origin);
    const QRect sheet(kSheetX, kSheetY, m_pDoc->SheetWidth(), m_pDoc->SheetHeight());
    QColor frame(GetRValue(m_pDoc->m_crGridColor), GetGValue(m_pDoc->m_crGridColor),
                 GetBValue(m_pDoc->m_crGridColor));
    p.setPen(frame);
    p.setBrush(SheetBackground(*m_pDoc));
    p.drawRect(sheet.adjusted(-1, -1, 0, 0));
    // Only the exposed part of the sheet is copied and drawn.
    QRect exposed = event->rect().translated(-origin).intersected(sheet);
    QImage part = RenderWorkImage(*m_pDoc, exposed.translated(-kSheetX, -kSheetY), exposed.size());
    if (!part.isNull())
        p.drawImage(exposed.topLeft(), part);
}
