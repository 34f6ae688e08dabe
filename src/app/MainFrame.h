// The main window: menu bar, toolbar "標準", status bar, and the tab view.
#pragma once

#include "app/CommandTable.h"

#include <QHash>
#include <QMainWindow>

class CTesvanDoc;
class CTesvanView;
class CLeftView;
class CRightView;
class QAction;
class QLabel;
class QMenu;
class QToolBar;

class CHelpWindow;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    struct CommandState {
        bool known = false;
        bool enabled = false;
        bool checked = false;
        QString text;   // as the menu reads it, "\t" before the shortcut
    };

    explicit CMainFrame(CTesvanDoc* doc, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Refreshes the rule, then answers the command's state.
    CommandState QueryCommand(int id);
    // Routed and enable-checked like a menu click; false (doing nothing)
    // when the command is disabled or unknown.
    bool ExecuteCommand(int id);
    // A key press from a script: the target widget may claim it (a text
    // entry), else the command whose key it is runs; false when no command
    // took it (the caller then delivers the key to the target).
    bool DispatchKey(QWidget* target, QKeyCombination combination, const QString& text);

    CTesvanView* TabView() const { return m_pTabView; }
    CLeftView* LeftView() const;
    CRightView* RightView() const;
    CCommandTable& Commands() { return m_Commands; }
    QToolBar* ToolBar() const { return m_pToolBar; }

    // "<document title> - Tesvan", with "*" before the title while the
    // document has unsaved changes.
    void UpdateTitle();
    // The status bar's pointer pane as shown.
    QString PointerStatus() const;
    // Re-reads every item's enable/tick/text state.
    void UpdateCommandUi();
    // Rebuilds the recent-file items of the File menu.
    void UpdateRecentFileMenu(const QStringList& files);

    // The framework's initial update of every view, after each new or
    // loaded document.
    void InitialUpdateFrame();
    // A file dropped on the window (onCanvas: on the canvas).
    void DropFile(const QString& path, bool onCanvas);
    // The two context menus, built from the command table.
    QMenu* LayerMenu() const { return m_pLayerMenu; }
    // Help contents (Cmd::HelpFinder, F1): the manual in its own window.
    void OnHelpFinder();
    CHelpWindow* HelpWindow() const { return m_pHelp; }
    QMenu* PaletteMenu() const { return m_pPaletteMenu; }

    // Window placement in the settings store ("Workspace").
    void LoadPlacement();
    void SavePlacement() const;
    // When false the close box and the exit command skip the placement store.
    void SetStorePlacement(bool store) { m_bStorePlacement = store; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void InstallFrameHandlers();
    void BuildMenus();
    void BuildToolBar();
    void BuildStatusBar();
    void BuildShortcuts();
    void OnIdle();
    void UpdateLockIndicators();
    QMenu* BuildMenu(CommandMenu menu, QWidget* parent);
    void MovePaneFocus(int step);
    QAction* MakeAction(int id);

    CTesvanDoc* m_pDoc;
    CCommandTable m_Commands;
    QHash<int, QAction*> m_Actions;         // menu and toolbar share one action
    QMenu* m_pFileMenu = nullptr;
    QMenu* m_pLayerMenu = nullptr;
    QMenu* m_pPaletteMenu = nullptr;
    QAction* m_pRecentAnchor = nullptr;     // the separator after the recent items
    QList<QAction*> m_RecentActions;
    QToolBar* m_pToolBar = nullptr;
    CTesvanView* m_pTabView = nullptr;
    QLabel* m_pMessage = nullptr;
    QLabel* m_pLockPanes[3] = {};
    QLabel* m_pPointerPane = nullptr;
    QLabel* m_pZoomPane = nullptr;     // the canvas zoom
    bool m_bStorePlacement = true;
    CHelpWindow* m_pHelp = nullptr;
};
