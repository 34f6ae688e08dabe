// The run-time table of every command of the command list, with the handler
// and enable/tick rule installed by the object that owns the command. Menus,
// toolbar, accelerators and the script runner all read it; a command without
// a handler is shown disabled.
#pragma once

#include "doc/CommandList.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <string>
#include <vector>

// The state an enable/tick rule fills in; starts enabled, unticked, with the
// table's menu text.
struct CommandUi {
    bool enabled = true;
    bool checked = false;
    QString text;
};

struct CommandInfo {
    int id = 0;
    const char* name = "";
    QString menuText;        // "\t" before the shortcut text
    QStringList keys;        // QKeySequence portable texts, first one shown
    QString prompt;          // status-bar prompt, "\n", tooltip
    CommandMenu menu = CommandMenu::None;
    bool toolbar = false;
    std::function<void()> handler;               // empty: not built yet, disabled
    std::function<void(CommandUi&)> update;      // empty: "always"
};

class CCommandTable {
public:
    // Every command of the list, without handlers.
    CCommandTable();

    static const QString& MenuTitle(CommandMenu menu);
    // Item order of a menu; 0 marks a separator.
    static const std::vector<int>& MenuOrder(CommandMenu menu);
    // Toolbar buttons left to right; 0 marks a separator.
    static const std::vector<int>& ToolbarOrder();

    CommandInfo* Find(int id);
    const CommandInfo* Find(int id) const;
    // A script's word for a command: a number (decimal or 0x...) as it
    // stands, or a name of the list; false for anything else.
    static bool Resolve(const std::string& word, int& id);
    const std::vector<CommandInfo>& Commands() const { return m_Commands; }

    // Installs the work and the rule of a command (replacing earlier ones).
    void SetHandler(int id, std::function<void()> handler,
                    std::function<void(CommandUi&)> update = {});

    // Runs the rule: a command without a handler is disabled.
    CommandUi QueryState(int id) const;
    // Runs the command when known, built and enabled; false otherwise.
    bool Execute(int id) const;

    // Status-bar part of a prompt (before "\n") and tooltip part (after it;
    // the whole prompt when there is no "\n").
    static QString StatusPrompt(const QString& prompt);
    static QString ToolTip(const QString& prompt);

private:
    std::vector<CommandInfo> m_Commands;
};
