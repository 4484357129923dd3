#include "emulator/TextFields.h"

#include <cerrno>
#include <cstdlib>

namespace emulator {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

} // namespace

std::string Trim(const std::string& text)
{
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && IsBlank(text[first]))
        ++first;
    while (last > first && IsBlank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

std::optional<unsigned long> ParseNumber(const std::string& text)
{
    if (text.empty() || text[0] == '-' || text[0] == '+' || IsBlank(text[0]))
        return std::nullopt;
    // Base 10 unless marked 0x: a leading zero does not make a number octal here.
    const bool hexadecimal = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* digits = text.c_str() + (hexadecimal ? 2 : 0);
    if (IsBlank(*digits) || *digits == '-' || *digits == '+')
        return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const unsigned long value = std::strtoul(digits, &end, hexadecimal ? 16 : 10);
    if (errno != 0 || end == digits || end != text.c_str() + text.size())
        return std::nullopt;
    return value;
}

std::optional<bool> ParseSwitch(const std::string& text)
{
    if (text == "yes" || text == "on" || text == "true" || text == "1")
        return true;
    if (text == "no" || text == "off" || text == "false" || text == "0")
        return false;
    return std::nullopt;
}

std::vector<std::string> SplitWords(const std::string& text)
{
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && IsBlank(text[i]))
            ++i;
        const std::size_t start = i;
        while (i < text.size() && !IsBlank(text[i]))
            ++i;
        if (i > start)
            words.push_back(text.substr(start, i - start));
    }
    return words;
}

} // namespace emulator
