#include "cli/production/Interruption.h"

#include <atomic>

#include "cli/ExitCodes.h"

#if defined(_WIN32)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <csignal>
#include <unistd.h>
#endif

namespace {

// Lock-free, so the handlers may touch it.
std::atomic<bool> requested{false};
static_assert(std::atomic<bool>::is_always_lock_free);

// Said on the first signal, where a person waiting for the boards sees it.
constexpr char kStopping[] = "quillet: stopping: each board ends at its next block; Ctrl-C again ends at once\n";

#if defined(_WIN32)
// Windows ends a process whose console closes once its handler returns, or after about five
// seconds: the handler waits for the run to report, at most a little less than that.
constexpr DWORD kCloseWaitMs = 4500;
HANDLE runDone = nullptr;

BOOL WINAPI OnConsoleEvent(DWORD event)
{
    if (requested.exchange(true))
        ExitProcess(EXIT_INTERRUPTED);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), kStopping, sizeof kStopping - 1, &written, nullptr);
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && runDone)
        WaitForSingleObject(runDone, kCloseWaitMs);
    return TRUE;
}
#else
extern "C" void OnSignal(int)
{
    if (requested.exchange(true))
        ::_exit(EXIT_INTERRUPTED);
    // write(2) is safe in a handler; a message that cannot be written changes nothing.
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, kStopping, sizeof kStopping - 1);
}
#endif

} // namespace

void CatchInterruptions()
{
#if defined(_WIN32)
    if (!runDone)
        runDone = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
#else
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART; // the boards' reads and writes go on to their block's end
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction before {};
        if (::sigaction(signal, nullptr, &before) == 0 && before.sa_handler != SIG_IGN)
            ::sigaction(signal, &action, nullptr);
    }
#endif
}

bool InterruptionRequested()
{
    return requested.load();
}

void InterruptedRunDone()
{
#if defined(_WIN32)
    if (runDone)
        SetEvent(runDone);
#endif
}
