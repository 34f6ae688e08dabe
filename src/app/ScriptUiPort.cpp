#include "app/ScriptUiPort.h"

#include "platform/DialogModel.h"

#include "doc/ImageEx.h"
#include "views/Language.h"

#include <QAbstractButton>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QString>

#include <algorithm>
#include <cstdio>

void PrintScriptLine(const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

std::string EscapeScriptText(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\t') {
            out += "\\t";
        } else if (c == '\r') {
            out += "\\n";
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else if (c == '\n') {
            out += "\\n";
        } else {
            out += c;
        }
    }
    return out;
}

std::string ExpandScriptPath(const std::string& path)
{
    QString p = QString::fromStdString(path);
    QString tmp = qEnvironmentVariable("TESVAN_TMP");
    if (tmp.isEmpty())
        tmp = QDir::tempPath();
    p.replace(QStringLiteral("${TESVAN_TMP}"), tmp);
    p.replace(QStringLiteral("$TESVAN_TMP"), tmp);
    return QDir::cleanPath(QFileInfo(p).absoluteFilePath()).toStdString();
}

namespace {

// The extension a typed name without one receives, as the dialog would add
// it: the one following the selected filter's pattern ("*.png" -> "png") for
// the shared file dialog, else the request's default extension.
std::string DefaultExtension(const FileDialogRequest& request)
{
    std::string ext = request.defaultExt;
    if (request.extFollowsFilter && request.selectedFilter >= 0 &&
        size_t(request.selectedFilter) < request.filters.size()) {
        ext = request.filters[size_t(request.selectedFilter)].second;
        size_t semi = ext.find(';');
        if (semi != std::string::npos)
            ext.erase(semi);
        if (!ext.empty() && ext[0] == '*')
            ext.erase(0, std::min(ext.size(), ext.find_first_not_of('*')));
    }
    if (!ext.empty() && ext[0] == '.')
        ext.erase(0, std::min(ext.size(), ext.find_first_not_of('.')));
    if (ext.find_first_of("*?") != std::string::npos)
        ext.clear();
    return ext;
}

std::string WithDefaultExtension(const std::string& path, const FileDialogRequest& request)
{
    std::string ext = DefaultExtension(request);
    if (ext.empty())
        return path;
    QFileInfo info(QString::fromStdString(path));
    if (!info.suffix().isEmpty() || info.fileName().isEmpty())
        return path;
    // An open dialog takes an existing name as it stands.
    if (request.open && info.exists())
        return path;
    return path + "." + ext;
}

} // namespace

CScriptUiPort::CScriptUiPort() { SetUiPort(this); }

CScriptUiPort::~CScriptUiPort() { SetUiPort(nullptr); }

void CScriptUiPort::Fail(const std::string& message)
{
    if (m_strFail.empty())
        m_strFail = "line " + std::to_string(m_nLine) + ": " + message;
}

bool CScriptUiPort::TakeAnswer(std::initializer_list<ScriptAnswer::Kind> kinds,
                               const std::string& what, ScriptAnswer& answer)
{
    if (!m_strFail.empty())
        return false;
    if (m_Queue.empty()) {
        Fail(what + " came up with no queued answer");
        return false;
    }
    const ScriptAnswer& front = m_Queue.front();
    for (ScriptAnswer::Kind k : kinds) {
        if (front.kind == k) {
            answer = front;
            m_Queue.pop_front();
            if (answer.kind == ScriptAnswer::Cancel)
                ++m_nCancels;
            return true;
        }
    }
    Fail(what + " came up but the oldest queued answer is 'answer " +
         ScriptAnswerKindName(front.kind) + "' (line " + std::to_string(front.line) + ")");
    return false;
}

void CScriptUiPort::MessageBox(const std::string& text)
{
    ++m_nMessages;
    PrintScriptLine("message: " + EscapeScriptText(TrCore(text)));
}

UiAnswer CScriptUiPort::Question(const std::string& text, bool withCancel)
{
    PrintScriptLine("question: " + EscapeScriptText(TrCore(text)));
    ScriptAnswer a;
    bool taken = withCancel
        ? TakeAnswer({ScriptAnswer::Yes, ScriptAnswer::No, ScriptAnswer::Cancel},
                     "a question (yes/no/cancel)", a)
        : TakeAnswer({ScriptAnswer::Yes, ScriptAnswer::No}, "a question (yes/no)", a);
    if (!taken) {
        // Nothing is discarded on the way out of a failed script.
        ++m_nCancels;
        return UiAnswer::Cancel;
    }
    if (a.kind == ScriptAnswer::Yes)
        return UiAnswer::Yes;
    return a.kind == ScriptAnswer::No ? UiAnswer::No : UiAnswer::Cancel;
}

bool CScriptUiPort::FileDialog(const FileDialogRequest& request, std::string& path)
{
    if (!m_strFail.empty())
        return false;
    if (m_bPending && m_bPendingOpen == request.open) {
        path = WithDefaultExtension(m_strPending, request);
        ClearPendingFile();
        m_strLastFile = path;
        return true;
    }
    ScriptAnswer a;
    if (!TakeAnswer({ScriptAnswer::File, ScriptAnswer::Cancel},
                    request.open ? "an open file dialog" : "a save file dialog", a))
        return false;
    if (a.kind == ScriptAnswer::Cancel)
        return false;
    if (a.scale > 0) {
        if (!request.scale) {
            Fail("this file dialog has no scale");
            return false;
        }
        *request.scale = a.scale;
    }
    path = WithDefaultExtension(ExpandScriptPath(a.path), request);
    m_strLastFile = path;
    return true;
}

