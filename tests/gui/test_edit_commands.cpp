// The Edit menu's document commands through the frame's command table.
#include "GuiTestSupport.h"

#include "app/MainFrame.h"
#include "app/QtUiPort.h"
#include "app/TesvanApp.h"
#include "doc/TesvanDoc.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <gtest/gtest.h>

namespace {

class EditCommandsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureApp();
        ASSERT_TRUE(app.InitForScript());
        frame = app.GetMainFrame();
        doc = app.GetDocument();
    }
    QAction* EditItem(int id)
    {
        for (QAction* menu : frame->menuBar()->actions())
            if (menu->menu())
                for (QAction* item : menu->menu()->actions())
                    if (!item->isSeparator() && item->data().toInt() == id)
                        return item;
        return nullptr;
    }
    CTesvanApp app;
    CMainFrame* frame = nullptr;
    CTesvanDoc* doc = nullptr;
};

TEST_F(EditCommandsTest, UndoItemNamesTheStepInTheMenu)
{
    EXPECT_FALSE(frame->QueryCommand(57643).enabled);
    EXPECT_EQ(frame->QueryCommand(57643).text, QStringLiteral("元に戻す(&U)\tCtrl+Z"));

    CLayer& layer = doc->CurrentLayer();
    layer.CreateImage(doc->SheetWidth(), doc->SheetHeight(), doc->m_Palette, false, 32);
    ASSERT_TRUE(doc->PushUndo(layer, 32798, 32, CRect{0, 0, 63, 63}));
    ASSERT_TRUE(doc->PushUndo(layer, 32832, 32, CRect{0, 0, 63, 63}));
    EXPECT_TRUE(frame->QueryCommand(57643).enabled);
    EXPECT_EQ(frame->QueryCommand(57643).text, QStringLiteral("元に戻す(曲線)(&U)\tCtrl+Z"));

    EXPECT_TRUE(frame->ExecuteCommand(57643));
    EXPECT_EQ(doc->m_nUndoCount, 1);
    QAction* item = EditItem(57643);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text(), QStringLiteral("元に戻す(鉛筆)(&U)\tCtrl+Z"));
    EXPECT_TRUE(item->isEnabled());
    EXPECT_TRUE(frame->ExecuteCommand(57643));
    EXPECT_EQ(item->text(), QStringLiteral("元に戻す(&U)\tCtrl+Z"));
    EXPECT_FALSE(item->isEnabled());
    EXPECT_FALSE(frame->ExecuteCommand(57643));
}

TEST_F(EditCommandsTest, SelectionCommandsFollowTheState)
{
    CLayer& layer = doc->CurrentLayer();
    layer.CreateImage(doc->SheetWidth(), doc->SheetHeight(), doc->m_Palette, false, 32);
    for (int id : {57635, 57634, 57637, 32883, 32844, 32845, 32853})
        EXPECT_FALSE(frame->QueryCommand(id).enabled) << id;

    doc->m_nTool = 32796;
    doc->m_Points = {CPoint{1, 1}, CPoint{4, 2}};
    doc->FinishSelection();
    EXPECT_TRUE(frame->QueryCommand(57635).enabled);
    EXPECT_TRUE(frame->QueryCommand(57634).enabled);
    EXPECT_FALSE(frame->QueryCommand(57637).enabled);

    EXPECT_TRUE(frame->ExecuteCommand(57635));
    EXPECT_EQ(doc->m_nSelState, SelState::Floating);
    EXPECT_EQ(frame->QueryCommand(57643).text, QStringLiteral("元に戻す(切取)(&U)\tCtrl+Z"));
    for (int id : {57637, 32883, 32844, 32845, 32853})
        EXPECT_TRUE(frame->QueryCommand(id).enabled) << id;
    EXPECT_FALSE(frame->QueryCommand(57635).enabled);

    EXPECT_TRUE(frame->ExecuteCommand(32844));
    EXPECT_EQ(doc->m_bPasteRotated, 1);
    EXPECT_TRUE(frame->ExecuteCommand(32845));
    EXPECT_EQ(doc->m_nPasteFlip, 2);
    EXPECT_TRUE(frame->ExecuteCommand(32853));
    EXPECT_EQ(doc->m_nPasteFlip, 3);
    EXPECT_TRUE(frame->ExecuteCommand(32883));
    EXPECT_EQ(frame->QueryCommand(57643).text, QStringLiteral("元に戻す(貼付)(&U)\tCtrl+Z"));
    EXPECT_TRUE(frame->ExecuteCommand(57637));
    EXPECT_EQ(doc->m_nUndoCount, 3);
}

}  // namespace

// The desktop clipboard through the toolkit: our own pictures are known as
// ours, a picture another program puts there is foreign.
TEST(QtClipboard, OwnPicturesAreKnownOthersAreForeign)
{
    EnsureApp();
    CQtUiPort port;
    ClipboardPicture out;
    out.width = 2;
    out.height = 1;
    out.bgra = {0x10, 0x20, 0x30, 0xFF, 0x00, 0x00, 0xFF, 0x80};
    port.SetClipboardPicture(out);
    EXPECT_TRUE(port.HasClipboardPicture());
    ClipboardPicture in;
    bool foreign = true;
    ASSERT_TRUE(port.GetClipboardPicture(in, foreign));
    EXPECT_FALSE(foreign);
    EXPECT_EQ(in.width, 2);
    EXPECT_EQ(in.bgra, out.bgra);

    QImage other(3, 3, QImage::Format_ARGB32);
    other.fill(QColor(1, 2, 3));
    QGuiApplication::clipboard()->setImage(other);
    ASSERT_TRUE(port.GetClipboardPicture(in, foreign));
    EXPECT_TRUE(foreign);
    EXPECT_EQ(in.width, 3);
    EXPECT_EQ(in.bgra[0], 3);

    QGuiApplication::clipboard()->setText(QStringLiteral("text"));
    QCoreApplication::processEvents();
    EXPECT_FALSE(port.HasClipboardPicture());
    EXPECT_FALSE(port.GetClipboardPicture(in, foreign));
}
