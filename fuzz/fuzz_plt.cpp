// Feeds arbitrary bytes, as a palette file, to an 8-bit or a 32-bit document
// whose layers hold pixels of their palette pages. A file that loads must
// save to the same bytes it was read from.
#include "doc/TesvanDoc.h"
#include "platform/UiPort.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::string TempPath(const char* what)
{
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/tesvan_fuzz_plt_" + std::to_string(::getpid()) + what;
}

bool WriteAll(const std::string& path, const uint8_t* data, size_t size)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

// A small sheet whose first layers are painted with their page colours, so
// loading recolours real pixels.
void Prepare(CTesvanDoc& doc, int bits)
{
    doc.OnNewDocument();
    doc.m_nBitCount = bits;
    doc.m_nCellWidth = doc.m_nCellHeight = 8;
    doc.m_nColumns = doc.m_nRows = 2;
    if (!doc.ApplySheetSize(false))
        std::abort();
    for (int k = 0; k < 3; ++k) {
        CLayer& layer = doc.m_Layers[k];
        if (!layer.CreateImage(16, 16, doc.m_Palette, false, bits))
            std::abort();
        CImageEx& img = *layer.m_pImage;
        for (int y = 0; y < img.GetHeight(); ++y) {
            uint8_t* row = img.GetRow(y);
            for (int x = 0; x < img.GetWidth(); ++x) {
                const int i = (x + 3 * y + k) % 17;     // 16 stays empty
                if (bits == 8) {
                    row[x] = uint8_t(i == 16 ? 0 : 64 + 16 * k + i);
                } else {
                    const RGBQUAD& e = doc.m_Palette[64 + 16 * k + (i & 15)];
                    const uint32_t p = i == 16 ? 0u
                                               : (uint32_t(0x40 * (y & 3) + 0x3F) << 24) |
                                                     (uint32_t(e.rgbRed) << 16) |
                                                     (uint32_t(e.rgbGreen) << 8) | e.rgbBlue;
                    std::memcpy(row + 4 * x, &p, 4);
                }
            }
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SetUiPort(nullptr); // the silent default port
    static const std::string in = TempPath(".plt");
    static const std::string out = TempPath("-out.plt");
    if (!WriteAll(in, data, size))
        return 0;
    CTesvanDoc doc;
    Prepare(doc, (size & 1) ? 8 : 32);
    const bool loaded = doc.LoadPaletteFile(in);
    std::remove(in.c_str());
    if (loaded != (size >= CTesvanDoc::kPaletteFileSize))
        std::abort();
    if (!loaded)
        return 0;
    if (!doc.SavePaletteFile(out))
        return 0;
    std::ifstream back(out, std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(back), {}};
    back.close();
    std::remove(out.c_str());
    if (bytes.size() != CTesvanDoc::kPaletteFileSize ||
        std::memcmp(bytes.data(), data, bytes.size()) != 0)
        std::abort();
    return 0;
}
