// The check and the load over the same records: the result for each processor, the
// configuration words the check hands on, and what the load stores. The gpasm fixtures go
// through both in HexOracleTest, files that cannot be read in HexLoadTest.
#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "HexTestSupport.h"
#include "image/HexFile.h"

namespace {

using Words = std::vector<std::uint16_t>;
constexpr auto F84A = TargetProcessor::PIC16F84A;
constexpr auto F877 = TargetProcessor::PIC16F877;
constexpr auto OK = HEX_FILE_OK;
constexpr auto CS = HEX_CHECKSUM_ERROR;
constexpr auto TL = HEX_TOO_LARGE;
constexpr std::uint16_t BLINK_CONFIG = 0x3FF2; // __config of blink84a.asm and the malformed files
constexpr std::uint16_t OTHER_CONFIG = 0x3FFE; // CP off, power-up timer off, watchdog on, HS

struct ReadCase {
    const char* name;
    std::string text;
    HexCheckResult on84A;
    HexCheckResult on877;
    Words applied; // in the order the check hands them on
    std::vector<std::pair<int, std::int32_t>> loaded; // word address and entry after a load for programming
};

TEST(HexCheck, RecordsGiveTheirResultConfigurationAndWords)
{
    const std::string bad = ":0200000005280F\n"; // word 0x2805 at 0, checksum should be D1
    constexpr int FIRST_PAST_84A = 0x0800; // byte address of word 0x0400, past the 16F84A's 1024
    // 64 zero bytes at 0 (count 0x40, checksum 0xC0): a 139-character line
    const std::string longRecord = ":40000000" + std::string(128, '0') + "C0\n";
    const auto file = [](const char* name) { return FileText(HexFixture(std::string("malformed/") + name)); };
    const ReadCase cases[] = {
        {"only lines starting with a colon are records", "text\n\n  " + bad, OK, OK, {}, {{0, 0x3FFF}}},
        {"reading goes on after an end record", ":00000001FF\n" + bad, CS, CS, {}, {{0, 0x2805}}},
        // a lone colon is a record only with its line feed
        {"lone colon with its line feed", ":00000001FF\n:\n", CS, CS, {}, {}},
        {"lone colon at the very end", ":00000001FF\n:", OK, OK, {}, {}},
        {"lower-case digits, carriage returns", ":02400e00f23f7f\r\n", OK, OK, {BLINK_CONFIG}, {{0x2007, 0x3FF2}}},
        {"lower-case a, and g, which is no digit", ":040000008a01g52844\n", CS, CS, {}, {{0, 0x018A}, {1, 0x3FFF}}},
        {"record longer than 41 bytes", longRecord, OK, OK, {}, {{0x001F, 0}}},
        {"checksum error wins over too large", Record(FIRST_PAST_84A, DATA, {0, 0}) + bad, CS, CS, {}, {}},
        {"configuration word last of eight, then another", // IDs 1-4, 3FF2; then 3FFE
         Record(ID_BYTE_ADDRESS, DATA, {1, 0, 2, 0, 3, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0xF2, 0x3F}) +
             Record(CONFIG_BYTE_ADDRESS, DATA, {0xFE, 0x3F}),
         OK, OK, {BLINK_CONFIG, OTHER_CONFIG}, {{0x2003, 4}, {0x2007, OTHER_CONFIG}}},
        // segment 1 moves word 0x018A 16 bytes up, linear 0 brings the configuration back;
        // neither address record is a word at 0
        {"extended addresses", Record(0, EXTENDED_SEGMENT, {0x00, 0x01}) + Record(0, DATA, {0x8A, 0x01}) +
                                   Record(0, EXTENDED_LINEAR, {0, 0}) + Record(CONFIG_BYTE_ADDRESS, DATA, {0xF2, 0x3F}),
         TL, TL, {BLINK_CONFIG}, {{0, 0x3FFF}, {0x2007, 0x3FF2}}},
        // past the PIC's address space one data byte is too much, an empty record nothing
        {"one byte past the address space", Record(0, EXTENDED_LINEAR, {0x00, 0x01}) + Record(0, DATA, {0x01}),
         TL, TL, {}, {}},
        {"empty record past the address space", Record(0, EXTENDED_LINEAR, {0x00, 0x01}) + Record(0, DATA, {}),
         OK, OK, {}, {}},
        // the checksum CF would give the last word the high byte 0xCF if it were read as data
        {"odd byte count", ":03000000012805CF\n", OK, OK, {}, {{0, 0x2801}, {1, 0x0005}}},
        {"checksum-after-config", file("checksum-after-config.hex"), CS, CS, {BLINK_CONFIG}, {}},
        {"bad-config-checksum", file("bad-config-checksum.hex"), CS, CS, {}, {}},
        {"truncated-record", file("truncated-record.hex"), CS, CS, {}, {{0, 0x018A}, {1, 0x2805}, {2, 0x3FFF}}},
        {"non-hex-digit", file("non-hex-digit.hex"), CS, CS, {}, {{0, 0x018A}, {1, 0x3FFF}}},
        {"past-end-84a", file("past-end-84a.hex"), TL, OK, {BLINK_CONFIG}, {}},
        {"extended-linear", file("extended-linear.hex"), TL, TL, {}, {{0, 0x018A}, {1, 0x2805}, {0x2007, 0x3FFF}}},
        {"beyond-table", file("beyond-table.hex"), TL, TL, {}, {{0x2326, 0x1514}, {0x2327, 0x1716}}},
    };
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.name);
        for (const auto& [processor, result] : {std::pair{F84A, c.on84A}, std::pair{F877, c.on877}}) {
            Words applied;
            EXPECT_EQ(CheckHexText(c.text, processor, [&](std::uint16_t w) { applied.push_back(w); }), result);
            EXPECT_EQ(applied, c.applied);
        }
        FirmwareImage image;
        LoadHexText(c.text, HexLoadMode::Programming, image);
        for (const auto& [address, value] : c.loaded)
            EXPECT_EQ(image.Get(address), value) << std::hex << address;
    }
}

} // namespace
