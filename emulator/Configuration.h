#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "emulator/ChipProfile.h"

namespace emulator {

// Texts the download firmware keeps: the version text in its EEPROM (written by the PC),
// the revision text in its own code.
inline constexpr std::size_t VERSION_TEXT_LENGTH = 16;
inline constexpr std::size_t REVISION_TEXT_LENGTH = 4;
// FT_ListDevices hands out 64-byte buffers, so longer identities could never be listed.
inline constexpr std::size_t IDENTITY_TEXT_LIMIT = 63;
inline constexpr int BOARD_LIMIT = 128;

// The processor answer is a word whose bits 10-11 name the processor. By default the board
// reports the device ID of the chip it carries; these stand for the other answers.
inline constexpr int PROCESSOR_ANSWER_OF_CHIP = -1;
inline constexpr int PROCESSOR_ANSWER_NONE = 0x0000;      // no target answering: bits 10-11 = 0
inline constexpr int PROCESSOR_ANSWER_UNCHANGED = 0x3FFF; // lines floating high: bits 10-11 = 3

using VersionText = std::array<std::uint8_t, VERSION_TEXT_LENGTH>;
using RevisionText = std::array<std::uint8_t, REVISION_TEXT_LENGTH>;

struct BoardSettings {
    std::string serial;
    std::string description;
    ChipKind chip = ChipKind::Pic16F84A;
    int processorAnswer = PROCESSOR_ANSWER_OF_CHIP;
    VersionText version{};
    RevisionText revision{};
    bool attached = true;
    std::string statePath; // empty: the chip and version text live only as long as the process
    // Whether the download firmware stays in the middle of a command or stream when the
    // device is opened again (and, with a state file, between runs); else opening resets it.
    bool firmwareKeepsState = false;
};

// A fault line as written; it is checked when parsed and applied when the bus is built.
struct FaultLine {
    std::string text;
    int board; // the board section it stands in, or -1 outside any section
    int line;
};

// The longest frame or latency the USB model takes, in milliseconds.
inline constexpr unsigned USB_COST_LIMIT = 60000;
// The USB test bed's time scale: at most a hundred times as fast or as slow as real time.
inline constexpr double TIME_SCALE_MIN = 0.01;
inline constexpr double TIME_SCALE_MAX = 100;

struct BusSettings {
    std::optional<bool> simulatedTime;
    std::optional<bool> usbCost;
    std::optional<unsigned> usbFrame;   // milliseconds
    std::optional<unsigned> usbLatency; // milliseconds
    std::optional<std::string> tracePath;
    std::optional<bool> firmwareKeepsState; // set in every board's settings by the parser
    // Whether the chip takes FTDI's event character request (undocumented for the FT8U245AM):
    // the USB test bed stalls it when refused (the default) and the cost model counts on it
    // when honoured.
    std::optional<bool> eventCharacterHonoured;
    // The USB test bed's model runs this many times as slow as real time (0.1: ten times as
    // fast); every delay it models scales alike.
    std::optional<double> timeScale;
    std::vector<BoardSettings> boards;
    std::vector<FaultLine> faults;
};

// Board `index` of the standard bus: even positions carry a 16F84A on a TVR-IOA board,
// odd positions a 16F877 on a TVR-IOB board, numbered in pairs: TVRA0001, TVRB0001,
// TVRA0002, ...
BoardSettings StandardBoard(int index);

// Parses configuration text (the format of emulator/README.md). Returns 0 on success,
// otherwise the number of the first bad line, with `error` saying what is wrong there.
int ParseConfiguration(const std::string& text, BusSettings& settings, std::string& error);

// "chip", "16F84A", "16F877", "none", "unchanged" or a number such as 0x0560.
std::optional<int> ProcessorAnswerByName(const std::string& name);

// Texts shorter than their field are padded with 0, which ends them on the wire.
template <std::size_t N>
std::array<std::uint8_t, N> FixedText(const std::string& text)
{
    std::array<std::uint8_t, N> field{};
    for (std::size_t i = 0; i < N && i < text.size(); ++i)
        field[i] = static_cast<std::uint8_t>(text[i]);
    return field;
}

} // namespace emulator
