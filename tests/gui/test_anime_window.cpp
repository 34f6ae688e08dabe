// The animation window as a widget, and the Qt presenters of the animation
// and print scale dialogs.
#include "GuiTestSupport.h"

#include "../support/FakeUiPort.h"
#include "app/HelpWindow.h"
#include "app/MainFrame.h"
#include "app/TesvanApp.h"
#include "doc/Anime.h"
#include "doc/PrintLayout.h"
#include "doc/TesvanDoc.h"
#include "views/AnimationDlg.h"
#include "views/Print.h"
#include "views/RightView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QSpinBox>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

namespace {

class AnimeWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureApp();
        ASSERT_TRUE(app.InitForScript());
        frame = app.GetMainFrame();
        doc = app.GetDocument();
        window = dynamic_cast<CAnimaitionDlg*>(doc->m_pAnimeDlg);
        ASSERT_NE(window, nullptr);
    }
    CFakeUiPort port;
    CTesvanApp app;
    CMainFrame* frame = nullptr;
    CTesvanDoc* doc = nullptr;
    CAnimaitionDlg* window = nullptr;
};

// Works the next modal dialog once it is up.
void WhenModal(std::function<void(QWidget*)> work)
{
    QTimer::singleShot(0, [work] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        work(modal);
    });
}

QPushButton* Button(QWidget* dialog, const QString& text)
{
    for (QPushButton* b : dialog->findChildren<QPushButton*>())
        if (b->text() == text)
            return b;
    return nullptr;
}

} // namespace

// The toolkit's own way into its shortcut map (what its test library calls):
// true when a shortcut took the key.
bool qt_sendShortcutOverrideEvent(QObject* o, ulong timestamp, int k, Qt::KeyboardModifiers mods,
                                  const QString& text, bool autorep, ushort count);

TEST_F(AnimeWindowTest, MainWindowKeysActThereAndTheSettingsGiveTheFocusBack)
{
    // Shown as on a screen, so that the window system can activate it.
    frame->hide();
    frame->setAttribute(Qt::WA_DontShowOnScreen, false);
    frame->show();
    QApplication::processEvents();
    ASSERT_TRUE(frame->ExecuteCommand(32869));
    CRightView* canvas = frame->RightView();
    canvas->setFocus();
    window->activateWindow();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::activeWindow(), window);

    doc->OnToolCommand(Cmd::ToolLine);
    EXPECT_TRUE(qt_sendShortcutOverrideEvent(window, 0, Qt::Key_B, Qt::NoModifier, QStringLiteral("b"), false, 1));
    EXPECT_EQ(doc->m_nTool, Cmd::ToolPencil);

    // The settings closed (cancelled here), the canvas has the focus again.
    Button(window, QStringLiteral("設定"))->setFocus();
    window->OnSetting(0);
    QApplication::processEvents();
    EXPECT_EQ(QApplication::activeWindow(), frame);
    EXPECT_EQ(QApplication::focusWidget(), canvas);

    // The help window: its search field types the letter, its page does not.
    doc->OnToolCommand(Cmd::ToolText);
    ASSERT_TRUE(frame->ExecuteCommand(57667));
    auto* help = frame->findChild<CHelpWindow*>();
    ASSERT_NE(help, nullptr);
    help->activateWindow();
    QApplication::processEvents();
    auto* search = help->findChild<QLineEdit*>();
    ASSERT_NE(search, nullptr);
    EXPECT_FALSE(qt_sendShortcutOverrideEvent(search, 0, Qt::Key_L, Qt::NoModifier, QStringLiteral("l"), false, 1));
    EXPECT_EQ(doc->m_nTool, Cmd::ToolText);
    EXPECT_TRUE(qt_sendShortcutOverrideEvent(help, 0, Qt::Key_L, Qt::NoModifier, QStringLiteral("l"), false, 1));
    EXPECT_EQ(doc->m_nTool, Cmd::ToolLine);
    help->hide();
    window->hide();
    frame->hide();
}

TEST_F(AnimeWindowTest, CreatedHiddenShownByTheCommandAndUntickedByTheCloseBox)
{
    EXPECT_EQ(window->windowTitle(), QStringLiteral("アニメーション表示"));
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->IsTimerRunning());
    EXPECT_FALSE(frame->QueryCommand(32869).checked);

    ASSERT_TRUE(frame->ExecuteCommand(32869));
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->IsTimerRunning());
    EXPECT_EQ(doc->m_bAnimeShown, 1);
    EXPECT_TRUE(frame->QueryCommand(32869).checked);

    window->close();
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->IsTimerRunning());
    EXPECT_EQ(doc->m_bAnimeShown, 0);
    EXPECT_FALSE(frame->QueryCommand(32869).checked);

    ASSERT_TRUE(frame->ExecuteCommand(32869));
    ASSERT_TRUE(frame->ExecuteCommand(32869));
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->IsTimerRunning());
}

