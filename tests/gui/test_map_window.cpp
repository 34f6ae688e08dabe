// The map window as a widget: shown by its command, and a chip that starts
// an animation slot playing in the map while the preview runs.
#include "GuiTestSupport.h"

#include "../support/FakeUiPort.h"
#include "app/MainFrame.h"
#include "app/MapCommands.h"
#include "app/TesvanApp.h"
#include "doc/TesvanDoc.h"
#include "views/AnimationDlg.h"
#include "views/MapWindow.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(MapWindow, ShownByItsCommandAndPlaysAnimatedChips)
{
    EnsureApp();
    CFakeUiPort port;
    CTesvanApp app;
    ASSERT_TRUE(app.InitForScript());
    CMainFrame* frame = app.GetMainFrame();
    CTesvanDoc* doc = app.GetDocument();
    CLayer& layer = doc->m_Layers[0];
    if (!layer.m_pImage || layer.m_pImage->IsNull())
        layer.CreateImage(doc->SheetWidth(), doc->SheetHeight(), doc->m_Palette, false, 32);
    // Cell 1 red, cell 0 left clear.
    const uint32_t red = 0xFFFF0000u;
    for (int y = 0; y < doc->m_nCellHeight; ++y)
        for (int x = 0; x < doc->m_nCellWidth; ++x)
            std::memcpy(layer.m_pImage->GetRow(y) + 4 * (doc->m_nCellWidth + x), &red, 4);
    doc->ComposeAll(true);
    doc->m_Maps.maps.push_back(CChipMap::Make("m", 2, 1));
    doc->m_Maps.maps[0].At(0, 0, 0) = chip::Make(0, 0);

    CMapWindow* window = MapWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(frame->QueryCommand(Cmd::ViewMap).checked);
    ASSERT_TRUE(frame->ExecuteCommand(Cmd::ViewMap));
    EXPECT_TRUE(frame->QueryCommand(Cmd::ViewMap).checked);
    window->View()->Refresh();
    EXPECT_EQ(window->View()->RenderVisible().pixel(1, 1), 0u);

    CAnimaitionDlg::SetManualTicks(true);
    doc->m_Anime[0] = {"0,1", 1};
    ASSERT_TRUE(frame->ExecuteCommand(Cmd::ViewAnimation));
    auto* anime = dynamic_cast<CAnimaitionDlg*>(doc->m_pAnimeDlg);
    ASSERT_NE(anime, nullptr);
    for (int i = 0; i < 8 && anime->ShownCell(0) != 1; ++i)
        anime->OnTimer();
    ASSERT_EQ(anime->ShownCell(0), 1);
    EXPECT_EQ(window->View()->RenderVisible().pixel(1, 1), red);
    // The preview closed, the map shows the cell itself again.
    ASSERT_TRUE(frame->ExecuteCommand(Cmd::ViewAnimation));
    EXPECT_EQ(window->View()->RenderVisible().pixel(1, 1), 0u);
    CAnimaitionDlg::SetManualTicks(false);
    ASSERT_TRUE(frame->ExecuteCommand(Cmd::ViewMap));
    EXPECT_FALSE(frame->QueryCommand(Cmd::ViewMap).checked);
}
