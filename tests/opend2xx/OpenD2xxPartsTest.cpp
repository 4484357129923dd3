#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <ostream>
#include <string>
#include <vector>

#include "link/D2xxTypes.h"
#include "opend2xx/DeviceDirectory.h"
#include "opend2xx/PacketFraming.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// The two status bytes an FT8U245AM puts before every IN packet (modem status, line status).
constexpr std::uint8_t S0 = 0x31;
constexpr std::uint8_t S1 = 0x60;

struct FramingCase {
    const char* name;
    Bytes transfer;
    std::size_t packetSize;
    Bytes payload;
};

Bytes Packet(std::initializer_list<std::uint8_t> data)
{
    // Sized once: GCC 12 at -O2 warns (-Warray-bounds, wrongly) when a vector built from two
    // bytes grows by insert.
    Bytes packet(2 + data.size());
    packet[0] = S0;
    packet[1] = S1;
    std::copy(data.begin(), data.end(), packet.begin() + 2);
    return packet;
}

Bytes Join(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// A full packet of `size` bytes: status bytes and data bytes counting up from `first`.
Bytes FullPacket(std::size_t size, std::uint8_t first)
{
    Bytes packet{S0, S1};
    for (std::size_t i = 2; i < size; ++i)
        packet.push_back(static_cast<std::uint8_t>(first + i - 2));
    return packet;
}

Bytes Counting(std::uint8_t first, std::size_t count)
{
    Bytes bytes;
    for (std::size_t i = 0; i < count; ++i)
        bytes.push_back(static_cast<std::uint8_t>(first + i));
    return bytes;
}

void PrintTo(const FramingCase& c, std::ostream* out)
{
    *out << c.name;
}

class FramingTest : public ::testing::TestWithParam<FramingCase> {};

TEST_P(FramingTest, KeepsTheDataAndDropsEveryPacketsStatusBytes)
{
    const FramingCase& c = GetParam();
    std::deque<std::uint8_t> received{0xEE}; // what an earlier transfer left stays in front
    const std::size_t appended = opend2xx::AppendPayload(c.transfer.data(), c.transfer.size(), c.packetSize, received);
    Bytes expected{0xEE};
    expected.insert(expected.end(), c.payload.begin(), c.payload.end());
    EXPECT_EQ(Bytes(received.begin(), received.end()), expected);
    EXPECT_EQ(appended, c.payload.size());
}

INSTANTIATE_TEST_SUITE_P(
    Transfers, FramingTest,
    ::testing::Values(
        FramingCase{"nothing", {}, 64, {}},
        FramingCase{"statusOnly", Packet({}), 64, {}},
        FramingCase{"oneShortPacket", Packet({0x05, 0x0A}), 64, {0x05, 0x0A}},
        FramingCase{"fullPacketThenShort", Join({FullPacket(64, 0x10), Packet({0xAA})}), 64,
                    Join({Counting(0x10, 62), {0xAA}})},
        FramingCase{"twoFullPackets", Join({FullPacket(64, 0), FullPacket(64, 0x80)}), 64,
                    Join({Counting(0, 62), Counting(0x80, 62)})},
        FramingCase{"fullPacketThenStatusOnly", Join({FullPacket(64, 1), Packet({})}), 64, Counting(1, 62)},
        FramingCase{"smallerPackets", Join({FullPacket(8, 1), Packet({9})}), 8, {1, 2, 3, 4, 5, 6, 9}},
        // A cut packet holding a single byte has no data behind its status.
        FramingCase{"cutStatus", Join({FullPacket(8, 1), {S0}}), 8, {1, 2, 3, 4, 5, 6}},
        FramingCase{"bogusPacketSize", Packet({1, 2}), 2, {}}),
    [](const auto& info) { return std::string(info.param.name); });

struct LookupCase {
    const char* name;
    std::string text;
    std::uint32_t flags;
    int found;
};

// A bus as the directory sees it: a board, a board whose strings could not be read (no udev
// rule yet), another FTDI device, and a second board.
const std::vector<opend2xx::DeviceIdentity> kBus{
    {0x0403, 0x6001, "TVRA0001", "TVR-IOA"},
    {0x0403, 0x6001, "", ""},
    {0x0403, 0x6010, "FT2232X", "Dual RS232"},
    {0x0403, 0x6001, "TVRB0001", "TVR-IOB"},
};

void PrintTo(const LookupCase& c, std::ostream* out)
{
    *out << c.name;
}

class LookupTest : public ::testing::TestWithParam<LookupCase> {};

TEST_P(LookupTest, OpensTheDeviceTheNameSays)
{
    const LookupCase& c = GetParam();
    EXPECT_EQ(opend2xx::FindByText(kBus, c.text, c.flags), c.found);
}

INSTANTIATE_TEST_SUITE_P(
    Names, LookupTest,
    ::testing::Values(LookupCase{"serial", "TVRB0001", FT_OPEN_BY_SERIAL_NUMBER, 3},
                      LookupCase{"description", "TVR-IOB", FT_OPEN_BY_DESCRIPTION, 3},
                      LookupCase{"otherFtdiDeviceByName", "FT2232X", FT_OPEN_BY_SERIAL_NUMBER, 2},
                      LookupCase{"serialIsNotADescription", "TVR-IOA", FT_OPEN_BY_SERIAL_NUMBER, -1},
                      LookupCase{"caseCounts", "tvra0001", FT_OPEN_BY_SERIAL_NUMBER, -1},
                      LookupCase{"prefixIsNoMatch", "TVRA", FT_OPEN_BY_SERIAL_NUMBER, -1},
                      LookupCase{"unreadableNeverMatchesEmpty", "", FT_OPEN_BY_SERIAL_NUMBER, -1},
                      LookupCase{"bothWaysAtOnce", "TVRA0001", FT_OPEN_BY_SERIAL_NUMBER | FT_OPEN_BY_DESCRIPTION, -1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BoardRule, CountsTheTvrIoIdsOnly)
{
    std::vector<int> boards;
    for (std::size_t i = 0; i < kBus.size(); ++i)
        if (opend2xx::IsBoard(kBus[i]))
            boards.push_back(static_cast<int>(i));
    EXPECT_EQ(boards, (std::vector<int>{0, 1, 3}));
    EXPECT_FALSE(opend2xx::IsBoard({0x0404, 0x6001, "", ""})) << "another vendor's product 6001";
}

} // namespace
