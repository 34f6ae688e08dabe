#include "app/MainFrame.h"

#include "app/EditCommands.h"
#include "app/HelpWindow.h"

#include "app/AnimePrintCommands.h"
#include "app/AppSettings.h"
#include "app/ConsoleCommands.h"
#include "app/ExchangeCommands.h"
#include "app/Icons.h"
#include "app/LockKeys.h"
#include "app/MapCommands.h"
#include "app/PaletteCommands.h"
#include "app/TesvanApp.h"
#include "app/ViewCommands.h"
#include "app/AidCommands.h"
#include "app/ToolCommands.h"
#include "doc/TesvanDoc.h"
#include "platform/UiPort.h"
#include "views/LeftView.h"
#include "views/RightView.h"
#include "views/Language.h"
#include "views/TesvanView.h"
#include "views/WindowFit.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QRegularExpression>
#include <QScreen>
#include <QSettings>
#include <QShortcut>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include <algorithm>

namespace {

// The menu text without mnemonic marks and shortcut, for a tooltip of last resort.
QString PlainText(const QString& menuText)
{
    QString text = menuText.section(QLatin1Char('\t'), 0, 0);
    text.remove(QRegularExpression(QStringLiteral("\\(&.\\)")));
    text.remove(QLatin1Char('&'));
    return text;
}

} // namespace

CMainFrame::CMainFrame(CTesvanDoc* doc, QWidget* parent)
    : QMainWindow(parent), m_pDoc(doc)
{
    setWindowIcon(AppIcon());
    setAcceptDrops(true);

    m_pTabView = new CTesvanView(doc, this);
    setCentralWidget(m_pTabView);

    InstallFrameHandlers();
    BuildMenus();
    BuildToolBar();
    BuildStatusBar();
    BuildShortcuts();
    UpdateTitle();

    // Enable and tick states follow the document whenever the loop falls idle.
    if (auto* dispatcher = QAbstractEventDispatcher::instance())
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &CMainFrame::OnIdle);
}

CMainFrame::~CMainFrame() = default;

CLeftView* CMainFrame::LeftView() const { return m_pTabView->LeftView(); }
CRightView* CMainFrame::RightView() const { return m_pTabView->RightView(); }

