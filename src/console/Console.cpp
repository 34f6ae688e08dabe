#include "console/Console.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Bit positions from the consoles' hardware documentation.
const std::vector<ConsoleTarget> kTargets = {
    //  name    tiles                        banks first tile  h   v  bank  BE    col R  G  B   BE
    {"gba",  TileLayout::LinearLowFirst,  16, 0, 10, 10, 11, 12, false, 5, 0, 5, 10, false},
    {"snes", TileLayout::Planar,           8, 4, 10, 14, 15, 10, false, 5, 0, 5, 10, false},
    {"md",   TileLayout::PackedHighFirst,  4, 4, 11, 11, 12, 13, true,  3, 1, 5, 9,  true},
    // The PC Engine's background entries carry no flips.
    {"pce",  TileLayout::Planar,          16, 0, 12, -1, -1, 12, false, 3, 3, 6, 0,  false},
};

constexpr uint64_t kLow = 0x0F0F0F0F0F0F0F0Full;

uint32_t MirrorRow(uint32_t x)
{
    x = ((x & 0x0F0F0F0Fu) << 4) | ((x >> 4) & 0x0F0F0F0Fu);
    return __builtin_bswap32(x);
}

inline uint64_t HashWords(const uint64_t* w)
{
    // Four independent products, so they run side by side.
    const uint64_t h = (w[0] * 0x9E3779B97F4A7C15ull) ^ (w[1] * 0xBF58476D1CE4E5B9ull) ^
                       (w[2] * 0x94D049BB133111EBull) ^ (w[3] * 0xD6E8FEB86659FD93ull);
    return h ^ (h >> 29) ^ (h >> 43);
}

// Tiles stored once, found by their hash. Every orientation the dedupe
// treats as the same tile is a key of its own, naming the stored tile and
// the flips that make the key of it: a repeated tile costs one lookup, and
// only a new one is mirrored.
class CTileStore {
public:
    // The table starts small and grows with the distinct tiles, so that a
    // sheet of few distinct tiles keeps it in the cache. A slot's key and
    // value sit in two arrays at the same index, so a lookup's two reads
    // go out together.
    explicit CTileStore(ConsoleDedupe dedupe) : m_Dedupe(dedupe)
    {
        if (dedupe != ConsoleDedupe::None)
            Resize(1024);
    }

    // Of a tile's eight rows.
    static uint64_t Hash(const uint32_t* rows)
    {
        uint64_t w[4];
        std::memcpy(w, rows, sizeof w);
        return HashWords(w);
    }

    // Brings the slot where a lookup of that hash starts into the cache.
    void Prefetch(uint64_t hash) const
    {
        if (!m_Values.empty()) {
            __builtin_prefetch(&m_Values[hash & m_nMask]);
            __builtin_prefetch(&m_Keys[hash & m_nMask]);
        }
    }

    // The stored tile's number and the flips that make this tile of it,
    // as number << 2 | flips (H 1, V 2); `hash` is the tile's Hash. Inline:
    // it runs for every tile.
    __attribute__((always_inline)) uint32_t Add(const uint32_t* rows, uint64_t hash, std::vector<ConsoleTile>& tiles)
    {
        if (m_Dedupe == ConsoleDedupe::None) {
            const uint32_t number = uint32_t(tiles.size());
            tiles.emplace_back();
            std::memcpy(tiles.back().rows.data(), rows, sizeof tiles.back().rows);
            return number << 2;
        }
        Key key;
        std::memcpy(key.w, rows, sizeof key.w);
        const uint32_t value = m_Values[Find(key, hash)];
        if (value)
            return value - 4;
        return AddNew(key, tiles);
    }

private:
    struct Key {
        uint64_t w[4];
    };

    // A tile not seen before, with its mirrors.
    __attribute__((noinline)) uint32_t AddNew(Key key, std::vector<ConsoleTile>& tiles)
    {
        const uint32_t number = uint32_t(tiles.size());
        tiles.emplace_back();
        std::memcpy(tiles.back().rows.data(), key.w, sizeof key.w);
        Insert(key, number, 0);
        if (m_Dedupe == ConsoleDedupe::Flip)
            for (int f = 1; f < 4; ++f) {
                const ConsoleTile t = FlipTile(tiles[number], f & 1, f & 2);
                std::memcpy(key.w, t.rows.data(), sizeof key.w);
                if (!m_Values[Find(key, HashWords(key.w))])  // a symmetric tile is its own mirror
                    Insert(key, number, f);
            }
        return number << 2;
    }

