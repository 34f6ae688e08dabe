#include "views/ExchangeDialogs.h"

#include "exchange/AnimeExport.h"
#include "exchange/ImageImport.h"
#include "exchange/SheetSize.h"
#include "views/DialogPresenters.h"

#include "views/Language.h"

#include <QCoreApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

QComboBox* ListBox(const std::vector<std::string>& items, int current, bool editable, QWidget* parent)
{
    auto* box = new QComboBox(parent);
    box->setEditable(editable);
    for (const std::string& item : items)
        box->addItem(TrCore(Q(item)));
    if (!editable)
        box->setCurrentIndex(current);
    return box;
}

QDialogButtonBox* OkCancel(QDialog* dialog)
{
    auto* buttons = new QDialogButtonBox(dialog);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QCoreApplication::translate("ExchangeDialogs", "キャンセル"), QDialogButtonBox::RejectRole);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

void Refuse(QWidget* owner, const std::string& message)
{
    QMessageBox::information(owner, QStringLiteral("Tesvan"), TrCore(Q(message)));
}

bool PresentSetSize(CDialogModel& model, QWidget* owner)
{
    auto& dlg = static_cast<CSetSizeDlg&>(model);
    dlg.LoadPresets();
    QDialog dialog(owner);
    dialog.setWindowTitle(QCoreApplication::translate("ExchangeDialogs", "サイズ設定"));
    auto* layout = new QVBoxLayout(&dialog);

    auto* cellGroup = new QGroupBox(QCoreApplication::translate("ExchangeDialogs", "キャラクターサイズ"), &dialog);
    auto* cellLayout = new QGridLayout(cellGroup);
    QComboBox* width = ListBox(CSetSizeDlg::CellSizes(), 0, true, cellGroup);
    QComboBox* height = ListBox(CSetSizeDlg::CellSizes(), 0, true, cellGroup);
    width->setObjectName(QStringLiteral("1002"));
    height->setObjectName(QStringLiteral("1009"));
    width->setEditText(QString::number(dlg.m_nCellWidth));
    height->setEditText(QString::number(dlg.m_nCellHeight));
    cellLayout->addWidget(new QLabel(QCoreApplication::translate("ExchangeDialogs", "幅"), cellGroup), 0, 0);
    cellLayout->addWidget(width, 0, 1);
    cellLayout->addWidget(new QLabel(QStringLiteral("px"), cellGroup), 0, 2);
    cellLayout->addWidget(new QLabel(QCoreApplication::translate("ExchangeDialogs", "高"), cellGroup), 1, 0);
    cellLayout->addWidget(height, 1, 1);
    cellLayout->addWidget(new QLabel(QStringLiteral("px"), cellGroup), 1, 2);
    layout->addWidget(cellGroup);

    auto* countGroup = new QGroupBox(QCoreApplication::translate("ExchangeDialogs", "キャラクター数"), &dialog);
    auto* countLayout = new QGridLayout(countGroup);
    auto* columns = new QLineEdit(QString::number(dlg.m_nColumns), countGroup);
    auto* rows = new QLineEdit(QString::number(dlg.m_nRows), countGroup);
    countLayout->addWidget(new QLabel(QCoreApplication::translate("ExchangeDialogs", "横"), countGroup), 0, 0);
    countLayout->addWidget(columns, 0, 1);
    countLayout->addWidget(new QLabel(QCoreApplication::translate("ExchangeDialogs", "列"), countGroup), 0, 2);
    countLayout->addWidget(new QLabel(QCoreApplication::translate("ExchangeDialogs", "縦"), countGroup), 1, 0);
    countLayout->addWidget(rows, 1, 1);
    countLayout->addWidget(new QLabel(QCoreApplication::translate("ExchangeDialogs", "行"), countGroup), 1, 2);
    layout->addWidget(countGroup);

    auto* form = new QFormLayout;
    const auto& bitsList = CSetSizeDlg::BitsList();
    int bitsIndex = 0;
    for (size_t k = 0; k < bitsList.size(); ++k)
        if (bitsList[k] == dlg.m_strBits)
            bitsIndex = int(k);
    QComboBox* bits = ListBox(bitsList, bitsIndex, false, &dialog);
    form->addRow(QCoreApplication::translate("ExchangeDialogs", "解像度"), bits);
    auto* presets = new QComboBox(&dialog);
    presets->addItem(QString());
    for (const CImgSizeInfo& p : dlg.m_Presets)
        presets->addItem(Q(p.strName));
    form->addRow(QCoreApplication::translate("ExchangeDialogs", "設定読込"), presets);
    layout->addLayout(form);

    QObject::connect(presets, &QComboBox::activated, &dialog, [&](int k) {
        if (k < 1 || size_t(k) > dlg.m_Presets.size())
            return;
        const CImgSizeInfo& p = dlg.m_Presets[size_t(k) - 1];
        width->setEditText(QString::number(p.nCellWidth));
        height->setEditText(QString::number(p.nCellHeight));
        columns->setText(QString::number(p.nColumns));
        rows->setText(QString::number(p.nRows));
    });

    QDialogButtonBox* buttons = OkCancel(&dialog);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        std::string error;
        dlg.SetField("m_nCellWidth", width->currentText().toStdString(), error);
        dlg.SetField("m_nCellHeight", height->currentText().toStdString(), error);
        dlg.SetField("m_nColumns", columns->text().toStdString(), error);
        dlg.SetField("m_nRows", rows->text().toStdString(), error);
        dlg.SetField("m_strBits", bits->currentText().toStdString(), error);
        dlg.m_cbPreset = presets->currentIndex();
        std::string message;
        if (!dlg.Validate(message)) {
            Refuse(&dialog, message);
            return;
        }
        dialog.accept();
    });
    return dialog.exec() == QDialog::Accepted;
}

