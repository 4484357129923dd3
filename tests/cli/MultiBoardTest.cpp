// Production runs of the real quillet against emulated buses of several boards: every board
// at once, one unplugged on the way, serial numbers from one counter file, the production log.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fstream>
#include <future>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "cli/CliBench.h"

namespace {

const std::string kBlink = Fixture("blink84a.hex");
// blink84a.hex fills EEPROM 0x2100-0x2108; the numbers go behind it, in six ASCII digits.
constexpr unsigned kSerialAt = 0x2110;
constexpr int kDigits = 6;
constexpr unsigned kStart = 1000;

std::vector<std::string> NumberedProgram(const std::vector<std::string>& extra = {})
{
    std::vector<std::string> arguments{"program",     kBlink,          "--auto-erase", "--serial-number",
                                       "--serial-at", "0x2110",        "--serial-format", "dec:6",
                                       "--serial-file", "counter",     "--serial-start", std::to_string(kStart),
                                       "--log",       "run.jsonl"};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    return arguments;
}

// The number a board's chip holds in its EEPROM, from its state file; -1 when it holds none.
long long ChipNumber(const CliBench& bench, int device)
{
    long long number = 0;
    for (int i = 0; i < kDigits; ++i) {
        const std::optional<unsigned> cell = bench.StateCell(device, kSerialAt + static_cast<unsigned>(i));
        if (!cell || *cell < '0' || *cell > '9')
            return -1;
        number = number * 10 + (*cell - '0');
    }
    return number;
}

// A field of a JSON line as text: a string without its quotes, or a number ("" when absent).
std::string Field(const std::string& line, const std::string& key)
{
    const std::string quoted = "\"" + key + "\":";
    const auto at = line.find(quoted);
    if (at == std::string::npos)
        return "";
    std::size_t from = at + quoted.size();
    if (line[from] == '"')
        return line.substr(from + 1, line.find('"', from + 1) - from - 1);
    return line.substr(from, line.find_first_of(",}", from) - from);
}

std::vector<std::string> LogLines(const CliBench& bench)
{
    std::ifstream in(bench.Folder() / "run.jsonl");
    std::ostringstream text;
    text << in.rdbuf();
    return Lines(text.str());
}

// The production log's lines of one kind: "outcome" (one per board when it is done) or
// "reserved" (a serial number taken, before the chip got it).
std::vector<std::string> LogRecords(const CliBench& bench, const std::string& record)
{
    std::vector<std::string> lines;
    for (const std::string& line : LogLines(bench)) {
        if (Field(line, "record") == record)
            lines.push_back(line);
    }
    return lines;
}

// The serial journal's reservations, number by number: the board each went to.
std::map<long long, std::string> Reservations(const std::filesystem::path& journal)
{
    std::map<long long, std::string> reserved;
    for (const std::string& line : Lines(ReadFile(journal))) {
        if (Field(line, "record") != "reserved")
            continue;
        const long long number = std::stoll(Field(line, "serial_number"));
        EXPECT_EQ(reserved.count(number), 0u) << "number " << number << " reserved twice";
        EXPECT_EQ(Field(line, "serial_number_text"), std::to_string(number)) << line;
        reserved[number] = Field(line, "serial");
    }
    return reserved;
}

std::string Serial(int device)
{
    char serial[16];
    std::snprintf(serial, sizeof serial, "TVR%c%04d", device % 2 ? 'B' : 'A', device / 2 + 1);
    return serial;
}

class AllBoardsTest : public ::testing::TestWithParam<int> {};

// Every board programmed with a number of its own, the log holding a line per board, and
// verify reading each number back from its chip.
TEST_P(AllBoardsTest, ProgramsEveryBoardWithItsOwnNumber)
{
    const int boards = GetParam();
    CliBench bench(boards, "");
    const CliRun run = bench.Run(NumberedProgram({"--all"}));
    ASSERT_EQ(run.exitCode, kExitOk) << run.out << run.err;

    std::set<long long> numbers;
    std::map<std::string, std::string> logged; // board serial -> serial_number
    for (const std::string& line : LogRecords(bench, "outcome")) {
        logged[Field(line, "serial")] = Field(line, "serial_number");
        // A run on several boards reads every chip back.
        EXPECT_EQ(Field(line, "verified"), "true") << line;
    }
    ASSERT_EQ(logged.size(), static_cast<std::size_t>(boards));
    EXPECT_EQ(LogRecords(bench, "reserved").size(), static_cast<std::size_t>(boards));
    const std::map<long long, std::string> reserved = Reservations(bench.Folder() / "counter");
    ASSERT_EQ(reserved.size(), static_cast<std::size_t>(boards));
    for (int device = 0; device < boards; ++device) {
        const long long number = ChipNumber(bench, device);
        EXPECT_GE(number, kStart) << Serial(device);
        EXPECT_LT(number, kStart + boards) << Serial(device);
        numbers.insert(number);
        EXPECT_EQ(logged[Serial(device)], std::to_string(number)) << Serial(device);
        EXPECT_EQ(reserved.at(number), Serial(device));
        // One row per board in the table.
        EXPECT_NE(run.out.find(std::to_string(device) + "      " + Serial(device)), std::string::npos) << run.out;
    }
    EXPECT_EQ(numbers.size(), static_cast<std::size_t>(boards)) << "a number went to two chips";

    const CliRun verify = bench.Run({"verify", kBlink, "--all", "--serial-number", "--serial-at", "0x2110"});
    EXPECT_EQ(verify.exitCode, kExitOk) << verify.out << verify.err;
    EXPECT_NE(verify.out.find(Serial(boards - 1) + " (device " + std::to_string(boards - 1) + "): Serial number "),
              std::string::npos)
        << verify.out;

    // Each board's chip into a file of its own.
    ASSERT_EQ(bench.Run({"read", "--all", "-o", "back.hex"}).exitCode, kExitOk);
    for (int device = 0; device < boards; ++device)
        EXPECT_TRUE(std::filesystem::exists(bench.Folder() / ("back-" + Serial(device) + ".hex"))) << Serial(device);
}

INSTANTIATE_TEST_SUITE_P(Buses, AllBoardsTest, ::testing::Values(1, 2, 8),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::to_string(info.param) + "Boards";
                         });

