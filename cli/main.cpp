// quillet: the command-line front end of Quillet1, for scripts, build servers and
// production benches. It drives the same core as the window, one command a run.
#include "cli/CommandLine.h"
#include "cli/Commands.h"

int main(int argc, char** argv)
{
    Invocation invocation;
    if (const int exitCode = ParseCommandLine(argc, argv, invocation); exitCode >= 0)
        return exitCode;
    return RunCommand(invocation);
}
