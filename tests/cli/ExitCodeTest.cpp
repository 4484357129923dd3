// Every exit code quillet documents, and each path to one, reached as a bench would reach it:
// the text that explains it and every command word that crossed the wire.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "QuilletVersion.h"
#include "cli/CliBench.h"

namespace {

struct OutcomeCase {
    const char* name;
    std::vector<std::string> arguments;
    int exitCode;
    const char* out; // a text standard output must hold
    std::string err; // standard error, whole
    Words words;     // every command word of the run, in order
    std::string boardLines = "";
    std::vector<std::string> before = {}; // a run that must succeed first
    bool withoutDriver = false;
};

// Test names in ctest's list, not a dump of the case's bytes.
void PrintTo(const OutcomeCase& c, std::ostream* out)
{
    *out << c.name;
}

class OutcomeTest : public ::testing::TestWithParam<OutcomeCase> {};

TEST_P(OutcomeTest, ReachesTheDocumentedCode)
{
    const OutcomeCase& c = GetParam();
    CliBench bench(c.boardLines);
    if (!c.before.empty()) {
        ASSERT_EQ(bench.Run(c.before).exitCode, kExitOk);
    }
    if (c.withoutDriver) {
        // A copy of the program alone: neither the emulator nor the open library beside it.
        bench.libraryPath = (bench.Folder() / "no-driver").string();
        bench.binary = (bench.Folder() / "quillet").string();
        std::filesystem::copy_file(QUILLET_BINARY, bench.binary);
    }
    const CliRun run = bench.Run(c.arguments);
    EXPECT_EQ(run.exitCode, c.exitCode) << run.out << run.err;
    EXPECT_NE(run.out.find(c.out), std::string::npos) << run.out;
    // The folders a run without a driver looked in: the bench's and the library folder beside
    // it (only that: the checkout itself may lie in the same temporary folder).
    std::string err = run.err;
    for (const auto& [folder, name] : {std::pair{bench.Folder().string(), "$BENCH"},
                                       {(bench.Folder().parent_path() / "lib").string(), "$TMP/lib"}}) {
        for (std::size_t at; (at = err.find(folder)) != std::string::npos;)
            err.replace(at, folder.size(), name);
    }
    EXPECT_EQ(err, c.err);
    EXPECT_EQ(bench.CommandWords(), c.words);
}

const std::string kBlink = Fixture("blink84a.hex");
// Commands that write name their board: the bench has four.
const std::vector<std::string> kProgrammed{"program", kBlink, "--device", "0"};
// The driver library's name on this system, and what a run without it says: the system's
// reason, then where it looked.
// The bench's folder stands as $BENCH, its parent as $TMP.
#if defined(_WIN32)
constexpr char kDriverLibrary[] = "Ftd2xx.dll";
constexpr char kNoDriver[] = "quillet: cannot load the D2XX driver library: LoadLibrary failed with error 126\n"
                             "quillet: looked for Ftd2xx.dll beside quillet.exe, in the system folders and on PATH; "
                             "install the chip maker's D2XX driver\n";
#else
constexpr char kDriverLibrary[] = "libftd2xx.so";
constexpr char kNoDriver[] = "quillet: cannot load the D2XX driver library: libftd2xx.so: cannot open shared object "
                             "file: No such file or directory\nquillet: looked for libftd2xx.so in LD_LIBRARY_PATH "
                             "($BENCH/no-driver) and the system's library folders, then the open library at "
                             "$TMP/lib/quillet1/libftd2xx.so, $BENCH/lib/quillet1/libftd2xx.so; install the chip "
                             "maker's D2XX library (README, \"Using a real board\"), or put the emulator's folder on "
                             "LD_LIBRARY_PATH to try the program without a board\n";
#endif
// What a command that only reads says when it takes device 0 of the bench's four.
const std::string kUsingDevice0 = "quillet: 4 boards are attached; using device 0: TVRA0001 (TVR-IOA)\n";
// The advice after a stream cut short.
const std::string kStreamCut = "quillet: device 0 stopped in the middle of a stream, and its download firmware may "
                               "still be waiting for the rest: unplug and replug the board before its next command\n";
// Where the emulator's driver library is loaded from, as info reports it.
const std::string kDriverPath = std::string(QUILLET_EMULATOR_DIR) + "/" + kDriverLibrary;

INSTANTIATE_TEST_SUITE_P(
    Outcomes, OutcomeTest,
    ::testing::Values(
        // Typed in UTF-8, stored as the 8-bit 0xE9, padded to 16 characters, shown in UTF-8.
        OutcomeCase{"versionText", {"info"}, kExitOk, "Version:   AB\xC3\xA9             \n", kUsingDevice0,
                    OnBoard({DISCONNECT}), "", {"write-version", "AB\xC3\xA9", "--device", "0"}},
        // --processor overrides the board's answer as a click on the window's radio would.
        OutcomeCase{"processorOption", {"blank-check", "--processor", "16f877"}, kExitOk, "Device is blank.",
                    kUsingDevice0 + "quillet: warning: the board reports a 16F84A; going on with the 16F877 that "
                                    "--processor names\n",
                    OnBoard({BLANK_CHECK_877, DISCONNECT})},
        // A board that names no processor is asked twice, then the window's 16F84A stands.
        OutcomeCase{"noProcessorAnswer", {"blank-check", "--device", "1"}, kExitOk, "",
                    "quillet: warning: the board did not report its processor; taking the 16F84A (name it with "
                    "--processor)\n",
                    OnBoard({GET_PROCESSOR, BLANK_CHECK_84A, DISCONNECT}),
                    "answer = none"},
        OutcomeCase{"usageAsJson", {"verify", "--json"}, kExitUsage,
                    R"({"type":"result","command":"verify","exit_code":2,"status":"usage","message":"FILE is required"})"
                    "\n", "", {}},
        // Refused before parsing, the command still named: the first word that is one.
        OutcomeCase{"usageInFrontAsJson", {"--json", "verify"}, kExitUsage,
                    R"({"type":"result","command":"verify","exit_code":2,"status":"usage","message":"unknown option )"
                    R"('--json'; run 'quillet --help' for the commands and options"})"
                    "\n", "", {}},
        // The window's device-number rule: "65" is past 64.
        OutcomeCase{"deviceNumberRefused", {"info", "--device", "65"}, kExitUsage, "",
                    "quillet: Select a method to open or enter a valid device number (0-64).\n", {}},
        // The window's untouched description prompt names no board (the link says so twice, as
        // the window does).
        OutcomeCase{"descriptionPromptRefused", {"info", "--description", "Enter Device Description here."},
                    kExitUsage, "",
                    "quillet: You must enter a Device Description or Serial Number.\nquillet: You must enter a Device "
                    "Description or Serial Number.\nquillet: Failed to open. (CN)\n", {}},
        OutcomeCase{"protectionUnconfirmed", {"program", kBlink, "--code-protection", "all", "--device", "0"}, kExitUsage, "",
                    "quillet: This configuration protects the chip, which can then only be bulk-erased; add "
                    "--yes-protect to program it.\n", {}},
        // The 16F84A's one protection bit covers all or nothing: the 16F877's ranges are refused.
        OutcomeCase{"rangeProtectionWithoutBit", {"program", kBlink, "--code-protection", "1000-1FFF", "--yes-protect",
                                                   "--device", "0"}, kExitUsage, "",
                    "quillet: --code-protection 1000-1fff has no bit in the configuration word of the 16F84A.\n",
                    OnBoard({DISCONNECT})},
        OutcomeCase{"topRangeProtectionWithoutBit", {"program", kBlink, "--code-protection", "1f00-1fff", "--yes-protect",
                                                      "--device", "0"}, kExitUsage, "",
                    "quillet: --code-protection 1f00-1fff has no bit in the configuration word of the 16F84A.\n",
                    OnBoard({DISCONNECT})},
        // The 16F84A has no brown-out bit: refused once the board has named its processor.
        OutcomeCase{"switchWithoutBit", {"program", kBlink, "--brown-out", "--serial", "TVRA0001"}, kExitUsage, "",
                    "quillet: --brown-out has no bit in the configuration word of the 16F84A.\n", OnBoard({DISCONNECT})},
        // 17 characters in 19 bytes: counted as characters.
        OutcomeCase{"versionTooLong", {"write-version", "ABCDEFGHIJKLMNO\xC3\xA9\xC3\xA9", "--device", "0"}, kExitUsage, "",
                    "quillet: The version text holds 17 characters; the board stores at most 16.\n", {}},
        OutcomeCase{"hexChecksum", {"program", Fixture("malformed/bad-config-checksum.hex")}, kExitHexFile, "",
                    "quillet: " + Fixture("malformed/bad-config-checksum.hex") + ": Checksum error in HEX file.\n", {}},
        // Fits a 16F877, so it passes the check before the board; the board's 16F84A is too small.
        OutcomeCase{"hexTooLargeForTheBoard", {"program", Fixture("malformed/too-large-84a.hex"), "--device", "0"}, kExitHexFile,
                    "", "quillet: " + Fixture("malformed/too-large-84a.hex") + ": Selected HEX file is too large to fit "
                                                                                "into device FLASH.\n",
                    OnBoard({DISCONNECT})},
        // The FIFO chip's description holds the 8-bit 0xE4; typed and shown in UTF-8.
        OutcomeCase{"nonAsciiDescription", {"info", "--description", "Ger\xC3\xA4t"}, kExitOk,
                    "Version:   TVR-IOA EMULATED", "", OnBoard({DISCONNECT}), "description = Ger\xE4t"},
        // The driver moved half the version text and said FT_OK: not a version written.
        OutcomeCase{"versionWrittenShort", {"write-version", "BENCH 2", "--device", "0"}, kExitNoBoard, "",
                    "quillet: Error writing version.\nquillet: The version text was not stored.\n" + kStreamCut,
                    OnBoard({"06 0A 05 0A"}), "fault = write-short command=CMD_WRITE_VERSION at=data"}, // 0xA5A6
        // The fifth FT_SetTimeouts of the run is the blank check's: its answer is not waited for
        // without a time-out in force (connect, revision, version and the command took the first four).
        OutcomeCase{"timeoutsRefused", {"blank-check", "--device", "0"}, kExitNoBoard, "",
                    "quillet: Could not read from the device during Blank Check.\n", OnBoard({BLANK_CHECK_84A}),
                    "fault = timeouts-fail call=5"},
        OutcomeCase{"noSuchDevice", {"info", "--device", "5"}, kExitNoBoard, "",
                    "quillet: Failed to open. (CN)\nquillet: could not open device 5: FT_DEVICE_NOT_FOUND; run 'quillet "
                    "list' to see the attached boards\n", {}},
        // Both connect attempts opened the board; neither was acknowledged.
        OutcomeCase{"connectUnacknowledged", {"info", "--device", "0"}, kExitNoBoard, "",
                    "quillet: Failed to open. (CN)\nquillet: device 0 was opened but did not acknowledge the connect "
                    "command; check the board's power and cable, then unplug and replug it\n",
                    {CONNECT, CONNECT}, "fault = ack-wrong command=CMD_CONNECT"},
        // A driver status that shares its number with "no ping" (FT_INVALID_HANDLE, 1) is no ping failure.
        OutcomeCase{"connectWriteInvalidHandle", {"info", "--device", "0"}, kExitNoBoard, "",
                    "quillet: Failed to open. (CN)\nquillet: device 0 was opened but did not acknowledge the connect "
                    "command; check the board's power and cable, then unplug and replug it\n",
                    {CONNECT, CONNECT}, "fault = write-fails command=CMD_CONNECT value=1"},
        // The ping is asked twice before the board counts as silent.
        OutcomeCase{"pingUnanswered", {"info", "--device", "0"}, kExitNoBoard, "",
                    "quillet: Error 5\nquillet: Device not responding to ping.\nquillet: device 0 acknowledged the "
                    "connect command but did not answer the ping; unplug and replug the board, then try again\n",
                    {CONNECT, PING, PING}, "fault = ack-wrong command=CMD_PING"},
        // With four boards and none named, a read takes device 0 and says so.
        OutcomeCase{"readTakesDeviceZero", {"blank-check"}, kExitOk, "Device is blank.",
                    kUsingDevice0, OnBoard({BLANK_CHECK_84A, DISCONNECT})},
        OutcomeCase{"version", {"--version"}, kExitOk, "quillet (Quillet1) ", "", {}},
        // Pulled out during the read stream: no connection left to end.
        OutcomeCase{"unpluggedDuringRead", {"read"}, kExitNoBoard, "",
                    kUsingDevice0 + "quillet: Could not read from device. (T3)\n" + kStreamCut, OnBoard({READ_84A}), "fault = unplug stream=read part=program block=10"},
        OutcomeCase{"notBlank", {"blank-check"}, kExitNotBlank, "", kUsingDevice0 + "quillet: Device is not blank.\n",
                    OnBoard({BLANK_CHECK_84A, DISCONNECT}), "", kProgrammed},
        OutcomeCase{"programNotBlank", kProgrammed, kExitNotBlank, "",
                    "quillet: Device is not blank. Either erase the device or select Auto Erase.\n",
                    OnBoard({BLANK_CHECK_84A, DISCONNECT}), "", kProgrammed},
        // 0x5A is "not blank", no answer to an erase.
        OutcomeCase{"eraseFailed", {"erase", "--device", "0"}, kExitEraseFailed, "",
                    "quillet: Error during Bulk Erase function.\n",
                    OnBoard({ERASE_84A}), "fault = answer-wrong command=CMD_BULK_ERASE_84A value=0x5A"},
        OutcomeCase{"eraseFailedInProgram", {"program", kBlink, "--auto-erase", "--device", "0"}, kExitEraseFailed, "",
                    "quillet: Error during Bulk Erase function.\n", OnBoard({BLANK_CHECK_84A, ERASE_84A}),
                    "fault = answer-wrong command=CMD_BULK_ERASE_84A value=0x5A", kProgrammed},
        OutcomeCase{"badAckInProgram", kProgrammed, kExitProgramFailed, "",
                    "quillet: Bad ACK during Configuration programming (CF).\n" + kStreamCut, OnBoard({BLANK_CHECK_84A, PROGRAM_84A}),
                    "fault = block-ack-wrong part=config"},
        OutcomeCase{"outputFileUnwritable", {"read", "-o", "no-such-folder/back.hex"}, kExitOutputFile, "",
                    kUsingDevice0 + "quillet: Could not write no-such-folder/back.hex: No such file or directory\n",
                    OnBoard({READ_84A, DISCONNECT})},
        OutcomeCase{"noDriver", {"list"}, kExitNoDriver, "", kNoDriver, {}, "", {}, true}),
    [](const ::testing::TestParamInfo<OutcomeCase>& info) { return std::string(info.param.name); });

