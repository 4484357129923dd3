#include "ops/OperationMessages.h"

#include <cstdio>

namespace {

constexpr char kBlankCheckNotSent[] = "Could not write the device during Blank Check.";
constexpr char kBlankCheckNotRead[] = "Could not read from the device during Blank Check.";
constexpr char kBoardNotResponding[] = "TVR-IOxx board not responding.";
constexpr char kEraseFailed[] = "Error during Bulk Erase function.";

// The read stream's texts, by failure point, for Read and for Verify; the two name the read
// failures with different tags, so a report tells which operation it came from.
struct ReadTexts {
    const char* programRead;
    const char* repeatedRead;
    const char* configRead;
    const char* eepromRead;
};
constexpr ReadTexts kReadTexts{"Could not read from device. (T3)", "Could not read from device. (T4)",
                               "Could not read from device. (T5)", "Could not read from device. (T9)"};
constexpr ReadTexts kVerifyTexts{"Could not read from device. (T1)", "Could not read from device. (T7)",
                                 "Could not read from device. (T2)", "Could not read from device. (T8)"};

const char* ReadMessage(ReadResult result, const ReadTexts& texts)
{
    switch (result) {
    case READ_DONE: return nullptr;
    case READ_COMMAND_FAILED: return "Could not write the device during program memory read.";
    case READ_PROGRAM_READ_FAILED: return texts.programRead;
    case READ_PROGRAM_WRITE_FAILED: return "Could not WRITE the device during program memory read.";
    case READ_PROGRAM_REPEAT_FAILED: return texts.repeatedRead;
    case READ_PROGRAM_REPEAT_SHORT: return "Could not read from device. (64)";
    case READ_CONFIG_READ_FAILED: return texts.configRead;
    case READ_CONFIG_SHORT: return "Could not read from device. (513)";
    case READ_CONFIG_WRITE_FAILED: return "Could not WRITE the device during Configuration read.";
    case READ_EEPROM_READ_FAILED: return texts.eepromRead;
    case READ_EEPROM_SHORT: return "Could not read from device. (128)";
    case READ_EEPROM_WRITE_FAILED: return "Could not WRITE the device during EEPROM read.";
    }
    return nullptr;
}

} // namespace

const char* BlankCheckMessage(BlankCheckResult result)
{
    switch (result) {
    case BLANK_CHECK_BLANK: return "Device is blank.";
    case BLANK_CHECK_SEND_FAILED: return kBlankCheckNotSent;
    case BLANK_CHECK_READ_FAILED: return kBlankCheckNotRead;
    case BLANK_CHECK_NOT_BLANK: return "Device is not blank.";
    }
    return nullptr;
}

const char* EraseMessage(EraseResult result)
{
    switch (result) {
    case ERASE_DONE: return "Device is erased.";
    case ERASE_SEND_FAILED: return kBlankCheckNotSent;
    case ERASE_READ_FAILED: return kBoardNotResponding;
    case ERASE_WRONG_ANSWER: return kEraseFailed;
    }
    return nullptr;
}

const char* ProgramBlankCheckMessage(BlankCheckResult result, bool autoErase)
{
    switch (result) {
    case BLANK_CHECK_BLANK: return nullptr;
    case BLANK_CHECK_SEND_FAILED: return kBlankCheckNotSent;
    case BLANK_CHECK_READ_FAILED: return kBlankCheckNotRead;
    case BLANK_CHECK_NOT_BLANK:
        return autoErase ? nullptr : "Device is not blank. Either erase the device or select Auto Erase.";
    }
    return nullptr;
}

const char* ProgramEraseMessage(EraseResult result)
{
    return result == ERASE_DONE ? nullptr : EraseMessage(result);
}

const char* ProgramStreamMessage(ProgramResult result)
{
    switch (result) {
    case PROGRAM_DONE: return PROGRAMMING_COMPLETE;
    case PROGRAM_COMMAND_FAILED: return "Error communicating with programmer.";
    case PROGRAM_FLASH_NO_ANSWER:
    case PROGRAM_CONFIG_NO_ANSWER:
    case PROGRAM_EEPROM_NO_ANSWER:
    case PROGRAM_CLOSING_NO_ANSWER: return kBoardNotResponding;
    case PROGRAM_FLASH_BAD_ACK: return "Bad ACK during Flash programming. (0xA5)";
    case PROGRAM_CONFIG_BAD_ACK: return "Bad ACK during Configuration programming (CF).";
    case PROGRAM_EEPROM_BAD_ACK: return "Bad ACK during EE Data programming.";
    case PROGRAM_CLOSING_BAD_ACK: return "Bad ACK during Flash programming.";
    }
    return nullptr;
}

const char* ReadStreamMessage(ReadResult result)
{
    return ReadMessage(result, kReadTexts);
}

const char* VerifyReadMessage(ReadResult result)
{
    return ReadMessage(result, kVerifyTexts);
}

std::string VerifyMessage(const VerifyDifference& difference)
{
    switch (difference.kind) {
    case VerifyDifference::NONE: return "Verify passed";
    case VerifyDifference::PROGRAM_WORD: return "Verify failed";
    case VerifyDifference::CONFIGURATION: return difference.configuration;
    case VerifyDifference::EEPROM_BYTE: {
        char text[64];
        std::snprintf(text, sizeof text, "EE Data Verify failed at %Xh (EE location %d)",
                      static_cast<unsigned>(difference.address), difference.address - EEPROM_ADDRESS);
        return text;
    }
    }
    return {};
}

std::string HexFileNotOpenedMessage(const std::string& path)
{
    return "The hex file " + path + " could not be opened.";
}
