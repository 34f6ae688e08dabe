#include "doc/ChipMap.h"

#include <algorithm>

namespace chip {

namespace {

// Each flip combination as the 2x2 matrix it applies to a chip's centred
// coordinates (y downwards): D first, then H, then V.
struct M2 {
    int a, b, c, d;
    bool operator==(const M2&) const = default;
};

M2 Mul(const M2& l, const M2& r)
{
    return {l.a * r.a + l.b * r.c, l.a * r.b + l.b * r.d, l.c * r.a + l.d * r.c, l.c * r.b + l.d * r.d};
}

M2 MatrixOf(uint32_t flips)
{
    M2 m{1, 0, 0, 1};
    if (flips & kFlipD)
        m = Mul(M2{0, 1, 1, 0}, m);
    if (flips & kFlipH)
        m = Mul(M2{-1, 0, 0, 1}, m);
    if (flips & kFlipV)
        m = Mul(M2{1, 0, 0, -1}, m);
    return m;
}

uint32_t FlipsOfMatrix(const M2& m)
{
    for (uint32_t k = 0; k < 8; ++k) {
        const uint32_t f = k << 29;
        if (MatrixOf(f) == m)
            return f;
    }
    return 0;
}

} // namespace

uint32_t FlipH(uint32_t flips) { return FlipsOfMatrix(Mul(M2{-1, 0, 0, 1}, MatrixOf(flips))); }
uint32_t FlipV(uint32_t flips) { return FlipsOfMatrix(Mul(M2{1, 0, 0, -1}, MatrixOf(flips))); }
uint32_t RotateRight(uint32_t flips) { return FlipsOfMatrix(Mul(M2{0, -1, 1, 0}, MatrixOf(flips))); }

std::string FlipText(uint32_t flips)
{
    std::string s;
    if (flips & kFlipH)
        s += 'h';
    if (flips & kFlipV)
        s += 'v';
    if (flips & kFlipD)
        s += 'd';
    return s;
}

} // namespace chip

CChipMap CChipMap::Make(const std::string& name, int w, int h)
{
    CChipMap m;
    m.strName = name;
    m.nWidth = w;
    m.nHeight = h;
    m.layers.push_back(CMapLayer{"layer1", true, std::vector<uint32_t>(size_t(w) * h, chip::kEmpty)});
    return m;
}

void CChipMap::Resize(int w, int h)
{
    for (CMapLayer& l : layers) {
        std::vector<uint32_t> cells(size_t(w) * h, chip::kEmpty);
        const int cw = std::min(w, nWidth), ch = std::min(h, nHeight);
        for (int y = 0; y < ch; ++y)
            std::copy_n(l.cells.begin() + size_t(y) * nWidth, cw, cells.begin() + size_t(y) * w);
        l.cells = std::move(cells);
    }
    nWidth = w;
    nHeight = h;
}

std::string CChipMap::NextLayerName() const
{
    for (int n = 1;; ++n) {
        const std::string name = "layer" + std::to_string(n);
        if (std::none_of(layers.begin(), layers.end(), [&](const CMapLayer& l) { return l.strName == name; }))
            return name;
    }
}

bool CChipMap::AddLayer()
{
    if (int(layers.size()) >= kMaxLayers)
        return false;
    layers.push_back(CMapLayer{NextLayerName(), true, std::vector<uint32_t>(size_t(nWidth) * nHeight, chip::kEmpty)});
    return true;
}

size_t CChipMap::CountCellsFrom(int cellCount) const
{
    size_t n = 0;
    for (const CMapLayer& l : layers)
        for (uint32_t v : l.cells)
            n += !chip::IsEmpty(v) && chip::CellOf(v) >= cellCount;
    return n;
}

size_t CChipMap::ClearCellsFrom(int cellCount)
{
    size_t n = 0;
    for (CMapLayer& l : layers)
        for (uint32_t& v : l.cells)
            if (!chip::IsEmpty(v) && chip::CellOf(v) >= cellCount) {
                v = chip::kEmpty;
                ++n;
            }
    return n;
}

size_t CChipMap::Bytes() const
{
    size_t n = sizeof *this + strName.capacity();
    for (const CMapLayer& l : layers)
        n += sizeof l + l.strName.capacity() + l.cells.capacity() * sizeof(uint32_t);
    return n;
}

std::string CChipMaps::NextName() const
{
    for (int n = 1;; ++n) {
        const std::string name = "map" + std::to_string(n);
        if (std::none_of(maps.begin(), maps.end(), [&](const CChipMap& m) { return m.strName == name; }))
            return name;
    }
}

int CChipMaps::Find(const std::string& key) const
{
    // Numbers first, as for the animation slots.
    for (size_t i = 0; i < maps.size(); ++i)
        if (key == std::to_string(i + 1))
            return int(i);
    for (size_t i = 0; i < maps.size(); ++i)
        if (maps[i].strName == key)
            return int(i);
    return -1;
}

size_t CChipMaps::CountCellsFrom(int cellCount) const
{
    size_t n = 0;
    for (const CChipMap& m : maps)
        n += m.CountCellsFrom(cellCount);
    return n;
}

size_t CChipMaps::ClearCellsFrom(int cellCount)
{
    size_t n = 0;
    for (CChipMap& m : maps)
        n += m.ClearCellsFrom(cellCount);
    return n;
}

size_t CChipMaps::Bytes() const
{
    size_t n = sizeof *this;
    for (const CChipMap& m : maps)
        n += m.Bytes();
    return n;
}
