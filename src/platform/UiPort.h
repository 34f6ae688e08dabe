// The user-interface port: everything the document and the editing code may
// ask of the person at the screen. The Qt shell answers with real dialogs,
// the script runner with queued answers, tests with a recording fake.
#pragma once

#include "platform/LogFont.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CDialogModel;
class CImageEx;

enum class UiAnswer { Yes, No, Cancel };

struct FileDialogRequest {
    bool open = true;                 // open dialog (true) or save dialog (false)
    std::string title;                // empty: the toolkit's default title
    // Filter pairs as the framework keeps them: display name, then the
    // ";"-separated patterns, e.g. {"Tesvan Files (*.tvn)", "*.tvn"}.
    std::vector<std::pair<std::string, std::string>> filters;
    int selectedFilter = 0;
    std::string initialName;          // file name proposed in the name box
    bool initialNameIsText = false;   // it is the program's own text ("無題"), shown translated
    std::string folder;               // starting folder, empty for the default
    std::string defaultExt;           // appended to a typed name without one ("tvn")
    bool extFollowsFilter = false;    // CFileDlgEx: the default extension follows the chosen filter
    // Not null: the dialog also offers a scale of 1 to 16 ("倍率") for the
    // picture, starting from and returning *scale.
    int* scale = nullptr;
};

// The drawing surface of a chosen printer: one job of pages.
class CPrintSink {
public:
    virtual ~CPrintSink() = default;
    // Starts a job with the document name; false when the printer refuses.
    virtual bool StartDoc(const std::string& name) = 0;
    virtual bool StartPage() = 0;
    // Draws the whole image by its own draw rule over the paper, stretched to
    // (0, 0, width, height) of the printable area.
    virtual void DrawImage(const CImageEx& image, int width, int height) = 0;
    virtual void EndPage() = 0;
    // Ends the job, whether or not it started.
    virtual void EndDoc() = 0;
    // True when a started job could not be completed (its output could not
    // be written); the sink has reported why.
    virtual bool Failed() const { return false; }
};

// The printer chosen in the print dialog, in its device pixels.
struct PrinterChoice {
    int nPageWidth = 0;               // physical page
    int nPageHeight = 0;
    int nOffsetX = 0;                 // physical offsets of the printable area
    int nOffsetY = 0;
    std::shared_ptr<CPrintSink> pSink;
};

// A picture on the desktop clipboard: 32-bit pixels with straight alpha, in
// blue, green, red, alpha byte order, rows from the top.
struct ClipboardPicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> bgra;  // width * height * 4 bytes
};

class CUiPort {
public:
    virtual ~CUiPort() = default;

    // An information box with the given text and an OK button.
    virtual void MessageBox(const std::string& text) = 0;
    // A question box: Yes / No, or Yes / No / Cancel when withCancel is set.
    virtual UiAnswer Question(const std::string& text, bool withCancel) = 0;
    // An open or save file dialog; false when the person cancels.
    virtual bool FileDialog(const FileDialogRequest& request, std::string& path) = 0;
    // The colour chooser, starting from and returning a 0x00BBGGRR value.
    virtual bool ChooseColor(uint32_t& colour) = 0;
    // The folder chooser; false on cancel.
    virtual bool ChooseFolder(const std::string& title, std::string& folder) = 0;
    // The font chooser, opened on the given record and updating it on OK.
    virtual bool ChooseFont(LogFont& font) { return false; }
    // One of the editor's own dialogs, run modally; true when confirmed (the
    // model then holds the confirmed fields), false on cancel.
    virtual bool DoModal(CDialogModel& dialog) { return false; }
    // The print dialog; on OK the choice holds the printer's page and its
    // drawing surface.
    virtual bool ChoosePrinter(PrinterChoice& choice) { return false; }
    // Puts a picture on the desktop clipboard, for other programs to paste.
    virtual void SetClipboardPicture(const ClipboardPicture& picture) {}
    // Whether the desktop clipboard holds a picture; cheap enough to ask
    // whenever the menus are refreshed.
    virtual bool HasClipboardPicture() { return false; }
    // The desktop clipboard's picture; false when it holds none. `foreign`:
    // another program put it there after our last SetClipboardPicture.
    virtual bool GetClipboardPicture(ClipboardPicture& picture, bool& foreign) { return false; }
};

// A port for runs without a person (batch modes): records every message
// and question, answers questions with Cancel and cancels every chooser.
// It is the port in use while it lives.
class CCollectingUiPort : public CUiPort {
public:
    CCollectingUiPort();
    ~CCollectingUiPort() override;
    void MessageBox(const std::string& text) override { messages.push_back(text); }
    UiAnswer Question(const std::string& text, bool) override
    {
        messages.push_back(text);
        return UiAnswer::Cancel;
    }
    bool FileDialog(const FileDialogRequest&, std::string&) override { return false; }
    bool ChooseColor(uint32_t&) override { return false; }
    bool ChooseFolder(const std::string&, std::string&) override { return false; }
    // `head` followed by ": " and each message from the `from`th on.
    std::string Because(std::string head, size_t from = 0) const
    {
        for (size_t i = from; i < messages.size(); ++i)
            head += ": " + messages[i];
        return head;
    }

    std::vector<std::string> messages;
};

// The port in use. Before a shell installs one, a silent port answers every
// question with Cancel and every chooser with a cancel.
CUiPort& UiPort();
void SetUiPort(CUiPort* port);
