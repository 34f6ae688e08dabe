#include "views/AnimationDlg.h"

#include "views/WorkImage.h"

#include "platform/Settings.h"
#include "platform/UiPort.h"

#include "views/Language.h"

#include <QApplication>
#include <QCoreApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QMenu>
#include <QWheelEvent>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QTimer>
#include <QWindow>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

QPointer<QWidget> g_pAnimeOwner;

CAnimeWindow* CreateAnimationWindow(CTesvanDoc* doc)
{
    return new CAnimaitionDlg(doc, g_pAnimeOwner.data());
}

} // namespace

// One picture control: a 1-pixel border around exactly one cell.
class CAnimePane : public QWidget {
public:
    CAnimePane(CAnimaitionDlg* dlg, int slot) : QWidget(dlg), m_pDlg(dlg), m_nSlot(slot)
    {
        setAttribute(Qt::WA_OpaquePaintEvent, true);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setPen(palette().color(QPalette::Dark));
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
        const QRect inside = rect().adjusted(1, 1, -1, -1);
        CTesvanDoc* doc = m_pDlg->GetDocument();
        CRect cell;
        const int n = m_pDlg->ShownCell(m_nSlot);
        QImage picture;
        if (n >= 0 && doc->AnimeCellRect(n, cell))
            picture = RenderWorkImage(*doc, QRect(cell.left, cell.top, doc->m_nCellWidth, doc->m_nCellHeight),
                                      QSize(doc->m_nCellWidth, doc->m_nCellHeight));
        // A pane with nothing to show is left blank rather than keeping an
        // older frame.
        if (picture.isNull())
            p.fillRect(inside, palette().color(QPalette::Window));
        else
            p.drawImage(inside, picture);  // enlarged by whole pixels, unsmoothed
    }

private:
    CAnimaitionDlg* m_pDlg;
    int m_nSlot;
};

CAnimaitionDlg::CAnimaitionDlg(CTesvanDoc* doc, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), m_pDoc(doc)
{
    setWindowTitle(QCoreApplication::translate("AnimationDlg", "アニメーション表示"));
    setModal(false);
    m_nZoom = std::clamp(SettingsStore().GetInt("Settings", "AnimeZoom", 1), 1, kMaxZoom);
    for (int k = 0; k < CTesvanDoc::kAnimeSlots; ++k) {
        m_pPictures[k] = new CAnimePane(this, k);
        m_pButtons[k] = new QPushButton(QCoreApplication::translate("AnimationDlg", "設定"), this);
        m_pButtons[k]->setAutoDefault(false);
        connect(m_pButtons[k], &QPushButton::clicked, this, [this, k] { OnSetting(k); });
    }
    RefreshLayout();
}

void CAnimaitionDlg::RepaintCells()
{
    for (int k = 0; k < CTesvanDoc::kAnimeSlots; ++k)
        m_pPictures[k]->update();
}

CAnimaitionDlg::~CAnimaitionDlg()
{
    if (m_pDoc && m_pDoc->m_pAnimeDlg == this)
        m_pDoc->m_pAnimeDlg = nullptr;
}

void CAnimaitionDlg::RefreshLayout()
{
    const int buttonHeight = m_pButtons[0]->sizeHint().height();
    // Large cells are enlarged only as far as a pane stays within 4096 pixels.
    const int side = std::max({m_pDoc->m_nCellWidth, m_pDoc->m_nCellHeight, 1});
    const int zoom = std::clamp(4096 / side, 1, m_nZoom);
    const AnimeLayout layout =
        ComputeAnimeLayout(m_pDoc->m_nCellWidth * zoom, m_pDoc->m_nCellHeight * zoom, buttonHeight);
    // The top-left corner stays; the client area takes the new size.
    setFixedSize(layout.nClientWidth, layout.nClientHeight);
    for (int k = 0; k < CTesvanDoc::kAnimeSlots; ++k) {
        const auto& pic = layout.Picture[k];
        const auto& btn = layout.Button[k];
        m_pPictures[k]->setGeometry(pic.x, pic.y, pic.cx, pic.cy);
        m_pButtons[k]->setGeometry(btn.x, btn.y, btn.cx, btn.cy);
        m_pPictures[k]->update();
    }
}

void CAnimaitionDlg::SetZoom(int zoom)
{
    zoom = std::clamp(zoom, 1, kMaxZoom);
    if (zoom == m_nZoom)
        return;
    m_nZoom = zoom;
    SettingsStore().SetInt("Settings", "AnimeZoom", zoom);
    RefreshLayout();
}

