#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "emulator/Fault.h"
#include "emulator/FirmwareCommands.h"

namespace emulator {

class Board;
class FaultSet;

// The program of the download microcontroller: it collects nibble bytes from the FIFO into
// command words, answers them, and runs the program and read streams against the target chip.
// Every reply passes the faults in force on its way out.
class DownloadFirmware {
public:
    DownloadFirmware(Board& board, FaultSet& faults);

    // Back to waiting for a command word, as after power-up. Whether opening the device
    // gets there too is not known of a real board: by default the emulator resets the
    // firmware on every open, which every operation of the program does first; a bus with
    // "firmware = keeps-state" resets it only on power-up (plugging the board in).
    void Reset();

    // Waiting for a command word, with nothing of one received.
    bool Idle() const { return state_ == State::Command && unit_.empty(); }
    // Where the firmware stands, as one line of words for a state file, and back; Restore
    // refuses a line it cannot take and leaves the firmware as it was.
    std::string Describe() const;
    bool Restore(const std::string& line);

    // Bytes written by the PC at `now`.
    void Receive(const std::uint8_t* bytes, std::size_t count, std::uint64_t now);

    // What a write of these bytes would be to the firmware in its present state: a command
    // word, the start of a program block, or the PC's reply to a read block.
    std::optional<Trigger> WriteTrigger(const std::uint8_t* bytes, std::size_t count) const;

private:
    enum class State { Command, VersionText, ProgramStream, ReadStream };

    std::size_t UnitSize() const;
    void HandleUnit(std::uint64_t now);
    bool Acknowledge(std::uint16_t word, std::uint64_t now);
    void RunCommand(std::uint16_t word, std::uint64_t now);
    void SendAnswer(const CommandInfo& command, std::vector<std::uint8_t> bytes, std::uint64_t now);
    void StoreVersionText();
    void ProgramBlock(std::uint64_t now);
    void SendBlockAcknowledge(const Trigger& trigger, std::uint64_t now);
    void ReadReply(std::uint64_t now);
    void SendReadBlock(std::uint64_t now);
    std::vector<std::uint8_t> ReadBlockBytes() const;
    unsigned ReadPartBlocks(StreamPart part) const;

    Trigger CommandTrigger(std::uint16_t word, Moment at) const;
    Trigger StreamTrigger(StreamKind stream, StreamPart part, unsigned block) const;
    std::optional<Fault> Fire(FaultKind kind, const Trigger& trigger);

    static std::vector<std::uint8_t> Nibbles(unsigned value, unsigned count);
    void Send(std::vector<std::uint8_t> bytes, std::uint64_t arrival);

    Board& board_;
    FaultSet& faults_;
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
