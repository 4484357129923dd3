#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "cli/ExitCodes.h"

// The counter file that hands out serial numbers: one decimal number, the next one to give,
// on a line of its own. Every taking locks the file (flock), reads it, writes the number
// after it and syncs it to the disk before the lock goes, so that two runs, or the boards
// of one run, never get the same number, and a number once given is never given again,
// whatever happens to the chip it went to.
class SerialCounter {
public:
    // `start` creates a missing file holding it; without it a missing file is an error.
    SerialCounter(std::string path, std::optional<std::uint64_t> start);

    // Empty when the file can be used (it exists, or `start` can create it, and holds a
    // number); otherwise why not, for the user. Changes nothing.
    std::string Check() const;

    // Takes the next number, if it is at most `largest`: the file then holds the one after
    // it. Else the file is left as it was: EXIT_USAGE when the numbers have run past the
    // format, EXIT_OUTPUT_FILE when the file cannot be read, locked or written.
    Outcome Take(std::uint64_t largest, std::uint64_t& number);

private:
    std::string path_;
    std::optional<std::uint64_t> start_;
};
