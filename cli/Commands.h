#pragma once
// The commands of quillet. Each runs the operations of the core as the window's handler of
// the same name does, and ends with one outcome through the Reporter.
#include <functional>

#include "cli/CommandLine.h"
#include "cli/ExitCodes.h"
#include "cli/JsonLine.h"

class BoardSession;
class Reporter;

// Runs the command the invocation names; returns the exit code.
int RunCommand(const Invocation& invocation);

// Work on a connected board: the outcome, and fields for the JSON result.
using BoardWork = std::function<Outcome(BoardSession& session, JsonLine& fields)>;

// Connects to the chosen board, runs `work`, releases the board and reports the outcome.
int RunOnBoard(const Invocation& invocation, Reporter& reporter, const BoardWork& work);

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
