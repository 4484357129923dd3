// The emulated USB bus: listing, opening, handles, read time-outs and the trace.
#include <chrono>

#include "EmulatorTestSupport.h"

namespace {

constexpr ULONG SHORT_TIMEOUT = 200; // the revision request's read time-out, ms

struct ListCase {
    DWORD flags;
    std::vector<std::string> expected;
};

void PrintTo(const ListCase& c, std::ostream* out)
{
    *out << ((c.flags & FT_OPEN_BY_SERIAL_NUMBER) ? "SerialNumbers" : "Descriptions");
}

class ListTest : public EmulatorTest, public ::testing::WithParamInterface<ListCase> {};

TEST_P(ListTest, ListsEveryAttachedBoardInDeviceOrder)
{
    Configure("boards = 3");
    char buffers[4][FT_LIST_BUFFER_SIZE] = {};
    // The program hands a table of buffer pointers ending in a null entry.
    char* table[4] = {buffers[0], buffers[1], buffers[2], nullptr};
    DWORD count = 0;
    ASSERT_EQ(FT_OK, FT_ListDevices(table, &count, GetParam().flags));
    ASSERT_EQ(GetParam().expected.size(), count);
    for (std::size_t i = 0; i < count; ++i)
        EXPECT_EQ(GetParam().expected[i], buffers[i]);
}

INSTANTIATE_TEST_SUITE_P(
    ByField, ListTest,
    ::testing::Values(ListCase{FT_LIST_ALL | FT_OPEN_BY_SERIAL_NUMBER, {"TVRA0001", "TVRB0001", "TVRA0002"}},
                      ListCase{FT_LIST_ALL | FT_OPEN_BY_DESCRIPTION, {"TVR-IOA", "TVR-IOB", "TVR-IOA"}}));

TEST_F(EmulatorTest, CountsOnlyAttachedBoardsAndRenumbersAfterAnUnplug)
{
    DWORD count = 0;
    ASSERT_EQ(FT_OK, FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY));
    EXPECT_EQ(2u, count);

    ASSERT_EQ(0, EmuSetAttached(0, 0));
    ASSERT_EQ(FT_OK, FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY));
    EXPECT_EQ(1u, count);
    // Device numbers count attached boards, so the TVR-IOB board is now device 0.
    FT_HANDLE handle = nullptr;
    ASSERT_EQ(FT_OK, FT_Open(0, &handle));
    EXPECT_EQ(1, EmuIsOpen(1));
    EXPECT_EQ(FT_DEVICE_NOT_FOUND, FT_Open(1, &handle));
}

struct OpenCase {
    const char* name;
    int number;       // for FT_Open when text is null
    const char* text; // for FT_OpenEx
    DWORD flags;
    FT_STATUS expected;
};

// Test names are the cases' names, not a dump of their bytes.
void PrintTo(const OpenCase& c, std::ostream* out)
{
    *out << c.name;
}

class OpenTest : public EmulatorTest, public ::testing::WithParamInterface<OpenCase> {};

