#include "cli/production/BoardRun.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <thread>

#include "cli/BoardSession.h"
#include "cli/Reporter.h"
#include "cli/Utf8.h"
#include "cli/production/Interruption.h"
#include "cli/production/RunRecords.h"
#include "link/DeviceSelection.h"

namespace {

using SteadyClock = std::chrono::steady_clock;

long long MillisecondsSince(SteadyClock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - start).count();
}

bool WritesToBoard(const std::string& command)
{
    return command == "erase" || command == "program" || command == "write-version";
}

// The board of a run on one board. Device numbers follow the driver's enumeration and change
// when boards are replugged, so with several boards attached a command that writes must be
// told which one; a command that only reads takes device 0, as the window does, and says which
// board that was. The board is looked up in the driver's list only where something needs it:
// that choice, or a record that names the board (what the selection says when it cannot be
// listed; the connect then says why).
Outcome PlanOneBoard(const Invocation& invocation, Reporter& reporter, bool nameBoard, BoardRun& run)
{
    const DeviceSelection& selection = invocation.selection;
    run.selection = selection;
    if (selection.openMethod == OPEN_BY_SERIAL_NUMBER)
        run.board.serial = selection.searchText;
    else if (selection.openMethod == OPEN_BY_DESCRIPTION)
        run.board.description = selection.searchText;
    else
        run.board.device = DeviceNumberOf(selection.searchText);
    if (invocation.boardChosen && !nameBoard)
        return {};

    BoardSession lister(reporter, selection, invocation.processor);
    if (Outcome loaded = lister.LoadDriver(); loaded.exitCode != EXIT_OK)
        return invocation.boardChosen ? Outcome() : loaded;
    // A bus that cannot be listed is left to the connect to report.
    std::vector<BoardIdentity> attached;
    if (ListBoards(lister.Driver(), attached).exitCode != EXIT_OK)
        return {};
    std::vector<BoardIdentity> chosen;
    if (ChooseBoards({selection}, false, attached, chosen).exitCode == EXIT_OK)
        run.board = chosen.front();
    if (invocation.boardChosen || attached.size() < 2)
        return {};

    const std::string count = std::to_string(attached.size()) + " boards are attached";
    if (!WritesToBoard(invocation.command)) {
        const BoardIdentity& used = attached.front();
        const std::string serial = Latin1ToUtf8(used.serial);
        const std::string description = Latin1ToUtf8(used.description);
        reporter.Note(count + "; using device 0: " + serial + " (" + description + ")");
        run.result.fields.Add("device", used.device).Add("serial", serial).Add("description", description);
        return {};
    }
    std::string message = count + " and " + invocation.command + " writes to one; name it with one of:";
    for (const BoardIdentity& board : attached) {
        const std::string option = OptionPicking(board, attached);
        const std::string description = Latin1ToUtf8(board.description);
        char row[200];
        std::snprintf(row, sizeof row, "\n  %-24s device %d, %s", option.c_str(), board.device, description.c_str());
        message += row;
        reporter.Emit(JsonLine()
                          .Add("type", "device")
                          .Add("device", board.device)
                          .Add("serial", Latin1ToUtf8(board.serial))
                          .Add("description", description)
                          .Add("option", option));
    }
    return {EXIT_USAGE, message};
}

// The boards of a run on several: listed, chosen, each opened by what names it alone.
Outcome PlanSeveralBoards(const Invocation& invocation, Reporter& reporter, std::vector<BoardRun>& runs)
{
    std::vector<BoardIdentity> attached;
    std::vector<BoardIdentity> chosen;
    {
        BoardSession lister(reporter, invocation.selection, invocation.processor);
        if (Outcome loaded = lister.LoadDriver(); loaded.exitCode != EXIT_OK)
            return loaded;
        if (Outcome listed = ListBoards(lister.Driver(), attached); listed.exitCode != EXIT_OK)
            return listed;
    }
    if (Outcome picked = ChooseBoards(invocation.boards, invocation.allBoards, attached, chosen);
        picked.exitCode != EXIT_OK)
        return picked;
    const std::vector<std::string> tags = FileTags(chosen);
    runs.resize(chosen.size());
    for (std::size_t i = 0; i < chosen.size(); ++i) {
        runs[i].board = chosen[i];
        runs[i].selection = SelectionOf(chosen[i], attached);
        runs[i].result.fileTag = tags[i];
    }
    return {};
}

Outcome Interrupted(const std::string& hint = {})
{
    return {EXIT_INTERRUPTED, "Interrupted before this board was done.", hint};
}

// One board, start to end: connect, the work, release, the record.
void RunBoard(const Invocation& invocation, const BoardWork& work, RunRecords& records, Reporter& reporter,
              BoardRun& run)
{
    const SteadyClock::time_point started = SteadyClock::now();
    run.result.board = &run.board;
    BoardSession session(reporter, run.selection, invocation.processor);
    if (InterruptionRequested()) {
        run.outcome = Interrupted();
    } else {
        run.outcome = session.Connect();
        const bool connected = run.outcome.exitCode == EXIT_OK;
        if (connected) {
            run.result.processor = GetProcessorProfile(session.Processor()).name;
            run.result.fields.Add("processor", run.result.processor);
            run.outcome = work(session, reporter, run.result);
        }
        // A board the interruption stopped keeps the advice of a stream cut half way, and what
        // its work said of how far it got.
        if (session.Stopped() && run.outcome.exitCode != EXIT_INTERRUPTED)
            run.outcome = Interrupted(run.outcome.hint);
        // The board goes back to run mode whatever the work found, as long as it answers.
        else if (connected)
            session.Disconnect();
    }
    run.milliseconds = MillisecondsSince(started);
    records.RecordOutcome(run, reporter);
}

