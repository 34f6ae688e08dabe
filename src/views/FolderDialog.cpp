#include "views/FolderDialog.h"

#include "views/Language.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace {

class CFolderBrowser : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

protected:
    void accept() override
    {
        const QStringList chosen = selectedFiles();
        const QString path = chosen.isEmpty() ? QString() : chosen.first();
        if (path.isEmpty() || !QFileInfo(path).isDir()) {
            QMessageBox::information(this, QStringLiteral("Tesvan"),
                                     QCoreApplication::translate("CFolderDialog", "不正なパスが選択されました。"));
            return;
        }
        QFileDialog::accept();
    }
};

} // namespace

CFolderDialog::CFolderDialog(QWidget* owner, const QString& title, const QString& initialFolder)
    : m_pOwner(owner),
      m_strTitle(title.isEmpty() ? QCoreApplication::translate("CFolderDialog", "フォルダー選択ダイアログ") : title),
      m_strInitial(initialFolder)
{
}

int CFolderDialog::DoModal()
{
    m_strPath.clear();
    CFolderBrowser browser(m_pOwner, m_strTitle);
    browser.setFileMode(QFileDialog::Directory);
    browser.setOption(QFileDialog::ShowDirsOnly, true);
    browser.setOption(QFileDialog::DontUseNativeDialog, true);
    // An initial folder that does not exist is simply not pre-selected.
    if (!m_strInitial.isEmpty() && QFileInfo(m_strInitial).isDir())
        browser.setDirectory(m_strInitial);
    if (browser.exec() != QDialog::Accepted || browser.selectedFiles().isEmpty())
        return 2;
    const QString path = QDir::toNativeSeparators(browser.selectedFiles().first());
    if (path.isEmpty())
        return 2;
    m_strPath = path;
    return 1;
}
