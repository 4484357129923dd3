#include "cli/Utf8.h"

std::size_t Utf8SequenceAt(std::string_view text, std::size_t at, char32_t& codePoint)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    std::size_t length = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, minimum = 0x80, codePoint = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, minimum = 0x800, codePoint = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, minimum = 0x10000, codePoint = lead & 0x07u;
    } else {
        return 0;
    }
    if (at + length > text.size())
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0u) != 0x80u)
            return 0;
        codePoint = (codePoint << 6) | (byte(at + i) & 0x3Fu);
    }
    const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
    return codePoint < minimum || codePoint > 0x10FFFF || surrogate ? 0 : length;
}

std::u16string DecodeTypedText(std::string_view text)
{
    std::u16string decoded;
    for (std::size_t i = 0; i < text.size();) {
        char32_t codePoint = 0;
        const std::size_t length = Utf8SequenceAt(text, i, codePoint);
        if (length == 0) {
            decoded += static_cast<char16_t>(static_cast<unsigned char>(text[i]));
            ++i;
            continue;
        }
        decoded += codePoint > 0xFFFF ? u'?' : static_cast<char16_t>(codePoint);
        i += length;
    }
    return decoded;
}

std::string Latin1ToUtf8(std::string_view text)
{
    std::string utf8;
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            utf8 += c;
        } else {
            utf8 += static_cast<char>(0xC0 | (byte >> 6));
            utf8 += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return utf8;
}

std::string TypedTextToLatin1(std::string_view text)
{
    std::string bytes;
    for (const char16_t unit : DecodeTypedText(text))
        bytes += unit <= 0xFF ? static_cast<char>(unit) : '?';
    return bytes;
}
