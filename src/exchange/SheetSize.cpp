#include "exchange/SheetSize.h"

#include "doc/TesvanDoc.h"
#include "platform/DialogModel.h"
#include "platform/TextSplit.h"
#include "platform/Cp932.h"
#include "platform/UiPort.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

namespace {

// The preset file is a few lines; anything beyond this is not a preset file.
constexpr size_t kMaxPresetFile = 1 << 20;

bool IsValidUtf8(const std::string& s)
{
    for (size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        size_t more;
        if (c < 0x80)
            more = 0;
        else if (c >= 0xC2 && c <= 0xDF)
            more = 1;
        else if (c >= 0xE0 && c <= 0xEF)
            more = 2;
        else if (c >= 0xF0 && c <= 0xF4)
            more = 3;
        else
            return false;
        if (more > 0 && i + more >= s.size())
            return false;
        for (size_t k = 1; k <= more; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                return false;
        i += more + 1;
    }
    return true;
}

} // namespace

int PresetNumber(const std::string& text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    long long v = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        v = std::min<long long>(v * 10 + (text[i] - '0'), 1LL << 32);
    if (negative)
        v = -v;
    return int(std::clamp<long long>(v, INT_MIN, INT_MAX));
}

bool ParsePresetLine(const std::string& line, CImgSizeInfo& info)
{
    // A UTF-8 line is split in code page 932 when it has a form there, so the
    // double-byte rule applies alike; a line with no such form is split by
    // bytes, which UTF-8 never places inside a character.
    std::string text = line;
    bool cp932 = true;
    if (IsValidUtf8(line)) {
        std::string converted;
        if (Utf8ToCp932(line, converted))
            text = converted;
        else
            cp932 = false;
    }
    std::string name, values;
    std::vector<std::string> pieces;
    if (cp932) {
        SplitAt(text, "=", name, values);
        SplitList(values, ",", pieces);
    } else {
        const size_t eq = text.find('=');
        name = text.substr(0, eq);
        values = eq == std::string::npos ? std::string() : text.substr(eq + 1);
        pieces.clear();
        size_t start = 0;
        for (size_t comma; (comma = values.find(',', start)) != std::string::npos; start = comma + 1)
            pieces.push_back(values.substr(start, comma - start));
        pieces.push_back(values.substr(start));
    }
    if (pieces.size() != 4)
        return false;
    info.strName = cp932 ? Cp932ToUtf8(name) : name;
    info.nCellWidth = PresetNumber(pieces[0]);
    info.nCellHeight = PresetNumber(pieces[1]);
    info.nColumns = PresetNumber(pieces[2]);
    info.nRows = PresetNumber(pieces[3]);
    return true;
}

std::vector<CImgSizeInfo> ParsePresetText(const std::string& bytes)
{
    std::vector<CImgSizeInfo> presets;
    size_t start = 0;
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
        start = 3;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        const size_t next = end == std::string::npos ? bytes.size() : end + 1;
        if (end == std::string::npos)
            end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        CImgSizeInfo info;
        if (ParsePresetLine(line, info))
            presets.push_back(std::move(info));
        start = next;
    }
    return presets;
}

std::vector<CImgSizeInfo> LoadPresetFile(const std::string& path)
{
    std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!f)
        return {};
    std::string bytes;
    char buf[8192];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f.get())) > 0) {
        bytes.append(buf, n);
        if (bytes.size() > kMaxPresetFile) {
            bytes.resize(kMaxPresetFile);
            break;
        }
    }
    return ParsePresetText(bytes);
}

// ---------------------------------------------------------------- dialog

const std::vector<std::string>& CSetSizeDlg::CellSizes()
{
    static const std::vector<std::string> list = {"8", "16", "24", "32", "40",
                                                  "48", "64", "96", "128", "256"};
    return list;
}

const std::vector<std::string>& CSetSizeDlg::BitsList()
{
    static const std::vector<std::string> list = {"32bit", "8bit"};
    return list;
}

namespace {
const char* const kIntFields[4] = {"m_nCellWidth", "m_nCellHeight", "m_nColumns", "m_nRows"};
}

void CSetSizeDlg::SyncTexts()
{
    const int* values[4] = {&m_nCellWidth, &m_nCellHeight, &m_nColumns, &m_nRows};
    for (int k = 0; k < 4; ++k)
        m_strText[k] = std::to_string(*values[k]);
}

void CSetSizeDlg::LoadPresets()
{
    if (m_bPresetsLoaded)
        return;
    m_bPresetsLoaded = true;
    m_Presets = LoadPresetFile(s_strProgramFolder + "SetSize.txt");
}

