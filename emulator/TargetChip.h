#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "emulator/ChipProfile.h"

namespace emulator {

// The target PIC on the board: flash program memory, the configuration area (ID words
// 0x2000-0x2003, two reserved words, the device ID at 0x2006, the configuration word at
// 0x2007) and the data EEPROM. Cells are addressed as in the program's image.
class TargetChip {
public:
    explicit TargetChip(ChipKind kind);

    const ChipProfile& Profile() const { return *profile_; }

    // The stored cells, without code protection: for the control interface and the state file.
    std::optional<unsigned> Cell(unsigned address) const;
    bool SetCell(unsigned address, unsigned value); // false outside the chip
    unsigned ErasedCell(unsigned address) const;
    // Every image address the chip holds, in ascending order.
    std::vector<unsigned> Addresses() const;

    // As the download firmware sees the chip through its programming pins. Addresses wrap at
    // the memory's size, as the chip's own address counter does.
    std::uint16_t ReadProgram(unsigned address) const;
    void WriteProgram(unsigned address, std::uint16_t word);
    std::uint16_t ReadConfigArea(unsigned offset) const;
    void WriteConfigArea(unsigned offset, std::uint16_t word);
    std::uint8_t ReadEeprom(unsigned offset) const;
    void WriteEeprom(unsigned offset, std::uint8_t value);

    // Blank: every program word, ID word and the configuration word read 0x3FFF and every
    // EEPROM byte reads 0xFF.
    bool IsBlank() const;
    // Erases everything, also a code-protected chip, and lifts the protection with it.
    void BulkErase();

private:
    bool ProgramProtected(unsigned address) const;
    bool EepromProtected() const;

    const ChipProfile* profile_;
    std::vector<std::uint16_t> program_;
    std::array<std::uint16_t, 8> configArea_{};
    std::vector<std::uint8_t> eeprom_;
};

} // namespace emulator
