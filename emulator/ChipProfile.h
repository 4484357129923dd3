#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace emulator {

enum class ChipKind { Pic16F84A, Pic16F877 };

// What the download firmware needs to know about a target processor.
struct ChipProfile {
    ChipKind kind;
    const char* name;           // "16F84A", "16F877": the names used on the board and in files
    unsigned programWords;      // flash program memory, 14-bit words
    unsigned eepromBytes;       // data EEPROM
    std::uint16_t deviceId;     // the word at 0x2006, revision bits 0
    // How long the target takes to write, in milliseconds, as Microchip's programming guides
    // give them; the cost model charges them to the board before it acknowledges.
    unsigned programWordMs; // one program or configuration word
    unsigned eepromByteMs;  // one data EEPROM byte
    unsigned bulkEraseMs;
};

const ChipProfile& ProfileOf(ChipKind kind);
std::optional<ChipKind> ChipKindByName(const std::string& name);

} // namespace emulator
