#pragma once
// The command-line options of production runs: several boards in one run, the production
// log, serial numbers written into each chip.
#include <CLI/CLI.hpp>

#include "cli/CommandLine.h"

// --serial, --description and --device, each of which may repeat, and --all.
void AddBoardList(CLI::App& command, Invocation& invocation);

// --log FILE.
void AddProductionLog(CLI::App& command, Invocation& invocation);

// --serial-number, --serial-at, --serial-format, --serial-file, --serial-start,
// --serial-overwrite; verify adds --serial-number-is.
void AddSerialOptions(CLI::App& command, SerialOptions& serial, bool verify);