TEST_F(AnimeWindowTest, PanesHoldOneCellAndColumnsAtLeast64Pixels)
{
    doc->m_nCellWidth = doc->m_nCellHeight = 32;
    window->RefreshLayout();
    const QList<QPushButton*> buttons = window->findChildren<QPushButton*>();
    ASSERT_EQ(buttons.size(), 4);
    const int bh = buttons[0]->height();
    for (QPushButton* b : buttons) {
        EXPECT_EQ(b->text(), QStringLiteral("設定"));
        EXPECT_EQ(b->width(), 64);
    }
    EXPECT_EQ(window->width(), 2 * 64 + 48);
    EXPECT_EQ(window->height(), 2 * (32 + bh + 8) + 48);
    int panes = 0;
    for (QWidget* child : window->findChildren<QWidget*>()) {
        if (qobject_cast<QPushButton*>(child))
            continue;
        EXPECT_EQ(child->size(), QSize(34, 34));
        ++panes;
    }
    EXPECT_EQ(panes, 4);
}

// Ctrl+wheel enlarges the panes 1 to 8 times, pixel for pixel.
TEST_F(AnimeWindowTest, CtrlWheelZoomsThePanesByWholePixels)
{
    doc->m_nCellWidth = doc->m_nCellHeight = 32;
    doc->m_nColumns = doc->m_nRows = 1;
    doc->OnNewDocument();
    doc->m_Layers[0].CreateImage(32, 32, doc->m_Palette, false, 32);
    const uint32_t red = 0xFFFF0000u;
    std::memcpy(doc->m_Layers[0].m_pImage->GetRow(0), &red, 4);
    doc->ComposeAll(true);
    doc->m_Anime[0] = {"0", 1};
    ASSERT_TRUE(frame->ExecuteCommand(32869));
    auto wheel = [this](int notches, Qt::KeyboardModifiers mods) {
        QWheelEvent e(QPointF(5, 5), window->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, 120 * notches),
                      Qt::NoButton, mods, Qt::NoScrollPhase, false);
        QApplication::sendEvent(window, &e);
    };
    const int zoom = window->Zoom();
    wheel(1, Qt::NoModifier);
    EXPECT_EQ(window->Zoom(), zoom);
    window->SetZoom(1);
    wheel(2, Qt::ControlModifier);
    EXPECT_EQ(window->Zoom(), 3);
    wheel(20, Qt::ControlModifier);
    EXPECT_EQ(window->Zoom(), 8);
    wheel(-5, Qt::ControlModifier);
    EXPECT_EQ(window->Zoom(), 3);
    QWidget* pane = nullptr;
    for (QWidget* child : window->findChildren<QWidget*>())
        if (!qobject_cast<QPushButton*>(child) && child->pos() == QPoint(15, 15))
            pane = child;
    ASSERT_NE(pane, nullptr);
    EXPECT_EQ(pane->size(), QSize(98, 98));
    const QImage shot = pane->grab().toImage();
    EXPECT_EQ(shot.pixel(3, 3), 0xFFFF0000u);
    EXPECT_NE(shot.pixel(4, 1), 0xFFFF0000u);
    EXPECT_NE(shot.pixel(1, 4), 0xFFFF0000u);
    window->SetZoom(1);  // the remembered zoom is the process's, for the tests after
}

