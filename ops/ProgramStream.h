#pragma once
#include <cstdint>

#include "image/FirmwareImage.h"
#include "image/ProcessorProfile.h"
#include "ops/OperationProgress.h"

class BoardLink;

// Where the Program stream stopped: the command, or a part of the stream whose acknowledge
// could not be read (no answer) or was not ACK_BYTE (a wrong or short answer).
enum ProgramResult : int {
    PROGRAM_DONE = 0,
    PROGRAM_COMMAND_FAILED = 1,
    PROGRAM_FLASH_NO_ANSWER = 2,
    PROGRAM_FLASH_BAD_ACK = 3,
    PROGRAM_CONFIG_NO_ANSWER = 4,
    PROGRAM_CONFIG_BAD_ACK = 5,
    PROGRAM_EEPROM_NO_ANSWER = 6,
    PROGRAM_EEPROM_BAD_ACK = 7,
    PROGRAM_CLOSING_NO_ANSWER = 8,
    PROGRAM_CLOSING_BAD_ACK = 9,
};

// Sends the program command of `processor` and streams the whole target from `image`: every
// program word, the configuration block 0x2000-0x2007, every EEPROM entry, and the closing
// block that repeats program words 0-7, one acknowledged word block after the other. A block
// whose write fails or moves fewer than its 36 bytes closes the device and fails as one the
// board did not answer.
// `progress` gets the position before each program-memory block.
//
// After PROGRAM_DONE the device stays open (the next command's exchange closes it). On a
// failure the device is left as it is: the caller reports, closes it and marks the link lost.
ProgramResult ProgramTarget(BoardLink& link, TargetProcessor processor, const FirmwareImage& image,
                            const ProgressFunction& progress);
