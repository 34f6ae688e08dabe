// The command table against the command map, and the enable rules.
#include "GuiTestSupport.h"

#include "app/CommandTable.h"
#include "app/MainFrame.h"
#include "app/TesvanApp.h"
#include "doc/TesvanDoc.h"

#include <QKeySequence>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

// 0 for a separator, else the command of the action; a submenu's items in
// its place.
std::vector<int> Ids(const QList<QAction*>& actions)
{
    std::vector<int> ids;
    for (QAction* action : actions) {
        if (action->menu()) {
            const std::vector<int> inner = Ids(action->menu()->actions());
            ids.insert(ids.end(), inner.begin(), inner.end());
        } else {
            ids.push_back(action->isSeparator() ? 0 : action->data().toInt());
        }
    }
    return ids;
}

} // namespace

TEST(CommandTable, HoldsEveryCommandOfTheMap)
{
    CCommandTable table;
    const int all[] = {57600, 57601, 57602, 57603, 57604, 32857, 32780, 32858, 32860, 57607, 57616, 57617,
                       57618, 57619, 57665, 57643, 32796, 32820, 57635, 57634, 57637, 32883, 32889,
                       32844, 32845, 32853, 32869, 59392, 59393, 32865, 32879, 32893, 32895, 32896,
                       32791, 32792, 32793, 32798, 32797, 32799, 32805, 32806, 32802, 32832, 32804,
                       32872, 32874, 57667, 57664, 32773, 32774, 32777, 32778, 32863, 32864, 32887,
                       32785, 32789, 32788, 57680, 57681, 32795, 32830, 126,
                       33000, 33001, 33002, 33003, 33004, 33020, 33060, 33061, 33062,
                       33040, 33041, 33042, 33043, 33044, 33045, 33046, 33047, 33048, 33049, 33050,
                       33010, 33011, 33012, 33013, 33014, 33015, 33016};
    for (int id : all)
        EXPECT_NE(table.Find(id), nullptr) << id;
    EXPECT_EQ(table.Commands().size(), std::size(all));
}

TEST(CommandTable, MenuOrderSeparatorsAndTexts)
{
    using V = std::vector<int>;
    EXPECT_EQ(CCommandTable::MenuOrder(CommandMenu::File),
              (V{57600, 57601, 57602, 57603, 57604, 32857, 33020, 33041, 33060, 0, 32780, 0, 32858, 32860, 0, 57607, 0, 57616, 0, 57665}));
    EXPECT_EQ(CCommandTable::MenuOrder(CommandMenu::Edit),
              (V{57643, 33000, 0, 32796, 32820, 0, 57635, 57634, 57637, 32883, 32889, 0, 32844, 32845,
                 32853, 0, 33001}));
    EXPECT_EQ(CCommandTable::MenuOrder(CommandMenu::View),
               (V{32869, 33040, 59392, 59393, 32865, 33002, 33003, 32879, 32893, 32895, 32896, 33004, 0, 33010, 33015,
                  33011, 33012, 33013, 33014, 0, 33061, 33062}));
    EXPECT_EQ(CCommandTable::MenuOrder(CommandMenu::Tools),
              (V{32791, 32792, 32793, 0, 32798, 32797, 32799, 32805, 32806, 32802, 32832, 32804, 32872, 0, 32874, 33016}));
    EXPECT_EQ(CCommandTable::MenuOrder(CommandMenu::Help), (V{57667, 57664}));
    EXPECT_EQ(CCommandTable::MenuOrder(CommandMenu::Layer),
              (V{32773, 32774, 32777, 32778, 0, 32863, 32864, 32887}));

    CCommandTable table;
    EXPECT_EQ(table.Find(57600)->menuText, QStringLiteral("新規作成(&N)\tCtrl+N"));
    EXPECT_EQ(table.Find(57604)->menuText, QStringLiteral("名前を付けて保存(&A)..."));
    EXPECT_EQ(table.Find(32883)->menuText, QStringLiteral("透過貼り付け(V)\tCtrl+Shift+V"));
    EXPECT_EQ(table.Find(57664)->menuText, QStringLiteral("バージョン情報 Tesvan(&A)..."));
    EXPECT_EQ(CCommandTable::MenuTitle(CommandMenu::Tools), QStringLiteral("描画ツール(&T)"));
    const CommandInfo* curve = table.Find(32832);
    EXPECT_EQ(CCommandTable::StatusPrompt(curve->prompt), QStringLiteral("曲線"));
    EXPECT_EQ(CCommandTable::ToolTip(curve->prompt), QStringLiteral("CtrlまたはShiftキー押し下げで連続"));
    EXPECT_EQ(CCommandTable::ToolTip(table.Find(57600)->prompt), QStringLiteral("新規ファイル"));
}

