#include "doc/Layer.h"

#include "doc/Archive.h"
#include "doc/Codec.h"
#include "platform/UiPort.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

namespace {

constexpr int32_t kRecordTag = 18;    // version 2: with alphas

bool PageInRange(int page) { return page >= 0 && page < 12; }

// The colour table of an 8-bit layer image: the shared entries 0..63 and the
// layer's own page; the rest black.
void LayerTable(const RGBQUAD* palette, int page, RGBQUAD table[256])
{
    std::fill_n(table, 256, RGBQUAD{});
    std::memcpy(table, palette, sizeof(RGBQUAD) * 64);
    if (PageInRange(page)) {
        const int first = (page + 4) * 16;
        std::memcpy(table + first, palette + first, sizeof(RGBQUAD) * 16);
    }
}

inline uint32_t Opaque(const RGBQUAD& q)
{
    return 0xFF000000u | (uint32_t(q.rgbRed) << 16) | (uint32_t(q.rgbGreen) << 8) | q.rgbBlue;
}

} // namespace

void CLayerRegion::Reset()
{
    nLayer = -1;
    left = top = right = bottom = 0;
    data.SetSize(0);
}

CLayer::CLayer() { Clear(0); }

CLayer::~CLayer() { ReleaseImage(); }

void CLayer::Clear(int page)
{
    m_nPage = page;
    m_nBitCount = 32;
    m_bVisible = 1;
    m_strName.clear();
    m_strFolder.clear();
    m_strPath.clear();
    m_nColor[0] = m_nColor[1] = 16;
    m_nAlpha[0] = 0xFF000000u;
    m_nAlpha[1] = 0;
    ReleaseImage();
}

void CLayer::ReleaseImage()
{
    delete m_pImage;
    m_pImage = nullptr;
}

// Unlike the bare bitmap creation, a failed creation is reported (false) and
// leaves the layer with its old image, so nothing writes into missing pixels.
bool CLayer::CreateImage(int width, int height, const RGBQUAD* palette, bool keepPixels,
                         int bitCount)
{
    std::unique_ptr<CImageEx> image(new (std::nothrow) CImageEx);
    if (!image)
        return false;
    if (!image->CreateEx(width, height, bitCount,
                         bitCount == 32 ? CImageEx::createAlphaChannel : 0))
        return false;
    if (bitCount == 8) {
        RGBQUAD table[256];
        LayerTable(palette, m_nPage, table);
        image->SetColorTable(0, 256, table);
        image->SetTransparentColor(0);
    }
    if (m_pImage && keepPixels && !m_pImage->IsNull()) {
        const int w = std::min(width, m_pImage->GetWidth());
        const int h = std::min(height, m_pImage->GetHeight());
        if (m_pImage->GetBPP() == bitCount) {
            const size_t bytes = size_t(w) * size_t(bitCount / 8);
            for (int y = 0; y < h; ++y)
                std::memcpy(image->GetRow(y), m_pImage->GetRow(y), bytes);
        } else if (m_pImage->GetBPP() == 8 && bitCount == 32) {
            ConvertIndexedTo32(*m_pImage, *image, palette, w, h);
        }
    }
    ReleaseImage();
    m_nBitCount = bitCount;
    m_pImage = image.release();
    if (bitCount == 8)
        ApplyPalette(palette);
    return true;
}

void CLayer::ApplyPalette(const RGBQUAD* palette)
{
    if (!m_pImage || m_pImage->IsNull() || m_pImage->GetBPP() != 8)
        return;
    m_pImage->SetColorTable(0, 64, palette);
    if (PageInRange(m_nPage)) {
        const int first = (m_nPage + 4) * 16;
        m_pImage->SetColorTable(first, 16, palette + first);
    }
    m_pImage->SetTransparentColor(0);
}

bool CLayer::Capture(CLayerRegion& region, int left, int top, int right, int bottom,
                     int bitCount) const
{
    region.nLayer = m_nPage;
    region.left = left;
    region.top = top;
    region.right = right;
    region.bottom = bottom;
    if (!m_pImage || m_pImage->IsNull()) {
        region.data.SetSize(0);
        return false;
    }
    const int w = right - left + 1;
    const int h = bottom - top + 1;
    if (bitCount == 8)
        Compress8(*m_pImage, left, top, w, h, 0, region.data);
    else
        Compress32(*m_pImage, left, top, w, h, region.data);
    return true;
}

void CLayer::Write(CArchive& ar) const
{
    // The pixels decide the code, so a slot whose depth field disagrees with
    // its image never saves as empty.
    const bool hasPixels = m_pImage && !m_pImage->IsNull();
    const int depth = hasPixels ? m_pImage->GetBPP() : m_nBitCount;
    ar.WriteInt32(kRecordTag);
    ar.WriteInt32(depth);
    ar.WriteInt32(m_nPage);
    ar.WriteInt32(m_bVisible);
    ar.WriteString(m_strName);
    ar.WriteString(m_strFolder);
    ar.WriteString(m_strPath);
    ar.WriteInt32(m_nColor[0]);
    ar.WriteInt32(m_nColor[1]);
    ar.WriteUInt32(m_nAlpha[0]);
    ar.WriteUInt32(m_nAlpha[1]);
    std::vector<uint8_t>& code = ar.Scratch();
    code.clear();
    if (hasPixels) {
        const int w = m_pImage->GetWidth();
        const int h = m_pImage->GetHeight();
        if (depth == 8)
            EncodeRuns8(*m_pImage, 0, 0, w, h, uint8_t(16 * m_nPage), code);
        else
            EncodeRuns32(*m_pImage, 0, 0, w, h, code);
    }
    ar.WriteUInt32(uint32_t(code.size()));
    ar.Write(code.data(), code.size());
}

