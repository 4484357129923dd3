#include "ops/BulkErase.h"

#include <array>
#include <cstdint>

#include "link/BoardLink.h"
#include "link/CommandSet.h"
#include "link/D2xxBinding.h"
#include "link/NibbleFraming.h"
#include "ops/CommandWords.h"

EraseResult BulkErase(BoardLink& link, TargetProcessor processor)
{
    D2xxBinding& driver = link.Driver();
    if (link.SendCommand(TargetCommandsFor(processor).bulkErase, true) != 0) {
        // SendCommand has marked the link lost; a wrong acknowledge left the device open.
        driver.Close();
        return ERASE_SEND_FAILED;
    }
    // The erase cycle of the target runs before the board answers: allow it five seconds.
    // Without that time-out in force the answer is not read at all: the read could wait for ever.
    const bool timeoutsSet = driver.SetTimeouts(TIMEOUT_BULK_ERASE_MS, TIMEOUT_BULK_ERASE_MS) == FT_OK;
    std::array<std::uint8_t, BYTE_NIBBLES> answer{};
    DWORD received = 0;
    const FT_STATUS status = timeoutsSet ? link.Read(answer.data(), BYTE_NIBBLES, received) : FT_IO_ERROR;
    driver.Close();
    if (status != FT_OK) {
        link.MarkNotConnected();
        return ERASE_READ_FAILED;
    }
    if (received < BYTE_NIBBLES || DecodeByte(answer.data()) != ACK_BYTE) {
        link.MarkNotConnected();
        return ERASE_WRONG_ANSWER;
    }
    return ERASE_DONE;
}
