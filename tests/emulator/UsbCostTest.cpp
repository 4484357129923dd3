// The estimate of the USB link: what each exchange of the program costs with the model on,
// with the chip's latency timer and with the event character honoured, and that the model
// costs nothing while it is off.
#include "EmulatorTestSupport.h"

namespace {

constexpr unsigned FRAME_MS = 1;
constexpr unsigned CHIP_LATENCY_MS = 16; // fixed in the FT8U245AM

// Each exchange gives the milliseconds it took, from its first call to its last byte.
using Exchange = unsigned long long (*)(FT_HANDLE);

// A command's acknowledge (as after every program block), a command's answer right behind its
// acknowledge, and a read block of 64 bytes after the PC's ACK_BYTE (62 bytes fill one packet,
// 2 go in a second one).
unsigned long long CommandAcknowledge(FT_HANDLE handle)
{
    const unsigned long long start = EmuClockMilliseconds();
    EXPECT_EQ(ACK, Command(handle, CMD_CONNECT));
    return EmuClockMilliseconds() - start;
}

unsigned long long PingAnswerBehindItsAcknowledge(FT_HANDLE handle)
{
    const unsigned long long start = EmuClockMilliseconds();
    Command(handle, CMD_PING);
    EXPECT_EQ(4u, Read(handle, 4).size());
    return EmuClockMilliseconds() - start;
}

unsigned long long ReadBlockAfterAcknowledge(FT_HANDLE handle)
{
    Command(handle, CMD_READ_84A);
    Read(handle, 64);
    const unsigned long long start = EmuClockMilliseconds();
    Write(handle, ACK);
    EXPECT_EQ(64u, Read(handle, 64).size());
    return EmuClockMilliseconds() - start;
}

// A program block (the address and 8 words) after the program command, as the PC sends it.
unsigned long long ProgramBlockAcknowledge(FT_HANDLE handle)
{
    Command(handle, CMD_PROGRAM_84A);
    Bytes block;
    for (unsigned word = 0; word < 9; ++word) {
        const Bytes bytes = WordBytes(word == 0 ? 0 : 0x3FFF);
        block.insert(block.end(), bytes.begin(), bytes.end());
    }
    const unsigned long long start = EmuClockMilliseconds();
    Write(handle, block);
    EXPECT_EQ(ACK, Read(handle, 2));
    return EmuClockMilliseconds() - start;
}

struct CostCase {
    const char* name;
    Exchange exchange;
    bool enabled;
    bool eventCharacter; // honoured by the chip and set to the acknowledge's line feed
    unsigned long long expected; // milliseconds
};

TEST_F(EmulatorTest, UsbModelChargesTransfersTheLatencyTickAndTheTargetsWriteTime)
{
    const CostCase cases[] = {
        // The command's transfer; the acknowledge then waits for the chip's latency tick, 16 ms
        // after the last packet it sent (at 0), and takes a frame to the PC.
        {"acknowledge", CommandAcknowledge, true, false, CHIP_LATENCY_MS + FRAME_MS},
        // Its last byte is the event character: the chip sends it at once.
        {"acknowledge, event character", CommandAcknowledge, true, true, 2 * FRAME_MS},
        {"acknowledge, model off", CommandAcknowledge, false, false, 0},
        // The answer joins the acknowledge's packet, still waiting for the tick.
        {"answer behind the acknowledge", PingAnswerBehindItsAcknowledge, true, false, CHIP_LATENCY_MS + FRAME_MS},
        // ACK_BYTE's transfer, the full packet, the 2 bytes left at the next tick after it.
        {"read block", ReadBlockAfterAcknowledge, true, false, FRAME_MS + CHIP_LATENCY_MS + FRAME_MS},
        // A blank chip's words hold no line feed: the event character changes nothing.
        {"read block, event character", ReadBlockAfterAcknowledge, true, true, FRAME_MS + CHIP_LATENCY_MS + FRAME_MS},
        // The block's transfer, the 16F84A writing 8 words at 8 ms each, then the acknowledge.
        {"program block, event character", ProgramBlockAcknowledge, true, true, FRAME_MS + 8 * 8 + FRAME_MS},
    };
    for (const CostCase& c : cases) {
        SCOPED_TRACE(c.name);
        Configure(c.eventCharacter ? "event-character = honoured" : "event-character = refused");
        ASSERT_EQ(0, EmuSetUsbCost(c.enabled, FRAME_MS, CHIP_LATENCY_MS)) << EmuLastError();
        FT_HANDLE handle = OpenBySerial("TVRA0001");
        EXPECT_EQ(c.eventCharacter ? FT_OK : FT_IO_ERROR, FT_SetChars(handle, 0x0A, 1, 0, 0));
        EXPECT_EQ(c.expected, c.exchange(handle));
        FT_Close(handle);
    }
    EmuSetUsbCost(0, FRAME_MS, CHIP_LATENCY_MS);
}

// A 16F84A's EEPROM block is 128 bytes: two full packets and 4 bytes. The configuration text
// sets the model as the control call does, and a write of more than a packet takes a frame
// per packet.
TEST_F(EmulatorTest, UsbModelFromTheConfigurationCountsEveryPacket)
{
    Configure("usb-cost = on\nusb-frame = 2\nusb-latency = 0");
    FT_HANDLE handle = OpenBySerial("TVRA0001");
    Command(handle, CMD_READ_84A);
    Read(handle, 64);
    for (int block = 1; block < 64 + 1; ++block) { // the other 63 program blocks, the configuration block
        Write(handle, ACK);
        Read(handle, block < 64 ? 64 : 32);
    }
    unsigned long long start = EmuClockMilliseconds();
    Write(handle, ACK);
    EXPECT_EQ(128u, Read(handle, 128).size());
    EXPECT_EQ(2u + 3 * 2u, EmuClockMilliseconds() - start) << "the transfer, then three packets of 2 ms";
    FT_Close(handle);

    handle = OpenBySerial("TVRA0001");
    start = EmuClockMilliseconds();
    Write(handle, Bytes(65, 0x00)); // nibbles of command words the firmware does not know
    EXPECT_EQ(2u * 2u, EmuClockMilliseconds() - start);
    FT_Close(handle);
    Configure("usb-cost = off");
}

} // namespace