void CAnimaitionDlg::wheelEvent(QWheelEvent* event)
{
    if (!(event->modifiers() & Qt::ControlModifier)) {
        QDialog::wheelEvent(event);
        return;
    }
    // Whole notches only, so a touchpad's small steps add up.
    m_nWheelRest += event->angleDelta().y();
    const int steps = m_nWheelRest / 120;
    m_nWheelRest %= 120;
    if (steps)
        SetZoom(m_nZoom + steps);
    event->accept();
}

void CAnimaitionDlg::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    QMenu* zoom = menu.addMenu(QCoreApplication::translate("AnimationDlg", "表示倍率"));
    for (int z = 1; z <= kMaxZoom; ++z) {
        QAction* item = zoom->addAction(QCoreApplication::translate("AnimationDlg", "%1倍").arg(z));
        item->setCheckable(true);
        item->setChecked(z == m_nZoom);
        connect(item, &QAction::triggered, this, [this, z] { SetZoom(z); });
    }
    menu.exec(event->globalPos());
}

void CAnimaitionDlg::ShowWindow(bool show)
{
    if (!show) {
        hide();
        return;
    }
    if (isVisible()) {
        // Shown again (a document loaded while it plays): the slots may be
        // new, so every pane starts over from its slot.
        StartPlaying();
        raise();
        return;
    }
    showNormal();
}

void CAnimaitionDlg::StartPlaying()
{
    m_pDoc->m_bAnimeShown = 1;
    for (int k = 0; k < CTesvanDoc::kAnimeSlots; ++k) {
        m_pDoc->PrepareAnimePlayer(k, m_Players[k]);
        m_pPictures[k]->update();
    }
    m_nPeriod = TimerPeriod();
    if (!s_bManualTicks)
        m_Timer.start(m_nPeriod, this);
    m_bTimer = true;
}

int CAnimaitionDlg::TimerPeriod() const
{
    for (int k = 0; k < CTesvanDoc::kAnimeSlots; ++k)
        if (m_pDoc->m_Anime[k].nStepMs > 0)
            return kFineTimerMs;
    return kTimerMs;
}

void CAnimaitionDlg::StopTimer()
{
    m_Timer.stop();
    m_bTimer = false;
}

void CAnimaitionDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // The window system hiding and showing it with its owner changes nothing.
    if (event->spontaneous())
        return;
    StartPlaying();
}

void CAnimaitionDlg::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    if (event->spontaneous())
        return;
    m_pDoc->m_bAnimeShown = 0;
    StopTimer();
}

void CAnimaitionDlg::closeEvent(QCloseEvent* event)
{
    StopTimer();
    QDialog::closeEvent(event);
    m_pDoc->m_bAnimeShown = 0;
}

void CAnimaitionDlg::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_Timer.timerId())
        OnTimer();
    else
        QDialog::timerEvent(event);
}

void CAnimaitionDlg::OnTimer(int count)
{
    if (!m_bTimer)
        return;
    const long long ms = (long long)std::max(count, 0) * m_nPeriod;
    for (int k = 0; k < CTesvanDoc::kAnimeSlots; ++k) {
        const CAnimeSlot& s = m_pDoc->m_Anime[k];
        if (m_Players[k].Run(ms, s.nSpeed, s.nStepMs))
            m_pPictures[k]->update();
    }
}

void CAnimaitionDlg::OnSetting(int slot)
{
    if (slot < 0 || slot >= CTesvanDoc::kAnimeSlots)
        return;
    // Where the person works: the focus before the settings, or, when it
    // was this window's button, the main window's last focus (the canvas).
    QPointer<QWidget> back = QApplication::focusWidget();
    if ((!back || back->window() == this) && parentWidget())
        back = parentWidget()->window()->focusWidget();
    const bool changed = m_pDoc->EditAnimeSlot(slot);
    if (back) {
        auto restore = [back] {
            if (back && back->isVisible()) {
                // activateWindow() would do nothing: the owner counts as
                // active while this window, its transient child, is.
                if (QWindow* handle = back->window()->windowHandle())
                    handle->requestActivate();
                back->setFocus(Qt::OtherFocusReason);
            }
        };
        restore();
        // The window system activates this window again after the dialog.
        QTimer::singleShot(0, back, restore);
    }
    if (!changed)
        return;
    m_pDoc->PrepareAnimePlayer(slot, m_Players[slot]);
    m_pPictures[slot]->update();
    // A step time of its own needs the finer clock (and none, the plain one).
    if (m_bTimer && TimerPeriod() != m_nPeriod) {
        m_nPeriod = TimerPeriod();
        if (!s_bManualTicks)
            m_Timer.start(m_nPeriod, this);
    }
}

