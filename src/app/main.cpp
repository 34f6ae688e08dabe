#include "app/BatchMode.h"
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
        text.contains(QLatin1String("XDG_RUNTIME_DIR")))
        return;
    std::fprintf(stderr, "%s\n", qPrintable(text));
}

} // namespace

int main(int argc, char** argv)
{
    // Batch invocations never open a window: they run on the offscreen
    // platform, print to standard output and exit.
    if (IsBatchInvocation(argc, argv)) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qInstallMessageHandler(QuietBatchMessages);
        QApplication qapp(argc, argv);
        return RunBatch(qapp.arguments());
    }
    // The shell's print requests print without the editor window.
    if (IsShellPrintInvocation(argc, argv))
        return RunShellPrint(argc, argv);
    QApplication qapp(argc, argv);
    CTesvanApp app;
    if (!app.InitInstance(qapp.arguments()))
        return app.HandedOff() ? 0 : 1;
    return qapp.exec();
}
