#include "app/RecoveryManager.h"

#include "app/TesvanApp.h"
#include "platform/SafeFile.h"
#include "platform/UiPort.h"
#include "views/DialogPresenters.h"
#include "views/Language.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QDateTime>
#include <QDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <ctime>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kDefaultDelay = 30000;

QString Q(const std::string& s) { return QString::fromStdString(s); }

// The offer as a list with the buttons 復元, 破棄 and 後で.
bool PresentRecoveryDlg(CDialogModel& model, QWidget* owner)
{
    auto& m = static_cast<CRecoveryDlg&>(model);
    QDialog dialog(owner);
    dialog.setWindowTitle(TrCore(QStringLiteral("変更の復元")));
    auto* text = new QLabel(
        TrCore(QStringLiteral("保存されずに終了した編集の復元用コピーがあります。")), &dialog);
    auto* list = new QTreeWidget(&dialog);
    list->setHeaderLabels({TrCore(QStringLiteral("名前")), TrCore(QStringLiteral("場所")), TrCore(QStringLiteral("日時"))});
    list->setRootIsDecorated(false);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    for (size_t i = 0; i < m.m_Items.size(); ++i) {
        const CRecoveryDlg::Item& item = m.m_Items[i];
        auto* row = new QTreeWidgetItem(list, {Q(item.strName), Q(item.strPath), Q(item.strTime)});
        row->setData(0, Qt::UserRole, int(i));
        if (int(i) == m.m_nItem)
            list->setCurrentItem(row);
    }
    list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    auto* restore = new QPushButton(TrCore(QStringLiteral("復元")), &dialog);
    auto* discard = new QPushButton(TrCore(QStringLiteral("破棄")), &dialog);
    auto* later = new QPushButton(TrCore(QStringLiteral("後で")), &dialog);
    restore->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(restore);
    buttons->addWidget(discard);
    buttons->addWidget(later);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(text);
    layout->addWidget(list, 1);
    layout->addLayout(buttons);
    dialog.resize(640, 260);

    auto sync = [&] {
        QTreeWidgetItem* row = list->currentItem();
        m.m_nItem = row ? row->data(0, Qt::UserRole).toInt() : -1;
        restore->setEnabled(row != nullptr);
        discard->setEnabled(row != nullptr);
    };
    sync();
    QObject::connect(list, &QTreeWidget::currentItemChanged, &dialog, sync);
    QObject::connect(list, &QTreeWidget::itemDoubleClicked, restore, &QPushButton::click);
    QObject::connect(discard, &QPushButton::clicked, &dialog, [&] {
        std::string error;
        if (!m.PressButton("discard", error))
            return;
        delete list->currentItem();
        sync();
    });
    QObject::connect(later, &QPushButton::clicked, &dialog, &QDialog::reject);
    QObject::connect(restore, &QPushButton::clicked, &dialog, [&] {
        std::string message;
        if (m.Validate(message))
            dialog.accept();
        else
            UiPort().MessageBox(message);
    });
    return dialog.exec() == QDialog::Accepted;
}

} // namespace

bool CRecoveryManager::EnabledForScripts()
{
    return qEnvironmentVariable("TESVAN_RECOVERY") == QLatin1String("1");
}

int CRecoveryManager::Delay()
{
    bool ok = false;
    const int ms = qEnvironmentVariableIntValue("TESVAN_RECOVERY_DELAY", &ok);
    return ok && ms >= 0 && ms <= kDefaultDelay ? ms : kDefaultDelay;
}

CRecoveryManager::CRecoveryManager(CTesvanApp& app, CTesvanDoc* doc)
    : m_App(app), m_pDoc(doc), m_Writer(RecoveryFolder())
{
    RegisterDialogPresenter("CRecoveryDlg", PresentRecoveryDlg);
    m_pDoc->AddView(this);
    m_Writer.SetOnWritten([this](bool ok) {
        QMetaObject::invokeMethod(this, [this, ok] { OnWritten(ok); }, Qt::QueuedConnection);
    });
    m_Timer.setSingleShot(true);
    connect(&m_Timer, &QTimer::timeout, this, &CRecoveryManager::WriteNow);
    if (auto* dispatcher = QAbstractEventDispatcher::instance())
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &CRecoveryManager::OnIdle);
    // Leaving the window writes what is not yet copied at once.
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state == Qt::ApplicationActive)
                    return;
                OnIdle();
                if (m_bDirty)
                    WriteNow();
            });
}

CRecoveryManager::~CRecoveryManager()
{
    m_pDoc->RemoveView(this);
    m_Writer.Finish();
}

