// Opening and saving .tvn documents.
#include "doc/TesvanDoc.h"

#include "doc/Archive.h"
#include "platform/SafeFile.h"
#include "platform/UiPort.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <new>
#include <utility>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int32_t kFormat = 2;

const char kMsgBadFormat[] = "予期しないファイル形式です。";
const char kMsgOpenFailed[] = "ドキュメントを開くことに失敗しました。";
const char kMsgSaveFailed[] = "ドキュメントの保存に失敗しました。";
const char kMsgExtensionDamaged[] =
    "拡張データが壊れているため、アニメーションの名前と再生方向、表示倍率は読み込みませんでした。";

void Refuse() { throw CArchiveException(CArchiveException::badFormat); }

std::string FileNameOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

class CFd {
public:
    explicit CFd(int fd) : m_fd(fd) {}
    ~CFd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    int Get() const { return m_fd; }
    int Release()
    {
        int fd = m_fd;
        m_fd = -1;
        return fd;
    }

private:
    int m_fd;
};

// The framework's message, then the file and the reason on a line of their
// own (none for a copy held in memory).
std::string WithDetail(const char* head, const std::string& path, int error)
{
    if (path.empty())
        return head;
    return std::string(head) + "\n" + ReadErrorText(path, error);
}

// Runs a read of the document's content; a short or damaged file, or one
// that cannot be read, is reported and gives false.
template <class Read>
bool ReadReporting(const std::string& path, Read read)
{
    try {
        read();
    } catch (const CArchiveException& e) {
        if (e.GetCause() == CArchiveException::endOfFile)
            ReportFileFailure(WithDetail(kMsgBadFormat, path, kDamagedContent));
        else
            ReportFileFailure(WithDetail(kMsgOpenFailed, path, kDamagedContent));
        return false;
    } catch (const std::bad_alloc&) {
        ReportFileFailure(WithDetail(kMsgOpenFailed, path, ENOMEM));
        return false;
    } catch (const std::exception&) {
        ReportFileFailure(WithDetail(kMsgOpenFailed, path, kDamagedContent));
        return false;
    }
    return true;
}

// Why a file cannot be opened for reading: the system's error, or that it
// is a folder or no regular file.
int OpenError(int fd, const struct stat& st, int openErrno)
{
    if (fd < 0)
        return openErrno;
    if (S_ISDIR(st.st_mode))
        return EISDIR;
    return kNotAFile;
}

} // namespace

// ------------------------------------------------------------------ writing

void CTesvanDoc::WriteContent(CArchive& ar) const
{
    ar.WriteInt32(kFormat);
    ar.WriteInt32(m_nBitCount);
    ar.WriteUInt32(m_crBackground);
    ar.WriteInt32(m_bInitialized);
    ar.WriteInt32(m_nCellWidth);
    ar.WriteInt32(m_nCellHeight);
    ar.WriteInt32(m_nColumns);
    ar.WriteInt32(m_nRows);
    ar.WriteInt32(m_nEditColumn);
    ar.WriteInt32(m_nEditRow);
    // The standard field knows 4 and 8 only; the extension block holds the
    // exact factor.
    ar.WriteInt32(m_nZoom == 4 || m_nZoom == 8 ? m_nZoom : (m_nZoom <= 5 ? 4 : 8));
    ar.Write(m_Palette, sizeof m_Palette);
    ar.Write(m_Gradations, sizeof m_Gradations);
    ar.WriteUInt32(m_crGridColor);
    ar.WriteUInt32(m_crGridStepColor);
    ar.WriteInt32(m_nGridStep);
    ar.WriteInt32(m_bShowCharLines);
    ar.WriteInt32(m_bShowGrid);
    ar.WriteInt32(m_nCurrentLayer);
    for (const CLayer& layer : m_Layers)
        layer.Write(ar);
    for (const CAnimeSlot& slot : m_Anime) {
        ar.WriteString(slot.strFrames);
        ar.WriteInt32(slot.nSpeed);
    }
    ar.WriteInt32(m_bAnimeShown);
    WriteExtension(ar);
}

// ------------------------------------------------------------------ reading

