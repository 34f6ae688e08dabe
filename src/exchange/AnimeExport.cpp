#include "exchange/AnimeExport.h"

#include "doc/Anime.h"
#include "doc/ImageFiles.h"
#include "doc/TesvanDoc.h"
#include "exchange/ImageExport.h"
#include "platform/SafeFile.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <set>

using tesvan::CodecStatus;

namespace {

// A scaled picture may hold at most this many pixels (256 MB at 32 bits),
// so a large sheet at a large scale is refused instead of exhausting memory.
constexpr int64_t kMaxScaledPixels = int64_t(1) << 26;

// The composed sheet without background while it lives; the canvas gets
// its usual picture back afterwards.
class CComposedSheet {
public:
    explicit CComposedSheet(CTesvanDoc& doc) : m_doc(doc) { m_doc.ComposeAll(false); }
    ~CComposedSheet() { m_doc.ComposeAll(true); }
    const CImageEx& Image() const { return m_doc.m_imgWork; }

private:
    CTesvanDoc& m_doc;
};

AnimeExportError FromStatus(CodecStatus st)
{
    switch (st) {
    case CodecStatus::Ok: return AnimeExportError::None;
    case CodecStatus::OutOfMemory: return AnimeExportError::OutOfMemory;
    case CodecStatus::UnknownFormat: return AnimeExportError::UnknownType;
    case CodecStatus::InvalidArgument: return AnimeExportError::TooLarge;
    default: return AnimeExportError::WriteFailed;
    }
}

std::string Lower(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return s;
}

bool IsAnimationPath(const std::string& path)
{
    const std::string ext = Lower(tesvan::PathExtension(path));
    return ext == ".gif" || ext == ".webp";
}

bool ScaledFits(int w, int h, int scale)
{
    return int64_t(w) * scale <= 65535 && int64_t(h) * scale <= 65535 &&
           int64_t(w) * h * scale * scale <= kMaxScaledPixels;
}

// Slot names may hold anything; in a file name a "/" would lead elsewhere.
std::string FileNamePart(const std::string& name)
{
    std::string out = name;
    for (char& c : out)
        if (c == '/' || c == '\0')
            c = '_';
    if (out == "." || out == "..")
        out = "_";
    return out;
}

void ReplaceAll(std::string& text, const std::string& what, const std::string& with)
{
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
}

// A picture in the form its name's extension asks for, in memory.
AnimeExportError EncodePicture(const std::string& path, const CImageEx& img, std::vector<uint8_t>& out)
{
    const tesvan::EncoderInfo* enc = tesvan::FindEncoderForPath(path);
    if (!enc)
        return AnimeExportError::UnknownType;
    tesvan::PaletteEntry table[256];
    return FromStatus(tesvan::EncodeImage(ImageSourceOf(img, table), enc->format, out));
}

// The steps of a slot's list whose cells lie on the sheet, in list order.
std::vector<int> SlotSteps(const CTesvanDoc& doc, int slot)
{
    std::vector<int> steps;
    CRect rc;
    for (int cell : ParseAnimeFrames(doc.m_Anime[slot].strFrames))
        if (doc.AnimeCellRect(cell, rc))
            steps.push_back(cell);
    return steps;
}

} // namespace

std::string AnimeExportErrorText(AnimeExportError error, const std::string& path)
{
    switch (error) {
    case AnimeExportError::None: return {};
    case AnimeExportError::BadScale: return "倍率は1から16の整数で指定してください。";
    case AnimeExportError::NoSlot: return "そのアニメーションはありません。";
    case AnimeExportError::EmptySlot: return "アニメーションにシート内のキャラが設定されていません。";
    case AnimeExportError::NoImage: return "イメージのあるレイヤーがありません。";
    case AnimeExportError::UnknownType: return path + " の形式では書き出せません。";
    case AnimeExportError::NoPlaceholder:
        return "ファイル名に {cell}、{layer}、{anime} または {frame} を含めてください。";
    case AnimeExportError::SameNames: return "書き出すファイルの名前が重複します: " + path;
    case AnimeExportError::NothingToWrite: return "書き出すイメージがありません。";
    case AnimeExportError::TooLarge: return "イメージが大きすぎて書き出せません。";
    case AnimeExportError::OutOfMemory: return "メモリが不足しています。";
    case AnimeExportError::WriteFailed: return path + " に書き込めませんでした。";
    case AnimeExportError::Cancelled: return "書き出しを中止しました。";
    }
    return {};
}

