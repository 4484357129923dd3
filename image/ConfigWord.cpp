#include "image/ConfigWord.h"

namespace {

bool Bit(std::uint16_t word, int bit) { return ((word >> bit) & 1u) != 0; }

// Code protection from the CP bits 5:4 of the 16F877 word; bits 13:12 repeat them and are
// not read.
int CodeProtectionOf877(std::uint16_t word)
{
    switch ((word >> 4) & 0x3u) {
    case 0x3: return CP_OFF;
    case 0x0: return CP_ALL;
    case 0x1: return CP_1000_1FFF;
    default: return CP_1F00_1FFF;
    }
}

std::uint16_t Build84A(const ConfigOptions& options)
{
    // CP is ten equal bits (13:4): all set for Off, all clear for any protection.
    std::uint16_t word = options.codeProtection == CP_OFF ? 0x3FF0 : 0x0000;
    if (!options.powerUpTimer)
        word |= 0x0008; // PWRTE is active low
    if (options.watchdogTimer)
        word |= 0x0004;
    word |= 0x0002; // FOSC = HS
    return word;
}

std::uint16_t Build877(const ConfigOptions& options)
{
    std::uint16_t word = 0x3FFF;
    switch (options.codeProtection) {
    case CP_ALL: word = 0x0FCF; break;
    case CP_1000_1FFF: word &= 0x1FDF; break;
    case CP_1F00_1FFF: word &= 0x2FEF; break;
    default: break;
    }
    if (!options.programMemoryWrite)
        word &= 0x3DFF; // WRT
    if (options.eepromProtect)
        word &= 0x3EFF; // CPD is active low
    word &= 0x3F7F;     // LVP always off: the board programs at high voltage
    if (!options.brownOutReset)
        word &= 0x3FBF;
    if (options.powerUpTimer)
        word &= 0x3FF7; // PWRTE is active low
    if (!options.watchdogTimer)
        word &= 0x3FFB;
    if (options.inCircuitDebugger)
        word &= 0x37FF; // DEBUG is active low
    word &= 0xFFFE;     // FOSC = HS
    return word;
}

} // namespace

std::uint16_t BuildConfigWord(TargetProcessor processor, const ConfigOptions& options)
{
    return processor == TargetProcessor::PIC16F877 ? Build877(options) : Build84A(options);
}

void ApplyConfigWord(TargetProcessor processor, std::uint16_t word, ConfigOptions& options)
{
    options.powerUpTimer = !Bit(word, 3);
    options.watchdogTimer = Bit(word, 2);
    if (processor == TargetProcessor::PIC16F84A) {
        options.codeProtection = Bit(word, 4) ? CP_OFF : CP_ALL;
        return;
    }
    options.codeProtection = CodeProtectionOf877(word);
    options.brownOutReset = Bit(word, 6);
    options.programMemoryWrite = Bit(word, 9);
    options.eepromProtect = !Bit(word, 8);
    options.inCircuitDebugger = !Bit(word, 11);
}

std::vector<std::string> ConfigWordMismatches(TargetProcessor processor, std::uint16_t word,
                                              const ConfigOptions& options)
{
    std::vector<std::string> mismatches;
    if (Bit(word, 3) == options.powerUpTimer)
        mismatches.emplace_back("Configuration verify failed (Power Up Timer Setting)");
    if (Bit(word, 2) != options.watchdogTimer)
        mismatches.emplace_back("Configuration verify failed (Watchdog Timer Setting)");
    if (processor == TargetProcessor::PIC16F84A) {
        // Only Off and ALL exist on the 16F84A; a partial choice left over from a 16F877
        // selection is not compared.
        const bool mismatch = (Bit(word, 4) && options.codeProtection == CP_ALL) ||
                              (!Bit(word, 4) && options.codeProtection == CP_OFF);
        if (mismatch)
            mismatches.emplace_back("Configuration verify failed (Code Protection Setting)");
        return mismatches;
    }
    if (CodeProtectionOf877(word) != options.codeProtection)
        mismatches.emplace_back("Configuration verify failed (Code Protection Setting)");
    if (Bit(word, 6) != options.brownOutReset)
        mismatches.emplace_back("Configuration verify failed (Brown-Out Reset Setting)");
    if (Bit(word, 9) != options.programMemoryWrite)
        mismatches.emplace_back("Configuration verify failed (Program Memory Write Setting)");
    if (Bit(word, 8) == options.eepromProtect)
        mismatches.emplace_back("Configuration verify failed (EEPROM Write Protect Setting)");
    if (Bit(word, 11) == options.inCircuitDebugger)
        mismatches.emplace_back("Configuration verify failed (In-Circuit Debug Setting)");
    return mismatches;
}

std::string CompareConfigWord(TargetProcessor processor, std::uint16_t word,
                              const ConfigOptions& options)
{
    const std::vector<std::string> mismatches = ConfigWordMismatches(processor, word, options);
    return mismatches.empty() ? std::string() : mismatches.front();
}
