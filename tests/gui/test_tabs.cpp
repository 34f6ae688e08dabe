// The palette pane and the layer tabs as widgets: real events, drawing,
// the gradation dialog's controls.
#include "GuiTestSupport.h"

#include "../support/FakeUiPort.h"
#include "app/MainFrame.h"
#include "app/TesvanApp.h"
#include "doc/TesvanDoc.h"
#include "edit/Tools.h"
#include "palette/Gradation.h"
#include "views/DialogPresenters.h"
#include "views/LeftView.h"
#include "views/TesvanView.h"

#include <QCheckBox>
#include <QDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QTabBar>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class PaneWidgetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureApp();
        ASSERT_TRUE(app.InitForScript());
        frame = app.GetMainFrame();
        doc = app.GetDocument();
        pane = frame->LeftView();
        QApplication::processEvents();
    }
    QImage Draw()
    {
        const QSize size = pane->ScrollSize();
        QImage image(size, QImage::Format_RGB32);
        QPainter p(&image);
        pane->Render(p, QRect(QPoint(0, 0), size));
        return image;
    }
    void Release(QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers mods)
    {
        QWidget* vp = pane->viewport();
        QMouseEvent event(QEvent::MouseButtonRelease, at, vp->mapToGlobal(at), button, Qt::NoButton,
                          mods);
        QApplication::sendEvent(vp, &event);
    }
    CFakeUiPort port;
    CTesvanApp app;
    CMainFrame* frame = nullptr;
    CTesvanDoc* doc = nullptr;
    CLeftView* pane = nullptr;
};

} // namespace

TEST_F(PaneWidgetTest, SameEntryShowsOnlyTheBlueMarker)
{
    CLayer& layer = doc->CurrentLayer();
    layer.m_nColor[0] = layer.m_nColor[1] = 20;
    layer.m_nAlpha[0] = 0xFF000000;
    layer.m_nAlpha[1] = 0;
    const QImage image = Draw();
    EXPECT_EQ(image.pixel(15 + 16 * 4, 63 + 16), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(15 + 16 * 4 + 15, 63 + 31), qRgb(0, 0, 255));
    // Swatch frames and the alpha halves (opaque black, transparent white).
    EXPECT_EQ(image.pixel(15, 15), qRgb(0, 255, 0));
    EXPECT_EQ(image.pixel(63, 15), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(40, 30), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(88, 30), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(5, 5), qRgb(200, 200, 200));
    // Character lines follow the switch.
    const QRgb grid = qRgb(0, 255, 255);
    EXPECT_EQ(image.pixel(15 + 64, 300), grid);
    doc->m_bShowCharLines = 0;
    EXPECT_NE(Draw().pixel(15 + 64, 300), grid);
}

TEST_F(PaneWidgetTest, ControlReleaseOpensThePaletteMenu)
{
    Release(QPoint(96, 70), Qt::LeftButton, Qt::ControlModifier);   // shared entry 5
    ASSERT_TRUE(frame->PaletteMenu()->isVisible());
    EXPECT_FALSE(frame->QueryCommand(32785).enabled);
    EXPECT_FALSE(frame->QueryCommand(32788).enabled);
    frame->PaletteMenu()->hide();
    EXPECT_EQ(doc->CurrentLayer().m_nAlpha[0], 0xFF000000u);    // nothing else happened

    Release(QPoint(40, 150), Qt::LeftButton, Qt::ControlModifier);  // layer colour
    EXPECT_TRUE(frame->QueryCommand(32785).enabled);
    EXPECT_TRUE(frame->QueryCommand(32789).enabled);
    frame->PaletteMenu()->hide();

    // Over the sheet the menu does not open.
    Release(QPoint(100, 200), Qt::LeftButton, Qt::ControlModifier);
    EXPECT_FALSE(frame->PaletteMenu()->isVisible());
    EXPECT_EQ(doc->m_nEditColumn, 0);
    Release(QPoint(100, 200), Qt::LeftButton, Qt::NoModifier);
    EXPECT_EQ(doc->m_nEditColumn, 1);
}

