#include "cli/ConfigSwitches.h"

namespace {

const char* OnOff(bool on) { return on ? "on" : "off"; }

const char* CodeProtectionName(int choice)
{
    switch (choice) {
    case CP_ALL: return "all";
    case CP_1000_1FFF: return "1000-1fff";
    case CP_1F00_1FFF: return "1f00-1fff";
    default: return "off";
    }
}

} // namespace

void ApplySwitches(const ConfigSwitches& switches, ConfigOptions& options)
{
    options.codeProtection = switches.codeProtection.value_or(options.codeProtection);
    options.watchdogTimer = switches.watchdogTimer.value_or(options.watchdogTimer);
    options.powerUpTimer = switches.powerUpTimer.value_or(options.powerUpTimer);
    options.brownOutReset = switches.brownOutReset.value_or(options.brownOutReset);
    options.programMemoryWrite = switches.programMemoryWrite.value_or(options.programMemoryWrite);
    options.eepromProtect = switches.eepromProtect.value_or(options.eepromProtect);
    options.inCircuitDebugger = switches.inCircuitDebugger.value_or(options.inCircuitDebugger);
}

std::string SwitchWithoutBit(const ConfigSwitches& switches, TargetProcessor processor)
{
    if (GetProcessorProfile(processor).hasExtendedOptions)
        return {};
    if (switches.codeProtection == CP_1000_1FFF || switches.codeProtection == CP_1F00_1FFF)
        return std::string("--code-protection ") + CodeProtectionName(*switches.codeProtection);
    const auto named = [](const std::optional<bool>& value, const char* name) {
        return !value ? std::string() : std::string(*value ? "--" : "--no-") + name;
    };
    for (const std::string& given :
         {named(switches.brownOutReset, "brown-out"), named(switches.programMemoryWrite, "program-memory-write"),
          named(switches.eepromProtect, "eeprom-protect"), named(switches.inCircuitDebugger, "debugger")}) {
        if (!given.empty())
            return given;
    }
    return {};
}

bool SwitchesProtect(const ConfigSwitches& switches)
{
    return (switches.codeProtection && *switches.codeProtection != CP_OFF) ||
           switches.eepromProtect.value_or(false);
}

bool OptionsProtect(TargetProcessor processor, const ConfigOptions& options)
{
    // On the 16F84A every choice but Off clears all the CP bits; it has no EEPROM bit.
    return options.codeProtection != CP_OFF ||
           (GetProcessorProfile(processor).hasExtendedOptions && options.eepromProtect);
}

std::string DescribeOptions(TargetProcessor processor, const ConfigOptions& options)
{
    std::string text = std::string("code protection ") + CodeProtectionName(options.codeProtection) +
                       ", watchdog " + OnOff(options.watchdogTimer) + ", power-up timer " +
                       OnOff(options.powerUpTimer);
    if (GetProcessorProfile(processor).hasExtendedOptions)
        text += std::string(", brown-out reset ") + OnOff(options.brownOutReset) +
                ", program memory write " + OnOff(options.programMemoryWrite) + ", EEPROM protect " +
                OnOff(options.eepromProtect) + ", in-circuit debugger " + OnOff(options.inCircuitDebugger);
    return text;
}
