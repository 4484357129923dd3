#include "image/MemoryListing.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace {

constexpr int GROUP_WORDS = 4;
constexpr int VIEW_PROGRAM_LIMIT = 0x2000; // View lists the file, whatever the processor
constexpr int CONFIG_SECOND_GROUP = CONFIG_BLOCK_ADDRESS + GROUP_WORDS;
constexpr std::int32_t WORD_BITS = 0xFFFF;
constexpr std::int32_t BYTE_BITS = 0x00FF;

const char* const PROGRAM_HEADING = "Program Data:";
const char* const CONFIG_HEADING = "Configuration Data:";
const char* const EEPROM_HEADING = "EEPROM Data:";

// printf into a std::string; every line of the listings is well below the buffer size.
[[gnu::format(printf, 1, 2)]] std::string Format(const char* format, ...)
{
    char buffer[96];
    va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (length <= 0)
        return {};
    return std::string(buffer, std::min(static_cast<std::size_t>(length), sizeof buffer - 1));
}

unsigned WordAt(const FirmwareImage& image, int address)
{
    return static_cast<unsigned>(image.Get(address) & WORD_BITS);
}

// A value of a listing-mode image as the file gave it.
unsigned Unmarked(const FirmwareImage& image, int address)
{
    return static_cast<unsigned>(image.Get(address) & WORD_BITS & ~LISTING_MARKER);
}

bool Marked(const FirmwareImage& image, int address)
{
    return (image.Get(address) & LISTING_MARKER) != 0;
}

bool GroupMarked(const FirmwareImage& image, int first)
{
    for (int i = 0; i < GROUP_WORDS; ++i)
        if (Marked(image, first + i))
            return true;
    return false;
}

std::string WordGroupLine(int first, unsigned w0, unsigned w1, unsigned w2, unsigned w3)
{
    return Format("%4.4X:   %4.4X   %4.4X   %4.4X   %4.4X", static_cast<unsigned>(first), w0, w1,
                  w2, w3);
}

std::string TextGroupLine(int first, const std::string (&texts)[GROUP_WORDS])
{
    const std::string address = Format("%4.4X", static_cast<unsigned>(first));
    return Format("%s:   %s   %s   %s   %s", address.c_str(), texts[0].c_str(), texts[1].c_str(),
                  texts[2].c_str(), texts[3].c_str());
}

} // namespace

std::vector<std::string> ViewListing(const FirmwareImage& image)
{
    std::vector<std::string> lines;
    lines.emplace_back(PROGRAM_HEADING);
    for (int first = PROGRAM_MEMORY_ADDRESS; first < VIEW_PROGRAM_LIMIT; first += GROUP_WORDS) {
        if (GroupMarked(image, first))
            lines.push_back(WordGroupLine(first, Unmarked(image, first), Unmarked(image, first + 1),
                                          Unmarked(image, first + 2), Unmarked(image, first + 3)));
    }

    lines.emplace_back(CONFIG_HEADING);
    // ID words hold a nibble each; the leading x's stand for the bits the ID does not use.
    if (GroupMarked(image, ID_WORDS_ADDRESS)) {
        std::string ids[GROUP_WORDS];
        for (int i = 0; i < GROUP_WORDS; ++i)
            ids[i] = Format("xxx%1.1X", Unmarked(image, ID_WORDS_ADDRESS + i));
        lines.push_back(TextGroupLine(ID_WORDS_ADDRESS, ids));
    }
    // Of the second group only the configuration word means anything to the target.
    if (GroupMarked(image, CONFIG_SECOND_GROUP))
        lines.push_back(Format("%4.4X:   xxxx   xxxx   xxxx   %4.4X",
                               static_cast<unsigned>(CONFIG_SECOND_GROUP),
                               Unmarked(image, CONFIG_WORD_ADDRESS)));

    lines.emplace_back(EEPROM_HEADING);
    for (int first = EEPROM_ADDRESS; first < EEPROM_LISTING_LIMIT; first += GROUP_WORDS) {
        if (!GroupMarked(image, first))
            continue;
        std::string bytes[GROUP_WORDS];
        for (int i = 0; i < GROUP_WORDS; ++i)
            bytes[i] = Marked(image, first + i)
                           ? Format("%2.2X", Unmarked(image, first + i) & BYTE_BITS)
                           : std::string("xx");
        lines.push_back(TextGroupLine(first, bytes));
    }
    return lines;
}

std::vector<std::string> ReadListing(const FirmwareImage& image, TargetProcessor processor)
{
    const ProcessorProfile& profile = GetProcessorProfile(processor);
    std::vector<std::string> lines;
    for (int first = PROGRAM_MEMORY_ADDRESS; first < profile.programWords; first += GROUP_WORDS)
        lines.push_back(WordGroupLine(first, WordAt(image, first), WordAt(image, first + 1),
                                      WordAt(image, first + 2), WordAt(image, first + 3)));

    lines.emplace_back(CONFIG_HEADING);
    for (int first = CONFIG_BLOCK_ADDRESS; first < CONFIG_BLOCK_ADDRESS + CONFIG_BLOCK_WORDS;
         first += GROUP_WORDS)
        lines.push_back(WordGroupLine(first, WordAt(image, first), WordAt(image, first + 1),
                                      WordAt(image, first + 2), WordAt(image, first + 3)));

    lines.emplace_back(EEPROM_HEADING);
    for (int location = 0; location < profile.eepromBytes; location += GROUP_WORDS) {
        const int first = EEPROM_ADDRESS + location;
        const auto byte = [&](int i) { return static_cast<unsigned>(image.Get(first + i) & BYTE_BITS); };
        lines.push_back(Format("%2.2X:    %2.2X    %2.2X    %2.2X    %2.2X   (%d..%d)",
                               static_cast<unsigned>(first), byte(0), byte(1), byte(2), byte(3),
                               location, location + GROUP_WORDS - 1));
    }
    return lines;
}