TEST_F(PaneWidgetTest, TabMarksFollowTheSelectionAndNewDocuments)
{
    CTesvanView* view = frame->TabView();
    view->SelectTab(5);
    EXPECT_EQ(doc->m_nCurrentLayer, 5);
    EXPECT_EQ(view->TabIconIndex(0), 0);
    EXPECT_EQ(view->TabIconIndex(5), 2);
    EXPECT_FALSE(view->TabBar()->tabIcon(5).isNull());

    doc->m_Layers[2].m_bVisible = 0;
    doc->m_Layers[2].m_strName = "隠し";
    doc->m_nCurrentLayer = 2;
    doc->UpdateAllViews(0);
    EXPECT_EQ(view->TabBar()->currentIndex(), 2);
    EXPECT_EQ(view->TabIconIndex(2), 3);
    EXPECT_EQ(view->TabIconIndex(5), 0);
    EXPECT_EQ(view->TabText(2), QStringLiteral("隠し"));
}

TEST(GradationPresenter, ControlsAndCancel)
{
    EnsureApp();
    RegisterDialogPresenters();
    const DialogPresenter* present = FindDialogPresenter("CMakeGradationDlg");
    ASSERT_NE(present, nullptr);
    CFakeUiPort port;
    CMakeGradationDlg model(8);
    model.m_bBriMake = model.m_bLSMake = 0;
    bool checked = false;
    QTimer::singleShot(0, [&] {
        auto* dlg = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dlg, nullptr);
        EXPECT_EQ(dlg->windowTitle(), QStringLiteral("グラデーションパレット作成"));
        QSlider* slider = dlg->findChild<QSlider*>();
        ASSERT_NE(slider, nullptr);
        EXPECT_EQ(slider->minimum(), 30);
        EXPECT_EQ(slider->maximum(), 70);
        for (QPushButton* b : dlg->findChildren<QPushButton*>())
            if (b->text() == QStringLiteral("自動作成"))
                EXPECT_FALSE(b->isEnabled());
        for (QCheckBox* c : dlg->findChildren<QCheckBox*>())
            if (c->text() == QStringLiteral("ハイライト・シャドウを使用"))
                c->setChecked(true);
        for (QPushButton* b : dlg->findChildren<QPushButton*>())
            if (b->text() == QStringLiteral("自動作成"))
                EXPECT_TRUE(b->isEnabled());
        checked = true;
        if (qEnvironmentVariableIsSet("TESVAN_SHOT"))
            dlg->grab().save(qEnvironmentVariable("TESVAN_SHOT"));
        dlg->reject();
    });
    EXPECT_FALSE((*present)(model, nullptr));
    EXPECT_TRUE(checked);
    EXPECT_EQ(model.m_bLSMake, 0);     // nothing copied back on cancel
}

TEST_F(PaneWidgetTest, PaneAndTabsPassShiftAndEscapeAsTheCanvasDoes)
{
    auto key = [](QWidget* to, QEvent::Type type, int k) {
        QKeyEvent event(type, k, type == QEvent::KeyPress && k == Qt::Key_Shift ? Qt::ShiftModifier
                                                                                : Qt::NoModifier);
        QApplication::sendEvent(to, &event);
    };
    QWidget* tabs = frame->TabView();
    doc->m_nTool = Cmd::ToolCurve;
    doc->m_Points = {CPoint{1, 1}, CPoint{2, 2}, CPoint{3, 3}};
    doc->m_strText = "ab";

    // Escape in the pane drops one curve point; typed text is not touched.
    key(pane, QEvent::KeyPress, Qt::Key_Escape);
    key(pane, QEvent::KeyRelease, Qt::Key_Escape);
    EXPECT_EQ(doc->m_Points.size(), 2u);
    EXPECT_EQ(doc->m_strText, "ab");
    key(tabs, QEvent::KeyPress, Qt::Key_Escape);
    key(tabs, QEvent::KeyRelease, Qt::Key_Escape);
    EXPECT_EQ(doc->m_Points.size(), 1u);

    key(tabs, QEvent::KeyPress, Qt::Key_Shift);
    EXPECT_EQ(doc->m_bShift, 1);
    key(pane, QEvent::KeyRelease, Qt::Key_Shift);
    EXPECT_EQ(doc->m_bShift, 0);
    key(pane, QEvent::KeyPress, Qt::Key_Shift);
    EXPECT_EQ(doc->m_bShift, 1);
    key(tabs, QEvent::KeyRelease, Qt::Key_Shift);
    EXPECT_EQ(doc->m_bShift, 0);
}
