#include "app/BatchMode.h"

#include "app/DocInfo.h"
#include "app/ScriptRunner.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

#include <cstdio>
#include <cstring>

bool IsBatchInvocation(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (std::strcmp(a, "--version") == 0 || std::strncmp(a, "--info", 6) == 0 ||
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
                 "       tesvan --info FILE.tvn\n"
                 "       tesvan --export=OUT [--layer=N] FILE.tvn\n"
                 "       tesvan --script=SCRIPT [FILE.tvn]\n",
                 why.toLocal8Bit().constData());
    return 2;
}

} // namespace

int RunBatch(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    const QCommandLineOption version(QStringLiteral("version"), QStringLiteral("Prints the version."));
    const QCommandLineOption info(QStringLiteral("info"), QStringLiteral("Prints a document as JSON."),
                                  QStringLiteral("FILE"));
    const QCommandLineOption exportTo(QStringLiteral("export"),
                                      QStringLiteral("Writes the composed sheet."), QStringLiteral("OUT"));
    const QCommandLineOption layer(QStringLiteral("layer"),
                                   QStringLiteral("Exports one layer slot."), QStringLiteral("N"));
    const QCommandLineOption script(QStringLiteral("script"), QStringLiteral("Runs a script."),
                                    QStringLiteral("SCRIPT"));
    parser.addOptions({version, info, exportTo, layer, script});
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("A .tvn document."),
                                 QStringLiteral("[FILE.tvn]"));
    if (!parser.parse(arguments))
        return Usage(parser.errorText());

    const int modes = int(parser.isSet(version)) + int(parser.isSet(info)) +
                      int(parser.isSet(exportTo)) + int(parser.isSet(script));
    if (modes != 1)
        return Usage(QStringLiteral("give exactly one of --version, --info, --export, --script"));
    const QStringList files = parser.positionalArguments();
    for (const QCommandLineOption* o : {&info, &exportTo, &layer, &script}) {
        if (parser.values(*o).size() > 1)
            return Usage(QStringLiteral("--%1 is given more than once").arg(o->names().first()));
    }
    if (parser.isSet(layer) && !parser.isSet(exportTo))
        return Usage(QStringLiteral("--layer belongs to --export"));

    if (parser.isSet(version)) {
        if (!files.isEmpty())
            return Usage(QStringLiteral("--version takes no file"));
        std::printf("Tesvan 2.04\n");
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
        std::fprintf(stderr, "tesvan: --export is not available in this build\n");
        return 2;
    }
    if (files.size() > 1)
        return Usage(QStringLiteral("--script takes at most one document"));
    if (parser.value(script).isEmpty())
        return Usage(QStringLiteral("--script needs a script file"));
    CScriptRunner runner;
    return runner.Run(parser.value(script), files.isEmpty() ? QString() : files.first());
}