TEST(CommandTable, AcceleratorTableIsComplete)
{
    CCommandTable table;
    std::map<QKeySequence, int> keys;
    for (const CommandInfo& info : table.Commands())
        for (const QString& key : info.keys) {
            QKeySequence seq(key, QKeySequence::PortableText);
            ASSERT_FALSE(seq.isEmpty()) << key.toStdString();
            EXPECT_TRUE(keys.emplace(seq, info.id).second) << "duplicate " << key.toStdString();
        }
    const std::map<QKeySequence, int> expected = {
        {QKeySequence(Qt::CTRL | Qt::Key_C), 57634}, {QKeySequence(Qt::CTRL | Qt::Key_Insert), 57634},
        {QKeySequence(Qt::SHIFT | Qt::Key_Delete), 57635}, {QKeySequence(Qt::CTRL | Qt::Key_X), 57635},
        {QKeySequence(Qt::CTRL | Qt::Key_V), 57637}, {QKeySequence(Qt::SHIFT | Qt::Key_Insert), 57637},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V), 32883},
        {QKeySequence(Qt::ALT | Qt::Key_Backspace), 57643}, {QKeySequence(Qt::CTRL | Qt::Key_Z), 57643},
        {QKeySequence(Qt::CTRL | Qt::Key_N), 57600}, {QKeySequence(Qt::CTRL | Qt::Key_O), 57601},
        {QKeySequence(Qt::CTRL | Qt::Key_W), 57602},
        {QKeySequence(Qt::CTRL | Qt::Key_P), 57607}, {QKeySequence(Qt::CTRL | Qt::Key_S), 57603},
        {QKeySequence(Qt::Key_F6), 57680}, {QKeySequence(Qt::SHIFT | Qt::Key_F6), 57681},
        // F1 opens the manual, as on every desktop.
        {QKeySequence(Qt::Key_F1), 57667},
        {QKeySequence(Qt::CTRL | Qt::Key_Y), 33000}, {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), 33000},
        {QKeySequence(QStringLiteral("Ctrl++")), 33002}, {QKeySequence(Qt::CTRL | Qt::Key_Equal), 33002},
        {QKeySequence(Qt::CTRL | Qt::Key_Minus), 33003},
        {QKeySequence(Qt::Key_F7), 33010},
        // One key for each tool, as the popular editors have them.
        {QKeySequence(Qt::Key_B), 32798}, {QKeySequence(Qt::Key_L), 32797},
        {QKeySequence(Qt::Key_U), 32799}, {QKeySequence(Qt::SHIFT | Qt::Key_U), 32805},
        {QKeySequence(Qt::Key_O), 32806}, {QKeySequence(Qt::SHIFT | Qt::Key_O), 32802},
        {QKeySequence(Qt::Key_C), 32832}, {QKeySequence(Qt::Key_G), 32804},
        {QKeySequence(Qt::Key_T), 32872}, {QKeySequence(Qt::Key_I), 32889},
        {QKeySequence(Qt::Key_M), 32796}, {QKeySequence(Qt::SHIFT | Qt::Key_M), 32820},
    };
    EXPECT_EQ(keys, expected);
}

