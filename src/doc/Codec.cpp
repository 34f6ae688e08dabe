#include "doc/Codec.h"

#include "doc/Archive.h"
#include "platform/Pixel32.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

bool Inside(const CImageEx& image, int bpp, int x, int y, int w, int h)
{
    return !image.IsNull() && image.GetBPP() == bpp && w > 0 && h > 0 && x >= 0 && y >= 0 &&
           int64_t(x) + w <= image.GetWidth() && int64_t(y) + h <= image.GetHeight();
}

// Grows out so that `need` bytes fit, doubling to keep appends amortised.
inline uint8_t* Room(std::vector<uint8_t>& out, size_t need)
{
    if (out.size() < need)
        out.resize(std::max(need, out.size() * 2));
    return out.data();
}

// Writes runs into an image from its top-left pixel, row by row.
template <typename T>
class CRunFiller {
public:
    CRunFiller(CImageEx& image, int width, int height)
        : m_image(image), m_w(width), m_h(height)
    {
        StartRow();
    }
    // False once the image is full.
    bool Put(T value, unsigned n)
    {
        if (n < unsigned(m_end - m_cur)) {
            // Most runs end inside the row.
            T* d = m_cur;
            m_cur += n;
            for (unsigned k = 0; k < n; ++k)
                d[k] = value;
            return true;
        }
        return PutAcrossRows(value, n);
    }

private:
    void StartRow()
    {
        m_cur = reinterpret_cast<T*>(m_image.GetRow(m_y));
        m_end = m_cur + m_w;
    }
    bool PutAcrossRows(T value, unsigned n)
    {
        while (n > 0) {
            const unsigned k = std::min<unsigned>(n, unsigned(m_end - m_cur));
            std::fill_n(m_cur, k, value);
            m_cur += k;
            n -= k;
            if (m_cur == m_end) {
                if (++m_y == m_h)
                    return false;
                StartRow();
            }
        }
        return true;
    }

    CImageEx& m_image;
    int m_w, m_h;
    int m_y = 0;
    T* m_cur;
    T* m_end;
};

[[noreturn, gnu::noinline]] void ThrowZeroRun()
{
    throw CArchiveException(CArchiveException::badFormat);
}

// Staging space of the buffer encoders, so a buffer is allocated once.
std::vector<uint8_t>& Staging()
{
    thread_local std::vector<uint8_t> staging;
    staging.clear();
    return staging;
}

uint32_t Store(std::vector<uint8_t>& staged, CBynaryBuffer& buffer)
{
    const size_t n = staged.size();
    if (n > 0 && n <= 0xFFFFFFFFu && buffer.SetSize(uint32_t(n)))
        std::memcpy(buffer.GetData(), staged.data(), n);
    if (staged.capacity() > (size_t(16) << 20))
        std::vector<uint8_t>().swap(staged);
    return buffer.GetSize();
}

template <int Rec, typename Sink>
void DecodeStream(CArchive& ar, uint32_t count, Sink&& sink)
{
    if (count > ar.Remaining())
        throw CArchiveException(CArchiveException::endOfFile);
    uint64_t records = count / Rec;
    const uint32_t tail = count % Rec;
    while (records > 0) {
        size_t avail;
        const uint8_t* p = ar.Peek(Rec, avail);
        const uint64_t k = std::min<uint64_t>(records, avail / Rec);
        for (uint64_t i = 0; i < k; ++i, p += Rec) {
            if (!sink(p)) {
                // The image is full: the rest of the data is ignored.
                ar.Skip(records * Rec + tail);
                return;
            }
        }
        ar.Skip(k * Rec);
        records -= k;
    }
    ar.Skip(tail);
}

} // namespace

