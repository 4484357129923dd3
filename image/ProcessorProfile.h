#pragma once
// The two target processors and what their size decides: the memories, the HEX size limit,
// the streams of the board commands and which configuration options exist.

enum class TargetProcessor : int {
    PIC16F84A = 0,
    PIC16F877 = 1,
};

struct ProcessorProfile {
    const char* name;            // "16F84A", "16F877"
    int programWords;            // program memory, words from address 0
    int eepromBytes;             // data EEPROM, one byte per image entry from 0x2100
    int readProgramBlocks;       // blocks of 16 words in the read stream
    int readEepromBlocks;        // blocks of 64 bytes in the read stream
    bool hasExtendedOptions;     // brown-out, write, EEPROM protect, debugger, partial CP
};

const ProcessorProfile& GetProcessorProfile(TargetProcessor processor);

// Maps the radio-group index of the window (0 or 1) to a processor; anything else is
// taken as the 16F84A, the group's first button.
TargetProcessor ProcessorFromIndex(int index);
