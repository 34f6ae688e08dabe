#include "exchange/ImageImport.h"

#include "doc/Composite.h"
#include "doc/ImageFiles.h"
#include "doc/TesvanDoc.h"
#include "platform/DialogModel.h"
#include "exchange/SheetSize.h"
#include "platform/TextSplit.h"
#include "platform/SafeFile.h"
#include "platform/UiPort.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <memory>
#include <utility>
#include <sys/stat.h>
#include <unistd.h>

// ---------------------------------------------------------------- dialog

const std::vector<std::string>& CImgFitDlg::FitModes()
{
    static const std::vector<std::string> list = {
        "全体が入らないときは縮小", "原寸（入らないときは切り捨て）", "縦横比を変えて全体に会わせる",
        "横比に拡大縮小、行数を増やす", "マップチップ追加読み込み(行数追加)",
        "全フレームを連続したキャラに読込"};
    return list;
}

const std::vector<std::string>& CImgFitDlg::BlurList()
{
    static const std::vector<std::string> list = {"0.0", "0.1", "0.2", "0.3", "0.4", "0.5"};
    return list;
}

const std::vector<std::string>& CImgFitDlg::Trans8List()
{
    static const std::vector<std::string> list = {"インデックス0", "透過しない", "画像の透過色"};
    return list;
}

const std::vector<std::string>& CImgFitDlg::Trans24List()
{
    static const std::vector<std::string> list = {"白", "黒", "透過しない"};
    return list;
}

namespace {

// A list field takes its entry's index or its text.
bool SetListField(const std::vector<std::string>& list, const std::string& value, int& field)
{
    auto it = std::find(list.begin(), list.end(), value);
    if (it != list.end()) {
        field = int(it - list.begin());
        return true;
    }
    int k;
    if (ParseDialogInt(value, k) && k >= 0 && size_t(k) < list.size()) {
        field = k;
        return true;
    }
    return false;
}

} // namespace

bool CImgFitDlg::SetField(const std::string& name, const std::string& value, std::string& error)
{
    if (m_strChipColumns.empty())
        SyncText();
    int* field = nullptr;
    const std::vector<std::string>* list = nullptr;
    if (name == "m_nFitMode") {
        field = &m_nFitMode;
        list = &FitModes();
    } else if (name == "m_nBlur") {
        field = &m_nBlur;
        list = &BlurList();
    } else if (name == "m_nTrans8") {
        field = &m_nTrans8;
        list = &Trans8List();
    } else if (name == "m_nTrans24") {
        field = &m_nTrans24;
        list = &Trans24List();
    } else if (name == "m_nChipColumns") {
        m_strChipColumns = value;
        return true;
    } else {
        error = "CImgFitDlg has no field " + name;
        return false;
    }
    int chosen = *field;
    if (!SetListField(*list, value, chosen)) {
        error = name + " has no entry " + value;
        return false;
    }
    if (field == &m_nFitMode && chosen == kAllFrames && !AllFramesEnabled()) {
        error = "m_nFitMode " + value + " is offered for pictures of several frames only";
        return false;
    }
    *field = chosen;
    return true;
}

bool CImgFitDlg::Validate(std::string& message)
{
    if (m_strChipColumns.empty())
        SyncText();
    int v;
    if (!ParseDialogInt(m_strChipColumns, v)) {
        message = kMsgEnterInteger;
        return false;
    }
    m_nChipColumns = v;
    return true;
}

// ---------------------------------------------------------------- pixels