namespace {

// The first index from c on whose pixel differs from cur, or w. Sheets are
// mostly long runs of one value, so the scan compares whole vectors.
inline int RunEnd8(const uint8_t* p, int c, int w, uint8_t cur)
{
#if defined(__SSE2__)
    const __m128i k = _mm_set1_epi8(char(cur));
    for (; c + 16 <= w; c += 16) {
        const int m = _mm_movemask_epi8(
            _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + c)), k));
        if (m != 0xFFFF)
            return c + __builtin_ctz(unsigned(~m) & 0xFFFFu);
    }
#endif
    while (c < w && p[c] == cur)
        ++c;
    return c;
}

inline int RunEnd32(const uint8_t* p, int c, int w, uint32_t cur)
{
#if defined(__SSE2__)
    const __m128i k = _mm_set1_epi32(int(cur));
    for (; c + 8 <= w; c += 8) {
        const auto* q = reinterpret_cast<const __m128i*>(p + 4 * size_t(c));
        const int m0 = _mm_movemask_epi8(_mm_cmpeq_epi32(_mm_loadu_si128(q), k));
        const int m1 = _mm_movemask_epi8(_mm_cmpeq_epi32(_mm_loadu_si128(q + 1), k));
        const unsigned m = unsigned(m0) | unsigned(m1) << 16;
        if (m != 0xFFFFFFFFu)
            return c + (__builtin_ctz(~m) >> 2);
    }
#endif
    while (c < w && Read32(p + 4 * size_t(c)) == cur)
        ++c;
    return c;
}

} // namespace

CRowCoder::CRowCoder(int bpp, uint8_t offset, std::vector<uint8_t>& out)
    : m_out(out), m_pos(out.size()), m_bpp(bpp), m_offset(offset)
{
}

// Pairs of (value, run length 1..255): a run of any length is cut into
// pieces of 255 and a rest, and runs go on across rows.
void CRowCoder::Add(const uint8_t* p, int w)
{
    if (w <= 0)
        return;
    const size_t pairBytes = m_bpp == 8 ? 2 : 5;
    if (m_count == 0)
        m_cur = m_bpp == 8 ? p[0] : Read32(p);
    // At most one pair per pixel: the bound of the plain coder.
    uint8_t* o = Room(m_out, m_pos + pairBytes * (size_t(w) + 1));
    for (int c = 0; c < w;) {
        const int e = m_bpp == 8 ? RunEnd8(p, c, w, uint8_t(m_cur)) : RunEnd32(p, c, w, m_cur);
        m_count += size_t(e - c);
        for (; m_count > 255; m_count -= 255)
            Put(o, 255);
        if (e == w)
            break;
        Put(o, unsigned(m_count));
        m_cur = m_bpp == 8 ? p[e] : Read32(p + 4 * size_t(e));
        m_count = 1;
        c = e + 1;
    }
}

void CRowCoder::Put(uint8_t* o, unsigned n)
{
    if (m_bpp == 8) {
        const uint8_t v = uint8_t(m_cur);
        o[m_pos] = v >= 64 ? uint8_t(v - m_offset) : v;
        o[m_pos + 1] = uint8_t(n);
        m_pos += 2;
    } else {
        std::memcpy(o + m_pos, &m_cur, 4);
        o[m_pos + 4] = uint8_t(n);
        m_pos += 5;
    }
}

void CRowCoder::Finish()
{
    if (m_count > 0) {
        uint8_t* o = Room(m_out, m_pos + 5);
        Put(o, unsigned(m_count));
        m_count = 0;
    }
    m_out.resize(m_pos);
}

namespace {

template <int Bpp>
bool EncodeRect(const CImageEx& image, int x, int y, int w, int h, uint8_t offset,
                std::vector<uint8_t>& out)
{
    if (!Inside(image, Bpp, x, y, w, h))
        return false;
    CRowCoder coder(Bpp, offset, out);
    for (int r = 0; r < h; ++r)
        coder.Add(image.GetRow(y + r) + size_t(x) * (Bpp / 8), w);
    coder.Finish();
    return true;
}

} // namespace

bool EncodeRuns8(const CImageEx& image, int x, int y, int w, int h, uint8_t offset,
                 std::vector<uint8_t>& out)
{
    return EncodeRect<8>(image, x, y, w, h, offset, out);
}

