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
#include <QCommandLineParser>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

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
    std::fprintf(stderr,
                 "tesvan: %s\n"
                 "usage: tesvan --version\n"
                 "       tesvan --list-commands\n"
                 "       tesvan --info FILE.tvn\n"
                 "       tesvan --export=OUT [--layer=N] FILE.tvn\n"
                 "       tesvan --export=SHEET.png --data=SHEET.json [--format=json-hash|json-array] [--scale=N] FILE.tvn\n"
                 "       tesvan --export=OUT.gif|OUT.webp --anime=K [--scale=N] FILE.tvn\n"
                 "       tesvan --export=OUT.tmx|OUT.tmj|OUT.png --map=K|NAME [--scale=N] FILE.tvn\n"
                 "       tesvan --export=OUT --console=gba|snes|md|pce [--first-bank=B] [--map=K] [--dedupe=none|exact|flip] FILE.tvn\n"
                 "       tesvan --script=SCRIPT [FILE.tvn]\n",
                 why.toLocal8Bit().constData());
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

int ExportFailed(const std::string& why)
{
    std::fprintf(stderr, "tesvan: %s\n", why.c_str());
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
        return ExportFailed(port.Because("cannot read " + file));
    // Each writer reports its own failure; the collected message says why.
    auto failed = [&port, &out](size_t before) {
        return ExportFailed(port.Because("cannot write " + out, before));
    };
    const size_t before = port.messages.size();
    if (layer < 0)
        return doc.ExportImage(out) ? 0 : failed(before);
    if (!doc.m_Layers[layer].m_pImage && !IsLayerFileName(out))
        return ExportFailed("layer " + std::to_string(layer) + " has no image");
    return doc.SaveLayerFileTo(layer, out) ? 0 : failed(before);
}

