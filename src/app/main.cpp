#include "app/BatchMode.h"
#include "app/CommandLine.h"
#include "views/Language.h"
#include "app/ShellPrint.h"
#include "app/TesvanApp.h"

#include <QApplication>

#include <cstdio>

namespace {

// Batch output is read by build pipelines: keep the offscreen platform's
// notices about window hints and the runtime folder off standard error.
void QuietBatchMessages(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    if (type == QtDebugMsg || text.contains(QLatin1String("propagateSizeHints")) ||
        text.contains(QLatin1String("XDG_RUNTIME_DIR")) ||
        text.contains(QLatin1String("does not support raise")))
        return;
    std::fprintf(stderr, "%s\n", qPrintable(text));
}

} // namespace

int main(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const CommandLine cl = ParseCommandLine(arguments);

    // A malformed command line or --help never opens a window.
    if (!cl.error.isEmpty() || cl.help) {
        QCoreApplication core(argc, argv);
        InstallLanguage(ChooseLanguage(cl.lang, true));
        if (!cl.error.isEmpty()) {
            std::fputs(CommandLineErrorText(cl.error).toLocal8Bit().constData(), stderr);
            return 2;
        }
        std::fputs(UsageText().toLocal8Bit().constData(), stdout);
        return 0;
    }
    // Batch invocations never open a window: they run on the offscreen
    // platform, print to standard output and exit. They read no settings, so
    // the language is --lang's or the locale's.
    if (cl.mode == LaunchMode::Batch) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qInstallMessageHandler(QuietBatchMessages);
        QApplication qapp(argc, argv);
        InstallLanguage(ChooseLanguage(cl.lang, false));
        return RunBatch(qapp.arguments());
    }
    // The shell's print requests print without the editor window.
    if (cl.mode == LaunchMode::ShellPrint)
        return RunShellPrint(argc, argv);
    QApplication qapp(argc, argv);
    InstallLanguage(ChooseLanguage(cl.lang, true));
    CTesvanApp app;
    if (!app.InitInstance(QStringList{arguments.first()} + cl.files))
        return app.HandedOff() ? 0 : 1;
    return qapp.exec();
}
