// The application object: settings, the document, the main window.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <string>

class CTesvanDoc;
class CMainFrame;
class CQtUiPort;
class CRecoveryManager;
class QLocalServer;
class QTranslator;

class CTesvanApp : public QObject {
    Q_OBJECT
public:
    static constexpr int kRecentFiles = 4;

    CTesvanApp();
    ~CTesvanApp() override;

    // Starts the editor as the person at the screen sees it; false ends the
    // program without a window.
    bool InitInstance(const QStringList& arguments);
    // True when InitInstance ended because the editor already running in
    // this session took the request.
    bool HandedOff() const { return m_bHandedOff; }
    // Document, frame and views for a script run: no settings read or
    // written, the window laid out at a default size but not shown, a new
    // document made.
    bool InitForScript();

    CTesvanDoc* GetDocument() const { return m_pDoc.get(); }
    CMainFrame* GetMainFrame() const { return m_pFrame; }
    static CTesvanApp* Instance();

    void OnFileNew();
    void OnFileOpen();
    void OpenDocumentFile(const QString& path);
    void OnAppAbout();

    // The recent-file list, most recent first, at most kRecentFiles names.
    const QStringList& RecentFiles() const { return m_RecentFiles; }
    void AddToRecentFileList(const QString& path);
    void RemoveFromRecentFileList(int index);
    void OpenRecentFile(int index);

    // The start-up offer of recovery copies (when this run keeps them).
    void OfferRecovery();
    // Opens a recovery copy as a modified document that saves to `path`
    // (empty: untitled) after asking.
    enum class RestoreResult { Restored, Cancelled, Unreadable };
    RestoreResult RestoreDocument(const std::string& copyPath, const std::string& path);

    // The recent list and window placement are stored only for a person's run.
    bool UsesSettings() const { return m_bUseSettings; }
    void SaveRecentFileList() const;

private:
    bool CreateShell();
    // Loads a file into the document; on success it is the document's path
    // and the first recent file.
    bool OpenFile(const QString& path);
    void OnFileSave(bool saveAs);
    // A file opened from outside while this editor runs goes to it, as a
    // double-clicked document does on the desktop.
    enum class HandOff { NoServer, Taken, GaveUp };
    static HandOff HandOffToRunningInstance(const QString& path, qint64 deadline);
    // True when this editor serves the session (or no election is possible).
    bool TakeInstanceLock();
    void StartInstanceServer();
    void OpenHandedOffFile(const QString& path);
    void LoadRecentFileList();
    // The preferences dialog, and its values from the settings at start-up.
    void OnPreferences();
    void LoadPreferences();

    std::unique_ptr<CTesvanDoc> m_pDoc;
    CMainFrame* m_pFrame = nullptr;
    std::unique_ptr<CQtUiPort> m_pUiPort;
    QTranslator* m_pTranslator = nullptr;
    QLocalServer* m_pInstanceServer = nullptr;
    int m_nInstanceLock = -1;          // held while this editor serves the session
    bool m_bServes = false;
    std::unique_ptr<CRecoveryManager> m_pRecovery;
    bool m_bAskBeforeSave = false;     // a restored copy saves over its original after a question
    QStringList m_RecentFiles;
    bool m_bUseSettings = false;
    bool m_bHandedOff = false;
};