void CMainFrame::InstallFrameHandlers()
{
    CCommandTable& t = m_Commands;
    CTesvanDoc* doc = m_pDoc;

    t.SetHandler(Cmd::ViewToolbar, [this] { m_pToolBar->setHidden(!m_pToolBar->isHidden()); },
                 [this](CommandUi& ui) { ui.checked = !m_pToolBar->isHidden(); });
    t.SetHandler(Cmd::ViewStatusBar, [this] { statusBar()->setHidden(!statusBar()->isHidden()); },
                 [this](CommandUi& ui) { ui.checked = !statusBar()->isHidden(); });
    t.SetHandler(Cmd::FileExit, [this] { close(); });
    t.SetHandler(Cmd::HelpFinder, [this] { OnHelpFinder(); });
    t.SetHandler(Cmd::WindowNextPane, [this] { MovePaneFocus(1); });
    t.SetHandler(Cmd::WindowPrevPane, [this] { MovePaneFocus(-1); });

    // Rules of document commands; their work is installed when it is built,
    // and until then the table keeps them disabled.
    auto tick = [&t](int id, std::function<bool()> on) {
        t.SetHandler(id, {}, [on](CommandUi& ui) { ui.checked = on(); });
    };
    for (int id : {Cmd::ToolSelect, Cmd::ToolSelectAllLayers, Cmd::ToolPencil, Cmd::ToolLine,
                   Cmd::ToolRectFrame, Cmd::ToolRectFill, Cmd::ToolEllipseFrame, Cmd::ToolEllipseFill,
                   Cmd::ToolCurve, Cmd::ToolFill, Cmd::ToolText})
        tick(id, [doc, id] { return doc->m_nTool == id; });
    for (int w = 1; w <= 3; ++w)
        tick(Cmd::ToolPenWidth1 + w - 1, [doc, w] { return doc->m_nPenWidth == w; });
    t.SetHandler(Cmd::ToolDropper, {}, [doc](CommandUi& ui) {
        ui.checked = doc->m_nTool == Cmd::ToolDropper;
        ui.enabled = doc->m_nBitCount == 32;
    });
    tick(Cmd::ViewAnimation, [doc] { return doc->m_bAnimeShown != 0; });
    tick(Cmd::ViewCurrentLayerOnly, [doc] { return doc->m_bShowAllLayers == 0; });
    tick(Cmd::ViewGrid, [doc] { return doc->m_bShowGrid == 1; });
    tick(Cmd::ViewCharLines, [doc] { return doc->m_bShowCharLines == 1; });
    t.SetHandler(Cmd::ViewZoom, {}, [doc](CommandUi& ui) {
        ui.text = doc->m_nZoom == 8 ? QStringLiteral("縮小") : QStringLiteral("拡大");
    });
    t.SetHandler(Cmd::ViewBackgroundColor, {}, [doc](CommandUi& ui) { ui.enabled = doc->m_nBitCount == 32; });
    // The layer menu acts on the layer whose tab was right-clicked.
    auto menuLayer = [this]() -> CLayer* { return m_pTabView->MenuLayerPtr(); };
    tick(Cmd::LayerShow, [menuLayer] { return menuLayer() && menuLayer()->m_bVisible; });
    t.SetHandler(Cmd::LayerMoveLeft, {}, [this](CommandUi& ui) { ui.enabled = m_pTabView->MenuLayer() > 0; });
    t.SetHandler(Cmd::LayerMoveRight, {}, [this](CommandUi& ui) {
        ui.enabled = m_pTabView->MenuLayer() >= 0 && m_pTabView->MenuLayer() < CTesvanDoc::kLayers - 1;
    });
    t.SetHandler(Cmd::LayerSave, {}, [menuLayer](CommandUi& ui) {
        ui.enabled = menuLayer() && menuLayer()->m_pImage;
    });
    t.SetHandler(Cmd::LayerImportImage, {}, [doc](CommandUi& ui) { ui.enabled = doc->m_nBitCount == 32; });
    t.SetHandler(Cmd::FilePrint, {}, [doc](CommandUi& ui) {
        ui.enabled = false;
        for (const CLayer& layer : doc->m_Layers)
            if (layer.m_pImage)
                ui.enabled = true;
    });
    InstallViewCommands(t, doc);
    InstallAidCommands(t, doc);
    InstallToolCommands(t, doc);
    InstallEditCommands(t, doc);
    InstallPaletteCommands(t, doc, m_pTabView);
    InstallAnimePrintCommands(t, doc, this);
    InstallExchangeCommands(t, doc, m_pTabView);
    InstallConsoleCommands(t, doc);
    InstallMapCommands(t, doc, this);
}

QAction* CMainFrame::MakeAction(int id)
{
    if (QAction* existing = m_Actions.value(id))
        return existing;
    const CommandInfo* info = m_Commands.Find(id);
    // The list's texts are Japanese; they are shown in the interface language.
    const QString text = TrCore(info->menuText);
    const QString prompt = TrCore(info->prompt);
    auto* action = new QAction(text, this);
    action->setData(id);
    action->setStatusTip(CCommandTable::StatusPrompt(prompt));
    QString tip = CCommandTable::ToolTip(prompt);
    if (tip.isEmpty())
        tip = PlainText(text);
    // The key that chooses it, as in the menus.
    if (!info->keys.isEmpty())
        tip += QStringLiteral(" (%1)").arg(
            QKeySequence(info->keys.first(), QKeySequence::PortableText).toString(QKeySequence::NativeText));
    action->setToolTip(tip);
    if (info->toolbar)
        action->setIcon(CommandIcon(id));
    action->setIconVisibleInMenu(false);
    // Shortcut texts are part of the menu text; the keys are separate shortcuts.
    action->setShortcutContext(Qt::WidgetShortcut);
    connect(action, &QAction::triggered, this, [this, id] { ExecuteCommand(id); });
    m_Actions.insert(id, action);
    return action;
}

