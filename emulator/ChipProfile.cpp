#include "emulator/ChipProfile.h"

namespace emulator {

namespace {

// Device IDs as Microchip's programming guides give them: DEV in bits 13-5, REV in
// bits 4-0. Bits 10-11 of these words are what the board reports as the processor type
// (1 for the 16F84A, 2 for the 16F877).
// Write times: the 16F84A's erase/program cycle (DS41190, DS35007) takes up to 8 ms for a
// program word and for an EEPROM byte; the 16F877's program-only cycle 4 ms a word, an
// EEPROM byte and a bulk erase 8 ms (DS39025, DS30292). The slower figure where a range is
// given: an estimate must not promise a board faster than it is.
constexpr ChipProfile PIC16F84A_PROFILE{ChipKind::Pic16F84A, "16F84A", 1024, 64, 0x0560, 8, 8, 8};
constexpr ChipProfile PIC16F877_PROFILE{ChipKind::Pic16F877, "16F877", 8192, 256, 0x09A0, 4, 8, 8};

} // namespace

const ChipProfile& ProfileOf(ChipKind kind)
{
    return kind == ChipKind::Pic16F84A ? PIC16F84A_PROFILE : PIC16F877_PROFILE;
}

std::optional<ChipKind> ChipKindByName(const std::string& name)
{
    if (name == PIC16F84A_PROFILE.name)
        return ChipKind::Pic16F84A;
    if (name == PIC16F877_PROFILE.name)
        return ChipKind::Pic16F877;
    return std::nullopt;
}

} // namespace emulator
