#include "app/ShellPrint.h"

#include "views/Language.h"
#include "app/QtUiPort.h"
#include "views/Print.h"

#include <QApplication>
#include <QCommandLineOption>
#include <QCommandLineParser>

#include <cstdio>
#include <cstring>

namespace {

// Without a display the request still prints; its messages then go to the
// terminal instead of message boxes.
class CStderrUiPort : public CUiPort {
public:
    void MessageBox(const std::string& text) override
    {
        std::fprintf(stderr, "tesvan: %s\n", TrCore(text).c_str());
    }
    UiAnswer Question(const std::string&, bool) override { return UiAnswer::Cancel; }
    bool FileDialog(const FileDialogRequest&, std::string&) override { return false; }
    bool ChooseColor(uint32_t&) override { return false; }
    bool ChooseFolder(const std::string&, std::string&) override { return false; }
};

bool HasDisplay()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

} // namespace

bool IsShellPrintInvocation(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--print") == 0 || std::strncmp(argv[i], "--print-to", 10) == 0)
            return true;
    return false;
}

int RunShellPrint(int argc, char** argv)
{
    const bool display = HasDisplay();
    if (!display)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Lumo"));
    QCoreApplication::setApplicationName(QStringLiteral("Tesvan"));

    QCommandLineParser parser;
    const QCommandLineOption print(QStringLiteral("print"),
                                   QStringLiteral("Prints FILE on the default printer."));
    const QCommandLineOption printTo(QStringLiteral("print-to"),
                                     QStringLiteral("Prints FILE on PRINTER (a name ending in .pdf writes that file)."),
                                     QStringLiteral("PRINTER"));
    const QCommandLineOption lang(QStringLiteral("lang"), QStringLiteral("Interface language."),
                                  QStringLiteral("LANG"));
    parser.addOptions({print, printTo, lang});
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("A .tvn document."),
                                 QStringLiteral("FILE.tvn"));
    const QStringList files = parser.parse(qapp.arguments()) ? parser.positionalArguments()
                                                               : QStringList();
    if (files.size() != 1 || parser.isSet(print) == parser.isSet(printTo) ||
        (parser.isSet(printTo) && parser.value(printTo).isEmpty())) {
        std::fprintf(stderr,
                     "usage: tesvan --print FILE.tvn\n"
                     "       tesvan --print-to=PRINTER FILE.tvn\n");
        return 2;
    }

    InstallLanguage(ChooseLanguage(parser.value(lang), true));
    CStderrUiPort terminal;
    CQtUiPort boxes;
    SetUiPort(display ? static_cast<CUiPort*>(&boxes) : &terminal);
    const int status = PrintFromShell(files.first(), parser.value(printTo), parser.isSet(printTo));
    SetUiPort(nullptr);
    return status;
}