// Board 3 vanishes in the middle of its program memory: the other seven finish, the exit
// code is board 3's, the table and the log say which board failed with which number, and
// that number is not handed out again.
TEST(MultiBoard, OneBoardUnpluggedHalfWayLeavesTheOthersAlone)
{
    CliBench bench(8, "", "fault = unplug stream=program part=program block=40 board=3");
    const CliRun run = bench.Run(NumberedProgram({"--all"}));
    EXPECT_EQ(run.exitCode, kExitNoBoard) << run.out << run.err;
    EXPECT_NE(run.err.find("1 of 8 boards failed; the exit code is that of TVRB0002 (device 3)."), std::string::npos)
        << run.err;
    EXPECT_NE(run.out.find("3      TVRB0002          16F877     no-board"), std::string::npos) << run.out;

    std::map<std::string, std::string> status;
    std::map<std::string, std::string> number;
    for (const std::string& line : LogRecords(bench, "outcome")) {
        status[Field(line, "serial")] = Field(line, "status");
        number[Field(line, "serial")] = Field(line, "serial_number");
        EXPECT_EQ(Field(line, "exit_code"), Field(line, "status") == "ok" ? "0" : "4") << line;
    }
    ASSERT_EQ(status.size(), 8u);
    for (int device = 0; device < 8; ++device) {
        EXPECT_EQ(status[Serial(device)], device == 3 ? "no-board" : "ok") << Serial(device);
        if (device != 3) {
            EXPECT_EQ(number[Serial(device)], std::to_string(ChipNumber(bench, device)));
        }
    }
    // The failed chip got its number before the stream broke; it is gone for good, and the
    // journal says which board has it.
    ASSERT_NE(number["TVRB0002"], "");
    EXPECT_EQ(Reservations(bench.Folder() / "counter").at(std::stoll(number["TVRB0002"])), "TVRB0002");
    EXPECT_EQ(Lines(ReadFile(bench.Folder() / "counter")).size(), 9u);
}

// Two runs on two benches at once, drawing from one counter file: eight different numbers.
TEST(MultiBoard, TwoConcurrentRunsShareOneCounterFile)
{
    CliBench first(4, "");
    CliBench second(4, "");
    const std::string counter = (first.Folder() / "shared-counter").string();
    const std::vector<std::string> arguments{"program", kBlink, "--all", "--serial-number", "--serial-at", "0x2110",
                                             "--serial-file", counter, "--serial-start", std::to_string(kStart)};
    auto one = std::async(std::launch::async, [&] { return first.Run(arguments); });
    auto other = std::async(std::launch::async, [&] { return second.Run(arguments); });
    ASSERT_EQ(one.get().exitCode, kExitOk);
    ASSERT_EQ(other.get().exitCode, kExitOk);
    std::set<long long> numbers;
    for (int device = 0; device < 4; ++device) {
        numbers.insert(ChipNumber(first, device));
        numbers.insert(ChipNumber(second, device));
    }
    EXPECT_EQ(numbers, (std::set<long long>{1000, 1001, 1002, 1003, 1004, 1005, 1006, 1007}));
}

// A number in program memory as RETLW words, read back by verify, or held against a given one.
TEST(MultiBoard, SerialNumberInProgramMemory)
{
    CliBench bench;
    const std::vector<std::string> place{"--serial-number", "--serial-at", "0x300", "--serial-format", "le:2"};
    std::vector<std::string> program{"program", kBlink, "--device", "0", "--serial-file", "counter", "--serial-start", "48879"};
    program.insert(program.end(), place.begin(), place.end());
    ASSERT_EQ(bench.Run(program).exitCode, kExitOk);
    // 48879 is 0xBEEF: RETLW 0xEF, RETLW 0xBE, least significant first.
    EXPECT_EQ(bench.StateCell(0, 0x300), 0x34EFu);
    EXPECT_EQ(bench.StateCell(0, 0x301), 0x34BEu);

    std::vector<std::string> verify{"verify", kBlink};
    verify.insert(verify.end(), place.begin(), place.end());
    const CliRun read = bench.Run(verify);
    EXPECT_EQ(read.exitCode, kExitOk) << read.err;
    EXPECT_NE(read.out.find("Serial number 48879 at 0300-0301"), std::string::npos) << read.out;

    verify.insert(verify.end(), {"--serial-number-is", "48880"});
    const CliRun other = bench.Run(verify);
    EXPECT_EQ(other.exitCode, kExitVerifyDiffers);
    EXPECT_NE(other.out.find("Serial number at 0300-0301: expected 48880, found 48879"), std::string::npos) << other.out;
    EXPECT_NE(other.out.find("0300: expected 34F0, found 34EF"), std::string::npos) << other.out;

    // An erased chip holds no number at all.
    const CliRun none = bench.Run({"verify", kBlink, "--device", "2", "--serial-number", "--serial-at", "0x300"});
    EXPECT_EQ(none.exitCode, kExitVerifyDiffers);
    EXPECT_NE(none.err.find("No serial number in dec:6 form at 0300-0305."), std::string::npos) << none.err;
    // An address copied from a listing, without its 0x, is taken as decimal: said, as it is
    // rarely what was meant.
    const CliRun decimal = bench.Run({"verify", kBlink, "--device", "2", "--serial-number", "--serial-at", "2110"});
    EXPECT_NE(decimal.err.find("quillet: warning: --serial-at 2110 is decimal, program-memory address 083E; for the "
                               "EEPROM address write 0x2110.\n"),
              std::string::npos)
        << decimal.err;
    const CliRun erased = bench.Run({"verify", kBlink, "--device", "2", "--serial-number", "--serial-at", "0x2110",
                                     "--serial-format", "be:2"});
    EXPECT_EQ(erased.exitCode, kExitVerifyDiffers);
    EXPECT_NE(erased.err.find("No serial number in be:2 form at 2110-2111."), std::string::npos) << erased.err;
}

