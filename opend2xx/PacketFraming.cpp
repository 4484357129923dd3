#include "opend2xx/PacketFraming.h"

#include "opend2xx/UsbConstants.h"

namespace opend2xx {

std::size_t AppendPayload(const std::uint8_t* transfer, std::size_t length, std::size_t packetSize,
                          std::deque<std::uint8_t>& received)
{
    // A packet no longer than its status bytes carries no data; a packet size that could not
    // hold them would be a broken descriptor, and then nothing is taken as data.
    if (packetSize <= STATUS_BYTES_PER_PACKET)
        return 0;
    std::size_t appended = 0;
    for (std::size_t start = 0; start < length; start += packetSize) {
        const std::size_t packetEnd = start + packetSize < length ? start + packetSize : length;
        for (std::size_t at = start + STATUS_BYTES_PER_PACKET; at < packetEnd; ++at) {
            received.push_back(transfer[at]);
            ++appended;
        }
    }
    return appended;
}

} // namespace opend2xx