bool CImageEx::ConvertTo32Bit(int transIndex, uint32_t transColour)
{
    if (IsNull())
        return false;
    if (m_nBPP == 32 && m_bHasAlpha)
        return true;
    if (m_nBPP != 8 && m_nBPP != 32)
        return false;
    CImageEx out;
    if (!out.CreateEx(m_nWidth, m_nHeight, 32, createAlphaChannel))
        return false;
    uint32_t map[256];
    for (int i = 0; i < 256; ++i) {
        const RGBQUAD& q = m_Table[i];
        map[i] = transIndex >= 0 && i == transIndex
                     ? 0
                     : 0xFF000000u | uint32_t(q.rgbRed) << 16 | uint32_t(q.rgbGreen) << 8 | q.rgbBlue;
    }
    // Colour key in pixel order (0x00RRGGBB); a key above 0xFFFFFF matches none.
    const uint32_t key = transColour > 0xFFFFFFu
                             ? 0xFFFFFFFFu
                             : uint32_t(GetRValue(transColour)) << 16 |
                                   uint32_t(GetGValue(transColour)) << 8 | GetBValue(transColour);
    for (int y = 0; y < m_nHeight; ++y) {
        uint32_t* d = reinterpret_cast<uint32_t*>(out.GetRow(y));
        if (m_nBPP == 8) {
            const uint8_t* s = GetRow(y);
            for (int x = 0; x < m_nWidth; ++x)
                d[x] = map[s[x]];
        } else {
            const uint32_t* s = reinterpret_cast<const uint32_t*>(GetRow(y));
            for (int x = 0; x < m_nWidth; ++x) {
                const uint32_t c = s[x] & 0xFFFFFFu;
                d[x] = c == key ? 0 : 0xFF000000u | c;
            }
        }
    }
    std::swap(m_pStorage, out.m_pStorage);
    std::swap(m_pBits, out.m_pBits);
    std::swap(m_nPitch, out.m_nPitch);
    m_nBPP = 32;
    m_bHasAlpha = true;
    m_nTransparent = -1;
    return true;
}

namespace {

// One pixel of the alpha composition of the working image.
inline uint32_t CompositePixel(uint32_t d, uint32_t s)
{
    const int as = int(s >> 24), ad = int(d >> 24);
    if (as == 0 && ad == 0)
        return 0;
    const int a = 255 - (255 - as) * (255 - ad) / 255;
    uint32_t out = uint32_t(a) << 24;
    for (int sh = 0; sh < 24; sh += 8)
        out |= uint32_t(Mix(ad, as, int((d >> sh) & 0xFF), int((s >> sh) & 0xFF))) << sh;
    return out;
}

struct Tap {
    int index;      // source column (row) relative to the rectangle
    double weight;
};

// The sampling taps of each destination column (row): first tap index and
// count into one flat list.
void AxisTaps(int dn, int sn, double blur, std::vector<Tap>& taps, std::vector<int>& first,
              std::vector<int>& count)
{
    const double f = double(sn) / double(dn);
    taps.clear();
    first.assign(size_t(dn), 0);
    count.assign(size_t(dn), 0);
    for (int i = 0; i < dn; ++i) {
        double start = i * f, end = (i + 1) * f;
        if (f < 1) {
            start -= blur;
            end += blur;
            if (start < 0)
                start = 0;
        }
        first[size_t(i)] = int(taps.size());
        int c = int(start);
        for (bool head = true; c < end && c < sn; ++c, head = false) {
            const double w = head ? (c + 1 - start) : std::min(1.0, end - c);
            if (w != 0)
                taps.push_back({c, w});
        }
        count[size_t(i)] = int(taps.size()) - first[size_t(i)];
    }
}

} // namespace

int CImageEx::BlendScaled(CImageEx& dst, int dx, int dy, int dw, int dh, int sx, int sy, int sw,
                          int sh, double blur) const
{
    if (IsNull() || dst.IsNull() || m_nBPP != 32 || dst.m_nBPP != 32)
        return 0;
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0)
        return 1;
    std::vector<Tap> colTaps, rowTaps;
    std::vector<int> colFirst, colCount, rowFirst, rowCount;
    AxisTaps(dw, sw, blur, colTaps, colFirst, colCount);
    AxisTaps(dh, sh, blur, rowTaps, rowFirst, rowCount);
    // Taps outside this image are not read (callers keep inside it anyway).
    auto inside = [](int origin, int index, int size) {
        const long long p = (long long)origin + index;
        return p >= 0 && p < size;
    };

    for (int j = 0; j < dh; ++j) {
        const int ty = dy + j;
        if (ty < 0 || ty >= dst.m_nHeight)
            continue;
        uint32_t* drow = reinterpret_cast<uint32_t*>(dst.GetRow(ty));
        const Tap* rt = rowTaps.data() + rowFirst[size_t(j)];
        const int rn = rowCount[size_t(j)];
        for (int i = 0; i < dw; ++i) {
            const int tx = dx + i;
            if (tx < 0 || tx >= dst.m_nWidth)
                continue;
            const Tap* ct = colTaps.data() + colFirst[size_t(i)];
            const int cn = colCount[size_t(i)];
            double sa = 0, sr = 0, sg = 0, sb = 0, total = 0;
            for (int r = 0; r < rn; ++r) {
                if (!inside(sy, rt[r].index, m_nHeight))
                    continue;
                const uint32_t* srow =
                    reinterpret_cast<const uint32_t*>(GetRow(sy + rt[r].index)) + sx;
                const double wr = rt[r].weight;
                for (int c = 0; c < cn; ++c) {
                    if (!inside(sx, ct[c].index, m_nWidth))
                        continue;
                    const double w = ct[c].weight * wr;
                    const uint32_t p = srow[ct[c].index];
                    sa += w * double(p >> 24);
                    sr += w * double((p >> 16) & 0xFF);
                    sg += w * double((p >> 8) & 0xFF);
                    sb += w * double(p & 0xFF);
                    total += w;
                }
            }
            if (total <= 0)
                continue;
            // Truncated, but not below an integer the weights reach
            // exactly: an opaque area stays at alpha 255.
            auto avg = [total](double s) {
                const int v = int(s / total + 1e-7);
                return uint32_t(v > 255 ? 255 : v);
            };
            const uint32_t px = avg(sa) << 24 | avg(sr) << 16 | avg(sg) << 8 | avg(sb);
            drow[tx] = CompositePixel(drow[tx], px);
        }
    }
    return 1;
}