// Refused before the driver is loaded, with the whole text on standard error: a misspelt
// command with the nearest one (a slip or two, by the word's length) or the only one it
// starts, option values out of their range.
TEST(UsageTest, RefusalsSayWhatWasMeant)
{
    const std::string kHelp = "run 'quillet --help' for the commands and options\n";
    const std::string kMore = "\nRun with --help for more information.\n";
    const struct {
        std::vector<std::string> arguments;
        std::string err;
    } cases[] = {
        {{}, "quillet: no command given; " + kHelp},
        {{"--frobnicate"}, "quillet: unknown option '--frobnicate'; " + kHelp},
        {{"-"}, "quillet: unknown command '-'; " + kHelp},
        {{"earse"}, "quillet: unknown command 'earse'; did you mean 'erase'?\n"},
        {{"eras"}, "quillet: unknown command 'eras'; did you mean 'erase'?\n"},
        {{"Info"}, "quillet: unknown command 'Info'; did you mean 'info'?\n"},
        {{"lst"}, "quillet: unknown command 'lst'; did you mean 'list'?\n"},
        {{"lxt"}, "quillet: unknown command 'lxt'; " + kHelp}, // two slips in three letters
        {{"abst"}, "quillet: unknown command 'abst'; did you mean 'list'?\n"},
        {{"programme", kBlink}, "quillet: unknown command 'programme'; did you mean 'program'?\n"},
        {{"wrte-version"}, "quillet: unknown command 'wrte-version'; did you mean 'write-version'?\n"},
        // Too long to be kept inside the string object: a read before its first letter is one the
        // sanitizers see.
        {{"write-version-now"}, "quillet: unknown command 'write-version-now'; did you mean 'write-version'?\n"},
        {{"blank"}, "quillet: unknown command 'blank'; did you mean 'blank-check'?\n"},
        {{"ver"}, "quillet: unknown command 'ver'; " + kHelp}, // verify or version
        {{"info", "--colour"}, "The following argument was not expected: --colour" + kMore},
        {{"program", kBlink, "--serial-at", "0x10000"}, "--serial-at: not a number from 0 to 65535: 0x10000" + kMore},
        {{"program", kBlink, "--serial-at", "-1"}, "--serial-at: not a number from 0 to 65535: -1" + kMore},
        {{"program", kBlink, "--serial-at", "+5"}, "--serial-at: not a number from 0 to 65535: +5" + kMore},
        {{"program", kBlink, "--serial-at", " 5"}, "--serial-at: not a number from 0 to 65535:  5" + kMore},
        {{"program", kBlink, "--serial-at", "12x"}, "--serial-at: not a number from 0 to 65535: 12x" + kMore},
        {{"program", kBlink, "--serial-at", "0xFFFF"}, "quillet: The --serial-... options need --serial-number.\n"},
        {{"program", kBlink, "--serial-format", "dec:20"},
         "--serial-format: not dec:1-19, be:1-8 or le:1-8: dec:20" + kMore},
        {{"program", kBlink, "--serial-start", "18446744073709551616"},
         "--serial-start: not a number from 0 to 18446744073709551615: 18446744073709551616" + kMore},
        {{"verify", kBlink, "--serial-number-is", "x"},
         "--serial-number-is: not a number from 0 to 18446744073709551615: x" + kMore},
    };
    CliBench bench;
    for (const auto& c : cases) {
        const CliRun run = bench.Run(c.arguments);
        EXPECT_EQ(run.exitCode, kExitUsage) << ::testing::PrintToString(c.arguments);
        EXPECT_EQ(run.err, c.err);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(bench.CommandWords(), Words{});
    }
}

