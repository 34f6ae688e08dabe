// The command line of the tesvan binary: every option it knows, checked
// before any window or batch mode starts, and the usage text of --help.
#pragma once

#include <QString>
#include <QStringList>

#include <vector>

enum class LaunchMode {
    Editor,      // the editor window (an optional document to open)
    Batch,       // --version, --info, --export, --script, --list-commands and their companions
    ShellPrint,  // --print, --print-to
};

struct CommandLineOption {
    const char* name;       // long name without the dashes
    char shortName;         // 0 when it has none
    const char* valueName;  // nullptr for a switch
    const char* help;       // one line of --help (translated when shown)
    LaunchMode mode;        // the mode the option belongs to (Editor: any mode)
};

// Every option the program accepts, in the order --help lists them.
const std::vector<CommandLineOption>& CommandLineOptions();

struct CommandLine {
    bool help = false;
    LaunchMode mode = LaunchMode::Editor;
    QString lang;            // the value of --lang, empty when not given
    QStringList files;       // the arguments that are not options
    // Set when the command line is malformed: one line naming the option.
    QString error;
};

// Parses the arguments (the program name first) the way the modes' own
// parsers read them: --name=value or --name value, -h and -v, "--" ending
// the options. An unknown option, a missing value or an unknown language
// sets the error.
CommandLine ParseCommandLine(const QStringList& arguments);

// The --help text, in the interface language, ending in a line break.
QString UsageText();
// The error line and the hint to run --help, in the interface language.
QString CommandLineErrorText(const QString& error);