// program --verify holds the chip against what was written: a board that reports a 16F877 but
// carries a 16F84A takes the whole stream, and its chip holds something else. The log says so.
// A protected chip reads back zeros: --verify refuses it.
TEST(MultiBoard, VerifyAfterProgramSaysWhetherTheChipMatched)
{
    CliBench bench(3, "");
    std::string config = ReadFile(bench.Config());
    config.replace(config.find("serial = TVRA0002"), std::string("serial = TVRA0002").size(),
                   "serial = TVRA0002\nanswer = 16F877");
    std::ofstream(bench.Config()) << config;
    const CliRun run = bench.Run({"program", Fixture("counter877.hex"), "--device", "2", "--verify", "--log", "run.jsonl"});
    EXPECT_EQ(run.exitCode, kExitVerifyDiffers) << run.err;
    EXPECT_NE(run.err.find("quillet: Programmed, but verify failed: 134 differences\n"), std::string::npos) << run.err;
    EXPECT_NE(run.out.find("Program memory: "), std::string::npos) << run.out;
    const std::vector<std::string> outcome = LogRecords(bench, "outcome");
    ASSERT_EQ(outcome.size(), 1u);
    EXPECT_EQ(Field(outcome[0], "verified"), "false");
    EXPECT_EQ(Field(outcome[0], "status"), "verify-differs");

    const CliRun protects = bench.Run({"program", kBlink, "--device", "0", "--verify", "--code-protection", "all",
                                       "--yes-protect"});
    EXPECT_EQ(protects.exitCode, kExitUsage);
    EXPECT_EQ(protects.err, "quillet: This configuration protects the chip, which then reads back zeros and cannot be "
                            "verified; program it without --verify.\n");
    ASSERT_EQ(bench.Run({"program", kBlink, "--device", "0"}).exitCode, kExitOk);

    // A list verifies unless told not to. A chip already programmed is not blank: said once, as
    // the board's result.
    CliRun listed = bench.Run({"program", kBlink, "--device", "1", "--device", "0", "--no-verify"});
    EXPECT_EQ(listed.exitCode, kExitNotBlank) << listed.err;
    EXPECT_EQ(listed.err, "quillet: TVRA0001 (device 0): Device is not blank. Either erase the device or select Auto "
                          "Erase.\nquillet: 1 of 2 boards failed; the exit code is that of TVRA0001 (device 0).\n");
    const auto reads = [&bench] {
        const Words words = bench.CommandWords();
        return std::count(words.begin(), words.end(), std::string(READ_84A)) +
               std::count(words.begin(), words.end(), std::string(READ_877));
    };
    EXPECT_EQ(reads(), 0);
    listed = bench.Run({"program", kBlink, "--device", "1", "--device", "0", "--auto-erase"});
    EXPECT_EQ(listed.exitCode, kExitOk) << listed.err;
    EXPECT_NE(listed.out.find("TVRB0001 (device 1): Verify passed"), std::string::npos) << listed.out;
    EXPECT_EQ(reads(), 2);
    // Protected chips of a run on several boards are not read back: every one would differ.
    listed = bench.Run({"program", kBlink, "--device", "1", "--device", "0", "--auto-erase", "--code-protection",
                        "all", "--yes-protect"});
    EXPECT_EQ(listed.exitCode, kExitOk) << listed.err;
    EXPECT_EQ(reads(), 0);
}

// With --json every object of a board names it; the result lists every board.
TEST(MultiBoard, JsonObjectsCarryTheirBoard)
{
    CliBench bench(2, "");
    const CliRun run = bench.Run({"blank-check", "--all", "--json"});
    EXPECT_EQ(run.exitCode, kExitOk) << run.err;
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_FALSE(lines.empty());
    for (const std::string& line : lines) {
        if (Field(line, "type") != "result") {
            EXPECT_NE(Field(line, "serial"), "") << line;
        }
    }
    EXPECT_NE(lines.back().find(R"("boards":[{"device":0,"serial":"TVRA0001","exit_code":0,"status":"ok"},)"
                                R"({"device":1,"serial":"TVRB0001","exit_code":0,"status":"ok"}])"),
              std::string::npos)
        << lines.back();
}

struct RefusalCase {
    const char* name;
    std::vector<std::string> arguments;
    int exitCode;
    std::string err;
    std::string busLines = "";
};

void PrintTo(const RefusalCase& c, std::ostream* out)
{
    *out << c.name;
}

class RefusalTest : public ::testing::TestWithParam<RefusalCase> {};

