#pragma once
// The one fixed text of each result of the target operations, as the window shows it. Read
// and Verify name the same failure points with texts of their own.
#include <string>

#include "ops/BlankCheck.h"
#include "ops/BulkErase.h"
#include "ops/ProgramStream.h"
#include "ops/ReadStream.h"
#include "ops/VerifyCompare.h"

const char* BlankCheckMessage(BlankCheckResult result);
// Code 1 shares the blank check's text: both are a command the board did not take.
const char* EraseMessage(EraseResult result);

// What Program says when its blank check or erase did not let it go on; nullptr for a blank
// target, and for a not-blank one when auto-erase is to run.
const char* ProgramBlankCheckMessage(BlankCheckResult result, bool autoErase);
const char* ProgramEraseMessage(EraseResult result);
const char* ProgramStreamMessage(ProgramResult result);

const char* ReadStreamMessage(ReadResult result);
const char* VerifyReadMessage(ReadResult result);
// "Verify failed", the configuration option's message, the EEPROM location, or "Verify passed".
std::string VerifyMessage(const VerifyDifference& difference);

// "The hex file <path> could not be opened."
std::string HexFileNotOpenedMessage(const std::string& path);

inline constexpr char PROGRAMMING_COMPLETE[] = "Programming complete.";
