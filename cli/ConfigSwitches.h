#pragma once
#include <string>

#include "cli/CommandLine.h"
#include "image/ConfigWord.h"
#include "image/ProcessorProfile.h"

// The configuration options of one run: the window's defaults, then what the HEX file's
// configuration record sets (CheckHexFile hands it over, as on the window's Open), then the
// switches given on the command line, which have the last word.
void ApplySwitches(const ConfigSwitches& switches, ConfigOptions& options);

// The first switch given that the processor's configuration word has no bit for, as it is
// typed ("--brown-out", ...); empty when there is none. On the 16F84A the 16F877's options
// would be dropped, and its code-protection ranges would protect the whole chip.
std::string SwitchWithoutBit(const ConfigSwitches& switches, TargetProcessor processor);

// True when the switches themselves ask for code or EEPROM protection.
bool SwitchesProtect(const ConfigSwitches& switches);

// True when the word made from the options protects program memory or the data EEPROM:
// such a chip reads back as zeros and can only be bulk-erased.
bool OptionsProtect(TargetProcessor processor, const ConfigOptions& options);

// "code protection off, watchdog on, power-up timer on" and, on the 16F877, the four
// options it adds: how the options read, for a person.
std::string DescribeOptions(TargetProcessor processor, const ConfigOptions& options);
