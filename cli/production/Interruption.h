#pragma once
// Ctrl-C and termination requests during a run on boards: SIGINT, SIGTERM and SIGHUP, or on
// Windows the console's Ctrl-C, Ctrl-Break and close events. The first one asks every board to
// stop before its next command word or block, and no board or stream starts after it; the run
// then records and reports each unfinished board as interrupted and ends with
// EXIT_INTERRUPTED. A second one ends the process at once, with the same code.

// Installs the handlers; a signal the process was started with ignored (nohup, a background
// job) stays ignored.
void CatchInterruptions();

bool InterruptionRequested();

// The run has recorded and reported every board. A console window being closed waits for
// this (Windows gives it a few seconds) before the process ends.
void InterruptedRunDone();
