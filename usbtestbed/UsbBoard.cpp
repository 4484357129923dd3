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

UsbBoard::UsbBoard(emulator::Board& board, emulator::Clock& clock, TransferCounts& counts, bool eventCharacterHonoured)
    : board_(board), clock_(clock), counts_(counts), eventCharacterHonoured_(eventCharacterHonoured)
{
    // The target's writes take their time here: the board stops reading its FIFO meanwhile.
    board_.Pace();
}

std::vector<std::uint8_t> UsbBoard::DeviceDescriptor() const
{
    std::vector<std::uint8_t> descriptor{18, DESCRIPTOR_DEVICE};
    PushWord(descriptor, 0x0110); // USB 1.1, full speed
    descriptor.insert(descriptor.end(), {0, 0, 0, 8}); // class per interface; endpoint 0 takes 8 bytes
    PushWord(descriptor, FTDI_VENDOR_ID);
    PushWord(descriptor, TVR_IO_PRODUCT_ID);
    PushWord(descriptor, AM_CHIP_RELEASE);
    // A board whose chip EEPROM holds no serial number has no serial number string.
    const std::uint8_t serial = board_.Serial().empty() ? 0 : STRING_SERIAL;
    descriptor.insert(descriptor.end(), {STRING_MANUFACTURER, STRING_PRODUCT, serial, 1});
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
    else if (index == STRING_SERIAL && !board_.Serial().empty())
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
            // The FIFO towards the PC holds what the board sent and the host has not read;
            // the one towards the board what the board has not read yet.
            Advance();
            if (value == SIO_RESET_CHIP) {
                ++counts_.chipResets;
                eventCharacter_.reset();
            }
            if (value == SIO_RESET_CHIP || value == SIO_FLUSH_TOWARDS_PC)
                board_.Queue().PurgeArrived(clock_.Now());
            if (value == SIO_RESET_CHIP || value == SIO_FLUSH_TOWARDS_BOARD)
                towardsBoard_.clear();
        } else if (request == SIO_GET_MODEM_STATUS) {
            answer = {MODEM_STATUS, LINE_STATUS};
        } else if (request == SIO_GET_LATENCY_TIMER || request == SIO_SET_LATENCY_TIMER) {
            return false;
        } else if (request == SIO_SET_EVENT_CHAR) {
            ++counts_.eventCharacter;
            if (!eventCharacterHonoured_)
                return false;
            eventCharacter_.reset();
            if (value & EVENT_CHAR_ENABLE)
                eventCharacter_ = static_cast<std::uint8_t>(value & 0xFF);
        } else if (requestType & REQUEST_TYPE_DIRECTION_IN) {
            answer.assign(length, 0); // EEPROM reads and the like: an empty EEPROM
        }
        // Baud rate, line properties, flow control: a FIFO chip takes and ignores them.
    } else {
        return false;
    }
    if (answer.size() > length)
        answer.resize(length);
    return true;
}

std::shared_ptr<UsbBoard::OutTransfer> UsbBoard::BulkOut(const std::uint8_t* bytes, std::size_t count)
{
    Advance();
    auto transfer = std::make_shared<OutTransfer>();
    transfer->bytes.assign(bytes, bytes + count);
    transfer->submittedUs = clock_.NowMicroseconds();
    waiting_.push_back(transfer);
    Admit();
    return transfer;
}

void UsbBoard::Cancel(const std::shared_ptr<OutTransfer>& transfer)
{
    Advance();
    std::erase(waiting_, transfer);
}

void UsbBoard::Admit()
{
    while (!waiting_.empty()) {
        OutTransfer& transfer = *waiting_.front();
        const std::size_t packet = std::min(PACKET_SIZE, transfer.bytes.size() - transfer.moved);
        if (towardsBoard_.size() + packet > FIFO_TOWARDS_BOARD)
            return;
        // The host retries a NAKed packet within the frame, so it enters as room appears.
        const std::uint64_t entered = std::max(transfer.submittedUs, lastReadUs_);
        for (std::size_t i = 0; i < packet; ++i)
            towardsBoard_.push_back({entered, transfer.bytes[transfer.moved + i]});
        transfer.moved += packet;
        if (transfer.Finished())
            waiting_.pop_front();
    }
}

