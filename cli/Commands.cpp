#include "cli/Commands.h"

#include <map>
#include <string>

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

int RunVersion(const Invocation&, Reporter& reporter)
{
    reporter.Print(VersionText());
    return reporter.Finish({}, JsonLine().Add("version", VersionText()));
}
