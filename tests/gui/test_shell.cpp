// Recent files, the pane split, the shared file dialog's extension rule.
#include "GuiTestSupport.h"

#include "../support/FakeUiPort.h"
#include "app/FileDlgEx.h"
#include "app/MainFrame.h"
#include "app/QtUiPort.h"
#include "app/TesvanApp.h"
#include "doc/TesvanDoc.h"
#include "views/LeftView.h"
#include "views/RightView.h"
#include "views/TesvanView.h"

#include <QDropEvent>
#include <QFileDialog>
#include <QMenu>
#include <QMimeData>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QMenuBar>
#include <QSplitter>
#include <QTabBar>
#include <QTemporaryDir>
#include <gtest/gtest.h>

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureApp();
        ASSERT_TRUE(app.InitForScript());
        frame = app.GetMainFrame();
        doc = app.GetDocument();
        QApplication::processEvents();
    }
    CFakeUiPort port;
    CTesvanApp app;
    CMainFrame* frame = nullptr;
    CTesvanDoc* doc = nullptr;
};

TEST_F(ShellTest, RecentListKeepsFourNewestFirst)
{
    for (int i = 1; i <= 6; ++i)
        app.AddToRecentFileList(QStringLiteral("/tmp/r%1.tvn").arg(i));
    app.AddToRecentFileList(QStringLiteral("/tmp/r4.tvn"));
    EXPECT_EQ(app.RecentFiles(), (QStringList{"/tmp/r4.tvn", "/tmp/r6.tvn", "/tmp/r5.tvn", "/tmp/r3.tvn"}));
    EXPECT_EQ(frame->QueryCommand(57616).text, QStringLiteral("&1 /tmp/r4.tvn"));
    EXPECT_EQ(frame->QueryCommand(57619).text, QStringLiteral("&4 /tmp/r3.tvn"));
    EXPECT_TRUE(frame->QueryCommand(57619).enabled);

    // A recent file that no longer opens leaves the list.
    EXPECT_TRUE(frame->ExecuteCommand(57617));
    EXPECT_EQ(app.RecentFiles().size(), 3);
    EXPECT_FALSE(app.RecentFiles().contains("/tmp/r6.tvn"));
    EXPECT_FALSE(frame->QueryCommand(57619).enabled);
}

TEST_F(ShellTest, OpenSaveTitleAndRecent)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("hero.tvn"));
    ASSERT_TRUE(doc->OnSaveDocument(path.toStdString()));
    EXPECT_TRUE(frame->ExecuteCommand(57600));
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("無題 - Tesvan"));

    port.files.push_back(path.toStdString());
    EXPECT_TRUE(frame->ExecuteCommand(57601));
    ASSERT_EQ(port.fileRequests.size(), 1u);
    EXPECT_EQ(port.fileRequests[0].filters[0].first, "Tesvan Files (*.tvn)");
    EXPECT_EQ(port.fileRequests[0].filters[0].second, "*.tvn");
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("hero.tvn - Tesvan"));
    EXPECT_EQ(app.RecentFiles().value(0), path);

    // A modified document asks first; Cancel keeps it.
    doc->SetModifiedFlag(true);
    port.answers.push_back(UiAnswer::Cancel);
    EXPECT_TRUE(frame->ExecuteCommand(57600));
    ASSERT_EQ(port.questions.size(), 1u);
    EXPECT_EQ(port.questions[0], "hero.tvn への変更を保存しますか?");
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("hero.tvn - Tesvan"));
    EXPECT_FALSE(frame->close());
    EXPECT_EQ(port.questions.size(), 2u);

    // A dropped file opens after the save question; only the first of several.
    port.answers.push_back(UiAnswer::No);
    EXPECT_TRUE(frame->ExecuteCommand(57600));
    const QString other = dir.filePath(QStringLiteral("other.tvn"));
    ASSERT_TRUE(doc->OnSaveDocument(other.toStdString()));
    doc->SetModifiedFlag(true);
    port.answers.push_back(UiAnswer::No);
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(other), QUrl::fromLocalFile(path)});
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(frame, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(frame, &drop);
    QApplication::processEvents();
    EXPECT_EQ(port.questions.size(), 4u);
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("other.tvn - Tesvan"));
    EXPECT_FALSE(doc->IsModified());
}

