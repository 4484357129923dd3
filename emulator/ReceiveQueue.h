#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

namespace emulator {

class UsbCost;

// The bytes a board has sent towards the PC, each with the moment it reaches the PC's
// receive queue. The board is one serial stream: a byte never overtakes one sent before
// it, so a late acknowledge also delays whatever the board sends after it.
class ReceiveQueue {
public:
    // With a model of the USB link, bytes reach the PC in its packets and not the moment the
    // board sends them; the model must outlive the queue.
    void UseLink(const UsbCost* usb) { usb_ = usb; }

    // Bytes the board hands its FIFO at `sent`.
    void Push(const std::vector<std::uint8_t>& bytes, std::uint64_t sent);
    // Whether the link's cost is being modelled: the board's own times count then too.
    bool Costed() const;
    // The chip's event character, when the chip honours the request and it is enabled; a
    // reset clears it.
    std::optional<std::uint8_t>& EventCharacter() { return eventCharacter_; }

    // Bytes that have arrived by `now`, as FT_GetQueueStatus reports them.
    std::size_t Arrived(std::uint64_t now) const;
    // The arrival of the first byte still on its way, if any.
    std::optional<std::uint64_t> NextArrival(std::uint64_t now) const;
    // Whether `value` is among the first `limit` bytes that have arrived by `now`.
    bool ArrivedHolds(std::uint64_t now, std::uint8_t value, std::size_t limit) const;
    // Moves up to `limit` arrived bytes to `out`; returns how many.
    std::size_t Take(std::uint64_t now, std::uint8_t* out, std::size_t limit);

    // A receive purge discards what the driver holds; bytes still on their way arrive later.
    void PurgeArrived(std::uint64_t now);
    void Clear();

private:
    struct TimedByte {
        std::uint64_t arrival;
        std::uint8_t value;
    };
    // When the chip sends a packet of `count` bytes from `start` that became ready at `ready`:
    // at once when full or holding the event character, else at its next latency tick.
    std::uint64_t SendTime(const std::vector<std::uint8_t>& bytes, std::size_t start, std::size_t count,
                           std::uint64_t ready) const;

    std::deque<TimedByte> bytes_;
    std::uint64_t lastArrival_ = 0;
    const UsbCost* usb_ = nullptr;
    std::optional<std::uint8_t> eventCharacter_;
    // The chip's latency timer restarts with every packet it sends, status bytes alone
    // included, so its ticks fall on a grid from the last packet; with the cost model on.
    std::uint64_t lastPacketAt_ = 0;
};

} // namespace emulator
