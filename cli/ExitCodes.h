#pragma once
// The exit status of quillet. Scripts and production benches branch on these, so each
// outcome that calls for a different reaction has a code of its own, and a code never
// changes its meaning. 1 is left unused: a crash or a killed run must not pass for an
// outcome of the program.
#include <string>
#include <utility>

enum ExitCode : int {
    EXIT_OK = 0,
    EXIT_USAGE = 2,            // the command line, or a value on it, was refused
    EXIT_HEX_FILE = 3,         // the HEX file is missing, unreadable, corrupt or too large
    EXIT_NO_BOARD = 4,         // no board opened or answered, or the link was lost on the way
    EXIT_NOT_BLANK = 5,        // the target is not blank (and Program was not to erase it)
    EXIT_ERASE_FAILED = 6,     // the board answered the bulk erase with a failure
    EXIT_VERIFY_DIFFERS = 7,   // the target was read completely and differs from the file
    EXIT_PROGRAM_FAILED = 8,   // the board refused a block of the program stream
    EXIT_OUTPUT_FILE = 9,      // the HEX file of read -o could not be written
    EXIT_NO_DRIVER = 10,       // the D2XX driver library is missing or incomplete
    // Ctrl-C or a termination request stopped the run before every board was done: 128 plus
    // SIGINT's number, as a shell reports a run ended by Ctrl-C, for SIGTERM too.
    EXIT_INTERRUPTED = 130,
};

// The name of a code in the "status" field of a JSON result: "ok", "usage", ...
const char* ExitCodeName(int code);

// What a command ends with: its exit code and the one text that says why; for a failure,
// optionally a line of context after it: what was tried and what to do next.
struct Outcome {
    Outcome() = default;
    Outcome(int code, std::string text, std::string context = {})
        : exitCode(code), message(std::move(text)), hint(std::move(context))
    {
    }

    int exitCode = EXIT_OK;
    std::string message;
    std::string hint;
};