TEST_F(AnimeWindowTest, TheTimerStepsThePanesWhileShown)
{
    doc->m_Anime[0] = {"0,1", 1};
    ASSERT_TRUE(frame->ExecuteCommand(32869));
    EXPECT_EQ(window->ShownCell(0), 0);
    // Whatever the machine's load, a few 150 ms ticks come within seconds.
    QElapsedTimer clock;
    clock.start();
    while (window->ShownCell(0) == 0 && clock.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_EQ(window->ShownCell(0), 1);
}

TEST_F(AnimeWindowTest, SettingsDialogShowsTheSlotAndReturnsWhatWasTyped)
{
    CSetAnimeDlg dlg;
    dlg.m_strName = "anime1";    // a slot always has a name; an empty one is refused
    dlg.m_strFrames = "0,1";
    dlg.m_strSpeed = "遅い";
    dlg.m_strOldFrames = "0,1";
    dlg.m_nCells = 12;
    WhenModal([](QWidget* modal) {
        EXPECT_EQ(modal->windowTitle(), QStringLiteral("アニメーション設定"));
        auto* edit = modal->findChild<QLineEdit*>();
        auto* combo = modal->findChild<QComboBox*>();
        ASSERT_TRUE(edit && combo);
        EXPECT_EQ(edit->text(), QStringLiteral("0,1"));
        EXPECT_EQ(combo->currentText(), QStringLiteral("遅い"));
        ASSERT_EQ(combo->count(), 3);
        EXPECT_EQ(combo->itemText(0), QStringLiteral("早い"));
        edit->setText(QStringLiteral("2,3"));
        combo->setCurrentIndex(0);
        // A step time of its own leaves the speed idle.
        auto* step = modal->findChild<QSpinBox*>();
        ASSERT_TRUE(step);
        step->setValue(120);
        EXPECT_FALSE(combo->isEnabled());
        Button(modal, QStringLiteral("OK"))->click();
    });
    ASSERT_TRUE(PresentSetAnimeDlg(dlg, frame));
    EXPECT_EQ(dlg.m_strFrames, "2,3");
    EXPECT_EQ(dlg.m_strSpeed, "早い");
    EXPECT_EQ(dlg.m_nStepTime, 120);
    EXPECT_EQ(dlg.m_strName, "anime1");
}

TEST_F(AnimeWindowTest, ScaleDialogRefusesOutOfRangeAndFollowsTheFitBox)
{
    CPrintScaleDlg dlg(30);
    WhenModal([this](QWidget* modal) {
        EXPECT_EQ(modal->windowTitle(), QStringLiteral("印刷拡大率設定"));
        auto* fit = modal->findChild<QCheckBox*>();
        auto* edit = modal->findChild<QLineEdit*>();
        ASSERT_TRUE(fit && edit);
        bool maxShown = false;
        for (QLabel* label : modal->findChildren<QLabel*>())
            maxShown = maxShown || label->text() == QStringLiteral("最大拡大率は30倍です。");
        EXPECT_TRUE(maxShown);
        EXPECT_TRUE(edit->isEnabled());
        fit->click();
        EXPECT_FALSE(edit->isEnabled());
        fit->click();
        EXPECT_TRUE(edit->isEnabled());
        edit->setText(QStringLiteral("0"));
        Button(modal, QStringLiteral("OK"))->click();
        // Refused: the message came up and the dialog is still open.
        EXPECT_EQ(port.messages.back(), "1 から 30 までの整数を入力してください。");
        EXPECT_TRUE(modal->isVisible());
        edit->setText(QStringLiteral("3"));
        Button(modal, QStringLiteral("OK"))->click();
    });
    ASSERT_TRUE(PresentPrintScaleDlg(dlg, frame));
    EXPECT_EQ(dlg.m_nScale, 3);
    EXPECT_EQ(dlg.m_bFit, 0);

    CPrintScaleDlg one(1);
    WhenModal([](QWidget* modal) {
        EXPECT_FALSE(modal->findChild<QLineEdit*>()->isEnabled());
        Button(modal, QStringLiteral("キャンセル"))->click();
    });
    EXPECT_FALSE(PresentPrintScaleDlg(one, frame));
}

TEST_F(AnimeWindowTest, PrintIsDisabledWithoutAnImage)
{
    EXPECT_FALSE(frame->QueryCommand(57607).enabled);
    doc->m_Layers[2].CreateImage(doc->SheetWidth(), doc->SheetHeight(), doc->m_Palette, false, 32);
    EXPECT_TRUE(frame->QueryCommand(57607).enabled);
}

TEST(PaperTest, SheetsAreRenderedOverWhitePaper)
{
    CImageEx image;
    ASSERT_TRUE(image.CreateEx(2, 1, 32, CImageEx::createAlphaChannel));
    // Pixel 0 empty, pixel 1 half-transparent black (premultiplied).
    image.GetRow(0)[7] = 0x80;
    const QImage paper = RenderOnPaper(image);
    ASSERT_EQ(paper.size(), QSize(2, 1));
    EXPECT_EQ(paper.pixel(0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(qRed(paper.pixel(1, 0)), 127);
}

TEST_F(AnimeWindowTest, ShellPrintWritesOnePageWithoutAWindow)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(doc->m_Layers[0].CreateImage(doc->SheetWidth(), doc->SheetHeight(), doc->m_Palette,
                                             false, 32));
    const QString file = dir.filePath(QStringLiteral("sheet.tvn"));
    ASSERT_TRUE(doc->OnSaveDocument(file.toStdString()));
    const QString pdf = dir.filePath(QStringLiteral("sheet.pdf"));
    EXPECT_EQ(PrintFromShell(file, pdf, true), 0);
    QFile out(pdf);
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    const QByteArray bytes = out.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    EXPECT_EQ(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r"), 1);
    EXPECT_FALSE(window->isVisible());

    EXPECT_EQ(PrintFromShell(dir.filePath(QStringLiteral("missing.tvn")), pdf, true), 1);
    EXPECT_EQ(PrintFromShell(file, QStringLiteral("no such printer"), true), 1);
}
