// Blank check and bulk erase against the emulated boards: the command word of the processor
// given, and the time each waits for the board's answer. The message and link state of every
// other answer are in the golden operations (tests/data/golden/operations.txt).
#include "OperationTestSupport.h"
#include "ops/BlankCheck.h"
#include "ops/BulkErase.h"

namespace {

constexpr TargetProcessor P84A = TargetProcessor::PIC16F84A;
constexpr TargetProcessor P877 = TargetProcessor::PIC16F877;

TEST_F(OperationTest, BlankCheckAndEraseSendTheCommandWordOfTheProcessorGiven)
{
    for (const TargetProcessor processor : {P84A, P877}) {
        Choose(processor);
        BlankCheck(link, processor);
        BulkErase(link, processor);
    }
    std::vector<Bytes> written;
    for (const WireCall& call : WireCalls(trace))
        if (call.function == "FT_Write")
            written.push_back(call.bytes);
    // Nothing but the command words, least significant nibble first.
    EXPECT_EQ(written, (std::vector<Bytes>{{0x08, 0x0A, 0x05, 0x0A},   // 0xA5A8 blank check 16F84A
                                           {0x0D, 0x0A, 0x05, 0x0A},   // 0xA5AD erase 16F84A
                                           {0x04, 0x0A, 0x05, 0x0A},   // 0xA5A4 blank check 16F877
                                           {0x09, 0x0A, 0x05, 0x0A}})); // 0xA5A9 erase 16F877
}

// The board tests the whole target (up to 2000 ms) or erases it (up to 5000 ms) before it
// answers: an answer within that time counts, a later one is no answer and loses the link.
// Either way the device is closed after it.
TEST_F(OperationTest, BlankCheckAndEraseWaitForTheirAnswerAsLongAsTheBoardMayTake)
{
    const struct {
        bool erase;
        unsigned delay; // of the answer, in ms
        int code;
    } cases[] = {
        {false, 1900, BLANK_CHECK_BLANK},
        {false, 2100, BLANK_CHECK_READ_FAILED},
        {true, 4900, ERASE_DONE},
        {true, 5100, ERASE_WRONG_ANSWER},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.erase ? "erase " : "blank check ") + std::to_string(c.delay));
        ASSERT_EQ(0, EmuConfigure(nullptr)) << EmuLastError();
        host.markedNotConnected = 0;
        Choose(P84A);
        InjectFault("answer-late command=any delay=" + std::to_string(c.delay));
        const unsigned long long start = EmuClockMilliseconds();
        EXPECT_EQ(c.erase ? static_cast<int>(BulkErase(link, P84A)) : static_cast<int>(BlankCheck(link, P84A)), c.code);
        const bool answered = c.code == BLANK_CHECK_BLANK || c.code == ERASE_DONE;
        EXPECT_EQ(host.markedNotConnected > 0, !answered);
        EXPECT_GE(EmuClockMilliseconds() - start, answered ? c.delay : c.delay - 100);
        EXPECT_EQ(0, EmuIsOpen(BoardOf(P84A)));
    }
}

} // namespace
