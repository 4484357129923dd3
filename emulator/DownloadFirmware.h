#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "emulator/FirmwareCommands.h"

namespace emulator {

class Board;

// The program of the download microcontroller: it collects nibble bytes from the FIFO into
// command words, answers them, and runs the program and read streams against the target chip.
class DownloadFirmware {
public:
    explicit DownloadFirmware(Board& board);

    // Back to waiting for a command word, as after power-up. A real board's firmware gives
    // up a stalled stream on its own time-out; the emulator does so when the device is
    // opened again, which every operation of the program does first.
    void Reset();

    // Bytes written by the PC at `now`.
    void Receive(const std::uint8_t* bytes, std::size_t count, std::uint64_t now);

private:
    enum class State { Command, VersionText, ProgramStream, ReadStream };

    std::size_t UnitSize() const;
    void HandleUnit(std::uint64_t now);
    void RunCommand(std::uint16_t word, std::uint64_t now);
    void StoreVersionText();
    void ProgramBlock(std::uint64_t now);
    void ReadReply(std::uint64_t now);
    void SendReadBlock(std::uint64_t now);
    std::vector<std::uint8_t> ReadBlockBytes() const;
    unsigned ReadPartBlocks(StreamPart part) const;

    void SendByte(std::uint8_t value, std::uint64_t now);
    void SendWord(std::uint16_t word, std::uint64_t now);
    void SendText(const std::uint8_t* characters, std::size_t length, std::uint64_t now);
    void Send(const std::vector<std::uint8_t>& bytes, std::uint64_t now);

    Board& board_;
    State state_ = State::Command;
    std::vector<std::uint8_t> unit_;

    // Program stream: blocks received so far in each part.
    std::array<unsigned, 4> programBlocks_{};

    // Read stream: the block last sent, waiting for the PC's ACK_BYTE or REPEAT_BYTE.
    ReadLayout layout_ = READ_LAYOUT_84A;
    StreamPart readPart_ = StreamPart::Program;
    unsigned readBlock_ = 0;
};

} // namespace emulator
