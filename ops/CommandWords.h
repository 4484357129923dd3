#pragma once
// The target commands come in pairs, one word per processor; an operation picks its word from
// the processor selected when it starts, never from the one the board reported last.
#include <cstdint>

#include "image/ProcessorProfile.h"
#include "link/CommandSet.h"

struct TargetCommandWords {
    std::uint16_t blankCheck;
    std::uint16_t bulkErase;
    std::uint16_t program;
    std::uint16_t read;
};

inline constexpr TargetCommandWords TARGET_COMMANDS_84A{CMD_BLANK_CHECK_84A, CMD_BULK_ERASE_84A,
                                                      CMD_PROGRAM_84A, CMD_READ_84A};
inline constexpr TargetCommandWords TARGET_COMMANDS_877{CMD_BLANK_CHECK_877, CMD_BULK_ERASE_877,
                                                      CMD_PROGRAM_877, CMD_READ_877};

inline constexpr const TargetCommandWords& TargetCommandsFor(TargetProcessor processor)
{
    return processor == TargetProcessor::PIC16F877 ? TARGET_COMMANDS_877 : TARGET_COMMANDS_84A;
}
