// The user manual inside the editor: a list of its pages, a search field and
// the page itself, in the interface language; nothing leaves the program.
#pragma once

#include <QList>
#include <QString>
#include <QWidget>

class QLineEdit;
class QListWidget;
class QTextBrowser;
class QUrl;

class CHelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit CHelpWindow(QWidget* parent = nullptr);

    // Shows the window at its first page (or the page it shows already).
    void ShowContents();
    // The title of the page shown, empty when none is.
    QString PageTitle() const;
    // False when this build carries no manual.
    bool HasManual() const { return !m_Pages.isEmpty(); }

private:
    struct Page {
        QString url;    // qrc:/manual/LANG/NAME.md
        QString title;  // its first heading
        QString text;   // for the search
    };
    void LoadPages();
    void ShowPage(int index);
    void OnSourceChanged(const QUrl& url);
    void Search(const QString& words);

    QList<Page> m_Pages;
    int m_nShown = -1;
    QListWidget* m_pContents = nullptr;
    QLineEdit* m_pSearch = nullptr;
    QTextBrowser* m_pBrowser = nullptr;
};