bool ScaleImage(const CImageEx& src, int scale, CImageEx& out)
{
    return CutScaled(src, 0, 0, src.GetWidth(), src.GetHeight(), scale, out);
}

bool CutScaled(const CImageEx& src, int x, int y, int w, int h, int scale, CImageEx& out)
{
    if (src.IsNull() || scale < 1 || w < 1 || h < 1 || x < 0 || y < 0 || x + w > src.GetWidth() ||
        y + h > src.GetHeight())
        return false;
    const int bpp = src.GetBPP();
    if (bpp != 8 && bpp != 32)
        return false;
    if (!out.CreateEx(w * scale, h * scale, bpp, src.HasAlpha() ? CImageEx::createAlphaChannel : 0))
        return false;
    if (bpp == 8)
        out.SetColorTable(0, 256, src.ColorTable());
    out.SetTransparentColor(src.GetTransparentColor());
    const size_t bytes = size_t(bpp / 8);
    const size_t outRow = size_t(w) * size_t(scale) * bytes;
    for (int sy = 0; sy < h; ++sy) {
        const uint8_t* s = src.GetRow(y + sy) + size_t(x) * bytes;
        uint8_t* d = out.GetRow(sy * scale);
        if (scale == 1) {
            std::memcpy(d, s, outRow);
        } else if (bpp == 8) {
            for (int sx = 0; sx < w; ++sx)
                std::memset(d + size_t(sx) * size_t(scale), s[sx], size_t(scale));
        } else {
            uint32_t* d32 = reinterpret_cast<uint32_t*>(d);
            for (int sx = 0; sx < w; ++sx) {
                uint32_t v;
                std::memcpy(&v, s + 4 * size_t(sx), 4);
                std::fill_n(d32 + size_t(sx) * size_t(scale), scale, v);
            }
        }
        for (int k = 1; k < scale; ++k)
            std::memcpy(out.GetRow(sy * scale + k), d, outRow);
    }
    return true;
}

SheetData BuildSheetData(const CTesvanDoc& doc, const std::string& imagePath, int scale)
{
    SheetData data;
    const size_t slash = imagePath.find_last_of('/');
    data.image = slash == std::string::npos ? imagePath : imagePath.substr(slash + 1);
    data.scale = scale;
    // GIF is always indexed; PNG and BMP keep an 8-bit sheet's palette;
    // JPEG and TIFF hold colours.
    const std::string ext = Lower(tesvan::PathExtension(imagePath));
    data.indexed = ext == ".gif" || (doc.m_nBitCount == 8 && (ext == ".png" || ext == ".bmp"));
    data.width = doc.SheetWidth() * scale;
    data.height = doc.SheetHeight() * scale;
    const int w = doc.m_nCellWidth * scale, h = doc.m_nCellHeight * scale;
    auto frameOf = [&](int cell, int ms) {
        CRect rc;
        doc.AnimeCellRect(cell, rc);
        return SheetFrame{rc.left * scale, rc.top * scale, w, h, ms};
    };
    const int cells = doc.m_nColumns * doc.m_nRows;
    for (int n = 0; n < cells; ++n)
        data.frames.push_back(frameOf(n, 100));
    static const char* const kDirections[] = {"forward", "reverse", "pingpong"};
    for (int k = 0; k < CTesvanDoc::kAnimeSlots; ++k) {
        const std::vector<int> steps = SlotSteps(doc, k);
        if (steps.empty())
            continue;
        SheetTag tag;
        tag.name = doc.AnimeName(k);
        tag.from = int(data.frames.size());
        for (int cell : steps)
            data.frames.push_back(frameOf(cell, doc.AnimeStepMs(k)));
        tag.to = int(data.frames.size()) - 1;
        const int d = doc.m_Anime[k].nDirection;
        tag.direction = kDirections[d >= 0 && d <= 2 ? d : 0];
        data.tags.push_back(tag);
    }
    for (int i = 0; i < CTesvanDoc::kLayers; ++i) {
        const CLayer& layer = doc.m_Layers[i];
        if ((layer.m_bVisible && doc.m_bShowAllLayers) || i == doc.m_nCurrentLayer)
            data.layers.push_back({layer.m_strName, 255});
    }
    return data;
}