    // The slot holding the key, or the empty slot where it goes.
    __attribute__((always_inline)) size_t Find(const Key& key, uint64_t hash) const
    {
        for (size_t i = hash & m_nMask;; i = (i + 1) & m_nMask) {
            const uint64_t* w = m_Keys[i].w;
            const bool same = ((w[0] ^ key.w[0]) | (w[1] ^ key.w[1]) | (w[2] ^ key.w[2]) | (w[3] ^ key.w[3])) == 0;
            if (!m_Values[i] || same)
                return i;
        }
    }

    void Insert(const Key& key, uint32_t number, int flip)
    {
        const size_t i = Find(key, HashWords(key.w));
        m_Keys[i] = key;
        m_Values[i] = (number + 1) << 2 | uint32_t(flip);
        if (++m_nCount * 2 >= m_Values.size())
            Resize(m_Values.size() * 2);
    }

    void Resize(size_t slots)
    {
        std::vector<Key> keys(slots, Key{});
        std::vector<uint32_t> values(slots, 0);
        keys.swap(m_Keys);
        values.swap(m_Values);
        m_nMask = slots - 1;
        for (size_t k = 0; k < values.size(); ++k) {
            if (!values[k])
                continue;
            size_t i = HashWords(keys[k].w) & m_nMask;
            while (m_Values[i])
                i = (i + 1) & m_nMask;
            m_Keys[i] = keys[k];
            m_Values[i] = values[k];
        }
    }

    ConsoleDedupe m_Dedupe;
    std::vector<Key> m_Keys;            // every orientation of the stored tiles
    std::vector<uint32_t> m_Values;     // (stored tile + 1) << 2 | flips; 0: empty
    size_t m_nMask = 0;
    size_t m_nCount = 0;
};

// Left uninitialised: the reads fill every field, and clearing a run of
// them first costs a good part of the reading.
struct TileRead {
    alignas(16) uint32_t rows[8];   // as ConsoleTile::rows
    int bank;            // the bank of its opaque pixels; -1: none opaque
    int other;           // a second bank, when it has two
};

// The first two banks in reading order of a tile with two.
__attribute__((noinline)) void FindTwoBanks(TileRead& r, const uint8_t* const* rows, int x)
{
    for (int row = 0; row < 8 && r.other < 0; ++row)
        for (int c = 0; c < 8; ++c) {
            const int i = rows[row][x + c];
            if ((i & 15) == 0)
                continue;
            if (r.bank < 0)
                r.bank = i >> 4;
            else if (i >> 4 != r.bank) {
                r.other = i >> 4;
                break;
            }
        }
}

// The bank of the tile's opaque pixels from the OR and the AND of those
// pixels' indices (the OR is 0 when none is opaque, as an opaque colour is
// not 0; the banks agree when the high nibbles of both do); with two, the
// first two in reading order.
inline void FinishRead(TileRead& r, int any, int all, const uint8_t* const* rows, int x)
{
    r.bank = -1;
    r.other = -1;
    if (any == 0)
        return;                         // nothing opaque
    if (((any ^ all) >> 4) == 0)
        r.bank = any >> 4;
    else
        FindTwoBanks(r, rows, x);
}

// Reads a tile from column x of the eight rows: each pixel's colour packed
// into the tile's row, and the indices of its opaque pixels gathered, a
// lane a pixel (0..15 + 0x7F never carries out of a byte, so bit 7 marks a
// colour that is not 0).
void ReadTile(const uint8_t* const* rows, int x, TileRead& r)
{
    uint64_t o = 0, a = ~0ull;
    for (int row = 0; row < 8; ++row) {
        uint64_t v;
        std::memcpy(&v, rows[row] + x, sizeof v);
        const uint64_t lo = v & kLow;
        const uint64_t opaque = ((lo + 0x7F7F7F7F7F7F7F7Full) & 0x8080808080808080ull) >> 7;
        const uint64_t mask = (opaque << 8) - opaque;
        o |= v & mask;
        a &= v | ~mask;
        uint64_t t = (lo | (lo >> 4)) & 0x00FF00FF00FF00FFull;
        t = (t | (t >> 8)) & 0x0000FFFF0000FFFFull;
        r.rows[row] = uint32_t(t | (t >> 16));
    }
    o |= o >> 32; o |= o >> 16; o |= o >> 8;
    a &= a >> 32; a &= a >> 16; a &= a >> 8;
    FinishRead(r, int(o & 0xFF), int(a & 0xFF), rows, x);
}

