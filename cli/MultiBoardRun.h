#pragma once
#include "cli/Commands.h"

struct HexFileFacts;

// Runs `work` on the boards the invocation names and reports the run. One board (the
// usual case) runs as it always has. With --all or a list, every board runs on a thread of
// its own, with its own driver handle, link state and messages, so that one board's failure
// or unplugging leaves the others alone: a line per board as it finishes, then a table of
// all. The exit code is 0 when every board succeeded, else that of the first board, in
// device order, that failed. With --log, each board's line goes to the production log as it
// finishes; `hexFile` is the file the run brings to the boards, if any.
int RunOnBoards(const Invocation& invocation, Reporter& reporter, const BoardWork& work,
                const HexFileFacts* hexFile = nullptr);

// The output file of `read -o FILE` for one board of several: the board's serial number
// before the extension, "back-TVRA0001.hex"; its device number, "back-device2.hex", when it
// has none or shares it with another board.
std::string BoardOutputPath(const std::string& path, const BoardIdentity& board, bool serialIsOwn);