int CAnimaitionDlg::ShownCell(int slot) const
{
    if (slot < 0 || slot >= CTesvanDoc::kAnimeSlots || !m_pDoc->m_bAnimeShown)
        return -1;
    const int n = m_Players[slot].Current();
    CRect rc;
    return n >= 0 && m_pDoc->AnimeCellRect(n, rc) ? n : -1;
}

void InstallAnimeWindowHook(QWidget* owner)
{
    g_pAnimeOwner = owner;
    CTesvanDoc::s_pfnCreateAnimeWindow = &CreateAnimationWindow;
}

bool PresentSetAnimeDlg(CDialogModel& model, QWidget* owner)
{
    auto& dlg = dynamic_cast<CSetAnimeDlg&>(model);
    QDialog dialog(owner);
    dialog.setWindowTitle(TrCore(Q(CSetAnimeDlg::kTitle)));
    auto* frames = new QLineEdit(Q(dlg.m_strFrames), &dialog);
    auto* speed = new QComboBox(&dialog);
    // The speed names are shown translated and read back as the model's own.
    for (const char* name : CSetAnimeDlg::kSpeeds)
        speed->addItem(TrCore(Q(name)), Q(name));
    speed->setCurrentIndex(std::max(speed->findData(Q(dlg.m_strSpeed)), 0));
    auto* step = new QSpinBox(&dialog);
    step->setRange(0, kAnimeStepMax);
    step->setValue(dlg.m_nStepTime);
    // A step time overrides the speed: the speed box is idle meanwhile.
    speed->setEnabled(dlg.m_nStepTime == 0);
    QObject::connect(step, &QSpinBox::valueChanged, speed, [speed](int v) { speed->setEnabled(v == 0); });
    auto* name = new QLineEdit(Q(dlg.m_strName), &dialog);
    auto* direction = new QComboBox(&dialog);
    for (const char* text : CSetAnimeDlg::kDirections)
        direction->addItem(TrCore(Q(text)));
    direction->setCurrentIndex(dlg.m_nDirection >= 0 && dlg.m_nDirection <= 2 ? dlg.m_nDirection : 0);
    auto* buttons = new QDialogButtonBox(&dialog);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QCoreApplication::translate("AnimationDlg", "キャンセル"), QDialogButtonBox::RejectRole);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(TrCore(Q(CSetAnimeDlg::kNameLabel)), &dialog), 0, 0);
    grid->addWidget(name, 0, 1);
    grid->addWidget(new QLabel(TrCore(Q(CSetAnimeDlg::kFramesLabel)), &dialog), 1, 0);
    grid->addWidget(frames, 1, 1);
    grid->addWidget(new QLabel(TrCore(Q(CSetAnimeDlg::kSpeedLabel)), &dialog), 2, 0);
    grid->addWidget(speed, 2, 1);
    grid->addWidget(new QLabel(TrCore(Q(CSetAnimeDlg::kStepLabel)), &dialog), 3, 0);
    grid->addWidget(step, 3, 1);
    grid->addWidget(new QLabel(TrCore(Q(CSetAnimeDlg::kDirectionLabel)), &dialog), 4, 0);
    grid->addWidget(direction, 4, 1);
    grid->setColumnMinimumWidth(1, 260);
    auto* column = new QVBoxLayout(&dialog);
    column->addLayout(grid);
    column->addWidget(buttons);

    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        CSetAnimeDlg confirmed = dlg;
        confirmed.m_strFrames = frames->text().toStdString();
        confirmed.m_strSpeed = speed->currentData().toString().toStdString();
        confirmed.m_nStepTime = step->value();
        confirmed.m_strName = name->text().toStdString();
        confirmed.m_nDirection = direction->currentIndex();
        std::string message;
        if (!confirmed.Validate(message)) {
            UiPort().MessageBox(message);
            return;
        }
        dlg = confirmed;
        dialog.accept();
    });
    return dialog.exec() == QDialog::Accepted;
}
