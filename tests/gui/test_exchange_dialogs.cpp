// The Qt presenters of the size and import dialogs: controls built from the
// model, the chip edit following the radio group, refusals keeping the
// dialog open, and the model changed only on OK.
#include "GuiTestSupport.h"
#include "exchange/ImageImport.h"
#include "exchange/SheetSize.h"
#include "views/DialogPresenters.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

QDialog* ActiveDialog()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<QDialog*>(w); d && d->isVisible() && !qobject_cast<QMessageBox*>(w))
            return d;
    return nullptr;
}

QMessageBox* ActiveBox()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* b = qobject_cast<QMessageBox*>(w); b && b->isVisible())
            return b;
    return nullptr;
}

void Click(QDialog* d, const QString& text)
{
    for (QPushButton* b : d->findChildren<QPushButton*>())
        if (b->text() == text) {
            b->click();
            return;
        }
    ADD_FAILURE() << "no button " << text.toStdString();
}

// Runs the presenter; `work` is called once the dialog is up.
bool Present(CDialogModel& model, std::function<void(QDialog*)> work)
{
    EnsureApp();
    RegisterDialogPresenters();
    const DialogPresenter* presenter = FindDialogPresenter(model.ClassName());
    EXPECT_NE(presenter, nullptr);
    if (!presenter)
        return false;
    QTimer::singleShot(0, [work] {
        QDialog* d = ActiveDialog();
        ASSERT_NE(d, nullptr);
        work(d);
    });
    return (*presenter)(model, nullptr);
}

} // namespace

TEST(ExchangeDialogs, ImgFitChipEditFollowsTheModeAndRefusesText)
{
    CImgFitDlg dlg;
    dlg.m_nChipColumns = 3;
    std::string seen;
    const bool ok = Present(dlg, [&seen](QDialog* d) {
        EXPECT_EQ(d->windowTitle(), QStringLiteral("イメージ読込設定"));
        auto* edit = d->findChild<QLineEdit*>(QStringLiteral("1053"));
        ASSERT_NE(edit, nullptr);
        EXPECT_FALSE(edit->isEnabled());
        d->findChild<QRadioButton*>(QStringLiteral("1050"))->click();
        EXPECT_TRUE(edit->isEnabled());
        d->findChild<QRadioButton*>(QStringLiteral("1049"))->click();
        EXPECT_FALSE(edit->isEnabled());
        d->findChild<QRadioButton*>(QStringLiteral("1052"))->click();
        EXPECT_TRUE(edit->isEnabled());
        EXPECT_EQ(edit->text(), QStringLiteral("3"));
        edit->setText(QStringLiteral("x"));
        QTimer::singleShot(0, [&seen, d, edit] {
            QMessageBox* box = ActiveBox();
            ASSERT_NE(box, nullptr);
            seen = box->text().toStdString();
            box->accept();
            EXPECT_TRUE(d->isVisible());
            edit->setText(QStringLiteral("6"));
            Click(d, QStringLiteral("OK"));
        });
        Click(d, QStringLiteral("OK"));
    });
    EXPECT_TRUE(ok);
    EXPECT_EQ(seen, "整数を入力してください。");
    EXPECT_EQ(dlg.m_nFitMode, 4);
    EXPECT_EQ(dlg.m_nChipColumns, 6);
    EXPECT_EQ(dlg.m_nBlur, 3);
}

TEST(ExchangeDialogs, SetSizeListsPresetsAndCancelLeavesTheModel)
{
    CSetSizeDlg dlg;
    dlg.m_nCellWidth = 48;
    dlg.m_strBits = "8bit";
    const bool ok = Present(dlg, [](QDialog* d) {
        EXPECT_EQ(d->windowTitle(), QStringLiteral("サイズ設定"));
        auto* width = d->findChild<QComboBox*>(QStringLiteral("1002"));
        ASSERT_NE(width, nullptr);
        EXPECT_EQ(width->count(), 10);
        EXPECT_EQ(width->currentText(), QStringLiteral("48"));
        width->setEditText(QStringLiteral("16"));
        Click(d, QStringLiteral("キャンセル"));
    });
    EXPECT_FALSE(ok);
    EXPECT_EQ(dlg.m_nCellWidth, 48);
    EXPECT_EQ(dlg.m_strBits, "8bit");

    const bool ok2 = Present(dlg, [](QDialog* d) {
        d->findChild<QComboBox*>(QStringLiteral("1002"))->setEditText(QStringLiteral("16"));
        Click(d, QStringLiteral("OK"));
    });
    EXPECT_TRUE(ok2);
    EXPECT_EQ(dlg.m_nCellWidth, 16);
    EXPECT_EQ(dlg.m_strBits, "8bit");
}
