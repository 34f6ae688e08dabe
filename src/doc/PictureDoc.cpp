// Pictures opened as documents: a 32-bit sheet whose cells are the
// picture's frames in one row, the pixels on layer 0, untitled under the
// picture's name so a save asks where the .tvn goes.
#include "doc/TesvanDoc.h"

#include "doc/Anime.h"
#include "doc/ImageFiles.h"
#include "platform/ImageCodec.h"
#include "platform/SafeFile.h"
#include "platform/UiPort.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

using namespace tesvan;

namespace {

constexpr const char* kMsgPictureFailed = "画像を読み込めませんでした。";
constexpr const char* kMsgPictureHuge = "画像が大きすぎるため開けません。";
constexpr const char* kMsgPictureTooLarge = "画像が大きすぎるため開けません(%1 x %2)。";
// The largest side a cell or a sheet's column count may have.
constexpr int kMaxSide = 32767;

std::string Fill(std::string text, std::initializer_list<std::string> args)
{
    int k = 1;
    for (const std::string& a : args) {
        const std::string key = "%" + std::to_string(k++);
        if (const size_t at = text.find(key); at != std::string::npos)
            text.replace(at, key.size(), a);
    }
    return text;
}

std::string Stem(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    return name;
}

} // namespace

bool CTesvanDoc::IsPictureFile(const std::string& path)
{
    uint8_t head[16] = {};
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    const size_t n = std::fread(head, 1, sizeof head, f);
    std::fclose(f);
    return SniffImageFormat(head, n) != ImageFormat::None;
}

bool CTesvanDoc::OpenPicture(const std::string& path)
{
    std::vector<uint8_t> data;
    CodecStatus st = ReadImageFileBytes(path, data);
    const int frames = st == CodecStatus::Ok ? CountImageFramesIn(data.data(), data.size()) : 0;
    if (st == CodecStatus::Ok && frames < 1)
        st = CodecStatus::BadData;

    // Every frame goes into a sheet of its own first, so a failure leaves the
    // document as it was.
    CImageEx sheet;
    std::vector<int> delays;
    int width = 0, height = 0;
    bool tooLarge = false;
    if (st == CodecStatus::Ok)
        st = DecodeImageFrames(data.data(), data.size(), frames, [&](const DecodedImage& pic) {
            if (sheet.IsNull()) {
                width = pic.width;
                height = pic.height;
                if (width > kMaxSide || height > kMaxSide || frames > kMaxSide ||
                    (long long)width * frames * height > kMaxSheetPixels) {
                    tooLarge = true;
                    return false;
                }
                if (!sheet.CreateEx(width * frames, height, 32, CImageEx::createAlphaChannel))
                    return false;
            }
            if (pic.width != width || pic.height != height)
                return false;
            CImageEx frame;
            if (!ImageFromDecoded(pic, frame))
                return false;
            // Indexed pictures keep their transparent colour; others have none.
            if (!frame.ConvertTo32Bit(frame.GetTransparentColor(), 0xFFFFFFFFu))
                return false;
            const int x = int(delays.size()) * width;
            for (int y = 0; y < height; ++y)
                std::memcpy(sheet.GetRow(y) + 4 * size_t(x), frame.GetRow(y), 4 * size_t(width));
            delays.push_back(pic.delayMs);
            return true;
        });
    if (tooLarge) {
        // The sheet the picture would need.
        ReportFileFailure(Fill(kMsgPictureTooLarge,
                               {std::to_string((long long)width * frames), std::to_string(height)}));
        return false;
    }
    if (st == CodecStatus::TooLarge) {
        // Beyond what the decoders take at all: named when the header tells.
        if (ProbeImageSize(data.data(), data.size(), width, height))
            ReportFileFailure(Fill(kMsgPictureTooLarge, {std::to_string(width), std::to_string(height)}));
        else
            ReportFileFailure(kMsgPictureHuge);
        return false;
    }
    if (st != CodecStatus::Ok || int(delays.size()) != frames) {
        ReportFileFailure(kMsgPictureFailed);
        return false;
    }

    m_nBitCount = 32;
    m_nCellWidth = width;
    m_nCellHeight = height;
    m_nColumns = frames;
    m_nRows = 1;
    OnNewDocument();
    CLayer& layer = m_Layers[0];
    if (!layer.CreateImage(SheetWidth(), SheetHeight(), m_Palette, false, 32)) {
        ReportFileFailure(kMsgPictureFailed);
        return false;
    }
    for (int y = 0; y < height; ++y)
        std::memcpy(layer.m_pImage->GetRow(y), sheet.GetRow(y), 4 * size_t(SheetWidth()));
    // The largest zoom (up to 16) at which the cell stays within about 512
    // screen pixels.
    m_nZoom = 1;
    for (int z : kZoomSteps)
        if (z <= 16 && std::max(width, height) * z <= 512)
            m_nZoom = z;
    if (frames > 1) {
        // One slot plays the frames at the first frame's time.
        CAnimeSlot& slot = m_Anime[0];
        slot.strFrames.clear();
        for (int k = 0; k < frames; ++k)
            slot.strFrames += (k ? "," : "") + std::to_string(k);
        slot.nStepMs = std::clamp(delays[0], kAnimeStepMin, kAnimeStepMax);
        slot.nSpeed = AnimeSpeedForStep(slot.nStepMs);
        m_bAnimeShown = 1;
    }
    ComposeAll(true);
    UpdateAllViews(HINT_ERASE | HINT_PIXELS | HINT_CANVAS | HINT_PANE);
    if (m_pAnimeDlg) {
        m_pAnimeDlg->RefreshLayout();
        m_pAnimeDlg->ShowWindow(m_bAnimeShown != 0);
    }
    SetPathName({});
    SetTitle(Stem(path));
    SetModifiedFlag(false);
    return true;
}
