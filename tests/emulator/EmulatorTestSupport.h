#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "emulator/D2xxFunctions.h"
#include "emulator/EmulatorControl.h"

using Bytes = std::vector<std::uint8_t>;

// Each test starts from a fresh bus in simulated time, with the trace in a file of its own.
class EmulatorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        tracePath_ = std::string(QUILLET_TEST_BINARY_DIR) + "/" + info->test_suite_name() + "." +
                     info->name() + ".trace";
        std::remove(tracePath_.c_str());
        ASSERT_EQ(0, EmuConfigure(nullptr)) << EmuLastError();
        EmuSetSimulatedTime(1);
        EmuSetTraceFile(tracePath_.c_str());
    }

    void TearDown() override { EmuSetTraceFile(nullptr); }

    void Configure(const std::string& text) { ASSERT_EQ(0, EmuConfigure(text.c_str())) << EmuLastError(); }

    FT_HANDLE OpenBySerial(const char* serial, ULONG timeout = 1000)
    {
        FT_HANDLE handle = nullptr;
        EXPECT_EQ(FT_OK, FT_OpenEx(const_cast<char*>(serial), FT_OPEN_BY_SERIAL_NUMBER, &handle));
        EXPECT_EQ(FT_OK, FT_SetTimeouts(handle, timeout, timeout));
        return handle;
    }

    static void Write(FT_HANDLE handle, Bytes bytes)
    {
        DWORD written = 0;
        ASSERT_EQ(FT_OK, FT_Write(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written));
        ASSERT_EQ(bytes.size(), written);
    }

    // Reads up to `count` bytes; the result is shorter when the read time-out ran out.
    static Bytes Read(FT_HANDLE handle, DWORD count)
    {
        Bytes bytes(count);
        DWORD received = 0;
        EXPECT_EQ(FT_OK, FT_Read(handle, bytes.data(), count, &received));
        bytes.resize(received);
        return bytes;
    }

    std::vector<std::string> TraceLines() const
    {
        std::ifstream file(tracePath_);
        std::vector<std::string> lines;
        for (std::string line; std::getline(file, line);)
            lines.push_back(line);
        return lines;
    }

    std::string tracePath_;
};

// Nibble framing as the PC does it: a word goes out as 4 bytes, least significant nibble first.
inline Bytes WordBytes(unsigned word)
{
    return {static_cast<std::uint8_t>(word & 0xF), static_cast<std::uint8_t>((word >> 4) & 0xF),
            static_cast<std::uint8_t>((word >> 8) & 0xF), static_cast<std::uint8_t>((word >> 12) & 0xF)};
}

inline unsigned DecodeWord(const Bytes& bytes, std::size_t at = 0)
{
    return (bytes[at] & 0xFu) | (bytes[at + 1] & 0xFu) << 4 | (bytes[at + 2] & 0xFu) << 8 |
           (bytes[at + 3] & 0xFu) << 12;
}
