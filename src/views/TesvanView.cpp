#include "views/TesvanView.h"

#include "views/LeftView.h"
#include "views/PaneArt.h"
#include "views/plain/LayerTabs.h"
#include "views/RightView.h"

#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QSplitter>
#include <QStyleOptionTabWidgetFrame>
#include <QStylePainter>
#include <QTabBar>

CTesvanView::CTesvanView(CTesvanDoc* doc, QWidget* parent) : QWidget(parent), m_pDoc(doc)
{
    m_pTabs = new QTabBar(this);
    m_pTabs->setDrawBase(false);
    m_pTabs->setExpanding(false);
    m_pTabs->setUsesScrollButtons(true);
    m_pTabs->setFocusPolicy(Qt::NoFocus);
    // A click on the tabs gives the view the keys, as the tab control has them.
    setFocusPolicy(Qt::ClickFocus);

    m_pSplitter = new QSplitter(Qt::Horizontal, this);
    m_pSplitter->setChildrenCollapsible(false);
    m_pLeft = new CLeftView(doc, m_pSplitter);
    m_pRight = new CRightView(doc, m_pSplitter);
    for (QWidget* pane : {static_cast<QWidget*>(m_pLeft), static_cast<QWidget*>(m_pRight)}) {
        pane->setMinimumWidth(kMinPaneWidth);
        pane->resize(100, 100);
    }
    m_pSplitter->addWidget(m_pLeft);
    m_pSplitter->addWidget(m_pRight);
    // Later resizes go to the right pane; the left keeps the user's width.
    m_pSplitter->setStretchFactor(0, 0);
    m_pSplitter->setStretchFactor(1, 1);

    connect(m_pTabs, &QTabBar::currentChanged, this, &CTesvanView::OnTabChanged);
    m_pTabs->installEventFilter(this);
    m_pDoc->AddView(this);
}

CTesvanView::~CTesvanView()
{
    m_pDoc->RemoveView(this);
}

void CTesvanView::OnInitialUpdate()
{
    if (m_pTabs->count() == 0) {
        m_bUpdatingTabs = true;
        m_pTabs->setIconSize(QSize(16, 17));
        for (int i = 0; i < CTesvanDoc::kLayers; ++i) {
            m_pTabs->addTab(QString::fromStdString(m_pDoc->m_Layers[i].m_strName));
            SetTabIcon(i, tabs::IconIndex(*m_pDoc, i));
        }
        m_bUpdatingTabs = false;
        m_pDoc->m_bShift = 0;
        LayoutChildren();
    }
    OnUpdate(0);
}

void CTesvanView::OnUpdate(int hint)
{
    if (hint != 0 || m_pTabs->count() == 0)
        return;
    m_bUpdatingTabs = true;
    for (int i = 0; i < CTesvanDoc::kLayers && i < m_pTabs->count(); ++i)
        RefreshTab(i);
    if (m_pDoc->m_nCurrentLayer >= 0 && m_pDoc->m_nCurrentLayer < m_pTabs->count())
        m_pTabs->setCurrentIndex(m_pDoc->m_nCurrentLayer);
    m_nSelectedTab = m_pTabs->currentIndex();
    m_bUpdatingTabs = false;
}

void CTesvanView::SetTabIcon(int tab, int icon)
{
    m_pTabs->setTabData(tab, icon);
    m_pTabs->setTabIcon(tab, TabIcon(icon));
}

int CTesvanView::TabIconIndex(int tab) const { return m_pTabs->tabData(tab).toInt(); }

QString CTesvanView::TabText(int tab) const { return m_pTabs->tabText(tab); }

void CTesvanView::RefreshTab(int tab)
{
    if (tab < 0 || tab >= m_pTabs->count())
        return;
    SetTabIcon(tab, tabs::IconIndex(*m_pDoc, tab));
    m_pTabs->setTabText(tab, QString::fromStdString(m_pDoc->m_Layers[tab].m_strName));
}

void CTesvanView::SelectTab(int index)
{
    if (index >= 0 && index < m_pTabs->count())
        m_pTabs->setCurrentIndex(index);
}

