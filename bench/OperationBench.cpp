// Program, Read and Verify of a full 16F84A and a full 16F877 against the emulated boards,
// on simulated time: what crosses the wire, the fixed pauses the protocol demands, the CPU the
// PC side spends, and an estimate of the time on a real board from the emulator's cost model
// (the USB link with the chip's 16 ms latency timer, and the target's write times), with the
// chip refusing the event character and honouring it; for Program also the floor, the
// target's write time alone, and the estimate's ratio to it. The emulator runs in the same
// thread, so the CPU time shown is an upper bound of the program's own share.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "emulator/EmulatorControl.h"
#include "image/ConfigWord.h"
#include "image/FirmwareImage.h"
#include "image/HexFile.h"
#include "image/MemoryListing.h"
#include "link/BoardLink.h"
#include "link/CommandSet.h"
#include "link/D2xxBinding.h"
#include "link/LinkHost.h"
#include "link/MessageSink.h"
#include "link/Pause.h"
#include "ops/BlankCheck.h"
#include "ops/BulkErase.h"
#include "ops/ProgramStream.h"
#include "ops/ReadStream.h"
#include "ops/VerifyCompare.h"

namespace {

class SilentSink : public MessageSink {
public:
    void ShowMessage(const std::string&) override {}
};

// The board of the processor on the emulator's standard bus, by device number.
class BenchHost : public LinkHost {
public:
    explicit BenchHost(TargetProcessor processor)
        : selection_{2, processor == TargetProcessor::PIC16F877 ? "1" : "0"}
    {
    }
    void MarkNotConnected() override {}
    DeviceSelection ReadSelection() override { return selection_; }
    void FocusSearchText() override {}
    void ShowStatus(const std::string&) override {}
    void ShowRevision(const std::string&) override {}
    void TakeProcessorAnswer(ProcessorAnswer) override {}

private:
    DeviceSelection selection_;
};

// One window's worth of state: the link to the board, the working image, the options.
struct Session {
    explicit Session(TargetProcessor chosen) : processor(chosen), host(chosen)
    {
        EmuConfigure(nullptr);
        EmuSetSimulatedTime(1);
        SetPauseFunction([this](unsigned milliseconds) {
            paused += milliseconds;
            EmuAdvanceClock(milliseconds);
        });
        driver.LoadDriver();
        hexPath = std::string(QUILLET_TEST_DATA_DIR) + "/hex/" +
                  (chosen == TargetProcessor::PIC16F877 ? "counter877.hex" : "blink84a.hex");
    }
    ~Session() { SetPauseFunction({}); }

    TargetProcessor processor;
    SilentSink sink;
    BenchHost host;
    D2xxBinding driver{sink};
    BoardLink link{driver, host, sink};
    std::string hexPath;
    std::unique_ptr<FirmwareImage> image = std::make_unique<FirmwareImage>();
    ConfigOptions options;
    unsigned long long paused = 0;
};

// What OnProgram does on a blank target: check the file, blank check, load, the stream.
int ProgramRun(Session& s)
{
    if (CheckHexFile(s.hexPath, s.processor, [&](std::uint16_t word) { ApplyConfigWord(s.processor, word, s.options); }))
        return 1;
    if (BlankCheck(s.link, s.processor) != BLANK_CHECK_BLANK)
        return 2;
    LoadHexImage(s.hexPath, HexLoadMode::Programming, *s.image);
    s.image->Set(CONFIG_WORD_ADDRESS, BuildConfigWord(s.processor, s.options));
    return ProgramTarget(s.link, s.processor, *s.image, [](int) {});
}

// What OnRead does: the stream into the image, the options from the target, the listing.
int ReadRun(Session& s)
{
    Pause(PAUSE_AROUND_READ_MS);
    const int result = ReadTarget(s.link, s.processor, *s.image, [](int) {});
    s.driver.Close();
    ApplyConfigWord(s.processor, static_cast<std::uint16_t>(s.image->Get(CONFIG_WORD_ADDRESS)), s.options);
    benchmark::DoNotOptimize(ReadListing(*s.image, s.processor));
    return result;
}

// What OnVerify does: the stream into a buffer of its own, the file, the comparison.
int VerifyRun(Session& s)
{
    Pause(PAUSE_AROUND_READ_MS);
    FirmwareImage target;
    const int result = ReadTarget(s.link, s.processor, target, [](int) {}, PAUSE_AROUND_READ_MS);
    LoadHexImage(s.hexPath, HexLoadMode::Programming, *s.image);
    s.driver.Close();
    const VerifyDifference difference = CompareWithTarget(*s.image, target, s.processor, s.options);
    return result != READ_DONE ? result : difference.kind == VerifyDifference::NONE ? 0 : 100;
}

struct Traffic {
    int calls = 0;
    long bytesWritten = 0;
    long bytesRead = 0;
};

// Counts the D2XX calls of the trace and the bytes in its tx= and rx= fields ("0A 05 ...").
Traffic CountTraffic(const std::string& path)
{
    Traffic traffic;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        if (line.find(" FT_") == std::string::npos)
            continue;
        ++traffic.calls;
        for (const char* key : {" tx=", " rx="}) {
            const auto at = line.find(key);
            if (at == std::string::npos)
                continue;
            const auto end = line.find('=', at + 4);
            const auto stop = end == std::string::npos ? line.find(" ->", at) : line.rfind(' ', end);
            const long bytes = static_cast<long>((stop - (at + 4) + 1) / 3);
            (key[1] == 't' ? traffic.bytesWritten : traffic.bytesRead) += bytes;
        }
    }
    return traffic;
}