bool EncodeRuns32(const CImageEx& image, int x, int y, int w, int h, std::vector<uint8_t>& out)
{
    return EncodeRect<32>(image, x, y, w, h, 0, out);
}

uint32_t Compress8(const CImageEx& image, int x, int y, int width, int height, uint8_t offset,
                   CBynaryBuffer& buffer)
{
    buffer.SetSize(0);
    std::vector<uint8_t>& staged = Staging();
    if (!EncodeRuns8(image, x, y, width, height, offset, staged))
        return 0;
    return Store(staged, buffer);
}

uint32_t Compress32(const CImageEx& image, int x, int y, int width, int height,
                    CBynaryBuffer& buffer)
{
    buffer.SetSize(0);
    std::vector<uint8_t>& staged = Staging();
    if (!EncodeRuns32(image, x, y, width, height, staged))
        return 0;
    return Store(staged, buffer);
}

// A pair with run length 0 never comes from the encoders; decoding stops
// there and leaves the rest of the image as it is.
void Decompress8(const CBynaryBuffer& buffer, CImageEx& image, int width, int height,
                 uint8_t offset)
{
    if (image.IsNull() || image.GetBPP() != 8)
        return;
    width = std::min(width, image.GetWidth());
    height = std::min(height, image.GetHeight());
    if (width <= 0 || height <= 0)
        return;
    CRunFiller<uint8_t> fill(image, width, height);
    const uint8_t* p = buffer.GetData();
    const uint32_t pairs = buffer.GetSize() / 2;
    for (uint32_t i = 0; i < pairs; ++i, p += 2) {
        if (p[1] == 0)
            return;
        const uint8_t v = p[0] >= 64 ? uint8_t(p[0] + offset) : p[0];
        if (!fill.Put(v, p[1]))
            return;
    }
}

void Decompress32(const CBynaryBuffer& buffer, CImageEx& image, int width, int height)
{
    if (image.IsNull() || image.GetBPP() != 32)
        return;
    width = std::min(width, image.GetWidth());
    height = std::min(height, image.GetHeight());
    if (width <= 0 || height <= 0)
        return;
    CRunFiller<uint32_t> fill(image, width, height);
    const uint8_t* p = buffer.GetData();
    const uint32_t records = buffer.GetSize() / 5;
    for (uint32_t i = 0; i < records; ++i, p += 5) {
        if (p[4] == 0)
            return;
        if (!fill.Put(Read32(p), p[4]))
            return;
    }
}

void DecodeRecord8(CArchive& ar, uint32_t count, CImageEx& image, uint8_t offset,
                   const uint32_t* map)
{
    auto value = [offset](uint8_t b) { return b >= 64 ? uint8_t(b + offset) : b; };
    if (image.IsNull())
        throw CArchiveException(CArchiveException::memory);
    if (map) {
        CRunFiller<uint32_t> fill(image, image.GetWidth(), image.GetHeight());
        DecodeStream<2>(ar, count, [&](const uint8_t* p) {
            if (p[1] == 0)
                ThrowZeroRun();
            return fill.Put(map[value(p[0])], p[1]);
        });
    } else {
        CRunFiller<uint8_t> fill(image, image.GetWidth(), image.GetHeight());
        DecodeStream<2>(ar, count, [&](const uint8_t* p) {
            if (p[1] == 0)
                ThrowZeroRun();
            return fill.Put(value(p[0]), p[1]);
        });
    }
}

void DecodeRecord32(CArchive& ar, uint32_t count, CImageEx& image)
{
    if (image.IsNull())
        throw CArchiveException(CArchiveException::memory);
    CRunFiller<uint32_t> fill(image, image.GetWidth(), image.GetHeight());
    DecodeStream<5>(ar, count, [&](const uint8_t* p) {
        if (p[4] == 0)
            ThrowZeroRun();
        return fill.Put(Read32(p), p[4]);
    });
}