// Every help text as a user reads it, held against tests/cli/help-texts.txt. After a change
// meant to be, the texts seen are in help-texts.actual beside the test program, to compare
// and copy over.
TEST(HelpTest, EveryCommandsHelpIsAsWritten)
{
    CliBench bench(0, "");
    std::string seen;
    for (const std::string command : {"", "list", "info", "blank-check", "erase", "program", "verify", "read", "view",
                                      "write-version", "version"}) {
        std::vector<std::string> arguments{"--help"};
        if (!command.empty())
            arguments.insert(arguments.begin(), command);
        const CliRun run = bench.Run(arguments);
        EXPECT_EQ(run.exitCode, kExitOk) << command;
        EXPECT_EQ(run.err, "") << command;
        seen += "$ quillet " + (command.empty() ? "" : command + " ") + "--help\n" + run.out;
    }
#if defined(_WIN32)
    // The one text that differs between systems: the driver library's name.
    for (std::size_t at; (at = seen.find(kDriverLibrary)) != std::string::npos;)
        seen.replace(at, std::string(kDriverLibrary).size(), "libftd2xx.so");
#endif
    const std::string expected = ReadFile(QUILLET_HELP_TEXTS);
    if (seen != expected)
        std::ofstream("help-texts.actual", std::ios::binary) << seen;
    EXPECT_EQ(seen, expected);
}

