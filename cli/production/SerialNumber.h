#pragma once
// Serial numbers written into each chip of a production run: where they go, how they are
// encoded, and reading one back from a chip.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "image/FirmwareImage.h"
#include "image/ProcessorProfile.h"

// A program-memory byte is stored as RETLW k (0x34kk): firmware reads such a table by
// calling into it, the usual way a PIC16 keeps constants in program memory.
inline constexpr std::int32_t RETLW_OPCODE = 0x3400;
inline constexpr std::int32_t RETLW_OPCODE_MASK = 0x3F00;
inline constexpr int SERIAL_MAX_DECIMAL_DIGITS = 19; // the most that fit 64 bits whole
inline constexpr int SERIAL_MAX_BINARY_BYTES = 8;

// How the number is laid out, one byte per word address: "dec:W" is W ASCII digits, zeros
// in front; "be:N" and "le:N" are N binary bytes, most or least significant first.
struct SerialFormat {
    enum Kind { DECIMAL, MOST_SIGNIFICANT_FIRST, LEAST_SIGNIFICANT_FIRST };
    Kind kind = DECIMAL;
    int width = 6; // digits or bytes

    // Parses "dec:6", "be:4", "le:2" (any case). False for anything else.
    static bool Parse(const std::string& text, SerialFormat& format);
    std::string Text() const;
    // The largest number the format holds.
    std::uint64_t Largest() const;
};

// What the command line asks for about serial numbers.
struct SerialOptions {
    bool enabled = false;                // --serial-number, or --serial-number-is
    std::optional<int> address;          // --serial-at, a word address
    std::string addressText;             // --serial-at as typed
    std::string format = "dec:6";        // --serial-format
    std::string counterPath;             // --serial-file
    std::optional<std::uint64_t> start;  // --serial-start
    bool overwrite = false;              // --serial-overwrite
    std::optional<std::uint64_t> given;  // --serial-number-is (verify)
};

// Where a serial number sits: `length` word addresses from `address`, all in program memory
// or all in the data EEPROM (from EEPROM_ADDRESS).
struct SerialPlace {
    int address = 0;
    SerialFormat format;

    int Length() const { return format.width; }
    // The largest number a chip may hold here: in the data EEPROM a binary number of all one
    // bits would read back the same as erased cells, which hold no number.
    std::uint64_t Largest() const;
    bool InEeprom() const { return address >= EEPROM_ADDRESS; }
    // "2100-2105": the addresses it covers, for messages.
    std::string Range() const;
    // Empty when the place lies inside the processor's program memory or data EEPROM;
    // otherwise why not.
    std::string CheckFits(TargetProcessor processor) const;
};

// The bytes of `number` in `format`; the number must fit (see Largest).
std::vector<std::uint8_t> EncodeSerial(std::uint64_t number, const SerialFormat& format);

// Puts the encoded number into a programming image: EEPROM bytes with the supplied marker,
// program words as RETLW.
void PlaceSerial(std::uint64_t number, const SerialPlace& place, FirmwareImage& image);

// The number a chip read back holds at the place; none when the cells do not hold the
// format (erased cells, a digit that is not one, a program word that is not RETLW).
std::optional<std::uint64_t> ReadSerial(const FirmwareImage& target, const SerialPlace& place);

// True when the HEX file's text itself supplies data at any of the place's addresses.
bool FileHoldsDataAt(std::string_view hexText, const SerialPlace& place);
