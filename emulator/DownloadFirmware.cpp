#include "emulator/DownloadFirmware.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "emulator/Board.h"
#include "emulator/FaultSet.h"
#include "emulator/NibbleCodec.h"

namespace emulator {

namespace {

// An acknowledge cut short: only its first nibble byte gets through.
constexpr std::size_t SHORT_ACK_BYTES = 1;

} // namespace

DownloadFirmware::DownloadFirmware(Board& board, FaultSet& faults) : board_(board), faults_(faults)
{
}

void DownloadFirmware::Reset()
{
    state_ = State::Command;
    unit_.clear();
}

namespace {

constexpr const char* STATE_NAMES[] = {"command", "version-text", "program-stream", "read-stream"};

} // namespace

// "program-stream 0102 5 0 0 0 84A 0 0": the state, the nibble bytes of the unfinished unit
// ("-" for none, two hex digits a byte), the program blocks received in each part, and the
// read stream's layout, part and block.
std::string DownloadFirmware::Describe() const
{
    std::string unit;
    char digits[3];
    for (std::uint8_t byte : unit_) {
        std::snprintf(digits, sizeof digits, "%02X", byte);
        unit += digits;
    }
    std::ostringstream line;
    line << STATE_NAMES[static_cast<int>(state_)] << ' ' << (unit.empty() ? "-" : unit);
    for (unsigned blocks : programBlocks_)
        line << ' ' << blocks;
    line << ' ' << (layout_.programBlocks == READ_LAYOUT_877.programBlocks ? "877" : "84A") << ' '
         << static_cast<int>(readPart_) << ' ' << readBlock_;
    return line.str();
}

bool DownloadFirmware::Restore(const std::string& line)
{
    std::istringstream words(line);
    std::string stateName, unit, layoutName;
    std::array<unsigned, 4> blocks{};
    int part = 0;
    unsigned block = 0;
    words >> stateName >> unit >> blocks[0] >> blocks[1] >> blocks[2] >> blocks[3] >> layoutName >> part >> block;
    std::string rest;
    if (!words || (words >> rest) || (layoutName != "84A" && layoutName != "877"))
        return false;
    const auto found = std::find_if(std::begin(STATE_NAMES), std::end(STATE_NAMES),
                                    [&](const char* name) { return stateName == name; });
    if (found == std::end(STATE_NAMES) || part < 0 || part > static_cast<int>(StreamPart::Closing))
        return false;
    std::vector<std::uint8_t> bytes;
    if (unit != "-") {
        if (unit.size() % 2 != 0 || unit.find_first_not_of("0123456789ABCDEFabcdef") != std::string::npos)
            return false;
        for (std::size_t i = 0; i < unit.size(); i += 2)
            bytes.push_back(static_cast<std::uint8_t>(std::stoul(unit.substr(i, 2), nullptr, 16)));
    }
    DownloadFirmware restored(board_, faults_);
    restored.state_ = static_cast<State>(found - std::begin(STATE_NAMES));
    restored.layout_ = layoutName == "877" ? READ_LAYOUT_877 : READ_LAYOUT_84A;
    restored.readPart_ = static_cast<StreamPart>(part);
    restored.readBlock_ = block;
    // A whole unit would have been handled when its last byte came.
    if (bytes.size() >= restored.UnitSize() || block >= std::max(1u, restored.ReadPartBlocks(restored.readPart_)))
        return false;
    state_ = restored.state_;
    unit_ = bytes;
    programBlocks_ = blocks;
    layout_ = restored.layout_;
    readPart_ = restored.readPart_;
    readBlock_ = restored.readBlock_;
    return true;
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
    for (std::size_t i = 0; i < count && board_.Attached(); ++i) {
        unit_.push_back(bytes[i]);
        if (state_ == State::VersionText && unit_.size() % BYTE_NIBBLES == 0)
            board_.TargetWrites(now, VERSION_EEPROM_BYTE_MS);
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

// Sends the command's acknowledge as the faults allow; false when the firmware is to drop
// the command (the board vanished, or it did not acknowledge it properly).
bool DownloadFirmware::Acknowledge(std::uint16_t word, std::uint64_t now)
{
    const Trigger ack = CommandTrigger(word, Moment::Ack);
    const Trigger answer = CommandTrigger(word, Moment::Answer);
    if (Fire(FaultKind::Unplug, ack)) {
        board_.Unplug();
        return false;
    }
    ArmedFailures& armed = board_.Armed();
    // The program reads the acknowledge first and the answer with its next read.
    if (Fire(FaultKind::ReadFails, ack))
        armed.readFailure = 1;
    if (Fire(FaultKind::ReadFails, answer))
        armed.readFailure = 2;
    if (Fire(FaultKind::Unplug, answer))
        armed.unplug = 2;
    if (const std::optional<Fault> failed = Fire(FaultKind::WriteFails, CommandTrigger(word, Moment::DataWrite))) {
        armed.writeFailure = 1;
        armed.writeFailureStatus = failed->value;
    }
    if (const std::optional<Fault> cut = Fire(FaultKind::WriteShort, CommandTrigger(word, Moment::DataWrite))) {
        armed.shortWrite = 1;
        armed.shortWriteBytes = cut->count;
    }

    if (Fire(FaultKind::AckMissing, ack))
        return false;
    if (const std::optional<Fault> wrong = Fire(FaultKind::AckWrong, ack)) {
        Send(Nibbles(wrong->value, BYTE_NIBBLES), now);
        return false;
    }
    if (Fire(FaultKind::AckShort, ack)) {
        std::vector<std::uint8_t> bytes = Nibbles(ACK_BYTE, BYTE_NIBBLES);
        bytes.resize(SHORT_ACK_BYTES);
        Send(bytes, now);
        return false;
    }
    const std::optional<Fault> late = Fire(FaultKind::AckLate, ack);
    const std::optional<Fault> replaced = Fire(FaultKind::AckBytes, ack);
    Send(replaced ? replaced->bytes : Nibbles(ACK_BYTE, BYTE_NIBBLES), now + (late ? late->delay : 0));
    return true;
}

void DownloadFirmware::RunCommand(std::uint16_t word, std::uint64_t now)
{
    // Words that are not commands get no answer; the firmware waits for the next word.
    const CommandInfo* command = FindCommand(word);
    if (!command || !Acknowledge(word, now))
        return;
    TargetChip& chip = board_.Chip();
    switch (word) {
    case CMD_PING:
        SendAnswer(*command, Nibbles(PING_ANSWER, WORD_NIBBLES), now);
        break;
    case CMD_GET_VERSION:
    case CMD_GET_REVISION: {
        std::vector<std::uint8_t> bytes;
        if (word == CMD_GET_VERSION) {
            for (std::uint8_t character : board_.Version())
                AppendNibbles(bytes, character, BYTE_NIBBLES);
        } else {
            for (std::uint8_t character : board_.Revision())
                AppendNibbles(bytes, character, BYTE_NIBBLES);
        }
        SendAnswer(*command, bytes, now);
        break;
    }
    case CMD_GET_PROCESSOR:
        SendAnswer(*command, Nibbles(board_.ProcessorAnswer(), WORD_NIBBLES), now);
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
        SendAnswer(*command, Nibbles(chip.IsBlank() ? ACK_BYTE : NOT_BLANK_BYTE, BYTE_NIBBLES), now);
        break;
    case CMD_BULK_ERASE_84A:
    case CMD_BULK_ERASE_877:
        chip.BulkErase();
        board_.MarkChanged();
        board_.SaveState();
        SendAnswer(*command, Nibbles(ACK_BYTE, BYTE_NIBBLES), board_.TargetWrites(now, chip.Profile().bulkEraseMs));
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

// Answer faults change only what goes back; the command itself has been carried out.
void DownloadFirmware::SendAnswer(const CommandInfo& command, std::vector<std::uint8_t> bytes,
                                  std::uint64_t now)
{
    const Trigger answer = CommandTrigger(command.word, Moment::Answer);
    if (Fire(FaultKind::AnswerMissing, answer))
        return;
    if (const std::optional<Fault> replaced = Fire(FaultKind::AnswerBytes, answer))
        bytes = replaced->bytes;
    else if (const std::optional<Fault> wrong = Fire(FaultKind::AnswerWrong, answer))
        bytes = Nibbles(wrong->value, command.answerNibbles);
    else if (Fire(FaultKind::AnswerZero, answer))
        std::fill(bytes.begin(), bytes.end(), 0);
    if (const std::optional<Fault> cut = Fire(FaultKind::AnswerShort, answer))
        bytes.resize(std::min(bytes.size(), std::size_t(cut->count.value_or(bytes.size() / 2))));
    const std::optional<Fault> late = Fire(FaultKind::AnswerLate, answer);
    Send(bytes, now + (late ? late->delay : 0));
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

Trigger DownloadFirmware::CommandTrigger(std::uint16_t word, Moment at) const
{
    Trigger trigger;
    trigger.board = board_.Index();
    trigger.where = Where::Command;
    trigger.command = word;
    trigger.at = at;
    return trigger;
}

Trigger DownloadFirmware::StreamTrigger(StreamKind stream, StreamPart part, unsigned block) const
{
    Trigger trigger;
    trigger.board = board_.Index();
    trigger.where = Where::Stream;
    trigger.stream = stream;
    trigger.part = part;
    trigger.block = block;
    return trigger;
}

std::optional<Fault> DownloadFirmware::Fire(FaultKind kind, const Trigger& trigger)
{
    return faults_.Fire(kind, trigger);
}

std::vector<std::uint8_t> DownloadFirmware::Nibbles(unsigned value, unsigned count)
{
    std::vector<std::uint8_t> bytes;
    AppendNibbles(bytes, value, count);
    return bytes;
}

void DownloadFirmware::Send(std::vector<std::uint8_t> bytes, std::uint64_t arrival)
{
    Trigger output;
    output.board = board_.Index();
    if (const std::optional<Fault> noise = Fire(FaultKind::HighNibbles, output)) {
        for (std::uint8_t& byte : bytes)
            byte = static_cast<std::uint8_t>((byte & 0x0F) | (noise->value << 4));
    }
    board_.Queue().Push(bytes, arrival);
}

} // namespace emulator
