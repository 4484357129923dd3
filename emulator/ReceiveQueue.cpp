#include "emulator/ReceiveQueue.h"

#include <algorithm>

#include "emulator/UsbCost.h"

namespace emulator {

void ReceiveQueue::Push(const std::vector<std::uint8_t>& bytes, std::uint64_t sent)
{
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const std::uint64_t arrival = sent + (usb_ ? usb_->DeliveryDelay(i, bytes.size()) : 0);
        lastArrival_ = std::max(arrival, bytes_.empty() ? arrival : lastArrival_);
        bytes_.push_back({lastArrival_, bytes[i]});
    }
}

std::size_t ReceiveQueue::Arrived(std::uint64_t now) const
{
    // Arrival moments never decrease along the queue.
    std::size_t count = 0;
    while (count < bytes_.size() && bytes_[count].arrival <= now)
        ++count;
    return count;
}

std::optional<std::uint64_t> ReceiveQueue::NextArrival(std::uint64_t now) const
{
    const std::size_t arrived = Arrived(now);
    if (arrived == bytes_.size())
        return std::nullopt;
    return bytes_[arrived].arrival;
}

bool ReceiveQueue::ArrivedHolds(std::uint64_t now, std::uint8_t value, std::size_t limit) const
{
    for (std::size_t i = 0; i < limit && i < bytes_.size() && bytes_[i].arrival <= now; ++i)
        if (bytes_[i].value == value)
            return true;
    return false;
}

std::size_t ReceiveQueue::Take(std::uint64_t now, std::uint8_t* out, std::size_t limit)
{
    std::size_t taken = 0;
    while (taken < limit && !bytes_.empty() && bytes_.front().arrival <= now) {
        out[taken++] = bytes_.front().value;
        bytes_.pop_front();
    }
    return taken;
}

void ReceiveQueue::PurgeArrived(std::uint64_t now)
{
    while (!bytes_.empty() && bytes_.front().arrival <= now)
        bytes_.pop_front();
}

void ReceiveQueue::Clear()
{
    bytes_.clear();
    lastArrival_ = 0;
}

} // namespace emulator
