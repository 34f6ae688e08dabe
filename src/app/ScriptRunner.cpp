#include "app/ScriptRunner.h"

#include "app/HelpWindow.h"

#include "app/MainFrame.h"
#include "app/MapCommands.h"
#include "map/MapEdit.h"
#include "views/MapWindow.h"
#include "app/QtUiPort.h"
#include "app/TesvanApp.h"
#include "console/ConsoleExport.h"
#include "doc/DocFields.h"
#include "doc/TesvanDoc.h"
#include "edit/CanvasInput.h"
#include "views/LeftView.h"
#include "views/RightView.h"
#include "views/TesvanView.h"
#include "platform/Cp932.h"
#include "platform/SafeFile.h"
#include "views/AnimationDlg.h"
#include "views/Language.h"

#include <QApplication>
#include <QBuffer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QKeyEvent>
#include <QKeySequence>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <sys/stat.h>

namespace {

int Num(const std::string& word)
{
    int64_t v = 0;
    ParseScriptNumber(word, v);
    return int(v);
}

// Whether what prints in hexadecimal: 32-bit pixels, colour values, alphas.
bool PrintsHex(const std::vector<std::string>& what)
{
    const std::string& kind = what[0];
    if (kind == "pixel" || kind == "work" || kind == "gradation" || kind == "canvas")
        return true;
    if (kind == "field")
        return what[1].rfind("m_cr", 0) == 0;
    return kind == "layer" && what[2] == "m_nAlpha";
}

// Hexadecimal forms compare without regard to letter case.
bool SameValue(const std::vector<std::string>& what, const std::string& got,
               const std::string& want)
{
    if (got == want)
        return true;
    return PrintsHex(what) &&
           QString::fromStdString(got).compare(QString::fromStdString(want), Qt::CaseInsensitive) == 0;
}

std::string Utf8(const QString& s) { return s.toUtf8().toStdString(); }

} // namespace

// The statements and print targets of the script language. A null entry is
// a statement this build parses but does not carry out yet.
const CScriptRunner::VerbEntry CScriptRunner::kVerbs[] = {
    {"new", &CScriptRunner::OnNew},
    {"open", &CScriptRunner::OnOpen},
    {"save", &CScriptRunner::OnSave},
    {"command", &CScriptRunner::OnCommand},
    {"answer", &CScriptRunner::OnAnswer},
    {"print", &CScriptRunner::OnPrint},
    {"expect", &CScriptRunner::OnExpect},
    {"snapshot", &CScriptRunner::OnSnapshot},
    {"press", &CScriptRunner::OnPress},
    {"move", &CScriptRunner::OnMove},
    {"release", &CScriptRunner::OnRelease},
    {"key", &CScriptRunner::OnKey},
    {"char", &CScriptRunner::OnChar},
    {"type", &CScriptRunner::OnType},
    {"focus", &CScriptRunner::OnFocus},
    {"wheel", &CScriptRunner::OnWheel},
    {"drop", &CScriptRunner::OnDrop},
    {"pane", &CScriptRunner::OnPane},
    {"tab", &CScriptRunner::OnTab},
    {"anime", &CScriptRunner::OnAnime},
    {"map", &CScriptRunner::OnMap},
    {"wait", &CScriptRunner::OnWait},
    {"clipboard", &CScriptRunner::OnClipboard},
};

const CScriptRunner::PrintEntry CScriptRunner::kPrints[] = {
    {"pixel", &CScriptRunner::PrintPixel},
    {"work", &CScriptRunner::PrintWork},
    {"canvas", &CScriptRunner::PrintCanvas},
    {"palette", &CScriptRunner::PrintPalette},
    {"field", &CScriptRunner::PrintField},
    {"layer", &CScriptRunner::PrintLayer},
    {"menu", &CScriptRunner::PrintMenu},
    {"title", &CScriptRunner::PrintTitle},
    {"help", &CScriptRunner::PrintHelp},
    {"status", &CScriptRunner::PrintStatus},
    {"modified", &CScriptRunner::PrintModified},
    {"gradation", &CScriptRunner::PrintGradation},
    {"tab", &CScriptRunner::PrintTab},
    {"scroll", &CScriptRunner::PrintScroll},
    {"anime", &CScriptRunner::PrintAnime},
    {"map", &CScriptRunner::PrintMap},
    {"job", &CScriptRunner::PrintJob},
    {"console", &CScriptRunner::PrintConsole},
};

CScriptRunner::Handler CScriptRunner::FindHandler(const std::string& verb, bool& known)
{
    for (const VerbEntry& e : kVerbs) {
        if (verb == e.verb) {
            known = true;
            return e.handler;
        }
    }
    known = false;
    return nullptr;
}