#if defined(__SSE2__)
// Two tiles side by side, one in each half of the vectors: sixteen pixels
// a row go through each step together.
void ReadTwoTiles(const uint8_t* const* rows, int x, TileRead* out)
{
    const __m128i low = _mm_set1_epi8(0x0F);
    const __m128i zero = _mm_setzero_si128();
    const __m128i byteOfWord = _mm_set1_epi16(0x00FF);
    __m128i o = zero, a = _mm_set1_epi8(-1), packed[4];
#pragma GCC unroll 4
    for (int row = 0; row < 8; row += 2) {
        __m128i p[2];
#pragma GCC unroll 2
        for (int k = 0; k < 2; ++k) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[row + k] + x));
            const __m128i lo = _mm_and_si128(v, low);
            const __m128i clear = _mm_cmpeq_epi8(lo, zero);
            o = _mm_or_si128(o, _mm_andnot_si128(clear, v));
            a = _mm_and_si128(a, _mm_or_si128(v, clear));
            // Each pair of pixels into one byte, the left one low.
            p[k] = _mm_and_si128(_mm_or_si128(lo, _mm_srli_epi16(lo, 4)), byteOfWord);
        }
        // Rows of tiles 0, 1, 0, 1 to rows of tile 0, then of tile 1.
        packed[row / 2] = _mm_shuffle_epi32(_mm_packus_epi16(p[0], p[1]), _MM_SHUFFLE(3, 1, 2, 0));
    }
    auto* t0 = reinterpret_cast<__m128i*>(out[0].rows);
    auto* t1 = reinterpret_cast<__m128i*>(out[1].rows);
    _mm_storeu_si128(t0, _mm_unpacklo_epi64(packed[0], packed[1]));
    _mm_storeu_si128(t0 + 1, _mm_unpacklo_epi64(packed[2], packed[3]));
    _mm_storeu_si128(t1, _mm_unpackhi_epi64(packed[0], packed[1]));
    _mm_storeu_si128(t1 + 1, _mm_unpackhi_epi64(packed[2], packed[3]));
    o = _mm_or_si128(o, _mm_srli_epi64(o, 32));
    o = _mm_or_si128(o, _mm_srli_epi64(o, 16));
    o = _mm_or_si128(o, _mm_srli_epi64(o, 8));
    a = _mm_and_si128(a, _mm_srli_epi64(a, 32));
    a = _mm_and_si128(a, _mm_srli_epi64(a, 16));
    a = _mm_and_si128(a, _mm_srli_epi64(a, 8));
    FinishRead(out[0], _mm_cvtsi128_si32(o) & 0xFF, _mm_cvtsi128_si32(a) & 0xFF, rows, x);
    FinishRead(out[1], _mm_extract_epi16(o, 4) & 0xFF, _mm_extract_epi16(a, 4) & 0xFF, rows, x + 8);
}
#endif

