#include "cli/production/RunRecords.h"

#include <chrono>

#include "cli/Reporter.h"
#include "cli/production/BoardRun.h"
#include "cli/production/Interruption.h"

RunRecords::RunRecords(const Invocation& invocation) : invocation_(invocation)
{
}

Outcome RunRecords::OpenLog()
{
    if (invocation_.logPath.empty())
        return {};
    log_ = std::make_unique<ProductionLog>(invocation_.logPath);
    if (const std::string failure = log_->Check(); !failure.empty())
        return {EXIT_OUTPUT_FILE, failure};
    return {};
}

Outcome RunRecords::OpenJournal(const SerialOptions& serial, Reporter& reporter)
{
    journal_ = std::make_unique<SerialJournal>(serial.counterPath, serial.start);
    std::uint64_t next = 0;
    bool created = false;
    if (Outcome opened = journal_->Open(next, created); opened.exitCode != EXIT_OK)
        return opened;
    const std::string number = std::to_string(next);
    const std::string note = created ? "created the serial counter file " + serial.counterPath +
                                           "; the first serial number is " + number
                                     : "the serial counter file " + serial.counterPath + " gives " + number +
                                           " as the next serial number";
    // A script reading --json is told too: a new journal may mean a path gone wrong.
    if (reporter.Json())
        reporter.Emit(JsonLine().Add("type", "message").Add("text", note));
    else
        reporter.Note(note);
    return {};
}

BoardLogEntry RunRecords::Entry(const BoardRun& run) const
{
    BoardLogEntry entry;
    entry.operation = invocation_.command;
    entry.board = run.board;
    entry.processor = run.result.processor;
    entry.hexFile = hexFile_ ? &*hexFile_ : nullptr;
    entry.configWord = run.result.configWord;
    entry.serialNumber = run.result.serialNumber;
    entry.verified = run.result.verified;
    entry.outcome = run.outcome;
    entry.milliseconds = run.milliseconds;
    return entry;
}

Outcome RunRecords::ReserveSerial(const BoardResult& result, std::uint64_t largest, std::uint64_t& number)
{
    // An interrupted run starts nothing new: no number for a chip that will not be written.
    if (InterruptionRequested())
        return {EXIT_INTERRUPTED, "Interrupted before this board was done."};
    BoardLogEntry entry;
    entry.record = "reserved";
    entry.operation = invocation_.command;
    entry.board = *result.board;
    entry.processor = result.processor;
    entry.hexFile = hexFile_ ? &*hexFile_ : nullptr;
    const Outcome taken = journal_->Take(largest, ProductionLog::Facts(entry, std::chrono::system_clock::now()), number);
    if (taken.exitCode != EXIT_OK || !log_)
        return taken;
    // The journal has the number and its board already; a log that cannot take the line is
    // reported with the board's outcome, when its line fails too.
    entry.serialNumber = number;
    log_->Append(entry);
    return taken;
}

void RunRecords::RecordOutcome(BoardRun& run, Reporter& reporter)
{
    if (!log_)
        return;
    if (const std::string failure = log_->Append(Entry(run)); !failure.empty()) {
        reporter.Warn(failure);
        if (run.outcome.exitCode == EXIT_OK)
            run.outcome = {EXIT_OUTPUT_FILE, failure};
    }
}
