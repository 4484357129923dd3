#pragma once
// Every byte on the FIFO carries one nibble in its low four bits: the PC sends the high bits
// as 0 and ignores them on receipt. Words go least significant nibble first, 8-bit values
// low nibble first, texts as runs of 8-bit values of a fixed length.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

std::array<std::uint8_t, 4> EncodeWord(std::uint16_t word);
std::array<std::uint8_t, 2> EncodeByte(std::uint8_t value);
std::uint16_t DecodeWord(const std::uint8_t* nibbles);
std::uint8_t DecodeByte(const std::uint8_t* nibbles);

// The text field of `length` characters: the text's characters, then spaces. A character
// that does not fit in 8 bits is sent as '?', never cut into another character; characters
// beyond the field are dropped.
std::vector<std::uint8_t> EncodeText(std::u16string_view text, int length);

// A received text of `length` characters, ending at its first character 0.
std::string DecodeText(const std::uint8_t* nibbles, int length);