#if defined(__x86_64__) && defined(__GNUC__)
#define TESVAN_CONSOLE_AVX2 1
#include <immintrin.h>
// The same as two ReadTwoTiles side by side, a pair in each half of the
// wider vectors, for the processors that have them.
__attribute__((target("avx2"))) void ReadFourTiles(const uint8_t* const* rows, int x, TileRead* out)
{
    const __m256i low = _mm256_set1_epi8(0x0F);
    const __m256i zero = _mm256_setzero_si256();
    const __m256i byteOfWord = _mm256_set1_epi16(0x00FF);
    __m256i o = zero, a = _mm256_set1_epi8(-1), packed[4];
#pragma GCC unroll 4
    for (int row = 0; row < 8; row += 2) {
        __m256i p[2];
#pragma GCC unroll 2
        for (int k = 0; k < 2; ++k) {
            const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(rows[row + k] + x));
            const __m256i lo = _mm256_and_si256(v, low);
            const __m256i clear = _mm256_cmpeq_epi8(lo, zero);
            o = _mm256_or_si256(o, _mm256_andnot_si256(clear, v));
            a = _mm256_and_si256(a, _mm256_or_si256(v, clear));
            p[k] = _mm256_and_si256(_mm256_or_si256(lo, _mm256_srli_epi16(lo, 4)), byteOfWord);
        }
        packed[row / 2] = _mm256_shuffle_epi32(_mm256_packus_epi16(p[0], p[1]), _MM_SHUFFLE(3, 1, 2, 0));
    }
    const __m256i rows03a = _mm256_unpacklo_epi64(packed[0], packed[1]);   // tiles 0 and 2, rows 0-3
    const __m256i rows47a = _mm256_unpacklo_epi64(packed[2], packed[3]);
    const __m256i rows03b = _mm256_unpackhi_epi64(packed[0], packed[1]);   // tiles 1 and 3
    const __m256i rows47b = _mm256_unpackhi_epi64(packed[2], packed[3]);
    auto put = [](TileRead& r, __m128i first, __m128i second) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(r.rows), first);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(r.rows) + 1, second);
    };
    put(out[0], _mm256_castsi256_si128(rows03a), _mm256_castsi256_si128(rows47a));
    put(out[1], _mm256_castsi256_si128(rows03b), _mm256_castsi256_si128(rows47b));
    put(out[2], _mm256_extracti128_si256(rows03a, 1), _mm256_extracti128_si256(rows47a, 1));
    put(out[3], _mm256_extracti128_si256(rows03b, 1), _mm256_extracti128_si256(rows47b, 1));
    o = _mm256_or_si256(o, _mm256_srli_epi64(o, 32));
    o = _mm256_or_si256(o, _mm256_srli_epi64(o, 16));
    o = _mm256_or_si256(o, _mm256_srli_epi64(o, 8));
    a = _mm256_and_si256(a, _mm256_srli_epi64(a, 32));
    a = _mm256_and_si256(a, _mm256_srli_epi64(a, 16));
    a = _mm256_and_si256(a, _mm256_srli_epi64(a, 8));
    alignas(32) uint8_t any[32], all[32];
    _mm256_store_si256(reinterpret_cast<__m256i*>(any), o);
    _mm256_store_si256(reinterpret_cast<__m256i*>(all), a);
    for (int k = 0; k < 4; ++k)
        FinishRead(out[k], any[8 * k], all[8 * k], rows, x + 8 * k);
}

bool HasAvx2()
{
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}
#endif

// Reads N tiles side by side from column x of the eight rows.
template <int N>
void ReadTiles(const uint8_t* const* rows, int x, TileRead* out)
{
#if defined(TESVAN_CONSOLE_AVX2)
    if constexpr (N % 4 == 0) {
        if (HasAvx2()) {
            for (int k = 0; k < N; k += 4)
                ReadFourTiles(rows, x + 8 * k, out + k);
            return;
        }
    }
#endif
#if defined(__SSE2__)
    if constexpr (N % 2 == 0) {
        for (int k = 0; k < N; k += 2)
            ReadTwoTiles(rows, x + 8 * k, out + k);
        return;
    }
#endif
    for (int k = 0; k < N; ++k)
        ReadTile(rows, x + 8 * k, out[k]);
}

class CBuilder {
public:
    CBuilder(const ConsoleSheet& sheet, const ConsoleOptions& options, size_t entries)
        : m_Sheet(sheet), m_Opt(options),
          m_Store(options.target->HasFlips() ? options.dedupe
                  : options.dedupe == ConsoleDedupe::Flip ? ConsoleDedupe::Exact
                                                          : options.dedupe),
          m_nFirst(options.firstBank), m_nBanks(options.target->banks),
          m_nMaxTiles(uint32_t(options.target->MaxTiles())), m_bFirstOnly(options.firstProblemOnly),
          m_bDedupe(options.dedupe != ConsoleDedupe::None),
          m_nSheetWidth(sheet.image->GetWidth())
    {
        // Entries are written in place, field by field, and never read
        // back: one built aside and copied whole waits for its fields.
        m_Build.map.resize(entries);
    }

    // Drops the entries not reached (a check that stopped early).
    ConsoleBuild Finish()
    {
        m_Build.map.resize(m_nNext);
        return std::move(m_Build);
    }

    static constexpr int kAhead = 256;     // bytes of a row fetched ahead

