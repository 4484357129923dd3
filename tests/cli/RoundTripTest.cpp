// The production round trip on each emulated board: program with auto-erase, verify, read
// back into a HEX file, program that file onto a fresh chip and verify the fresh chip against
// the original; then the configuration word the options make, and a verify that reports
// every difference it finds.
#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "cli/CliBench.h"
#include "cli/CommandWords.h"
#include "cli/DocumentedExitCodes.h"

namespace {

using Words = std::vector<std::string>;

constexpr unsigned kStrayCell = 0x0100;      // a program word left by an earlier firmware
constexpr unsigned kConfigWordCell = 0x2007;

// The connect of every board command, as the window's Connect sends it.
Words Connected(std::initializer_list<const char*> work)
{
    Words words{CONNECT, PING, GET_REVISION, GET_VERSION, GET_PROCESSOR};
    words.insert(words.end(), work.begin(), work.end());
    words.emplace_back(DISCONNECT);
    return words;
}

struct RoundTripCase {
    const char* name;
    const char* fixture;
    int board;      // device number of the chip programmed first
    int freshBoard; // device number of a chip nobody has written
    const char* blankCheck;
    const char* erase;
    const char* program;
    const char* read;
};

// Test names in ctest's list, not a dump of the case's bytes.
void PrintTo(const RoundTripCase& c, std::ostream* out)
{
    *out << c.name;
}

class RoundTripTest : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(RoundTripTest, ReadBackProgramsAFreshChipThatVerifies)
{
    const RoundTripCase& c = GetParam();
    CliBench bench;
    const std::string board = std::to_string(c.board);
    const std::string fresh = std::to_string(c.freshBoard);
    // Not blank: auto-erase has to act.
    bench.SetChipCell(c.board, kStrayCell, 0);

    CliRun run = bench.Run({"program", Fixture(c.fixture), "--auto-erase", "--device", board});
    ASSERT_EQ(run.exitCode, kExitOk) << run.err;
    EXPECT_EQ(run.out, "Programming complete.\n");
    // Not a terminal: no progress bar, and nothing went wrong.
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(bench.CommandWords(), Connected({c.blankCheck, c.erase, c.program}));

    run = bench.Run({"verify", Fixture(c.fixture), "--device", board});
    ASSERT_EQ(run.exitCode, kExitOk) << run.err;
    EXPECT_EQ(run.out, "Verify passed\n");
    EXPECT_EQ(bench.CommandWords(), Connected({c.read}));

    run = bench.Run({"read", "-o", "back.hex", "--device", board});
    ASSERT_EQ(run.exitCode, kExitOk) << run.err;
    ASSERT_TRUE(std::filesystem::exists(bench.Folder() / "back.hex"));

    // The fresh chip is blank: no erase.
    run = bench.Run({"program", "back.hex", "--device", fresh});
    ASSERT_EQ(run.exitCode, kExitOk) << run.err;
    EXPECT_EQ(bench.CommandWords(), Connected({c.blankCheck, c.program}));
    run = bench.Run({"verify", Fixture(c.fixture), "--device", fresh});
    EXPECT_EQ(run.exitCode, kExitOk) << run.out << run.err;