// ---------------------------------------------------------------- command

namespace {

const char* const kImageFilter[][2] = {
    {"PNGファイル (*.png)", "*.png"},
    {"Gifフィル (*.gif)", "*.gif"},
    {"Bitmapファイル (*.bmp)", "*.bmp"},
    {"JPEG ファイル (*.jpg)", "*.jpg"},
    {"TIFFファイル", "*.tif;*.tiff"},
    {"WebPファイル", "*.webp"},
};

// Every refusal ends the import without a picture: a failed file operation.
void Fail(const char* message) { ReportFileFailure(message); }

// A picture that could not be read: the framework's words, then the file
// and the reason.
void FailRead(const std::string& path, tesvan::CodecStatus status)
{
    struct stat st {};
    int reason = kDamagedContent;
    if (::stat(path.c_str(), &st) != 0)
        reason = errno;
    else if (S_ISDIR(st.st_mode))
        reason = EISDIR;
    else if (!S_ISREG(st.st_mode))
        reason = kNotAFile;
    else if (::access(path.c_str(), R_OK) != 0)
        reason = errno;
    else if (status == tesvan::CodecStatus::OutOfMemory)
        reason = ENOMEM;
    else if (status == tesvan::CodecStatus::TooLarge)
        reason = EFBIG;
    ReportFileFailure(std::string("イメージの読み込みに失敗しました。") + "\n" + ReadErrorText(path, reason));
}

// The frames of an animated picture into consecutive cells of the layer
// from the current cell on, in reading order, each fitted into its cell as
// mode 0 fits a picture into the sheet; the sheet grows by rows as needed.
// Every frame is decoded before the document changes.
int ImportFrames(CTesvanDoc& doc, CLayer& layer, const std::string& path, int frames,
                 const CImgFitDlg& dlg)
{
    const int cw = doc.m_nCellWidth, ch = doc.m_nCellHeight, cols = doc.m_nColumns;
    if (cw <= 0 || ch <= 0 || cols <= 0)
        return 0;
    const long long first = (long long)doc.m_nEditRow * cols + doc.m_nEditColumn;
    const long long rows = std::max<long long>(doc.m_nRows, (first + frames - 1) / cols + 1);
    if (rows * ch * cols * cw > CTesvanDoc::kMaxSheetPixels) {
        Fail("イメージの作成に失敗しました。");
        return 0;
    }
    const tesvan::GifFrameKey key = dlg.m_nTrans8 == 1 ? tesvan::GifFrameKey::None
                                    : dlg.m_nTrans8 == CImgFitDlg::kOwnTransparency
                                        ? tesvan::GifFrameKey::Own
                                        : tesvan::GifFrameKey::Index0;
    const double blur = std::clamp(dlg.m_nBlur, 0, 5) / 10.0;
    std::vector<std::unique_ptr<CImageEx>> cells;
    const bool decoded = LoadImageFrames(path, key, frames, [&](CImageEx& frame) {
        auto cell = std::make_unique<CImageEx>();
        if (!cell->CreateEx(cw, ch, 32, CImageEx::createAlphaChannel))
            return false;
        const int W = frame.GetWidth(), H = frame.GetHeight();
        const double rx = double(cw) / W, ry = double(ch) / H;
        if (rx >= 1 && ry >= 1)
            frame.BlendScaled(*cell, 0, 0, W, H, 0, 0, W, H, blur);
        else if (ry <= rx)
            frame.BlendScaled(*cell, 0, 0, int(W * ry), ch, 0, 0, W, H, blur);
        else
            frame.BlendScaled(*cell, 0, 0, cw, int(H * rx), 0, 0, W, H, blur);
        cells.push_back(std::move(cell));
        return true;
    });
    if (!decoded || cells.size() != size_t(frames)) {
        FailRead(path, tesvan::CodecStatus::BadData);
        return 0;
    }
    // The sheet only grows, so every cell keeps its number: the current
    // cell (where the frames start), the animations and the zoom stay.
    if (rows > doc.m_nRows) {
        const int editColumn = doc.m_nEditColumn, editRow = doc.m_nEditRow, zoom = doc.m_nZoom;
        std::vector<CAnimeSlot> anime(std::begin(doc.m_Anime), std::end(doc.m_Anime));
        if (!ResizeSheet(doc, cw, ch, cols, int(rows), doc.m_nBitCount, true))
            return 0;
        doc.m_nEditColumn = editColumn;
        doc.m_nEditRow = editRow;
        doc.m_nZoom = zoom;
        std::copy(anime.begin(), anime.end(), std::begin(doc.m_Anime));
    }
    if (!layer.m_pImage &&
        !layer.CreateImage(doc.SheetWidth(), doc.SheetHeight(), doc.m_Palette, false, doc.m_nBitCount)) {
        Fail("イメージの作成に失敗しました。");
        return 0;
    }
    CImageEx& target = *layer.m_pImage;
    if (target.GetBPP() != 32 || target.GetWidth() < cols * cw || target.GetHeight() < rows * ch)
        return 0;
    // Each frame replaces its cell's content.
    for (size_t i = 0; i < cells.size(); ++i) {
        const long long k = first + (long long)i;
        const int x = int(k % cols) * cw, y = int(k / cols) * ch;
        for (int r = 0; r < ch; ++r)
            std::memcpy(target.GetRow(y + r) + 4 * size_t(x), cells[i]->GetRow(r), 4 * size_t(cw));
    }
    doc.SetModifiedFlag();
    doc.ComposeAll(true);
    doc.UpdateAllViews(7);
    return 1;
}

} // namespace