struct OutputCase {
    std::string name;
    std::vector<std::string> arguments;
    int exitCode = 0;
    std::string out; // standard output and error of a run as it stands
    std::string err;
    std::vector<std::string> json; // every line of a run with --json but the progress ones
    std::vector<std::string> before; // a run that must succeed first
    std::string boardLines;
};

void PrintTo(const OutputCase& c, std::ostream* out)
{
    *out << c.name;
}

// The cases of tests/cli/outputs.txt, their placeholders filled in.
std::vector<OutputCase> OutputCases()
{
    const auto filled = [](std::string text) {
        const std::regex placeholder(R"(\$(JSONHEX|HEX)\(([^)]*)\)|\$DRIVER|\$VERSION)");
        std::string result;
        auto last = text.cbegin();
        for (std::sregex_iterator at(text.begin(), text.end(), placeholder), end; at != end; ++at) {
            const std::smatch& m = *at;
            result.append(last, m[0].first);
            result += m[1] == "HEX"       ? Fixture(m[2])
                      : m[1] == "JSONHEX" ? JsonText(Fixture(m[2]))
                      : m[0] == "$DRIVER" ? kDriverPath
                                          : std::string(QUILLET_VERSION);
            last = m[0].second;
        }
        return result.append(last, text.cend());
    };
    const auto words = [&](const std::string& text) {
        std::vector<std::string> list;
        std::istringstream in(text);
        for (std::string word; in >> word;)
            list.push_back(filled(word));
        return list;
    };
    std::vector<OutputCase> cases;
    std::ifstream file(QUILLET_OUTPUTS);
    for (std::string line; std::getline(file, line);) {
        const std::string key = line.substr(0, line.find(' '));
        const std::string rest = line.size() > key.size() ? line.substr(key.size() + 1) : "";
        if (key == "==") {
            cases.emplace_back();
            cases.back().name = rest;
        }
        if (key == "bench")
            cases.back().boardLines = rest;
        else if (key == "before")
            cases.back().before = words(rest);
        else if (key == "run")
            cases.back().arguments = words(rest);
        else if (key == "exit")
            cases.back().exitCode = std::stoi(rest);
        else if (key == "out" || key == "err")
            (key == "out" ? cases.back().out : cases.back().err) += filled(rest) + "\n";
        else if (key == "json")
            cases.back().json.push_back(filled(rest));
    }
    return cases;
}

