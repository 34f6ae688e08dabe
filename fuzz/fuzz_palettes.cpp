// Feeds arbitrary bytes to the readers of other editors' palette files. A
// palette that reads must write and read back to the same colours, and load
// into a small document of either depth.
#include "doc/TesvanDoc.h"
#include "palette/PaletteFormats.h"
#include "platform/UiPort.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SetUiPort(nullptr); // the silent default port
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    for (PaletteFormat f : {PaletteFormat::Gpl, PaletteFormat::Jasc, PaletteFormat::Act, PaletteFormat::Hex}) {
        CPaletteColours p;
        if (!ReadPaletteColours(f, bytes, p))
            continue;
        if (p.colours.empty() || p.transparent >= int(p.colours.size()))
            std::abort();
        CPaletteColours back;
        if (!ReadPaletteColours(f, WritePaletteColours(f, p), back))
            std::abort();
        const size_t kept = f == PaletteFormat::Act ? std::min<size_t>(p.colours.size(), 256) : p.colours.size();
        if (back.colours.size() != kept ||
            !std::equal(back.colours.begin(), back.colours.end(), p.colours.begin()))
            std::abort();
        CTesvanDoc doc;
        doc.OnNewDocument();
        doc.m_nBitCount = (size & 1) ? 8 : 32;
        doc.LoadPaletteColours(p.colours, p.transparent);
    }
    return 0;
}
