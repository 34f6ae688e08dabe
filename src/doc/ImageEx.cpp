#include "doc/ImageEx.h"

#include "doc/kernels/RowKernels.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>
#include <sys/mman.h>

namespace {
std::atomic<int> g_liveImages{0};
}

// From this size on, storage is mapped rather than taken from the heap.
constexpr int64_t kMapThreshold = 1 << 20;

void CImageEx::StorageFree::operator()(uint8_t* p) const
{
    if (mapped)
        munmap(p, mapped);
    else
        delete[] p;
}

CImageEx::CImageEx() { ++g_liveImages; }

CImageEx::~CImageEx() { --g_liveImages; }

int CImageEx::LiveCount() { return g_liveImages.load(); }

bool CImageEx::CreateEx(int width, int height, int bitsPerPixel, uint32_t flags)
{
    Destroy();
    if (width <= 0 || height <= 0 || (bitsPerPixel != 8 && bitsPerPixel != 32))
        return false;
    const int64_t stride = ((int64_t(width) * bitsPerPixel + 31) / 32) * 4;
    const int64_t bytes = stride * height;
    if (stride > INT32_MAX || bytes > (int64_t(1) << 34))
        return false;
    if (bytes >= kMapThreshold) {
        void* p = mmap(nullptr, size_t(bytes), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS,
                       -1, 0);
        if (p == MAP_FAILED)
            return false;
#ifdef MADV_HUGEPAGE
        madvise(p, size_t(bytes), MADV_HUGEPAGE);
#endif
        m_pStorage = std::unique_ptr<uint8_t[], StorageFree>(static_cast<uint8_t*>(p),
                                                             StorageFree{size_t(bytes)});
    } else {
        uint8_t* p = new (std::nothrow) uint8_t[size_t(bytes)];
        if (!p)
            return false;
        std::memset(p, 0, size_t(bytes));
        m_pStorage = std::unique_ptr<uint8_t[], StorageFree>(p, StorageFree{0});
    }
    m_nWidth = width;
    m_nHeight = height;
    m_nBPP = bitsPerPixel;
    m_nPitch = -int(stride);
    m_pBits = m_pStorage.get() + (height - 1) * stride;
    m_bHasAlpha = bitsPerPixel == 32 && (flags & createAlphaChannel);
    m_nTransparent = -1;
    std::fill(std::begin(m_Table), std::end(m_Table), RGBQUAD{});
    return true;
}

void CImageEx::Destroy()
{
    m_pStorage.reset();
    m_pBits = nullptr;
    m_nWidth = m_nHeight = m_nPitch = m_nBPP = 0;
    m_bHasAlpha = false;
    m_nTransparent = -1;
}

void CImageEx::SetColorTable(int first, int count, const RGBQUAD* entries)
{
    if (IsNull() || m_nBPP != 8 || first < 0 || count <= 0 || first + count > 256)
        return;
    std::memcpy(m_Table + first, entries, sizeof(RGBQUAD) * size_t(count));
}

void CImageEx::GetColorTable(int first, int count, RGBQUAD* entries) const
{
    if (first < 0 || count <= 0 || first + count > 256)
        return;
    std::memcpy(entries, m_Table + first, sizeof(RGBQUAD) * size_t(count));
}

uint32_t CImageEx::GetPixel(int x, int y) const
{
    if (IsNull() || x < 0 || y < 0 || x >= m_nWidth || y >= m_nHeight)
        return 0xFFFFFFFF;
    const uint8_t* row = GetRow(y);
    if (m_nBPP == 8) {
        const RGBQUAD& q = m_Table[row[x]];
        return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
    }
    const uint8_t* p = row + 4 * x;
    return RGB(p[2], p[1], p[0]);
}

