#include "link/NibbleFraming.h"

namespace {

constexpr std::uint8_t kLowNibble = 0x0F;
constexpr char16_t kLargestByte = 0xFF;

} // namespace

std::array<std::uint8_t, 4> EncodeWord(std::uint16_t word)
{
    return {static_cast<std::uint8_t>(word & kLowNibble),
            static_cast<std::uint8_t>((word >> 4) & kLowNibble),
            static_cast<std::uint8_t>((word >> 8) & kLowNibble),
            static_cast<std::uint8_t>((word >> 12) & kLowNibble)};
}

std::array<std::uint8_t, 2> EncodeByte(std::uint8_t value)
{
    return {static_cast<std::uint8_t>(value & kLowNibble),
            static_cast<std::uint8_t>((value >> 4) & kLowNibble)};
}

std::uint16_t DecodeWord(const std::uint8_t* nibbles)
{
    return static_cast<std::uint16_t>((nibbles[0] & kLowNibble) | (nibbles[1] & kLowNibble) << 4 |
                                      (nibbles[2] & kLowNibble) << 8 |
                                      (nibbles[3] & kLowNibble) << 12);
}

std::uint8_t DecodeByte(const std::uint8_t* nibbles)
{
    return static_cast<std::uint8_t>((nibbles[0] & kLowNibble) | (nibbles[1] & kLowNibble) << 4);
}

std::vector<std::uint8_t> EncodeText(std::u16string_view text, int length)
{
    std::vector<std::uint8_t> nibbles;
    nibbles.reserve(static_cast<std::size_t>(length) * 2);
    for (int index = 0; index < length; ++index) {
        char16_t character = index < static_cast<int>(text.size()) ? text[index] : u' ';
        if (character > kLargestByte)
            character = u'?';
        const auto pair = EncodeByte(static_cast<std::uint8_t>(character));
        nibbles.insert(nibbles.end(), pair.begin(), pair.end());
    }
    return nibbles;
}

std::string DecodeText(const std::uint8_t* nibbles, int length)
{
    std::string text;
    for (int index = 0; index < length; ++index) {
        const std::uint8_t character = DecodeByte(nibbles + 2 * index);
        if (character == 0)
            break;
        text += static_cast<char>(character);
    }
    return text;
}
