#include "edit/LookFill.h"

#include "doc/kernels/RowKernels.h"
#include "platform/Pixel32.h"
#include "platform/SeedFill.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

uint32_t LookOverGround(uint32_t s)
{
    if (s == 0)
        return kFillGround;
    if ((s >> 24) == 0xFF)
        return s;
    const int inv = 255 - int(s >> 24);
    uint32_t out = 0;
    for (int sh = 0; sh < 32; sh += 8) {
        const int v =
            int((s >> sh) & 0xFF) + blit::Div255(int((kFillGround >> sh) & 0xFF) * inv);
        out |= uint32_t(v > 255 ? 255 : v) << sh;
    }
    return out;
}

namespace {

// Which pixels belong to the area, and the fast test of sixteen at once.
template <int Bpp>
struct Look;

template <>
struct Look<8> {
    bool same[256];
    uint8_t seedIndex;
    bool Match(const uint8_t* row, int x) const { return same[row[x]]; }
    // True when all sixteen from x show the seed's own index.
    bool Block(const uint8_t* row, int x) const
    {
#if defined(__SSE2__)
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + x));
        return _mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8(char(seedIndex)))) == 0xFFFF;
#else
        for (int k = 0; k < 16; ++k)
            if (row[x + k] != seedIndex)
                return false;
        return true;
#endif
    }
};

template <>
struct Look<32> {
    uint32_t seedRaw, seedLook;
    bool Match(const uint8_t* row, int x) const
    {
        const uint32_t s = Read32(row + 4 * x);
        return s == seedRaw || (LookOverGround(s) & 0xFFFFFF) == seedLook;
    }
    bool Block(const uint8_t* row, int x) const
    {
        const uint8_t* p = row + 4 * x;
#if defined(__SSE2__)
        const __m128i k = _mm_set1_epi32(int(seedRaw));
        const auto* q = reinterpret_cast<const __m128i*>(p);
        const __m128i e = _mm_and_si128(
            _mm_and_si128(_mm_cmpeq_epi32(_mm_loadu_si128(q), k),
                          _mm_cmpeq_epi32(_mm_loadu_si128(q + 1), k)),
            _mm_and_si128(_mm_cmpeq_epi32(_mm_loadu_si128(q + 2), k),
                          _mm_cmpeq_epi32(_mm_loadu_si128(q + 3), k)));
        return _mm_movemask_epi8(e) == 0xFFFF;
#else
        for (int k = 0; k < 16; ++k)
            if (Read32(p + 4 * k) != seedRaw)
                return false;
        return true;
#endif
    }
};

// The layer's rows and the mask's, one row at a time, for SeedFill.
template <int Bpp>
class CLookRows {
public:
    CLookRows(const CImageEx& image, int x0, int y0, const Look<Bpp>& look, CFillMask& mask)
        : m_image(image), m_x0(x0), m_y0(y0), m_look(look), m_mask(mask)
    {
    }

    void SelectRow(int y)
    {
        m_r = m_image.GetRow(m_y0 + y) + size_t(m_x0) * (Bpp / 8);
        m_m = m_mask.bits.data() + size_t(y) * m_mask.words;
    }

    bool Match(int x) const { return !Marked(x) && m_look.Match(m_r, x); }

    int FillLeft(int x)
    {
        for (; x >= 0 && Match(x); --x)
            Mark(x);
        return x;
    }

    // Marks matching pixels from x rightwards; returns the first one that
    // does not match (or the width). Whole words of sixteen go at once.
    int FillRight(int x)
    {
        const int w = m_mask.width;
        for (;;) {
            for (; x < w && x % 16 != 0; ++x) {
                if (!Match(x))
                    return x;
                Mark(x);
            }
            while (x + 16 <= w && m_m[x / 16] == 0 && m_look.Block(m_r, x)) {
                m_m[x / 16] = 0xFFFF;
                x += 16;
            }
            // A word that is not wholly the seed's: pixel by pixel.
            const int end = std::min(x + 16, w);
            if (x >= end)
                return x;
            for (; x < end; ++x) {
                if (!Match(x))
                    return x;
                Mark(x);
            }
        }
    }

    void Span(int y, int x1, int x2)
    {
        CRect& b = m_mask.box;
        if (b.left > b.right) {
            b = CRect{x1, y, x2, y};
            return;
        }
        b.left = std::min(b.left, x1);
        b.right = std::max(b.right, x2);
        b.top = std::min(b.top, y);
        b.bottom = std::max(b.bottom, y);
    }

private:
    bool Marked(int x) const { return (m_m[x / 16] >> (x % 16)) & 1u; }
    void Mark(int x) { m_m[x / 16] = uint16_t(m_m[x / 16] | 1u << (x % 16)); }

    const CImageEx& m_image;
    int m_x0, m_y0;
    const Look<Bpp>& m_look;
    CFillMask& m_mask;
    const uint8_t* m_r = nullptr;
    uint16_t* m_m = nullptr;
};

// The look of every index of an 8-bit image, taken by drawing the 256
// indices over the ground the way the image draws.
bool IndexLooks(const CImageEx& image, uint32_t looks[256])
{
    CImageEx indices, ground;
    if (!indices.CreateEx(256, 1, 8) || !ground.CreateEx(256, 1, 32))
        return false;
    indices.SetColorTable(0, 256, image.ColorTable());
    indices.SetTransparentColor(image.GetTransparentColor());
    for (int i = 0; i < 256; ++i) {
        indices.GetRow(0)[i] = uint8_t(i);
        std::memcpy(ground.GetRow(0) + 4 * i, &kFillGround, 4);
    }
    if (!indices.Draw(ground, 0, 0, 256, 1, 0, 0, 256, 1))
        return false;
    for (int i = 0; i < 256; ++i)
        looks[i] = Read32(ground.GetRow(0) + 4 * i) & 0xFFFFFF;
    return true;
}

} // namespace

bool FloodByLook(const CImageEx& image, int x0, int y0, int w, int h, CPoint seed,
                 CFillMask& mask)
{
    if (image.IsNull() || w <= 0 || h <= 0 || x0 < 0 || y0 < 0 ||
        int64_t(x0) + w > image.GetWidth() || int64_t(y0) + h > image.GetHeight())
        return false;
    const int bpp = image.GetBPP();
    if (bpp == 32 && (!image.HasAlpha() || image.GetTransparentColor() != -1))
        return false;
    if (bpp != 8 && bpp != 32)
        return false;
    uint32_t looks[256];
    if (bpp == 8 && !IndexLooks(image, looks))
        return false;

    mask.width = w;
    mask.height = h;
    mask.words = (w + 15) / 16;
    mask.bits.assign(size_t(mask.words) * h, 0);
    mask.box = CRect{0, 0, -1, -1};
    if (seed.x < 0 || seed.y < 0 || seed.x >= w || seed.y >= h)
        return true;
    const uint8_t* seedRow = image.GetRow(y0 + seed.y) + size_t(x0) * (bpp / 8);
    if (bpp == 8) {
        Look<8> look;
        look.seedIndex = seedRow[seed.x];
        for (int i = 0; i < 256; ++i)
            look.same[i] = looks[i] == looks[look.seedIndex];
        CLookRows<8> rows(image, x0, y0, look, mask);
        SeedFill(rows, seed.x, seed.y, h);
    } else {
        Look<32> look;
        look.seedRaw = Read32(seedRow + 4 * size_t(seed.x));
        look.seedLook = LookOverGround(look.seedRaw) & 0xFFFFFF;
        CLookRows<32> rows(image, x0, y0, look, mask);
        SeedFill(rows, seed.x, seed.y, h);
    }
    return true;
}
