#include "emulator/UsbCost.h"

#include <algorithm>

namespace emulator {

void UsbCost::Set(bool enabled, unsigned frameMilliseconds, unsigned latencyMilliseconds)
{
    enabled_ = enabled;
    frame_ = frameMilliseconds;
    latency_ = latencyMilliseconds;
}

std::uint64_t UsbCost::WriteCost(std::size_t count) const
{
    if (!enabled_)
        return 0;
    const std::size_t packets = (count + PACKET_BYTES - 1) / PACKET_BYTES;
    return static_cast<std::uint64_t>(packets) * frame_;
}

std::uint64_t UsbCost::DeliveryDelay(std::size_t index, std::size_t count) const
{
    if (!enabled_ || index >= count)
        return 0;
    const std::size_t packet = index / PAYLOAD_BYTES; // from 0
    const bool full = (packet + 1) * PAYLOAD_BYTES <= count;
    if (full)
        return static_cast<std::uint64_t>(packet + 1) * frame_;
    // The last packet, not full: it waits for the latency timer, and never overtakes the
    // full packets before it.
    const std::uint64_t ready = std::max<std::uint64_t>(latency_, static_cast<std::uint64_t>(packet) * frame_);
    return ready + frame_;
}

} // namespace emulator
