// The folder chooser: the toolkit's folder browser that refuses a typed
// name that is no folder with "不正なパスが選択されました。" and stays open.
#pragma once

#include <QString>

class QWidget;

class CFolderDialog {
public:
    // An empty title shows "フォルダー選択ダイアログ".
    CFolderDialog(QWidget* owner, const QString& title, const QString& initialFolder);
    // 1 (OK) when a folder was chosen, its path in GetPath(); 2 otherwise.
    int DoModal();
    const QString& GetPath() const { return m_strPath; }

private:
    QWidget* m_pOwner;
    QString m_strTitle;
    QString m_strInitial;
    QString m_strPath;
};
