// The Program stream on the wire: its word blocks, their order and encoding, the closing
// block, the progress positions, and that it stops at the first block the board refused. The
// code and message of each failure point are in the golden operations
// (tests/data/golden/operations.txt).
#include <algorithm>

#include "OperationTestSupport.h"
#include "link/CommandSet.h"
#include "link/NibbleFraming.h"
#include "ops/ProgramStream.h"

namespace {

const Bytes kAck = {0x05, 0x0A}; // ACK_BYTE 0xA5, low nibble first

// After the program command and its acknowledge, each word block is 2 calls: one write of its
// 36 bytes (the address word, then 8 data words) and the acknowledge read.
constexpr std::size_t kCallsPerBlock = 2;

const WireCall& CallOf(const std::vector<WireCall>& stream, std::size_t block, std::size_t call)
{
    return stream.at(2 + block * kCallsPerBlock + call);
}

// The 4 bytes of word `w` of a block's write: 0 the address, 1-8 the data words.
Bytes WordBytesOf(const std::vector<WireCall>& stream, std::size_t block, std::size_t w)
{
    const Bytes& bytes = CallOf(stream, block, 0).bytes;
    if (bytes.size() < (w + 1) * WORD_NIBBLES)
        return {};
    const auto first = bytes.begin() + static_cast<std::ptrdiff_t>(w * WORD_NIBBLES);
    return Bytes(first, first + WORD_NIBBLES);
}

unsigned WordOf(const Bytes& bytes)
{
    return bytes.size() == WORD_NIBBLES ? DecodeWord(bytes.data()) : 0x10000; // 0x10000: no word
}

struct StreamCase {
    TargetProcessor processor;
    Bytes command;
    std::size_t programBlocks; // program words / 8
    std::size_t eepromBlocks;  // EEPROM bytes / 8
};

class ProgramStreamShapeTest : public OperationTest, public ::testing::WithParamInterface<StreamCase> {};

TEST_P(ProgramStreamShapeTest, SendsEveryBlockOfTheTargetWithAnAcknowledgeEach)
{
    const StreamCase& c = GetParam();
    Choose(c.processor);
    const FirmwareImage image = ProgrammingImage(c.processor);
    std::vector<int> positions;
    ASSERT_EQ(PROGRAM_DONE, ProgramTarget(link, c.processor, image, [&](int p) { positions.push_back(p); }));

    const std::vector<WireCall> stream = CallsFrom(WireCalls(trace), c.command);
    // Program memory, the configuration block, the EEPROM, the closing block: 138 or 1058.
    const std::size_t total = c.programBlocks + 1 + c.eepromBlocks + 1;
    ASSERT_EQ(stream.size(), 2 + total * kCallsPerBlock) << "nothing but word blocks follows the command";

    std::vector<unsigned> addresses;
    for (std::size_t b = 0; b < c.programBlocks; ++b)
        addresses.push_back(static_cast<unsigned>(b * 8));
    addresses.push_back(PROGRAM_CONFIG_ADDRESS);
    for (std::size_t b = 0; b < c.eepromBlocks; ++b)
        addresses.push_back(static_cast<unsigned>(PROGRAM_EEPROM_ADDRESS + b * 8));
    addresses.push_back(PROGRAM_CLOSING_ADDRESS);
    for (std::size_t b = 0; b < total; ++b) {
        // One write a block: each is a USB transfer of its own.
        ASSERT_EQ(CallOf(stream, b, 0).function, "FT_Write") << "block " << b;
        ASSERT_EQ(CallOf(stream, b, 0).bytes.size(), 36u) << "block " << b;
        ASSERT_EQ(WordOf(WordBytesOf(stream, b, 0)), addresses[b]) << "block " << b;
        // Every word is the image entry at its address; the closing block repeats words 0-7.
        const int first = addresses[b] == PROGRAM_CLOSING_ADDRESS ? 0 : static_cast<int>(addresses[b]);
        for (std::size_t w = 0; w < 8; ++w)
            ASSERT_EQ(WordOf(WordBytesOf(stream, b, 1 + w)), static_cast<unsigned>(image.Get(first + static_cast<int>(w))))
                << "block " << b << " word " << w;
        ASSERT_EQ(CallOf(stream, b, 1).function, "FT_Read");
        ASSERT_EQ(CallOf(stream, b, 1).bytes, kAck);
    }

    // The bar moves before each program block only, from the block's first word.
    ASSERT_EQ(positions.size(), c.programBlocks);
    EXPECT_EQ(positions.back(), 99);
    EXPECT_EQ(1, EmuIsOpen(BoardOf(c.processor))) << "the next command's exchange closes it";
    EXPECT_EQ(0, host.markedNotConnected);
}

INSTANTIATE_TEST_SUITE_P(
    Processors, ProgramStreamShapeTest,
    ::testing::Values(StreamCase{TargetProcessor::PIC16F84A, {0x0F, 0x0A, 0x05, 0x0A}, 128, 8},  // CMD_PROGRAM_84A
                      StreamCase{TargetProcessor::PIC16F877, {0x0E, 0x0A, 0x05, 0x0A}, 1024, 32}), // CMD_PROGRAM_877
    [](const auto& info) { return std::string(GetProcessorProfile(info.param.processor).name); });

TEST_F(OperationTest, ProgramEncodesEachEntryAsTheBoardExpectsIt)
{
    const auto processor = TargetProcessor::PIC16F84A;
    Choose(processor);
    std::vector<int> positions;
    ASSERT_EQ(PROGRAM_DONE,
              ProgramTarget(link, processor, ProgrammingImage(processor), [&](int p) { positions.push_back(p); }));
    const std::vector<WireCall> stream = CallsFrom(WireCalls(trace), {0x0F, 0x0A, 0x05, 0x0A}); // CMD_PROGRAM_84A
    ASSERT_EQ(stream.size(), 2 + 138 * kCallsPerBlock); // 128 program, 1 configuration, 8 EEPROM, 1 closing
    const auto word = [&](std::size_t block, std::size_t w) { return WordBytesOf(stream, block, 1 + w); };

    constexpr std::size_t kConfigBlock = 128; // after the 128 program blocks
    constexpr std::size_t kFirstEepromBlock = 129;
    // blink84a.asm leaves word 1 out: it goes as an erased word.
    EXPECT_EQ(word(0, 1), (Bytes{0x0F, 0x0F, 0x0F, 0x03})) << "0x3FFF";
    // ID word 0x2000 holds 1; the three words after the ID words go as 0x3F80.
    EXPECT_EQ(word(kConfigBlock, 0), (Bytes{0x01, 0x00, 0x00, 0x00}));
    EXPECT_EQ(word(kConfigBlock, 4), (Bytes{0x00, 0x08, 0x0F, 0x03})) << "0x3F80";
    // The file's word 0x3FF2 (power-up timer on, watchdog off) rebuilt from the options.
    EXPECT_EQ(WordOf(word(kConfigBlock, 7)), 0x3FF2u);
    EXPECT_EQ(WordBytesOf(stream, kFirstEepromBlock, 0), (Bytes{0x00, 0x00, 0x01, 0x02})) << "0x2100";
    // EEPROM location 3 holds 0x12 in the file: sent with the supplied mark, 0x0112.
    EXPECT_EQ(word(kFirstEepromBlock, 3), (Bytes{0x02, 0x01, 0x01, 0x00}));
    // Location 9 is not in the file: sent as 0, without the mark.
    EXPECT_EQ(word(kFirstEepromBlock + 1, 1), (Bytes{0x00, 0x00, 0x00, 0x00}));
    // The bar's first positions: 0, 0, 1, 2, 3, 3, 4 from words 0, 8, 16, 24, 32, 40, 48.
    EXPECT_EQ(std::vector<int>(positions.begin(), positions.begin() + 7), (std::vector<int>{0, 0, 1, 2, 3, 3, 4}));
}

// A failed block write closes the device, so that its block reports no answer; after it
// nothing more reaches the board.
TEST_F(OperationTest, ProgramStopsAtTheFirstBlockTheBoardDidNotAcknowledge)
{
    const auto processor = TargetProcessor::PIC16F84A;
    Choose(processor);
    InjectFault("write-fails stream=program part=program block=2"); // blocks 0 and 1 went through
    EXPECT_EQ(ProgramTarget(link, processor, FirmwareImage(), {}), PROGRAM_FLASH_NO_ANSWER);
    const std::vector<WireCall> calls = WireCalls(trace);
    const auto lastRead = std::find_if(calls.rbegin(), calls.rend(), [](const WireCall& call) { return call.function == "FT_Read"; });
    ASSERT_NE(lastRead, calls.rend());
    for (auto call = calls.rbegin(); call != lastRead; ++call)
        EXPECT_FALSE(call->function == "FT_Write" && call->status == 0) << "a write after the last read";
}

// A block the driver took only part of (its write time-out ended the write early, with FT_OK)
// fails at once as one the board did not answer, whatever the part: the board would wait for
// the rest, and no acknowledge would come.
TEST_F(OperationTest, ProgramFailsABlockTheDriverWroteOnlyPartOf)
{
    const auto processor = TargetProcessor::PIC16F84A;
    const struct {
        const char* fault;
        ProgramResult result;
    } cases[] = {
        {"write-short stream=program part=program block=5 count=20", PROGRAM_FLASH_NO_ANSWER},
        {"write-short stream=program part=config count=35", PROGRAM_CONFIG_NO_ANSWER},
        {"write-short stream=program part=eeprom block=1 count=0", PROGRAM_EEPROM_NO_ANSWER},
        {"write-short stream=program part=closing", PROGRAM_CLOSING_NO_ANSWER},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        ASSERT_EQ(0, EmuConfigure(nullptr)) << EmuLastError();
        trace.Clear();
        Choose(processor);
        InjectFault(c.fault);
        EXPECT_EQ(ProgramTarget(link, processor, FirmwareImage(), {}), c.result);
        EXPECT_EQ(0, EmuIsOpen(BoardOf(processor)));
        // Nothing after the short write: no acknowledge waited for, no other write.
        const std::vector<WireCall> calls = WireCalls(trace);
        ASSERT_FALSE(calls.empty());
        EXPECT_EQ(calls.back().function, "FT_Close");
        EXPECT_EQ(calls[calls.size() - 2].function, "FT_Write");
    }
}

} // namespace
