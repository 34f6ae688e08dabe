// Windows that open inside the screen: the help window, larger than the
// offscreen platform's screen, comes up whole on it.
#include "GuiTestSupport.h"

#include "app/HelpWindow.h"
#include "views/WindowFit.h"

#include <QScreen>
#include <gtest/gtest.h>

TEST(WindowFit, WindowsLargerThanTheScreenOpenInsideIt)
{
    EnsureApp();
    FitWindowsAsTheyShow();
    CHelpWindow help;
    const QRect avail = help.screen()->availableGeometry();
    help.resize(avail.width() + 300, avail.height() + 200);
    help.move(avail.right() - 50, avail.top() - 40);
    help.ShowContents();
    EXPECT_TRUE(avail.contains(help.frameGeometry())) << help.frameGeometry().x() << ","
                                                      << help.frameGeometry().y() << " "
                                                      << help.frameGeometry().width() << "x"
                                                      << help.frameGeometry().height();
    help.hide();
    FitWindowsAsTheyShow(false);
}
