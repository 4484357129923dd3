#include "cli/MultiBoardRun.h"

#include <cctype>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>

#include "cli/BoardSession.h"
#include "cli/ProductionLog.h"
#include "cli/Reporter.h"
#include "cli/Utf8.h"
#include "link/DeviceSelection.h"
#include "link/MessageSink.h"

namespace {

using SteadyClock = std::chrono::steady_clock;

long long MillisecondsSince(SteadyClock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - start).count();
}

// One board of a run, as the summary and the log need it.
struct BoardRun {
    BoardIdentity board;
    Outcome outcome;
    BoardResult result;
    long long milliseconds = 0;
};

class SilentSink : public MessageSink {
public:
    void ShowMessage(const std::string&) override {}
};

// The board a single selection names, for the log: looked up in the driver's list before the
// run; what the selection says when the board cannot be listed (the run then says why).
BoardIdentity IdentifyBoard(const DeviceSelection& selection)
{
    BoardIdentity identity;
    if (selection.openMethod == OPEN_BY_SERIAL_NUMBER)
        identity.serial = selection.searchText;
    else if (selection.openMethod == OPEN_BY_DESCRIPTION)
        identity.description = selection.searchText;
    else
        identity.device = DeviceNumberOf(selection.searchText);
    SilentSink silent;
    D2xxBinding driver(silent);
    std::vector<BoardIdentity> attached;
    std::vector<BoardIdentity> chosen;
    if (driver.LoadDriver() == 0 && ListBoards(driver, attached).exitCode == EXIT_OK &&
        ChooseBoards({selection}, false, attached, chosen).exitCode == EXIT_OK)
        return chosen.front();
    return identity;
}

// Appends the board's line to the log; a line that could not be written fails a board that
// had succeeded, since a production run promises the record.
void Record(ProductionLog* log, const Invocation& invocation, const HexFileFacts* hexFile, BoardRun& run,
            Reporter& reporter)
{
    if (!log)
        return;
    BoardLogEntry entry;
    entry.operation = invocation.command;
    entry.board = run.board;
    entry.processor = run.result.processor;
    entry.hexFile = hexFile;
    entry.configWord = run.result.configWord;
    entry.serialNumber = run.result.serialNumber;
    entry.outcome = run.outcome;
    entry.milliseconds = run.milliseconds;
    if (const std::string failure = log->Append(entry); !failure.empty()) {
        reporter.Warn(failure);
        if (run.outcome.exitCode == EXIT_OK)
            run.outcome = {EXIT_OUTPUT_FILE, failure};
    }
}

JsonLine BoardFields(const BoardIdentity& board)
{
    return JsonLine().Add("device", board.device).Add("serial", Latin1ToUtf8(board.serial));
}

// A finished board: its held lines and its result line, or its JSON object, in one piece.
void ReportBoard(const BoardRun& run, Reporter& boardReporter, bool json, std::mutex& output)
{
    const std::lock_guard lock(output);
    if (json) {
        JsonLine line;
        line.Add("type", "board")
            .Append(BoardFields(run.board))
            .Add("description", Latin1ToUtf8(run.board.description))
            .Add("exit_code", run.outcome.exitCode)
            .Add("status", ExitCodeName(run.outcome.exitCode))
            .Add("message", run.outcome.message);
        if (!run.outcome.hint.empty())
            line.Add("hint", run.outcome.hint);
        line.Add("milliseconds", run.milliseconds)
            .Append(run.result.fields);
        std::printf("%s\n", line.Text().c_str());
        std::fflush(stdout);
        return;
    }
    const std::string name = BoardName(run.board);
    const std::string failed = "quillet: " + name + ": " + run.outcome.message;
    for (const Reporter::HeldLine& held : boardReporter.TakeHeld()) {
        // The message the board ended with is its result line below.
        if (held.error && held.text == failed && run.outcome.exitCode != EXIT_OK)
            continue;
        std::fprintf(held.error ? stderr : stdout, "%s\n", held.text.c_str());
    }
    if (run.outcome.exitCode == EXIT_OK)
        std::printf("%s: %s\n", name.c_str(), run.outcome.message.empty() ? "done" : run.outcome.message.c_str());
    else
        std::fprintf(stderr, "%s\n", failed.c_str());
    if (run.outcome.exitCode != EXIT_OK && !run.outcome.hint.empty())
        std::fprintf(stderr, "quillet: %s: %s\n", name.c_str(), run.outcome.hint.c_str());
    std::fflush(stdout);
    std::fflush(stderr);
}

void RunBoard(const Invocation& invocation, const BoardWork& work, const std::vector<BoardIdentity>& attached,
              ProductionLog* log, const HexFileFacts* hexFile, std::mutex& output, BoardRun& run)
{
    const SteadyClock::time_point started = SteadyClock::now();
    Reporter reporter(invocation.command, invocation.json);
    reporter.ForBoard(BoardFields(run.board), BoardName(run.board), output);
    const DeviceSelection selection = SelectionOf(run.board, attached);
    BoardSession session(reporter, selection, invocation.processor);
    run.result.board = &run.board;
    run.result.serialIsOwn = selection.openMethod == OPEN_BY_SERIAL_NUMBER;
    run.outcome = session.Connect();
    if (run.outcome.exitCode == EXIT_OK) {
        run.result.processor = GetProcessorProfile(session.Processor()).name;
        run.result.fields.Add("processor", run.result.processor);
        run.outcome = work(session, reporter, run.result);
        session.Disconnect();
    }
    run.milliseconds = MillisecondsSince(started);
    Record(log, invocation, hexFile, run, reporter);
    ReportBoard(run, reporter, invocation.json, output);
}