void CRecoveryManager::OnUpdate(int) { m_bTouched = true; }

// The modified flag is read when the loop falls idle, after the change that
// set it has finished.
void CRecoveryManager::OnIdle()
{
    if (!m_pDoc->IsModified()) {
        // Saved, or closed without saving: the copy has served.
        m_bTouched = m_bDirty = m_bPending = false;
        m_Timer.stop();
        m_Writer.Remove();
        return;
    }
    if (!m_bTouched)
        return;
    m_bTouched = false;
    m_bDirty = true;
    // The first change starts the clock; later ones do not push it back.
    if (!m_Timer.isActive() && !m_bPending)
        m_Timer.start(Delay());
}

void CRecoveryManager::WriteNow()
{
    m_Timer.stop();
    if (!m_bDirty || !m_pDoc->IsModified())
        return;
    CRecoveryRecord record;
    record.strPath = m_pDoc->GetPathName();
    record.strTitle = m_pDoc->GetTitle();
    record.nTime = int64_t(std::time(nullptr));
    record.nPid = int32_t(::getpid());
    if (!m_Writer.Snapshot(*m_pDoc, record)) {
        if (m_Writer.Busy()) {
            m_bPending = true;       // written as soon as the last copy is on disk
            return;
        }
        ReportWriteFailure();
        m_Timer.start(Delay());
        return;
    }
    m_bDirty = false;
}

void CRecoveryManager::OnWritten(bool ok)
{
    if (!ok) {
        ReportWriteFailure();
        m_bDirty = true;
        if (!m_bPending && !m_Timer.isActive())
            m_Timer.start(Delay());
    }
    if (m_bPending) {
        m_bPending = false;
        WriteNow();
    }
}

// Once per run, and not in the middle of a stroke.
void CRecoveryManager::ReportWriteFailure()
{
    if (m_bReported)
        return;
    if (QApplication::mouseButtons() != Qt::NoButton || QApplication::activeModalWidget()) {
        QTimer::singleShot(500, this, &CRecoveryManager::ReportWriteFailure);
        return;
    }
    m_bReported = true;
    // The folder, then the file and the reason when the writer knows them.
    const std::string why = m_Writer.LastError();
    UiPort().MessageBox("復元用のコピーを書き込めませんでした。\n" + m_Writer.Folder() + (why.empty() ? "" : "\n" + why));
}

void CRecoveryManager::OfferCopies()
{
    CRecoveryScan scan = ScanRecoveryFolder(m_Writer.Folder(), int64_t(std::time(nullptr)));
    std::string aside;
    for (const std::string& path : scan.damaged)
        aside += "\n" + path;
    // A copy that cannot be read is a failed read: a script run ends with 1.
    if (!aside.empty())
        ReportFileFailure("読み込めない復元用のコピーを移動しました。" + aside);
    if (scan.copies.empty())
        return;

    CRecoveryDlg dialog;
    for (const CRecoveryCopy& copy : scan.copies) {
        CRecoveryDlg::Item item;
        item.strName = copy.record.strTitle.empty() ? TrCore(std::string("無題")) : copy.record.strTitle;
        item.strPath = copy.record.strPath;
        item.strTime = QDateTime::fromSecsSinceEpoch(copy.record.nTime)
                           .toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"))
                           .toStdString();
        dialog.m_Items.push_back(item);
    }
    const bool restore = UiPort().DoModal(dialog);
    for (size_t i = 0; i < dialog.m_Items.size(); ++i)
        if (dialog.m_Items[i].bDiscarded)
            DiscardRecoveryCopy(scan.copies[i]);
    if (!restore)
        return;     // the rest stay for a later start
    CRecoveryCopy& copy = scan.copies[size_t(dialog.m_nItem)];
    struct stat st {};
    const bool readable = ::stat(copy.CopyPath().c_str(), &st) == 0 && st.st_size > 0;
    switch (readable ? m_App.RestoreDocument(copy.CopyPath(), copy.record.strPath)
                     : CTesvanApp::RestoreResult::Unreadable) {
    case CTesvanApp::RestoreResult::Restored:
        m_Writer.Adopt(copy);
        break;
    case CTesvanApp::RestoreResult::Unreadable: {
        std::string moved;
        for (const std::string& path : SetRecoveryCopyAside(copy))
            moved += "\n" + path;
        ReportFileFailure("読み込めない復元用のコピーを移動しました。" + moved);
        break;
    }
    case CTesvanApp::RestoreResult::Cancelled:
        break;
    }
}
