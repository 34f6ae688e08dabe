// Colour slots, colour changes and palette files of the document.
#include "doc/TesvanDoc.h"
#include "palette/Gradation.h"
#include "platform/UiPort.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

namespace {

constexpr size_t kPaletteBytes = 256 * sizeof(RGBQUAD);
constexpr size_t kRecordBytes = 30 * sizeof(CGradationInfo);
static_assert(kPaletteBytes + kRecordBytes == CTesvanDoc::kPaletteFileSize);

const char* const kPaletteFilter = "パレット ファイル (*.plt)";

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
    req.filters = {{kPaletteFilter, "*.plt"}};
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
    ChangePaletteColor(n, colour & 0xFFFFFF);
}

namespace {

// Uncommitted text is discarded; a selection or floating paste is dropped.
void CommonStart(CTesvanDoc& doc)
{
    doc.CancelText();
    if (doc.m_nSelState != 0) {
        doc.ResetSelection(true);
        doc.UpdateAllViews(3);
    }
}

} // namespace

bool CTesvanDoc::SavePaletteFile(const std::string& path) const
{
    namespace fs = std::filesystem;
    // Written beside the target and renamed over it, so a failed write never
    // leaves a damaged file in its place.
    const std::string temp = path + ".tmp~";
    {
        FilePtr f(std::fopen(temp.c_str(), "wb"));
        if (!f)
            return false;
        const bool ok = std::fwrite(m_Palette, 1, kPaletteBytes, f.get()) == kPaletteBytes &&
                        std::fwrite(m_Gradations, 1, kRecordBytes, f.get()) == kRecordBytes &&
                        std::fflush(f.get()) == 0;
        if (!ok) {
            f.reset();
            std::error_code ec;
            fs::remove(temp, ec);
            return false;
        }
    }
    std::error_code ec;
    fs::rename(temp, path, ec);
    if (ec) {
        fs::remove(temp, ec);
        return false;
    }
    return true;
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
    FilePtr f(std::fopen(path.c_str(), "rb"));
    if (!f)
        return false;
    unsigned char buffer[kPaletteFileSize];
    const size_t got = std::fread(buffer, 1, sizeof buffer, f.get());
    f.reset();
    if (got < kPaletteFileSize) {
        UiPort().MessageBox("データを読み込めませんでした。");
        return false;
    }
    RGBQUAD palette[256];
    std::memcpy(palette, buffer, kPaletteBytes);

    if (m_nBitCount == 32) {
        // Layer slot k takes the file's page k. The sixteen colours are
        // mapped in one pass so that a new colour equal to a later entry's old
        // one is not recoloured a second time.
        for (int k = 0; k < kLayers; ++k) {
            CLayer& layer = m_Layers[k];
            const int first = 64 + 16 * k;
            if (layer.m_pImage && !layer.m_pImage->IsNull() && layer.m_pImage->GetBPP() == 32) {
                uint32_t from[16], to[16];
                int count = 0;
                for (int i = 0; i < 16; ++i) {
                    const uint32_t o = PixelRgb(m_Palette[first + i]);
                    bool seen = false;
                    for (int j = 0; j < count; ++j)
                        seen = seen || from[j] == o;
                    if (!seen) {        // the first entry of a colour decides
                        from[count] = o;
                        to[count++] = PixelRgb(palette[first + i]);
                    }
                }
                int changes = 0;
                for (int j = 0; j < count; ++j)
                    if (from[j] != to[j]) {
                        from[changes] = from[j];
                        to[changes++] = to[j];
                    }
                count = changes;
                CImageEx& img = *layer.m_pImage;
                if (count == 0)
                    continue;
                for (int y = 0; y < img.GetHeight(); ++y) {
                    uint32_t* row = reinterpret_cast<uint32_t*>(img.GetRow(y));
                    for (int x = 0; x < img.GetWidth(); ++x) {
                        const uint32_t p = row[x];
                        if (p == 0)
                            continue;
                        const uint32_t rgb = p & 0xFFFFFF;
                        for (int j = 0; j < count; ++j) {
                            if (from[j] == rgb) {
                                row[x] = (p & 0xFF000000u) | to[j];
                                break;
                            }
                        }
                    }
                }
            }
        }
    }
    std::memcpy(m_Palette, palette, kPaletteBytes);
    std::memcpy(m_Gradations, buffer + kPaletteBytes, kRecordBytes);
    if (m_nBitCount == 8)
        ApplyPaletteToLayers();
    ComposeAll(true);
    SetModifiedFlag();
    UpdateAllViews(7);
    return true;
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
        SetPaletteEntry(layer, s + i, dlg.m_crGrad[i]);
    if (m_nBitCount == 8)
        ApplyPaletteToLayers();
    ComposeAll(true);
    SetModifiedFlag();
    UpdateAllViews(7);
}
