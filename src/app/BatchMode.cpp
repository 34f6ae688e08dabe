#include "app/BatchMode.h"

#include "app/BatchExport.h"
#include "app/DocInfo.h"
#include "app/ScriptRunner.h"
#include "app/ScriptUiPort.h"
#include "doc/CommandList.h"
#include "doc/TesvanDoc.h"
#include "exchange/ImageExport.h"
#include "map/MapExport.h"
#include "platform/UiPort.h"
#include "views/Language.h"

#include <QCommandLineOption>
#include <QCoreApplication>
#include <QCommandLineParser>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

void QuietBatchMessages(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    if (type == QtDebugMsg || text.contains(QLatin1String("propagateSizeHints")) ||
        text.contains(QLatin1String("XDG_RUNTIME_DIR")) ||
        text.contains(QLatin1String("does not support raise")))
        return;
    std::fprintf(stderr, "%s\n", qPrintable(text));
}

} // namespace

void QuietenBatchMessages() { qInstallMessageHandler(QuietBatchMessages); }

bool IsBatchInvocation(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (std::strcmp(a, "--version") == 0 || std::strcmp(a, "--list-commands") == 0 ||
            std::strncmp(a, "--info", 6) == 0 ||
            std::strncmp(a, "--export", 8) == 0 || std::strncmp(a, "--script", 8) == 0)
            return true;
    }
    return false;
}

namespace {

int Usage(const QString& why)
{
    const QString text = QStringLiteral("tesvan: ") + why + QLatin1Char('\n') +
                         QCoreApplication::translate("BatchMode", "使い方は 'tesvan --help' で表示されます。") + QLatin1Char('\n');
    std::fputs(text.toLocal8Bit().constData(), stderr);
    return 2;
}


// The layer-file save writes a layer file for exactly this extension.
bool IsLayerFileName(const std::string& out)
{
    const size_t dot = out.find_last_of('.');
    const size_t slash = out.find_last_of('/');
    return dot != std::string::npos && (slash == std::string::npos || dot > slash) &&
           out.substr(dot + 1) == "lay";
}

// Each core message (the file and the reason) in the interface language.
int ExportFailed(const std::vector<std::string>& messages, size_t from = 0)
{
    for (size_t i = from; i < messages.size(); ++i)
        std::fprintf(stderr, "tesvan: %s\n", TrCore(messages[i]).c_str());
    return 1;
}

// --export: the composed sheet as the export command writes it, or one
// layer's image as the layer-file save writes it.
int RunExport(const QString& outArg, int layer, const QString& fileArg)
{
    const std::string out = outArg.toStdString();
    const std::string file = fileArg.toStdString();
    CCollectingUiPort port;
    CTesvanDoc doc;
    if (!doc.OnOpenDocument(file))
        return ExportFailed(port.messages);
    // Each writer reports its own failure: the file and the reason.
    const size_t before = port.messages.size();
    if (layer < 0)
        return doc.ExportImage(out) ? 0 : ExportFailed(port.messages, before);
    if (!doc.m_Layers[layer].m_pImage && !IsLayerFileName(out)) {
        std::fprintf(stderr, "tesvan: %s\n",
                     QCoreApplication::translate("BatchMode", "レイヤー %1 にはイメージがありません。").arg(layer).toLocal8Bit().constData());
        return 1;
    }
    return doc.SaveLayerFileTo(layer, out) ? 0 : ExportFailed(port.messages, before);
}

// --export with --map: a map as a Tiled map with its tileset, or as a picture.
int RunMapExport(const QString& outArg, const QString& mapArg, const QString& scaleArg, bool scaled,
                 const QString& fileArg)
{
    const std::string out = outArg.toStdString();
    if (MapExportKindOf(out) == MapExportKind::None)
        return Usage(QCoreApplication::translate("BatchMode", "--map で書き出せるのは .tmx、.tmj、.png です。"));
    int scale = 1;
    if (scaled) {
        bool ok = false;
        scale = scaleArg.toInt(&ok);
        if (!ok || scale < 1 || scale > 16)
            return Usage(QCoreApplication::translate("BatchExport", "--scale には 1 から 16 の整数を指定してください。"));
        if (MapExportKind::Picture != MapExportKindOf(out))
            return Usage(QCoreApplication::translate("BatchMode", "--scale はマップの .png 画像にだけ指定できます。"));
    }
    CCollectingUiPort port;
    CTesvanDoc doc;
    if (!doc.OnOpenDocument(fileArg.toStdString()))
        return ExportFailed(port.messages);
    const int k = doc.m_Maps.Find(mapArg.toStdString());
    if (k < 0) {
        // A map the document does not have is a malformed request, as an
        // unknown animation slot is.
        const QString why = QCoreApplication::translate("BatchMode", "マップ %1 はありません (1 から %2 の番号かマップの名前を指定してください)。")
                                .arg(mapArg)
                                .arg(int(doc.m_Maps.maps.size()));
        std::fprintf(stderr, "tesvan: %s\n", why.toLocal8Bit().constData());
        return 2;
    }
    std::string error;
    if (!ExportMap(doc, k, out, scale, error))
        return ExportFailed({error});
    return 0;
}

// One line per command of the list: id, name and the menu text with a tab
// written as \t (nothing after the name for a command without text).
void ListCommands()
{
    for (const CommandDef& c : kCommandList) {
        std::string line = std::to_string(c.id) + " " + c.name;
        if (*c.text)
            line += " " + EscapeScriptText(TrCore(std::string(c.text)));
        std::printf("%s\n", line.c_str());
    }
}

} // namespace