bool PresentImgFit(CDialogModel& model, QWidget* owner)
{
    auto& dlg = static_cast<CImgFitDlg&>(model);
    QDialog dialog(owner);
    dialog.setWindowTitle(QCoreApplication::translate("ExchangeDialogs", "イメージ読込設定"));
    auto* layout = new QVBoxLayout(&dialog);

    auto* group = new QButtonGroup(&dialog);
    // The sixth, for pictures of several frames, is shown greyed for others.
    static const int ids[6] = {1047, 1048, 1049, 1050, 1052, 1056};
    const auto& modes = CImgFitDlg::FitModes();
    for (int k = 0; k < 6; ++k) {
        auto* radio = new QRadioButton(TrCore(Q(modes[size_t(k)])), &dialog);
        radio->setObjectName(QString::number(ids[k]));
        radio->setEnabled(k != CImgFitDlg::kAllFrames || dlg.AllFramesEnabled());
        group->addButton(radio, k);
        layout->addWidget(radio);
    }
    const int mode = std::clamp(dlg.m_nFitMode, 0, 5);
    if (QAbstractButton* b = group->button(mode == CImgFitDlg::kAllFrames && !dlg.AllFramesEnabled() ? 0 : mode))
        b->setChecked(true);

    auto* form = new QFormLayout;
    auto* chips = new QLineEdit(QString::number(dlg.m_nChipColumns), &dialog);
    chips->setObjectName(QStringLiteral("1053"));
    chips->setEnabled(dlg.ChipColumnsEnabled());
    form->addRow(QCoreApplication::translate("ExchangeDialogs", "読込チップの列数"), chips);
    QComboBox* blur = ListBox(CImgFitDlg::BlurList(), dlg.m_nBlur, false, &dialog);
    form->addRow(QCoreApplication::translate("ExchangeDialogs", "拡大時ぼかし度"), blur);
    layout->addLayout(form);

    auto* transGroup = new QGroupBox(QCoreApplication::translate("ExchangeDialogs", "32bitカラーでないときの透過色"), &dialog);
    auto* transForm = new QFormLayout(transGroup);
    QComboBox* trans8 = ListBox(CImgFitDlg::Trans8List(), dlg.m_nTrans8, false, transGroup);
    QComboBox* trans24 = ListBox(CImgFitDlg::Trans24List(), dlg.m_nTrans24, false, transGroup);
    transForm->addRow(QCoreApplication::translate("ExchangeDialogs", "8bitカラー"), trans8);
    transForm->addRow(QCoreApplication::translate("ExchangeDialogs", "24bitカラー"), trans24);
    layout->addWidget(transGroup);

    QObject::connect(group, &QButtonGroup::idClicked, &dialog,
                     [chips](int id) { chips->setEnabled(id == 3 || id == 4); });

    QDialogButtonBox* buttons = OkCancel(&dialog);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        dlg.m_nFitMode = std::max(0, group->checkedId());
        dlg.m_nBlur = blur->currentIndex();
        dlg.m_nTrans8 = trans8->currentIndex();
        dlg.m_nTrans24 = trans24->currentIndex();
        dlg.m_strChipColumns = chips->text().toStdString();
        std::string message;
        if (!dlg.Validate(message)) {
            Refuse(&dialog, message);
            return;
        }
        dialog.accept();
    });
    return dialog.exec() == QDialog::Accepted;
}

} // namespace

