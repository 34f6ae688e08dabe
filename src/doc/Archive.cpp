#include "doc/Archive.h"

#include "platform/Cp932.h"
#include "platform/SafeFile.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <unistd.h>

static_assert(std::endian::native == std::endian::little,
              "the file formats are little-endian and read by plain copies");

const char* CArchiveException::what() const noexcept
{
    switch (m_cause) {
    case endOfFile: return "unexpected end of archive";
    case badFormat: return "bad value in archive";
    case memory: return "out of memory while reading archive";
    case readFault: return "archive read error";
    case writeFault: return "archive write error";
    default: return "archive error";
    }
}

CArchive::CArchive(const void* data, size_t size)
    : m_bLoading(true),
      m_pCur(static_cast<const uint8_t*>(data)),
      m_pEnd(static_cast<const uint8_t*>(data) + size),
      m_nTotal(size)
{
    if (!data)
        m_pCur = m_pEnd = nullptr, m_nTotal = 0;
}

CArchive::CArchive() : m_bLoading(false) {}

CArchive::CArchive(int fd, Mode mode, uint64_t fileSize)
    : m_bLoading(mode == load), m_fd(fd), m_nTotal(mode == load ? fileSize : 0)
{
    if (m_bLoading) {
        m_window.resize(kWindow);
        m_pCur = m_pEnd = m_window.data();
    } else {
        m_out.reserve(kWindow);
    }
}

CArchive::CArchive(CSafeFile& out) : m_bLoading(false), m_pOut(&out) { m_out.reserve(kWindow); }

CArchive::~CArchive() = default;

void CArchive::Emit(const uint8_t* p, size_t n)
{
    if (m_pOut) {
        if (!m_pOut->Write(p, n))
            throw CArchiveException(CArchiveException::writeFault);
        return;
    }
    while (n > 0) {
        ssize_t r = ::write(m_fd, p, n);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            throw CArchiveException(CArchiveException::writeFault);
        }
        p += r;
        n -= size_t(r);
    }
}

// Makes at least min(want, Remaining()) bytes contiguous in the window.
void CArchive::Fill(size_t want)
{
    const size_t have = size_t(m_pEnd - m_pCur);
    if (have >= want)
        return;
    if (m_fd < 0 || Remaining() < want)
        throw CArchiveException(CArchiveException::endOfFile);
    uint8_t* base = m_window.data();
    std::memmove(base, m_pCur, have);
    size_t filled = have;
    const uint64_t left = Remaining();
    const size_t target = size_t(std::min<uint64_t>(kWindow, left));
    while (filled < target) {
        ssize_t r = ::read(m_fd, base + filled, target - filled);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            throw CArchiveException(CArchiveException::readFault);
        }
        if (r == 0)
            break;
        filled += size_t(r);
    }
    m_pCur = base;
    m_pEnd = base + filled;
    if (filled < want)
        throw CArchiveException(CArchiveException::endOfFile);
}

void CArchive::Read(void* dst, size_t n)
{
    uint8_t* out = static_cast<uint8_t*>(dst);
    while (n > 0) {
        size_t have = size_t(m_pEnd - m_pCur);
        if (have == 0) {
            Fill(std::min(n, kWindow));
            have = size_t(m_pEnd - m_pCur);
        }
        const size_t k = std::min(have, n);
        std::memcpy(out, m_pCur, k);
        m_pCur += k;
        m_nConsumed += k;
        out += k;
        n -= k;
    }
}

uint8_t CArchive::ReadByte()
{
    uint8_t v;
    Read(&v, 1);
    return v;
}

uint16_t CArchive::ReadUInt16()
{
    uint16_t v;
    Read(&v, 2);
    return v;
}

uint32_t CArchive::ReadUInt32()
{
    if (m_pEnd - m_pCur >= 4) {
        uint32_t v;
        std::memcpy(&v, m_pCur, 4);
        m_pCur += 4;
        m_nConsumed += 4;
        return v;
    }
    uint32_t v;
    Read(&v, 4);
    return v;
}

uint64_t CArchive::ReadUInt64()
{
    uint64_t v;
    Read(&v, 8);
    return v;
}

const uint8_t* CArchive::Peek(size_t want, size_t& avail)
{
    want = size_t(std::min<uint64_t>(want, Remaining()));
    if (want == 0) {
        avail = size_t(m_pEnd - m_pCur);
        return m_pCur;
    }
    if (size_t(m_pEnd - m_pCur) < want || m_pCur == m_pEnd)
        Fill(std::max<size_t>(want, 1));
    avail = size_t(m_pEnd - m_pCur);
    return m_pCur;
}

