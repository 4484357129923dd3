#include "emulator/FirmwareCommands.h"


#include "emulator/TextFields.h"

namespace emulator {

namespace {

constexpr unsigned VERSION_NIBBLES = 16 * BYTE_NIBBLES;
constexpr unsigned REVISION_NIBBLES = 4 * BYTE_NIBBLES;

constexpr CommandInfo COMMANDS[] = {
    {CMD_PING, "CMD_PING", AnswerKind::Word, WORD_NIBBLES},
    {CMD_GET_VERSION, "CMD_GET_VERSION", AnswerKind::Text, VERSION_NIBBLES},
    {CMD_READ_877, "CMD_READ_877", AnswerKind::Stream, 0},
    {CMD_BLANK_CHECK_877, "CMD_BLANK_CHECK_877", AnswerKind::Byte, BYTE_NIBBLES},
    {CMD_WRITE_VERSION, "CMD_WRITE_VERSION", AnswerKind::Data, 0},
    {CMD_READ_84A, "CMD_READ_84A", AnswerKind::Stream, 0},
    {CMD_BLANK_CHECK_84A, "CMD_BLANK_CHECK_84A", AnswerKind::Byte, BYTE_NIBBLES},
    {CMD_BULK_ERASE_877, "CMD_BULK_ERASE_877", AnswerKind::Byte, BYTE_NIBBLES},
    {CMD_GET_PROCESSOR, "CMD_GET_PROCESSOR", AnswerKind::Word, WORD_NIBBLES},
    {CMD_DISCONNECT, "CMD_DISCONNECT", AnswerKind::None, 0},
    {CMD_CONNECT, "CMD_CONNECT", AnswerKind::None, 0},
    {CMD_BULK_ERASE_84A, "CMD_BULK_ERASE_84A", AnswerKind::Byte, BYTE_NIBBLES},
    {CMD_PROGRAM_877, "CMD_PROGRAM_877", AnswerKind::Stream, 0},
    {CMD_PROGRAM_84A, "CMD_PROGRAM_84A", AnswerKind::Stream, 0},
    {CMD_GET_REVISION, "CMD_GET_REVISION", AnswerKind::Text, REVISION_NIBBLES},
};

} // namespace

const CommandInfo* FindCommand(std::uint16_t word)
{
    for (const CommandInfo& command : COMMANDS) {
        if (command.word == word)
            return &command;
    }
    return nullptr;
}

const CommandInfo* FindCommand(const std::string& text)
{
    for (const CommandInfo& command : COMMANDS) {
        if (text == command.name)
            return &command;
    }
    const std::optional<unsigned long> word = ParseNumber(text);
    if (!word || *word > 0xFFFF)
        return nullptr;
    return FindCommand(static_cast<std::uint16_t>(*word));
}

} // namespace emulator
