#pragma once
// The boards a run works on: the attached boards as the driver lists them, and the ones the
// command line chose among them (--all, or --serial, --description and --device, which may
// repeat).
#include <string>
#include <vector>

#include "cli/ExitCodes.h"
#include "link/LinkHost.h"

class D2xxBinding;

// A board as the driver lists it. The texts are the driver's bytes, handed back to it to open
// the board; Latin1ToUtf8 makes them printable.
struct BoardIdentity {
    int device = -1; // the driver's device number when the run began
    std::string serial;
    std::string description;
};

// Lists every attached board, in device order. EXIT_NO_BOARD when the driver cannot list:
// "FT_ListDevices failed" when it cannot count them, "ListDevices failed" when it cannot name
// them.
Outcome ListBoards(D2xxBinding& driver, std::vector<BoardIdentity>& attached);

// The boards `selections` name among `attached`, in device order; all of them when `all`.
// EXIT_NO_BOARD for --all on an empty bus or for a selection that names no attached board,
// EXIT_USAGE for two selections of the same board.
Outcome ChooseBoards(const std::vector<DeviceSelection>& selections, bool all,
                     const std::vector<BoardIdentity>& attached, std::vector<BoardIdentity>& chosen);

// How a thread reopens its board for every command: by serial number when that names it
// alone (device numbers shift when another board is unplugged), else by device number.
DeviceSelection SelectionOf(const BoardIdentity& board, const std::vector<BoardIdentity>& attached);

// The option that picks `board` among `attached` and will still pick it after a replug: its
// serial number when that is unique, else its description when that is, else its device
// number ("--serial TVRA0001"), in UTF-8.
std::string OptionPicking(const BoardIdentity& board, const std::vector<BoardIdentity>& attached);

// "TVRB0002 (device 3)", or "device 3" for a board without a serial number.
std::string BoardName(const BoardIdentity& board);