bool PresentExportAnime(CDialogModel& model, QWidget* owner)
{
    auto& dlg = static_cast<CExportAnimeDlg&>(model);
    QDialog dialog(owner);
    dialog.setWindowTitle(TrCore(Q(CExportAnimeDlg::kTitle)));
    auto* form = new QFormLayout;
    auto* slot = new QComboBox(&dialog);
    for (int k = 0; k < 4; ++k)
        slot->addItem(QString::number(k + 1) + QStringLiteral(": ") + Q(dlg.m_SlotNames[k]));
    slot->setCurrentIndex(std::clamp(dlg.m_nSlot, 0, 3));
    auto* kind = new QComboBox(&dialog);
    for (const char* text : CExportAnimeDlg::kForms)
        kind->addItem(TrCore(Q(text)));
    kind->setCurrentIndex(std::clamp(dlg.m_nForm, 0, 3));
    auto* scale = new QSpinBox(&dialog);
    scale->setRange(kMinExportScale, kMaxExportScale);
    scale->setValue(std::clamp(dlg.m_nScale, kMinExportScale, kMaxExportScale));
    auto* path = new QLineEdit(Q(dlg.m_strPath), &dialog);
    auto* browse = new QPushButton(TrCore(QStringLiteral("参照...")), &dialog);
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(path, 1);
    pathRow->addWidget(browse);
    form->addRow(TrCore(QStringLiteral("アニメーション")), slot);
    form->addRow(TrCore(QStringLiteral("形式")), kind);
    form->addRow(TrCore(QStringLiteral("倍率")), scale);
    form->addRow(TrCore(QStringLiteral("出力ファイル名")), pathRow);
    // The slot matters only to the animated forms.
    auto follow = [slot, kind] { slot->setEnabled(kind->currentIndex() <= CExportAnimeDlg::FORM_WEBP); };
    QObject::connect(kind, &QComboBox::currentIndexChanged, &dialog, follow);
    follow();
    QObject::connect(browse, &QPushButton::clicked, &dialog, [&] {
        static const char* const kFilters[4] = {"GIF (*.gif)", "WebP (*.webp)", "PNG (*.png)", "PNG (*.png)"};
        const QString chosen = QFileDialog::getSaveFileName(
            &dialog, QString(), path->text(), QString::fromUtf8(kFilters[kind->currentIndex()]), nullptr,
            QFileDialog::DontUseNativeDialog | QFileDialog::DontConfirmOverwrite);
        if (!chosen.isEmpty())
            path->setText(chosen);
    });
    auto* layout = new QVBoxLayout(&dialog);
    layout->addLayout(form);
    auto* buttons = OkCancel(&dialog);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        CExportAnimeDlg confirmed = dlg;
        confirmed.m_nSlot = slot->currentIndex();
        confirmed.m_nForm = kind->currentIndex();
        confirmed.m_nScale = scale->value();
        confirmed.m_strPath = path->text().toStdString();
        std::string message;
        if (!confirmed.Validate(message)) {
            Refuse(&dialog, message);
            return;
        }
        dlg = confirmed;
        dialog.accept();
    });
    return dialog.exec() == QDialog::Accepted;
}

void RegisterExchangeDialogs()
{
    RegisterDialogPresenter("CExportAnimeDlg", PresentExportAnime);
    RegisterDialogPresenter("CSetSizeDlg", PresentSetSize);
    RegisterDialogPresenter("CImgFitDlg", PresentImgFit);
}