TEST(CommandTable, CommandWithoutWorkIsDisabled)
{
    CCommandTable table;
    bool ran = false;
    EXPECT_FALSE(table.QueryState(32857).enabled);
    EXPECT_FALSE(table.Execute(32857));
    EXPECT_FALSE(table.Execute(12345));
    table.SetHandler(32857, [&] { ran = true; }, [](CommandUi& ui) { ui.enabled = false; });
    EXPECT_FALSE(table.Execute(32857));
    table.SetHandler(32857, [&] { ran = true; });   // keeps the rule
    EXPECT_FALSE(table.Execute(32857));
    EXPECT_FALSE(ran);
}

class FrameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureApp();
        ASSERT_TRUE(app.InitForScript());
        frame = app.GetMainFrame();
        doc = app.GetDocument();
    }
    CTesvanApp app;
    CMainFrame* frame = nullptr;
    CTesvanDoc* doc = nullptr;
};

TEST_F(FrameTest, MenusAndToolbarFollowTheTable)
{
    QList<QAction*> menus = frame->menuBar()->actions();
    ASSERT_EQ(menus.size(), 5);
    const CommandMenu order[] = {CommandMenu::File, CommandMenu::Edit, CommandMenu::View,
                                 CommandMenu::Tools, CommandMenu::Help};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(menus[i]->text(), CCommandTable::MenuTitle(order[i]));
        EXPECT_EQ(Ids(menus[i]->menu()->actions()), CCommandTable::MenuOrder(order[i]));
    }
    int buttons = 0;
    for (QAction* action : frame->ToolBar()->actions())
        if (!action->isSeparator()) {
            ++buttons;
            EXPECT_FALSE(action->icon().isNull());
            EXPECT_FALSE(action->toolTip().isEmpty());
        }
    EXPECT_EQ(buttons, 30);
    EXPECT_EQ(Ids(frame->ToolBar()->actions()), CCommandTable::ToolbarOrder());
    EXPECT_EQ(frame->ToolBar()->windowTitle(), QStringLiteral("標準"));

    // Highlighting an item shows its prompt; the tooltip is the part after
    // "\n" with the key that chooses it.
    QAction* open = frame->ToolBar()->actions().value(1);
    EXPECT_EQ(open->toolTip(), QStringLiteral("開く (Ctrl+O)"));
    open->showStatusText(frame);
    EXPECT_EQ(frame->statusBar()->currentMessage(), QStringLiteral("既存のファイルを開く"));
}

TEST_F(FrameTest, EnableAndTickRules)
{
    EXPECT_FALSE(frame->QueryCommand(57607).enabled);     // no layer holds an image
    EXPECT_TRUE(frame->QueryCommand(57600).enabled);
    EXPECT_FALSE(frame->QueryCommand(1).known);
    EXPECT_FALSE(frame->ExecuteCommand(32857));

    EXPECT_EQ(doc->m_nZoom, 8);
    EXPECT_EQ(frame->QueryCommand(32865).text, QStringLiteral("縮小"));
    doc->m_nZoom = 4;
    EXPECT_EQ(frame->QueryCommand(32865).text, QStringLiteral("拡大"));
    doc->m_nZoom = 8;

    EXPECT_TRUE(frame->QueryCommand(32798).checked);     // pencil
    EXPECT_TRUE(frame->QueryCommand(32791).checked);     // pen width 1
    EXPECT_FALSE(frame->QueryCommand(32797).checked);
    EXPECT_TRUE(frame->QueryCommand(59392).checked);
    EXPECT_TRUE(frame->ExecuteCommand(59392));
    EXPECT_FALSE(frame->QueryCommand(59392).checked);
    EXPECT_TRUE(frame->ExecuteCommand(59393));
    EXPECT_FALSE(frame->QueryCommand(59393).checked);

    EXPECT_FALSE(frame->QueryCommand(57616).enabled);     // empty recent list
    EXPECT_EQ(frame->QueryCommand(57616).text, QStringLiteral("最近使ったファイル"));
}

TEST_F(FrameTest, TitleAndNewDocument)
{
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("無題 - Tesvan"));
    doc->SetPathName("/tmp/some/sheet.tvn");
    frame->UpdateTitle();
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("sheet.tvn - Tesvan"));
    EXPECT_TRUE(frame->ExecuteCommand(57600));
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("無題 - Tesvan"));
    EXPECT_FALSE(doc->IsModified());
}
