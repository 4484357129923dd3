#pragma once
#include <string>

#include "image/ConfigWord.h"
#include "image/FirmwareImage.h"
#include "image/ProcessorProfile.h"

// The first thing in which the target differs from what it should hold.
struct VerifyDifference {
    enum Kind {
        NONE,
        PROGRAM_WORD,  // `address`: the first program word that differs
        CONFIGURATION, // `configuration`: the message of the first option that differs
        EEPROM_BYTE,   // `address`: the first EEPROM entry (0x2100 + location) that differs
    };
    Kind kind = NONE;
    int address = 0;
    std::string configuration;
};

// A PIC16 program word holds 14 bits; HEX tools may pad unused words with 0xFFFF.
inline constexpr int PROGRAM_WORD_MASK = 0x3FFF;

// Compares, in this order and stopping at the first difference: the processor's program
// words (their 14 bits; `image` holds 0x3FFF where the file supplies nothing), the target's
// configuration word against `options`, and the EEPROM bytes that `image` marks as supplied.
// The ID words, the rest of the configuration block and the image's own configuration word
// take no part.
VerifyDifference CompareWithTarget(const FirmwareImage& image, const FirmwareImage& target,
                                   TargetProcessor processor, const ConfigOptions& options);
