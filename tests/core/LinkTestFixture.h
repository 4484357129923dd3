#pragma once
#include <gtest/gtest.h>

#include "emulator/EmulatorControl.h"
#include "link/BoardLink.h"
#include "link/D2xxBinding.h"
#include "support/FakeLinkHost.h"
#include "support/RecordingMessageSink.h"
#include "support/SimulatedTime.h"
#include "support/TraceFile.h"

// The real driver binding and board link over the emulator's default bus (device 0: a
// TVR-IOA board with a 16F84A; device 1: a TVR-IOB board with a 16F877), on simulated time,
// with the trace recorded.
class LinkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(EmuConfigure(nullptr), 0) << EmuLastError();
        ASSERT_EQ(driver.LoadDriver(), 0);
    }
    void TearDown() override { EmuClearFaults(); }

    void Inject(const char* fault) { ASSERT_EQ(EmuInjectFault(fault), 0) << fault << ": " << EmuLastError(); }
    void Configure(const char* text) { ASSERT_EQ(EmuConfigure(text), 0) << EmuLastError(); }

    SimulatedTime time;
    TraceFile trace{::testing::UnitTest::GetInstance()->current_test_info()->name()};
    RecordingMessageSink sink;
    FakeLinkHost host;
    D2xxBinding driver{sink};
    BoardLink link{driver, host, sink};
};

using Messages = std::vector<std::string>;