JsonLine BoardFields(const BoardIdentity& board)
{
    return JsonLine().Add("device", board.device).Add("serial", Latin1ToUtf8(board.serial));
}

// A finished board of several: its held lines and its result line, or its JSON object, in one
// piece.
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

// The table after the boards: one row each, in device order, and the run's exit code.
int Summarize(const Invocation& invocation, Reporter& reporter, const std::vector<BoardRun>& runs)
{
    const BoardRun* firstFailure = nullptr;
    std::size_t failures = 0;
    std::size_t interrupted = 0;
    for (const BoardRun& run : runs) {
        if (run.outcome.exitCode != EXIT_OK) {
            failures += 1;
            if (!firstFailure)
                firstFailure = &run;
        }
        interrupted += run.outcome.exitCode == EXIT_INTERRUPTED ? 1 : 0;
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
    if (interrupted > 0)
        outcome = {EXIT_INTERRUPTED, "Interrupted: " + std::to_string(interrupted) + " of " + count +
                                         (interrupted == 1 ? " boards was stopped before it was done."
                                                           : " boards were stopped before they were done.")};
    else if (firstFailure)
        outcome = {firstFailure->outcome.exitCode, std::to_string(failures) + " of " + count +
                                                       " boards failed; the exit code is that of " +
                                                       BoardName(firstFailure->board) + "."};
    return reporter.Finish(outcome, JsonLine().AddRaw("boards", "[" + boards + "]"));
}

// What is safe in a file name of every system: letters, digits, '-', '_' and '.'.
std::string SafeInFileName(std::string text)
{
    for (char& c : text) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_' && c != '.')
            c = '_';
    }
    return text;
}

std::string Folded(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

} // namespace

int RunOnBoards(const Invocation& invocation, Reporter& reporter, const BoardWork& work, RunRecords& records)
{
    CatchInterruptions();
    std::vector<BoardRun> runs;
    if (!SeveralBoards(invocation)) {
        runs.resize(1);
        BoardRun& run = runs.front();
        if (Outcome planned = PlanOneBoard(invocation, reporter, records.NameBoards(), run);
            planned.exitCode != EXIT_OK)
            return reporter.Finish(planned, run.result.fields);
        RunBoard(invocation, work, records, reporter, run);
        InterruptedRunDone();
        return reporter.Finish(run.outcome, run.result.fields);
    }

    if (Outcome planned = PlanSeveralBoards(invocation, reporter, runs); planned.exitCode != EXIT_OK)
        return reporter.Finish(planned);
    std::mutex output;
    std::vector<std::thread> threads;
    for (BoardRun& run : runs) {
        threads.emplace_back([&invocation, &work, &records, &output, &run] {
            Reporter boardReporter(invocation.command, invocation.json);
            boardReporter.ForBoard(BoardFields(run.board), BoardName(run.board), output);
            RunBoard(invocation, work, records, boardReporter, run);
            ReportBoard(run, boardReporter, invocation.json, output);
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    const int exitCode = Summarize(invocation, reporter, runs);
    InterruptedRunDone();
    return exitCode;
}

int RunOnBoards(const Invocation& invocation, Reporter& reporter, const BoardWork& work)
{
    RunRecords records(invocation);
    if (Outcome opened = records.OpenLog(); opened.exitCode != EXIT_OK)
        return reporter.Finish(opened);
    return RunOnBoards(invocation, reporter, work, records);
}

std::string BoardOutputPath(const std::string& path, const std::string& tag)
{
    const std::filesystem::path original(path);
    std::filesystem::path named = original;
    named.replace_filename(original.stem().string() + "-" + tag + original.extension().string());
    return named.string();
}

std::vector<std::string> FileTags(const std::vector<BoardIdentity>& boards)
{
    const auto deviceTag = [](const BoardIdentity& board) { return "device" + std::to_string(board.device); };
    std::vector<std::string> tags;
    for (const BoardIdentity& board : boards)
        tags.push_back(board.serial.empty() ? deviceTag(board) : SafeInFileName(board.serial));
    // A tag another board's tag equals, case ignored, goes back to the device number on both;
    // device numbers differ, so one more round settles a serial number such as "DEVICE2".
    for (int round = 0; round < 2; ++round) {
        std::vector<std::string> next = tags;
        for (std::size_t i = 0; i < tags.size(); ++i) {
            for (std::size_t j = 0; j < tags.size(); ++j) {
                if (i != j && Folded(tags[i]) == Folded(tags[j]))
                    next[i] = deviceTag(boards[i]);
            }
        }
        tags = next;
    }
    return tags;
}
