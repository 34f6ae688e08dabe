// A device-independent pixel image of 8 bits (with a 256-entry colour table
// and an optional transparent index) or 32 bits (blue, green, red, alpha).
// Rows are stored bottom-up, so the pitch is negative; row y always starts
// at GetBits() + y * GetPitch().
#pragma once

#include <cstdint>
#include <memory>

struct RGBQUAD {
    uint8_t rgbBlue = 0;
    uint8_t rgbGreen = 0;
    uint8_t rgbRed = 0;
    uint8_t rgbReserved = 0;
    bool operator==(const RGBQUAD&) const = default;
};

// Colour value helpers: 0x00BBGGRR, red in the low byte.
constexpr uint32_t RGB(int r, int g, int b)
{
    return uint32_t(r & 0xFF) | (uint32_t(g & 0xFF) << 8) | (uint32_t(b & 0xFF) << 16);
}
constexpr int GetRValue(uint32_t c) { return int(c & 0xFF); }
constexpr int GetGValue(uint32_t c) { return int((c >> 8) & 0xFF); }
constexpr int GetBValue(uint32_t c) { return int((c >> 16) & 0xFF); }

class CImageEx {
public:
    static constexpr uint32_t createAlphaChannel = 1;

    CImageEx();
    virtual ~CImageEx();
    CImageEx(const CImageEx&) = delete;
    CImageEx& operator=(const CImageEx&) = delete;

    // Creates a cleared image (pixels 0, colour table black). False, with no
    // image held, when the size is not positive or memory is short.
    bool CreateEx(int width, int height, int bitsPerPixel, uint32_t flags = 0);
    void Destroy();

    bool IsNull() const { return m_pStorage == nullptr; }
    int GetWidth() const { return m_nWidth; }
    int GetHeight() const { return m_nHeight; }
    int GetBPP() const { return m_nBPP; }
    int GetPitch() const { return m_nPitch; }
    uint8_t* GetBits() { return m_pBits; }
    const uint8_t* GetBits() const { return m_pBits; }
    uint8_t* GetRow(int y) { return m_pBits + static_cast<std::ptrdiff_t>(y) * m_nPitch; }
    const uint8_t* GetRow(int y) const { return m_pBits + static_cast<std::ptrdiff_t>(y) * m_nPitch; }
    bool HasAlpha() const { return m_bHasAlpha; }
    bool IsDIBSection() const { return !IsNull(); }

    int GetTransparentColor() const { return m_nTransparent; }
    void SetTransparentColor(int index) { m_nTransparent = index; }

    void SetColorTable(int first, int count, const RGBQUAD* entries);
    void GetColorTable(int first, int count, RGBQUAD* entries) const;
    const RGBQUAD* ColorTable() const { return m_Table; }

    // Colour of one pixel as 0x00BBGGRR (8-bit: through the colour table).
    uint32_t GetPixel(int x, int y) const;

    // Copies the source rectangle of this image to the destination rectangle
    // of dst, following the image's own rule: colour-keyed stretch copy when a
    // transparent index is set, per-pixel alpha blend when the image has
    // alpha, plain stretch copy otherwise. Pixels landing outside dst are
    // clipped. Between 8-bit images every copied pixel is mapped by colour to
    // the destination table's entry of that colour, or of the nearest one.
    // Stretching is nearest-neighbour; an 8-bit source writes its colours
    // into a 32-bit destination with alpha 255. The alpha blend takes the
    // source as premultiplied, as the platform's per-pixel blend does: per
    // channel and alpha, dst = min(255, src + dst * (255 - srcA) / 255).
    // False, writing nothing, when either image has no pixels or a size is
    // not positive.
    bool Draw(CImageEx& dst, int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh) const;
    // Plain copy of (0, 0, width, height) to (0, 0) of dst (by colour between
    // 8-bit images whose tables differ).
    bool BitBlt(CImageEx& dst, int width, int height) const;

    // Image import: turns an 8-bit image, or a 32-bit one without alpha (a
    // decoded 24-bit picture), into a 32-bit image with alpha. A pixel whose
    // index is transIndex (8 bits, when >= 0) or whose colour equals
    // transColour (0x00BBGGRR, 24 bits) becomes 0, every other one opaque.
    // A 32-bit image with alpha is left as it is. False on failure.
    bool ConvertTo32Bit(int transIndex, uint32_t transColour);
    // Box-filtered scaling of the source rectangle of this image onto the
    // destination rectangle of dst, each averaged pixel alpha-composited
    // onto the destination. Axes that enlarge widen the window by blur on
    // both sides. 0 when either image is not 32-bit, else 1.
    int BlendScaled(CImageEx& dst, int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh,
                    double blur) const;

    // Process-wide count of live image objects.
    static int LiveCount();

private:
    // Pixel storage: large images are mapped straight from the system, which
    // hands them out cleared (and in huge pages), so creating one costs no
    // clearing pass; small ones come from the heap.
    struct StorageFree {
        StorageFree() noexcept : mapped(0) {}
        explicit StorageFree(size_t bytes) noexcept : mapped(bytes) {}
        size_t mapped;  // bytes mapped, 0 for heap storage
        void operator()(uint8_t* p) const;
    };
    std::unique_ptr<uint8_t[], StorageFree> m_pStorage;
    uint8_t* m_pBits = nullptr;
    int m_nWidth = 0;
    int m_nHeight = 0;
    int m_nPitch = 0;
    int m_nBPP = 0;
    bool m_bHasAlpha = false;
    int m_nTransparent = -1;
    RGBQUAD m_Table[256];
};