int CTesvanDoc::ImportImage(int index, const std::string& given)
{
    // Pictures go into 32-bit documents only (the command is greyed else).
    if (index < 0 || index >= kLayers || m_nBitCount != 32)
        return 0;
    CLayer& layer = m_Layers[index];
    CUndoRecorder undo(*this, "イメージ読込");

    FileDialogRequest request;
    request.open = true;
    for (const auto& f : kImageFilter)
        request.filters.emplace_back(f[0], f[1]);
    request.folder = layer.m_strFolder;
    request.extFollowsFilter = true;
    request.defaultExt = "png";
    std::string path = given;
    if (path.empty() && !UiPort().FileDialog(request, path))
        return 1;
    layer.m_strPath = path;
    layer.m_strFolder = FolderPart(path);

    CImageEx picture;
    tesvan::CodecStatus status = tesvan::CodecStatus::Ok;
    if (!LoadImageFile(path, picture, nullptr, &status)) {
        FailRead(path, status);
        return 0;
    }

    CImgFitDlg dlg;
    dlg.m_nChipColumns = m_nColumns;
    dlg.m_nFrames = CountImageFrames(path);
    // A picture that declares its own transparent colour keeps it unless
    // the person chooses otherwise.
    if (picture.GetBPP() == 8 && picture.GetTransparentColor() >= 0)
        dlg.m_nTrans8 = CImgFitDlg::kOwnTransparency;
    dlg.SyncText();
    if (!UiPort().DoModal(dlg))
        return 0;
    if (dlg.m_nFitMode == CImgFitDlg::kAllFrames && dlg.m_nFrames > 1) {
        picture.Destroy();
        return ImportFrames(*this, layer, path, dlg.m_nFrames, dlg);
    }

    if (!(picture.GetBPP() == 32 && picture.HasAlpha())) {
        static const uint32_t keys24[3] = {0xFFFFFF, 0x000000, 0xFFFFFFFFu};
        const int t = dlg.m_nTrans8 == 0                              ? 0
                      : dlg.m_nTrans8 == CImgFitDlg::kOwnTransparency ? picture.GetTransparentColor()
                                                                      : -1;
        const uint32_t key = keys24[std::clamp(dlg.m_nTrans24, 0, 2)];
        if (!picture.ConvertTo32Bit(t, key)) {
            Fail("32bitカラーのイメージに変換出来ませんでした。");
            return 0;
        }
    }
    const int W = picture.GetWidth(), H = picture.GetHeight();
    const int mode = dlg.m_nFitMode == CImgFitDlg::kAllFrames ? 0 : std::clamp(dlg.m_nFitMode, 0, 4);
    const double blur = std::clamp(dlg.m_nBlur, 0, 5) / 10.0;

    int chipCols = 0, R = 0, iw = 0, ih = 0;
    double cw = 0, ch = 0;
    int rowOffset = 0;
    if (mode >= 3) {
        chipCols = dlg.m_nChipColumns;
        if (chipCols <= 0) {
            Fail("読込イメージ列数を０以下にはできません。");
            return 0;
        }
        const long long r = (long long)m_nCellWidth * H * chipCols / ((long long)m_nCellHeight * W);
        if (r <= 0) {
            Fail("計算した行数が０になりました。");
            return 0;
        }
        // The chip sizes are checked before the sheet grows, so a failure
        // changes nothing.
        cw = double(W) / chipCols;
        iw = int(cw);
        if (iw == 0) {
            Fail("読み込むイメージのキャラ幅が０になりました");
            return 0;
        }
        // More chip rows than picture rows would make every chip 0 high.
        R = int(std::min<long long>(r, (long long)H + 1));
        ch = double(H) / R;
        ih = int(ch);
        if (ih == 0) {
            Fail("読み込むイメージのキャラ高が０になりました");
            return 0;
        }
        const long long N = (long long)R * chipCols;
        const long long M = (N + m_nColumns - 1) / m_nColumns;
        if (mode == 3) {
            if (M > m_nRows && !ResizeSheet(*this, m_nCellWidth, m_nCellHeight, m_nColumns, int(M),
                                            m_nBitCount, true))
                return 0;
        } else {
            rowOffset = m_nRows * m_nCellHeight;
            if (M > kMaxSheetPixels ||
                !ResizeSheet(*this, m_nCellWidth, m_nCellHeight, m_nColumns, int(m_nRows + M),
                             m_nBitCount, true))
                return 0;
        }
    }

    // A new image replaces the old one only once it exists.
    if (mode != 4 || !layer.m_pImage) {
        if (!layer.CreateImage(SheetWidth(), SheetHeight(), m_Palette, false, m_nBitCount)) {
            Fail("イメージの作成に失敗しました。");
            return 0;
        }
    }
    CImageEx& target = *layer.m_pImage;
    const int w = target.GetWidth(), h = target.GetHeight();
    switch (mode) {
    case 0: {
        const double rx = double(w) / W, ry = double(h) / H;
        if (rx >= 1 && ry >= 1)
            picture.BlendScaled(target, 0, 0, W, H, 0, 0, W, H, blur);
        else if (ry <= rx)
            picture.BlendScaled(target, 0, 0, int(W * ry), h, 0, 0, W, H, blur);
        else
            picture.BlendScaled(target, 0, 0, w, int(H * rx), 0, 0, W, H, blur);
        break;
    }
    case 1: {
        const int cwid = std::min(W, w), chei = std::min(H, h);
        picture.BlendScaled(target, 0, 0, cwid, chei, 0, 0, cwid, chei, blur);
        break;
    }
    case 2:
        picture.BlendScaled(target, 0, 0, w, h, 0, 0, W, H, blur);
        break;
    default: {
        int x = 0, y = rowOffset, placed = 0;
        for (int r = 0; r < R; ++r) {
            const int syy = int(r * ch + 0.5);
            for (int c = 0; c < chipCols; ++c) {
                const int sxx = int(c * cw + 0.5);
                picture.BlendScaled(target, x, y, m_nCellWidth, m_nCellHeight, sxx, syy, iw, ih, blur);
                x += m_nCellWidth;
                if (++placed % m_nColumns == 0) {
                    x = 0;
                    y += m_nCellHeight;
                }
            }
        }
        break;
    }
    }

    picture.Destroy();
    SetModifiedFlag();
    ComposeAll(true);
    UpdateAllViews(7);
    return 1;
}
