// Every command of the editor, once, by name. The number is the command's
// lasting id (files, settings and scripts use it); everything else in the
// program refers to a command by its name (`Cmd::ToolPencil`), and the
// command table, menus, toolbar, shortcuts, icons, undo names and tool kinds
// are all read from the rows below.
//
// Adding a command:
//  1. Add one row where its menu item belongs: rows of one menu appear in
//     the menu in list order, and a separator goes between rows of the same
//     menu whose group numbers differ (menu None: no menu item).
//  2. Give it a toolbar slot (hundreds pick the button group, separated on
//     the toolbar; 0: no button) and an icon key drawn in app/Icons.cpp, a
//     tool kind if it makes a tool current, an undo name if its undo entries
//     carry its id, keys as QKeySequence portable texts separated by blanks.
//  3. Register its handler (and enable/tick rule) with the command table,
//     next to the others of its kind in app/*Commands.cpp.
//  4. Add its line to tests/scripts/list_commands.out (`--list-commands`).
// Ids and names are checked for uniqueness when this header compiles.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

// Which menu a command's item lives in.
enum class CommandMenu { None, File, Edit, View, Tools, Help, Layer, Palette };

// The pointer behaviour a tool command selects; None for other commands.
enum class ToolKind { None, Freehand, Shape, Curve, Fill, Eyedropper, Select, Text };