AnimeExportError EncodeSheet(CTesvanDoc& doc, const std::string& path, int scale, std::vector<uint8_t>& bytes)
{
    if (scale < kMinExportScale || scale > kMaxExportScale)
        return AnimeExportError::BadScale;
    if (!tesvan::FindEncoderForPath(path))
        return AnimeExportError::UnknownType;
    if (!ScaledFits(doc.SheetWidth(), doc.SheetHeight(), scale))
        return AnimeExportError::TooLarge;
    CComposedSheet sheet(doc);
    if (scale == 1)
        return EncodePicture(path, sheet.Image(), bytes);
    CImageEx scaled;
    if (!ScaleImage(sheet.Image(), scale, scaled))
        return AnimeExportError::OutOfMemory;
    return EncodePicture(path, scaled, bytes);
}

AnimeExportError WriteExportFiles(const std::vector<ExportFile>& files, std::string* why)
{
    std::vector<SafeFileItem> items;
    items.reserve(files.size());
    for (const ExportFile& f : files)
        items.push_back({f.path, f.bytes.data(), f.bytes.size()});
    std::string message;
    if (WriteFilesSafely(items, &message))
        return AnimeExportError::None;
    if (why)
        *why = message;
    return AnimeExportError::WriteFailed;
}

AnimeExportError ExportSheet(CTesvanDoc& doc, const std::string& path, int scale, std::string* why)
{
    std::vector<ExportFile> files(1);
    files[0].path = path;
    const AnimeExportError error = EncodeSheet(doc, path, scale, files[0].bytes);
    return error != AnimeExportError::None ? error : WriteExportFiles(files, why);
}

AnimeExportError EncodeAnimation(CTesvanDoc& doc, int slot, const std::string& path, int scale,
                                 std::vector<uint8_t>& bytes, const ExportProgress& progress)
{
    if (scale < kMinExportScale || scale > kMaxExportScale)
        return AnimeExportError::BadScale;
    if (slot < 0 || slot >= CTesvanDoc::kAnimeSlots)
        return AnimeExportError::NoSlot;
    const std::string ext = Lower(tesvan::PathExtension(path));
    if (ext != ".gif" && ext != ".webp")
        return AnimeExportError::UnknownType;
    CRect rc;
    std::vector<int> cells;
    for (int cell : doc.AnimeSequence(slot))
        if (doc.AnimeCellRect(cell, rc))
            cells.push_back(cell);
    if (cells.empty())
        return AnimeExportError::EmptySlot;
    if (!ScaledFits(doc.m_nCellWidth, doc.m_nCellHeight, scale) ||
        int64_t(doc.m_nCellWidth) * doc.m_nCellHeight * scale * scale * int64_t(cells.size()) >
            4 * kMaxScaledPixels ||
        (ext == ".webp" && int64_t(doc.m_nCellWidth) * scale > 16383) ||
        (ext == ".webp" && int64_t(doc.m_nCellHeight) * scale > 16383))
        return AnimeExportError::TooLarge;

    const int total = int(cells.size()) + 1;
    std::vector<CImageEx> frames(cells.size());
    tesvan::AnimationSource anim;
    tesvan::PaletteEntry table[256];
    {
        CComposedSheet sheet(doc);
        for (size_t i = 0; i < cells.size(); ++i) {
            if (progress && !progress(int(i), total))
                return AnimeExportError::Cancelled;
            doc.AnimeCellRect(cells[i], rc);
            if (!CutScaled(sheet.Image(), rc.left, rc.top, doc.m_nCellWidth, doc.m_nCellHeight, scale,
                           frames[i]))
                return AnimeExportError::OutOfMemory;
            anim.frames.push_back(ImageSourceOf(frames[i], table));
            anim.delaysMs.push_back(doc.AnimeStepMs(slot));
        }
    }
    // Index 0 of an 8-bit sheet is where nothing is drawn.
    anim.transparentIndex = frames[0].GetBPP() == 8 ? 0 : -1;
    if (progress && !progress(int(cells.size()), total))
        return AnimeExportError::Cancelled;
    const CodecStatus st = ext == ".gif" ? tesvan::EncodeAnimatedGif(anim, bytes)
                                         : tesvan::EncodeAnimatedWebP(anim, bytes);
    return FromStatus(st);
}

