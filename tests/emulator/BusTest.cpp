// The emulated bus where the program's tests do not reach it: exact matching, handles after
// close and unplug, a real-time read time-out, the trace and the configuration text.
#include <chrono>
#include <tuple>
#include <utility>

#include "EmulatorTestSupport.h"

namespace {

constexpr ULONG SHORT_TIMEOUT = 200;        // the revision request's read time-out, ms
constexpr unsigned UNUSED_COMMAND = 0xA5B0; // low byte 0xB0 names no command

TEST_F(EmulatorTest, OpensOnlyAnExactMatch)
{
    const std::tuple<const char*, DWORD, FT_STATUS> cases[] = {
        {"TVR-IOA", FT_OPEN_BY_SERIAL_NUMBER, FT_DEVICE_NOT_FOUND}, // a description is no serial number
        {"TVR-IO", FT_OPEN_BY_DESCRIPTION, FT_DEVICE_NOT_FOUND},    // a prefix is no description
        {"TVRA0001", 4, FT_INVALID_PARAMETER},                       // 4 is no way of opening
    };
    for (const auto& [text, flags, expected] : cases) {
        FT_HANDLE handle = nullptr;
        EXPECT_EQ(expected, FT_OpenEx(const_cast<char*>(text), flags, &handle)) << text;
        EXPECT_EQ(nullptr, handle);
    }
    FT_HANDLE handle = nullptr;
    EXPECT_EQ(FT_DEVICE_NOT_FOUND, FT_Open(2, &handle)); // the standard bus holds devices 0 and 1
    EXPECT_EQ(FT_DEVICE_NOT_FOUND, FT_Open(-1, &handle));
}

// One handle per device at a time; a board plugged in again is a new USB device, so the
// handle from before the unplug stays dead; closed and bogus handles are never dereferenced.
TEST_F(EmulatorTest, HandlesLiveFromOpenToCloseAndNoLonger)
{
    char serial[] = "TVRA0001";
    FT_HANDLE first = OpenBySerial(serial);
    FT_HANDLE other = nullptr;
    EXPECT_EQ(FT_DEVICE_NOT_OPENED, FT_OpenEx(serial, FT_OPEN_BY_SERIAL_NUMBER, &other));

    ASSERT_EQ(0, EmuSetAttached(0, 0));
    EXPECT_EQ(FT_DEVICE_NOT_FOUND, FT_OpenEx(serial, FT_OPEN_BY_SERIAL_NUMBER, &other));
    // Device numbers count attached boards only: the TVR-IOB board is device 0 now.
    ASSERT_EQ(FT_OK, FT_Open(0, &other));
    EXPECT_EQ(1, EmuIsOpen(1));
    ASSERT_EQ(FT_OK, FT_Close(other));
    ASSERT_EQ(0, EmuSetAttached(0, 1));
    std::uint8_t byte = 0;
    DWORD moved = 0;
    EXPECT_EQ(FT_IO_ERROR, FT_Read(first, &byte, 1, &moved));
    EXPECT_EQ(FT_IO_ERROR, FT_Write(first, &byte, 1, &moved));
    ASSERT_EQ(FT_OK, FT_Close(first));

    const FT_HANDLE bogus = reinterpret_cast<FT_HANDLE>(std::uintptr_t{0xDEADBEEF}); // never handed out
    for (FT_HANDLE handle : {first, bogus, FT_HANDLE{nullptr}}) {
        EXPECT_EQ(FT_INVALID_HANDLE, FT_Close(handle));
        EXPECT_EQ(FT_INVALID_HANDLE, FT_Read(handle, &byte, 1, &moved));
        EXPECT_EQ(FT_INVALID_HANDLE, FT_Write(handle, &byte, 1, &moved));
        EXPECT_EQ(FT_INVALID_HANDLE, FT_Purge(handle, FT_PURGE_RX));
        EXPECT_EQ(FT_INVALID_HANDLE, FT_SetTimeouts(handle, 1000, 1000));
        EXPECT_EQ(FT_INVALID_HANDLE, FT_GetQueueStatus(handle, &moved));
        EXPECT_EQ(FT_INVALID_HANDLE, FT_ResetDevice(handle));
    }
}

TEST_F(EmulatorTest, ReadWaitsItsTimeoutInRealTime)
{
    EmuSetSimulatedTime(0);
    FT_HANDLE handle = OpenBySerial("TVRA0001", SHORT_TIMEOUT);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(Read(handle, 2).empty());
    // The emulator's clock reads whole milliseconds, so its deadline may fall up to 1 ms early.
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(SHORT_TIMEOUT - 1));
}

// An unknown command word gets no answer, so the read after it takes its whole time-out.
TEST_F(EmulatorTest, TracesEveryCallOnOneLine)
{
    DWORD count = 0;
    FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY);
    FT_HANDLE handle = OpenBySerial("TVRA0001", SHORT_TIMEOUT);
    FT_Purge(handle, FT_PURGE_RX);
    Command(handle, CMD_PING);
    Read(handle, 4);
    Command(handle, UNUSED_COMMAND);
    FT_Close(handle);
    FT_Close(handle);

    const std::vector<std::string> expected = {
        "t=0 FT_ListDevices(flags=0x80000000) count=2 -> 0",
        "t=0 FT_OpenEx(text=\"TVRA0001\", flags=1) handle=1 -> 0",
        "t=0 FT_SetTimeouts(handle=1, read=200, write=200) -> 0",
        "t=0 FT_Purge(handle=1, mask=1) -> 0",
        "t=0 FT_Write(handle=1, count=4) tx=01 0A 05 0A written=4 -> 0",
        "t=0 FT_Read(handle=1, count=2) rx=05 0A received=2 -> 0",
        "t=0 FT_Read(handle=1, count=4) rx=05 0A 05 0A received=4 -> 0", // the word 0xA5A5
        "t=0 FT_Write(handle=1, count=4) tx=00 0B 05 0A written=4 -> 0",
        "t=0 FT_Read(handle=1, count=2) received=0 -> 0",
        "t=200 FT_Close(handle=1) -> 0",
        "t=200 FT_Close(handle=1) -> 1",
    };
    EXPECT_EQ(expected, trace.Lines());
}

TEST_F(EmulatorTest, RefusesABadConfigurationLineByNumberAndKeepsTheBus)
{
    Configure("boards = 3");
    const std::pair<const char*, int> cases[] = {
        {"[board]\nprocessor = 16F628", 2},
        {"# comment\n[board]\nversion = 12345678901234567", 3}, // 17 characters, one too many
        {"[board]\nrevision = 12345", 2},                       // 5 characters, one too many
        {"[bus]\ntime = fast", 2},
        {"[device]", 1},
        {"boards = 1\n[board]\n[board]", 3},
        {"serial TVRA0001", 1},
        {"[board]\ncolour = red", 2},
        {"[board]\n# a bad fault line\nfault = ack-wrong", 3},
        {"usb-cost = sometimes", 1},
        {"usb-cost = on\nusb-latency = 60001", 2}, // a minute at most
    };
    for (const auto& [text, line] : cases) {
        EXPECT_EQ(line, EmuConfigure(text)) << text;
        EXPECT_STRNE("", EmuLastError());
    }
    EXPECT_EQ(3, EmuBoardCount());
}

} // namespace
