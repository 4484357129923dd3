#pragma once
#include <cstddef>
#include <cstdint>

namespace emulator {

// An estimate of what the USB link between the PC and a board's FT8U245AM costs, for telling
// how long an operation would take on real hardware. Off by default: the emulator then moves
// bytes the moment they are written or sent, as it always has.
//
// The model is the chip's own: a full-speed device whose bulk packets carry 64 bytes; every
// packet towards the PC starts with 2 status bytes, so it holds 62 of the board's bytes. The
// PC's driver polls the chip all the time, so a read costs no transfer of its own: it waits
// until its bytes are at the PC. A full packet goes in the next frame; a packet the board's
// bytes do not fill goes only at the chip's next latency tick (16 ms, fixed in this chip,
// counted from the last packet it sent), or at once when it ends with the event character
// and the chip honours it (ReceiveQueue). Every FT_Write is a transfer of its own that holds
// the caller for one frame per 64-byte packet. The board's own write times count too.
class UsbCost {
public:
    static constexpr unsigned DEFAULT_FRAME_MS = 1;
    static constexpr unsigned DEFAULT_LATENCY_MS = 16;
    static constexpr std::size_t PACKET_BYTES = 64;
    static constexpr std::size_t STATUS_BYTES = 2;
    static constexpr std::size_t PAYLOAD_BYTES = PACKET_BYTES - STATUS_BYTES; // towards the PC

    bool Enabled() const { return enabled_; }
    unsigned FrameMilliseconds() const { return frame_; }
    unsigned LatencyMilliseconds() const { return latency_; }
    void Set(bool enabled, unsigned frameMilliseconds, unsigned latencyMilliseconds);

    // How long an FT_Write of `count` bytes holds the caller; 0 while the model is off.
    std::uint64_t WriteCost(std::size_t count) const;

private:
    bool enabled_ = false;
    unsigned frame_ = DEFAULT_FRAME_MS;
    unsigned latency_ = DEFAULT_LATENCY_MS;
};

} // namespace emulator
