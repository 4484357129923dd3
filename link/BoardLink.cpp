#include "link/BoardLink.h"

#include "link/CommandSet.h"
#include "link/D2xxBinding.h"
#include "link/DeviceSelection.h"
#include "link/LinkHost.h"
#include "link/NibbleFraming.h"
#include "link/Pause.h"

BoardLink::BoardLink(D2xxBinding& driver, LinkHost& host, MessageSink& messages)
    : driver_(driver), host_(host), messages_(messages)
{
}

int BoardLink::SendCommand(std::uint16_t word, bool openFirst)
{
    if (openFirst) {
        const int opened = OpenSelectedDevice(driver_, host_, messages_);
        if (opened != 0) {
            driver_.Close();
            MarkNotConnected();
            return opened;
        }
        // Bytes left from an earlier exchange must not be taken for this one's answer.
        driver_.Purge(FT_PURGE_RX);
        // A read without a time-out in force could wait for ever.
        if (const FT_STATUS status = driver_.SetTimeouts(TIMEOUT_COMMAND_MS, TIMEOUT_COMMAND_MS); status != FT_OK) {
            driver_.Close();
            MarkNotConnected();
            return static_cast<int>(status);
        }
    }
    Pause(PAUSE_BEFORE_COMMAND_MS);

    const auto command = EncodeWord(word);
    FT_STATUS status = Write(command.data(), static_cast<DWORD>(command.size()));
    if (status != FT_OK) {
        driver_.Close();
        MarkNotConnected();
        return static_cast<int>(status);
    }
    std::uint8_t answer[BYTE_NIBBLES] = {};
    DWORD received = 0;
    status = Read(answer, BYTE_NIBBLES, received);
    if (status != FT_OK) {
        driver_.Close();
        MarkNotConnected();
        return static_cast<int>(status);
    }
    // An answer cut short by the time-out counts as a wrong one.
    if (received < BYTE_NIBBLES || DecodeByte(answer) != ACK_BYTE) {
        MarkNotConnected();
        return SEND_WRONG_ACK;
    }
    return 0;
}

void BoardLink::MarkNotConnected()
{
    host_.MarkNotConnected();
}

FT_STATUS BoardLink::Write(const std::uint8_t* bytes, DWORD count)
{
    // Refused before the driver sees it: the board gets nothing of a write it would hold half of.
    if (host_.StopRequested())
        return FT_OTHER_ERROR;
    DWORD written = 0;
    const FT_STATUS status = driver_.Write(bytes, count, &written);
    // A driver may end a write at its time-out with FT_OK and fewer bytes moved: the board
    // then holds half a command word or block, which is a failed write all the same.
    if (status == FT_OK && written != count)
        return FT_FAILED_TO_WRITE_DEVICE;
    return status;
}

bool BoardLink::WriteAll(const std::uint8_t* bytes, DWORD count)
{
    return Write(bytes, count) == FT_OK;
}

FT_STATUS BoardLink::Read(std::uint8_t* bytes, DWORD count, DWORD& received)
{
    received = 0;
    const FT_STATUS status = driver_.Read(bytes, count, &received);
    // A driver never reports more than asked for; a count beyond it is not trusted.
    if (received > count)
        received = count;
    return status;
}
