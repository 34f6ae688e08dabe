// The extension block of .tvn files: what the standard content cannot hold,
// after its last field, where a reader of the standard form never looks.
//
//   "TVNX", uint32 version (1), then records up to the end of the file:
//   fourcc tag, uint32 length, `length` bytes. Unknown tags are skipped.
//   "ANIM"  four slots, each: uint32 direction, uint32 n, n bytes of UTF-8 name
//   "ZOOM"  uint32 canvas magnification
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
    int steps[kAnimeSlots] = {};
    while (ar.Remaining() > 0) {
        if (ar.Remaining() < 8)
            return false;
        const uint32_t tag = ar.ReadUInt32();
        const uint32_t length = ar.ReadUInt32();
        if (length > ar.Remaining())
            return false;
        if (tag != kTagAnim && tag != kTagZoom && tag != kTagStep) {
            ar.Skip(length);
            continue;
        }
        if (length > kMaxKnownRecord)
            return false;
        std::vector<uint8_t> b(length);
        ar.Read(b.data(), length);
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
    for (int k = 0; k < kAnimeSlots; ++k)
        m_Anime[k].nStepMs = steps[k];
    return true;
}
