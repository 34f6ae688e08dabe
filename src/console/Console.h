// Console-native output of 8-bit documents: 8 x 8 tiles of 4 bits a pixel,
// map entries and palettes in the formats of a few 16-bit consoles and
// handhelds. Each target is a row of bit positions; tiles, map and palette
// are three separate products, and the same check of the hardware's rules
// serves the editor's outlines, its script output and the export.
#pragma once

#include "doc/ImageEx.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

enum class TileLayout {
    LinearLowFirst,   // two pixels a byte, the left one in the low nibble
    PackedHighFirst,  // two pixels a byte, the left one in the high nibble
    Planar,           // rows of planes 0 and 1 byte by byte, then of planes 2 and 3
};

struct ConsoleTarget {
    const char* name;          // as --console takes it
    TileLayout tiles;
    int banks;                 // hardware palettes of 16 colours
    int defaultFirstBank;      // document bank that becomes bank 0
    int tileBits;              // bits of the tile number
    int hBit, vBit;            // flip bits; -1: the console has none
    int bankShift;             // lowest bit of the bank
    bool entryBigEndian;
    int colourBits;            // bits of each channel
    int redShift, greenShift, blueShift;
    bool colourBigEndian;

    bool HasFlips() const { return hBit >= 0 && vBit >= 0; }
    int MaxTiles() const { return 1 << tileBits; }
};

// gba, snes, md, pce.
const std::vector<ConsoleTarget>& ConsoleTargets();
// The target of that name; null when there is none.
const ConsoleTarget* FindConsoleTarget(const std::string& name);

enum class ConsoleDedupe { None, Exact, Flip };
// "none", "exact", "flip"; false for any other word.
bool ParseConsoleDedupe(const std::string& word, ConsoleDedupe& out);

// One tile: 8 rows, pixel x of a row in bits 4x .. 4x + 3.
struct ConsoleTile {
    std::array<uint32_t, 8> rows{};
    bool operator==(const ConsoleTile& o) const { return rows == o.rows; }
};
ConsoleTile FlipTile(const ConsoleTile& tile, bool h, bool v);

struct ConsoleEntry {
    uint32_t tile = 0;
    uint8_t bank = 0;          // the console's bank
    bool h = false, v = false;
};

// A rule one tile breaks.
enum class ConsoleRule { CellSize, TwoBanks, MissingBank, TooManyTiles };
struct ConsoleProblem {
    ConsoleRule rule;
    int cell;                  // cell number in reading order
    int tileX, tileY;          // the tile within its cell, in tiles
    int sheetX, sheetY;        // the tile's top-left sheet pixel
    int a = 0, b = 0;          // the banks (TwoBanks), the bank (MissingBank), the limit (TooManyTiles)
};
// "cell C tile X,Y: ..." as the export lists it.
std::string ConsoleProblemText(const ConsoleProblem& p);

// A source of 8 x 8 tiles of composed indices, in map order.
struct ConsoleSheet {
    const CImageEx* image = nullptr;   // 8-bit composed sheet
    int cellWidth = 0, cellHeight = 0;
    int columns = 0, rows = 0;
};

struct ConsoleOptions {
    const ConsoleTarget* target = nullptr;
    int firstBank = 0;                 // document bank of the console's bank 0
    ConsoleDedupe dedupe = ConsoleDedupe::Flip;
    // Stop at the first problem (the script's check).
    bool firstProblemOnly = false;
};

struct ConsoleBuild {
    std::vector<ConsoleTile> tiles;
    std::vector<ConsoleEntry> map;
    int mapWidth = 0, mapHeight = 0;
    std::vector<ConsoleProblem> problems;
};

// Cuts the sheet into tiles in reading order, checks every rule, stores
// identical (and with Flip, mirrored) tiles once. A target without flip
// bits dedupes exactly.
ConsoleBuild BuildConsole(const ConsoleSheet& sheet, const ConsoleOptions& options);

// The map of chips: each map cell names a cell of the sheet (or none) with
// its flips. Used with chip maps, where they exist.
struct ConsoleMapCell {
    int cell = -1;             // -1: empty (a fully transparent tile)
    bool h = false, v = false;
};
ConsoleBuild BuildConsoleFromMap(const ConsoleSheet& sheet, const std::vector<ConsoleMapCell>& cells,
                                 int mapColumns, int mapRows, const ConsoleOptions& options);

// The three products as the console reads them.
std::vector<uint8_t> ConsoleTileBytes(const ConsoleTarget& target, const std::vector<ConsoleTile>& tiles);
std::vector<uint8_t> ConsoleMapBytes(const ConsoleTarget& target, const std::vector<ConsoleEntry>& map);
// Banks firstBank .. firstBank + banks - 1 of the document's palette; banks
// past the document's sixteen are black.
std::vector<uint8_t> ConsolePaletteBytes(const ConsoleTarget& target, const RGBQUAD* palette, int firstBank);
// One channel 0..255 at `bits` bits, rounded.
inline int ConsoleChannel(int v, int bits) { return (v * ((1 << bits) - 1) + 127) / 255; }

// The C header holding the three as arrays, with their lengths and the
// tile and entry counts; `name` becomes the identifiers' prefix.
std::string ConsoleHeader(const std::string& name, const ConsoleTarget& target, const ConsoleBuild& build,
                          const std::vector<uint8_t>& tiles, const std::vector<uint8_t>& map,
                          const std::vector<uint8_t>& palette);
// An identifier made of a file name: letters, digits and '_'.
std::string ConsoleIdentifier(const std::string& path);
