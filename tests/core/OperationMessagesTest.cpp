// Every outcome of a target operation against the golden messages, which were written from
// the original texts and not from this program: a wrong text, or a text on the wrong
// outcome, is a difference here and not an expectation copied from the code.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <sstream>
#include <string>

#include "image/ConfigWord.h"
#include "image/HexFile.h"
#include "ops/OperationMessages.h"
#include "support/GoldenFile.h"

namespace {

const std::map<std::string, int> kOutcomes{
    {"BLANK_CHECK_BLANK", BLANK_CHECK_BLANK}, {"BLANK_CHECK_SEND_FAILED", BLANK_CHECK_SEND_FAILED},
    {"BLANK_CHECK_READ_FAILED", BLANK_CHECK_READ_FAILED}, {"BLANK_CHECK_NOT_BLANK", BLANK_CHECK_NOT_BLANK},
    {"ERASE_DONE", ERASE_DONE}, {"ERASE_SEND_FAILED", ERASE_SEND_FAILED}, {"ERASE_READ_FAILED", ERASE_READ_FAILED},
    {"ERASE_WRONG_ANSWER", ERASE_WRONG_ANSWER},
    {"PROGRAM_DONE", PROGRAM_DONE}, {"PROGRAM_COMMAND_FAILED", PROGRAM_COMMAND_FAILED},
    {"PROGRAM_FLASH_NO_ANSWER", PROGRAM_FLASH_NO_ANSWER}, {"PROGRAM_FLASH_BAD_ACK", PROGRAM_FLASH_BAD_ACK},
    {"PROGRAM_CONFIG_NO_ANSWER", PROGRAM_CONFIG_NO_ANSWER}, {"PROGRAM_CONFIG_BAD_ACK", PROGRAM_CONFIG_BAD_ACK},
    {"PROGRAM_EEPROM_NO_ANSWER", PROGRAM_EEPROM_NO_ANSWER}, {"PROGRAM_EEPROM_BAD_ACK", PROGRAM_EEPROM_BAD_ACK},
    {"PROGRAM_CLOSING_NO_ANSWER", PROGRAM_CLOSING_NO_ANSWER}, {"PROGRAM_CLOSING_BAD_ACK", PROGRAM_CLOSING_BAD_ACK},
    {"READ_DONE", READ_DONE}, {"READ_COMMAND_FAILED", READ_COMMAND_FAILED},
    {"READ_PROGRAM_READ_FAILED", READ_PROGRAM_READ_FAILED}, {"READ_PROGRAM_WRITE_FAILED", READ_PROGRAM_WRITE_FAILED},
    {"READ_PROGRAM_REPEAT_FAILED", READ_PROGRAM_REPEAT_FAILED}, {"READ_PROGRAM_REPEAT_SHORT", READ_PROGRAM_REPEAT_SHORT},
    {"READ_CONFIG_READ_FAILED", READ_CONFIG_READ_FAILED}, {"READ_CONFIG_SHORT", READ_CONFIG_SHORT},
    {"READ_CONFIG_WRITE_FAILED", READ_CONFIG_WRITE_FAILED}, {"READ_EEPROM_READ_FAILED", READ_EEPROM_READ_FAILED},
    {"READ_EEPROM_SHORT", READ_EEPROM_SHORT}, {"READ_EEPROM_WRITE_FAILED", READ_EEPROM_WRITE_FAILED},
};

std::string Shown(const char* text)
{
    return text ? std::string(text) + "|" : "-";
}

// What the program shows for `outcome` of `operation`, in the golden file's notation.
std::string Message(const std::string& operation, const std::string& outcome)
{
    if (operation == "verify") {
        VerifyDifference difference;
        difference.kind = outcome == "NONE"           ? VerifyDifference::NONE
                          : outcome == "PROGRAM_WORD" ? VerifyDifference::PROGRAM_WORD
                                                      : VerifyDifference::EEPROM_BYTE;
        if (difference.kind == VerifyDifference::EEPROM_BYTE)
            difference.address = std::stoi(outcome.substr(outcome.rfind('_') + 1), nullptr, 16);
        return VerifyMessage(difference) + "|";
    }
    if (operation == "hex-file-not-opened")
        return HexFileNotOpenedMessage(outcome) + "|";
    if (operation == "hex-check") {
        const std::map<std::string, HexCheckResult> results{
            {"HEX_FILE_OK", HEX_FILE_OK}, {"HEX_NO_FILE_NAME", HEX_NO_FILE_NAME}, {"HEX_CANNOT_OPEN", HEX_CANNOT_OPEN},
            {"HEX_CHECKSUM_ERROR", HEX_CHECKSUM_ERROR}, {"HEX_TOO_LARGE", HEX_TOO_LARGE}};
        return Shown(HexCheckMessage(results.at(outcome)));
    }
    if (operation == "verify-config") {
        // The 16F877, which has every option: the target's word as the defaults make it,
        // against the defaults with the one option changed.
        const auto processor = TargetProcessor::PIC16F877;
        ConfigOptions options;
        const std::uint16_t word = BuildConfigWord(processor, options);
        const std::map<std::string, std::function<void()>> changes{
            {"NONE", [] {}},
            {"POWER_UP_TIMER", [&] { options.powerUpTimer = !options.powerUpTimer; }},
            {"WATCHDOG_TIMER", [&] { options.watchdogTimer = !options.watchdogTimer; }},
            {"CODE_PROTECTION", [&] { options.codeProtection = CP_ALL; }},
            {"BROWN_OUT_RESET", [&] { options.brownOutReset = !options.brownOutReset; }},
            {"PROGRAM_MEMORY_WRITE", [&] { options.programMemoryWrite = !options.programMemoryWrite; }},
            {"EEPROM_PROTECT", [&] { options.eepromProtect = !options.eepromProtect; }},
            {"IN_CIRCUIT_DEBUGGER", [&] { options.inCircuitDebugger = !options.inCircuitDebugger; }},
        };
        changes.at(outcome)();
        const std::string message = CompareConfigWord(processor, word, options);
        return message.empty() ? "-" : message + "|";
    }
    const int code = kOutcomes.at(outcome);
    const std::map<std::string, std::function<const char*()>> messages{
        {"blank-check", [&] { return BlankCheckMessage(BlankCheckResult(code)); }},
        {"erase", [&] { return EraseMessage(EraseResult(code)); }},
        {"program-blank-check", [&] { return ProgramBlankCheckMessage(BlankCheckResult(code), false); }},
        {"program-blank-check-auto-erase", [&] { return ProgramBlankCheckMessage(BlankCheckResult(code), true); }},
        {"program-erase", [&] { return ProgramEraseMessage(EraseResult(code)); }},
        {"program", [&] { return ProgramStreamMessage(ProgramResult(code)); }},
        {"read", [&] { return ReadStreamMessage(ReadResult(code)); }},
        {"verify-read", [&] { return VerifyReadMessage(ReadResult(code)); }},
    };
    return Shown(messages.at(operation)());
}

TEST(OperationMessagesTest, EveryOutcomeShowsItsGoldenText)
{
    const int outcomes = ForEachGoldenLine("operation-messages.txt", [](const std::string& line) {
        std::istringstream fields(line);
        std::string operation, outcome, text;
        std::getline(fields >> operation >> outcome >> std::ws, text);
        SCOPED_TRACE(operation + " " + outcome);
        EXPECT_EQ(Message(operation, outcome), text);
    });
    EXPECT_EQ(outcomes, 70); // the file read whole
}

} // namespace
