// The fault syntax: occasions, board, where a link fault waits, the texts refused. What each
// fault does to the program's failure paths is tested with the program itself.
#include <tuple>

#include "EmulatorTestSupport.h"

namespace {

// skip= lets occasions pass and times= counts those that fire; a fault of a [board] section
// stays on its board; EmuClearFaults ends them all.
TEST_F(EmulatorTest, FaultsFireOnTheirOccasionsAndTheirBoardOnly)
{
    Configure("[board]\n[board]\nfault = ack-missing command=CMD_PING\n");
    ASSERT_EQ(0, EmuInjectFault("ack-missing command=CMD_CONNECT skip=1 times=2"));
    FT_HANDLE boardA = OpenBySerial("TVRA0001");
    FT_HANDLE boardB = OpenBySerial("TVRB0001");
    for (const Bytes& acknowledge : {ACK, Bytes{}, Bytes{}, ACK})
        EXPECT_EQ(acknowledge, Command(boardA, CMD_CONNECT));
    EXPECT_EQ(ACK, Command(boardA, CMD_PING));
    EXPECT_EQ(Bytes{}, Command(boardB, CMD_PING));
    EmuClearFaults();
    EXPECT_EQ(ACK, Command(boardB, CMD_PING));
}

// A link fault at a command waits for its acknowledge unless told at=answer; call=N waits for
// the Nth call.
TEST_F(EmulatorTest, LinkFaultsFailTheReadTheyAimAt)
{
    const std::tuple<const char*, FT_STATUS, FT_STATUS> cases[] = {
        {"unplug command=CMD_PING", FT_IO_ERROR, FT_IO_ERROR},
        {"unplug command=CMD_PING at=answer", FT_OK, FT_IO_ERROR},
        {"read-fails command=CMD_PING", FT_IO_ERROR, FT_OK},
        {"read-fails call=2", FT_OK, FT_IO_ERROR},
    };
    for (const auto& [fault, ackRead, answerRead] : cases) {
        Configure("");
        ASSERT_EQ(0, EmuInjectFault(fault)) << EmuLastError();
        FT_HANDLE handle = OpenBySerial("TVRA0001");
        Write(handle, WordBytes(CMD_PING));
        std::uint8_t buffer[4];
        DWORD received = 0;
        EXPECT_EQ(ackRead, FT_Read(handle, buffer, 2, &received)) << fault;
        EXPECT_EQ(answerRead, FT_Read(handle, buffer, 4, &received)) << fault;
    }
}

// A short write returns FT_OK with fewer bytes written, and the board sees only those: two
// pings, each answered by its acknowledge and the ping word (6 bytes) when it arrived whole.
TEST_F(EmulatorTest, ShortWritesMoveOnlyTheirFirstBytes)
{
    const struct {
        const char* fault;
        DWORD first, second; // bytes written of 4
        std::size_t answered;
    } cases[] = {
        {"write-short command=CMD_PING count=1", 1, 4, 0}, // 5 bytes make no command word
        {"write-short call=2", 4, 2, 6},                    // half of the second write
        {"write-short count=0 times=1", 0, 4, 6},
    };
    const Bytes ping = WordBytes(CMD_PING);
    for (const auto& c : cases) {
        Configure("");
        ASSERT_EQ(0, EmuInjectFault(c.fault)) << EmuLastError();
        FT_HANDLE handle = OpenBySerial("TVRA0001");
        DWORD first = 99, second = 99;
        EXPECT_EQ(FT_OK, FT_Write(handle, const_cast<std::uint8_t*>(ping.data()), 4, &first)) << c.fault;
        EXPECT_EQ(FT_OK, FT_Write(handle, const_cast<std::uint8_t*>(ping.data()), 4, &second)) << c.fault;
        EXPECT_EQ(c.first, first) << c.fault;
        EXPECT_EQ(c.second, second) << c.fault;
        EXPECT_EQ(c.answered, Read(handle, 12).size()) << c.fault;
        FT_Close(handle);
    }

    // The version text after its command's acknowledge, cut 2 bytes short: nothing is stored.
    Configure("");
    ASSERT_EQ(0, EmuInjectFault("write-short command=CMD_WRITE_VERSION at=data count=30")) << EmuLastError();
    FT_HANDLE handle = OpenBySerial("TVRA0001");
    EXPECT_EQ(ACK, Command(handle, CMD_WRITE_VERSION));
    Bytes text(32, 0x04);                    // 16 characters 0x44, 'D'
    DWORD written = 0;
    EXPECT_EQ(FT_OK, FT_Write(handle, text.data(), 32, &written));
    EXPECT_EQ(30u, written);
    char version[20] = {};
    ASSERT_EQ(0, EmuGetVersionText(0, version, sizeof version));
    EXPECT_STREQ("TVR-IOA EMULATED", version);
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
        "write-fails command=CMD_PING at=answer",
        "write-short stream=read count=-1",
        "read-fails call=0",
        "ack-bytes command=CMD_PING bytes=F5,GG",
        "processor-answer value=chip",
        "boards count=129",
        "count-fails colour=red",
        "hold stream=program",                            // no marker file
        "hold file=held",                                 // waits for nothing
        "hold file= stream=read",
    };
    for (const char* fault : faults) {
        EXPECT_NE(0, EmuInjectFault(fault)) << fault;
        EXPECT_STRNE("", EmuLastError()) << fault;
    }
}

} // namespace
