#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

// The word-addressed image of every memory of the target: program memory from 0, the ID
// words, the configuration word and the data EEPROM, one signed 32-bit entry per PIC word
// address. Program, Verify, View and Read all work in one such table.

inline constexpr int FIRMWARE_IMAGE_ENTRIES = 9000; // word addresses 0x0000..0x2327

// Where the memories sit in the PIC16's word address space (HEX byte address = 2 x word).
inline constexpr int PROGRAM_MEMORY_ADDRESS = 0x0000;
inline constexpr int PROGRAM_ADDRESS_LIMIT = 0x2000;  // no PIC16 has program words from here
inline constexpr int ID_WORDS_ADDRESS = 0x2000;       // four ID words
inline constexpr int ID_WORD_COUNT = 4;
inline constexpr int CONFIG_BLOCK_ADDRESS = 0x2000;   // the 8 words of the configuration block
inline constexpr int CONFIG_BLOCK_WORDS = 8;
inline constexpr int CONFIG_WORD_ADDRESS = 0x2007;
inline constexpr int EEPROM_ADDRESS = 0x2100;         // one EEPROM byte per entry
inline constexpr int EEPROM_LISTING_LIMIT = 0x2300;   // View lists EEPROM groups below this

// Values of entries. Erased flash reads 0x3FFF. The programming stream carries 0x3F80 for
// the words of the configuration block (ID words and the three after them) that the file
// does not supply, and 0 for EEPROM bytes it does not supply.
inline constexpr std::int32_t ERASED_WORD = 0x3FFF;
inline constexpr std::int32_t CONFIG_BLOCK_INITIAL = 0x3F80;
inline constexpr std::int32_t EEPROM_INITIAL = 0x0000;
inline constexpr int PROGRAMMING_EEPROM_ENTRIES = 256; // the largest data EEPROM (16F877)

// Marker bits. Programming mode sets bit 8 in every EEPROM entry the file supplies; the
// entry travels to the board as it stands, so the board can tell supplied bytes from the
// rest. Listing mode sets bit 15 in every entry the file supplies, so View lists only what
// the file holds.
inline constexpr std::int32_t EEPROM_SUPPLIED_MARKER = 0x0100;
inline constexpr std::int32_t LISTING_MARKER = 0x8000;

// How LoadHexImage fills the table: for the board (Program, Verify) or for View.
enum class HexLoadMode { Programming, Listing };

class FirmwareImage {
public:
    // Starts as listing mode's initial contents: every entry erased.
    FirmwareImage();

    static constexpr bool Contains(int address)
    {
        return address >= 0 && address < FIRMWARE_IMAGE_ENTRIES;
    }

    // The entry at a word address; 0 for an address outside the table.
    std::int32_t Get(int address) const
    {
        return Contains(address) ? entries_[static_cast<std::size_t>(address)] : 0;
    }

    // Stores an entry; refuses (false, nothing written) an address outside the table.
    bool Set(int address, std::int32_t value)
    {
        if (!Contains(address))
            return false;
        entries_[static_cast<std::size_t>(address)] = value;
        return true;
    }

    // Sets every entry to the initial contents of a load in the given mode.
    void Reset(HexLoadMode mode);

    void Fill(std::int32_t value);

    bool operator==(const FirmwareImage&) const = default;

private:
    std::array<std::int32_t, FIRMWARE_IMAGE_ENTRIES> entries_;
};
