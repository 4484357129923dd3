// The Program stream on the wire: its word blocks, their order and encoding, the closing
// block, the progress positions, and where each failure of the board stops it.
#include <algorithm>

#include "OperationTestSupport.h"
#include "link/CommandSet.h"
#include "link/NibbleFraming.h"
#include "ops/ProgramStream.h"

namespace {

const Bytes kAck = {0x05, 0x0A}; // ACK_BYTE 0xA5, low nibble first

// One word block as it crossed the wire: 9 writes of 4 bytes, then the acknowledge read.
struct WireBlock {
    Bytes address;
    std::vector<Bytes> words;
    Bytes acknowledge;
};

// The word blocks after the program command and its acknowledge.
std::vector<WireBlock> BlocksOnWire(const std::vector<WireCall>& stream)
{
    constexpr std::size_t kWritesPerBlock = 1 + WORDS_PER_PROGRAM_BLOCK;
    std::vector<WireBlock> blocks;
    for (std::size_t i = 2; i + kWritesPerBlock < stream.size(); i += kWritesPerBlock + 1) {
        WireBlock block;
        for (std::size_t w = 0; w < kWritesPerBlock; ++w) {
            if (stream[i + w].function != "FT_Write")
                return blocks;
            (w == 0 ? block.address : block.words.emplace_back()) = stream[i + w].bytes;
        }
        if (stream[i + kWritesPerBlock].function != "FT_Read")
            return blocks;
        block.acknowledge = stream[i + kWritesPerBlock].bytes;
        blocks.push_back(block);
    }
    return blocks;
}

unsigned WordOf(const Bytes& bytes)
{
    return bytes.size() == WORD_NIBBLES ? DecodeWord(bytes.data()) : 0x10000; // 0x10000: no word
}

struct StreamCase {
    TargetProcessor processor;
    std::size_t programBlocks; // program words / 8
    std::size_t eepromBlocks;  // EEPROM bytes / 8
    int lastPosition;          // of the progress bar
};

class ProgramStreamTest : public OperationTest {};
class ProgramStreamShapeTest : public OperationTest, public ::testing::WithParamInterface<StreamCase> {};

TEST_P(ProgramStreamShapeTest, SendsEveryBlockOfTheTargetWithAnAcknowledgeEach)
{
    const StreamCase& c = GetParam();
    Choose(c.processor);
    ConfigOptions options;
    const FirmwareImage image = ProgrammingImage(c.processor, options);
    std::vector<int> positions;
    ASSERT_EQ(PROGRAM_DONE, ProgramTarget(link, c.processor, image, [&](int p) { positions.push_back(p); }));

    const auto command = EncodeWord(c.processor == TargetProcessor::PIC16F877 ? CMD_PROGRAM_877 : CMD_PROGRAM_84A);
    const std::vector<WireCall> stream = CallsFrom(WireCalls(trace), Bytes(command.begin(), command.end()));
    const std::vector<WireBlock> blocks = BlocksOnWire(stream);
    // Program memory, the configuration block, the EEPROM, the closing block: 138 or 1058.
    const std::size_t total = c.programBlocks + 1 + c.eepromBlocks + 1;
    ASSERT_EQ(blocks.size(), total);
    EXPECT_EQ(stream.size(), 2 + total * 10) << "nothing but word blocks follows the command";

    std::vector<unsigned> expected;
    for (std::size_t b = 0; b < c.programBlocks; ++b)
        expected.push_back(static_cast<unsigned>(b * 8));
    expected.push_back(PROGRAM_CONFIG_ADDRESS);
    for (std::size_t b = 0; b < c.eepromBlocks; ++b)
        expected.push_back(static_cast<unsigned>(PROGRAM_EEPROM_ADDRESS + b * 8));
    expected.push_back(PROGRAM_CLOSING_ADDRESS);
    std::vector<unsigned> addresses;
    for (const WireBlock& block : blocks)
        addresses.push_back(WordOf(block.address));
    EXPECT_EQ(addresses, expected);

    // Every word is the image entry at its address; the closing block repeats words 0-7.
    for (std::size_t b = 0; b < blocks.size(); ++b) {
        const unsigned address = addresses[b] == PROGRAM_CLOSING_ADDRESS ? 0 : addresses[b];
        for (unsigned w = 0; w < 8; ++w)
            ASSERT_EQ(WordOf(blocks[b].words[w]), static_cast<unsigned>(image.Get(static_cast<int>(address + w))))
                << "block " << b << " word " << w;
        ASSERT_EQ(blocks[b].acknowledge, kAck);
    }
    EXPECT_EQ(blocks.back().words, blocks.front().words);

    // The bar moves before each program block only, from the block's first word.
    ASSERT_EQ(positions.size(), c.programBlocks);
    for (std::size_t b = 0; b < positions.size(); ++b)
        ASSERT_EQ(positions[b], static_cast<int>(b * 8 * 100 / (c.programBlocks * 8)));
    EXPECT_EQ(positions.back(), c.lastPosition);
    EXPECT_EQ(1, EmuIsOpen(BoardOf(c.processor))) << "the next command's exchange closes it";
    EXPECT_EQ(0, host.markedNotConnected);
}

INSTANTIATE_TEST_SUITE_P(Processors, ProgramStreamShapeTest,
                         ::testing::Values(StreamCase{TargetProcessor::PIC16F84A, 128, 8, 99},
                                           StreamCase{TargetProcessor::PIC16F877, 1024, 32, 99}),
                         [](const auto& info) { return std::string(NameOf(info.param.processor)); });

TEST_F(ProgramStreamTest, EncodesEachEntryAsTheBoardExpectsIt)
{
    const auto processor = TargetProcessor::PIC16F84A;
    Choose(processor);
    ConfigOptions options;
    const FirmwareImage image = ProgrammingImage(processor, options);
    std::vector<int> positions;
    ASSERT_EQ(PROGRAM_DONE, ProgramTarget(link, processor, image, [&](int p) { positions.push_back(p); }));
    const std::vector<WireBlock> blocks =
        BlocksOnWire(CallsFrom(WireCalls(trace), {0x0F, 0x0A, 0x05, 0x0A})); // CMD_PROGRAM_84A
    ASSERT_EQ(blocks.size(), 138u); // 128 program, 1 configuration, 8 EEPROM, 1 closing

    constexpr std::size_t kConfigBlock = 128; // after the 128 program blocks
    constexpr std::size_t kFirstEepromBlock = 129;
    // blink84a.asm leaves word 1 out: it goes as an erased word.
    EXPECT_EQ(blocks[0].words[1], (Bytes{0x0F, 0x0F, 0x0F, 0x03})) << "0x3FFF";
    // ID word 0x2000 holds 1; the three words after the ID words go as 0x3F80.
    EXPECT_EQ(blocks[kConfigBlock].words[0], (Bytes{0x01, 0x00, 0x00, 0x00}));
    EXPECT_EQ(blocks[kConfigBlock].words[4], (Bytes{0x00, 0x08, 0x0F, 0x03})) << "0x3F80";
    // The file's word 0x3FF2 (power-up timer on, watchdog off) rebuilt from the options.
    EXPECT_EQ(WordOf(blocks[kConfigBlock].words[7]), 0x3FF2u);
    EXPECT_EQ(blocks[kFirstEepromBlock].address, (Bytes{0x00, 0x00, 0x01, 0x02})) << "0x2100";
    // EEPROM location 3 holds 0x12 in the file: sent with the supplied mark, 0x0112.
    EXPECT_EQ(blocks[kFirstEepromBlock].words[3], (Bytes{0x02, 0x01, 0x01, 0x00}));
    // Location 9 is not in the file: sent as 0, without the mark.
    EXPECT_EQ(blocks[kFirstEepromBlock + 1].words[1], (Bytes{0x00, 0x00, 0x00, 0x00}));
    // The bar's first positions: 0, 0, 1, 2, 3, 3, 4 from words 0, 8, 16, 24, 32, 40, 48.
    EXPECT_EQ(std::vector<int>(positions.begin(), positions.begin() + 7), (std::vector<int>{0, 0, 1, 2, 3, 3, 4}));
}

TEST_F(ProgramStreamTest, SendWordClosesTheDeviceWhenTheWriteFails)
{
    Choose(TargetProcessor::PIC16F84A);
    EXPECT_EQ(1, SendWord(link, 0x3FFF)) << "nothing is open yet";
    ASSERT_EQ(0, link.SendCommand(CMD_PROGRAM_84A, true));
    EXPECT_EQ(0, SendWord(link, 0x12345)) << "only the low 16 bits go out";
    EXPECT_EQ(trace.Written().substr(trace.Written().size() - 11), "05 04 03 02");
    ASSERT_EQ(0, EmuSetAttached(0, 0));
    EXPECT_EQ(1, SendWord(link, 0));
    EXPECT_FALSE(driver.IsDeviceOpen());
}

struct ProgramFaultCase {
    const char* name;
    const char* fault;
    ProgramResult result;
};

class ProgramStreamFaultTest : public OperationTest, public ::testing::WithParamInterface<ProgramFaultCase> {};

TEST_P(ProgramStreamFaultTest, StopsAtTheFirstBlockTheBoardDidNotAcknowledge)
{
    const ProgramFaultCase& c = GetParam();
    const auto processor = TargetProcessor::PIC16F84A;
    Choose(processor);
    InjectFault(c.fault);
    EXPECT_EQ(ProgramTarget(link, processor, FirmwareImage(), {}), c.result);
    // Nothing reaches the board after the acknowledge that failed (a failed write closes the
    // device, so the words after it never reach the driver).
    const std::vector<WireCall> calls = WireCalls(trace);
    std::size_t lastRead = calls.size();
    for (std::size_t i = 0; i < calls.size(); ++i) {
        if (calls[i].function == "FT_Read")
            lastRead = i;
    }
    ASSERT_LT(lastRead, calls.size());
    for (std::size_t i = lastRead + 1; i < calls.size(); ++i)
        EXPECT_FALSE(calls[i].function == "FT_Write" && calls[i].status == 0) << i;
}

// Block 2 of a part: blocks 0 and 1 went through. A failed read of the acknowledge is a board
// that does not answer; a wrong, half or missing acknowledge is a bad one. Fault names as in
// emulator/README.md.
INSTANTIATE_TEST_SUITE_P(
    Faults, ProgramStreamFaultTest,
    ::testing::Values(
        ProgramFaultCase{"CommandNotAcknowledged", "ack-wrong command=CMD_PROGRAM_84A", PROGRAM_COMMAND_FAILED},
        ProgramFaultCase{"FlashReadFails", "read-fails stream=program part=program block=2", PROGRAM_FLASH_NO_ANSWER},
        ProgramFaultCase{"FlashWriteFails", "write-fails stream=program part=program block=2", PROGRAM_FLASH_NO_ANSWER},
        ProgramFaultCase{"FlashUnplugged", "unplug stream=program part=program block=2", PROGRAM_FLASH_NO_ANSWER},
        ProgramFaultCase{"FlashWrongAck", "block-ack-wrong part=program block=2", PROGRAM_FLASH_BAD_ACK},
        ProgramFaultCase{"FlashHalfAck", "block-ack-short part=program block=2", PROGRAM_FLASH_BAD_ACK},
        ProgramFaultCase{"FlashAckMissing", "block-ack-missing part=program block=2", PROGRAM_FLASH_BAD_ACK},
        ProgramFaultCase{"ConfigReadFails", "read-fails stream=program part=config", PROGRAM_CONFIG_NO_ANSWER},
        ProgramFaultCase{"ConfigWrongAck", "block-ack-wrong part=config", PROGRAM_CONFIG_BAD_ACK},
        ProgramFaultCase{"EepromReadFails", "read-fails stream=program part=eeprom block=2", PROGRAM_EEPROM_NO_ANSWER},
        ProgramFaultCase{"EepromWrongAck", "block-ack-short part=eeprom block=2", PROGRAM_EEPROM_BAD_ACK},
        ProgramFaultCase{"ClosingReadFails", "read-fails stream=program part=closing", PROGRAM_CLOSING_NO_ANSWER},
        ProgramFaultCase{"ClosingWrongAck", "block-ack-wrong part=closing", PROGRAM_CLOSING_BAD_ACK}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
