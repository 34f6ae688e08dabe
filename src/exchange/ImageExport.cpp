#include "exchange/ImageExport.h"

#include "doc/ImageFiles.h"
#include "doc/TesvanDoc.h"
#include "exchange/AnimeExport.h"
#include "platform/SafeFile.h"
#include "platform/UiPort.h"

#include <cerrno>

using tesvan::CodecStatus;

CodecStatus WriteImageFile(const std::string& path, const CImageEx& image, std::string* error)
{
    if (image.IsNull()) {
        if (error)
            *error = WriteErrorText(path, EINVAL);
        return CodecStatus::GeneralFailure;
    }
    CodecStatus status = CodecStatus::Ok;
    if (SaveImageFile(image, path, &status, error))
        return CodecStatus::Ok;
    return status == CodecStatus::OutOfMemory ? status : CodecStatus::GeneralFailure;
}

bool CTesvanDoc::ExportImage(const std::string& path)
{
    ComposeAll(false);
    std::string error;
    const bool ok = WriteImageFile(path, m_imgWork, &error) == CodecStatus::Ok;
    ComposeAll(true);
    if (!ok)
        ReportFileFailure(error);
    return ok;
}

void CTesvanDoc::OnExportImage()
{
    FixText();
    if (m_nSelState != SelState::None) {
        ResetSelection(true);
        UpdateAllViews(3);
    }
    FileDialogRequest request;
    request.open = false;
    request.filters = {{"PNGファイル (*.png)", "*.png"},
                       {"Gifフィル (*.gif)", "*.gif"},
                       {"Bitmapファイル (*.bmp)", "*.bmp"},
                       {"JPEG ファイル (*.jpg)", "*.jpg"}};
    request.defaultExt = "png";
    request.extFollowsFilter = true;
    int scale = 1;
    request.scale = &scale;
    std::string path;
    if (!UiPort().FileDialog(request, path))
        return;
    // The document does not change either way; a failure is reported.
    if (scale == 1) {
        ExportImage(path);
        return;
    }
    std::string why;
    const AnimeExportError error = ExportSheet(*this, path, scale, &why);
    if (error != AnimeExportError::None)
        ReportFileFailure(why.empty() ? AnimeExportErrorText(error, path) : why);
}
