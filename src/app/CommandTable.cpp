#include "app/CommandTable.h"

#include "platform/ScriptParser.h"

#include <QHash>

#include <algorithm>
#include <cstdint>
#include <map>

CCommandTable::CCommandTable()
{
    for (const CommandDef& row : kCommandList) {
        CommandInfo info;
        info.id = row.id;
        info.name = row.name;
        info.menuText = QString::fromUtf8(row.text);
        info.keys = QString::fromLatin1(row.keys).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        info.prompt = QString::fromUtf8(row.prompt);
        info.menu = row.menu;
        info.toolbar = row.toolbarSlot != 0;
        m_Commands.push_back(std::move(info));
    }
}

const QString& CCommandTable::MenuTitle(CommandMenu menu)
{
    static const QHash<int, QString> titles = {
        {int(CommandMenu::File), QStringLiteral("ファイル(&F)")},
        {int(CommandMenu::Edit), QStringLiteral("編集(&E)")},
        {int(CommandMenu::View), QStringLiteral("表示(&V)")},
        {int(CommandMenu::Tools), QStringLiteral("描画ツール(&T)")},
        {int(CommandMenu::Help), QStringLiteral("ヘルプ(&H)")},
        {int(CommandMenu::Layer), QStringLiteral("LAYER")},
        {int(CommandMenu::Palette), QStringLiteral("Palette")},
    };
    static const QString none;
    auto it = titles.find(int(menu));
    return it == titles.end() ? none : *it;
}

const std::vector<int>& CCommandTable::MenuOrder(CommandMenu menu)
{
    static const std::map<CommandMenu, std::vector<int>> orders = [] {
        std::map<CommandMenu, std::vector<int>> out;
        std::map<CommandMenu, int> lastGroup;
        for (const CommandDef& row : kCommandList) {
            if (row.menu == CommandMenu::None)
                continue;
            std::vector<int>& items = out[row.menu];
            if (!items.empty() && lastGroup[row.menu] != row.group)
                items.push_back(0);
            lastGroup[row.menu] = row.group;
            items.push_back(row.id);
        }
        return out;
    }();
    static const std::vector<int> none;
    auto it = orders.find(menu);
    return it == orders.end() ? none : it->second;
}

const std::vector<int>& CCommandTable::ToolbarOrder()
{
    static const std::vector<int> order = [] {
        std::vector<const CommandDef*> buttons;
        for (const CommandDef& row : kCommandList)
            if (row.toolbarSlot != 0)
                buttons.push_back(&row);
        std::sort(buttons.begin(), buttons.end(),
                  [](const CommandDef* a, const CommandDef* b) { return a->toolbarSlot < b->toolbarSlot; });
        std::vector<int> out;
        for (const CommandDef* row : buttons) {
            if (!out.empty() && FindCommand(out.back())->toolbarSlot / 100 != row->toolbarSlot / 100)
                out.push_back(0);
            out.push_back(row->id);
        }
        return out;
    }();
    return order;
}

CommandInfo* CCommandTable::Find(int id)
{
    for (CommandInfo& info : m_Commands)
        if (info.id == id)
            return &info;
    return nullptr;
}

const CommandInfo* CCommandTable::Find(int id) const
{
    return const_cast<CCommandTable*>(this)->Find(id);
}

bool CCommandTable::Resolve(const std::string& word, int& id)
{
    int64_t number = 0;
    if (ParseScriptNumber(word, number)) {
        if (number < INT32_MIN || number > INT32_MAX)
            return false;
        id = int(number);
        return true;
    }
    if (const CommandDef* row = FindCommand(std::string_view(word))) {
        id = row->id;
        return true;
    }
    return false;
}

void CCommandTable::SetHandler(int id, std::function<void()> handler,
                               std::function<void(CommandUi&)> update)
{
    CommandInfo* info = Find(id);
    if (!info)
        return;
    info->handler = std::move(handler);
    if (update)
        info->update = std::move(update);
}

CommandUi CCommandTable::QueryState(int id) const
{
    CommandUi ui;
    const CommandInfo* info = Find(id);
    if (!info) {
        ui.enabled = false;
        return ui;
    }
    ui.text = info->menuText;
    if (info->update)
        info->update(ui);
    if (!info->handler)
        ui.enabled = false;
    return ui;
}

bool CCommandTable::Execute(int id) const
{
    const CommandInfo* info = Find(id);
    if (!info || !info->handler || !QueryState(id).enabled)
        return false;
    // The handler may replace the table's entry; run a copy.
    std::function<void()> handler = info->handler;
    handler();
    return true;
}

QString CCommandTable::StatusPrompt(const QString& prompt)
{
    int nl = prompt.indexOf(QLatin1Char('\n'));
    return nl < 0 ? prompt : prompt.left(nl);
}

QString CCommandTable::ToolTip(const QString& prompt)
{
    int nl = prompt.indexOf(QLatin1Char('\n'));
    return nl < 0 ? prompt : prompt.mid(nl + 1);
}