AnimeExportError ExportAnimation(CTesvanDoc& doc, int slot, const std::string& path, int scale,
                                 const ExportProgress& progress, std::string* why)
{
    std::vector<ExportFile> files(1);
    files[0].path = path;
    AnimeExportError error = EncodeAnimation(doc, slot, path, scale, files[0].bytes, progress);
    if (error == AnimeExportError::None)
        error = WriteExportFiles(files, why);
    if (error == AnimeExportError::None && progress)
        progress(int(files.size()), int(files.size()));
    return error;
}

bool HasExportPlaceholder(const std::string& name)
{
    for (const char* p : {"{cell}", "{layer}", "{anime}", "{frame}"})
        if (name.find(p) != std::string::npos)
            return true;
    return false;
}

AnimeExportError ExportPictures(CTesvanDoc& doc, const std::string& pattern, int scale,
                                const ExportProgress& progress, std::string* why)
{
    if (scale < kMinExportScale || scale > kMaxExportScale)
        return AnimeExportError::BadScale;
    if (!HasExportPlaceholder(pattern))
        return AnimeExportError::NoPlaceholder;
    const bool byCell = pattern.find("{cell}") != std::string::npos;
    const bool byLayer = pattern.find("{layer}") != std::string::npos;
    const bool byAnime = pattern.find("{anime}") != std::string::npos;
    const bool byFrame = pattern.find("{frame}") != std::string::npos;
    const bool animations = byAnime && !byFrame && !byCell && !byLayer && IsAnimationPath(pattern);

    // One picture: where it goes and what it shows.
    struct Item {
        std::string path;
        int layer = -1;    // -1: the composed sheet
        int cell = -1;     // -1: the whole sheet
        int slot = -1;     // animations only
    };
    std::vector<Item> items;
    std::vector<int> layers;
    if (byLayer) {
        for (int i = 0; i < CTesvanDoc::kLayers; ++i)
            if (doc.m_Layers[i].m_pImage && !doc.m_Layers[i].m_pImage->IsNull())
                layers.push_back(i);
    } else {
        layers.push_back(-1);
    }
    auto add = [&](int layer, int cell, int slot, int step) {
        Item item{pattern, layer, cell, slot};
        ReplaceAll(item.path, "{cell}", cell >= 0 ? std::to_string(cell) : std::string());
        ReplaceAll(item.path, "{layer}", std::to_string(layer));
        ReplaceAll(item.path, "{anime}", slot >= 0 ? FileNamePart(doc.AnimeName(slot)) : std::string());
        ReplaceAll(item.path, "{frame}", std::to_string(step));
        items.push_back(std::move(item));
    };
    if (byAnime || byFrame) {
        for (int k = 0; k < CTesvanDoc::kAnimeSlots; ++k) {
            const std::vector<int> steps = SlotSteps(doc, k);
            if (steps.empty())
                continue;
            if (animations) {
                add(-1, -1, k, 0);
                continue;
            }
            for (int layer : layers)
                for (size_t s = 0; s < steps.size(); ++s)
                    add(layer, steps[s], k, int(s));
        }
    } else {
        const int cells = byCell ? doc.m_nColumns * doc.m_nRows : 1;
        for (int layer : layers)
            for (int n = 0; n < cells; ++n)
                add(layer, byCell ? n : -1, -1, 0);
    }
    if (items.empty())
        return byLayer ? AnimeExportError::NoImage : AnimeExportError::NothingToWrite;

    std::set<std::string> names;
    for (const Item& item : items) {
        if (!names.insert(item.path).second)
            return AnimeExportError::SameNames;
        if (!animations && !tesvan::FindEncoderForPath(item.path))
            return AnimeExportError::UnknownType;
    }
    const int w = (byCell || byAnime || byFrame) ? doc.m_nCellWidth : doc.SheetWidth();
    const int h = (byCell || byAnime || byFrame) ? doc.m_nCellHeight : doc.SheetHeight();
    if (!ScaledFits(w, h, scale))
        return AnimeExportError::TooLarge;

    // Every picture is made first and the set is written whole: a failure
    // leaves every old file of the set as it was.
    const int total = int(items.size());
    std::vector<ExportFile> files(items.size());
    if (animations) {
        for (int i = 0; i < total; ++i) {
            if (progress && !progress(i, total))
                return AnimeExportError::Cancelled;
            files[size_t(i)].path = items[size_t(i)].path;
            const AnimeExportError e =
                EncodeAnimation(doc, items[size_t(i)].slot, items[size_t(i)].path, scale, files[size_t(i)].bytes);
            if (e != AnimeExportError::None)
                return e;
        }
    } else {
        CComposedSheet sheet(doc);
        for (int i = 0; i < total; ++i) {
            if (progress && !progress(i, total))
                return AnimeExportError::Cancelled;
            const Item& item = items[size_t(i)];
            const CImageEx& source = item.layer >= 0 ? *doc.m_Layers[item.layer].m_pImage : sheet.Image();
            CRect rc{0, 0, source.GetWidth() - 1, source.GetHeight() - 1};
            if (item.cell >= 0)
                doc.AnimeCellRect(item.cell, rc);
            CImageEx picture;
            if (!CutScaled(source, rc.left, rc.top, rc.right - rc.left + 1, rc.bottom - rc.top + 1, scale, picture))
                return AnimeExportError::OutOfMemory;
            files[size_t(i)].path = item.path;
            const AnimeExportError e = EncodePicture(item.path, picture, files[size_t(i)].bytes);
            if (e != AnimeExportError::None)
                return e;
        }
    }
    if (progress && !progress(total, total + 1))
        return AnimeExportError::Cancelled;
    const AnimeExportError error = WriteExportFiles(files, why);
    if (error == AnimeExportError::None && progress)
        progress(total, total);
    return error;
}

