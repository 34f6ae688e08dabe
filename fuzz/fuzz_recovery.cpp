// Feeds arbitrary bytes to the recovery record reader. A record it accepts
// must write back to exactly the bytes it was read from.
#include "doc/Recovery.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CRecoveryRecord record;
    if (!DecodeRecoveryRecord(data, size, record))
        return 0;
    const std::vector<uint8_t> back = EncodeRecoveryRecord(record);
    if (back.size() != size || std::memcmp(back.data(), data, size) != 0)
        std::abort();
    return 0;
}