bool CSetSizeDlg::ChoosePreset(int k)
{
    LoadPresets();
    if (k < 0 || size_t(k) > m_Presets.size())
        return false;
    m_cbPreset = k;
    if (k >= 1) {
        const CImgSizeInfo& p = m_Presets[size_t(k) - 1];
        m_nCellWidth = p.nCellWidth;
        m_nCellHeight = p.nCellHeight;
        m_nColumns = p.nColumns;
        m_nRows = p.nRows;
        SyncTexts();
    }
    return true;
}

bool CSetSizeDlg::SetField(const std::string& name, const std::string& value, std::string& error)
{
    if (m_strText[0].empty())
        SyncTexts();
    for (int k = 0; k < 4; ++k) {
        if (name == kIntFields[k]) {
            m_strText[k] = value;
            return true;
        }
    }
    if (name == "m_strBits") {
        const auto& list = BitsList();
        if (std::find(list.begin(), list.end(), value) == list.end()) {
            error = "m_strBits takes 32bit or 8bit";
            return false;
        }
        m_strBits = value;
        return true;
    }
    if (name == "preset" || name == "m_cbPreset") {
        int k = -1;
        if (!ParseDialogInt(value, k) || !ChoosePreset(k)) {
            error = "the preset list has no entry " + value;
            return false;
        }
        return true;
    }
    error = "CSetSizeDlg has no field " + name;
    return false;
}

bool CSetSizeDlg::Validate(std::string& message)
{
    if (m_strText[0].empty())
        SyncTexts();
    int v[4];
    for (int k = 0; k < 4; ++k) {
        // Cells need at least one pixel; counts may be 0 (refused later with
        // their own message) but never negative.
        if (!CheckDialogInt(m_strText[k], k < 2 ? 1 : 0, kMaxValue, v[k], message))
            return false;
    }
    m_nCellWidth = v[0];
    m_nCellHeight = v[1];
    m_nColumns = v[2];
    m_nRows = v[3];
    return true;
}

// ---------------------------------------------------------------- document

namespace {

// A layer image rebuilt at a new size and depth, as CLayer::CreateImage
// builds it, but beside the old one so that nothing changes until every
// image of the sheet has been built.
std::unique_ptr<CImageEx> RebuildImage(const CImageEx* old, int page, int width, int height,
                                       const RGBQUAD* palette, bool keep, int bitCount)
{
    std::unique_ptr<CImageEx> image(new (std::nothrow) CImageEx);
    if (!image || !image->CreateEx(width, height, bitCount,
                                   bitCount == 32 ? CImageEx::createAlphaChannel : 0))
        return nullptr;
    if (bitCount == 8) {
        RGBQUAD table[256];
        std::fill_n(table, 256, RGBQUAD{});
        std::memcpy(table, palette, sizeof(RGBQUAD) * 64);
        if (page >= 0 && page < 12)
            std::memcpy(table + (page + 4) * 16, palette + (page + 4) * 16, sizeof(RGBQUAD) * 16);
        image->SetColorTable(0, 256, table);
        image->SetTransparentColor(0);
    }
    if (old && keep && !old->IsNull()) {
        const int w = std::min(width, old->GetWidth());
        const int h = std::min(height, old->GetHeight());
        if (old->GetBPP() == bitCount) {
            const size_t bytes = size_t(w) * size_t(bitCount / 8);
            for (int y = 0; y < h; ++y)
                std::memcpy(image->GetRow(y), old->GetRow(y), bytes);
        } else if (old->GetBPP() == 8 && bitCount == 32) {
            ConvertIndexedTo32(*old, *image, palette, w, h);
        }
    }
    return image;
}

} // namespace

