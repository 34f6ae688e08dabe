// Colour slots, colour changes and palette files of the document.
#include "doc/TesvanDoc.h"
#include "palette/Gradation.h"
#include "palette/PaletteFormats.h"
#include "platform/SafeFile.h"
#include "platform/UiPort.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

constexpr size_t kPaletteBytes = 256 * sizeof(RGBQUAD);
constexpr size_t kRecordBytes = 30 * sizeof(CGradationInfo);
static_assert(kPaletteBytes + kRecordBytes == CTesvanDoc::kPaletteFileSize);

// The editor's own form first; the others are those of other editors.
const char* const kPaletteFilters[][2] = {
    {"パレット ファイル (*.plt)", "*.plt"},
    {"GIMP パレット (*.gpl)", "*.gpl"},
    {"JASC パレット (*.pal)", "*.pal"},
    {"Adobe カラーテーブル (*.act)", "*.act"},
    {"16進カラーリスト (*.hex)", "*.hex"},
};

uint32_t EntryColor(const RGBQUAD& e) { return RGB(e.rgbRed, e.rgbGreen, e.rgbBlue); }

// The 24-bit pixel form (red << 16 | green << 8 | blue) of an entry.
uint32_t PixelRgb(const RGBQUAD& e)
{
    return uint32_t(e.rgbRed) << 16 | uint32_t(e.rgbGreen) << 8 | e.rgbBlue;
}

FileDialogRequest PaletteDialog(bool open)
{
    FileDialogRequest req;
    req.open = open;
    for (const auto& f : kPaletteFilters)
        req.filters.emplace_back(f[0], f[1]);
    req.defaultExt = "plt";
    req.extFollowsFilter = true;
    return req;
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

} // namespace

int CTesvanDoc::AbsoluteEntry(int entry, int absolute)
{
    return absolute ? entry : (CurrentLayer().m_nPage + 4) * 16 + entry;
}

void CTesvanDoc::SelectColor(int entry, int slot, int absolute)
{
    const int n = AbsoluteEntry(entry, absolute);
    if (n < 0 || n > 255 || slot < 0 || slot > 1)
        return;
    CLayer& layer = CurrentLayer();
    if (n < 16 && m_nBitCount == 32) {
        const uint32_t alpha = uint32_t(255 - m_Palette[n].rgbRed) << 24;
        if (layer.m_nAlpha[slot] != alpha) {
            layer.m_nAlpha[slot] = alpha;
            SetModifiedFlag();
            UpdateAllViews(7);
        }
        // An alpha level keeps the slot's colour unless Shift asks for it
        // (or the slot holds an alpha level already).
        if (!m_bShift && layer.m_nColor[slot] >= 16)
            return;
    }
    if (layer.m_nColor[slot] != n) {
        layer.m_nColor[slot] = n;
        SetModifiedFlag();
        UpdateAllViews(7);
    }
}

void CTesvanDoc::OnChangeColor(int entry, int absolute)
{
    const int n = AbsoluteEntry(entry, absolute);
    if (n < 0 || n > 255)
        return;
    uint32_t colour = EntryColor(m_Palette[n]);
    if (!UiPort().ChooseColor(colour))
        return;
    ChangePaletteColor(n, SnapToPrecision(colour));
}

namespace {

// Typed text is written into its layer; a selection or floating paste is dropped.
void CommonStart(CTesvanDoc& doc)
{
    doc.FixText();
    if (doc.m_nSelState != SelState::None) {
        doc.ResetSelection(true);
        doc.UpdateAllViews(3);
    }
}

// Entries a palette of another editor may fill: all but those with a fixed
// meaning (the transparency key of 8-bit documents, the alpha levels of
// 32-bit ones).
int FirstColourEntry(int bitCount) { return bitCount == 8 ? 1 : 16; }

// Palette files are small; anything larger is not one.
constexpr size_t kMaxPaletteFileBytes = 1 << 20;

// The file's bytes, up to one past the limit; false when it cannot be read.
bool ReadPaletteBytes(const std::string& path, std::string& bytes)
{
    FilePtr f(std::fopen(path.c_str(), "rb"));
    if (!f) {
        ReportFileFailure(ReadErrorText(path, errno));
        return false;
    }
    bytes.resize(kMaxPaletteFileBytes + 1);
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f.get()));
    if (std::ferror(f.get())) {
        ReportFileFailure(ReadErrorText(path, errno));
        return false;
    }
    return true;
}

