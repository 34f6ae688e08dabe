// Reading and writing one 32-bit pixel at any byte address of a row.
#pragma once

#include <cstdint>
#include <cstring>

inline uint32_t Read32(const uint8_t* p)
{
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

inline void Write32(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }
