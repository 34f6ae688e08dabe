#include "views/MapWindow.h"

#include "views/AnimationDlg.h"
#include "views/DialogPresenters.h"
#include "views/Language.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }
QString Tr(const char* text) { return TrCore(QString::fromUtf8(text)); }

unsigned KeysOf(Qt::KeyboardModifiers m)
{
    return (m & Qt::ControlModifier ? kMapKeyCtrl : 0u) | (m & Qt::ShiftModifier ? kMapKeyShift : 0u) |
           (m & Qt::AltModifier ? kMapKeyAlt : 0u);
}

} // namespace

// ---------------------------------------------------------------- view

CMapView::CMapView(CTesvanDoc* doc, QWidget* parent) : QAbstractScrollArea(parent), m_pDoc(doc), m_Input(*doc)
{
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent, true);
    viewport()->setMouseTracking(false);
}

CPoint CMapView::Logical(QPoint client) const
{
    const CPoint s = const_cast<CMapView*>(this)->m_Input.Scroll();
    return {client.x() + s.x, client.y() + s.y};
}

void CMapView::Refresh()
{
    m_bSyncing = true;
    m_Input.SetViewSize({viewport()->width(), viewport()->height()});
    const CPoint size = m_Input.ViewSize();
    horizontalScrollBar()->setRange(0, std::max(0, size.x - viewport()->width()));
    verticalScrollBar()->setRange(0, std::max(0, size.y - viewport()->height()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    verticalScrollBar()->setPageStep(viewport()->height());
    m_Input.SetScroll(m_Input.Scroll());
    horizontalScrollBar()->setValue(m_Input.Scroll().x);
    verticalScrollBar()->setValue(m_Input.Scroll().y);
    m_bSyncing = false;
    viewport()->update();
}

void CMapView::resizeEvent(QResizeEvent* e)
{
    QAbstractScrollArea::resizeEvent(e);
    Refresh();
}

void CMapView::scrollContentsBy(int, int)
{
    if (m_bSyncing)
        return;
    m_Input.SetScroll({horizontalScrollBar()->value(), verticalScrollBar()->value()});
    viewport()->update();
}

QImage CMapView::RenderVisible()
{
    QImage image(viewport()->size().expandedTo(QSize(1, 1)), QImage::Format_ARGB32);
    image.fill(0);
    const CChipMap* map = mapedit::Current(*m_pDoc);
    if (!map || !m_Chips.Update(*m_pDoc))
        return image;
    const std::vector<int> shown = m_fnShownCells ? m_fnShownCells() : std::vector<int>();
    CMapRenderOptions o;
    o.zoom = m_Input.Zoom();
    o.originX = m_Input.Scroll().x;
    o.originY = m_Input.Scroll().y;
    o.shownCell = shown.empty() ? nullptr : &shown;
    RenderMap(*map, m_Chips, {image.bits(), image.bytesPerLine(), image.width(), image.height()}, o);
    return image;
}

void CMapView::paintEvent(QPaintEvent*)
{
    QPainter p(viewport());
    p.fillRect(viewport()->rect(), palette().color(QPalette::Dark));
    const CChipMap* map = mapedit::Current(*m_pDoc);
    if (!map)
        return;
    const CPoint s = m_Input.Scroll();
    const CPoint size = m_Input.ViewSize();
    const QRect area(-s.x, -s.y, size.x, size.y);
    // Transparent chips show the document's background colour.
    const uint32_t b = m_pDoc->m_crBackground;
    p.fillRect(area, QColor(GetRValue(b), GetGValue(b), GetBValue(b)));
    p.drawImage(0, 0, RenderVisible());
    // The chip grid.
    const int cw = m_pDoc->m_nCellWidth * m_Input.Zoom(), ch = m_pDoc->m_nCellHeight * m_Input.Zoom();
    p.setPen(QColor(128, 128, 128, 96));
    for (int x = area.left() + cw; x < area.right() && x < width(); x += cw)
        if (x >= 0)
            p.drawLine(x, std::max(0, area.top()), x, area.bottom());
    for (int y = area.top() + ch; y < area.bottom() && y < height(); y += ch)
        if (y >= 0)
            p.drawLine(std::max(0, area.left()), y, area.right(), y);
    CRect r;
    bool take = false;
    if (m_Input.DragRect(r, take)) {
        p.setPen(QPen(take ? Qt::cyan : Qt::yellow, 2));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRect(r.left * cw - s.x, r.top * ch - s.y, (r.right - r.left + 1) * cw, (r.bottom - r.top + 1) * ch));
    }
}

void CMapView::mousePressEvent(QMouseEvent* e)
{
    const int button = e->button() == Qt::LeftButton ? 1 : e->button() == Qt::RightButton ? 2 : 0;
    if (button)
        m_Input.Press(Logical(e->position().toPoint()), button, KeysOf(e->modifiers()));
    viewport()->update();
}

void CMapView::mouseMoveEvent(QMouseEvent* e)
{
    m_Input.Move(Logical(e->position().toPoint()), KeysOf(e->modifiers()));
    viewport()->update();
}

void CMapView::mouseReleaseEvent(QMouseEvent* e)
{
    m_Input.Release(e->button() == Qt::LeftButton ? 1 : 2, KeysOf(e->modifiers()));
    viewport()->update();
}

void CMapView::wheelEvent(QWheelEvent* e)
{
    m_Input.Wheel(Logical(e->position().toPoint()), e->angleDelta().y() > 0,
                  (e->modifiers() & Qt::ControlModifier) != 0);
    Refresh();
    if (auto* w = dynamic_cast<CMapWindow*>(window()))
        w->RefreshControls();
}

void CMapView::keyPressEvent(QKeyEvent* e)
{
    const QString text = e->key() == Qt::Key_Escape ? QStringLiteral("escape") : e->text().toLower();
    if (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier) || !m_Input.Key(text.toStdString()))
        QAbstractScrollArea::keyPressEvent(e);
    viewport()->update();
}

