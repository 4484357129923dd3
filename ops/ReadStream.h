#pragma once
#include "image/FirmwareImage.h"
#include "image/ProcessorProfile.h"
#include "ops/OperationProgress.h"

class BoardLink;

// Where the Read stream stopped. Read and Verify report the same point with texts of their own.
enum ReadResult : int {
    READ_DONE = 0,
    READ_COMMAND_FAILED = 1,
    READ_PROGRAM_READ_FAILED = 2,   // the first read of a program block failed
    READ_PROGRAM_WRITE_FAILED = 3,  // writing REPEAT_BYTE or ACK_BYTE after a program block
    READ_PROGRAM_REPEAT_FAILED = 4, // the read after REPEAT_BYTE failed
    READ_PROGRAM_REPEAT_SHORT = 5,  // the block came short a second time
    READ_CONFIG_READ_FAILED = 6,
    READ_CONFIG_SHORT = 7,
    READ_CONFIG_WRITE_FAILED = 8,
    READ_EEPROM_READ_FAILED = 9,
    READ_EEPROM_SHORT = 10,
    READ_EEPROM_WRITE_FAILED = 11,
};

// Sends the read command of `processor` and receives the whole target into `target` as the
// board sends it: program words from address 0, the configuration block at 0x2000-0x2007 and
// EEPROM bytes from 0x2100 (plain bytes, without the supplied marker). Entries stored before
// a failure stay; the others keep what they held. `pauseAfterCommand` milliseconds pass
// between the command's acknowledge and the stream's time-outs (Verify gives the board that
// extra time). `progress` gets the position before each program block.
//
// The device is left open on success and on failure: the caller closes it, and on a failure
// also reports and marks the link lost (a failed command exchange has done the latter).
ReadResult ReadTarget(BoardLink& link, TargetProcessor processor, FirmwareImage& target,
                      const ProgressFunction& progress, unsigned pauseAfterCommand = 0);
