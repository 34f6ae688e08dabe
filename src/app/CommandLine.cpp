#include "app/CommandLine.h"

#include <QCoreApplication>

namespace {

const CommandLineOption* FindLong(const QString& name)
{
    for (const CommandLineOption& o : CommandLineOptions())
        if (name == QLatin1String(o.name))
            return &o;
    return nullptr;
}

const CommandLineOption* FindShort(QChar c)
{
    for (const CommandLineOption& o : CommandLineOptions())
        if (o.shortName && c == QLatin1Char(o.shortName))
            return &o;
    return nullptr;
}

// The mode an option asks for; the last option of a mode of its own wins,
// so that the mode's parser reports a mix of modes.
void NoteMode(CommandLine& cl, const CommandLineOption& o)
{
    if (o.mode != LaunchMode::Editor && cl.mode == LaunchMode::Editor)
        cl.mode = o.mode;
    else if (o.mode == LaunchMode::Batch)
        cl.mode = LaunchMode::Batch;
}

void TakeValue(CommandLine& cl, const CommandLineOption& o, const QString& value)
{
    if (QLatin1String(o.name) == QLatin1String("lang")) {
        if (value != QLatin1String("en") && value != QLatin1String("ja") && cl.error.isEmpty())
            cl.error = QCoreApplication::translate("CommandLine", "--lang に使える言語は en と ja です: %1").arg(value);
        cl.lang = value;
    }
}

} // namespace

const std::vector<CommandLineOption>& CommandLineOptions()
{
    static const std::vector<CommandLineOption> options = {
        {"help", 'h', nullptr, QT_TRANSLATE_NOOP("CommandLine", "この使い方を表示して終了します"),
         LaunchMode::Editor},
        {"version", 'v', nullptr, QT_TRANSLATE_NOOP("CommandLine", "バージョンを表示して終了します"),
         LaunchMode::Batch},
        {"info", 0, "FILE.tvn", QT_TRANSLATE_NOOP("CommandLine", "ドキュメントの内容を JSON で表示します"),
         LaunchMode::Batch},
        {"export", 0, "OUT",
         QT_TRANSLATE_NOOP("CommandLine", "合成したシートを OUT に書き出します (形式は拡張子で決まります)"),
         LaunchMode::Batch},
        {"layer", 0, "N",
         QT_TRANSLATE_NOOP("CommandLine", "--export でレイヤー N (0 から 11) だけを書き出します"),
         LaunchMode::Batch},
        {"data", 0, "SHEET.json",
         QT_TRANSLATE_NOOP("CommandLine", "--export でスプライトシートのデータも書き出します"),
         LaunchMode::Batch},
        {"format", 0, "json-hash|json-array",
         QT_TRANSLATE_NOOP("CommandLine", "--data の JSON の形式"), LaunchMode::Batch},
        {"scale", 0, "N",
         QT_TRANSLATE_NOOP("CommandLine", "--export で N 倍 (1 から 16) に拡大して書き出します"),
         LaunchMode::Batch},
        {"anime", 0, "K",
         QT_TRANSLATE_NOOP("CommandLine",
                           "--export でアニメーション K (1 から 4 か名前) を GIF か WebP で書き出します"),
         LaunchMode::Batch},
        {"console", 0, "gba|snes|md|pce",
         QT_TRANSLATE_NOOP("CommandLine",
                           "--export でタイル、マップ、パレットをコンソールの形式で OUT.tiles.bin, OUT.map.bin, OUT.pal.bin, OUT.h に書き出します"),
         LaunchMode::Batch},
        {"first-bank", 0, "B",
         QT_TRANSLATE_NOOP("CommandLine", "--console でコンソールのバンク 0 になるドキュメントのバンク (0 から 15)"),
         LaunchMode::Batch},
        {"dedupe", 0, "none|exact|flip",
         QT_TRANSLATE_NOOP("CommandLine", "--console で同じタイル (flip では反転したものも) を一つにまとめます"),
         LaunchMode::Batch},
        {"map", 0, "K|NAME",
         QT_TRANSLATE_NOOP("CommandLine",
                           "--export でマップ K (1 から か名前) を Tiled の .tmx、.tmj か .png で書き出します"),
         LaunchMode::Batch},
        {"script", 0, "SCRIPT",
         QT_TRANSLATE_NOOP("CommandLine", "スクリプトを実行します (FILE.tvn を開いてから)"),
         LaunchMode::Batch},
        {"list-commands", 0, nullptr, QT_TRANSLATE_NOOP("CommandLine", "コマンドの一覧を表示します"),
         LaunchMode::Batch},
        {"print", 0, nullptr, QT_TRANSLATE_NOOP("CommandLine", "FILE.tvn を既定のプリンターで印刷します"),
         LaunchMode::ShellPrint},
        {"print-to", 0, "PRINTER",
         QT_TRANSLATE_NOOP("CommandLine",
                           "FILE.tvn を PRINTER で印刷します (.pdf で終わる名前はその PDF ファイルに)"),
         LaunchMode::ShellPrint},
        {"lang", 0, "en|ja",
         QT_TRANSLATE_NOOP("CommandLine", "表示の言語 (省略時はロケールと設定で決まります)"),
         LaunchMode::Editor},
    };
    return options;
}