// ---------------------------------------------------------------- window

CMapWindow::CMapWindow(CTesvanDoc* doc, QWidget* owner, std::function<void(int)> run,
                       std::function<std::pair<bool, bool>(int)> state)
    : QDialog(owner, Qt::Window), m_pDoc(doc), m_fnRun(std::move(run)), m_fnState(std::move(state))
{
    setWindowTitle(Tr("マップ"));
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* bar = new QMenuBar(this);
    layout->setMenuBar(bar);
    m_pMenu = bar->addMenu(TrCore(Q("マップ")));
    for (int id : {int(Cmd::MapNew), int(Cmd::MapProperties), int(Cmd::MapDelete), 0, int(Cmd::MapLayerNew),
                   int(Cmd::MapLayerDelete), int(Cmd::MapLayerShow), 0, int(Cmd::MapFlipH), int(Cmd::MapFlipV),
                   int(Cmd::MapRotate), 0, int(Cmd::FileExportMap)}) {
        if (id == 0) {
            m_pMenu->addSeparator();
            continue;
        }
        const CommandDef* def = FindCommand(id);
        QAction* a = m_pMenu->addAction(TrCore(Q(def->text)));
        a->setData(id);
        connect(a, &QAction::triggered, this, [this, id] { m_fnRun(id); });
    }
    connect(m_pMenu, &QMenu::aboutToShow, this, [this] {
        for (QAction* a : m_pMenu->actions())
            if (!a->isSeparator()) {
                const auto [enabled, checked] = m_fnState(a->data().toInt());
                a->setEnabled(enabled);
                a->setCheckable(checked);
                a->setChecked(checked);
            }
    });
    QMenu* zoom = bar->addMenu(Tr("表示倍率"));
    for (int z : {1, 2, 3, 4, 6, 8, 12, 16})
        connect(zoom->addAction(QStringLiteral("%1x").arg(z)), &QAction::triggered, this, [this, z] {
            m_pView->Input().SetZoom(z);
            m_pView->Refresh();
            RefreshControls();
        });

    auto* tools = new QHBoxLayout;
    tools->setContentsMargins(4, 4, 4, 0);
    m_pMaps = new QComboBox(this);
    m_pLayers = new QComboBox(this);
    auto* out = new QToolButton(this);
    out->setText(QStringLiteral("-"));
    auto* in = new QToolButton(this);
    in->setText(QStringLiteral("+"));
    m_pZoom = new QLabel(this);
    tools->addWidget(m_pMaps, 1);
    tools->addWidget(m_pLayers, 1);
    tools->addWidget(out);
    tools->addWidget(m_pZoom);
    tools->addWidget(in);
    layout->addLayout(tools);
    m_pView = new CMapView(doc, this);
    layout->addWidget(m_pView, 1);
    m_pView->m_fnShownCells = [this]() -> std::vector<int> {
        auto* anime = dynamic_cast<CAnimaitionDlg*>(m_pDoc->m_pAnimeDlg);
        if (!anime || !m_pDoc->m_bAnimeShown)
            return {};
        std::vector<int> shown(size_t(std::max(0, m_pDoc->m_nColumns * m_pDoc->m_nRows)));
        for (size_t c = 0; c < shown.size(); ++c)
            shown[c] = int(c);
        bool any = false;
        for (int k = 0; k < CTesvanDoc::kAnimeSlots; ++k) {
            const std::vector<int> seq = m_pDoc->AnimeSequence(k);
            const int now = anime->ShownCell(k);
            if (!seq.empty() && now >= 0 && seq[0] >= 0 && size_t(seq[0]) < shown.size() && shown[size_t(seq[0])] == seq[0]) {
                shown[size_t(seq[0])] = now;
                any = true;
            }
        }
        return any ? shown : std::vector<int>();
    };
    connect(out, &QToolButton::clicked, this, [this] {
        m_pView->Input().SetZoom(m_pView->Input().Zoom() / 2);
        m_pView->Refresh();
        RefreshControls();
    });
    connect(in, &QToolButton::clicked, this, [this] {
        m_pView->Input().SetZoom(m_pView->Input().Zoom() * 2);
        m_pView->Refresh();
        RefreshControls();
    });
    connect(m_pMaps, &QComboBox::currentIndexChanged, this, [this](int k) {
        if (!m_bFilling && k >= 0)
            mapedit::SelectMap(*m_pDoc, k);
    });
    connect(m_pLayers, &QComboBox::currentIndexChanged, this, [this](int l) {
        if (!m_bFilling && l >= 0)
            mapedit::SelectMapLayer(*m_pDoc, l);
    });
    resize(640, 480);
    m_pDoc->AddView(this);
    RefreshControls();
}

