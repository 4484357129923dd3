// Every exit code quillet documents, and each path to one, reached as a bench would reach it:
// the text that explains it and every command word that crossed the wire.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iomanip>
#include <map>
#include <regex>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "QuilletVersion.h"
#include "cli/CliBench.h"

namespace {

// A run and what it must give, from tests/cli/outcomes.txt or outputs.txt.
struct CliCase {
    std::string name;
    std::string boardLines;
    std::vector<std::string> before; // a run that must succeed first
    bool withoutDriver = false;
    std::vector<std::string> arguments;
    int exitCode = 0;
    std::string outHolds;          // a text standard output must hold
    std::string out;               // standard output, whole
    std::string err;               // standard error, whole
    std::vector<std::string> json; // every line of a run with --json but the progress ones
    Words words;                   // every command word of the run, in order
};

// Test names in ctest's list, not a dump of the case's bytes.
void PrintTo(const CliCase& c, std::ostream* out)
{
    *out << c.name;
}

std::vector<CliCase> CliCases(const char* file);

class OutcomeTest : public ::testing::TestWithParam<CliCase> {};

TEST_P(OutcomeTest, ReachesTheDocumentedCode)
{
    const CliCase& c = GetParam();
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
    EXPECT_NE(run.out.find(c.outHolds), std::string::npos) << run.out;
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

INSTANTIATE_TEST_SUITE_P(Outcomes, OutcomeTest, ::testing::ValuesIn(CliCases(QUILLET_OUTCOMES)),
                         [](const ::testing::TestParamInfo<CliCase>& info) { return info.param.name; });

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

// The cases of a file of runs, their escapes and placeholders filled in.
std::vector<CliCase> CliCases(const char* path)
{
    const auto filled = [](const std::string& text) {
        std::string plain; // \xNN a byte, \n a line's end; any other backslash stays
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\\' && text.compare(i, 2, "\\n") == 0) {
                plain += '\n';
                ++i;
            } else if (text[i] == '\\' && text.compare(i, 2, "\\x") == 0 && i + 3 < text.size()) {
                plain += static_cast<char>(std::stoi(text.substr(i + 2, 2), nullptr, 16));
                i += 3;
            } else {
                plain += text[i];
            }
        }
        const std::regex placeholder(R"(\$(JSONHEX|HEX)\(([^)]*)\)|\$DRIVER|\$VERSION|\$NO_DRIVER)");
        std::string result;
        auto last = plain.cbegin();
        for (std::sregex_iterator at(plain.begin(), plain.end(), placeholder), end; at != end; ++at) {
            const std::smatch& m = *at;
            result.append(last, m[0].first);
            result += m[1] == "HEX"          ? Fixture(m[2])
                      : m[1] == "JSONHEX"    ? JsonText(Fixture(m[2]))
                      : m[0] == "$DRIVER"    ? kDriverPath
                      : m[0] == "$NO_DRIVER" ? std::string(kNoDriver)
                                             : std::string(QUILLET_VERSION);
            last = m[0].second;
        }
        return result.append(last, plain.cend());
    };
    const auto arguments = [&](const std::string& text) {
        std::vector<std::string> list;
        std::istringstream in(text);
        for (std::string word; in >> std::quoted(word);)
            list.push_back(filled(word));
        return list;
    };
    const std::map<std::string, const char*> commandWords{
        {"CONNECT", CONNECT}, {"PING", PING}, {"GET_REVISION", GET_REVISION}, {"GET_VERSION", GET_VERSION},
        {"GET_PROCESSOR", GET_PROCESSOR}, {"DISCONNECT", DISCONNECT}, {"BLANK_CHECK_84A", BLANK_CHECK_84A},
        {"BLANK_CHECK_877", BLANK_CHECK_877}, {"ERASE_84A", ERASE_84A}, {"ERASE_877", ERASE_877},
        {"PROGRAM_84A", PROGRAM_84A}, {"PROGRAM_877", PROGRAM_877}, {"READ_84A", READ_84A}, {"READ_877", READ_877},
        {"WRITE_VERSION", "06 0A 05 0A"}};
    std::vector<CliCase> cases;
    std::ifstream file(path);
    for (std::string line; std::getline(file, line);) {
        const std::string key = line.substr(0, line.find(' '));
        const std::string rest = line.size() > key.size() ? line.substr(key.size() + 1) : "";
        if (key == "==") {
            cases.emplace_back();
            cases.back().name = rest;
        }
        if (cases.empty())
            continue; // the file's comments
        CliCase& c = cases.back();
        if (key == "bench")
            c.boardLines = filled(rest);
        else if (key == "before")
            c.before = arguments(rest);
        else if (line == "without the driver")
            c.withoutDriver = true;
        else if (key == "run")
            c.arguments = arguments(rest);
        else if (key == "exit")
            c.exitCode = std::stoi(rest);
        else if (key == "out")
            (rest.starts_with("holds ") ? c.outHolds : c.out) += rest.starts_with("holds ") ? filled(rest.substr(6))
                                                                                           : filled(rest) + "\n";
        else if (key == "err")
            c.err += filled(rest) + (rest == "$NO_DRIVER" ? "" : "\n");
        else if (key == "json")
            c.json.push_back(filled(rest));
        else if (key == "words")
            for (const std::string& name : arguments(rest))
                c.words.push_back(commandWords.at(name));
    }
    return cases;
}

class OutputTest : public ::testing::TestWithParam<CliCase> {};

// What a person and another program read, each compared whole: every line and, with --json,
// every key and value in its place. Each form on a bench of its own.
TEST_P(OutputTest, TextAndJsonWhole)
{
    const CliCase& c = GetParam();
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

INSTANTIATE_TEST_SUITE_P(Commands, OutputTest, ::testing::ValuesIn(CliCases(QUILLET_OUTPUTS)),
                         [](const ::testing::TestParamInfo<CliCase>& info) { return info.param.name; });

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


