// Layer files (.lay): the sheet size, the layer's palette page and its two
// gradation records, then the layer record as documents hold it.
#include "doc/Archive.h"
#include "doc/TesvanDoc.h"
#include "exchange/ImageExport.h"
#include "platform/TextSplit.h"
#include "platform/SafeFile.h"
#include "platform/UiPort.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const kLayerFilter[2] = {"レイヤーファイル (*.lay)", "*.lay"};

// The extension after the file name's last "." (without it), as typed.
std::string ExtensionOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    return path.substr(dot + 1);
}

struct CFd {
    explicit CFd(int fd) : fd(fd) {}
    ~CFd()
    {
        if (fd >= 0)
            ::close(fd);
    }
    int fd;
};

// The palette page and gradation records of a layer's page.
int PageFirstEntry(int page) { return (page + 4) * 16; }
int PageFirstRecord(int page) { return 2 * page + 6; }
bool ValidPage(int page) { return page >= 0 && page < 12; }

} // namespace

void CTesvanDoc::WriteLayerFile(int index, CArchive& ar) const
{
    const CLayer& layer = m_Layers[index];
    ar.WriteInt32(SheetWidth());
    ar.WriteInt32(SheetHeight());
    RGBQUAD page[16] = {};
    CGradationInfo grad[2] = {};
    if (ValidPage(layer.m_nPage)) {
        std::memcpy(page, m_Palette + PageFirstEntry(layer.m_nPage), sizeof page);
        std::memcpy(grad, m_Gradations + PageFirstRecord(layer.m_nPage), sizeof grad);
    }
    for (const RGBQUAD& q : page) {
        const uint8_t b[4] = {q.rgbBlue, q.rgbGreen, q.rgbRed, q.rgbReserved};
        ar.Write(b, 4);
    }
    for (const CGradationInfo& g : grad) {
        ar.WriteInt32(g.nCount);
        ar.WriteUInt32(g.crFirst);
        ar.WriteUInt32(g.crCenter);
        ar.WriteUInt32(g.crLast);
        ar.WriteInt32(g.nCenterPos);
    }
    layer.Write(ar);
}

void CTesvanDoc::SaveLayerFile(int index)
{
    if (index < 0 || index >= kLayers)
        return;
    // Typed text belongs in what is written out.
    FixText();
    CLayer& layer = m_Layers[index];
    FileDialogRequest request;
    request.open = false;
    request.filters = {{kLayerFilter[0], kLayerFilter[1]},
                       {"PNGファイル (*.png)", "*.png"},
                       {"Gifフィル (*.gif)", "*.gif"},
                       {"Bitmapファイル (*.bmp)", "*.bmp"},
                       {"JPEG ファイル (*.jpg)", "*.jpg"}};
    request.initialName = layer.m_strPath;
    request.folder = layer.m_strFolder;
    request.defaultExt = "lay";
    request.extFollowsFilter = true;
    std::string path;
    if (!UiPort().FileDialog(request, path))
        return;
    layer.m_strFolder = FolderPart(path);
    layer.m_strPath = path;

    SaveLayerFileTo(index, path);
}

bool CTesvanDoc::SaveLayerFileTo(int index, const std::string& path)
{
    if (index < 0 || index >= kLayers)
        return false;
    const CLayer& layer = m_Layers[index];
    std::string error;
    if (ExtensionOf(path) != "lay") {
        if (!layer.m_pImage) {
            ReportFileFailure(WriteErrorText(path, EINVAL));
            return false;
        }
        if (WriteImageFile(path, *layer.m_pImage, &error) == tesvan::CodecStatus::Ok)
            return true;
        ReportFileFailure(error);
        return false;
    }
    CSafeFile file(path);
    bool ok = file.Open();
    if (ok) {
        try {
            CArchive ar(file);
            WriteLayerFile(index, ar);
            ar.Flush();
            ok = file.Commit();
        } catch (const std::exception&) {
            ok = false;
        }
    }
    if (!ok) {
        file.Abandon();
        ReportFileFailure(file.Error() ? file.ErrorText() : WriteErrorText(path, ENOMEM));
    }
    return ok;
}

bool CTesvanDoc::ReadLayerFile(int index, CArchive& ar)
{
    if (index < 0 || index >= kLayers)
        return false;
    CLayer& layer = m_Layers[index];
    try {
        const int32_t width = ar.ReadInt32();
        const int32_t height = ar.ReadInt32();
        if (width != SheetWidth() || height != SheetHeight()) {
            ReportFileFailure("データサイズが違います。");
            return false;
        }
        uint8_t bytes[64];
        ar.Read(bytes, sizeof bytes);
        CGradationInfo grad[2];
        for (CGradationInfo& g : grad) {
            g.nCount = ar.ReadInt32();
            g.crFirst = ar.ReadUInt32();
            g.crCenter = ar.ReadUInt32();
            g.crLast = ar.ReadUInt32();
            g.nCenterPos = ar.ReadInt32();
        }
        // The file's page colours are in the palette the image is built
        // from, so the layer shows the colours it was saved with.
        RGBQUAD palette[256];
        std::memcpy(palette, m_Palette, sizeof palette);
        const bool pageOk = ValidPage(layer.m_nPage);
        if (pageOk)
            for (int k = 0; k < 16; ++k)
                palette[PageFirstEntry(layer.m_nPage) + k] = {bytes[4 * k], bytes[4 * k + 1],
                                                              bytes[4 * k + 2], bytes[4 * k + 3]};
        // Read checks the whole record before it changes the slot.
        if (!layer.Read(ar, m_nBitCount, palette, false, width, height)) {
            ReportFileFailure("データを読み込めませんでした。");
            return false;
        }
        if (pageOk) {
            std::memcpy(m_Palette + PageFirstEntry(layer.m_nPage), palette + PageFirstEntry(layer.m_nPage),
                        sizeof(RGBQUAD) * 16);
            std::memcpy(m_Gradations + PageFirstRecord(layer.m_nPage), grad, sizeof grad);
        }
    } catch (const std::exception&) {
        ReportFileFailure("データを読み込めませんでした。");
        return false;
    }
    RefreshWorkPalette();
    ComposeAll(true);
    SetModifiedFlag();
    UpdateAllViews(7);
    return true;
}

bool CTesvanDoc::LoadLayerFile(int index)
{
    if (index < 0 || index >= kLayers)
        return false;
    CUndoRecorder undo(*this, "レイヤー読込");
    CLayer& layer = m_Layers[index];
    FileDialogRequest request;
    request.open = true;
    request.filters = {{kLayerFilter[0], kLayerFilter[1]}};
    request.folder = layer.m_strFolder;
    request.defaultExt = "lay";
    request.extFollowsFilter = true;
    std::string path;
    if (!UiPort().FileDialog(request, path))
        return false;
    layer.m_strPath = path;
    layer.m_strFolder = FolderPart(path);

    CFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st {};
    if (fd.fd < 0 || ::fstat(fd.fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ReportFileFailure(ReadErrorText(path, fd.fd < 0 ? errno : S_ISDIR(st.st_mode) ? EISDIR : EACCES));
        return false;
    }
    try {
        CArchive ar(fd.fd, CArchive::load, uint64_t(st.st_size));
        return ReadLayerFile(index, ar);
    } catch (const std::exception&) {
        ReportFileFailure("データを読み込めませんでした。");
        return false;
    }
}