CMapWindow::~CMapWindow() { m_pDoc->RemoveView(this); }

void CMapWindow::OnUpdate(int)
{
    RefreshControls();
    m_pView->Refresh();
}

void CMapWindow::RefreshControls()
{
    m_bFilling = true;
    const CChipMap* current = mapedit::Current(*m_pDoc);
    m_pMaps->clear();
    for (const CChipMap& m : m_pDoc->m_Maps.maps)
        m_pMaps->addItem(Q(m.strName));
    m_pMaps->setCurrentIndex(current ? m_pDoc->m_MapEdit.nMap : -1);
    m_pLayers->clear();
    if (current)
        for (const CMapLayer& l : current->layers)
            m_pLayers->addItem(Q(l.bShown ? l.strName : "(" + l.strName + ")"));
    m_pLayers->setCurrentIndex(current ? m_pDoc->m_MapEdit.nLayer : -1);
    m_pZoom->setText(QStringLiteral("%1x").arg(m_pView->Input().Zoom()));
    m_bFilling = false;
}

void CMapWindow::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    m_Timer.start(CAnimaitionDlg::kTimerMs, this);
}

void CMapWindow::hideEvent(QHideEvent* e)
{
    m_Timer.stop();
    QDialog::hideEvent(e);
}

void CMapWindow::timerEvent(QTimerEvent*)
{
    // Animated chips follow the preview.
    if (m_pDoc->m_bAnimeShown)
        m_pView->viewport()->update();
}

// ---------------------------------------------------------------- dialog

bool PresentMapDlg(CDialogModel& model, QWidget* owner)
{
    auto& dlg = dynamic_cast<CMapDlg&>(model);
    QDialog dialog(owner);
    dialog.setWindowTitle(TrCore(Q(CMapDlg::kTitle)));
    auto* form = new QFormLayout(&dialog);
    auto* name = new QLineEdit(Q(dlg.m_strName), &dialog);
    auto* width = new QLineEdit(Q(dlg.m_strWidth), &dialog);
    auto* height = new QLineEdit(Q(dlg.m_strHeight), &dialog);
    form->addRow(TrCore(Q(CMapDlg::kNameLabel)), name);
    form->addRow(TrCore(Q(CMapDlg::kWidthLabel)), width);
    form->addRow(TrCore(Q(CMapDlg::kHeightLabel)), height);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    form->addRow(buttons);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        dlg.m_strName = name->text().toStdString();
        dlg.m_strWidth = width->text().toStdString();
        dlg.m_strHeight = height->text().toStdString();
        std::string message;
        if (!dlg.Validate(message)) {
            QMessageBox::warning(&dialog, QStringLiteral("Tesvan"), TrCore(Q(message)));
            return;
        }
        dialog.accept();
    });
    return dialog.exec() == QDialog::Accepted;
}
