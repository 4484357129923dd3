#include "image/FirmwareImage.h"

FirmwareImage::FirmwareImage()
{
    Fill(ERASED_WORD);
}

void FirmwareImage::Fill(std::int32_t value)
{
    entries_.fill(value);
}

void FirmwareImage::Reset(HexLoadMode mode)
{
    Fill(ERASED_WORD);
    if (mode != HexLoadMode::Programming)
        return;
    // The configuration block goes to the board whole, ID words and all, so the words the
    // file leaves out need a defined value too.
    for (int address = CONFIG_BLOCK_ADDRESS; address < CONFIG_WORD_ADDRESS; ++address)
        Set(address, CONFIG_BLOCK_INITIAL);
    // Every EEPROM byte of the larger part is sent; those the file leaves out go as 0,
    // without the supplied marker.
    for (int i = 0; i < PROGRAMMING_EEPROM_ENTRIES; ++i)
        Set(EEPROM_ADDRESS + i, EEPROM_INITIAL);
}
