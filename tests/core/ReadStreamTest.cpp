// The Read stream: the progress positions, the decoding of what the board sends, and the
// second chance for a short program block. Its calls on the wire are the golden window test's;
// the code and message of each failure point are in the golden operations
// (tests/data/golden/operations.txt).
#include "OperationTestSupport.h"
#include "link/CommandSet.h"
#include "ops/ReadStream.h"

namespace {

constexpr int kGoto5 = 0x2805; // a PIC "goto 5"

struct ReadShapeCase {
    TargetProcessor processor;
    int programBlocks;
};

class ReadStreamShapeTest : public OperationTest, public ::testing::WithParamInterface<ReadShapeCase> {};

TEST_P(ReadStreamShapeTest, DecodesEveryBlockAndMovesTheBarBeforeEach)
{
    const ReadShapeCase& c = GetParam();
    const int lastWord = GetProcessorProfile(c.processor).programWords - 1;
    Choose(c.processor);
    SetChipWord(c.processor, static_cast<unsigned>(lastWord), kGoto5);
    InjectFault("high-nibbles value=0xF"); // every byte from the board arrives as 0xF?
    FirmwareImage target;
    // Past the last program word (on the 16F877 the ID words, which the board sends) and past
    // the last EEPROM byte nothing is written.
    const int pastProgram = lastWord + 1;
    const int pastEeprom = EEPROM_ADDRESS + GetProcessorProfile(c.processor).eepromBytes;
    target.Set(pastProgram, kGoto5);
    target.Set(pastEeprom, kGoto5);
    std::vector<int> positions;
    ASSERT_EQ(READ_DONE, ReadTarget(link, c.processor, target, [&](int p) { positions.push_back(p); }));

    ASSERT_EQ(positions.size(), static_cast<std::size_t>(c.programBlocks));
    for (int i = 0; i < c.programBlocks; ++i)
        ASSERT_EQ(positions[static_cast<std::size_t>(i)], 100 * i / c.programBlocks);
    // Only the low nibbles count: words, the erased configuration word, plain EEPROM bytes.
    EXPECT_EQ(target.Get(lastWord), kGoto5);
    EXPECT_EQ(target.Get(lastWord - 1), 0x3FFF);
    EXPECT_EQ(target.Get(CONFIG_WORD_ADDRESS), 0x3FFF);
    EXPECT_EQ(target.Get(EEPROM_ADDRESS + GetProcessorProfile(c.processor).eepromBytes - 1), 0xFF);
    EXPECT_EQ(target.Get(pastEeprom), kGoto5);
    if (pastProgram != ID_WORDS_ADDRESS) {
        EXPECT_EQ(target.Get(pastProgram), kGoto5);
    }
    EXPECT_EQ(0, host.markedNotConnected);
}

INSTANTIATE_TEST_SUITE_P(
    Processors, ReadStreamShapeTest,
    ::testing::Values(ReadShapeCase{TargetProcessor::PIC16F84A, 64},
                      ReadShapeCase{TargetProcessor::PIC16F877, 512}),
    [](const auto& info) { return std::string(GetProcessorProfile(info.param.processor).name); });

TEST_F(OperationTest, ReadGivesAShortProgramBlockOneSecondChance)
{
    const auto processor = TargetProcessor::PIC16F84A;
    constexpr int kBlock = 3;
    constexpr std::size_t kShortBytes = 40; // of the block's 64, as the fault below cuts it
    constexpr unsigned kWordInBlock = kBlock * READ_PROGRAM_BLOCK_WORDS + 1;
    Choose(processor);
    SetChipWord(processor, kWordInBlock, kGoto5);
    InjectFault("block-short part=program block=3 count=40 times=1");
    FirmwareImage target;
    ASSERT_EQ(READ_DONE, ReadTarget(link, processor, target, {}));
    EXPECT_EQ(target.Get(kWordInBlock), kGoto5) << "the repeated block is the one kept";


    // Held up past the read's time-out, the rest of the block arrives while the queue is
    // drained byte by byte, and is no part of the repeated block.
    trace.Clear();
    InjectFault("block-short part=program block=3 count=40 delay=300 times=1");
    FirmwareImage again;
    ASSERT_EQ(READ_DONE, ReadTarget(link, processor, again, {}));
    EXPECT_EQ(again.Get(kWordInBlock), kGoto5);
    const std::vector<WireCall> drained = WireCalls(trace);
    EXPECT_EQ(std::count_if(drained.begin(), drained.end(),
                            [](const WireCall& call) { return call.function == "FT_Read" && call.bytes.size() == 1; }),
              READ_PROGRAM_BLOCK_BYTES - static_cast<int>(kShortBytes));
}

} // namespace