// Refused before a single command reaches a board.
TEST_P(RefusalTest, TouchesNoBoard)
{
    const RefusalCase& c = GetParam();
    // Bus lines of its own bring no boards of the bench.
    CliBench bench(c.busLines.empty() ? 4 : 0, "", c.busLines);
    const CliRun run = bench.Run(c.arguments);
    EXPECT_EQ(run.exitCode, c.exitCode) << run.out << run.err;
    EXPECT_EQ(run.err, c.err);
    EXPECT_EQ(bench.CommandWords(), Words{});
    EXPECT_FALSE(std::filesystem::exists(bench.Folder() / "counter"));
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, RefusalTest,
    ::testing::Values(
        RefusalCase{"allOnAnEmptyBus", {"erase", "--all"}, kExitNoBoard, "quillet: --all: no board is attached.\n", "boards = 0"},
        RefusalCase{"sameBoardTwice", {"erase", "--device", "1", "--device", "01"}, kExitUsage,
                    "quillet: --device 01 names TVRB0001 (device 1) a second time; name each board once.\n"},
        RefusalCase{"sameSerialTwice", {"blank-check", "--serial", "TVRA0002", "--serial", "TVRA0002"}, kExitUsage,
                    "quillet: --serial TVRA0002 names TVRA0002 (device 2) a second time; name each board once.\n"},
        RefusalCase{"unknownBoardInAList", {"erase", "--serial", "TVRA0001", "--serial", "TVRX0009"}, kExitNoBoard,
                    "quillet: --serial TVRX0009: no such board is attached (see quillet list).\n"},
        RefusalCase{"readSeveralWithoutFile", {"read", "--all"}, kExitUsage, "quillet: Reading several boards needs -o FILE; each board's file gets its serial number before the "
                    "extension.\n"},
        RefusalCase{"numberOverFileData", {"program", kBlink, "--serial-number", "--serial-at", "0x2104",
                                           "--serial-file", "counter", "--serial-start", "1"},
                    kExitUsage, "quillet: " + kBlink + " holds data at 2104-2109, where the serial number goes; add --serial-overwrite to "
                    "replace it.\n"},
        RefusalCase{"numberWithoutPlace", {"program", kBlink, "--serial-number"}, kExitUsage,
                    "quillet: --serial-number needs --serial-at ADDRESS: an EEPROM address from 0x2100 or a "
                    "program-memory address.\n"},
        RefusalCase{"numberWithoutCounter", {"program", kBlink, "--serial-number", "--serial-at", "0x2110"},
                    kExitUsage, "quillet: --serial-number needs --serial-file FILE, the counter the numbers come from.\n"},
        RefusalCase{"counterMissing", {"program", kBlink, "--serial-number", "--serial-at", "0x2110",
                                       "--serial-file", "counter"},
                    kExitUsage, "quillet: Serial counter file counter does not exist; create it with --serial-start N.\n"},
        RefusalCase{"numberToCheckPastTheFormat", {"verify", kBlink, "--serial-at", "0x2110", "--serial-number-is", "7001000"},
                    kExitUsage, "quillet: --serial-number-is 7001000 does not fit dec:6 at 2110-2115, which holds at most 999999.\n"},
        RefusalCase{"numberToCheckReadsAsErased", {"verify", kBlink, "--serial-at", "0x2110", "--serial-format", "be:2",
                                                   "--serial-number-is", "65535"},
                    kExitUsage, "quillet: --serial-number-is 65535 does not fit be:2 at 2110-2111, which holds at most 65534.\n"},
        RefusalCase{"logIsTheJournal", {"program", kBlink, "--serial-number", "--serial-at", "0x2110", "--serial-file",
                                        "counter", "--serial-start", "1", "--log", "./counter"},
                    kExitUsage, "quillet: --log and --serial-file name the same file, counter; give each a file of its own.\n"},
        RefusalCase{"placeWithoutNumber", {"program", kBlink, "--serial-at", "0x2110"}, kExitUsage,
                    "quillet: The --serial-... options need --serial-number.\n"},
        RefusalCase{"placeInNoMemory", {"program", kBlink, "--serial-number", "--serial-at", "0x2004",
                                        "--serial-file", "counter", "--serial-start", "1"},
                    kExitUsage, "quillet: The serial number at 2004-2009 does not fit the 16F877: program memory is 0000-1FFF, EEPROM "
                    "2100-21FF.\n"},
        RefusalCase{"logUnwritable", {"erase", "--all", "--log", "no-such-folder/run.jsonl"}, kExitOutputFile,
                    "quillet: Cannot open the log file no-such-folder/run.jsonl: No such file or directory\n"}),
    [](const ::testing::TestParamInfo<RefusalCase>& info) { return std::string(info.param.name); });

// A place that fits the 16F877's EEPROM but not the 16F84A's: the 16F84A boards refuse, the
// others are programmed, and the first refusal gives the exit code.
TEST(MultiBoard, EachBoardChecksThePlaceAgainstItsProcessor)
{
    CliBench bench(2, "");
    const CliRun run = bench.Run({"program", kBlink, "--all", "--serial-number", "--serial-at", "0x2180",
                                  "--serial-file", "counter", "--serial-start", "7"});
    EXPECT_EQ(run.exitCode, kExitUsage);
    EXPECT_NE(run.err.find("quillet: TVRA0001 (device 0): The serial number at 2180-2185 does not fit the 16F84A"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.out.find("TVRB0001 (device 1): Programming complete."), std::string::npos) << run.out;
    EXPECT_EQ(bench.StateCell(1, 0x2185), unsigned{'7'});
}

} // namespace

namespace {

// In real time a board waiting for a late answer holds up no other board: the driver's wait
// is the board's own, as on a USB bus.
TEST(MultiBoard, ALateBoardDelaysNoOther)
{
    constexpr int kLateMs = 800;     // within the ping's 1000 ms time-out, with room for a loaded machine
    constexpr int kOthersBoundMs = 700; // the other board needs about a fifth of that
    CliBench bench(2, "", "time = real\nfault = answer-late command=CMD_PING delay=800 board=0");
    const CliRun run = bench.Run({"blank-check", "--all", "--json"});
    ASSERT_EQ(run.exitCode, kExitOk) << run.out << run.err;
    std::map<std::string, int> milliseconds;
    for (const std::string& line : Lines(run.out)) {
        if (Field(line, "type") == "board")
            milliseconds[Field(line, "serial")] = std::stoi(Field(line, "milliseconds"));
    }
    EXPECT_GE(milliseconds["TVRA0001"], kLateMs);
    EXPECT_LT(milliseconds["TVRB0001"], kOthersBoundMs);
}

} // namespace

