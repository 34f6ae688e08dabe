// The Qt presenter of CPreferencesDlg: one labelled edit a field, built from
// the model's field table.
#include "views/PreferencesDlg.h"

#include "edit/Preferences.h"
#include "views/Language.h"
#include "views/OnionSettings.h"
#include "platform/UiPort.h"
#include "views/Language.h"

#include <QCoreApplication>
#include <QDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <vector>

namespace {
QString Q(const char* text) { return QString::fromUtf8(text); }
} // namespace

bool PresentPreferencesDlg(CDialogModel& model, QWidget* owner)
{
    auto& dlg = dynamic_cast<CPreferencesDlg&>(model);
    QDialog dialog(owner);
    dialog.setWindowTitle(TrCore(Q(CPreferencesDlg::kTitle)));
    auto* grid = new QGridLayout;
    std::vector<QLineEdit*> edits;
    int row = 0;
    for (const CPreferencesDlg::Field& field : CPreferencesDlg::Fields()) {
        if (field.onion) {
            edits.push_back(nullptr);
            continue;
        }
        auto* edit = new QLineEdit(QString::fromStdString(dlg.Text(field)), &dialog);
        edit->setAlignment(Qt::AlignRight);
        edit->setMaximumWidth(80);
        edit->setToolTip(QStringLiteral("%1 – %2").arg(field.lo).arg(field.hi));
        grid->addWidget(new QLabel(TrCore(Q(field.label)), &dialog), row, 0);
        grid->addWidget(edit, row, 1);
        grid->addWidget(new QLabel(TrCore(Q(field.unit)), &dialog), row, 2);
        edits.push_back(edit);
        ++row;
    }
    // The onion-skin settings: one line of their own, in the dialog's fields.
    CDrawingAids aids;
    aids.crOnionPrev = uint32_t(dlg.m_crOnionPrev);
    aids.crOnionNext = uint32_t(dlg.m_crOnionNext);
    aids.nOnionOpacity = dlg.m_nOnionOpacity;
    aids.nOnionFrames = dlg.m_nOnionFrames;
    auto* onion = new COnionSettingsBox(&dialog);
    onion->Load(aids);
    grid->addWidget(onion, row, 0, 1, 3);
    ++row;
    // The interface language is chosen once per start: the note says so.
    auto* language = new QComboBox(&dialog);
    for (const CPreferencesDlg::Language& l : CPreferencesDlg::Languages()) {
        language->addItem(TrCore(Q(l.name)), Q(l.code));
        if (dlg.m_strLanguage == l.code)
            language->setCurrentIndex(language->count() - 1);
    }
    grid->addWidget(new QLabel(TrCore(Q(CPreferencesDlg::kLanguageLabel)), &dialog), row, 0);
    grid->addWidget(language, row, 1, 1, 2);
    ++row;
    auto* note = new QLabel(TrCore(Q(CPreferencesDlg::kLanguageNote)), &dialog);
    note->setWordWrap(true);
    grid->addWidget(note, row, 0, 1, 3);
    auto* buttons = new QDialogButtonBox(&dialog);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(TrCore(QStringLiteral("キャンセル")), QDialogButtonBox::RejectRole);
    auto* column = new QVBoxLayout(&dialog);
    column->addLayout(grid);
    column->addWidget(buttons);

    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        CPreferencesDlg confirmed = dlg;
        const auto& fields = CPreferencesDlg::Fields();
        std::string error;
        for (size_t i = 0; i < fields.size(); ++i)
            if (edits[i])
                confirmed.SetField(fields[i].name, edits[i]->text().toStdString(), error);
        CDrawingAids chosen;
        onion->Store(chosen);
        confirmed.SetField("m_crOnionPrev", std::to_string(chosen.crOnionPrev), error);
        confirmed.SetField("m_crOnionNext", std::to_string(chosen.crOnionNext), error);
        confirmed.SetField("m_nOnionOpacity", std::to_string(chosen.nOnionOpacity), error);
        confirmed.SetField("m_nOnionFrames", std::to_string(chosen.nOnionFrames), error);
        confirmed.SetField("m_strLanguage", language->currentData().toString().toStdString(), error);
        std::string message;
        if (!confirmed.Validate(message)) {
            UiPort().MessageBox(message);
            return;
        }
        dlg = confirmed;
        dialog.accept();
    });
    return dialog.exec() == QDialog::Accepted;
}