// ---------------------------------------------------------------- dialog

const char* const CExportAnimeDlg::kForms[4] = {"GIF", "WebP", "シート+JSON", "キャラ毎のPNG"};

bool CExportAnimeDlg::SetField(const std::string& name, const std::string& value, std::string& error)
{
    auto number = [&](int& field, int lo, int hi) {
        char* end = nullptr;
        const long v = std::strtol(value.c_str(), &end, 10);
        if (value.empty() || *end != '\0' || v < lo || v > hi) {
            error = name + " takes " + std::to_string(lo) + " to " + std::to_string(hi);
            return false;
        }
        field = int(v);
        return true;
    };
    if (name == "m_nSlot")
        return number(m_nSlot, 0, 3);
    if (name == "m_nForm") {
        for (int f = 0; f < 4; ++f)
            if (value == kForms[f]) {
                m_nForm = f;
                return true;
            }
        return number(m_nForm, 0, 3);
    }
    if (name == "m_nScale")
        return number(m_nScale, -1000000, 1000000);    // range told by Validate
    if (name == "m_strPath") {
        m_strPath = value;
        return true;
    }
    error = "CExportAnimeDlg has no field '" + name + "'";
    return false;
}

bool CExportAnimeDlg::Validate(std::string& message)
{
    if (m_nScale < kMinExportScale || m_nScale > kMaxExportScale) {
        message = AnimeExportErrorText(AnimeExportError::BadScale, {});
        return false;
    }
    if (m_strPath.empty()) {
        message = "出力ファイル名を入力してください。";
        return false;
    }
    return true;
}

std::string CExportAnimeDlg::OutputPath() const
{
    static const char* const kExt[4] = {".gif", ".webp", ".png", ".png"};
    std::string path = m_strPath;
    if (m_nForm == FORM_CELLS && !HasExportPlaceholder(path)) {
        const std::string ext = tesvan::PathExtension(path);
        path = path.substr(0, path.size() - ext.size()) + "-{cell}" + ext;
    }
    if (tesvan::PathExtension(path).empty() && m_nForm >= 0 && m_nForm < 4)
        path += kExt[m_nForm];
    return path;
}