namespace {

// Two boards fail in different ways: the exit code is the first one's by device order, not
// by the order they finished in, and the table names both.
TEST(MultiBoard, ExitCodeIsThatOfTheFirstFailingBoard)
{
    CliBench bench(3, "",
                   "fault = answer-wrong command=CMD_BULK_ERASE_877 value=0x5A board=1\n"
                   "fault = unplug command=CMD_BULK_ERASE_84A board=2");
    const CliRun run = bench.Run({"erase", "--all"});
    EXPECT_EQ(run.exitCode, kExitEraseFailed) << run.err;
    EXPECT_NE(run.err.find("2 of 3 boards failed; the exit code is that of TVRB0001 (device 1)."), std::string::npos)
        << run.err;

    EXPECT_NE(run.out.find("1      TVRB0001          16F877     erase-failed"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("2      TVRA0002          16F84A     no-board"), std::string::npos) << run.out;
}

} // namespace

namespace {

// A log line that cannot be written fails its board: the record is part of the run.
TEST(MultiBoard, ALogThatCannotBeWrittenFailsTheRun)
{
    CliBench bench(2, "");
    const CliRun run = bench.Run({"blank-check", "--all", "--log", "/dev/full"});
    EXPECT_EQ(run.exitCode, kExitOutputFile) << run.out << run.err;
    // Each board warns as it happens, then fails with it.
    std::vector<std::string> lines = Lines(run.err);
    std::sort(lines.begin(), lines.end());
    const std::string cannot = "Cannot write the log file /dev/full: No space left on device";
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "quillet: 2 of 2 boards failed; the exit code is that of TVRA0001 (device 0).",
                         "quillet: TVRA0001 (device 0): " + cannot, "quillet: TVRB0001 (device 1): " + cannot,
                         "quillet: warning: TVRA0001 (device 0): " + cannot,
                         "quillet: warning: TVRB0001 (device 1): " + cannot}));
}

} // namespace

namespace {

// Serial numbers need be neither unique nor present: boards that share one, or have none, are
// told apart by device number, where a run opens them and in the options a write offers.
TEST(MultiBoard, SharedAndMissingSerialNumbers)
{
    CliBench bench(4, "", "fault = ack-wrong command=CMD_CONNECT board=3");
    std::string config = ReadFile(bench.Config());
    for (const auto& [from, to] : {std::pair{"serial = TVRB0001", "serial = TVRA0001"},
                                   {"description = TVR-IOB", "description = TVR-IOB bench"}, // board 1's alone
                                   {"serial = TVRA0002", "serial ="}})
        config.replace(config.find(from), std::string(from).size(), to);
    std::ofstream(bench.Config()) << config;

    const CliRun offered = bench.Run({"erase"});
    EXPECT_EQ(offered.exitCode, kExitUsage);
    EXPECT_EQ(offered.err, "quillet: 4 boards are attached and erase writes to one; name it with one of:\n"
                           "  --device 0               device 0, TVR-IOA\n"
                           "  --description 'TVR-IOB bench' device 1, TVR-IOB bench\n"
                           "  --device 2               device 2, TVR-IOA\n"
                           "  --serial TVRB0002        device 3, TVR-IOB\n");

    // Each board its own chip, as its processor shows; the one with a serial number of its own
    // is opened by it, as its failure says.
    const CliRun run = bench.Run({"blank-check", "--all", "--json"});
    EXPECT_EQ(run.exitCode, kExitNoBoard);
    std::map<std::string, std::string> boards;
    for (const std::string& line : Lines(run.out))
        boards[Field(line, "type") == "result" ? "" : Field(line, "device")] = std::regex_replace(line, std::regex(R"("milliseconds":\d+)"), R"("milliseconds":0)");
    const std::string blank = R"("exit_code":0,"status":"ok","message":"Device is blank.","milliseconds":0,"processor":)";
    EXPECT_EQ(boards, (std::map<std::string, std::string>{
                          {"", R"({"type":"result","command":"blank-check","exit_code":4,"status":"no-board","message":)"
                               R"("1 of 4 boards failed; the exit code is that of TVRB0002 (device 3).","boards":[)"
                               R"({"device":0,"serial":"TVRA0001","exit_code":0,"status":"ok"},)"
                               R"({"device":1,"serial":"TVRA0001","exit_code":0,"status":"ok"},)"
                               R"({"device":2,"serial":"","exit_code":0,"status":"ok"},)"
                               R"({"device":3,"serial":"TVRB0002","exit_code":4,"status":"no-board"}]})"},
                          {"0", R"({"type":"board","device":0,"serial":"TVRA0001","description":"TVR-IOA",)" + blank +
                                    R"("16F84A","blank":true})"},
                          {"1", R"({"type":"board","device":1,"serial":"TVRA0001","description":"TVR-IOB bench",)" +
                                    blank + R"("16F877","blank":true})"},
                          {"2", R"({"type":"board","device":2,"serial":"","description":"TVR-IOA",)" + blank +
                                    R"("16F84A","blank":true})"},
                          {"3", R"j({"type":"board","device":3,"serial":"TVRB0002","description":"TVR-IOB","exit_code":4,)j"
                                R"j("status":"no-board","message":"Failed to open. (CN)","hint":"the board with serial )j"
                                R"j(number 'TVRB0002' was opened but did not acknowledge the connect command; check the )j"
                                R"j(board's power and cable, then unplug and replug it","milliseconds":0})j"}}));

    // A file each, by device number where the serial number is no board's own.
    bench.Run({"read", "--all", "-o", "back.hex"});
    std::set<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(bench.Folder()))
        if (entry.path().extension() == ".hex")
            files.insert(entry.path().filename().string());
    EXPECT_EQ(files, (std::set<std::string>{"back-device0.hex", "back-device1.hex", "back-device2.hex"}));
    EXPECT_NE(ReadFile(bench.Folder() / "back-device0.hex"), ReadFile(bench.Folder() / "back-device1.hex"));
}

} // namespace