// Reads a whole file into this (fresh) document. Values that would index
// outside a table or ask for an absurd sheet are refused before anything is
// allocated.
void CTesvanDoc::ReadContent(CArchive& ar, std::array<bool, kLayers>* hasPixels)
{
    m_bShowAllLayers = 1;
    if (ar.ReadInt32() == kFormat) {
        m_nBitCount = ar.ReadInt32();
        m_crBackground = ar.ReadUInt32();
    } else {
        m_nBitCount = 8;
        m_crBackground = 0xFFFFFF;
    }
    m_bInitialized = ar.ReadInt32();
    m_nCellWidth = ar.ReadInt32();
    m_nCellHeight = ar.ReadInt32();
    m_nColumns = ar.ReadInt32();
    m_nRows = ar.ReadInt32();
    m_nEditColumn = ar.ReadInt32();
    m_nEditRow = ar.ReadInt32();
    m_nZoom = ar.ReadInt32();
    ar.Read(m_Palette, sizeof m_Palette);
    ar.Read(m_Gradations, sizeof m_Gradations);
    m_crGridColor = ar.ReadUInt32();
    m_crGridStepColor = ar.ReadUInt32();
    m_nGridStep = ar.ReadInt32();
    m_bShowCharLines = ar.ReadInt32();
    m_bShowGrid = ar.ReadInt32();
    m_nCurrentLayer = ar.ReadInt32();

    if (m_nBitCount != 8 && m_nBitCount != 32)
        Refuse();
    if (m_nCellWidth < 1 || m_nCellHeight < 1 || m_nColumns < 1 || m_nRows < 1)
        Refuse();
    const int64_t width = int64_t(m_nColumns) * m_nCellWidth;
    const int64_t height = int64_t(m_nRows) * m_nCellHeight;
    const int64_t limit = std::min(kMaxSheetPixels, s_nMaxLoadPixels);
    if (width > limit || height > limit || width * height > limit)
        Refuse();
    if (m_nCurrentLayer < 0 || m_nCurrentLayer >= kLayers)
        Refuse();
    if (m_nEditColumn < 0 || m_nEditColumn >= m_nColumns || m_nEditRow < 0 ||
        m_nEditRow >= m_nRows)
        Refuse();
    // The canvas knows only these magnifications; other values get the one
    // a sheet resize would choose.
    if (m_nZoom != 4 && m_nZoom != 8)
        m_nZoom = (m_nCellWidth > 64 || m_nCellHeight > 64) ? 4 : 8;
    // The canvas divides by the grid step.
    if (m_nGridStep < 1)
        m_nGridStep = 8;

    for (int i = 0; i < kLayers; ++i)
        if (!m_Layers[i].Read(ar, m_nBitCount, m_Palette, true, int(width), int(height),
                              hasPixels ? &(*hasPixels)[i] : nullptr))
            throw CArchiveException(CArchiveException::generic);
    for (CAnimeSlot& slot : m_Anime) {
        slot.strFrames = ar.ReadString();
        slot.nSpeed = ar.ReadInt32();
    }
    m_bAnimeShown = ar.ReadInt32();
    m_bExtensionDamaged = !ReadExtension(ar);
}

void CTesvanDoc::SwapContent(CTesvanDoc& other) noexcept
{
    PairContent(*this, other, [](auto& a, auto& b) { std::swap(a, b); });
    for (int i = 0; i < kLayers; ++i)
        m_Layers[i].Swap(other.m_Layers[i]);
}

// The steps every load ends with, on the live document.
void CTesvanDoc::FinishLoad()
{
    m_bShowAllLayers = 1;
    CreateWorkImage();
    ClearUndo();
    m_MapEdit = CMapEditState{};
    m_strText.clear();
    m_ptText = CPoint{};
    m_chLead = 0;
    m_bInitialized = 1;
    m_nPenWidth = 1;
    m_nTool = kPencil;
    m_nButton = 0;
    ResetSelection(false);
    ComposeAll(true);
    UpdateAllViews(HINT_ERASE | HINT_PIXELS | HINT_CANVAS | HINT_PANE);
    CreateAnimeWindow();
    if (m_pAnimeDlg) {
        m_pAnimeDlg->RefreshLayout();
        m_pAnimeDlg->ShowWindow(m_bAnimeShown != 0);
    }
}

void CTesvanDoc::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        WriteContent(ar);
        return;
    }
    // Parsed aside and swapped in only when the whole file is good, so a bad
    // file leaves this document as it was.
    auto fresh = std::make_unique<CTesvanDoc>();
    fresh->ReadContent(ar);
    const bool damaged = fresh->m_bExtensionDamaged;
    SwapContent(*fresh);
    fresh.reset();    // the old layers go before the working image is made
    FinishLoad();
    if (damaged)
        UiPort().MessageBox(kMsgExtensionDamaged);
}