namespace {

using blit::Div255;

enum class Mode { Keyed, Alpha, Copy };

// Copies one run of n source pixels (already stretched into a contiguous
// run, or a single pixel) into the destination.
struct Blitter {
    Mode mode = Mode::Copy;
    int srcBPP = 0;
    int dstBPP = 0;
    const RGBQUAD* dstTable = nullptr;
    blit::IndexMap map8;           // 8 -> 8
    uint32_t pix32[256];           // 8 -> 32: pixel of each index
    bool skip32[256];              // 8 -> 32: keyed index
    uint32_t keyRGB = 0;           // 32-bit source key, 0x00RRGGBB
    bool memcpyOk = false;
    // Last nearest-colour look-up of a 32-bit pixel into an 8-bit table.
    uint32_t lastRGB = 0xFFFFFFFF;
    uint8_t lastIndex = 0;

    uint8_t Nearest(uint32_t rgb)
    {
        if (rgb != lastRGB) {
            lastRGB = rgb;
            lastIndex = uint8_t(blit::NearestIndex(dstTable, (rgb >> 16) & 0xFF,
                                                  (rgb >> 8) & 0xFF, rgb & 0xFF));
        }
        return lastIndex;
    }

    void Run(const uint8_t* src, uint8_t* dst, int n)
    {
        if (srcBPP == 8 && dstBPP == 8) {
            if (memcpyOk)
                std::memcpy(dst, src, size_t(n));
            else
                blit::MapRow8(src, dst, n, map8);
            return;
        }
        if (srcBPP == 8) {
            for (int i = 0; i < n; ++i) {
                if (!skip32[src[i]])
                    std::memcpy(dst + 4 * i, &pix32[src[i]], 4);
            }
            return;
        }
        for (int i = 0; i < n; ++i) {
            uint32_t s;
            std::memcpy(&s, src + 4 * i, 4);
            if (mode == Mode::Keyed && (s & 0xFFFFFF) == keyRGB)
                continue;
            if (mode == Mode::Alpha) {
                // Per-pixel alpha blend with the source taken as
                // premultiplied, as the platform's blend does.
                const int inv = 255 - int(s >> 24);
                if (dstBPP == 32) {
                    uint32_t d;
                    std::memcpy(&d, dst + 4 * i, 4);
                    uint32_t out = 0;
                    for (int sh = 0; sh < 32; sh += 8) {
                        const int v = int((s >> sh) & 0xFF) + Div255(int((d >> sh) & 0xFF) * inv);
                        out |= uint32_t(v > 255 ? 255 : v) << sh;
                    }
                    std::memcpy(dst + 4 * i, &out, 4);
                } else {
                    const RGBQUAD& q = dstTable[dst[i]];
                    const int dc[3] = {q.rgbBlue, q.rgbGreen, q.rgbRed};
                    uint32_t rgb = 0;
                    for (int c = 0; c < 3; ++c) {
                        const int v = int((s >> (8 * c)) & 0xFF) + Div255(dc[c] * inv);
                        rgb |= uint32_t(v > 255 ? 255 : v) << (8 * c);
                    }
                    dst[i] = Nearest(rgb);
                }
                continue;
            }
            if (dstBPP == 32)
                std::memcpy(dst + 4 * i, &s, 4);
            else
                dst[i] = Nearest(s & 0xFFFFFF);
        }
    }
};

}  // namespace