// The whole record is read and checked before the slot changes, so a bad
// record leaves the slot as it was.
bool CLayer::Read(CArchive& ar, int documentBitCount, const RGBQUAD* palette, bool applyAll,
                  int width, int height, bool* hasPixels)
{
    const int32_t v = ar.ReadInt32();
    int32_t page, depth, version;
    if (v <= 12) {
        page = v;
        depth = 8;
        version = 1;
    } else {
        version = v & 15;
        depth = ar.ReadInt32();
        page = ar.ReadInt32();
    }
    if (depth != 8 && depth != 32)
        throw CArchiveException(CArchiveException::badFormat);
    const int32_t visible = ar.ReadInt32();
    std::string name = ar.ReadString();
    std::string folder = ar.ReadString();
    std::string path = ar.ReadString();
    int32_t colour[2];
    colour[0] = ar.ReadInt32();
    colour[1] = ar.ReadInt32();
    uint32_t alpha[2] = {0xFF000000u, 0xFF000000u};
    if (version >= 2) {
        alpha[0] = ar.ReadUInt32();
        alpha[1] = ar.ReadUInt32();
    }
    if (applyAll) {
        // Page and colour indices index the palette.
        if (!PageInRange(page) || colour[0] < 0 || colour[0] > 255 || colour[1] < 0 ||
            colour[1] > 255)
            throw CArchiveException(CArchiveException::badFormat);
    }
    const int slotPage = applyAll ? page : m_nPage;

    const uint32_t count = ar.ReadUInt32();
    // Only pixels need converting: an empty layer saved with depth 32 (the
    // depth a cleared slot has) opens in an 8-bit document.
    if (count > 0 && depth > documentBitCount) {
        UiPort().MessageBox("32bitイメージを8bitイメージに変換できません。");
        return false;
    }
    std::unique_ptr<CImageEx> image;
    if (hasPixels) {
        ar.Skip(count);
        *hasPixels = count > 0;
    } else if (count > 0) {
        if (count > ar.Remaining())
            throw CArchiveException(CArchiveException::endOfFile);
        image.reset(new (std::nothrow) CImageEx);
        const int bpp = documentBitCount == 32 ? 32 : 8;
        if (!image || !image->CreateEx(width, height, bpp,
                                       bpp == 32 ? CImageEx::createAlphaChannel : 0))
            return false;
        if (depth == 32) {
            DecodeRecord32(ar, count, *image);
        } else {
            RGBQUAD table[256];
            LayerTable(palette, slotPage, table);
            if (bpp == 8) {
                image->SetColorTable(0, 256, table);
                image->SetTransparentColor(0);
                DecodeRecord8(ar, count, *image, uint8_t(16 * slotPage));
            } else {
                // An 8-bit record in a 32-bit document: converted by colour
                // as the colour-keyed copy does; the key colour becomes empty.
                uint32_t map[256];
                const RGBQUAD key = table[0];
                for (int i = 0; i < 256; ++i) {
                    const RGBQUAD& q = table[i];
                    const bool isKey = q.rgbRed == key.rgbRed && q.rgbGreen == key.rgbGreen &&
                                       q.rgbBlue == key.rgbBlue;
                    map[i] = isKey ? 0 : Opaque(q);
                }
                DecodeRecord8(ar, count, *image, uint8_t(16 * slotPage), map);
            }
        }
    }

    const bool pixels = image || (hasPixels && *hasPixels);
    m_nBitCount = pixels ? (documentBitCount == 32 ? 32 : 8) : std::min<int>(depth, documentBitCount);
    m_bVisible = visible;
    m_strName = std::move(name);
    m_strFolder = std::move(folder);
    m_strPath = std::move(path);
    if (applyAll) {
        m_nPage = page;
        m_nColor[0] = colour[0];
        m_nColor[1] = colour[1];
        m_nAlpha[0] = alpha[0];
        m_nAlpha[1] = alpha[1];
    }
    ReleaseImage();
    m_pImage = image.release();
    return true;
}

void CLayer::Swap(CLayer& other) noexcept
{
    PairSettings(*this, other, [](auto& a, auto& b) { std::swap(a, b); });
    std::swap(m_pImage, other.m_pImage);
}

void ConvertIndexedTo32(const CImageEx& src, CImageEx& dst, const RGBQUAD* palette, int width,
                        int height)
{
    if (src.IsNull() || dst.IsNull() || src.GetBPP() != 8 || dst.GetBPP() != 32)
        return;
    width = std::min({width, src.GetWidth(), dst.GetWidth()});
    height = std::min({height, src.GetHeight(), dst.GetHeight()});
    uint32_t map[256];
    map[0] = 0;
    for (int i = 1; i < 256; ++i)
        map[i] = Opaque(palette[i]);
    for (int y = 0; y < height; ++y) {
        const uint8_t* s = src.GetRow(y);
        uint32_t* d = reinterpret_cast<uint32_t*>(dst.GetRow(y));
        for (int x = 0; x < width; ++x)
            d[x] = map[s[x]];
    }
}