CScriptRunner::Printer CScriptRunner::FindPrinter(const std::string& what, bool& known)
{
    for (const PrintEntry& e : kPrints) {
        if (what == e.what) {
            known = true;
            return e.printer;
        }
    }
    known = false;
    return nullptr;
}

bool CScriptRunner::CheckAvailable(const ScriptStatement& st, std::string& error)
{
    const std::string line = "line " + std::to_string(st.line) + ": ";
    bool known = false;
    if (!FindHandler(st.verb, known)) {
        error = line + "'" + st.verb + "' is not available";
        return false;
    }
    const std::vector<std::string>* what = nullptr;
    if (st.verb == "print")
        what = &st.args;
    else if (st.verb == "expect")
        what = &st.what;
    if (what && !what->empty() && !FindPrinter((*what)[0], known)) {
        error = line + "'print " + (*what)[0] + "' is not available";
        return false;
    }
    // A command name must be one of the list; numbers are checked when run.
    const std::string* command = nullptr;
    if (st.verb == "command")
        command = &st.args[0];
    else if (what && what->size() > 1 && (*what)[0] == "menu")
        command = &(*what)[1];
    int id = 0;
    if (command && !CCommandTable::Resolve(*command, id)) {
        error = line + "unknown command '" + *command + "'";
        return false;
    }
    return true;
}

