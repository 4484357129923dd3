#pragma once
// The download microcontroller's command set: command words, one-byte answers, stream
// addresses, and the time-outs and pauses the PC applies around them.
#include <cstdint>

// Every command word carries 0xA5 in its high byte; the low byte selects the command.
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

// The answer to CMD_PING; not a command word itself.
inline constexpr std::uint16_t PING_ANSWER = 0xA5A5;

// One-byte values, each sent as two nibble bytes.
inline constexpr std::uint8_t ACK_BYTE = 0xA5;       // acknowledge; "blank"; "erased"
inline constexpr std::uint8_t NOT_BLANK_BYTE = 0x5A; // blank check: target not blank
inline constexpr std::uint8_t REPEAT_BYTE = 0x43;    // read stream: send that block again

// Fixed lengths on the wire, in nibble bytes.
inline constexpr int WORD_NIBBLES = 4;
inline constexpr int BYTE_NIBBLES = 2;
inline constexpr int VERSION_TEXT_LENGTH = 16;  // characters
inline constexpr int REVISION_TEXT_LENGTH = 4;  // characters

// Program stream: an address word and 8 data words per block, acknowledged by the board.
inline constexpr int WORDS_PER_PROGRAM_BLOCK = 8;
inline constexpr int PROGRAM_BLOCK_NIBBLES = (1 + WORDS_PER_PROGRAM_BLOCK) * WORD_NIBBLES; // 36
inline constexpr std::uint16_t PROGRAM_CONFIG_ADDRESS = 0x2000;
inline constexpr std::uint16_t PROGRAM_EEPROM_ADDRESS = 0x2100;
inline constexpr std::uint16_t PROGRAM_CLOSING_ADDRESS = 0xF000;

// Read stream: program blocks of 16 words, one configuration block of 8 words, EEPROM blocks
// of 64 bytes.
inline constexpr int READ_PROGRAM_BLOCK_WORDS = 16;
inline constexpr int READ_PROGRAM_BLOCK_BYTES = READ_PROGRAM_BLOCK_WORDS * WORD_NIBBLES; // 64
inline constexpr int READ_CONFIG_WORDS = 8;
inline constexpr int READ_CONFIG_BLOCK_BYTES = READ_CONFIG_WORDS * WORD_NIBBLES;          // 32
inline constexpr int READ_EEPROM_BLOCK_VALUES = 64;
inline constexpr int READ_EEPROM_BLOCK_BYTES = READ_EEPROM_BLOCK_VALUES * BYTE_NIBBLES;   // 128

// Driver time-outs in milliseconds; read and write are always set alike.
inline constexpr unsigned TIMEOUT_COMMAND_MS = 1000;   // exchanges opened first, version request
inline constexpr unsigned TIMEOUT_REVISION_MS = 200;
inline constexpr unsigned TIMEOUT_READ_STREAM_MS = 200;
inline constexpr unsigned TIMEOUT_BLANK_CHECK_MS = 2000;
inline constexpr unsigned TIMEOUT_BULK_ERASE_MS = 5000; // the erase itself takes seconds

// Fixed pauses in milliseconds: the download microcontroller polls the FIFO between tasks
// and needs these gaps to be ready for the next word.
inline constexpr unsigned PAUSE_BEFORE_COMMAND_MS = 20;
inline constexpr unsigned PAUSE_BEFORE_REQUEST_MS = 10;   // revision, version, processor
inline constexpr unsigned PAUSE_AFTER_VERSION_MS = 10;
inline constexpr unsigned PAUSE_BETWEEN_PINGS_MS = 10;
inline constexpr unsigned PAUSE_BETWEEN_CONNECTS_MS = 30;
inline constexpr unsigned PAUSE_AROUND_READ_MS = 100;     // before a read or verify stream
