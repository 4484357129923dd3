#include "cli/Commands.h"

#include <map>
#include <string>

#include "cli/BoardSession.h"
#include "cli/Reporter.h"

int RunCommand(const Invocation& invocation)
{
    using Command = int (*)(const Invocation&, Reporter&);
    static const std::map<std::string, Command> kCommands{
        {"list", RunList},         {"info", RunInfo},       {"blank-check", RunBlankCheck},
        {"erase", RunErase},       {"program", RunProgram}, {"verify", RunVerify},
        {"read", RunRead},         {"view", RunView},       {"write-version", RunWriteVersion},
    };
    Reporter reporter(invocation.command, invocation.json);
    const auto command = kCommands.find(invocation.command);
    if (command == kCommands.end())
        return reporter.Finish({EXIT_USAGE, "Unknown command " + invocation.command});
    return command->second(invocation, reporter);
}

int RunOnBoard(const Invocation& invocation, Reporter& reporter, const BoardWork& work,
               const BoardRecorder& record)
{
    BoardSession session(reporter, invocation.selection, invocation.processor);
    BoardResult result;
    Outcome outcome = session.Connect();
    if (outcome.exitCode == EXIT_OK) {
        result.processor = GetProcessorProfile(session.Processor()).name;
        result.fields.Add("processor", result.processor);
        outcome = work(session, reporter, result);
        // The board goes back to run mode whatever the work found, as long as it answers.
        session.Disconnect();
    }
    if (record)
        record(session, outcome, result);
    return reporter.Finish(outcome, result.fields);
}
