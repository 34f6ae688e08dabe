#include "app/PaletteCommands.h"
#include "app/TesvanApp.h"

#include "app/AidCommands.h"
#include "app/AppSettings.h"
#include "views/WindowFit.h"
#include "views/DialogPresenters.h"
#include "views/Language.h"

#include "app/CommandTable.h"
#include "app/Icons.h"
#include "app/MainFrame.h"
#include "app/QtUiPort.h"
#include "app/RecoveryManager.h"
#include "doc/TesvanDoc.h"
#include "edit/Preferences.h"
#include "platform/UiPort.h"

#include <QApplication>
#include <QDialog>
#include <QDeadlineTimer>
#include <QDialogButtonBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLibraryInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPushButton>
#include <QSettings>
#include <QThread>
#include <QTimer>
#include <QTranslator>
#include <QVBoxLayout>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <optional>

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

// The lock file that elects the editor serving the session, beside the
// socket (or in the temporary folder when the socket has no folder).
QString InstanceLockPath()
{
    const QString name = InstanceServerName();
    if (QFileInfo(name).isAbsolute())
        return name + QStringLiteral(".lock");
    return QDir(QDir::tempPath()).filePath(name + QStringLiteral(".lock"));
}

// How long a second start tries to hand its request over before it opens the
// file itself: 10 s, or TESVAN_HANDOFF_TIMEOUT milliseconds.
int HandOffTimeout()
{
    bool ok = false;
    const int ms = qEnvironmentVariableIntValue("TESVAN_HANDOFF_TIMEOUT", &ok);
    return ok && ms > 0 ? ms : 10000;
}

// The hand-off, one line each way: the sender's request (the path, or an
// empty line to come to the front), the editor's "ack", the sender's
// "commit". The editor acts only on the commit, so a request whose sender
// gave up (and opened the file itself) is dropped.
constexpr char kHandOffAck[] = "ack\n";
constexpr char kHandOffCommit[] = "commit\n";

} // namespace

CTesvanApp::CTesvanApp() { g_pApp = this; }

CTesvanApp::~CTesvanApp()
{
    // The recovery copy goes with a normal end; the views leave the
    // document before it goes.
    m_pRecovery.reset();
    delete m_pFrame;
    m_pFrame = nullptr;
    m_pDoc.reset();
    if (m_pUiPort)
        SetUiPort(nullptr);
    if (m_nInstanceLock >= 0)
        ::close(m_nInstanceLock);
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

    RegisterDialogPresenters();
    InstallSettingsStore();
    m_pUiPort = std::make_unique<CQtUiPort>();
    CQtUiPort::s_documentFolder = [this] {
        const std::string path = m_pDoc ? m_pDoc->GetPathName() : std::string();
        return path.empty() ? QString() : QFileInfo(QString::fromStdString(path)).absolutePath();
    };
    SetUiPort(m_pUiPort.get());

    // The first argument that is not an option names a file to open.
    QString file;
    for (int i = 1; i < arguments.size(); ++i)
        if (!arguments[i].startsWith(QLatin1Char('-'))) {
            file = arguments[i];
            break;
        }
    // A running editor of this session takes the file (or just comes to the
    // front), and this start ends there. Starts racing each other elect one
    // editor by the lock; the others hand over to it once it listens.
    const QString request = file.isEmpty() ? QString() : AbsolutePath(file);
    const qint64 deadline = QDateTime::currentMSecsSinceEpoch() + HandOffTimeout();
    while (!TakeInstanceLock()) {
        const HandOff handOff = HandOffToRunningInstance(request, deadline);
        if (handOff == HandOff::Taken) {
            m_bHandedOff = true;
            return false;
        }
        // The editor did not take it in time: this start opens the file itself.
        if (handOff == HandOff::GaveUp || QDateTime::currentMSecsSinceEpoch() >= deadline)
            break;
        QThread::msleep(50);
    }

    LoadRecentFileList();
    if (!CreateShell())
        return false;
    LoadPreferences();
    m_pRecovery = std::make_unique<CRecoveryManager>(*this, m_pDoc.get());
    if (file.isEmpty()) {
        OnFileNew();
    } else if (!OpenFile(file)) {
        return false;
    }

    // Every window and dialog of a person's session opens where it can be
    // reached, whatever the scale factor and the screen.
    FitWindowsAsTheyShow();
    m_pFrame->LoadPlacement();
    m_pFrame->show();
    if (m_bServes)
        StartInstanceServer();
    QTimer::singleShot(0, this, [this] { OfferRecovery(); });
    return true;
}

