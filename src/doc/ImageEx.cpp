#include "doc/ImageEx.h"

#include <atomic>
#include <cstring>
#include <new>

namespace {
std::atomic<int> g_liveImages{0};
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
    m_pStorage.reset(new (std::nothrow) uint8_t[size_t(bytes)]);
    if (!m_pStorage)
        return false;
    std::memset(m_pStorage.get(), 0, size_t(bytes));
    m_nWidth = width;
    m_nHeight = height;
    m_nBPP = bitsPerPixel;
    m_nPitch = -int(stride);
    m_pBits = m_pStorage.get() + (height - 1) * stride;
    m_bHasAlpha = bitsPerPixel == 32 && (flags & createAlphaChannel);
    m_nTransparent = -1;
    std::memset(m_Table, 0, sizeof m_Table);
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
