#pragma once
// The USB face of a TVR-IO board's FT8U245AM, as the test bed shows it to libusb.
#include <cstddef>
#include <cstdint>

namespace usbtestbed {

inline constexpr std::uint16_t FTDI_VENDOR_ID = 0x0403;
inline constexpr std::uint16_t TVR_IO_PRODUCT_ID = 0x6001;
// bcdDevice 2.00 is what makes libftdi take the chip for an AM.
inline constexpr std::uint16_t AM_CHIP_RELEASE = 0x0200;
inline constexpr char MANUFACTURER[] = "FTDI";

inline constexpr std::uint8_t BULK_OUT_ENDPOINT = 0x02;
inline constexpr std::uint8_t BULK_IN_ENDPOINT = 0x81;
inline constexpr std::uint8_t ENDPOINT_DIRECTION_IN = 0x80;
inline constexpr std::size_t PACKET_SIZE = 64;
inline constexpr std::size_t SETUP_SIZE = 8;

// Every IN packet starts with the modem status and line status bytes: CTS and DSR high
// (plus the reserved bit 0 the AM sets), transmitter empty.
inline constexpr std::uint8_t MODEM_STATUS = 0x31;
inline constexpr std::uint8_t LINE_STATUS = 0x60;
// The AM's fixed latency timer: a packet that is not full (the two status bytes alone when
// there is nothing to send) goes to the host only when it runs out, 16 ms after the chip last
// sent a packet; a full packet goes at once and restarts it.
inline constexpr std::uint64_t LATENCY_MS = 16;
inline constexpr std::size_t PAYLOAD_PER_PACKET = PACKET_SIZE - 2;
// The FIFO towards the board holds 128 bytes (384 towards the PC); an OUT packet enters whole
// when there is room for it, and the chip NAKs it until then, so the host tries it again.
inline constexpr std::size_t FIFO_TOWARDS_BOARD = 128;
// The board's microcontroller takes the FIFO's bytes one at a time: waiting for RXF#, strobing
// RD#, reading the port and storing the byte is about ten instruction cycles, 10 us on a PIC
// clocked at 4 MHz (an instruction cycle is four clock periods, DS35007). Its clock is not
// documented; a faster one would read sooner, so the slower figure is the stricter.
inline constexpr std::uint64_t BOARD_READ_US = 10;

// Standard requests and descriptor types the host sends on endpoint 0.
inline constexpr std::uint8_t REQUEST_GET_DESCRIPTOR = 0x06;
inline constexpr std::uint8_t DESCRIPTOR_DEVICE = 1;
inline constexpr std::uint8_t DESCRIPTOR_CONFIGURATION = 2;
inline constexpr std::uint8_t DESCRIPTOR_STRING = 3;
inline constexpr std::uint16_t LANGUAGE_US_ENGLISH = 0x0409;
inline constexpr std::uint8_t STRING_MANUFACTURER = 1;
inline constexpr std::uint8_t STRING_PRODUCT = 2;
inline constexpr std::uint8_t STRING_SERIAL = 3;

// FTDI's vendor requests (bmRequestType 0x40 out, 0xC0 in).
inline constexpr std::uint8_t REQUEST_TYPE_VENDOR = 0x40;
inline constexpr std::uint8_t REQUEST_TYPE_DIRECTION_IN = 0x80;
inline constexpr std::uint8_t SIO_RESET = 0x00;
inline constexpr std::uint8_t SIO_GET_MODEM_STATUS = 0x05;
inline constexpr std::uint8_t SIO_SET_EVENT_CHAR = 0x06;
// The latency timer requests, which the AM generation lacks: the chip stalls them (the
// kernel's ftdi_sio tells an AM from a BM by that failure).
inline constexpr std::uint8_t SIO_SET_LATENCY_TIMER = 0x09;
inline constexpr std::uint8_t SIO_GET_LATENCY_TIMER = 0x0A;
// SET_EVENT_CHAR's value: the character, with bit 8 enabling it.
inline constexpr std::uint16_t EVENT_CHAR_ENABLE = 0x100;
// SIO_RESET's values: reset the chip, empty the FIFO towards the board, empty the FIFO
// towards the PC.
inline constexpr std::uint16_t SIO_RESET_CHIP = 0;
inline constexpr std::uint16_t SIO_FLUSH_TOWARDS_BOARD = 1;
inline constexpr std::uint16_t SIO_FLUSH_TOWARDS_PC = 2;

} // namespace usbtestbed