int RunBatch(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QString());
    const QCommandLineOption listCommands(QStringLiteral("list-commands"),
                                          QString());
    const QCommandLineOption info(QStringLiteral("info"), QString(),
                                  QStringLiteral("FILE"));
    const QCommandLineOption exportTo(QStringLiteral("export"),
                                      QString(), QStringLiteral("OUT"));
    const QCommandLineOption layer(QStringLiteral("layer"),
                                   QString(), QStringLiteral("N"));
    const QCommandLineOption script(QStringLiteral("script"), QString(),
                                    QStringLiteral("SCRIPT"));
    // The interface language is taken before the batch run starts.
    const QCommandLineOption lang(QStringLiteral("lang"), QString(),
                                  QStringLiteral("LANG"));
    parser.addOptions({version, listCommands, info, exportTo, layer, script, lang});
    // The export for games: sheet data, animations, scale.
    const QCommandLineOption data(QStringLiteral("data"), QString(),
                                  QStringLiteral("SHEET.json"));
    const QCommandLineOption format(QStringLiteral("format"), QString(),
                                    QStringLiteral("FORMAT"));
    const QCommandLineOption scale(QStringLiteral("scale"), QString(),
                                   QStringLiteral("N"));
    const QCommandLineOption anime(QStringLiteral("anime"), QString(),
                                   QStringLiteral("K"));
    parser.addOptions({data, format, scale, anime});
    const QCommandLineOption map(QStringLiteral("map"), QString(),
                                 QStringLiteral("K"));
    parser.addOption(map);
    // The console export: tiles, map and palette.
    const QCommandLineOption console(QStringLiteral("console"), QString(),
                                     QStringLiteral("T"));
    const QCommandLineOption firstBank(QStringLiteral("first-bank"), QString(),
                                       QStringLiteral("B"));
    const QCommandLineOption dedupe(QStringLiteral("dedupe"), QString(),
                                    QStringLiteral("D"));
    parser.addOptions({console, firstBank, dedupe});
    parser.addPositionalArgument(QStringLiteral("file"), QString(),
                                 QStringLiteral("[FILE.tvn]"));
    if (!parser.parse(arguments))
        return Usage(parser.errorText());

    const int modes = int(parser.isSet(version)) + int(parser.isSet(listCommands)) +
                      int(parser.isSet(info)) +
                      int(parser.isSet(exportTo)) + int(parser.isSet(script));
    if (modes != 1)
        return Usage(QCoreApplication::translate("BatchMode", "--version、--list-commands、--info、--export、--script のどれか一つを指定してください。"));
    const QStringList files = parser.positionalArguments();
    for (const QCommandLineOption* o : {&info, &exportTo, &layer, &script}) {
        if (parser.values(*o).size() > 1)
            return Usage(QCoreApplication::translate("BatchMode", "--%1 が二度以上指定されています。").arg(o->names().first()));
    }
    if (parser.isSet(layer) && !parser.isSet(exportTo))
        return Usage(QCoreApplication::translate("BatchMode", "--layer は --export と共に使います。"));
    for (const QCommandLineOption* o : {&data, &format, &scale, &anime, &map}) {
        if (parser.values(*o).size() > 1)
            return Usage(QCoreApplication::translate("BatchMode", "--%1 が二度以上指定されています。").arg(o->names().first()));
        if (parser.isSet(*o) && !parser.isSet(exportTo))
            return Usage(QCoreApplication::translate("BatchMode", "--%1 は --export と共に使います。").arg(o->names().first()));
        if (parser.isSet(*o) && parser.value(*o).isEmpty())
            return Usage(QCoreApplication::translate("BatchMode", "--%1 には値が必要です。").arg(o->names().first()));
        if (parser.isSet(*o) && parser.isSet(layer))
            return Usage(QCoreApplication::translate("BatchMode", "--%1 は --layer と共には使えません。").arg(o->names().first()));
    }

    // --map goes with --console too: the chip map as the console's map.
    for (const QCommandLineOption* o : {&console, &firstBank, &dedupe}) {
        if (parser.values(*o).size() > 1)
            return Usage(QCoreApplication::translate("BatchMode", "--%1 が二度以上指定されています。").arg(o->names().first()));
        if (parser.isSet(*o) && parser.value(*o).isEmpty())
            return Usage(QCoreApplication::translate("BatchMode", "--%1 には値が必要です。").arg(o->names().first()));
        if (parser.isSet(*o) && !parser.isSet(console))
            return Usage(QCoreApplication::translate("BatchMode", "--%1 は --export と --console と共に使います。").arg(o->names().first()));
    }
    if (parser.isSet(console)) {
        if (!parser.isSet(exportTo))
            return Usage(QCoreApplication::translate("BatchMode", "--console は --export と共に使います。"));
        for (const QCommandLineOption* o : {&layer, &data, &format, &scale, &anime})
            if (parser.isSet(*o))
                return Usage(QCoreApplication::translate("BatchMode", "--%1 は --console と共には使えません。").arg(o->names().first()));
    }

    if (parser.isSet(version)) {
        if (!files.isEmpty())
            return Usage(QCoreApplication::translate("BatchMode", "--version はファイルを取りません。"));
        std::printf("Tesvan 2.04\n");
        return 0;
    }
    if (parser.isSet(listCommands)) {
        if (!files.isEmpty())
            return Usage(QCoreApplication::translate("BatchMode", "--list-commands はファイルを取りません。"));
        ListCommands();
        return 0;
    }
    if (parser.isSet(info)) {
        if (!files.isEmpty())
            return Usage(QCoreApplication::translate("BatchMode", "--info はファイルを一つ取ります。"));
        if (parser.value(info).isEmpty())
            return Usage(QCoreApplication::translate("BatchMode", "--info にはファイルが必要です。"));
        return RunDocInfo(parser.value(info));
    }
    if (parser.isSet(exportTo)) {
        if (parser.value(exportTo).isEmpty())
            return Usage(QCoreApplication::translate("BatchMode", "--export には出力ファイルが必要です。"));
        if (files.size() != 1)
            return Usage(QCoreApplication::translate("BatchMode", "--export はドキュメントを一つ取ります。"));
        int layerIndex = -1;
        if (parser.isSet(layer)) {
            bool ok = false;
            layerIndex = parser.value(layer).toInt(&ok);
            if (!ok || layerIndex < 0 || layerIndex >= CTesvanDoc::kLayers)
                return Usage(QCoreApplication::translate("BatchMode", "--layer には 0 から 11 のスロットを指定してください。"));
        }
        if (parser.isSet(console))
            return RunConsoleExport(ConsoleExportArgs{parser.value(exportTo), parser.value(console),
                                                      parser.value(firstBank), parser.value(map),
                                                      parser.value(dedupe), files.first()});
        if (parser.isSet(map)) {
            if (parser.isSet(data) || parser.isSet(anime) || parser.isSet(format))
                return Usage(QCoreApplication::translate("BatchMode", "--map は --data、--format、--anime と一緒には指定できません。"));
            return RunMapExport(parser.value(exportTo), parser.value(map), parser.value(scale), parser.isSet(scale),
                                files.first());
        }
        const GameExportRequest game{parser.value(exportTo), parser.value(data), parser.value(format),
                                     parser.value(scale), parser.value(anime), parser.isSet(anime),
                                     parser.isSet(scale), files.first()};
        if (layerIndex < 0 && IsGameExport(game))
            return RunGameExport(game);
        return RunExport(parser.value(exportTo), layerIndex, files.first());
    }
    if (files.size() > 1)
        return Usage(QCoreApplication::translate("BatchMode", "--script が取るドキュメントは一つまでです。"));
    if (parser.value(script).isEmpty())
        return Usage(QCoreApplication::translate("BatchMode", "--script にはスクリプト ファイルが必要です。"));
    CScriptRunner runner;
    return runner.Run(parser.value(script), files.isEmpty() ? QString() : files.first());
}
