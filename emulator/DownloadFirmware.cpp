#include "emulator/DownloadFirmware.h"

#include "emulator/Board.h"
#include "emulator/NibbleCodec.h"

namespace emulator {

DownloadFirmware::DownloadFirmware(Board& board) : board_(board)
{
}

void DownloadFirmware::Reset()
{
    state_ = State::Command;
    unit_.clear();
}

std::size_t DownloadFirmware::UnitSize() const
{
    switch (state_) {
    case State::Command:
        return WORD_NIBBLES;
    case State::VersionText:
        return VERSION_TEXT_LENGTH * BYTE_NIBBLES;
    case State::ProgramStream:
        return BLOCK_NIBBLES;
    case State::ReadStream:
        return BYTE_NIBBLES;
    }
    return WORD_NIBBLES;
}

void DownloadFirmware::Receive(const std::uint8_t* bytes, std::size_t count, std::uint64_t now)
{
    for (std::size_t i = 0; i < count; ++i) {
        unit_.push_back(bytes[i]);
        if (unit_.size() == UnitSize()) {
            HandleUnit(now);
            unit_.clear();
        }
    }
}

void DownloadFirmware::HandleUnit(std::uint64_t now)
{
    switch (state_) {
    case State::Command:
        RunCommand(static_cast<std::uint16_t>(DecodeNibbles(unit_.data(), WORD_NIBBLES)), now);
        break;
    case State::VersionText:
        StoreVersionText();
        break;
    case State::ProgramStream:
        ProgramBlock(now);
        break;
    case State::ReadStream:
        ReadReply(now);
        break;
    }
}

void DownloadFirmware::RunCommand(std::uint16_t word, std::uint64_t now)
{
    // Words that are not commands get no answer; the firmware waits for the next word.
    if (!FindCommand(word))
        return;
    SendByte(ACK_BYTE, now);
    TargetChip& chip = board_.Chip();
    switch (word) {
    case CMD_PING:
        SendWord(PING_ANSWER, now);
        break;
    case CMD_GET_VERSION:
        SendText(board_.Version().data(), VERSION_TEXT_LENGTH, now);
        break;
    case CMD_GET_REVISION:
        SendText(board_.Revision().data(), REVISION_TEXT_LENGTH, now);
        break;
    case CMD_GET_PROCESSOR:
        SendWord(board_.ProcessorAnswer(), now);
        break;
    case CMD_WRITE_VERSION:
        state_ = State::VersionText;
        break;
    case CMD_CONNECT:
    case CMD_DISCONNECT:
        // Entering and leaving the target's programming mode shows nothing on the wire.
        break;
    case CMD_BLANK_CHECK_84A:
    case CMD_BLANK_CHECK_877:
        SendByte(chip.IsBlank() ? ACK_BYTE : NOT_BLANK_BYTE, now);
        break;
    case CMD_BULK_ERASE_84A:
    case CMD_BULK_ERASE_877:
        chip.BulkErase();
        board_.MarkChanged();
        board_.SaveState();
        SendByte(ACK_BYTE, now);
        break;
    case CMD_PROGRAM_84A:
    case CMD_PROGRAM_877:
        state_ = State::ProgramStream;
        programBlocks_ = {};
        break;
    case CMD_READ_84A:
    case CMD_READ_877:
        state_ = State::ReadStream;
        layout_ = word == CMD_READ_84A ? READ_LAYOUT_84A : READ_LAYOUT_877;
        readPart_ = StreamPart::Program;
        readBlock_ = 0;
        SendReadBlock(now);
        break;
    }
}

void DownloadFirmware::StoreVersionText()
{
    VersionText& version = board_.Version();
    for (std::size_t i = 0; i < VERSION_TEXT_LENGTH; ++i)
        version[i] = static_cast<std::uint8_t>(DecodeNibbles(&unit_[BYTE_NIBBLES * i], BYTE_NIBBLES));
    board_.MarkChanged();
    board_.SaveState();
    state_ = State::Command;
}

void DownloadFirmware::SendByte(std::uint8_t value, std::uint64_t now)
{
    std::vector<std::uint8_t> bytes;
    AppendNibbles(bytes, value, BYTE_NIBBLES);
    Send(bytes, now);
}

void DownloadFirmware::SendWord(std::uint16_t word, std::uint64_t now)
{
    std::vector<std::uint8_t> bytes;
    AppendNibbles(bytes, word, WORD_NIBBLES);
    Send(bytes, now);
}

void DownloadFirmware::SendText(const std::uint8_t* characters, std::size_t length, std::uint64_t now)
{
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < length; ++i)
        AppendNibbles(bytes, characters[i], BYTE_NIBBLES);
    Send(bytes, now);
}

void DownloadFirmware::Send(const std::vector<std::uint8_t>& bytes, std::uint64_t now)
{
    board_.Queue().Push(bytes, now);
}

} // namespace emulator
