#include "doc/Codec.h"

#include "doc/Archive.h"

#include <algorithm>
#include <cstring>

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

inline uint32_t Load32(const uint8_t* p)
{
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
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

bool EncodeRuns8(const CImageEx& image, int x, int y, int w, int h, uint8_t offset,
                 std::vector<uint8_t>& out)
{
    if (!Inside(image, 8, x, y, w, h))
        return false;
    auto stored = [offset](uint8_t v) { return v >= 64 ? uint8_t(v - offset) : v; };
    uint8_t cur = image.GetRow(y)[x];
    unsigned count = 0;
    size_t pos = out.size();
    for (int r = 0; r < h; ++r) {
        uint8_t* o = Room(out, pos + 2 * size_t(w) + 2);
        const uint8_t* p = image.GetRow(y + r) + x;
        for (int c = 0; c < w; ++c) {
            const uint8_t v = p[c];
            if (v == cur) {
                if (count == 255) {
                    o[pos] = stored(cur);
                    o[pos + 1] = 255;
                    pos += 2;
                    count = 0;
                }
                ++count;
            } else {
                o[pos] = stored(cur);
                o[pos + 1] = uint8_t(count);
                pos += 2;
                cur = v;
                count = 1;
            }
        }
    }
    if (count > 0) {
        uint8_t* o = Room(out, pos + 2);
        o[pos] = stored(cur);
        o[pos + 1] = uint8_t(count);
        pos += 2;
    }
    out.resize(pos);
    return true;
}

bool EncodeRuns32(const CImageEx& image, int x, int y, int w, int h, std::vector<uint8_t>& out)
{
    if (!Inside(image, 32, x, y, w, h))
        return false;
    uint32_t cur = Load32(image.GetRow(y) + 4 * size_t(x));
    unsigned count = 0;
    size_t pos = out.size();
    for (int r = 0; r < h; ++r) {
        uint8_t* o = Room(out, pos + 5 * size_t(w) + 5);
        const uint8_t* p = image.GetRow(y + r) + 4 * size_t(x);
        for (int c = 0; c < w; ++c) {
            const uint32_t v = Load32(p + 4 * size_t(c));
            if (v == cur) {
                if (count == 255) {
                    std::memcpy(o + pos, &cur, 4);
                    o[pos + 4] = 255;
                    pos += 5;
                    count = 0;
                }
                ++count;
            } else {
                std::memcpy(o + pos, &cur, 4);
                o[pos + 4] = uint8_t(count);
                pos += 5;
                cur = v;
                count = 1;
            }
        }
    }
    if (count > 0) {
        uint8_t* o = Room(out, pos + 5);
        std::memcpy(o + pos, &cur, 4);
        o[pos + 4] = uint8_t(count);
        pos += 5;
    }
    out.resize(pos);
    return true;
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
        if (!fill.Put(Load32(p), p[4]))
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
        return fill.Put(Load32(p), p[4]);
    });
}
