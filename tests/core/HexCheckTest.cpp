// CheckHexFile: the five results, the size limit of each processor, and when a configuration
// record reaches the option controls.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <vector>

#include "HexTestSupport.h"
#include "image/HexFile.h"

namespace {

using Words = std::vector<std::uint16_t>;
constexpr auto F84A = TargetProcessor::PIC16F84A;
constexpr auto F877 = TargetProcessor::PIC16F877;
constexpr std::uint16_t BLINK_CONFIG = 0x3FF2;   // __config of blink84a.asm and the malformed files
constexpr std::uint16_t COUNTER_CONFIG = 0x3D72; // __config of counter877.asm

HexCheckResult Check(const std::string& path, TargetProcessor processor, Words& applied)
{
    return CheckHexFile(path, processor, [&](std::uint16_t word) { applied.push_back(word); });
}

struct FileCase {
    const char* file;
    TargetProcessor processor;
    HexCheckResult result;
    Words applied;
};

TEST(HexCheck, FixturesGiveTheirResultAndApplyTheirConfiguration)
{
    const FileCase cases[] = {
        {"blink84a.hex", F84A, HEX_FILE_OK, {BLINK_CONFIG}},
        {"blink84a-inhx8m.hex", F84A, HEX_FILE_OK, {BLINK_CONFIG}},
        {"blink84a-long.hex", F877, HEX_FILE_OK, {BLINK_CONFIG}},
        {"counter877.hex", F877, HEX_FILE_OK, {COUNTER_CONFIG}},
        {"counter877-long.hex", F877, HEX_FILE_OK, {COUNTER_CONFIG}},
        // the limit is the selected processor's: the same file is refused for the 16F84A
        {"counter877-inhx8m.hex", F84A, HEX_TOO_LARGE, {COUNTER_CONFIG}},
        {"malformed/checksum-after-config.hex", F84A, HEX_CHECKSUM_ERROR, {BLINK_CONFIG}},
        {"malformed/bad-config-checksum.hex", F84A, HEX_CHECKSUM_ERROR, {}},
        {"malformed/truncated-record.hex", F877, HEX_CHECKSUM_ERROR, {}},
        {"malformed/non-hex-digit.hex", F877, HEX_CHECKSUM_ERROR, {}},
        {"malformed/too-large-84a.hex", F84A, HEX_TOO_LARGE, {BLINK_CONFIG}},
        {"malformed/too-large-84a.hex", F877, HEX_FILE_OK, {BLINK_CONFIG}},
        {"malformed/past-end-84a.hex", F84A, HEX_TOO_LARGE, {BLINK_CONFIG}},
        {"malformed/past-end-84a.hex", F877, HEX_FILE_OK, {BLINK_CONFIG}},
        {"malformed/extended-linear.hex", F877, HEX_TOO_LARGE, {}},
        {"malformed/beyond-table.hex", F877, HEX_TOO_LARGE, {}},
    };
    for (const FileCase& c : cases) {
        Words applied;
        EXPECT_EQ(Check(HexFixture(c.file), c.processor, applied), c.result) << c.file;
        EXPECT_EQ(applied, c.applied) << c.file;
    }
}

TEST(HexCheck, NoNameAndUnreadableFiles)
{
    Words applied;
    EXPECT_EQ(Check("", F877, applied), HEX_NO_FILE_NAME);

    // Anything but a regular file of at most 16 MiB is refused at once: a FIFO would block
    // the open until a writer came, a device would never end.
    const TempFile fifo;
    std::filesystem::remove(fifo.Path());
    ASSERT_EQ(::mkfifo(fifo.Path().c_str(), 0600), 0);
    const TempFile huge;
    std::filesystem::resize_file(huge.Path(), 16u * 1024u * 1024u + 1u); // one byte over the limit
    const std::string unreadable[] = {HexFixture("no-such-file.hex"), QUILLET_TEST_DATA_DIR,
                                      "/dev/zero", fifo.Path(), huge.Path()};
    ::alarm(10); // a reader that waits on the FIFO or reads /dev/zero for ever ends the test
    for (const std::string& path : unreadable) {
        EXPECT_EQ(Check(path, F877, applied), HEX_CANNOT_OPEN) << path;
        FirmwareImage image;
        image.Fill(0); // the failed load still leaves the initial contents
        EXPECT_FALSE(LoadHexImage(path, HexLoadMode::Listing, image)) << path;
        EXPECT_EQ(image, FirmwareImage()) << path;
    }
    ::alarm(0);
    EXPECT_TRUE(applied.empty());
}

struct TextCase {
    const char* name;
    std::string text;
    TargetProcessor processor;
    HexCheckResult result;
    Words applied;
};

TEST(HexCheck, RecordsAndLines)
{
    const std::string code = Record(0x0000, DATA, {0x8A, 0x01}); // word 0x018A at 0
    const std::string config = Record(CONFIG_BYTE_ADDRESS, DATA, {0xF2, 0x3F});
    const std::string bad = ":0200000005280F\n"; // word 0x2805 at 0, checksum should be D1
    constexpr int FIRST_PAST_84A = 0x0800;  // byte address of word 0x0400, past the 16F84A's 1024
    constexpr int LAST_8_OF_84A = 0x07F0;   // byte address of word 0x03F8
    constexpr std::uint16_t OTHER_CONFIG = 0x3FFE; // 16F84A: CP off, power-up timer off, watchdog on, HS
    // 64 zero bytes at 0 (count 0x40, checksum 0xC0): a 139-character line
    const std::string longRecord = ":40000000" + std::string(128, '0') + "C0\n";
    std::string longBad = longRecord;
    longBad[longBad.size() - 2] = '1'; // checksum C1 for C0
    const TextCase cases[] = {
        {"empty file", "", F84A, HEX_FILE_OK, {}},
        {"no line starts with a colon", "text\n\n  :00000001FF\n", F84A, HEX_FILE_OK, {}},
        {"reading goes on after an end record", ":00000001FF\n" + bad, F84A, HEX_CHECKSUM_ERROR, {}},
        {"lower-case digits", ":02400e00f23f7f\n", F84A, HEX_FILE_OK, {BLINK_CONFIG}},
        {"carriage returns", ":02400E00F23F7F\r\n:00000001FF\r\n", F84A, HEX_FILE_OK, {BLINK_CONFIG}},
        {"record longer than 41 bytes", longRecord, F84A, HEX_FILE_OK, {}},
        {"long record with a bad checksum", longBad, F84A, HEX_CHECKSUM_ERROR, {}},
        {"checksum error wins over too large",
         Record(FIRST_PAST_84A, DATA, {0, 0}) + bad, F84A, HEX_CHECKSUM_ERROR, {}},
        {"record filling the last 8 words of the 16F84A",
         Record(LAST_8_OF_84A, DATA, {1, 0, 2, 0, 3, 0, 4, 0, 5, 0, 6, 0, 7, 0, 8, 0}), F84A, HEX_FILE_OK, {}},
        {"record from 0x2000 to 0x2007 carries the configuration word",
         Record(ID_BYTE_ADDRESS, DATA, {1, 0, 2, 0, 3, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0xF2, 0x3F}), // IDs 1-4, 3FF2
         F84A, HEX_FILE_OK, {BLINK_CONFIG}},
        {"several configuration records, last one wins",
         config + Record(CONFIG_BYTE_ADDRESS, DATA, {0xFE, 0x3F}), F84A, HEX_FILE_OK, {BLINK_CONFIG, OTHER_CONFIG}},
        {"extended segment record moves data out", // segment 1: 16 bytes up
         Record(0, EXTENDED_SEGMENT, {0x00, 0x01}) + code, F877, HEX_TOO_LARGE, {}},
        {"extended address back to 0 brings data back", // linear 1 (64 KiB up), then 0
         Record(0, EXTENDED_LINEAR, {0x00, 0x01}) + Record(0, EXTENDED_LINEAR, {0, 0}) + config,
         F877, HEX_FILE_OK, {BLINK_CONFIG}},
        // 3 data bytes announced, two and a half there, no checksum
        {"count larger than the line", ":0300000001280\n", F84A, HEX_CHECKSUM_ERROR, {}},
    };
    for (const TextCase& c : cases) {
        Words applied;
        EXPECT_EQ(CheckHexText(c.text, c.processor, [&](std::uint16_t w) { applied.push_back(w); }),
                  c.result) << c.name;
        EXPECT_EQ(applied, c.applied) << c.name;
    }
}

TEST(HexCheck, MessageTexts)
{
    EXPECT_EQ(HexCheckMessage(HEX_FILE_OK), nullptr);
    EXPECT_STREQ(HexCheckMessage(HEX_NO_FILE_NAME), "Error: Invalid HEX file name.");
    EXPECT_STREQ(HexCheckMessage(HEX_CANNOT_OPEN), "Error: HEX file could not be opened.");
    EXPECT_STREQ(HexCheckMessage(HEX_CHECKSUM_ERROR), "Checksum error in HEX file.");
    EXPECT_STREQ(HexCheckMessage(HEX_TOO_LARGE), "Selected HEX file is too large to fit into device FLASH.");
}

} // namespace
