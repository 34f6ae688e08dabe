// The little-endian byte stream of document and layer files: integers, raw
// byte blocks and length-prefixed strings, read from memory or a file and
// written to memory or a file. Reading past the end throws.
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>
#include <vector>

class CSafeFile;

class CArchiveException : public std::exception {
public:
    enum Cause {
        generic,      // anything else that makes the data unusable
        endOfFile,    // the data ends before the record does
        badFormat,    // a value the reader refuses
        memory,       // an allocation the data asks for failed
        readFault,    // the file could not be read
        writeFault,   // the file could not be written
    };

    explicit CArchiveException(Cause cause) : m_cause(cause) {}
    Cause GetCause() const { return m_cause; }
    const char* what() const noexcept override;

private:
    Cause m_cause;
};

class CArchive {
public:
    // Loading from bytes in memory (not copied; they must outlive the archive).
    CArchive(const void* data, size_t size);
    // Storing into memory; Data() holds the bytes written.
    CArchive();
    // Loading from (or storing to) an open file descriptor, buffered. For
    // loading, fileSize bounds what may still be read.
    enum Mode { load, store };
    CArchive(int fd, Mode mode, uint64_t fileSize = 0);
    // Storing through the file writer, buffered; a failed write throws
    // writeFault and the writer keeps the reason.
    explicit CArchive(CSafeFile& out);
    ~CArchive();
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    bool IsLoading() const { return m_bLoading; }
    bool IsStoring() const { return !m_bLoading; }

    // ---- loading
    void Read(void* dst, size_t n);
    uint8_t ReadByte();
    uint16_t ReadUInt16();
    uint32_t ReadUInt32();
    int32_t ReadInt32() { return static_cast<int32_t>(ReadUInt32()); }
    uint64_t ReadUInt64();
    // A string in any length-prefix form, narrow (code page 932) or wide
    // (UTF-16); returned as UTF-8.
    std::string ReadString();
    // Bytes still to come.
    uint64_t Remaining() const { return m_nTotal - m_nConsumed; }
    // At least min(want, Remaining()) contiguous bytes at the read position
    // (want must not exceed kWindow); avail receives how many are there.
    const uint8_t* Peek(size_t want, size_t& avail);
    void Skip(uint64_t n);

    // ---- storing
    void Write(const void* src, size_t n);
    void WriteByte(uint8_t v) { Write(&v, 1); }
    void WriteUInt16(uint16_t v);
    void WriteUInt32(uint32_t v);
    void WriteInt32(int32_t v) { WriteUInt32(static_cast<uint32_t>(v)); }
    void WriteUInt64(uint64_t v);
    // UTF-8 in; written in code page 932 when every character has a code
    // there, otherwise in the wide form.
    void WriteString(const std::string& utf8);
    // Writes buffered bytes to the file (nothing for a memory archive).
    void Flush();
    // The bytes of a memory store archive.
    const std::vector<uint8_t>& Data() const { return m_out; }
    // Working space for encoders, reused from record to record.
    std::vector<uint8_t>& Scratch() { return m_scratch; }

    static constexpr size_t kWindow = 1 << 20;

private:
    void Fill(size_t want);
    void ReadLengthPrefix(uint64_t& length, bool& wide);
    void WriteLength(uint64_t n);
    void Emit(const uint8_t* p, size_t n);

    bool m_bLoading;
    int m_fd = -1;
    CSafeFile* m_pOut = nullptr;
    // loading: window [m_pCur, m_pEnd) of the source
    const uint8_t* m_pCur = nullptr;
    const uint8_t* m_pEnd = nullptr;
    uint64_t m_nTotal = 0;
    uint64_t m_nConsumed = 0;
    std::vector<uint8_t> m_window;
    // storing
    std::vector<uint8_t> m_out;
    std::vector<uint8_t> m_scratch;
};

CArchive& operator<<(CArchive& ar, int32_t v);
CArchive& operator<<(CArchive& ar, uint32_t v);
CArchive& operator>>(CArchive& ar, int32_t& v);
CArchive& operator>>(CArchive& ar, uint32_t& v);
