#pragma once
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "emulator/Board.h"
#include "emulator/Clock.h"
#include "usbtestbed/TransferCounts.h"

namespace usbtestbed {

// One board as its FIFO chip shows it on the bus: endpoint 0's requests, the bulk OUT
// endpoint feeding the download firmware, the bulk IN endpoint draining what the firmware
// sent, in packets that each start with the chip's two status bytes. No USB stack here: the
// umockdev glue (UsbDeviceHandler) moves URBs in and out.
class UsbBoard {
public:
    // A bulk OUT transfer on its way into the chip: its bytes enter packet by packet, each
    // when the FIFO towards the board has room for the whole packet.
    struct OutTransfer {
        std::vector<std::uint8_t> bytes;
        std::size_t moved = 0;
        std::uint64_t submittedUs = 0;
        bool Finished() const { return moved == bytes.size(); }
    };

    // `eventCharacterHonoured`: whether the chip takes SET_EVENT_CHAR, which no document says
    // of the FT8U245AM; refused, the request stalls.
    UsbBoard(emulator::Board& board, emulator::Clock& clock, TransferCounts& counts, bool eventCharacterHonoured);

    emulator::Board& Model() { return board_; }
    const std::string& Serial() const { return board_.Serial(); }
    const std::string& Description() const { return board_.Description(); }

    // The host's view of the device: descriptors from the board's identity.
    std::vector<std::uint8_t> DeviceDescriptor() const;
    std::vector<std::uint8_t> ConfigurationDescriptor() const;

    // A control transfer: the 8-byte setup packet, then for an IN request the answer (at
    // most wLength bytes). False stalls the request.
    bool Control(const std::uint8_t* setup, std::vector<std::uint8_t>& answer);

    // Bytes the host writes to the bulk OUT endpoint: what fits enters the FIFO now, the rest
    // as the board makes room. Cancel gives up what has not entered (a discarded URB).
    std::shared_ptr<OutTransfer> BulkOut(const std::uint8_t* bytes, std::size_t count);
    void Cancel(const std::shared_ptr<OutTransfer>& transfer);

    // The board reads its FIFO up to now, at its own pace and not while its target writes.
    void Advance();
    // Reads all its FIFO holds, however long that takes the board: the test bed is ending.
    void Drain();

    // When what the host sees may next change by itself, in the clock's microseconds: room
    // for an OUT packet waiting, the board through with its FIFO (and so, perhaps, answering),
    // and with an IN transfer waiting, a byte arriving or the latency timer running out.
    std::optional<std::uint64_t> NextChangeUs(bool inWaiting) const;
    // The real moment at which the board's clock reads `microseconds`.
    std::chrono::steady_clock::time_point RealTime(std::uint64_t microseconds) const
    {
        return clock_.RealTime(microseconds);
    }

    // Moves the packets the chip sends now into an IN transfer of `capacity` bytes, `filled`
    // of which earlier calls filled: full packets as soon as the chip holds one, a short one
    // (the status bytes alone when there is nothing) when the latency timer runs out or the
    // event character has arrived. True when the transfer has ended: full, or a short packet.
    bool BulkIn(std::uint8_t* buffer, std::size_t capacity, std::size_t& filled);

    // The board was unplugged by a fault: the device has left the bus.
    bool Gone() const { return !board_.Attached(); }

    // The host opened the device (claimed its interface): as in the emulator, the firmware
    // gives up a stalled stream.
    void Claimed();

private:
    std::vector<std::uint8_t> StringDescriptor(std::uint8_t index) const;

    // OUT packets waiting for room enter the FIFO.
    void Admit();
    void ReadUntil(std::uint64_t untilUs);
    // When the board can take the FIFO's first byte.
    std::uint64_t NextReadUs() const;
    // One packet of at most `payload` bytes of what has arrived, status bytes first.
    void SendPacket(std::uint64_t now, std::uint8_t* buffer, std::size_t& filled, std::size_t payload);

    emulator::Board& board_;
    emulator::Clock& clock_;
    TransferCounts& counts_;
    const bool eventCharacterHonoured_;
    std::optional<std::uint8_t> eventCharacter_; // set by SET_EVENT_CHAR, cleared by a reset
    std::uint64_t lastPacketAt_ = 0;             // the latency timer restarts with every packet

    struct TimedByte {
        std::uint64_t enteredUs;
        std::uint8_t value;
    };
    std::deque<TimedByte> towardsBoard_;                 // the FIFO towards the board
    std::deque<std::shared_ptr<OutTransfer>> waiting_;   // OUT packets the chip NAKs for now
    std::uint64_t nextReadUs_ = 0;                       // when the board can take its next byte
    std::uint64_t lastReadUs_ = 0;                       // room appears as the board reads
};

} // namespace usbtestbed