// X(id, name, menu, group, toolbar slot, tool kind, icon key, undo name,
//   menu text ("\t" before the shortcut text), keys, prompt ("\n" before the tooltip))
#define TESVAN_COMMAND_LIST(X) \
    X(57600, FileNew,              File,    1, 101, None,       "new",           "",         "新規作成(&N)\tCtrl+N", "Ctrl+N", "新規にファイルを作成\n新規ファイル") \
    X(57601, FileOpen,             File,    1, 102, None,       "open",          "",         "開く(&O)...\tCtrl+O", "Ctrl+O", "既存のファイルを開く\n開く") \
    X(57602, FileClose,            File,    1,   0, None,       "",              "",         "閉じる(&C)\tCtrl+W", "Ctrl+W", "作業中のファイルを閉じて新規ファイルにする\n閉じる") \
    X(57603, FileSave,             File,    1, 103, None,       "save",          "",         "上書き保存(&S)\tCtrl+S", "Ctrl+S", "作業中のファイルを上書きして保存\n保存") \
    X(57604, FileSaveAs,           File,    1,   0, None,       "",              "",         "名前を付けて保存(&A)...", "", "作業中のファイルを新しい名前で保存\n名前をつけて保存") \
    X(32857, FileExportImage,      File,    1,   0, None,       "",              "",         "イメージファイルへ保存", "", "データをjpg,gif,png,bmp 形式で保存") \
    X(33020, FileExportAnime,      File,    1,   0, None,       "",              "",         "アニメーション書き出し...", "", "アニメーションをGIF、WebP、シートとJSON、キャラ毎の画像で書き出し") \
    X(33041, FileExportMap,        File,    1,   0, None,       "",              "",         "マップ書き出し...", "", "マップをTiledの形式(TMX、JSON)または画像で書き出し") \
    X(33060, FileExportConsole,    File,    1,   0, None,       "",              "",         "コンソール書き出し...", "", "タイル、マップ、パレットをコンソールの形式で書き出し") \
    X(32780, FileImageSize,        File,    2,   0, None,       "",              "",         "イメージサイズ変更", "", "") \
    X(32858, FileSavePalette,      File,    3,   0, None,       "",              "",         "パレットの保存", "", "") \
    X(32860, FileLoadPalette,      File,    3,   0, None,       "",              "",         "パレット読込", "", "") \
    X(57607, FilePrint,            File,    4, 104, None,       "print",         "",         "印刷(&P)...\tCtrl+P", "Ctrl+P", "作業中のファイルを印刷\n印刷") \
    X(57616, FileMru1,             File,    5,   0, None,       "",              "",         "最近使ったファイル", "", "指定のファイルを開く") \
    X(57617, FileMru2,             None,    0,   0, None,       "",              "",         "", "", "指定のファイルを開く") \
    X(57618, FileMru3,             None,    0,   0, None,       "",              "",         "", "", "指定のファイルを開く") \
    X(57619, FileMru4,             None,    0,   0, None,       "",              "",         "", "", "指定のファイルを開く") \
    X(57665, FileExit,             File,    6,   0, None,       "",              "",         "終了(&X)", "", "Tesvanを終了し、ファイルの保存を指示\n終了") \
    X(57643, EditUndo,             Edit,    1, 200, None,       "undo",          "",         "元に戻す(&U)\tCtrl+Z", "Ctrl+Z Alt+Backspace", "直前に行った動作を元に戻す\n元に戻す") \
    X(33000, EditRedo,             Edit,    1, 201, None,       "redo",          "",         "やり直し(&R)\tCtrl+Y", "Ctrl+Y Ctrl+Shift+Z", "元に戻した動作をやり直す\nやり直し") \
    X(32796, ToolSelect,           Edit,    2, 206, Select,     "select",        "",         "範囲選択\tM", "M", "選択ツール") \
    X(32820, ToolSelectAllLayers,  Edit,    2, 207, Select,     "select-all",    "",         "全レイヤー範囲選択\tShift+M", "Shift+M", "全レイヤー選択") \
    X(57635, EditCut,              Edit,    3, 202, None,       "cut",           "切取",     "切り取り(&T)\tCtrl+X", "Ctrl+X Shift+Del", "選択範囲を切り取ってクリップボードに保存\n切り取り") \
    X(57634, EditCopy,             Edit,    3, 203, None,       "copy",          "",         "コピー(&C)\tCtrl+C", "Ctrl+C Ctrl+Ins", "選択範囲をコピーしてクリップボードに保存\nコピー") \
    X(57637, EditPaste,            Edit,    3, 204, None,       "paste",         "貼付",     "貼り付け(&P)\tCtrl+V", "Ctrl+V Shift+Ins", "クリップボードの内容を貼り付け\n貼り付け") \
    X(32883, EditPasteTransparent, Edit,    3,   0, None,       "",              "",         "透過貼り付け(V)\tCtrl+Shift+V", "Ctrl+Shift+V", "") \
    X(32889, ToolDropper,          Edit,    3, 205, Eyedropper, "dropper",       "",         "スポイト\tI", "I", "") \
    X(32844, EditPasteRotate,      Edit,    4, 208, None,       "rotate",        "",         "貼付範囲回転90°", "", "貼付範囲を90°回転") \
    X(32845, EditPasteMirrorLR,    Edit,    4, 209, None,       "mirror-lr",     "",         "貼付範囲左右反転", "", "貼付範囲を左右反転") \
    X(32853, EditPasteMirrorUD,    Edit,    4, 210, None,       "mirror-ud",     "",         "貼付範囲上下反転", "", "貼付範囲を上下反転") \
    X(33001, EditPreferences,      Edit,    5,   0, None,       "",              "",         "環境設定...", "", "履歴の段数と使うメモリを設定\n環境設定") \
    X(32869, ViewAnimation,        View,    1,   0, None,       "",              "",         "アニメーション", "", "") \
    X(33040, ViewMap,              View,    1,   0, None,       "",              "",         "マップ", "", "シートのチップで作るマップのウィンドウ\nマップ") \
    X(59392, ViewToolbar,          View,    1,   0, None,       "",              "",         "ツール バー(&T)", "", "") \
    X(59393, ViewStatusBar,        View,    1,   0, None,       "",              "",         "ステータス バー(&S)", "", "ステータス バーの表示/非表示\nステータス バーの表示切り替え") \
    X(32865, ViewZoom,             View,    1, 501, None,       "zoom",          "",         "拡大", "", "拡大・縮小") \
    X(33002, ViewZoomIn,           View,    1,   0, None,       "",              "",         "ズームイン\tCtrl++", "Ctrl++ Ctrl+=", "キャンバスの表示倍率を上げる\nズームイン") \
    X(33003, ViewZoomOut,          View,    1,   0, None,       "",              "",         "ズームアウト\tCtrl+-", "Ctrl+-", "キャンバスの表示倍率を下げる\nズームアウト") \
    X(32879, ViewCurrentLayerOnly, View,    1, 502, None,       "layer-only",    "",         "選択レイヤーのみ表示", "", "作業中のレイヤーのみ表示します") \
    X(32893, ViewBackgroundColor,  View,    1,   0, None,       "",              "",         "背景カラーの変更", "", "") \
    X(32895, ViewGrid,             View,    1,   0, None,       "",              "",         "グリッド", "", "") \
    X(32896, ViewCharLines,        View,    1,   0, None,       "",              "",         "キャラクタ分割ライン", "", "") \
    X(33004, ViewNeighbours,       View,    1,   0, None,       "",              "",         "隣のキャラを表示", "", "現在のキャラの周りに隣のキャラを薄く表示\n隣のキャラを表示") \
    X(33010, ViewOnionSkin,        View,    2, 503, None,       "onion",         "",         "オニオンスキン\tF7", "F7", "前後のフレームを透かして表示\nオニオンスキン") \
    X(33015, ViewWrap,             View,    2,   0, None,       "",              "",         "タイルモード", "", "セルの端で折り返して描画") \
    X(33011, ViewSymmetryNone,     View,    2,   0, None,       "",              "",         "なし", "", "") \
    X(33012, ViewSymmetryLR,       View,    2,   0, None,       "",              "",         "左右", "", "左右対称に描画") \
    X(33013, ViewSymmetryUD,       View,    2,   0, None,       "",              "",         "上下", "", "上下対称に描画") \
    X(33014, ViewSymmetryBoth,     View,    2,   0, None,       "",              "",         "上下左右", "", "上下左右対称に描画") \
    X(33061, ViewConsoleCheck,     View,    3,   0, None,       "",              "",         "コンソール検査", "", "コンソールの決まりに合わないタイルを囲んで表示\nコンソール検査") \
    X(33062, ViewColorPrecision,   View,    3,   0, None,       "",              "",         "色の精度...", "", "パレットの色をコンソールの色の精度に合わせる\n色の精度") \
    X(32791, ToolPenWidth1,        Tools,   1, 301, None,       "pen1",          "",         "１ピクセルの線", "", "１ピクセルの線") \
    X(32792, ToolPenWidth2,        Tools,   1, 302, None,       "pen2",          "",         "２ピクセルの線", "", "２ピクセルの線") \
    X(32793, ToolPenWidth3,        Tools,   1, 303, None,       "pen3",          "",         "３ピクセルの線", "", "３ピクセルの線") \
    X(32798, ToolPencil,           Tools,   2, 401, Freehand,   "pencil",        "鉛筆",     "鉛筆\tB", "B", "鉛筆") \
    X(32797, ToolLine,             Tools,   2, 402, Shape,      "line",          "直線",     "直線\tL", "L", "直線") \
    X(32799, ToolRectFrame,        Tools,   2, 403, Shape,      "rect-frame",    "四角形枠", "四角形枠\tU", "U", "四角形枠") \
    X(32805, ToolRectFill,         Tools,   2, 404, Shape,      "rect-fill",     "四角形",   "四角形\tShift+U", "Shift+U", "四角形") \
    X(32806, ToolEllipseFrame,     Tools,   2, 405, Shape,      "ellipse-frame", "楕円枠",   "楕円枠\tO", "O", "楕円枠") \
    X(32802, ToolEllipseFill,      Tools,   2, 406, Shape,      "ellipse-fill",  "楕円",     "楕円\tShift+O", "Shift+O", "楕円") \
    X(32832, ToolCurve,            Tools,   2, 407, Curve,      "curve",         "曲線",     "曲線\tC", "C", "曲線\nCtrlまたはShiftキー押し下げで連続") \
    X(32804, ToolFill,             Tools,   2, 408, Fill,       "fill",          "塗りつぶし", "塗りつぶし\tG", "G", "塗りつぶし") \
    X(32872, ToolText,             Tools,   2, 409, Text,       "text",          "テキスト", "テキスト\tT", "T", "テキスト") \
    X(32874, ToolFont,             Tools,   3,   0, None,       "",              "",         "フォント設定", "", "") \
    X(33016, ToolPixelPerfect,     Tools,   3,   0, None,       "",              "",         "ピクセルパーフェクト", "", "１ピクセルの鉛筆で角の重なりを描かない") \
    X(32795, ToolThickBrush,       None,    0,   0, Freehand,   "",              "太いブラシ", "太いブラシ", "", "") \
    X(32830, ToolThinBrush,        None,    0,   0, Freehand,   "",              "細いブラシ", "細いブラシ", "", "") \
    X(57667, HelpFinder,           Help,    1,   0, None,       "",              "",         "ヘルプ(&H)\tF1", "F1", "ヘルプ トピックの一覧\nヘルプ トピック") \
    X(57664, HelpAbout,            Help,    1,   0, None,       "",              "",         "バージョン情報 Tesvan(&A)...", "", "プログラム情報、バージョン、著作権を表示します。\nバージョン情報") \
    X(32773, LayerShow,            Layer,   1,   0, None,       "",              "",         "表示", "", "") \
    X(32774, LayerProperties,      Layer,   1,   0, None,       "",              "",         "プロパティー変更", "", "レイヤー名、チップページ変更") \
    X(32777, LayerMoveLeft,        Layer,   1,   0, None,       "",              "",         "左(下)へ移動", "", "") \
    X(32778, LayerMoveRight,       Layer,   1,   0, None,       "",              "",         "右(上)へ移動", "", "") \
    X(32863, LayerSave,            Layer,   2,   0, None,       "",              "",         "レイヤーデータ保存", "", "") \
    X(32864, LayerLoad,            Layer,   2,   0, None,       "",              "",         "レイヤーデータ読込", "", "") \
    X(32887, LayerImportImage,     Layer,   2,   0, None,       "",              "",         "イメージ読込", "", "") \
    X(32785, PaletteChangeColor,   Palette, 1,   0, None,       "",              "",         "カラー変更", "", "") \
    X(32789, PaletteGradation8,    Palette, 1,   0, None,       "",              "",         "8色グラデーション作成", "", "") \
    X(32788, PaletteGradation16,   Palette, 1,   0, None,       "",              "",         "16色グラデーション作成", "", "") \
    X(57680, WindowNextPane,       None,    0,   0, None,       "",              "",         "", "F6", "次のウィンドウに切り替える\n次のペイン") \
    X(57681, WindowPrevPane,       None,    0,   0, None,       "",              "",         "", "Shift+F6", "前のウィンドウに切り替える\n前のペイン") \
    X(33042, MapNew,               None,    0,   0, None,       "",              "",         "新規マップ...", "", "") \
    X(33043, MapProperties,        None,    0,   0, None,       "",              "",         "マップのプロパティー...", "", "") \
    X(33044, MapDelete,            None,    0,   0, None,       "",              "",         "マップ削除", "", "") \
    X(33045, MapLayerNew,          None,    0,   0, None,       "",              "",         "マップレイヤー追加", "", "") \
    X(33046, MapLayerDelete,       None,    0,   0, None,       "",              "",         "マップレイヤー削除", "", "") \
    X(33047, MapLayerShow,         None,    0,   0, None,       "",              "",         "マップレイヤー表示", "", "") \
    X(33048, MapFlipH,             None,    0,   0, None,       "",              "",         "左右反転\tX", "", "") \
    X(33049, MapFlipV,             None,    0,   0, None,       "",              "",         "上下反転\tY", "", "") \
    X(33050, MapRotate,            None,    0,   0, None,       "",              "",         "右へ90°回転\tZ", "", "") \
    X(  126, ViewCustomize,        None,    0,   0, None,       "",              "",         "カスタマイズ...", "", "")