namespace {

// The times a run took, which no test can foresee, as 0.
std::string WithoutTimes(const std::string& text)
{
    return std::regex_replace(std::regex_replace(text, std::regex(R"(\d+\.\d s)"), "0.0 s"),
                              std::regex(R"("duration_ms":\d+)"), R"("duration_ms":0)");
}

// A run on several boards as a person reads it: each board's lines (in the order the boards
// finish), then the table in device order with each chip's number, then the verdict.
TEST(MultiBoard, TheRunsTextWhole)
{
    CliBench bench(2, "");
    for (const std::string device : {"0", "1"}) {
        ASSERT_EQ(bench.Run({"program", kBlink, "--device", device, "--serial-number", "--serial-at", "0x2110",
                             "--serial-file", "counter", "--serial-start", "7"})
                      .exitCode,
                  kExitOk);
    }
    const std::vector<std::string> verify{"verify", kBlink, "--serial", "TVRB0001", "--serial", "TVRA0001",
                                          "--serial-number", "--serial-at", "0x2110"};
    CliRun run = bench.Run(verify);
    EXPECT_EQ(run.exitCode, kExitOk);
    std::vector<std::string> lines = Lines(WithoutTimes(run.out));
    ASSERT_EQ(lines.size(), 8u) << run.out;
    std::sort(lines.begin(), lines.begin() + 4);
    EXPECT_EQ(lines, (std::vector<std::string>{"TVRA0001 (device 0): Serial number 7 at 2110-2115",
                                               "TVRA0001 (device 0): Verify passed",
                                               "TVRB0001 (device 1): Serial number 8 at 2110-2115",
                                               "TVRB0001 (device 1): Verify passed",
                                               "Board  Serial            Processor  Result          Time      Number",
                                               "0      TVRA0001          16F84A     ok                0.0 s  7",
                                               "1      TVRB0001          16F877     ok                0.0 s  8",
                                               "All 2 boards succeeded."}));
    EXPECT_EQ(run.err, "");

    std::vector<std::string> longer = verify;
    longer.insert(longer.end(), {"--serial-format", "dec:7"});
    run = bench.Run(longer);
    EXPECT_EQ(run.exitCode, kExitVerifyDiffers);
    EXPECT_EQ(WithoutTimes(run.out), "Board  Serial            Processor  Result          Time      Number\n"
                                     "0      TVRA0001          16F84A     verify-differs    0.0 s  -\n"
                                     "1      TVRB0001          16F877     verify-differs    0.0 s  -\n");
    lines = Lines(run.err);
    ASSERT_EQ(lines.size(), 3u) << run.err;
    std::sort(lines.begin(), lines.begin() + 2);
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "quillet: TVRA0001 (device 0): No serial number in dec:7 form at 2110-2116.",
                         "quillet: TVRB0001 (device 1): No serial number in dec:7 form at 2110-2116.",
                         "quillet: 2 of 2 boards failed; the exit code is that of TVRA0001 (device 0)."}));
}

// The production log's line for each kind of run on one board, whole: the board as the driver
// lists it (or as it was named, when it is not there), the file, the number, the result.
TEST(MultiBoard, TheLogsLinesWhole)
{
    CliBench bench(4, "");
    const std::string version = bench.Run({"--version"}).out.substr(std::string("quillet (Quillet1) ").size());
    const std::string facts = R"("time":"T","host":"H","tool":"quillet","version":")" +
                              version.substr(0, version.size() - 1) + R"(",)";
    const std::string head = R"({"record":"outcome",)" + facts;
    const std::string hex = R"("hex_file":{"path":")" + JsonText(kBlink) +
                            R"(","size":256,"sha256":"1f3df68790196fe41ef0d868fc9e6e25238e45f6db88fd2572b0c0728e8a4566"},)";
    const struct {
        std::vector<std::string> arguments; // --log run.jsonl is added
        std::string line;
    } cases[] = {
        {{"erase", "--device", "2"},
         R"("operation":"erase","board":{"device":2,"serial":"TVRA0002","description":"TVR-IOA"},"processor":"16F84A",)"
         R"("status":"ok","exit_code":0,"message":"Device is erased.","duration_ms":0})"},
        {{"blank-check", "--serial", "TVRX9999"},
         R"j("operation":"blank-check","board":{"device":-1,"serial":"TVRX9999","description":""},"status":"no-board",)j"
         R"j("exit_code":4,"message":"Failed to open. (CN)","duration_ms":0})j"},
        {{"blank-check", "--description", "TVR-IOB"},
         R"("operation":"blank-check","board":{"device":1,"serial":"TVRB0001","description":"TVR-IOB"},)"
         R"("processor":"16F877","status":"ok","exit_code":0,"message":"Device is blank.","duration_ms":0})"},
        {{"program", kBlink, "--device", "0", "--serial-number", "--serial-at", "0x2110", "--serial-file", "counter",
          "--serial-start", "7"},
         R"("operation":"program","board":{"device":0,"serial":"TVRA0001","description":"TVR-IOA"},"processor":"16F84A",)" +
             hex + R"("config_word":16370,"serial_number":7,"serial_number_text":"7","status":"ok","exit_code":0,)"
                   R"("message":"Programming complete.","duration_ms":0})"},
        {{"verify", kBlink, "--device", "0", "--serial-number", "--serial-at", "0x2110"},
         R"("operation":"verify","board":{"device":0,"serial":"TVRA0001","description":"TVR-IOA"},"processor":"16F84A",)" +
             hex + R"("serial_number":7,"serial_number_text":"7","status":"ok","exit_code":0,"message":"Verify passed",)"
                   R"("duration_ms":0})"},
    };
    std::vector<std::string> expected;
    for (const auto& c : cases) {
        std::vector<std::string> arguments = c.arguments;
        arguments.insert(arguments.end(), {"--log", "run.jsonl"});
        bench.Run(arguments);
        // The number is reserved, in the journal and then in the log, before the chip gets it.
        if (c.arguments.front() == "program")
            expected.push_back(R"({"record":"reserved",)" + facts + R"("operation":"program","board":{"device":0,)"
                               R"("serial":"TVRA0001","description":"TVR-IOA"},"processor":"16F84A",)" + hex +
                               R"("serial_number":7,"serial_number_text":"7"})");
        expected.push_back(head + c.line);
    }
    std::vector<std::string> logged;
    for (const std::string& line : LogLines(bench)) {
        std::string masked = std::regex_replace(WithoutTimes(line), std::regex(R"("host":"[^"]*")"), R"("host":"H")");
        masked = std::regex_replace(masked, std::regex(R"("time":"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z")"),
                                    R"("time":"T")");
        logged.push_back(masked);
    }
    EXPECT_EQ(logged, expected);
}

// Serial numbers that one file name cannot tell apart, on a file system that ignores case or
// once made safe for a file name: each of those boards reads into a file of its device number.
TEST(MultiBoard, NoTwoBoardsReadIntoOneFile)
{
    CliBench bench(5, "");
    std::string config = ReadFile(bench.Config());
    for (const auto& [from, to] : {std::pair{"serial = TVRA0001", "serial = A/B"},
                                   {"serial = TVRB0001", "serial = A_B"},
                                   {"serial = TVRA0003", "serial = tvrb0002"}})
        config.replace(config.find(from), std::string(from).size(), to);
    std::ofstream(bench.Config()) << config;
    const CliRun run = bench.Run({"read", "--all", "-o", "back.hex"});
    EXPECT_EQ(run.exitCode, kExitOk) << run.err;
    std::set<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(bench.Folder()))
        if (entry.path().extension() == ".hex")
            files.insert(entry.path().filename().string());
    EXPECT_EQ(files, (std::set<std::string>{"back-device0.hex", "back-device1.hex", "back-TVRA0002.hex",
                                            "back-device3.hex", "back-device4.hex"}));
}

} // namespace