bool CScriptUiPort::ChooseColor(uint32_t& colour)
{
    ScriptAnswer a;
    if (!TakeAnswer({ScriptAnswer::Color, ScriptAnswer::Cancel}, "the colour chooser", a) ||
        a.kind == ScriptAnswer::Cancel)
        return false;
    colour = RGB(a.red, a.green, a.blue);
    return true;
}

bool CScriptUiPort::ChooseFolder(const std::string&, std::string& folder)
{
    ScriptAnswer a;
    if (!TakeAnswer({ScriptAnswer::Folder, ScriptAnswer::Cancel}, "the folder chooser", a) ||
        a.kind == ScriptAnswer::Cancel)
        return false;
    folder = ExpandScriptPath(a.path);
    return true;
}

bool CScriptUiPort::ChooseFont(LogFont& font)
{
    ScriptAnswer a;
    if (!TakeAnswer({ScriptAnswer::Font, ScriptAnswer::Cancel}, "the font chooser", a) ||
        a.kind == ScriptAnswer::Cancel)
        return false;
    LogFont chosen;
    chosen.lfHeight = a.height;
    chosen.lfWeight = a.bold ? 700 : 400;
    chosen.lfItalic = a.italic ? 1 : 0;
    chosen.lfUnderline = a.underline ? 1 : 0;
    chosen.lfStrikeOut = a.strikeout ? 1 : 0;
    chosen.lfCharSet = font.lfCharSet;
    chosen.lfFaceName = a.face;
    font = chosen;
    return true;
}

namespace {

// The printer of a script run: the page it receives is recorded with the port.
class CRecordingPrintSink : public CPrintSink {
public:
    explicit CRecordingPrintSink(CScriptUiPort* port) : m_pPort(port) {}
    bool StartDoc(const std::string&) override { return true; }
    bool StartPage() override { return true; }
    void DrawImage(const CImageEx&, int width, int height) override
    {
        m_pPort->RecordJob(width, height);
    }
    void EndPage() override {}
    void EndDoc() override {}

private:
    CScriptUiPort* m_pPort;
};

} // namespace

bool CScriptUiPort::ChoosePrinter(PrinterChoice& choice)
{
    ScriptAnswer a;
    if (!TakeAnswer({ScriptAnswer::Printer, ScriptAnswer::Cancel}, "the print dialog", a) ||
        a.kind == ScriptAnswer::Cancel)
        return false;
    choice = PrinterChoice{};
    choice.nPageWidth = a.width;
    choice.nPageHeight = a.height;
    choice.pSink = std::make_shared<CRecordingPrintSink>(this);
    return true;
}

bool CScriptUiPort::TakeDialog(const std::string& dialogClass, ScriptAnswer& answer)
{
    if (!m_strFail.empty())
        return false;
    if (!m_Queue.empty() && m_Queue.front().kind == ScriptAnswer::Dialog &&
        m_Queue.front().dialogClass != dialogClass) {
        Fail("the dialog " + dialogClass + " came up but the oldest queued answer is for " +
             m_Queue.front().dialogClass + " (line " + std::to_string(m_Queue.front().line) + ")");
        return false;
    }
    return TakeAnswer({ScriptAnswer::Dialog, ScriptAnswer::Cancel}, "the dialog " + dialogClass,
                      answer) &&
           answer.kind == ScriptAnswer::Dialog;
}

bool CScriptUiPort::DoModal(CDialogModel& dialog)
{
    const std::string cls = dialog.ClassName();
    for (;;) {
        ScriptAnswer answer;
        if (!TakeDialog(cls, answer))
            return false;
        for (size_t i = 0; i + 1 < answer.items.size(); ++i) {
            const auto& [name, value] = answer.items[i];
            std::string error;
            // A path field takes the scratch folder as other paths do.
            const bool path = name.size() >= 4 && name.compare(name.size() - 4, 4, "Path") == 0;
            const bool ok = value.empty() && IsScriptDialogButton(name)
                                ? dialog.PressButton(name, error)
                                : dialog.SetField(name, path ? ExpandScriptPath(value) : value, error);
            if (!ok) {
                Fail("line " + std::to_string(answer.line) + ": " + cls + ": " + error);
                return false;
            }
            if (!m_strFail.empty())
                return false;
        }
        if (answer.items.empty() || answer.items.back().first != "ok")
            return false;
        std::string message;
        if (dialog.Validate(message))
            return true;
        MessageBox(message);
    }
}

void CScriptUiPort::AnswerModalWindow(QWidget* window)
{
    auto* box = qobject_cast<QMessageBox*>(window);
    if (!box) {
        ScriptAnswer a;
        TakeAnswer({ScriptAnswer::Cancel},
                   "the window '" + window->windowTitle().toStdString() + "'", a);
        if (auto* dialog = qobject_cast<QDialog*>(window))
            dialog->reject();
        else
            window->close();
        return;
    }
    const std::string text = box->text().toStdString();
    const QMessageBox::StandardButtons buttons = box->standardButtons();
    QMessageBox::StandardButton pick = QMessageBox::Ok;
    if (buttons & (QMessageBox::Yes | QMessageBox::No)) {
        const bool withCancel = buttons.testFlag(QMessageBox::Cancel);
        switch (Question(text, withCancel)) {
        case UiAnswer::Yes: pick = QMessageBox::Yes; break;
        case UiAnswer::No: pick = QMessageBox::No; break;
        case UiAnswer::Cancel: pick = withCancel ? QMessageBox::Cancel : QMessageBox::No; break;
        }
    } else {
        MessageBox(text);
        if (!buttons.testFlag(QMessageBox::Ok) && box->defaultButton())
            pick = box->standardButton(box->defaultButton());
    }
    if (QAbstractButton* button = box->button(pick))
        button->click();
    else
        box->done(pick);
}
