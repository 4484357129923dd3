#pragma once
#include <cstddef>
#include <limits>
#include <string>
#include <vector>

#include "image/ConfigWord.h"
#include "image/FirmwareImage.h"
#include "image/ProcessorProfile.h"

// One thing in which the target differs from what it should hold.
struct VerifyDifference {
    enum Kind {
        NONE,
        PROGRAM_WORD,  // `address`: a program word that differs
        CONFIGURATION, // `configuration`: the message of an option that differs
        EEPROM_BYTE,   // `address`: an EEPROM entry (0x2100 + location) that differs
    };
    Kind kind = NONE;
    int address = 0;
    std::string configuration;
    // What the file and the options ask for and what the target holds: program words in
    // their 14 bits, EEPROM bytes in 8; for an option, the configuration word the options
    // make and the target's configuration word.
    int expected = 0;
    int found = 0;
};

// A PIC16 program word holds 14 bits; HEX tools may pad unused words with 0xFFFF.
inline constexpr int PROGRAM_WORD_MASK = 0x3FFF;

// Compares, in this order: the processor's program words (their 14 bits; `image` holds
// 0x3FFF where the file supplies nothing), the target's configuration word against
// `options` option by option, and the EEPROM bytes that `image` marks as supplied. The ID
// words, the rest of the configuration block and the image's own configuration word take no
// part. Returns the differences in that order, at most `limit` of them.
std::vector<VerifyDifference> ListDifferences(const FirmwareImage& image, const FirmwareImage& target,
                                              TargetProcessor processor, const ConfigOptions& options,
                                              std::size_t limit = std::numeric_limits<std::size_t>::max());

// The first difference of that order (kind NONE when there is none): Verify in the window
// names only the first thing that differs.
VerifyDifference CompareWithTarget(const FirmwareImage& image, const FirmwareImage& target,
                                   TargetProcessor processor, const ConfigOptions& options);
