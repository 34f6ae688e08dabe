// Feeds arbitrary bytes to the .tvn reader. A file that opens must save and
// open again to the same bytes.
#include "doc/Archive.h"
#include "doc/TesvanDoc.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CTesvanDoc doc;
    doc.OnNewDocument();
    if (!doc.LoadFromMemory(data, size) || size == 0)
        return 0;
    CArchive first;
    doc.Serialize(first);
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
