// quillet: the command-line front end of Quillet1, for scripts, build servers and
// production benches. It drives the same core as the window, one command a run.
#include "cli/CommandLine.h"
#include "cli/Commands.h"

#if !defined(_WIN32)
#include <csignal>
#endif

int main(int argc, char** argv)
{
#if !defined(_WIN32)
    // Past a file-size limit (ulimit -f) a write then fails with EFBIG, which the production
    // log and the serial journal undo and report, instead of the process being killed half way.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    Invocation invocation;
    if (const int exitCode = ParseCommandLine(argc, argv, invocation); exitCode >= 0)
        return exitCode;
    return RunCommand(invocation);
}
