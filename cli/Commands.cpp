#include "cli/Commands.h"

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "cli/AttachedBoards.h"
#include "cli/BoardSession.h"
#include "cli/Reporter.h"

int RunCommand(const Invocation& invocation)
{
    using Command = int (*)(const Invocation&, Reporter&);
    static const std::map<std::string, Command> kCommands{
        {"list", RunList},         {"info", RunInfo},       {"blank-check", RunBlankCheck},
        {"erase", RunErase},       {"program", RunProgram}, {"verify", RunVerify},
        {"read", RunRead},         {"view", RunView},       {"write-version", RunWriteVersion},
        {"version", RunVersion},
    };
    Reporter reporter(invocation.command, invocation.json);
    const auto command = kCommands.find(invocation.command);
    if (command == kCommands.end())
        return reporter.Finish({EXIT_USAGE, "Unknown command " + invocation.command});
    return command->second(invocation, reporter);
}

namespace {

bool WritesToBoard(const std::string& command)
{
    return command == "erase" || command == "program" || command == "write-version";
}

// Device numbers follow the driver's enumeration and change when boards are replugged, so
// with several boards attached a command that writes must be told which one; a command that
// only reads takes device 0, as the window does, and says which board that was.
Outcome ChooseBoard(const Invocation& invocation, BoardSession& session, Reporter& reporter, JsonLine& fields)
{
    if (invocation.boardChosen)
        return {};
    if (Outcome loaded = session.LoadDriver(); loaded.exitCode != EXIT_OK)
        return loaded;
    std::vector<AttachedBoard> boards;
    // A bus that cannot be listed, or holds one board or none, is left to the connect to report.
    if (ListAttachedBoards(session.Driver(), boards) != DEVICE_LIST_OK || boards.size() < 2)
        return {};
    const std::string attached = std::to_string(boards.size()) + " boards are attached";
    if (!WritesToBoard(invocation.command)) {
        const AttachedBoard& used = boards.front();
        reporter.Note(attached + "; using device 0: " + used.serial + " (" + used.description + ")");
        fields.Add("device", used.device).Add("serial", used.serial).Add("description", used.description);
        return {};
    }
    std::string message = attached + " and " + invocation.command + " writes to one; name it with one of:";
    for (const AttachedBoard& board : boards) {
        const std::string option = OptionPicking(board, boards);
        char row[200];
        std::snprintf(row, sizeof row, "\n  %-24s device %d, %s", option.c_str(), board.device,
                      board.description.c_str());
        message += row;
        reporter.Emit(JsonLine()
                          .Add("type", "device")
                          .Add("device", board.device)
                          .Add("serial", board.serial)
                          .Add("description", board.description)
                          .Add("option", option));
    }
    return {EXIT_USAGE, message};
}

} // namespace

int RunOnBoard(const Invocation& invocation, Reporter& reporter, const BoardWork& work)
{
    BoardSession session(reporter, invocation.selection, invocation.processor);
    JsonLine fields;
    if (Outcome chosen = ChooseBoard(invocation, session, reporter, fields); chosen.exitCode != EXIT_OK)
        return reporter.Finish(chosen);
    Outcome outcome = session.Connect();
    if (outcome.exitCode == EXIT_OK) {
        fields.Add("processor", GetProcessorProfile(session.Processor()).name);
        outcome = work(session, fields);
        // The board goes back to run mode whatever the work found, as long as it answers.
        session.Disconnect();
    }
    return reporter.Finish(outcome, fields);
}

int RunVersion(const Invocation&, Reporter& reporter)
{
    reporter.Print(VersionText());
    return reporter.Finish({}, JsonLine().Add("version", VersionText()));
}
