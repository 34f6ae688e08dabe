#include "app/ShellPrint.h"

#include "views/Language.h"
#include "app/BatchMode.h"
#include "app/QtUiPort.h"
#include "views/Print.h"

#include <QApplication>
#include <QCommandLineOption>
#include <QCommandLineParser>

#include <cstdio>
#include <cstring>

namespace {

// Without a person to answer the request still prints; its messages then go
// to the terminal instead of message boxes, which nothing could close.
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

// With a person at the screen the messages are boxes and go to the terminal
// as well, so that a desktop's log keeps them.
class CBoxAndStderrUiPort : public CQtUiPort {
public:
    void MessageBox(const std::string& text) override
    {
        std::fprintf(stderr, "tesvan: %s\n", TrCore(text).c_str());
        CQtUiPort::MessageBox(text);
    }
};

// A platform plugin whose windows nobody sees.
bool IsHeadlessPlatform(const QString& name)
{
    const QString plugin = name.section(QLatin1Char(':'), 0, 0).trimmed();
    return plugin == QLatin1String("offscreen") || plugin == QLatin1String("minimal") ||
           plugin == QLatin1String("minimalegl");
}

// A person can answer a box only on a display, through a platform that
// shows windows.
bool HasPerson()
{
    const QString platform = qEnvironmentVariable("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && IsHeadlessPlatform(platform))
        return false;
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
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
    bool person = HasPerson();
    if (!person) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QuietenBatchMessages();
    }
    QApplication qapp(argc, argv);
    person = person && !IsHeadlessPlatform(QGuiApplication::platformName());
    QCoreApplication::setOrganizationName(QStringLiteral("Lumo"));
    QCoreApplication::setApplicationName(QStringLiteral("Tesvan"));

    QCommandLineParser parser;
    const QCommandLineOption print(QStringLiteral("print"),
                                   QString());
    const QCommandLineOption printTo(QStringLiteral("print-to"),
                                     QString(),
                                     QStringLiteral("PRINTER"));
    const QCommandLineOption lang(QStringLiteral("lang"), QString(),
                                  QStringLiteral("LANG"));
    parser.addOptions({print, printTo, lang});
    parser.addPositionalArgument(QStringLiteral("file"), QString(),
                                 QStringLiteral("FILE.tvn"));
    const QStringList files = parser.parse(qapp.arguments()) ? parser.positionalArguments()
                                                               : QStringList();
    InstallLanguage(ChooseLanguage(parser.value(lang), true));
    if (files.size() != 1 || parser.isSet(print) == parser.isSet(printTo) ||
        (parser.isSet(printTo) && parser.value(printTo).isEmpty())) {
        const QString usage = QCoreApplication::translate(
            "ShellPrint", "使い方: tesvan --print FILE.tvn\n        tesvan --print-to=PRINTER FILE.tvn\n");
        std::fputs(usage.toLocal8Bit().constData(), stderr);
        return 2;
    }

    CStderrUiPort terminal;
    CBoxAndStderrUiPort boxes;
    SetUiPort(person ? static_cast<CUiPort*>(&boxes) : &terminal);
    const int status = PrintFromShell(files.first(), parser.value(printTo), parser.isSet(printTo));
    SetUiPort(nullptr);
    return status;
}
