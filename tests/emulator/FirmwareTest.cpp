// The emulated target chip where the program's own tests do not reach it: the cells a
// program stream may not change, and code protection.
#include <cstdio>
#include <fstream>
#include <utility>

#include "EmulatorTestSupport.h"

namespace {

constexpr unsigned ERASED_WORD = 0x3FFF;
constexpr unsigned SOME_WORD = 0x1234;  // any word that is not erased
constexpr unsigned CONFIG_AREA = 0x2000; // 4 ID words, 2 reserved, the device ID, the configuration word
constexpr unsigned DEVICE_ID = 0x2006;
constexpr unsigned CONFIG_WORD = 0x2007;
constexpr unsigned EEPROM = 0x2100;
constexpr unsigned EEPROM_MARK = 0x100; // bit 8: the PC has a byte for this EEPROM location
constexpr unsigned PROGRAM_BLOCKS_84A = 64;  // of the read stream: 16 words each
constexpr unsigned PROGRAM_BLOCKS_877 = 512;
constexpr unsigned PROGRAM_WORDS_84A = 1024;

unsigned ChipWord(int device, unsigned address)
{
    unsigned value = 0;
    EXPECT_EQ(0, EmuGetChipWord(device, address, &value)) << EmuLastError();
    return value;
}

// Sends one word block of the program stream: its address and 8 words.
void SendBlock(FT_HANDLE handle, unsigned address, const std::vector<unsigned>& words)
{
    Write(handle, WordBytes(address));
    for (unsigned word : words)
        Write(handle, WordBytes(word));
}

// The read stream after its command, every block acknowledged: the program words and the 8
// words of the configuration area, then the EEPROM bytes.
std::vector<unsigned> ReadStream(FT_HANDLE handle, unsigned command, unsigned programBlocks, unsigned eepromBlocks)
{
    EXPECT_EQ(ACK, Command(handle, command));
    std::vector<unsigned> values;
    for (unsigned block = 0; block <= programBlocks + eepromBlocks; ++block) {
        // 16 program words or 8 configuration words of 4 nibble bytes, or 64 EEPROM bytes of 2.
        const unsigned nibbles = block > programBlocks ? 2 : 4;
        const Bytes bytes = Read(handle, block < programBlocks ? 64 : block == programBlocks ? 32 : 128);
        for (std::size_t at = 0; at + nibbles <= bytes.size(); at += nibbles) {
            unsigned value = 0;
            for (unsigned n = 0; n < nibbles; ++n)
                value |= (bytes[at + n] & 0xFu) << 4 * n;
            values.push_back(value);
        }
        Write(handle, ACK);
    }
    return values;
}

// The ID words, the configuration word and the EEPROM bytes the PC marks are written; the
// reserved words, the device ID and unmarked EEPROM locations keep what the chip holds.
TEST_F(EmulatorTest, ProgramStreamWritesOnlyTheCellsTheChipLetsIt)
{
    FT_HANDLE handle = OpenBySerial("TVRA0001");
    ASSERT_EQ(ACK, Command(handle, CMD_PROGRAM_84A));
    const unsigned E = ERASED_WORD;
    SendBlock(handle, CONFIG_AREA, {0x0001, E, E, E, 0x3F80, 0x3F80, 0x3F80, 0x3FF2});
    ASSERT_EQ(ACK, Read(handle, 2));
    SendBlock(handle, EEPROM, {0, 0, 0, 0, 0, EEPROM_MARK | 0x12, 0x0034, 0});
    ASSERT_EQ(ACK, Read(handle, 2));
    // Unplugged on receiving a block, the board never writes it.
    ASSERT_EQ(0, EmuInjectFault("unplug stream=program part=eeprom block=1"));
    SendBlock(handle, EEPROM + 8, std::vector<unsigned>(8, EEPROM_MARK | 0x56));
    std::uint8_t reply[2];
    DWORD received = 0;
    EXPECT_EQ(FT_IO_ERROR, FT_Read(handle, reply, 2, &received));

    EXPECT_EQ(0x0001u, ChipWord(0, CONFIG_AREA));
    EXPECT_EQ(ERASED_WORD, ChipWord(0, CONFIG_AREA + 4));
    EXPECT_EQ(0x0560u, ChipWord(0, DEVICE_ID)); // the 16F84A's device ID
    EXPECT_EQ(0x3FF2u, ChipWord(0, CONFIG_WORD));
    EXPECT_EQ(0x12u, ChipWord(0, EEPROM + 5));
    EXPECT_EQ(0xFFu, ChipWord(0, EEPROM + 6));
    EXPECT_EQ(0xFFu, ChipWord(0, EEPROM + 8));
}

// Protected memory reads as 0; the configuration area stays readable, so that the
// programmer can see why, and a bulk erase lifts the protection with everything else.
TEST_F(EmulatorTest, ProtectedChipReadsAsZeroUntilBulkErase)
{
    constexpr unsigned CP_ALL_84A = 0x000A; // CP bits 13-4 all 0, power-up timer off, HS
    ASSERT_EQ(0, EmuSetChipWord(0, 0x0010, SOME_WORD));
    ASSERT_EQ(0, EmuSetChipWord(0, EEPROM + 1, 0x12));
    ASSERT_EQ(0, EmuSetChipWord(0, CONFIG_WORD, CP_ALL_84A));
    FT_HANDLE handle = OpenBySerial("TVRA0001");

    // In stream order: 1024 program words, the 8 words from 0x2000 on, 64 EEPROM bytes.
    const std::vector<unsigned> target = ReadStream(handle, CMD_READ_84A, PROGRAM_BLOCKS_84A, 1);
    ASSERT_EQ(PROGRAM_WORDS_84A + 8 + 64, target.size());
    EXPECT_EQ(0u, target[0x0010]);
    EXPECT_EQ(CP_ALL_84A, target[PROGRAM_WORDS_84A + CONFIG_WORD - CONFIG_AREA]);
    EXPECT_EQ(0u, target[PROGRAM_WORDS_84A + 8 + 1]);

    ASSERT_EQ(ACK, Command(handle, CMD_BULK_ERASE_84A));
    EXPECT_EQ(ACK, Read(handle, 2));
    EXPECT_EQ(ERASED_WORD, ChipWord(0, 0x0010));
    EXPECT_EQ(0xFFu, ChipWord(0, EEPROM + 1));
    EXPECT_EQ(ERASED_WORD, ChipWord(0, CONFIG_WORD));
}

TEST_F(EmulatorTest, Protected877RangesReadAsZero)
{
    // The program's default 16F877 configuration words with protection of 1000h-1FFFh, of
    // 1F00h-1FFFh, of all memory and of none; with each, the lowest word address that reads as 0.
    const std::pair<unsigned, unsigned> cases[] = {{0x1D5E, 0x1000}, {0x2D6E, 0x1F00}, {0x0D4E, 0x0000}, {0x3D7E, 0x2000}};
    const unsigned edges[] = {0x0000, 0x0FFF, 0x1000, 0x1EFF, 0x1F00, 0x1FFF};
    for (const auto& [config, firstProtected] : cases) {
        Configure("");
        for (unsigned address : edges)
            ASSERT_EQ(0, EmuSetChipWord(1, address, SOME_WORD));
        ASSERT_EQ(0, EmuSetChipWord(1, CONFIG_WORD, config));
        const std::vector<unsigned> target = ReadStream(OpenBySerial("TVRB0001"), CMD_READ_877, PROGRAM_BLOCKS_877, 4);
        ASSERT_GT(target.size(), 0x1FFFu);
        for (unsigned address : edges)
            EXPECT_EQ(address >= firstProtected ? 0 : SOME_WORD, target[address]) << std::hex << config << " " << address;
    }
}

} // namespace

