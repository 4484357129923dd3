// The emulated download firmware and target chip, driven byte by byte as the program does.
#include <filesystem>
#include <map>

#include "EmulatorTestSupport.h"

namespace {

constexpr unsigned ERASED_WORD = 0x3FFF;
constexpr unsigned PROGRAM_WORDS_84A = 1024;
constexpr unsigned EEPROM_BYTES_84A = 64;
constexpr unsigned CONFIG_AREA = 0x2000;
constexpr unsigned CONFIG_WORD = 0x2007;
constexpr unsigned DEVICE_ID = 0x2006;
constexpr unsigned EEPROM = 0x2100;
constexpr unsigned CLOSING_BLOCK = 0xF000;
constexpr unsigned EEPROM_MARK = 0x100; // bit 8: the PC has a byte for this EEPROM location

class FirmwareTest : public EmulatorTest {
protected:
    // Sends one word block of the program stream and returns the board's acknowledge.
    Bytes Block(FT_HANDLE handle, unsigned address, const std::vector<unsigned>& words)
    {
        Write(handle, WordBytes(address));
        for (unsigned word : words)
            Write(handle, WordBytes(word));
        return Read(handle, 2);
    }

    // Program stream of a 16F84A from an image of address -> word; missing program words go
    // out erased, missing EEPROM entries unmarked, as the program sends them.
    void Program84A(FT_HANDLE handle, const std::map<unsigned, unsigned>& image)
    {
        auto entry = [&](unsigned address, unsigned absent) {
            const auto found = image.find(address);
            return found == image.end() ? absent : found->second;
        };
        auto words = [&](unsigned start, unsigned absent) {
            std::vector<unsigned> block;
            for (unsigned i = 0; i < 8; ++i)
                block.push_back(entry(start + i, absent));
            return block;
        };
        ASSERT_EQ(ACK, Command(handle, CMD_PROGRAM_84A));
        for (unsigned a = 0; a < PROGRAM_WORDS_84A; a += 8)
            ASSERT_EQ(ACK, Block(handle, a, words(a, ERASED_WORD))) << a;
        ASSERT_EQ(ACK, Block(handle, CONFIG_AREA, words(CONFIG_AREA, ERASED_WORD)));
        for (unsigned i = 0; i < EEPROM_BYTES_84A; i += 8)
            ASSERT_EQ(ACK, Block(handle, EEPROM + i, words(EEPROM + i, 0)));
        ASSERT_EQ(ACK, Block(handle, CLOSING_BLOCK, words(0, ERASED_WORD)));
    }

    // Read stream of a 16F84A; returns the words and bytes received, by image address.
    std::map<unsigned, unsigned> Read84A(FT_HANDLE handle)
    {
        std::map<unsigned, unsigned> target;
        EXPECT_EQ(ACK, Command(handle, CMD_READ_84A));
        for (unsigned block = 0; block < PROGRAM_WORDS_84A / 16; ++block) {
            const Bytes bytes = Read(handle, PROGRAM_BLOCK_BYTES);
            EXPECT_EQ(PROGRAM_BLOCK_BYTES, bytes.size());
            for (unsigned i = 0; i < 16 && 4 * i < bytes.size(); ++i)
                target[block * 16 + i] = DecodeWord(bytes, 4 * i);
            Write(handle, ACK);
        }
        const Bytes config = Read(handle, CONFIG_BLOCK_BYTES);
        EXPECT_EQ(CONFIG_BLOCK_BYTES, config.size());
        for (unsigned i = 0; i < 8 && 4 * i < config.size(); ++i)
            target[CONFIG_AREA + i] = DecodeWord(config, 4 * i);
        Write(handle, ACK);
        const Bytes eeprom = Read(handle, EEPROM_BLOCK_BYTES);
        EXPECT_EQ(EEPROM_BLOCK_BYTES, eeprom.size());
        for (unsigned i = 0; i < 64 && 2 * i + 1 < eeprom.size(); ++i)
            target[EEPROM + i] = (eeprom[2 * i] & 0xFu) | (eeprom[2 * i + 1] & 0xFu) << 4;
        Write(handle, ACK);
        return target;
    }