namespace {

// A lone board needs no name, even for a write; from two boards on a write must name one.
TEST(MultiBoard, AWriteNamesItsBoardFromTwoBoardsOn)
{
    CliBench one(1, "");
    CliRun run = one.Run({"erase"});
    EXPECT_EQ(run.exitCode, kExitOk);
    EXPECT_EQ(run.out, "Device is erased.\n");
    EXPECT_EQ(run.err, "");

    CliBench two(2, "");
    run = two.Run({"erase"});
    EXPECT_EQ(run.exitCode, kExitUsage);
    EXPECT_EQ(run.err, "quillet: 2 boards are attached and erase writes to one; name it with one of:\n"
                       "  --serial TVRA0001        device 0, TVR-IOA\n"
                       "  --serial TVRB0001        device 1, TVR-IOB\n");
    EXPECT_EQ(two.CommandWords(), Words{});
}

} // namespace

#if !defined(_WIN32)
namespace {

// A strict reader of one JSON value, enough to tell a whole line from a torn or glued one.
class JsonReader {
public:
    explicit JsonReader(const std::string& text) : text_(text) {}
    bool WholeObject() { return Object() && Blanks() == text_.size(); }

private:
    std::size_t Blanks()
    {
        while (at_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[at_])))
            ++at_;
        return at_;
    }
    bool Take(char c)
    {
        Blanks();
        return at_ < text_.size() && text_[at_] == c ? (++at_, true) : false;
    }
    bool String()
    {
        if (!Take('"'))
            return false;
        for (; at_ < text_.size(); ++at_) {
            if (text_[at_] == '\\')
                ++at_;
            else if (text_[at_] == '"')
                return ++at_, true;
        }
        return false;
    }
    bool Value()
    {
        Blanks();
        if (at_ >= text_.size())
            return false;
        const char c = text_[at_];
        if (c == '{')
            return Object();
        if (c == '[') {
            ++at_;
            if (Take(']'))
                return true;
            do {
                if (!Value())
                    return false;
            } while (Take(','));
            return Take(']');
        }
        if (c == '"')
            return String();
        for (const char* word : {"true", "false", "null"}) {
            if (text_.compare(at_, std::strlen(word), word) == 0)
                return at_ += std::strlen(word), true;
        }
        const std::size_t start = at_;
        while (at_ < text_.size() && std::strchr("-+.eE0123456789", text_[at_]))
            ++at_;
        return at_ > start;
    }
    bool Object()
    {
        if (!Take('{'))
            return false;
        if (Take('}'))
            return true;
        do {
            if (!String() || !Take(':') || !Value())
                return false;
        } while (Take(','));
        return Take('}');
    }

    const std::string& text_;
    std::size_t at_ = 0;
};

