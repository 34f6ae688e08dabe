// Feeds arbitrary bytes to the layer-file reader, into an 8-bit or a 32-bit
// document whose sheet has the size the file names. A file that loads must
// save and load again to the same bytes.
#include "doc/Archive.h"
#include "doc/TesvanDoc.h"
#include "platform/UiPort.h"

#include <cstdlib>
#include <cstring>

namespace {

bool Prepare(CTesvanDoc& doc, int width, int height, int bits)
{
    doc.OnNewDocument();
    doc.m_nBitCount = bits;
    doc.m_nCellWidth = width;
    doc.m_nCellHeight = height;
    doc.m_nColumns = doc.m_nRows = 1;
    return doc.ApplySheetSize(false);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SetUiPort(nullptr); // the silent default port
    if (size < 8)
        return 0;
    int32_t width, height;
    std::memcpy(&width, data, 4);
    std::memcpy(&height, data + 4, 4);
    // Sheets up to 512 x 512 exercise every path; larger ones only cost time.
    if (width < 1 || height < 1 || width > 512 || height > 512 || width * height > 512 * 512)
        return 0;
    const int bits = (size & 1) ? 8 : 32;
    const int slot = int(size % 12);
    CTesvanDoc doc;
    if (!Prepare(doc, width, height, bits))
        return 0;
    CArchive in(data, size);
    if (!doc.ReadLayerFile(slot, in))
        return 0;
    CArchive first;
    doc.WriteLayerFile(slot, first);
    CTesvanDoc again;
    if (!Prepare(again, width, height, bits))
        std::abort();
    CArchive reread(first.Data().data(), first.Data().size());
    if (!again.ReadLayerFile(slot, reread))
        std::abort();
    CArchive second;
    again.WriteLayerFile(slot, second);
    if (second.Data() != first.Data())
        std::abort();
    return 0;
}
