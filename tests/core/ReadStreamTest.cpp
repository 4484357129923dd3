// The Read stream on the wire, its second chance for a short program block, where each
// failure of the board stops it, and the round trip Program -> Read -> Verify comparison.
#include "OperationTestSupport.h"
#include "link/CommandSet.h"
#include "ops/ProgramStream.h"
#include "ops/ReadStream.h"
#include "ops/VerifyCompare.h"

namespace {

const Bytes kAck = {0x05, 0x0A};    // ACK_BYTE 0xA5, low nibble first
const Bytes kRepeat = {0x03, 0x04}; // REPEAT_BYTE 0x43

struct ReadShapeCase {
    TargetProcessor processor;
    Bytes command;
    int programBlocks;
    int eepromBlocks;
    int lastPosition; // floor(100 * (blocks - 1) / blocks)
};

class ReadStreamShapeTest : public OperationTest, public ::testing::WithParamInterface<ReadShapeCase> {};

TEST_P(ReadStreamShapeTest, ReceivesEveryBlockAndAcknowledgesEach)
{
    const ReadShapeCase& c = GetParam();
    Choose(c.processor);
    FirmwareImage target;
    std::vector<int> positions;
    ASSERT_EQ(READ_DONE, ReadTarget(link, c.processor, target, [&](int p) { positions.push_back(p); }));

    const std::vector<WireCall> stream = CallsFrom(WireCalls(trace), c.command);
    ASSERT_FALSE(stream.empty());
    std::vector<std::size_t> blockSizes;
    int acknowledges = 0;
    // After the command and its acknowledge: a block read, then ACK_BYTE, and so on.
    for (std::size_t i = 2; i < stream.size(); ++i) {
        if (stream[i].function == "FT_Read")
            blockSizes.push_back(stream[i].bytes.size());
        else if (stream[i].function == "FT_Write" && stream[i].bytes == kAck)
            ++acknowledges;
        else if (stream[i].function != "FT_SetTimeouts")
            ADD_FAILURE() << "unexpected " << stream[i].function;
    }
    std::vector<std::size_t> expected(static_cast<std::size_t>(c.programBlocks), READ_PROGRAM_BLOCK_BYTES);
    expected.push_back(READ_CONFIG_BLOCK_BYTES);
    expected.insert(expected.end(), static_cast<std::size_t>(c.eepromBlocks), READ_EEPROM_BLOCK_BYTES);
    EXPECT_EQ(blockSizes, expected);
    EXPECT_EQ(acknowledges, c.programBlocks + 1 + c.eepromBlocks);

    ASSERT_EQ(positions.size(), static_cast<std::size_t>(c.programBlocks));
    for (int i = 0; i < c.programBlocks; ++i)
        ASSERT_EQ(positions[static_cast<std::size_t>(i)], 100 * i / c.programBlocks);
    EXPECT_EQ(positions.back(), c.lastPosition);
    // The erased chip as the board sends it: words, the device ID, plain EEPROM bytes.
    EXPECT_EQ(target.Get(GetProcessorProfile(c.processor).programWords - 1), 0x3FFF);
    EXPECT_EQ(target.Get(CONFIG_WORD_ADDRESS), 0x3FFF);
    EXPECT_EQ(target.Get(EEPROM_ADDRESS), 0xFF);
    EXPECT_EQ(0, host.markedNotConnected);
}

INSTANTIATE_TEST_SUITE_P(
    Processors, ReadStreamShapeTest,
    ::testing::Values(ReadShapeCase{TargetProcessor::PIC16F84A, {0x07, 0x0A, 0x05, 0x0A}, 64, 1, 98},  // CMD_READ_84A
                      ReadShapeCase{TargetProcessor::PIC16F877, {0x03, 0x0A, 0x05, 0x0A}, 512, 4, 99}), // CMD_READ_877
    [](const auto& info) { return std::string(NameOf(info.param.processor)); });

class ReadStreamTest : public OperationTest {};

TEST_F(ReadStreamTest, DecodesOnlyTheLowNibbles)
{
    const auto processor = TargetProcessor::PIC16F84A;
    Choose(processor);
    SetChipWord(processor, 0, 0x2805); // goto 5
    FirmwareImage plain;
    ASSERT_EQ(READ_DONE, ReadTarget(link, processor, plain, {}));
    InjectFault("high-nibbles value=0xF"); // every byte from the board arrives as 0xF?
    FirmwareImage noisy;
    ASSERT_EQ(READ_DONE, ReadTarget(link, processor, noisy, {}));
    EXPECT_EQ(noisy.Get(0), 0x2805);
    EXPECT_TRUE(noisy == plain);
}

TEST_F(ReadStreamTest, GivesAShortProgramBlockOneSecondChance)
{
    const auto processor = TargetProcessor::PIC16F84A;
    constexpr int kBlock = 3;
    constexpr std::size_t kShortBytes = 40; // of the block's 64, as the fault below cuts it
    constexpr unsigned kWordInBlock = kBlock * READ_PROGRAM_BLOCK_WORDS + 1;
    Choose(processor);
    SetChipWord(processor, kWordInBlock, 0x2805);
    InjectFault("block-short part=program block=3 count=40 times=1");
    FirmwareImage target;
    target.Fill(0);
    ASSERT_EQ(READ_DONE, ReadTarget(link, processor, target, {}));
    EXPECT_EQ(target.Get(kWordInBlock), 0x2805) << "the repeated block is the one kept";

    // The short block, the drain down to an empty read, REPEAT_BYTE, the full block, ACK_BYTE.
    const std::vector<WireCall> calls = WireCalls(trace);
    std::size_t shortRead = 0;
    while (shortRead < calls.size() && !(calls[shortRead].function == "FT_Read" && calls[shortRead].bytes.size() == kShortBytes))
        ++shortRead;
    ASSERT_LT(shortRead + 5, calls.size());
    EXPECT_EQ(calls[shortRead + 1].function, "FT_GetQueueStatus");
    EXPECT_EQ(calls[shortRead + 2].function, "FT_Read");
    EXPECT_TRUE(calls[shortRead + 2].bytes.empty());
    EXPECT_EQ(calls[shortRead + 3].bytes, kRepeat);
    EXPECT_EQ(calls[shortRead + 4].bytes.size(), static_cast<std::size_t>(READ_PROGRAM_BLOCK_BYTES));
    EXPECT_EQ(calls[shortRead + 5].bytes, kAck);
}

struct ReadFaultCase {
    const char* name;
    std::vector<const char*> faults;
    ReadResult result;
};

class ReadStreamFaultTest : public OperationTest, public ::testing::WithParamInterface<ReadFaultCase> {};

TEST_P(ReadStreamFaultTest, StopsWhereTheBoardFailed)
{
    const ReadFaultCase& c = GetParam();
    const auto processor = TargetProcessor::PIC16F877;
    Choose(processor);
    for (const char* fault : c.faults)
        InjectFault(fault);
    FirmwareImage target;
    target.Fill(0);
    EXPECT_EQ(ReadTarget(link, processor, target, {}), c.result);
    // What arrived before the failure is kept; the EEPROM is the stream's last part.
    if (c.result >= READ_CONFIG_READ_FAILED) {
        EXPECT_EQ(target.Get(0x1FFF), 0x3FFF) << "all program words stored";
    }
}

// Block 2 of each part: 0 and 1 went through. Fault names as in emulator/README.md.
INSTANTIATE_TEST_SUITE_P(
    Faults, ReadStreamFaultTest,
    ::testing::Values(
        ReadFaultCase{"CommandNotAcknowledged", {"ack-wrong command=CMD_READ_877"}, READ_COMMAND_FAILED},
        ReadFaultCase{"ProgramReadFails", {"read-fails stream=read part=program block=2"}, READ_PROGRAM_READ_FAILED},
        ReadFaultCase{"ProgramAckWriteFails", {"write-fails stream=read part=program block=2"}, READ_PROGRAM_WRITE_FAILED},
        ReadFaultCase{"RepeatWriteFails",
                      {"block-short part=program block=2 times=1",
                       "write-fails stream=read part=program block=2 times=1"},
                      READ_PROGRAM_WRITE_FAILED},
        ReadFaultCase{"RepeatedReadFails",
                      {"block-short part=program block=2 times=1",
                       "read-fails stream=read part=program block=2 skip=1 times=1"},
                      READ_PROGRAM_REPEAT_FAILED},
        ReadFaultCase{"RepeatedReadShort", {"block-short part=program block=2 times=2"}, READ_PROGRAM_REPEAT_SHORT},
        ReadFaultCase{"ConfigReadFails", {"read-fails stream=read part=config"}, READ_CONFIG_READ_FAILED},
        ReadFaultCase{"ConfigShort", {"block-short part=config count=20"}, READ_CONFIG_SHORT},
        ReadFaultCase{"ConfigAckWriteFails", {"write-fails stream=read part=config"}, READ_CONFIG_WRITE_FAILED},
        ReadFaultCase{"EepromReadFails", {"read-fails stream=read part=eeprom block=2"}, READ_EEPROM_READ_FAILED},
        ReadFaultCase{"EepromShort", {"block-short part=eeprom block=2"}, READ_EEPROM_SHORT},
        ReadFaultCase{"EepromAckWriteFails", {"write-fails stream=read part=eeprom block=2"}, READ_EEPROM_WRITE_FAILED}),
    [](const auto& info) { return std::string(info.param.name); });

class RoundTripTest : public OperationTest, public ::testing::WithParamInterface<TargetProcessor> {};

TEST_P(RoundTripTest, ReadsBackWhatWasProgrammedAndVerifies)
{
    const TargetProcessor processor = GetParam();
    Choose(processor);
    ConfigOptions options;
    const FirmwareImage image = ProgrammingImage(processor, options);
    ASSERT_EQ(PROGRAM_DONE, ProgramTarget(link, processor, image, {}));
    FirmwareImage target;
    ASSERT_EQ(READ_DONE, ReadTarget(link, processor, target, {}, PAUSE_AROUND_READ_MS));

    const ProcessorProfile& profile = GetProcessorProfile(processor);
    for (int address = 0; address < profile.programWords; ++address)
        ASSERT_EQ(target.Get(address), image.Get(address)) << address;
    EXPECT_EQ(target.Get(CONFIG_WORD_ADDRESS), image.Get(CONFIG_WORD_ADDRESS));
    for (int address = EEPROM_ADDRESS; address < EEPROM_ADDRESS + profile.eepromBytes; ++address) {
        if (image.Get(address) & EEPROM_SUPPLIED_MARKER) {
            ASSERT_EQ(target.Get(address), image.Get(address) & 0xFF) << address;
        }
    }
    EXPECT_EQ(CompareWithTarget(image, target, processor, options).kind, VerifyDifference::NONE);

    // A word changed in the chip is the first difference found.
    constexpr unsigned kChangedWord = 0x0005;
    SetChipWord(processor, kChangedWord, image.Get(kChangedWord) ^ 1);
    ASSERT_EQ(READ_DONE, ReadTarget(link, processor, target, {}));
    const VerifyDifference difference = CompareWithTarget(image, target, processor, options);
    EXPECT_EQ(difference.kind, VerifyDifference::PROGRAM_WORD);
    EXPECT_EQ(difference.address, static_cast<int>(kChangedWord));
}

INSTANTIATE_TEST_SUITE_P(Processors, RoundTripTest,
                         ::testing::Values(TargetProcessor::PIC16F84A, TargetProcessor::PIC16F877),
                         [](const auto& info) { return std::string(NameOf(info.param)); });

} // namespace