TEST_P(OpenTest, OpensOnlyAnExactMatch)
{
    const OpenCase& c = GetParam();
    FT_HANDLE handle = nullptr;
    const FT_STATUS status = c.text ? FT_OpenEx(const_cast<char*>(c.text), c.flags, &handle)
                                    : FT_Open(c.number, &handle);
    EXPECT_EQ(c.expected, status);
    EXPECT_EQ(c.expected == FT_OK, handle != nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, OpenTest,
    ::testing::Values(OpenCase{"SerialNumber", 0, "TVRB0001", FT_OPEN_BY_SERIAL_NUMBER, FT_OK},
                      OpenCase{"SerialIsCaseSensitive", 0, "tvrb0001", FT_OPEN_BY_SERIAL_NUMBER, FT_DEVICE_NOT_FOUND},
                      OpenCase{"DescriptionIsNoSerial", 0, "TVR-IOA", FT_OPEN_BY_SERIAL_NUMBER, FT_DEVICE_NOT_FOUND},
                      OpenCase{"Description", 0, "TVR-IOA", FT_OPEN_BY_DESCRIPTION, FT_OK},
                      OpenCase{"DescriptionPrefix", 0, "TVR-IO", FT_OPEN_BY_DESCRIPTION, FT_DEVICE_NOT_FOUND},
                      OpenCase{"UnknownFlags", 0, "TVRA0001", 4, FT_INVALID_PARAMETER},
                      OpenCase{"LastDevice", 1, nullptr, 0, FT_OK},
                      OpenCase{"PastTheLastDevice", 2, nullptr, 0, FT_DEVICE_NOT_FOUND},
                      OpenCase{"NegativeNumber", -1, nullptr, 0, FT_DEVICE_NOT_FOUND}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(EmulatorTest, OpensADeviceThroughOneHandleAtATime)
{
    FT_HANDLE first = nullptr;
    FT_HANDLE second = nullptr;
    ASSERT_EQ(FT_OK, FT_Open(0, &first));
    EXPECT_EQ(FT_DEVICE_NOT_OPENED, FT_OpenEx(const_cast<char*>("TVRA0001"), FT_OPEN_BY_SERIAL_NUMBER, &second));
    ASSERT_EQ(FT_OK, FT_Close(first));
    EXPECT_EQ(FT_OK, FT_Open(0, &second));
}

TEST_F(EmulatorTest, ClosedAndBogusHandlesAreRefusedWithoutHarm)
{
    FT_HANDLE closed = nullptr;
    ASSERT_EQ(FT_OK, FT_Open(0, &closed));
    ASSERT_EQ(FT_OK, FT_Close(closed));
    const FT_HANDLE bogus = reinterpret_cast<FT_HANDLE>(std::uintptr_t{0xDEADBEEF}); // never handed out
    for (FT_HANDLE handle : {closed, bogus, FT_HANDLE{nullptr}}) {
        std::uint8_t byte = 0;
        DWORD moved = 0;
        EXPECT_EQ(FT_INVALID_HANDLE, FT_Close(handle));
        EXPECT_EQ(FT_INVALID_HANDLE, FT_Read(handle, &byte, 1, &moved));
        EXPECT_EQ(FT_INVALID_HANDLE, FT_Write(handle, &byte, 1, &moved));
        EXPECT_EQ(FT_INVALID_HANDLE, FT_Purge(handle, FT_PURGE_RX));
        EXPECT_EQ(FT_INVALID_HANDLE, FT_SetTimeouts(handle, 1000, 1000));
        EXPECT_EQ(FT_INVALID_HANDLE, FT_GetQueueStatus(handle, &moved));
        EXPECT_EQ(FT_INVALID_HANDLE, FT_ResetDevice(handle));
    }
}

TEST_F(EmulatorTest, ReadWithNothingToReceiveTakesExactlyItsTimeoutInSimulatedTime)
{
    for (ULONG timeout : {ULONG{200}, ULONG{1000}, ULONG{2000}, ULONG{5000}}) {
        FT_HANDLE handle = OpenBySerial("TVRA0001", timeout);
        const unsigned long long before = EmuClockMilliseconds();
        EXPECT_TRUE(Read(handle, 2).empty());
        EXPECT_EQ(before + timeout, EmuClockMilliseconds());
        FT_Close(handle);
    }
}

TEST_F(EmulatorTest, ReadWaitsItsTimeoutInRealTime)
{
    EmuSetSimulatedTime(0);
    FT_HANDLE handle = OpenBySerial("TVRA0001", SHORT_TIMEOUT);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(Read(handle, 2).empty());
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(SHORT_TIMEOUT));
}

TEST_F(EmulatorTest, UnpluggedBoardFailsItsHandleUntilClosed)
{
    FT_HANDLE handle = OpenBySerial("TVRA0001");
    ASSERT_EQ(0, EmuSetAttached(0, 0));
    std::uint8_t byte = 0;
    DWORD moved = 0;
    EXPECT_EQ(FT_IO_ERROR, FT_Read(handle, &byte, 1, &moved));
    EXPECT_EQ(FT_IO_ERROR, FT_Write(handle, &byte, 1, &moved));
    FT_HANDLE other = nullptr;
    EXPECT_EQ(FT_DEVICE_NOT_FOUND, FT_OpenEx(const_cast<char*>("TVRA0001"), FT_OPEN_BY_SERIAL_NUMBER, &other));

    // Plugged in again, the board is a new USB device: the old handle stays dead.
    ASSERT_EQ(0, EmuSetAttached(0, 1));
    EXPECT_EQ(FT_IO_ERROR, FT_Read(handle, &byte, 1, &moved));
    EXPECT_EQ(FT_OK, FT_Close(handle));
    EXPECT_EQ(FT_OK, FT_OpenEx(const_cast<char*>("TVRA0001"), FT_OPEN_BY_SERIAL_NUMBER, &other));
}

TEST_F(EmulatorTest, TracesEveryCallOnOneLine)
{
    DWORD count = 0;
    FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY);
    FT_HANDLE handle = OpenBySerial("TVRA0001", SHORT_TIMEOUT);
    FT_Purge(handle, FT_PURGE_RX);
    Read(handle, 2);
    FT_Close(handle);
    FT_Close(handle);

    const std::vector<std::string> expected = {
        "t=0 FT_ListDevices(flags=0x80000000) count=2 -> 0",
        "t=0 FT_OpenEx(text=\"TVRA0001\", flags=1) handle=1 -> 0",
        "t=0 FT_SetTimeouts(handle=1, read=200, write=200) -> 0",
        "t=0 FT_Purge(handle=1, mask=1) -> 0",
        "t=0 FT_Read(handle=1, count=2) received=0 -> 0",
        "t=200 FT_Close(handle=1) -> 0",
        "t=200 FT_Close(handle=1) -> 1",
    };
    EXPECT_EQ(expected, TraceLines());
}

struct BadConfiguration {
    const char* text;
    int line;
};

TEST_F(EmulatorTest, RefusesABadConfigurationAndKeepsTheBus)
{
    Configure("boards = 3");
    const BadConfiguration cases[] = {
        {"[board]\nprocessor = 16F628", 2},
        {"# comment\n[board]\nversion = 12345678901234567", 3}, // 17 characters, one too many
        {"[board]\nrevision = 12345", 2},                       // 5 characters, one too many
        {"[bus]\ntime = fast", 2},
        {"[device]", 1},
        {"boards = 1\n[board]\n[board]", 3},
        {"serial TVRA0001", 1},
        {"[board]\ncolour = red", 2},
    };
    for (const BadConfiguration& c : cases) {
        EXPECT_EQ(c.line, EmuConfigure(c.text)) << c.text;
        EXPECT_STRNE("", EmuLastError());
    }
    EXPECT_EQ(3, EmuBoardCount());
}

} // namespace