TEST_F(ShellTest, TabsAndOneThirdSplit)
{
    CTesvanView* view = frame->TabView();
    ASSERT_EQ(view->TabBar()->count(), 12);
    EXPECT_EQ(view->TabBar()->tabText(0), QStringLiteral("LY00"));
    EXPECT_EQ(view->TabBar()->tabText(11), QStringLiteral("LY11"));
    EXPECT_EQ(view->TabBar()->currentIndex(), 0);

    QSplitter* splitter = view->Splitter();
    ASSERT_TRUE(view->ColumnsSet());
    const int w = splitter->width();
    EXPECT_EQ(view->LeftView()->width(), w / 3);
    EXPECT_EQ(view->RightView()->width(), w - w / 3 - splitter->handleWidth());
    EXPECT_GE(view->LeftView()->minimumWidth(), 74);

    // A later resize keeps the left pane's width.
    frame->resize(1100, 700);
    QApplication::processEvents();
    EXPECT_EQ(view->LeftView()->width(), w / 3);

    // Hint 0 re-reads the captions and selects the current layer.
    doc->m_Layers[3].m_strName = "背景";
    doc->m_nCurrentLayer = 3;
    doc->UpdateAllViews(0);
    EXPECT_EQ(view->TabBar()->tabText(3), QStringLiteral("背景"));
    EXPECT_EQ(view->TabBar()->currentIndex(), 3);

    EXPECT_EQ(frame->RightView()->ScrollSize(), QSize(8 * 64 + 33, 8 * 64 + 33));

    // A right click on a tab names the layer of the layer menu.
    EXPECT_FALSE(view->OnTabRightRelease(QPoint(-5, -5)));
    EXPECT_EQ(view->MenuLayer(), -1);
    ASSERT_TRUE(view->OnTabRightRelease(view->TabBar()->tabRect(11).center()));
    EXPECT_EQ(view->MenuLayer(), 11);
    EXPECT_TRUE(frame->QueryCommand(32773).checked);
    EXPECT_FALSE(frame->QueryCommand(32778).enabled);
    frame->LayerMenu()->hide();
}

TEST(FileDlgEx, ExtensionFollowsTheFilter)
{
    EXPECT_EQ(DefaultExtensionForPattern(QStringLiteral("*.bmp")), QStringLiteral("bmp"));
    EXPECT_EQ(DefaultExtensionForPattern(QStringLiteral("**..png")), QStringLiteral("png"));
    EXPECT_EQ(DefaultExtensionForPattern(QStringLiteral(".gif")), QStringLiteral("gif"));
    EXPECT_EQ(DefaultExtensionForPattern(QStringLiteral("*.jpg;*.jpeg")), QStringLiteral("jpg"));
    EXPECT_EQ(DefaultExtensionForPattern(QStringLiteral("*.*")), QStringLiteral("*"));
    EXPECT_EQ(ApplyDefaultExtension(QStringLiteral("/d/name"), QStringLiteral("bmp")), QStringLiteral("/d/name.bmp"));
    EXPECT_EQ(ApplyDefaultExtension(QStringLiteral("/d/name.png"), QStringLiteral("bmp")), QStringLiteral("/d/name.png"));
    EXPECT_EQ(ApplyDefaultExtension(QStringLiteral("/d.x/name"), QStringLiteral("bmp")), QStringLiteral("/d.x/name.bmp"));
    EXPECT_EQ(ApplyDefaultExtension(QStringLiteral("/d/name"), QStringLiteral("*")), QStringLiteral("/d/name"));

    EnsureApp();
    FileDialogRequest request;
    request.open = false;
    request.filters = {{"PNG", "*.png"}, {"BMP", "*.bmp"}, {"All (*.*)", "*.*"}};
    request.extFollowsFilter = true;
    QFileDialog dialog;
    CQtUiPort::PrepareFileDialog(dialog, request);
    EXPECT_EQ(dialog.defaultSuffix(), QStringLiteral("png"));
    emit dialog.filterSelected(QStringLiteral("BMP (*.bmp)"));
    EXPECT_EQ(dialog.defaultSuffix(), QStringLiteral("bmp"));
    emit dialog.filterSelected(QStringLiteral("All (*.*)"));
    EXPECT_EQ(dialog.defaultSuffix(), QString());
}

TEST_F(ShellTest, PlacementIsStoredInTheNormalState)
{
    QTemporaryDir dir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    QCoreApplication::setOrganizationName(QStringLiteral("Lumo"));
    QCoreApplication::setApplicationName(QStringLiteral("Tesvan"));

    frame->setGeometry(120, 80, 700, 500);
    QApplication::processEvents();
    const QRect normal = frame->normalGeometry();
    frame->SavePlacement();
    {
        QSettings settings;
        EXPECT_EQ(settings.value("Workspace/ShowCmd").toInt(), 1);
        EXPECT_EQ(settings.value("Workspace/MainWindowRect").toRect(), normal);
    }
    CMainFrame other(doc);
    other.LoadPlacement();
    // Restored as stored where the screen holds it, else moved inside it.
    const QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
    if (avail.contains(normal))
        EXPECT_EQ(other.geometry(), normal);
    else
        EXPECT_TRUE(avail.contains(other.geometry().topLeft()));
    EXPECT_EQ(other.geometry().top(), normal.top());
    EXPECT_FALSE(other.isMaximized() || other.isMinimized());

    // A rectangle stored mostly beyond the screen's right edge comes back in.
    {
        QSettings settings;
        settings.setValue("Workspace/MainWindowRect", QRect(avail.right() - 50, 40, 300, 200));
    }
    CMainFrame third(doc);
    third.LoadPlacement();
    EXPECT_LE(third.geometry().left(), avail.right() - third.geometry().width() + 1);
}

TEST_F(ShellTest, CanvasFollowsZoomHint)
{
    doc->m_nZoom = 4;
    doc->UpdateAllViews(0x13);
    EXPECT_EQ(frame->RightView()->ScrollSize(), QSize(4 * 64 + 33, 4 * 64 + 33));
    doc->m_nZoom = 8;
    doc->UpdateAllViews(1);     // the left pane only
    EXPECT_EQ(frame->RightView()->ScrollSize(), QSize(4 * 64 + 33, 4 * 64 + 33));
}
