// What quillet prints and sends besides the exit codes: --help for every command, the board
// list, the processor an operation is run for, the JSON lines, the version text on the wire.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "cli/CliBench.h"
#include "cli/CommandWords.h"
#include "cli/DocumentedExitCodes.h"

namespace {

class HelpTest : public ::testing::TestWithParam<const char*> {};

TEST_P(HelpTest, EveryCommandExplainsItself)
{
    CliBench bench;
    const CliRun run = bench.Run({GetParam(), "--help"});
    EXPECT_EQ(run.exitCode, kExitOk);
    EXPECT_EQ(run.out.rfind(std::string("Usage: quillet ") + GetParam(), run.out.find('\n') + 1),
              run.out.find('\n') + 1)
        << run.out;
    EXPECT_TRUE(bench.TraceLines().empty());
}

INSTANTIATE_TEST_SUITE_P(Commands, HelpTest,
                         ::testing::Values("list", "info", "blank-check", "erase", "program", "verify", "read",
                                           "view", "write-version"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             std::string name = info.param;
                             name.erase(std::remove(name.begin(), name.end(), '-'), name.end());
                             return name;
                         });

TEST(HelpTest, TopLevelListsTheExitCodes)
{
    CliBench bench;
    const CliRun run = bench.Run({"--help"});
    EXPECT_EQ(run.exitCode, kExitOk);
    for (const char* line : {"  2  usage error", "  7  verify: the target differs", " 10  the D2XX driver"})
        EXPECT_NE(run.out.find(line), std::string::npos) << line;
}

struct ProcessorCase {
    const char* name;
    int board;
    std::string answer; // the board's processor answer, as the emulator's "answer" key takes it
    std::vector<std::string> option;
    const char* blankCheck; // the command word that must follow
    const char* warning;    // on standard error, or "" for none
};

// Test names in ctest's list, not a dump of the case's bytes.
void PrintTo(const ProcessorCase& c, std::ostream* out)
{
    *out << c.name;
}

class ProcessorTest : public ::testing::TestWithParam<ProcessorCase> {};

// The board's answer picks the command words, --processor overrides it as a click on the
// window's radio after Connect would, and without either the window's 16F84A stands.
TEST_P(ProcessorTest, PicksTheCommandWords)
{
    const ProcessorCase& c = GetParam();
    std::vector<BenchBoard> boards = StandardBench();
    boards[static_cast<std::size_t>(c.board)].extra = "answer = " + c.answer;
    CliBench bench(boards);
    std::vector<std::string> arguments{"blank-check", "--device", std::to_string(c.board)};
    arguments.insert(arguments.end(), c.option.begin(), c.option.end());
    const CliRun run = bench.Run(arguments);
    EXPECT_EQ(run.exitCode, kExitOk) << run.err;
    std::vector<std::string> words{CONNECT, PING, GET_REVISION, GET_VERSION, GET_PROCESSOR};
    // A board that names no processor is asked a second time, as the window's Connect does.
    if (c.answer == "none")
        words.emplace_back(GET_PROCESSOR);
    words.insert(words.end(), {c.blankCheck, DISCONNECT});
    EXPECT_EQ(bench.CommandWords(), words);
    if (*c.warning == '\0')
        EXPECT_EQ(run.err, "");
    else
        EXPECT_NE(run.err.find(c.warning), std::string::npos) << run.err;
}

INSTANTIATE_TEST_SUITE_P(
    Sources, ProcessorTest,
    ::testing::Values(
        ProcessorCase{"board84A", 0, "chip", {}, BLANK_CHECK_84A, ""},
        ProcessorCase{"board877", 1, "chip", {}, BLANK_CHECK_877, ""},
        ProcessorCase{"optionOverridesBoard", 0, "chip", {"--processor", "16f877"}, BLANK_CHECK_877,
                      "the board reports a 16F84A; going on with the 16F877"},
        // "none": the board names no processor.
        ProcessorCase{"noAnswerTakes84A", 1, "none", {}, BLANK_CHECK_84A, "did not report its processor"},
        ProcessorCase{"noAnswerWithOption", 1, "none", {"--processor", "16F877"}, BLANK_CHECK_877, ""}),
    [](const ::testing::TestParamInfo<ProcessorCase>& info) { return std::string(info.param.name); });

TEST(ListTest, ShowsEveryBoardAsTextAndAsJson)
{
    CliBench bench;
    CliRun run = bench.Run({"list"});
    EXPECT_EQ(run.exitCode, kExitOk);
    EXPECT_EQ(run.out,
              "4 device(s) attached:\n"
              "0    TVRA0001             TVR-IOA\n"
              "1    TVRB0001             TVR-IOB\n"
              "2    TVRA0002             TVR-IOA\n"
              "3    TVRB0002             TVR-IOB\n");

    run = bench.Run({"list", "--json"});
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 5u); // four devices and the result
    EXPECT_EQ(lines[1], R"({"type":"device","device":1,"serial":"TVRB0001","description":"TVR-IOB"})");
    EXPECT_EQ(lines[4], R"({"type":"result","command":"list","exit_code":0,"status":"ok","message":"","devices":4})");