    static unsigned ChipWord(int device, unsigned address)
    {
        unsigned value = 0;
        EXPECT_EQ(0, EmuGetChipWord(device, address, &value)) << EmuLastError();
        return value;
    }
};

struct ExchangeCase {
    const char* name;
    const char* serial;
    unsigned command;
    Bytes acknowledge;
    Bytes answer;
};

// Test names are the cases' names, not a dump of their bytes.
void PrintTo(const ExchangeCase& c, std::ostream* out)
{
    *out << c.name;
}

class ExchangeTest : public FirmwareTest, public ::testing::WithParamInterface<ExchangeCase> {};

TEST_P(ExchangeTest, AcknowledgesAndAnswers)
{
    const ExchangeCase& c = GetParam();
    FT_HANDLE handle = OpenBySerial(c.serial);
    EXPECT_EQ(c.acknowledge, Command(handle, c.command));
    EXPECT_EQ(c.answer, Read(handle, static_cast<DWORD>(c.answer.size() + 1))); // asks one more: nothing follows
}

INSTANTIATE_TEST_SUITE_P(
    Commands, ExchangeTest,
    ::testing::Values(
        ExchangeCase{"Ping", "TVRA0001", CMD_PING, ACK, {0x05, 0x0A, 0x05, 0x0A}}, // the word 0xA5A5
        // Device IDs: 0x0560 names the 16F84A (bits 10-11 = 1), 0x09A0 the 16F877 (2).
        ExchangeCase{"Processor84A", "TVRA0001", CMD_GET_PROCESSOR, ACK, {0x00, 0x06, 0x05, 0x00}},
        ExchangeCase{"Processor877", "TVRB0001", CMD_GET_PROCESSOR, ACK, {0x00, 0x0A, 0x09, 0x00}},
        // "1.03": '1' 0x31, '.' 0x2E, '0' 0x30, '3' 0x33, each low nibble first.
        ExchangeCase{"Revision", "TVRA0001", CMD_GET_REVISION, ACK, {0x01, 0x03, 0x0E, 0x02, 0x00, 0x03, 0x03, 0x03}},
        ExchangeCase{"BlankCheckOfAnErasedChip", "TVRA0001", CMD_BLANK_CHECK_84A, ACK, ACK},
        ExchangeCase{"NotACommand", "TVRA0001", 0xA5B0, {}, {}}), // low byte 0xB0 is unused
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FirmwareTest, TracesTheBytesOfAnExchange)
{
    FT_HANDLE handle = OpenBySerial("TVRA0001");
    Command(handle, CMD_PING);
    Read(handle, 4);
    const std::vector<std::string> lines = TraceLines();
    ASSERT_EQ(5u, lines.size());
    EXPECT_EQ("t=0 FT_Write(handle=1, count=4) tx=01 0A 05 0A written=4 -> 0", lines[2]);
    EXPECT_EQ("t=0 FT_Read(handle=1, count=2) rx=05 0A received=2 -> 0", lines[3]);
    EXPECT_EQ("t=0 FT_Read(handle=1, count=4) rx=05 0A 05 0A received=4 -> 0", lines[4]);
}

TEST_F(FirmwareTest, StoresTheVersionTextAndAnswersItBack)
{
    FT_HANDLE handle = OpenBySerial("TVRA0001");
    ASSERT_EQ(ACK, Command(handle, CMD_WRITE_VERSION));
    // "AB" and 14 spaces: 'A' 0x41, 'B' 0x42, ' ' 0x20.
    Bytes text = {0x01, 0x04, 0x02, 0x04};
    for (int i = 0; i < 14; ++i)
        text.insert(text.end(), {0x00, 0x02});
    Write(handle, text);
    EXPECT_TRUE(Read(handle, 1).empty()); // no acknowledge after the text

    ASSERT_EQ(ACK, Command(handle, CMD_GET_VERSION));
    EXPECT_EQ(text, Read(handle, 32));
    char version[17] = {};
    ASSERT_EQ(0, EmuGetVersionText(0, version, sizeof version));
    EXPECT_STREQ("AB              ", version);
}

TEST_F(FirmwareTest, ProgramStreamWritesTheChipAndReadStreamReturnsIt)
{
    const std::map<unsigned, unsigned> image = {
        {0x0000, 0x2805}, {0x03FF, 0x0123},             // first and last program word
        {CONFIG_AREA, 0x0001}, {CONFIG_AREA + 4, 0x3F80}, // an ID word; a reserved word stays as it is
        {DEVICE_ID, 0x3F80}, {CONFIG_WORD, 0x3FF2},       // the device ID cannot be written
        {EEPROM + 5, EEPROM_MARK | 0x12},                 // a marked EEPROM byte is written
        {EEPROM + 6, 0x0034},                             // an unmarked one is not
    };
    FT_HANDLE handle = OpenBySerial("TVRA0001");
    Program84A(handle, image);

    EXPECT_EQ(0x2805u, ChipWord(0, 0x0000));
    EXPECT_EQ(0x0123u, ChipWord(0, 0x03FF));
    EXPECT_EQ(ERASED_WORD, ChipWord(0, 0x0001));
    EXPECT_EQ(0x0001u, ChipWord(0, CONFIG_AREA));
    EXPECT_EQ(ERASED_WORD, ChipWord(0, CONFIG_AREA + 4));
    EXPECT_EQ(0x0560u, ChipWord(0, DEVICE_ID)); // the 16F84A's device ID
    EXPECT_EQ(0x3FF2u, ChipWord(0, CONFIG_WORD));
    EXPECT_EQ(0x12u, ChipWord(0, EEPROM + 5));
    EXPECT_EQ(0xFFu, ChipWord(0, EEPROM + 6));

    const std::map<unsigned, unsigned> target = Read84A(handle);
    EXPECT_EQ(PROGRAM_WORDS_84A + 8 + EEPROM_BYTES_84A, target.size());
    for (const auto& [address, value] : target)
        EXPECT_EQ(ChipWord(0, address), value) << std::hex << address;
    EXPECT_TRUE(Read(handle, 1).empty()); // the stream has ended
    ASSERT_EQ(ACK, Command(handle, CMD_BLANK_CHECK_84A));
    EXPECT_EQ(NOT_BLANK, Read(handle, 2));
}

TEST_F(FirmwareTest, RepeatsAReadBlockOnRequest)
{
    ASSERT_EQ(0, EmuSetChipWord(0, 0x0000, 0x2805));
    FT_HANDLE handle = OpenBySerial("TVRA0001");
    ASSERT_EQ(ACK, Command(handle, CMD_READ_84A));
    const Bytes first = Read(handle, PROGRAM_BLOCK_BYTES);
    Write(handle, REPEAT);
    EXPECT_EQ(first, Read(handle, PROGRAM_BLOCK_BYTES));
    EXPECT_EQ(0x2805u, DecodeWord(first));
}

TEST_F(FirmwareTest, ProtectedProgramMemoryReadsAsZeroUntilBulkErase)
{
    constexpr unsigned CP_ALL_84A = 0x000A; // CP bits 13-4 all 0, power-up timer off, HS
    ASSERT_EQ(0, EmuSetChipWord(0, 0x0010, 0x2805));
    ASSERT_EQ(0, EmuSetChipWord(0, EEPROM + 1, 0x12));
    ASSERT_EQ(0, EmuSetChipWord(0, CONFIG_WORD, CP_ALL_84A));
    FT_HANDLE handle = OpenBySerial("TVRA0001");

    const std::map<unsigned, unsigned> target = Read84A(handle);
    EXPECT_EQ(0u, target.at(0x0010));
    EXPECT_EQ(0u, target.at(EEPROM + 1));
    EXPECT_EQ(CP_ALL_84A, target.at(CONFIG_WORD)); // the configuration area stays readable

    ASSERT_EQ(ACK, Command(handle, CMD_BULK_ERASE_84A));
    EXPECT_EQ(ACK, Read(handle, 2));
    EXPECT_EQ(ERASED_WORD, ChipWord(0, 0x0010));
    EXPECT_EQ(ERASED_WORD, ChipWord(0, CONFIG_WORD));
    ASSERT_EQ(ACK, Command(handle, CMD_BLANK_CHECK_84A));
    EXPECT_EQ(ACK, Read(handle, 2));
}

TEST_F(FirmwareTest, Protected877RangesReadAsZero)
{
    // Configuration words of the 16F877 with code protection of 1000h-1FFFh, of 1F00h-1FFF
    // and of all memory, everything else at the program's defaults.
    struct Case {
        unsigned config;
        unsigned firstProtected; // lowest word address that reads as 0
    };
    const Case cases[] = {{0x1D5E, 0x1000}, {0x2D6E, 0x1F00}, {0x0D4E, 0x0000}, {0x3D7E, 0x2000}};
    for (const Case& c : cases) {
        Configure("");
        for (unsigned address : {0x0000u, 0x0FFFu, 0x1000u, 0x1EFFu, 0x1F00u, 0x1FFFu})
            ASSERT_EQ(0, EmuSetChipWord(1, address, 0x1234));
        ASSERT_EQ(0, EmuSetChipWord(1, CONFIG_WORD, c.config));
        FT_HANDLE handle = OpenBySerial("TVRB0001");
        ASSERT_EQ(ACK, Command(handle, CMD_READ_877));
        for (unsigned block = 0; block < 8192 / 16; ++block) {
            const Bytes bytes = Read(handle, PROGRAM_BLOCK_BYTES);
            ASSERT_EQ(PROGRAM_BLOCK_BYTES, bytes.size());
            for (unsigned i = 0; i < 16; ++i) {
                const unsigned address = block * 16 + i;
                const unsigned expected = address >= c.firstProtected ? 0 : ChipWord(1, address);
                ASSERT_EQ(expected, DecodeWord(bytes, 4 * i)) << std::hex << c.config << " " << address;
            }
            Write(handle, ACK);
        }
        FT_Close(handle);
    }
}

TEST_F(FirmwareTest, StateFileKeepsTheChipAndVersionAcrossARestart)
{
    const std::string statePath = tracePath_ + ".state";
    std::filesystem::remove(statePath);
    const std::string configuration = "[board]\nstate = " + statePath + "\n";
    Configure(configuration);
    FT_HANDLE handle = OpenBySerial("TVRA0001");
    Program84A(handle, {{0x0042, 0x1234}, {CONFIG_WORD, 0x3FF2}, {EEPROM, EEPROM_MARK | 0x99}});
    ASSERT_EQ(0, EmuSetVersionText(0, "KEPT"));

    Configure("");                // a restart: the board is built afresh without state
    EXPECT_EQ(ERASED_WORD, ChipWord(0, 0x0042));
    Configure(configuration);     // and with it
    EXPECT_EQ(0x1234u, ChipWord(0, 0x0042));
    EXPECT_EQ(0x3FF2u, ChipWord(0, CONFIG_WORD));
    EXPECT_EQ(0x99u, ChipWord(0, EEPROM));
    char version[17] = {};
    ASSERT_EQ(0, EmuGetVersionText(0, version, sizeof version));
    EXPECT_STREQ("KEPT", version);
}

} // namespace