bool CTesvanDoc::LoadFrom(CArchive& ar, const std::string& path)
{
    std::unique_ptr<CTesvanDoc> fresh;
    if (!ReadReporting(path, [&] {
            fresh = std::make_unique<CTesvanDoc>();
            fresh->ReadContent(ar);
        }))
        return false;
    const bool damaged = fresh->m_bExtensionDamaged;
    SwapContent(*fresh);
    fresh.reset();
    FinishLoad();
    if (damaged)
        UiPort().MessageBox(kMsgExtensionDamaged);
    return true;
}

bool CTesvanDoc::LoadFromMemory(const void* data, size_t size)
{
    if (size == 0)
        return true;
    CArchive ar(data, size);
    return LoadFrom(ar);
}

// An empty file is not read: the document keeps its content (and its
// modified flag, so nothing unsaved is forgotten) under the new path.
bool CTesvanDoc::OnOpenDocument(const std::string& path)
{
    CFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    const int openErrno = errno;
    struct stat st {};
    if (fd.Get() < 0 || ::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        ReportFileFailure(WithDetail(kMsgOpenFailed, path, OpenError(fd.Get(), st, openErrno)));
        return false;
    }
    if (st.st_size > 0) {
        CArchive ar(fd.Get(), CArchive::load, uint64_t(st.st_size));
        if (!LoadFrom(ar, path))
            return false;
        SetModifiedFlag(false);
    }
    SetPathName(path);
    return true;
}

bool CTesvanDoc::ReadSummary(const std::string& path, std::array<bool, kLayers>& hasPixels)
{
    hasPixels.fill(false);
    CFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    const int openErrno = errno;
    struct stat st {};
    if (fd.Get() < 0 || ::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        ReportFileFailure(WithDetail(kMsgOpenFailed, path, OpenError(fd.Get(), st, openErrno)));
        return false;
    }
    return ReadReporting(path, [&] {
        CArchive ar(fd.Get(), CArchive::load, uint64_t(st.st_size));
        ReadContent(ar, &hasPixels);
    });
}

// ------------------------------------------------------------------ saving

bool CTesvanDoc::OnSaveDocument(const std::string& requested)
{
    CSafeFile file(requested);
    bool ok = file.Open();
    if (ok) {
        try {
            CArchive ar(file);
            Serialize(ar);
            ar.Flush();
            ok = file.Commit();
        } catch (const std::exception&) {
            ok = false;
        }
    }
    if (!ok) {
        file.Abandon();
        // A read-only file is refused in words of our own; every other
        // failure has the framework's message for a failed save, then the
        // file and the reason.
        if (file.Error() == CSafeFile::kReadOnly)
            ReportFileFailure(file.ErrorText());
        else
            ReportFileFailure(std::string(kMsgSaveFailed) + "\n" +
                              (file.Error() ? file.ErrorText() : WriteErrorText(requested, ENOMEM)));
        return false;
    }
    SetModifiedFlag(false);
    SetPathName(requested);
    return true;
}

bool CTesvanDoc::DoSave(const std::string& path, bool replace)
{
    std::string name = path;
    if (name.empty()) {
        FileDialogRequest request;
        request.open = false;
        request.filters = {{"Tesvan Files (*.tvn)", "*.tvn"}};
        request.defaultExt = "tvn";
        request.initialName = m_strTitle;
        request.initialNameIsText = GetPathName().empty();
        if (!UiPort().FileDialog(request, name) || name.empty())
            return false;
        const std::string file = FileNameOf(name);
        if (file.find('.', 1) == std::string::npos)
            name += ".tvn";
    }
    // Typed text is part of what is saved.
    FixText();
    const std::string oldPath = m_strPathName;
    if (!OnSaveDocument(name))
        return false;
    if (!replace)
        SetPathName(oldPath);
    return true;
}

bool CTesvanDoc::DoFileSave() { return DoSave(m_strPathName); }

bool CTesvanDoc::SaveModified()
{
    if (!IsModified())
        return true;
    std::string text = "%1 への変更を保存しますか?";
    text.replace(text.find("%1"), 2, m_strTitle);
    switch (UiPort().Question(text, true)) {
    case UiAnswer::Yes:
        return DoFileSave();
    case UiAnswer::No:
        return true;
    default:
        return false;
    }
}