    bool Stopped() const { return m_bFirstOnly && !m_Build.problems.empty(); }

    // Adds the tile at sheet pixel (x, y), flipped as the map cell asks.
    void Add(int x, int y, bool h, bool v)
    {
        TileRead r;
        ReadTiles<1>(RowsAt(y), x, &r);
        if ((h || v) && !m_Opt.target->HasFlips()) {
            ConsoleTile t;                      // the flips go into the pixels
            std::memcpy(t.rows.data(), r.rows, sizeof r.rows);
            t = FlipTile(t, h, v);
            std::memcpy(r.rows, t.rows.data(), sizeof r.rows);
        }
        Store(r, x, y, CTileStore::Hash(r.rows));
        if ((h || v) && m_Opt.target->HasFlips()) {
            ConsoleEntry& e = m_Build.map[m_nNext - 1];
            e.h = e.h != h;
            e.v = e.v != v;
        }
    }

    // Adds the N tiles from sheet pixel (x, y) on, side by side.
    template <int N>
    void AddRun(int x, int y)
    {
        TileRead r[N];
        const uint8_t* const* rows = RowsAt(y);
        // The sheet is read once: fetched ahead without displacing the
        // tile table from the caches.
        if (N == 8 && x + 8 * N + kAhead <= m_nSheetWidth)
            for (int k = 0; k < 8; ++k)
                __builtin_prefetch(rows[k] + x + kAhead, 0, 0);
        ReadTiles<N>(rows, x, r);
        // The run's lookups are started together, so that their waits for
        // the table overlap.
        uint64_t hash[N];
        for (int k = 0; k < N; ++k) {
            hash[k] = CTileStore::Hash(r[k].rows);
            m_Store.Prefetch(hash[k]);
        }
        for (int k = 0; k < N && !Stopped(); ++k)
            Store(r[k], x + 8 * k, y, hash[k]);
    }

    const uint8_t* const* RowsAt(int y)
    {
        if (y != m_nRowsAt) {
            for (int k = 0; k < 8; ++k)
                m_Rows[k] = m_Sheet.image->GetRow(y + k);
            m_nRowsAt = y;
        }
        return m_Rows;
    }

    // Stores the tile of hash `hash` (CTileStore::Hash).
    __attribute__((always_inline)) void Store(const TileRead& r, int x, int y, uint64_t hash)
    {
        ConsoleEntry& e = m_Build.map[m_nNext++];
        const bool inside = unsigned(r.bank - m_nFirst) < unsigned(m_nBanks);
        if (r.other >= 0)
            Problem(ConsoleRule::TwoBanks, x, y, r.bank, r.other);
        else if (r.bank >= 0 && !inside)
            Problem(ConsoleRule::MissingBank, x, y, r.bank, 0);
        e.bank = uint8_t(inside ? r.bank - m_nFirst : 0);
        // The empty tile, the commonest of a sheet, is looked up once.
        uint32_t found;
        if (r.bank < 0 && m_nEmpty != kUnknown)
            found = m_nEmpty;
        else {
            found = m_Store.Add(r.rows, hash, m_Build.tiles);
            if (r.bank < 0 && m_bDedupe)
                m_nEmpty = found;
        }
        e.tile = found >> 2;
        e.h = found & 1;
        e.v = found & 2;
        if (found >> 2 >= m_nMaxTiles && !m_bTooMany) {
            m_bTooMany = true;
            Problem(ConsoleRule::TooManyTiles, x, y, int(m_nMaxTiles), 0);
        }
    }

    void AddEmpty()
    {
        const uint32_t empty[8] = {};
        const uint32_t found = m_Store.Add(empty, CTileStore::Hash(empty), m_Build.tiles);
        ConsoleEntry& e = m_Build.map[m_nNext++];
        e.tile = found >> 2;
        e.h = found & 1;
        e.v = found & 2;
    }

    void Problem(ConsoleRule rule, int x, int y, int a, int b)
    {
        const int tw = m_Sheet.cellWidth / 8, th = m_Sheet.cellHeight / 8;
        ConsoleProblem p{rule, 0, 0, 0, x, y, a, b};
        const int tx = x / 8, ty = y / 8;
        p.cell = (ty / th) * m_Sheet.columns + tx / tw;
        p.tileX = tx % tw;
        p.tileY = ty % th;
        m_Build.problems.push_back(p);
    }