bool CTesvanApp::TakeInstanceLock()
{
    const QByteArray path = QFile::encodeName(InstanceLockPath());
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0 || st.st_uid != ::getuid()) {
        // No election possible (a lock file of another user): run on our own.
        if (fd >= 0)
            ::close(fd);
        return true;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    m_nInstanceLock = fd;
    m_bServes = true;
    return true;
}

CTesvanApp::HandOff CTesvanApp::HandOffToRunningInstance(const QString& path, qint64 deadline)
{
    auto left = [deadline] {
        return int(std::max<qint64>(0, deadline - QDateTime::currentMSecsSinceEpoch()));
    };
    QLocalSocket socket;
    socket.connectToServer(InstanceServerName());
    if (!socket.waitForConnected(std::min(left(), 500)))
        return HandOff::NoServer;
    socket.write(path.toUtf8() + '\n');
    if (!socket.waitForBytesWritten(left()))
        return HandOff::GaveUp;
    while (!socket.canReadLine()) {
        if (left() == 0 || !socket.waitForReadyRead(left()))
            return HandOff::GaveUp;
    }
    // An answer that comes too late is not taken up: by now the person has
    // waited long enough, and this start opens the file itself.
    if (socket.readLine() != kHandOffAck || left() == 0)
        return HandOff::GaveUp;
    socket.write(kHandOffCommit);
    if (!socket.waitForBytesWritten(1000))
        return HandOff::GaveUp;
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(1000);
    return HandOff::Taken;
}

