// Qt presenters of "グラデーションパレット作成" and "レイヤープロパティー".
#include "views/PalettePresenters.h"

#include "palette/Gradation.h"
#include "views/plain/LayerTabs.h"
#include "platform/UiPort.h"
#include "views/DialogPresenters.h"

#include "views/Language.h"

#include <QCoreApplication>
#include <QCheckBox>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

namespace {

QColor ValueColor(uint32_t c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }

// Enter moves on to the next control unless the OK button has the focus.
class CEnterMovesDialog : public QDialog {
public:
    using QDialog::QDialog;
    QPushButton* m_pOk = nullptr;

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            if (focusWidget() == m_pOk)
                m_pOk->click();
            else
                focusNextChild();
            return;
        }
        QDialog::keyPressEvent(event);
    }
};

// A swatch of one colour.
class CSwatch : public QWidget {
public:
    explicit CSwatch(QWidget* parent) : QWidget(parent) { setFixedSize(40, 24); }
    void SetColor(const QColor& c)
    {
        m_Color = c;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), m_Color);
        p.setPen(Qt::black);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }

private:
    QColor m_Color;
};

// The preview strip: N cells, cell k from (w / N * k)' to (w / N * (k + 1))'.
class CPreviewStrip : public QWidget {
public:
    CPreviewStrip(const CMakeGradationDlg& model, QWidget* parent) : QWidget(parent), m_Model(model)
    {
        setMinimumSize(256, 24);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        const int n = m_Model.m_nCount;
        const double w = width();
        for (int k = 0; k < n; ++k) {
            const int x0 = int(w / n * k + 0.5);
            const int x1 = int(w / n * (k + 1) + 0.5);
            p.fillRect(x0, 0, x1 - x0, height(), ValueColor(m_Model.m_crGrad[k]));
        }
    }

private:
    const CMakeGradationDlg& m_Model;
};