    // Cell for cell, the second chip holds what the first one does.
    EXPECT_FALSE(bench.ChipCells(c.board).empty());
    EXPECT_EQ(bench.ChipCells(c.freshBoard), bench.ChipCells(c.board));
}

INSTANTIATE_TEST_SUITE_P(
    Boards, RoundTripTest,
    ::testing::Values(RoundTripCase{"TVR_IOA", "blink84a.hex", 0, 2, BLANK_CHECK_84A, ERASE_84A, PROGRAM_84A, READ_84A},
                      RoundTripCase{"TVR_IOB", "counter877.hex", 1, 3, BLANK_CHECK_877, ERASE_877, PROGRAM_877, READ_877}),
    [](const ::testing::TestParamInfo<RoundTripCase>& info) { return std::string(info.param.name); });

struct ConfigCase {
    const char* name;
    int board;
    const char* fixture;
    std::vector<std::string> switches;
    unsigned word;     // the configuration word the chip ends up with
    int verifySame;    // verify's exit code with the same switches
    int verifyFile;    // verify's exit code with the file's record alone
};

// Test names in ctest's list, not a dump of the case's bytes.
void PrintTo(const ConfigCase& c, std::ostream* out)
{
    *out << c.name;
}

constexpr int kPasses = kExitOk;
constexpr int kDiffers = kExitVerifyDiffers;

class ConfigWordTest : public ::testing::TestWithParam<ConfigCase> {};

// The file's configuration record gives the options, the switches given override them, and
// the chip gets the word they make, whatever the file's own word was.
TEST_P(ConfigWordTest, ChipTakesTheWordTheOptionsMake)
{
    const ConfigCase& c = GetParam();
    CliBench bench;
    std::vector<std::string> arguments{"program", Fixture(c.fixture), "--device", std::to_string(c.board)};
    arguments.insert(arguments.end(), c.switches.begin(), c.switches.end());
    const CliRun run = bench.Run(arguments);
    ASSERT_EQ(run.exitCode, kExitOk) << run.err;
    EXPECT_EQ(bench.ChipCells(c.board)[kConfigWordCell], c.word);

    // Verify holds the chip against the options as given; a protected chip reads back
    // zeros where it is protected and never verifies.
    std::vector<std::string> verify{"verify", Fixture(c.fixture), "--device", std::to_string(c.board)};
    for (const std::string& given : c.switches) {
        if (given != "--yes-protect") // verify writes nothing, so it has nothing to confirm
            verify.push_back(given);
    }
    EXPECT_EQ(bench.Run(verify).exitCode, c.verifySame);
    EXPECT_EQ(bench.Run({"verify", Fixture(c.fixture), "--device", std::to_string(c.board)}).exitCode,
              c.verifyFile);
}

INSTANTIATE_TEST_SUITE_P(
    Options, ConfigWordTest,
    ::testing::Values(
        // The fixtures' own words: 16F84A 0x3FF2 (HS, power-up timer on, watchdog off);
        // 16F877 0x3D72 (the same, brown-out reset on, LVP off).
        ConfigCase{"fileRecord84A", 0, "blink84a.hex", {}, 0x3FF2, kPasses, kPasses},
        ConfigCase{"fileRecord877", 1, "counter877.hex", {}, 0x3D72, kPasses, kPasses},
        // Back to the window's defaults: watchdog on (bit 2), power-up timer off (bit 3 set).
        ConfigCase{"defaults84A", 0, "blink84a.hex", {"--watchdog", "--no-power-up-timer"}, 0x3FFE, kPasses, kDiffers},
        // The last of --watchdog and --no-watchdog wins.
        ConfigCase{"lastSwitchWins", 0, "blink84a.hex", {"--watchdog", "--no-watchdog"}, 0x3FF2, kPasses, kPasses},
        // CP1:CP0 = 01 in both copies (bits 13:12 and 5:4), DEBUG on (bit 11 clear).
        ConfigCase{"partialProtection877", 1, "counter877.hex",
                   {"--code-protection", "1000-1fff", "--yes-protect", "--debugger"}, 0x1552, kDiffers, kDiffers},
        // CP all: every CP bit of the 16F84A clear.
        ConfigCase{"protectAll84A", 0, "blink84a.hex", {"--code-protection", "ALL", "--yes-protect"}, 0x0002, kDiffers, kDiffers}),
    [](const ::testing::TestParamInfo<ConfigCase>& info) { return std::string(info.param.name); });

// Every difference, memory by memory, with its address, the file's value and the chip's.
TEST(VerifyTest, ReportsEveryDifferenceGroupedByMemory)
{
    CliBench bench;
    ASSERT_EQ(bench.Run({"program", Fixture("blink84a.hex")}).exitCode, kExitOk);
    // What the fixture holds at these places (see blink84a.asm): 0x1683 at 0x0005, EEPROM
    // location 5 = 0xA0, configuration word 0x3FF2 (watchdog off).
    bench.SetChipCell(0, 0x0005, 0x1234);
    bench.SetChipCell(0, 0x0100, 0x0000);  // the file is silent here: erased is expected
    bench.SetChipCell(0, 0x2105, 0x0011);
    bench.SetChipCell(0, kConfigWordCell, 0x3FF6); // watchdog on

    CliRun run = bench.Run({"verify", Fixture("blink84a.hex")});
    EXPECT_EQ(run.exitCode, kExitVerifyDiffers);
    EXPECT_EQ(run.out,
              "Program memory: 2 differences\n"
              "  0005: expected 1683, found 1234\n"
              "  0100: expected 3FFF, found 0000\n"
              "Configuration word 2007: expected 3FF2, found 3FF6\n"
              "  Configuration verify failed (Watchdog Timer Setting)\n"
              "EEPROM: 1 difference\n"
              "  2105 (location 5): expected A0, found 11\n");
    EXPECT_EQ(run.err, "quillet: Verify failed: 4 differences\n");
    // A difference is no link failure: the board is released as after a pass.
    EXPECT_EQ(bench.CommandWords(), Connected({READ_84A}));

    run = bench.Run({"verify", Fixture("blink84a.hex"), "--json"});
    EXPECT_EQ(run.exitCode, kExitVerifyDiffers);
    const std::vector<std::string> lines = Lines(run.out);
    std::vector<std::string> differences;
    for (const std::string& line : lines) {
        if (line.rfind("{\"type\":\"difference\"", 0) == 0)
            differences.push_back(line);
    }
    // Addresses and values in decimal: 0x0005 = 5, 0x1683 = 5763, 0x1234 = 4660, ...
    EXPECT_EQ(differences, (std::vector<std::string>{
                               R"({"type":"difference","memory":"program","address":5,"expected":5763,"found":4660})",
                               R"({"type":"difference","memory":"program","address":256,"expected":16383,"found":0})",
                               R"json({"type":"difference","memory":"configuration","address":8199,"option":"Configuration verify failed (Watchdog Timer Setting)","expected":16370,"found":16374})json",
                               R"({"type":"difference","memory":"eeprom","address":8453,"location":5,"expected":160,"found":17})"}));
    EXPECT_EQ(lines.back(),
              R"({"type":"result","command":"verify","exit_code":7,"status":"verify-differs","message":"Verify failed: 4 differences","processor":"16F84A","differences":4})");
}

} // namespace