// Layer pixels of each old page colour take the new one, all sixteen in one
// pass, so that a new colour equal to a later entry's old one is not
// recoloured a second time; the first entry of a colour decides.
void RecolourPage(CLayer& layer, const RGBQUAD* oldPage, const RGBQUAD* newPage)
{
    if (!layer.m_pImage || layer.m_pImage->IsNull() || layer.m_pImage->GetBPP() != 32)
        return;
    uint32_t from[16], to[16];
    int count = 0;
    for (int i = 0; i < 16; ++i) {
        const uint32_t o = PixelRgb(oldPage[i]);
        bool seen = false;
        for (int j = 0; j < count; ++j)
            seen = seen || from[j] == o;
        if (!seen) {
            from[count] = o;
            to[count++] = PixelRgb(newPage[i]);
        }
    }
    int changes = 0;
    for (int j = 0; j < count; ++j)
        if (from[j] != to[j]) {
            from[changes] = from[j];
            to[changes++] = to[j];
        }
    if (changes == 0)
        return;
    CImageEx& img = *layer.m_pImage;
    for (int y = 0; y < img.GetHeight(); ++y) {
        uint32_t* row = reinterpret_cast<uint32_t*>(img.GetRow(y));
        for (int x = 0; x < img.GetWidth(); ++x) {
            const uint32_t p = row[x];
            if (p == 0)
                continue;
            const uint32_t rgb = p & 0xFFFFFF;
            for (int j = 0; j < changes; ++j) {
                if (from[j] == rgb) {
                    row[x] = (p & 0xFF000000u) | to[j];
                    break;
                }
            }
        }
    }
}

std::string FileStem(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

} // namespace

bool CTesvanDoc::SavePaletteFile(const std::string& path) const
{
    std::string bytes;
    const PaletteFormat format = PaletteFormatOfPath(path);
    if (format == PaletteFormat::Plt) {
        bytes.assign(reinterpret_cast<const char*>(m_Palette), kPaletteBytes);
        bytes.append(reinterpret_cast<const char*>(m_Gradations), kRecordBytes);
    } else {
        // The colour entries; an Adobe table has room for the transparency
        // key of an 8-bit document as its marked transparent colour.
        CPaletteColours out;
        out.name = FileStem(path);
        int first = FirstColourEntry(m_nBitCount);
        if (format == PaletteFormat::Act && m_nBitCount == 8) {
            first = 0;
            out.transparent = 0;
        }
        for (int n = first; n < 256; ++n)
            out.colours.push_back(EntryColor(m_Palette[n]));
        bytes = WritePaletteColours(format, out);
    }
    std::string error;
    if (WriteFileSafely(path, bytes.data(), bytes.size(), &error))
        return true;
    ReportFileFailure(error);
    return false;
}

void CTesvanDoc::OnSavePalette()
{
    CommonStart(*this);
    std::string path;
    if (!UiPort().FileDialog(PaletteDialog(false), path))
        return;
    SavePaletteFile(path);
}

bool CTesvanDoc::LoadPaletteFile(const std::string& path)
{
    CUndoRecorder undo(*this, "パレット読込");
    std::string bytes;
    if (!ReadPaletteBytes(path, bytes))
        return false;
    const PaletteFormat format = PaletteFormatToRead(path, bytes);
    if (format != PaletteFormat::Plt) {
        CPaletteColours file;
        if (bytes.size() > kMaxPaletteFileBytes || !ReadPaletteColours(format, bytes, file)) {
            ReportFileFailure("データを読み込めませんでした。");
            return false;
        }
        LoadPaletteColours(file.colours, file.transparent);
        return true;
    }
    if (bytes.size() < kPaletteFileSize) {
        ReportFileFailure("データを読み込めませんでした。");
        return false;
    }
    RGBQUAD palette[256];
    std::memcpy(palette, bytes.data(), kPaletteBytes);
    // Colours, not the alpha levels of a 32-bit document, take the precision.
    for (int n = m_nBitCount == 32 ? 16 : 0; n < 256; ++n) {
        const uint32_t c = SnapToPrecision(RGB(palette[n].rgbRed, palette[n].rgbGreen, palette[n].rgbBlue));
        palette[n] = RGBQUAD{uint8_t(GetBValue(c)), uint8_t(GetGValue(c)), uint8_t(GetRValue(c)), palette[n].rgbReserved};
    }

    // Layer slot k takes the file's page k.
    if (m_nBitCount == 32)
        for (int k = 0; k < kLayers; ++k)
            RecolourPage(m_Layers[k], m_Palette + 64 + 16 * k, palette + 64 + 16 * k);
    std::memcpy(m_Palette, palette, kPaletteBytes);
    std::memcpy(m_Gradations, bytes.data() + kPaletteBytes, kRecordBytes);
    if (m_nBitCount == 8)
        ApplyPaletteToLayers();
    ComposeAll(true);
    SetModifiedFlag();
    UpdateAllViews(7);
    return true;
}

