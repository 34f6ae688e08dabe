#include "app/BatchMode.h"
#include "app/CommandLine.h"
#include "views/Language.h"
#include "app/ShellPrint.h"
#include "app/TesvanApp.h"

#include <QApplication>

#include <cstdio>


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
            // Read again now that the language is known: the error in its words.
            const QString error = ParseCommandLine(arguments).error;
            std::fputs(CommandLineErrorText(error).toLocal8Bit().constData(), stderr);
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
        QuietenBatchMessages();
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
