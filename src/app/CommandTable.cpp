#include "app/CommandTable.h"

#include <QHash>

namespace {

struct Row {
    int id;
    const char* text;
    std::initializer_list<const char*> keys;
    const char* prompt;
    CommandMenu menu;
    bool toolbar;
};

// The command map. Keys are QKeySequence portable texts; the first one is
// the one the menu shows after "\t".
const Row kRows[] = {
    // File
    {57600, "新規作成(&N)\tCtrl+N", {"Ctrl+N"}, "新規にファイルを作成\n新規ファイル", CommandMenu::File, true},
    {57601, "開く(&O)...\tCtrl+O", {"Ctrl+O"}, "既存のファイルを開く\n開く", CommandMenu::File, true},
    {57603, "上書き保存(&S)\tCtrl+S", {"Ctrl+S"}, "作業中のファイルを上書きして保存\n保存", CommandMenu::File, true},
    {57604, "名前を付けて保存(&A)...", {}, "作業中のファイルを新しい名前で保存\n名前をつけて保存", CommandMenu::File, false},
    {32857, "イメージファイルへ保存", {}, "データをjpg,gif,png,bmp 形式で保存", CommandMenu::File, false},
    {33020, "アニメーション書き出し...", {}, "アニメーションをGIF、WebP、シートとJSON、キャラ毎の画像で書き出し", CommandMenu::File, false},
    {32780, "イメージサイズ変更", {}, "", CommandMenu::File, false},
    {32858, "パレットの保存", {}, "", CommandMenu::File, false},
    {32860, "パレット読込", {}, "", CommandMenu::File, false},
    {57607, "印刷(&P)...\tCtrl+P", {"Ctrl+P"}, "作業中のファイルを印刷\n印刷", CommandMenu::File, true},
    {57616, "最近使ったファイル", {}, "指定のファイルを開く", CommandMenu::File, false},
    {57617, "", {}, "指定のファイルを開く", CommandMenu::None, false},
    {57618, "", {}, "指定のファイルを開く", CommandMenu::None, false},
    {57619, "", {}, "指定のファイルを開く", CommandMenu::None, false},
    {57665, "終了(&X)", {}, "Tesvanを終了し、ファイルの保存を指示\n終了", CommandMenu::File, false},
    // Edit
    {57643, "元に戻す(&U)\tCtrl+Z", {"Ctrl+Z", "Alt+Backspace"}, "直前に行った動作を元に戻す\n元に戻す", CommandMenu::Edit, false},
    {32796, "範囲選択", {}, "選択ツール", CommandMenu::Edit, true},
    {32820, "全レイヤー範囲選択", {}, "全レイヤー選択", CommandMenu::Edit, true},
    {57635, "切り取り(&T)\tCtrl+X", {"Ctrl+X", "Shift+Del"}, "選択範囲を切り取ってクリップボードに保存\n切り取り", CommandMenu::Edit, true},
    {57634, "コピー(&C)\tCtrl+C", {"Ctrl+C", "Ctrl+Ins"}, "選択範囲をコピーしてクリップボードに保存\nコピー", CommandMenu::Edit, true},
    {57637, "貼り付け(&P)\tCtrl+V", {"Ctrl+V", "Shift+Ins"}, "クリップボードの内容を貼り付け\n貼り付け", CommandMenu::Edit, true},
    {32883, "透過貼り付け(V)\tCtrl+Shift+V", {"Ctrl+Shift+V"}, "", CommandMenu::Edit, false},
    {32889, "スポイト", {}, "", CommandMenu::Edit, true},
    {32844, "貼付範囲回転90°", {}, "貼付範囲を90°回転", CommandMenu::Edit, true},
    {32845, "貼付範囲左右反転", {}, "貼付範囲を左右反転", CommandMenu::Edit, true},
    {32853, "貼付範囲上下反転", {}, "貼付範囲を上下反転", CommandMenu::Edit, true},
    // View
    {32869, "アニメーション", {}, "", CommandMenu::View, false},
    {59392, "ツール バー(&T)", {}, "", CommandMenu::View, false},
    {59393, "ステータス バー(&S)", {}, "ステータス バーの表示/非表示\nステータス バーの表示切り替え", CommandMenu::View, false},
    {32865, "拡大", {}, "拡大・縮小", CommandMenu::View, true},
    {32879, "選択レイヤーのみ表示", {}, "作業中のレイヤーのみ表示します", CommandMenu::View, true},
    {32893, "背景カラーの変更", {}, "", CommandMenu::View, false},
    {32895, "グリッド", {}, "", CommandMenu::View, false},
    {32896, "キャラクタ分割ライン", {}, "", CommandMenu::View, false},
    // Drawing tools
    {32791, "１ピクセルの線", {}, "１ピクセルの線", CommandMenu::Tools, true},
    {32792, "２ピクセルの線", {}, "２ピクセルの線", CommandMenu::Tools, true},
    {32793, "３ピクセルの線", {}, "３ピクセルの線", CommandMenu::Tools, true},
    {32798, "鉛筆", {}, "鉛筆", CommandMenu::Tools, true},
    {32797, "直線", {}, "直線", CommandMenu::Tools, true},
    {32799, "四角形枠", {}, "四角形枠", CommandMenu::Tools, true},
    {32805, "四角形", {}, "四角形", CommandMenu::Tools, true},
    {32806, "楕円枠", {}, "楕円枠", CommandMenu::Tools, true},
    {32802, "楕円", {}, "楕円", CommandMenu::Tools, true},
    {32832, "曲線", {}, "曲線\nCtrlまたはShiftキー押し下げで連続", CommandMenu::Tools, true},
    {32804, "塗りつぶし", {}, "塗りつぶし", CommandMenu::Tools, true},
    {32872, "テキスト", {}, "テキスト", CommandMenu::Tools, true},
    {32874, "フォント設定", {}, "", CommandMenu::Tools, false},
    // Help
    {57667, "ヘルプ(&H)", {}, "ヘルプ トピックの一覧\nヘルプ トピック", CommandMenu::Help, false},
    {57664, "バージョン情報 Tesvan(&A)...", {}, "プログラム情報、バージョン、著作権を表示します。\nバージョン情報", CommandMenu::Help, false},
    // Layer menu (right click on a tab)
    {32773, "表示", {}, "", CommandMenu::Layer, false},
    {32774, "プロパティー変更", {}, "レイヤー名、チップページ変更", CommandMenu::Layer, false},
    {32777, "左(下)へ移動", {}, "", CommandMenu::Layer, false},
    {32778, "右(上)へ移動", {}, "", CommandMenu::Layer, false},
    {32863, "レイヤーデータ保存", {}, "", CommandMenu::Layer, false},
    {32864, "レイヤーデータ読込", {}, "", CommandMenu::Layer, false},
    {32887, "イメージ読込", {}, "", CommandMenu::Layer, false},
    // Palette menu (Control-click on a palette cell)
    {32785, "カラー変更", {}, "", CommandMenu::Palette, false},
    {32789, "8色グラデーション作成", {}, "", CommandMenu::Palette, false},
    {32788, "16色グラデーション作成", {}, "", CommandMenu::Palette, false},
    // Keys and commands without a menu item
    {57680, "", {"F6"}, "次のウィンドウに切り替える\n次のペイン", CommandMenu::None, false},
    {57681, "", {"Shift+F6"}, "前のウィンドウに切り替える\n前のペイン", CommandMenu::None, false},
    {32795, "太いブラシ", {}, "", CommandMenu::None, false},
    {32830, "細いブラシ", {}, "", CommandMenu::None, false},
    {126, "カスタマイズ...", {}, "", CommandMenu::None, false},
};

} // namespace

