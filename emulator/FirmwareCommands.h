#pragma once
#include <cstdint>
#include <string>

// The download microcontroller's command set and stream layout, as the firmware on the
// TVR-IO boards implements it. Every byte on the FIFO carries one nibble in its low 4 bits.

namespace emulator {

// Command words: high byte 0xA5, the low byte selects the command.
inline constexpr std::uint8_t COMMAND_HIGH_BYTE = 0xA5;
inline constexpr std::uint16_t CMD_PING = 0xA5A1;
inline constexpr std::uint16_t CMD_GET_VERSION = 0xA5A2;
inline constexpr std::uint16_t CMD_READ_877 = 0xA5A3;
inline constexpr std::uint16_t CMD_BLANK_CHECK_877 = 0xA5A4;
inline constexpr std::uint16_t CMD_WRITE_VERSION = 0xA5A6;
inline constexpr std::uint16_t CMD_READ_84A = 0xA5A7;
inline constexpr std::uint16_t CMD_BLANK_CHECK_84A = 0xA5A8;
inline constexpr std::uint16_t CMD_BULK_ERASE_877 = 0xA5A9;
inline constexpr std::uint16_t CMD_GET_PROCESSOR = 0xA5AA;
inline constexpr std::uint16_t CMD_DISCONNECT = 0xA5AB;
inline constexpr std::uint16_t CMD_CONNECT = 0xA5AC;
inline constexpr std::uint16_t CMD_BULK_ERASE_84A = 0xA5AD;
inline constexpr std::uint16_t CMD_PROGRAM_877 = 0xA5AE;
inline constexpr std::uint16_t CMD_PROGRAM_84A = 0xA5AF;
inline constexpr std::uint16_t CMD_GET_REVISION = 0xA5B1;

// One-byte values, each sent as two nibble bytes, low nibble first.
inline constexpr std::uint8_t ACK_BYTE = 0xA5;       // every command, every program block
inline constexpr std::uint8_t NOT_BLANK_BYTE = 0x5A; // blank check: the target is not blank
inline constexpr std::uint8_t REPEAT_BYTE = 0x43;    // from the PC: send the last read block again

inline constexpr std::uint16_t PING_ANSWER = 0xA5A5;

// Nibble bytes per unit on the wire.
inline constexpr unsigned WORD_NIBBLES = 4;
inline constexpr unsigned BYTE_NIBBLES = 2;

// Program stream: word blocks of an address word and 8 data words, each acknowledged.
inline constexpr unsigned BLOCK_DATA_WORDS = 8;
inline constexpr unsigned BLOCK_NIBBLES = (1 + BLOCK_DATA_WORDS) * WORD_NIBBLES;
inline constexpr std::uint16_t CONFIG_AREA_ADDRESS = 0x2000; // ID words 0x2000-0x2003, configuration word 0x2007
inline constexpr unsigned CONFIG_AREA_WORDS = 8;
inline constexpr std::uint16_t EEPROM_ADDRESS = 0x2100;      // one EEPROM byte per address
inline constexpr std::uint16_t EEPROM_ADDRESS_END = 0x2200;
inline constexpr std::uint16_t CLOSING_BLOCK_ADDRESS = 0xF000;
// An EEPROM entry carries its byte in bits 0-7; bit 8 says the PC has a byte for it at all.
inline constexpr std::uint16_t EEPROM_WRITE_MARK = 0x0100;

// The board stores each character of a version text in its own EEPROM as it arrives, and
// reads nothing more from its FIFO meanwhile. Which microcontroller the board carries is not
// documented; a PIC's data EEPROM takes up to 8 ms a byte (DS35007), and storing as it goes,
// not after the last character, keeps the text longest in the chip's FIFO.
inline constexpr unsigned VERSION_EEPROM_BYTE_MS = 8;

// Read stream: program blocks of 16 words, one configuration block of 8 words, EEPROM blocks
// of 64 bytes; the PC answers each with ACK_BYTE, or REPEAT_BYTE after a short program block.
inline constexpr unsigned READ_PROGRAM_BLOCK_WORDS = 16;
inline constexpr unsigned READ_EEPROM_BLOCK_BYTES = 64;

// What follows a command's acknowledge, for fault injection.
enum class AnswerKind { None, Byte, Word, Text, Stream, Data };

struct CommandInfo {
    std::uint16_t word;
    const char* name;
    AnswerKind answer;
    unsigned answerNibbles; // for Byte, Word and Text answers
};

const CommandInfo* FindCommand(std::uint16_t word);
// By name ("CMD_CONNECT") or by number ("0xA5AC").
const CommandInfo* FindCommand(const std::string& text);

// The PC's command decides how much the read stream carries, whatever chip the board holds.
struct ReadLayout {
    unsigned programBlocks;
    unsigned eepromBlocks;
};
inline constexpr ReadLayout READ_LAYOUT_84A{64, 1};
inline constexpr ReadLayout READ_LAYOUT_877{512, 4};

} // namespace emulator

namespace emulator {

// The parts of both streams, in stream order; the Read stream has no closing block.
enum class StreamPart { Program, Config, Eeprom, Closing };

} // namespace emulator
