// The command exchange and the connection commands against the emulated boards.
#include "LinkTestFixture.h"
#include "link/CommandSet.h"
#include "link/Connection.h"
#include "link/DeviceSelection.h"

namespace {

constexpr int kBoardA = 0; // the TVR-IOA board of the default bus

struct SendCase {
    const char* name;
    const char* fault;        // nullptr: none
    DeviceSelection selection;
    int result;               // -1: any non-zero driver status
    bool leftOpen;
    Messages messages;
};

TEST_F(LinkTest, SendCommandReportsEachOutcome)
{
    const char* kRefusedDescription = "You must enter a Device Description or Serial Number.";
    const SendCase cases[] = {
        {"acknowledged", nullptr, {2, "0"}, 0, true, {}},
        {"high nibbles ignored", "ack-bytes command=CMD_CONNECT bytes=F5,FA", {2, "0"}, 0, true, {}},
        {"0x5A is no acknowledge", "ack-wrong command=CMD_CONNECT value=0x5A", {2, "0"}, SEND_WRONG_ACK, true, {}},
        {"one byte of two", "ack-short command=CMD_CONNECT", {2, "0"}, SEND_WRONG_ACK, true, {}},
        {"silence", "ack-missing command=CMD_CONNECT", {2, "0"}, SEND_WRONG_ACK, true, {}},
        {"acknowledge unreadable", "read-fails command=CMD_CONNECT at=ack", {2, "0"}, -1, false, {}},
        {"write fails", "write-fails", {2, "0"}, -1, false, {}},
        // FT_OK with two of the four bytes moved: the board holds half a word.
        {"word written short", "write-short count=2", {2, "0"}, static_cast<int>(FT_FAILED_TO_WRITE_DEVICE), false,
         {}},
        // No command goes out while no read time-out is in force.
        {"time-outs refused", "timeouts-fail", {2, "0"}, static_cast<int>(FT_IO_ERROR), false, {}},
        {"untouched description", nullptr, {1, "Enter Device Description here."}, OPEN_REFUSED, false,
         {kRefusedDescription}},
        {"also refused by serial number", nullptr, {0, "Enter Device Description here."}, OPEN_REFUSED,
         false, {kRefusedDescription}},
        {"no such serial number", nullptr, {0, "tvra0001"}, -1, false, {}},
        {"by description", nullptr, {1, "TVR-IOB"}, 0, true, {}},
    };
    for (const SendCase& c : cases) {
        SCOPED_TRACE(c.name);
        EmuClearFaults();
        sink.messages.clear();
        host = FakeLinkHost{};
        host.selection = c.selection;
        if (c.fault)
            Inject(c.fault);
        const int result = link.SendCommand(CMD_CONNECT, true);
        if (c.result < 0) {
            EXPECT_NE(result, 0);
        } else {
            EXPECT_EQ(result, c.result);
        }
        EXPECT_EQ(driver.IsDeviceOpen(), c.leftOpen);
        EXPECT_EQ(host.markedNotConnected, result == 0 ? 0 : 1);
        EXPECT_EQ(sink.messages, c.messages);
        driver.Close();
    }
}

// Whether the chip takes the event character the program asks for after every open (not
// documented for this chip) or refuses it, the bytes on the wire stay the same. (That it is
// asked for after every open is the golden window test's.)
TEST_F(LinkTest, TheEventCharacterTakenOrRefusedChangesNothingOnTheWire)
{
    for (const char* chip : {"event-character = refused", "event-character = honoured"}) {
        ASSERT_EQ(EmuConfigure(chip), 0);
        trace.Clear();
        ASSERT_EQ(link.SendCommand(CMD_CONNECT, true), 0);
        driver.Close();
        ASSERT_EQ(link.SendCommand(CMD_PING, true), 0);
        driver.Close();
        EXPECT_EQ(trace.Written(), "0C 0A 05 0A 01 0A 05 0A") << chip;
    }
}

// The connect cases the golden window test leaves out: what the board answered beyond the
// ping's word, and the processor answers that change nothing or choose the 16F877.
TEST_F(LinkTest, ConnectTakesOnlyWhatEachAnswerSays)
{
    const struct {
        const char* fault;
        const char* revision;
        std::vector<ProcessorAnswer> answers;
    } cases[] = {
        {"answer-bytes command=CMD_PING bytes=05,0A,05,0A,01,02", "V1.03", {PROCESSOR_16F84A}},
        {"processor-answer value=unchanged", "V1.03", {PROCESSOR_UNCHANGED}},
        {"processor-answer value=16F877", "V1.03", {PROCESSOR_16F877}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        Configure(nullptr);
        host = FakeLinkHost{};
        Inject(c.fault);
        EXPECT_EQ(ConnectBoard(link), 0);
        EXPECT_EQ(host.revision, c.revision);
        EXPECT_EQ(host.processorAnswers, c.answers);
        EXPECT_EQ(sink.messages, Messages{});
        EXPECT_TRUE(driver.IsDeviceOpen());
        driver.Close();
    }
}

TEST_F(LinkTest, DisconnectFromAnUnpluggedBoardSaysSo)
{
    // By serial number: a device number would reach the other board once this one is gone.
    host.selection = {OPEN_BY_SERIAL_NUMBER, "TVRA0001"};
    ASSERT_EQ(ConnectBoard(link), 0);
    ASSERT_EQ(EmuSetAttached(kBoardA, 0), 0);
    EXPECT_NE(DisconnectBoard(link), 0);
    EXPECT_EQ(host.status, "No response to Disconnect.");
    EXPECT_FALSE(driver.IsDeviceOpen());
}

TEST_F(LinkTest, AWrittenVersionComesBackOnTheNextConnect)
{
    EXPECT_EQ(WriteVersion(link, u"AB"), 0);

    ASSERT_EQ(ConnectBoard(link), 0);
    EXPECT_EQ(host.status, "AB              ");
}

} // namespace