CCommandTable::CCommandTable()
{
    for (const Row& row : kRows) {
        CommandInfo info;
        info.id = row.id;
        info.menuText = QString::fromUtf8(row.text);
        for (const char* key : row.keys)
            info.keys << QString::fromLatin1(key);
        info.prompt = QString::fromUtf8(row.prompt);
        info.menu = row.menu;
        info.toolbar = row.toolbar;
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
    static const std::vector<int> file = {57600, 57601, 57603, 57604, 32857, 33020, 0, 32780, 0, 32858,
                                          32860, 0, 57607, 0, 57616, 0, 57665};
    static const std::vector<int> edit = {57643, 0, 32796, 32820, 0, 57635, 57634,
                                          57637, 32883, 32889, 0, 32844, 32845, 32853};
    static const std::vector<int> view = {32869, 59392, 59393, 32865, 32879, 32893, 32895, 32896};
    static const std::vector<int> tools = {32791, 32792, 32793, 0, 32798, 32797, 32799, 32805,
                                           32806, 32802, 32832, 32804, 32872, 0, 32874};
    static const std::vector<int> help = {57667, 57664};
    static const std::vector<int> layer = {32773, 32774, 32777, 32778, 0, 32863, 32864, 32887};
    static const std::vector<int> palette = {32785, 32789, 32788};
    static const std::vector<int> none;
    switch (menu) {
    case CommandMenu::File: return file;
    case CommandMenu::Edit: return edit;
    case CommandMenu::View: return view;
    case CommandMenu::Tools: return tools;
    case CommandMenu::Help: return help;
    case CommandMenu::Layer: return layer;
    case CommandMenu::Palette: return palette;
    case CommandMenu::None: break;
    }
    return none;
}

const std::vector<int>& CCommandTable::ToolbarOrder()
{
    static const std::vector<int> order = {
        57600, 57601, 57603, 57607, 0,
        57635, 57634, 57637, 32889, 32796, 32820, 32844, 32845, 32853, 0,
        32791, 32792, 32793, 0,
        32798, 32797, 32799, 32805, 32806, 32802, 32832, 32804, 32872, 0,
        32865, 32879};
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
