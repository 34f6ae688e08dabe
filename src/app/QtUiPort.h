// The user-interface port answered by Qt dialogs.
#pragma once

#include "platform/UiPort.h"

#include <QFont>
#include <QString>

#include <functional>
#include <memory>

class QFileDialog;
class QImage;
class QObject;
class QWidget;

class CQtUiPort : public CUiPort {
public:
    CQtUiPort();
    ~CQtUiPort() override;
    void MessageBox(const std::string& text) override;
    UiAnswer Question(const std::string& text, bool withCancel) override;
    bool FileDialog(const FileDialogRequest& request, std::string& path) override;
    bool ChooseColor(uint32_t& colour) override;
    bool ChooseFolder(const std::string& title, std::string& folder) override;
    bool ChooseFont(LogFont& font) override;
    bool DoModal(CDialogModel& dialog) override;
    bool ChoosePrinter(PrinterChoice& choice) override;
    // The desktop clipboard (QClipboard, image MIME data); our own pictures
    // carry a mark of this process, so a picture without it came from elsewhere.
    void SetClipboardPicture(const ClipboardPicture& picture) override;
    bool HasClipboardPicture() override;
    bool GetClipboardPicture(ClipboardPicture& picture, bool& foreign) override;
    // A clipboard picture as a toolkit image and back (any image format in;
    // false for a null image).
    static QImage ImageFromPicture(const ClipboardPicture& picture);
    static bool PictureFromImage(const QImage& image, ClipboardPicture& picture);

    // Sets up the dialog from a request (filters, selected filter, name,
    // folder, default extension and, for the shared dialog, the rule that
    // the extension follows the chosen filter).
    static void PrepareFileDialog(QFileDialog& dialog, const FileDialogRequest& request);
    // "Tesvan Files (*.tvn)" stays as it is; "PNG" with "*.png" becomes "PNG (*.png)".
    static QString NameFilter(const std::pair<std::string, std::string>& filter);
    // The font record as a toolkit font and back (heights in pixels: a
    // negative height is the em, a positive one the cell).
    static QFont FontFromLogFont(const LogFont& font);
    static void LogFontFromFont(const QFont& qfont, LogFont& font);

    // Where a file dialog starts when its request names no folder: the
    // current document's folder (the app says which), else the folder of the
    // last file chosen.
    static inline std::function<QString()> s_documentFolder;
    static QString StartFolder();

private:
    static QWidget* Owner();

    // Forgets whether the clipboard holds a picture when it changes.
    std::unique_ptr<QObject> m_pClipboardWatch;
    int m_nHasPicture = -1;  // -1: not asked since the last change
};