// Whether opening the device reaches the download firmware is not known of a real board. By
// default opening resets it; with "firmware = keeps-state" a half-sent program block is still
// waiting for its rest after the device is opened again, and in the next run too when the
// board has a state file, until the board is unplugged and plugged in.
TEST_F(EmulatorTest, FirmwareKeepsItsPlaceAcrossOpensOnlyWhenConfiguredTo)
{
    const std::string stateFile = ::testing::TempDir() + "keeps-state-board.state";
    std::remove(stateFile.c_str());
    const std::string board = "[board]\nserial = TVRA0001\ndescription = TVR-IOA\nstate = " + stateFile + "\n";
    const auto halfABlock = [] {
        FT_HANDLE handle = OpenBySerial("TVRA0001");
        EXPECT_EQ(ACK, Command(handle, CMD_PROGRAM_84A));
        Write(handle, WordBytes(0x0000)); // the block's address and 2 of its 8 words
        Write(handle, WordBytes(0x2805));
        Write(handle, WordBytes(0x0000));
        FT_Close(handle);
    };
    const auto pingAnswer = [] {
        FT_HANDLE handle = OpenBySerial("TVRA0001");
        const Bytes answer = Command(handle, CMD_PING);
        FT_Close(handle);
        return answer;
    };

    for (const char* mode : {"resets-on-open", "keeps-state"}) {
        SCOPED_TRACE(mode);
        const bool keeps = std::string(mode) == "keeps-state";
        Configure(std::string("firmware = ") + mode + "\n" + board);
        halfABlock();
        EXPECT_EQ(keeps ? Bytes{} : ACK, pingAnswer());
        // The ping's bytes went into the block; a new run of the program finds it still waiting.
        Configure(std::string("firmware = ") + mode + "\n" + board);
        EXPECT_EQ(keeps ? Bytes{} : ACK, pingAnswer());
        // Power-up: the firmware waits for a command word again.
        ASSERT_EQ(0, EmuSetAttached(0, 0));
        ASSERT_EQ(0, EmuSetAttached(0, 1));
        EXPECT_EQ(ACK, pingAnswer());
    }
    // What the state file keeps of a firmware in the middle of a block is refused when bad.
    Configure("firmware = keeps-state\n" + board);
    halfABlock();
    Configure("");
    std::string text, kept;
    {
        std::ifstream file(stateFile);
        for (std::string line; std::getline(file, line);)
            (line.rfind("firmware ", 0) == 0 ? kept : text) += line + "\n";
    }
    EXPECT_EQ("firmware program-stream 000000000500080200000000 0 0 0 0 84A 0 0\n", kept);
    std::ofstream(stateFile) << text << "firmware read-stream - 0 0 0 0 84A 0 99\n";
    Configure("firmware = keeps-state\n" + board);
    EXPECT_EQ(ACK, pingAnswer()); // a state file the board cannot take: it starts as configured
    std::remove(stateFile.c_str());
}
