#pragma once
#include <cstdint>
#include <vector>

// Nibble framing of the FIFO: every byte carries 4 bits in its low nibble, least significant
// nibble first. The firmware sends the high nibbles as 0 and ignores them on receipt.

namespace emulator {

inline void AppendNibbles(std::vector<std::uint8_t>& out, unsigned value, unsigned nibbles)
{
    for (unsigned i = 0; i < nibbles; ++i)
        out.push_back(static_cast<std::uint8_t>((value >> (4 * i)) & 0x0F));
}

inline unsigned DecodeNibbles(const std::uint8_t* bytes, unsigned nibbles)
{
    unsigned value = 0;
    for (unsigned i = 0; i < nibbles; ++i)
        value |= static_cast<unsigned>(bytes[i] & 0x0F) << (4 * i);
    return value;
}

} // namespace emulator
