// A growable byte buffer holding run-length-coded pixels. Capacities are
// whole multiples of a process-wide block size.
#pragma once

#include <cstdint>
#include <cstdlib>

class CArchive;

class CBynaryBuffer {
public:
    CBynaryBuffer() = default;
    virtual ~CBynaryBuffer();
    CBynaryBuffer(const CBynaryBuffer&) = delete;
    CBynaryBuffer& operator=(const CBynaryBuffer&) = delete;
    CBynaryBuffer(CBynaryBuffer&& other) noexcept;
    CBynaryBuffer& operator=(CBynaryBuffer&& other) noexcept;

    bool SetSize(uint32_t n);
    bool Resize(uint32_t n);
    bool Append(const void* bytes, uint32_t count);
    uint32_t ReadFrom(CArchive& ar);
    uint32_t WriteTo(CArchive& ar) const;

    uint8_t* GetData() { return m_pData; }
    const uint8_t* GetData() const { return m_pData; }
    uint32_t GetSize() const { return m_nSize; }
    uint32_t GetCapacity() const { return m_nCapacity; }

    static void SetBlockSize(uint32_t bytes);
    static uint32_t GetBlockSize();

private:
    uint8_t* m_pData = nullptr;
    uint32_t m_nSize = 0;
    uint32_t m_nCapacity = 0;
};
