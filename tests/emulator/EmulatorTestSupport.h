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

// Command words of the download firmware.
constexpr unsigned CMD_PING = 0xA5A1;
constexpr unsigned CMD_GET_VERSION = 0xA5A2;
constexpr unsigned CMD_READ_877 = 0xA5A3;
constexpr unsigned CMD_WRITE_VERSION = 0xA5A6;
constexpr unsigned CMD_READ_84A = 0xA5A7;
constexpr unsigned CMD_BLANK_CHECK_84A = 0xA5A8;
constexpr unsigned CMD_GET_PROCESSOR = 0xA5AA;
constexpr unsigned CMD_CONNECT = 0xA5AC;
constexpr unsigned CMD_BULK_ERASE_84A = 0xA5AD;
constexpr unsigned CMD_PROGRAM_84A = 0xA5AF;
constexpr unsigned CMD_GET_REVISION = 0xA5B1;

// One-byte values as two nibble bytes, low nibble first.
const Bytes ACK = {0x05, 0x0A};       // ACK_BYTE 0xA5
const Bytes NOT_BLANK = {0x0A, 0x05}; // NOT_BLANK_BYTE 0x5A
const Bytes REPEAT = {0x03, 0x04};    // REPEAT_BYTE 0x43

constexpr DWORD PROGRAM_BLOCK_BYTES = 64; // read stream: 16 words of 4 nibble bytes
constexpr DWORD CONFIG_BLOCK_BYTES = 32;  // 8 words
constexpr DWORD EEPROM_BLOCK_BYTES = 128; // 64 bytes of 2 nibble bytes

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

// Each test starts from a fresh bus in simulated time, with the trace in a file of its own.
class EmulatorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(info->test_suite_name()) + "." + info->name();
        for (char& c : name)
            c = c == '/' ? '_' : c; // parameterised tests carry slashes in their names
        tracePath_ = std::string(QUILLET_TEST_BINARY_DIR) + "/" + name + ".trace";
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

    // Sends a command word and returns what came back as its acknowledge.
    static Bytes Command(FT_HANDLE handle, unsigned word)
    {
        Write(handle, WordBytes(word));
        return Read(handle, 2);
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

