#include "ops/BlankCheck.h"

#include <array>
#include <cstdint>

#include "link/BoardLink.h"
#include "link/CommandSet.h"
#include "link/D2xxBinding.h"
#include "link/NibbleFraming.h"
#include "ops/CommandWords.h"

BlankCheckResult BlankCheck(BoardLink& link, TargetProcessor processor)
{
    D2xxBinding& driver = link.Driver();
    if (link.SendCommand(TargetCommandsFor(processor).blankCheck, true) != 0) {
        // SendCommand has marked the link lost; a wrong acknowledge left the device open.
        driver.Close();
        return BLANK_CHECK_SEND_FAILED;
    }
    // The board tests the whole target before it answers, which takes up to two seconds.
    // Without that time-out in force the answer is not read at all: the read could wait for ever.
    const bool timeoutsSet = driver.SetTimeouts(TIMEOUT_BLANK_CHECK_MS, TIMEOUT_BLANK_CHECK_MS) == FT_OK;
    std::array<std::uint8_t, BYTE_NIBBLES> answer{};
    DWORD received = 0;
    const FT_STATUS status = timeoutsSet ? link.Read(answer.data(), BYTE_NIBBLES, received) : FT_IO_ERROR;
    driver.Close();
    if (status == FT_OK && received == BYTE_NIBBLES) {
        const std::uint8_t value = DecodeByte(answer.data());
        if (value == ACK_BYTE)
            return BLANK_CHECK_BLANK;
        if (value == NOT_BLANK_BYTE)
            return BLANK_CHECK_NOT_BLANK;
    }
    link.MarkNotConnected();
    return BLANK_CHECK_READ_FAILED;
}