void CTesvanView::OnTabChanged(int index)
{
    if (m_bUpdatingTabs || index < 0 || index >= CTesvanDoc::kLayers)
        return;
    // The tab losing the selection drops the current mark, the new one gets it.
    const int old = m_nSelectedTab;
    m_nSelectedTab = index;
    if (old >= 0 && old < m_pTabs->count() && TabIconIndex(old) >= 2)
        SetTabIcon(old, TabIconIndex(old) - 2);
    if (TabIconIndex(index) < 2)
        SetTabIcon(index, TabIconIndex(index) + 2);
    // Typed text goes into the layer it was typed on.
    if (m_pDoc->m_bInitialized && index != m_pDoc->m_nCurrentLayer)
        m_pDoc->FixText();
    m_pDoc->m_nCurrentLayer = index;
    if (!m_pDoc->m_bInitialized)
        return;
    m_pDoc->ComposeAll(true);
    m_pDoc->UpdateAllViews(HINT_PIXELS | HINT_CANVAS | HINT_PANE);
}

bool CTesvanView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_pTabs && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton)
            return OnTabRightRelease(mouse->position().toPoint());
    }
    return QWidget::eventFilter(watched, event);
}

bool CTesvanView::OnTabRightRelease(const QPoint& pos)
{
    const int tab = m_pTabs->tabAt(pos);
    if (tab < 0 || tab >= CTesvanDoc::kLayers)
        return false;
    const QPoint screen = m_pTabs->mapToGlobal(pos);
    OpenLayerMenu(tab, &screen);
    return true;
}

void CTesvanView::OpenLayerMenu(int tab, const QPoint* screen)
{
    if (tab < 0 || tab >= CTesvanDoc::kLayers)
        return;
    m_pDoc->ResetSelection(true);
    m_pDoc->UpdateAllViews(HINT_CANVAS | HINT_PANE);
    m_nMenuLayer = tab;
    m_pMenuLayer = &m_pDoc->m_Layers[tab];
    if (m_pLayerMenu && screen)
        m_pLayerMenu->popup(*screen);
}

void CTesvanView::OnLayerShow()
{
    if (!m_pMenuLayer)
        return;
    const int k = m_nMenuLayer;
    tabs::ToggleVisible(*m_pDoc, k);
    SetTabIcon(k, TabIconIndex(k) + (m_pDoc->m_Layers[k].m_bVisible ? -1 : 1));
    m_pMenuLayer = nullptr;
}

void CTesvanView::OnLayerProperties()
{
    if (m_nMenuLayer < 0)
        return;
    if (tabs::EditProperties(*m_pDoc, m_nMenuLayer))
        RefreshTab(m_nMenuLayer);
}

void CTesvanView::OnLayerMove(int step)
{
    if (!m_pMenuLayer)
        return;
    const int k = m_nMenuLayer;
    if (!tabs::MoveLayer(*m_pDoc, k, step))
        return;
    RefreshTab(k);
    RefreshTab(k + step);
}

void CTesvanView::LayoutChildren()
{
    const int tabHeight = m_pTabs->sizeHint().height();
    m_pTabs->setGeometry(0, 0, width(), tabHeight);
    // The display area of the tab control, inside its frame.
    QRect area(0, tabHeight, width(), height() - tabHeight);
    area.adjust(2, 2, -2, -2);
    if (area.width() <= 0 || area.height() <= 0)
        return;
    m_pSplitter->setGeometry(area);
    // The division is made once the view has its real size on the screen.
    if (!m_bColumnsSet && window()->isVisible()) {
        // Set once: one third and the rest (the right pane absorbs the bar).
        const int w = area.width();
        m_pSplitter->setSizes({w / 3, w - w / 3 - m_pSplitter->handleWidth()});
        m_bColumnsSet = true;
    }
}

void CTesvanView::resizeEvent(QResizeEvent*)
{
    LayoutChildren();
}

void CTesvanView::paintEvent(QPaintEvent*)
{
    QStylePainter p(this);
    QStyleOptionTabWidgetFrame frame;
    frame.initFrom(this);
    const int tabHeight = m_pTabs->sizeHint().height();
    frame.rect = QRect(0, tabHeight - 1, width(), height() - tabHeight + 1);
    frame.tabBarSize = m_pTabs->size();
    frame.shape = QTabBar::RoundedNorth;
    frame.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    p.drawPrimitive(QStyle::PE_FrameTabWidget, frame);
}

void CTesvanView::keyPressEvent(QKeyEvent* event)
{
    if (!HandleSharedViewKey(*m_pDoc, event))
        QWidget::keyPressEvent(event);
}

void CTesvanView::keyReleaseEvent(QKeyEvent* event)
{
    if (!HandleSharedViewKey(*m_pDoc, event))
        QWidget::keyReleaseEvent(event);
}
