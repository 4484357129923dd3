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

} // namespace emulator
