#include "app/PaletteCommands.h"
#include "app/TesvanApp.h"
#include "views/DialogPresenters.h"

#include "app/CommandTable.h"
#include "app/Icons.h"
#include "app/MainFrame.h"
#include "app/QtUiPort.h"
#include "doc/TesvanDoc.h"
#include "edit/Preferences.h"
#include "platform/UiPort.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLibraryInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPushButton>
#include <QSettings>
#include <QTimer>
#include <QTranslator>
#include <QVBoxLayout>

#include <algorithm>

#include <unistd.h>

namespace {

CTesvanApp* g_pApp = nullptr;

QString RecentKey(int i) { return QStringLiteral("File%1").arg(i + 1); }

QString AbsolutePath(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

// One editor per user session: the socket is named after the user and the
// display, and lives in the user's private runtime folder when there is one
// (elsewhere another user could take the name first).
QString InstanceServerName()
{
    QString display = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (display.isEmpty())
        display = qEnvironmentVariable("DISPLAY");
    for (QChar& c : display)
        if (!c.isLetterOrNumber())
            c = QLatin1Char('_');
    const QString name = QStringLiteral("tesvan-%1-%2").arg(getuid()).arg(display);
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir() && QFileInfo(runtime).isWritable())
        return QDir(runtime).filePath(name);
    return name;
}

// The running editor answers each request line with this line once it has
// taken the request.
constexpr char kHandOffReply[] = "ok\n";

} // namespace

CTesvanApp::CTesvanApp() { g_pApp = this; }

CTesvanApp::~CTesvanApp()
{
    // The views leave the document before it goes.
    delete m_pFrame;
    m_pFrame = nullptr;
    m_pDoc.reset();
    if (m_pUiPort)
        SetUiPort(nullptr);
    if (g_pApp == this)
        g_pApp = nullptr;
}

CTesvanApp* CTesvanApp::Instance() { return g_pApp; }

bool CTesvanApp::InitInstance(const QStringList& arguments)
{
    m_bUseSettings = true;
    QCoreApplication::setOrganizationName(QStringLiteral("Lumo"));
    QCoreApplication::setApplicationName(QStringLiteral("Tesvan"));
    QApplication::setWindowIcon(AppIcon());

    // Qt's own dialogs and buttons in Japanese.
    m_pTranslator = new QTranslator(this);
    if (m_pTranslator->load(QStringLiteral("qtbase_ja"),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(m_pTranslator);

    RegisterDialogPresenters();
    InstallSettingsStore();
    m_pUiPort = std::make_unique<CQtUiPort>();
    SetUiPort(m_pUiPort.get());

    // The first argument that is not an option names a file to open.
    QString file;
    for (int i = 1; i < arguments.size(); ++i)
        if (!arguments[i].startsWith(QLatin1Char('-'))) {
            file = arguments[i];
            break;
        }
    // A running editor of this session takes the file (or just comes to the
    // front), and this start ends there.
    if (HandOffToRunningInstance(file.isEmpty() ? QString() : AbsolutePath(file))) {
        m_bHandedOff = true;
        return false;
    }

    LoadRecentFileList();
    if (!CreateShell())
        return false;
    LoadPreferences();
    if (file.isEmpty()) {
        OnFileNew();
    } else if (!OpenFile(file)) {
        return false;
    }

    m_pFrame->LoadPlacement();
    m_pFrame->show();
    StartInstanceServer();
    return true;
}

bool CTesvanApp::HandOffToRunningInstance(const QString& path)
{
    QLocalSocket socket;
    socket.connectToServer(InstanceServerName());
    if (!socket.waitForConnected(500))
        return false;
    // A line per request: the path, or an empty line to come to the front.
    socket.write(path.toUtf8() + '\n');
    if (!socket.waitForBytesWritten(2000))
        return false;
    // Only a reply proves the editor took it; without one this start opens
    // the file itself, so it is never lost.
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(3000))
            return false;
    }
    const bool taken = socket.readLine() == kHandOffReply;
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(1000);
    return taken;
}

