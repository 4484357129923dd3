#include <gtest/gtest.h>

#include "image/ConfigWord.h"

namespace {

constexpr auto k84A = TargetProcessor::PIC16F84A;
constexpr auto k877 = TargetProcessor::PIC16F877;

ConfigOptions Defaults() { return ConfigOptions{}; }

ConfigOptions With(void (*change)(ConfigOptions&))
{
    ConfigOptions options;
    change(options);
    return options;
}

struct BuildCase {
    const char* name;
    TargetProcessor processor;
    ConfigOptions options;
    std::uint16_t word;
};

TEST(ConfigWord, BuildsTheWordsOfBothProcessors)
{
    const BuildCase cases[] = {
        {"84A defaults", k84A, Defaults(), 0x3FFE},
        {"877 defaults", k877, Defaults(), 0x3D7E},
        {"877 ALL", k877, With([](ConfigOptions& o) { o.codeProtection = CP_ALL; }), 0x0D4E},
        {"877 1000h-1FFFh", k877, With([](ConfigOptions& o) { o.codeProtection = CP_1000_1FFF; }), 0x1D5E},
        {"877 1F00h-1FFF", k877, With([](ConfigOptions& o) { o.codeProtection = CP_1F00_1FFF; }), 0x2D6E},
        {"877 every box on", k877, With([](ConfigOptions& o) {
             o.watchdogTimer = o.powerUpTimer = o.brownOutReset = true;
             o.programMemoryWrite = o.eepromProtect = o.inCircuitDebugger = true;
         }), 0x3676},
        {"84A ALL, power-up on, watchdog off", k84A, With([](ConfigOptions& o) {
             o.codeProtection = CP_ALL;
             o.powerUpTimer = true;
             o.watchdogTimer = false;
         }), 0x0002},
        // A partial choice left from a 16F877 selection protects the whole 16F84A.
        {"84A with a 16F877 partial choice", k84A,
         With([](ConfigOptions& o) { o.codeProtection = CP_1000_1FFF; }), 0x000E},
    };
    for (const BuildCase& c : cases)
        EXPECT_EQ(BuildConfigWord(c.processor, c.options), c.word) << c.name;
}

TEST(ConfigWord, AppliesAWordToTheOptionsItCarries)
{
    // 0x3FF2: CP off, PWRTE clear (timer on), WDTE clear, BOREN, WRT and CPD set, DEBUG set.
    ConfigOptions options84 = With([](ConfigOptions& o) {
        o.brownOutReset = false;
        o.inCircuitDebugger = true;
    });
    ApplyConfigWord(k84A, 0x3FF2, options84);
    EXPECT_EQ(options84.codeProtection, CP_OFF);
    EXPECT_TRUE(options84.powerUpTimer);
    EXPECT_FALSE(options84.watchdogTimer);
    EXPECT_FALSE(options84.brownOutReset) << "the 16F84A word carries no brown-out bit";
    EXPECT_TRUE(options84.inCircuitDebugger) << "the 16F84A word carries no debug bit";

    ConfigOptions options877;
    ApplyConfigWord(k877, 0x3FF2, options877);
    const ConfigOptions expected877{CP_OFF, false, true, true, true, false, false};
    EXPECT_EQ(options877, expected877);

    // Bits 13:12 say ALL, bits 5:4 say 1F00h-1FFF: only bits 5:4 count. The 16F84A's ten CP
    // bits disagree in 0x3FEF: bit 4 alone decides.
    ConfigOptions mixed, mixed84;
    ApplyConfigWord(k877, 0x0FEF, mixed);
    ApplyConfigWord(k84A, 0x3FEF, mixed84);
    EXPECT_EQ(mixed.codeProtection, CP_1F00_1FFF);
    EXPECT_EQ(mixed84.codeProtection, CP_ALL);
}

TEST(ConfigWord, EveryBuiltWordReadsBackAsItsOptions)
{
    for (int mask = 0; mask < (1 << 6); ++mask) {
        for (int cp = CP_OFF; cp <= CP_1F00_1FFF; ++cp) {
            const ConfigOptions options{cp,
                                        (mask & 1) != 0,
                                        (mask & 2) != 0,
                                        (mask & 4) != 0,
                                        (mask & 8) != 0,
                                        (mask & 16) != 0,
                                        (mask & 32) != 0};
            ConfigOptions read877 = Defaults();
            ApplyConfigWord(k877, BuildConfigWord(k877, options), read877);
            EXPECT_EQ(read877, options) << "877 cp " << cp << " mask " << mask;
            EXPECT_EQ(CompareConfigWord(k877, BuildConfigWord(k877, options), options), "");

            ConfigOptions read84 = options;
            ApplyConfigWord(k84A, BuildConfigWord(k84A, options), read84);
            EXPECT_EQ(read84.codeProtection, cp == CP_OFF ? CP_OFF : CP_ALL);
            EXPECT_EQ(read84.watchdogTimer, options.watchdogTimer);
            EXPECT_EQ(read84.powerUpTimer, options.powerUpTimer);
            EXPECT_EQ(CompareConfigWord(k84A, BuildConfigWord(k84A, options), options), "");
        }
    }
}

struct CompareCase {
    const char* name;
    TargetProcessor processor;
    std::uint16_t targetWord;
    ConfigOptions options;
    const char* message;
};

TEST(ConfigWord, ComparesInOrderAndNamesTheFirstMismatch)
{
    const char* kPowerUp = "Configuration verify failed (Power Up Timer Setting)";
    const char* kWatchdog = "Configuration verify failed (Watchdog Timer Setting)";
    const char* kCodeProtection = "Configuration verify failed (Code Protection Setting)";
    const CompareCase cases[] = {
        // The default 16F84A word with both timers flipped: only the power-up timer is named.
        {"power-up before watchdog", k84A, 0x3FFE,
         With([](ConfigOptions& o) { o.powerUpTimer = true; o.watchdogTimer = false; }), kPowerUp},
        {"watchdog", k84A, 0x3FFE, With([](ConfigOptions& o) { o.watchdogTimer = false; }), kWatchdog},
        {"84A CP off against ALL", k84A, 0x3FFE,
         With([](ConfigOptions& o) { o.codeProtection = CP_ALL; }), kCodeProtection},
        {"84A protected against Off", k84A, 0x000E, Defaults(), kCodeProtection},
        // The 16F84A's code protection is read from bit 4 alone (bits 13:5 repeat it).
        {"84A protection from bit 4", k84A, 0x3FEE, Defaults(), kCodeProtection},
        {"84A no protection from bit 4", k84A, 0x3FDE,
         With([](ConfigOptions& o) { o.codeProtection = CP_ALL; }), kCodeProtection},
        {"84A partial choice never fails", k84A, 0x000E,
         With([](ConfigOptions& o) { o.codeProtection = CP_1F00_1FFF; }), ""},
        {"84A ignores the 16F877 options", k84A, 0x3FFE,
         With([](ConfigOptions& o) { o.brownOutReset = false; o.inCircuitDebugger = true; }), ""},
        {"877 CP", k877, 0x3D7E, With([](ConfigOptions& o) { o.codeProtection = CP_1000_1FFF; }),
         kCodeProtection},
        {"877 brown-out", k877, 0x3D7E, With([](ConfigOptions& o) { o.brownOutReset = false; }),
         "Configuration verify failed (Brown-Out Reset Setting)"},
        {"877 write", k877, 0x3D7E, With([](ConfigOptions& o) { o.programMemoryWrite = true; }),
         "Configuration verify failed (Program Memory Write Setting)"},
        {"877 EEPROM", k877, 0x3D7E, With([](ConfigOptions& o) { o.eepromProtect = true; }),
         "Configuration verify failed (EEPROM Write Protect Setting)"},
        {"877 debugger", k877, 0x3D7E, With([](ConfigOptions& o) { o.inCircuitDebugger = true; }),
         "Configuration verify failed (In-Circuit Debug Setting)"},
        // Bits no option reflects (13:12, the unused bit 10, LVP, FOSC) are not compared.
        {"877 unreflected bits", k877, 0x3D7E ^ 0x3483, Defaults(), ""},
    };
    for (const CompareCase& c : cases)
        EXPECT_EQ(CompareConfigWord(c.processor, c.targetWord, c.options), c.message) << c.name;
}

} // namespace
