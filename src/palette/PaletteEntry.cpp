// Changing one palette entry: the undo record, the recolouring of a 32-bit
// layer, the remembered gradation it spoils, and the 8-bit colour tables.
#include "doc/kernels/RowKernels.h"
#include "doc/TesvanDoc.h"

#include <cstring>

#if TV_X86_KERNELS
#include <emmintrin.h>
#endif

namespace {

// Pixels whose colour bits are `from` take `to`, keeping their alpha; 0 (fully
// transparent black) is empty and never a colour. Most blocks hold no match,
// so a block is only written back when one of its pixels changes.
void RecolourRun(uint8_t* bytes, size_t n, uint32_t from, uint32_t to)
{
    size_t i = 0;
#if TV_X86_KERNELS
    const __m128i rgb = _mm_set1_epi32(0x00FFFFFF);
    const __m128i alpha = _mm_set1_epi32(int(0xFF000000u));
    const __m128i vFrom = _mm_set1_epi32(int(from));
    const __m128i vTo = _mm_set1_epi32(int(to));
    const __m128i zero = _mm_setzero_si128();
    for (; i + 8 <= n; i += 8) {
        __m128i* at = reinterpret_cast<__m128i*>(bytes + 4 * i);
        const __m128i a = _mm_loadu_si128(at);
        const __m128i b = _mm_loadu_si128(at + 1);
        const __m128i ma = _mm_andnot_si128(_mm_cmpeq_epi32(a, zero),
                                            _mm_cmpeq_epi32(_mm_and_si128(a, rgb), vFrom));
        const __m128i mb = _mm_andnot_si128(_mm_cmpeq_epi32(b, zero),
                                            _mm_cmpeq_epi32(_mm_and_si128(b, rgb), vFrom));
        if (_mm_movemask_epi8(_mm_or_si128(ma, mb)) == 0)
            continue;
        const __m128i na = _mm_or_si128(_mm_and_si128(a, alpha), vTo);
        const __m128i nb = _mm_or_si128(_mm_and_si128(b, alpha), vTo);
        _mm_storeu_si128(at, _mm_or_si128(_mm_and_si128(ma, na), _mm_andnot_si128(ma, a)));
        _mm_storeu_si128(at + 1, _mm_or_si128(_mm_and_si128(mb, nb), _mm_andnot_si128(mb, b)));
    }
#endif
    for (; i < n; ++i) {
        uint32_t p;
        std::memcpy(&p, bytes + 4 * i, 4);
        if (p != 0 && (p & 0xFFFFFF) == from) {
            p = (p & 0xFF000000u) | to;
            std::memcpy(bytes + 4 * i, &p, 4);
        }
    }
}

// One pass in storage order: a gapless image is one run.
void RecolourImage(CImageEx& img, uint32_t from, uint32_t to)
{
    const int w = img.GetWidth(), h = img.GetHeight();
    if (w <= 0 || h <= 0)
        return;
    const std::ptrdiff_t pitch = img.GetPitch();
    const std::ptrdiff_t line = std::ptrdiff_t(w) * 4;
    if (pitch == line || pitch == -line) {
        RecolourRun(img.GetRow(pitch < 0 ? h - 1 : 0), size_t(w) * size_t(h), from, to);
        return;
    }
    for (int k = 0; k < h; ++k)
        RecolourRun(img.GetRow(pitch < 0 ? h - 1 - k : k), size_t(w), from, to);
}

} // namespace

int CTesvanDoc::ChangePaletteColor(int entry, uint32_t color)
{
    if (entry < 0 || entry > 255)
        return 0;
    const RGBQUAD& e = m_Palette[entry];
    if (RGB(e.rgbRed, e.rgbGreen, e.rgbBlue) == (color & 0xFFFFFF))
        return 0;
    CLayer& layer = CurrentLayer();
    PushUndo(layer.m_nPage, entry);
    SetPaletteEntry(layer, entry, color);
    ForgetGradation(entry);
    if (m_nBitCount == 8)
        ApplyPaletteToLayers();
    ComposeAll(true);
    SetModifiedFlag();
    UpdateAllViews(HINT_PIXELS | HINT_CANVAS | HINT_PANE);
    return 1;
}

void CTesvanDoc::SetPaletteEntry(CLayer& layer, int entry, uint32_t color)
{
    if (entry < 0 || entry > 255)
        return;
    RGBQUAD& e = m_Palette[entry];
    if (m_nBitCount == 32 && entry >= 64 && layer.m_pImage && !layer.m_pImage->IsNull() &&
        layer.m_pImage->GetBPP() == 32) {
        const uint32_t from = uint32_t(e.rgbRed) << 16 | uint32_t(e.rgbGreen) << 8 | e.rgbBlue;
        const uint32_t to = uint32_t(GetRValue(color)) << 16 | uint32_t(GetGValue(color)) << 8 |
                            uint32_t(GetBValue(color));
        if (from != to)
            RecolourImage(*layer.m_pImage, from, to);
    }
    e = RGBQUAD{uint8_t(GetBValue(color)), uint8_t(GetGValue(color)), uint8_t(GetRValue(color)), 0};
}

void CTesvanDoc::ForgetGradation(int entry)
{
    if (entry < 16 || entry > 255)
        return;
    int r = (entry - 16) / 8;
    if (m_Gradations[r].nCount == 8) {
        m_Gradations[r] = CGradationInfo{};
        return;
    }
    r &= ~1;
    if (m_Gradations[r].nCount == 16)
        m_Gradations[r] = CGradationInfo{};
}

void CTesvanDoc::ApplyPaletteToLayers()
{
    if (m_nBitCount != 8)
        return;
    for (CLayer& layer : m_Layers)
        layer.ApplyPalette(m_Palette);
    RefreshWorkPalette();
}