struct CommandDef {
    int id;
    const char* name;
    CommandMenu menu;
    int group;          // separators between groups of one menu
    int toolbarSlot;    // 0: no button; buttons sorted by slot
    ToolKind tool;
    const char* icon;   // "" : none
    const char* undoName;
    const char* text;
    const char* keys;
    const char* prompt;
};

namespace Cmd {
#define TESVAN_COMMAND_ENUM(id, name, ...) name = id,
enum : int { TESVAN_COMMAND_LIST(TESVAN_COMMAND_ENUM) };
#undef TESVAN_COMMAND_ENUM
} // namespace Cmd

#define TESVAN_COMMAND_ROW(id, name, menu, group, slot, tool, icon, undo, text, keys, prompt) \
    CommandDef{id, #name, CommandMenu::menu, group, slot, ToolKind::tool, icon, undo, text, keys, prompt},
inline constexpr CommandDef kCommandList[] = {TESVAN_COMMAND_LIST(TESVAN_COMMAND_ROW)};
#undef TESVAN_COMMAND_ROW

constexpr const CommandDef* FindCommand(int id)
{
    for (const CommandDef& c : kCommandList)
        if (c.id == id)
            return &c;
    return nullptr;
}

constexpr const CommandDef* FindCommand(std::string_view name)
{
    for (const CommandDef& c : kCommandList)
        if (name == c.name)
            return &c;
    return nullptr;
}

// The pointer behaviour of a command; None when it selects no tool.
constexpr ToolKind CommandToolKind(int id)
{
    const CommandDef* c = FindCommand(id);
    return c ? c->tool : ToolKind::None;
}

// The name an undo entry of this command shows in the undo item; "" none.
constexpr const char* CommandUndoName(int id)
{
    const CommandDef* c = FindCommand(id);
    return c ? c->undoName : "";
}

// Every command that makes a tool current, in list order.
inline constexpr auto kToolCommands = [] {
    constexpr std::size_t count = [] {
        std::size_t n = 0;
        for (const CommandDef& c : kCommandList)
            n += c.tool != ToolKind::None;
        return n;
    }();
    std::array<int, count> ids{};
    std::size_t i = 0;
    for (const CommandDef& c : kCommandList)
        if (c.tool != ToolKind::None)
            ids[i++] = c.id;
    return ids;
}();

namespace command_list_check {
constexpr bool Unique()
{
    constexpr std::size_t n = std::size(kCommandList);
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = i + 1; j < n; ++j) {
            const CommandDef& a = kCommandList[i];
            const CommandDef& b = kCommandList[j];
            if (a.id == b.id || std::string_view(a.name) == b.name ||
                (a.toolbarSlot != 0 && a.toolbarSlot == b.toolbarSlot))
                return false;
        }
    return true;
}
static_assert(Unique(), "two commands share an id, a name or a toolbar slot");
} // namespace command_list_check
