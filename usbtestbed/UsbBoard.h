#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "emulator/Board.h"
#include "emulator/Clock.h"

namespace usbtestbed {

// One board as its FIFO chip shows it on the bus: endpoint 0's requests, the bulk OUT
// endpoint feeding the download firmware, the bulk IN endpoint draining what the firmware
// sent, in packets that each start with the chip's two status bytes. No USB stack here: the
// umockdev glue (UsbDeviceHandler) moves URBs in and out.
class UsbBoard {
public:
    UsbBoard(emulator::Board& board, emulator::Clock& clock);

    emulator::Board& Model() { return board_; }
    const std::string& Serial() const { return board_.Serial(); }
    const std::string& Description() const { return board_.Description(); }

    // The host's view of the device: descriptors from the board's identity.
    std::vector<std::uint8_t> DeviceDescriptor() const;
    std::vector<std::uint8_t> ConfigurationDescriptor() const;

    // A control transfer: the 8-byte setup packet, then for an IN request the answer (at
    // most wLength bytes). False stalls the request.
    bool Control(const std::uint8_t* setup, std::vector<std::uint8_t>& answer);

    // Bytes the host wrote to the bulk OUT endpoint.
    void BulkOut(const std::uint8_t* bytes, std::size_t count);

    // The answer to an IN transfer of `capacity` bytes submitted at `submitted`: packets of
    // status bytes and data up to the first short packet. Empty while the chip would still
    // hold the transfer: no data arrived and the latency timer not yet run out.
    std::vector<std::uint8_t> BulkIn(std::size_t capacity, std::uint64_t submitted);

    // The moment the host sees a pending IN transfer complete, for wake-ups.
    std::uint64_t Now() const { return clock_.Now(); }

    // The board was unplugged by a fault: the device has left the bus.
    bool Gone() const { return !board_.Attached(); }

    // The host opened the device (claimed its interface): as in the emulator, the firmware
    // gives up a stalled stream.
    void Claimed();

private:
    std::vector<std::uint8_t> StringDescriptor(std::uint8_t index) const;

    emulator::Board& board_;
    emulator::Clock& clock_;
};

} // namespace usbtestbed
