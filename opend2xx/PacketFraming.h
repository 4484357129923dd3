#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>

namespace opend2xx {

// Appends the payload of one completed IN transfer to `received`: the transfer is a run of
// packets of `packetSize` bytes (the last one may be short), each starting with the chip's
// two status bytes, which are dropped. Returns the number of payload bytes appended.
std::size_t AppendPayload(const std::uint8_t* transfer, std::size_t length, std::size_t packetSize,
                          std::deque<std::uint8_t>& received);

} // namespace opend2xx
