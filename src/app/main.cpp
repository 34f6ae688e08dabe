#include "app/BatchMode.h"
#include "app/ShellPrint.h"
#include "app/TesvanApp.h"

#include <QApplication>

int main(int argc, char** argv)
{
    // Batch invocations never open a window: they run on the offscreen
    // platform, print to standard output and exit.
    if (IsBatchInvocation(argc, argv)) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
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
