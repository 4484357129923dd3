#pragma once
// The commands of quillet. Each runs the operations of the core as the window's handler of
// the same name does, and ends with one outcome through the Reporter.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "cli/production/BoardList.h"
#include "cli/CommandLine.h"
#include "cli/ExitCodes.h"
#include "cli/JsonLine.h"

class BoardSession;
class Reporter;

// Runs the command the invocation names; returns the exit code.
int RunCommand(const Invocation& invocation);

// What work on a board leaves besides its outcome.
struct BoardResult {
    const BoardIdentity* board = nullptr;      // the board, as far as the run could tell
    std::string fileTag;                       // in a run on several boards: its part of an output file's name
    std::string processor;                     // the processor worked with, once connected
    JsonLine fields;                           // for the JSON result
    std::optional<int> configWord;             // the configuration word written
    std::optional<std::uint64_t> serialNumber; // the serial number written or checked
    std::optional<bool> verified;              // program --verify: the chip read back the same
};

// Work on a connected board, reporting through `reporter` (the board's own in a run on
// several boards): the outcome, and what it leaves in `result`.
using BoardWork = std::function<Outcome(BoardSession& session, Reporter& reporter, BoardResult& result)>;

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