// Waits until the process has taken every signal sent to it (none pending in /proc), or has
// ended.
void AwaitSignalTaken(pid_t pid)
{
    const std::string status = "/proc/" + std::to_string(pid) + "/status";
    for (int i = 0; i < 5000; ++i) {
        const std::string text = ReadFile(status);
        if (text.empty() || text.find("State:\tZ") != std::string::npos ||
            (text.find("SigPnd:\t0000000000000000") != std::string::npos &&
                             text.find("ShdPnd:\t0000000000000000") != std::string::npos))
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

// The HEX file replaced while a run goes on (a build finishing): every board still gets the
// bytes read at the start, and the log names them.
TEST(ProductionRecords, EveryBoardGetsTheFileAsItWasAtTheStart)
{
    CliBench bench(2, "", "fault = hold command=CMD_BLANK_CHECK_877 board=1 file=held-{serial}");
    const std::filesystem::path firmware = bench.Folder() / "firmware.hex";
    std::filesystem::copy_file(kBlink, firmware);
    const CliBench::Process process = bench.Start({"program", "firmware.hex", "--all", "--log", "run.jsonl"});
    ASSERT_TRUE(bench.AwaitFile("held-TVRB0001"));
    std::filesystem::copy_file(Fixture("counter877.hex"), firmware, std::filesystem::copy_options::overwrite_existing);
    std::filesystem::remove(bench.Folder() / "held-TVRB0001");
    const CliRun run = bench.Wait(process);
    EXPECT_EQ(run.exitCode, kExitOk) << run.err;
    for (const std::string& line : LogRecords(bench, "outcome")) {
        EXPECT_EQ(Field(line, "sha256"), "1f3df68790196fe41ef0d868fc9e6e25238e45f6db88fd2572b0c0728e8a4566") << line;
        EXPECT_EQ(Field(line, "verified"), "true") << line;
    }
    const CliRun verify = bench.Run({"verify", kBlink, "--device", "1"});
    EXPECT_EQ(verify.exitCode, kExitOk) << verify.out << verify.err;
}

struct StopPoint {
    const char* name;
    std::string holds;            // the emulator's hold faults, bus lines
    std::vector<int> held;        // the boards the run is held at
    std::size_t finishedBefore;   // boards done before the stop
    bool midStream;               // the held boards are inside a stream
    std::string message = "Interrupted before this board was done.";
};

// A four-board production run stopped at a known point, by kill -9, Ctrl-C (once, or twice)
// or SIGTERM. Whatever the point and the signal: every number the journal gave out names the
// board it went to, no number went to two boards, every whole line of the log reads, and the
// next run goes on from the next number. Ctrl-C and SIGTERM also leave a line per board in
// the log, the unfinished ones "interrupted", and the table.
TEST(ProductionRecords, NoNumberIsLostOrDoubledWhenARunIsStopped)
{
    const std::string hold = " file=held-{serial}";
    const StopPoint points[] = {
        {"before the first stream",
         "fault = hold command=CMD_BLANK_CHECK_84A" + hold + "\nfault = hold command=CMD_BLANK_CHECK_877" + hold,
         {0, 1, 2, 3}, 0, false},
        {"in the middle of the program streams", "fault = hold stream=program part=program block=10" + hold,
         {0, 1, 2, 3}, 0, true},
        {"between two boards' ends",
         "fault = hold stream=program part=program block=10 board=2" + hold +
             "\nfault = hold stream=program part=program block=10 board=3" + hold,
         {2, 3}, 2, true},
        {"in the read-back", "fault = hold stream=read part=program block=5" + hold, {0, 1, 2, 3}, 0, true,
         "Programmed, but interrupted while reading the chip back; check it with verify."},
    };
    const struct {
        const char* name;
        int signal;
        int count;
        std::vector<int> points; // where it is sent
    } signals[] = {{"kill -9", SIGKILL, 1, {0, 1, 2}},
                   {"Ctrl-C", SIGINT, 1, {0, 1, 2, 3}},
                   {"SIGTERM", SIGTERM, 1, {1}},
                   {"Ctrl-C twice", SIGINT, 2, {1}}};
    for (const auto& sent : signals) {
        for (const int at : sent.points) {
            const StopPoint& point = points[at];
            SCOPED_TRACE(std::string(point.name) + ", " + sent.name);
            CliBench bench(4, "", point.holds);
            const std::string counter = (bench.Folder() / "counter").string();
            const CliBench::Process process = bench.Start(NumberedProgram({"--all"}));
            for (const int device : point.held)
                ASSERT_TRUE(bench.AwaitFile("held-" + Serial(device)));
            for (int i = 0; i < 200 && LogRecords(bench, "outcome").size() < point.finishedBefore; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            for (int i = 0; i < sent.count; ++i) {
                ::kill(process.pid, sent.signal);
                AwaitSignalTaken(process.pid);
            }
            for (const int device : point.held)
                std::filesystem::remove(bench.Folder() / ("held-" + Serial(device)));
            const CliRun run = bench.Wait(process);

            // The journal: every number given out, once, with its board.
            const std::map<long long, std::string> reserved = Reservations(counter);
            std::set<std::string> numbered;
            long long expected = kStart;
            for (const auto& [number, board] : reserved) {
                EXPECT_EQ(number, expected++) << "a number skipped";
                EXPECT_TRUE(numbered.insert(board).second) << board << " got two numbers";
            }
            EXPECT_EQ(reserved.size(), at == 0 ? 0u : 4u);
            for (int device = 0; device < 4; ++device) {
                const long long chip = ChipNumber(bench, device);
                if (chip >= 0) {
                    EXPECT_EQ(reserved.at(chip), Serial(device));
                }
            }
            // The log: whole lines only, and no number it names that the journal does not.
            std::size_t interrupted = 0;
            for (const std::string& line : LogLines(bench)) {
                EXPECT_TRUE(JsonReader(line).WholeObject()) << line;
                if (const std::string number = Field(line, "serial_number"); !number.empty()) {
                    EXPECT_EQ(reserved.at(std::stoll(number)), Field(line, "serial")) << line;
                }
                if (Field(line, "status") == "interrupted") {
                    interrupted += 1;
                    EXPECT_EQ(Field(line, "exit_code"), "130");
                    EXPECT_EQ(Field(line, "message"), point.message);
                }
            }
            if (sent.signal == SIGKILL) {
                EXPECT_EQ(run.exitCode, 128 + SIGKILL);
            } else if (sent.count == 2) {
                // The second signal ends the run at once: no table.
                EXPECT_EQ(run.exitCode, kExitInterrupted);
                EXPECT_EQ(run.out.find("Board  Serial"), std::string::npos) << run.out;
            } else {
                EXPECT_EQ(run.exitCode, kExitInterrupted) << run.out << run.err;
                EXPECT_EQ(LogRecords(bench, "outcome").size(), 4u);
                EXPECT_EQ(interrupted, point.held.size());
                EXPECT_NE(run.err.find("quillet: Interrupted: " + std::to_string(point.held.size()) +
                                       " of 4 boards were stopped before they were done."),
                          std::string::npos)
                    << run.err;
                for (const int device : point.held) {
                    EXPECT_NE(run.out.find(std::to_string(device) + "      " + Serial(device)), std::string::npos) << run.out;
                    const std::string replug = "quillet: " + Serial(device) + " (device " + std::to_string(device) +
                                               "): the board with serial number '" + Serial(device) +
                                               "' stopped in the middle of a stream";
                    EXPECT_EQ(run.err.find(replug) != std::string::npos, point.midStream) << run.err;
                }
            }

            // The next run, on another board, goes on from the next number.
            CliBench next(1, "");
            std::vector<std::string> again = NumberedProgram({"--all", "--no-verify"});
            std::replace(again.begin(), again.end(), std::string("counter"), counter);
            const CliRun after = next.Run(again);

            ASSERT_EQ(after.exitCode, kExitOk) << after.err;
            const long long following = kStart + static_cast<long long>(reserved.size());
            EXPECT_NE(after.err.find("gives " + std::to_string(following) + " as the next serial number"),
                      std::string::npos)
                << after.err;
            EXPECT_EQ(Reservations(counter).at(following), "TVRA0001");
        }
    }
}

} // namespace
#endif