QMenu* CMainFrame::BuildMenu(CommandMenu which, QWidget* parent)
{
    auto* menu = new QMenu(TrCore(CCommandTable::MenuTitle(which)), parent);
    QMenu* symmetry = nullptr;
    for (int id : CCommandTable::MenuOrder(which)) {
        if (id == 0) {
            menu->addSeparator();
        } else if (id >= Cmd::ViewSymmetryNone && id <= Cmd::ViewSymmetryBoth) {
            // The symmetry modes: radio items of one submenu.
            if (!symmetry) {
                symmetry = menu->addMenu(tr("シンメトリー"));
                connect(symmetry, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUi);
                auto* group = new QActionGroup(symmetry);
                group->setExclusive(true);
                symmetry->setProperty("group", QVariant::fromValue<QObject*>(group));
            }
            QAction* action = MakeAction(id);
            action->setCheckable(true);
            qobject_cast<QActionGroup*>(symmetry->property("group").value<QObject*>())->addAction(action);
            symmetry->addAction(action);
        } else {
            menu->addAction(MakeAction(id));
        }
    }
    connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUi);
    return menu;
}

void CMainFrame::BuildMenus()
{
    for (CommandMenu which : {CommandMenu::File, CommandMenu::Edit, CommandMenu::View,
                              CommandMenu::Tools, CommandMenu::Help}) {
        QMenu* menu = BuildMenu(which, menuBar());
        menuBar()->addMenu(menu);
        if (which == CommandMenu::File)
            m_pFileMenu = menu;
    }
    // The separator after the recent-file items anchors their insertion.
    QList<QAction*> items = m_pFileMenu->actions();
    int recent = items.indexOf(m_Actions.value(Cmd::FileMru1));
    m_pRecentAnchor = items.value(recent + 1);
    for (int id = Cmd::FileMru1 + 1; id <= Cmd::FileMru4; ++id)
        MakeAction(id);
    m_RecentActions = {m_Actions.value(Cmd::FileMru1)};

    m_pLayerMenu = BuildMenu(CommandMenu::Layer, this);
    m_pTabView->SetLayerMenu(m_pLayerMenu);
    m_pPaletteMenu = BuildMenu(CommandMenu::Palette, this);
    LeftView()->SetPaletteMenu(m_pPaletteMenu);
}

void CMainFrame::BuildToolBar()
{
    m_pToolBar = new QToolBar(tr("標準"), this);
    m_pToolBar->setObjectName(QStringLiteral("StandardToolBar"));
    m_pToolBar->setIconSize(QSize(16, 16));
    m_pToolBar->setAllowedAreas(Qt::TopToolBarArea);
    m_pToolBar->setFloatable(false);
    m_pToolBar->setContentsMargins(1, 1, 1, 1);
    for (int id : CCommandTable::ToolbarOrder()) {
        if (id == 0)
            m_pToolBar->addSeparator();
        else
            m_pToolBar->addAction(MakeAction(id));
    }
    addToolBar(Qt::TopToolBarArea, m_pToolBar);
}

