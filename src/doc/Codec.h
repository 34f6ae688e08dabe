// The run-length pixel code of layer records, paste pieces and undo regions.
#pragma once

#include "doc/BynaryBuffer.h"
#include "doc/ImageEx.h"

#include <cstdint>
#include <vector>

class CArchive;

uint32_t Compress8(const CImageEx& image, int x, int y, int width, int height, uint8_t offset,
                   CBynaryBuffer& buffer);
uint32_t Compress32(const CImageEx& image, int x, int y, int width, int height,
                    CBynaryBuffer& buffer);
void Decompress8(const CBynaryBuffer& buffer, CImageEx& image, int width, int height,
                 uint8_t offset);
void Decompress32(const CBynaryBuffer& buffer, CImageEx& image, int width, int height);

// The same codes appended to a byte vector; false (nothing appended) when the
// rectangle is empty or not inside the image, or the depth does not match.
bool EncodeRuns8(const CImageEx& image, int x, int y, int width, int height, uint8_t offset,
                 std::vector<uint8_t>& out);
bool EncodeRuns32(const CImageEx& image, int x, int y, int width, int height,
                  std::vector<uint8_t>& out);

// The same codes built a row at a time, for callers that change each row
// right after it is coded; the pending run goes on across rows. Pairs are
// appended to `out` as rows come; Finish writes the last one.
class CRowCoder {
public:
    CRowCoder(int bpp, uint8_t offset, std::vector<uint8_t>& out);
    void Add(const uint8_t* row, int width);
    void Finish();

private:
    void Put(uint8_t* o, unsigned n);

    std::vector<uint8_t>& m_out;
    size_t m_pos;
    int m_bpp;
    uint8_t m_offset;
    uint32_t m_cur = 0;
    size_t m_count = 0;
};

// Decodes `count` bytes of the archive into the whole image, straight from
// the stream. Records beyond the image are skipped; a run length of 0 throws
// a bad-format archive error. The 8-bit code decodes into an 8-bit image, or
// into a 32-bit one through `map` (pixel value per stored index after the
// offset is applied).
void DecodeRecord8(CArchive& ar, uint32_t count, CImageEx& image, uint8_t offset,
                   const uint32_t* map = nullptr);
void DecodeRecord32(CArchive& ar, uint32_t count, CImageEx& image);