CommandLine ParseCommandLine(const QStringList& arguments)
{
    CommandLine cl;
    bool optionsEnded = false;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (optionsEnded || arg == QLatin1String("-") || !arg.startsWith(QLatin1Char('-'))) {
            cl.files << arg;
            continue;
        }
        if (arg == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (arg.startsWith(QLatin1String("--"))) {
            const int eq = arg.indexOf(QLatin1Char('='));
            const QString name = arg.mid(2, eq < 0 ? -1 : eq - 2);
            const CommandLineOption* o = FindLong(name);
            if (!o) {
                if (cl.error.isEmpty())
                    cl.error = QCoreApplication::translate("CommandLine", "不明なオプションです: %1").arg(QStringLiteral("--") + name);
                continue;
            }
            NoteMode(cl, *o);
            if (QLatin1String(o->name) == QLatin1String("help"))
                cl.help = true;
            if (!o->valueName) {
                if (eq >= 0 && cl.error.isEmpty())
                    cl.error = QCoreApplication::translate("CommandLine", "%1 は値を取りません").arg(QStringLiteral("--") + name);
                continue;
            }
            QString value;
            if (eq >= 0) {
                value = arg.mid(eq + 1);
            } else if (i + 1 < arguments.size()) {
                value = arguments[++i];
            } else {
                if (cl.error.isEmpty())
                    cl.error = QCoreApplication::translate("CommandLine", "%1 には値が必要です").arg(QStringLiteral("--") + name);
                continue;
            }
            if (value.isEmpty() && cl.error.isEmpty())
                cl.error = QCoreApplication::translate("CommandLine", "%1 には値が必要です").arg(QStringLiteral("--") + name);
            TakeValue(cl, *o, value);
            continue;
        }
        // Short switches, several may share one dash.
        for (int k = 1; k < arg.size(); ++k) {
            const CommandLineOption* o = FindShort(arg[k]);
            if (!o) {
                if (cl.error.isEmpty())
                    cl.error = QCoreApplication::translate("CommandLine", "不明なオプションです: %1").arg(QStringLiteral("-") + arg[k]);
                continue;
            }
            NoteMode(cl, *o);
            if (o->shortName == 'h')
                cl.help = true;
        }
    }
    return cl;
}

QString UsageText()
{
    QString text = QCoreApplication::translate("CommandLine", "使い方: tesvan [オプション] [FILE.tvn]") + QLatin1Char('\n');
    text += QCoreApplication::translate("CommandLine", "オプションなしでエディターを開きます。") + QLatin1Char('\n');
    QStringList heads;
    int width = 0;
    for (const CommandLineOption& o : CommandLineOptions()) {
        QString head = o.shortName ? QStringLiteral("-%1, ").arg(QLatin1Char(o.shortName))
                                   : QStringLiteral("    ");
        head += QStringLiteral("--") + QLatin1String(o.name);
        if (o.valueName)
            head += QLatin1Char('=') + QLatin1String(o.valueName);
        heads << head;
        width = qMax(width, int(head.size()));
    }
    int i = 0;
    for (const CommandLineOption& o : CommandLineOptions()) {
        text += QStringLiteral("  ") + heads[i++].leftJustified(width + 2) + QCoreApplication::translate("CommandLine", o.help) +
                QLatin1Char('\n');
    }
    text += QCoreApplication::translate("CommandLine", "終了状態: 0 成功、1 ファイル操作の失敗、2 誤った呼び出し、3 答えのないダイアログ") +
            QLatin1Char('\n');
    return text;
}

QString CommandLineErrorText(const QString& error)
{
    return QStringLiteral("tesvan: ") + error + QLatin1Char('\n') +
           QCoreApplication::translate("CommandLine", "使い方は 'tesvan --help' で表示されます。") + QLatin1Char('\n');
}
