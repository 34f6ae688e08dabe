#include "views/RightView.h"

#include "views/ScrollView.h"
#include "views/WorkImage.h"

#include <QPaintEvent>
#include <QPainter>

namespace {
const QColor kPaneGrey(200, 200, 200);
}

CRightView::CRightView(CTesvanDoc* doc, QWidget* parent) : QAbstractScrollArea(parent), m_pDoc(doc)
{
    setFocusPolicy(Qt::StrongFocus);
    setFrameShape(QFrame::StyledPanel);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent, true);
    m_pDoc->AddView(this);
    SetScrollSize(QSize(100, 100));
}

CRightView::~CRightView()
{
    if (m_pDoc->m_pCanvasView == this)
        m_pDoc->m_pCanvasView = nullptr;
    m_pDoc->RemoveView(this);
}

void CRightView::SetScrollSize(QSize size)
{
    m_szScroll = size;
    SetScrollArea(this, size);
}

void CRightView::OnInitialUpdate()
{
    const int z = m_pDoc->m_nZoom;
    SetScrollSize(QSize(z * m_pDoc->m_nCellWidth + 33, z * m_pDoc->m_nCellHeight + 33));
    m_pDoc->m_pCanvasView = this;
    viewport()->update();
}

void CRightView::OnUpdate(int hint)
{
    if (!(hint & HINT_CANVAS))
        return;
    const int z = m_pDoc->m_nZoom;
    SetScrollSize(QSize(z * m_pDoc->m_nCellWidth + 33, z * m_pDoc->m_nCellHeight + 33));
    viewport()->update();
}

void CRightView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    SetScrollArea(this, m_szScroll);
}

void CRightView::scrollContentsBy(int, int) { viewport()->update(); }

void CRightView::paintEvent(QPaintEvent* event)
{
    QPainter p(viewport());
    p.fillRect(event->rect(), kPaneGrey);
    if (!m_pDoc->m_bInitialized)
        return;
    const int z = m_pDoc->m_nZoom;
    const int w = m_pDoc->m_nCellWidth;
    const int h = m_pDoc->m_nCellHeight;
    p.translate(-ScrollPosition(this));
    // Cell pixel (px, py) covers (16 + z px, 16 + z py) to (15 + z (px+1), 15 + z (py+1)).
    const uint32_t grid = m_pDoc->m_crGridColor;
    p.setPen(QColor(GetRValue(grid), GetGValue(grid), GetBValue(grid)));
    p.setBrush(SheetBackground(*m_pDoc));
    p.drawRect(15, 15, z * w, z * h);
    QImage cell = RenderWorkImage(
        *m_pDoc, QRect(m_pDoc->m_nEditColumn * w, m_pDoc->m_nEditRow * h, w, h), QSize(z * w, z * h));
    if (!cell.isNull())
        p.drawImage(16, 16, cell);
}
