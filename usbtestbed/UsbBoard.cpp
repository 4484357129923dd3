#include "usbtestbed/UsbBoard.h"

#include <algorithm>

#include "usbtestbed/UsbConstants.h"

namespace usbtestbed {

namespace {

std::uint16_t Word(const std::uint8_t* bytes)
{
    return static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
}

void PushWord(std::vector<std::uint8_t>& bytes, std::uint16_t word)
{
    bytes.push_back(static_cast<std::uint8_t>(word & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(word >> 8));
}

} // namespace

UsbBoard::UsbBoard(emulator::Board& board, emulator::Clock& clock) : board_(board), clock_(clock) {}

std::vector<std::uint8_t> UsbBoard::DeviceDescriptor() const
{
    std::vector<std::uint8_t> descriptor{18, DESCRIPTOR_DEVICE};
    PushWord(descriptor, 0x0110); // USB 1.1, full speed
    descriptor.insert(descriptor.end(), {0, 0, 0, 8}); // class per interface; endpoint 0 takes 8 bytes
    PushWord(descriptor, FTDI_VENDOR_ID);
    PushWord(descriptor, TVR_IO_PRODUCT_ID);
    PushWord(descriptor, AM_CHIP_RELEASE);
    descriptor.insert(descriptor.end(), {STRING_MANUFACTURER, STRING_PRODUCT, STRING_SERIAL, 1});
    return descriptor;
}

std::vector<std::uint8_t> UsbBoard::ConfigurationDescriptor() const
{
    const auto packet = static_cast<std::uint8_t>(PACKET_SIZE);
    return {
        // configuration 1: 32 bytes in all, one interface, bus powered, 90 mA
        9, DESCRIPTOR_CONFIGURATION, 32, 0, 1, 1, 0, 0x80, 45,
        // interface 0: two endpoints, vendor class
        9, 4, 0, 0, 2, 0xFF, 0xFF, 0xFF, STRING_PRODUCT,
        // the bulk endpoints
        7, 5, BULK_IN_ENDPOINT, 2, packet, 0, 0,
        7, 5, BULK_OUT_ENDPOINT, 2, packet, 0, 0,
    };
}

std::vector<std::uint8_t> UsbBoard::StringDescriptor(std::uint8_t index) const
{
    if (index == 0)
        return {4, DESCRIPTOR_STRING, LANGUAGE_US_ENGLISH & 0xFF, LANGUAGE_US_ENGLISH >> 8};
    std::string text;
    if (index == STRING_MANUFACTURER)
        text = MANUFACTURER;
    else if (index == STRING_PRODUCT)
        text = board_.Description();
    else if (index == STRING_SERIAL)
        text = board_.Serial();
    else
        return {};
    // UTF-16LE; the identities are 8-bit texts of at most 63 characters.
    std::vector<std::uint8_t> descriptor{static_cast<std::uint8_t>(2 + 2 * text.size()), DESCRIPTOR_STRING};
    for (const char c : text)
        PushWord(descriptor, static_cast<std::uint8_t>(c));
    return descriptor;
}

bool UsbBoard::Control(const std::uint8_t* setup, std::vector<std::uint8_t>& answer)
{
    const std::uint8_t requestType = setup[0];
    const std::uint8_t request = setup[1];
    const std::uint16_t value = Word(setup + 2);
    const std::uint16_t length = Word(setup + 6);
    answer.clear();
    if ((requestType & 0x60) == 0) { // standard request
        if (request != REQUEST_GET_DESCRIPTOR)
            return true;
        const auto type = static_cast<std::uint8_t>(value >> 8);
        if (type == DESCRIPTOR_DEVICE)
            answer = DeviceDescriptor();
        else if (type == DESCRIPTOR_CONFIGURATION)
            answer = ConfigurationDescriptor();
        else if (type == DESCRIPTOR_STRING)
            answer = StringDescriptor(static_cast<std::uint8_t>(value & 0xFF));
        if (answer.empty())
            return false;
    } else if ((requestType & 0x60) == REQUEST_TYPE_VENDOR) {
        if (request == SIO_RESET) {
            // The FIFO towards the PC holds what the board sent and the host has not read.
            if (value == SIO_RESET_CHIP || value == SIO_FLUSH_TOWARDS_PC)
                board_.Queue().PurgeArrived(clock_.Now());
        } else if (request == SIO_GET_MODEM_STATUS) {
            answer = {MODEM_STATUS, LINE_STATUS};
        } else if (request == SIO_GET_LATENCY_TIMER) {
            answer = {static_cast<std::uint8_t>(LATENCY_MS)};
        } else if (requestType & REQUEST_TYPE_DIRECTION_IN) {
            answer.assign(length, 0); // EEPROM reads and the like: an empty EEPROM
        }
        // Baud rate, line properties, flow control, latency: a FIFO chip takes and ignores them.
    } else {
        return false;
    }
    if (answer.size() > length)
        answer.resize(length);
    return true;
}

void UsbBoard::BulkOut(const std::uint8_t* bytes, std::size_t count)
{
    board_.Firmware().Receive(bytes, count, clock_.Now());
}

std::vector<std::uint8_t> UsbBoard::BulkIn(std::size_t capacity, std::uint64_t submitted)
{
    const std::uint64_t now = clock_.Now();
    emulator::ReceiveQueue& queue = board_.Queue();
    const std::size_t arrived = queue.Arrived(now);
    if (arrived == 0 && now < submitted + LATENCY_MS)
        return {};
    std::vector<std::uint8_t> transfer;
    // Full packets while there is data for them and room in the transfer; the first packet
    // that is not full ends it.
    while (transfer.size() + 2 <= capacity) {
        transfer.push_back(MODEM_STATUS);
        transfer.push_back(LINE_STATUS);
        std::uint8_t data[PACKET_SIZE - 2];
        const std::size_t room = std::min(sizeof data, capacity - transfer.size());
        const std::size_t taken = queue.Take(now, data, room);
        transfer.insert(transfer.end(), data, data + taken);
        if (taken < sizeof data)
            break;
    }
    return transfer;
}

void UsbBoard::Claimed()
{
    if (!board_.KeepsFirmwareState())
        board_.Firmware().Reset();
}

} // namespace usbtestbed
