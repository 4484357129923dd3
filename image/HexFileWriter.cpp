#include "image/HexFileWriter.h"

#include <cstdint>
#include <cstdio>
#include <vector>

#include "image/HexRecord.h"

namespace {

constexpr int kRowWords = 8;           // 16 data bytes a record, as gpasm writes them
constexpr int kWordBits = 0xFFFF;      // a word as the board sent it
constexpr int kEepromByteBits = 0x00FF;
// Count 0, address 0, type 01 (end of file), checksum FF.
constexpr char kEndOfFileRecord[] = ":00000001FF\n";

void AppendByte(std::string& text, int value)
{
    char digits[3];
    std::snprintf(digits, sizeof digits, "%02X", static_cast<unsigned>(value & 0xFF));
    text += digits;
}

// One data record of `words` at a word address, each word low byte first.
void AppendDataRecord(std::string& text, int wordAddress, const std::vector<int>& words)
{
    const int byteAddress = 2 * wordAddress;
    const int count = 2 * static_cast<int>(words.size());
    // The checksum makes count, address, type, data and itself add up to 0 modulo 256.
    int sum = count + (byteAddress >> 8) + (byteAddress & 0xFF) + HEX_RECORD_DATA;
    text += HEX_RECORD_MARK;
    AppendByte(text, count);
    AppendByte(text, byteAddress >> 8);
    AppendByte(text, byteAddress);
    AppendByte(text, HEX_RECORD_DATA);
    for (int word : words) {
        AppendByte(text, word);
        AppendByte(text, word >> 8);
        sum += (word & 0xFF) + ((word >> 8) & 0xFF);
    }
    AppendByte(text, -sum);
    text += '\n';
}

std::vector<int> Words(const FirmwareImage& image, int first, int count, int mask)
{
    std::vector<int> words;
    for (int i = 0; i < count; ++i)
        words.push_back(image.Get(first + i) & mask);
    return words;
}

} // namespace

std::string TargetHexText(const FirmwareImage& target, TargetProcessor processor)
{
    const ProcessorProfile& profile = GetProcessorProfile(processor);
    std::string text;
    for (int first = PROGRAM_MEMORY_ADDRESS; first < profile.programWords; first += kRowWords) {
        const std::vector<int> row = Words(target, first, kRowWords, kWordBits);
        bool erased = true;
        for (int word : row)
            erased = erased && word == ERASED_WORD;
        if (!erased)
            AppendDataRecord(text, first, row);
    }
    AppendDataRecord(text, ID_WORDS_ADDRESS, Words(target, ID_WORDS_ADDRESS, ID_WORD_COUNT, kWordBits));
    AppendDataRecord(text, CONFIG_WORD_ADDRESS, Words(target, CONFIG_WORD_ADDRESS, 1, kWordBits));
    for (int offset = 0; offset < profile.eepromBytes; offset += kRowWords)
        AppendDataRecord(text, EEPROM_ADDRESS + offset,
                         Words(target, EEPROM_ADDRESS + offset, kRowWords, kEepromByteBits));
    text += kEndOfFileRecord;
    return text;
}
