#pragma once
// The target operations against the emulated boards: a board link over the real driver
// binding, simulated time, and the calls that crossed the wire read back from the trace.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "emulator/EmulatorControl.h"
#include "image/ConfigWord.h"
#include "image/FirmwareImage.h"
#include "image/HexFile.h"
#include "image/ProcessorProfile.h"
#include "link/BoardLink.h"
#include "link/D2xxBinding.h"
#include "support/FakeLinkHost.h"
#include "support/RecordingMessageSink.h"
#include "support/SimulatedTime.h"
#include "support/TraceFile.h"

using Bytes = std::vector<std::uint8_t>;

// The standard bus: board 0 is a TVR-IOA with a 16F84A, board 1 a TVR-IOB with a 16F877.
inline int BoardOf(TargetProcessor processor)
{
    return processor == TargetProcessor::PIC16F877 ? 1 : 0;
}

// The gpasm fixture of each processor.
inline std::string FixtureOf(TargetProcessor processor)
{
    return std::string(QUILLET_TEST_DATA_DIR "/hex/") +
           (processor == TargetProcessor::PIC16F877 ? "counter877.hex" : "blink84a.hex");
}

// One D2XX call of the trace: its name, the bytes written or received, what it returned.
struct WireCall {
    std::string function;
    Bytes bytes; // tx= of FT_Write, rx= of FT_Read
    int status = 0;
};

// A trace line reads "t=<ms> FT_Name(arguments) [tx=.. | rx=..] ... -> <status>".
inline std::vector<WireCall> WireCalls(const TraceFile& trace)
{
    std::vector<WireCall> calls;
    for (const std::string& line : trace.Lines()) {
        const auto name = line.find(' ');
        const auto open = line.find('(', name);
        if (name == std::string::npos || open == std::string::npos)
            continue;
        WireCall& call = calls.emplace_back();
        call.function = line.substr(name + 1, open - name - 1);
        for (const char* key : {" tx=", " rx="}) {
            if (const auto at = line.find(key); at != std::string::npos) {
                std::istringstream in(line.substr(at + 4));
                // Two hex digits a byte, up to the next "name=" field.
                for (std::string pair; in >> pair && pair.size() == 2 && pair.find('=') == std::string::npos;)
                    call.bytes.push_back(static_cast<std::uint8_t>(std::stoul(pair, nullptr, 16)));
            }
        }
        if (const auto arrow = line.rfind("-> "); arrow != std::string::npos)
            call.status = std::stoi(line.substr(arrow + 3));
    }
    return calls;
}

// The calls from the first FT_Write that carries `command` on: a target operation's traffic
// after its device was opened.
inline std::vector<WireCall> CallsFrom(const std::vector<WireCall>& calls, const Bytes& command)
{
    for (std::size_t i = 0; i < calls.size(); ++i) {
        if (calls[i].function == "FT_Write" && calls[i].bytes == command)
            return {calls.begin() + static_cast<std::ptrdiff_t>(i), calls.end()};
    }
    return {};
}

// Each test starts from a fresh standard bus in simulated time, its trace in a file of its own.
class OperationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(0, EmuConfigure(nullptr)) << EmuLastError();
        ASSERT_EQ(0, driver.LoadDriver());
    }
    void TearDown() override { EmuClearFaults(); }

    // Chooses the board of `processor` by its device number.
    void Choose(TargetProcessor processor) { host.selection = {2, std::to_string(BoardOf(processor))}; }

    void InjectFault(const std::string& fault) { ASSERT_EQ(0, EmuInjectFault(fault.c_str())) << EmuLastError(); }

    static void SetChipWord(TargetProcessor processor, unsigned address, unsigned value)
    {
        ASSERT_EQ(0, EmuSetChipWord(BoardOf(processor), address, value)) << EmuLastError();
    }

    // The fixture as Program sends it: loaded for programming, the configuration word rebuilt
    // from the options the file's own word sets.
    static FirmwareImage ProgrammingImage(TargetProcessor processor)
    {
        FirmwareImage image;
        EXPECT_TRUE(LoadHexImage(FixtureOf(processor), HexLoadMode::Programming, image));
        ConfigOptions options;
        ApplyConfigWord(processor, static_cast<std::uint16_t>(image.Get(CONFIG_WORD_ADDRESS)), options);
        image.Set(CONFIG_WORD_ADDRESS, BuildConfigWord(processor, options));
        return image;
    }

    static std::string TraceName()
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(info->test_suite_name()) + "." + info->name();
        std::replace(name.begin(), name.end(), '/', '-'); // parameterised names hold '/'
        return name;
    }

    SimulatedTime time;
    TraceFile trace{TraceName()};
    RecordingMessageSink sink;
    FakeLinkHost host;
    D2xxBinding driver{sink};
    BoardLink link{driver, host, sink};
};