void CTesvanApp::StartInstanceServer()
{
    // Only the holder of the lock listens, so a name left behind belongs to
    // an editor that has ended.
    const QString name = InstanceServerName();
    QLocalServer::removeServer(name);
    m_pInstanceServer = new QLocalServer(this);
    m_pInstanceServer->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_pInstanceServer->listen(name))
        return;
    connect(m_pInstanceServer, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_pInstanceServer->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            // The request waits here until its sender commits; a sender that
            // hangs up first takes it back.
            auto request = std::make_shared<std::optional<QString>>();
            connect(socket, &QLocalSocket::readyRead, this, [this, socket, request] {
                while (socket->canReadLine()) {
                    QByteArray line = socket->readLine();
                    if (!request->has_value()) {
                        line.chop(1);
                        *request = QString::fromUtf8(line);
                        socket->write(kHandOffAck);
                        socket->flush();
                    } else if (line == kHandOffCommit) {
                        const QString path = **request;
                        socket->disconnectFromServer();
                        QTimer::singleShot(0, this, [this, path] { OpenHandedOffFile(path); });
                        return;
                    } else {
                        socket->abort();
                        return;
                    }
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
    if (CRecoveryManager::EnabledForScripts())
        m_pRecovery = std::make_unique<CRecoveryManager>(*this, m_pDoc.get());
    return true;
}

bool CTesvanApp::CreateShell()
{
    m_pDoc = std::make_unique<CTesvanDoc>();
    m_pFrame = new CMainFrame(m_pDoc.get());

    CCommandTable& t = m_pFrame->Commands();
    t.SetHandler(Cmd::FileNew, [this] { OnFileNew(); });
    t.SetHandler(Cmd::FileOpen, [this] { OnFileOpen(); });
    // Closing leaves the empty document a new one is, after the same question.
    t.SetHandler(Cmd::FileClose, [this] { OnFileNew(); });
    t.SetHandler(Cmd::FileSave, [this] { OnFileSave(false); });
    t.SetHandler(Cmd::FileSaveAs, [this] { OnFileSave(true); });
    t.SetHandler(Cmd::HelpAbout, [this] { OnAppAbout(); });
    t.SetHandler(Cmd::EditPreferences, [this] { OnPreferences(); });
    for (int i = 0; i < kRecentFiles; ++i) {
        t.SetHandler(Cmd::FileMru1 + i, [this, i] { OpenRecentFile(i); },
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
    m_bAskBeforeSave = false;
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
    static const char* const kPictures = "*.png;*.gif;*.bmp;*.jpg;*.jpeg;*.tif;*.tiff;*.webp";
    request.filters = {{"Tesvan Files (*.tvn)", "*.tvn"}, {"画像ファイル", kPictures}, {"すべてのファイル (*)", "*"}};
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
    // A picture becomes a new untitled document; its file stays as it is.
    if (CTesvanDoc::IsPictureFile(full.toStdString())) {
        if (!m_pDoc->OpenPicture(full.toStdString()))
            return false;
        m_bAskBeforeSave = false;
        AddToRecentFileList(full);
        m_pFrame->InitialUpdateFrame();
        return true;
    }
    if (!m_pDoc->OnOpenDocument(full.toStdString()))
        return false;
    m_pDoc->SetPathName(full.toStdString());
    m_pDoc->SetModifiedFlag(false);
    m_bAskBeforeSave = false;
    AddToRecentFileList(full);
    m_pFrame->InitialUpdateFrame();
    return true;
}

void CTesvanApp::OnFileSave(bool saveAs)
{
    // A restored copy replaces its original only when the person says so:
    // the file may have changed since the copy was taken.
    if (!saveAs && m_bAskBeforeSave && !m_pDoc->GetPathName().empty()) {
        if (UiPort().Question("復元した内容で " + m_pDoc->GetPathName() + " を上書きしますか?", false) !=
            UiAnswer::Yes)
            return;
    }
    bool saved = saveAs ? m_pDoc->DoSave(std::string()) : m_pDoc->DoFileSave();
    if (saved)
        m_bAskBeforeSave = false;
    if (saved && !m_pDoc->GetPathName().empty())
        AddToRecentFileList(QString::fromStdString(m_pDoc->GetPathName()));
    m_pFrame->UpdateTitle();
}

void CTesvanApp::OfferRecovery()
{
    if (m_pRecovery)
        m_pRecovery->OfferCopies();
}

CTesvanApp::RestoreResult CTesvanApp::RestoreDocument(const std::string& copyPath,
                                                      const std::string& path)
{
    if (!m_pDoc->SaveModified())
        return RestoreResult::Cancelled;
    if (!m_pDoc->OnOpenDocument(copyPath))
        return RestoreResult::Unreadable;
    m_pDoc->SetPathName(path);
    m_pDoc->SetModifiedFlag(true);
    m_bAskBeforeSave = !path.empty();
    m_pFrame->InitialUpdateFrame();
    return RestoreResult::Restored;
}

void CTesvanApp::OnAppAbout()
{
    QDialog dialog(m_pFrame);
    dialog.setWindowTitle(tr("バージョン情報 Tesvan"));
    auto* icon = new QLabel(&dialog);
    icon->setPixmap(AppIcon().pixmap(32, 32));
    // The version, the licence and the toolkit the program runs on.
    auto* text = new QLabel(QStringLiteral("Tesvan, Version 2.04") + QLatin1Char('\n') +
                                tr("MIT ライセンスで配布されています。") + QLatin1Char('\n') +
                                tr("Qt %1 を使用しています。").arg(QLatin1String(qVersion())),
                            &dialog);
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
        if (!field.key)
            continue;
        const int value = settings.value(QString::fromLatin1(field.key), prefs.*field.member).toInt();
        prefs.*field.member = std::clamp(value, field.lo, field.hi);
    }
    prefs.ApplyTo(*m_pDoc);
}

void CTesvanApp::OnPreferences()
{
    CPreferencesDlg prefs;
    prefs.FromDocument(*m_pDoc);
    if (m_bUseSettings)
        prefs.m_strLanguage = StoredLanguagePreference().toStdString();
    if (!UiPort().DoModal(prefs))
        return;
    prefs.ApplyTo(*m_pDoc);
    // The onion tints may have changed.
    m_pDoc->ComposeAll(true);
    m_pDoc->UpdateAllViews(HINT_CANVAS | HINT_PANE);
    if (!m_bUseSettings)
        return;
    // One change of the settings file, written whole.
    ChangeSettings([&](QSettings& settings) {
        WriteAidSettings(*m_pDoc, settings);
        StoreLanguagePreference(settings, QString::fromStdString(prefs.m_strLanguage));
        settings.beginGroup(QStringLiteral("Preferences"));
        for (const CPreferencesDlg::Field& field : CPreferencesDlg::Fields())
            if (field.key)
                settings.setValue(QString::fromLatin1(field.key), prefs.*field.member);
        settings.endGroup();
    });
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
    ChangeSettings([this](QSettings& settings) {
        settings.beginGroup(QStringLiteral("Recent File List"));
        for (int i = 0; i < kRecentFiles; ++i) {
            if (i < m_RecentFiles.size())
                settings.setValue(RecentKey(i), m_RecentFiles[i]);
            else
                settings.remove(RecentKey(i));
        }
    });
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