std::uint64_t UsbBoard::NextReadUs() const
{
    // Bytes are read in order, each once the board is free: not before it arrived, the
    // board's own pace after the byte before, or the end of the target's write.
    return std::max({towardsBoard_.front().enteredUs, nextReadUs_, board_.BusyUntil() * 1000});
}

void UsbBoard::ReadUntil(std::uint64_t untilUs)
{
    for (Admit(); !towardsBoard_.empty(); Admit()) {
        const std::uint64_t at = NextReadUs();
        if (at > untilUs)
            return;
        const std::uint8_t byte = towardsBoard_.front().value;
        towardsBoard_.pop_front();
        lastReadUs_ = at;
        nextReadUs_ = at + BOARD_READ_US;
        board_.Firmware().Receive(&byte, 1, at / 1000);
    }
}

void UsbBoard::Advance()
{
    ReadUntil(clock_.NowMicroseconds());
}

void UsbBoard::Drain()
{
    waiting_.clear();
    ReadUntil(UINT64_MAX);
}

std::optional<std::uint64_t> UsbBoard::NextChangeUs(bool inWaiting) const
{
    std::optional<std::uint64_t> next;
    auto consider = [&](std::uint64_t moment) {
        if (!next || moment < *next)
            next = moment;
    };
    if (!towardsBoard_.empty()) {
        // Without a pause for the target on the way; after one, the board is asked again.
        std::size_t bytes = towardsBoard_.size();
        if (!waiting_.empty()) {
            const std::size_t packet = std::min(PACKET_SIZE, waiting_.front()->bytes.size() - waiting_.front()->moved);
            bytes = towardsBoard_.size() + packet - FIFO_TOWARDS_BOARD;
        }
        consider(NextReadUs() + (bytes - 1) * BOARD_READ_US);
    }
    if (inWaiting) {
        consider((lastPacketAt_ + LATENCY_MS) * 1000);
        if (const std::optional<std::uint64_t> arrival = board_.Queue().NextArrival(clock_.Now()))
            consider(*arrival * 1000);
    }
    return next;
}

void UsbBoard::SendPacket(std::uint64_t now, std::uint8_t* buffer, std::size_t& filled, std::size_t payload)
{
    buffer[filled++] = MODEM_STATUS;
    buffer[filled++] = LINE_STATUS;
    filled += board_.Queue().Take(now, buffer + filled, payload);
    lastPacketAt_ = now;
}

bool UsbBoard::BulkIn(std::uint8_t* buffer, std::size_t capacity, std::size_t& filled)
{
    Advance();
    const std::uint64_t now = clock_.Now();
    emulator::ReceiveQueue& queue = board_.Queue();
    // Room for the status bytes at least; a transfer of less than a packet takes a short one.
    auto room = [&] { return capacity - filled < 2 ? 0 : std::min(PAYLOAD_PER_PACKET, capacity - filled - 2); };
    while (room() == PAYLOAD_PER_PACKET && queue.Arrived(now) >= PAYLOAD_PER_PACKET)
        SendPacket(now, buffer, filled, PAYLOAD_PER_PACKET);
    if (room() == 0)
        return true;
    const bool eventArrived = eventCharacter_ && queue.ArrivedHolds(now, *eventCharacter_, room());
    if (!eventArrived && now < lastPacketAt_ + LATENCY_MS)
        return false;
    const std::size_t before = filled;
    SendPacket(now, buffer, filled, room());
    if (filled - before == 2 && before == 0)
        ++counts_.emptyIn;
    return true;
}

void UsbBoard::Claimed()
{
    Advance();
    if (!board_.KeepsFirmwareState())
        board_.Firmware().Reset();
}

} // namespace usbtestbed