    // An empty bus is an answer, not a failure.
    CliBench empty(std::vector<BenchBoard>{});
    run = empty.Run({"list"});
    EXPECT_EQ(run.exitCode, kExitOk);
    EXPECT_EQ(run.out, "0 device(s) attached:\n");
}

// Progress and result as lines another program reads: the percentages climb to 99, nothing
// goes to standard error, the result comes last.
TEST(JsonTest, ProgramReportsProgressAndResult)
{
    CliBench bench;
    const CliRun run = bench.Run({"program", Fixture("counter877.hex"), "--device", "1", "--json"});
    EXPECT_EQ(run.exitCode, kExitOk);
    EXPECT_EQ(run.err, "");
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_FALSE(lines.empty());
    int last = -1;
    int progressLines = 0;
    const std::string progress = R"({"type":"progress","operation":"program","percent":)";
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
        ASSERT_EQ(lines[i].rfind(progress, 0), 0u) << lines[i];
        const int percent = std::stoi(lines[i].substr(progress.size()));
        EXPECT_GT(percent, last); // only changes are reported
        last = percent;
        ++progressLines;
    }
    // Positions 0 to 99, each once: the bar moves before each of the 1024 program blocks.
    EXPECT_EQ(progressLines, 100);
    // 0x3D72 = 15730: the counter's own configuration word.
    EXPECT_EQ(lines.back(), R"({"type":"result","command":"program","exit_code":0,"status":"ok","message":)"
                            R"("Programming complete.","processor":"16F877","erased":false,"config_word":15730})");
}

// At a desk the bar is drawn over itself on standard error; the data stays clean.
TEST(ProgressTest, BarOnlyOnATerminal)
{
    CliBench bench;
    const CliRun run = bench.RunAtTerminal({"program", Fixture("blink84a.hex")});
    EXPECT_EQ(run.exitCode, kExitOk);
    EXPECT_EQ(run.out, "Programming complete.\n");
    EXPECT_NE(run.err.find("\rProgramming  [...."), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("]  99%"), std::string::npos) << run.err; // the last block's position
    // Without a terminal (every other test) standard error stays empty on success.
    EXPECT_EQ(bench.Run({"verify", Fixture("blink84a.hex")}).err, "");
}

TEST(JsonTest, UsageErrorIsAResultToo)
{
    CliBench bench;
    const CliRun run = bench.Run({"verify", "--json"});
    EXPECT_EQ(run.exitCode, kExitUsage);
    EXPECT_EQ(run.out, R"({"type":"result","command":"verify","exit_code":2,"status":"usage","message":"FILE is required"})"
                       "\n");
}

// The text goes out padded with spaces to 16 characters, each character low nibble first,
// and comes back from the board on the next connect. "é" is typed in UTF-8 and stored as
// the 8-bit character 0xE9.
TEST(WriteVersionTest, StoresTheTextTheBoardReturns)
{
    CliBench bench;
    CliRun run = bench.Run({"write-version", "AB\xC3\xA9"});
    EXPECT_EQ(run.exitCode, kExitOk) << run.err;
    const std::vector<std::string> writes = bench.Writes();
    const auto command = std::find(writes.begin(), writes.end(), std::string(WRITE_VERSION));
    ASSERT_NE(command, writes.end());
    std::string field = "01 04 02 04 09 0E"; // 'A' 0x41, 'B' 0x42, 0xE9
    for (int i = 0; i < 13; ++i)             // 13 spaces (0x20) fill the 16 characters
        field += " 00 02";
    EXPECT_EQ(*(command + 1), field);

    run = bench.Run({"info", "--json"});
    EXPECT_NE(run.out.find(R"("version":"ABé             ")"), std::string::npos) << run.out;
}

TEST(ViewTest, ListsTheFileWithoutABoard)
{
    CliBench bench;
    const CliRun run = bench.Run({"view", Fixture("blink84a.hex")});
    EXPECT_EQ(run.exitCode, kExitOk);
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], "Program Data:");
    // Word 0 of the fixture is goto 5 (0x2805); words 1-3 are not in the file.
    EXPECT_EQ(lines[1], "0000:   2805   3FFF   3FFF   3FFF");
    EXPECT_TRUE(bench.TraceLines().empty());
}

} // namespace
