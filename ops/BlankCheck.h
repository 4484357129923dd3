#pragma once
#include "image/ProcessorProfile.h"

class BoardLink;

enum BlankCheckResult : int {
    BLANK_CHECK_BLANK = 0,
    BLANK_CHECK_SEND_FAILED = 1, // the command exchange failed
    // The answer could not be read, or was neither "blank" nor "not blank" (a short one
    // included): the target's state is unknown, and Program must not go on to write it.
    BLANK_CHECK_READ_FAILED = 2,
    BLANK_CHECK_NOT_BLANK = 3,
};

// Asks the board whether the target is blank. The device is closed afterwards; on codes 1
// and 2 the link is marked lost, a not-blank target leaves it connected.
BlankCheckResult BlankCheck(BoardLink& link, TargetProcessor processor);
