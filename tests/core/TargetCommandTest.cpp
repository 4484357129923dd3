// Blank check and bulk erase against the emulated boards: the command word of the processor
// given, every answer the board can give and the code, link state and device it leaves.
#include <functional>

#include "OperationTestSupport.h"
#include "ops/BlankCheck.h"
#include "ops/BulkErase.h"
#include "ops/ProgramStream.h"
#include "ops/ReadStream.h"

namespace {

constexpr TargetProcessor P84A = TargetProcessor::PIC16F84A;
constexpr TargetProcessor P877 = TargetProcessor::PIC16F877;
constexpr unsigned kSomeProgramWord = 0x0010; // any word; a written one makes the chip not blank

using Operation = std::function<void(BoardLink&, TargetProcessor)>;

struct WordCase {
    const char* name;
    TargetProcessor processor;
    Operation operation;
    Bytes command; // the command word on the wire, least significant nibble first
};

class CommandWordTest : public OperationTest, public ::testing::WithParamInterface<WordCase> {};

TEST_P(CommandWordTest, FollowsTheProcessorGivenAtTheStart)
{
    const WordCase& c = GetParam();
    Choose(c.processor);
    c.operation(link, c.processor);
    const std::vector<WireCall> calls = WireCalls(trace);
    ASSERT_FALSE(calls.empty());
    // The exchange with open: close, open, purge, 1000 ms time-outs, then the command word.
    std::vector<WireCall> writes;
    for (const WireCall& call : calls) {
        if (call.function == "FT_Write")
            writes.push_back(call);
    }
    ASSERT_FALSE(writes.empty());
    EXPECT_EQ(writes.front().bytes, c.command);
}

const Operation kBlankCheck = [](BoardLink& l, TargetProcessor p) { BlankCheck(l, p); };
const Operation kErase = [](BoardLink& l, TargetProcessor p) { BulkErase(l, p); };
const Operation kProgram = [](BoardLink& l, TargetProcessor p) { ProgramTarget(l, p, FirmwareImage(), {}); };
const Operation kRead = [](BoardLink& l, TargetProcessor p) {
    FirmwareImage target;
    ReadTarget(l, p, target, {});
};

INSTANTIATE_TEST_SUITE_P(
    Operations, CommandWordTest,
    ::testing::Values(WordCase{"BlankCheck84A", P84A, kBlankCheck, {0x08, 0x0A, 0x05, 0x0A}}, // 0xA5A8
                      WordCase{"BlankCheck877", P877, kBlankCheck, {0x04, 0x0A, 0x05, 0x0A}}, // 0xA5A4
                      WordCase{"Erase84A", P84A, kErase, {0x0D, 0x0A, 0x05, 0x0A}},           // 0xA5AD
                      WordCase{"Erase877", P877, kErase, {0x09, 0x0A, 0x05, 0x0A}},           // 0xA5A9
                      WordCase{"Program84A", P84A, kProgram, {0x0F, 0x0A, 0x05, 0x0A}},       // 0xA5AF
                      WordCase{"Program877", P877, kProgram, {0x0E, 0x0A, 0x05, 0x0A}},       // 0xA5AE
                      WordCase{"Read84A", P84A, kRead, {0x07, 0x0A, 0x05, 0x0A}},             // 0xA5A7
                      WordCase{"Read877", P877, kRead, {0x03, 0x0A, 0x05, 0x0A}}),            // 0xA5A3
    [](const auto& info) { return std::string(info.param.name); });

struct AnswerCase {
    const char* name;
    const char* fault;     // injected on the board, "" for none
    bool programmedChip;   // a written word: the chip is not blank
    int code;
    bool linkLost;
    unsigned long long minimumWait; // simulated ms the board kept the program waiting, at least
};

class BlankCheckTest : public OperationTest, public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(BlankCheckTest, TurnsTheAnswerIntoItsCode)
{
    const AnswerCase& c = GetParam();
    for (const TargetProcessor processor : {P84A, P877}) {
        ASSERT_EQ(0, EmuConfigure(nullptr)) << EmuLastError();
        host.markedNotConnected = 0;
        Choose(processor);
        if (*c.fault)
            InjectFault(c.fault);
        if (c.programmedChip)
            SetChipWord(processor, kSomeProgramWord, 0);
        EXPECT_EQ(BlankCheck(link, processor), c.code) << NameOf(processor);
        EXPECT_EQ(host.markedNotConnected > 0, c.linkLost) << NameOf(processor);
        EXPECT_EQ(0, EmuIsOpen(BoardOf(processor))) << "every answer closes the device";
        EXPECT_GE(EmuClockMilliseconds(), c.minimumWait);
    }
}

// The board's answer waits behind a 2000 ms time-out; anything but the two answers it defines
// leaves the target's state unknown, which must never read as blank.
INSTANTIATE_TEST_SUITE_P(
    Answers, BlankCheckTest,
    ::testing::Values(
        AnswerCase{"Blank", "", false, BLANK_CHECK_BLANK, false, 0},
        AnswerCase{"NotBlank", "", true, BLANK_CHECK_NOT_BLANK, false, 0},
        AnswerCase{"CommandNotAcknowledged", "ack-wrong command=any", false, BLANK_CHECK_SEND_FAILED, true, 0},
        AnswerCase{"AnswerUnreadable", "read-fails command=any at=answer", false, BLANK_CHECK_READ_FAILED, true, 0},
        AnswerCase{"AnswerOther", "answer-wrong command=any value=0x00", false, BLANK_CHECK_READ_FAILED, true, 0},
        AnswerCase{"AnswerHalf", "answer-short command=any count=1", false, BLANK_CHECK_READ_FAILED, true, 0},
        AnswerCase{"AnswerMissing", "answer-missing command=any", false, BLANK_CHECK_READ_FAILED, true, 2000},
        AnswerCase{"AnswerLateWithin", "answer-late command=any delay=1900", false, BLANK_CHECK_BLANK, false, 1900},
        AnswerCase{"AnswerLatePast", "answer-late command=any delay=2100", false, BLANK_CHECK_READ_FAILED, true, 2000}),
    [](const auto& info) { return std::string(info.param.name); });

class BulkEraseTest : public OperationTest, public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(BulkEraseTest, TurnsTheAnswerIntoItsCode)
{
    const AnswerCase& c = GetParam();
    for (const TargetProcessor processor : {P84A, P877}) {
        ASSERT_EQ(0, EmuConfigure(nullptr)) << EmuLastError();
        host.markedNotConnected = 0;
        Choose(processor);
        if (*c.fault)
            InjectFault(c.fault);
        SetChipWord(processor, kSomeProgramWord, 0);
        EXPECT_EQ(BulkErase(link, processor), c.code) << NameOf(processor);
        EXPECT_EQ(host.markedNotConnected > 0, c.linkLost) << NameOf(processor);
        EXPECT_EQ(0, EmuIsOpen(BoardOf(processor))) << "every answer closes the device";
        EXPECT_GE(EmuClockMilliseconds(), c.minimumWait);
        if (c.code == ERASE_DONE) {
            EXPECT_EQ(ChipWord(processor, kSomeProgramWord), 0x3FFFu) << "erased";
        }
    }
}

// The erase answer is waited for up to 5000 ms; anything but ACK_BYTE is a failed erase.
INSTANTIATE_TEST_SUITE_P(
    Answers, BulkEraseTest,
    ::testing::Values(
        AnswerCase{"Erased", "", true, ERASE_DONE, false, 0},
        AnswerCase{"CommandNotAcknowledged", "ack-wrong command=any", true, ERASE_SEND_FAILED, true, 0},
        AnswerCase{"AnswerUnreadable", "read-fails command=any at=answer", true, ERASE_READ_FAILED, true, 0},
        AnswerCase{"AnswerNotBlankByte", "answer-wrong command=any value=0x5A", true, ERASE_WRONG_ANSWER, true, 0},
        AnswerCase{"AnswerHalf", "answer-short command=any count=1", true, ERASE_WRONG_ANSWER, true, 0},
        AnswerCase{"AnswerMissing", "answer-missing command=any", true, ERASE_WRONG_ANSWER, true, 5000},
        AnswerCase{"AnswerAfterFourSeconds", "answer-late command=any delay=4000", true, ERASE_DONE, false, 4000}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(OperationTest, BlankCheckAndEraseSetTheirOwnTimeOuts)
{
    Choose(P84A);
    BlankCheck(link, P84A);
    BulkErase(link, P84A);
    std::vector<std::string> timeouts;
    for (const std::string& line : trace.Lines()) {
        const auto at = line.find("FT_SetTimeouts(");
        if (at != std::string::npos)
            timeouts.push_back(line.substr(line.find("read=")));
    }
    // Each exchange with open sets 1000 ms; then the blank check's 2000 ms, the erase's 5000 ms.
    EXPECT_EQ(timeouts, (std::vector<std::string>{"read=1000, write=1000) -> 0", "read=2000, write=2000) -> 0",
                                                  "read=1000, write=1000) -> 0", "read=5000, write=5000) -> 0"}));
}

} // namespace