    ConsoleBuild m_Build;

private:
    const ConsoleSheet& m_Sheet;
    const ConsoleOptions& m_Opt;
    CTileStore m_Store;
    size_t m_nNext = 0;
    static constexpr uint32_t kUnknown = ~0u;
    uint32_t m_nEmpty = kUnknown;       // what the store gave for the empty tile
    const int m_nFirst, m_nBanks;
    const uint32_t m_nMaxTiles;
    const bool m_bFirstOnly;
    const bool m_bDedupe;
    const int m_nSheetWidth;
    bool m_bTooMany = false;
    const uint8_t* m_Rows[8] = {};    // the rows of the tile row at m_nRowsAt
    int m_nRowsAt = -1;
};

// Cells not a multiple of 8 cannot be cut: one problem per cell.
bool CheckCells(const ConsoleSheet& sheet, ConsoleBuild& build, bool firstOnly)
{
    if (sheet.cellWidth % 8 == 0 && sheet.cellHeight % 8 == 0 && sheet.cellWidth > 0 &&
        sheet.cellHeight > 0)
        return true;
    for (int c = 0; c < sheet.columns * sheet.rows; ++c) {
        build.problems.push_back(ConsoleProblem{ConsoleRule::CellSize, c, 0, 0, (c % sheet.columns) * sheet.cellWidth,
                                                (c / sheet.columns) * sheet.cellHeight, sheet.cellWidth,
                                                sheet.cellHeight});
        if (firstOnly)
            break;
    }
    return false;
}

bool SheetUsable(const ConsoleSheet& s)
{
    return s.image && !s.image->IsNull() && s.image->GetBPP() == 8 &&
           s.image->GetWidth() >= s.columns * s.cellWidth && s.image->GetHeight() >= s.rows * s.cellHeight;
}

void Put16(std::vector<uint8_t>& out, uint32_t v, bool bigEndian)
{
    if (bigEndian) {
        out.push_back(uint8_t(v >> 8));
        out.push_back(uint8_t(v));
    } else {
        out.push_back(uint8_t(v));
        out.push_back(uint8_t(v >> 8));
    }
}

} // namespace

const std::vector<ConsoleTarget>& ConsoleTargets() { return kTargets; }

const ConsoleTarget* FindConsoleTarget(const std::string& name)
{
    for (const ConsoleTarget& t : kTargets)
        if (name == t.name)
            return &t;
    return nullptr;
}

bool ParseConsoleDedupe(const std::string& word, ConsoleDedupe& out)
{
    if (word == "none")
        out = ConsoleDedupe::None;
    else if (word == "exact")
        out = ConsoleDedupe::Exact;
    else if (word == "flip")
        out = ConsoleDedupe::Flip;
    else
        return false;
    return true;
}

ConsoleTile FlipTile(const ConsoleTile& tile, bool h, bool v)
{
    ConsoleTile out;
    for (int r = 0; r < 8; ++r) {
        const uint32_t row = tile.rows[size_t(v ? 7 - r : r)];
        out.rows[size_t(r)] = h ? MirrorRow(row) : row;
    }
    return out;
}

std::string ConsoleProblemText(const ConsoleProblem& p)
{
    std::string text = "cell " + std::to_string(p.cell) + " tile " + std::to_string(p.tileX) + "," +
                       std::to_string(p.tileY) + ": ";
    switch (p.rule) {
    case ConsoleRule::CellSize:
        return text + "キャラクターの大きさ " + std::to_string(p.a) + "x" + std::to_string(p.b) +
               " が8の倍数ではありません";
    case ConsoleRule::TwoBanks:
        return text + "1つのタイルにバンク " + std::to_string(p.a) + " と " + std::to_string(p.b) +
               " の色があります";
    case ConsoleRule::MissingBank:
        return text + "バンク " + std::to_string(p.a) + " はこのコンソールのパレットにありません";
    case ConsoleRule::TooManyTiles:
        return text + "タイルがマップで指せる " + std::to_string(p.a) + " 個を超えます";
    }
    return text;
}

