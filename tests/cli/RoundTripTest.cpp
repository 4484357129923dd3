// The production round trip on each emulated board: program with auto-erase, verify, read
// back into a HEX file, program that file onto a fresh chip and verify the fresh chip; then
// the verify report of every difference, as text and as JSON, and the bar at a terminal.
#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "cli/CliBench.h"

namespace {

constexpr unsigned kStrayCell = 0x0100; // a program word left by an earlier firmware
constexpr unsigned kConfigWordCell = 0x2007;

struct RoundTripCase {
    const char* name;
    const char* fixture;
    int board; // device number of the chip programmed first; board + 2 is a fresh one alike
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

std::size_t Count(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

class RoundTripTest : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(RoundTripTest, ReadBackProgramsAFreshChipThatVerifies)
{
    const RoundTripCase& c = GetParam();
    CliBench bench;
    const std::string board = std::to_string(c.board);
    const std::string fresh = std::to_string(c.board + 2);
    bench.SetChipCell(c.board, kStrayCell, 0); // not blank: auto-erase has to act

    CliRun run = bench.Run({"program", Fixture(c.fixture), "--auto-erase", "--device", board});
    ASSERT_EQ(run.exitCode, kExitOk) << run.err;
    EXPECT_EQ(run.out, "Programming complete.\n");
    EXPECT_EQ(run.err, ""); // no terminal, no bar
    EXPECT_EQ(bench.CommandWords(), OnBoard({c.blankCheck, c.erase, c.program, DISCONNECT}));

    run = bench.Run({"verify", Fixture(c.fixture), "--device", board});
    ASSERT_EQ(run.exitCode, kExitOk) << run.err;
    EXPECT_EQ(run.out, "Verify passed\n");
    EXPECT_EQ(bench.CommandWords(), OnBoard({c.read, DISCONNECT}));

    ASSERT_EQ(bench.Run({"read", "-o", "back.hex", "--device", board}).exitCode, kExitOk);
    // Its lines end as the system's tools end them.
    const std::string back = ReadFile(bench.Folder() / "back.hex");
#if defined(_WIN32)
    EXPECT_EQ(Lines(back).size(), Count(back, "\r\n")) << "CR LF on Windows";
#else
    EXPECT_EQ(Count(back, "\r"), 0u) << "LF alone";
#endif
    run = bench.Run({"program", "back.hex", "--device", fresh});
    ASSERT_EQ(run.exitCode, kExitOk) << run.err;
    EXPECT_EQ(bench.CommandWords(), OnBoard({c.blankCheck, c.program, DISCONNECT}));
    run = bench.Run({"verify", Fixture(c.fixture), "--device", fresh});
    EXPECT_EQ(run.exitCode, kExitOk) << run.out << run.err;
    // Cell for cell, ID words too, the second chip holds what the first one does.
    EXPECT_EQ(bench.State(c.board + 2), bench.State(c.board));
}

INSTANTIATE_TEST_SUITE_P(
    Boards, RoundTripTest,
    ::testing::Values(RoundTripCase{"TVR_IOA", "blink84a.hex", 0, BLANK_CHECK_84A, ERASE_84A, PROGRAM_84A, READ_84A},
                      RoundTripCase{"TVR_IOB", "counter877.hex", 1, BLANK_CHECK_877, ERASE_877, PROGRAM_877, READ_877}),
    [](const ::testing::TestParamInfo<RoundTripCase>& info) { return std::string(info.param.name); });

// Every difference, memory by memory, with its address, the file's value and the chip's; a
// switch given to program outweighs the file's configuration record.
TEST(VerifyTest, ReportsEveryDifferenceGroupedByMemory)
{
    CliBench bench;
    ASSERT_EQ(bench.Run({"program", Fixture("blink84a.hex"), "--watchdog", "--device", "0"}).exitCode, kExitOk);
    // What the fixture holds at these places (see blink84a.asm): 0x1683 at 0x0005, EEPROM
    // location 5 = 0xA0, configuration word 0x3FF2 (watchdog off).
    bench.SetChipCell(0, 0x0005, 0x1234);
    bench.SetChipCell(0, kStrayCell, 0x0000); // the file is silent here: erased is expected
    bench.SetChipCell(0, 0x2105, 0x0011);

    CliRun run = bench.Run({"verify", Fixture("blink84a.hex"), "--device", "0"});
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
    EXPECT_EQ(bench.CommandWords(), OnBoard({READ_84A, DISCONNECT}));

    // As lines for another program: the percentages climb, then the differences, the result last.
    run = bench.Run({"verify", Fixture("blink84a.hex"), "--json", "--device", "0"});
    EXPECT_EQ(run.exitCode, kExitVerifyDiffers);
    EXPECT_EQ(run.err, "");
    std::vector<std::string> lines = Lines(run.out);
    const std::string progress = R"({"type":"progress","operation":"verify","percent":)";
    auto line = lines.begin();
    for (int last = -1; line != lines.end() && line->starts_with(progress); ++line) {
        const int percent = std::stoi(line->substr(progress.size()));
        EXPECT_GT(percent, last); // only changes are reported
        last = percent;
    }
    EXPECT_EQ(line - lines.begin(), 64); // one before each of the 16F84A's 64 program blocks
    // Addresses and values in decimal: 0x0005 = 5, 0x1683 = 5763, 0x1234 = 4660, ...
    EXPECT_EQ(std::vector<std::string>(line, lines.end()),
              (std::vector<std::string>{
                  R"({"type":"difference","memory":"program","address":5,"expected":5763,"found":4660})",
                  R"({"type":"difference","memory":"program","address":256,"expected":16383,"found":0})",
                  R"json({"type":"difference","memory":"configuration","address":8199,"option":"Configuration verify failed (Watchdog Timer Setting)","expected":16370,"found":16374})json",
                  R"({"type":"difference","memory":"eeprom","address":8453,"location":5,"expected":160,"found":17})",
                  R"({"type":"result","command":"verify","exit_code":7,"status":"verify-differs","message":"Verify failed: 4 differences","processor":"16F84A","differences":4})"}));
}

// At a desk the bar is drawn over itself on standard error; the data stays clean.
TEST(ProgressTest, BarOnATerminal)
{
#if defined(_WIN32)
    // Windows has no pseudo-terminal whose screen a test could read back under wine; the bar's
    // drawing is the same code on both systems, and Reporter asks _isatty like isatty.
    GTEST_SKIP() << "no terminal to capture on Windows";
#endif
    CliBench bench;
    const CliRun run = bench.Run({"program", Fixture("blink84a.hex"), "--device", "0"}, true);
    EXPECT_EQ(run.exitCode, kExitOk);
    EXPECT_EQ(run.out, "Programming complete.\n");
    // Every percent up to the last block's, a mark for each 2.5 of them, then the line blanked.
    std::string bar;
    for (int percent = 0; percent < 100; ++percent) {
        const int marks = percent * 40 / 100;
        char shown[8];
        std::snprintf(shown, sizeof shown, "%3d%%", percent);
        bar += "\rProgramming  [" + std::string(marks, '#') + std::string(40 - marks, '.') + "] " + shown;
    }
    EXPECT_EQ(run.err, bar + "\r" + std::string(80, ' ') + "\r");

    // A warning that follows the stream, the disconnect unanswered, starts on a blanked line
    // (and ends in the terminal's \r\n).
    CliBench unanswered(2, "", "fault = ack-missing command=CMD_DISCONNECT");
    const CliRun warned = unanswered.Run({"program", Fixture("blink84a.hex"), "--device", "0"}, true);
    EXPECT_EQ(warned.err, bar + "\r" + std::string(80, ' ') + "\rquillet: warning: No response to Disconnect.\r\n");
}

} // namespace
