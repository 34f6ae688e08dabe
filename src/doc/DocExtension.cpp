// The extension block of .tvn files: what the standard content cannot hold,
// after its last field, where a reader of the standard form never looks.
//
//   "TVNX", uint32 version (1), then records up to the end of the file:
//   fourcc tag, uint32 length, `length` bytes. Unknown tags are skipped.
//   "ANIM"  four slots, each: uint32 direction, uint32 n, n bytes of UTF-8 name
//   "ZOOM"  uint32 canvas magnification
//   "CPRE"  uint32 colour precision (1: 15 bit, 2: 9 bit; full writes none)
//   "CMAP"  one chip map, one record per map in order: uint32 width, height,
//           uint32 n, n bytes of UTF-8 name, uint32 layer count, then per
//           layer uint32 flags (bit 0 shown), uint32 n, n bytes of name,
//           width x height uint32 cells (cell number + 1 | flip bits, 0 empty)
//   "STEP"  four uint32: each slot's step time in milliseconds, 0 = by its speed
//
// A block is written only when it carries something, so documents that need
// none stay byte for byte what the standard form writes.
#include "doc/TesvanDoc.h"

#include "doc/Anime.h"
#include "doc/Archive.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr char kMagic[4] = {'T', 'V', 'N', 'X'};
constexpr uint32_t kVersion = 1;
// Known records are small; a longer one is damage, not data to allocate for.
constexpr uint32_t kMaxKnownRecord = 64 * 1024;

uint32_t Tag(const char (&t)[5]) { return uint32_t(uint8_t(t[0])) | uint32_t(uint8_t(t[1])) << 8 |
                                          uint32_t(uint8_t(t[2])) << 16 | uint32_t(uint8_t(t[3])) << 24; }

const uint32_t kTagAnim = Tag("ANIM");
const uint32_t kTagZoom = Tag("ZOOM");
const uint32_t kTagPrecision = Tag("CPRE");
const uint32_t kTagMap = Tag("CMAP");
// The largest map record: every layer at the cell limit, with long names.
constexpr uint64_t kMaxMapRecord = uint64_t(CChipMap::kMaxLayers) * (CChipMap::kMaxCells * 4 + 4096) + 4096;
const uint32_t kTagStep = Tag("STEP");

bool IsZoomFactor(uint32_t z)
{
    for (uint32_t f : {1u, 2u, 3u, 4u, 6u, 8u, 12u, 16u, 24u, 32u})
        if (z == f)
            return true;
    return false;
}

bool IsUtf8(const std::string& s)
{
    size_t i = 0;
    while (i < s.size()) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        const size_t more = (c & 0xE0) == 0xC0 && c >= 0xC2 ? 1
                            : (c & 0xF0) == 0xE0            ? 2
                            : (c & 0xF8) == 0xF0 && c <= 0xF4 ? 3
                                                            : 0;
        if (more == 0 || i + more >= s.size())
            return false;
        for (size_t k = 1; k <= more; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                return false;
        i += more + 1;
    }
    return true;
}

void Put32(std::vector<uint8_t>& b, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.push_back(uint8_t(v >> (8 * i)));
}

uint32_t Get32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void PutText(std::vector<uint8_t>& b, const std::string& s)
{
    Put32(b, uint32_t(s.size()));
    b.insert(b.end(), s.begin(), s.end());
}

std::vector<uint8_t> MapRecord(const CChipMap& m)
{
    std::vector<uint8_t> b;
    b.reserve(64 + m.layers.size() * (size_t(m.nWidth) * m.nHeight * 4 + 64));
    Put32(b, uint32_t(m.nWidth));
    Put32(b, uint32_t(m.nHeight));
    PutText(b, m.strName);
    Put32(b, uint32_t(m.layers.size()));
    for (const CMapLayer& l : m.layers) {
        Put32(b, l.bShown ? 1u : 0u);
        PutText(b, l.strName);
        for (uint32_t v : l.cells)
            Put32(b, v);
    }
    return b;
}

