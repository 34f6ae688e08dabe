#include "doc/BynaryBuffer.h"

#include "doc/Archive.h"

#include <cstring>

namespace {
uint32_t g_blockSize = 1024;

// Capacity for n bytes: whole blocks; 0 when that does not fit 32 bits.
uint32_t RoundUp(uint32_t n)
{
    const uint64_t block = g_blockSize ? g_blockSize : 1;
    const uint64_t rounded = (uint64_t(n) + block - 1) / block * block;
    return rounded > 0xFFFFFFFFu ? 0 : uint32_t(rounded);
}
} // namespace

void CBynaryBuffer::SetBlockSize(uint32_t bytes) { g_blockSize = bytes ? bytes : 1; }
uint32_t CBynaryBuffer::GetBlockSize() { return g_blockSize; }

CBynaryBuffer::~CBynaryBuffer() { std::free(m_pData); }

CBynaryBuffer::CBynaryBuffer(CBynaryBuffer&& other) noexcept
    : m_pData(other.m_pData), m_nSize(other.m_nSize), m_nCapacity(other.m_nCapacity)
{
    other.m_pData = nullptr;
    other.m_nSize = other.m_nCapacity = 0;
}

CBynaryBuffer& CBynaryBuffer::operator=(CBynaryBuffer&& other) noexcept
{
    if (this != &other) {
        std::free(m_pData);
        m_pData = other.m_pData;
        m_nSize = other.m_nSize;
        m_nCapacity = other.m_nCapacity;
        other.m_pData = nullptr;
        other.m_nSize = other.m_nCapacity = 0;
    }
    return *this;
}

bool CBynaryBuffer::SetSize(uint32_t n)
{
    if (n == 0) {
        std::free(m_pData);
        m_pData = nullptr;
        m_nSize = m_nCapacity = 0;
        return true;
    }
    const uint32_t capacity = RoundUp(n);
    if (capacity == 0 || capacity > m_nCapacity) {
        std::free(m_pData);
        m_pData = capacity ? static_cast<uint8_t*>(std::malloc(capacity)) : nullptr;
        if (!m_pData) {
            m_nSize = m_nCapacity = 0;
            return false;
        }
        m_nCapacity = capacity;
    }
    std::memset(m_pData, 0, m_nCapacity);
    m_nSize = n;
    return true;
}

bool CBynaryBuffer::Resize(uint32_t n)
{
    if (n == m_nSize)
        return true;
    if (m_nCapacity == 0)
        return SetSize(n);
    const uint32_t capacity = RoundUp(n);
    if (n != 0 && capacity == 0)
        return false;
    if (capacity > m_nCapacity) {
        uint8_t* data = static_cast<uint8_t*>(std::malloc(capacity));
        if (!data)
            return false;
        std::memcpy(data, m_pData, m_nSize);
        std::free(m_pData);
        m_pData = data;
        m_nCapacity = capacity;
    }
    const uint32_t keep = n < m_nSize ? n : m_nSize;
    std::memset(m_pData + keep, 0, m_nCapacity - keep);
    m_nSize = n;
    return true;
}

bool CBynaryBuffer::Append(const void* bytes, uint32_t count)
{
    if (count == 0 || !bytes)
        return true;
    if (uint64_t(m_nSize) + count > 0xFFFFFFFFu)
        return false;
    const uint32_t at = m_nSize;
    if (!Resize(at + count))
        return false;
    std::memcpy(m_pData + at, bytes, count);
    return true;
}

uint32_t CBynaryBuffer::ReadFrom(CArchive& ar)
{
    const uint32_t n = ar.ReadUInt32();
    // A count beyond the data cannot be right; refuse it before allocating.
    if (n > ar.Remaining())
        throw CArchiveException(CArchiveException::endOfFile);
    if (!SetSize(n))
        throw CArchiveException(CArchiveException::memory);
    if (n)
        ar.Read(m_pData, n);
    return n;
}

uint32_t CBynaryBuffer::WriteTo(CArchive& ar) const
{
    ar.WriteUInt32(m_nSize);
    if (m_nSize)
        ar.Write(m_pData, m_nSize);
    return m_nSize;
}
