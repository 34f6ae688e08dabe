// Feeds arbitrary bytes to the size-preset parser ("SetSize.txt").
#include "exchange/SheetSize.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    size_t lines = 1;
    for (char c : text)
        lines += c == '\n';
    if (ParsePresetText(text).size() > lines)
        std::abort();
    return 0;
}
