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
        "read-fails call=0",
        "ack-bytes command=CMD_PING bytes=F5,GG",
        "processor-answer value=chip",
        "boards count=129",
        "count-fails colour=red",
    };
    for (const char* fault : faults) {
        EXPECT_NE(0, EmuInjectFault(fault)) << fault;
        EXPECT_STRNE("", EmuLastError()) << fault;
    }
}

} // namespace
