#pragma once

class QCoreApplication;

// True when the command line asks for --help or --version: the answer needs no window
// system, so main starts Qt without one.
bool AsksOnlyForText(int argc, char* argv[]);

// The window's command line, after Qt has taken its own options (-platform, -style, ...):
// --help and --version print and end the program; anything else is refused with a message.
// -1 when the window is to open, otherwise the exit code.
int ReadProgramArguments(const QCoreApplication& application);
