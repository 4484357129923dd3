// The program and read streams of the download firmware.
#include <algorithm>

#include "emulator/Board.h"
#include "emulator/DownloadFirmware.h"
#include "emulator/NibbleCodec.h"

namespace emulator {

namespace {

StreamPart PartOfAddress(unsigned address)
{
    if (address >= CLOSING_BLOCK_ADDRESS)
        return StreamPart::Closing;
    if (address >= EEPROM_ADDRESS)
        return StreamPart::Eeprom;
    if (address >= CONFIG_AREA_ADDRESS)
        return StreamPart::Config;
    return StreamPart::Program;
}

} // namespace

void DownloadFirmware::ProgramBlock(std::uint64_t now)
{
    const unsigned address = DecodeNibbles(unit_.data(), WORD_NIBBLES);
    std::array<std::uint16_t, BLOCK_DATA_WORDS> words{};
    for (unsigned i = 0; i < BLOCK_DATA_WORDS; ++i)
        words[i] = static_cast<std::uint16_t>(DecodeNibbles(&unit_[WORD_NIBBLES * (i + 1)], WORD_NIBBLES));

    const StreamPart part = PartOfAddress(address);
    const Trigger trigger =
        StreamTrigger(StreamKind::Program, part, programBlocks_[static_cast<std::size_t>(part)]++);
    // Unplugged at this block, the board never gets to write it.
    if (Fire(FaultKind::Unplug, trigger)) {
        board_.Unplug();
        return;
    }
    if (Fire(FaultKind::ReadFails, trigger))
        board_.Armed().readFailure = 1;

    TargetChip& chip = board_.Chip();
    unsigned writing = 0; // milliseconds the target takes to write the block
    switch (part) {
    case StreamPart::Program:
        for (unsigned i = 0; i < BLOCK_DATA_WORDS; ++i)
            chip.WriteProgram(address + i, words[i]);
        writing = BLOCK_DATA_WORDS * chip.Profile().programWordMs;
        break;
    case StreamPart::Config:
        for (unsigned i = 0; i < BLOCK_DATA_WORDS; ++i)
            chip.WriteConfigArea(address - CONFIG_AREA_ADDRESS + i, words[i]);
        writing = BLOCK_DATA_WORDS * chip.Profile().programWordMs;
        break;
    case StreamPart::Eeprom:
        // Only entries marked by the PC are written; the others keep what the chip holds.
        for (unsigned i = 0; i < BLOCK_DATA_WORDS; ++i) {
            if (words[i] & EEPROM_WRITE_MARK) {
                chip.WriteEeprom(address - EEPROM_ADDRESS + i, static_cast<std::uint8_t>(words[i]));
                writing += chip.Profile().eepromByteMs;
            }
        }
        break;
    case StreamPart::Closing:
        // The closing block only ends the stream; its words repeat the first block.
        break;
    }
    board_.MarkChanged();
    // The board acknowledges once the target has written the block: with the cost model on,
    // that takes the target's own time.
    SendBlockAcknowledge(trigger, board_.TargetWrites(now, writing));
    if (part == StreamPart::Closing) {
        state_ = State::Command;
        board_.SaveState();
    }
}

void DownloadFirmware::SendBlockAcknowledge(const Trigger& trigger, std::uint64_t now)
{
    if (Fire(FaultKind::BlockAckMissing, trigger))
        return;
    std::vector<std::uint8_t> bytes = Nibbles(ACK_BYTE, BYTE_NIBBLES);
    if (const std::optional<Fault> wrong = Fire(FaultKind::BlockAckWrong, trigger))
        bytes = Nibbles(wrong->value, BYTE_NIBBLES);
    else if (Fire(FaultKind::BlockAckShort, trigger))
        bytes.resize(1); // only the first nibble byte gets through
    const std::optional<Fault> late = Fire(FaultKind::BlockAckLate, trigger);
    Send(bytes, now + (late ? late->delay : 0));
}

unsigned DownloadFirmware::ReadPartBlocks(StreamPart part) const
{
    switch (part) {
    case StreamPart::Program:
        return layout_.programBlocks;
    case StreamPart::Config:
        return 1;
    case StreamPart::Eeprom:
        return layout_.eepromBlocks;
    case StreamPart::Closing:
        break;
    }
    return 0;
}

std::vector<std::uint8_t> DownloadFirmware::ReadBlockBytes() const
{
    const TargetChip& chip = board_.Chip();
    std::vector<std::uint8_t> bytes;
    switch (readPart_) {
    case StreamPart::Program:
        for (unsigned i = 0; i < READ_PROGRAM_BLOCK_WORDS; ++i)
            AppendNibbles(bytes, chip.ReadProgram(readBlock_ * READ_PROGRAM_BLOCK_WORDS + i), WORD_NIBBLES);
        break;
    case StreamPart::Config:
        for (unsigned i = 0; i < CONFIG_AREA_WORDS; ++i)
            AppendNibbles(bytes, chip.ReadConfigArea(i), WORD_NIBBLES);
        break;
    case StreamPart::Eeprom:
        for (unsigned i = 0; i < READ_EEPROM_BLOCK_BYTES; ++i)
            AppendNibbles(bytes, chip.ReadEeprom(readBlock_ * READ_EEPROM_BLOCK_BYTES + i), BYTE_NIBBLES);
        break;
    case StreamPart::Closing:
        break;
    }
    return bytes;
}

void DownloadFirmware::SendReadBlock(std::uint64_t now)
{
    const Trigger trigger = StreamTrigger(StreamKind::Read, readPart_, readBlock_);
    if (Fire(FaultKind::Unplug, trigger)) {
        board_.Unplug();
        return;
    }
    if (Fire(FaultKind::ReadFails, trigger))
        board_.Armed().readFailure = 1;
    std::vector<std::uint8_t> bytes = ReadBlockBytes();
    if (const std::optional<Fault> cut = Fire(FaultKind::BlockShort, trigger)) {
        const std::size_t kept = std::min(bytes.size(), std::size_t(cut->count.value_or(bytes.size() / 2)));
        Send(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(kept)), now);
        // With a delay the rest follows, as from a board held up past the PC's time-out.
        if (cut->delay != 0)
            Send(std::vector<std::uint8_t>(bytes.begin() + static_cast<std::ptrdiff_t>(kept), bytes.end()),
                 now + cut->delay);
        return;
    }
    Send(bytes, now);
}