// Reads bytes [at, end) of a record; false on anything short or malformed.
class CRecordReader {
public:
    explicit CRecordReader(const std::vector<uint8_t>& b) : m_b(b) {}
    bool U32(uint32_t& v)
    {
        if (m_b.size() - m_at < 4)
            return false;
        v = Get32(m_b.data() + m_at);
        m_at += 4;
        return true;
    }
    bool Text(std::string& s)
    {
        uint32_t n = 0;
        if (!U32(n) || n > m_b.size() - m_at)
            return false;
        s.assign(reinterpret_cast<const char*>(m_b.data() + m_at), n);
        m_at += n;
        return IsUtf8(s);
    }
    size_t Left() const { return m_b.size() - m_at; }

private:
    const std::vector<uint8_t>& m_b;
    size_t m_at = 0;
};

bool ReadMapRecord(const std::vector<uint8_t>& b, CChipMap& m)
{
    CRecordReader r(b);
    uint32_t w = 0, h = 0, layers = 0;
    if (!r.U32(w) || !r.U32(h) || w > uint32_t(CChipMap::kMaxSide) || h > uint32_t(CChipMap::kMaxSide) ||
        !CChipMap::ValidSize(int(w), int(h)) || !r.Text(m.strName) || m.strName.empty() || !r.U32(layers) ||
        layers < 1 || layers > uint32_t(CChipMap::kMaxLayers))
        return false;
    m.nWidth = int(w);
    m.nHeight = int(h);
    const size_t cells = size_t(w) * h;
    m.layers.resize(layers);
    for (CMapLayer& l : m.layers) {
        uint32_t flags = 0;
        if (!r.U32(flags) || !r.Text(l.strName) || r.Left() / 4 < cells)
            return false;
        l.bShown = (flags & 1) != 0;
        l.cells.resize(cells);
        for (uint32_t& v : l.cells)
            r.U32(v);
    }
    return true;
}

} // namespace

void CTesvanDoc::WriteExtension(CArchive& ar) const
{
    std::vector<std::pair<uint32_t, std::vector<uint8_t>>> records;
    bool animeDefault = true;
    for (int k = 0; k < kAnimeSlots; ++k)
        animeDefault = animeDefault && AnimeName(k) == DefaultAnimeName(k) &&
                       m_Anime[k].nDirection == ANIME_FORWARD;
    if (!animeDefault) {
        std::vector<uint8_t> b;
        for (int k = 0; k < kAnimeSlots; ++k) {
            const std::string name = AnimeName(k);
            Put32(b, uint32_t(m_Anime[k].nDirection));
            Put32(b, uint32_t(name.size()));
            b.insert(b.end(), name.begin(), name.end());
        }
        records.emplace_back(kTagAnim, std::move(b));
    }
    if (m_nZoom != 4 && m_nZoom != 8 && IsZoomFactor(uint32_t(m_nZoom))) {
        std::vector<uint8_t> b;
        Put32(b, uint32_t(m_nZoom));
        records.emplace_back(kTagZoom, std::move(b));
    }
    if (m_nColorPrecision == PRECISION_15BIT || m_nColorPrecision == PRECISION_9BIT) {
        std::vector<uint8_t> b;
        Put32(b, uint32_t(m_nColorPrecision));
        records.emplace_back(kTagPrecision, std::move(b));
    }
    for (const CChipMap& m : m_Maps.maps)
        records.emplace_back(kTagMap, MapRecord(m));
    bool anySteps = false;
    for (int k = 0; k < kAnimeSlots; ++k)
        anySteps = anySteps || m_Anime[k].nStepMs > 0;
    if (anySteps) {
        std::vector<uint8_t> b;
        for (int k = 0; k < kAnimeSlots; ++k)
            Put32(b, uint32_t(std::max(m_Anime[k].nStepMs, 0)));
        records.emplace_back(kTagStep, std::move(b));
    }
    if (records.empty())
        return;
    ar.Write(kMagic, 4);
    ar.WriteUInt32(kVersion);
    for (const auto& [tag, bytes] : records) {
        ar.WriteUInt32(tag);
        ar.WriteUInt32(uint32_t(bytes.size()));
        ar.Write(bytes.data(), bytes.size());
    }
}