ConsoleBuild BuildConsole(const ConsoleSheet& sheet, const ConsoleOptions& options)
{
    ConsoleBuild none;
    if (!options.target || !SheetUsable(sheet) || !CheckCells(sheet, none, options.firstProblemOnly))
        return none;
    const int mw = sheet.columns * sheet.cellWidth / 8, mh = sheet.rows * sheet.cellHeight / 8;
    CBuilder b(sheet, options, size_t(mw) * size_t(mh));
    b.m_Build.mapWidth = mw;
    b.m_Build.mapHeight = mh;
    for (int ty = 0; ty < mh && !b.Stopped(); ++ty) {
        int tx = 0;
        for (; tx + 7 < mw && !b.Stopped(); tx += 8)
            b.AddRun<8>(tx * 8, ty * 8);
        for (; tx + 1 < mw && !b.Stopped(); tx += 2)
            b.AddRun<2>(tx * 8, ty * 8);
        for (; tx < mw && !b.Stopped(); ++tx)
            b.AddRun<1>(tx * 8, ty * 8);
    }
    return b.Finish();
}

ConsoleBuild BuildConsoleFromMap(const ConsoleSheet& sheet, const std::vector<ConsoleMapCell>& cells,
                                 int mapColumns, int mapRows, const ConsoleOptions& options)
{
    ConsoleBuild none;
    if (!options.target || !SheetUsable(sheet) || !CheckCells(sheet, none, options.firstProblemOnly) ||
        cells.size() < size_t(mapColumns) * size_t(mapRows))
        return none;
    const int tw = sheet.cellWidth / 8, th = sheet.cellHeight / 8;
    const int mw = mapColumns * tw, mh = mapRows * th;
    CBuilder b(sheet, options, size_t(mw) * size_t(mh));
    b.m_Build.mapWidth = mw;
    b.m_Build.mapHeight = mh;
    const int cellCount = sheet.columns * sheet.rows;
    for (int ty = 0; ty < mh && !b.Stopped(); ++ty)
        for (int tx = 0; tx < mw && !b.Stopped(); ++tx) {
            const ConsoleMapCell& m = cells[size_t(ty / th) * size_t(mapColumns) + size_t(tx / tw)];
            if (m.cell < 0 || m.cell >= cellCount) {
                b.AddEmpty();
                continue;
            }
            // A flipped chip shows its tiles in mirrored order, each flipped.
            int sx = tx % tw, sy = ty % th;
            if (m.h)
                sx = tw - 1 - sx;
            if (m.v)
                sy = th - 1 - sy;
            b.Add((m.cell % sheet.columns) * sheet.cellWidth + sx * 8,
                  (m.cell / sheet.columns) * sheet.cellHeight + sy * 8, m.h, m.v);
        }
    return b.Finish();
}

std::vector<uint8_t> ConsoleTileBytes(const ConsoleTarget& target, const std::vector<ConsoleTile>& tiles)
{
    std::vector<uint8_t> out(tiles.size() * 32);
    uint8_t* p = out.data();
    for (const ConsoleTile& t : tiles) {
        switch (target.tiles) {
        case TileLayout::LinearLowFirst:
            for (int r = 0; r < 8; ++r)
                std::memcpy(p + 4 * r, &t.rows[size_t(r)], 4);   // little-endian rows are the layout
            break;
        case TileLayout::PackedHighFirst:
            for (int r = 0; r < 8; ++r) {
                const uint32_t row = t.rows[size_t(r)];
                const uint32_t swapped = ((row & 0x0F0F0F0Fu) << 4) | ((row >> 4) & 0x0F0F0F0Fu);
                std::memcpy(p + 4 * r, &swapped, 4);
            }
            break;
        case TileLayout::Planar:
            for (int r = 0; r < 8; ++r) {
                uint8_t planes[4] = {0, 0, 0, 0};
                const uint32_t row = t.rows[size_t(r)];
                for (int x = 0; x < 8; ++x) {
                    const uint32_t c = (row >> (4 * x)) & 15;
                    for (int k = 0; k < 4; ++k)
                        planes[k] |= uint8_t(((c >> k) & 1) << (7 - x));
                }
                p[2 * r] = planes[0];
                p[2 * r + 1] = planes[1];
                p[16 + 2 * r] = planes[2];
                p[17 + 2 * r] = planes[3];
            }
            break;
        }
        p += 32;
    }
    return out;
}