std::optional<Trigger> DownloadFirmware::WriteTrigger(const std::uint8_t* bytes, std::size_t count) const
{
    switch (state_) {
    case State::Command:
        if (unit_.empty() && count >= WORD_NIBBLES) {
            const auto word = static_cast<std::uint16_t>(DecodeNibbles(bytes, WORD_NIBBLES));
            if (FindCommand(word))
                return CommandTrigger(word, Moment::CommandWrite);
        }
        return std::nullopt;
    case State::ProgramStream:
        if (unit_.empty() && count >= WORD_NIBBLES) {
            const StreamPart part = PartOfAddress(DecodeNibbles(bytes, WORD_NIBBLES));
            return StreamTrigger(StreamKind::Program, part, programBlocks_[static_cast<std::size_t>(part)]);
        }
        return std::nullopt;
    case State::ReadStream:
        return StreamTrigger(StreamKind::Read, readPart_, readBlock_);
    case State::VersionText:
        break;
    }
    return std::nullopt;
}

void DownloadFirmware::ReadReply(std::uint64_t now)
{
    const unsigned reply = DecodeNibbles(unit_.data(), BYTE_NIBBLES);
    if (reply == REPEAT_BYTE) {
        SendReadBlock(now);
        return;
    }
    if (reply != ACK_BYTE) {
        // Anything else means the PC has lost the stream; wait for a command word.
        state_ = State::Command;
        return;
    }
    if (++readBlock_ == ReadPartBlocks(readPart_)) {
        readBlock_ = 0;
        readPart_ = readPart_ == StreamPart::Program ? StreamPart::Config
                    : readPart_ == StreamPart::Config ? StreamPart::Eeprom
                                                      : StreamPart::Closing;
    }
    if (readPart_ == StreamPart::Closing) {
        state_ = State::Command;
        return;
    }
    SendReadBlock(now);
}

} // namespace emulator