// Reads the block, if one follows the standard content. Bytes that do not
// start with the magic are left alone, as before the block existed. A block
// is applied whole or not at all.
bool CTesvanDoc::ReadExtension(CArchive& ar)
{
    if (ar.Remaining() < 8)
        return true;
    char magic[4];
    ar.Read(magic, 4);
    if (std::memcmp(magic, kMagic, 4) != 0)
        return true;
    if (ar.ReadUInt32() != kVersion)
        return false;

    CAnimeSlot anime[kAnimeSlots];
    bool haveAnime = false;
    int zoom = 0;
    int precision = PRECISION_FULL;
    CChipMaps maps;
    int steps[kAnimeSlots] = {};
    while (ar.Remaining() > 0) {
        if (ar.Remaining() < 8)
            return false;
        const uint32_t tag = ar.ReadUInt32();
        const uint32_t length = ar.ReadUInt32();
        if (length > ar.Remaining())
            return false;
        if (tag != kTagAnim && tag != kTagZoom && tag != kTagPrecision && tag != kTagMap && tag != kTagStep) {
            ar.Skip(length);
            continue;
        }
        if (length > (tag == kTagMap ? kMaxMapRecord : kMaxKnownRecord))
            return false;
        std::vector<uint8_t> b(length);
        ar.Read(b.data(), length);
        if (tag == kTagPrecision) {
            if (length < 4)
                return false;
            // A precision this version does not know keeps full colours.
            const uint32_t v = Get32(b.data());
            precision = v == PRECISION_15BIT || v == PRECISION_9BIT ? int(v) : PRECISION_FULL;
            continue;
        }
        if (tag == kTagMap) {
            CChipMap m;
            if (int(maps.maps.size()) >= CChipMaps::kMaxMaps || !ReadMapRecord(b, m))
                return false;
            maps.maps.push_back(std::move(m));
            continue;
        }
        if (tag == kTagZoom) {
            if (length < 4)
                return false;
            // A factor this canvas does not know leaves the standard one.
            const uint32_t z = Get32(b.data());
            zoom = IsZoomFactor(z) ? int(z) : 0;
            continue;
        }
        if (tag == kTagStep) {
            if (length < 4 * kAnimeSlots)
                return false;
            // A time outside what the dialog allows plays by the speed.
            for (int k = 0; k < kAnimeSlots; ++k) {
                const uint32_t ms = Get32(b.data() + 4 * k);
                steps[k] = ms >= uint32_t(kAnimeStepMin) && ms <= uint32_t(kAnimeStepMax) ? int(ms) : 0;
            }
            continue;
        }
        size_t at = 0;
        for (int k = 0; k < kAnimeSlots; ++k) {
            if (b.size() - at < 8)
                return false;
            const uint32_t direction = Get32(b.data() + at);
            const uint32_t n = Get32(b.data() + at + 4);
            at += 8;
            if (n > b.size() - at)
                return false;
            std::string name(reinterpret_cast<const char*>(b.data() + at), n);
            at += n;
            if (!IsUtf8(name))
                return false;
            anime[k].strName = name.empty() ? DefaultAnimeName(k) : name;
            // A way of playing this version does not know plays forward.
            anime[k].nDirection = direction <= ANIME_PINGPONG ? int(direction) : ANIME_FORWARD;
        }
        haveAnime = true;
    }
    if (haveAnime)
        for (int k = 0; k < kAnimeSlots; ++k) {
            m_Anime[k].strName = anime[k].strName;
            m_Anime[k].nDirection = anime[k].nDirection;
        }
    if (zoom)
        m_nZoom = zoom;
    m_nColorPrecision = precision;
    m_Maps = std::move(maps);
    for (int k = 0; k < kAnimeSlots; ++k)
        m_Anime[k].nStepMs = steps[k];
    return true;
}