std::vector<uint8_t> ConsoleMapBytes(const ConsoleTarget& target, const std::vector<ConsoleEntry>& map)
{
    std::vector<uint8_t> out(map.size() * 2);
    const uint32_t tileMask = uint32_t(target.MaxTiles() - 1);
    const int hBit = target.HasFlips() ? target.hBit : 0, vBit = target.HasFlips() ? target.vBit : 0;
    const uint32_t flips = target.HasFlips() ? 1 : 0;
    // One loop per byte order, so each entry is one store.
    auto write = [&](auto bigEndian) {
        uint8_t* p = out.data();
        for (const ConsoleEntry& e : map) {
            const uint32_t v = (e.tile & tileMask) | uint32_t(e.bank) << target.bankShift |
                               (uint32_t(e.h) & flips) << hBit | (uint32_t(e.v) & flips) << vBit;
            p[bigEndian ? 1 : 0] = uint8_t(v);
            p[bigEndian ? 0 : 1] = uint8_t(v >> 8);
            p += 2;
        }
    };
    if (target.entryBigEndian)
        write(std::true_type{});
    else
        write(std::false_type{});
    return out;
}

std::vector<uint8_t> ConsolePaletteBytes(const ConsoleTarget& target, const RGBQUAD* palette, int firstBank)
{
    std::vector<uint8_t> out;
    out.reserve(size_t(target.banks) * 32);
    for (int b = 0; b < target.banks; ++b)
        for (int k = 0; k < 16; ++k) {
            const int n = (firstBank + b) * 16 + k;
            uint32_t v = 0;
            if (n >= 0 && n < 256) {
                const RGBQUAD& e = palette[n];
                v = uint32_t(ConsoleChannel(e.rgbRed, target.colourBits)) << target.redShift |
                    uint32_t(ConsoleChannel(e.rgbGreen, target.colourBits)) << target.greenShift |
                    uint32_t(ConsoleChannel(e.rgbBlue, target.colourBits)) << target.blueShift;
            }
            Put16(out, v, target.colourBigEndian);
        }
    return out;
}

std::string ConsoleIdentifier(const std::string& path)
{
    std::string base = path.substr(path.find_last_of('/') == std::string::npos ? 0 : path.find_last_of('/') + 1);
    std::string id;
    for (char c : base)
        id += (std::isalnum(static_cast<unsigned char>(c)) && !(c & 0x80)) ? c : '_';
    if (id.empty() || std::isdigit(static_cast<unsigned char>(id[0])))
        id = "_" + id;
    return id;
}

std::string ConsoleHeader(const std::string& name, const ConsoleTarget& target, const ConsoleBuild& build,
                          const std::vector<uint8_t>& tiles, const std::vector<uint8_t>& map,
                          const std::vector<uint8_t>& palette)
{
    std::string upper = name;
    for (char& c : upper)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    std::string out;
    out.reserve((tiles.size() + map.size() + palette.size()) * 6 + 1024);
    out += "/* " + name + ": " + target.name + " tiles, map and palette, written by Tesvan. */\n";
    out += "#ifndef " + upper + "_H\n#define " + upper + "_H\n\n";
    auto define = [&](const char* what, size_t v) {
        out += "#define " + upper + "_" + what + " " + std::to_string(v) + "\n";
    };
    define("TILE_COUNT", build.tiles.size());
    define("ENTRY_COUNT", build.map.size());
    define("MAP_WIDTH", size_t(build.mapWidth));
    define("MAP_HEIGHT", size_t(build.mapHeight));
    define("TILES_LENGTH", tiles.size());
    define("MAP_LENGTH", map.size());
    define("PAL_LENGTH", palette.size());
    static const char kHex[] = "0123456789abcdef";
    auto array = [&](const char* what, const char* length, const std::vector<uint8_t>& bytes) {
        out += "\nstatic const unsigned char " + name + "_" + what + "[" + upper + "_" + length + "] = {";
        for (size_t i = 0; i < bytes.size(); ++i) {
            out += i % 16 == 0 ? "\n    " : " ";
            out += "0x";
            out += kHex[bytes[i] >> 4];
            out += kHex[bytes[i] & 15];
            out += ',';
        }
        out += "\n};\n";
    };
    array("tiles", "TILES_LENGTH", tiles);
    array("map", "MAP_LENGTH", map);
    array("pal", "PAL_LENGTH", palette);
    out += "\n#endif\n";
    return out;
}
