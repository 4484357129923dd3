#include "cli/production/SerialNumber.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "image/HexFile.h"

namespace {

constexpr int kBitsPerByte = 8;
constexpr std::uint64_t kByteMask = 0xFF;
constexpr std::int32_t kEepromByteMask = 0xFF;

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The byte a cell of the place holds; none when it does not hold a byte in the place's way.
std::optional<std::uint8_t> StoredByte(const FirmwareImage& target, const SerialPlace& place, int address)
{
    const std::int32_t entry = target.Get(address);
    if (place.InEeprom())
        return static_cast<std::uint8_t>(entry & kEepromByteMask);
    if ((entry & RETLW_OPCODE_MASK) != RETLW_OPCODE)
        return std::nullopt;
    return static_cast<std::uint8_t>(entry & kEepromByteMask);
}

} // namespace

bool SerialFormat::Parse(const std::string& text, SerialFormat& format)
{
    const std::string lower = Lower(text);
    const auto colon = lower.find(':');
    if (colon == std::string::npos || colon + 1 >= lower.size() || lower.size() - colon > 3)
        return false;
    const std::string kind = lower.substr(0, colon);
    const std::string width = lower.substr(colon + 1);
    if (!std::all_of(width.begin(), width.end(), [](unsigned char c) { return std::isdigit(c); }))
        return false;
    SerialFormat parsed;
    parsed.width = std::stoi(width);
    int largest = 0;
    if (kind == "dec") {
        parsed.kind = DECIMAL;
        largest = SERIAL_MAX_DECIMAL_DIGITS;
    } else if (kind == "be" || kind == "le") {
        parsed.kind = kind == "be" ? MOST_SIGNIFICANT_FIRST : LEAST_SIGNIFICANT_FIRST;
        largest = SERIAL_MAX_BINARY_BYTES;
    } else {
        return false;
    }
    if (parsed.width < 1 || parsed.width > largest)
        return false;
    format = parsed;
    return true;
}

std::string SerialFormat::Text() const
{
    const char* kinds[] = {"dec", "be", "le"};
    return std::string(kinds[kind]) + ":" + std::to_string(width);
}

std::uint64_t SerialFormat::Largest() const
{
    if (kind == DECIMAL) {
        std::uint64_t largest = 1;
        for (int digit = 0; digit < width; ++digit)
            largest *= 10;
        return largest - 1;
    }
    if (width == SERIAL_MAX_BINARY_BYTES)
        return ~std::uint64_t{0};
    return (std::uint64_t{1} << (width * kBitsPerByte)) - 1;
}

std::uint64_t SerialPlace::Largest() const
{
    const std::uint64_t largest = format.Largest();
    return InEeprom() && format.kind != SerialFormat::DECIMAL ? largest - 1 : largest;
}

std::string SerialPlace::Range() const
{
    char text[16];
    std::snprintf(text, sizeof text, "%04X-%04X", static_cast<unsigned>(address),
                  static_cast<unsigned>(address + Length() - 1));
    return text;
}

std::string SerialPlace::CheckFits(TargetProcessor processor) const
{
    const ProcessorProfile& profile = GetProcessorProfile(processor);
    const int end = address + Length();
    if (address >= 0 && end <= profile.programWords)
        return {};
    if (address >= EEPROM_ADDRESS && end <= EEPROM_ADDRESS + profile.eepromBytes)
        return {};
    char text[200];
    std::snprintf(text, sizeof text,
                  "The serial number at %s does not fit the %s: program memory is 0000-%04X, "
                  "EEPROM %04X-%04X.",
                  Range().c_str(), profile.name, static_cast<unsigned>(profile.programWords - 1),
                  static_cast<unsigned>(EEPROM_ADDRESS), static_cast<unsigned>(EEPROM_ADDRESS + profile.eepromBytes - 1));
    return text;
}

std::vector<std::uint8_t> EncodeSerial(std::uint64_t number, const SerialFormat& format)
{
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(format.width));
    // Least significant first, then turned round where the format wants it so.
    for (std::uint8_t& byte : bytes) {
        if (format.kind == SerialFormat::DECIMAL) {
            byte = static_cast<std::uint8_t>('0' + number % 10);
            number /= 10;
        } else {
            byte = static_cast<std::uint8_t>(number & kByteMask);
            number >>= kBitsPerByte;
        }
    }
    if (format.kind != SerialFormat::LEAST_SIGNIFICANT_FIRST)
        std::reverse(bytes.begin(), bytes.end());
    return bytes;
}

void PlaceSerial(std::uint64_t number, const SerialPlace& place, FirmwareImage& image)
{
    const std::vector<std::uint8_t> bytes = EncodeSerial(number, place.format);
    for (int i = 0; i < place.Length(); ++i) {
        const std::int32_t byte = bytes[static_cast<std::size_t>(i)];
        image.Set(place.address + i, place.InEeprom() ? (byte | EEPROM_SUPPLIED_MARKER) : (byte | RETLW_OPCODE));
    }
}

std::optional<std::uint64_t> ReadSerial(const FirmwareImage& target, const SerialPlace& place)
{
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < place.Length(); ++i) {
        const std::optional<std::uint8_t> byte = StoredByte(target, place, place.address + i);
        if (!byte)
            return std::nullopt;
        bytes.push_back(*byte);
    }
    // Erased EEPROM cells hold no number, though a binary format would read them as one.
    if (place.InEeprom() && std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b == kByteMask; }))
        return std::nullopt;
    if (place.format.kind == SerialFormat::LEAST_SIGNIFICANT_FIRST)
        std::reverse(bytes.begin(), bytes.end());
    std::uint64_t number = 0;
    for (std::uint8_t byte : bytes) {
        if (place.format.kind == SerialFormat::DECIMAL) {
            if (!std::isdigit(byte))
                return std::nullopt;
            number = number * 10 + static_cast<std::uint64_t>(byte - '0');
        } else {
            number = (number << kBitsPerByte) | byte;
        }
    }
    return number;
}

bool FileHoldsDataAt(std::string_view hexText, const SerialPlace& place)
{
    FirmwareImage image;
    LoadHexText(hexText, HexLoadMode::Listing, image);
    for (int i = 0; i < place.Length(); ++i) {
        if (image.Get(place.address + i) & LISTING_MARKER)
            return true;
    }
    return false;
}
