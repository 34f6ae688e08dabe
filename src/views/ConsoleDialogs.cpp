#include "views/ConsoleDialogs.h"

#include "console/ConsoleExport.h"
#include "views/DialogPresenters.h"
#include "views/Language.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdlib>

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

QComboBox* TargetBox(const std::string& current, QWidget* parent)
{
    auto* box = new QComboBox(parent);
    for (const ConsoleTarget& t : ConsoleTargets())
        box->addItem(QString::fromLatin1(t.name));
    box->setCurrentText(Q(current));
    return box;
}

// "既定" (the target's default) or a bank 0..15.
QComboBox* BankBox(const std::string& current, QWidget* parent)
{
    auto* box = new QComboBox(parent);
    box->addItem(TrCore(QStringLiteral("既定")));
    for (int b = 0; b < 16; ++b)
        box->addItem(QString::number(b));
    box->setCurrentIndex(current.empty() ? 0 : std::clamp(std::atoi(current.c_str()) + 1, 0, 16));
    return box;
}

std::string BankText(const QComboBox* box)
{
    return box->currentIndex() <= 0 ? std::string() : std::to_string(box->currentIndex() - 1);
}

// Runs the dialog; `confirm` fills a copy of the model from the controls
// and the model's check decides whether it closes.
template <class Model, class Fill>
bool Run(QDialog& dialog, QFormLayout* form, Model& model, Fill fill)
{
    auto* layout = new QVBoxLayout(&dialog);
    layout->addLayout(form);
    auto* buttons = new QDialogButtonBox(&dialog);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(TrCore(QStringLiteral("キャンセル")), QDialogButtonBox::RejectRole);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        Model confirmed = model;
        fill(confirmed);
        std::string message;
        if (!confirmed.Validate(message)) {
            QMessageBox::information(&dialog, QStringLiteral("Tesvan"), TrCore(Q(message)));
            return;
        }
        model = confirmed;
        dialog.accept();
    });
    return dialog.exec() == QDialog::Accepted;
}

bool PresentExportConsole(CDialogModel& model, QWidget* owner)
{
    auto& dlg = static_cast<CExportConsoleDlg&>(model);
    QDialog dialog(owner);
    dialog.setWindowTitle(TrCore(Q(CExportConsoleDlg::kTitle)));
    auto* form = new QFormLayout;
    auto* target = TargetBox(dlg.m_strTarget, &dialog);
    auto* bank = BankBox(dlg.m_strFirstBank, &dialog);
    auto* dedupe = new QComboBox(&dialog);
    for (const char* word : {"none", "exact", "flip"})
        dedupe->addItem(QString::fromLatin1(word));
    dedupe->setCurrentText(Q(dlg.m_strDedupe));
    // The sheet itself, or one of the chip maps.
    auto* map = new QComboBox(&dialog);
    map->addItem(TrCore(QStringLiteral("シート")));
    for (const std::string& name : dlg.m_MapNames)
        map->addItem(Q(name));
    if (!dlg.m_strMap.empty()) {
        const int at = map->findText(Q(dlg.m_strMap));
        map->setCurrentIndex(at > 0 ? at : std::clamp(std::atoi(dlg.m_strMap.c_str()), 0, map->count() - 1));
    }
    auto* path = new QLineEdit(Q(dlg.m_strPath), &dialog);
    auto* browse = new QPushButton(TrCore(QStringLiteral("参照...")), &dialog);
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(path, 1);
    pathRow->addWidget(browse);
    form->addRow(TrCore(QStringLiteral("ターゲット")), target);
    form->addRow(TrCore(QStringLiteral("最初のバンク")), bank);
    form->addRow(TrCore(QStringLiteral("重複タイル")), dedupe);
    form->addRow(TrCore(QStringLiteral("マップ")), map);
    form->addRow(TrCore(QStringLiteral("出力ファイル名")), pathRow);
    QObject::connect(browse, &QPushButton::clicked, &dialog, [&] {
        const QString chosen = QFileDialog::getSaveFileName(&dialog, QString(), path->text(), QString(), nullptr,
                                                            QFileDialog::DontUseNativeDialog |
                                                                QFileDialog::DontConfirmOverwrite);
        if (!chosen.isEmpty())
            path->setText(chosen);
    });
    return Run(dialog, form, dlg, [&](CExportConsoleDlg& d) {
        d.m_strTarget = target->currentText().toStdString();
        d.m_strFirstBank = BankText(bank);
        d.m_strDedupe = dedupe->currentText().toStdString();
        d.m_strMap = map->currentIndex() > 0 ? map->currentText().toStdString() : std::string();
        d.m_strPath = path->text().toStdString();
    });
}

bool PresentConsoleCheck(CDialogModel& model, QWidget* owner)
{
    auto& dlg = static_cast<CConsoleCheckDlg&>(model);
    QDialog dialog(owner);
    dialog.setWindowTitle(TrCore(Q(CConsoleCheckDlg::kTitle)));
    auto* form = new QFormLayout;
    auto* target = TargetBox(dlg.m_strTarget, &dialog);
    auto* bank = BankBox(dlg.m_strFirstBank, &dialog);
    form->addRow(TrCore(QStringLiteral("ターゲット")), target);
    form->addRow(TrCore(QStringLiteral("最初のバンク")), bank);
    return Run(dialog, form, dlg, [&](CConsoleCheckDlg& d) {
        d.m_strTarget = target->currentText().toStdString();
        d.m_strFirstBank = BankText(bank);
    });
}

bool PresentColorPrecision(CDialogModel& model, QWidget* owner)
{
    auto& dlg = static_cast<CColorPrecisionDlg&>(model);
    QDialog dialog(owner);
    dialog.setWindowTitle(TrCore(Q(CColorPrecisionDlg::kTitle)));
    auto* form = new QFormLayout;
    auto* choice = new QComboBox(&dialog);
    for (const char* text : CColorPrecisionDlg::kChoices)
        choice->addItem(TrCore(Q(text)));
    choice->setCurrentIndex(std::clamp(dlg.m_nPrecision, 0, 2));
    form->addRow(TrCore(QStringLiteral("色の精度")), choice);
    return Run(dialog, form, dlg, [&](CColorPrecisionDlg& d) { d.m_nPrecision = choice->currentIndex(); });
}

} // namespace

void RegisterConsoleDialogs()
{
    RegisterDialogPresenter("CExportConsoleDlg", PresentExportConsole);
    RegisterDialogPresenter("CConsoleCheckDlg", PresentConsoleCheck);
    RegisterDialogPresenter("CColorPrecisionDlg", PresentColorPrecision);
}