// --export with --map: a map as a Tiled map with its tileset, or as a picture.
int RunMapExport(const QString& outArg, const QString& mapArg, const QString& scaleArg, bool scaled,
                 const QString& fileArg)
{
    const std::string out = outArg.toStdString();
    if (MapExportKindOf(out) == MapExportKind::None)
        return Usage(QStringLiteral("--map writes .tmx, .tmj or .png"));
    int scale = 1;
    if (scaled) {
        bool ok = false;
        scale = scaleArg.toInt(&ok);
        if (!ok || scale < 1 || scale > 16)
            return Usage(QStringLiteral("--scale takes 1 to 16"));
        if (MapExportKind::Picture != MapExportKindOf(out))
            return Usage(QStringLiteral("--scale goes with a .png map picture"));
    }
    CCollectingUiPort port;
    CTesvanDoc doc;
    if (!doc.OnOpenDocument(fileArg.toStdString()))
        return ExportFailed(port.Because("cannot read " + fileArg.toStdString()));
    const int k = doc.m_Maps.Find(mapArg.toStdString());
    if (k < 0)
        return ExportFailed("there is no map " + mapArg.toStdString());
    std::string error;
    if (!ExportMap(doc, k, out, scale, error))
        return ExportFailed(error);
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
                                     QStringLiteral("Prints the version."));
    const QCommandLineOption listCommands(QStringLiteral("list-commands"),
                                          QStringLiteral("Prints every command: id, name, menu text."));
    const QCommandLineOption info(QStringLiteral("info"), QStringLiteral("Prints a document as JSON."),
                                  QStringLiteral("FILE"));
    const QCommandLineOption exportTo(QStringLiteral("export"),
                                      QStringLiteral("Writes the composed sheet."), QStringLiteral("OUT"));
    const QCommandLineOption layer(QStringLiteral("layer"),
                                   QStringLiteral("Exports one layer slot."), QStringLiteral("N"));
    const QCommandLineOption script(QStringLiteral("script"), QStringLiteral("Runs a script."),
                                    QStringLiteral("SCRIPT"));
    // The interface language is taken before the batch run starts.
    const QCommandLineOption lang(QStringLiteral("lang"), QStringLiteral("Interface language."),
                                  QStringLiteral("LANG"));
    parser.addOptions({version, listCommands, info, exportTo, layer, script, lang});
    // The export for games: sheet data, animations, scale.
    const QCommandLineOption data(QStringLiteral("data"), QStringLiteral("Writes the sheet's data."),
                                  QStringLiteral("SHEET.json"));
    const QCommandLineOption format(QStringLiteral("format"), QStringLiteral("json-hash or json-array."),
                                    QStringLiteral("FORMAT"));
    const QCommandLineOption scale(QStringLiteral("scale"), QStringLiteral("Scales by 1 to 16."),
                                   QStringLiteral("N"));
    const QCommandLineOption anime(QStringLiteral("anime"), QStringLiteral("Exports animation slot K."),
                                   QStringLiteral("K"));
    parser.addOptions({data, format, scale, anime});
    const QCommandLineOption map(QStringLiteral("map"), QStringLiteral("Exports map K (from 1) or the map of that name."),
                                 QStringLiteral("K"));
    parser.addOption(map);
    // The console export: tiles, map and palette.
    const QCommandLineOption console(QStringLiteral("console"), QStringLiteral("gba, snes, md or pce."),
                                     QStringLiteral("T"));
    const QCommandLineOption firstBank(QStringLiteral("first-bank"), QStringLiteral("Console bank 0's document bank."),
                                       QStringLiteral("B"));
    const QCommandLineOption dedupe(QStringLiteral("dedupe"), QStringLiteral("none, exact or flip."),
                                    QStringLiteral("D"));
    parser.addOptions({console, firstBank, dedupe});
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("A .tvn document."),
                                 QStringLiteral("[FILE.tvn]"));
    if (!parser.parse(arguments))
        return Usage(parser.errorText());

    const int modes = int(parser.isSet(version)) + int(parser.isSet(listCommands)) +
                      int(parser.isSet(info)) +
                      int(parser.isSet(exportTo)) + int(parser.isSet(script));
    if (modes != 1)
        return Usage(QStringLiteral("give exactly one of --version, --list-commands, --info, --export, --script"));
    const QStringList files = parser.positionalArguments();
    for (const QCommandLineOption* o : {&info, &exportTo, &layer, &script}) {
        if (parser.values(*o).size() > 1)
            return Usage(QStringLiteral("--%1 is given more than once").arg(o->names().first()));
    }
    if (parser.isSet(layer) && !parser.isSet(exportTo))
        return Usage(QStringLiteral("--layer belongs to --export"));
    for (const QCommandLineOption* o : {&data, &format, &scale, &anime, &map}) {
        if (parser.values(*o).size() > 1)
            return Usage(QStringLiteral("--%1 is given more than once").arg(o->names().first()));
        if (parser.isSet(*o) && !parser.isSet(exportTo))
            return Usage(QStringLiteral("--%1 belongs to --export").arg(o->names().first()));
        if (parser.isSet(*o) && parser.value(*o).isEmpty())
            return Usage(QStringLiteral("--%1 needs a value").arg(o->names().first()));
        if (parser.isSet(*o) && parser.isSet(layer))
            return Usage(QStringLiteral("--%1 does not go with --layer").arg(o->names().first()));
    }

    // --map goes with --console too: the chip map as the console's map.
    for (const QCommandLineOption* o : {&console, &firstBank, &dedupe}) {
        if (parser.values(*o).size() > 1)
            return Usage(QStringLiteral("--%1 is given more than once").arg(o->names().first()));
        if (parser.isSet(*o) && parser.value(*o).isEmpty())
            return Usage(QStringLiteral("--%1 needs a value").arg(o->names().first()));
        if (parser.isSet(*o) && !parser.isSet(console))
            return Usage(QStringLiteral("--%1 belongs to --export with --console").arg(o->names().first()));
    }
    if (parser.isSet(console)) {
        if (!parser.isSet(exportTo))
            return Usage(QStringLiteral("--console belongs to --export"));
        for (const QCommandLineOption* o : {&layer, &data, &format, &scale, &anime})
            if (parser.isSet(*o))
                return Usage(QStringLiteral("--%1 does not go with --console").arg(o->names().first()));
    }

    if (parser.isSet(version)) {
        if (!files.isEmpty())
            return Usage(QStringLiteral("--version takes no file"));
        std::printf("Tesvan 2.04\n");
        return 0;
    }
    if (parser.isSet(listCommands)) {
        if (!files.isEmpty())
            return Usage(QStringLiteral("--list-commands takes no file"));
        ListCommands();
        return 0;
    }
    if (parser.isSet(info)) {
        if (!files.isEmpty())
            return Usage(QStringLiteral("--info takes one file"));
        if (parser.value(info).isEmpty())
            return Usage(QStringLiteral("--info needs a file"));
        return RunDocInfo(parser.value(info));
    }
    if (parser.isSet(exportTo)) {
        if (parser.value(exportTo).isEmpty())
            return Usage(QStringLiteral("--export needs an output file"));
        if (files.size() != 1)
            return Usage(QStringLiteral("--export takes one document"));
        int layerIndex = -1;
        if (parser.isSet(layer)) {
            bool ok = false;
            layerIndex = parser.value(layer).toInt(&ok);
            if (!ok || layerIndex < 0 || layerIndex >= CTesvanDoc::kLayers)
                return Usage(QStringLiteral("--layer takes a slot from 0 to 11"));
        }
        if (parser.isSet(console))
            return RunConsoleExport(ConsoleExportArgs{parser.value(exportTo), parser.value(console),
                                                      parser.value(firstBank), parser.value(map),
                                                      parser.value(dedupe), files.first()});
        if (parser.isSet(map)) {
            if (parser.isSet(data) || parser.isSet(anime) || parser.isSet(format))
                return Usage(QStringLiteral("--map does not go with --data, --format or --anime"));
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
        return Usage(QStringLiteral("--script takes at most one document"));
    if (parser.value(script).isEmpty())
        return Usage(QStringLiteral("--script needs a script file"));
    CScriptRunner runner;
    return runner.Run(parser.value(script), files.isEmpty() ? QString() : files.first());
}