static bool DoBlit(const CImageEx& src, CImageEx& dst, Mode mode, int dx, int dy, int dw, int dh,
                   int sx, int sy, int sw, int sh)
{
    if (src.IsNull() || dst.IsNull())
        return false;
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0)
        return false;
    if (mode == Mode::Alpha && src.GetBPP() != 32)
        mode = Mode::Copy;

    auto b = std::make_unique<Blitter>();
    b->mode = mode;
    b->srcBPP = src.GetBPP();
    b->dstBPP = dst.GetBPP();
    b->dstTable = dst.ColorTable();
    const int keyIndex = src.GetTransparentColor();
    const RGBQUAD key =
        mode == Mode::Keyed ? src.ColorTable()[keyIndex & 0xFF] : RGBQUAD{};
    if (b->srcBPP == 8) {
        if (b->dstBPP == 8) {
            blit::BuildIndexMap(src.ColorTable(), dst.ColorTable(),
                                mode == Mode::Keyed ? &key : nullptr, b->map8);
            b->memcpyOk = b->map8.identity && mode != Mode::Keyed;
        } else {
            for (int i = 0; i < 256; ++i) {
                const RGBQUAD& c = src.ColorTable()[i];
                b->skip32[i] = mode == Mode::Keyed && blit::SameColour(c, key);
                b->pix32[i] = 0xFF000000u | uint32_t(c.rgbRed) << 16 | uint32_t(c.rgbGreen) << 8 |
                              c.rgbBlue;
            }
        }
    } else {
        b->keyRGB = uint32_t(key.rgbRed) << 16 | uint32_t(key.rgbGreen) << 8 | key.rgbBlue;
    }

    const int sBpp = b->srcBPP / 8;
    const int dBpp = b->dstBPP / 8;
    // Destination columns and rows that land inside the destination.
    const int x0 = std::max(dx, 0), x1 = std::min<int64_t>(int64_t(dx) + dw, dst.GetWidth());
    const int y0 = std::max(dy, 0), y1 = std::min<int64_t>(int64_t(dy) + dh, dst.GetHeight());
    if (x0 >= x1 || y0 >= y1)
        return true;
    const bool unscaled = sw == dw;
    // For an unscaled copy, the columns whose source lies inside the source too.
    const int ux0 = std::max<int64_t>(x0, int64_t(dx) - sx);
    const int ux1 = std::min<int64_t>(x1, int64_t(dx) - sx + src.GetWidth());
    // Rows in storage order (bottom-up), which the prefetcher follows.
    for (int y = y1 - 1; y >= y0; --y) {
        const int64_t syy = sy + (int64_t(y) - dy) * sh / dh;
        if (syy < 0 || syy >= src.GetHeight())
            continue;
        const uint8_t* srow = src.GetRow(int(syy));
        uint8_t* drow = dst.GetRow(y);
        if (unscaled) {
            if (ux0 < ux1)
                b->Run(srow + (int64_t(ux0) - dx + sx) * sBpp, drow + int64_t(ux0) * dBpp, ux1 - ux0);
            continue;
        }
        for (int x = x0; x < x1; ++x) {
            const int64_t sxx = sx + (int64_t(x) - dx) * sw / dw;
            if (sxx < 0 || sxx >= src.GetWidth())
                continue;
            b->Run(srow + sxx * sBpp, drow + int64_t(x) * dBpp, 1);
        }
    }
    return true;
}

bool CImageEx::Draw(CImageEx& dst, int dx, int dy, int dw, int dh, int sx, int sy, int sw,
                    int sh) const
{
    if (&dst == this && !IsNull()) {
        // A blit within one image reads a copy, so overlapping rectangles
        // see the source as it was.
        CImageEx copy;
        if (!copy.CreateEx(m_nWidth, m_nHeight, m_nBPP, m_bHasAlpha ? createAlphaChannel : 0))
            return false;
        std::memcpy(copy.m_pStorage.get(), m_pStorage.get(), size_t(-m_nPitch) * size_t(m_nHeight));
        copy.SetColorTable(0, 256, m_Table);
        copy.m_nTransparent = m_nTransparent;
        return copy.Draw(dst, dx, dy, dw, dh, sx, sy, sw, sh);
    }
    const Mode mode = m_nTransparent != -1 ? Mode::Keyed
                      : m_bHasAlpha        ? Mode::Alpha
                                           : Mode::Copy;
    return DoBlit(*this, dst, mode, dx, dy, dw, dh, sx, sy, sw, sh);
}

bool CImageEx::BitBlt(CImageEx& dst, int width, int height) const
{
    if (&dst == this)
        return !IsNull() && width > 0 && height > 0;  // onto itself at the same place
    return DoBlit(*this, dst, Mode::Copy, 0, 0, width, height, 0, 0, width, height);
}
