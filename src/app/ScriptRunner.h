// Runs a tesvan script against the editor's own document, main frame and
// views: statements go through the same command and view code a person's
// input goes through; dialogs answer from the queue of "answer" statements.
#pragma once

#include "app/ScriptUiPort.h"
#include "platform/ScriptParser.h"

#include <QString>
#include <Qt>

#include <string>
#include <vector>

class CTesvanApp;
class CTesvanDoc;
class CMainFrame;
class CImageEx;
class CAnimaitionDlg;

class CScriptRunner {
public:
    // Exit statuses of a run.
    enum : int { kOk = 0, kFailed = 1, kMalformed = 2, kNoAnswer = 3 };

    // Loads SCRIPT, starts the editor objects, opens DOCUMENT when given and
    // runs every statement; returns the exit status.
    int Run(const QString& scriptPath, const QString& documentPath);
    // Runs script text against an editor already started for a script.
    int RunText(CTesvanApp& app, const std::string& text);

private:
    // A statement handler: kOk, kFailed (the script goes on and ends with 1)
    // or kMalformed (the script stops).
    using Handler = int (CScriptRunner::*)(const ScriptStatement&);
    // A print target: the printed text in out, or false with a message.
    using Printer = bool (CScriptRunner::*)(const std::vector<std::string>& words,
                                            std::string& out, std::string& error);
    struct VerbEntry {
        const char* verb;
        Handler handler;              // null: not available in this build
    };
    struct PrintEntry {
        const char* what;
        Printer printer;              // null: not available in this build
    };
    static const VerbEntry kVerbs[];
    static const PrintEntry kPrints[];

    // Parses and checks the whole script before anything runs.
    static bool Prepare(const std::string& text, std::vector<ScriptStatement>& statements);
    int Execute(CTesvanApp& app, const std::vector<ScriptStatement>& statements,
                const QString& documentPath);

    static Handler FindHandler(const std::string& verb, bool& known);
    static Printer FindPrinter(const std::string& what, bool& known);
    // Every statement must be one this build carries out.
    static bool CheckAvailable(const ScriptStatement& st, std::string& error);

    int Malformed(const ScriptStatement& st, const std::string& message);
    int RunCommand(const ScriptStatement& st, int id);
    int RunFileCommand(const ScriptStatement& st, int id, const std::string& path);

    int OnNew(const ScriptStatement& st);
    int OnOpen(const ScriptStatement& st);
    int OnSave(const ScriptStatement& st);
    int OnCommand(const ScriptStatement& st);
    int OnAnswer(const ScriptStatement& st);
    int OnPrint(const ScriptStatement& st);
    int OnExpect(const ScriptStatement& st);
    int OnSnapshot(const ScriptStatement& st);
    // Runs the event loop for the given milliseconds (timers, background work).
    int OnWait(const ScriptStatement& st);
    // Canvas input, through the canvas's own input code.
    int OnPress(const ScriptStatement& st);
    int OnMove(const ScriptStatement& st);
    int OnRelease(const ScriptStatement& st);
    int OnKey(const ScriptStatement& st);
    int OnChar(const ScriptStatement& st);
    int OnType(const ScriptStatement& st);
    int OnFocus(const ScriptStatement& st);
    int OnWheel(const ScriptStatement& st);
    int OnDrop(const ScriptStatement& st);
    int OnClipboard(const ScriptStatement& st);
    // Key flags of the buttons held now and the words [ctrl] [shift] from `first` on.
    unsigned InputFlags(const std::vector<std::string>& words, size_t first) const;
    int OnPane(const ScriptStatement& st);
    int OnTab(const ScriptStatement& st);
    int OnAnime(const ScriptStatement& st);
    int OnMap(const ScriptStatement& st);

    bool PrintPixel(const std::vector<std::string>& w, std::string& out, std::string& error);
    bool PrintWork(const std::vector<std::string>& w, std::string& out, std::string& error);
    bool PrintCanvas(const std::vector<std::string>& w, std::string& out, std::string& error);
    bool PrintPalette(const std::vector<std::string>& w, std::string& out, std::string& error);
    bool PrintField(const std::vector<std::string>& w, std::string& out, std::string& error);
    bool PrintLayer(const std::vector<std::string>& w, std::string& out, std::string& error);
    bool PrintMenu(const std::vector<std::string>& w, std::string& out, std::string& error);
    bool PrintTitle(const std::vector<std::string>& w, std::string& out, std::string& error);
    bool PrintHelp(const std::vector<std::string>& w, std::string& out, std::string& error);
    bool PrintStatus(const std::vector<std::string>& w, std::string& out, std::string& error);
    bool PrintModified(const std::vector<std::string>& w, std::string& out, std::string& error);
    bool PrintGradation(const std::vector<std::string>& w, std::string& out, std::string& error);
    bool PrintTab(const std::vector<std::string>& w, std::string& out, std::string& error);
    bool PrintScroll(const std::vector<std::string>& w, std::string& out, std::string& error);
    bool PrintAnime(const std::vector<std::string>& w, std::string& out, std::string& error);
    bool PrintConsole(const std::vector<std::string>& w, std::string& out, std::string& error);
    bool PrintMap(const std::vector<std::string>& w, std::string& out, std::string& error);
    bool PrintJob(const std::vector<std::string>& w, std::string& out, std::string& error);
    bool Evaluate(const std::vector<std::string>& what, std::string& out, std::string& error);

    static bool PixelText(const CImageEx* image, int x, int y, std::string& out,
                          std::string& error);

    // The document object is the editor's one; asked for each time.
    CTesvanDoc* Doc() const;
    // The document's animation window (created if it is missing).
    CAnimaitionDlg* AnimeWindow() const;

    CTesvanApp* m_pApp = nullptr;
    CMainFrame* m_pFrame = nullptr;
    CScriptUiPort* m_pPort = nullptr;
    unsigned m_nHeldButtons = 0;      // canvas buttons pressed and not released
    Qt::KeyboardModifiers m_Modifiers; // modifier keys held by "key down"
};