void CMainFrame::BuildStatusBar()
{
    QStatusBar* bar = statusBar();
    m_pMessage = new QLabel(tr("レディ"), bar);
    bar->addWidget(m_pMessage, 1);
    // Where the pointer is on the canvas and the colour under it.
    m_pPointerPane = new QLabel(bar);
    m_pPointerPane->setFrameShape(QFrame::Panel);
    m_pPointerPane->setFrameShadow(QFrame::Sunken);
    // Sized by its text: a fixed width would widen the smallest window.
    m_pPointerPane->setMinimumWidth(0);
    bar->addPermanentWidget(m_pPointerPane);
    RightView()->SetStatusSink([this](const QString& text) { m_pPointerPane->setText(text); });
    m_pZoomPane = new QLabel(bar);
    m_pZoomPane->setFrameShape(QFrame::Panel);
    m_pZoomPane->setFrameShadow(QFrame::Sunken);
    m_pZoomPane->setAlignment(Qt::AlignCenter);
    bar->addPermanentWidget(m_pZoomPane);
    const char* texts[3] = {"CAP", "NUM", "SCRL"};
    for (int i = 0; i < 3; ++i) {
        m_pLockPanes[i] = new QLabel(QString::fromLatin1(texts[i]), bar);
        m_pLockPanes[i]->setFrameShape(QFrame::Panel);
        m_pLockPanes[i]->setFrameShadow(QFrame::Sunken);
        m_pLockPanes[i]->setAlignment(Qt::AlignCenter);
        m_pLockPanes[i]->setMinimumWidth(m_pLockPanes[i]->fontMetrics().horizontalAdvance(QStringLiteral("SCRL")) + 10);
        bar->addPermanentWidget(m_pLockPanes[i]);
    }
    UpdateLockIndicators();
    // Key presses anywhere in the application may change a lock.
    qApp->installEventFilter(this);
}

