#pragma once
#include <optional>
#include <string>
#include <vector>

#include "cli/production/SerialNumber.h"

#include "image/ProcessorProfile.h"
#include "link/LinkHost.h"

// The configuration options given on the command line. An option left out keeps what the
// HEX file's configuration record, or else the window's default, says.
struct ConfigSwitches {
    std::optional<int> codeProtection; // a CodeProtection value
    std::optional<bool> watchdogTimer;
    std::optional<bool> powerUpTimer;
    std::optional<bool> brownOutReset;
    std::optional<bool> programMemoryWrite;
    std::optional<bool> eepromProtect;
    std::optional<bool> inCircuitDebugger;
};

// One run of quillet as the command line asks for it.
struct Invocation {
    std::string command; // "list", "info", "blank-check", "erase", "program", ...
    bool json = false;

    // The board, chosen as the window's Open-by radios do: device number 0 unless told.
    DeviceSelection selection{2, "0"};
    bool boardChosen = false; // --serial, --description or --device was given
    std::optional<TargetProcessor> processor; // --processor; else the board's answer
    // Every board named, in the order given (`selection` is the first), or --all: with more
    // than one board, each runs on a thread of its own.
    std::vector<DeviceSelection> boards;
    bool allBoards = false;
    std::string logPath; // --log: the production log
    SerialOptions serial;

    std::string file;        // program, verify, view
    std::string output;      // read -o; empty: print the listing
    std::string versionText; // write-version, as typed (UTF-8)
    bool autoErase = false;
    // program: read each chip back and compare it (--verify, --no-verify); unset, a run on
    // several boards does and a run on one does not, as the window's Program does not.
    std::optional<bool> verifyAfterProgram;
    bool yesProtect = false;
    ConfigSwitches config;
};

// True when the run works on several boards (or may: --all), each on its own thread.
inline bool SeveralBoards(const Invocation& invocation)
{
    return invocation.allBoards || invocation.boards.size() > 1;
}

// Parses the command line into `invocation`. Returns -1 when the command is to run;
// otherwise the run is over and the result is its exit code: 0 after --help, EXIT_USAGE
// after a message about what was wrong.
int ParseCommandLine(int argc, char** argv, Invocation& invocation);

// "quillet (Quillet1) 1.0": what --version and the version command print.
std::string VersionText();