void CTesvanDoc::LoadPaletteColours(const std::vector<uint32_t>& colours, int transparent)
{
    CUndoRecorder undo(*this, "パレット読込");
    // A colour marked transparent stands for the transparency key, not a colour.
    std::vector<uint32_t> list;
    for (size_t i = 0; i < colours.size(); ++i)
        if (int(i) != transparent)
            list.push_back(colours[i] & 0xFFFFFF);
    RGBQUAD palette[256];
    std::memcpy(palette, m_Palette, kPaletteBytes);
    int first, room;
    if (list.size() <= 16) {
        first = (CurrentLayer().m_nPage + 4) * 16;
        room = 16;
    } else {
        first = FirstColourEntry(m_nBitCount);
        room = 256 - first;
    }
    const size_t taken = std::min(list.size(), size_t(room));
    for (size_t i = 0; i < taken; ++i) {
        const uint32_t c = SnapToPrecision(list[i]);
        palette[first + int(i)] = RGBQUAD{uint8_t(GetBValue(c)), uint8_t(GetGValue(c)),
                                          uint8_t(GetRValue(c)), 0};
    }

    // Every layer keeps its drawing in the colours of its own page.
    if (m_nBitCount == 32)
        for (CLayer& layer : m_Layers) {
            const int page = 64 + 16 * layer.m_nPage;
            if (page >= 64 && page + 16 <= 256)
                RecolourPage(layer, m_Palette + page, palette + page);
        }
    for (int n = first; n < first + int(taken); ++n)
        if (EntryColor(m_Palette[n]) != EntryColor(palette[n]))
            ForgetGradation(n);
    std::memcpy(m_Palette, palette, kPaletteBytes);
    if (m_nBitCount == 8)
        ApplyPaletteToLayers();
    ComposeAll(true);
    SetModifiedFlag();
    UpdateAllViews(7);
    if (list.size() > taken)
        UiPort().MessageBox("パレットに入りきらない " + std::to_string(list.size() - taken) +
                            " 色は読み込みませんでした。");
}

void CTesvanDoc::OnLoadPalette()
{
    CommonStart(*this);
    std::string path;
    if (!UiPort().FileDialog(PaletteDialog(true), path))
        return;
    LoadPaletteFile(path);
}

void CTesvanDoc::MakeGradation(int entry, int count, int absolute)
{
    if (count != 8 && count != 16)
        return;
    const int n = AbsoluteEntry(entry, absolute);
    const int s = (n / count) * count;
    if (s < 16 || s + count > 256)
        return;     // alpha levels and the first shared colours take none
    const int r = (s - 16) / 8;
    CMakeGradationDlg dlg(count);
    dlg.FromRecord(m_Gradations[r]);
    if (!UiPort().DoModal(dlg))
        return;
    dlg.SaveSettings();
    const CGradationInfo& rec = m_Gradations[r];
    if (rec.nCount == count && rec.crFirst == dlg.Color(0) && rec.crCenter == dlg.Color(1) &&
        rec.crLast == dlg.Color(2) && rec.nCenterPos == dlg.m_nCenterPos)
        return;
    CLayer& layer = CurrentLayer();
    PushUndo(layer.m_nPage, s);
    dlg.ToRecord(m_Gradations, r);
    for (int i = 0; i < count; ++i)
        SetPaletteEntry(layer, s + i, SnapToPrecision(dlg.m_crGrad[i]));
    if (m_nBitCount == 8)
        ApplyPaletteToLayers();
    ComposeAll(true);
    SetModifiedFlag();
    UpdateAllViews(7);
}
