#pragma once
// What a run writes down besides what it prints: the production log (--log) and the serial
// journal (--serial-file), and the HEX file the run brings to the boards.
//
// The journal is the authority on serial numbers: a number is reserved there, with its board,
// before the chip gets it. The log then gets a "reserved" line, and an "outcome" line when the
// board is done (status "interrupted" for a board the run stopped). After a kill the journal
// still names every number given out and its board, whatever the log missed.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "cli/CommandLine.h"
#include "cli/ExitCodes.h"
#include "cli/production/ProductionLog.h"
#include "cli/production/SerialJournal.h"

struct BoardResult;
struct BoardRun;
class Reporter;

class RunRecords {
public:
    explicit RunRecords(const Invocation& invocation);

    // Before any board: the log can be appended to (EXIT_OUTPUT_FILE if not).
    Outcome OpenLog();
    // Before any board, once everything else is checked: opens (or creates) the journal and
    // says on standard error which number the run starts at.
    Outcome OpenJournal(const SerialOptions& serial, Reporter& reporter);
    // The HEX file every board gets, as the log names it.
    void SetHexFile(const HexFileFacts& facts) { hexFile_ = facts; }

    // Whether a record will name the board: then a run on one board looks it up first.
    bool NameBoards() const { return log_ || journal_; }

    // Takes the next serial number, at most `largest`, for the board whose work left `result`:
    // its reservation is in the journal, and then in the log, before it is returned.
    Outcome ReserveSerial(const BoardResult& result, std::uint64_t largest, std::uint64_t& number);

    // The board's outcome line in the log; one that cannot be written fails a board that had
    // succeeded, since a production run promises the record.
    void RecordOutcome(BoardRun& run, Reporter& reporter);

private:
    BoardLogEntry Entry(const BoardRun& run) const;

    const Invocation& invocation_;
    std::unique_ptr<ProductionLog> log_;
    std::unique_ptr<SerialJournal> journal_;
    std::optional<HexFileFacts> hexFile_;
};
