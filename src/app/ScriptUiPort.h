// The user-interface port of a script run: every dialog, chooser and question
// takes the oldest queued answer, every message and question is printed.
#pragma once

#include "platform/LogFont.h"
#include "platform/ScriptParser.h"
#include "platform/UiPort.h"

#include <deque>
#include <initializer_list>
#include <string>

// Writes one line of script output (UTF-8) to standard output.
void PrintScriptLine(const std::string& text);
// A shown text on one line: a tab as \t, a line break (CR LF, LF or CR) as \n.
std::string EscapeScriptText(const std::string& text);
// A path written in a script: $TESVAN_TMP or ${TESVAN_TMP} stands for the
// scratch folder named by that environment variable (the system's temporary
// folder when it is not set); a relative path is taken from the working
// folder. Returns an absolute, cleaned path.
std::string ExpandScriptPath(const std::string& path);

class QWidget;

class CScriptUiPort final : public CUiPort {
public:
    CScriptUiPort();
    ~CScriptUiPort() override;
    CScriptUiPort(const CScriptUiPort&) = delete;
    CScriptUiPort& operator=(const CScriptUiPort&) = delete;

    void Queue(const ScriptAnswer& answer) { m_Queue.push_back(answer); }
    size_t QueuedCount() const { return m_Queue.size(); }

    // The path chosen by an open or save statement: the next open (or save)
    // file dialog takes it before anything queued. A save dialog that comes
    // up first, for the unsaved changes of an open, answers from the queue.
    void SetPendingFile(const std::string& path, bool open)
    {
        m_strPending = path;
        m_bPending = true;
        m_bPendingOpen = open;
    }
    bool HasPendingFile() const { return m_bPending; }
    void ClearPendingFile() { m_bPending = false; m_strPending.clear(); }
    // The path the last file dialog returned (with any extension it added).
    const std::string& LastFile() const { return m_strLastFile; }

    // The statement being run, for the messages of a missing answer.
    void SetLine(int line) { m_nLine = line; }

    // 3 once a dialog or question found no answer of its kind; 0 before.
    int FailStatus() const { return m_strFail.empty() ? 0 : 3; }
    const std::string& FailMessage() const { return m_strFail; }
    // Records a failure (the first one counts); later requests get Cancel.
    void Fail(const std::string& message);

    // Counters the runner uses to judge a file statement.
    int MessageCount() const { return m_nMessages; }
    int CancelCount() const { return m_nCancels; }

    // Takes the oldest queued answer if it is one of the kinds; otherwise
    // records the failure naming what came up and returns false. Consumers
    // of the font, printer and editor dialogs use this.
    bool TakeAnswer(std::initializer_list<ScriptAnswer::Kind> kinds, const std::string& what,
                    ScriptAnswer& answer);

    // Answers for the choosers and dialogs the port does not declare yet;
    // each takes a queued answer of its kind or "answer cancel" (false).
    bool ChooseFont(LogFont& font) override;
    // The print dialog: "answer printer W H" is a printer whose printable
    // area is W x H device pixels (offsets 0); its page is recorded, not
    // printed.
    bool ChoosePrinter(PrinterChoice& choice) override;
    // The last page a script printed: "OW OH", or "none".
    const std::string& LastJob() const { return m_strLastJob; }
    void RecordJob(int width, int height)
    {
        m_strLastJob = std::to_string(width) + " " + std::to_string(height);
    }
    // Works an editor dialog from the queued "answer dialog" items; a refused
    // OK prints the message and continues with the next queued answer for the
    // same class.
    bool DoModal(CDialogModel& dialog) override;
    // The editor's own dialog of the class: false on "answer cancel" or a
    // failure; the items come with the answer.
    bool TakeDialog(const std::string& dialogClass, ScriptAnswer& answer);

    // A modal window of the toolkit that came up without going through the
    // port: a message box is printed and answered like the port's own; any
    // other dialog takes a queued "answer cancel". It is closed either way.
    void AnswerModalWindow(QWidget* window);

    void MessageBox(const std::string& text) override;
    UiAnswer Question(const std::string& text, bool withCancel) override;
    bool FileDialog(const FileDialogRequest& request, std::string& path) override;
    bool ChooseColor(uint32_t& colour) override;
    bool ChooseFolder(const std::string& title, std::string& folder) override;

    // The desktop clipboard of a run, held in the process so that scripts
    // need no display: the editor's own pictures, or one "clipboard set"
    // puts there as another program would.
    void SetClipboardPicture(const ClipboardPicture& picture) override
    {
        m_Clipboard = picture;
        m_bClipboardForeign = false;
    }
    bool HasClipboardPicture() override { return m_Clipboard.width > 0; }
    bool GetClipboardPicture(ClipboardPicture& picture, bool& foreign) override
    {
        if (m_Clipboard.width <= 0)
            return false;
        picture = m_Clipboard;
        foreign = m_bClipboardForeign;
        return true;
    }
    void SetForeignPicture(const ClipboardPicture& picture)
    {
        m_Clipboard = picture;
        m_bClipboardForeign = true;
    }

private:
    ClipboardPicture m_Clipboard;
    bool m_bClipboardForeign = false;
    std::deque<ScriptAnswer> m_Queue;
    std::string m_strPending;
    bool m_bPending = false;
    bool m_bPendingOpen = false;
    std::string m_strLastFile;
    int m_nLine = 0;
    std::string m_strFail;
    int m_nMessages = 0;
    int m_nCancels = 0;
    std::string m_strLastJob = "none";
};
