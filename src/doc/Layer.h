// One of the twelve layer slots of a document, and the inclusive pixel
// region record that floating pastes and undo entries are made of.
#pragma once

#include "doc/BynaryBuffer.h"
#include "doc/ImageEx.h"

#include <cstdint>
#include <string>

class CArchive;

// One inclusive rectangle of one layer's pixels, run-length coded, tagged
// with the layer's identity (its page).
struct CLayerRegion {
    int nLayer = -1;
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    CBynaryBuffer data;

    void Reset();
};

class CLayer {
public:
    CLayer();
    ~CLayer();
    CLayer(const CLayer&) = delete;
    CLayer& operator=(const CLayer&) = delete;

    void Clear(int page);
    void ReleaseImage();
    bool CreateImage(int width, int height, const RGBQUAD* palette, bool keepPixels, int bitCount);
    void ApplyPalette(const RGBQUAD* palette);
    bool Capture(CLayerRegion& region, int left, int top, int right, int bottom, int bitCount) const;

    // The layer record of document and layer files.
    void Write(CArchive& ar) const;
    // With hasPixels given, the pixels are skipped, not decoded: the slot
    // gets no image and *hasPixels says whether the record holds one.
    bool Read(CArchive& ar, int documentBitCount, const RGBQUAD* palette, bool applyAll,
              int width, int height, bool* hasPixels = nullptr);

    // Exchanges every setting and the image with another slot.
    void Swap(CLayer& other) noexcept;
    // f(a's field, b's field) for every setting the layer record holds (all
    // but the image): the one list that swapping and copying go through.
    template <class A, class B, class F>
    static void PairSettings(A& a, B& b, F f)
    {
        f(a.m_nPage, b.m_nPage);
        f(a.m_nBitCount, b.m_nBitCount);
        f(a.m_bVisible, b.m_bVisible);
        f(a.m_strName, b.m_strName);
        f(a.m_strFolder, b.m_strFolder);
        f(a.m_strPath, b.m_strPath);
        f(a.m_nColor, b.m_nColor);
        f(a.m_nAlpha, b.m_nAlpha);
    }

    int m_nPage = 0;
    int m_nBitCount = 32;
    int m_bVisible = 1;
    std::string m_strName;
    std::string m_strFolder;
    std::string m_strPath;
    int m_nColor[2] = {16, 16};
    uint32_t m_nAlpha[2] = {0xFF000000u, 0};
    CImageEx* m_pImage = nullptr;
};

// src (8-bit) into dst (32-bit) through the global palette: index 0 becomes
// 0, every other index opaque with its palette colour.
void ConvertIndexedTo32(const CImageEx& src, CImageEx& dst, const RGBQUAD* palette, int width,
                        int height);
