#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "image/ProcessorProfile.h"

// Code-protection choices, in the order of the window's radio group.
enum CodeProtection : int {
    CP_OFF = 0,
    CP_ALL = 1,
    CP_1000_1FFF = 2,
    CP_1F00_1FFF = 3,
};

// The configuration options of the main window. Auto-erase sits beside them in the window
// but is no configuration bit, so it is not part of this value.
struct ConfigOptions {
    int codeProtection = CP_OFF;
    bool watchdogTimer = true;
    bool powerUpTimer = false;
    bool brownOutReset = true;
    bool programMemoryWrite = false;
    bool eepromProtect = false;
    bool inCircuitDebugger = false;

    bool operator==(const ConfigOptions&) const = default;
};

// The 14-bit configuration word (word address 0x2007) made from the options.
std::uint16_t BuildConfigWord(TargetProcessor processor, const ConfigOptions& options);

// Sets the options the processor's word carries; options the word does not carry keep their
// values (on the 16F84A the four 16F877-only check boxes).
void ApplyConfigWord(TargetProcessor processor, std::uint16_t word, ConfigOptions& options);

// The message of every option in which the target's word differs from the options, in a
// fixed order: power-up timer, watchdog, code protection, then the 16F877's brown-out
// reset, program memory write, EEPROM protect and in-circuit debugger. Bits no option
// reflects are not compared.
std::vector<std::string> ConfigWordMismatches(TargetProcessor processor, std::uint16_t word,
                                              const ConfigOptions& options);

// Empty when the target's word matches the options, otherwise the message of the first
// mismatch in that order.
std::string CompareConfigWord(TargetProcessor processor, std::uint16_t word,
                              const ConfigOptions& options);
