// The one table of every command: id, menu text, keys, toolbar place,
// prompt and tooltip, and the handler and enable/tick rule installed by the
// object that owns the command. Menus, toolbar, accelerators and the script
// runner all read it; a command without a handler is shown disabled.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

// Command identifiers of the command map.
enum : int {
    ID_FILE_NEW = 57600,
    ID_FILE_OPEN = 57601,
    ID_FILE_SAVE = 57603,
    ID_FILE_SAVE_AS = 57604,
    ID_FILE_PRINT = 57607,
    ID_FILE_MRU_FILE1 = 57616,
    ID_FILE_MRU_FILE4 = 57619,
    ID_APP_ABOUT = 57664,
    ID_APP_EXIT = 57665,
    ID_HELP_FINDER = 57667,
    ID_NEXT_PANE = 57680,
    ID_PREV_PANE = 57681,
    ID_EDIT_COPY = 57634,
    ID_EDIT_CUT = 57635,
    ID_EDIT_PASTE = 57637,
    ID_EDIT_UNDO = 57643,
    ID_VIEW_TOOLBAR = 59392,
    ID_VIEW_STATUS_BAR = 59393,
    ID_VIEW_CUSTOMIZE = 126,
    ID_EXPORT_IMAGE = 32857,
    ID_FILE_EXPORT_ANIME = 33020,     // FileExportAnime
    ID_RESIZE_IMAGE = 32780,
    ID_SAVE_PALETTE = 32858,
    ID_LOAD_PALETTE = 32860,
    ID_SELECT = 32796,
    ID_SELECT_ALL_LAYERS = 32820,
    ID_PASTE_TRANSPARENT = 32883,
    ID_DROPPER = 32889,
    ID_PASTE_ROTATE = 32844,
    ID_PASTE_MIRROR_LR = 32845,
    ID_PASTE_MIRROR_UD = 32853,
    ID_ANIMATION = 32869,
    ID_ZOOM = 32865,
    ID_CURRENT_LAYER_ONLY = 32879,
    ID_BACK_COLOR = 32893,
    ID_GRID = 32895,
    ID_CHAR_LINES = 32896,
    ID_PEN_1 = 32791,
    ID_PEN_2 = 32792,
    ID_PEN_3 = 32793,
    ID_PENCIL = 32798,
    ID_LINE = 32797,
    ID_RECT_FRAME = 32799,
    ID_RECT_FILL = 32805,
    ID_ELLIPSE_FRAME = 32806,
    ID_ELLIPSE_FILL = 32802,
    ID_CURVE = 32832,
    ID_FILL = 32804,
    ID_TEXT = 32872,
    ID_FONT = 32874,
    ID_THICK_BRUSH = 32795,
    ID_THIN_BRUSH = 32830,
    ID_LAYER_SHOW = 32773,
    ID_LAYER_PROPERTIES = 32774,
    ID_LAYER_LEFT = 32777,
    ID_LAYER_RIGHT = 32778,
    ID_LAYER_SAVE = 32863,
    ID_LAYER_LOAD = 32864,
    ID_LAYER_IMPORT = 32887,
    ID_PALETTE_CHANGE = 32785,
    ID_PALETTE_GRAD8 = 32789,
    ID_PALETTE_GRAD16 = 32788,
};

// Which menu a command's item lives in.
enum class CommandMenu { None, File, Edit, View, Tools, Help, Layer, Palette };

// The state an enable/tick rule fills in; starts enabled, unticked, with the
// table's menu text.
struct CommandUi {
    bool enabled = true;
    bool checked = false;
    QString text;
};

struct CommandInfo {
    int id = 0;
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
    // The table of the command map, without handlers.
    CCommandTable();

    static const QString& MenuTitle(CommandMenu menu);
    // Item order of a menu; 0 marks a separator.
    static const std::vector<int>& MenuOrder(CommandMenu menu);
    // Toolbar buttons left to right; 0 marks a separator.
    static const std::vector<int>& ToolbarOrder();

    CommandInfo* Find(int id);
    const CommandInfo* Find(int id) const;
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
