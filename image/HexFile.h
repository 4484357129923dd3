#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "image/FirmwareImage.h"
#include "image/HexRecord.h"
#include "image/ProcessorProfile.h"

// The two passes over a HEX file: the check run by Open and Program, and the load that fills
// the FirmwareImage for Program, Verify and View. Both read the file again each time, from
// its path, and see the same records: lines are taken whole, only data records carry words,
// and no field is read past the end of its line.

enum HexCheckResult : int {
    HEX_FILE_OK = 0,
    HEX_NO_FILE_NAME = 1,
    HEX_CANNOT_OPEN = 2,
    HEX_CHECKSUM_ERROR = 3, // also a record cut short or holding a non-hexadecimal character
    HEX_TOO_LARGE = 4,      // a word beyond the processor's program memory or the image
};

// Checks every record of the file at `path` against the processor's program memory. Each
// configuration record (a data word at 0x2007) whose checksum passes goes to
// `applyConfigWord` at once, and stays applied when a later line fails. Stops at the first
// record whose checksum fails; too-large is reported only when every checksum passes.
HexCheckResult CheckHexFile(const std::string& path, TargetProcessor processor,
                            const std::function<void(std::uint16_t)>& applyConfigWord);

// The check over a file's text already read.
HexCheckResult CheckHexText(std::string_view text, TargetProcessor processor,
                            const std::function<void(std::uint16_t)>& applyConfigWord);

// Sets the image to the initial contents of `mode`, then stores every data word of the file
// at `path` that falls inside the image: as read in programming mode, with the EEPROM
// marker on entries from 0x2100; with the listing marker on every entry in listing mode.
// Checks no checksum and no size. False only when the file cannot be read; the image then
// holds the initial contents.
bool LoadHexImage(const std::string& path, HexLoadMode mode, FirmwareImage& image);

// The load over a file's text already read.
void LoadHexText(std::string_view text, HexLoadMode mode, FirmwareImage& image);

// The fixed message text of a check result, shown by Open and Program; nullptr for 0.
const char* HexCheckMessage(HexCheckResult result);
