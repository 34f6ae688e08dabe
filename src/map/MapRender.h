// The one way a map becomes pixels: the map view, the picture export and
// the benchmarks all draw through RenderMap over a CChipCache.
#pragma once

#include "doc/ChipMap.h"
#include "doc/ImageEx.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class CTesvanDoc;

// 32-bit pixels (blue, green, red, alpha), row 0 at `bits`, rows `pitch`
// bytes apart (negative for bottom-up images).
struct CPixelTarget {
    uint8_t* bits = nullptr;
    std::ptrdiff_t pitch = 0;
    int width = 0;
    int height = 0;
    static CPixelTarget Of(CImageEx& image)
    {
        return {image.GetRow(0), image.GetPitch(), image.GetWidth(), image.GetHeight()};
    }
    uint8_t* Row(int y) const { return bits + std::ptrdiff_t(y) * pitch; }
};

// Every sheet cell's picture as maps show it: the cell composed from the
// shown layers as the export composes it, without background, in 32 bits
// (an 8-bit document through its palette, index 0 transparent). A cell is
// composed again only after its look changed (the document counts changes
// per cell), so a map never composes a chip per map cell.
class CChipCache {
public:
    enum : uint8_t { kBare = 0, kOpaque = 1, kMixed = 2 };

    // Brings every cell up to date; false when memory is short (nothing
    // can be drawn then).
    bool Update(CTesvanDoc& doc);
    int CellWidth() const { return m_nCellWidth; }
    int CellHeight() const { return m_nCellHeight; }
    int Cells() const { return m_nColumns * m_nRows; }
    // Row y of cell n's picture (cell n must exist).
    const uint8_t* ChipRow(int cell, int y) const
    {
        return m_img.GetRow((cell / m_nColumns) * m_nCellHeight + y) +
               std::ptrdiff_t(cell % m_nColumns) * m_nCellWidth * 4;
    }
    // Cell n's picture with the flips applied, w x h pixels row by row,
    // made on first use and kept until the cell changes.
    const uint32_t* Flipped(int cell, uint32_t flips) const;
    // kBare (every pixel transparent), kOpaque (none transparent) or kMixed.
    uint8_t Coverage(int cell) const { return m_Coverage[size_t(cell)]; }
    // The whole sheet as the chips look (valid after Update).
    const CImageEx& Sheet() const { return m_img; }
    // Cells composed by the updates so far (for tests and measurements).
    size_t ComposedCells() const { return m_nComposed; }

private:
    void Compose(CTesvanDoc& doc, int row, int c0, int c1);

    CImageEx m_img;      // the sheet, 32 bits
    CImageEx m_img8;     // 8-bit documents compose here first
    int m_nCellWidth = 0, m_nCellHeight = 0, m_nColumns = 0, m_nRows = 0, m_nBits = 0;
    uint32_t m_nAll = 0;
    std::vector<uint32_t> m_Look;    // the document's count when composed
    std::vector<uint8_t> m_Valid;
    std::vector<uint8_t> m_Coverage;
    mutable std::vector<std::vector<uint32_t>> m_Flipped;   // cell * 8 + flips >> 29
    size_t m_nComposed = 0;
};

struct CMapRenderOptions {
    int zoom = 1;            // 1..16, each chip pixel zoom x zoom
    int originX = 0;         // the map pixel (at zoom) at the target's (0, 0)
    int originY = 0;
    // Per sheet cell, the cell shown in its place (animation); null: itself.
    const std::vector<int>* shownCell = nullptr;
};

// Draws map `map` into `target`: cleared to transparent, then the shown map
// layers bottom first, each chip with its flips. Cells naming a sheet cell
// the cache does not hold stay empty.
void RenderMap(const CChipMap& map, const CChipCache& chips, const CPixelTarget& target,
               const CMapRenderOptions& options);