using Operation = int (*)(Session&);

constexpr unsigned kFrameMs = 1;       // one USB transfer on a full-speed bus
constexpr unsigned kChipLatencyMs = 16; // the FT8U245AM's fixed latency timer

struct Estimate {
    double milliseconds = -1; // -1: the operation failed
    double floorMilliseconds = 0; // the target's write time alone
};

// The operation's time on a real board as the cost model estimates it: simulated milliseconds
// from its first call to its end, the protocol's pauses, the link's transfers and latency
// ticks and the target's write times included.
Estimate EstimatedHardware(Session& s, Operation operation, bool eventCharacter)
{
    // A blank chip; Read and Verify find it programmed, outside the estimate.
    EmuConfigure(eventCharacter ? "event-character = honoured" : "event-character = refused");
    if (operation != ProgramRun && ProgramRun(s) != 0)
        return {};
    EmuSetUsbCost(1, kFrameMs, kChipLatencyMs);
    const unsigned long long start = EmuClockMilliseconds();
    const unsigned long long written = EmuTargetWriteMilliseconds();
    const int result = operation(s);
    Estimate estimate;
    if (result == 0)
        estimate.milliseconds = static_cast<double>(EmuClockMilliseconds() - start);
    estimate.floorMilliseconds = static_cast<double>(EmuTargetWriteMilliseconds() - written);
    EmuSetUsbCost(0, kFrameMs, kChipLatencyMs);
    EmuConfigure("event-character = refused");
    return estimate;
}

void BM_Operation(benchmark::State& state, Operation operation, TargetProcessor processor)
{
    Session session(processor);
    const bool program = operation == ProgramRun;
    if (!program && ProgramRun(session) != 0) {
        state.SkipWithError("could not program the emulated chip");
        return;
    }

    // One traced run for the traffic; the timed runs go without the trace.
    const std::string tracePath = (std::filesystem::temp_directory_path() / "quillet-bench.trace").string();
    std::filesystem::remove(tracePath);
    if (program)
        EmuConfigure(nullptr);
    EmuSetTraceFile(tracePath.c_str());
    session.paused = 0;
    if (operation(session) != 0) {
        state.SkipWithError("the operation failed");
        return;
    }
    EmuSetTraceFile(nullptr);
    const Traffic traffic = CountTraffic(tracePath);
    const unsigned long long paused = session.paused;
    std::filesystem::remove(tracePath);
    const Estimate refused = EstimatedHardware(session, operation, false);
    const Estimate honoured = EstimatedHardware(session, operation, true);

    for (auto _ : state) {
        if (program) {
            // A fresh, blank chip for every run, outside the measurement.
            state.PauseTiming();
            EmuConfigure(nullptr);
            state.ResumeTiming();
        }
        benchmark::DoNotOptimize(operation(session));
    }
    state.counters["d2xx_calls"] = traffic.calls;
    state.counters["bytes_written"] = static_cast<double>(traffic.bytesWritten);
    state.counters["bytes_read"] = static_cast<double>(traffic.bytesRead);
    state.counters["pauses_ms"] = static_cast<double>(paused);
    state.counters["est_hw_s"] = refused.milliseconds / 1000;
    state.counters["est_hw_s_event_char"] = honoured.milliseconds / 1000;
    if (program) {
        state.counters["floor_s"] = refused.floorMilliseconds / 1000;
        state.counters["ratio"] = refused.milliseconds / refused.floorMilliseconds;
        state.counters["ratio_event_char"] = honoured.milliseconds / honoured.floorMilliseconds;
    }
}

constexpr auto P84A = TargetProcessor::PIC16F84A;
constexpr auto P877 = TargetProcessor::PIC16F877;

BENCHMARK_CAPTURE(BM_Operation, Program_16F84A, ProgramRun, P84A)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Operation, Program_16F877, ProgramRun, P877)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Operation, Read_16F84A, ReadRun, P84A)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Operation, Read_16F877, ReadRun, P877)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Operation, Verify_16F84A, VerifyRun, P84A)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Operation, Verify_16F877, VerifyRun, P877)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