void CTesvanApp::StartInstanceServer()
{
    const QString name = InstanceServerName();
    m_pInstanceServer = new QLocalServer(this);
    m_pInstanceServer->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_pInstanceServer->listen(name)) {
        // A live editor keeps its name; a name left by a crashed one is taken over.
        QLocalSocket probe;
        probe.connectToServer(name);
        if (probe.waitForConnected(200))
            return;
        QLocalServer::removeServer(name);
        if (!m_pInstanceServer->listen(name))
            return;
    }
    connect(m_pInstanceServer, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_pInstanceServer->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                while (socket->canReadLine()) {
                    QByteArray line = socket->readLine();
                    line.chop(1);
                    const QString path = QString::fromUtf8(line);
                    socket->write(kHandOffReply);
                    socket->flush();
                    QTimer::singleShot(0, this, [this, path] { OpenHandedOffFile(path); });
                }
            });
        }
    });
}

void CTesvanApp::OpenHandedOffFile(const QString& path)
{
    // Wait while a dialog of this editor is open.
    if (QApplication::activeModalWidget()) {
        QTimer::singleShot(500, this, [this, path] { OpenHandedOffFile(path); });
        return;
    }
    if (!m_pFrame)
        return;
    if (m_pFrame->isMinimized())
        m_pFrame->showNormal();
    m_pFrame->raise();
    m_pFrame->activateWindow();
    // The current document is offered for saving first.
    if (!path.isEmpty())
        OpenDocumentFile(path);
}

bool CTesvanApp::InitForScript()
{
    m_bUseSettings = false;
    if (!CreateShell())
        return false;
    m_pFrame->SetStorePlacement(false);
    // Laid out as if shown, so the views have their real sizes.
    m_pFrame->setAttribute(Qt::WA_DontShowOnScreen, true);
    m_pFrame->resize(900, 640);
    m_pFrame->show();
    OnFileNew();
    return true;
}

bool CTesvanApp::CreateShell()
{
    m_pDoc = std::make_unique<CTesvanDoc>();
    m_pFrame = new CMainFrame(m_pDoc.get());

    CCommandTable& t = m_pFrame->Commands();
    t.SetHandler(ID_FILE_NEW, [this] { OnFileNew(); });
    t.SetHandler(ID_FILE_OPEN, [this] { OnFileOpen(); });
    t.SetHandler(ID_FILE_SAVE, [this] { OnFileSave(false); });
    t.SetHandler(ID_FILE_SAVE_AS, [this] { OnFileSave(true); });
    t.SetHandler(ID_APP_ABOUT, [this] { OnAppAbout(); });
    t.SetHandler(ID_EDIT_PREFERENCES, [this] { OnPreferences(); });
    for (int i = 0; i < kRecentFiles; ++i) {
        t.SetHandler(ID_FILE_MRU_FILE1 + i, [this, i] { OpenRecentFile(i); },
                     [this, i](CommandUi& ui) {
                         if (i < m_RecentFiles.size()) {
                             QString path = QDir::toNativeSeparators(m_RecentFiles[i]);
                             path.replace(QLatin1Char('&'), QStringLiteral("&&"));
                             ui.text = QStringLiteral("&%1 %2").arg(i + 1).arg(path);
                         } else {
                             ui.enabled = false;
                         }
                     });
    }
    m_pFrame->UpdateRecentFileMenu(m_RecentFiles);
    return true;
}

void CTesvanApp::OnFileNew()
{
    if (!m_pDoc->SaveModified())
        return;
    if (!m_pDoc->OnNewDocument())
        return;
    m_pDoc->SetPathName(std::string());
    m_pDoc->SetTitle("無題");
    m_pDoc->SetModifiedFlag(false);
    m_pFrame->InitialUpdateFrame();
}

void CTesvanApp::OnFileOpen()
{
    if (!m_pDoc->SaveModified())
        return;
    FileDialogRequest request;
    request.open = true;
    request.filters = {{"Tesvan Files (*.tvn)", "*.tvn"}, {"すべてのファイル (*)", "*"}};
    request.defaultExt = "tvn";
    std::string path;
    if (!UiPort().FileDialog(request, path))
        return;
    OpenFile(QString::fromStdString(path));
}

void CTesvanApp::OpenDocumentFile(const QString& path)
{
    if (!m_pDoc->SaveModified())
        return;
    OpenFile(path);
}

bool CTesvanApp::OpenFile(const QString& path)
{
    QString full = AbsolutePath(path);
    if (!m_pDoc->OnOpenDocument(full.toStdString()))
        return false;
    m_pDoc->SetPathName(full.toStdString());
    m_pDoc->SetModifiedFlag(false);
    AddToRecentFileList(full);
    m_pFrame->InitialUpdateFrame();
    return true;
}

