// quillet inside quillet-usb-testbed: every byte crosses libusb's usbdevfs requests to the
// emulated FT8U245AM, so these runs exercise the open D2XX library, libftdi1 and libusb as a
// desk with real boards would, with the emulator's firmware and chip model behind them.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kExitOk = 0;
constexpr int kExitNoBoard = 4;
constexpr int kExitProgramFailed = 8;

std::string ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Fixture(const std::string& name)
{
    return std::string(QUILLET_TEST_DATA_DIR) + "/hex/" + name;
}

struct UsbRun {
    int exitCode = -1;
    std::string out;
    std::string err;
    double seconds = 0;
    double cpuSeconds = 0; // the command's and the test bed's, user and system
    std::map<std::string, unsigned> transfers; // control, bulk-out, bulk-in, empty-in, reset, event-char
};

// A folder with a test bed configuration: `busLines`, then the two standard boards, each
// keeping its chip in a state file between runs, and `boardLines` (faults) in the first
// board's section.
class UsbBench {
public:
    explicit UsbBench(const std::string& boardLines = "", const std::string& busLines = "")
    {
        char pattern[] = "/tmp/quillet-usb-XXXXXX";
        folder_ = ::mkdtemp(pattern);
        std::ofstream config(folder_ / "bench.conf");
        config << busLines << "\n[board]\nstate = " << (folder_ / "a.state").string() << "\n" << boardLines << "\n"
               << "[board]\nstate = " << (folder_ / "b.state").string() << "\n";
    }
    ~UsbBench()
    {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
    UsbBench(const UsbBench&) = delete;
    UsbBench& operator=(const UsbBench&) = delete;

    fs::path Folder() const { return folder_; }

    // One run of quillet with `arguments` inside a test bed of its own. Nothing on the
    // library path: quillet finds the open library beside it in the build folder.
    UsbRun Run(const std::vector<std::string>& arguments) { return InBed({QUILLET_BINARY}, arguments); }

    // Several commands in one test bed, so that the chip keeps what a command left in its
    // FIFOs for the next: a shell script naming quillet "$0".
    UsbRun RunScript(const std::string& script) { return InBed({"/bin/sh", "-c", script, QUILLET_BINARY}, {}); }

    // A scenario of d2xx_probe, on the open library, in a test bed of its own.
    UsbRun RunProbe(const std::string& scenario)
    {
        return InBed({QUILLET_D2XX_PROBE, QUILLET_OPEN_DRIVER}, {scenario});
    }

    // The same run against the D2XX-level emulator, with the boards of the same
    // configuration; `D2xxCalls` then counts the calls of its trace.
    UsbRun RunOnEmulator(const std::vector<std::string>& arguments)
    {
        fs::remove(folder_ / "wire.trace");
        return Execute({QUILLET_BINARY}, arguments, true);
    }

    // How many calls of `function` the last emulator run made.
    int D2xxCalls(const std::string& function) const { return CountTrace(" " + function + "(", ""); }
    // How many of them moved bytes from the board.
    int D2xxCallsReceiving(const std::string& function) const { return CountTrace(" " + function + "(", " rx="); }

private:
    int CountTrace(const std::string& call, const std::string& also) const
    {
        std::istringstream trace(ReadAll(folder_ / "wire.trace"));
        int count = 0;
        for (std::string line; std::getline(trace, line);)
            count += line.find(call) != std::string::npos && line.find(also) != std::string::npos;
        return count;
    }

    // `command` inside the test bed of this folder's configuration, counting its transfers.
    UsbRun InBed(const std::vector<std::string>& command, const std::vector<std::string>& arguments)
    {
        std::vector<std::string> texts{QUILLET_USB_TESTBED, "--config", (folder_ / "bench.conf").string(),
                                       "--counts", (folder_ / "counts").string(), "--"};
        texts.insert(texts.end(), command.begin(), command.end());
        return Execute(texts, arguments, false);
    }

    UsbRun Execute(std::vector<std::string> texts, const std::vector<std::string>& arguments, bool emulator)
    {
        texts.insert(texts.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& text : texts)
            argv.push_back(text.data());
        argv.push_back(nullptr);
        const auto start = std::chrono::steady_clock::now();
        std::fflush(stdout); // or the child would print the test's buffered lines again
        const pid_t child = ::fork();
        if (child == 0) {
            ::freopen((folder_ / "stdout").c_str(), "w", stdout);
            ::freopen((folder_ / "stderr").c_str(), "w", stderr);
            if (emulator) {
                ::setenv("LD_LIBRARY_PATH", QUILLET_EMULATOR_DIR, 1);
                ::setenv("D2XX_EMULATOR_CONFIG", (folder_ / "bench.conf").c_str(), 1);
                ::setenv("D2XX_EMULATOR_TRACE", (folder_ / "wire.trace").c_str(), 1);
            } else {
                ::unsetenv("LD_LIBRARY_PATH");
            }
            if (::chdir(folder_.c_str()) == 0)
                ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        int status = 0;
        rusage usage{};
        while (::wait4(child, &status, 0, &usage) < 0) {
        }
        UsbRun run;
        run.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
        run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        run.out = ReadAll(folder_ / "stdout");
        run.err = ReadAll(folder_ / "stderr");
        std::istringstream counts(ReadAll(folder_ / "counts"));
        for (std::string field; counts >> field;) {
            const auto equals = field.find('=');
            run.transfers[field.substr(0, equals)] = static_cast<unsigned>(std::stoul(field.substr(equals + 1)));
        }
        return run;
    }

    fs::path folder_;
};

std::string LastLine(const std::string& text)
{
    const std::string trimmed = text.substr(0, text.find_last_not_of('\n') + 1);
    return trimmed.substr(trimmed.find_last_of('\n') + 1);
}

TEST(UsbBus, ListsTheBoardsInPortOrderAndInfoNamesTheOpenLibrary)
{
    UsbBench bench;
    UsbRun run = bench.Run({"list"});
    ASSERT_EQ(run.exitCode, kExitOk) << run.err;
    EXPECT_EQ(run.out, "2 device(s) attached:\n"
                       "0    TVRA0001             TVR-IOA\n"
                       "1    TVRB0001             TVR-IOB\n");
    run = bench.Run({"info", "--serial", "TVRB0001"});
    ASSERT_EQ(run.exitCode, kExitOk) << run.err;
    EXPECT_NE(run.out.find("Version:   TVR-IOB EMULATED\nProcessor: 16F877 (board)\n"), std::string::npos) << run.out;
    EXPECT_EQ(LastLine(run.out), "Driver:    " + fs::canonical(QUILLET_OPEN_DRIVER).string());
}

// Through the open library, a run on several boards works on them side by side: reading two
// 16F84A boards at once takes about as long as one alone, not twice as long, as it did while
// one lock held every call of every device.
TEST(UsbBus, SeveralBoardsAreReadSideBySideThroughTheOpenLibrary)
{
    UsbBench bench("\n[board]\nserial = TVRA0002\ndescription = TVR-IOA\nprocessor = 16F84A\n");
    const UsbRun alone = bench.Run({"read", "--serial", "TVRA0002", "-o", "alone.hex"});
    const UsbRun both = bench.Run({"read", "--serial", "TVRA0001", "--serial", "TVRA0002", "-o", "back.hex"});
    ASSERT_EQ(both.exitCode, kExitOk) << both.out << both.err;
    EXPECT_EQ(ReadAll(bench.Folder() / "back-TVRA0002.hex"), ReadAll(bench.Folder() / "alone.hex"));
    EXPECT_LT(both.seconds, 1.5 * alone.seconds) << "one board alone: " << alone.seconds << " s";
}

// A board whose chip EEPROM holds no serial number has no serial number string
// (iSerialNumber 0): it is listed with an empty serial number and opened by its description
// or its device number.
TEST(UsbBus, ABoardWithoutSerialNumberIsListedAndOpenedByDescriptionOrNumber)
{
    UsbBench bench("serial = \"\"\ndescription = NO SERIAL\n");
    UsbRun run = bench.Run({"list"});
    ASSERT_EQ(run.exitCode, kExitOk) << run.err;
    EXPECT_EQ(run.out, "2 device(s) attached:\n"
                       "0                         NO SERIAL\n"
                       "1    TVRB0001             TVR-IOB\n");
    for (const std::vector<std::string>& open : {std::vector<std::string>{"--description", "NO SERIAL"},
                                                  std::vector<std::string>{"--device", "0"}}) {
        std::vector<std::string> info{"info"};
        info.insert(info.end(), open.begin(), open.end());
        run = bench.Run(info);
        EXPECT_EQ(run.exitCode, kExitOk) << open[0] << ": " << run.err;
        EXPECT_NE(run.out.find("Processor: 16F84A (board)\n"), std::string::npos) << run.out;
    }
}

// The number after the first "name=" of a probe's output; -1 when there is none.
long Field(const std::string& text, const std::string& name)
{
    const std::size_t at = (" " + text).find(" " + name + "=");
    return at == std::string::npos ? -1 : std::stol(text.substr(at + name.size() + 1));
}

// The board takes the bytes of its FIFO only between the writes of program words (64 ms a
// block on a 16F84A) and the chip NAKs what does not fit, so a long write runs out of its
// time-out half way: the open library reports the bytes that got in, whole packets, exactly
// those the board then programs (one acknowledge per complete block of 36). And a read whose
// time-out runs out with part of an answer keeps that part: the chip sends a full packet at
// once and holds the short rest until its latency tick (160 ms at time-scale 10, well beyond
// the read's 20 ms time-out).
TEST(UsbBus, TheOpenLibraryKeepsWhatAWriteOrReadMovedBeforeItsTimeout)
{
    UsbBench writing;
    UsbRun run = writing.RunProbe("partial-write");
    ASSERT_EQ(run.exitCode, kExitOk) << run.err;
    const long written = Field(run.out, "written");
    EXPECT_EQ(Field(run.out, "status"), 0) << run.out;
    EXPECT_GE(written, 128) << run.out; // the FIFO's room, taken at once
    EXPECT_LT(written, Field(run.out, "of")) << run.out;
    EXPECT_EQ(written % 64, 0) << run.out;
    EXPECT_EQ(Field(run.out, "acknowledged"), written / 36) << run.out;

    UsbBench reading("", "time-scale = 10");
    run = reading.RunProbe("partial-read");
    ASSERT_EQ(run.exitCode, kExitOk) << run.err;
    std::string block;
    for (int word = 0; word < 16; ++word)
        block += "FFF3"; // blank words, low nibble first
    EXPECT_EQ(run.out, "status=0 first=62 status=0 rest=4 bytes=5A" + block + "\n");
}

// Write Version sends its 32 bytes and closes at once, and the board stores each character in
// its EEPROM as it comes (8 ms each): most of the text is still in the chip's FIFO when the
// next command opens the device. Opening must leave the FIFO alone; a chip reset there threw
// the rest away, and the board took the next command for version text. The board's firmware
// keeps its state, as it must: nothing tells its microcontroller that the host opened the chip.
TEST(UsbBus, AVersionWrittenJustBeforeTheNextCommandArrivesWhole)
{
    UsbBench bench("", "firmware = keeps-state");
    const UsbRun run = bench.RunScript("\"$0\" write-version ABCDEFGHIJKLMNOP --serial TVRA0001 && "
                                       "\"$0\" info --serial TVRA0001");
    EXPECT_EQ(run.exitCode, kExitOk) << run.err;
    EXPECT_NE(run.out.find("Version:   ABCDEFGHIJKLMNOP\n"), std::string::npos) << run.out << run.err;
}

const std::vector<std::string> kProgram{"program", Fixture("blink84a.hex"), "--auto-erase", "--serial", "TVRA0001"};

// A program stream cut half way (a block never acknowledged) leaves the download firmware
// waiting for the rest. Firmware that restarts when the device is opened takes the next
// command; firmware that keeps its state takes the next command's bytes for stream data, and
// that command fails within the protocol's time-outs, as the first run's advice to replug
// the board warned.
TEST(UsbBus, AStreamCutHalfWayHoldsTheNextCommandOnlyWhenTheFirmwareKeepsItsState)
{
    for (const std::string firmware : {"resets-on-open", "keeps-state"}) {
        SCOPED_TRACE(firmware);
        UsbBench bench("fault = block-ack-missing part=program block=3 times=1", "firmware = " + firmware);
        UsbRun run = bench.Run(kProgram);
        EXPECT_EQ(run.exitCode, kExitProgramFailed) << run.err;
        EXPECT_NE(run.err.find("unplug and replug the board before its next command"), std::string::npos) << run.err;
        run = bench.Run({"info", "--serial", "TVRA0001"});
        EXPECT_EQ(run.exitCode, firmware == "keeps-state" ? kExitNoBoard : kExitOk) << run.out << run.err;
        EXPECT_LT(run.seconds, 8);
    }
}

struct RoundTripCase {
    const char* name;
    const char* busLines;
    double timeScale;
    const char* fixture;
    const char* device;
    const char* processor;
    const char* firstCell; // the state file's line for program word 0 after programming
};

void PrintTo(const RoundTripCase& c, std::ostream* out)
{
    *out << c.name;
}

class UsbRoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

// Program, verify, read back; the read-back file verifies too. Each operation runs a second
// time against the D2XX-level emulator, from the same chip: every FT_Write must be one bulk
// OUT transfer, neither split nor merged (beyond the repeats a slow machine causes). Both counts of each operation go to the test's
// XML properties and the log, for the record of what one operation costs on the bus.
TEST_P(UsbRoundTrip, ProgramsVerifiesAndReadsThroughLibusb)
{
    const RoundTripCase& c = GetParam();
    UsbBench bench("", c.busLines);
    UsbBench twin("", c.busLines); // the same operations on the emulator
    const std::string processor = c.processor;
    auto record = [&](const char* operation, const UsbRun& run, const std::vector<std::string>& arguments) {
        const UsbRun emulated = twin.RunOnEmulator(arguments);
        EXPECT_EQ(emulated.exitCode, run.exitCode) << emulated.err;
        // On a loaded machine a 200 ms read of the read stream can run out on the way through
        // umockdev; the program then asks for the block again, one write more. Such a read
        // ends with at least one status-only IN transfer, so those bound the extra writes.
        const auto writes = static_cast<unsigned>(twin.D2xxCalls("FT_Write"));
        EXPECT_GE(run.transfers.at("bulk-out"), writes);
        EXPECT_LE(run.transfers.at("bulk-out"), writes + run.transfers.at("empty-in"));
        // Opening leaves the chip alone: it is reset by FT_ResetDevice only. The event
        // character is asked for after every open and reset, taken or not.
        const int resets = twin.D2xxCalls("FT_ResetDevice");
        EXPECT_EQ(run.transfers.at("reset"), static_cast<unsigned>(resets));
        EXPECT_EQ(run.transfers.at("event-char"),
                  static_cast<unsigned>(twin.D2xxCalls("FT_Open") + twin.D2xxCalls("FT_OpenEx") + resets));
        // Without the event character the chip sends a packet that is not full only when its
        // 16 ms latency timer runs out, and the timer restarts with every packet: the board's
        // answers reach the PC at least 16 ms apart, however fast it answers.
        if (std::string(c.busLines).find("event-character = refused") != std::string::npos) {
            const int answers = twin.D2xxCallsReceiving("FT_Read");
            EXPECT_GE(run.seconds, (answers - 1) * 0.016 * c.timeScale) << answers << " answers";
        }
        std::ostringstream line;
        line << "D2XX FT_Write=" << twin.D2xxCalls("FT_Write") << " FT_Read=" << twin.D2xxCalls("FT_Read")
             << " FT_Purge=" << twin.D2xxCalls("FT_Purge") << " | USB";
        for (const auto& [kind, count] : run.transfers)
            line << ' ' << kind << '=' << count;
        line << " | " << run.seconds << " s, " << run.cpuSeconds << " s CPU";
        ::testing::Test::RecordProperty(std::string(operation) + "_" + processor, line.str());
        std::printf("%s %s: %s\n", operation, c.processor, line.str().c_str());
    };

    const std::vector<std::string> program{"program", Fixture(c.fixture), "--auto-erase", "--device", c.device};
    UsbRun run = bench.Run(program);
    ASSERT_EQ(run.exitCode, kExitOk) << run.err;
    EXPECT_EQ(run.out, "Programming complete.\n");
    // While the program waits on the board, libusb sleeps until an URB can be reaped: the
    // command and the test bed together use a small part of a core, not half of one. At
    // full scale, where the waiting is the board's own.
    if (c.timeScale == 1) {
        EXPECT_LT(run.cpuSeconds, 0.15 * run.seconds) << run.seconds << " s";
    }
    EXPECT_NE(ReadAll(bench.Folder() / (c.device[0] == '0' ? "a.state" : "b.state")).find(c.firstCell),
              std::string::npos);
    record("program", run, program);

    const std::vector<std::string> verify{"verify", Fixture(c.fixture), "--device", c.device};
    run = bench.Run(verify);
    ASSERT_EQ(run.exitCode, kExitOk) << run.err;
    EXPECT_EQ(run.out, "Verify passed\n");
    record("verify", run, verify);

    const std::vector<std::string> read{"read", "-o", "back.hex", "--device", c.device};
    run = bench.Run(read);
    ASSERT_EQ(run.exitCode, kExitOk) << run.err;
    EXPECT_EQ(run.out, "Read the " + processor + " into back.hex.\n");
    record("read", run, read);

    run = bench.Run({"verify", "back.hex", "--device", c.device});
    EXPECT_EQ(run.exitCode, kExitOk) << run.out << run.err;
}

INSTANTIATE_TEST_SUITE_P(
    Processors, UsbRoundTrip,
    ::testing::Values(
        // Word 0: goto 5 on the 16F84A; clrf PCLATH before the goto on the 16F877.
        // Whether the chip honours the event character is not documented: one of each. The
        // 16F84A at full scale (its Program writes for 8.3 s), the 16F877 ten times as fast
        // (its Program would write for 33 s).
        RoundTripCase{"pic16f84a", "event-character = refused", 1, "blink84a.hex", "0", "16F84A", "cell 0000 2805"},
        RoundTripCase{"pic16f877", "event-character = honoured\ntime-scale = 0.1", 0.1, "counter877.hex", "1",
                      "16F877", "cell 0000 018A"}),
    [](const auto& info) { return std::string(info.param.name); });

struct FailureCase {
    const char* name;
    const char* busLines;
    const char* fault;
    std::vector<std::string> arguments;
    int exitCode;
    const char* message; // on standard error, or standard output when the run succeeds
    double writeSeconds = 0; // what the target spends writing on the way, at full scale
};

void PrintTo(const FailureCase& c, std::ostream* out)
{
    *out << c.name;
}

class UsbFailure : public ::testing::TestWithParam<FailureCase> {};

// An unplug or a slow board ends the run with its message within the protocol's time-outs:
// the longest wait in play is the one second of a command exchange, so a run that takes
// more than a few seconds is hanging on the USB stack.
TEST_P(UsbFailure, EndsWithinTheProtocolsTimeouts)
{
    const FailureCase& c = GetParam();
    constexpr double kLongestRunSeconds = 8;
    UsbBench bench(std::string("fault = ") + c.fault, c.busLines);
    const UsbRun run = bench.Run(c.arguments);
    EXPECT_EQ(run.exitCode, c.exitCode) << run.out << run.err;
    EXPECT_NE((run.exitCode == kExitOk ? run.out : run.err).find(c.message), std::string::npos)
        << run.out << run.err;
    EXPECT_LT(run.seconds, kLongestRunSeconds + c.writeSeconds);
}


INSTANTIATE_TEST_SUITE_P(
    Faults, UsbFailure,
    ::testing::Values(
        // The board vanishes on receiving program block 8, before acknowledging it.
        FailureCase{"unplugDuringProgram", "", "unplug stream=program part=program block=8", kProgram, kExitNoBoard,
                    "TVR-IOxx board not responding."},
        // It takes the PC's acknowledge of read block 9 and vanishes instead of sending block 10.
        FailureCase{"unplugDuringRead", "", "unplug stream=read part=program block=10", {"read", "-o", "x.hex"},
                    kExitNoBoard, "Could not read from device. (T3)"},
        // Late, but within the one-second time-out of a command: the read waits for it.
        // A whole 16F84A Program: 1,032 words of 8 ms.
        FailureCase{"lateBlockAcknowledge", "", "block-ack-late part=program block=3 delay=700", kProgram, kExitOk,
                    "Programming complete.", 8.3},
        FailureCase{"latePingAnswer", "", "answer-late command=CMD_PING delay=600", {"info"}, kExitOk,
                    "Revision:  V1.03"},
        FailureCase{"pingAnswerTooLate", "", "answer-late command=CMD_PING delay=2500", {"info"}, kExitNoBoard,
                    "Device not responding to ping."}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