bool PresentGradation(CDialogModel& base, QWidget* owner)
{
    auto& model = static_cast<CMakeGradationDlg&>(base);
    CMakeGradationDlg work = model;     // the controls' state until OK

    CEnterMovesDialog dlg(owner);
    dlg.setWindowTitle(QCoreApplication::translate("PalettePresenters", "グラデーションパレット作成"));
    auto* top = new QVBoxLayout(&dlg);

    auto* colours = new QGridLayout;
    const char* heads[3] = {QT_TRANSLATE_NOOP("PalettePresenters", "ファースト"),
                            QT_TRANSLATE_NOOP("PalettePresenters", "センター"),
                            QT_TRANSLATE_NOOP("PalettePresenters", "ラスト")};
    const char* rows[3] = {"R", "G", "B"};
    CSwatch* swatches[3];
    QPushButton* change[3];
    QLineEdit* edits[3][3];
    for (int r = 0; r < 3; ++r)
        colours->addWidget(new QLabel(QString::fromUtf8(rows[r])), r + 2, 0);
    for (int k = 0; k < 3; ++k) {
        colours->addWidget(new QLabel(QCoreApplication::translate("PalettePresenters", heads[k])), 0, k + 1, Qt::AlignHCenter);
        swatches[k] = new CSwatch(&dlg);
        colours->addWidget(swatches[k], 1, k + 1, Qt::AlignHCenter);
        for (int r = 0; r < 3; ++r) {
            edits[k][r] = new QLineEdit(&dlg);
            edits[k][r]->setMaximumWidth(56);
            colours->addWidget(edits[k][r], r + 2, k + 1);
        }
        change[k] = new QPushButton(QCoreApplication::translate("PalettePresenters", "変更"), &dlg);
        change[k]->setAutoDefault(false);
        colours->addWidget(change[k], 5, k + 1);
    }
    top->addLayout(colours);

    auto* slider = new QSlider(Qt::Horizontal, &dlg);
    slider->setRange(30, 70);
    top->addWidget(slider);
    auto* strip = new CPreviewStrip(work, &dlg);
    top->addWidget(strip);

    auto* group = new QGroupBox(QCoreApplication::translate("PalettePresenters", "自動作成の処理"), &dlg);
    auto* g = new QGridLayout(group);
    g->addWidget(new QLabel(QCoreApplication::translate("PalettePresenters", "自動作成は、センター色を元に明暗グラデーションを作成します。")),
                 0, 0, 1, 3);
    g->addWidget(new QLabel(QCoreApplication::translate("PalettePresenters", "明度")), 1, 1);
    g->addWidget(new QLabel(QCoreApplication::translate("PalettePresenters", "光・影")), 1, 2);
    const char* levels[3] = {QT_TRANSLATE_NOOP("PalettePresenters", "明"),
                             QT_TRANSLATE_NOOP("PalettePresenters", "中"),
                             QT_TRANSLATE_NOOP("PalettePresenters", "暗")};
    QLineEdit* bright[3];
    QLineEdit* light[3];
    for (int k = 0; k < 3; ++k) {
        g->addWidget(new QLabel(QCoreApplication::translate("PalettePresenters", levels[k])), k + 2, 0);
        bright[k] = new QLineEdit(group);
        light[k] = new QLineEdit(group);
        g->addWidget(bright[k], k + 2, 1);
        g->addWidget(light[k], k + 2, 2);
    }
    g->addWidget(new QLabel(QCoreApplication::translate("PalettePresenters", "明度は0から100です。")), 5, 0, 1, 3);
    auto* bri = new QCheckBox(QCoreApplication::translate("PalettePresenters", "HSB(V)カラーの明度を使用"), group);
    auto* ls = new QCheckBox(QCoreApplication::translate("PalettePresenters", "ハイライト・シャドウを使用"), group);
    auto* select = new QCheckBox(QCoreApplication::translate("PalettePresenters", "センターのカラーが選ばれた時自動作成する"), group);
    auto* save = new QCheckBox(QCoreApplication::translate("PalettePresenters", "自動作成設定を保存する"), group);
    auto* autoButton = new QPushButton(QCoreApplication::translate("PalettePresenters", "自動作成"), group);
    autoButton->setAutoDefault(false);
    g->addWidget(bri, 6, 0, 1, 3);
    g->addWidget(ls, 7, 0, 1, 3);
    g->addWidget(select, 8, 0, 1, 3);
    g->addWidget(save, 9, 0, 1, 2);
    g->addWidget(autoButton, 9, 2);
    top->addWidget(group);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* ok = new QPushButton(QStringLiteral("OK"), &dlg);
    auto* cancel = new QPushButton(QCoreApplication::translate("PalettePresenters", "キャンセル"), &dlg);
    ok->setAutoDefault(false);
    cancel->setAutoDefault(false);
    dlg.m_pOk = ok;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    top->addLayout(buttons);

    bool filling = false;
    auto fill = [&] {
        filling = true;
        for (int k = 0; k < 3; ++k) {
            const int v[3] = {work.m_nRed[k], work.m_nGreen[k], work.m_nBlue[k]};
            for (int r = 0; r < 3; ++r)
                edits[k][r]->setText(QString::number(v[r]));
            swatches[k]->SetColor(ValueColor(work.Color(k)));
            bright[k]->setText(QString::number(work.m_nBright[k]));
            light[k]->setText(QString::number(work.m_nLight[k]));
        }
        slider->setValue(std::clamp(work.m_nCenterPos, 30, 70));
        bri->setChecked(work.m_bBriMake);
        ls->setChecked(work.m_bLSMake);
        select->setChecked(work.m_bSelectMake);
        save->setChecked(work.m_bSaveSettings);
        autoButton->setEnabled(work.AutoCreateEnabled());
        strip->update();
        filling = false;
    };
    // Reads every control into `work` through the model's field rules; a
    // level the model refuses is reported and gets the focus.
    auto read = [&]() -> bool {
        for (int k = 0; k < 3; ++k)
            for (int r = 0; r < 3; ++r)
                work.SetChannelText(k, r, edits[k][r]->text().toStdString());
        for (int k = 0; k < 3; ++k) {
            for (QLineEdit* e : {bright[k], light[k]}) {
                std::string message;
                if (!work.SetLevelText(e == light[k], k, e->text().toStdString(), message)) {
                    UiPort().MessageBox(message);
                    e->setFocus();
                    return false;
                }
            }
        }
        work.m_bBriMake = bri->isChecked();
        work.m_bLSMake = ls->isChecked();
        work.m_bSelectMake = select->isChecked();
        work.m_bSaveSettings = save->isChecked();
        std::string message;
        if (!work.LevelsValid(message)) {
            UiPort().MessageBox(message);
            return false;
        }
        return true;
    };
    auto redraw = [&] {
        for (int k = 0; k < 3; ++k)
            swatches[k]->SetColor(ValueColor(work.Color(k)));
        strip->update();
    };

    for (int k = 0; k < 3; ++k) {
        for (int r = 0; r < 3; ++r) {
            QLineEdit* e = edits[k][r];
            QObject::connect(e, &QLineEdit::textEdited, &dlg, [&, e, k, r](const QString& text) {
                if (filling)
                    return;
                if (work.SetChannelText(k, r, text.toStdString()))
                    e->setText(QString::number(work.Channel(k, r)));
                work.Calculate();
                redraw();
            });
        }
        QObject::connect(change[k], &QPushButton::clicked, &dlg, [&, k] {
            if (!read())
                return;
            work.ChangeColor(k);
            fill();
        });
    }
    QObject::connect(slider, &QSlider::valueChanged, &dlg, [&](int v) {
        if (filling)
            return;
        work.m_nCenterPos = v;
        work.Calculate();
        strip->update();
    });
    QObject::connect(autoButton, &QPushButton::clicked, &dlg, [&] {
        if (!read())
            return;
        work.AutoCreate();
        work.Calculate();
        fill();
    });
    for (QCheckBox* box : {bri, ls})
        QObject::connect(box, &QCheckBox::toggled, &dlg, [&] {
            if (filling)
                return;
            work.m_bBriMake = bri->isChecked();
            work.m_bLSMake = ls->isChecked();
            autoButton->setEnabled(work.AutoCreateEnabled());
        });
    QObject::connect(ok, &QPushButton::clicked, &dlg, [&] {
        if (!read())
            return;
        // The slider's position is what OK takes for the centre.
        work.m_nCenterPos = slider->value();
        std::string message;
        if (!work.Validate(message)) {
            UiPort().MessageBox(message);
            return;
        }
        dlg.accept();
    });
    QObject::connect(cancel, &QPushButton::clicked, &dlg, &QDialog::reject);

    fill();
    if (dlg.exec() != QDialog::Accepted)
        return false;
    model = work;
    return true;
}

