#pragma once
// The commands of quillet. Each runs the operations of the core as the window's handler of
// the same name does, and ends with one outcome through the Reporter.
#include <cstdint>
#include <functional>
#include <optional>

#include "cli/BoardList.h"
#include "cli/CommandLine.h"
#include "cli/ExitCodes.h"
#include "cli/JsonLine.h"

class BoardSession;
class Reporter;

// Runs the command the invocation names; returns the exit code.
int RunCommand(const Invocation& invocation);

// What work on a board leaves besides its outcome.
struct BoardResult {
    const BoardIdentity* board = nullptr;      // the board, in a run on several boards
    bool serialIsOwn = false;                  // no other board on the bus has the board's serial number
    std::string processor;                     // the processor worked with, once connected
    JsonLine fields;                           // for the JSON result
    std::optional<int> configWord;             // the configuration word written
    std::optional<std::uint64_t> serialNumber; // the serial number written or checked
};

// Work on a connected board, reporting through `reporter` (the board's own in a run on
// several boards): the outcome, and what it leaves in `result`.
using BoardWork = std::function<Outcome(BoardSession& session, Reporter& reporter, BoardResult& result)>;

// After a board's work: the board, its outcome (which a failure to record may change) and
// what the work left.
using BoardRecorder = std::function<void(BoardSession& session, Outcome& outcome, const BoardResult& result)>;

// Connects to the chosen board, runs `work`, releases the board, hands everything to
// `record` (if any) and reports the outcome.
int RunOnBoard(const Invocation& invocation, Reporter& reporter, const BoardWork& work,
               const BoardRecorder& record = {});

int RunList(const Invocation& invocation, Reporter& reporter);
int RunInfo(const Invocation& invocation, Reporter& reporter);
int RunBlankCheck(const Invocation& invocation, Reporter& reporter);
int RunErase(const Invocation& invocation, Reporter& reporter);
int RunWriteVersion(const Invocation& invocation, Reporter& reporter);
int RunProgram(const Invocation& invocation, Reporter& reporter);
int RunVerify(const Invocation& invocation, Reporter& reporter);
int RunRead(const Invocation& invocation, Reporter& reporter);
int RunView(const Invocation& invocation, Reporter& reporter);
int RunVersion(const Invocation& invocation, Reporter& reporter);
