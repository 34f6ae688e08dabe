// Feeds arbitrary bytes to the .tvn reader. A file that opens must save and
// open again to the same bytes.
#include "doc/Archive.h"
#include "doc/TesvanDoc.h"

#include <cstdlib>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Sheets up to 512 x 512 exercise every path; larger ones only cost time.
    CTesvanDoc::s_nMaxLoadPixels = 512 * 512;
    auto doc = std::make_unique<CTesvanDoc>();
    doc->OnNewDocument();
    if (!doc->LoadFromMemory(data, size) || size == 0)
        return 0;
    CArchive first;
    doc->Serialize(first);
    doc.reset();    // one large sheet at a time
    CTesvanDoc again;
    again.OnNewDocument();
    if (!again.LoadFromMemory(first.Data().data(), first.Data().size()))
        std::abort();
    CArchive second;
    again.Serialize(second);
    if (second.Data() != first.Data())
        std::abort();
    return 0;
}