void CArchive::Skip(uint64_t n)
{
    if (n > Remaining())
        throw CArchiveException(CArchiveException::endOfFile);
    // Beyond the window a file is skipped by seeking, not by reading.
    const size_t buffered = size_t(m_pEnd - m_pCur);
    if (m_fd >= 0 && n > buffered + kWindow) {
        const uint64_t ahead = n - buffered;
        if (::lseek(m_fd, off_t(ahead), SEEK_CUR) != off_t(-1)) {
            m_pCur = m_pEnd;
            m_nConsumed += n;
            return;
        }
    }
    while (n > 0) {
        size_t have = size_t(m_pEnd - m_pCur);
        if (have == 0) {
            Fill(size_t(std::min<uint64_t>(n, kWindow)));
            have = size_t(m_pEnd - m_pCur);
        }
        const size_t k = size_t(std::min<uint64_t>(have, n));
        m_pCur += k;
        m_nConsumed += k;
        n -= k;
    }
}

// Length prefixes: one byte below 255; else 0xFF and two bytes below
// 0xFFFE; else 0xFF 0xFFFF and four bytes below 0xFFFFFFFF; else eight.
// 0xFF 0xFFFE marks a wide string whose own prefix follows.
void CArchive::ReadLengthPrefix(uint64_t& length, bool& wide)
{
    wide = false;
    uint8_t b = ReadByte();
    if (b < 0xFF) {
        length = b;
        return;
    }
    uint16_t w = ReadUInt16();
    if (w == 0xFFFE) {
        wide = true;
        b = ReadByte();
        if (b < 0xFF) {
            length = b;
            return;
        }
        w = ReadUInt16();
        if (w == 0xFFFE)
            throw CArchiveException(CArchiveException::badFormat);
    }
    if (w < 0xFFFF) {
        length = w;
        return;
    }
    uint32_t d = ReadUInt32();
    if (d < 0xFFFFFFFFu) {
        length = d;
        return;
    }
    uint64_t q = ReadUInt64();
    if (q > 0x7FFFFFFFu)
        throw CArchiveException(CArchiveException::badFormat);
    length = q;
}

std::string CArchive::ReadString()
{
    uint64_t length;
    bool wide;
    ReadLengthPrefix(length, wide);
    const uint64_t bytes = wide ? length * 2 : length;
    if (bytes > Remaining())
        throw CArchiveException(CArchiveException::endOfFile);
    if (length == 0)
        return {};
    if (wide) {
        std::u16string text(size_t(length), u'\0');
        Read(text.data(), size_t(bytes));
        return Utf16ToUtf8(text);
    }
    std::string raw(size_t(length), '\0');
    Read(raw.data(), size_t(length));
    bool ascii = true;
    for (unsigned char c : raw)
        if (c >= 0x80) {
            ascii = false;
            break;
        }
    return ascii ? raw : Cp932ToUtf8(raw);
}

void CArchive::Write(const void* src, size_t n)
{
    if (n == 0)
        return;
    const uint8_t* p = static_cast<const uint8_t*>(src);
    if ((m_fd >= 0 || m_pOut) && m_out.size() + n > kWindow) {
        Flush();
        if (n >= kWindow) {
            Emit(p, n);
            return;
        }
    }
    m_out.insert(m_out.end(), p, p + n);
}

void CArchive::WriteUInt16(uint16_t v) { Write(&v, 2); }
void CArchive::WriteUInt32(uint32_t v) { Write(&v, 4); }
void CArchive::WriteUInt64(uint64_t v) { Write(&v, 8); }

void CArchive::WriteLength(uint64_t n)
{
    if (n < 0xFF) {
        WriteByte(uint8_t(n));
    } else if (n < 0xFFFE) {
        WriteByte(0xFF);
        WriteUInt16(uint16_t(n));
    } else if (n < 0xFFFFFFFFu) {
        WriteByte(0xFF);
        WriteUInt16(0xFFFF);
        WriteUInt32(uint32_t(n));
    } else {
        WriteByte(0xFF);
        WriteUInt16(0xFFFF);
        WriteUInt32(0xFFFFFFFFu);
        WriteUInt64(n);
    }
}

void CArchive::WriteString(const std::string& utf8)
{
    bool ascii = true;
    for (unsigned char c : utf8)
        if (c >= 0x80) {
            ascii = false;
            break;
        }
    std::string narrow;
    if (ascii) {
        WriteLength(utf8.size());
        Write(utf8.data(), utf8.size());
        return;
    }
    if (Utf8ToCp932(utf8, narrow)) {
        WriteLength(narrow.size());
        Write(narrow.data(), narrow.size());
        return;
    }
    const std::u16string wide = Utf8ToUtf16(utf8);
    WriteByte(0xFF);
    WriteUInt16(0xFFFE);
    WriteLength(wide.size());
    Write(wide.data(), wide.size() * 2);
}

void CArchive::Flush()
{
    if (m_bLoading || (m_fd < 0 && !m_pOut))
        return;
    Emit(m_out.data(), m_out.size());
    m_out.clear();
}

CArchive& operator<<(CArchive& ar, int32_t v)
{
    ar.WriteInt32(v);
    return ar;
}

CArchive& operator<<(CArchive& ar, uint32_t v)
{
    ar.WriteUInt32(v);
    return ar;
}

CArchive& operator>>(CArchive& ar, int32_t& v)
{
    v = ar.ReadInt32();
    return ar;
}

CArchive& operator>>(CArchive& ar, uint32_t& v)
{
    v = ar.ReadUInt32();
    return ar;
}
