#include "exchange/ImageExport.h"

#include "doc/ImageFiles.h"
#include "doc/TesvanDoc.h"
#include "exchange/AnimeExport.h"
#include "platform/UiPort.h"

using tesvan::CodecStatus;

CodecStatus WriteImageFile(const std::string& path, const CImageEx& image)
{
    if (!tesvan::FindEncoderForPath(path) || image.IsNull())
        return CodecStatus::GeneralFailure;
    CodecStatus status = CodecStatus::Ok;
    if (SaveImageFile(image, path, &status))
        return CodecStatus::Ok;
    return status == CodecStatus::OutOfMemory ? status : CodecStatus::GeneralFailure;
}

bool CTesvanDoc::ExportImage(const std::string& path)
{
    ComposeAll(false);
    const bool ok = WriteImageFile(path, m_imgWork) == CodecStatus::Ok;
    ComposeAll(true);
    return ok;
}

void CTesvanDoc::OnExportImage()
{
    CancelText();
    if (m_nSelState != 0) {
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
    // Failures are silent: the document does not change either way.
    if (scale == 1)
        ExportImage(path);
    else
        ExportSheet(*this, path, scale);
}