bool CTesvanDoc::ApplySheetSize(bool keepContent)
{
    if (m_nCellWidth < 1 || m_nCellHeight < 1 || m_nColumns < 1 || m_nRows < 1 ||
        (m_nBitCount != 8 && m_nBitCount != 32))
        return false;
    const int64_t w64 = int64_t(m_nColumns) * m_nCellWidth;
    const int64_t h64 = int64_t(m_nRows) * m_nCellHeight;
    if (w64 > INT_MAX || h64 > INT_MAX || w64 * h64 > kMaxSheetPixels)
        return false;
    const int W = int(w64), H = int(h64);

    std::unique_ptr<CImageEx> images[kLayers];
    for (int i = 0; i < kLayers; ++i) {
        const CLayer& layer = m_Layers[i];
        if (!layer.m_pImage)
            continue;
        images[i] = RebuildImage(layer.m_pImage, layer.m_nPage, W, H, m_Palette, keepContent,
                                 m_nBitCount);
        if (!images[i])
            return false;
    }
    CImageEx work;
    if (!work.CreateEx(W, H, m_nBitCount, m_nBitCount == 32 ? CImageEx::createAlphaChannel : 0))
        return false;

    // Everything is built: from here nothing can fail.
    m_imgWork.Destroy();
    m_bWorkValid = 0;
    work.Destroy();
    CreateWorkImage();
    for (int i = 0; i < kLayers; ++i) {
        CLayer& layer = m_Layers[i];
        if (!images[i])
            continue;
        layer.ReleaseImage();
        layer.m_pImage = images[i].release();
        layer.m_nBitCount = m_nBitCount;
        layer.ApplyPalette(m_Palette);
    }
    m_nEditColumn = m_nEditRow = 0;
    m_nZoom = (m_nCellWidth > 64 || m_nCellHeight > 64) ? 4 : 8;
    ResetSelection(false);
    m_Points.clear();
    ResetAnime();
    ComposeAll(true);
    SetModifiedFlag();
    UpdateAllViews(0x13);
    if (m_pAnimeDlg)
        m_pAnimeDlg->RefreshLayout();
    return true;
}

namespace {

struct SheetGeometry {
    int cw, ch, cols, rows, bits;
};

SheetGeometry GeometryOf(const CTesvanDoc& d)
{
    return {d.m_nCellWidth, d.m_nCellHeight, d.m_nColumns, d.m_nRows, d.m_nBitCount};
}

void SetGeometry(CTesvanDoc& d, const SheetGeometry& g)
{
    d.m_nCellWidth = g.cw;
    d.m_nCellHeight = g.ch;
    d.m_nColumns = g.cols;
    d.m_nRows = g.rows;
    d.m_nBitCount = g.bits;
}

} // namespace

// A sheet that cannot be built is reported and the document keeps its
// geometry and images.
bool ResizeSheet(CTesvanDoc& doc, int cw, int ch, int cols, int rows, int bits, bool keep)
{
    CUndoRecorder undo(doc, "サイズ変更");
    const SheetGeometry old = GeometryOf(doc);
    SetGeometry(doc, {cw, ch, cols, rows, bits});
    if (doc.ApplySheetSize(keep)) {
        // Map cells of cells that are gone become empty (in the same step).
        doc.m_Maps.ClearCellsFrom(cols * rows);
        for (uint32_t& v : doc.m_MapEdit.stamp)
            if (!chip::IsEmpty(v) && chip::CellOf(v) >= cols * rows)
                v = chip::kEmpty;
        return true;
    }
    SetGeometry(doc, old);
    UiPort().MessageBox("イメージの作成に失敗しました。");
    return false;
}

void CTesvanDoc::OnSheetSize()
{
    CSetSizeDlg dlg;
    dlg.m_nCellWidth = m_nCellWidth;
    dlg.m_nCellHeight = m_nCellHeight;
    dlg.m_nColumns = m_nColumns;
    dlg.m_nRows = m_nRows;
    dlg.m_strBits = m_nBitCount == 8 ? "8bit" : "32bit";
    dlg.SyncTexts();
    if (!UiPort().DoModal(dlg))
        return;
    if (dlg.m_nColumns == 0 || dlg.m_nRows == 0) {
        UiPort().MessageBox("行数または列数が0です。設定はキャンセルされました。");
        return;
    }
    const int bits = dlg.m_strBits == "8bit" ? 8 : 32;
    bool keep = true;
    bool anyImage = false;
    for (const CLayer& layer : m_Layers)
        anyImage = anyImage || layer.m_pImage != nullptr;
    if (anyImage) {
        if (m_nBitCount == 32 && bits == 8) {
            if (UiPort().Question("32bitイメージを8bitイメージに変換出来ません。データを破棄しますか？",
                                  false) != UiAnswer::Yes)
                return;
            keep = false;
        } else if (int64_t(dlg.m_nColumns) * dlg.m_nCellWidth < int64_t(SheetWidth()) ||
                   int64_t(dlg.m_nRows) * dlg.m_nCellHeight < int64_t(SheetHeight())) {
            if (UiPort().Question("イメージが切り捨てられますが、サイズを変更しますか？", false) !=
                UiAnswer::Yes)
                return;
        }
    }
    if (m_Maps.CountCellsFrom(dlg.m_nColumns * dlg.m_nRows) > 0 &&
        UiPort().Question("マップで使われているセルがなくなります。それらのマップのセルは空になりますが、サイズを変更しますか？",
                          false) != UiAnswer::Yes)
        return;
    ResizeSheet(*this, dlg.m_nCellWidth, dlg.m_nCellHeight, dlg.m_nColumns, dlg.m_nRows, bits, keep);
}