bool CScriptRunner::Prepare(const std::string& text, std::vector<ScriptStatement>& statements)
{
    std::string error;
    if (!ParseScript(text, statements, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return false;
    }
    for (const ScriptStatement& st : statements) {
        if (!CheckAvailable(st, error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return false;
        }
    }
    return true;
}

int CScriptRunner::Run(const QString& scriptPath, const QString& documentPath)
{
    QFile file(scriptPath);
    if (!file.open(QIODevice::ReadOnly)) {
        // The file and the reason, as every failed read is told.
        const std::string path = scriptPath.toStdString();
        struct stat st {};
        const int error = ::stat(path.c_str(), &st) != 0 ? errno
                          : S_ISDIR(st.st_mode)           ? EISDIR
                                                          : EACCES;
        std::fprintf(stderr, "tesvan: %s\n", TrCore(ReadErrorText(path, error)).c_str());
        return kMalformed;
    }
    std::vector<ScriptStatement> statements;
    if (!Prepare(file.readAll().toStdString(), statements))
        return kMalformed;
    CTesvanApp app;
    if (!app.InitForScript()) {
        std::fprintf(stderr, "tesvan: %s\n",
                     QCoreApplication::translate("ScriptRunner", "エディターを起動できませんでした。")
                         .toLocal8Bit()
                         .constData());
        return kFailed;
    }
    return Execute(app, statements, documentPath);
}

int CScriptRunner::RunText(CTesvanApp& app, const std::string& text)
{
    std::vector<ScriptStatement> statements;
    if (!Prepare(text, statements))
        return kMalformed;
    return Execute(app, statements, QString());
}

int CScriptRunner::Execute(CTesvanApp& app, const std::vector<ScriptStatement>& statements,
                           const QString& documentPath)
{
    CScriptUiPort port;
    m_pPort = &port;
    struct Forget {
        CScriptRunner* runner;
        ~Forget()
        {
            runner->m_pPort = nullptr;
            CAnimaitionDlg::SetManualTicks(false);
        }
    } forget{this};
    // The animation timer ticks only when the script says so.
    CAnimaitionDlg::SetManualTicks(true);
    m_pApp = &app;
    m_pFrame = app.GetMainFrame();
    if (!m_pFrame || !app.GetDocument()) {
        std::fprintf(stderr, "tesvan: %s\n",
                     QCoreApplication::translate("ScriptRunner", "エディターを起動できませんでした。")
                         .toLocal8Bit()
                         .constData());
        return kFailed;
    }

    // A modal window of the toolkit that no port call answers (the about box)
    // would wait for a person forever: the port answers it from the queue.
    QTimer guard;
    guard.setInterval(20);
    QObject::connect(&guard, &QTimer::timeout, [&port] {
        if (QWidget* modal = QApplication::activeModalWidget())
            port.AnswerModalWindow(modal);
    });
    guard.start();

    int status = kOk;
    if (!documentPath.isEmpty()) {
        const std::string path = ExpandScriptPath(documentPath.toStdString());
        const int messages = port.MessageCount();
        app.OpenDocumentFile(QString::fromStdString(path));
        QCoreApplication::sendPostedEvents();
        if (port.FailStatus()) {
            std::fprintf(stderr, "%s\n", port.FailMessage().c_str());
            return kNoAnswer;
        }
        const QString wanted = QFileInfo(QString::fromStdString(path)).canonicalFilePath();
        // A picture opens as an untitled document: it has no path to compare.
        const bool picture = CTesvanDoc::IsPictureFile(path);
        if (port.MessageCount() != messages || wanted.isEmpty() ||
            (!picture && QFileInfo(QString::fromStdString(Doc()->GetPathName())).canonicalFilePath() != wanted)) {
            std::fprintf(stderr, "tesvan: cannot open %s\n", path.c_str());
            return kFailed;
        }
    }

    // The start-up offer of recovery copies comes up once the answers queued
    // at the top of the script are there to meet it.
    bool offered = false;
    auto offer = [&] {
        if (offered)
            return;
        offered = true;
        // A copy that cannot be read is a failed read of the run.
        const unsigned failures = FileFailureCount();
        app.OfferRecovery();
        QCoreApplication::sendPostedEvents();
        if (FileFailureCount() != failures)
            status = kFailed;
    };
    for (const ScriptStatement& st : statements) {
        if (st.verb != "answer") {
            offer();
            if (port.FailStatus()) {
                std::fprintf(stderr, "%s\n", port.FailMessage().c_str());
                return kNoAnswer;
            }
        }
        port.SetLine(st.line);
        bool known = false;
        // Any failed read or write of the statement fails the run at its end.
        const unsigned failures = FileFailureCount();
        const int result = (this->*FindHandler(st.verb, known))(st);
        QCoreApplication::sendPostedEvents();
        if (FileFailureCount() != failures && result == kOk)
            status = kFailed;
        if (port.FailStatus()) {
            std::fprintf(stderr, "%s\n", port.FailMessage().c_str());
            return kNoAnswer;
        }
        if (result == kMalformed)
            return kMalformed;
        if (result == kFailed)
            status = kFailed;
    }
    offer();
    if (port.FailStatus()) {
        std::fprintf(stderr, "%s\n", port.FailMessage().c_str());
        return kNoAnswer;
    }
    if (port.QueuedCount() > 0)
        std::fprintf(stderr, "tesvan: %zu queued answer(s) left unused\n", port.QueuedCount());
    return status;
}

int CScriptRunner::Malformed(const ScriptStatement& st, const std::string& message)
{
    std::fprintf(stderr, "line %d: %s\n", st.line, message.c_str());
    return kMalformed;
}

int CScriptRunner::RunCommand(const ScriptStatement& st, int id)
{
    const CMainFrame::CommandState state = m_pFrame->QueryCommand(id);
    if (!state.known)
        return Malformed(st, "unknown command " + std::to_string(id));
    if (!state.enabled) {
        PrintScriptLine("disabled: " + std::to_string(id));
        return kOk;
    }
    m_pFrame->ExecuteCommand(id);
    return kOk;
}

// open and save: the command with PATH as the answer of its file dialog. The
// operation failed when the system said so or the document does not end up
// with that path; a cancelled question is not a failure.
int CScriptRunner::RunFileCommand(const ScriptStatement& st, int id, const std::string& word)
{
    const std::string path = ExpandScriptPath(word);
    const int messages = m_pPort->MessageCount();
    const int cancels = m_pPort->CancelCount();
    m_pPort->SetPendingFile(path, id == Cmd::FileOpen);
    int result = RunCommand(st, id);
    const bool dialogShown = !m_pPort->HasPendingFile();
    m_pPort->ClearPendingFile();
    if (result != kOk || m_pPort->FailStatus())
        return result;
    if (!dialogShown) {
        if (m_pPort->CancelCount() != cancels)
            return kOk;
        std::fprintf(stderr, "line %d: the file dialog did not come up\n", st.line);
        return kFailed;
    }
    const QString wanted =
        QFileInfo(QString::fromStdString(m_pPort->LastFile())).canonicalFilePath();
    const QString now = QFileInfo(QString::fromStdString(Doc()->GetPathName())).canonicalFilePath();
    // An opened picture is an untitled document: no path to compare.
    const bool picture = id == Cmd::FileOpen && CTesvanDoc::IsPictureFile(m_pPort->LastFile());
    const bool failed = m_pPort->MessageCount() != messages ||
                        (m_pPort->CancelCount() == cancels &&
                         (wanted.isEmpty() || (wanted != now && !picture)));
    if (failed) {
        std::fprintf(stderr, "line %d: %s failed: %s\n", st.line, st.verb.c_str(), path.c_str());
        return kFailed;
    }
    return kOk;
}

int CScriptRunner::OnWait(const ScriptStatement& st)
{
    QEventLoop loop;
    QTimer::singleShot(Num(st.args[0]), &loop, &QEventLoop::quit);
    loop.exec();
    return kOk;
}

int CScriptRunner::OnNew(const ScriptStatement& st) { return RunCommand(st, Cmd::FileNew); }

int CScriptRunner::OnOpen(const ScriptStatement& st) { return RunFileCommand(st, Cmd::FileOpen, st.args[0]); }

int CScriptRunner::OnSave(const ScriptStatement& st) { return RunFileCommand(st, Cmd::FileSaveAs, st.args[0]); }

int CScriptRunner::OnCommand(const ScriptStatement& st)
{
    int id = 0;
    if (!CCommandTable::Resolve(st.args[0], id))
        return Malformed(st, "unknown command " + st.args[0]);
    const int messages = m_pPort->MessageCount();
    int result = RunCommand(st, id);
    // A file command that ends in a message of the system failed.
    if (result == kOk && (id == Cmd::FileOpen || id == Cmd::FileSave || id == Cmd::FileSaveAs) &&
        m_pPort->MessageCount() != messages)
        return kFailed;
    return result;
}

int CScriptRunner::OnAnswer(const ScriptStatement& st)
{
    m_pPort->Queue(ReadScriptAnswer(st));
    return kOk;
}

bool CScriptRunner::Evaluate(const std::vector<std::string>& what, std::string& out,
                             std::string& error)
{
    bool known = false;
    Printer printer = FindPrinter(what[0], known);
    std::vector<std::string> rest(what.begin() + 1, what.end());
    return (this->*printer)(rest, out, error);
}

int CScriptRunner::OnPrint(const ScriptStatement& st)
{
    std::string out, error;
    if (!Evaluate(st.args, out, error))
        return Malformed(st, error);
    PrintScriptLine(out);
    return kOk;
}

int CScriptRunner::OnExpect(const ScriptStatement& st)
{
    std::string out, error;
    if (!Evaluate(st.what, out, error))
        return Malformed(st, error);
    if (SameValue(st.what, out, st.value))
        return kOk;
    PrintScriptLine("expect failed at line " + std::to_string(st.line) + ": got " + out);
    return kFailed;
}

int CScriptRunner::OnSnapshot(const ScriptStatement& st)
{
    const QString path = QString::fromStdString(ExpandScriptPath(st.args[0]));
    // The window renders as a person sees it only once it is laid out, which
    // takes showing it (on the offscreen platform of a batch run).
    if (!m_pFrame->isVisible()) {
        m_pFrame->setAttribute(Qt::WA_DontShowOnScreen, true);
        m_pFrame->show();
        QCoreApplication::sendPostedEvents();
    }
    QPixmap shot = m_pFrame->grab();
    QByteArray png;
    QBuffer buffer(&png);
    std::string error;
    if (shot.isNull() || !buffer.open(QIODevice::WriteOnly) || !shot.save(&buffer, "PNG") ||
        !WriteFileSafely(path.toStdString(), png.constData(), size_t(png.size()), &error)) {
        std::fprintf(stderr, "line %d: cannot write %s %s\n", st.line, path.toLocal8Bit().constData(),
                     error.c_str());
        return kFailed;
    }
    return kOk;
}

CTesvanDoc* CScriptRunner::Doc() const { return m_pApp->GetDocument(); }

bool CScriptRunner::PixelText(const CImageEx* image, int x, int y, std::string& out,
                              std::string& error)
{
    if (!image || image->IsNull()) {
        out = "none";
        return true;
    }
    if (x < 0 || y < 0 || x >= image->GetWidth() || y >= image->GetHeight()) {
        error = "pixel " + std::to_string(x) + " " + std::to_string(y) + " lies outside the " +
                std::to_string(image->GetWidth()) + "x" + std::to_string(image->GetHeight()) +
                " image";
        return false;
    }
    const uint8_t* row = image->GetRow(y);
    if (image->GetBPP() == 8) {
        out = std::to_string(row[x]);
        return true;
    }
    const uint8_t* p = row + 4 * x;
    out = HexText(uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0], 8);
    return true;
}

bool CScriptRunner::PrintPixel(const std::vector<std::string>& w, std::string& out,
                               std::string& error)
{
    const CLayer& layer = Doc()->m_Layers[Num(w[0])];
    return PixelText(layer.m_pImage, Num(w[1]), Num(w[2]), out, error);
}

bool CScriptRunner::PrintWork(const std::vector<std::string>& w, std::string& out,
                              std::string& error)
{
    return PixelText(&Doc()->m_imgWork, Num(w[0]), Num(w[1]), out, error);
}

bool CScriptRunner::PrintPalette(const std::vector<std::string>& w, std::string& out,
                                 std::string&)
{
    const RGBQUAD& e = Doc()->m_Palette[Num(w[0])];
    out = std::to_string(e.rgbRed) + " " + std::to_string(e.rgbGreen) + " " +
          std::to_string(e.rgbBlue);
    return true;
}

bool CScriptRunner::PrintField(const std::vector<std::string>& w, std::string& out,
                               std::string& error)
{
    if (DocFieldText(*Doc(), w[0], out))
        return true;
    error = "the document has no field '" + w[0] + "'";
    return false;
}

bool CScriptRunner::PrintLayer(const std::vector<std::string>& w, std::string& out,
                               std::string& error)
{
    if (LayerFieldText(Doc()->m_Layers[Num(w[0])], w[1], out))
        return true;
    error = "a layer has no field '" + w[1] + "'";
    return false;
}

bool CScriptRunner::PrintMenu(const std::vector<std::string>& w, std::string& out,
                              std::string& error)
{
    int id = 0;
    const CMainFrame::CommandState state =
        CCommandTable::Resolve(w[0], id) ? m_pFrame->QueryCommand(id) : CMainFrame::CommandState{};
    if (!state.known) {
        error = "unknown command " + w[0];
        return false;
    }
    out = std::string(state.enabled ? "enabled" : "disabled") +
          (state.checked ? " checked " : " unchecked ") + EscapeScriptText(Utf8(state.text));
    return true;
}

bool CScriptRunner::PrintTitle(const std::vector<std::string>&, std::string& out, std::string&)
{
    // As the idle refresh would show it now.
    m_pFrame->UpdateTitle();
    // The toolkit's modified marker shows as "*" only while the window is modified.
    QString title = m_pFrame->windowTitle();
    title.replace(QStringLiteral("[*]"), m_pFrame->isWindowModified() ? QStringLiteral("*") : QString());
    out = Utf8(title);
    return true;
}

bool CScriptRunner::PrintHelp(const std::vector<std::string>&, std::string& out, std::string&)
{
    const QString title = m_pFrame->HelpWindow() ? m_pFrame->HelpWindow()->PageTitle() : QString();
    out = title.isEmpty() ? std::string("none") : Utf8(title);
    return true;
}

bool CScriptRunner::PrintStatus(const std::vector<std::string>&, std::string& out, std::string&)
{
    out = Utf8(m_pFrame->PointerStatus());
    return true;
}

bool CScriptRunner::PrintCanvas(const std::vector<std::string>& w, std::string& out, std::string&)
{
    const QRgb c = m_pFrame->RightView()->ShownColor(CPoint{Num(w[0]), Num(w[1])});
    out = "#" + HexText(0xFF000000u | c, 8);
    return true;
}

bool CScriptRunner::PrintModified(const std::vector<std::string>&, std::string& out, std::string&)
{
    out = Doc()->IsModified() ? "1" : "0";
    return true;
}

bool CScriptRunner::PrintGradation(const std::vector<std::string>& w, std::string& out,
                                   std::string&)
{
    const CGradationInfo& g = Doc()->m_Gradations[Num(w[0])];
    out = std::to_string(g.nCount) + " " + ColorText(g.crFirst) + " " + ColorText(g.crCenter) +
          " " + ColorText(g.crLast) + " " + std::to_string(g.nCenterPos);
    return true;
}

// ---------------------------------------------------------------- canvas input

unsigned CScriptRunner::InputFlags(const std::vector<std::string>& words, size_t first) const
{
    unsigned flags = m_nHeldButtons;
    for (size_t i = first; i < words.size(); ++i) {
        if (words[i] == "ctrl")
            flags |= kKeyFlagControl;
        else if (words[i] == "shift")
            flags |= kKeyFlagShift;
        else if (words[i] == "alt")
            flags |= kKeyFlagAlt;
    }
    if (m_Modifiers & Qt::AltModifier)
        flags |= kKeyFlagAlt;
    return flags;
}

namespace {

// A script point is logical; the canvas receives it as a client point.
CPoint ClientPoint(CRightView* view, int x, int y)
{
    const CPoint scroll = view->ScrollPosition();
    return CPoint{x - scroll.x, y - scroll.y};
}

} // namespace

int CScriptRunner::OnPress(const ScriptStatement& st)
{
    CRightView* view = m_pFrame->RightView();
    const int button = st.args[2] == "left" ? 1 : 2;
    m_nHeldButtons |= button == 1 ? kKeyFlagLButton : kKeyFlagRButton;
    view->Input().OnButtonDown(ClientPoint(view, Num(st.args[0]), Num(st.args[1])),
                               InputFlags(st.args, 3), button);
    return kOk;
}

int CScriptRunner::OnMove(const ScriptStatement& st)
{
    CRightView* view = m_pFrame->RightView();
    view->Input().OnMouseMove(ClientPoint(view, Num(st.args[0]), Num(st.args[1])),
                              InputFlags(st.args, 2));
    return kOk;
}

int CScriptRunner::OnRelease(const ScriptStatement& st)
{
    const int button = st.args[0] == "left" ? 1 : 2;
    m_nHeldButtons &= ~(button == 1 ? kKeyFlagLButton : kKeyFlagRButton);
    m_pFrame->RightView()->Input().OnButtonUp(button, InputFlags(st.args, 1));
    return kOk;
}

int CScriptRunner::OnKey(const ScriptStatement& st)
{
    const std::string& which = st.args[1];
    const bool down = st.args[0] == "down";
    // Modifiers held by the script join the keys that follow.
    auto hold = [&](Qt::KeyboardModifier modifier) {
        m_Modifiers = down ? (m_Modifiers | modifier) : (m_Modifiers & ~modifier);
    };
    const bool control = which == "control" || which == "ctrl";
    if (which == "shift" || which == "escape" || control) {
        if (which != "escape")
            hold(control ? Qt::ControlModifier : Qt::ShiftModifier);
        const int key = which == "shift" ? kVkShift : which == "escape" ? kVkEscape : kVkControl;
        CCanvasInput& input = m_pFrame->RightView()->Input();
        if (down)
            input.OnKeyDown(key);
        else
            input.OnKeyUp(key);
        return kOk;
    }
    if (which == "alt" || which == "meta") {
        hold(which == "alt" ? Qt::AltModifier : Qt::MetaModifier);
        return kOk;
    }
    // Any other key Qt names, as a person presses it where the focus is:
    // the shortcuts first (unless the focus types it), then the widget.
    const QKeySequence sequence = QKeySequence::fromString(QString::fromStdString(which), QKeySequence::PortableText);
    if (sequence.count() != 1 || sequence[0].key() == Qt::Key_unknown ||
        sequence[0].keyboardModifiers() != Qt::NoModifier)
        return Malformed(st, "unknown key " + which);
    const Qt::Key key = sequence[0].key();
    QString text;
    if (!(m_Modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        if (key >= Qt::Key_A && key <= Qt::Key_Z)
            text = QChar(m_Modifiers & Qt::ShiftModifier ? int(key) : int(key) - 'A' + 'a');
        else if (key >= Qt::Key_Space && key <= Qt::Key_AsciiTilde)
            text = QChar(int(key));
        else if (key == Qt::Key_Return || key == Qt::Key_Enter)
            text = QStringLiteral("\r");
        else if (key == Qt::Key_Backspace)
            text = QStringLiteral("\b");
    }
    QWidget* target = QApplication::focusWidget();
    if (!target || !target->isVisible())
        target = m_pFrame->RightView();
    if (down) {
        if (m_pFrame->DispatchKey(target, QKeyCombination(m_Modifiers, key), text))
            return kOk;
        QKeyEvent press(QEvent::KeyPress, key, m_Modifiers, text);
        QCoreApplication::sendEvent(target, &press);
    } else {
        QKeyEvent release(QEvent::KeyRelease, key, m_Modifiers, text);
        QCoreApplication::sendEvent(target, &release);
    }
    return kOk;
}

// clipboard set PATH: the picture goes on the desktop clipboard as another
// program puts it there; clipboard get PATH: the clipboard's picture as PNG.
int CScriptRunner::OnClipboard(const ScriptStatement& st)
{
    const QString path = QString::fromStdString(ExpandScriptPath(st.args[1]));
    if (st.args[0] == "set") {
        ClipboardPicture picture;
        if (!CQtUiPort::PictureFromImage(QImage(path), picture)) {
            std::fprintf(stderr, "line %d: cannot read %s\n", st.line, path.toLocal8Bit().constData());
            return kFailed;
        }
        m_pPort->SetForeignPicture(picture);
        return kOk;
    }
    ClipboardPicture picture;
    bool foreign = false;
    QByteArray png;
    QBuffer buffer(&png);
    std::string error = "the clipboard holds no picture";
    if (m_pPort->GetClipboardPicture(picture, foreign)) {
        const QImage image = CQtUiPort::ImageFromPicture(picture);
        error.clear();
        if (image.isNull() || !buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG"))
            error = "cannot encode the picture";
        else if (WriteFileSafely(path.toStdString(), png.constData(), size_t(png.size()), &error))
            return kOk;
    }
    std::fprintf(stderr, "line %d: cannot write %s: %s\n", st.line, path.toLocal8Bit().constData(),
                 error.c_str());
    return kFailed;
}

int CScriptRunner::OnChar(const ScriptStatement& st)
{
    m_pFrame->RightView()->Input().OnChar(unsigned(Num(st.args[0])) & 0xFF);
    return kOk;
}

int CScriptRunner::OnType(const ScriptStatement& st)
{
    std::string bytes;
    if (!CanvasTextBytes(st.args[0], bytes))
        return Malformed(st, "the text has a character without a code in code page 932");
    CCanvasInput& input = m_pFrame->RightView()->Input();
    for (char c : bytes)
        input.OnChar(uint8_t(c));
    return kOk;
}

// wheel X Y up|down [ctrl] [shift]: one wheel step at a logical point.
int CScriptRunner::OnWheel(const ScriptStatement& st)
{
    CRightView* view = m_pFrame->RightView();
    view->Wheel(ClientPoint(view, Num(st.args[0]), Num(st.args[1])), st.args[2] == "up" ? 1 : -1,
                InputFlags(st.args, 3));
    return kOk;
}

// drop PATH X Y: a file dropped on the canvas; any dialog it brings up takes
// the queued answers at once.
int CScriptRunner::OnDrop(const ScriptStatement& st)
{
    m_pFrame->DropFile(QString::fromStdString(ExpandScriptPath(st.args[0])), true);
    return kOk;
}

int CScriptRunner::OnFocus(const ScriptStatement& st)
{
    CCanvasInput& input = m_pFrame->RightView()->Input();
    if (st.args[0] == "canvas")
        input.OnSetFocus();
    else
        input.OnKillFocus();
    return kOk;
}

// pane release X Y left|right [ctrl]: the pane's own release handling; a
// Control release leaves the palette menu to the next command.
int CScriptRunner::OnPane(const ScriptStatement& st)
{
    bool control = false;
    for (size_t i = 4; i < st.args.size(); ++i)
        control = control || st.args[i] == "ctrl";
    m_pFrame->LeftView()->ReleaseAt(Num(st.args[1]), Num(st.args[2]), st.args[3] == "left" ? 0 : 1,
                                    control, nullptr);
    return kOk;
}

// tab select N / tab menu N: as the person selects or right-clicks tab N.
int CScriptRunner::OnTab(const ScriptStatement& st)
{
    CTesvanView* view = m_pFrame->TabView();
    const int tab = Num(st.args[1]);
    if (st.args[0] == "select")
        view->SelectTab(tab);
    else
        view->OpenLayerMenu(tab, nullptr);
    return kOk;
}

bool CScriptRunner::PrintTab(const std::vector<std::string>& w, std::string& out, std::string&)
{
    CTesvanView* view = m_pFrame->TabView();
    const int tab = Num(w[0]);
    out = std::to_string(view->TabIconIndex(tab)) + " " + Utf8(view->TabText(tab));
    return true;
}

bool CScriptRunner::PrintScroll(const std::vector<std::string>& w, std::string& out, std::string&)
{
    const QSize size = w[0] == "canvas" ? m_pFrame->RightView()->ScrollSize()
                                        : m_pFrame->LeftView()->ScrollSize();
    out = std::to_string(size.width()) + " " + std::to_string(size.height());
    return true;
}

CAnimaitionDlg* CScriptRunner::AnimeWindow() const
{
    Doc()->CreateAnimeWindow();
    return dynamic_cast<CAnimaitionDlg*>(Doc()->m_pAnimeDlg);
}

int CScriptRunner::OnAnime(const ScriptStatement& st)
{
    CAnimaitionDlg* window = AnimeWindow();
    if (!window) {
        std::fprintf(stderr, "line %d: there is no animation window\n", st.line);
        return kFailed;
    }
    if (st.args[0] == "setting") {
        window->OnSetting(Num(st.args[1]));
        return kOk;
    }
    window->OnTimer(st.args.size() > 1 ? Num(st.args[1]) : 1);
    return kOk;
}

bool CScriptRunner::PrintAnime(const std::vector<std::string>& w, std::string& out,
                               std::string& error)
{
    CAnimaitionDlg* window = AnimeWindow();
    const int cell = window ? window->ShownCell(Num(w[0])) : -1;
    out = cell < 0 ? "none" : std::to_string(cell);
    return true;
}

bool CScriptRunner::PrintConsole(const std::vector<std::string>& w, std::string& out, std::string&)
{
    const ConsoleTarget* target = FindConsoleTarget(w[0]);
    out = target ? TrCore(ConsoleCheckLine(*Doc(), *target)) : std::string();
    return target != nullptr;
}

namespace {

unsigned MapKeys(const std::vector<std::string>& args, size_t from)
{
    unsigned keys = 0;
    for (size_t i = from; i < args.size(); ++i)
        keys |= args[i] == "ctrl" ? kMapKeyCtrl : args[i] == "shift" ? kMapKeyShift : args[i] == "alt" ? kMapKeyAlt : 0u;
    return keys;
}

} // namespace

// The map view's statements go through the view's own input object.
int CScriptRunner::OnMap(const ScriptStatement& st)
{
    CMapWindow* window = MapWindow();
    if (!window) {
        std::fprintf(stderr, "line %d: there is no map window\n", st.line);
        return kFailed;
    }
    CMapView* view = window->View();
    CMapInput& input = view->Input();
    CTesvanDoc& doc = *Doc();
    const std::string& what = st.args[0];
    if (what == "press") {
        input.Press({Num(st.args[1]), Num(st.args[2])}, st.args[3] == "left" ? 1 : 2, MapKeys(st.args, 4));
    } else if (what == "move") {
        input.Move({Num(st.args[1]), Num(st.args[2])}, MapKeys(st.args, 3));
    } else if (what == "release") {
        input.Release(st.args[1] == "left" ? 1 : 2, MapKeys(st.args, 2));
    } else if (what == "key") {
        if (st.args[1] == "down") {
            std::string name = st.args[2];
            for (char& c : name)
                c = char(std::tolower(static_cast<unsigned char>(c)));
            input.Key(name);
        }
    } else if (what == "wheel") {
        input.Wheel({Num(st.args[1]), Num(st.args[2])}, st.args[3] == "up", MapKeys(st.args, 4) & kMapKeyCtrl);
        view->Refresh();
    } else if (what == "select") {
        if (!mapedit::SelectMap(doc, Num(st.args[1]) - 1))
            return Malformed(st, "there is no map " + st.args[1]);
    } else if (what == "layer") {
        if (!mapedit::SelectMapLayer(doc, Num(st.args[1])))
            return Malformed(st, "there is no map layer " + st.args[1]);
    }
    window->RefreshControls();
    view->viewport()->update();
    return kOk;
}

bool CScriptRunner::PrintMap(const std::vector<std::string>& w, std::string& out, std::string& error)
{
    CTesvanDoc& doc = *Doc();
    if (w.size() == 1 && w[0] == "zoom") {
        CMapWindow* window = MapWindow();
        out = window ? std::to_string(window->View()->Input().Zoom()) : "none";
        return true;
    }
    int64_t k = 0, l = 0, x = 0, y = 0;
    if ((w.size() != 1 && w.size() != 4) || !ParseScriptNumber(w[0], k) ||
        (w.size() == 4 && (!ParseScriptNumber(w[1], l) || !ParseScriptNumber(w[2], x) || !ParseScriptNumber(w[3], y)))) {
        error = "print map takes K, K L X Y or zoom";
        return false;
    }
    if (k < 1 || k > int64_t(doc.m_Maps.maps.size())) {
        out = "none";
        return true;
    }
    const CChipMap& m = doc.m_Maps.maps[size_t(k - 1)];
    if (w.size() == 1) {
        out = m.strName + " " + std::to_string(m.nWidth) + " " + std::to_string(m.nHeight) + " " +
              std::to_string(m.layers.size());
        return true;
    }
    if (l < 0 || l >= int64_t(m.layers.size()) || !m.Inside(int(x), int(y))) {
        out = "none";
        return true;
    }
    const uint32_t v = m.At(int(l), int(x), int(y));
    if (chip::IsEmpty(v)) {
        out = "-";
        return true;
    }
    out = std::to_string(chip::CellOf(v));
    const std::string flips = chip::FlipText(chip::FlipsOf(v));
    if (!flips.empty())
        out += " " + flips;
    return true;
}

bool CScriptRunner::PrintJob(const std::vector<std::string>&, std::string& out, std::string&)
{
    out = m_pPort->LastJob();
    return true;
}
