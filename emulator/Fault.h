#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "emulator/FirmwareCommands.h"

namespace emulator {

enum class FaultKind {
    // The acknowledge of a command word.
    AckWrong, AckShort, AckMissing, AckLate, AckBytes,
    // What follows the acknowledge (ping word, texts, processor word, blank and erase answers).
    AnswerWrong, AnswerShort, AnswerMissing, AnswerLate, AnswerZero, AnswerBytes,
    // The program stream's acknowledge after a word block.
    BlockAckWrong, BlockAckShort, BlockAckMissing, BlockAckLate,
    // A block of the read stream.
    BlockShort,
    // The link itself.
    Unplug, ReadFails, WriteFails, WriteShort, HighNibbles,
    // A test's hold on a board at a chosen moment.
    Hold,
    // The bus as the driver lists it.
    CountFails, ListFails, ListPastNull, BoardAppears, Boards, TimeoutsFail,
};

// Where a fault waits: at every call (or every board output, or listing call), at a command
// word, or at a block of a stream.
enum class Where { Call, Command, Stream };
// The moment of a command a fault aims at: its acknowledge, the answer after it, the write of
// the command word itself, or the PC's data write after it (the version text).
enum class Moment { Ack, Answer, CommandWrite, DataWrite };
enum class StreamKind { Program, Read };

// One occasion on which faults may fire.
struct Trigger {
    int board = -1; // -1: a bus-wide occasion such as a listing call
    Where where = Where::Call;
    int command = -1;
    Moment at = Moment::Ack;
    StreamKind stream = StreamKind::Program;
    StreamPart part = StreamPart::Program;
    unsigned block = 0;
};

// An occasion that comes with every call: every read, every write, every listing call.
inline Trigger CallTrigger(int board)
{
    Trigger trigger;
    trigger.board = board;
    return trigger;
}

struct Fault {
    FaultKind kind = FaultKind::AckWrong;
    std::string text; // as written, for messages
    int board = -1;   // -1: every board
    Where where = Where::Call;
    int command = -1; // -1: any command
    Moment at = Moment::Ack;
    StreamKind stream = StreamKind::Program;
    std::optional<StreamPart> part;  // none: any part
    std::optional<unsigned> block;   // none: any block
    unsigned value = 0;
    std::optional<unsigned> count;   // bytes left of a short answer or block
    unsigned delay = 0;              // milliseconds
    std::vector<std::uint8_t> bytes; // replacement bytes
    std::string file;                // hold: the marker file, "{serial}" standing for the board's
    unsigned skip = 0;               // occasions to let pass first
    std::optional<unsigned> times;   // occasions to fire on; none: every one

    bool Matches(const Trigger& trigger) const;
};

// Parses "name key=value ..." (a leading "fault =" is allowed, as in a configuration file).
// `defaultBoard` applies when the text names no board.
bool ParseFault(const std::string& text, int defaultBoard, Fault& fault, std::string& error);

} // namespace emulator
