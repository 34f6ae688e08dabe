// Maps made of the sheet's cells ("chips"): the plain data the document
// keeps and files. A map cell is stored the way Tiled stores a GID: the
// sheet cell number + 1 in the low bits (0: empty), the flips in the top
// three bits, so cell numbers never move and a cell goes to Tiled unchanged.
// The operations on maps (stamping, fills, rendering, export) live in map/.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace chip {

constexpr uint32_t kFlipH = 0x80000000u;   // mirrored left to right
constexpr uint32_t kFlipV = 0x40000000u;   // mirrored top to bottom
constexpr uint32_t kFlipD = 0x20000000u;   // transposed (applied before H and V)
constexpr uint32_t kFlipBits = kFlipH | kFlipV | kFlipD;
constexpr uint32_t kNumberBits = ~kFlipBits;
constexpr uint32_t kEmpty = 0;

constexpr uint32_t Make(int cell, uint32_t flips) { return (uint32_t(cell) + 1) | (flips & kFlipBits); }
constexpr bool IsEmpty(uint32_t v) { return (v & kNumberBits) == 0; }
// The sheet cell number; -1 for an empty map cell.
constexpr int CellOf(uint32_t v) { return int(v & kNumberBits) - 1; }
constexpr uint32_t FlipsOf(uint32_t v) { return v & kFlipBits; }

// The flips after one more turn or mirror of what they already show.
uint32_t FlipH(uint32_t flips);
uint32_t FlipV(uint32_t flips);
uint32_t RotateRight(uint32_t flips);   // 90 degrees clockwise
// "h", "v", "d" for the bits set, in that order ("" for none).
std::string FlipText(uint32_t flips);

// The pixel of the cell picture a displayed pixel (x, y) of a w x h chip
// shows, for the flips; false when a turned non-square chip leaves it bare.
inline bool SourcePixel(uint32_t flips, int w, int h, int x, int y, int& sx, int& sy)
{
    if (flips & kFlipH)
        x = w - 1 - x;
    if (flips & kFlipV)
        y = h - 1 - y;
    if (flips & kFlipD) {
        sx = y;
        sy = x;
    } else {
        sx = x;
        sy = y;
    }
    return sx < w && sy < h;
}

} // namespace chip

struct CMapLayer {
    std::string strName;
    bool bShown = true;
    std::vector<uint32_t> cells;   // row by row, width x height
    bool operator==(const CMapLayer&) const = default;
};

struct CChipMap {
    static constexpr int kMaxSide = 1024;
    static constexpr int64_t kMaxCells = 1 << 20;
    static constexpr int kMaxLayers = 8;

    std::string strName;
    int nWidth = 0;
    int nHeight = 0;
    std::vector<CMapLayer> layers;

    bool operator==(const CChipMap&) const = default;

    static bool ValidSize(int w, int h)
    {
        return w >= 1 && h >= 1 && w <= kMaxSide && h <= kMaxSide && int64_t(w) * h <= kMaxCells;
    }
    // An empty map of one layer "layer1"; the size must be valid.
    static CChipMap Make(const std::string& name, int w, int h);
    bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < nWidth && y < nHeight; }
    uint32_t At(int layer, int x, int y) const { return layers[layer].cells[size_t(y) * nWidth + x]; }
    uint32_t& At(int layer, int x, int y) { return layers[layer].cells[size_t(y) * nWidth + x]; }
    // A new size; the top-left part is kept, new cells are empty.
    void Resize(int w, int h);
    // Adds an empty layer "layerN" above the others; false at the limit.
    bool AddLayer();
    // The name a new layer gets: "layer1", "layer2", ... the first unused.
    std::string NextLayerName() const;
    // Cells that name a sheet cell at or beyond `cellCount`.
    size_t CountCellsFrom(int cellCount) const;
    // Empties those cells; returns how many.
    size_t ClearCellsFrom(int cellCount);
    size_t Bytes() const;
};

// The maps of a document, up to 16.
struct CChipMaps {
    static constexpr int kMaxMaps = 16;
    std::vector<CChipMap> maps;

    bool operator==(const CChipMaps&) const = default;
    bool empty() const { return maps.empty(); }
    // "map1", "map2", ...: the first not in use.
    std::string NextName() const;
    // Map K (from 1) or the map of that name; -1 when none is.
    int Find(const std::string& key) const;
    size_t CountCellsFrom(int cellCount) const;
    size_t ClearCellsFrom(int cellCount);
    size_t Bytes() const;
};

// Which map the map window edits and with what; not part of the file.
struct CMapEditState {
    int nMap = 0;              // index into the maps
    int nLayer = 0;            // map layer
    uint32_t nFlips = 0;       // flips of the next stamp
    // A block of map cells taken as the stamp (Ctrl drag); empty: the
    // sheet's current cell is the stamp.
    int nStampWidth = 0;
    int nStampHeight = 0;
    std::vector<uint32_t> stamp;
};
