#include "image/HexFile.h"

#include "image/HexTextFile.h"

namespace {

// True when a data word at `address` has no place on the processor: in program memory
// beyond its size, or outside the image altogether (which no processor has).
bool BeyondDevice(int address, int programWords)
{
    if (!FirmwareImage::Contains(address))
        return true;
    return address < PROGRAM_ADDRESS_LIMIT && address >= programWords;
}

} // namespace

HexCheckResult CheckHexText(std::string_view text, TargetProcessor processor,
                            const std::function<void(std::uint16_t)>& applyConfigWord)
{
    const int programWords = GetProcessorProfile(processor).programWords;
    bool tooLarge = false;
    HexRecordReader reader(text);
    HexRecord record;
    while (reader.Next(record)) {
        if (!record.ChecksumPasses())
            return HEX_CHECKSUM_ERROR;
        if (!record.IsData())
            continue;
        if (record.outsidePicSpace) {
            tooLarge = tooLarge || record.count > 0;
            continue;
        }
        // Every word counts, not only the first: Program would drop the words past the end
        // of the device and still report success.
        for (int i = 0; i < record.WordCount(); ++i) {
            const int address = record.WordAddress() + i;
            if (BeyondDevice(address, programWords))
                tooLarge = true;
            else if (address == CONFIG_WORD_ADDRESS && applyConfigWord)
                applyConfigWord(static_cast<std::uint16_t>(record.Word(i)));
        }
    }
    return tooLarge ? HEX_TOO_LARGE : HEX_FILE_OK;
}

HexCheckResult CheckHexFile(const std::string& path, TargetProcessor processor,
                            const std::function<void(std::uint16_t)>& applyConfigWord)
{
    if (path.empty())
        return HEX_NO_FILE_NAME;
    std::string text;
    if (!ReadHexFileText(path, text))
        return HEX_CANNOT_OPEN;
    return CheckHexText(text, processor, applyConfigWord);
}

void LoadHexText(std::string_view text, HexLoadMode mode, FirmwareImage& image)
{
    image.Reset(mode);
    HexRecordReader reader(text);
    HexRecord record;
    while (reader.Next(record)) {
        if (!record.IsData() || record.outsidePicSpace)
            continue;
        for (int i = 0; i < record.WordCount(); ++i) {
            const int word = record.Word(i);
            if (word < 0)
                continue; // cut short or unreadable: only complete words are taken
            const int address = record.WordAddress() + i;
            std::int32_t value = word;
            if (mode == HexLoadMode::Listing)
                value |= LISTING_MARKER;
            else if (address >= EEPROM_ADDRESS)
                value |= EEPROM_SUPPLIED_MARKER;
            image.Set(address, value); // words beyond the image are dropped
        }
    }
}

bool LoadHexImage(const std::string& path, HexLoadMode mode, FirmwareImage& image)
{
    image.Reset(mode);
    std::string text;
    if (!ReadHexFileText(path, text))
        return false;
    LoadHexText(text, mode, image);
    return true;
}

const char* HexCheckMessage(HexCheckResult result)
{
    switch (result) {
    case HEX_FILE_OK: return nullptr;
    case HEX_NO_FILE_NAME: return "Error: Invalid HEX file name.";
    case HEX_CANNOT_OPEN: return "Error: HEX file could not be opened.";
    case HEX_CHECKSUM_ERROR: return "Checksum error in HEX file.";
    case HEX_TOO_LARGE: return "Selected HEX file is too large to fit into device FLASH.";
    }
    return nullptr;
}
