// Every exit code quillet documents, each reached the way a bench would reach it, with the
// message that explains it and, where it matters, what did or did not cross the wire.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/CliBench.h"
#include "cli/CommandWords.h"
#include "cli/DocumentedExitCodes.h"

namespace {

struct ExitCase {
    const char* name;
    std::vector<std::string> arguments;
    int exitCode;
    const char* error;      // a text standard error must hold
    std::string boardExtra; // further lines for board 0 (TVRA0001, 16F84A)
    std::function<void(CliBench&)> prepare;
    std::function<void(const CliBench&)> wire; // what the trace must show
};

// Test names in ctest's list, not a dump of the case's bytes.
void PrintTo(const ExitCase& c, std::ostream* out)
{
    *out << c.name;
}

void Nothing(CliBench&) {}
void AnyWire(const CliBench&) {}

// The board was never opened: the run stopped before any driver call.
void NoDriverCall(const CliBench& bench)
{
    EXPECT_TRUE(bench.TraceLines().empty());
}

// Programmed once, so no longer blank.
void Programmed(CliBench& bench)
{
    ASSERT_EQ(bench.Run({"program", Fixture("blink84a.hex")}).exitCode, kExitOk);
}

class ExitCodeTest : public ::testing::TestWithParam<ExitCase> {};

TEST_P(ExitCodeTest, ReachesTheDocumentedCode)
{
    const ExitCase& c = GetParam();
    std::vector<BenchBoard> boards = StandardBench();
    boards[0].extra = c.boardExtra;
    CliBench bench(boards);
    c.prepare(bench);
    const CliRun run = bench.Run(c.arguments);
    EXPECT_EQ(run.exitCode, c.exitCode) << run.out << run.err;
    EXPECT_NE(run.err.find(c.error), std::string::npos) << run.err;
    c.wire(bench);
}

const std::string kBlink = Fixture("blink84a.hex");

INSTANTIATE_TEST_SUITE_P(
    Outcomes, ExitCodeTest,
    ::testing::Values(
        ExitCase{"unknownOption", {"info", "--colour"}, kExitUsage, "--colour", "", Nothing, NoDriverCall},
        ExitCase{"twoBoards", {"info", "--serial", "TVRA0001", "--device", "1"}, kExitUsage, "excludes", "",
                 Nothing, NoDriverCall},
        ExitCase{"missingFile", {"program"}, kExitUsage, "FILE is required", "", Nothing, NoDriverCall},
        // The window's device-number rule: "65" is past 64.
        ExitCase{"deviceNumberRefused", {"info", "--device", "65"}, kExitUsage,
                 "Select a method to open or enter a valid device number (0-64).", "", Nothing, NoDriverCall},
        // The window's untouched description prompt names no board: refused before any open.
        ExitCase{"descriptionPromptRefused", {"info", "--description", "Enter Device Description here."},
                 kExitUsage, "You must enter a Device Description or Serial Number.", "", Nothing,
                 [](const CliBench& bench) {
                     for (const std::string& line : bench.TraceLines())
                         EXPECT_EQ(line.find("FT_Open"), std::string::npos) << line;
                 }},
        ExitCase{"protectionUnconfirmed", {"program", kBlink, "--code-protection", "all"}, kExitUsage,
                 "--yes-protect", "", Nothing, NoDriverCall},
        // The 16F84A has no brown-out bit: refused once the board has named its processor,
        // before the target is touched.
        ExitCase{"switchWithoutBit", {"program", kBlink, "--brown-out"}, kExitUsage,
                 "--brown-out has no bit in the configuration word of the 16F84A.", "", Nothing,
                 [](const CliBench& bench) {
                     EXPECT_EQ(bench.CommandWords(), (std::vector<std::string>{CONNECT, PING, GET_REVISION,
                                                                               GET_VERSION, GET_PROCESSOR, DISCONNECT}));
                 }},
        ExitCase{"versionTooLong", {"write-version", "ABCDEFGHIJKLMNOPQ"}, kExitUsage,
                 "The version text holds 17 characters; the board stores at most 16.", "", Nothing, NoDriverCall},
        ExitCase{"hexChecksum", {"program", Fixture("malformed/bad-config-checksum.hex")}, kExitHexFile,
                 "bad-config-checksum.hex: Checksum error in HEX file.", "", Nothing, NoDriverCall},
        ExitCase{"hexMissing", {"verify", "no-such.hex"}, kExitHexFile,
                 "no-such.hex: Error: HEX file could not be opened.", "", Nothing, NoDriverCall},
        // Fits a 16F877, so it passes the check before the board; the 16F84A the board
        // reports is too small for it.
        ExitCase{"hexTooLargeForTheBoard", {"program", Fixture("malformed/too-large-84a.hex")}, kExitHexFile,
                 "Selected HEX file is too large to fit into device FLASH.", "", Nothing,
                 [](const CliBench& bench) {
                     EXPECT_EQ(bench.CommandWords().back(), DISCONNECT);
                     EXPECT_EQ(bench.CommandWords().size(), 6u); // connect's five, then disconnect
                 }},
        ExitCase{"noSuchBoard", {"info", "--serial", "TVRX9999"}, kExitNoBoard, "Failed to open. (CN)", "",
                 Nothing, AnyWire},
        // 0xA5A4 is not the ping's answer 0xA5A5.
        ExitCase{"noPing", {"info"}, kExitNoBoard, "Device not responding to ping.",
                 "fault = answer-wrong command=CMD_PING value=0xA5A4", Nothing, AnyWire},
        // Pulled out while the read stream runs: the program block's read fails.
        ExitCase{"unpluggedDuringRead", {"read"}, kExitNoBoard, "Could not read from device. (T3)",
                 "fault = unplug stream=read part=program block=10", Nothing,
                 [](const CliBench& bench) {
                     // The link is lost: there is no connection left to end.
                     EXPECT_NE(bench.CommandWords().back(), DISCONNECT);
                 }},
        ExitCase{"notBlank", {"blank-check"}, kExitNotBlank, "Device is not blank.", "", Programmed, AnyWire},
        ExitCase{"programNotBlank", {"program", kBlink}, kExitNotBlank,
                 "Device is not blank. Either erase the device or select Auto Erase.", "", Programmed,
                 [](const CliBench& bench) {
                     for (const std::string& word : bench.CommandWords())
                         EXPECT_NE(word, PROGRAM_84A);
                 }},
        // 0x5A is "not blank", no answer to an erase.
        ExitCase{"eraseFailed", {"erase"}, kExitEraseFailed, "Error during Bulk Erase function.",
                 "fault = answer-wrong command=CMD_BULK_ERASE_84A value=0x5A", Nothing, AnyWire},
        ExitCase{"eraseFailedInProgram", {"program", kBlink, "--auto-erase"}, kExitEraseFailed,
                 "Error during Bulk Erase function.", "fault = answer-wrong command=CMD_BULK_ERASE_84A value=0x5A",
                 Programmed, AnyWire},
        ExitCase{"badAckInProgram", {"program", kBlink}, kExitProgramFailed,
                 "Bad ACK during Configuration programming (CF).", "fault = block-ack-wrong part=config", Nothing,
                 AnyWire},
        ExitCase{"outputFileUnwritable", {"read", "-o", "no-such-folder/back.hex"}, kExitOutputFile,
                 "Could not write no-such-folder/back.hex", "", Nothing, AnyWire}),
    [](const ::testing::TestParamInfo<ExitCase>& info) { return std::string(info.param.name); });

// Without the driver library on the library path nothing can reach a board.
TEST(DriverTest, MissingLibraryHasACodeOfItsOwn)
{
    CliBench bench;
    const std::filesystem::path empty = bench.Folder() / "no-driver";
    std::filesystem::create_directory(empty);
    const CliRun run = bench.Run({"list"}, empty.string());
    EXPECT_EQ(run.exitCode, kExitNoDriver);
    EXPECT_NE(run.err.find("libftd2xx.so"), std::string::npos) << run.err;
}

} // namespace