void CMainFrame::UpdateLockIndicators()
{
    // Each indicator shows its text only while its lock is on; where the
    // platform does not tell, the texts stay shown.
    const LockKeyState locks = ReadLockKeys();
    const bool on[3] = {!locks.known || locks.caps, !locks.known || locks.num,
                        !locks.known || locks.scroll};
    const char* texts[3] = {"CAP", "NUM", "SCRL"};
    for (int i = 0; i < 3; ++i) {
        QString text = on[i] ? QString::fromLatin1(texts[i]) : QString();
        if (m_pLockPanes[i]->text() != text)
            m_pLockPanes[i]->setText(text);
    }
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyRelease:
    case QEvent::ApplicationActivate:
        UpdateLockIndicators();
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::BuildShortcuts()
{
    for (const CommandInfo& info : m_Commands.Commands()) {
        for (const QString& key : info.keys) {
            auto* shortcut = new QShortcut(QKeySequence(key, QKeySequence::PortableText), this);
            // Every window of the editor takes them (the animation and help
            // windows too); a modal dialog still keeps them to itself, and a
            // text field or the text tool's entry keeps the keys it types.
            shortcut->setContext(Qt::ApplicationShortcut);
            shortcut->setAutoRepeat(false);
            const int id = info.id;
            connect(shortcut, &QShortcut::activated, this, [this, id] { ExecuteCommand(id); });
        }
    }
}

bool CMainFrame::DispatchKey(QWidget* target, QKeyCombination combination, const QString& text)
{
    // As the toolkit does: the focus widget may claim the key first.
    QKeyEvent override(QEvent::ShortcutOverride, combination.key(), combination.keyboardModifiers(), text);
    override.ignore();
    QCoreApplication::sendEvent(target, &override);
    if (override.isAccepted())
        return false;
    const QKeySequence pressed(combination);
    for (const CommandInfo& info : m_Commands.Commands())
        for (const QString& key : info.keys)
            if (QKeySequence(key, QKeySequence::PortableText) == pressed) {
                ExecuteCommand(info.id);
                return true;
            }
    return false;
}

CMainFrame::CommandState CMainFrame::QueryCommand(int id)
{
    CommandState state;
    if (!m_Commands.Find(id))
        return state;
    CommandUi ui = m_Commands.QueryState(id);
    state.known = true;
    state.enabled = ui.enabled;
    state.checked = ui.checked;
    state.text = TrCore(ui.text);
    return state;
}

bool CMainFrame::ExecuteCommand(int id)
{
    bool done = m_Commands.Execute(id);
    if (done)
        UpdateCommandUi();
    return done;
}

void CMainFrame::UpdateCommandUi()
{
    for (auto it = m_Actions.cbegin(); it != m_Actions.cend(); ++it) {
        CommandUi ui = m_Commands.QueryState(it.key());
        QAction* action = it.value();
        action->setEnabled(ui.enabled);
        // Only a ticked item is checkable, so unticked items show no empty box.
        action->setCheckable(ui.checked);
        action->setChecked(ui.checked);
        if (!ui.text.isEmpty())
            action->setText(TrCore(ui.text));
    }
    if (m_pZoomPane)
        m_pZoomPane->setText(tr("%1倍").arg(m_pDoc->m_nZoom));
}

void CMainFrame::OnIdle()
{
    UpdateCommandUi();
    UpdateTitle();
}

QString CMainFrame::PointerStatus() const { return m_pPointerPane ? m_pPointerPane->text() : QString(); }

void CMainFrame::UpdateTitle()
{
    QString title = QString::fromStdString(m_pDoc->GetTitle());
    // Only the name of an unsaved document is the program's own text.
    if (title.isEmpty())
        title = TrCore(QStringLiteral("無題"));
    else if (m_pDoc->GetPathName().empty())
        title = TrCore(title);
    QString full = (m_pDoc->IsModified() ? QStringLiteral("*") : QString()) + title + QStringLiteral(" - Tesvan");
    if (windowTitle() != full)
        setWindowTitle(full);
}

void CMainFrame::UpdateRecentFileMenu(const QStringList& files)
{
    for (QAction* action : m_RecentActions)
        m_pFileMenu->removeAction(action);
    m_RecentActions.clear();
    int count = qMin(int(files.size()), CTesvanApp::kRecentFiles);
    for (int i = 0; i < qMax(count, 1); ++i) {
        QAction* action = m_Actions.value(Cmd::FileMru1 + i);
        m_pFileMenu->insertAction(m_pRecentAnchor, action);
        m_RecentActions << action;
    }
    UpdateCommandUi();
}

void CMainFrame::InitialUpdateFrame()
{
    m_pTabView->OnInitialUpdate();
    LeftView()->OnInitialUpdate();
    RightView()->OnInitialUpdate();
    UpdateTitle();
    UpdateCommandUi();
}

void CMainFrame::OnHelpFinder()
{
    if (!m_pHelp)
        m_pHelp = new CHelpWindow(this);
    m_pHelp->ShowContents();
}

void CMainFrame::MovePaneFocus(int step)
{
    QSplitter* splitter = m_pTabView->Splitter();
    int count = splitter->count();
    if (count == 0)
        return;
    int current = -1;
    for (int i = 0; i < count; ++i) {
        QWidget* pane = splitter->widget(i);
        if (pane->hasFocus() || pane->isAncestorOf(QApplication::focusWidget()))
            current = i;
    }
    int next = current < 0 ? 0 : (current + step + count) % count;
    splitter->widget(next)->setFocus(Qt::OtherFocusReason);
}

void CMainFrame::LoadPlacement()
{
    QSettings settings;
    settings.beginGroup(QStringLiteral("Workspace"));
    QRect rect = settings.value(QStringLiteral("MainWindowRect")).toRect();
    // The rectangle is in the logical pixels of the scale it was saved at:
    // the same device pixels at today's scale.
    const QScreen* primary = QGuiApplication::primaryScreen();
    const qreal now = primary ? primary->devicePixelRatio() : 1.0;
    const qreal then = settings.value(QStringLiteral("Scale"), 1.0).toDouble();
    if (rect.isValid() && then > 0 && now > 0 && !qFuzzyCompare(then, now))
        rect = QRectF(QPointF(rect.topLeft()) * then / now, QSizeF(rect.size()) * then / now).toRect();
    // The screen showing most of the stored rectangle takes the window, made
    // to fit inside it: a rectangle stored at another scale factor or for a
    // screen since removed would otherwise open partly out of reach.
    QScreen* best = nullptr;
    qint64 bestArea = 0;
    for (QScreen* screen : QGuiApplication::screens()) {
        const QRect common = rect.isValid() ? screen->availableGeometry().intersected(rect) : QRect();
        const qint64 area = qint64(common.width()) * common.height();
        if (area > bestArea) {
            bestArea = area;
            best = screen;
        }
    }
    if (best) {
        const QRect avail = best->availableGeometry();
        QRect placed(rect.topLeft(), rect.size().boundedTo(avail.size()));
        placed.moveLeft(std::clamp(placed.left(), avail.left(), avail.right() + 1 - placed.width()));
        placed.moveTop(std::clamp(placed.top(), avail.top(), avail.bottom() + 1 - placed.height()));
        setGeometry(placed);
    } else if (QScreen* screen = QGuiApplication::primaryScreen()) {
        // The first start: centred, and no larger than the screen offers.
        const QRect avail = screen->availableGeometry();
        const QSize size = QSize(900, 640).boundedTo(avail.size());
        setGeometry(QRect(avail.center() - QPoint(size.width() / 2, size.height() / 2), size));
    } else {
        resize(900, 640);
    }
    // The title bar too: the frame is taken into account once known.
    FitWindowOnScreen(this);
    QByteArray bars = settings.value(QStringLiteral("BarState")).toByteArray();
    if (!bars.isEmpty())
        restoreState(bars);
    statusBar()->setHidden(!settings.value(QStringLiteral("StatusBar"), true).toBool());
}

void CMainFrame::SavePlacement() const
{
    // Always the normal rectangle and the normal show state: the window
    // reopens neither minimised nor maximised.
    QRect rect = isVisible() ? normalGeometry() : geometry();
    if (!rect.isValid())
        rect = geometry();
    const QByteArray bars = saveState();
    const bool statusShown = !statusBar()->isHidden();
    const QScreen* primary = QGuiApplication::primaryScreen();
    const qreal scale = primary ? primary->devicePixelRatio() : 1.0;
    ChangeSettings([&](QSettings& settings) {
        settings.beginGroup(QStringLiteral("Workspace"));
        settings.setValue(QStringLiteral("MainWindowRect"), rect);
        settings.setValue(QStringLiteral("Scale"), scale);
        settings.setValue(QStringLiteral("Flags"), 0);
        settings.setValue(QStringLiteral("ShowCmd"), 1);
        settings.setValue(QStringLiteral("BarState"), bars);
        settings.setValue(QStringLiteral("StatusBar"), statusShown);
    });
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (!m_pDoc->SaveModified()) {
        event->ignore();
        return;
    }
    if (m_bStorePlacement)
        SavePlacement();
    event->accept();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        for (const QUrl& url : event->mimeData()->urls())
            if (url.isLocalFile()) {
                event->acceptProposedAction();
                return;
            }
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    for (const QUrl& url : event->mimeData()->urls()) {
        if (!url.isLocalFile())
            continue;
        event->acceptProposedAction();
        activateWindow();
        // Only the first of several dropped files is opened.
        // Opened after the drop has finished: the save question is modal.
        QString path = url.toLocalFile();
        QWidget* canvas = RightView()->viewport();
        const bool onCanvas = canvas->rect().contains(canvas->mapFrom(this, event->position().toPoint()));
        QTimer::singleShot(0, this, [this, path, onCanvas] { DropFile(path, onCanvas); });
        return;
    }
}

void CMainFrame::DropFile(const QString& path, bool onCanvas)
{
    // A picture dropped on the canvas goes into the current layer; anything
    // else dropped anywhere is opened.
    if (onCanvas && CTesvanDoc::IsPictureFile(path.toStdString())) {
        if (m_pDoc->m_nBitCount != 32) {
            UiPort().MessageBox("画像の読み込みは 32bit のドキュメントでのみできます。");
            return;
        }
        CUndoRecorder undo(*m_pDoc, "イメージ読込");
        if (m_pDoc->ImportImage(m_pDoc->m_nCurrentLayer, path.toStdString()))
            m_pDoc->UpdateAllViews(0);
        return;
    }
    if (CTesvanApp* app = CTesvanApp::Instance())
        app->OpenDocumentFile(path);
}