bool PresentLayerOption(CDialogModel& base, QWidget* owner)
{
    auto& model = static_cast<CLayerOptionDlg&>(base);
    QDialog dlg(owner);
    dlg.setWindowTitle(QCoreApplication::translate("PalettePresenters", "レイヤープロパティー"));
    auto* grid = new QGridLayout(&dlg);
    grid->addWidget(new QLabel(QCoreApplication::translate("PalettePresenters", "レイヤー名")), 0, 0);
    auto* name = new QLineEdit(QString::fromStdString(model.m_strName), &dlg);
    grid->addWidget(name, 0, 1, 1, 2);
    grid->addWidget(new QLabel(QCoreApplication::translate("PalettePresenters", "既定のフォルダー")), 1, 0, 1, 3);
    auto* folder = new QLineEdit(QString::fromStdString(model.m_strFolder), &dlg);
    folder->setMinimumWidth(420);
    grid->addWidget(folder, 2, 0, 1, 2);
    auto* change = new QPushButton(QCoreApplication::translate("PalettePresenters", "変更"), &dlg);
    change->setAutoDefault(false);
    grid->addWidget(change, 2, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* ok = new QPushButton(QStringLiteral("OK"), &dlg);
    auto* cancel = new QPushButton(QCoreApplication::translate("PalettePresenters", "キャンセル"), &dlg);
    ok->setDefault(true);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    grid->addLayout(buttons, 3, 0, 1, 3);

    QObject::connect(change, &QPushButton::clicked, &dlg, [&] {
        // The chooser starts from the folder the dialog was opened with.
        CLayerOptionDlg probe;
        probe.m_strInitialFolder = model.m_strInitialFolder;
        probe.m_strFolder = folder->text().toStdString();
        probe.OnChangeFolder();
        folder->setText(QString::fromStdString(probe.m_strFolder));
    });
    QObject::connect(ok, &QPushButton::clicked, &dlg, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, &dlg, &QDialog::reject);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    model.m_strName = name->text().toStdString();
    model.m_strFolder = folder->text().toStdString();
    return true;
}

} // namespace

void RegisterPalettePresenters()
{
    RegisterDialogPresenter("CMakeGradationDlg", PresentGradation);
    RegisterDialogPresenter("CLayerOptionDlg", PresentLayerOption);
}
