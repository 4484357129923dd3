#pragma once
// The serial counter file (--serial-file) is the journal of the serial numbers: the one record
// that decides which number comes next, and that says which board each number went to.
//
// It is a file of lines that only grows. A line holding a number alone ("1000") sets the next
// number: the file's first line, or one a person appends to skip ahead. Every number given out
// adds a line that reserves it for its board, a JSON object that begins with the number after
// it: {"next":1001,"record":"reserved","serial_number":1000,...,"board":{...}}. The last whole
// line gives the next number. A number is handed to a chip only after its line is on the disk,
// and taking one is a single synced append under an exclusive lock of the file, so that at any
// instant, a kill or a power cut included, each number is either still to be given (in no line)
// or reserved for the board it went to, and two runs or two boards never get the same one.
#include <cstdint>
#include <optional>
#include <string>

#include "cli/ExitCodes.h"
#include "cli/JsonLine.h"

class SerialJournal {
public:
    // `start` creates a missing file whose first number it is; without it a missing file is an
    // error.
    SerialJournal(std::string path, std::optional<std::uint64_t> start);

    // Before any board: creates a missing file (then `created`), refuses a --serial-start
    // beyond the file's next number (skipping numbers is done in the file, where it is
    // recorded), and tells the next number. EXIT_USAGE for a file or start that cannot be
    // used as it is, EXIT_OUTPUT_FILE when the file cannot be created, read or locked.
    Outcome Open(std::uint64_t& next, bool& created);

    // Takes the next number, if it is at most `largest`: appends and syncs its reservation,
    // `facts` (the board, the time, ...) after the number, and only then returns it. Else the
    // file is left as it was: EXIT_USAGE when the numbers have run past the format,
    // EXIT_OUTPUT_FILE when the file cannot be read, locked or written.
    Outcome Take(std::uint64_t largest, const JsonLine& facts, std::uint64_t& number);

    // The line that reserves `number`, without its line feed.
    static std::string Reservation(std::uint64_t number, const JsonLine& facts);

    // The next number the text of a journal gives: that of its last whole line. A last line
    // without a line feed counts only when it is a number alone (typed by a person); anything
    // else there is a reservation cut short, whose number was never given out.
    static std::optional<std::uint64_t> NextNumber(const std::string& text);

private:
    // The next number the file's last bytes give, or why there is none: a last line that is no
    // number, or a number below those given out already.
    Outcome Next(const std::string& tail, std::uint64_t& next) const;
    Outcome Failed(const std::string& step, const std::string& reason) const;

    std::string path_;
    std::optional<std::uint64_t> start_;
};
