// Faults injected by name: each one must show on the wire exactly where the program's failure
// paths look for it.
#include "EmulatorTestSupport.h"

namespace {

constexpr ULONG COMMAND_TIMEOUT = 1000; // every command exchange opened afresh, ms
constexpr ULONG BLANK_TIMEOUT = 2000;   // the blank-check answer, ms
constexpr ULONG ERASE_TIMEOUT = 5000;   // the bulk-erase answer, ms
constexpr unsigned CONFIG_AREA = 0x2000;
constexpr unsigned ERASED_WORD = 0x3FFF;

// A word block of the program stream: address and 8 erased words.
Bytes ErasedBlock(unsigned address)
{
    Bytes bytes = WordBytes(address);
    for (int i = 0; i < 8; ++i) {
        const Bytes word = WordBytes(ERASED_WORD);
        bytes.insert(bytes.end(), word.begin(), word.end());
    }
    return bytes;
}

struct ReplyCase {
    const char* name;
    const char* fault;
    unsigned command;
    Bytes acknowledge;
    DWORD answerLength; // bytes the program asks for after the acknowledge
    Bytes answer;
};

// Test names are the cases' names, not a dump of their bytes.
void PrintTo(const ReplyCase& c, std::ostream* out)
{
    *out << c.name;
}

class ReplyFaultTest : public EmulatorTest, public ::testing::WithParamInterface<ReplyCase> {};

TEST_P(ReplyFaultTest, ChangesTheReply)
{
    const ReplyCase& c = GetParam();
    ASSERT_EQ(0, EmuInjectFault(c.fault)) << EmuLastError();
    FT_HANDLE handle = OpenBySerial("TVRA0001");
    EXPECT_EQ(c.acknowledge, Command(handle, c.command));
    EXPECT_EQ(c.answer, Read(handle, c.answerLength));
}

Bytes Zeros(std::size_t count)
{
    return Bytes(count, 0);
}

// "TVR-IOA EMULATED", the standard board A's version text, cut to its first 20 nibble bytes:
// 'T' 0x54, 'V' 0x56, 'R' 0x52, '-' 0x2D, 'I' 0x49, 'O' 0x4F, 'A' 0x41, ' ' 0x20, 'E' 0x45, 'M' 0x4D.
const Bytes VERSION_FIRST_20 = {0x04, 0x05, 0x06, 0x05, 0x02, 0x05, 0x0D, 0x02, 0x09, 0x04,
                                0x0F, 0x04, 0x01, 0x04, 0x00, 0x02, 0x05, 0x04, 0x0D, 0x04};

INSTANTIATE_TEST_SUITE_P(
    Faults, ReplyFaultTest,
    ::testing::Values(
        ReplyCase{"AckWrong", "ack-wrong command=CMD_CONNECT", CMD_CONNECT, NOT_BLANK, 1, {}},
        ReplyCase{"AckWrongValue", "ack-wrong command=0xA5AC value=0x00", CMD_CONNECT, {0x00, 0x00}, 1, {}},
        ReplyCase{"AckShort", "ack-short command=CMD_CONNECT", CMD_CONNECT, {0x05}, 1, {}},
        ReplyCase{"AckMissing", "ack-missing command=any", CMD_PING, {}, 4, {}},
        ReplyCase{"AckOfAnotherCommand", "ack-missing command=CMD_CONNECT", CMD_PING, ACK, 4, {0x05, 0x0A, 0x05, 0x0A}},
        // 0xF5 0xFA: high nibbles set, still the value 0xA5.
        ReplyCase{"AckBytes", "ack-bytes command=CMD_PING bytes=F5,FA", CMD_PING, {0xF5, 0xFA}, 4, {0x05, 0x0A, 0x05, 0x0A}},
        ReplyCase{"HighNibbles", "high-nibbles value=0x3", CMD_PING, {0x35, 0x3A}, 4, {0x35, 0x3A, 0x35, 0x3A}},
        // The ping answered 0xA5A4 instead of 0xA5A5.
        ReplyCase{"PingWrong", "answer-wrong command=CMD_PING value=0xA5A4", CMD_PING, ACK, 4, {0x04, 0x0A, 0x05, 0x0A}},
        ReplyCase{"PingShort", "answer-short command=CMD_PING count=3", CMD_PING, ACK, 4, {0x05, 0x0A, 0x05}},
        ReplyCase{"VersionShort", "answer-short command=CMD_GET_VERSION count=20", CMD_GET_VERSION, ACK, 32, VERSION_FIRST_20},
        ReplyCase{"VersionZero", "answer-zero command=CMD_GET_VERSION", CMD_GET_VERSION, ACK, 32, Zeros(32)},
        ReplyCase{"RevisionMissing", "answer-missing command=CMD_GET_REVISION", CMD_GET_REVISION, ACK, 8, {}},
        ReplyCase{"ProcessorNone", "processor-answer value=none", CMD_GET_PROCESSOR, ACK, 4, Zeros(4)},
        // 0x3FFF: bits 10-11 both set, "selection unchanged".
        ReplyCase{"ProcessorUnchanged", "processor-answer value=unchanged", CMD_GET_PROCESSOR, ACK, 4, {0x0F, 0x0F, 0x0F, 0x03}},
        // The 16F877's device ID 0x09A0 from a board that carries a 16F84A.
        ReplyCase{"Processor877", "processor-answer value=16F877", CMD_GET_PROCESSOR, ACK, 4, {0x00, 0x0A, 0x09, 0x00}},
        ReplyCase{"BlankCheckWrong", "answer-wrong command=CMD_BLANK_CHECK_84A value=0x33", CMD_BLANK_CHECK_84A, ACK, 2, {0x03, 0x03}},
        ReplyCase{"BlankCheckShort", "answer-short command=CMD_BLANK_CHECK_84A", CMD_BLANK_CHECK_84A, ACK, 2, {0x05}},
        ReplyCase{"EraseBytes", "answer-bytes command=CMD_BULK_ERASE_84A bytes=0A,05", CMD_BULK_ERASE_84A, ACK, 2, NOT_BLANK}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(EmulatorTest, CountsOccasionsWithSkipAndTimes)
{
    ASSERT_EQ(0, EmuInjectFault("ack-missing command=CMD_CONNECT skip=1 times=2"));
    FT_HANDLE handle = OpenBySerial("TVRA0001");
    EXPECT_EQ(ACK, Command(handle, CMD_CONNECT));
    EXPECT_EQ(Bytes{}, Command(handle, CMD_CONNECT));
    EXPECT_EQ(Bytes{}, Command(handle, CMD_CONNECT));
    EXPECT_EQ(ACK, Command(handle, CMD_CONNECT));
    ASSERT_EQ(0, EmuInjectFault("ack-missing command=CMD_CONNECT"));
    EmuClearFaults();
    EXPECT_EQ(ACK, Command(handle, CMD_CONNECT));
}

TEST_F(EmulatorTest, FaultsOfABoardSectionStayOnThatBoard)
{
    Configure("[board]\n[board]\nfault = ack-missing command=CMD_PING\n");
    FT_HANDLE boardA = OpenBySerial("TVRA0001");
    FT_HANDLE boardB = OpenBySerial("TVRB0001");
    EXPECT_EQ(ACK, Command(boardA, CMD_PING));
    EXPECT_EQ(Bytes{}, Command(boardB, CMD_PING));
}

TEST_F(EmulatorTest, LateAnswerArrivesWhenTheSimulatedClockGetsThere)
{
    ASSERT_EQ(0, EmuInjectFault("answer-late command=CMD_BULK_ERASE_84A delay=4000"));
    ASSERT_EQ(0, EmuInjectFault("answer-late command=CMD_BLANK_CHECK_84A delay=3000"));
    FT_HANDLE handle = OpenBySerial("TVRA0001", COMMAND_TIMEOUT);

    ASSERT_EQ(ACK, Command(handle, CMD_BULK_ERASE_84A));
    FT_SetTimeouts(handle, ERASE_TIMEOUT, ERASE_TIMEOUT);
    unsigned long long start = EmuClockMilliseconds();
    EXPECT_EQ(ACK, Read(handle, 2));
    EXPECT_EQ(start + 4000, EmuClockMilliseconds());

    // The blank check's answer comes after the program has stopped waiting for it.
    ASSERT_EQ(ACK, Command(handle, CMD_BLANK_CHECK_84A));
    FT_SetTimeouts(handle, BLANK_TIMEOUT, BLANK_TIMEOUT);
    start = EmuClockMilliseconds();
    EXPECT_TRUE(Read(handle, 2).empty());
    EXPECT_EQ(start + BLANK_TIMEOUT, EmuClockMilliseconds());
    DWORD queued = 0;
    FT_GetQueueStatus(handle, &queued);
    EXPECT_EQ(0u, queued);
    EmuAdvanceClock(1000);
    FT_GetQueueStatus(handle, &queued);
    EXPECT_EQ(2u, queued);
}

TEST_F(EmulatorTest, ProgramStreamFaultsHitTheirBlock)
{
    ASSERT_EQ(0, EmuInjectFault("block-ack-missing part=program block=2"));
    ASSERT_EQ(0, EmuInjectFault("block-ack-wrong part=config"));
    ASSERT_EQ(0, EmuInjectFault("block-ack-short part=closing"));
    FT_HANDLE handle = OpenBySerial("TVRA0001");
    ASSERT_EQ(ACK, Command(handle, CMD_PROGRAM_84A));
    const std::vector<std::pair<unsigned, Bytes>> blocks = {
        {0x0000, ACK}, {0x0008, ACK}, {0x0010, {}}, {0x0018, ACK}, {CONFIG_AREA, NOT_BLANK},
        {0x2100, ACK}, {0xF000, {0x05}}};
    for (const auto& [address, acknowledge] : blocks) {
        Write(handle, ErasedBlock(address));
        EXPECT_EQ(acknowledge, Read(handle, 2)) << std::hex << address;
    }
}

TEST_F(EmulatorTest, ShortReadBlockComesWholeAfterTheRepeatRequestUnlessToldOtherwise)
{
    ASSERT_EQ(0, EmuInjectFault("block-short part=program block=1 count=40 times=1"));
    ASSERT_EQ(0, EmuInjectFault("block-short part=program block=2 count=10 times=2"));
    ASSERT_EQ(0, EmuInjectFault("block-short part=config"));
    FT_HANDLE handle = OpenBySerial("TVRA0001");
    ASSERT_EQ(ACK, Command(handle, CMD_READ_84A));
    EXPECT_EQ(PROGRAM_BLOCK_BYTES, Read(handle, PROGRAM_BLOCK_BYTES).size());
    Write(handle, ACK);
    EXPECT_EQ(40u, Read(handle, PROGRAM_BLOCK_BYTES).size());
    Write(handle, REPEAT);
    EXPECT_EQ(PROGRAM_BLOCK_BYTES, Read(handle, PROGRAM_BLOCK_BYTES).size());
    Write(handle, ACK);
    EXPECT_EQ(10u, Read(handle, PROGRAM_BLOCK_BYTES).size());
    Write(handle, REPEAT);
    EXPECT_EQ(10u, Read(handle, PROGRAM_BLOCK_BYTES).size());
    Write(handle, REPEAT);
    EXPECT_EQ(PROGRAM_BLOCK_BYTES, Read(handle, PROGRAM_BLOCK_BYTES).size());
    Write(handle, ACK);
    for (unsigned block = 3; block < 64; ++block) { // 64 program blocks on a 16F84A
        Read(handle, PROGRAM_BLOCK_BYTES);
        Write(handle, ACK);
    }
    EXPECT_EQ(CONFIG_BLOCK_BYTES / 2, Read(handle, CONFIG_BLOCK_BYTES).size());
}

struct LinkCase {
    const char* name;
    const char* fault;
    unsigned command;
    FT_STATUS ackRead;
    FT_STATUS answerRead;
};

// Test names are the cases' names, not a dump of their bytes.
void PrintTo(const LinkCase& c, std::ostream* out)
{
    *out << c.name;
}

class LinkFaultTest : public EmulatorTest, public ::testing::WithParamInterface<LinkCase> {};

TEST_P(LinkFaultTest, FailsTheReadItAimsAt)
{
    const LinkCase& c = GetParam();
    ASSERT_EQ(0, EmuInjectFault(c.fault)) << EmuLastError();
    FT_HANDLE handle = OpenBySerial("TVRA0001");
    Write(handle, WordBytes(c.command));
    std::uint8_t buffer[4];
    DWORD received = 0;
    EXPECT_EQ(c.ackRead, FT_Read(handle, buffer, 2, &received));
    EXPECT_EQ(c.answerRead, FT_Read(handle, buffer, 4, &received));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, LinkFaultTest,
    ::testing::Values(LinkCase{"UnplugAtCommand", "unplug command=CMD_PING", CMD_PING, FT_IO_ERROR, FT_IO_ERROR},
                      LinkCase{"UnplugAtAnswer", "unplug command=CMD_PING at=answer", CMD_PING, FT_OK, FT_IO_ERROR},
                      LinkCase{"ReadFailsAtAck", "read-fails command=CMD_PING", CMD_PING, FT_IO_ERROR, FT_OK},
                      LinkCase{"ReadFailsAtAnswer", "read-fails command=CMD_PING at=answer", CMD_PING, FT_OK, FT_IO_ERROR},
                      LinkCase{"SecondReadFails", "read-fails call=2", CMD_PING, FT_OK, FT_IO_ERROR}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(EmulatorTest, WriteFaultsRefuseTheWriteTheyAimAt)
{
    ASSERT_EQ(0, EmuInjectFault("write-fails command=CMD_WRITE_VERSION at=data"));
    ASSERT_EQ(0, EmuInjectFault("write-fails command=CMD_CONNECT"));
    ASSERT_EQ(0, EmuInjectFault("write-fails stream=read part=config"));
    FT_HANDLE handle = OpenBySerial("TVRA0001");
    Bytes bytes = WordBytes(CMD_CONNECT);
    DWORD written = 0;
    EXPECT_EQ(FT_IO_ERROR, FT_Write(handle, bytes.data(), 4, &written));
    EXPECT_EQ(0u, written);

    ASSERT_EQ(ACK, Command(handle, CMD_WRITE_VERSION));
    Bytes text(32, 0x02); // 16 characters 0x22 '"'
    EXPECT_EQ(FT_IO_ERROR, FT_Write(handle, text.data(), 32, &written));

    // The board still waits for the text; opening the device again starts it afresh.
    FT_Close(handle);
    handle = OpenBySerial("TVRA0001");
    ASSERT_EQ(ACK, Command(handle, CMD_READ_84A));
    for (unsigned block = 0; block < 64; ++block) { // 64 program blocks on a 16F84A
        ASSERT_EQ(PROGRAM_BLOCK_BYTES, Read(handle, PROGRAM_BLOCK_BYTES).size());
        Write(handle, ACK);
    }
    ASSERT_EQ(CONFIG_BLOCK_BYTES, Read(handle, CONFIG_BLOCK_BYTES).size());
    Bytes ack = ACK;
    EXPECT_EQ(FT_IO_ERROR, FT_Write(handle, ack.data(), 2, &written));
}

TEST_F(EmulatorTest, UnplugInAStreamKillsTheHandle)
{
    ASSERT_EQ(0, EmuInjectFault("unplug stream=program part=eeprom block=1"));
    FT_HANDLE handle = OpenBySerial("TVRA0001");
    ASSERT_EQ(ACK, Command(handle, CMD_PROGRAM_84A));
    Write(handle, ErasedBlock(0x2100));
    EXPECT_EQ(ACK, Read(handle, 2));
    Write(handle, ErasedBlock(0x2108));
    std::uint8_t buffer[2];
    DWORD received = 0;
    EXPECT_EQ(FT_IO_ERROR, FT_Read(handle, buffer, 2, &received));
    DWORD count = 0;
    FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY);
    EXPECT_EQ(1u, count);
}

TEST_F(EmulatorTest, ListingFaults)
{
    DWORD count = 0;
    ASSERT_EQ(0, EmuInjectFault("count-fails times=1"));
    EXPECT_NE(FT_OK, FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY));
    EXPECT_EQ(FT_OK, FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY));

    ASSERT_EQ(0, EmuInjectFault("list-fails times=1"));
    char buffers[64][FT_LIST_BUFFER_SIZE] = {};
    char* table[65] = {}; // 64 buffers and the null entry after them
    for (int i = 0; i < 64; ++i)
        table[i] = buffers[i];
    EXPECT_NE(FT_OK, FT_ListDevices(table, &count, FT_LIST_ALL | FT_OPEN_BY_SERIAL_NUMBER));

    // The third board is plugged in after the count and before the list.
    ASSERT_EQ(0, EmuInjectFault("board-appears times=1"));
    ASSERT_EQ(FT_OK, FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY));
    EXPECT_EQ(2u, count);
    ASSERT_EQ(FT_OK, FT_ListDevices(table, &count, FT_LIST_ALL | FT_OPEN_BY_SERIAL_NUMBER));
    EXPECT_EQ(3u, count);
    EXPECT_STREQ("TVRA0002", buffers[2]);

    ASSERT_EQ(0, EmuInjectFault("boards count=64"));
    ASSERT_EQ(FT_OK, FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY));
    EXPECT_EQ(64u, count);
}

TEST_F(EmulatorTest, RefusesMalformedFaults)
{
    const char* faults[] = {
        "",
        "ack-wrong",                                      // no command
        "ack-wrong command=CMD_NOTHING",
        "ack-wrong command=CMD_PING value=0x100",         // an acknowledge is one byte
        "answer-wrong command=CMD_GET_VERSION value=1",   // a text answer
        "answer-missing command=CMD_CONNECT",             // nothing follows its acknowledge
        "unplug",                                         // waits for nothing
        "read-fails command=CMD_PING stream=read",
        "block-short part=closing",                       // the read stream has no closing block
        "block-ack-wrong part=program block=x",
        "write-fails command=CMD_PING at=answer",
        "read-fails call=0",
        "ack-late command=CMD_PING",                      // no delay
        "ack-bytes command=CMD_PING bytes=F5,GG",
        "processor-answer value=chip",
        "boards count=129",
        "count-fails colour=red",
    };
    for (const char* fault : faults) {
        EXPECT_NE(0, EmuInjectFault(fault)) << fault;
        EXPECT_STRNE("", EmuLastError()) << fault;
    }
    EXPECT_EQ(3, EmuConfigure("[board]\n# a bad fault line\nfault = ack-wrong\n"));
}

} // namespace
