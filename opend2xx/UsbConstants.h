#pragma once
// What the open D2XX library knows about the USB side of an FTDI chip.
#include <cstddef>
#include <cstdint>

namespace opend2xx {

// Every FTDI chip carries the chip maker's vendor id; a TVR-IO board's FT8U245AM keeps the
// factory product id of the single-channel chips.
inline constexpr int FTDI_VENDOR_ID = 0x0403;
inline constexpr int TVR_IO_PRODUCT_ID = 0x6001;

// The chip starts every IN packet with two modem and line status bytes, also when it has no
// data to send: such a packet is the chip saying "nothing yet" once per latency period.
inline constexpr std::size_t STATUS_BYTES_PER_PACKET = 2;
// Full-speed bulk packets; libftdi reads the real size from the endpoint when it opens.
inline constexpr std::size_t FULL_SPEED_PACKET_SIZE = 64;
// One IN transfer asks for this much, as libftdi's own reads do; the transfer ends at the
// first short packet, so it costs no more time than a small one.
inline constexpr int IN_TRANSFER_SIZE = 4096;
// The FT8U245AM sends a status-only packet after at most 16 ms; a read with a time-out of 0
// polls once for this long, so that it still sees what the chip has already received.
inline constexpr unsigned SINGLE_POLL_MS = 20;

// The event character: the last byte of the board's acknowledge (a line feed). It also occurs
// inside data, which only makes the chip send shorter packets.
inline constexpr unsigned char ACKNOWLEDGE_LAST_BYTE = 0x0A;

// Identity strings fit FT_ListDevices' 64-byte buffers with their terminating zero.
inline constexpr int IDENTITY_TEXT_SIZE = 64;

} // namespace opend2xx
