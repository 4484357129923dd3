#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "emulator/D2xxFunctions.h"
#include "emulator/EmulatorControl.h"
#include "support/TraceFile.h"

using Bytes = std::vector<std::uint8_t>;

// Command words of the download firmware.
constexpr unsigned CMD_PING = 0xA5A1;
constexpr unsigned CMD_WRITE_VERSION = 0xA5A6;
constexpr unsigned CMD_READ_877 = 0xA5A3;
constexpr unsigned CMD_READ_84A = 0xA5A7;
constexpr unsigned CMD_CONNECT = 0xA5AC;
constexpr unsigned CMD_BULK_ERASE_84A = 0xA5AD;
constexpr unsigned CMD_PROGRAM_84A = 0xA5AF;

const Bytes ACK = {0x05, 0x0A}; // ACK_BYTE 0xA5, low nibble first

// Nibble framing as the PC does it: a word goes out as 4 bytes, least significant nibble first.
inline Bytes WordBytes(unsigned word)
{
    return {static_cast<std::uint8_t>(word & 0xF), static_cast<std::uint8_t>((word >> 4) & 0xF),
            static_cast<std::uint8_t>((word >> 8) & 0xF), static_cast<std::uint8_t>((word >> 12) & 0xF)};
}

inline void Write(FT_HANDLE handle, Bytes bytes)
{
    DWORD written = 0;
    ASSERT_EQ(FT_OK, FT_Write(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written));
    ASSERT_EQ(bytes.size(), written);
}

// Reads up to `count` bytes; the result is shorter when the read time-out ran out.
inline Bytes Read(FT_HANDLE handle, DWORD count)
{
    Bytes bytes(count);
    DWORD received = 0;
    EXPECT_EQ(FT_OK, FT_Read(handle, bytes.data(), count, &received));
    bytes.resize(received);
    return bytes;
}

// Sends a command word and returns what came back as its acknowledge.
inline Bytes Command(FT_HANDLE handle, unsigned word)
{
    Write(handle, WordBytes(word));
    return Read(handle, 2);
}

// Each test starts from the standard bus in simulated time, with the trace in a file of its own.
class EmulatorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Configure("");
        EmuSetSimulatedTime(1);
    }

    static void Configure(const std::string& text) { ASSERT_EQ(0, EmuConfigure(text.c_str())) << EmuLastError(); }

    static FT_HANDLE OpenBySerial(const char* serial, ULONG timeout = 1000)
    {
        FT_HANDLE handle = nullptr;
        EXPECT_EQ(FT_OK, FT_OpenEx(const_cast<char*>(serial), FT_OPEN_BY_SERIAL_NUMBER, &handle));
        EXPECT_EQ(FT_OK, FT_SetTimeouts(handle, timeout, timeout));
        return handle;
    }

    TraceFile trace{std::string("emulator-") + ::testing::UnitTest::GetInstance()->current_test_info()->name()};
};
