#pragma once
// The one way a command runs on boards, be it one board or many: the boards are chosen and
// listed as one list, one function runs each board (connect, the command's work, release),
// stops it when the run is interrupted, and records it; then the run is reported.
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/production/BoardList.h"

class RunRecords;

// One board of a run: who it is, how its session opens it, and what it did.
struct BoardRun {
    BoardIdentity board;
    DeviceSelection selection;
    Outcome outcome;
    BoardResult result;
    long long milliseconds = 0;
};

// Runs `work` on the boards the invocation names and reports the run. One board (the usual
// case) reports as a single command: its messages as they come, its result last. With --all
// or a list, every board runs on a thread of its own, with its own driver handle, link state
// and messages, so that one board's failure or unplugging leaves the others alone: a line per
// board as it finishes, then a table of all. The exit code is 0 when every board succeeded,
// EXIT_INTERRUPTED when the run was interrupted, else that of the first board, in device
// order, that failed. `records` writes each board down as it finishes.
int RunOnBoards(const Invocation& invocation, Reporter& reporter, const BoardWork& work, RunRecords& records);
// The same for a command whose only record is the production log, if --log asks for one.
int RunOnBoards(const Invocation& invocation, Reporter& reporter, const BoardWork& work);

// The output file of `read -o FILE` for one board of several: `tag` (the board's serial
// number, or "device2") before the extension, "back-TVRA0001.hex".
std::string BoardOutputPath(const std::string& path, const std::string& tag);

// The file-name tags of the boards of one run: each board's serial number with what is not
// safe in a file name replaced, or "deviceN" for a board without one or whose tag would be
// the same as another's when case is ignored (file systems that ignore case would make the
// two one file). No two tags of one run are the same, case ignored.
std::vector<std::string> FileTags(const std::vector<BoardIdentity>& boards);