void CTesvanApp::OnFileSave(bool saveAs)
{
    bool saved = saveAs ? m_pDoc->DoSave(std::string()) : m_pDoc->DoFileSave();
    if (saved && !m_pDoc->GetPathName().empty())
        AddToRecentFileList(QString::fromStdString(m_pDoc->GetPathName()));
    m_pFrame->UpdateTitle();
}

void CTesvanApp::OnAppAbout()
{
    QDialog dialog(m_pFrame);
    dialog.setWindowTitle(QStringLiteral("バージョン情報 Tesvan"));
    auto* icon = new QLabel(&dialog);
    icon->setPixmap(AppIcon().pixmap(32, 32));
    auto* text = new QLabel(QStringLiteral("Tesvan, Version 2.04"), &dialog);
    auto* ok = new QPushButton(QStringLiteral("OK"), &dialog);
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    auto* row = new QHBoxLayout;
    row->addWidget(icon, 0, Qt::AlignTop);
    row->addSpacing(12);
    row->addWidget(text, 1, Qt::AlignVCenter);
    row->addSpacing(12);
    row->addWidget(ok, 0, Qt::AlignTop);
    dialog.setLayout(row);
    dialog.setFixedSize(dialog.sizeHint().expandedTo(QSize(320, 80)));
    dialog.exec();
}

// The preferences live in the settings store under "Preferences", one value
// a field of the dialog.
void CTesvanApp::LoadPreferences()
{
    CPreferencesDlg prefs;
    prefs.FromDocument(*m_pDoc);
    QSettings settings;
    settings.beginGroup(QStringLiteral("Preferences"));
    for (const CPreferencesDlg::Field& field : CPreferencesDlg::Fields()) {
        const int value = settings.value(QString::fromLatin1(field.key), prefs.*field.member).toInt();
        prefs.*field.member = std::clamp(value, field.lo, field.hi);
    }
    prefs.ApplyTo(*m_pDoc);
}

void CTesvanApp::OnPreferences()
{
    CPreferencesDlg prefs;
    prefs.FromDocument(*m_pDoc);
    if (!UiPort().DoModal(prefs))
        return;
    prefs.ApplyTo(*m_pDoc);
    if (!m_bUseSettings)
        return;
    QSettings settings;
    settings.beginGroup(QStringLiteral("Preferences"));
    for (const CPreferencesDlg::Field& field : CPreferencesDlg::Fields())
        settings.setValue(QString::fromLatin1(field.key), prefs.*field.member);
}

void CTesvanApp::LoadRecentFileList()
{
    m_RecentFiles.clear();
    QSettings settings;
    settings.beginGroup(QStringLiteral("Recent File List"));
    for (int i = 0; i < kRecentFiles; ++i) {
        QString path = settings.value(RecentKey(i)).toString();
        if (!path.isEmpty() && !m_RecentFiles.contains(path))
            m_RecentFiles << path;
    }
}

void CTesvanApp::SaveRecentFileList() const
{
    if (!m_bUseSettings)
        return;
    QSettings settings;
    settings.beginGroup(QStringLiteral("Recent File List"));
    for (int i = 0; i < kRecentFiles; ++i) {
        if (i < m_RecentFiles.size())
            settings.setValue(RecentKey(i), m_RecentFiles[i]);
        else
            settings.remove(RecentKey(i));
    }
}

void CTesvanApp::AddToRecentFileList(const QString& path)
{
    QString full = AbsolutePath(path);
    m_RecentFiles.removeAll(full);
    m_RecentFiles.prepend(full);
    while (m_RecentFiles.size() > kRecentFiles)
        m_RecentFiles.removeLast();
    SaveRecentFileList();
    if (m_pFrame)
        m_pFrame->UpdateRecentFileMenu(m_RecentFiles);
}

void CTesvanApp::RemoveFromRecentFileList(int index)
{
    if (index < 0 || index >= m_RecentFiles.size())
        return;
    m_RecentFiles.removeAt(index);
    SaveRecentFileList();
    if (m_pFrame)
        m_pFrame->UpdateRecentFileMenu(m_RecentFiles);
}

void CTesvanApp::OpenRecentFile(int index)
{
    if (index < 0 || index >= m_RecentFiles.size())
        return;
    if (!m_pDoc->SaveModified())
        return;
    // A name that no longer opens leaves the list; a cancelled save question does not.
    if (!OpenFile(m_RecentFiles[index]))
        RemoveFromRecentFileList(index);
}