// The table after the boards: one row each, in device order, and the run's exit code.
int Summarize(const Invocation& invocation, Reporter& reporter, const std::vector<BoardRun>& runs)
{
    const BoardRun* firstFailure = nullptr;
    std::size_t failures = 0;
    for (const BoardRun& run : runs) {
        if (run.outcome.exitCode != EXIT_OK) {
            failures += 1;
            if (!firstFailure)
                firstFailure = &run;
        }
    }
    const bool numbers = invocation.serial.enabled;
    reporter.Print(std::string("Board  Serial            Processor  Result          Time") + (numbers ? "      Number" : ""));
    std::string boards;
    for (const BoardRun& run : runs) {
        char row[200];
        std::snprintf(row, sizeof row, "%-6d %-17s %-10s %-15s %5.1f s", run.board.device,
                      Latin1ToUtf8(run.board.serial).c_str(),
                      run.result.processor.empty() ? "-" : run.result.processor.c_str(),
                      ExitCodeName(run.outcome.exitCode), static_cast<double>(run.milliseconds) / 1000.0);
        std::string line = row;
        if (numbers)
            line += "  " + (run.result.serialNumber ? std::to_string(*run.result.serialNumber) : std::string("-"));
        reporter.Print(line);
        if (!boards.empty())
            boards += ',';
        boards += BoardFields(run.board)
                      .Add("exit_code", run.outcome.exitCode)
                      .Add("status", ExitCodeName(run.outcome.exitCode))
                      .Text();
    }
    const std::string count = std::to_string(runs.size());
    Outcome outcome{EXIT_OK, "All " + count + " boards succeeded."};
    if (firstFailure)
        outcome = {firstFailure->outcome.exitCode, std::to_string(failures) + " of " + count +
                                                       " boards failed; the exit code is that of " +
                                                       BoardName(firstFailure->board) + "."};
    return reporter.Finish(outcome, JsonLine().AddRaw("boards", "[" + boards + "]"));
}

int RunSeveral(const Invocation& invocation, Reporter& reporter, const BoardWork& work, ProductionLog* log,
               const HexFileFacts* hexFile)
{
    std::vector<BoardIdentity> attached;
    std::vector<BoardIdentity> chosen;
    {
        BoardSession lister(reporter, invocation.selection, invocation.processor);
        if (Outcome loaded = lister.LoadDriver(); loaded.exitCode != EXIT_OK)
            return reporter.Finish(loaded);
        if (Outcome listed = ListBoards(lister.Driver(), attached); listed.exitCode != EXIT_OK)
            return reporter.Finish(listed);
    }
    if (Outcome picked = ChooseBoards(invocation.boards, invocation.allBoards, attached, chosen);
        picked.exitCode != EXIT_OK)
        return reporter.Finish(picked);

    std::mutex output;
    std::vector<BoardRun> runs(chosen.size());
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < chosen.size(); ++i) {
        runs[i].board = chosen[i];
        threads.emplace_back(RunBoard, std::cref(invocation), std::cref(work), std::cref(attached), log, hexFile,
                             std::ref(output), std::ref(runs[i]));
    }
    for (std::thread& thread : threads)
        thread.join();
    return Summarize(invocation, reporter, runs);
}

} // namespace

int RunOnBoards(const Invocation& invocation, Reporter& reporter, const BoardWork& work,
                const HexFileFacts* hexFile)
{
    std::unique_ptr<ProductionLog> log;
    if (!invocation.logPath.empty()) {
        log = std::make_unique<ProductionLog>(invocation.logPath);
        if (const std::string failure = log->Check(); !failure.empty())
            return reporter.Finish({EXIT_OUTPUT_FILE, failure});
    }
    if (SeveralBoards(invocation))
        return RunSeveral(invocation, reporter, work, log.get(), hexFile);
    if (!log)
        return RunOnBoard(invocation, reporter, work);

    BoardRun run;
    run.board = IdentifyBoard(invocation.selection);
    const SteadyClock::time_point started = SteadyClock::now();
    return RunOnBoard(invocation, reporter, work,
                      [&](BoardSession&, Outcome& outcome, const BoardResult& result) {
                          run.outcome = outcome;
                          run.result.processor = result.processor;
                          run.result.configWord = result.configWord;
                          run.result.serialNumber = result.serialNumber;
                          run.milliseconds = MillisecondsSince(started);
                          Record(log.get(), invocation, hexFile, run, reporter);
                          outcome = run.outcome;
                      });
}

std::string BoardOutputPath(const std::string& path, const BoardIdentity& board, bool serialIsOwn)
{
    const std::filesystem::path original(path);
    // Two boards that share a serial number would write one file, the second over the first.
    std::string tag = serialIsOwn ? board.serial : "device" + std::to_string(board.device);
    // A serial number is the board's text: only what is safe in a file name stays.
    for (char& c : tag) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_' && c != '.')
            c = '_';
    }
    std::filesystem::path named = original;
    named.replace_filename(original.stem().string() + "-" + tag + original.extension().string());
    return named.string();
}