class OutputTest : public ::testing::TestWithParam<OutputCase> {};

// What a person and another program read, each compared whole: every line and, with --json,
// every key and value in its place. Each form on a bench of its own.
TEST_P(OutputTest, TextAndJsonWhole)
{
    const OutputCase& c = GetParam();
    for (const bool json : {false, true}) {
        SCOPED_TRACE(json ? "--json" : "text");
        CliBench bench(c.boardLines);
        if (!c.before.empty()) {
            ASSERT_EQ(bench.Run(c.before).exitCode, kExitOk);
        }
        std::vector<std::string> arguments = c.arguments;
        if (json)
            arguments.push_back("--json");
        CliRun run = bench.Run(arguments);
        EXPECT_EQ(run.exitCode, c.exitCode);
#if defined(_WIN32)
        // The driver's path as Windows spells it.
        run.out = std::regex_replace(run.out, std::regex(R"(Driver:    .*)"), "Driver:    " + kDriverPath);
        run.out = std::regex_replace(run.out, std::regex(R"("driver":"[^"]*")"), R"("driver":")" + kDriverPath + "\"");
#endif
        if (!json) {
            EXPECT_EQ(run.out, c.out);
            EXPECT_EQ(run.err, c.err);
            continue;
        }
        EXPECT_EQ(run.err, "");
        std::vector<std::string> lines;
        for (const std::string& line : Lines(run.out)) {
            if (!line.starts_with(R"({"type":"progress",)"))
                lines.push_back(line);
        }
        EXPECT_EQ(lines, c.json);
    }
}

INSTANTIATE_TEST_SUITE_P(Commands, OutputTest, ::testing::ValuesIn(OutputCases()),
                         [](const ::testing::TestParamInfo<OutputCase>& info) { return info.param.name; });

// A board whose download firmware is not reset by opening the device: after a stream that
// stopped half way, every later run fails with the advice to replug, none reports success,
// until the board is unplugged and plugged in again (its firmware line leaves the state file).
TEST(InterruptedStreamTest, NothingSucceedsUntilTheBoardIsReplugged)
{
    const std::string kReplug = "unplug and replug the board before its next command";
    struct Case {
        const char* name;
        const char* fault;
        std::vector<std::string> arguments;
        int exitCode;
    };
    const Case cases[] = {
        {"program block unacknowledged", "block-ack-missing part=program block=5", kProgrammed, kExitProgramFailed},
        {"program block cut short", "write-short stream=program part=program block=3 count=20", kProgrammed, kExitNoBoard},
        {"read block short twice", "block-short part=program block=2 times=2", {"read", "--device", "0"}, kExitNoBoard},
        {"verify block short twice", "block-short part=program block=2 times=2", {"verify", kBlink, "--device", "0"}, kExitNoBoard},
        {"version text cut short", "write-short command=CMD_WRITE_VERSION at=data count=10",
         {"write-version", "CUT", "--device", "0"}, kExitNoBoard},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CliBench bench(1, std::string("fault = ") + c.fault, "firmware = keeps-state");
        const CliRun cut = bench.Run(c.arguments);
        EXPECT_EQ(cut.exitCode, c.exitCode) << cut.err;
        EXPECT_NE(cut.err.find(kReplug), std::string::npos) << cut.err;

        // The fault is gone; the firmware still waits for the rest of its stream.
        std::string config = ReadFile(bench.Config());
        config.erase(config.find("fault = "), std::string("fault = ").size() + std::string(c.fault).size());
        std::ofstream(bench.Config()) << config;
        for (int run = 0; run < 6; ++run) {
            const CliRun next = bench.Run(run % 2 == 0 ? std::vector<std::string>{"info", "--device", "0"} : kProgrammed);
            EXPECT_NE(next.exitCode, kExitOk) << "run " << run << ": " << next.out;
            EXPECT_NE(next.err.find("unplug and replug"), std::string::npos) << next.err;
        }

        // Replugged: the board answers again.
        const std::filesystem::path state = bench.Folder() / "board0.state";
        std::string kept;
        for (const std::string& line : Lines(ReadFile(state)))
            if (line.rfind("firmware ", 0) != 0)
                kept += line + "\n";
        std::ofstream(state) << kept;
        EXPECT_EQ(bench.Run({"info", "--device", "0"}).exitCode, kExitOk);
    }
}

// A path that starts with a slash is a file, not a Windows-style "/option". The fixture's path
// as the build gave it: under wine a Unix path, on Windows the same path without its drive.
TEST(PathArgumentTest, ASlashPathIsAFile)
{
    CliBench bench;
    std::string path = QUILLET_TEST_DATA_DIR "/hex/blink84a.hex";
    if (path.size() > 1 && path[1] == ':')
        path.erase(0, 2);
    ASSERT_EQ(path[0], '/');
    const CliRun run = bench.Run({"view", path});
    EXPECT_EQ(run.exitCode, kExitOk) << run.err;
    EXPECT_NE(run.out.find("Program Data:\n0000:   2805"), std::string::npos) << run.out;
}

} // namespace

