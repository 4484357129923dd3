#include "emulator/ReceiveQueue.h"

#include <algorithm>

#include "emulator/UsbCost.h"

namespace emulator {

bool ReceiveQueue::Costed() const
{
    return usb_ && usb_->Enabled();
}

std::uint64_t ReceiveQueue::SendTime(const std::vector<std::uint8_t>& bytes, std::size_t start, std::size_t count,
                                     std::uint64_t ready) const
{
    if (count == UsbCost::PAYLOAD_BYTES)
        return ready;
    if (eventCharacter_ && bytes[start + count - 1] == *eventCharacter_)
        return ready;
    // A packet still waiting for its tick takes these bytes along.
    if (ready <= lastPacketAt_)
        return lastPacketAt_;
    const std::uint64_t latency = usb_->LatencyMilliseconds();
    if (latency == 0)
        return ready;
    return lastPacketAt_ + (ready - lastPacketAt_ + latency - 1) / latency * latency;
}

void ReceiveQueue::Push(const std::vector<std::uint8_t>& bytes, std::uint64_t sent)
{
    if (!Costed()) {
        for (const std::uint8_t byte : bytes) {
            lastArrival_ = std::max(sent, bytes_.empty() ? sent : lastArrival_);
            bytes_.push_back({lastArrival_, byte});
        }
        return;
    }
    // Packets of up to 62 of the board's bytes; with the event character a packet also ends
    // behind each of its occurrences, which the chip sends at once. A packet reaches the PC
    // one frame after the chip sends it, never before the one ahead of it.
    const std::uint64_t frame = usb_->FrameMilliseconds();
    std::uint64_t ready = sent;
    for (std::size_t start = 0; start < bytes.size();) {
        std::size_t count = std::min(UsbCost::PAYLOAD_BYTES, bytes.size() - start);
        if (eventCharacter_) {
            for (std::size_t i = 0; i < count; ++i) {
                if (bytes[start + i] == *eventCharacter_) {
                    count = i + 1;
                    break;
                }
            }
        }
        const std::uint64_t behind = lastArrival_ > frame ? lastArrival_ - frame : 0; // the packet ahead's send
        const std::uint64_t send = std::max(SendTime(bytes, start, count, ready), behind);
        lastPacketAt_ = send;
        lastArrival_ = send + frame;
        for (std::size_t i = start; i < start + count; ++i)
            bytes_.push_back({lastArrival_, bytes[i]});
        ready = send + frame;
        start += count;
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
