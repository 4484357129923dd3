#pragma once
#include <optional>
#include <string>
#include <vector>

namespace emulator {

// Small text helpers shared by the configuration and fault parsers.
std::string Trim(const std::string& text);
// Decimal, or hexadecimal with 0x; the whole text must be the number.
std::optional<unsigned long> ParseNumber(const std::string& text);
// yes/no, on/off, true/false, 1/0.
std::optional<bool> ParseSwitch(const std::string& text);
// Splits at runs of blanks.
std::vector<std::string> SplitWords(const std::string& text);

} // namespace emulator
